// The WebAssembly core (web/core_api.cpp) as the page and its worker use it:
// the registry's codes, a streaming conversion, a whole conversion and the
// layout. Bytes are copied into the module's memory for each call and the
// result copied out, so nothing the caller holds points into that memory.
var QvCore = (function () {
  'use strict';

  // Input goes to the converters in slices of this size, as the command
  // line's driver reads its input: memory stays small whatever the size.
  var SLICE = 1 << 20;
  var INT32_MIN = -2147483648;
  var UINT32_MAX = 4294967295;
  var DEFAULT_LINE_HEIGHT = 500;

  function checkBytes(bytes) {
    if (!(bytes instanceof Uint8Array)) throw new TypeError('a Uint8Array is expected');
  }

  function bind(x) {
    x._initialize();
    // The memory's buffer changes whenever the module grows its memory.
    function heap() { return new Uint8Array(x.memory.buffer); }
    function cString(p) {
      var h = heap(), end = p;
      while (h[end]) end++;
      return String.fromCharCode.apply(null, h.subarray(p, end));  // the registry's texts are ASCII
    }
    function alloc(size) {
      var p = x.malloc(Math.max(size, 1));
      if (!p) throw new RangeError('out of memory');
      return p;
    }

    var codes = [];
    for (var i = 0; i < x.qv_codec_count(); i++)
      codes.push({ name: cString(x.qv_codec_name(i)), description: cString(x.qv_codec_description(i)) });

    function indexOf(name) {
      for (var k = 0; k < codes.length; k++) if (codes[k].name === name) return k;
      throw new RangeError("unknown code '" + name + "'");
    }

    // One conversion run. feed() and finish() hand the bytes that are ready
    // to `sink` as a view into the module's memory, valid only during the
    // call; feed() returns whether more input is wanted (false once the
    // input has ended at a NUL byte).
    function Conversion(name) {
      this.handle = x.qv_open(indexOf(name));
      this.buffer = 0;
      this.capacity = 0;
    }
    Conversion.prototype.drain = function (sink) {
      var n = x.qv_out_size(this.handle);
      if (!n) return;
      var p = x.qv_out_data(this.handle);
      sink(heap().subarray(p, p + n));
      x.qv_out_clear(this.handle);
    };
    Conversion.prototype.feed = function (bytes, sink) {
      if (bytes.length > this.capacity) {
        if (this.buffer) x.free(this.buffer);
        this.buffer = 0;
        this.buffer = alloc(bytes.length);
        this.capacity = bytes.length;
      }
      heap().set(bytes, this.buffer);
      var more = x.qv_feed(this.handle, this.buffer, bytes.length) !== 0;
      this.drain(sink);
      return more;
    };
    Conversion.prototype.finish = function (sink) {
      x.qv_finish(this.handle);
      this.drain(sink);
    };
    // Bytes of input taken, up to and including an ending NUL byte.
    Conversion.prototype.consumed = function () { return x.qv_consumed(this.handle); };
    Conversion.prototype.close = function () {
      if (this.buffer) x.free(this.buffer);
      x.qv_close(this.handle);
      this.buffer = this.handle = 0;
    };

    return {
      codes: function () {
        return codes.map(function (c) { return { name: c.name, description: c.description }; });
      },
      open: function (name) { return new Conversion(name); },
      // Exactly the bytes `qorvel convert --from NAME` writes for `bytes`.
      convert: function (name, bytes) {
        checkBytes(bytes);
        var run = new Conversion(name);
        var out = new Uint8Array(bytes.length + 64), size = 0;
        function sink(view) {
          if (size + view.length > out.length) {
            var grown = new Uint8Array(Math.max(2 * out.length, size + view.length));
            grown.set(out.subarray(0, size));
            out = grown;
          }
          out.set(view, size);
          size += view.length;
        }
        try {
          for (var at = 0, more = true; more && at < bytes.length; at += SLICE)
            more = run.feed(bytes.subarray(at, at + SLICE), sink);
          run.finish(sink);
          return size === out.length ? out : out.slice(0, size);
        } finally {
          run.close();
        }
      },
      // Exactly `qorvel layout [--wrapped] --line-height N`: the line height
      // is a whole number from -2^31 to 2^32-1, compared unsigned.
      layout: function (bytes, lineHeight, wrapped) {
        checkBytes(bytes);
        if (lineHeight === undefined) lineHeight = DEFAULT_LINE_HEIGHT;
        if (!Number.isInteger(lineHeight) || lineHeight < INT32_MIN || lineHeight > UINT32_MAX)
          throw new RangeError('the line height is a whole number from ' + INT32_MIN + ' to ' + UINT32_MAX);
        var p = alloc(bytes.length);
        var text = 0;
        try {
          heap().set(bytes, p);
          text = x.qv_layout(p, bytes.length, lineHeight >>> 0, wrapped ? 1 : 0);
          var data = x.qv_string_data(text);
          return heap().slice(data, data + x.qv_string_size(text));
        } finally {
          if (text) x.qv_string_free(text);
          x.free(p);
        }
      },
    };
  }

  return {
    SLICE: SLICE,
    // The core from the module's bytes or its compiled WebAssembly.Module.
    load: function (wasm) {
      return WebAssembly.instantiate(wasm, {}).then(function (result) {
        return bind((result.instance || result).exports);
      });
    },
  };
})();
