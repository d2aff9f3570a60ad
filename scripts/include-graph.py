#!/usr/bin/env python3
"""Lists the include graph of a C/C++ source folder by unit and reports circles.

A unit is a header and its source file taken together (X.h and X.cpp are the
unit "X"). Unit X depends on unit Y when X.h or X.cpp includes Y.h with
quotation marks. Only headers found in the folder (and its subfolders) count;
system headers and files outside the folder are left out.

Usage: include-graph.py FOLDER
Prints one line per unit, "X -> Y, Z", then every circle found. Exit status 1
when there is a circle, 0 otherwise, 2 on a usage error.
"""
import os
import re
import sys

HEADER_ENDINGS = (".h", ".hpp", ".hh", ".hxx")
SOURCE_ENDINGS = (".c", ".cc", ".cpp", ".cxx")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def unit_of(relative_path):
    """The unit name of a file: its path below the folder without the ending."""
    return os.path.splitext(relative_path)[0].replace(os.sep, "/")


def read_units(folder):
    """Maps each unit to the set of units its files include."""
    files = []
    for directory, _, names in os.walk(folder):
        for name in names:
            if name.endswith(HEADER_ENDINGS + SOURCE_ENDINGS):
                files.append(os.path.relpath(os.path.join(directory, name), folder))
    headers = {os.path.normpath(f): unit_of(f) for f in files if f.endswith(HEADER_ENDINGS)}
    graph = {unit_of(f): set() for f in files}
    for f in files:
        with open(os.path.join(folder, f), encoding="utf-8", errors="replace") as handle:
            text = handle.read()
        here = os.path.dirname(f)
        for target in INCLUDE.findall(text):
            # Relative to the including file first, then to the folder, as
            # the compiler's quoted search and the project's include path go.
            for candidate in (os.path.join(here, target), target):
                key = os.path.normpath(candidate)
                if key in headers:
                    if headers[key] != unit_of(f):
                        graph[unit_of(f)].add(headers[key])
                    break
    return graph


def find_circles(graph):
    """Strongly connected components with more than one unit (Tarjan)."""
    index = {}
    low = {}
    stack = []
    on_stack = set()
    circles = []
    counter = [0]

    def visit(unit):
        index[unit] = low[unit] = counter[0]
        counter[0] += 1
        stack.append(unit)
        on_stack.add(unit)
        for other in sorted(graph[unit]):
            if other not in index:
                visit(other)
                low[unit] = min(low[unit], low[other])
            elif other in on_stack:
                low[unit] = min(low[unit], index[other])
        if low[unit] == index[unit]:
            component = []
            while True:
                top = stack.pop()
                on_stack.discard(top)
                component.append(top)
                if top == unit:
                    break
            if len(component) > 1:
                circles.append(sorted(component))

    sys.setrecursionlimit(max(1000, 4 * len(graph) + 100))
    for unit in sorted(graph):
        if unit not in index:
            visit(unit)
    return circles


def main(argv):
    if len(argv) != 2 or not os.path.isdir(argv[1]):
        sys.stderr.write("usage: include-graph.py FOLDER\n")
        return 2
    graph = read_units(argv[1])
    for unit in sorted(graph):
        targets = ", ".join(sorted(graph[unit]))
        print(f"{unit} -> {targets}" if targets else unit)
    circles = find_circles(graph)
    for circle in circles:
        print("circle: " + " <-> ".join(circle))
    if not circles:
        print("no circles")
    return 1 if circles else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
