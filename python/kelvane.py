# SPDX-License-Identifier: LGPL-3.0-or-later
"""Python access to libkelvane, Sedora's numeric library.

Three calls over the library's C ABI (numlib/kelvane.h), with numpy arrays
in and out:

- ``read(path)`` reads a data file: ``points, comments = kelvane.read(path)``.
  ``points`` is an N x 3 ``float32`` array of (x, concentration, flag) rows,
  x always a radius in cm (a file written in XI = R^2/2 is converted by the
  library), a flag above 0 a good point, below 0 a deleted one.
  ``comments`` is a list of ``str``, one per comment line in file order (at
  most 50, each at most 96 characters, trailing blanks removed), decoded as
  Latin-1 so that ``line.encode("latin-1")`` gives the file's bytes back.
- ``blank(data, blank)`` subtracts a blank scan and returns
  ``(points, nlow, nhigh)``: the data with the interpolated blank subtracted
  from each concentration (x and flags as in ``data``), and how many data
  points lay at or below the blank's first x and at or above its last x.
  Data wholly outside the blank's range come back unchanged.
- ``axis(low, high)`` rounds an axis range to tidy ticks and returns
  ``(start, end, intervals)``.

Values pass through the library as 32-bit floats: inputs are rounded to
``float32`` on the way in.

The library is looked for, in this order: the ``path`` given to
``Library(path)``, else the file named by the environment variable
``KELVANE_LIBRARY`` (a file or the folder holding ``libkelvane.so``), else
``libkelvane.so`` beside this module, else ``libkelvane.so`` through the
dynamic loader's search path, as the program finds it. A path that is given
explicitly is the only one tried. The module-level functions load the library
on their first call; ``LibraryError`` says which library failed and why.
"""

import ctypes
import os
import stat

import numpy as np

__all__ = [
    "LibraryError",
    "Library",
    "read",
    "blank",
    "axis",
    "POINT_CAPACITY",
    "MAX_POINTS",
]

LIBRARY_NAME = "libkelvane.so"
ENVIRONMENT_VARIABLE = "KELVANE_LIBRARY"

POINT_CAPACITY = 2200  # points in every array the library is handed
MAX_POINTS = 2199  # points read stores at most
_COMMENT_SLOT = 96
_COMMENT_SLOTS = 50

_EXPORTS = ("getdata", "blank", "tkrnd2")


class LibraryError(OSError):
    """The numeric library could not be loaded or lacks one of its exports."""


def _point_array(writeable):
    flags = ("C_CONTIGUOUS", "WRITEABLE") if writeable else ("C_CONTIGUOUS",)
    return np.ctypeslib.ndpointer(dtype=np.float32, shape=(POINT_CAPACITY, 3), flags=flags)


_int_ref = ctypes.POINTER(ctypes.c_int32)
_float_ref = ctypes.POINTER(ctypes.c_float)
_chars = ctypes.POINTER(ctypes.c_char)

_SIGNATURES = {
    "getdata": (
        _point_array(True),
        _int_ref,
        _chars,
        ctypes.c_int32,
        _int_ref,
        _chars,
        ctypes.c_int32,
    ),
    "blank": (
        _point_array(False),
        _int_ref,
        _point_array(False),
        _int_ref,
        _point_array(True),
        _int_ref,
        _int_ref,
    ),
    "tkrnd2": (_float_ref, _float_ref, _float_ref, _float_ref, _int_ref),
}


def _candidates(path):
    """The library files to try, in order, and whether they were asked for."""
    if path is not None:
        return [os.fspath(path)], True
    override = os.environ.get(ENVIRONMENT_VARIABLE)
    if override:
        if os.path.isdir(override):
            override = os.path.join(override, LIBRARY_NAME)
        return [override], True
    beside = os.path.join(os.path.dirname(os.path.abspath(__file__)), LIBRARY_NAME)
    return [beside, LIBRARY_NAME], False


class Library:
    """libkelvane, loaded once; its methods are the module-level functions."""

    def __init__(self, path=None):
        candidates, explicit = _candidates(path)
        failures = []
        for candidate in candidates:
            # The copy beside the module is only a first choice; when it is
            # absent the loader's search path decides, as for the program.
            if not explicit and os.sep in candidate and not os.path.exists(candidate):
                continue
            try:
                cdll = ctypes.CDLL(candidate)
            except OSError as error:
                failures.append(str(error))  # the loader's reason names the file
                continue
            missing = [name for name in _EXPORTS if not hasattr(cdll, name)]
            if missing:
                failures.append(f"{candidate} lacks {', '.join(missing)}")
                continue
            self.path = candidate
            self._exports = {}
            for name in _EXPORTS:
                function = getattr(cdll, name)
                function.argtypes = _SIGNATURES[name]
                function.restype = None
                self._exports[name] = function
            return
        raise LibraryError(
            f"the numeric library {LIBRARY_NAME} could not be loaded: " + "; ".join(failures)
        )

    def read(self, path):
        """Reads the data file ``path``; returns ``(points, comments)``."""
        name = _readable_file(path)
        pts = np.zeros((POINT_CAPACITY, 3), dtype=np.float32)
        n = ctypes.c_int32(0)
        ncomm = ctypes.c_int32(0)
        fname = ctypes.create_string_buffer(name, len(name))
        comments = ctypes.create_string_buffer(b" " * (_COMMENT_SLOT * _COMMENT_SLOTS))
        self._exports["getdata"](
            pts,
            ctypes.byref(n),
            fname,
            len(name),
            ctypes.byref(ncomm),
            comments,
            _COMMENT_SLOT * _COMMENT_SLOTS,
        )
        text = comments.raw
        lines = [
            text[k * _COMMENT_SLOT : (k + 1) * _COMMENT_SLOT].rstrip(b" ").decode("latin-1")
            for k in range(ncomm.value)
        ]
        return pts[: n.value].copy(), lines

    def blank(self, data, blank):
        """Subtracts ``blank`` from ``data``; returns ``(points, nlow, nhigh)``."""
        d, n = _to_point_array(data, "data")
        b, nb = _to_point_array(blank, "blank")
        out = d.copy()  # x and flags of the result are those of the data
        nlow = ctypes.c_int32(0)
        nhigh = ctypes.c_int32(0)
        self._exports["blank"](
            d,
            ctypes.byref(ctypes.c_int32(n)),
            b,
            ctypes.byref(ctypes.c_int32(nb)),
            out,
            ctypes.byref(nlow),
            ctypes.byref(nhigh),
        )
        return out[:n].copy(), nlow.value, nhigh.value

    def axis(self, low, high):
        """Rounds the axis range low..high; returns ``(start, end, intervals)``."""
        start = ctypes.c_float(0.0)
        end = ctypes.c_float(0.0)
        count = ctypes.c_int32(0)
        self._exports["tkrnd2"](
            ctypes.byref(ctypes.c_float(low)),
            ctypes.byref(ctypes.c_float(high)),
            ctypes.byref(start),
            ctypes.byref(end),
            ctypes.byref(count),
        )
        return start.value, end.value, count.value


def _readable_file(path):
    """The path as bytes for the library, after making sure it can be read.

    The library answers a file it cannot open with no points at all, exactly
    as it answers an empty file; opening the file here first turns that into
    an error that names the path.
    """
    name = os.fsencode(path)
    if name.endswith(b" "):
        # The library ends a path at its last non-blank character.
        raise ValueError(f"{os.fsdecode(name)!r}: a path ending in a blank cannot be read")
    # Non-blocking, so that a named pipe cannot hold the call up.
    fd = os.open(path, os.O_RDONLY | os.O_NONBLOCK | os.O_NOCTTY | os.O_CLOEXEC)
    try:
        mode = os.fstat(fd).st_mode
    finally:
        os.close(fd)
    if stat.S_ISDIR(mode):
        raise IsADirectoryError(21, "Is a directory", os.fsdecode(name))
    if not stat.S_ISREG(mode):
        raise OSError(f"{os.fsdecode(name)!r} is not a regular file")
    return name


def _to_point_array(points, what):
    """A full point array holding ``points`` (N x 3) first, and N."""
    rows = np.asarray(points, dtype=np.float32)
    if rows.size == 0:
        rows = rows.reshape(0, 3)
    if rows.ndim != 2 or rows.shape[1] != 3:
        raise ValueError(f"{what} must be an N x 3 array, not of shape {rows.shape}")
    if rows.shape[0] > POINT_CAPACITY:
        raise ValueError(f"{what} has {rows.shape[0]} points, more than {POINT_CAPACITY}")
    full = np.zeros((POINT_CAPACITY, 3), dtype=np.float32)
    full[: rows.shape[0]] = rows
    return full, rows.shape[0]


_default = None


def _library():
    global _default
    if _default is None:
        _default = Library()
    return _default


def read(path):
    """Reads the data file ``path``; returns ``(points, comments)``.

    Raises FileNotFoundError, PermissionError, IsADirectoryError or OSError,
    naming the path, when the file cannot be read.
    """
    return _library().read(path)


def blank(data, blank):
    """Subtracts the blank scan from the data scan; returns ``(points, nlow, nhigh)``."""
    return _library().blank(data, blank)


def axis(low, high):
    """Rounds the axis range low..high (low < high); returns ``(start, end, intervals)``."""
    return _library().axis(low, high)
