// ---- The core and window.qorvel ----

function base64Bytes(text) {
  const bin = atob(text.replace(/\s+/g, ''));
  const bytes = new Uint8Array(bin.length);
  for (let i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
  return bytes;
}

const wasmBytes = base64Bytes($('qv-wasm').textContent);

function need() {
  if (!state.core) throw new Error(TEXT.notReady);
  return state.core;
}

// A trap (out of memory) leaves the module's memory in an unknown state:
// the next calls get a fresh instance.
function afterTrap(err) {
  if (!(err instanceof WebAssembly.RuntimeError)) return false;
  state.core = null;
  QvCore.load(state.wasmModule).then((fresh) => { state.core = fresh; });
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
  toBytes: QvCp936.toBytes,
  toText: QvCp936.toText,
};
qorvel.ready = WebAssembly.compile(wasmBytes)
  .then((module) => {
    state.wasmModule = module;
    return QvCore.load(module);
  })
  .then((loaded) => {
    state.core = loaded;
    return qorvel;
  });
window.qorvel = Object.freeze(qorvel);
