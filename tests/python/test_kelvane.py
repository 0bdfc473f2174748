# SPDX-License-Identifier: GPL-3.0-or-later
"""The Python module against the library this build makes (KELVANE_LIBRARY),
and against the program's own reading (KELVANE_READ_WITH_PROGRAM)."""

import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

import kelvane

EXAMPLES = Path(os.environ.get("KELVANE_EXAMPLES_DIR", Path(__file__).parents[2] / "examples"))
READ_WITH_PROGRAM = os.environ.get("KELVANE_READ_WITH_PROGRAM")


def write(folder, name, lines, end=b"\r\n"):
    path = folder / name
    path.write_bytes(b"".join(line.encode("latin-1") + end for line in lines))
    return path


def f32(*values):
    return np.array(values, dtype=np.float32)


# One line after a header and a first point at x = 6.0 (so x is a radius):
# the point it gives, or None for a comment line.
LINES = {
    "two values take the default flag": ("6.0 0.5", (6.0, 0.5, 100.0)),
    "a zero flag is a place-holder for 100": ("6.1 0.5 0", (6.1, 0.5, 100.0)),
    "commas, a fourth value ignored": ("6.1,0.5,2,99", (6.1, 0.5, 2.0)),
    "a place-holder row with x = 0": ("0 0 0", None),
    "x underflowing to 0 is a place-holder too": ("1.0E-0046 0.5", None),
    "a saturated reading at the float limit": ("6.1 3.4028235E+38 -1", (6.1, 3.4028235e38, -1.0)),
    "a reading beyond the float limit": ("6.1 3.5E+38", None),
    "2-digit exponents, E and D": ("6.1 1.5E+02 -2.5D-01", (6.1, 150.0, -0.25)),
    "4-digit exponents": ("6.1 1.5e+0002 1.0D-0003", (6.1, 150.0, 0.001)),
    "a description after a leading number": ("3 cells at 280 nm", None),
    "a description with four leading numbers": ("6.1 2 3 4 cells", (6.1, 2.0, 3.0)),
    "a description of three characters": ("1 2", None),
    "the same padded to five characters": ("1 2  ", (1.0, 2.0, 100.0)),
    "a non-number among the first four": ("6.1 0.5 3 abc", None),
}


@pytest.fixture(scope="module")
def lib():
    return kelvane.Library()


@pytest.mark.parametrize("line, point", LINES.values(), ids=LINES.keys())
def test_each_kind_of_line_reads_as_a_point_or_a_comment(lib, tmp_path, line, point):
    pts, comments = lib.read(write(tmp_path, "scan.dat", ["run 7, 20 C", "6.0 1.0", line]))
    expected = [(6.0, 1.0, 100.0)] + ([point] if point else [])
    assert pts.dtype == np.float32 and pts.shape == (len(expected), 3)
    assert pts.tobytes() == np.array(expected, dtype=np.float32).tobytes()
    assert comments == ["run 7, 20 C"] + ([] if point else [line])


def test_the_examples_read_as_radius_scans_with_their_marks(lib):
    radius, comments = lib.read(EXAMPLES / "radius-scan.dat")
    assert radius.shape == (434, 3)
    assert comments[1] == "R 1 20.0 42000 1.2345E+04 0.00000 3 1"
    assert radius[0].tobytes() == f32(5.9, 6.78136e-3, 100.0).tobytes()

    xi, _ = lib.read(str(EXAMPLES / "xi-scan.dat"))  # XI converted to radius
    np.testing.assert_allclose(xi[:, 0], radius[:, 0], rtol=0, atol=2e-6)
    assert np.array_equal(xi[:, 1:], radius[:, 1:])

    edited, comments = lib.read(os.fsencode(EXAMPLES / "edited-scan.dat"))
    assert len(comments) == 4
    deleted = np.flatnonzero(edited[:, 2] < 0) + 1
    assert list(deleted) == [*range(1, 7), 121, 122, 301, *range(427, 435)]
    # Point 208 is a comma-separated row with its weight.
    assert list(edited[200:210, 2]) == [2.5] * 10

    blank, _ = lib.read(EXAMPLES / "blank.dat")
    assert blank.shape == (141, 3)


def test_line_ends_do_not_count_and_do_not_reach_the_comments(lib, tmp_path):
    lines = ["Sedora scan \xb0C", "1 2 ", "6.0 0.5", "6.1 0.25 -100"]
    results = [
        lib.read(write(tmp_path, "crlf.dat", lines)),
        lib.read(write(tmp_path, "lf.dat", lines, end=b"\n")),
        lib.read(write(tmp_path, "open.dat", ["\r\n".join(lines) + "\r"], end=b"")),
    ]
    for pts, comments in results:
        assert comments == ["Sedora scan \xb0C", "1 2"]
        assert pts.tobytes() == np.array([[6.0, 0.5, 100], [6.1, 0.25, -100]], np.float32).tobytes()


def test_a_file_that_cannot_be_read_raises_naming_it(lib, tmp_path):
    missing = tmp_path / "gone.dat"
    with pytest.raises(FileNotFoundError) as error:
        lib.read(missing)
    assert error.value.filename == str(missing) and str(missing) in str(error.value)
    with pytest.raises(IsADirectoryError, match=re.escape(str(tmp_path))):
        lib.read(tmp_path)
    with pytest.raises(ValueError, match="a.dat .: a path ending in a blank"):
        lib.read(str(write(tmp_path, "a.dat ", ["6.0 0.5"])))
    os.mkfifo(tmp_path / "pipe")
    with pytest.raises(OSError, match="pipe.*not a regular file"):
        lib.read(tmp_path / "pipe")
    if os.geteuid() != 0:  # root reads every file
        locked = write(tmp_path, "locked.dat", ["6.0 0.5"])
        locked.chmod(0)
        with pytest.raises(PermissionError, match="locked.dat"):
            lib.read(locked)


def test_a_missing_or_wrong_library_raises_naming_it(tmp_path, monkeypatch):
    with pytest.raises(kelvane.LibraryError, match=r"libkelvane\.so.*nowhere/libkelvane\.so"):
        kelvane.Library(tmp_path / "nowhere" / "libkelvane.so")
    with pytest.raises(kelvane.LibraryError, match="libm.so.6 lacks getdata, blank, tkrnd2"):
        kelvane.Library("libm.so.6")
    monkeypatch.setenv("KELVANE_LIBRARY", str(tmp_path))  # a folder without it
    with pytest.raises(kelvane.LibraryError, match=re.escape(str(tmp_path / "libkelvane.so"))):
        kelvane.Library()


def test_without_an_override_the_library_is_found_beside_the_module_then_by_name(tmp_path):
    shutil.copy(kelvane.__file__, tmp_path)
    hidden = ("KELVANE_LIBRARY", "LD_LIBRARY_PATH")
    environment = {k: v for k, v in os.environ.items() if k not in hidden}
    environment["PYTHONPATH"] = str(tmp_path)
    probe = [sys.executable, "-c", "import kelvane; print(kelvane.Library().path)"]
    by_name = subprocess.run(probe, env=environment, capture_output=True, text=True)
    assert by_name.returncode != 0
    assert "LibraryError: the numeric library libkelvane.so could not be loaded" in by_name.stderr

    (tmp_path / "libkelvane.so").symlink_to(kelvane.Library().path)
    beside = subprocess.run(probe, env=environment, capture_output=True, text=True, check=True)
    assert beside.stdout.strip() == str(tmp_path / "libkelvane.so")


def test_blank_interpolates_and_keeps_the_data_flags(lib):
    blank = [(5.9, 0.1, 100), (6.0, 0.2, 100), (6.1, 0.3, 100)]
    data = [(5.8, 1.0, 100), (6.05, 1.0, -100), (6.1, 1.0, 2.5), (6.2, 1.0, 100)]
    pts, nlow, nhigh = lib.blank(np.array(data), blank)
    assert (nlow, nhigh) == (1, 2)
    np.testing.assert_allclose(pts[:, 1], [0.9, 0.75, 0.7, 0.7], atol=1e-6)
    assert np.array_equal(pts[:, [0, 2]], f32(*data).reshape(-1, 3)[:, [0, 2]])


def test_blank_leaves_data_outside_the_blank_unchanged(lib):
    blank = [(5.9, 0.1, 100), (6.0, 0.2, 100), (6.1, 0.3, 100)]
    above = np.array([(6.3, 1.0, 100), (7.0, 2.0, -1)], dtype=np.float32)
    below = np.array([(5.0, 1.0, 100), (5.9, 2.0, -1)], dtype=np.float32)
    assert lib.blank(above, blank)[1:] == (0, 2)
    assert lib.blank(below, blank)[1:] == (2, 0)
    assert np.array_equal(lib.blank(above, blank)[0], above)
    assert np.array_equal(lib.blank(below, blank)[0], below)
    pts, nlow, nhigh = lib.blank(above, np.empty((0, 3)))
    assert np.array_equal(pts, above) and (nlow, nhigh) == (0, 0)
    with pytest.raises(ValueError, match="N x 3"):
        lib.blank(above[:, :2], blank)
    with pytest.raises(ValueError, match="more than 2200"):
        lib.blank(np.ones((2201, 3)), blank)


@pytest.mark.parametrize(
    "low, high, expected",
    [
        (3.7, 17.2, (2.0, 18.0, 8)),  # the step doubles once
        (0.0, 300.0, (0.0, 320.0, 8)),  # a power of ten: one decade smaller first
        (0.0, 1.0, (0.0, 1.25, 5)),  # the step halves twice
        (2.0, 8.0, (1.0, 9.0, 8)),  # a minimum on the step gets a step of room
    ],
)
def test_axis_rounds_to_tidy_ticks(lib, low, high, expected):
    result = lib.axis(low, high)
    assert result == expected
    assert [type(v) for v in result] == [float, float, int]


def generated_file(folder):
    """Everything in one file, past both limits, with CR LF line ends."""
    lines = [f"header {k}: 20 C, 42000 rpm \xb5" for k in range(30)]
    lines += ["18.0 0.5 0", "0 0 0", "20.5 3.4028235E+38 -1", "21 1.5D-0002", "3 cells"]
    for i in range(2400):
        lines.append(f"{18.0 + i * 0.01:.5f} {i * 1.25e-3:.5E} {-100 if i % 7 == 0 else 100}")
        if i % 80 == 0:
            lines += ["0 0.0 0.0", f"place-holder {i}"]
    return write(folder, "generated.dat", lines)


@pytest.mark.skipif(READ_WITH_PROGRAM is None, reason="KELVANE_READ_WITH_PROGRAM not set")
@pytest.mark.parametrize(
    "name", ["radius-scan.dat", "xi-scan.dat", "edited-scan.dat", "blank.dat", "generated"]
)
def test_the_module_and_the_program_read_the_same_points(lib, tmp_path, name):
    path = generated_file(tmp_path) if name == "generated" else EXAMPLES / name
    output = subprocess.run([READ_WITH_PROGRAM, path], capture_output=True, check=True).stdout
    lines = output.split(b"\n")
    assert os.path.samefile(lines[0].split(b" ", 1)[1], lib.path)
    n = int(lines[1].split()[1])
    program = np.array([[float(v) for v in line.split()] for line in lines[2 : 2 + n]], np.float32)
    ncomm = int(lines[2 + n].split()[1])

    pts, comments = lib.read(path)
    assert pts.shape == (n, 3) and n > 0
    assert pts.tobytes() == program.reshape(-1, 3).tobytes()
    assert [c.encode("latin-1") for c in comments] == lines[3 + n : 3 + n + ncomm]
    if name == "generated":
        assert (n, ncomm) == (2199, 50)
