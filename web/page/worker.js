// The page's file worker: converts the files it is given one after another,
// streaming each through the library's qorvel_convert, so the page stays
// responsive and memory stays small however large the file is. core.js is
// in front of this text in the worker's script.
//
// Messages in:  {type: 'init', wasm}                  the module's bytes
//               {type: 'convert', id, file, code}
// Messages out: {id, type: 'progress', done, total}   a few times a second
//               {id, type: 'saving'}                  the result is being kept
//               {id, type: 'done', blob, consumed, endedAtNul}
//               {id, type: 'error', reason: 'read' | 'convert', detail}
'use strict';

var PROGRESS_EVERY_MS = 50;
var STAGE_BYTES = 16 << 20;
var wasmBytes = null;
var corePromise = null;
var queue = [];
var busy = false;

function core() {
  if (!corePromise) corePromise = QvCore.load(wasmBytes);
  return corePromise;
}

function ReadError(cause) {
  this.name = 'ReadError';
  this.detail = (cause && cause.name) || String(cause);
}

// The converted bytes, gathered in buffers of STAGE_BYTES (no allocation per
// chunk) and made into one blob at the end: making a blob costs a good deal
// per call, and while it runs the worker cannot report progress, so it runs
// once, in the saving step after the conversion.
function Output() {
  this.full = [];
  this.stage = new Uint8Array(STAGE_BYTES);
  this.size = 0;
}
Output.prototype.add = function (view) {
  while (view.length) {
    if (this.size === this.stage.length) {
      this.full.push(this.stage);
      this.stage = new Uint8Array(STAGE_BYTES);
      this.size = 0;
    }
    var n = Math.min(view.length, this.stage.length - this.size);
    this.stage.set(view.subarray(0, n), this.size);
    this.size += n;
    view = view.subarray(n);
  }
};
Output.prototype.blob = function () {
  return new Blob(this.full.concat([this.stage.subarray(0, this.size)]), { type: 'text/plain' });
};

async function convert(job) {
  var run = null;
  var reader = null;
  try {
    var qv = await core();
    run = qv.open(job.code);
    var out = new Output();
    var sink = function (view) { out.add(view); };
    var total = job.file.size, done = 0, more = true, shown = 0;
    // A file's stream reads ahead while a chunk converts, and reads far
    // faster than slices of the file read one by one.
    try {
      reader = job.file.stream().getReader();
    } catch (cause) {
      throw new ReadError(cause);
    }
    while (more) {
      var chunk;
      try {
        chunk = await reader.read();
      } catch (cause) {
        throw new ReadError(cause);
      }
      if (chunk.done) break;
      // A stream's chunk may be megabytes long: fed in slices, so that
      // progress goes out on time.
      for (var at = 0; more && at < chunk.value.length; at += QvCore.SLICE) {
        var slice = chunk.value.subarray(at, at + QvCore.SLICE);
        more = run.feed(slice, sink);
        done += slice.length;
        var now = Date.now();
        if (now - shown >= PROGRESS_EVERY_MS) {
          shown = now;
          postMessage({ id: job.id, type: 'progress', done: done, total: total });
        }
      }
    }
    if (!more) reader.cancel().catch(function () {});  // the text ended at a NUL byte
    run.finish(sink);
    postMessage({ id: job.id, type: 'saving' });
    postMessage({ id: job.id, type: 'done', blob: out.blob(),
                  consumed: run.consumed(), endedAtNul: !more });
  } catch (err) {
    // A trap leaves the module's memory in an unknown state: start afresh.
    if (err instanceof WebAssembly.RuntimeError) { corePromise = null; run = null; }
    var isRead = err instanceof ReadError;
    postMessage({ id: job.id, type: 'error', reason: isRead ? 'read' : 'convert',
                  detail: isRead ? err.detail : String((err && err.message) || err) });
  } finally {
    if (run) run.close();
  }
}

async function pump() {
  if (busy) return;
  busy = true;
  while (queue.length) await convert(queue.shift());
  busy = false;
}

onmessage = function (event) {
  var m = event.data;
  if (m.type === 'init') {
    wasmBytes = m.wasm;
  } else if (m.type === 'convert') {
    queue.push(m);
    pump();
  }
};
