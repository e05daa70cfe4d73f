#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads a workbook as a spreadsheet user's tools would (openpyxl, from Debian's
# python3-openpyxl) and prints what the tests check, as JSON: each cell's value
# and kind, the header's boldness, the number formats, the frozen pane and the
# column widths.
import json
import re
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
sheet = book.worksheets[0]


def shown(value):
    # A control character in a text cell is stored as _xHHHH_ (the format's
    # own escape), which Excel and LibreOffice show as the character; this
    # openpyxl leaves it escaped.
    if isinstance(value, str):
        return re.sub(r"_x([0-9A-Fa-f]{4})_", lambda m: chr(int(m.group(1), 16)), value)
    return value


rows = []
for row in sheet.iter_rows():
    rows.append([{"value": shown(c.value), "type": c.data_type, "bold": bool(c.font and c.font.b),
                  "format": c.number_format} for c in row])
widths = {}
for letter, dimension in sheet.column_dimensions.items():
    widths[letter] = dimension.width
print(json.dumps({"sheet": sheet.title, "freeze": sheet.freeze_panes, "rows": rows,
                  "widths": widths}))
