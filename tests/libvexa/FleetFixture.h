#pragma once

// A simulated fleet on loopback and the library listening to it: what the operation and attack tests share.
// Each test gets its own state and dump files; the fleet is made from a fixed seed so its devices are known.

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "DevsimProcess.h"
#include "Events.h"
#include "Fleet.h"
#include "vexa.h"

class FleetFixture : public ::testing::Test {
protected:
    explicit FleetFixture(int seed)
        : seed_(seed) {}
    void TearDown() override { VEXA_Stop(); }

    // Starts the simulator with `count` devices and waits until it has written its device list.
    bool startSim(testutil::Process& sim, int count = 40, const std::vector<std::string>& extra = {}) {
        using namespace std::chrono_literals;
        std::remove(dir_.file("dump.txt").c_str());
        std::vector<std::string> args{"--count", std::to_string(count),  "--seed", std::to_string(seed_),
                                      "--state", dir_.file("state.txt"), "--dump", dir_.file("dump.txt")};
        args.insert(args.end(), extra.begin(), extra.end());
        return sim.startDevsim(args) &&
               testutil::waitFor([&] { return testutil::fileExists(dir_.file("dump.txt")); }, 20s);
    }
    bool startLibrary(size_t devices) {
        using namespace std::chrono_literals;
        return VEXA_Start_V40(&Events::callback, 1, &events_) && events_.waitCount(VEXA_EVENT_NEW, devices, 20s);
    }
    // The fleet as the simulator last wrote it.
    std::vector<devsim::SimDevice> dump() const {
        std::string text;
        std::vector<devsim::SimDevice> fleet;
        std::string error;
        devsim::readFile(dir_.file("dump.txt"), text);
        devsim::parseFleet(text, fleet, error);
        return fleet;
    }
    vexa::proto::DeviceRecord pick(const std::function<bool(const vexa::proto::DeviceRecord&)>& wanted) const {
        for (const auto& device : dump()) {
            if (wanted(device.record))
                return device.record;
        }
        ADD_FAILURE() << "no such device in the fleet";
        return {};
    }
    vexa::proto::DeviceRecord current(const std::string& serial) const {
        return pick([&](const auto& r) { return r.serialNo == serial; });
    }

    testutil::TempDir dir_;
    Events events_;

private:
    int seed_;
};
