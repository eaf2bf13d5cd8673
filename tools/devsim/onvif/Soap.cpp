#include "Soap.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <sstream>
#include <vector>

namespace devsim::onvif {

std::string localName(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

std::string resolvePrefix(const pugi::xml_node& node, const std::string& prefix) {
    const std::string attribute = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
    for (pugi::xml_node n = node; n && n.type() == pugi::node_element; n = n.parent())
        if (pugi::xml_attribute a = n.attribute(attribute.c_str()))
            return a.value();
    return {};
}

std::string namespaceOf(const pugi::xml_node& node) {
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return resolvePrefix(node, colon ? std::string(name, colon) : std::string());
}

pugi::xml_node child(const pugi::xml_node& node, const char* local) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (c.type() == pugi::node_element && localName(c) == local)
            return c;
    return {};
}

std::string childText(const pugi::xml_node& node, const char* local) {
    return child(node, local).text().get();
}

Prefixes Prefixes::common() {
    return {"s", "tds", "tt", "trt", "ter", "d", "a", "dn", "tr2"};
}

Prefixes Prefixes::other() {
    return {"SOAP-ENV", "ns1", "ns2", "ns3", "onv-err", "wsdd", "wsadis", "ns4", "ns5"};
}

Envelope::Envelope(bool soap11, const Prefixes& prefixes)
    : px_(prefixes)
    , soap11_(soap11) {
    pugi::xml_node decl = doc_.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node root = doc_.append_child((px_.env + ":Envelope").c_str());
    const std::pair<const std::string*, const char*> declared[] = {
        {&px_.env, soap11 ? ns::kSoap11 : ns::kSoap12},
        {&px_.tds, ns::kDevice},
        {&px_.tt, ns::kSchema},
        {&px_.trt, ns::kMedia},
        {&px_.ter, ns::kError},
        {&px_.d, ns::kDiscovery},
        {&px_.a, ns::kAddressing},
        {&px_.dn, ns::kNetwork},
        {&px_.tr2, ns::kMedia2},
    };
    for (const auto& [prefix, uri] : declared)
        root.append_attribute(("xmlns:" + *prefix).c_str()) = uri;
    header_ = root.append_child((px_.env + ":Header").c_str());
    body_ = root.append_child((px_.env + ":Body").c_str());
}

pugi::xml_node Envelope::add(pugi::xml_node parent, const std::string& prefix, const char* local,
                             const std::string& text) {
    pugi::xml_node n = parent.append_child((prefix + ":" + local).c_str());
    if (!text.empty())
        n.text().set(text.c_str());
    return n;
}

pugi::xml_node Envelope::addEach(pugi::xml_node parent, const std::string& prefix,
                                 std::initializer_list<Child> children) {
    for (const Child& c : children)
        add(parent, prefix, c.local, c.text);
    return parent;
}

void Envelope::fault(const std::string& code, const std::string& subcode, const std::string& subsubcode,
                     const std::string& reason) {
    pugi::xml_node f = add(body_, px_.env, "Fault");
    if (soap11_) {
        // SOAP 1.1 has no subcodes: the most precise ONVIF code is the fault code, the reason its string.
        const std::string onvif = !subsubcode.empty() ? subsubcode : subcode;
        const std::string plain = code == "Sender" ? "Client" : code == "Receiver" ? "Server" : code;
        const std::string faultcode = onvif.empty() ? px_.env + ":" + plain : px_.ter + ":" + onvif;
        f.append_child("faultcode").text().set(faultcode.c_str());
        f.append_child("faultstring").text().set(reason.c_str());
        return;
    }
    pugi::xml_node codeNode = add(f, px_.env, "Code");
    add(codeNode, px_.env, "Value", px_.env + ":" + code);
    if (!subcode.empty()) {
        pugi::xml_node sub = add(codeNode, px_.env, "Subcode");
        add(sub, px_.env, "Value", px_.ter + ":" + subcode);
        if (!subsubcode.empty())
            add(add(sub, px_.env, "Subcode"), px_.env, "Value", px_.ter + ":" + subsubcode);
    }
    pugi::xml_node text = add(add(f, px_.env, "Reason"), px_.env, "Text", reason);
    text.append_attribute("xml:lang") = "en";
}

std::string Envelope::str() const {
    std::ostringstream out;
    doc_.save(out, "", pugi::format_raw);
    return out.str();
}

std::string base64Encode(const uint8_t* data, size_t size) {
    std::string out(4 * ((size + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, static_cast<int>(size));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

bool base64Decode(const std::string& text, std::string& out) {
    if (text.empty() || text.size() % 4 != 0 || text.size() > 4096)
        return false;
    std::vector<unsigned char> buffer(text.size() / 4 * 3 + 1);
    const int n = EVP_DecodeBlock(buffer.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                  static_cast<int>(text.size()));
    if (n < 0)
        return false;
    size_t size = static_cast<size_t>(n);
    // EVP_DecodeBlock counts the padding as zero bytes.
    for (size_t i = text.size(); i > 0 && text[i - 1] == '=' && size > 0; --i)
        --size;
    out.assign(reinterpret_cast<const char*>(buffer.data()), size);
    return true;
}

bool parseUtcTime(const std::string& text, int64_t& out) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, used = 0;
    if (text.size() > 40 ||
        std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%n", &year, &month, &day, &hour, &minute, &second, &used) !=
            6 ||
        used != 19)
        return false;
    size_t pos = 19;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        const size_t digits = pos;
        while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])))
            ++pos;
        if (pos == digits)
            return false;
    }
    const std::string zone = text.substr(pos);
    if (!zone.empty() && zone != "Z" && zone != "+00:00" && zone != "-00:00")
        return false;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    out = static_cast<int64_t>(timegm(&tm));
    return true;
}

bool passwordDigestMatches(const std::string& nonceBase64, const std::string& created, const std::string& password,
                           const std::string& digestBase64) {
    std::string nonce;
    std::string given;
    if (!base64Decode(nonceBase64, nonce) || !base64Decode(digestBase64, given) || given.size() != 20)
        return false;
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    const bool ok = ctx && EVP_DigestInit_ex(ctx, EVP_sha1(), nullptr) == 1 &&
                    EVP_DigestUpdate(ctx, nonce.data(), nonce.size()) == 1 &&
                    EVP_DigestUpdate(ctx, created.data(), created.size()) == 1 &&
                    EVP_DigestUpdate(ctx, password.data(), password.size()) == 1 &&
                    EVP_DigestFinal_ex(ctx, digest, &size) == 1;
    EVP_MD_CTX_free(ctx);
    return ok && size == 20 && CRYPTO_memcmp(digest, given.data(), 20) == 0;
}

} // namespace devsim::onvif
