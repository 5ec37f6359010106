#!/usr/bin/env python3
"""Prints the parts of unified diffs that change library code.

Reads the patch files named on the command line (a Debian package's
debian/patches, in series order) and writes to standard output only the file
sections whose target is a C or C++ source or header outside test, demo,
documentation and utility folders. Patches to the build system (configure.ac,
Makefile.am, ...) are left out: applying them would make the build want to
regenerate itself with tools a cross build does not need.
"""
import re
import sys

CODE = re.compile(r"\.(c|h|cc|cpp|hpp)$")
SKIPPED_FOLDERS = ("test/", "tests/", "perf/", "util/", "ft2demos/", "ft2docs/", "docs/", "examples/")


def target_path(line):
    path = line[4:].split("\t")[0].strip()
    return path.split("/", 1)[1] if "/" in path else path


def wanted(path):
    return bool(CODE.search(path)) and not path.startswith(SKIPPED_FOLDERS)


def sections(lines):
    """Yields (path, lines) for each file section, hunks read by their counts."""
    i = 0
    while i < len(lines):
        if lines[i].startswith("--- ") and i + 1 < len(lines) and lines[i + 1].startswith("+++ "):
            path = target_path(lines[i + 1])
            body = [lines[i], lines[i + 1]]
            i += 2
            while i < len(lines) and lines[i].startswith("@@"):
                m = re.match(r"@@ -\d+(?:,(\d+))? \+\d+(?:,(\d+))? @@", lines[i])
                old = int(m.group(1) or 1)
                new = int(m.group(2) or 1)
                body.append(lines[i])
                i += 1
                while (old > 0 or new > 0) and i < len(lines):
                    line = lines[i]
                    if line.startswith("\\"):
                        body.append(line)
                        i += 1
                        continue
                    tag = line[:1]
                    if tag in (" ", "\n", ""):
                        old -= 1
                        new -= 1
                    elif tag == "-":
                        old -= 1
                    elif tag == "+":
                        new -= 1
                    body.append(line)
                    i += 1
                while i < len(lines) and lines[i].startswith("\\"):
                    body.append(lines[i])
                    i += 1
            yield path, body
        else:
            i += 1


for name in sys.argv[1:]:
    with open(name, encoding="utf-8", errors="surrogateescape") as patch:
        lines = patch.read().splitlines(keepends=True)
    for path, body in sections(lines):
        if wanted(path):
            sys.stdout.write("".join(body))
