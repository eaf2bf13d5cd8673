// Device texts on their way to a terminal, a JSON line or a CSV cell: inert, and the CSV round trip exact.

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <string>

#include "SafeText.h"
#include "deployment/CsvWriter.h"

using VexaTool::plan::CsvWriter;

TEST(SafeText, TerminalTextEscapesEveryControlAndDirectionMark) {
    struct Case {
        const char* name;
        std::string in;
        std::string out;
    };
    const Case cases[] = {
        {"plain", "Lobby 2", "Lobby 2"},
        {"UTF-8 letters pass", "Caf\xc3\xa9 \xe5\xa4\xa7\xe9\x97\xa8", "Caf\xc3\xa9 \xe5\xa4\xa7\xe9\x97\xa8"},
        {"C1 CSI as UTF-8",
         "a\xc2\x9b"
         "2Jb",
         "a\\u{009B}2Jb"},
        {"C1 OSC as UTF-8",
         "\xc2\x9d"
         "0;x\x07",
         "\\u{009D}0;x\\u{0007}"},
        {"raw 8-bit CSI byte",
         "a\x9b"
         "2J",
         "a\\x9B2J"},
        {"escape and DEL", "\x1b[31m\x7f", "\\u{001B}[31m\\u{007F}"},
        {"right-to-left override",
         "abc\xe2\x80\xae"
         "fdp.exe",
         "abc\\u{202E}fdp.exe"},
        {"isolates", "\xe2\x81\xa6x\xe2\x81\xa9", "\\u{2066}x\\u{2069}"},
        {"invisible format characters",
         "S\xe2\x80\x8bN\xe2\x80\x8e"
         "1\xef\xbb\xbf"
         "2\xc2\xad"
         "3\xe2\x81\xa0\xf3\xa0\x81\x81",
         "S\\u{200B}N\\u{200E}1\\u{FEFF}2\\u{00AD}3\\u{2060}\\u{E0041}"},
        {"visible neighbours pass", "\xe2\x80\x90\xe2\x82\xac", "\xe2\x80\x90\xe2\x82\xac"},
        {"backslash doubled", "a\\u{202E}", "a\\\\u{202E}"},
        {"truncated sequence", "ab\xe2\x80", "ab\\xE2\\x80"},
        {"overlong slash", "\xc0\xaf", "\\xC0\\xAF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(cli::terminalText(c.in), c.out) << c.name;
}

// A CSV cell keeps every text without controls exactly (a plan reads names back from it), backslashes included.
TEST(SafeText, CsvTextMarksControlsAndKeepsTheRest) {
    const std::pair<std::string, std::string> cases[] = {
        {"Gate\\1 \xe5\xa4\xa7", "Gate\\1 \xe5\xa4\xa7"},
        {"\xe2\x80\xae"
         "1-CPI",
         "\\u{202E}1-CPI"},
        {"a\x1b]0;x\x07", "a\\u{001B}]0;x\\u{0007}"},
        {"SN\xe2\x80\x8b", "SN\\u{200B}"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(cli::markedText(in), out) << in;
}

TEST(SafeText, JsonStaysValidTheSameValueAndInert) {
    const std::string names[] = {"a\xc2\x9b"
                                 "2J",
                                 "\xe2\x80\xae"
                                 "gpj.exe",
                                 "Caf\xc3\xa9", "x\xc2\x85y", "S\xe2\x80\x8bN"};
    for (const std::string& name : names) {
        nlohmann::json j;
        j["deviceName"] = name;
        const std::string text = cli::inertJson(j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
        for (const char* raw : {"\xc2\x9b", "\xe2\x80\xae", "\xc2\x85", "\xe2\x80\x8b"})
            EXPECT_EQ(text.find(raw), std::string::npos) << text;
        EXPECT_EQ(nlohmann::json::parse(text)["deviceName"].get<std::string>(), name) << text;
    }
}

TEST(SafeText, CsvCellsRoundTripExactlyAndStayInert) {
    const std::string names[] = {"'-5 dBm", "-5 dBm", "=SUM(A1)", "''x", "'", "'abc", "+1", "@home", "plain", "\tx"};
    for (const std::string& name : names) {
        const std::string cell = CsvWriter::field(name, true);
        EXPECT_NE(cell.front(), '=') << name;
        EXPECT_NE(cell.front(), '+') << name;
        EXPECT_NE(cell.front(), '-') << name;
        EXPECT_NE(cell.front(), '@') << name;
        // What the plan reader does with an unquoted cell: one guard apostrophe away.
        std::string unquoted = cell;
        if (unquoted.size() >= 2 && unquoted.front() == '"')
            unquoted = unquoted.substr(1, unquoted.size() - 2);
        EXPECT_EQ(std::string(CsvWriter::unguard(unquoted)), name) << cell;
    }
    // A file from before the apostrophe was guarded still reads as it was written.
    EXPECT_EQ(std::string(CsvWriter::unguard("'abc")), "'abc");
}
