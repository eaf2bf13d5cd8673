#include <string>
#include <vector>

#include "ClockCommands.h"
#include "Commands.h"
#include "deployment/FieldText.h"

namespace cli {

int setPassword(const std::vector<std::string>& args) {
    Batch batch;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--all") {
            batch.all = true;
        } else if ((a == "--user" || a == "--seconds") && i + 1 < args.size()) {
            const std::string& value = args[++i];
            if (a == "--user")
                batch.user = value;
            else if (!parseSeconds(value, batch.seconds))
                return 2;
        } else if (a.rfind("--", 0) == 0) {
            return -1;
        } else {
            batch.names.push_back(a);
        }
    }
    if (batch.user.empty() || (batch.names.empty() && !batch.all))
        return -1;
    // Both secrets before anything goes on the network; neither is ever printed.
    batch.password = readSecretFrom("VEXA_PASSWORD");
    std::string newPassword = readSecretFrom("VEXA_NEW_PASSWORD");
    if (newPassword.empty() || newPassword.size() > 64) {
        std::fprintf(stderr, "vexa: the new password must have 1 to 64 bytes\n");
        return 1;
    }
    const int status = runBatch(batch, [&newPassword](const VEXA_DEVICE_INFO& d, std::string& line) {
        if (VEXA_SetUserPassword(VexaTool::plan::fieldText(d.endpointReference).c_str(), newPassword.c_str())) {
            line = "password changed, and it signs in with the new one: ok";
            return true;
        }
        line = failureLine("set-password");
        return false;
    });
    for (char& c : newPassword)
        *static_cast<volatile char*>(&c) = 0;
    return status;
}

} // namespace cli
