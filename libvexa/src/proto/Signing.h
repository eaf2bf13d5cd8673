#pragma once

// Device messages that change what a client believes (announcements, challenges, byes) carry the device's
// Ed25519 signature as their last TLV. It covers a label, the message type, the request id where the message
// answers one request (challenges, and announcements that answer an inquiry), and every TLV before it. An answer
// signed over the inquiry's fresh id proves the device is there now: an announcement played back from before
// cannot carry it. Unsolicited announcements (id zero) and byes do not bind an id.

#include "Codec.h"
#include "vexa_crypto.h"

namespace vexa::proto {

// Whether a signature of this message covers its request id.
bool signatureBindsId(MsgType type, const RequestId& id);

// Signs an encoded message again for another request id (an announcement answering an inquiry): the datagram's id
// is set and its signature, the last TLV, replaced. False when the datagram does not end with a signature.
bool resign(std::vector<uint8_t>& datagram, const RequestId& id, const crypto::KeyPair& key);

// The datagram of body signed by key; empty when it would not fit.
std::vector<uint8_t> encodeSigned(MsgType type, const RequestId& id, TlvWriter body, const crypto::KeyPair& key);

// True when frame (decoded from data, size) ends with a signature by key over what precedes it.
bool verifySigned(const Frame& frame, const uint8_t* data, size_t size, const crypto::PublicKey& key);

// The bytes a signature covers, for callers that cache verified messages: the body up to the signature TLV.
// Empty when the frame carries no signature as its last TLV.
crypto::ByteView signedBody(const Frame& frame, const uint8_t* data, size_t size);

} // namespace vexa::proto
