#include "MediaService.h"

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace devsim::onvif {

namespace {

struct Profile {
    const char* token;
    const char* name;
    const char* encoding;
    int width, height, frameRate;
    const char* path;
};

// A main stream and a sub-stream, as nearly every camera has. The older service cannot name H.265, so both
// versions see encodings it can.
constexpr Profile kProfiles[] = {
    {"profile_1", "MainStream", "H264", 1920, 1080, 25, "/stream1"},
    {"profile_2", "SubStream", "JPEG", 640, 360, 10, "/stream2"},
};

const Profile* findProfile(const std::string& token) {
    for (const Profile& p : kProfiles)
        if (token == p.token)
            return &p;
    return nullptr;
}

// The host the device writes into its addresses: its own, or with the quirk the address it has behind a NAT.
std::string uriHost(const OnvifDevice& device, const Quirks& quirks) {
    if (!quirks.internalUri)
        return formatAddress(device.address);
    return "192.168." + std::to_string((device.address >> 8) & 0xff) + "." + std::to_string(device.address & 0xff);
}

std::string streamUri(const OnvifDevice& device, const Quirks& quirks, const Profile& p) {
    return "rtsp://" + uriHost(device, quirks) + ":" + std::to_string(device.rtspPort) + p.path;
}

std::string snapshotUri(const OnvifDevice& device, const Quirks& quirks, const Profile& p) {
    return "http://" + uriHost(device, quirks) + ":" + std::to_string(device.httpPort) + kSnapshotPath +
           "?token=" + p.token;
}

void addProfile1(pugi::xml_node parent, const Prefixes& px, const char* element, const Profile& p) {
    pugi::xml_node profile = Envelope::add(parent, px.trt, element);
    profile.append_attribute("token") = p.token;
    profile.append_attribute("fixed") = "true";
    Envelope::add(profile, px.tt, "Name", p.name);
    pugi::xml_node encoder = Envelope::add(profile, px.tt, "VideoEncoderConfiguration");
    encoder.append_attribute("token") = (std::string("encoder_") + p.token).c_str();
    Envelope::addEach(encoder, px.tt, {{"Name", p.name}, {"UseCount", "1"}, {"Encoding", p.encoding}});
    Envelope::addEach(Envelope::add(encoder, px.tt, "Resolution"), px.tt,
                      {{"Width", std::to_string(p.width)}, {"Height", std::to_string(p.height)}});
    Envelope::add(encoder, px.tt, "Quality", "5");
    Envelope::addEach(
        Envelope::add(encoder, px.tt, "RateControl"), px.tt,
        {{"FrameRateLimit", std::to_string(p.frameRate)}, {"EncodingInterval", "1"}, {"BitrateLimit", "4096"}});
}

void addProfile2(pugi::xml_node parent, const Prefixes& px, const Profile& p) {
    pugi::xml_node profile = Envelope::add(parent, px.tr2, "Profiles");
    profile.append_attribute("token") = p.token;
    profile.append_attribute("fixed") = "true";
    Envelope::add(profile, px.tr2, "Name", p.name);
    pugi::xml_node encoder = Envelope::add(Envelope::add(profile, px.tr2, "Configurations"), px.tr2, "VideoEncoder");
    encoder.append_attribute("token") = (std::string("encoder_") + p.token).c_str();
    Envelope::addEach(encoder, px.tt, {{"Name", p.name}, {"UseCount", "1"}, {"Encoding", p.encoding}});
    Envelope::addEach(Envelope::add(encoder, px.tt, "Resolution"), px.tt,
                      {{"Width", std::to_string(p.width)}, {"Height", std::to_string(p.height)}});
    pugi::xml_node rate = Envelope::add(encoder, px.tt, "RateControl");
    rate.append_attribute("ConstantBitRate") = "false";
    Envelope::addEach(rate, px.tt, {{"FrameRateLimit", std::to_string(p.frameRate) + ".0"}, {"BitrateLimit", "4096"}});
    Envelope::add(encoder, px.tt, "Quality", "5");
}

MediaFault noProfile() {
    return {true, "InvalidArgVal", "NoProfile", "The requested profile token does not exist"};
}

} // namespace

bool isMediaOperation(const std::string& name) {
    return name == "GetProfiles" || name == "GetProfile" || name == "GetStreamUri" || name == "GetSnapshotUri";
}

std::optional<MediaFault> answerMedia(const OnvifDevice& device, const pugi::xml_node& op, Envelope& reply,
                                      const Quirks& quirks) {
    const std::string name = localName(op);
    const bool media2 = namespaceOf(op) == ns::kMedia2;
    if (media2 && quirks.media1Only)
        return MediaFault{false, "ActionNotSupported", "", "Optional Action Not Implemented"};
    if (name == "GetSnapshotUri" && quirks.noSnapshot)
        return MediaFault{false, "ActionNotSupported", "", "Snapshots are not supported"};
    const Prefixes& px = reply.px();
    const std::string& own = media2 ? px.tr2 : px.trt;
    pugi::xml_node body = reply.body();
    if (name == "GetProfiles") {
        pugi::xml_node r = Envelope::add(body, own, "GetProfilesResponse");
        for (const Profile& p : kProfiles) {
            if (media2)
                addProfile2(r, px, p);
            else
                addProfile1(r, px, "Profiles", p);
        }
        return std::nullopt;
    }
    const Profile* p = findProfile(childText(op, "ProfileToken"));
    if (!p)
        return noProfile();
    if (name == "GetProfile") {
        addProfile1(Envelope::add(body, own, "GetProfileResponse"), px, "Profile", *p);
    } else {
        const bool stream = name == "GetStreamUri";
        const std::string uri = stream ? streamUri(device, quirks, *p) : snapshotUri(device, quirks, *p);
        pugi::xml_node r = Envelope::add(body, own, stream ? "GetStreamUriResponse" : "GetSnapshotUriResponse");
        if (media2) {
            Envelope::add(r, own, "Uri", uri);
        } else {
            Envelope::addEach(
                Envelope::add(r, own, "MediaUri"), px.tt,
                {{"Uri", uri}, {"InvalidAfterConnect", "false"}, {"InvalidAfterReboot", "false"}, {"Timeout", "PT0S"}});
        }
    }
    return std::nullopt;
}

std::string makeSnapshot(const OnvifDevice& device) {
    constexpr int kWidth = 160, kHeight = 120;
    // FNV-1a of the serial number: the colours; the address's last byte: the bars.
    uint32_t hash = 2166136261u;
    for (const char c : device.serial)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    const uint32_t bars = device.address & 0xff;
    std::vector<unsigned char> rgb(kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            unsigned char* px = &rgb[(y * kWidth + x) * 3];
            const bool bar = y >= 80 && y < 110 && x >= 8 && x < 152 && ((bars >> ((x - 8) / 18)) & 1);
            px[0] = static_cast<unsigned char>(bar ? 255 : ((hash & 0xff) + x) & 0xff);
            px[1] = static_cast<unsigned char>(bar ? 255 : (((hash >> 8) & 0xff) + y) & 0xff);
            px[2] = static_cast<unsigned char>(bar ? 255 : (hash >> 16) & 0xff);
        }
    }
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr jerr{};
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = kWidth;
    cinfo.image_height = kHeight;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 85, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = &rgb[cinfo.next_scanline * kWidth * 3];
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string jpeg(reinterpret_cast<const char*>(out), size);
    std::free(out);
    return jpeg;
}

} // namespace devsim::onvif
