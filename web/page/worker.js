// The page's file worker: converts the files it is given one after another,
// streaming each through the library's qorvel_convert, so the page stays
// responsive and memory stays small however large the file is. core.js is
// in front of this text in the worker's script.
//
// A job with a folder writes its output into that folder as it converts,
// through the file's writable stream; one without keeps the output for a
// download.
//
// Messages in:  {type: 'init', wasm}                  the module's bytes
//               {type: 'convert', id, file, code, keep, folder?, name?}
//               {type: 'cancel', id}
// Messages out: {id, type: 'progress', done, total}   a few times a second
//               {id, type: 'saving'}                  the input is done; the
//                                                     result is being kept
//               {id, type: 'done', blob?, loss}
//               {id, type: 'error', reason: 'read' | 'convert' | 'write', detail, left}
//               {id, type: 'cancelled', left}
// `left` says what a failed or cancelled job left in its folder under its
// name: 'removed' (the file it had begun is gone), 'unchanged' (a file of
// that name was there before and keeps its bytes), 'partial' (a begun file
// that could not be removed), or null (no folder).
// `loss` says what the conversion lost: {dropped, offsets, endedAt, after},
// the count and first offsets of the bytes dropped, and the offset of the
// NUL byte that ended the text early with the bytes after it, or endedAt
// null.
'use strict';

var PROGRESS_EVERY_MS = 50;
var STAGE_BYTES = 16 << 20;
// A folder's file gets the output in writes of this size, at most
// WRITES_IN_FLIGHT at a time: the browser's writes are slow next to the
// conversion, and memory stays a few of these buffers whatever the size.
var WRITE_BYTES = 4 << 20;
var WRITES_IN_FLIGHT = 2;
// Write buffers done with, kept for the next writes and the next jobs.
var spare = [];
var wasmBytes = null;
var corePromise = null;
var queue = [];
var busy = false;
var current = null;  // the id of the job converting
var cancelled = {};

// The instance, loaded for the first job and again after a trap; one that
// fails to load fails its job, and the next job tries again.
function core() {
  if (!corePromise) {
    var loading = QvCore.load(wasmBytes);
    loading.catch(function () { if (corePromise === loading) corePromise = null; });
    corePromise = loading;
  }
  return corePromise;
}

function Failure(reason, cause) {
  this.reason = reason;
  this.detail = (cause && (cause.name || cause.message)) || String(cause);
}
function Cancelled() {}

function onlyNuls(bytes) {
  for (var i = 0; i < bytes.length; i++) if (bytes[i] !== 0) return false;
  return true;
}

// A file's bytes, read ahead by the browser while a slice converts, into
// one buffer of QvCore.SLICE bytes used over and over where the browser
// lets a reader bring its own buffer: reading makes no garbage then, which
// would otherwise pile up by the size of the file until the next collection.
// read() gives the next bytes (valid until the next read) or null at the
// end.
function Input(file) {
  try {
    this.reader = file.stream().getReader({ mode: 'byob' });
    this.buffer = new ArrayBuffer(QvCore.SLICE);
  } catch (err) {
    try {
      this.reader = file.stream().getReader();
    } catch (cause) {
      throw new Failure('read', cause);
    }
    this.buffer = null;
  }
}
Input.prototype.read = async function () {
  var chunk;
  try {
    chunk = await (this.buffer ? this.reader.read(new Uint8Array(this.buffer)) : this.reader.read());
  } catch (cause) {
    throw new Failure('read', cause);
  }
  if (chunk.done) return null;
  if (this.buffer) this.buffer = chunk.value.buffer;
  return chunk.value;
};
Input.prototype.cancel = function () { this.reader.cancel().catch(function () {}); };

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
Output.prototype.drain = function () { return null; };
Output.prototype.finish = function () {
  return Promise.resolve({ blob: new Blob(this.full.concat([this.stage.subarray(0, this.size)]), { type: 'text/plain' }) });
};
Output.prototype.abort = function () { return Promise.resolve(null); };

// The output written into `name` in a folder the user picked. The browser
// writes into a file of its own beside the target and puts it in place only
// when the stream closes, so until then a file that was there keeps its
// bytes; a file this job created is empty until then, and removed if the
// job does not finish.
function FileOutput(folder, name) {
  this.folder = folder;
  this.name = name;
  this.existed = true;
  this.writable = null;
  this.ready = [];     // full buffers not yet handed to the stream
  this.inFlight = [];  // writes under way, oldest first
  this.stage = null;
  this.size = 0;
}
FileOutput.prototype.open = async function () {
  try {
    try {
      await this.folder.getFileHandle(this.name);
    } catch (err) {
      if (err.name !== 'NotFoundError') throw err;
      this.existed = false;
    }
    var handle = await this.folder.getFileHandle(this.name, { create: true });
    this.writable = await handle.createWritable();
  } catch (cause) {
    throw new Failure('write', cause);
  }
};
FileOutput.prototype.add = function (view) {
  while (view.length) {
    if (!this.stage) {
      this.stage = spare.pop() || new Uint8Array(WRITE_BYTES);
      this.size = 0;
    }
    var n = Math.min(view.length, this.stage.length - this.size);
    this.stage.set(view.subarray(0, n), this.size);
    this.size += n;
    view = view.subarray(n);
    if (this.size === this.stage.length) {
      this.ready.push(this.stage);
      this.stage = null;
    }
  }
};
FileOutput.prototype.write = function (buffer, size) {
  var done = this.writable.write(buffer.subarray(0, size)).then(function () { spare.push(buffer); });
  done.catch(function () {});  // awaited in turn; a later one failing too is no news
  this.inFlight.push(done);
};
// Hands the full buffers to the stream, waiting while too many writes are
// under way. Null when there is nothing to wait for, so that the loop does
// not yield to the event loop for every slice.
FileOutput.prototype.drain = function () {
  if (!this.ready.length && this.inFlight.length <= WRITES_IN_FLIGHT) return null;
  var self = this;
  return (async function () {
    while (self.ready.length) {
      self.write(self.ready.shift(), WRITE_BYTES);
      while (self.inFlight.length > WRITES_IN_FLIGHT) await self.wait(self.inFlight.shift());
    }
  })();
};
FileOutput.prototype.wait = async function (promise) {
  try {
    await promise;
  } catch (cause) {
    throw new Failure('write', cause);
  }
};
FileOutput.prototype.finish = async function () {
  if (this.stage && this.size) this.write(this.stage, this.size);
  else if (this.stage) spare.push(this.stage);
  this.stage = null;
  await this.drain();
  while (this.inFlight.length) await this.wait(this.inFlight.shift());
  await this.wait(this.writable.close());
  this.writable = null;
  return {};
};
// Throws the unfinished file away; says what is left under the name.
FileOutput.prototype.abort = async function () {
  if (this.writable) {
    try { await this.writable.abort(); } catch (err) { /* the stream has failed already */ }
    this.writable = null;
  }
  if (this.existed) return 'unchanged';
  try {
    await this.folder.removeEntry(this.name);
    return 'removed';
  } catch (err) {
    return err.name === 'NotFoundError' ? 'removed' : 'partial';
  }
};

async function convert(job) {
  var run = null;
  var input = null;
  var out = job.folder ? new FileOutput(job.folder, job.name) : new Output();
  var check = function () { if (cancelled[job.id]) throw new Cancelled(); };
  try {
    var qv = await core();
    run = qv.open(job.code, { keep: job.keep });
    if (job.folder) await out.open();
    check();
    var sink = function (view) { out.add(view); };
    var total = job.file.size, done = 0, more = true, shown = 0;
    var chunkAt = 0;  // the file offset of the chunk in hand
    var early = false;
    // A file's stream reads far faster than slices of the file read one by
    // one.
    input = new Input(job.file);
    while (more) {
      var chunk = await input.read();
      check();
      if (!chunk) break;
      // A stream's chunk may be megabytes long: fed in slices, so that
      // progress goes out on time.
      for (var at = 0; more && at < chunk.length; at += QvCore.SLICE) {
        var slice = chunk.subarray(at, at + QvCore.SLICE);
        more = run.feed(slice, sink);
        if (!more) early = !onlyNuls(chunk.subarray(run.consumed() - chunkAt));
        var waiting = out.drain();
        if (waiting) {
          await waiting;
          check();
        }
        done += slice.length;
        var now = Date.now();
        if (now - shown >= PROGRESS_EVERY_MS) {
          shown = now;
          postMessage({ id: job.id, type: 'progress', done: done, total: total });
        }
      }
      chunkAt += chunk.length;
    }
    // A NUL byte that ended the text ended it early unless NULs alone follow
    // it (a clipboard's padding): the file is read on while they do.
    while (!more && !early) {
      var rest = await input.read();
      check();
      if (!rest) break;
      early = !onlyNuls(rest);
    }
    if (!more) input.cancel();
    run.finish(sink);
    var loss = run.losses();
    if (early) loss.after = total - run.consumed();
    else loss.endedAt = null;
    postMessage({ id: job.id, type: 'saving' });
    var result = await out.finish();
    postMessage({ id: job.id, type: 'done', blob: result.blob, loss: loss });
  } catch (err) {
    if (input) input.cancel();
    // A trap leaves the module's memory in an unknown state: start afresh.
    if (err instanceof WebAssembly.RuntimeError) { corePromise = null; run = null; }
    var left = await out.abort();
    if (err instanceof Cancelled) {
      postMessage({ id: job.id, type: 'cancelled', left: left });
    } else {
      var failure = err instanceof Failure ? err : new Failure('convert', err);
      postMessage({ id: job.id, type: 'error', reason: failure.reason, detail: failure.detail, left: left });
    }
  } finally {
    if (run) run.close();
    delete cancelled[job.id];
  }
}

async function pump() {
  if (busy) return;
  busy = true;
  while (queue.length) {
    var job = queue.shift();
    current = job.id;
    await convert(job);
    current = null;
  }
  busy = false;
}

onmessage = function (event) {
  var m = event.data;
  if (m.type === 'init') {
    wasmBytes = m.wasm;
  } else if (m.type === 'convert') {
    queue.push(m);
    pump();
  } else if (m.type === 'cancel') {
    var waiting = queue.findIndex(function (job) { return job.id === m.id; });
    if (waiting >= 0) {
      queue.splice(waiting, 1);
      postMessage({ id: m.id, type: 'cancelled', left: null });
    } else if (m.id === current) {
      cancelled[m.id] = true;
    }
  }
};
