// ---- Copy and save ----

const CRLF = new Uint8Array([0x0D, 0x0A]);

function copyText(text) {
  const byCommand = () => {
    const put = (event) => {
      event.clipboardData.setData('text/plain', text);
      event.preventDefault();
    };
    document.addEventListener('copy', put, true);
    try {
      if (!document.execCommand('copy')) throw new Error('copy refused');
    } finally {
      document.removeEventListener('copy', put, true);
    }
  };
  if (navigator.clipboard && navigator.clipboard.writeText)
    return navigator.clipboard.writeText(text).catch(byCommand);
  return new Promise((resolve) => { byCommand(); resolve(); });
}

function copy(bytes, done) {
  copyText(QvCp936.toText(bytes)).then(() => say(done), (err) => say(TEXT.copyFailed + err));
}

// Velmar's copy: the web-format text and CR LF; the text kept here does not
// grow, so copying twice gives the same text twice.
function copyWeb() {
  const text = new Uint8Array(state.web.length + CRLF.length);
  text.set(state.web);
  text.set(CRLF, state.web.length);
  copy(text, TEXT.copiedWeb);
}

// The text as the view draws it (face and size), as HTML of vertical
// columns: qorvel layout --html, or --html-fragment.
function viewHtml(fragment) {
  return qorvel.html(state.converted, state.lineHeight, {
    size: fontSize() || 7, face: $('face').value.trim() || 'QorvelWebTolvane', fragment,
  });
}

// The HTML for programs that take it, with the web-format text of copyWeb
// for those that take plain text only. The copy event writes both exactly;
// the asynchronous clipboard, when the browser refuses that, writes HTML it
// may clean up.
function copyHtml() {
  let html, text;
  try {
    html = viewHtml(true);
    text = QvCp936.toText(join([state.web, CRLF]));
  } catch (err) {
    return say(TEXT.failed + ' ' + err);
  }
  const put = (event) => {
    event.clipboardData.setData('text/html', html);
    event.clipboardData.setData('text/plain', text);
    event.preventDefault();
  };
  document.addEventListener('copy', put, true);
  let done = false;
  try {
    done = document.execCommand('copy');
  } finally {
    document.removeEventListener('copy', put, true);
  }
  if (done) return say(TEXT.copiedHtml);
  if (!navigator.clipboard || !navigator.clipboard.write || !window.ClipboardItem) return say(TEXT.copyFailed);
  const item = new ClipboardItem({
    'text/html': new Blob([html], { type: 'text/html' }),
    'text/plain': new Blob([text], { type: 'text/plain' }),
  });
  navigator.clipboard.write([item]).then(() => say(TEXT.copiedHtml), (err) => say(TEXT.copyFailed + err));
}

function saveHtml() {
  const name = 'qorvel.html';
  let html;
  try {
    html = viewHtml(false);
  } catch (err) {
    return say(TEXT.failed + ' ' + err);
  }
  save(new Blob([html], { type: 'text/html;charset=utf-8' }), name);
  say(TEXT.saved(name));
}

function save(blob, name) {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(blob);
  link.download = name;
  document.body.appendChild(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(link.href), 60000);
}

function saveText() {
  const name = 'qorvel.txt';
  save(new Blob([state.converted], { type: 'text/plain' }), name);
  say(TEXT.saved(name));
}
