"""The Python module on this build's libqorvel: its copies of qorvel.h's
values, its loading, conversion in pieces with the end of a pasted text,
reset, and the code page 936 edge. Run by ctest with the module on
PYTHONPATH, the library's folder on LD_LIBRARY_PATH and QORVEL_SOURCE_DIR
naming the source tree."""

import html.parser
import os
import pathlib
import random
import re
import subprocess
import sys
import unittest

import qorvel

SOURCE = pathlib.Path(os.environ["QORVEL_SOURCE_DIR"])
HEADER = (SOURCE / "capi" / "qorvel.h").read_text()


def enum_values(enum_name, prefix):
    """{name without prefix: value} of an enum of the C header."""
    body = re.search(r"enum %s \{(.*?)\};" % enum_name, HEADER, re.S).group(1)
    return {m.group(1): int(m.group(2)) for m in re.finditer(prefix + r"(\w+) = (-?\d+)", body)}


class HeaderTest(unittest.TestCase):
    def test_values_are_the_headers(self):
        self.assertEqual({s.name: s.value for s in qorvel.Status}, enum_values("qorvel_status", "QORVEL_"))
        self.assertEqual({k.name: k.value for k in qorvel._Kind}, enum_values("qorvel_code_kind", "QORVEL_KIND_"))
        defines = {m.group(1): int(m.group(2)) for m in re.finditer(r"#define QORVEL_(\w+) (\d+)", HEADER)}
        self.assertEqual(qorvel.DEFAULT_LINE_HEIGHT, defines["DEFAULT_LINE_HEIGHT"])
        self.assertEqual(qorvel._MAJOR, defines["VERSION_MAJOR"])
        self.assertEqual((qorvel._KEEP, qorvel._DROPPED_OFFSETS), (defines["KEEP"], defines["DROPPED_OFFSETS"]))

    def test_loads_by_soname_unless_told(self):
        env = {k: v for k, v in os.environ.items() if k != "QORVEL_LIBRARY"}
        probe = [sys.executable, "-c", "import qorvel; print(qorvel._lib._name)"]
        found = subprocess.run(probe, env=env, capture_output=True, text=True, check=True).stdout.strip()
        self.assertEqual(found, "libqorvel.so.1")
        told = subprocess.run(probe, env={**env, "QORVEL_LIBRARY": "/nonexistent/libqorvel.so.9"},
                              capture_output=True, text=True)
        self.assertNotEqual(told.returncode, 0)
        self.assertIn("/nonexistent/libqorvel.so.9", told.stderr)


class ConverterTest(unittest.TestCase):
    def inputs(self, code, rng):
        sample = SOURCE / "samples" / (code.split("-")[0] + "_sample.txt")
        text = sample.read_bytes() if sample.exists() else b""
        noise = bytes(rng.randrange(256) for _ in range(3000))
        return [text, noise, text[:len(text) // 2] + b"\0" + noise + b"\0" + text]

    def feed_in_pieces(self, conv, data, rng):
        parts, at = [], 0
        while at < len(data):
            n = rng.choice((1, 2, 3, 100, 4096))
            piece = data[at:at + n]
            parts.append(conv.feed(rng.choice((bytes, bytearray, memoryview))(piece)))
            at += n
        return b"".join(parts) + conv.finish()

    def test_pieces_unused_data_and_reset_per_code(self):
        rng = random.Random(936)
        for code, _, kind in qorvel.codes():
            with qorvel.Converter(code) as conv:
                for data in self.inputs(code, rng):
                    with self.subTest(code=code, size=len(data)):
                        whole = qorvel.convert(code, data)
                        conv.reset()
                        self.assertEqual(self.feed_in_pieces(conv, data, rng), whole)
                        # A NUL may end the text (a paste code's always does, at the
                        # first); what was fed after it is kept, unread.
                        read = conv.consumed
                        self.assertEqual(conv.unused_data, data[read:])
                        self.assertEqual(qorvel.convert(code, data[:read]), whole)
                        if conv.ended:
                            self.assertEqual(data[read - 1], 0)
                        else:
                            self.assertEqual(read, len(data))
                        if kind == "paste":
                            self.assertEqual(conv.ended, b"\0" in data)
                            self.assertEqual(read, data.index(b"\0") + 1 if conv.ended else len(data))
                # Fed after finish() without a reset is an error the library names.
                with self.assertRaises(qorvel.Error) as raised:
                    conv.feed(b"a")
                self.assertEqual(raised.exception.status, qorvel.Status.ERROR_FINISHED)
            with self.assertRaises(ValueError):
                conv.feed(b"a")

    def test_unknown_code(self):
        with self.assertRaises(qorvel.UnknownCodeError) as raised:
            qorvel.Converter("no-such-code")
        self.assertIsInstance(raised.exception, ValueError)
        self.assertEqual(raised.exception.status, qorvel.Status.ERROR_UNKNOWN_CODE)
        self.assertIn("no-such-code", str(raised.exception))
        with self.assertRaises(ValueError):
            qorvel.convert("no-such-code", b"x")


class LossTest(unittest.TestCase):
    """What a conversion dropped and where its text ended, as the slow
    references count them, fed whole and in pieces, with and without keep."""

    @staticmethod
    def reference(code, data, keep):
        run = subprocess.run([os.environ["QORVEL_REFERENCE_RUN"], code] + (["keep"] if keep else []), input=data,
                             capture_output=True, check=True)
        facts = dict(line.split(" ", 1) if " " in line else (line, "") for line in run.stdout.decode().splitlines())
        return (int(facts["dropped"]), [int(v) for v in facts["first"].split()],
                None if facts["ended"] == "-" else int(facts["ended"]), bytes.fromhex(facts["out"]))

    @staticmethod
    def random_input(rng):
        pieces = [b"\xf8\xa2", b"\xf9\xd0\xf8\xd9", b"\xfa\xad", b"\xa1\xa4", b" ", b"\r\n", b"AB", b"`s", b"~b",
                  b"\xd6\xd0\xb9\xfa", b"\x01", b"\x7f", b"\xff", b"\x81A", b"\xa3\xd0"]
        data = b"".join(rng.choice(pieces) for _ in range(rng.randrange(60)))
        if rng.random() < 0.3:
            at = rng.randrange(len(data) + 1)
            data = data[:at] + b"\0" + rng.choice((b"", b"\0\0", b"tail")) + data[at:] * rng.randrange(2)
        return data

    def test_counts_offsets_and_ends_as_the_references(self):
        rng = random.Random(28)
        for code, _, _ in qorvel.codes():
            for _ in range(25):
                data = self.random_input(rng)
                for keep in (False, True):
                    dropped, first, ended, out = self.reference(code, data, keep)
                    with self.subTest(code=code, keep=keep, data=data.hex()):
                        with qorvel.Converter(code, keep=keep) as conv:
                            self.assertEqual(conv.feed(data) + conv.finish(), out)
                            self.assertEqual((conv.dropped, conv.dropped_offsets, conv.ended_at),
                                             (dropped, first, ended))
                            conv.reset()
                            self.assertEqual(ConverterTest.feed_in_pieces(self, conv, data, rng), out)
                            self.assertEqual((conv.dropped, conv.dropped_offsets, conv.ended_at),
                                             (dropped, first, ended))
                        early = ended is not None and data[ended + 1:].strip(b"\0") != b""
                        if dropped or early:
                            with self.assertRaises(qorvel.LossError) as raised:
                                qorvel.convert(code, data, strict=True, keep=keep)
                            self.assertIn(f"{dropped} bytes dropped, the first at offset {first[0]}" if dropped
                                          else f"NUL byte at offset {ended}", str(raised.exception))
                        else:
                            self.assertEqual(qorvel.convert(code, data, strict=True, keep=keep), out)

    def test_keep_keeps_the_chinese_of_a_mixed_document(self):
        mixed = "中国人 abc".encode("gbk")
        self.assertEqual(qorvel.convert("mengkeli", mixed), b"\xf8\xec abc")
        self.assertEqual(qorvel.convert("mengkeli", mixed, keep=True), mixed)


class TextTest(unittest.TestCase):
    def test_to_text_and_from_text(self):
        # The Qorvel glyphs sit in code page 936's user-defined area from F8A1 on.
        self.assertEqual(qorvel.to_text(b"a\r\n\xf8\xa1\xf8\xa2\xd6\xd0"), "a\r\n\ue234\ue235\u4e2d")
        self.assertEqual(qorvel.from_text("a\r\n\ue234\ue235\u4e2d"), b"a\r\n\xf8\xa1\xf8\xa2\xd6\xd0")
        self.assertEqual(qorvel.to_text(b""), "")
        self.assertEqual(qorvel.from_text(""), b"")
        # What code page 936 cannot hold, or UTF-8 cannot carry, is '?'; bytes it has no character for, U+FFFD.
        self.assertEqual(qorvel.from_text("x\U0001F600y\ud800z"), b"x?y?z")
        self.assertEqual(qorvel.to_text(bytearray(b"x\x81 y\x81")), "x\ufffd y\ufffd")
        # Qorvel text, whose every byte is code page 936, crosses there and back.
        sample = (SOURCE / "samples" / "qorvel_sample.txt").read_bytes()
        for data in (sample, qorvel.layout(sample)):
            text = qorvel.to_text(memoryview(data))
            self.assertEqual(text.count("\ufffd"), 0)
            self.assertEqual(qorvel.from_text(text), data)


class HtmlTest(unittest.TestCase):
    def test_columns_read_back_as_the_wrapped_lines(self):
        # Python's own HTML parser finds one column per wrapped line holding
        # that line's text, whatever markup the text looks like.
        class Columns(html.parser.HTMLParser):
            def __init__(self):
                super().__init__(convert_charrefs=True)
                self.depth, self.columns, self.tags = 0, [], []

            def handle_starttag(self, tag, attrs):
                self.tags.append(tag)
                self.depth += tag == "div"
                if tag == "div" and self.depth == 2:
                    self.columns.append("")

            def handle_endtag(self, tag):
                self.depth -= tag == "div"

            def handle_data(self, data):
                if self.depth == 2:
                    self.columns[-1] += data

        rng = random.Random(1209)
        pieces = [" ", "\r\n", "\n", "<b>", "&amp;", "'", '"', ">", "\xf8\xa1", "\xb0\xa1", "\x81", "x"]
        for _ in range(200):
            data = "".join(rng.choice(pieces) for _ in range(rng.randrange(40))).encode("latin-1")
            height = rng.randrange(100)
            parser = Columns()
            parser.feed(qorvel.html(data, line_height=height, size=5, fragment=True))
            lines = qorvel.layout(data, height, wrapped=True).split(b"\r\n")[:-1]
            self.assertEqual(parser.columns, [qorvel.to_text(line) for line in lines], data)
            self.assertEqual(set(parser.tags), {"div", "br"} if b"" in lines else {"div"})
        document = qorvel.html(b"a", face="F", font_url="https://x/f.woff")
        self.assertIn('<meta charset="utf-8">', document)
        self.assertIn('@font-face{font-family:"F";src:url("https://x/f.woff")}', document)
        self.assertIn("font-size:17px;line-height:21px", qorvel.html(b"a"))
        with self.assertRaises(qorvel.Error):
            qorvel.html(b"a", size=0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
