// vexa inventory and vexa snapshot against the simulator: one row per device and profile, the same in JSON and in
// the guarded CSV, no password anywhere; a snapshot file created exclusively.

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "CaseName.h"
#include "DevsimProcess.h"
#include "deployment/CsvReader.h"

using testutil::CliRun;
using testutil::runVexa;

namespace {

constexpr const char* kPassword = "Camera-2024";

using Row = std::map<std::string, std::string>;

std::vector<Row> parseJson(const std::string& text) {
    std::vector<Row> rows;
    for (const auto& object : nlohmann::json::parse(text))
        rows.push_back(object.get<Row>());
    return rows;
}

std::vector<Row> parseCsv(const std::string& text) {
    const auto result = VexaTool::plan::CsvReader::parse(text);
    std::vector<Row> rows;
    if (result.error != VexaTool::plan::CsvReader::Error::None || result.records.empty())
        return rows;
    const std::vector<std::string>& header = result.records.front().fields;
    for (size_t r = 1; r < result.records.size(); ++r) {
        Row row;
        for (size_t c = 0; c < header.size() && c < result.records[r].fields.size(); ++c)
            row[header[c]] = result.records[r].fields[c];
        rows.push_back(row);
    }
    return rows;
}

class Simulated : public ::testing::Test {
protected:
    // Our own device and two ONVIF devices whose addresses name a host behind a NAT.
    void startSim(const std::string& base, const std::string& quirks) {
        const char* wsd = std::getenv("VEXA_WSD_PORT");
        ASSERT_TRUE(
            sim_.startDevsim({"--count", "1", "--onvif", "2", "--onvif-base", base + "1", "--wsd-port",
                              wsd ? wsd : "3702", "--state", dir_.file("state.json"), "--onvif-quirks", quirks}));
    }
    testutil::TempDir dir_;
    testutil::Process sim_;
};

struct InventoryCase {
    const char* name;
    const char* options;
    bool csv;
    bool login;
    bool userColumn;
    const char* signIn; // of the ONVIF rows
    friend void PrintTo(const InventoryCase& c, std::ostream* os) { *os << c.name; }
};

class Inventory : public Simulated, public ::testing::WithParamInterface<InventoryCase> {};

TEST_P(Inventory, ListsEveryProfileOfEveryDevice) {
    const InventoryCase& c = GetParam();
    static int block = 10;
    const std::string base = "127.137." + std::to_string(block++) + ".";
    startSim(base, "internal-uri");
    if (c.login)
        ::setenv("VEXA_PASSWORD", kPassword, 1);
    const CliRun run = runVexa(std::string("inventory --seconds 2 ") + c.options, false);
    ::unsetenv("VEXA_PASSWORD");
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output.find(kPassword), std::string::npos);
    const std::vector<Row> rows = c.csv ? parseCsv(run.output) : parseJson(run.output);
    ASSERT_EQ(rows.size(), 5u) << run.output; // ours, and two profiles of each ONVIF device
    int onvif = 0;
    for (const Row& row : rows) {
        EXPECT_EQ(row.count("User") == 1, c.userColumn);
        if (c.userColumn) {
            EXPECT_EQ(row.at("User"), "admin");
        }
        if (row.at("Protocol") == "vexa") {
            EXPECT_FALSE(row.at("Serial Number").empty());
            EXPECT_TRUE(row.at("Stream URI").empty());
            continue;
        }
        ++onvif;
        const std::string address = row.at("Address");
        const std::string internal = "192.168." + address.substr(std::string("127.137.").size());
        const std::string path = row.at("Profile") == "MainStream" ? "/stream1" : "/stream2";
        EXPECT_EQ(row.at("Stream URI"), "rtsp://" + address + ":554" + path);
        EXPECT_EQ(row.at("Stream URI Given"), "rtsp://" + internal + ":554" + path);
        EXPECT_EQ(row.at("Snapshot URI").rfind("http://" + address + ":8080/", 0), 0u);
        EXPECT_EQ(row.at("Resolution"), row.at("Profile") == "MainStream" ? "1920x1080" : "640x360");
        // A device gives whole seconds: a clock that is right reads within a second of ours.
        EXPECT_LE(std::abs(std::stoi(row.at("Clock Offset"))), 1) << row.at("Clock Offset");
        EXPECT_EQ(row.at("Sign-in"), c.signIn);
        EXPECT_FALSE(row.at("MAC").empty());
        EXPECT_FALSE(row.at("Maker").empty());
    }
    EXPECT_EQ(onvif, 4);
}

INSTANTIATE_TEST_SUITE_P(
    Cli, Inventory,
    ::testing::Values(InventoryCase{"json", "--json --user admin", false, true, false, "signed in"},
                      InventoryCase{"csv", "--csv --user admin", true, true, false, "signed in"},
                      InventoryCase{"csvWithUserColumn", "--csv --user admin --user-column", true, true, true,
                                    "signed in"},
                      InventoryCase{"jsonWithoutLogin", "--json", false, false, false, "read without login"}),
    testutil::CaseName());

struct SnapshotCase {
    const char* name;
    bool exists; // the file is there before
    bool force;
    int status;
    bool picture; // the file holds the picture afterwards
    const char* said;
    friend void PrintTo(const SnapshotCase& c, std::ostream* os) { *os << c.name; }
};

class Snapshot : public Simulated, public ::testing::WithParamInterface<SnapshotCase> {};

TEST_P(Snapshot, CreatesTheFileExclusively) {
    const SnapshotCase& c = GetParam();
    static int block = 60;
    const std::string base = "127.137." + std::to_string(block++) + ".";
    startSim(base, "");
    const std::string out = dir_.file("picture.jpg");
    if (c.exists)
        std::ofstream(out) << "kept";
    ::setenv("VEXA_PASSWORD", kPassword, 1);
    const CliRun run = runVexa("snapshot " + base + "2 --user admin --out " + out + (c.force ? " --force" : ""));
    ::unsetenv("VEXA_PASSWORD");
    EXPECT_EQ(run.status, c.status) << run.output;
    EXPECT_NE(run.output.find(c.said), std::string::npos) << run.output;
    std::ifstream in(out, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    if (c.picture) {
        EXPECT_EQ(bytes.str().substr(0, 3), "\xFF\xD8\xFF");
    } else {
        EXPECT_EQ(bytes.str(), "kept");
    }
}

INSTANTIATE_TEST_SUITE_P(Cli, Snapshot,
                         ::testing::Values(SnapshotCase{"newFile", false, false, 0, true, "bytes written"},
                                           SnapshotCase{"existingFileKept", true, false, 1, false,
                                                        "exists (--force replaces it)"},
                                           SnapshotCase{"existingFileReplaced", true, true, 0, true, "bytes written"}),
                         testutil::CaseName());

} // namespace
