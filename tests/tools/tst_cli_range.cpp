// The range options as every discovering command takes them: what is taken out, what is left for the command.

#include <gtest/gtest.h>

#include "RangeScan.h"

namespace {

struct Case {
    const char* name;
    std::vector<std::string> args;
    bool ok;
    std::vector<std::string> rest;
    std::string ranges;
    uint32_t rate;
    bool why;
};

TEST(CliRange, OptionsTakenAndLeft) {
    const Case cases[] = {
        {"none", {"--json", "--seconds", "2"}, true, {"--json", "--seconds", "2"}, "", 0, false},
        {"range with companions among others",
         {"--json", "--range", "10.2.0.0/24", "--rate", "50", "--why", "--user", "admin"},
         true,
         {"--json", "--user", "admin"},
         "10.2.0.0/24",
         50,
         true},
        {"repeated ranges join",
         {"--range", "10.2.0.1", "--range", "10.3.0.0/30"},
         true,
         {},
         "10.2.0.1,10.3.0.0/30",
         0,
         false},
        {"a device name stays",
         {"02-00-00-00-00-01", "--range", "10.2.0.5", "--name", "x"},
         true,
         {"02-00-00-00-00-01", "--name", "x"},
         "10.2.0.5",
         0,
         false},
        {"companion without a range", {"--why"}, false, {}, "", 0, true},
        {"rate zero", {"--range", "10.2.0.1", "--rate", "0"}, false, {}, "10.2.0.1", 0, false},
        {"rate not a number", {"--range", "10.2.0.1", "--rate", "9x"}, false, {}, "10.2.0.1", 0, false},
        {"rate too high", {"--range", "10.2.0.1", "--rate", "100001"}, false, {}, "10.2.0.1", 0, false},
        {"range without a value is the command's", {"--range"}, true, {"--range"}, "", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args = c.args;
        cli::RangeRequest request;
        EXPECT_EQ(cli::takeRangeOptions(args, request), c.ok);
        EXPECT_EQ(request.ranges, c.ranges);
        EXPECT_EQ(request.why, c.why);
        if (!c.ok)
            continue;
        EXPECT_EQ(args, c.rest);
        EXPECT_EQ(request.rate, c.rate);
    }
}

} // namespace
