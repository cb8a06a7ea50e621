// ---- The text and the vertical view ----

// Velmar's source text is code page 936 bytes, and a file opened into it
// must stay byte for byte what it was, which text in a text box does not
// (a lone CR or LF, a lead byte without its trail byte). So the text is
// `state.opened`, bytes as the files gave them, followed by the paste box's
// text converted with the chosen code. Opening a file takes the box's text
// into `opened` first and empties the box: what is opened follows what was
// pasted before it, and what is pasted after it follows it.

function say(text) { $('status').textContent = text; }

function fillCodes(select, codes, withQorvelText, chosen) {
  const all = (withQorvelText ? [{ name: QORVEL_TEXT, description: 'Qorvel text as it is' }] : []).concat(codes);
  for (const code of all) {
    const option = document.createElement('option');
    option.value = code.name;
    option.textContent = CODE_LABELS[code.name] || code.description;
    option.title = code.description;
    if (code.name === chosen) option.selected = true;
    select.appendChild(option);
  }
}

// The line height as Velmar's dialog takes it: a whole number; null if not.
function lineHeight() {
  const text = $('line-height').value.trim();
  if (!/^[-+]?\d+$/.test(text)) return null;
  const value = Number(text);
  return value >= -2147483648 && value <= 4294967295 ? value : null;
}

function count(bytes, byte) {
  let n = 0;
  for (let i = 0; i < bytes.length; i++) if (bytes[i] === byte) n++;
  return n;
}

// The paste box's text as the chosen code makes it Qorvel text, and what
// that lost (lossNotes), offsets counted in the box's bytes.
function convertBox(code) {
  const text = $('source').value;
  if (!text) return { bytes: EMPTY, dropped: 0, offsets: [], endedAt: null };
  // The paste box holds the text with LF line ends; the clipboard of the
  // desktop hands the converters CR LF.
  const bytes = QvCp936.toBytes(text.replace(/\r?\n/g, '\r\n'));
  let result;
  if (code !== QORVEL_TEXT) {
    result = convertNoting(code, bytes, $('keep').checked);
  } else {
    const nul = bytes.indexOf(0);  // the clipboard text ends at its first NUL
    result = { bytes: nul < 0 ? bytes : bytes.slice(0, nul), dropped: 0, offsets: [], endedAt: nul < 0 ? null : nul };
  }
  // NULs alone after the one that ended the text lose nothing.
  if (result.endedAt !== null && bytes.subarray(result.endedAt + 1).every((b) => b === 0)) result.endedAt = null;
  if (result.endedAt !== null) result.after = bytes.length - result.endedAt - 1;
  return result;
}

function showLoss(notes) {
  $('loss-note').hidden = !notes.length;
  $('loss-note').textContent = notes.length ? TEXT.pasteLost + notes.join('\n') : '';
}

function update(note) {
  state.pending = false;
  if (!state.core) {
    // Nothing to show before the first load; after a trap, the text is laid
    // out again once a fresh instance is in.
    if (state.wasmModule) haveCore().then((ok) => { if (ok) schedule(); });
    return;
  }
  const height = lineHeight();
  $('line-height').setAttribute('aria-invalid', height === null ? 'true' : 'false');
  if (height === null) return say(TEXT.badLineHeight);
  let notes;
  try {
    const converted = convertBox($('code').value);
    const box = converted.bytes;
    notes = lossNotes(converted);
    state.converted = !state.opened.length ? box : !box.length ? state.opened : join([state.opened, box]);
    state.wrapped = qorvel.layout(state.converted, height, true);
    state.web = qorvel.layout(state.converted, height, false);
    state.lineHeight = height;
  } catch (err) {
    showLoss([]);
    return say(TEXT.failed + ' ' + err);
  }
  showLoss(notes);
  // Each line of the wrapped text is one column; the text ends in CR LF.
  $('columns').textContent = QvCp936.toText(state.wrapped).replace(/\r\n/g, '\n');
  $('opened-note').hidden = !state.opened.length;
  $('opened-note').textContent = state.opened.length ? TEXT.openedBefore(state.opened.length) : '';
  say((note ? note + ' ' : '') + TEXT.converted(state.converted.length, count(state.wrapped, 0x0D)));
}

function schedule() {
  if (state.pending) return;
  state.pending = true;
  setTimeout(update, 0);
}

function cssFamily(face) { return '"' + face.replace(/["\\]/g, '\\$&') + '"'; }

// Whether the face draws the Qorvel glyphs: text of the user-defined area
// measures the same with the face as without it when the face is missing
// or has no such glyphs.
function faceDrawsQorvel(face) {
  if (!face) return false;
  const context = document.createElement('canvas').getContext('2d');
  const probe = '\uE235\uE236\uE24A\uE260\uE280\uE2A0';
  return ['monospace', 'serif'].some((fallback) => {
    context.font = '40px ' + fallback;
    const without = context.measureText(probe).width;
    context.font = '40px ' + cssFamily(face) + ', ' + fallback;
    return context.measureText(probe).width !== without;
  });
}

function styleColumns(element) {
  element.style.fontFamily = state.look.family;
  element.style.fontSize = state.look.font + 'px';
  element.style.lineHeight = state.look.spacing + 'px';
}

function applyFace() {
  const face = $('face').value.trim();
  state.look.family = face ? cssFamily(face) : '';
  styleColumns($('columns'));
  const note = $('font-note');
  const missing = !faceDrawsQorvel(face);
  note.hidden = !missing;
  note.textContent = missing ? TEXT.faceMissing(face) : '';
}

// The size in points as Velmar's font dialog leaves it: whole points (the
// dialog's 10.5 is 10); null if not a size.
function fontSize() {
  const text = $('size').value.trim();
  if (!/^\d+(\.\d*)?$/.test(text)) return null;
  const value = Math.floor(Number(text));
  return value >= 1 && value <= 1000 ? value : null;
}

// Velmar's view makes its font 2.5 times the size high and puts the
// columns 3 times the size apart; the wrap does not depend on the size.
function applySize() {
  const size = fontSize();
  $('size').setAttribute('aria-invalid', size === null ? 'true' : 'false');
  if (size === null) return say(TEXT.badSize);
  state.look.font = Math.floor(size * 2.5);
  state.look.spacing = 3 * size;
  styleColumns($('columns'));
}
