#include "Clock.h"

#include <algorithm>
#include <cctype>
#include <ctime>
#include <sstream>

#include "DeviceMessages.h"
#include "WsDiscovery.h"
#include "Xml.h"

namespace vexa::onvif {

namespace {

bool isAddress(const std::string& host) {
    const auto url = parseUrl("http://" + host + "/");
    return url && url->ipv4 && url->host == host;
}

} // namespace

bool readClock(const pugi::xml_node& response, std::chrono::system_clock::time_point ours, ClockState& out) {
    std::chrono::system_clock::time_point utc;
    if (!isNamed(response, "GetSystemDateAndTimeResponse") || !readSystemDateAndTime(response, utc))
        return false;
    const pugi::xml_node all = child(response, "SystemDateAndTime");
    out.offsetRead = true;
    out.offset = std::chrono::duration_cast<std::chrono::seconds>(utc - ours);
    out.ntp = text(child(all, "DateTimeType")) == "NTP";
    out.daylightSavings = isTrue(child(all, "DaylightSavings"));
    out.timeZone = text(path(all, {"TimeZone", "TZ"}));
    return true;
}

bool readNtp(const pugi::xml_node& response, ClockState& out) {
    if (!isNamed(response, "GetNTPResponse"))
        return false;
    const pugi::xml_node info = child(response, "NTPInformation");
    out.ntpRead = true;
    out.ntpFromDhcp = isTrue(child(info, "FromDHCP"));
    out.ntpServers.clear();
    for (const char* list : {"NTPManual", "NTPFromDHCP"}) {
        if ((std::string(list) == "NTPManual") == out.ntpFromDhcp)
            continue; // the servers in use
        for (const pugi::xml_node& entry : children(info, list)) {
            for (const char* field : {"IPv4Address", "DNSname", "IPv6Address"}) {
                const std::string value = text(child(entry, field));
                if (!value.empty()) {
                    out.ntpServers.push_back(value);
                    break;
                }
            }
        }
    }
    return true;
}

void fillSetDateTime(pugi::xml_node request, bool ntp, bool daylightSavings, const std::string& timeZone,
                     std::chrono::system_clock::time_point utc) {
    request.append_child("tds:DateTimeType").text() = ntp ? "NTP" : "Manual";
    request.append_child("tds:DaylightSavings").text() = daylightSavings ? "true" : "false";
    if (!timeZone.empty())
        request.append_child("tds:TimeZone").append_child("tt:TZ").text() = timeZone.c_str();
    if (ntp)
        return;
    const std::time_t t = std::chrono::system_clock::to_time_t(utc);
    std::tm tm{};
    gmtime_r(&t, &tm);
    pugi::xml_node when = request.append_child("tds:UTCDateTime");
    pugi::xml_node time = when.append_child("tt:Time");
    time.append_child("tt:Hour").text() = tm.tm_hour;
    time.append_child("tt:Minute").text() = tm.tm_min;
    time.append_child("tt:Second").text() = tm.tm_sec;
    pugi::xml_node date = when.append_child("tt:Date");
    date.append_child("tt:Year").text() = tm.tm_year + 1900;
    date.append_child("tt:Month").text() = tm.tm_mon + 1;
    date.append_child("tt:Day").text() = tm.tm_mday;
}

void fillSetNtp(pugi::xml_node request, const std::vector<std::string>& servers) {
    request.append_child("tds:FromDHCP").text() = "false";
    for (const std::string& server : servers) {
        pugi::xml_node entry = request.append_child("tds:NTPManual");
        const bool address = isAddress(server);
        entry.append_child("tt:Type").text() = address ? "IPv4" : "DNS";
        entry.append_child(address ? "tt:IPv4Address" : "tt:DNSname").text() = server.c_str();
    }
}

bool parseNtpServers(const std::string& list, std::vector<std::string>& out) {
    out.clear();
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, ',');) {
        const bool clean = !item.empty() && item.size() <= 63 && std::all_of(item.begin(), item.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':';
        });
        if (!clean)
            return false;
        out.push_back(item);
    }
    return !out.empty() && out.size() <= 4 && (list.empty() || list.back() != ',');
}

bool validTimeZone(const std::string& zone) {
    return !zone.empty() && zone.size() <= 63 &&
           std::all_of(zone.begin(), zone.end(), [](char c) { return c > 0x20 && c < 0x7f; });
}

bool timeApplied(const TimeRequest& asked, bool zoneSent, const ClockState& after, std::chrono::seconds tolerance) {
    if (!after.offsetRead)
        return false;
    if (zoneSent && after.timeZone != asked.timeZone)
        return false;
    if (asked.ntpServers.empty())
        return !after.ntp && std::chrono::abs(after.offset) <= tolerance;
    return after.ntp && after.ntpRead && !after.ntpFromDhcp && after.ntpServers == asked.ntpServers;
}

} // namespace vexa::onvif
