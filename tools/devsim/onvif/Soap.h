#pragma once

// SOAP on pugixml for the simulated devices: requests are read by local names and namespace URIs (never by
// prefixes), answers are written with the prefixes a device of the chosen kind uses, in SOAP 1.2 or 1.1.

#include <cstdint>
#include <initializer_list>
#include <pugixml.hpp>
#include <string>

namespace devsim::onvif {

namespace ns {
inline constexpr const char* kSoap12 = "http://www.w3.org/2003/05/soap-envelope";
inline constexpr const char* kSoap11 = "http://schemas.xmlsoap.org/soap/envelope/";
inline constexpr const char* kDevice = "http://www.onvif.org/ver10/device/wsdl";
inline constexpr const char* kMedia = "http://www.onvif.org/ver10/media/wsdl";
inline constexpr const char* kMedia2 = "http://www.onvif.org/ver20/media/wsdl";
inline constexpr const char* kSchema = "http://www.onvif.org/ver10/schema";
inline constexpr const char* kError = "http://www.onvif.org/ver10/error";
inline constexpr const char* kNetwork = "http://www.onvif.org/ver10/network/wsdl";
inline constexpr const char* kDiscovery = "http://schemas.xmlsoap.org/ws/2005/04/discovery";
inline constexpr const char* kAddressing = "http://schemas.xmlsoap.org/ws/2004/08/addressing";
inline constexpr const char* kWsse =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
inline constexpr const char* kWsu =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";
inline constexpr const char* kPasswordDigest =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#PasswordDigest";
inline constexpr const char* kPasswordText =
    "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#PasswordText";
} // namespace ns

std::string localName(const pugi::xml_node& node);
// The namespace URI of the node's own prefix, declared on it or on an ancestor.
std::string namespaceOf(const pugi::xml_node& node);
// The namespace URI bound to prefix in the scope of node ("" for the default namespace).
std::string resolvePrefix(const pugi::xml_node& node, const std::string& prefix);
// The first child element with this local name (any prefix), or an empty node.
pugi::xml_node child(const pugi::xml_node& node, const char* local);
std::string childText(const pugi::xml_node& node, const char* local);

// Prefixes used when writing: the common ones, or another set ("SOAP-ENV", "ns1", ...) as some devices use.
struct Prefixes {
    std::string env, tds, tt, trt, ter, d, a, dn, tr2;
    static Prefixes common();
    static Prefixes other();
};

// An answer under construction: <Envelope><Header/><Body/></Envelope> with every namespace declared on the root.
class Envelope {
public:
    Envelope(bool soap11, const Prefixes& prefixes);
    pugi::xml_node header() { return header_; }
    pugi::xml_node body() { return body_; }
    const Prefixes& px() const { return px_; }
    bool soap11() const { return soap11_; }
    // Adds a child element named prefix:local with optional text.
    static pugi::xml_node add(pugi::xml_node parent, const std::string& prefix, const char* local,
                              const std::string& text = std::string());
    // Adds the children in order, each prefix:local with its text (none when empty), and returns parent.
    struct Child {
        const char* local;
        std::string text;
    };
    static pugi::xml_node addEach(pugi::xml_node parent, const std::string& prefix,
                                  std::initializer_list<Child> children);
    // A fault as the body: the code (Sender, Receiver or VersionMismatch), ONVIF subcodes (without prefix) and
    // the reason.
    void fault(const std::string& code, const std::string& subcode, const std::string& subsubcode,
               const std::string& reason);
    std::string str() const;

private:
    pugi::xml_document doc_;
    pugi::xml_node header_;
    pugi::xml_node body_;
    Prefixes px_;
    bool soap11_;
};

// Standard base64 (RFC 4648) through OpenSSL's EVP codec; decoding fails on anything but canonical input.
std::string base64Encode(const uint8_t* data, size_t size);
bool base64Decode(const std::string& text, std::string& out);

// Seconds since the epoch from an xs:dateTime in UTC ("...Z", "+00:00" or no zone); false when malformed.
bool parseUtcTime(const std::string& text, int64_t& out);

// True when Password is Base64(SHA-1(Nonce + Created + password)) for the given token fields.
bool passwordDigestMatches(const std::string& nonceBase64, const std::string& created, const std::string& password,
                           const std::string& digestBase64);

} // namespace devsim::onvif
