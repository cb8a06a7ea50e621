// The page: window.qorvel, Velmar's text (paste, open, convert, the vertical
// view, copy, save, print), and file conversion in a worker, into downloads
// or straight into a folder. Everything runs here, offline; the page loads
// nothing and sends nothing.
//
// The files of app/ are joined into one function by assemble.cjs, in the
// order it lists them: each sees the others' functions and constants, and
// everything the page changes as it runs is in `state` below.

function $(id) { return document.getElementById(id); }
function noop() {}

const EMPTY = new Uint8Array(0);

function join(parts) {
  if (parts.length === 1) return parts[0];
  let size = 0;
  for (const p of parts) size += p.length;
  const out = new Uint8Array(size);
  let at = 0;
  for (const p of parts) {
    out.set(p, at);
    at += p.length;
  }
  return out;
}

const state = {
  // The core (qorvel.js): the compiled module once its first instance is
  // in, and the instance the page calls, null until then and while a fresh
  // one loads after a trap; `reloading` is that load while it runs.
  wasmModule: null,
  core: null,
  reloading: null,

  // Velmar's text (view.js): `opened`, the bytes the files gave, followed
  // by the paste box's text; what that makes with the chosen code and the
  // two layouts of it; whether an update is due.
  opened: EMPTY,
  converted: EMPTY,
  wrapped: EMPTY,
  web: EMPTY,
  pending: false,
  // How the columns are drawn: the face (a CSS family list), the font's
  // height and the spacing of the columns, in CSS pixels.
  look: { family: '', font: 17, spacing: 21 },
  // The line height the text was last laid out at.
  lineHeight: 500,
  // Files open one after another (open.js): the last one's turn.
  opening: Promise.resolve(),

  // File conversion (jobs.js): the worker, started with the first file;
  // every job in the list by its id, until the user removes it; where
  // converted files go where the browser can write into a folder, null for
  // downloads.
  worker: null,
  jobs: new Map(),
  nextJob: 1,
  folder: null,
};
