# The Python example of docs/library.md: converts a Mengkeli code file in
# pieces, as a large file would be, checks it against the one-call form, and
# lays the result out in web format.
#   python3 example.py samples/mengkeli_sample.txt out.txt
import sys

import qorvel

source, target = sys.argv[1], sys.argv[2]
print([name for name, _, _ in qorvel.codes()])

with open(source, "rb") as f, open(target, "wb") as out, qorvel.Converter("mengkeli") as conv:
    while piece := f.read(1 << 16):
        out.write(conv.feed(piece))
    out.write(conv.finish())

with open(source, "rb") as f, open(target, "rb") as out:
    converted = out.read()
    assert converted == qorvel.convert("mengkeli", f.read())
web = qorvel.layout(converted, line_height=500)
text = qorvel.to_text(converted)  # the Qorvel glyphs are U+E234...
print(len(converted), "bytes converted,", len(text), "characters,", web.count(b"\r\n"), "lines in web format")
