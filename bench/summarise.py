#!/usr/bin/env python3
"""Prints the README table from Google Benchmark JSON files: the median of each benchmark per history
size, the growth from the smallest to the largest history, and the save and deletion against their
floors."""
import json
import re
import sys
from collections import OrderedDict

RATIOS = [("saveMonth", "Floor/Save"), ("deleteRowAndSave", "Floor/LineDelete"),
          ("deleteRowAndSave", "Floor/LineDelete+InpWork"), ("ExportCsv", "Floor/ExportCsv"),
          ("ImportCsv", "Floor/ImportCsv"), ("Terms/StorePlansOfAYear/payers:500", "Floor/StorePlans"),
          ("ImportLegacy", "Floor/ImportLegacy direct copy"), ("ImportLegacy", "Floor/ImportLegacy mdb-export")]


OTHERS = OrderedDict()  # benchmarks not run per history size (the 100 MB CSV import): name -> (ms, counters)


def load(paths):
    medians = OrderedDict()  # name -> {rows: (ms, counters)}
    for path in paths:
        with open(path, encoding="utf-8") as f:
            data = json.load(f)
        for b in data["benchmarks"]:
            if b.get("aggregate_name", "median") != "median" or b.get("error_occurred"):
                continue
            m = re.match(r"(.+)/rows:(\d+)", b["run_name"])
            scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
            counters = {k: v for k, v in b.items() if k in ("peak_MB", "rows_rewritten")}
            if not m:
                OTHERS[re.sub(r"/iterations:\d+|/real_time", "", b["run_name"])] = (b["real_time"] * scale,
                                                                                   counters)
                continue
            medians.setdefault(m.group(1), {})[int(m.group(2))] = (b["real_time"] * scale, counters)
    return medians


def fmt(ms):
    return f"{ms:.3f}" if ms < 1 else f"{ms:.1f}" if ms < 100 else f"{ms:.0f}"


def main(paths):
    medians = load(paths)
    sizes = sorted({n for per in medians.values() for n in per})
    print("| benchmark (median, ms) | " + " | ".join(f"{n:,} rows" for n in sizes) +
          (f" | {sizes[-1]:,} / {sizes[0]:,}" if len(sizes) > 1 else "") + " |")
    print("|---" * (len(sizes) + 1 + (len(sizes) > 1)) + "|")
    for name, per in medians.items():
        cells = [fmt(per[n][0]) if n in per else "" for n in sizes]
        growth = ""
        if len(sizes) > 1 and sizes[0] in per and sizes[-1] in per:
            growth = f" | {per[sizes[-1]][0] / per[sizes[0]][0]:.2f}×"
        print(f"| {name} | " + " | ".join(cells) + growth + " |")
    print()
    print("| ratio to the floor | " + " | ".join(f"{n:,} rows" for n in sizes) + " |")
    print("|---" * (len(sizes) + 1) + "|")
    for action, floor in RATIOS:
        if action in medians and floor in medians:
            cells = [f"{medians[action][n][0] / medians[floor][n][0]:.2f}"
                     if n in medians[action] and n in medians[floor] else "" for n in sizes]
            print(f"| {action} / {floor} | " + " | ".join(cells) + " |")
    peaks = {name: {n: c.get("peak_MB") for n, (_, c) in per.items() if c.get("peak_MB")}
             for name, per in medians.items()}
    peaks = {k: v for k, v in peaks.items() if v}
    if peaks:
        print()
        print("| peak resident memory (MB) | " + " | ".join(f"{n:,} rows" for n in sizes) + " |")
        print("|---" * (len(sizes) + 1) + "|")
        for name, per in peaks.items():
            print(f"| {name} | " + " | ".join(f"{per[n]:.0f}" if n in per else "" for n in sizes) + " |")
    if OTHERS:
        print()
        print("| benchmark (median) | ms | peak resident memory (MB) |")
        print("|---|---|---|")
        for name, (ms, counters) in OTHERS.items():
            peak = counters.get("peak_MB")
            print(f"| {name} | {fmt(ms)} | " + (f"{peak:.0f}" if peak else "") + " |")


if __name__ == "__main__":
    main(sys.argv[1:])
