// The npm package qorvel: the suite's converters, Velmar's layout and the
// code page 936 edge as one ES module, over the same WebAssembly core and
// the same scripts as the web page (web/page/core.js and cp936.js, put in
// below by web/npm/pack.cjs with the module's bytes and the code page
// table), so a package's conversion is the bytes of `qorvel convert`.
// The module is in this file as base64: nothing is fetched or read, so the
// same file works in Node, in a browser's <script type="module"> and
// through a bundler. It is ready once its import resolves.

/*@CP936_TABLE@*/
/*@CP936@*/
/*@CORE@*/

const WASM = `
@WASM@`;

export const version = '@VERSION@';
export const DEFAULT_LINE_HEIGHT = 500;
export const DROPPED_OFFSETS = 5;

const core = await QvCore.load(Uint8Array.from(atob(WASM), (c) => c.charCodeAt(0)));

// A trap is a fault in the library, after which its memory is in no known
// state: every later call says so rather than answering from it.
let fault = null;
function guarded(call) {
  if (fault) throw new Error('the qorvel module stopped at an internal fault: ' + fault.message, { cause: fault });
  try {
    return call();
  } catch (err) {
    if (err instanceof WebAssembly.RuntimeError) fault = err;
    throw err;
  }
}

// Options are checked by name, so that one this version does not know (as
// the `html` of a later layout) fails rather than being ignored.
function readOptions(options, known) {
  if (options === undefined || options === null) return {};
  if (typeof options !== 'object') throw new TypeError('the options are an object');
  for (const name of Object.keys(options))
    if (!known.includes(name)) throw new TypeError(`unknown option '${name}' (known: ${known.join(', ')})`);
  return options;
}

function checkBytes(bytes) {
  if (!(bytes instanceof Uint8Array)) throw new TypeError('a Uint8Array is expected');
}

// The pieces a call's output comes in, joined at the end.
function collector() {
  const parts = [];
  let size = 0;
  return {
    sink(view) { parts.push(view.slice()); size += view.length; },
    bytes() {
      const out = new Uint8Array(size);
      let at = 0;
      for (const part of parts) { out.set(part, at); at += part.length; }
      return out;
    },
  };
}

/** The codes convert() takes, in the order `qorvel convert --list` gives. */
export function codes() {
  return guarded(() => core.codes());
}

/** The bytes `qorvel convert --from CODE` writes for `bytes` (`--keep` under options.keep). */
export function convert(code, bytes, options) {
  const { keep } = readOptions(options, ['keep']);
  checkBytes(bytes);
  return guarded(() => (keep ? core.convertNoting(code, bytes, { keep: true }).bytes : core.convert(code, bytes)));
}

/** The bytes of `qorvel layout [--line-height N] [--wrapped]`. */
export function layout(bytes, options) {
  const { lineHeight, wrapped } = readOptions(options, ['lineHeight', 'wrapped']);
  checkBytes(bytes);
  return guarded(() => core.layout(bytes, lineHeight, !!wrapped));
}

/** Code page 936 bytes as text, as the desktop clipboard reads them. */
export function toText(bytes) {
  return QvCp936.toText(bytes);
}

/** Text as code page 936 bytes, '?' for each character the code page lacks. */
export function fromText(text) {
  return QvCp936.toBytes(text);
}

// The library's converter lives in the module's memory: close() frees it,
// and one dropped without close() is freed when it is collected.
const unclosed = new FinalizationRegistry((run) => { if (!fault) run.close(); });

/** A conversion in pieces: feed() each, then finish(); what it lost after. */
export class Converter {
  #run;

  constructor(code, options) {
    const { keep } = readOptions(options, ['keep']);
    this.#run = guarded(() => core.open(code, { keep: !!keep }));
    unclosed.register(this, this.#run, this);
  }

  #open() {
    if (!this.#run) throw new Error('the converter is closed');
    return this.#run;
  }

  /** The output ready so far for the next piece of input. */
  feed(bytes) {
    checkBytes(bytes);
    const run = this.#open();
    const out = collector();
    guarded(() => {
      // In slices, as core.js copies each into the module's memory whole.
      let at = 0, more;
      do {
        more = run.feed(bytes.subarray(at, at + QvCore.SLICE), out.sink);
        at += QvCore.SLICE;
      } while (more && at < bytes.length);
    });
    return out.bytes();
  }

  /** The rest of the output; the input is over. */
  finish() {
    const run = this.#open();
    const out = collector();
    guarded(() => run.finish(out.sink));
    return out.bytes();
  }

  #losses() {
    const run = this.#open();
    return guarded(() => run.losses());
  }

  /** Bytes the code wrote nothing for (complete after finish()). */
  get dropped() { return this.#losses().dropped; }
  /** The offsets of the first of them, at most DROPPED_OFFSETS. */
  get droppedOffsets() { return this.#losses().offsets; }
  /** The offset of the NUL byte that ended the text, or null (also where only NULs follow it). */
  get endedAt() { return this.#losses().endedAt; }
  /** Whether a NUL byte ended the text: later input is not read. */
  get ended() { return this.endedAt !== null; }

  /** Frees the converter; later calls throw. */
  close() {
    if (!this.#run) return;
    unclosed.unregister(this);
    if (!fault) this.#run.close();
    this.#run = null;
  }
}
