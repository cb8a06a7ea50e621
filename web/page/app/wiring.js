// ---- Wiring ----

function carriesFiles(event) {
  return event.dataTransfer && Array.prototype.indexOf.call(event.dataTransfer.types, 'Files') >= 0;
}

// A file dropped on the view or the paste box opens into the text, as a
// file dropped on Velmar's window does; anywhere else it is converted.
function opensHere(event) {
  const target = event.target;
  return target instanceof Node && ($('view').contains(target) || target === $('source'));
}

function mark(event) {
  const here = opensHere(event);
  $('view').classList.toggle('over', here);
  $('drop').classList.toggle('over', !here);
}

function unmark() {
  $('view').classList.remove('over');
  $('drop').classList.remove('over');
}

say(TEXT.loading);
applyFace();
applySize();
qorvel.ready.then(() => {
  const codes = qorvel.codes();
  fillCodes($('code'), codes, true, QORVEL_TEXT);
  fillCodes($('file-code'), codes, false, DEFAULT_FILE_CODE);
  $('source').addEventListener('input', schedule);
  $('line-height').addEventListener('input', schedule);
  $('code').addEventListener('change', schedule);
  $('keep').addEventListener('change', schedule);
  update();
  document.body.classList.add('ready');
}, () => {
  say(TEXT.noWasm);
});

$('face').addEventListener('input', applyFace);
$('size').addEventListener('input', applySize);
$('copy-web').addEventListener('click', copyWeb);
$('copy-wrapped').addEventListener('click', () => copy(state.wrapped, TEXT.copiedAll));
$('save').addEventListener('click', saveText);
$('copy-html').addEventListener('click', copyHtml);
$('save-html').addEventListener('click', saveHtml);

// The browser's own file buttons speak the browser's language; these
// speak the page's.
$('open').addEventListener('click', () => $('open-file').click());
$('open-file').addEventListener('change', () => {
  openFiles($('open-file').files);
  $('open-file').value = '';
});
$('new').addEventListener('click', newText);
$('print-view').addEventListener('click', () => window.print());
// Ctrl+P and the browser's menu print too: the pages are made for any
// print, and dropped after it.
window.addEventListener('beforeprint', buildPrint);
window.addEventListener('afterprint', dropPrint);

$('choose-files').addEventListener('click', () => $('files').click());
$('files').addEventListener('change', () => {
  addFiles($('files').files);
  $('files').value = '';
});
$('clear-finished').addEventListener('click', clearEnded);
if (typeof window.showDirectoryPicker === 'function') {
  $('folder-row').hidden = false;
  showFolder();
  $('choose-folder').addEventListener('click', chooseFolder);
  $('use-downloads').addEventListener('click', () => {
    state.folder = null;
    showFolder();
  });
}

// A file dropped anywhere on the page is opened or converted; a browser
// would otherwise open it in place of the page.
document.addEventListener('dragover', (event) => {
  if (!carriesFiles(event)) return;
  event.preventDefault();
  event.dataTransfer.dropEffect = 'copy';
  mark(event);
});
document.addEventListener('dragleave', unmark);
document.addEventListener('drop', (event) => {
  unmark();
  if (!carriesFiles(event)) return;
  event.preventDefault();
  if (opensHere(event)) openFiles(event.dataTransfer.files);
  else addFiles(event.dataTransfer.files);
});
