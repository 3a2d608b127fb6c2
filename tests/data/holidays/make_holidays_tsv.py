#!/usr/bin/env python3
"""Writes holidays.tsv, the reference list of Japan's national holidays the holiday tests compare with,
from the data file of the npm package @holiday-jp/holiday_jp (kept independently of our rules).

    cd /tmp && npm pack @holiday-jp/holiday_jp && tar xzf holiday-jp-holiday_jp-*.tgz
    python3 make_holidays_tsv.py /tmp/package > holidays.tsv

One line per holiday, `yyyy-mm-dd<TAB>name`, years 1970 to 2050, in date order; a first line starting
with `#` names the package and its version."""
import json
import os
import re
import sys

FIRST_YEAR, LAST_YEAR = 1970, 2050


def main(package_dir):
    with open(os.path.join(package_dir, "package.json"), encoding="utf-8") as f:
        version = json.load(f)["version"]
    with open(os.path.join(package_dir, "lib", "holidays.js"), encoding="utf-8") as f:
        source = f.read()
    # Each entry is an object literal with a date and a name; nothing else in the file looks like it.
    entries = re.findall(r'date:\s*"(\d{4}-\d{2}-\d{2})",.*?\bname:\s*"([^"]*)"', source, re.S)
    rows = sorted({(d, n) for d, n in entries if FIRST_YEAR <= int(d[:4]) <= LAST_YEAR})
    if len({d for d, _ in rows}) != len(rows):
        sys.exit("a date appears twice")
    out = sys.stdout
    out.write(f"# @holiday-jp/holiday_jp {version}, {FIRST_YEAR}-{LAST_YEAR}\n")
    for d, n in rows:
        out.write(f"{d}\t{n}\n")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_holidays_tsv.py PACKAGE_DIR > holidays.tsv")
    main(sys.argv[1])
