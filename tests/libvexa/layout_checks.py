#!/usr/bin/env python3
"""Turns the offsets vexa.h states beside each field into static_asserts, and each record's size (the stated
"N bytes", else the end of its last field). usage: layout_checks.py <vexa.h> <output header>"""

import re
import sys

SIZES = {"char": 1, "int8_t": 1, "uint8_t": 1, "int16_t": 2, "uint16_t": 2, "int32_t": 4, "uint32_t": 4,
         "int64_t": 8, "uint64_t": 8}
FIELD = re.compile(r"^\s*(\w+)\s+(\w+)(?:\[(\d+)\])?;(?:\s*/\*\s*(\d+)\b)?")


def main(source, target):
    out, record, fields = ["#pragma once", "#include <cstddef>", '#include "vexa.h"'], None, []
    with open(source, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            opened = re.match(r"^typedef struct (\w+) \{", line)
            closed = re.match(r"^\}\s*(\w+);(?:\s*/\*\s*(\d+) bytes)?", line)
            field = FIELD.match(line)
            if opened:
                record, fields = opened.group(1), []
            elif record and closed:
                stated = [f for f in fields if f[1] is not None]
                if stated and len(stated) != len(fields):  # one field left out would go unchecked
                    sys.exit(f"vexa.h:{number}: {record} states offsets for some fields only")
                for member, offset, _ in stated:
                    out.append(f'static_assert(offsetof({record}, {member}) == {offset}, '
                               f'"{record}.{member} is not at {offset} as vexa.h states");')
                if stated:
                    _, offset, width = stated[-1]
                    size = int(closed.group(2)) if closed.group(2) else offset + width
                    out.append(f'static_assert(sizeof({record}) == {size}, "{record} is not {size} bytes");')
                record = None
            elif record and field:
                kind, member, count, offset = field.groups()
                if kind not in SIZES and offset is not None:
                    sys.exit(f"vexa.h:{number}: no size known for {kind}")
                fields.append((member, None if offset is None else int(offset), SIZES.get(kind, 0) * int(count or 1)))
    checks = sum(line.startswith("static_assert") for line in out)
    if not checks:
        sys.exit("vexa.h: no record states its offsets")
    out.append(f"constexpr int kLayoutChecks = {checks};")
    with open(target, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(*sys.argv[1:3])
