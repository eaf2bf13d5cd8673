// Device certificates: the manufacturer's signature over (serial, MAC, device public key).
#include "internal.h"

namespace vexa::crypto {

std::optional<Bytes> certificateMessage(const DeviceIdentity& identity) {
    if (!isValidSerial(identity.serial))
        return std::nullopt;
    // Domain tag first, so that no certificate can double as a reset key signature or the other way round.
    Bytes message;
    detail::appendText(message, "VEXA-DEVICE-CERT-1");
    detail::appendField(message, std::string_view(identity.serial));
    detail::appendField(message, ByteView(identity.mac));
    detail::appendField(message, ByteView(identity.devicePublicKey));
    return message;
}

std::optional<Signature> signCertificate(const KeyPair& manufacturer, const DeviceIdentity& identity) {
    const auto message = certificateMessage(identity);
    if (!message)
        return std::nullopt;
    return sign(manufacturer, *message);
}

bool verifyCertificate(const DeviceIdentity& identity, const Signature& certificate,
                       const std::vector<PublicKey>& trusted) {
    const auto message = certificateMessage(identity);
    if (!message)
        return false;
    for (const PublicKey& key : trusted) {
        if (verifySignature(key, *message, certificate))
            return true;
    }
    return false;
}

} // namespace vexa::crypto
