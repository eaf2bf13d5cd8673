#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Counts the lines of the program and the command-line client that branch on a device's protocol.

    scripts/protocol-branches.py            print each such line as file:line and the total
    scripts/protocol-branches.py --max N    print the total; when it is above N, print the lines too and exit 1

Code that asks which protocol a device speaks belongs in one place (src/fleet/, which is not counted); everywhere
else it should ask what the device can do. The lines counted are those of the .h and .cpp files under src/ and
tools/cli/, outside src/fleet/, after comments and string and character literals are blanked, that hold at least
one protocol test:

1. a comparison with a protocol constant: VEXA_PROTOCOL_<X> on either side of == or !=, or `case VEXA_PROTOCOL_<X>`;
2. a comparison of a protocol field: `protocol ==` or `protocol !=` (the field `protocol`, not a call such as
   QHostAddress::protocol()), or `switch (... protocol)`;
3. a call of a protocol predicate: isOnvif(...), isVexa(...);
4. a read of a protocol flag. A flag is a name that contains "onvif" (any case) and is declared `bool NAME` or
   `<bool> NAME` (a container of flags). A name declared so in a .h file is a member flag: it is read as
   `.NAME`, `->NAME`, or bare when it starts with `m_`. A name declared so in a .cpp file is a local flag, read as
   the bare name from its declaration to the end of the block that holds it (so an int or a record that happens
   to be called `onvif` elsewhere is not one).

A line that only declares or defines (the `bool NAME` itself, a predicate's definition) or only assigns a constant
to a flag (`m_onvif = false;`) holds no test; its right-hand side is still read, so `d.onvif = isOnvif(info);`
counts once. Each line counts once however many tests it holds.
"""
import argparse
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCANNED = ("src", "tools/cli")
SKIPPED = ("src/fleet",)

CONSTANT = re.compile(r"(==|!=)\s*VEXA_PROTOCOL_\w+|\bVEXA_PROTOCOL_\w+\s*(==|!=)|\bcase\s+VEXA_PROTOCOL_\w+")
FIELD = re.compile(r"\bprotocol\s*(==|!=)|(==|!=)\s*[\w.>-]*\bprotocol\b(?!\s*\()|\bswitch\s*\([^)]*\bprotocol\b")
PREDICATE = re.compile(r"\bis(Onvif|Vexa)\s*\(")
FLAG_DECLARATION = re.compile(r"(?:\bbool|<\s*bool\s*>)\s+(\w*[Oo][Nn][Vv][Ii][Ff]\w*)\b(?!\s*(\(|::))")
PREDICATE_DEFINITION = re.compile(r"\bbool\s+is(Onvif|Vexa)\s*\(")
LITERALS = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)


def blank(text):
    """Comments and literals become spaces; line breaks stay, so line numbers hold."""
    return LITERALS.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)


def files(root):
    for top in SCANNED:
        for here, dirs, names in os.walk(os.path.join(root, top)):
            rel = os.path.relpath(here, root).replace(os.sep, "/")
            dirs[:] = sorted(d for d in dirs if (rel + "/" + d) not in SKIPPED)
            for name in sorted(names):
                if name.endswith((".h", ".cpp")):
                    path = rel + "/" + name
                    with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                        yield path, f.read()


def strip_declarations(line, flags):
    """Drops what only declares or assigns, so that only what is read is tested."""
    line = PREDICATE_DEFINITION.sub(" ", line)
    line = FLAG_DECLARATION.sub(" ", line)
    if flags:
        # The assigned name (`m_onvif = ...`, `d.onvif = ...`) is written, not read.
        line = re.sub(r"(?:[\w.>-]*?)\b(%s)\s*=(?!=)" % "|".join(map(re.escape, flags)), " ", line)
    return line


def local_flags(lines):
    """For each line, the local flags in scope there: from the declaration to the end of its block."""
    depth, scopes, out = 0, [], []
    for line in lines:
        for name, _ in FLAG_DECLARATION.findall(line):
            scopes.append((name, depth))
        out.append({name for name, _ in scopes})
        depth += line.count("{") - line.count("}")
        scopes = [(name, d) for name, d in scopes if d <= depth]
    return out


def reads_flag(line, members, locals_):
    for name in members:
        if re.search(r"(\.|->)\s*%s\b" % re.escape(name), line):
            return True
        if name.startswith("m_") and re.search(r"(?<![\w.>])%s\b" % re.escape(name), line):
            return True
    for name in locals_:
        if re.search(r"(?<![\w.>])%s\b" % re.escape(name), line):
            return True
    return False


def count(sources):
    """The (path, line number) of each line that branches, from (path, text) pairs."""
    sources = [(path, blank(text)) for path, text in sources]
    members = set()
    for path, text in sources:
        if path.endswith(".h"):
            members.update(name for name, _ in FLAG_DECLARATION.findall(text))
    found = []
    for path, text in sources:
        lines = text.split("\n")
        scopes = local_flags(lines) if path.endswith(".cpp") else [set()] * len(lines)
        for number, (line, locals_) in enumerate(zip(lines, scopes), 1):
            read = strip_declarations(line, members | locals_)
            if CONSTANT.search(read) or FIELD.search(read) or PREDICATE.search(read) or \
                    reads_flag(read, members, locals_):
                found.append((path, number))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--max", type=int, help="exit 1 when more lines than this branch on the protocol")
    args = parser.parse_args()
    found = count(files(ROOT))
    over = args.max is not None and len(found) > args.max
    original = {}
    for path, number in found if args.max is None or over else []:
        if path not in original:
            with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
                original[path] = f.read().split("\n")
        print("%s:%d: %s" % (path, number, original[path][number - 1].strip()))
    print("%d lines in %d files branch on the protocol" % (len(found), len({p for p, _ in found})))
    if over:
        print("more than %d: ask the device's capabilities instead of its protocol" % args.max)
        sys.exit(1)


if __name__ == "__main__":
    main()
