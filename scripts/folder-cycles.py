#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a folder of src/ includes a folder that includes it back, directly or round a loop.

    scripts/folder-cycles.py          print each loop and exit 1 when there is one

A folder is any folder of src/ that holds sources (src/plan/core is a folder of its own); an edge A -> B is an
#include "B/..." in a file of A. Each loop is printed with one include that makes each of its steps.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, "src")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folders():
    found = set()
    for here, _, files in os.walk(SRC):
        if any(f.endswith((".h", ".cpp")) for f in files):
            found.add(os.path.relpath(here, SRC).replace(os.sep, "/"))
    return found


def edges(known):
    graph = {f: {} for f in known}
    for here, _, files in os.walk(SRC):
        me = os.path.relpath(here, SRC).replace(os.sep, "/")
        for name in files:
            if not name.endswith((".h", ".cpp")):
                continue
            text = open(os.path.join(here, name), encoding="utf-8", errors="replace").read()
            for target in INCLUDE.findall(text):
                folder = os.path.dirname(target)
                if folder in known and folder != me:
                    graph[me].setdefault(folder, "%s/%s includes %s" % (me, name, target))
    return graph


def loops(graph):
    """Strongly connected components with more than one folder (Tarjan)."""
    index, low, stack, on, out = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on.add(v)
        for w in graph[v]:
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            part = []
            while True:
                w = stack.pop()
                on.discard(w)
                part.append(w)
                if w == v:
                    break
            if len(part) > 1:
                out.append(sorted(part))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return out


def main():
    graph = edges(folders())
    found = loops(graph)
    for part in found:
        print("folders of src/ that include each other: " + ", ".join(part))
        for a in part:
            for b in part:
                if b in graph[a]:
                    print("    " + graph[a][b])
    sys.exit(1 if found else 0)


if __name__ == "__main__":
    main()
