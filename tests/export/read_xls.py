#!/usr/bin/env python3
"""Reads a workbook with xlrd, an independent reader, and prints what it found as JSON.

    read_xls.py FILE          {"sheets": [{"name": ..., "rows": [[cell, ...], ...], "types": [...]}]}
    read_xls.py --stream FILE {"size": N, "md5": ...} of the compound file's Workbook stream
"""
import hashlib
import json
import sys

import xlrd
import xlrd.compdoc


def main():
    if sys.argv[1] == "--stream":
        with open(sys.argv[2], "rb") as f:
            doc = xlrd.compdoc.CompDoc(f.read(), logfile=sys.stderr)
        stream = doc.get_named_stream("Workbook")
        print(json.dumps({"size": len(stream), "md5": hashlib.md5(stream).hexdigest()}))
        return
    book = xlrd.open_workbook(sys.argv[1], logfile=sys.stderr)
    sheets = []
    for sheet in book.sheets():
        rows = [[sheet.cell_value(r, c) for c in range(sheet.ncols)] for r in range(sheet.nrows)]
        types = sorted({sheet.cell_type(r, c) for r in range(sheet.nrows) for c in range(sheet.ncols)})
        sheets.append({"name": sheet.name, "rows": rows, "types": types})
    print(json.dumps({"biff": book.biff_version, "sheets": sheets}, ensure_ascii=False))


if __name__ == "__main__":
    main()
