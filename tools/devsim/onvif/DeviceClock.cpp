#include "DeviceClock.h"

#include <cstdlib>
#include <ctime>
#include <sstream>

namespace devsim::onvif {

namespace {

// What the local-as-utc quirk's clock shows ahead of its real UTC.
constexpr int64_t kLocalAhead = 8 * 3600;

void addDateTime(pugi::xml_node parent, const Prefixes& px, const char* name, int64_t when) {
    const auto t = static_cast<std::time_t>(when);
    std::tm tm{};
    gmtime_r(&t, &tm);
    pugi::xml_node dt = Envelope::add(parent, px.tt, name);
    Envelope::addEach(Envelope::add(dt, px.tt, "Time"), px.tt,
                      {{"Hour", std::to_string(tm.tm_hour)},
                       {"Minute", std::to_string(tm.tm_min)},
                       {"Second", std::to_string(tm.tm_sec)}});
    Envelope::addEach(Envelope::add(dt, px.tt, "Date"), px.tt,
                      {{"Year", std::to_string(tm.tm_year + 1900)},
                       {"Month", std::to_string(tm.tm_mon + 1)},
                       {"Day", std::to_string(tm.tm_mday)}});
}

bool readNumber(const pugi::xml_node& node, const char* name, int low, int high, int& out) {
    const std::string text = childText(node, name);
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < low || v > high)
        return false;
    out = static_cast<int>(v);
    return true;
}

// Seconds since the epoch of a DateTime element; false when a field is missing or out of range.
bool readDateTime(const pugi::xml_node& when, int64_t& out) {
    const pugi::xml_node date = child(when, "Date"), time = child(when, "Time");
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    if (!readNumber(date, "Year", 1970, 9999, y) || !readNumber(date, "Month", 1, 12, mo) ||
        !readNumber(date, "Day", 1, 31, d) || !readNumber(time, "Hour", 0, 23, h) ||
        !readNumber(time, "Minute", 0, 59, mi) || !readNumber(time, "Second", 0, 60, s))
        return false;
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    out = static_cast<int64_t>(timegm(&tm));
    return true;
}

bool cleanText(const std::string& s, size_t max) {
    if (s.empty() || s.size() > max)
        return false;
    for (const unsigned char c : s)
        if (c <= 0x20 || c == 0x7f)
            return false;
    return true;
}

} // namespace

int64_t deviceClock(const OnvifDevice& device, int64_t hostNow, int64_t fleetOffset) {
    return hostNow + (device.clockSet ? device.clockOffset : fleetOffset);
}

const std::string& devicePassword(const OnvifDevice& device, const std::string& fleetPassword) {
    return device.password.empty() ? fleetPassword : device.password;
}

bool handleClockOrUser(OnvifDevice& device, const std::string& name, const pugi::xml_node& op, const Prefixes& px,
                       pugi::xml_node body, int64_t hostNow, int64_t fleetOffset, const std::string& user,
                       const ClockQuirks& quirks, bool localAsUtc, std::optional<ClockFault>& fault, bool& changed) {
    fault.reset();
    const std::string& tds = px.tds;
    const std::string& tt = px.tt;
    const int64_t now = deviceClock(device, hostNow, fleetOffset);
    if (name == "GetSystemDateAndTime") {
        pugi::xml_node sdt =
            Envelope::add(Envelope::add(body, tds, "GetSystemDateAndTimeResponse"), tds, "SystemDateAndTime");
        Envelope::add(sdt, tt, "DateTimeType", device.ntp ? "NTP" : "Manual");
        Envelope::add(sdt, tt, "DaylightSavings", device.daylightSavings ? "true" : "false");
        Envelope::add(Envelope::add(sdt, tt, "TimeZone"), tt, "TZ", localAsUtc ? "CST-8" : device.timeZone);
        addDateTime(sdt, px, "UTCDateTime", now + (localAsUtc ? kLocalAhead : 0));
        addDateTime(sdt, px, "LocalDateTime", now + (localAsUtc ? kLocalAhead : 0));
    } else if (name == "SetSystemDateAndTime") {
        const std::string type = childText(op, "DateTimeType");
        bool dst = device.daylightSavings;
        const std::string dstText = childText(op, "DaylightSavings");
        if ((type != "Manual" && type != "NTP") || (dstText != "true" && dstText != "false")) {
            fault = ClockFault{true, "InvalidArgVal", "InvalidDateTime", "DateTimeType or DaylightSavings"};
            return true;
        }
        dst = dstText == "true";
        const pugi::xml_node zone = child(op, "TimeZone");
        const std::string tz = childText(zone, "TZ");
        if (zone && (quirks.refuseTimeZone || !cleanText(tz, 63))) {
            fault = ClockFault{true, "InvalidArgVal", "InvalidTimeZone", "The time zone is not supported"};
            return true;
        }
        int64_t utc = 0;
        if (type == "Manual" && !readDateTime(child(op, "UTCDateTime"), utc)) {
            fault = ClockFault{true, "InvalidArgVal", "InvalidDateTime", "The date or time is not valid"};
            return true;
        }
        if (type == "Manual") {
            device.clockSet = true;
            device.clockOffset = utc - hostNow;
        }
        device.ntp = type == "NTP";
        device.daylightSavings = dst;
        if (zone)
            device.timeZone = tz;
        changed = true;
        Envelope::add(body, tds, "SetSystemDateAndTimeResponse");
    } else if (name == "GetNTP") {
        pugi::xml_node info = Envelope::add(Envelope::add(body, tds, "GetNTPResponse"), tds, "NTPInformation");
        Envelope::add(info, tt, "FromDHCP", "false");
        for (const std::string& server : device.ntpServers) {
            const bool address = server.find_first_not_of("0123456789.") == std::string::npos;
            Envelope::addEach(Envelope::add(info, tt, "NTPManual"), tt,
                              {{"Type", address ? "IPv4" : "DNS"}, {address ? "IPv4Address" : "DNSname", server}});
        }
    } else if (name == "SetNTP") {
        if (childText(op, "FromDHCP") == "true") {
            fault = ClockFault{true, "InvalidArgVal", "", "No DHCP server gives NTP servers here"};
            return true;
        }
        std::vector<std::string> servers;
        for (pugi::xml_node c = op.first_child(); c; c = c.next_sibling()) {
            if (c.type() != pugi::node_element || localName(c) != "NTPManual")
                continue;
            std::string server = childText(c, "IPv4Address");
            if (server.empty())
                server = childText(c, "DNSname");
            if (!cleanText(server, 63) || servers.size() >= 4) {
                fault = ClockFault{true, "InvalidArgVal", "InvalidIPv4Address", "Up to four NTP servers"};
                return true;
            }
            servers.push_back(server);
        }
        device.ntpServers = std::move(servers);
        changed = true;
        Envelope::add(body, tds, "SetNTPResponse");
    } else if (name == "GetUsers") {
        Envelope::addEach(Envelope::add(Envelope::add(body, tds, "GetUsersResponse"), tds, "User"), tt,
                          {{"Username", user}, {"UserLevel", "Administrator"}});
    } else if (name == "SetUser") {
        const pugi::xml_node entry = child(op, "User");
        const std::string password = childText(entry, "Password");
        if (childText(entry, "Username") != user) {
            fault = ClockFault{true, "InvalidArgVal", "UsernameMissing", "No such user"};
            return true;
        }
        bool printable = true;
        for (const unsigned char c : password)
            printable = printable && c >= 0x20 && c != 0x7f;
        if (password.size() < 8 || password.size() > 64 || !printable) {
            fault = ClockFault{true, "OperationProhibited", "PasswordTooWeak", "Too weak password"};
            return true;
        }
        if (!quirks.keepPassword) {
            device.password = password;
            changed = true;
        }
        Envelope::add(body, tds, "SetUserResponse");
    } else {
        return false;
    }
    return true;
}

bool SignInLocks::locked(const std::string& endpoint, int64_t nowMs) const {
    const auto it = state_.find(endpoint);
    return it != state_.end() && it->second.until > nowMs;
}

void SignInLocks::wrong(const std::string& endpoint, int64_t nowMs) {
    State& s = state_[endpoint];
    if (s.until > nowMs)
        return;
    if (++s.wrong >= limit_) {
        s.wrong = 0;
        s.until = nowMs + lockMs_;
    }
}

std::string formatClockFields(const OnvifDevice& d) {
    std::ostringstream out;
    if (d.clockSet)
        out << "\tclockOffset=" << d.clockOffset;
    if (d.timeZone != "UTC0")
        out << "\ttimeZone=" << d.timeZone;
    if (d.ntp)
        out << "\tntp=1";
    if (d.daylightSavings)
        out << "\tdst=1";
    std::string servers;
    for (const std::string& s : d.ntpServers)
        servers += (servers.empty() ? "" : ",") + s;
    if (!servers.empty())
        out << "\tntpServers=" << servers;
    // A simulator's test password, kept so that a restart plays the device as it was left.
    if (!d.password.empty())
        out << "\tpassword=" << d.password;
    return out.str();
}

bool parseClockFields(const std::map<std::string, std::string>& fields, OnvifDevice& d) {
    auto get = [&fields](const char* key) {
        const auto it = fields.find(key);
        return it == fields.end() ? std::string() : it->second;
    };
    if (const std::string offset = get("clockOffset"); !offset.empty()) {
        char* end = nullptr;
        d.clockOffset = std::strtoll(offset.c_str(), &end, 10);
        if (*end != '\0' || std::llabs(d.clockOffset) > 100LL * 365 * 86400)
            return false;
        d.clockSet = true;
    }
    if (const std::string zone = get("timeZone"); !zone.empty())
        d.timeZone = zone;
    d.ntp = get("ntp") == "1";
    d.daylightSavings = get("dst") == "1";
    std::istringstream servers(get("ntpServers"));
    for (std::string s; std::getline(servers, s, ',');)
        if (!s.empty())
            d.ntpServers.push_back(s);
    d.password = get("password");
    return true;
}

} // namespace devsim::onvif
