// Code page 936 bytes <-> browser text, exactly as the desktop clipboard
// converts them (ICU's windows-936-2000: F8A1.. is U+E234.., 0x80 is U+20AC;
// every character the code page lacks is one '?', the default-ignorable
// ones too, as on Windows). The tables come from cp936_table.js, generated
// at build time from the clipboard's own conversion; the browser's own GBK
// decoder follows GB18030 and differs in places, and differs between
// browsers, so it is not used.
var QvCp936 = (function (data) {
  'use strict';

  var UNMAPPED = 0xFFFF;  // no lead byte is 0xFF, so this is never a pair
  var QUESTION = 0x3F;

  function words(base64) {
    var bin = atob(base64);
    var bytes = new Uint8Array(bin.length);
    for (var i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
    return new Uint16Array(bytes.buffer);  // little-endian, as generated
  }

  var single = words(data.single);
  // pairs[(lead - 0x81) * 256 + trail]: the character, or 0 where the trail
  // byte is not one (0x40..0x7E, 0x80..0xFE).
  var pairs = new Uint16Array(126 * 256);
  var packed = words(data.pairs);
  for (var lead = 0, k = 0; lead < 126; lead++)
    for (var trail = 0x40; trail <= 0xFE; trail++)
      if (trail !== 0x7F) pairs[lead * 256 + trail] = packed[k++];

  // encode[character]: a byte, lead << 8 | trail, or UNMAPPED.
  var encode = new Uint16Array(0x10000).fill(UNMAPPED);
  for (var b = 0; b < 256; b++) if (b < 0x81 || b > 0xFE) encode[single[b]] = b;
  for (var i = 0; i < pairs.length; i++) if (pairs[i]) encode[pairs[i]] = (0x81 + (i >> 8)) << 8 | (i & 0xFF);

  var utf16 = new TextDecoder('utf-16le', { ignoreBOM: true });

  return {
    toText: function (bytes) {
      if (!(bytes instanceof Uint8Array)) throw new TypeError('a Uint8Array is expected');
      var n = bytes.length;
      var out = new Uint16Array(n);  // never more characters than bytes
      var o = 0;
      for (var i = 0; i < n; i++) {
        var b = bytes[i];
        if (b >= 0x81 && b <= 0xFE) {
          // A lead byte without a trail byte is U+FFFD, and the byte after
          // it starts the next character.
          var c = i + 1 < n ? pairs[(b - 0x81) * 256 + bytes[i + 1]] : 0;
          if (c) i++;
          out[o++] = c || 0xFFFD;
        } else {
          out[o++] = single[b];
        }
      }
      return utf16.decode(out.subarray(0, o));
    },

    toBytes: function (text) {
      if (typeof text !== 'string') throw new TypeError('a string is expected');
      var n = text.length;
      var out = new Uint8Array(2 * n);
      var o = 0;
      for (var i = 0; i < n; i++) {
        var c = text.charCodeAt(i);
        if (c >= 0xD800 && c <= 0xDFFF) {
          // A surrogate pair is one character outside the code page; a lone
          // surrogate is one bad character. Both are one '?'.
          var d = c <= 0xDBFF && i + 1 < n ? text.charCodeAt(i + 1) : 0;
          if (d >= 0xDC00 && d <= 0xDFFF) i++;
          out[o++] = QUESTION;
          continue;
        }
        var v = encode[c];
        if (v < 0x100) {
          out[o++] = v;
        } else if (v === UNMAPPED) {
          out[o++] = QUESTION;
        } else {
          out[o++] = v >> 8;
          out[o++] = v & 0xFF;
        }
      }
      return out.slice(0, o);
    },
  };
})(QV_CP936);
