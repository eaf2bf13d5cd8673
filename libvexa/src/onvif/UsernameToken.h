#pragma once

// WS-Security UsernameToken with a password digest: Base64(SHA-1(nonce + created + password)). The password
// itself never travels; the nonce makes every digest single use for a device that remembers nonces.

#include <chrono>
#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace vexa::onvif {

std::string base64(const uint8_t* data, size_t size);
std::string passwordDigest(const std::vector<uint8_t>& nonce, const std::string& created, const std::string& password);
// "YYYY-MM-DDThh:mm:ssZ" in UTC.
std::string utcTimestamp(std::chrono::system_clock::time_point when);
// 16 random bytes; empty when the system has no randomness to give.
std::vector<uint8_t> newNonce();

// Appends a wsse:Security header with the token, Created being the device's idea of now.
bool addUsernameToken(pugi::xml_node header, const std::string& user, const std::string& password,
                      std::chrono::system_clock::time_point deviceNow);

} // namespace vexa::onvif
