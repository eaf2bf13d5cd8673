#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <mutex>
#include <unistd.h>
#include <vector>

#include "AddressAsk.h"
#include "Commands.h"
#include "PlanCommands.h"
#include "SafeText.h"
#include "deployment/DeploymentPlan.h"
#include "deployment/FieldText.h"
#include "deployment/NetworkChange.h"
#include "deployment/PlanApply.h"
#include "deployment/PlanValidator.h"
#include "deployment/Receipt.h"
#include "vexa.h"

namespace cli {

namespace {

using namespace VexaTool::plan;

// Every device heard, by serial number and MAC; a device that says goodbye leaves the list.
struct Heard {
    std::mutex mutex;
    std::map<std::string, VEXA_DEVICE_INFO> devices;
};

void onDevice(const VEXA_DEVICE_INFO* info, void* user) {
    auto* heard = static_cast<Heard*>(user);
    if (!info)
        return;
    // An ONVIF device is in the plan's view once its details (serial number, MAC, settings) are read.
    const std::string key = deviceKey(*info);
    std::lock_guard<std::mutex> lock(heard->mutex);
    if (info->eventType == VEXA_EVENT_GONE)
        heard->devices.erase(key);
    else
        heard->devices[key] = *info;
}

std::string lowerMac(std::string mac) {
    for (char& c : mac)
        c = c == ':' ? '-' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return mac;
}

// The endpoint references of the ONVIF devices the plan's rows name (by current address, serial number or MAC);
// one empty reference when a row names no device heard at all.
std::vector<std::string> onvifNamed(const DeploymentPlan& plan, Heard& heard) {
    std::vector<std::string> out;
    std::lock_guard<std::mutex> lock(heard.mutex);
    for (const PlanRow& row : plan.rows()) {
        bool any = false;
        for (const auto& [key, info] : heard.devices) {
            const bool named = (!row.currentIpv4.empty() && row.currentIpv4 == fieldText(info.ipv4Address)) ||
                               (!row.serial.empty() && row.serial == fieldText(info.serialNo)) ||
                               (!row.mac.empty() && lowerMac(row.mac) == lowerMac(fieldText(info.mac)));
            any = any || named;
            if (named && can(info, VEXA_SIGNS_IN_AS_USER))
                out.push_back(fieldText(info.endpointReference));
        }
        if (!any)
            return {std::string()};
    }
    return out;
}

PlanDevice planDevice(const VEXA_DEVICE_INFO& info) {
    return planDeviceOf(info, VEXA_DeviceCapabilities(info.protocol),
                        !can(info, VEXA_DETAILS_READ_LATER) || detailsRead(info));
}

std::string json(const std::string& value) {
    std::string out = "\"";
    for (const char ch : value) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c == 0x7f) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else {
            out += ch; // UTF-8 passes through: JSON text is UTF-8
        }
    }
    return inertJson(out + '"');
}

void wipe(std::string& secret) {
    volatile char* p = secret.data();
    for (size_t i = 0; i < secret.size(); ++i)
        p[i] = 0;
}

// The receipt, written row by row as the devices answer and flushed to disk after each, so that a crash or a
// kill still leaves every result that was reported. Created exclusively (never through a link, never over a file
// someone planted); an existing receipt is replaced only with --force, and then by a new file of ours.
class ReceiptFile {
public:
    ~ReceiptFile() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open(const std::string& path, bool force, std::string& error) {
        if (force && ::unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = std::strerror(errno);
            return false;
        }
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            error = errno == EEXIST ? "the file exists (--force replaces it)" : std::strerror(errno);
            return false;
        }
        header_ = receiptCsv({}, englishReceiptHeader());
        return write(header_);
    }
    bool add(const ReceiptEntry& entry) { return write(receiptLine(entry)); }

private:
    bool write(const std::string& data) {
        size_t done = 0;
        while (done < data.size()) {
            const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            done += static_cast<size_t>(n);
        }
        return ::fdatasync(fd_) == 0;
    }
    int fd_ = -1;
    std::string header_;
};

} // namespace

const char* planUsage() {
    return "       vexa discover --csv [--seconds S]   (the columns a plan file reads)\n"
           "       vexa apply-plan FILE [--json] [--seconds S] [--receipt FILE [--force]] [--user NAME]\n"
           "                            [--no-address-check]\n"
           "                            (admin password as for activate; nothing is sent unless every row passes,\n"
           "                             and no new address answers when asked; --user: the ONVIF login goes to\n"
           "                             the devices the rows name, and to every ONVIF device that answers when a\n"
           "                             row names a device not heard without it)\n";
}

int applyPlan(const std::vector<std::string>& argsIn) {
    std::vector<std::string> args = argsIn;
    const bool askAddresses = !takeNoAddressCheck(args);
    std::string path;
    std::string receiptPath;
    std::string user;
    bool asJson = false;
    bool force = false;
    double seconds = 3.0;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--json") {
            asJson = true;
        } else if (args[i] == "--seconds" && i + 1 < args.size()) {
            if (!parseSeconds(args[++i], seconds))
                return 2;
        } else if (args[i] == "--user" && i + 1 < args.size()) {
            user = args[++i];
        } else if (args[i] == "--receipt" && i + 1 < args.size()) {
            receiptPath = args[++i];
        } else if (args[i] == "--force") {
            force = true;
        } else if (path.empty() && args[i].rfind("--", 0) != 0) {
            path = args[i];
        } else {
            std::fprintf(stderr, "vexa apply-plan: unknown option %s\n", args[i].c_str());
            return 2;
        }
    }
    if (path.empty()) {
        std::fprintf(stderr, "usage:\n%s", planUsage());
        return 2;
    }

    // The whole plan is read and checked before anything goes on the network.
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        std::fprintf(stderr, "vexa apply-plan: cannot read %s\n", path.c_str());
        return 1;
    }
    std::string data(DeploymentPlan::maxFileSize + 1, '\0');
    file.read(data.data(), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<size_t>(file.gcount()));
    const DeploymentPlan plan = DeploymentPlan::parse(data);
    if (plan.error() != DeploymentPlan::FileError::None) {
        if (asJson)
            std::printf("{\"error\":%s}\n", json(fileErrorText(plan)).c_str());
        else
            std::fprintf(stderr, "vexa apply-plan: %s: %s\n", path.c_str(), fileErrorText(plan).c_str());
        return 1;
    }
    if (plan.rows().empty()) {
        std::fprintf(stderr, "vexa apply-plan: %s has no rows\n", path.c_str());
        return 1;
    }
    // A receipt that cannot be written is found out before the devices change, not after.
    ReceiptFile receiptFile;
    std::string receiptError;
    if (!receiptPath.empty() && !receiptFile.open(receiptPath, force, receiptError)) {
        std::fprintf(stderr, "vexa apply-plan: cannot write the receipt %s: %s; nothing was sent\n",
                     receiptPath.c_str(), receiptError.c_str());
        return 1;
    }
    bool receiptOk = true;
    std::string password = readSecretFrom("VEXA_PASSWORD");
    if (password.empty()) {
        std::fprintf(stderr, "vexa apply-plan: the administrator password is empty\n");
        return 1;
    }
    if (password.size() > sizeof(VEXA_RESET_PARAM::newPassword)) {
        std::fprintf(stderr, "vexa apply-plan: the administrator password is longer than %zu bytes\n",
                     sizeof(VEXA_RESET_PARAM::newPassword));
        return 1;
    }

    Heard heard;
    if (!startDiscovery(onDevice, &heard, std::string(), std::string())) {
        wipe(password);
        return 1;
    }
    // The whole link is heard, not only the planned devices: an address may belong to a device left out.
    listenFor(seconds);
    if (!user.empty()) {
        // The ONVIF login goes to the devices the rows name; only a row that names no device heard (a serial
        // number or MAC that a login would reveal) sends it to every ONVIF device that answers.
        const std::vector<std::string> endpoints = onvifNamed(plan, heard);
        bool everyone = false;
        if (endpoints.size() == 1 && endpoints.front().empty()) {
            std::fprintf(stderr, "vexa apply-plan: a row names no device heard: every ONVIF device that answers is "
                                 "sent the login to read its serial number and MAC\n");
            everyone = true;
        }
        std::vector<const char*> names;
        for (const std::string& endpoint : endpoints)
            names.push_back(endpoint.c_str());
        const bool given = everyone ? setOnvifLogin(user, password)
                                    : VEXA_SetOnvifCredentialsFor(names.data(), static_cast<uint32_t>(names.size()),
                                                                  user.c_str(), password.c_str()) == 1;
        if (!given) {
            VEXA_Stop();
            wipe(password);
            return 1;
        }
        listenFor(seconds);
    }
    std::vector<VEXA_DEVICE_INFO> records;
    {
        std::lock_guard<std::mutex> lock(heard.mutex);
        for (const auto& entry : heard.devices) {
            const VEXA_DEVICE_INFO& info = entry.second;
            // Kept in the check's view all the same: its address is taken, and a row naming it says why it
            // cannot be planned.
            if (can(info, VEXA_DETAILS_READ_LATER) && !detailsRead(info))
                std::fprintf(stderr, "vexa apply-plan: ONVIF device %s at %s cannot be planned: details %s\n",
                             terminalText(fieldText(info.endpointReference)).c_str(),
                             terminalText(fieldText(info.ipv4Address)).c_str(), detailsText(info.detailsState));
            records.push_back(info);
        }
    }
    std::vector<PlanDevice> devices;
    for (const VEXA_DEVICE_INFO& info : records)
        devices.push_back(planDevice(info));

    PlanCheck check = validatePlan(plan, devices);
    std::vector<PlannedChange> changes = plannedChanges(plan, check, devices);
    // Nothing answering in our protocol is not proof that an address is free: ask each new address itself.
    if (check.ok() && askAddresses) {
        const std::vector<size_t> asked = changesToAskFirst(changes, devices);
        std::vector<std::string> addresses;
        for (const size_t i : asked)
            addresses.push_back(changes[i].newAddress);
        refuseAnsweredAddresses(check, changes, asked, whoAnswersAt(addresses, "apply-plan"));
    }
    if (!check.ok()) {
        for (const PlanIssue& issue : check.issues) {
            const PlanRow& row = plan.rows()[static_cast<size_t>(issue.row)];
            const std::string column(DeploymentPlan::columnName(issue.field));
            if (asJson)
                std::printf("{\"line\":%d,\"column\":%s,\"message\":%s}\n", row.line, json(column).c_str(),
                            json(issueText(issue)).c_str());
            else
                std::printf("line %d, %s: %s\n", row.line, column.c_str(), terminalText(issueText(issue)).c_str());
        }
        std::fprintf(stderr, "vexa apply-plan: the plan is refused (%zu problems); nothing was sent\n",
                     check.issues.size());
        VEXA_Stop();
        wipe(password);
        return 1;
    }

    if (!askAddresses) {
        std::fprintf(stderr, "vexa apply-plan: address check skipped (--no-address-check)\n");
        if (!receiptPath.empty() && !receiptFile.add(addressCheckSkippedEntry())) {
            receiptOk = false;
            std::fprintf(stderr, "vexa apply-plan: cannot write the receipt %s\n", receiptPath.c_str());
        }
    }
    const auto send = [](const PlanDevice& device, const std::string& secret, VEXA_NET_PARAM& params) {
        DeviceReply reply;
        if (VEXA_ModifyDeviceNetParam(device.mac.c_str(), secret.c_str(), &params))
            return reply;
        reply.code = VEXA_GetLastError();
        char detail[512] = {};
        VEXA_GetLastErrorDetail(detail, sizeof detail);
        reply.detail = detail;
        return reply;
    };
    const auto report = [&](const PlannedChange& change, const ApplyOutcome& outcome) {
        const PlanRow& row = plan.rows()[static_cast<size_t>(change.row)];
        const PlanDevice& device = devices[static_cast<size_t>(change.device)];
        // The name as the plan wrote it (UTF-8); the device got its Latin-1 bytes.
        const ReceiptEntry entry =
            NetworkChange::receiptEntry(change, device, row.name, outcome, NetworkChange::englishResult(outcome));
        if (asJson)
            std::printf("{\"line\":%d,\"time\":%s,\"serialNo\":%s,\"mac\":%s,\"oldAddress\":%s,\"newAddress\":%s,"
                        "\"name\":%s,\"sent\":%s,\"code\":%u,\"result\":%s,\"detail\":%s}\n",
                        row.line, json(entry.time).c_str(), json(entry.serial).c_str(), json(entry.mac).c_str(),
                        json(entry.oldAddress).c_str(), json(entry.newAddress).c_str(), json(entry.name).c_str(),
                        outcome.wasSent() ? "true" : "false", outcome.code, json(entry.result).c_str(),
                        json(entry.detail).c_str());
        else
            std::printf(
                "line %d: %s %s %s -> %s \"%s\": %s\n", row.line, terminalText(entry.serial).c_str(),
                terminalText(entry.mac).c_str(), terminalText(entry.oldAddress).c_str(),
                terminalText(entry.newAddress).c_str(), terminalText(entry.name).c_str(),
                terminalText(entry.detail.empty() ? entry.result : entry.result + " The device says: " + entry.detail)
                    .c_str());
        std::fflush(stdout);
        if (!receiptPath.empty() && receiptOk && !receiptFile.add(entry)) {
            receiptOk = false;
            std::fprintf(stderr, "vexa apply-plan: cannot write the receipt %s\n", receiptPath.c_str());
        }
    };
    AskAddress ask;
    if (askAddresses)
        ask = [](const std::string& address) { return whoAnswersAt({address}, "apply-plan").front(); };
    // The same secret goes to both kinds of device: --user's login is read from the same place.
    Credentials credentials{password, password};
    const size_t failed =
        applyPlannedChanges(changes, devices, check, NetworkChange(send, ask, true), credentials, report);
    credentials.wipe();
    wipe(password);
    VEXA_Stop();

    std::fprintf(stderr, "vexa apply-plan: %zu of %zu devices changed\n", changes.size() - failed, plan.rows().size());
    if (!receiptOk)
        return 1;
    return failed || changes.size() != plan.rows().size() ? 1 : 0;
}

} // namespace cli
