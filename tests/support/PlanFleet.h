#pragma once

// The command-line plan tests' fleet: the simulator on this test's port with its state file, the test
// manufacturer trusted, our devices' password given, and the lists the client prints read back by column.

#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "DevsimProcess.h"
#include "Fleet.h"
#include "deployment/CsvReader.h"
#include "deployment/CsvWriter.h"
#include "vexa_crypto.h"

namespace {

// A listed device as discover --csv printed it, by column name.
using Row = std::map<std::string, std::string>;

inline bool writeFile(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out << data;
    return out.good();
}

inline std::string readAll(const std::string& path) {
    std::string text;
    devsim::readFile(path, text);
    return text;
}

inline std::vector<Row> table(const std::string& csv) {
    using VexaTool::plan::CsvReader;
    const CsvReader::Result parsed = CsvReader::parse(csv);
    std::vector<Row> rows;
    if (parsed.error != CsvReader::Error::None || parsed.records.empty())
        return rows;
    const auto& header = parsed.records.front().fields;
    for (size_t r = 1; r < parsed.records.size(); ++r) {
        Row row;
        for (size_t c = 0; c < header.size() && c < parsed.records[r].fields.size(); ++c)
            row[header[c]] = std::string(VexaTool::plan::CsvWriter::unguard(parsed.records[r].fields[c]));
        rows.push_back(row);
    }
    return rows;
}

class PlanFleet : public ::testing::Test {
protected:
    // Starts the simulator with these arguments and waits until it is up.
    bool startFleet(std::vector<std::string> arguments) {
        using namespace std::chrono_literals;
        ::setenv("VEXA_TRUSTED_KEYS",
                 vexa::crypto::publicKeyToText(vexa::crypto::testManufacturerKeyPair().publicKey).c_str(), 1);
        ::setenv("VEXA_SIM_CHEAP_HASH", "1", 1);
        ::setenv("VEXA_PASSWORD", "Install-2024", 1);
        testutil::usePort(0);
        arguments.insert(arguments.end(), {"--state", dir_.file("state.txt"), "--dump", dir_.file("dump.txt")});
        return sim_.startDevsim(arguments) &&
               testutil::waitFor([&] { return testutil::fileExists(dir_.file("dump.txt")); }, 20s);
    }

    // stdout only: the client's summary on stderr stays out of what is parsed.
    static testutil::CliRun vexa(const std::string& args) { return testutil::runVexa(args, false); }

    // The simulator's saved state of our devices, by serial number.
    std::map<std::string, devsim::SimDevice> savedOurs() const {
        std::vector<devsim::SimDevice> fleet;
        std::string error;
        EXPECT_TRUE(devsim::parseFleet(readAll(dir_.file("state.txt")), fleet, error)) << error;
        std::map<std::string, devsim::SimDevice> bySerial;
        for (const auto& d : fleet)
            bySerial[d.record.serialNo] = d;
        return bySerial;
    }

    testutil::TempDir dir_;
    testutil::Process sim_;
};

} // namespace
