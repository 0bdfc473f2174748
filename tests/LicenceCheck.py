#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails when a source file does not state its licence, or states the wrong one.

The program is GPL-3.0-or-later; the numeric library, its header and the
Python reader are LGPL-3.0-or-later, so that any program may call them. Every
C, C++, Python, CMake and shell file says which in an SPDX line near its top;
the licence texts lie at the top of the tree, and the desktop metadata and
the package's copyright file name both licences.
"""
import os
import re
import subprocess
import sys

SPDX = re.compile(r"SPDX-License-Identifier: (\S+)")
LIBRARY = ("numlib/", "python/", "tests/install/ReadScan.c")


def needs_line(path):
    name = os.path.basename(path)
    return (path.endswith((".c", ".cpp", ".h", ".py", ".sh", ".cmake", ".map"))
            or name == "CMakeLists.txt" or path.startswith("scripts/") or path == ".ci/run")


def main(top):
    os.chdir(top)
    files = subprocess.check_output(["git", "ls-files"], text=True).split()
    problems = []
    for path in files:
        if not needs_line(path) or not os.path.isfile(path):
            continue
        head = open(path, encoding="utf-8", errors="replace").read().split("\n")[:3]
        found = [m.group(1) for line in head for m in [SPDX.search(line)] if m]
        want = "LGPL-3.0-or-later" if path.startswith(LIBRARY) else "GPL-3.0-or-later"
        if found != [want]:
            problems.append("%s: %s, not %s" % (path, found[0] if found else "no SPDX line", want))
    for text in ("COPYING", "COPYING.LESSER"):
        if not os.path.isfile(text):
            problems.append("no %s at the top of the tree" % text)
    metainfo = open("data/org.sedora.Sedora.metainfo.xml.in", encoding="utf-8").read()
    if "<project_license>GPL-3.0-or-later AND LGPL-3.0-or-later</project_license>" not in metainfo:
        problems.append("the metainfo names no project licence")
    copyright = open("data/copyright", encoding="utf-8").read()
    for licence in ("License: GPL-3.0-or-later", "License: LGPL-3.0-or-later"):
        if licence not in copyright:
            problems.append("data/copyright lacks " + licence)
    for problem in problems:
        print(problem)
    if not problems:
        print("%d files state their licence" % sum(1 for f in files if needs_line(f)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
