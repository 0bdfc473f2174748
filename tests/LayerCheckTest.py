#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""LayerCheck against a small tree of its own: a clean one passes, and each
planted fault of the widget-free layers (a widget module's header, a header
of a window layer, a widget module linked directly or through a layer below)
fails with a line that names it."""
import os
import subprocess
import sys
import tempfile

CHECK = os.path.join(os.path.dirname(os.path.abspath(__file__)), "LayerCheck.py")


def run(tree, layers):
    """LayerCheck over `tree` (path: text) with `layers` (name: links,
    widget-free); its exit status and what it printed."""
    with tempfile.TemporaryDirectory() as top:
        qt = os.path.join(top, "qt")
        os.makedirs(os.path.join(qt, "QtWidgets"))
        open(os.path.join(qt, "QtWidgets", "QWidget"), "w").close()
        files = {}
        for path, text in tree.items():
            full = os.path.join(top, "src", path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            open(full, "w").write(text)
            files.setdefault(path.split("/")[0], []).append(os.path.basename(path))
        files.pop("numlib")
        table = os.path.join(top, "layers.tsv")
        with open(table, "w") as out:
            for name, (folder, links, free) in layers.items():
                out.write("%s\t%s\t%s\t%s\t%d\n" % (name, ";".join(links),
                          os.path.join(top, "src", folder), ";".join(files[folder]), free))
        modules = os.path.join(top, "modules.tsv")
        with open(modules, "w") as out:
            out.write("Qt6::Widgets\t%s\n" % os.path.join(qt, "QtWidgets"))
        done = subprocess.run([sys.executable, CHECK, table, os.path.join(top, "src"), modules],
                              capture_output=True, text=True)
        return done.returncode, done.stdout + done.stderr


def main():
    clean = {
        "core/State.h": "#pragma once\n#include <QString>\n",
        "runs/Fit.cpp": '#include "core/State.h"\n#include <vector>\n',
        "runwindows/Window.cpp": '#include "runs/Fit.cpp"\n#include <QWidget>\n',
        "numlib/kelvane.h": "#pragma once\n",
    }
    layers = {
        "core": ("core", ["Qt6::Core"], 1),
        "runs": ("runs", ["core"], 1),
        "runwindows": ("runwindows", ["runs", "Qt6::Widgets"], 0),
    }
    rows = [
        ("clean", clean, layers, 0, "widget-free layers are free of widgets"),
        ("a widget header in the model",
         dict(clean, **{"runs/Fit.cpp": '#include "core/State.h"\n#include <QWidget>\n'}),
         layers, 1, "runs/Fit.cpp (runs, widget-free) includes <QWidget> of a widget module"),
        ("a module's header by its folder",
         dict(clean, **{"core/State.h": "#pragma once\n#include <QtWidgets/QLabel>\n"}),
         layers, 1, "includes <QtWidgets/QLabel> of a widget module"),
        ("a window layer's header in the model",
         dict(clean, **{"runs/Fit.cpp": '#include "runwindows/Window.cpp"\n'}),
         layers, 1, "of the higher or unrelated layer runwindows"),
        ("the model linking widgets",
         clean, dict(layers, runs=("runs", ["core", "Qt6::Widgets"], 1)),
         1, "runs is widget-free but links Qt6::Widgets"),
        ("widgets linked below the model",
         clean, dict(layers, core=("core", ["Qt6::Widgets"], 1)),
         1, "runs is widget-free but links Qt6::Widgets through core"),
    ]
    failed = 0
    for name, tree, table, status, said in rows:
        got, out = run(tree, table)
        if got != status or said not in out:
            print("FAIL %s: exit %d, printed:\n%s" % (name, got, out))
            failed += 1
        else:
            print("ok   %s" % name)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
