// vexa: the command-line client on the public C API, for installers' scripts, tests and benchmarks.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ClockCommands.h"
#include "Commands.h"
#include "PlanCommands.h"
#include "RangeScan.h"
#include "vexa.h"

namespace {

void usage() {
    std::fprintf(stderr,
                 "usage: vexa discover [--json] [--seconds S] [--user NAME]   (ONVIF login; password as for activate)\n"
                 "       (--user sends the login to every ONVIF device that answers, a fake camera too)\n"
                 "       vexa inventory [--json|--csv] [--user NAME] [--user-column] [--seconds S]\n"
                 "       vexa snapshot DEVICE --out FILE [--force] [--profile TOKEN] [--user NAME]\n"
                 "       discover, apply-plan and the operations take --range 10.2.0.0/24[,10.3.0.10-10.3.0.50]\n"
                 "       [--rate N] [--why] [--allow-public] [--http-fallback]: devices on other subnets\n"
                 "       (ours found there are changed at their own address, ONVIF devices over HTTP)\n%s",
                 cli::operationsUsage());
    std::fputs(cli::planUsage(), stderr);
    std::fputs(cli::clockUsage(), stderr);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage();
        return 2;
    }
    // Certificate verdicts kept across runs in the user's cache folder.
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache && *cache)
        VEXA_SetVerdictFile((std::string(cache) + "/vexa/verdicts").c_str());
    else if (const char* home = std::getenv("HOME"); home && *home)
        VEXA_SetVerdictFile((std::string(home) + "/.cache/vexa/verdicts").c_str());
    // ONVIF HTTPS certificates pinned on first contact, in the user's data folder.
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        VEXA_SetOnvifPinFile((std::string(data) + "/vexa/onvif-pins").c_str());
    else if (const char* home = std::getenv("HOME"); home && *home)
        VEXA_SetOnvifPinFile((std::string(home) + "/.local/share/vexa/onvif-pins").c_str());
    const std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    cli::RangeRequest range;
    if (!cli::takeRangeOptions(args, range))
        return 2;
    if (command == "discover" && cli::wantsCsv(args))
        return cli::discoverCsv(args);
    if (command == "apply-plan")
        return cli::applyPlan(args);
    if (command == "discover")
        return cli::discover(args);
    if (command == "inventory")
        return cli::inventory(args);
    if (command == "snapshot")
        return cli::snapshot(args);
    if (command == "set-time" || command == "set-password") {
        const int status = command == "set-time" ? cli::setTime(args) : cli::setPassword(args);
        if (status == -1)
            usage();
        return status == -1 ? 2 : status;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        usage();
        return 0;
    }
    const int result = cli::operation(command, args);
    if (result == -1) {
        usage();
        return 2;
    }
    return result;
}
