# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop files against their validators and against each other.

Usage: CheckDesktopData.py mime|desktop|metainfo SOURCE_DIR BUILD_DATA_DIR VERSION
"""
import codecs
import fnmatch
import os
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

NS = {"m": "http://www.freedesktop.org/standards/shared-mime-info"}
FREEDESKTOP_XML = "/usr/share/mime/packages/freedesktop.org.xml"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    output = (result.stdout + result.stderr).strip()
    check(result.returncode == 0, f"{' '.join(command)} failed:\n{output}")
    return output


def mime_types(mime_xml):
    return {t.get("type"): t for t in ET.parse(mime_xml).getroot().findall("m:mime-type", NS)}


def glob_types(types, name):
    """The types whose globs claim `name`, heaviest first."""
    hits = []
    for type_name, element in types.items():
        for glob in element.findall("m:glob", NS):
            pattern = glob.get("pattern")
            if glob.get("case-sensitive") == "true":
                matched = fnmatch.fnmatchcase(name, pattern)
            else:
                matched = fnmatch.fnmatchcase(name.lower(), pattern.lower())
            if matched:
                hits.append((-int(glob.get("weight", "50")), type_name))
    return [type_name for _, type_name in sorted(hits)]


def magic_types(types, data):
    hits = []
    for type_name, element in types.items():
        for magic in element.findall("m:magic", NS):
            for match in magic.findall("m:match", NS):
                start, _, end = match.get("offset").partition(":")
                # C escapes, as update-mime-database reads string values.
                value = codecs.escape_decode(match.get("value").encode("latin-1"))[0]
                window = data[int(start):int(end or start) + len(value)]
                if match.get("type") == "string" and value in window:
                    hits.append(type_name)
    return hits


def check_mime(source, _build, _version):
    mime_xml = os.path.join(source, "data", "org.sedora.Sedora.mime.xml")
    with tempfile.TemporaryDirectory() as tmp:
        # shared-mime-info ships its document type inside its own database.
        if os.path.exists(FREEDESKTOP_XML):
            with open(FREEDESKTOP_XML, encoding="utf-8") as f:
                dtd = re.search(r"<!DOCTYPE mime-info \[(.*?)\]>", f.read(), re.S)
            check(dtd is not None, f"no document type in {FREEDESKTOP_XML}")
            if dtd:
                dtd_file = os.path.join(tmp, "mime-info.dtd")
                with open(dtd_file, "w", encoding="utf-8") as f:
                    f.write(dtd.group(1))
                run(["xmllint", "--noout", "--dtdvalid", dtd_file, mime_xml])
        else:
            run(["xmllint", "--noout", mime_xml])
        # The database compiler reads it as a desktop will, and complains
        # about what it does not understand.
        packages = os.path.join(tmp, "mime", "packages")
        os.makedirs(packages)
        with open(mime_xml, "rb") as f, open(os.path.join(packages, "sedora.xml"), "wb") as out:
            out.write(f.read())
        output = run(["update-mime-database", "-V", os.path.join(tmp, "mime")])
        check("warning" not in output.lower(), f"update-mime-database:\n{output}")
        for type_name in mime_types(mime_xml):
            check(os.path.exists(os.path.join(tmp, "mime", type_name + ".xml")),
                  f"update-mime-database made nothing of {type_name}")

    types = mime_types(mime_xml)
    scan, fit = "application/x-auc-scan", "application/x-auc-fit-list"
    check(set(types) == {scan, fit}, f"types {sorted(types)}")
    examples = os.path.join(source, "examples")
    for name in sorted(os.listdir(examples)):
        with open(os.path.join(examples, name), "rb") as f:
            data = f.read()
        if magic_types(types, data[:256]) == [fit]:
            continue
        check(glob_types(types, name)[:1] == [scan], f"examples/{name} is no {scan} by its name")
    # The instrument's own names, in either case, and names that are none.
    for name, expected in [
        ("cell1.RA1", scan), ("cell8.ra8", scan), ("00007.RA4", scan), ("run.RI2", scan),
        ("run.ri9", scan), ("run.IP1", scan), ("run.WA3", scan), ("run.WI5", scan),
        ("run.FI1", scan), ("edited.DAT", scan), ("run.RA9", None), ("run.ra", None),
        ("run.ra12", None), ("notes.txt", None), ("fit.ini", None),
    ]:
        check(glob_types(types, name)[:1] == ([expected] if expected else []),
              f"{name}: {glob_types(types, name)}, not {expected}")
    for text, expected in [
        (b"[FileCount]\r\nnumber=1\r\n[File01]\r\nname=a.dat\r\n", [fit]),
        (b"\xef\xbb\xbf[FILECOUNT]\nnumber=1\n", [fit]),
        (b"; written by hand\r\n[File01]\r\nname=a.dat\r\n[filecount]\r\nnumber=1\r\n", [fit]),
        (b"Sedora example: [FileCount] in a comment\r\n", []),
        (b"R 1 20.0 42000 1.2345E+04 0.00000 3 1\r\n", []),
    ]:
        check(magic_types(types, text) == expected, f"{text!r}: {magic_types(types, text)}")


def desktop_entry(path):
    with open(path, encoding="utf-8") as f:
        return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)


def check_desktop(source, _build, _version):
    data = os.path.join(source, "data")
    desktop = os.path.join(data, "org.sedora.Sedora.desktop")
    output = run(["desktop-file-validate", desktop])
    # Hints are advice (Science and Education both being main categories is
    # on purpose); warnings and errors are not.
    check(not re.search(r": (warning|error):", output), f"desktop-file-validate:\n{output}")
    entry = desktop_entry(desktop)
    types = mime_types(os.path.join(data, "org.sedora.Sedora.mime.xml"))
    listed = [t for t in entry.get("MimeType", "").split(";") if t]
    check(sorted(listed) == sorted(types), f"MimeType={listed}, the MIME file has {sorted(types)}")
    check(entry.get("Exec") == "kelvane %f", f"Exec={entry.get('Exec')}")
    check(os.path.exists(os.path.join(data, entry.get("Icon", "") + ".svg")),
          f"no icon {entry.get('Icon')}.svg")


def check_metainfo(source, build, version):
    metainfo = os.path.join(build, "org.sedora.Sedora.metainfo.xml")
    run(["appstreamcli", "validate", "--no-net", "--explain", metainfo])
    root = ET.parse(metainfo).getroot()
    check(root.findtext("launchable") == "org.sedora.Sedora.desktop", "launchable")
    releases = [r.get("version") for r in root.iter("release")]
    check(releases[:1] == [version], f"newest release {releases[:1]}, the project is {version}")
    provided = {m.text for m in root.iter("mediatype")}
    types = mime_types(os.path.join(source, "data", "org.sedora.Sedora.mime.xml"))
    check(provided == set(types), f"mediatypes {sorted(provided)}")
    images = list(root.iter("image"))
    check(images, "no screenshot")
    for image in images:
        check(image.text.endswith("/main-window.png"), f"screenshot {image.text}")
        # The address is of the repository's docs/screenshots/ folder.
        shot = os.path.join(source, "docs", "screenshots", os.path.basename(image.text))
        check(os.path.isfile(shot), f"no {shot} for the screenshot {image.text}")


if __name__ == "__main__":
    what, source_dir, build_dir, project_version = sys.argv[1:5]
    {"mime": check_mime, "desktop": check_desktop, "metainfo": check_metainfo}[what](
        source_dir, build_dir, project_version)
    for failure in failures:
        print("FAIL:", failure)
    sys.exit(1 if failures else 0)
