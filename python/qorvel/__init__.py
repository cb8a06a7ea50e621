"""The Qorvel Mongolian suite's converters and Velmar's layout, from Python.

Text is bytes in code page 936, as in the suite's files; to_text and
from_text cross to Python strings with the desktop clipboard's mapping.

    import qorvel
    qorvel.codes()                          # [('mengkeli', 'Mengkeli code file ...', 'file'), ...]
    qorvel.convert('hasi', data)            # bytes of `qorvel convert --from hasi`
    conv = qorvel.Converter('mengkeli')     # in pieces, for large files
    out = conv.feed(piece) + ... + conv.finish()
    qorvel.layout(data, line_height=500, wrapped=False)

Errors are qorvel.Error (a ValueError for an unknown code, a MemoryError
when the library runs out of memory) with the library's message.

A thin layer over libqorvel's C interface through ctypes: it works with any
Python 3 with no build step, and the library alone decides every byte.
"""

import ctypes
import ctypes.util
import os
import sys

__all__ = ["Error", "Converter", "codes", "convert", "layout", "to_text", "from_text", "DEFAULT_LINE_HEIGHT"]
__license__ = "MIT"

DEFAULT_LINE_HEIGHT = 500

_OK, _OUTPUT_FULL, _ENDED = 0, 1, 2
_UNKNOWN_CODE, _NO_MEMORY = -1, -3
_PIECE = 1 << 20  # input handed to the library at a time
_ROOM = 1 << 20   # output buffer for a piece


def _load():
    # QORVEL_LIBRARY names the library file (a build tree, a test). On
    # Windows, where Python looks for a DLL by bare name only in the
    # system's folders, qorvel.dll is taken from beside this module.
    name = os.environ.get("QORVEL_LIBRARY")
    if not name and sys.platform == "win32":
        name = os.path.join(os.path.dirname(os.path.abspath(__file__)), "qorvel.dll")
    if not name:
        name = ctypes.util.find_library("qorvel") or "libqorvel.so.1"
    lib = ctypes.CDLL(name)
    size_t, char_p, size_p = ctypes.c_size_t, ctypes.c_char_p, ctypes.POINTER(ctypes.c_size_t)
    buf_p = ctypes.POINTER(ctypes.c_void_p)
    sigs = {
        "qorvel_status_message": (char_p, [ctypes.c_int]),
        "qorvel_version": (char_p, []),
        "qorvel_code_count": (size_t, []),
        "qorvel_code_name": (char_p, [size_t]),
        "qorvel_code_description": (char_p, [size_t]),
        "qorvel_code_kind": (ctypes.c_int, [size_t]),
        "qorvel_open": (ctypes.c_int, [char_p, ctypes.POINTER(ctypes.c_void_p)]),
        "qorvel_close": (None, [ctypes.c_void_p]),
        "qorvel_convert": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_void_p, size_t, size_p,
                                          ctypes.c_void_p, size_t, size_p]),
        "qorvel_finish": (ctypes.c_int, [ctypes.c_void_p, ctypes.c_void_p, size_t, size_p]),
        "qorvel_convert_all": (ctypes.c_int, [char_p, ctypes.c_void_p, size_t, buf_p, size_p]),
        "qorvel_layout": (ctypes.c_int, [ctypes.c_void_p, size_t, ctypes.c_uint32, ctypes.c_int, buf_p, size_p]),
        "qorvel_to_utf8": (ctypes.c_int, [ctypes.c_void_p, size_t, buf_p, size_p]),
        "qorvel_from_utf8": (ctypes.c_int, [ctypes.c_void_p, size_t, buf_p, size_p]),
        "qorvel_free": (None, [ctypes.c_void_p]),
    }
    for fn, (restype, argtypes) in sigs.items():
        f = getattr(lib, fn)
        f.restype, f.argtypes = restype, argtypes
    return lib


_lib = _load()
__version__ = _lib.qorvel_version().decode()


class Error(Exception):
    """A failure the library reported: `status` is its status code."""

    def __init__(self, status, what=""):
        message = _lib.qorvel_status_message(status).decode()
        super().__init__(f"{what}: {message}" if what else message)
        self.status = status


class UnknownCodeError(Error, ValueError):
    pass


class OutOfMemoryError(Error, MemoryError):
    pass


def _check(status, what=""):
    if status >= 0:
        return status
    if status == _UNKNOWN_CODE:
        raise UnknownCodeError(status, what)
    if status == _NO_MEMORY:
        raise OutOfMemoryError(status, what)
    raise Error(status, what)


def _bytes(data):
    # bytes, bytearray and memoryview without a copy where ctypes allows.
    if isinstance(data, (bytes, bytearray)):
        return data
    return bytes(data)


def _pointer(data, offset=0):
    if isinstance(data, bytearray):
        return ctypes.addressof((ctypes.c_char * len(data)).from_buffer(data)) + offset if data else None
    return ctypes.cast(ctypes.c_char_p(data), ctypes.c_void_p).value + offset if data else None


def _result(call, what):
    """Runs a one-call function of the library and takes its buffer."""
    out, size = ctypes.c_void_p(), ctypes.c_size_t()
    _check(call(ctypes.byref(out), ctypes.byref(size)), what)
    try:
        return ctypes.string_at(out, size.value) if size.value else b""
    finally:
        _lib.qorvel_free(out)


def codes():
    """The codes the library converts from: (name, description, kind) with
    kind 'file' or 'paste' (a paste code's text ends at a NUL byte)."""
    return [
        (_lib.qorvel_code_name(i).decode(), _lib.qorvel_code_description(i).decode(),
         "paste" if _lib.qorvel_code_kind(i) == 1 else "file")
        for i in range(_lib.qorvel_code_count())
    ]


def convert(code, data):
    """The whole of `data` converted from `code` into Qorvel code."""
    data = _bytes(data)
    return _result(lambda out, size: _lib.qorvel_convert_all(code.encode(), _pointer(data), len(data), out, size),
                   code)


def layout(data, line_height=DEFAULT_LINE_HEIGHT, wrapped=False):
    """Velmar's layout of a Qorvel text (up to its first NUL): the
    web-format text, or the wrapped text. A negative line height never
    wraps, as in `qorvel layout`."""
    data = _bytes(data)
    height = int(line_height) & 0xFFFFFFFF
    return _result(lambda out, size: _lib.qorvel_layout(_pointer(data), len(data), height, 1 if wrapped else 0,
                                                        out, size), "layout")


def to_text(data):
    """Code page 936 bytes as a str (the Qorvel glyphs at U+E234...)."""
    data = _bytes(data)
    return _result(lambda out, size: _lib.qorvel_to_utf8(_pointer(data), len(data), out, size),
                   "to_text").decode("utf-8")


def from_text(text):
    """A str as code page 936 bytes; a character the code page lacks is '?'."""
    data = text.encode("utf-8", "surrogatepass")
    return _result(lambda out, size: _lib.qorvel_from_utf8(_pointer(data), len(data), out, size), "from_text")


class Converter:
    """A conversion in pieces: feed() each piece and finish() at the end;
    the pieces' outputs joined are convert()'s. `ended` turns true once a NUL
    byte has ended the text: what follows it is not read."""

    def __init__(self, code):
        self._handle = ctypes.c_void_p()
        _check(_lib.qorvel_open(code.encode(), ctypes.byref(self._handle)), code)
        self.code = code
        self.ended = False
        self._out = ctypes.create_string_buffer(_ROOM)

    def __del__(self):
        self.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        handle = getattr(self, "_handle", None)
        if handle:
            _lib.qorvel_close(handle)
            self._handle = None

    def _live(self):
        if not self._handle:
            raise ValueError("the converter is closed")
        return self._handle

    def feed(self, data):
        """Converts the next piece and returns the output that is ready."""
        handle, data = self._live(), _bytes(data)
        parts, at = [], 0
        taken, written = ctypes.c_size_t(), ctypes.c_size_t()
        while not self.ended:
            status = _check(_lib.qorvel_convert(handle, _pointer(data, at), len(data) - at, ctypes.byref(taken),
                                                self._out, _ROOM, ctypes.byref(written)), self.code)
            parts.append(self._out.raw[:written.value])
            at += taken.value
            self.ended = status == _ENDED
            if status == _OK:
                break
        return b"".join(parts)

    def finish(self):
        """The input is over: returns what was still pending."""
        handle, parts = self._live(), []
        written = ctypes.c_size_t()
        while True:
            status = _check(_lib.qorvel_finish(handle, self._out, _ROOM, ctypes.byref(written)), self.code)
            parts.append(self._out.raw[:written.value])
            if status == _OK:
                return b"".join(parts)
