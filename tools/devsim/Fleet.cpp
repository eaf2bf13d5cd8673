#include "Fleet.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "SplitMix.h"

namespace devsim {

namespace {

std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* fmt, ...) {
    char buffer[128];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

struct Model {
    uint32_t typeCode;
    const char* name;
    uint8_t deviceClass;
    uint32_t channels;
    bool recorder;
};

// Codes inside the 0x9D00-0x9FFF ranges and outside them, as a mixed installation has.
const Model kModels[] = {
    {0x9D01, "VX-IPC-B120", 1, 1, false}, {0x9D37, "VX-IPC-D240", 1, 1, false}, {0x9E20, "VX-PTZ-Z330", 1, 1, false},
    {0x9FFF, "VX-IPC-T380", 1, 1, false}, {0x0031, "VX-NVR-N208", 1, 8, true},  {0x2108, "VX-NVR-N416", 1, 16, true},
    {0xA002, "VX-DVR-H104", 1, 4, true},
};
const Model kOtherModels[] = {{0x5A01, "VX-ACS-A100", 2, 0, false}, {0x5B10, "VX-ALM-P200", 2, 0, false}};

template <typename F>
void forEachField(vexa::proto::DeviceRecord& r, F&& f) {
    f("serial", r.serialNo);
    f("mac", r.mac);
    f("ipv4", r.ipv4Address);
    f("mask", r.ipv4SubnetMask);
    f("gateway", r.ipv4Gateway);
    f("typeCode", r.deviceTypeCode);
    f("port", r.port);
    f("channels", r.channelCount);
    f("aux", r.auxCount);
    f("software", r.softwareVersion);
    f("dsp", r.dspVersion);
    f("bootTime", r.bootTime);
    f("typeName", r.deviceTypeName);
    f("oemInfo", r.oemInfo);
    f("ipv6", r.ipv6Address);
    f("ipv6Gateway", r.ipv6Gateway);
    f("ipv6Prefix", r.ipv6PrefixLength);
    f("support", r.supportFlags);
    f("dhcp", r.dhcpEnabled);
    f("capability", r.capabilityLevel);
    f("httpPort", r.httpPort);
    f("class", r.deviceClass);
    f("oemCode", r.oemCode);
    f("activation", r.activationState);
    f("resetFlags", r.resetFlags);
    f("name", r.deviceName);
    f("serviceTag", r.serviceTag);
    f("rtspPort", r.rtspPort);
    f("version", r.version);
}

void put(std::ostringstream& out, const char* key, const std::string& v) {
    out << key << '=' << v << '\t';
}
template <typename T>
void put(std::ostringstream& out, const char* key, T v) {
    out << key << '=' << static_cast<unsigned long>(v) << '\t';
}

bool assign(std::string& field, const std::string& value) {
    field = value;
    return true;
}
template <typename T>
bool assign(T& field, const std::string& value) {
    char* end = nullptr;
    errno = 0;
    const unsigned long v = std::strtoul(value.c_str(), &end, 0);
    if (value.empty() || *end != '\0' || errno != 0 || v > static_cast<unsigned long>(T(~T(0))))
        return false;
    field = static_cast<T>(v);
    return true;
}

} // namespace

std::vector<SimDevice> generateFleet(uint32_t count, uint64_t seed) {
    std::vector<SimDevice> fleet(count);
    const unsigned seedByte = static_cast<unsigned>(seed & 0xff);
    for (uint32_t i = 0; i < count; ++i) {
        uint64_t state = seed * 0x100000001B3ull + i;
        auto roll = [&state](uint32_t n) { return static_cast<uint32_t>(splitmix(state) % n); };
        vexa::proto::DeviceRecord& r = fleet[i].record;
        const bool plain = i == 0;
        const bool otherClass = !plain && roll(100) < 4;
        const Model& model = otherClass ? kOtherModels[roll(2)] : kModels[plain ? 0 : roll(7)];
        r.serialNo = format("VX%s%02X%09u", model.name + 3, seedByte, i);
        r.serialNo.erase(std::remove(r.serialNo.begin(), r.serialNo.end(), '-'), r.serialNo.end());
        // Locally administered addresses: never a real vendor's block.
        r.mac = format("02-56-%02x-%02x-%02x-%02x", seedByte, (i >> 16) & 0xff, (i >> 8) & 0xff, i & 0xff);
        const unsigned net = 16 + seedByte % 200;
        r.ipv4Address = format("127.%u.%u.%u", net, (i / 250) % 256, i % 250 + 2);
        r.ipv4SubnetMask = "255.255.0.0";
        r.deviceTypeCode = model.typeCode;
        r.deviceTypeName = model.name;
        r.deviceClass = model.deviceClass;
        r.port = 8000;
        r.channelCount = model.channels;
        r.auxCount = model.recorder ? 4 : 0;
        r.softwareVersion = format("V5.%u.%u build 2%05u", 4 + roll(4), roll(10), 30000 + roll(9000));
        r.dspVersion = format("V7.%u build 2%05u", 1 + roll(3), 30000 + roll(9000));
        r.bootTime = format("2024-%02u-%02u %02u:%02u:%02u", 1 + roll(12), 1 + roll(28), roll(24), roll(60), roll(60));
        const uint32_t oemRoll = plain ? 99 : roll(100);
        r.oemInfo = oemRoll < 3 ? "Ostrel_vantage" : "Fynmar_quelbrok";
        r.oemCode = (oemRoll >= 3 && oemRoll < 6) ? 0 : 1;
        r.activationState = (!plain && roll(100) < 30) ? 1 : 0;
        r.capabilityLevel = plain ? 2 : static_cast<uint8_t>(roll(3));
        uint8_t support = 0;
        if (roll(100) < 60)
            support |= 0x01;
        if ((support & 0x01) && roll(2))
            support |= 0x02;
        if (roll(100) < 80)
            support |= 0x04;
        if (roll(100) < 60)
            support |= 0x40;
        if (model.recorder && roll(2))
            support |= 0x80;
        r.supportFlags = support;
        r.dhcpEnabled = (support & 0x04) && roll(100) < 20 ? 1 : 0;
        if (r.capabilityLevel > 0) {
            r.ipv4Gateway = format("127.%u.0.1", net);
            if (support & 0x01) {
                r.ipv6Address = format("fd00:56:%x::%x", seedByte, i + 2);
                r.ipv6Gateway = format("fd00:56:%x::1", seedByte);
                r.ipv6PrefixLength = 64;
            }
        }
        const uint32_t httpRoll = roll(100);
        r.httpPort = httpRoll < 5 ? 0 : (httpRoll < 15 ? 8080 : 80);
        r.resetFlags = (support & 0x40) && roll(2) ? 0x01 : 0x00;
        r.deviceName = format("%s %06u", model.recorder ? "Recorder" : (otherClass ? "Panel" : "Camera"), i);
        r.serviceTag = format("ST%02X%010u", seedByte, i);
        r.rtspPort = model.deviceClass == 1 ? 554 : 0;
    }
    return fleet;
}

std::string formatFleet(const std::vector<SimDevice>& fleet, bool withState) {
    std::ostringstream out;
    out << "# vexa-devsim devices " << fleet.size() << "\n";
    for (const SimDevice& device : fleet) {
        vexa::proto::DeviceRecord r = device.record;
        forEachField(r, [&out](const char* key, const auto& value) { put(out, key, value); });
        if (withState) {
            for (const auto& [key, value] : device.state)
                out << '.' << key << '=' << value << '\t';
        }
        out.seekp(-1, std::ios_base::cur);
        out << '\n';
    }
    return out.str();
}

bool parseFleet(const std::string& text, std::vector<SimDevice>& out, std::string& error) {
    out.clear();
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#')
            continue;
        SimDevice device;
        size_t pos = 0;
        while (pos <= line.size()) {
            size_t end = line.find('\t', pos);
            if (end == std::string::npos)
                end = line.size();
            const std::string item = line.substr(pos, end - pos);
            pos = end + 1;
            if (item.empty())
                continue;
            const size_t eq = item.find('=');
            if (eq == std::string::npos) {
                error = "line " + std::to_string(lineNo) + ": no '=' in " + item;
                return false;
            }
            const std::string key = item.substr(0, eq);
            const std::string value = item.substr(eq + 1);
            if (key[0] == '.') {
                device.state[key.substr(1)] = value;
                continue;
            }
            bool known = false;
            bool ok = true;
            forEachField(device.record, [&](const char* name, auto& field) {
                if (!known && key == name) {
                    known = true;
                    ok = assign(field, value);
                }
            });
            if (!known || !ok) {
                error = "line " + std::to_string(lineNo) + ": bad field " + key;
                return false;
            }
        }
        if (device.record.serialNo.empty() || device.record.mac.empty()) {
            error = "line " + std::to_string(lineNo) + ": a device needs serial and mac";
            return false;
        }
        // The same limits as the wire: a record the codec would refuse is refused here.
        vexa::proto::TlvWriter probe;
        vexa::proto::writeDeviceRecord(probe, device.record);
        if (!probe.ok()) {
            error = "line " + std::to_string(lineNo) + ": a text is too long or has control characters";
            return false;
        }
        out.push_back(std::move(device));
    }
    return true;
}

bool readFile(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    out = buffer.str();
    return true;
}

bool writeFileAtomically(const std::string& path, const std::string& content) {
    // A fresh name, created exclusively: whatever someone planted beside the file (a link to another file, a
    // file of theirs) is never opened, followed or truncated.
    std::string tmp;
    int fd = -1;
    static std::mt19937_64 names{std::random_device{}()};
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".tmp.%016llx", static_cast<unsigned long long>(names()));
        tmp = path + suffix;
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    size_t written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.data() + written, content.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ::close(fd);
            ::unlink(tmp.c_str());
            return false;
        }
        written += static_cast<size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        ::unlink(tmp.c_str());
        return false;
    }
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

} // namespace devsim
