// The page's file worker: converts the files it is given one after another,
// reading each in slices and feeding the registry's stream converter, so the
// page stays responsive and memory stays small however large the file is.
// core.js is in front of this text in the worker's script.
//
// Messages in:  {type: 'init', wasm}                  the module's bytes
//               {type: 'convert', id, file, code}
// Messages out: {id, type: 'progress', done, total}   after every slice
//               {id, type: 'done', blob, consumed, endedAtNul}
//               {id, type: 'error', reason: 'read' | 'convert', detail}
'use strict';

var READ_SLICE = 4 << 20;
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

function read(file, at) {
  return file.slice(at, at + READ_SLICE).arrayBuffer().then(
    function (buffer) { return new Uint8Array(buffer); },
    function (cause) { throw new ReadError(cause); });
}

async function convert(job) {
  var run = null;
  try {
    var qv = await core();
    run = qv.open(job.code);
    var file = job.file, total = file.size, done = 0, more = true;
    var parts = [];
    var next = total > 0 ? read(file, 0) : null;
    while (more && next) {
      var bytes = await next;
      // The next slice is read while this one converts.
      next = done + bytes.length < total && bytes.length ? read(file, done + bytes.length) : null;
      var step = run.feed(bytes);
      done += bytes.length;
      more = step.more;
      if (step.out.length) parts.push(step.out);
      postMessage({ id: job.id, type: 'progress', done: done, total: total });
    }
    if (next) next.catch(function () {});  // the text ended at a NUL byte
    parts.push(run.finish());
    postMessage({ id: job.id, type: 'done', blob: new Blob(parts, { type: 'text/plain' }),
                  consumed: run.consumed(), endedAtNul: !more });
  } catch (err) {
    var isRead = err instanceof ReadError;
    // A trap leaves the module's memory in an unknown state: start afresh.
    if (err instanceof WebAssembly.RuntimeError) { corePromise = null; run = null; }
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
