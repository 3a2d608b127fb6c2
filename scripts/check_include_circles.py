#!/usr/bin/env python3
"""Fails when files of app/ include each other in a circle, naming the files of each circle.

A header and its sources are one unit: schedule_page.h with schedule_page.cpp and the
schedule_page_*.cpp files that have no header of their own. Unit A reaches unit B when a file of A
includes a header of B; a circle is a set of units that reach one another.
"""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
INCLUDE = re.compile(r'^\s*#\s*include\s+"(app/[^"]+)"', re.MULTILINE)


def units(files):
    headers = {f[:-2] for f in files if f.endswith(".h")}
    unit_of = {}
    for f in files:
        stem = os.path.splitext(f)[0]
        if stem in headers:
            unit_of[f] = stem
            continue
        # A source without a header of its own belongs to the header it extends (name_part.cpp).
        owners = [h for h in headers if os.path.dirname(h) == os.path.dirname(stem) and stem.startswith(h + "_")]
        unit_of[f] = max(owners, key=len) if owners else stem
    return unit_of


def circles(edges):
    # Tarjan's strongly connected components; a component of more than one unit is a circle.
    index, low, stack, on_stack, found = {}, {}, [], set(), []

    def visit(v):
        index[v] = low[v] = len(index)
        stack.append(v)
        on_stack.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def main():
    files = []
    for folder, _, names in os.walk(os.path.join(ROOT, "app")):
        for name in names:
            if name.endswith((".h", ".cpp")):
                files.append(os.path.relpath(os.path.join(folder, name), ROOT))
    unit_of = units(files)
    edges = {}
    for f in files:
        with open(os.path.join(ROOT, f), encoding="utf-8") as source:
            for included in INCLUDE.findall(source.read()):
                if included in unit_of and unit_of[included] != unit_of[f]:
                    edges.setdefault(unit_of[f], set()).add(unit_of[included])
    found = circles(edges)
    for component in found:
        print("include circle: " + " <-> ".join(component))
        for unit in component:
            for target in sorted(edges.get(unit, ())):
                if target in component:
                    print(f"  {unit} includes {target}")
    if found:
        return 1
    print(f"no include circle among the {len(set(unit_of.values()))} units of app/")
    return 0


if __name__ == "__main__":
    sys.exit(main())
