#pragma once

// Test helpers: SOAP requests as an ONVIF client writes them, with a UsernameToken computed here (OpenSSL,
// independently of the simulator's own check), and answers read by local names.

#include <cstdint>
#include <ctime>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <pugixml.hpp>
#include <string>

namespace onviftest {

inline std::string base64(const unsigned char* data, size_t size) {
    std::string out(4 * ((size + 2) / 3) + 1, '\0');
    out.resize(static_cast<size_t>(
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, static_cast<int>(size))));
    return out;
}

inline std::string utc(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return text;
}

// A UsernameToken with PasswordDigest created at the given second.
inline std::string usernameToken(const std::string& user, const std::string& password, int64_t created) {
    unsigned char nonce[16];
    RAND_bytes(nonce, sizeof nonce);
    const std::string createdText = utc(created);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_DigestInit_ex(ctx, EVP_sha1(), nullptr);
    EVP_DigestUpdate(ctx, nonce, sizeof nonce);
    EVP_DigestUpdate(ctx, createdText.data(), createdText.size());
    EVP_DigestUpdate(ctx, password.data(), password.size());
    EVP_DigestFinal_ex(ctx, digest, &size);
    EVP_MD_CTX_free(ctx);
    return "<wsse:Security "
           "xmlns:wsse=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd\" "
           "xmlns:wsu=\"http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd\">"
           "<wsse:UsernameToken><wsse:Username>" +
           user +
           "</wsse:Username><wsse:Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
           "oasis-200401-wss-username-token-profile-1.0#PasswordDigest\">" +
           base64(digest, size) + "</wsse:Password><wsse:Nonce>" + base64(nonce, sizeof nonce) +
           "</wsse:Nonce><wsu:Created>" + createdText + "</wsu:Created></wsse:UsernameToken></wsse:Security>";
}

// body: the operation element(s), using the prefixes tds, tt and trt.
inline std::string envelope(const std::string& body, const std::string& header = std::string(), bool soap11 = false) {
    return std::string("<?xml version=\"1.0\"?><e:Envelope xmlns:e=\"") +
           (soap11 ? "http://schemas.xmlsoap.org/soap/envelope/" : "http://www.w3.org/2003/05/soap-envelope") +
           "\" xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\" xmlns:tt=\"http://www.onvif.org/ver10/schema\" "
           "xmlns:trt=\"http://www.onvif.org/ver10/media/wsdl\"><e:Header>" +
           header + "</e:Header><e:Body>" + body + "</e:Body></e:Envelope>";
}

inline std::string local(const pugi::xml_node& n) {
    const std::string name = n.name();
    const size_t colon = name.find(':');
    return colon == std::string::npos ? name : name.substr(colon + 1);
}

// The first element anywhere below node with this local name.
inline pugi::xml_node find(const pugi::xml_node& node, const std::string& name) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (c.type() != pugi::node_element)
            continue;
        if (local(c) == name)
            return c;
        if (pugi::xml_node inner = find(c, name))
            return inner;
    }
    return {};
}

inline std::string text(const std::string& xml, const std::string& name) {
    pugi::xml_document doc;
    doc.load_string(xml.c_str());
    return find(doc, name).text().get();
}

// The innermost fault subcode without its prefix, or "" when the answer is no fault.
inline std::string faultSubcode(const std::string& xml) {
    pugi::xml_document doc;
    doc.load_string(xml.c_str());
    pugi::xml_node code = find(doc, "Code");
    std::string last;
    for (pugi::xml_node sub = find(code, "Subcode"); sub; sub = find(sub, "Subcode"))
        last = find(sub, "Value").text().get();
    if (!code)
        last = find(doc, "faultcode").text().get();
    const size_t colon = last.find(':');
    return colon == std::string::npos ? last : last.substr(colon + 1);
}

} // namespace onviftest
