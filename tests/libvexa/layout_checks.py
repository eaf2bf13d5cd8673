#!/usr/bin/env python3
"""Turns the offsets that vexa.h states beside each field into static_asserts.

The header is the contract the program reads records by; writing the offsets a second time by hand would only
check that two lists agree. Each field's stated offset is asserted, and so is the record's size: the stated
"N bytes" where the header gives it, otherwise the end of the last field.

usage: layout_checks.py <vexa.h> <output header>
"""

import re
import sys

SCALARS = {"char": 1, "int8_t": 1, "uint8_t": 1, "int16_t": 2, "uint16_t": 2, "int32_t": 4, "uint32_t": 4,
           "int64_t": 8, "uint64_t": 8}
FIELD = re.compile(r"^\s*(\w+)\s+(\w+)(?:\[(\d+)\])?;\s*/\*\s*(\d+)\b")
OPEN = re.compile(r"^typedef struct (\w+) \{")
CLOSE = re.compile(r"^\}\s*(\w+);(?:\s*/\*\s*(\d+) bytes)?")


def records(lines):
    name, fields, stated = None, [], 0
    for number, line in enumerate(lines, 1):
        opened = OPEN.match(line)
        if opened:
            name, fields, stated = opened.group(1), [], 0
            continue
        if name is None:
            continue
        closed = CLOSE.match(line)
        if closed:
            if stated:
                yield name, fields, closed.group(2)
            name = None
            continue
        field = FIELD.match(line)
        if field:
            kind, member, count, offset = field.groups()
            if kind not in SCALARS:
                sys.exit(f"vexa.h:{number}: no size known for type {kind}")
            fields.append((member, int(offset), SCALARS[kind] * int(count or 1), number))
            stated += 1
        elif re.match(r"^\s*\w+\s+\w+(\[\d+\])?;", line) and stated:
            # One field without an offset in a record that states them would go unchecked.
            sys.exit(f"vexa.h:{number}: field without a stated offset")


def main():
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        lines = f.read().splitlines()
    out = ["// Generated from vexa.h by layout_checks.py: the offsets the header states, asserted.", "#pragma once",
           "#include <cstddef>", '#include "vexa.h"']
    count = 0
    for name, fields, size in records(lines):
        for member, offset, _, number in fields:
            out.append(f'static_assert(offsetof({name}, {member}) == {offset}, "vexa.h:{number}: {name}.{member} '
                       f'is not at {offset}");')
            count += 1
        member, offset, width, number = fields[-1]
        total = int(size) if size else offset + width
        out.append(f'static_assert(sizeof({name}) == {total}, "{name} is not {total} bytes");')
        count += 1
    if count == 0:
        sys.exit("vexa.h: no record with stated offsets found")
    out.append(f"constexpr int kLayoutChecks = {count};")
    with open(target, "w", encoding="utf-8") as f:
        f.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
