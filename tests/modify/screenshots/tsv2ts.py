#!/usr/bin/env python3
"""Turns translations/zh/<area>.tsv (context, source, Chinese; \\n and \\t escaped) into a .ts file that lrelease
compiles, so that the configuration pages can be drawn in Chinese before the texts join vexatool_zh.ts:

    python3 tests/modify/screenshots/tsv2ts.py translations/zh/modify.tsv /tmp/modify_zh.ts
    /usr/lib/qt6/bin/lrelease /tmp/modify_zh.ts -qm /tmp/modify_zh.qm
"""
import sys
from collections import OrderedDict
from xml.sax.saxutils import escape


def unescape(text):
    return text.replace("\\n", "\n").replace("\\t", "\t")


contexts = OrderedDict()
with open(sys.argv[1], encoding="utf-8") as tsv:
    for line in tsv:
        line = line.rstrip("\n")
        if not line:
            continue
        context, source, chinese = line.split("\t")
        contexts.setdefault(context, []).append((unescape(source), unescape(chinese)))

with open(sys.argv[2], "w", encoding="utf-8") as ts:
    ts.write('<?xml version="1.0" encoding="utf-8"?>\n<!DOCTYPE TS>\n<TS version="2.1" language="zh_CN">\n')
    for context, messages in contexts.items():
        ts.write("<context>\n    <name>%s</name>\n" % escape(context))
        for source, chinese in messages:
            ts.write("    <message>\n        <source>%s</source>\n        <translation>%s</translation>\n"
                     "    </message>\n" % (escape(source), escape(chinese)))
        ts.write("</context>\n")
    ts.write("</TS>\n")
