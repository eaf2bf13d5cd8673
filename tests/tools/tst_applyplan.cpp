// A deployment plan applied from the command line against the simulator: every device ends up exactly as its
// row says, and a plan with a device or an address twice is refused before anything is sent.

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

#include "DevsimProcess.h"
#include "Fleet.h"
#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"
#include "deployment/DeploymentPlan.h"
#include "support/PlanFleet.h"

using namespace std::chrono_literals;
using testutil::CliRun;
using VexaTool::plan::CsvReader;
using VexaTool::plan::CsvWriter;
using VexaTool::plan::DeploymentPlan;

namespace {

const std::vector<std::string> kPlanHeader = {"Serial Number", "MAC",  "IP Address", "Subnet Mask", "Gateway",
                                              "Device Name",   "Port", "HTTP Port",  "RTSP Port",   "DHCP"};

class ApplyPlan : public PlanFleet {
protected:
    void SetUp() override {
        ASSERT_TRUE(startFleet({"--count", "170", "--seed", "33"}));
        const CliRun listed = vexa("discover --csv --seconds 3");
        ASSERT_EQ(listed.status, 0);
        devices_ = table(listed.output);
        // Devices that are not activated are left out: no plan may change them, so the list applies unchanged.
        for (const auto& [serial, d] : savedOurs()) {
            if (d.record.activationState != 0)
                notActivated_[serial] = d.record.ipv4Address;
        }
        ASSERT_FALSE(notActivated_.empty());
        ASSERT_GE(devices_.size() + notActivated_.size(), 170u) << listed.output;
        for (const Row& d : devices_)
            ASSERT_EQ(d.at("Activated"), "yes") << d.at("Serial Number");
    }

    std::vector<Row> activated(size_t count) const {
        std::vector<Row> out;
        for (const Row& d : devices_) {
            if (d.at("Activated") == "yes" && out.size() < count)
                out.push_back(d);
        }
        return out;
    }

    std::vector<Row> devices_;
    std::map<std::string, std::string> notActivated_; // serial: address
};

} // namespace

TEST_F(ApplyPlan, EveryDeviceGetsItsOwnRow) {
    const std::vector<Row> chosen = activated(100);
    ASSERT_EQ(chosen.size(), 100u);

    CsvWriter plan;
    plan.addRow(kPlanHeader);
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> storedNames; // as the devices keep them: UTF-8 bytes
    for (size_t i = 0; i < chosen.size(); ++i) {
        const Row& d = chosen[i];
        // Names that need quoting or are not ASCII, devices named by serial, by MAC or both, ports kept or set.
        std::string name = "Site A cam " + std::to_string(i);
        std::string stored = name;
        if (i % 10 == 3)
            name = stored = "Hall, \xc3\xb6stra \"" + std::to_string(i) + "\"";
        if (i % 10 == 5) // 大门, 6 bytes of UTF-8
            name = stored = "\xe5\xa4\xa7\xe9\x97\xa8 " + std::to_string(i);
        if (i % 10 == 8)
            name = stored = "Caf\xc3\xa9 " + std::to_string(i);
        if (i % 10 == 7)
            name = stored = "-lobby " + std::to_string(i);
        storedNames.push_back(stored);
        const std::string address = "127.60." + std::to_string(1 + i / 50) + "." + std::to_string(1 + i % 50);
        rows.push_back({i % 3 == 1 ? "" : d.at("Serial Number"), i % 3 == 0 ? "" : d.at("MAC"), address, "255.255.0.0",
                        "127.60.0.254", name, i % 4 == 0 ? std::to_string(9000 + i) : "", "",
                        i % 5 == 0 ? std::to_string(10554 + i) : "", "no"});
        plan.addRow(rows.back());
    }
    ASSERT_TRUE(writeFile(dir_.file("plan.csv"), plan.data()));

    const CliRun applied =
        vexa("apply-plan " + dir_.file("plan.csv") + " --json --receipt " + dir_.file("receipt.csv"));
    EXPECT_EQ(applied.status, 0) << applied.output;

    const auto state = savedOurs();
    for (size_t i = 0; i < chosen.size(); ++i) {
        const Row& before = chosen[i];
        const auto& plannedRow = rows[i];
        SCOPED_TRACE("row " + std::to_string(i) + " " + before.at("Serial Number"));
        const auto found = state.find(before.at("Serial Number"));
        ASSERT_NE(found, state.end());
        const auto& r = found->second.record;
        EXPECT_EQ(r.mac, before.at("MAC"));
        EXPECT_EQ(r.ipv4Address, plannedRow[2]);
        EXPECT_EQ(r.ipv4SubnetMask, "255.255.0.0");
        EXPECT_EQ(r.ipv4Gateway, "127.60.0.254");
        EXPECT_EQ(r.deviceName, storedNames[i]);
        EXPECT_EQ(std::to_string(r.port), plannedRow[6].empty() ? before.at("Port") : plannedRow[6]);
        EXPECT_EQ(std::to_string(r.httpPort), before.at("HTTP Port"));
        EXPECT_EQ(std::to_string(r.rtspPort), plannedRow[8].empty() ? before.at("RTSP Port") : plannedRow[8]);
        EXPECT_EQ(r.dhcpEnabled, 0);
    }
    // Devices outside the plan are untouched.
    for (const auto& [serial, address] : notActivated_)
        EXPECT_EQ(state.at(serial).record.ipv4Address, address);

    // The names read back as written: the list printed again, and that list read as a plan.
    const std::string listed = vexa("discover --csv --seconds 3").output;
    std::map<std::string, std::string> listedNames;
    for (const Row& d : table(listed))
        listedNames[d.at("Serial Number")] = d.at("Device Name");
    const DeploymentPlan reread = DeploymentPlan::parse(listed);
    std::map<std::string, std::string> planNames;
    for (const auto& row : reread.rows())
        planNames[row.serial] = row.name;
    for (size_t i = 0; i < chosen.size(); ++i) {
        EXPECT_EQ(listedNames[chosen[i].at("Serial Number")], storedNames[i]);
        EXPECT_EQ(planNames[chosen[i].at("Serial Number")], storedNames[i]);
    }

    // The receipt: one row per device with old and new address and the result text.
    const auto receipt = table(readAll(dir_.file("receipt.csv")).substr(3));
    ASSERT_EQ(receipt.size(), chosen.size());
    for (size_t i = 0; i < chosen.size(); ++i) {
        EXPECT_EQ(receipt[i].at("Serial Number"), chosen[i].at("Serial Number"));
        EXPECT_EQ(receipt[i].at("Old Address"), chosen[i].at("IPv4 Address"));
        EXPECT_EQ(receipt[i].at("New Address"), rows[i][2]);
        EXPECT_EQ(receipt[i].at("Name"), rows[i][5]);
        EXPECT_EQ(receipt[i].at("Result"), "Succeed");
        EXPECT_EQ(receipt[i].at("Outcome"), "done");
        EXPECT_EQ(receipt[i].at("Code"), "0");
    }
}

TEST_F(ApplyPlan, DuplicatesAreRefusedBeforeAnythingIsSent) {
    const std::vector<Row> chosen = activated(3);
    ASSERT_EQ(chosen.size(), 3u);
    const auto row = [](const Row& d, const std::string& address, const std::string& name) {
        return d.at("Serial Number") + ",," + address + ",255.255.0.0,127.60.0.254," + name + ",,,,\r\n";
    };
    const std::string header = "Serial Number,MAC,IP Address,Subnet Mask,Gateway,Device Name,Port,HTTP Port,"
                               "RTSP Port,DHCP\r\n";
    struct Case {
        const char* what;
        std::string plan;
        std::string expected;
    };
    const Case cases[] = {
        {"one device twice",
         header + row(chosen[0], "127.60.1.1", "a") + row(chosen[1], "127.60.1.2", "b") +
             row(chosen[0], "127.60.1.3", "c"),
         "The device is planned twice"},
        {"one address twice",
         header + row(chosen[0], "127.60.1.1", "a") + row(chosen[1], "127.60.1.2", "b") +
             row(chosen[2], "127.060.1.01", "c"),
         "The address is planned twice"},
        // Devices keep names as UTF-8 in 32 bytes: eleven Chinese characters are 33.
        {"a name beyond the device's 32 bytes",
         header + row(chosen[0], "127.60.1.1", "东门大厅一号二号三号四") + row(chosen[1], "127.60.1.2", "门厅") +
             row(chosen[2], "127.60.1.3", "abcdefghijklmnopqrstuvwxyz0123456"),
         "Device name is longer than 32 bytes."},
    };
    const std::string stateBefore = readAll(dir_.file("state.txt"));
    // A receipt that cannot be written stops a clean plan before anything is sent.
    ASSERT_TRUE(writeFile(dir_.file("clean.csv"), header + row(chosen[0], "127.60.1.1", "a")));
    const CliRun noReceipt =
        vexa("apply-plan " + dir_.file("clean.csv") + " --seconds 0.5 --receipt " + dir_.file("no/such/r.csv"));
    EXPECT_EQ(noReceipt.status, 1);
    // Nor does one that exists (without --force), or a link planted where it or its temporary file would go:
    // nothing is sent, and the file the link points at is left as it was.
    ASSERT_TRUE(writeFile(dir_.file("victim.txt"), "precious"));
    ASSERT_TRUE(writeFile(dir_.file("old-receipt.csv"), "kept"));
    ASSERT_EQ(::symlink(dir_.file("victim.txt").c_str(), dir_.file("linked.csv").c_str()), 0);
    for (const std::string& target : {dir_.file("old-receipt.csv"), dir_.file("linked.csv")}) {
        const CliRun refused = vexa("apply-plan " + dir_.file("clean.csv") + " --seconds 0.5 --receipt " + target);
        EXPECT_EQ(refused.status, 1) << target;
    }
    EXPECT_EQ(readAll(dir_.file("victim.txt")), "precious");
    EXPECT_EQ(readAll(dir_.file("old-receipt.csv")), "kept");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeFile(dir_.file("bad.csv"), c.plan));
        const CliRun run = vexa("apply-plan " + dir_.file("bad.csv") + " --seconds 2");
        EXPECT_EQ(run.status, 1);
        // Both rows are named, each pointing at the other.
        EXPECT_NE(run.output.find("line 2, "), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("line 4, "), std::string::npos) << run.output;
        EXPECT_NE(run.output.find(c.expected), std::string::npos) << run.output;
        EXPECT_EQ(run.output.find("line 3, "), std::string::npos) << run.output;
    }
    EXPECT_EQ(readAll(dir_.file("state.txt")), stateBefore);
}

TEST_F(ApplyPlan, ListedDevicesApplyUnchanged) {
    // The list as discover --csv prints it is a plan that names every device it may change, as it is: devices
    // without a gateway keep none, and every device ends up as it was.
    size_t withoutGateway = 0;
    for (const Row& d : devices_)
        withoutGateway += d.at("Gateway").empty() && d.at("DHCP") == "no" ? 1 : 0;
    EXPECT_GT(withoutGateway, 0u);
    ASSERT_TRUE(writeFile(dir_.file("listed.csv"), vexa("discover --csv --seconds 3").output));
    const CliRun run = vexa("apply-plan " + dir_.file("listed.csv") + " --seconds 2");
    EXPECT_EQ(run.status, 0) << run.output;
    const auto state = savedOurs();
    for (const Row& d : devices_) {
        const auto& r = state.at(d.at("Serial Number")).record;
        EXPECT_EQ(r.ipv4Address, d.at("IPv4 Address"));
        EXPECT_EQ(r.ipv4Gateway, d.at("Gateway"));
        EXPECT_EQ(r.deviceName, d.at("Device Name"));
    }
}

TEST_F(ApplyPlan, ARowWaitsForTheDeviceThatHoldsItsAddress) {
    const std::vector<Row> chosen = activated(3);
    ASSERT_EQ(chosen.size(), 3u);
    // The device holding the address is locked by wrong passwords, so it cannot move away.
    ::setenv("VEXA_PASSWORD", "Wrong-Pass-1", 1);
    for (int i = 0; i < 5; ++i)
        vexa("set-network " + chosen[1].at("MAC") + " --name x --seconds 3");
    ::setenv("VEXA_PASSWORD", "Install-2024", 1);

    const std::string plan = "Serial Number,IP Address,Subnet Mask,Gateway,Device Name\r\n" +
                             chosen[0].at("Serial Number") + "," + chosen[1].at("IPv4 Address") +
                             ",255.255.0.0,127.60.0.254,takes\r\n" + chosen[1].at("Serial Number") +
                             ",127.60.9.2,255.255.0.0,127.60.0.254,leaves\r\n" + chosen[2].at("Serial Number") +
                             ",127.60.9.3,255.255.0.0,127.60.0.254,other\r\n";
    ASSERT_TRUE(writeFile(dir_.file("chain.csv"), plan));
    const CliRun run = vexa("apply-plan " + dir_.file("chain.csv"));
    EXPECT_EQ(run.status, 1);
    // Sent in the order that frees the address first: line 3, then line 2 (not sent), then line 4.
    const size_t leaves = run.output.find("line 3:");
    const size_t takes = run.output.find("line 2:");
    ASSERT_NE(leaves, std::string::npos) << run.output;
    ASSERT_NE(takes, std::string::npos) << run.output;
    EXPECT_LT(leaves, takes) << run.output;
    EXPECT_NE(run.output.find("Error2012:others", leaves), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Not sent: device " + chosen[1].at("Serial Number") + " still has the address.", takes),
              std::string::npos)
        << run.output;

    const auto state = savedOurs();
    EXPECT_EQ(state.at(chosen[0].at("Serial Number")).record.ipv4Address, chosen[0].at("IPv4 Address"));
    EXPECT_EQ(state.at(chosen[1].at("Serial Number")).record.ipv4Address, chosen[1].at("IPv4 Address"));
    EXPECT_EQ(state.at(chosen[2].at("Serial Number")).record.ipv4Address, "127.60.9.3");
}

namespace {

// Ours beside ONVIF devices (127.70.1.x) that share the administrator password, as one run of vexa takes one.
class MixedFleetPlan : public PlanFleet {
protected:
    void SetUp() override {
        ::setenv("VEXA_ONVIF_REBOOT_WAIT_MS", "20000", 1);
        const char* wsd = std::getenv("VEXA_WSD_PORT");
        ASSERT_NE(wsd, nullptr);
        ASSERT_TRUE(startFleet({"--count", "6", "--seed", "41", "--onvif", "3", "--onvif-base", "127.70.1.1",
                                "--wsd-port", wsd, "--onvif-password", "Install-2024", "--onvif-reboot-delay", "300"}));
    }

    std::vector<Row> listed() {
        listedCsv_ = vexa("discover --csv --seconds 3 --user admin").output;
        return table(listedCsv_);
    }

    // The ONVIF devices as the simulator saved them, by serial number.
    std::map<std::string, Row> onvifState() const {
        std::map<std::string, Row> devices;
        const std::string text = readAll(dir_.file("state.txt") + ".onvif");
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            const std::string line = text.substr(start, end - start);
            if (line.empty() || line[0] == '#')
                continue;
            Row fields;
            size_t at = 0;
            while (at <= line.size()) {
                const size_t tab = std::min(line.find('\t', at), line.size());
                const std::string item = line.substr(at, tab - at);
                const size_t eq = item.find('=');
                if (eq != std::string::npos)
                    fields[item.substr(0, eq)] = item.substr(eq + 1);
                at = tab + 1;
            }
            devices[fields["serial"]] = fields;
        }
        return devices;
    }

    static std::vector<std::string> parseHeaderOf(const std::string& csv) {
        const CsvReader::Result parsed = CsvReader::parse(csv);
        return parsed.records.empty() ? std::vector<std::string>() : parsed.records.front().fields;
    }

    std::string listedCsv_;
};

} // namespace

TEST_F(MixedFleetPlan, TheListIsAPlanForBothProtocolsAndAppliesUnchanged) {
    const std::vector<Row> before = listed();
    size_t onvif = 0;
    size_t notActivated = 0;
    for (const Row& d : before) {
        onvif += d.at("Serial Number").rfind("OV", 0) == 0 ? 1 : 0;
        notActivated += d.at("Activated") == "no" ? 1 : 0;
    }
    size_t oursNotActivated = 0;
    for (const auto& [serial, d] : savedOurs())
        oursNotActivated += d.record.activationState != 0 ? 1 : 0;
    ASSERT_EQ(onvif, 3u) << listedCsv_;
    ASSERT_EQ(notActivated, 0u) << listedCsv_;
    ASSERT_GT(oursNotActivated, 0u);
    ASSERT_EQ(before.size() + oursNotActivated, 9u) << listedCsv_;

    // Unchanged, the list applies to both protocols: every row succeeds.
    ASSERT_TRUE(writeFile(dir_.file("listed.csv"), listedCsv_));
    const CliRun asListed = vexa("apply-plan " + dir_.file("listed.csv") + " --user admin --seconds 3");
    EXPECT_EQ(asListed.status, 0) << asListed.output;

    // Edited as an installer would: every device that may be planned renamed, one of each protocol moved (the
    // ONVIF one restarts to take it), the ONVIF ones named by MAC, by current address or by serial number.
    const auto header = parseHeaderOf(listedCsv_);
    CsvWriter plan;
    std::vector<std::string> planHeader = header;
    planHeader.push_back("Current Address");
    plan.addRow(planHeader);
    std::map<std::string, std::pair<std::string, std::string>> expected; // serial: name, address
    int onvifSeen = 0;
    bool oursMoved = false;
    for (const Row& d : before) {
        const bool isOnvif = d.at("Serial Number").rfind("OV", 0) == 0;
        Row row = d;
        row["Device Name"] = "Mixed " + d.at("Serial Number").substr(d.at("Serial Number").size() - 4);
        if (isOnvif && onvifSeen == 0)
            row["IPv4 Address"] = "127.70.1.41";
        if (!isOnvif && !oursMoved) {
            row["IPv4 Address"] = "127.17.9.9";
            oursMoved = true;
        }
        if (isOnvif) {
            const int way = onvifSeen++;
            if (way == 1) {
                row["Current Address"] = d.at("IPv4 Address");
                row["Serial Number"].clear();
                row["MAC"].clear();
            } else if (way == 0) {
                row["Serial Number"].clear();
            }
        }
        expected[d.at("Serial Number")] = {row["Device Name"], row["IPv4 Address"]};
        std::vector<std::string> cells;
        for (const std::string& column : planHeader)
            cells.push_back(row.count(column) ? row[column] : std::string());
        plan.addRow(cells);
    }
    ASSERT_TRUE(writeFile(dir_.file("plan.csv"), plan.data()));
    const CliRun applied =
        vexa("apply-plan " + dir_.file("plan.csv") + " --user admin --seconds 3 --receipt " + dir_.file("receipt.csv"));
    ASSERT_EQ(applied.status, 0) << applied.output;

    // The simulator's saved state, both files, holds what the plan said.
    const auto ours = savedOurs();
    const auto cameras = onvifState();
    for (const auto& [serial, want] : expected) {
        if (serial.rfind("OV", 0) == 0) {
            ASSERT_EQ(cameras.count(serial), 1u) << serial;
            EXPECT_EQ(cameras.at(serial).at("ipv4"), want.second) << serial;
            EXPECT_NE(cameras.at(serial).at("scopes").find("name/Mixed%20"), std::string::npos) << serial;
        } else {
            ASSERT_EQ(ours.count(serial), 1u) << serial;
            EXPECT_EQ(ours.at(serial).record.ipv4Address, want.second) << serial;
            EXPECT_EQ(ours.at(serial).record.deviceName, want.first) << serial;
        }
    }
    // The receipt has a row per device, ONVIF ones by their serial number and MAC like ours.
    const std::vector<Row> receipt = table(readAll(dir_.file("receipt.csv")));
    EXPECT_EQ(receipt.size(), expected.size());
    for (const Row& line : receipt) {
        EXPECT_EQ(line.at("Result"), "Succeed") << line.at("Serial Number");
        EXPECT_EQ(expected.count(line.at("Serial Number")), 1u) << line.at("Serial Number");
    }

    // And the list read again is the plan applied: the round trip closes.
    for (const Row& d : listed()) {
        if (!expected.count(d.at("Serial Number")))
            continue;
        EXPECT_EQ(d.at("Device Name"), expected[d.at("Serial Number")].first);
        EXPECT_EQ(d.at("IPv4 Address"), expected[d.at("Serial Number")].second);
    }
}

namespace {

class StateFileRoom : public PlanFleet {};

} // namespace

// A device whose flash has less room left than its state file takes still starts from the file as it is; a
// change is then written in its slot, or refused, and a kill loses neither the file nor the change. The room is
// modelled by a limit on the size of the files the simulator may write, one block below the state file's size:
// a whole new copy of the file is refused as a full disk would refuse it (so is a write into the last slot).
TEST_F(StateFileRoom, StartsFromTheFileAsItIsAndKeepsOrRefusesAChange) {
    const std::vector<std::string> fleet{"--count", "6", "--seed", "7"};
    ASSERT_TRUE(startFleet(fleet));
    const std::vector<Row> listed = table(vexa("discover --csv --seconds 2").output);
    ASSERT_FALSE(listed.empty());
    const Row device = listed.front();
    sim_.signal(SIGTERM);
    ASSERT_EQ(sim_.wait(), 0);
    const std::string state = dir_.file("state.txt");
    const std::string before = readAll(state);
    ASSERT_GT(before.size(), 4096u);

    ::unlink(dir_.file("dump.txt").c_str());
    std::vector<std::string> args{"-c",
                                  "ulimit -f " + std::to_string(before.size() / 512 - 1) + " && exec \"$0\" \"$@\"",
                                  testutil::binDir() + "/vexa-devsim"};
    args.insert(args.end(), fleet.begin(), fleet.end());
    args.insert(args.end(), {"--state", state, "--dump", dir_.file("dump.txt")});
    ASSERT_TRUE(sim_.start("/bin/sh", args));
    ASSERT_TRUE(testutil::waitFor([&] { return testutil::fileExists(dir_.file("dump.txt")); }, 20s))
        << "the simulator did not start from its state file";
    EXPECT_EQ(readAll(state).size(), before.size()); // written in place, never copied

    const CliRun changed = vexa("set-network " + device.at("MAC") + " --name Roomless --seconds 2");
    sim_.signal(SIGKILL);
    sim_.wait();
    const auto saved = savedOurs();
    ASSERT_EQ(saved.count(device.at("Serial Number")), 1u);
    EXPECT_EQ(readAll(state).size(), before.size());
    EXPECT_EQ(saved.at(device.at("Serial Number")).record.deviceName,
              changed.status == 0 ? std::string("Roomless") : device.at("Device Name"))
        << changed.output;
}
