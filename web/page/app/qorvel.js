// ---- The core and window.qorvel ----

function base64Bytes(text) {
  const bin = atob(text.replace(/\s+/g, ''));
  const bytes = new Uint8Array(bin.length);
  for (let i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
  return bytes;
}

const wasmBytes = base64Bytes($('qv-wasm').textContent);

// A fresh instance of the module. One that fails to load (the browser out of
// memory) leaves the page without a core, says so, and the next call that
// needs the core tries again. Resolves either way, once it is over.
function reload() {
  if (!state.reloading) {
    state.core = null;
    state.reloading = QvCore.load(state.wasmModule)
      .then((fresh) => { state.core = fresh; }, (err) => { say(TEXT.reloadFailed(err)); })
      .finally(() => { state.reloading = null; });
  }
  return state.reloading;
}

// Whether the core is there, once a fresh instance that is loading, or one
// that failed to load before and is tried again, is in.
async function haveCore() {
  if (!state.core && state.wasmModule) await reload();
  return state.core !== null;
}

function need() {
  if (state.core) return state.core;
  if (state.wasmModule) reload();
  throw new Error(TEXT.notReady);
}

// A trap (out of memory) leaves the module's memory in an unknown state:
// the next calls get a fresh instance.
function afterTrap(err) {
  if (!(err instanceof WebAssembly.RuntimeError)) return false;
  reload();
  return true;
}

function guarded(call) {
  const c = need();
  try {
    return call(c);
  } catch (err) {
    afterTrap(err);
    throw err;
  }
}

const qorvel = {
  codes: () => need().codes(),
  convert: (name, bytes) => guarded((c) => c.convert(name, bytes)),
  layout: (bytes, lineHeight, wrapped) => guarded((c) => c.layout(bytes, lineHeight, wrapped)),
  html: (bytes, lineHeight, options) => guarded((c) => c.html(bytes, lineHeight, options)),
  toBytes: QvCp936.toBytes,
  toText: QvCp936.toText,
};
// The page's own conversions, which say what they lost (core.js
// convertNoting); window.qorvel.convert gives the bytes alone.
function convertNoting(name, bytes, keep) {
  return guarded((c) => c.convertNoting(name, bytes, { keep }));
}

// The module is kept only once its first instance is in: until then there
// is nothing to reload.
qorvel.ready = WebAssembly.compile(wasmBytes)
  .then((module) => QvCore.load(module).then((loaded) => {
    state.wasmModule = module;
    state.core = loaded;
    return qorvel;
  }));
window.qorvel = Object.freeze(qorvel);
