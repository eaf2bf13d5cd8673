#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a folder of src/ includes a folder that includes it back, directly or round a loop.

    scripts/folder-cycles.py          print each loop and exit 1 when there is one

A folder is a top-level folder of src/ that holds sources, with everything nested in it: a file of src/a/b counts
as a file of src/a, so a folder cannot hide targets from both ends of the stack in its subfolders. An edge A -> B
is an #include "B/..." in a file of A. Each loop is printed with one include that makes each of its steps.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SRC = os.path.join(ROOT, "src")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def top(path):
    """The top-level folder of src/ that a path relative to src/ lies in ("" for a file of src/ itself)."""
    head, sep, _ = path.partition("/")
    return head if sep else ""


def sources(src):
    """(path relative to src, text) of each source file."""
    for here, _, files in os.walk(src):
        for name in files:
            if name.endswith((".h", ".cpp")):
                path = os.path.join(here, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    yield os.path.relpath(path, src).replace(os.sep, "/"), f.read()


def edges(files):
    """Folder -> {included folder: one include that makes the edge}, from (path, text) pairs."""
    files = list(files)
    known = {top(path) for path, _ in files} - {""}
    graph = {f: {} for f in known}
    for path, text in files:
        me = top(path)
        if not me:
            continue
        for target in INCLUDE.findall(text):
            folder = top(target)
            if folder in known and folder != me:
                graph[me].setdefault(folder, "%s includes %s" % (path, target))
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
    graph = edges(sources(SRC))
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
