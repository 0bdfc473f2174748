#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Fails on an include that goes against the build's layers.

Reads the layer table CMake writes (layer, the targets it links, its source
folder, its files) and checks every quoted #include of every layer's files:
the header must belong to the same layer or to one the layer links, directly
or through the layers below. It also fails on a cycle between units, a unit
being a header with its source file, since such a cycle ties two pieces that
could otherwise be changed apart.

The folders are checked the same way, since they are what a reader sees
first: no folder includes the application's (shell/), the core (core/)
includes nothing but itself and the library's public header, the base
(base/) nothing but those and the core, and the folders' include graph has
no cycle. Every file of the program's folders counts, whether a target lists
it or not; tests, benchmarks and fuzzers sit above the program and may
include any of it.

The widget-free layers (the core and the run model, marked so in the table)
are kept so: none of their files includes a header of Qt's widget, GUI,
printing, SVG, chart or OpenGL modules (the folders of those headers come in
a second table, with the modules' targets), none of the layers they reach
is a widget layer, and none of the targets they link, or the layers they
reach link, is one of those modules.
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SYSTEM_INCLUDE = re.compile(r'^\s*#\s*include\s+<([^>]+)>', re.MULTILINE)


def read_table(path, top):
    layers = {}
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if not line:
            continue
        name, links, folder, sources, widget_free = line.split("\t")
        files = set()
        for source in filter(None, sources.split(";")):
            full = os.path.normpath(source if os.path.isabs(source)
                                    else os.path.join(folder, source))
            # Only the tree's own files: moc output and stamps are left out.
            if full.startswith(os.path.join(top, "")) and "/build/" not in full[len(top):]:
                files.add(full)
        layers[name] = {"links": [l for l in links.split(";") if l], "files": files,
                        "widget_free": widget_free == "1"}
    return layers


def reachable(layers, name):
    seen, todo = set(), [name]
    while todo:
        current = todo.pop()
        for link in layers[current]["links"]:
            if link in layers and link not in seen:
                seen.add(link)
                todo.append(link)
    return seen


def unit(path):
    return os.path.splitext(path)[0]


def find_cycle(edges):
    state, stack = {}, []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


APPLICATION = "shell"
CORE = "core"
CORE_MAY_INCLUDE = {"numlib/kelvane.h"}
BASE = "base"


def folder_problems(folders, top):
    """The folder rules, and the include that breaks each."""
    problems = []
    edges = {}
    witness = {}
    for folder in sorted(folders):
        for name in sorted(os.listdir(os.path.join(top, folder))):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, name)
            text = open(os.path.join(top, path), encoding="utf-8", errors="replace").read()
            for header in INCLUDE.findall(text):
                if "/" not in header:
                    continue  # a header beside the file, in its own folder
                target = header.split("/")[0]
                if target == folder or target not in folders:
                    continue
                if target == APPLICATION:
                    problems.append("%s includes %s: only the application includes shell/"
                                    % (path, header))
                if folder == CORE and header not in CORE_MAY_INCLUDE:
                    problems.append("%s includes %s: core/ includes nothing but %s"
                                    % (path, header, ", ".join(sorted(CORE_MAY_INCLUDE))))
                if folder == BASE and target != CORE and header not in CORE_MAY_INCLUDE:
                    problems.append("%s includes %s: base/ includes nothing but core/ and %s"
                                    % (path, header, ", ".join(sorted(CORE_MAY_INCLUDE))))
                edges.setdefault(folder, set()).add(target)
                witness.setdefault((folder, target), "%s includes %s" % (path, header))
    cycle = find_cycle(edges)
    if cycle:
        problems.append("folder cycle: " + " -> ".join(cycle) + " ("
                        + "; ".join(witness[(a, b)] for a, b in zip(cycle, cycle[1:])) + ")")
    return problems


def read_modules(path):
    """The widget modules: their targets, and the folders of their headers."""
    targets, folders = set(), []
    for line in open(path, encoding="utf-8"):
        line = line.rstrip("\n")
        if line:
            target, folder = line.split("\t")
            targets.add(target)
            folders.append(folder)
    return targets, folders


def widget_problems(layers, modules, top):
    """What ties a widget-free layer to widgets, and where."""
    targets, folders = modules
    problems = []
    for name, layer in sorted(layers.items()):
        if not layer["widget_free"]:
            continue
        for reached in sorted(reachable(layers, name)):
            if not layers[reached]["widget_free"]:
                problems.append("%s is widget-free but reaches the widget layer %s"
                                % (name, reached))
        for owner in sorted(reachable(layers, name) | {name}):
            for link in layers[owner]["links"]:
                if link in targets:
                    problems.append("%s is widget-free but links %s%s" % (
                        name, link, "" if owner == name else " through " + owner))
        for path in sorted(layer["files"]):
            text = open(path, encoding="utf-8", errors="replace").read()
            for header in SYSTEM_INCLUDE.findall(text):
                module = header.split("/")[0]
                if any(os.path.exists(os.path.join(folder, header))
                       or os.path.basename(folder) == module for folder in folders):
                    problems.append("%s (%s, widget-free) includes <%s> of a widget module"
                                    % (os.path.relpath(path, top), name, header))
    return problems


def main(table_path, top, modules_path):
    layers = read_table(table_path, top)
    owner = {f: name for name, layer in layers.items() for f in layer["files"]}
    problems = []
    edges = {}
    for name, layer in layers.items():
        allowed = reachable(layers, name) | {name}
        for path in sorted(layer["files"]):
            text = open(path, encoding="utf-8", errors="replace").read()
            for header in INCLUDE.findall(text):
                target = os.path.normpath(os.path.join(top, header))
                if not os.path.exists(target):
                    target = os.path.normpath(os.path.join(os.path.dirname(path), header))
                if target not in owner:
                    continue  # a header from outside the layers, such as the library's
                if owner[target] not in allowed:
                    problems.append("%s (%s) includes %s of the higher or unrelated layer %s"
                                    % (os.path.relpath(path, top), name, header, owner[target]))
                if unit(target) != unit(path):
                    edges.setdefault(unit(path), set()).add(unit(target))
    cycle = find_cycle(edges)
    if cycle:
        problems.append("include cycle: " + " -> ".join(os.path.relpath(c, top) for c in cycle))
    folders = {os.path.relpath(os.path.dirname(f), top) for f in owner} | {"numlib"}
    problems += folder_problems(folders, top)
    problems += widget_problems(layers, read_modules(modules_path), top)
    for problem in problems:
        print(problem)
    if not problems:
        print("%d layers, %d files, %d folders: every include goes down or sideways within a"
              " layer, the folders form no circle, and the widget-free layers are free of"
              " widgets" % (len(layers), len(owner), len(folders)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]))
