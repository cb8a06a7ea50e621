// ---- Opening files into the text ----

class OpenError extends Error {}

// The first 0x00 or 0xFF byte in `bytes`, or -1.
function textEnd(bytes) {
  const nul = bytes.indexOf(0), ff = bytes.indexOf(0xFF);
  return nul < 0 ? ff : ff < 0 ? nul : Math.min(nul, ff);
}

// A file's text as Velmar's Open reads it: its bytes up to the first 0x00
// or 0xFF byte, the rest not read. Through a converting code the file is
// converted as a paste of that code is, and the conversion decides where
// the text ends. `end` is the offset of the byte that ended it, or -1;
// `byte` that byte.
async function readText(file, code) {
  const parts = [];
  const sink = (view) => { parts.push(view.slice()); };
  let taken = 0, end = -1, byte = 0, run = null, reader;
  try {
    reader = file.stream().getReader();
  } catch (err) {
    throw new OpenError();
  }
  try {
    if (code !== QORVEL_TEXT) run = need().open(code, { keep: $('keep').checked });
    for (;;) {
      let chunk;
      try {
        chunk = await reader.read();
      } catch (err) {
        throw new OpenError();
      }
      if (chunk.done) break;
      const bytes = chunk.value;
      if (!run) {
        const stop = textEnd(bytes);
        parts.push(stop < 0 ? bytes : bytes.subarray(0, stop));
        if (stop >= 0) {
          end = taken + stop;
          byte = bytes[stop];
          break;
        }
        taken += bytes.length;
        continue;
      }
      let more = true;
      for (let at = 0; more && at < bytes.length; at += QvCore.SLICE)
        more = run.feed(bytes.subarray(at, at + QvCore.SLICE), sink);
      if (!more) {
        end = run.consumed() - 1;
        break;
      }
    }
    if (end >= 0) reader.cancel().catch(noop);
    if (run) run.finish(sink);
    return { bytes: join(parts), end, byte };
  } catch (err) {
    reader.cancel().catch(noop);
    if (afterTrap(err)) run = null;
    throw err;
  } finally {
    if (run) run.close();
  }
}

// Files open one after another, in the order given, as Velmar opens
// several files dropped on it.
function openFiles(files) {
  for (const file of files) state.opening = state.opening.then(() => openFile(file));
  return state.opening;
}

async function openFile(file) {
  if (!state.wasmModule) return say(TEXT.loading);
  if (!(await haveCore())) return;  // the status says why
  let text;
  try {
    text = await readText(file, $('code').value);
    state.opened = join([state.opened, convertBox($('code').value).bytes, text.bytes]);
  } catch (err) {
    return say(err instanceof OpenError ? TEXT.openError(file.name) : TEXT.failed + ' ' + err);
  }
  $('source').value = '';
  update(text.end < 0 ? TEXT.opened(file.name, text.bytes.length)
    : TEXT.openedTo(file.name, text.bytes.length, text.end, text.byte ? '0xFF字节' : 'NUL字节'));
}

function newText() {
  state.opened = EMPTY;
  $('source').value = '';
  update();
}
