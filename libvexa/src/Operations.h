#pragma once

// Device operations over the secure channel (see docs/protocol.md, Security).

#include "proto/Codec.h"

namespace vexa {

// Called on the I/O thread for every Challenge and Result: hands it to the operation waiting for its id. from: the
// address it came from to the unicast socket (host order), 0 when it came through the group.
void dispatchReply(const proto::Frame& frame, const uint8_t* data, size_t size, uint32_t from);

} // namespace vexa
