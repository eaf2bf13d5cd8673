#include "app/ProgramShutdown.h"

#include <QtGlobal>

#include "app/LanaguageManager.h"
#include "config/ConfigureManager.h"
#include "discovery/DeviceCalls.h"
#include "discovery/DeviceStore.h"
#include "discovery/VexaHandler.h"

namespace apt {

void ProgramShutdown::run() {
    // A reset or restore still talking to a device uses the handler; it ends within its time-out.
    if (VEXA::DeviceCalls::running() > 0)
        qInfo("[Tool]Waiting for %d device call(s) to end", VEXA::DeviceCalls::running());
    VEXA::DeviceCalls::waitForAll();
    if (VEXA::VexaHandler::exists()) {
        VEXA::VexaHandler* handler = VEXA::VexaHandler::instance();
        if (!handler->stop()) {
            qWarning("[Tool]Discovery did not stop cleanly (error %u)", handler->lastError());
        }
        VEXA::VexaHandler::release();
    }
    VEXA::DeviceStore::release();
    LanaguageManager::ReleaseInstance();
    ConfigureManager::ReleaseInstance();
    qInfo("[Tool]Shut down in order");
}

} // namespace apt
