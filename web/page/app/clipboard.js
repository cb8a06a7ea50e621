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
