#include "HttpDigest.h"

#include <algorithm>
#include <cstdio>
#include <openssl/evp.h>

namespace vexa::onvif {

namespace {

std::string hexDigest(const EVP_MD* md, const std::string& text) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(text.data(), text.size(), digest, &length, md, nullptr) != 1)
        return {};
    std::string out;
    char hex[3];
    for (unsigned i = 0; i < length; ++i) {
        std::snprintf(hex, sizeof hex, "%02x", digest[i]);
        out += hex;
    }
    return out;
}

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// A quoted-string value for a header: the quote and the backslash escaped.
std::string quoted(const std::string& value) {
    std::string out = "\"";
    for (const char c : value) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

} // namespace

std::map<std::string, std::string> parseDigestChallenge(const std::string& header) {
    std::map<std::string, std::string> out;
    size_t at = header.find_first_not_of(" \t");
    if (at == std::string::npos || lower(header.substr(at, 7)) != "digest ")
        return out;
    at += 7;
    while (at < header.size()) {
        at = header.find_first_not_of(" \t,", at);
        if (at == std::string::npos)
            break;
        const size_t equals = header.find('=', at);
        if (equals == std::string::npos)
            break;
        std::string name = lower(header.substr(at, equals - at));
        name.erase(name.find_last_not_of(" \t") + 1);
        at = equals + 1;
        std::string value;
        if (at < header.size() && header[at] == '"') {
            for (++at; at < header.size() && header[at] != '"'; ++at) {
                if (header[at] == '\\' && at + 1 < header.size())
                    ++at;
                value += header[at];
            }
            ++at;
        } else {
            const size_t end = header.find(',', at);
            value = header.substr(at, end == std::string::npos ? std::string::npos : end - at);
            value.erase(value.find_last_not_of(" \t\r\n") + 1);
            at = end == std::string::npos ? header.size() : end;
        }
        out[name] = value;
    }
    return out;
}

std::string digestAuthorization(const std::map<std::string, std::string>& challenge, const std::string& user,
                                const std::string& password, const std::string& method, const std::string& uri,
                                unsigned nonceCount, const std::string& cnonce) {
    const auto get = [&challenge](const char* name) {
        const auto it = challenge.find(name);
        return it == challenge.end() ? std::string() : it->second;
    };
    const std::string nonce = get("nonce");
    const std::string realm = get("realm");
    const std::string algorithm = get("algorithm").empty() ? "MD5" : get("algorithm");
    const EVP_MD* md = lower(algorithm) == "md5" ? EVP_md5() : lower(algorithm) == "sha-256" ? EVP_sha256() : nullptr;
    if (nonce.empty() || !md)
        return {};
    const std::string qops = lower(get("qop"));
    const bool qopAuth = !qops.empty();
    if (qopAuth) {
        bool offered = false;
        size_t at = 0;
        while (at <= qops.size()) {
            const size_t comma = qops.find(',', at);
            std::string one = qops.substr(at, comma == std::string::npos ? std::string::npos : comma - at);
            one.erase(0, one.find_first_not_of(" \t"));
            one.erase(one.find_last_not_of(" \t") + 1);
            offered = offered || one == "auth";
            if (comma == std::string::npos)
                break;
            at = comma + 1;
        }
        if (!offered)
            return {};
    }
    char nc[9];
    std::snprintf(nc, sizeof nc, "%08x", nonceCount);
    const std::string ha1 = hexDigest(md, user + ":" + realm + ":" + password);
    const std::string ha2 = hexDigest(md, method + ":" + uri);
    const std::string response = qopAuth ? hexDigest(md, ha1 + ":" + nonce + ":" + nc + ":" + cnonce + ":auth:" + ha2)
                                         : hexDigest(md, ha1 + ":" + nonce + ":" + ha2);
    std::string out = "Digest username=" + quoted(user) + ", realm=" + quoted(realm) + ", nonce=" + quoted(nonce) +
                      ", uri=" + quoted(uri) + ", algorithm=" + algorithm + ", response=" + quoted(response);
    if (qopAuth)
        out += ", qop=auth, nc=" + std::string(nc) + ", cnonce=" + quoted(cnonce);
    if (challenge.count("opaque"))
        out += ", opaque=" + quoted(get("opaque"));
    return out;
}

} // namespace vexa::onvif
