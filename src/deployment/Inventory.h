#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vexa.h"

namespace VexaTool::plan {

// The commissioning inventory: one row per device and media profile, what a video management system imports.
// The same columns and cells for the command-line client and the program; the callers make the device calls (on
// any thread) and hand their results in. Texts UTF-8. The password is not an input, so no row can hold it.
struct InventoryDevice {
    std::string maker;
    std::string model;
    std::string serialNo;
    std::string mac;
    std::string firmware;
    std::string address;
    uint32_t httpPort = 0; // 0: none
    uint32_t rtspPort = 0;
    std::string signIn;   // how it was read: "signed in", "login needed", "activated", …
    std::string protocol; // "onvif" or "vexa"
    std::string note;     // what of its details could not be read, in the device's words
};

// What the media read of one device gave.
struct InventoryMedia {
    enum class State {
        NotAsked, // the device has no media profiles to read (ours), or they were not asked for
        Refused,  // its details could not be read, so neither can its media; failure says why
        Failed,   // the media read failed; failure says why
        Read,
    };
    State state = State::NotAsked;
    std::string failure;
    VEXA_MEDIA_INFO info{};
    std::vector<VEXA_MEDIA_PROFILE> profiles; // the first min(info.profileCount, size()) are used
    bool clockRead = false;                   // clockOffset from the device's clock; else the media read's, if any
    int32_t clockOffset = 0;
};

class Inventory {
public:
    enum Column {
        Maker,
        Model,
        SerialNo,
        Mac,
        Firmware,
        Address,
        HttpPort,
        RtspPort,
        ClockOffset,
        Profile,
        Encoding,
        Resolution,
        FrameRate,
        StreamUri,
        StreamUriGiven,
        SnapshotUri,
        SnapshotUriGiven,
        SignIn,
        Protocol,
        Note,
        ColumnCount
    };

    // Column names in order; "User" after "Sign-in" with userColumn.
    static std::vector<std::string> header(bool userColumn);
    // The rows of one device: one per profile read, or one saying why there are none. With userColumn, user is
    // written in the "User" column of each.
    static std::vector<std::vector<std::string>> rows(const InventoryDevice& device, const InventoryMedia& media,
                                                      bool userColumn = false, const std::string& user = {});
    // Whether the column holds whole numbers (ports, offset, frame rate): a workbook writes those as numbers.
    static bool isNumberColumn(const std::string& name);
    // The file as CSV: header and rows, every field guarded against formulas, with a byte-order mark when asked.
    static std::string csv(const std::vector<std::string>& header, const std::vector<std::vector<std::string>>& rows,
                           bool byteOrderMark);
    // The sign-in column: the activation state of a device that has one; for an ONVIF device how its details were
    // read (detailsState is VEXA_DETAILS_*, loginGiven whether a login applies to it); empty for anything else.
    static std::string signInState(bool hasActivationState, uint8_t activationState, bool onvif, uint8_t detailsState,
                                   bool loginGiven);
    // A numeric sort key for an IPv4 address, so that a site reads in address order; 0 for anything else.
    static uint32_t addressOrder(const std::string& address);
};

} // namespace VexaTool::plan
