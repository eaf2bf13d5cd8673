// The command-line client's handling of secrets, checked before anything goes on the network.

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

#include "DevsimProcess.h"

namespace {

struct CliRun {
    int status = -1;
    std::string output;
};

CliRun vexa(const std::string& args) {
    CliRun run;
    FILE* pipe = ::popen((testutil::binDir() + "/vexa " + args + " 2>&1 </dev/null").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        run.output += buffer;
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(Cli, ResetRefusesANewPasswordTheRecordWouldCut) {
    // The reset record holds 16 bytes: a longer password would reach the device cut short, and the installer
    // would not know the password the device now has.
    ::setenv("VEXA_PASSWORD", "Seventeen-Chars-1", 1);
    const CliRun tooLong = vexa("reset NO-SUCH-DEVICE --key ABC --seconds 0.2");
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.output.find("longer than 16 bytes"), std::string::npos) << tooLong.output;

    ::setenv("VEXA_PASSWORD", "Sixteen-Chars-12", 1);
    const CliRun fits = vexa("reset NO-SUCH-DEVICE --key ABC --seconds 0.2");
    EXPECT_EQ(fits.status, 1);
    EXPECT_NE(fits.output.find("not heard"), std::string::npos) << fits.output;
    ::unsetenv("VEXA_PASSWORD");
}

TEST(Cli, PortsOutOfRangeAreRefusedNotNarrowed) {
    // 70000 narrowed to 16 bits would quietly configure port 4464.
    ::setenv("VEXA_PASSWORD", "Good-Pass1", 1);
    for (const char* option : {"--port 70000", "--http-port -1", "--rtsp-port 80x", "--prefix 129", "--dhcp 2"}) {
        const CliRun run = vexa(std::string("set-network 02-00-00-00-00-01 ") + option + " --seconds 0.2");
        EXPECT_EQ(run.status, 1) << option;
        EXPECT_NE(run.output.find("takes a number from 0 to"), std::string::npos) << option << ": " << run.output;
    }
}
