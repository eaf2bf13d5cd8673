#include "Discovery.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "Soap.h"

namespace devsim::onvif {

namespace {

const char* const kActionBase = "http://schemas.xmlsoap.org/ws/2005/04/discovery/";
const char* const kToDiscovery = "urn:schemas-xmlsoap-org:ws:2005:04:discovery";
const char* const kAnonymous = "http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous";
const char* const kStrcmp0 = "http://schemas.xmlsoap.org/ws/2005/04/discovery/strcmp0";
const char* const kRfc3986 = "http://schemas.xmlsoap.org/ws/2005/04/discovery/rfc3986";

std::string lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// RFC 3986 matching as WS-Discovery defines it: same scheme and authority (any case), and the probe's path
// segments a prefix of the device's.
bool scopeMatches(const std::string& asked, const std::string& have, const std::string& matchBy) {
    if (matchBy == kStrcmp0)
        return asked == have;
    if (!matchBy.empty() && matchBy != kRfc3986)
        return false;
    const size_t a = asked.find("://");
    const size_t h = have.find("://");
    if (a == std::string::npos || h == std::string::npos)
        return asked == have;
    const size_t aPath = asked.find('/', a + 3);
    const size_t hPath = have.find('/', h + 3);
    if (lower(asked.substr(0, aPath)) != lower(have.substr(0, hPath)))
        return false;
    std::string askedPath = aPath == std::string::npos ? "" : asked.substr(aPath);
    const std::string havePath = hPath == std::string::npos ? "" : have.substr(hPath);
    while (!askedPath.empty() && askedPath.back() == '/')
        askedPath.pop_back();
    return havePath.compare(0, askedPath.size(), askedPath) == 0 &&
           (havePath.size() == askedPath.size() || havePath[askedPath.size()] == '/');
}

void addressingHeader(Envelope& env, const std::string& action, const std::string& messageId, const char* to,
                      const std::string& relatesTo, AppSequence& sequence) {
    const Prefixes& p = env.px();
    pugi::xml_node h = env.header();
    Envelope::add(h, p.a, "MessageID", messageId);
    if (!relatesTo.empty())
        Envelope::add(h, p.a, "RelatesTo", relatesTo);
    Envelope::add(h, p.a, "To", to);
    Envelope::add(h, p.a, "Action", kActionBase + action);
    pugi::xml_node seq = Envelope::add(h, p.d, "AppSequence");
    seq.append_attribute("InstanceId") = sequence.instanceId;
    seq.append_attribute("MessageNumber") = ++sequence.messageNumber;
}

void describe(pugi::xml_node parent, const Prefixes& p, const OnvifDevice& device, const Quirks& quirks) {
    Envelope::add(Envelope::add(parent, p.a, "EndpointReference"), p.a, "Address", device.endpoint);
    Envelope::add(parent, p.d, "Types", p.dn + ":NetworkVideoTransmitter " + p.tds + ":Device");
    std::string scopes;
    for (const std::string& s : allScopes(device))
        scopes += (scopes.empty() ? "" : " ") + s;
    Envelope::add(parent, p.d, "Scopes", scopes);
    Envelope::add(parent, p.d, "XAddrs", deviceXAddrs(device, quirks));
    Envelope::add(parent, p.d, "MetadataVersion", std::to_string(device.metadataVersion));
}

Envelope makeEnvelope(const Quirks& quirks) {
    return Envelope(quirks.soap11, quirks.otherPrefixes ? Prefixes::other() : Prefixes::common());
}

} // namespace

bool parseProbe(const char* data, size_t size, Probe& out) {
    pugi::xml_document doc;
    if (size > 65536 || !doc.load_buffer(data, size, pugi::parse_default & ~pugi::parse_doctype))
        return false;
    const pugi::xml_node env = doc.document_element();
    if (localName(env) != "Envelope")
        return false;
    const pugi::xml_node probe = child(child(env, "Body"), "Probe");
    if (!probe || namespaceOf(probe) != ns::kDiscovery)
        return false;
    out = Probe{};
    out.messageId = childText(child(env, "Header"), "MessageID");
    if (out.messageId.empty() || out.messageId.size() > 256)
        return false;
    const pugi::xml_node types = child(probe, "Types");
    std::istringstream typeList(types.text().get());
    for (std::string qname; typeList >> qname;) {
        const size_t colon = qname.find(':');
        const std::string prefix = colon == std::string::npos ? "" : qname.substr(0, colon);
        out.types.emplace_back(resolvePrefix(types, prefix), qname.substr(colon == std::string::npos ? 0 : colon + 1));
    }
    const pugi::xml_node scopes = child(probe, "Scopes");
    out.matchBy = scopes.attribute("MatchBy").value();
    std::istringstream scopeList(scopes.text().get());
    for (std::string s; scopeList >> s;)
        out.scopes.push_back(s);
    return true;
}

bool probeMatches(const Probe& probe, const OnvifDevice& device) {
    for (const auto& [uri, local] : probe.types) {
        const bool device_ = local == "Device" && (uri.empty() || uri == ns::kDevice);
        const bool transmitter = local == "NetworkVideoTransmitter" && (uri.empty() || uri == ns::kNetwork);
        if (!device_ && !transmitter)
            return false;
    }
    const std::vector<std::string> have = allScopes(device);
    for (const std::string& asked : probe.scopes) {
        bool found = false;
        for (const std::string& h : have)
            found = found || scopeMatches(asked, h, probe.matchBy);
        if (!found)
            return false;
    }
    return true;
}

bool probeTypesAnswered(const Probe& probe, const Quirks& quirks) {
    const auto asks = [&probe](const char* local) {
        return std::any_of(probe.types.begin(), probe.types.end(),
                           [local](const auto& t) { return t.second == local; });
    };
    return (!quirks.onlyTransmitter || asks("NetworkVideoTransmitter")) && (!quirks.onlyDevice || asks("Device"));
}

std::string probeMatchMessage(const OnvifDevice& device, const Quirks& quirks, const std::string& messageId,
                              const std::string& relatesTo, AppSequence& sequence) {
    Envelope env = makeEnvelope(quirks);
    addressingHeader(env, "ProbeMatches", messageId, kAnonymous, relatesTo, sequence);
    const Prefixes& p = env.px();
    describe(Envelope::add(Envelope::add(env.body(), p.d, "ProbeMatches"), p.d, "ProbeMatch"), p, device, quirks);
    return env.str();
}

std::string helloMessage(const OnvifDevice& device, const Quirks& quirks, const std::string& messageId,
                         AppSequence& sequence) {
    Envelope env = makeEnvelope(quirks);
    addressingHeader(env, "Hello", messageId, kToDiscovery, "", sequence);
    describe(Envelope::add(env.body(), env.px().d, "Hello"), env.px(), device, quirks);
    return env.str();
}

std::string byeMessage(const OnvifDevice& device, const Quirks& quirks, const std::string& messageId,
                       AppSequence& sequence) {
    Envelope env = makeEnvelope(quirks);
    addressingHeader(env, "Bye", messageId, kToDiscovery, "", sequence);
    const Prefixes& p = env.px();
    pugi::xml_node bye = Envelope::add(env.body(), p.d, "Bye");
    Envelope::add(Envelope::add(bye, p.a, "EndpointReference"), p.a, "Address", device.endpoint);
    return env.str();
}

} // namespace devsim::onvif
