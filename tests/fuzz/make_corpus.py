#!/usr/bin/env python3
"""Writes the seed corpus of the codec fuzz target: valid messages of every type and malformed ones."""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")

TYPES = {"inquiry": 1, "announce": 2, "bye": 3, "getchallenge": 4, "challenge": 5, "activate": 16,
         "setnetwork": 17, "getkeyrequest": 18, "resetpassword": 19, "restoredefault": 20, "result": 32}


def tlv(tag, value):
    if isinstance(value, str):
        value = value.encode()
    return struct.pack(">HH", tag, len(value)) + value


def u8(v): return bytes([v])
def u16(v): return struct.pack(">H", v)
def u32(v): return struct.pack(">I", v)


def frame(kind, body, rid=b"\x11" * 16, version=1, length=None):
    n = len(body) if length is None else length
    return b"VXDP" + bytes([version, TYPES[kind]]) + u16(0) + rid + u16(n) + body


RECORD = b"".join([
    tlv(1, "VXIPCB12001000000000"), tlv(2, "02-56-01-00-00-00"), tlv(3, "10.17.0.2"), tlv(4, "255.255.0.0"),
    tlv(5, "10.17.0.1"), tlv(6, u32(0x9D01)), tlv(7, u32(8000)), tlv(8, u32(1)), tlv(9, u32(0)),
    tlv(10, "V5.7.2 build 235712"), tlv(11, "V7.3 build 238915"), tlv(12, "2024-08-18 21:37:12"),
    tlv(13, "VX-IPC-B120"), tlv(14, "Fynmar_quelbrok"), tlv(15, "fd00:56:1::2"), tlv(16, "fd00:56:1::1"),
    tlv(17, u8(64)), tlv(18, u8(0x47)), tlv(19, u8(0)), tlv(20, u8(2)), tlv(21, u16(80)), tlv(22, u8(1)),
    tlv(23, u8(1)), tlv(24, u8(0)), tlv(25, u8(1)), tlv(26, "Camera 000000"), tlv(27, "ST010000000000"),
    tlv(28, u16(554)), tlv(29, b"\x42" * 32), tlv(30, b"\x24" * 64),
])

SEALED = tlv(42, b"\x01" * 32) + tlv(43, b"\x5a" * 120)

CASES = {
    "inquiry": frame("inquiry", b""),
    "inquiry_filter": frame("inquiry", tlv(31, u8(1))),
    "inquiry_known": frame("inquiry", tlv(34, bytes(range(6)) + b"\x02\x56\x01\x00\x00\x01")),
    "inquiry_known_full": frame("inquiry", tlv(31, u8(1)) + tlv(34, b"\x02" * 6 * 192)),
    "announce_signed": frame("announce", RECORD + tlv(33, u32(1765180800)) + tlv(32, b"\x5c" * 64)),
    "bye_signed": frame("bye", tlv(1, "VXIPCB12001000000000") + tlv(2, "02-56-01-00-00-00") + tlv(33, u32(7))
                        + tlv(32, b"\x5c" * 64)),
    "challenge_signed": frame("challenge", tlv(2, "02-56-01-00-00-00") + tlv(40, b"\x07" * 32) + tlv(41, u32(0))
                              + tlv(32, b"\x5c" * 64)),
    "bad_signature_short": frame("announce", RECORD + tlv(32, b"\x5c" * 63)),
    "bad_signature_not_last": frame("announce", tlv(32, b"\x5c" * 64) + RECORD),
    "bad_known_odd": frame("inquiry", tlv(34, b"\x02" * 6 * 193)),
    "announce": frame("announce", RECORD),
    "announce_unknown_tag": frame("announce", RECORD + tlv(900, b"future")),
    "announce_full_width_serial": frame("announce", tlv(1, "S" * 48) + RECORD[4 + 20:]),
    "bye": frame("bye", tlv(1, "VXIPCB12001000000000") + tlv(2, "02-56-01-00-00-00")),
    "getchallenge": frame("getchallenge", tlv(2, "02-56-01-00-00-00") + tlv(1, "VXIPCB12001000000000")),
    "challenge": frame("challenge", tlv(2, "02-56-01-00-00-00") + tlv(40, b"\x07" * 32) + tlv(41, u32(0))),
    "activate": frame("activate", tlv(2, "02-56-01-00-00-00") + SEALED),
    "setnetwork": frame("setnetwork", tlv(2, "02-56-01-00-00-00") + SEALED),
    "getkeyrequest": frame("getkeyrequest", tlv(2, "02-56-01-00-00-00") + SEALED),
    "resetpassword": frame("resetpassword", tlv(2, "02-56-01-00-00-00") + SEALED),
    "restoredefault": frame("restoredefault", tlv(2, "02-56-01-00-00-00") + SEALED),
    "result": frame("result", tlv(2, "02-56-01-00-00-00") + tlv(44, u32(2009)) + tlv(43, b"\x33" * 60)),
    "result_plain": frame("result", tlv(2, "02-56-01-00-00-00") + tlv(44, u32(2012)) + tlv(41, u32(60))),
        # Plaintexts of sealed payloads: version 1, type, MAC (6), request id (16), challenge (32), then fields.
    "payload_activate": bytes([1, 16]) + bytes(range(6)) + b"\x11" * 16 + b"\x07" * 32 + tlv(53, "Good-Pass1"),
    "payload_setnetwork": bytes([1, 17]) + bytes(range(6)) + b"\x11" * 16 + b"\x07" * 32 + tlv(53, "Good-Pass1")
    + tlv(3, "10.99.0.7") + tlv(4, "255.255.0.0") + tlv(7, u32(8000)) + tlv(19, u8(0)) + tlv(26, "Camera"),
    "payload_reset": bytes([1, 19]) + bytes(range(6)) + b"\x11" * 16 + b"\x07" * 32 + tlv(55, "A" * 117)
    + tlv(53, "Reset-Pass1") + tlv(57, u8(1)),
    "payload_result": bytes([1, 32]) + bytes(range(6)) + b"\x11" * 16 + b"\x07" * 32 + tlv(44, u32(0))
    + tlv(45, "<KeyRequest><Serial>X</Serial></KeyRequest>"),
    # Malformed: each must be dropped whole.
    "bad_truncated_header": frame("announce", RECORD)[:20],
    "bad_truncated_tlv": frame("announce", RECORD)[:-3],
    "bad_length_past_end": frame("announce", RECORD + struct.pack(">HH", 13, 400) + b"abc"),
    "bad_body_length": frame("announce", RECORD, length=len(RECORD) + 10),
    "bad_duplicate_tag": frame("announce", RECORD + tlv(1, "VXDUPLICATE")),
    "bad_text_too_long": frame("announce", tlv(13, "T" * 25) + RECORD),
    "bad_text_nul": frame("announce", RECORD + tlv(58, "AB\x00CD")),
    "bad_int_width": frame("announce", tlv(6, u16(1)) + RECORD),
    "bad_magic": b"VXDQ" + frame("announce", RECORD)[4:],
    "bad_version": frame("announce", RECORD, version=2),
    "bad_oversize": frame("announce", RECORD + tlv(901, b"x" * 1300)),
}


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in CASES.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
