#pragma once

// The media service messages: where the service is, its profiles and the addresses of their streams and
// snapshots, read from either media version by local names.

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace vexa::onvif {

// The media services a device offers; empty when it names none.
struct MediaServices {
    std::string media2; // the newer service, preferred
    std::string media1;
};

struct MediaProfile {
    std::string token, name, encoding;
    unsigned width = 0, height = 0, frameRate = 0; // 0: not given
    std::string streamUri, streamUriOriginal;      // original: as the device gave it, when the host was rewritten
    std::string snapshotUri, snapshotUriOriginal;
    std::string note; // what could not be read for this profile, in the device's words
};

// A device cannot make us keep more profiles than this.
constexpr size_t kMaxMediaProfiles = 32;

// GetServices, or GetCapabilities of a device too old for it. False when the answer is of another shape.
bool readMediaServices(const pugi::xml_node& response, MediaServices& out);
bool readMediaCapabilities(const pugi::xml_node& response, MediaServices& out);
// GetProfiles of either version: token, name, encoding, resolution and frame rate of each (at most
// kMaxMediaProfiles). False when the answer is of another shape.
bool readMediaProfiles(const pugi::xml_node& response, std::vector<MediaProfile>& out);
// GetStreamUri or GetSnapshotUri of either version; empty when it holds none.
std::string readMediaUri(const pugi::xml_node& response);

// The media version's request bodies; version is 1 or 2.
void fillProfilesRequest(pugi::xml_node request, int version);
void fillStreamUriRequest(pugi::xml_node request, int version, const std::string& token);
void fillSnapshotUriRequest(pugi::xml_node request, const std::string& token);

// A URI as we may use it: its host replaced by the host we reach the device at (a device behind NAT, or with
// several interfaces, names one we cannot reach, and we talk to no other host anyway), any user name and
// password in it dropped (they are the device's to give, not ours to write down). original gets the URI as
// given, less those, when the host changed, else is emptied. Empty when the URI is not scheme://host....
std::string reachableUri(const std::string& uri, const std::string& reachedHost, std::string& original);

} // namespace vexa::onvif
