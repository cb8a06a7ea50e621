"""The Qorvel Mongolian suite's converters and Velmar's layout, from Python.

Text is bytes in code page 936, as in the suite's files; to_text and
from_text cross to Python strings with the desktop clipboard's mapping.

    import qorvel
    qorvel.codes()                          # [('mengkeli', 'Mengkeli code file ...', 'file'), ...]
    qorvel.convert('hasi', data)            # bytes of `qorvel convert --from hasi`
    conv = qorvel.Converter('mengkeli')     # in pieces, for large files
    out = conv.feed(piece) + ... + conv.finish()
    qorvel.layout(data, line_height=500, wrapped=False)
    qorvel.html(data, fragment=True)        # the wrapped lines as vertical HTML columns

Errors are qorvel.Error (a ValueError for an unknown code, a MemoryError
when the library runs out of memory) with the library's message and its
qorvel.Status.

A thin layer over libqorvel's C interface through ctypes: it works with any
Python 3 with no build step, and the library alone decides every byte.
"""

from __future__ import annotations

import ctypes
import enum
import os
import sys
from typing import Any, Callable, List, Optional, Tuple, Union

__all__ = ["Error", "UnknownCodeError", "OutOfMemoryError", "LossError", "Status", "Converter", "codes", "convert", "layout",
           "html", "to_text", "from_text", "DEFAULT_LINE_HEIGHT"]
__license__ = "MIT"

# What the functions take as bytes.
Buffer = Union[bytes, bytearray, memoryview]


# The values below are qorvel.h's, copied because ctypes cannot read a
# header; the module's tests hold them to the header's.
class Status(enum.IntEnum):
    """qorvel.h's enum qorvel_status: zero and above are how a call went,
    below zero why it failed."""

    OK = 0
    OUTPUT_FULL = 1
    ENDED = 2
    ERROR_UNKNOWN_CODE = -1
    ERROR_INVALID_ARGUMENT = -2
    ERROR_NO_MEMORY = -3
    ERROR_FINISHED = -4
    ERROR_INTERNAL = -5
    ERROR_FAILED = -6


class _Kind(enum.IntEnum):  # enum qorvel_code_kind
    FILE = 0
    PASTE = 1


DEFAULT_LINE_HEIGHT = 500
_KEEP = 1  # QORVEL_KEEP
_DROPPED_OFFSETS = 5  # QORVEL_DROPPED_OFFSETS
_MAJOR = 1  # the library's major version, and so its SONAME, that this module speaks to
_SONAME = f"libqorvel.so.{_MAJOR}"
_DLL = "qorvel.dll"

_ROOM = 1 << 20  # output buffer for a piece


def _library_name() -> str:
    # QORVEL_LIBRARY names the library file (a build tree, a test). On
    # Windows, where Python looks for a DLL by bare name only in the
    # system's folders, qorvel.dll is taken from beside this module.
    # Elsewhere the SONAME, which the dynamic linker looks up as it would
    # for a program linked with -lqorvel (LD_LIBRARY_PATH, then its cache):
    # a later major version, with another ABI, is never taken by mistake.
    name = os.environ.get("QORVEL_LIBRARY")
    if name:
        return name
    if sys.platform == "win32":
        return os.path.join(os.path.dirname(os.path.abspath(__file__)), _DLL)
    return _SONAME


def _load() -> Any:
    name = _library_name()
    lib = ctypes.CDLL(name)
    size_t, char_p, size_p = ctypes.c_size_t, ctypes.c_char_p, ctypes.POINTER(ctypes.c_size_t)
    void_p, buf_p = ctypes.c_void_p, ctypes.POINTER(ctypes.c_void_p)
    sigs: dict[str, Tuple[Any, List[Any]]] = {
        "qorvel_status_message": (char_p, [ctypes.c_int]),
        "qorvel_version": (char_p, []),
        "qorvel_code_count": (size_t, []),
        "qorvel_code_name": (char_p, [size_t]),
        "qorvel_code_description": (char_p, [size_t]),
        "qorvel_code_kind": (ctypes.c_int, [size_t]),
        "qorvel_open": (ctypes.c_int, [char_p, buf_p]),
        "qorvel_close": (None, [void_p]),
        "qorvel_reset": (ctypes.c_int, [void_p]),
        "qorvel_convert": (ctypes.c_int, [void_p, void_p, size_t, size_p, void_p, size_t, size_p]),
        "qorvel_finish": (ctypes.c_int, [void_p, void_p, size_t, size_p]),
        "qorvel_consumed": (ctypes.c_uint64, [void_p]),
        "qorvel_open_with": (ctypes.c_int, [char_p, ctypes.c_uint, buf_p]),
        "qorvel_dropped": (ctypes.c_uint64, [void_p]),
        "qorvel_dropped_offsets": (size_t, [void_p, ctypes.POINTER(ctypes.c_uint64), size_t]),
        "qorvel_ended_at": (ctypes.c_int, [void_p, ctypes.POINTER(ctypes.c_uint64)]),
        "qorvel_convert_all": (ctypes.c_int, [char_p, void_p, size_t, buf_p, size_p]),
        "qorvel_layout": (ctypes.c_int, [void_p, size_t, ctypes.c_uint32, ctypes.c_int, buf_p, size_p]),
        "qorvel_html": (ctypes.c_int, [void_p, size_t, ctypes.c_uint32, ctypes.c_int, char_p, char_p, ctypes.c_int,
                                       buf_p, size_p]),
        "qorvel_to_utf8": (ctypes.c_int, [void_p, size_t, buf_p, size_p]),
        "qorvel_from_utf8": (ctypes.c_int, [void_p, size_t, buf_p, size_p]),
        "qorvel_free": (None, [void_p]),
    }
    for fn, (restype, argtypes) in sigs.items():
        f = getattr(lib, fn)
        f.restype, f.argtypes = restype, argtypes
    # QORVEL_LIBRARY may name any file: one of another major version would
    # take these calls with another meaning.
    version = lib.qorvel_version().decode()
    if version.split(".")[0] != str(_MAJOR):
        raise ImportError(f"{name} is libqorvel {version}; this module needs version {_MAJOR}")
    return lib


_lib = _load()
__version__: str = _lib.qorvel_version().decode()


class Error(Exception):
    """A failure the library reported: `status` is its status (a Status, or
    the int a newer library gave)."""

    status: Union[Status, int]

    def __init__(self, status: int, what: str = "") -> None:
        message = _lib.qorvel_status_message(status).decode()
        super().__init__(f"{what}: {message}" if what else message)
        try:
            self.status = Status(status)
        except ValueError:
            self.status = status


class UnknownCodeError(Error, ValueError):
    pass


class LossError(Error):
    """What convert(strict=True) raises when bytes were dropped or a NUL
    ended the text early; the library itself did not fail (status OK)."""

    def __init__(self, message: str) -> None:
        Exception.__init__(self, message)
        self.status = Status.OK


class OutOfMemoryError(Error, MemoryError):
    pass


def _check(status: int, what: str = "") -> int:
    if status >= 0:
        return status
    if status == Status.ERROR_UNKNOWN_CODE:
        raise UnknownCodeError(status, what)
    if status == Status.ERROR_NO_MEMORY:
        raise OutOfMemoryError(status, what)
    raise Error(status, what)


def _bytes(data: Buffer) -> Union[bytes, bytearray]:
    # bytes and bytearray without a copy; ctypes takes no other buffer's address.
    if isinstance(data, (bytes, bytearray)):
        return data
    return bytes(data)


def _pointer(data: Union[bytes, bytearray], offset: int = 0) -> Any:
    """data[offset:] as ctypes passes it to a void * without a copy."""
    if offset == 0 and isinstance(data, bytes):
        return data  # its own buffer, and the cheapest way: most calls come here
    if not data:
        return None
    if isinstance(data, bytearray):
        return ctypes.addressof((ctypes.c_char * len(data)).from_buffer(data)) + offset
    address = ctypes.cast(ctypes.c_char_p(data), ctypes.c_void_p).value
    assert address is not None
    return address + offset


def _result(what: str, function: Callable[..., int], *args: Any) -> bytes:
    """Runs a one-call function of the library and takes its buffer."""
    out, size = ctypes.c_void_p(), ctypes.c_size_t()
    _check(function(*args, ctypes.byref(out), ctypes.byref(size)), what)
    try:
        return ctypes.string_at(out, size.value) if size.value else b""
    finally:
        _lib.qorvel_free(out)


def codes() -> List[Tuple[str, str, str]]:
    """The codes the library converts from: (name, description, kind) with
    kind 'file' or 'paste' (a paste code's text ends at a NUL byte)."""
    return [
        (_lib.qorvel_code_name(i).decode(), _lib.qorvel_code_description(i).decode(),
         _Kind(_lib.qorvel_code_kind(i)).name.lower())
        for i in range(_lib.qorvel_code_count())
    ]


def convert(code: str, data: Buffer, strict: bool = False, keep: bool = False) -> bytes:
    """The whole of `data` converted from `code` into Qorvel code. With
    `keep`, text of another script that the code would drop is kept as it
    stands; with `strict`, a conversion that dropped bytes, or whose text a
    NUL ended early, raises Error naming the count and the first offset."""
    data = _bytes(data)
    if not strict and not keep:
        return _result(code, _lib.qorvel_convert_all, code.encode(), _pointer(data), len(data))
    with Converter(code, keep=keep) as conv:
        out = conv.feed(data) + conv.finish()
        if strict:
            conv._refuse_loss()
        return out


def layout(data: Buffer, line_height: int = DEFAULT_LINE_HEIGHT, wrapped: bool = False) -> bytes:
    """Velmar's layout of a Qorvel text (up to its first NUL): the
    web-format text, or the wrapped text. A negative line height never
    wraps, as in `qorvel layout`."""
    data = _bytes(data)
    height = int(line_height) & 0xFFFFFFFF
    return _result("layout", _lib.qorvel_layout, _pointer(data), len(data), height, 1 if wrapped else 0)


def html(data: Buffer, line_height: int = DEFAULT_LINE_HEIGHT, size: int = 7, face: str = "QorvelWebTolvane",
         fragment: bool = False, font_url: Optional[str] = None) -> str:
    """The layout as HTML for today's browsers, as `qorvel layout --html`:
    each wrapped line one vertical column, left to right; a whole document,
    or with `fragment` the columns alone. `size` is Velmar's font size (1 to
    1000); `font_url`, when given, becomes an @font-face rule."""
    data = _bytes(data)
    height = int(line_height) & 0xFFFFFFFF
    url = font_url.encode("utf-8") if font_url else None
    return _result("html", _lib.qorvel_html, _pointer(data), len(data), height, int(size), face.encode("utf-8"), url,
                   1 if fragment else 0).decode("utf-8")


def to_text(data: Buffer) -> str:
    """Code page 936 bytes as a str (the Qorvel glyphs at U+E234...)."""
    data = _bytes(data)
    return _result("to_text", _lib.qorvel_to_utf8, _pointer(data), len(data)).decode("utf-8")


def from_text(text: str) -> bytes:
    """A str as code page 936 bytes; a character the code page lacks is '?'."""
    data = text.encode("utf-8", "surrogatepass")
    return _result("from_text", _lib.qorvel_from_utf8, _pointer(data), len(data))


class Converter:
    """A conversion in pieces: feed() each piece and finish() at the end;
    the pieces' outputs joined are convert()'s. `ended` turns true once a NUL
    byte has ended the text; what was fed after that NUL is not read but
    kept in `unused_data`, as zlib's decompressobj keeps what follows its
    stream. reset() starts again on a new input.

    What was lost, complete after finish(): `dropped`, the bytes the code
    wrote nothing for; `dropped_offsets`, the offsets of the first five of
    them; `ended_at`, the offset of the NUL that ended the text (None when
    none did). With `keep`, text of another script that the code would drop
    is kept as it stands."""

    code: str
    ended: bool
    unused_data: bytes

    def __init__(self, code: str, keep: bool = False) -> None:
        # Set first, so that closing after a failed open has nothing to free.
        self._handle = ctypes.c_void_p()
        _check(_lib.qorvel_open_with(code.encode(), _KEEP if keep else 0, ctypes.byref(self._handle)), code)
        self.code = code
        self.ended = False
        self.unused_data = b""
        self._out = ctypes.create_string_buffer(_ROOM)
        self._taken, self._written = ctypes.c_size_t(), ctypes.c_size_t()

    def __del__(self) -> None:
        self.close()

    def __enter__(self) -> Converter:
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def close(self) -> None:
        handle = getattr(self, "_handle", None)
        if handle:
            _lib.qorvel_close(handle)
            self._handle = ctypes.c_void_p()

    def _live(self) -> ctypes.c_void_p:
        if not self._handle:
            raise ValueError("the converter is closed")
        return self._handle

    def _output(self) -> bytes:
        # Only the bytes written: the buffer is far larger than one small piece's output.
        n = self._written.value
        return ctypes.string_at(self._out, n) if n else b""

    def feed(self, data: Buffer) -> bytes:
        """Converts the next piece and returns the output that is ready."""
        handle, data = self._live(), _bytes(data)
        parts: List[bytes] = []
        at = 0
        taken, written = ctypes.byref(self._taken), ctypes.byref(self._written)
        while True:
            status = _check(_lib.qorvel_convert(handle, _pointer(data, at), len(data) - at, taken,
                                                self._out, _ROOM, written), self.code)
            parts.append(self._output())
            at += self._taken.value
            if status == Status.ENDED:
                self.ended = True
                self.unused_data += data[at:]
                break
            if status == Status.OK:
                break
        return parts[0] if len(parts) == 1 else b"".join(parts)

    def finish(self) -> bytes:
        """The input is over: returns what was still pending."""
        handle = self._live()
        parts: List[bytes] = []
        written = ctypes.byref(self._written)
        while True:
            status = _check(_lib.qorvel_finish(handle, self._out, _ROOM, written), self.code)
            parts.append(self._output())
            if status == Status.OK:
                return b"".join(parts)

    def reset(self) -> None:
        """Starts again as a new Converter of the same code would, after
        finish() or a failure too."""
        _check(_lib.qorvel_reset(self._live()), self.code)
        self.ended = False
        self.unused_data = b""

    @property
    def consumed(self) -> int:
        """Bytes of input read since the start, up to and including the NUL
        that ended the text."""
        return int(_lib.qorvel_consumed(self._live()))

    @property
    def dropped(self) -> int:
        """Bytes the code wrote nothing for."""
        return int(_lib.qorvel_dropped(self._live()))

    @property
    def dropped_offsets(self) -> List[int]:
        """The offsets of the first dropped bytes (at most five), ascending."""
        offsets = (ctypes.c_uint64 * _DROPPED_OFFSETS)()
        n = _lib.qorvel_dropped_offsets(self._live(), offsets, _DROPPED_OFFSETS)
        return [int(offsets[k]) for k in range(n)]

    @property
    def ended_at(self) -> Optional[int]:
        """The offset of the NUL byte that ended the text, or None."""
        at = ctypes.c_uint64()
        return int(at.value) if _lib.qorvel_ended_at(self._live(), ctypes.byref(at)) else None

    def _refuse_loss(self) -> None:
        # What the strict form refuses: bytes dropped, or more than NULs
        # after the NUL that ended the text.
        if self.dropped:
            first = self.dropped_offsets[0]
            raise LossError(f"{self.code}: {self.dropped} bytes dropped, the first at offset {first}")
        if self.unused_data.strip(b"\0"):
            raise LossError(f"{self.code}: the text ends at the NUL byte at offset {self.ended_at}")
