// libqorvel (capi/qorvel.h) compiled to WebAssembly, as the page and its
// worker use it: the registry's codes, a streaming conversion, a whole
// conversion and the layout, through the library's own functions, so that the
// page converts exactly as the command line and the desktop programs do.
// Bytes are copied into the module's memory for each call and the result
// copied out, so nothing the caller holds points into that memory.
var QvCore = (function () {
  'use strict';

  // Input goes to the converters in slices of this size, as the command
  // line's driver reads its input: memory stays small whatever the size.
  var SLICE = 1 << 20;
  // A streaming run's output passes through one buffer of this size in the
  // module's memory, whatever the size of the input.
  var OUT_SIZE = 1 << 20;
  var INT32_MIN = -2147483648;
  var UINT32_MAX = 4294967295;
  var DEFAULT_LINE_HEIGHT = 500;  // QORVEL_DEFAULT_LINE_HEIGHT

  // The statuses of qorvel.h that the page acts on.
  var OUTPUT_FULL = 1;
  var ENDED = 2;
  var ERROR_UNKNOWN_CODE = -1;
  var ERROR_NO_MEMORY = -3;
  var KEEP = 1;                 // QORVEL_KEEP
  var DROPPED_OFFSETS = 5;      // QORVEL_DROPPED_OFFSETS

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
      return String.fromCharCode.apply(null, h.subarray(p, end));  // the library's texts are ASCII
    }
    function alloc(size) {
      var p = x.malloc(Math.max(size, 1));
      if (!p) throw new RangeError(cString(x.qorvel_status_message(ERROR_NO_MEMORY)));
      return p;
    }

    // Where every call puts its results (a size, a pointer or a handle: each
    // 32 bits in wasm32), read back right after the call.
    var results = alloc(8);
    function result(k) { return new DataView(x.memory.buffer).getUint32(results + 4 * k, true); }
    // Where the uint64_t offsets of a converter's losses are written.
    var offsets = alloc(8 * DROPPED_OFFSETS);
    function offset(k) { return Number(new DataView(x.memory.buffer).getBigUint64(offsets + 8 * k, true)); }

    function failure(status, name) {
      var message = cString(x.qorvel_status_message(status));
      if (status === ERROR_UNKNOWN_CODE) return new RangeError(message + " '" + name + "'");
      return status === ERROR_NO_MEMORY ? new RangeError(message) : new Error(message);
    }

    // The library's own name strings: a code is opened by its registry
    // entry, so a JS string never has to become a C string (where a NUL in
    // it would cut the name short).
    var codes = [];
    for (var i = 0, n = x.qorvel_code_count(); i < n; i++) {
      var name = x.qorvel_code_name(i);
      codes.push({ name: cString(name), description: cString(x.qorvel_code_description(i)), pointer: name });
    }
    function codeName(name) {
      for (var k = 0; k < codes.length; k++) if (codes[k].name === name) return codes[k].pointer;
      throw failure(ERROR_UNKNOWN_CODE, name);
    }

    // One streaming run. feed() and finish() hand the bytes that are ready
    // to `sink` as a view into the module's memory, valid only during the
    // call; feed() returns whether more input is wanted (false once the
    // input has ended at a NUL byte). options.keep: keep the text of another
    // script that the code would drop (QORVEL_KEEP).
    function Conversion(name, options) {
      var code = codeName(name);
      this.handle = 0;
      this.input = 0;
      this.capacity = 0;
      this.out = alloc(OUT_SIZE);
      var status = x.qorvel_open_with(code, options && options.keep ? KEEP : 0, results);
      if (status < 0) {
        x.free(this.out);
        throw failure(status, name);
      }
      this.handle = result(0);
    }
    Conversion.prototype.hand = function (sink) {
      var written = result(1);
      if (written) sink(heap().subarray(this.out, this.out + written));
    };
    Conversion.prototype.feed = function (bytes, sink) {
      if (bytes.length > this.capacity) {
        if (this.input) x.free(this.input);
        this.input = 0;
        this.input = alloc(bytes.length);
        this.capacity = bytes.length;
      }
      heap().set(bytes, this.input);
      var taken = 0, status;
      do {
        status = x.qorvel_convert(this.handle, this.input + taken, bytes.length - taken, results,
                                  this.out, OUT_SIZE, results + 4);
        if (status < 0) throw failure(status);
        taken += result(0);
        this.hand(sink);
      } while (status === OUTPUT_FULL);
      return status !== ENDED;
    };
    Conversion.prototype.finish = function (sink) {
      var status;
      do {
        status = x.qorvel_finish(this.handle, this.out, OUT_SIZE, results + 4);
        if (status < 0) throw failure(status);
        this.hand(sink);
      } while (status === OUTPUT_FULL);
    };
    // Bytes of input taken, up to and including an ending NUL byte (a
    // uint64_t, which comes as a BigInt).
    Conversion.prototype.consumed = function () { return Number(x.qorvel_consumed(this.handle)); };
    // What the run lost, once finish() is over: how many bytes its code
    // wrote nothing for, the offsets of the first of them, and the offset of
    // the NUL byte that ended the text (null if none did).
    Conversion.prototype.losses = function () {
      var n = x.qorvel_dropped_offsets(this.handle, offsets, DROPPED_OFFSETS);
      var first = [];
      for (var k = 0; k < n; k++) first.push(offset(k));
      var ended = x.qorvel_ended_at(this.handle, offsets) ? offset(0) : null;
      return { dropped: Number(x.qorvel_dropped(this.handle)), offsets: first, endedAt: ended };
    };
    Conversion.prototype.close = function () {
      if (this.input) x.free(this.input);
      x.free(this.out);
      x.qorvel_close(this.handle);
      this.input = this.out = this.handle = 0;
    };

    // `bytes` copied in, `call` given where they are; the buffer it leaves
    // in the results copied out and handed back to the library.
    function whole(bytes, call, name) {
      var p = alloc(bytes.length);
      try {
        heap().set(bytes, p);
        var status = call(p);
        if (status < 0) throw failure(status, name);
        var data = result(0);
        try {
          return heap().slice(data, data + result(1));
        } finally {
          x.qorvel_free(data);
        }
      } finally {
        x.free(p);
      }
    }

    return {
      codes: function () {
        return codes.map(function (c) { return { name: c.name, description: c.description }; });
      },
      open: function (name, options) { return new Conversion(name, options); },
      // The bytes of convert(), or of `qorvel convert --keep` under
      // options.keep, with the run's losses(): {bytes, dropped, offsets,
      // endedAt}.
      convertNoting: function (name, bytes, options) {
        checkBytes(bytes);
        var run = new Conversion(name, options), parts = [], size = 0;
        var sink = function (view) { parts.push(view.slice()); size += view.length; };
        try {
          for (var at = 0, more = true; more && at < bytes.length; at += SLICE)
            more = run.feed(bytes.subarray(at, at + SLICE), sink);
          run.finish(sink);
          var losses = run.losses();
        } catch (err) {
          // After a trap the module's memory is not to be touched again.
          if (!(err instanceof WebAssembly.RuntimeError)) run.close();
          throw err;
        }
        run.close();
        losses.bytes = new Uint8Array(size);
        for (var k = 0, to = 0; k < parts.length; to += parts[k].length, k++) losses.bytes.set(parts[k], to);
        return losses;
      },
      // Exactly the bytes `qorvel convert --from NAME` writes for `bytes`.
      convert: function (name, bytes) {
        checkBytes(bytes);
        var code = codeName(name);
        return whole(bytes, function (p) {
          return x.qorvel_convert_all(code, p, bytes.length, results, results + 4);
        }, name);
      },
      // Exactly `qorvel layout [--wrapped] --line-height N`: the line height
      // is a whole number from -2^31 to 2^32-1, compared unsigned.
      layout: function (bytes, lineHeight, wrapped) {
        checkBytes(bytes);
        if (lineHeight === undefined) lineHeight = DEFAULT_LINE_HEIGHT;
        if (!Number.isInteger(lineHeight) || lineHeight < INT32_MIN || lineHeight > UINT32_MAX)
          throw new RangeError('the line height is a whole number from ' + INT32_MIN + ' to ' + UINT32_MAX);
        return whole(bytes, function (p) {
          return x.qorvel_layout(p, bytes.length, lineHeight >>> 0, wrapped ? 1 : 0, results, results + 4);
        });
      },
      // Exactly `qorvel layout --html` (or `--html-fragment` under
      // options.fragment), as a string: options.size (7), options.face
      // (QorvelWebTolvane), options.fontUrl (none).
      html: function (bytes, lineHeight, options) {
        checkBytes(bytes);
        options = options || {};
        if (lineHeight === undefined) lineHeight = DEFAULT_LINE_HEIGHT;
        if (!Number.isInteger(lineHeight) || lineHeight < INT32_MIN || lineHeight > UINT32_MAX)
          throw new RangeError('the line height is a whole number from ' + INT32_MIN + ' to ' + UINT32_MAX);
        var size = options.size === undefined ? 7 : options.size;
        if (!Number.isInteger(size) || size < 1 || size > 1000) throw new RangeError('the size is a whole number from 1 to 1000');
        // The face and the URL as NUL-terminated UTF-8 in the module's memory.
        var strings = [options.face || 'QorvelWebTolvane', options.fontUrl || ''].map(function (text) {
          var utf8 = new TextEncoder().encode(text + '\0');
          var p = alloc(utf8.length);
          heap().set(utf8, p);
          return p;
        });
        try {
          return new TextDecoder().decode(whole(bytes, function (p) {
            return x.qorvel_html(p, bytes.length, lineHeight >>> 0, size, strings[0], strings[1], options.fragment ? 1 : 0,
                                 results, results + 4);
          }));
        } finally {
          strings.forEach(function (p) { x.free(p); });
        }
      },
    };
  }

  return {
    SLICE: SLICE,
    // The library from the module's bytes or its compiled WebAssembly.Module.
    load: function (wasm) {
      return WebAssembly.instantiate(wasm, {}).then(function (result) {
        return bind((result.instance || result).exports);
      });
    },
  };
})();
