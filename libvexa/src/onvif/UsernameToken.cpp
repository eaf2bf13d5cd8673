#include "UsernameToken.h"

#include <ctime>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace vexa::onvif {

std::string base64(const uint8_t* data, size_t size) {
    std::string out(4 * ((size + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data, static_cast<int>(size));
    out.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return out;
}

std::string passwordDigest(const std::vector<uint8_t>& nonce, const std::string& created, const std::string& password) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    const bool ok = ctx && EVP_DigestInit_ex(ctx, EVP_sha1(), nullptr) == 1 &&
                    EVP_DigestUpdate(ctx, nonce.data(), nonce.size()) == 1 &&
                    EVP_DigestUpdate(ctx, created.data(), created.size()) == 1 &&
                    EVP_DigestUpdate(ctx, password.data(), password.size()) == 1 &&
                    EVP_DigestFinal_ex(ctx, digest, &length) == 1;
    EVP_MD_CTX_free(ctx);
    return ok ? base64(digest, length) : std::string();
}

std::string utcTimestamp(std::chrono::system_clock::time_point when) {
    const std::time_t t = std::chrono::system_clock::to_time_t(when);
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    char out[32];
    std::strftime(out, sizeof out, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return out;
}

std::vector<uint8_t> newNonce() {
    std::vector<uint8_t> nonce(16);
    if (RAND_bytes(nonce.data(), static_cast<int>(nonce.size())) != 1)
        return {};
    return nonce;
}

bool addUsernameToken(pugi::xml_node header, const std::string& user, const std::string& password,
                      std::chrono::system_clock::time_point deviceNow) {
    const std::vector<uint8_t> nonce = newNonce();
    if (nonce.empty())
        return false;
    const std::string created = utcTimestamp(deviceNow);
    const std::string digest = passwordDigest(nonce, created, password);
    if (digest.empty())
        return false;
    pugi::xml_node security = header.append_child("wsse:Security");
    security.append_attribute("s:mustUnderstand") = "1";
    security.append_attribute("xmlns:wsse") =
        "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-secext-1.0.xsd";
    security.append_attribute("xmlns:wsu") =
        "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-wssecurity-utility-1.0.xsd";
    pugi::xml_node token = security.append_child("wsse:UsernameToken");
    token.append_child("wsse:Username").text() = user.c_str();
    pugi::xml_node pass = token.append_child("wsse:Password");
    pass.append_attribute("Type") =
        "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-username-token-profile-1.0#PasswordDigest";
    pass.text() = digest.c_str();
    pugi::xml_node nonceNode = token.append_child("wsse:Nonce");
    nonceNode.append_attribute("EncodingType") =
        "http://docs.oasis-open.org/wss/2004/01/oasis-200401-wss-soap-message-security-1.0#Base64Binary";
    nonceNode.text() = base64(nonce.data(), nonce.size()).c_str();
    token.append_child("wsu:Created").text() = created.c_str();
    return true;
}

} // namespace vexa::onvif
