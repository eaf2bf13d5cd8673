#pragma once

// The devices a run of the library reports, each under its key with its latest record, for commands that act
// once listening is over.

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>

#include "Commands.h"
#include "vexa.h"

namespace cli {

struct DeviceCollector {
    std::mutex mutex;
    std::condition_variable changed;
    std::map<std::string, VEXA_DEVICE_INFO> devices;

    static void callback(const VEXA_DEVICE_INFO* info, void* user) {
        auto* self = static_cast<DeviceCollector*>(user);
        if (!info)
            return;
        {
            std::lock_guard<std::mutex> lock(self->mutex);
            if (info->eventType == VEXA_EVENT_GONE)
                self->devices.erase(deviceKey(*info));
            else
                self->devices[deviceKey(*info)] = *info;
        }
        self->changed.notify_all();
    }
};

} // namespace cli
