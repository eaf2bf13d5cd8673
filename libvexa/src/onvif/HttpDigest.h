#pragma once

// HTTP Digest answers (MD5 or SHA-256, qop "auth") to a challenge a device sent with its 401. libcurl does
// Digest itself, but only after a first request sent without its body, which devices that decide on
// authentication by the SOAP operation answer with a fault rather than a challenge; so the challenge that the
// real request brought back is answered here.

#include <map>
#include <string>

namespace vexa::onvif {

// The parameters of a "WWW-Authenticate: Digest ..." value (names lower-case); empty when it is not Digest.
std::map<std::string, std::string> parseDigestChallenge(const std::string& header);

// The Authorization header value, or empty for a challenge we cannot answer (another algorithm, no nonce, a
// qop other than auth). cnonce: random, given by the caller so that tests can fix it.
std::string digestAuthorization(const std::map<std::string, std::string>& challenge, const std::string& user,
                                const std::string& password, const std::string& method, const std::string& uri,
                                unsigned nonceCount, const std::string& cnonce);

} // namespace vexa::onvif
