// ---- Files, in the worker, and the list of jobs ----

function startWorker() {
  const source = $('qv-core').textContent + '\n' + $('qv-worker').textContent;
  state.worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
  state.worker.postMessage({ type: 'init', wasm: wasmBytes });
  state.worker.onmessage = (event) => onJobMessage(event.data);
}

// Orlenta's default output name: "_qv.txt" in place of the extension.
function outputName(name) {
  const dot = name.lastIndexOf('.');
  return (dot > 0 ? name.slice(0, dot) : name) + '_qv.txt';
}

function showFolder() {
  $('folder-state').textContent = state.folder ? TEXT.toFolder(state.folder.name) : TEXT.toDownloads;
  $('use-downloads').hidden = !state.folder;
}

function chooseFolder() {
  window.showDirectoryPicker({ id: 'qorvel-output', mode: 'readwrite' }).then((handle) => {
    state.folder = handle;
    showFolder();
  }, (err) => {
    if (err && err.name === 'AbortError') return;  // the user changed their mind
    $('folder-state').textContent = TEXT.folderError((err && err.message) || err);
  });
}

function button(text, className, label) {
  const b = document.createElement('button');
  b.type = 'button';
  b.className = className;
  b.textContent = text;
  b.setAttribute('aria-label', label);
  return b;
}

// A job and its item in the list: the name, the progress, the state and the
// cancel button while it runs. `url` is its download's object URL once it
// has one: the converted bytes stay in memory until it is revoked.
function newJob(file, output) {
  const job = {
    id: state.nextJob++, name: file.name, output, folder: state.folder, keep: $('keep').checked,
    ended: false, url: null,
    item: document.createElement('li'),
    bar: document.createElement('progress'),
    status: document.createElement('span'),
    cancel: button(TEXT.cancel, 'cancel', TEXT.cancelLabel(file.name)),
  };
  const name = document.createElement('span');
  name.className = 'name';
  name.textContent = file.name;
  job.bar.max = Math.max(file.size, 1);
  job.bar.value = 0;
  job.bar.setAttribute('aria-label', file.name);
  job.status.className = 'state';
  job.status.textContent = TEXT.waiting;
  job.cancel.addEventListener('click', () => {
    job.cancel.disabled = true;
    state.worker.postMessage({ type: 'cancel', id: job.id });
  });
  job.item.append(name, ' ', job.bar, ' ', job.status, ' ', job.cancel);
  return job;
}

function addFiles(files) {
  if (!files || !files.length) return;
  if (!state.worker) startWorker();
  const code = $('file-code').value;
  for (const file of files) {
    const job = newJob(file, outputName(file.name));
    $('jobs').appendChild(job.item);
    state.jobs.set(job.id, job);
    state.worker.postMessage({ type: 'convert', id: job.id, file, code, keep: job.keep, folder: job.folder,
      name: job.output });
  }
}

function onJobMessage(m) {
  const job = state.jobs.get(m.id);
  if (!job || job.ended) return;
  if (m.type === 'progress') {
    job.bar.value = m.done;
    job.status.textContent = TEXT.converting;
    return;
  }
  if (m.type === 'saving') {
    job.bar.value = job.bar.max;
    job.status.textContent = job.folder ? TEXT.writing : TEXT.saving;
    job.cancel.remove();  // the input is done; what is left is to keep it
    return;
  }
  endJob(job, m);
}

// The job's last message: what became of it, its download, and the button
// that takes it off the list. The item is a row of inline parts, so a
// further line about the job is a block element appended to job.item.
function endJob(job, m) {
  job.ended = true;
  job.cancel.remove();
  const left = m.left ? ' ' + TEXT.left[m.left](job.output) : '';
  if (m.type === 'cancelled') {
    job.bar.value = 0;
    job.item.classList.add('cancelled');
    job.status.textContent = TEXT.cancelled + left;
  } else if (m.type === 'error') {
    job.bar.value = 0;
    job.item.classList.add('failed');
    job.status.textContent = (m.reason === 'read' ? TEXT.readError
      : m.reason === 'write' ? TEXT.writeError(TEXT.writeFailures[m.detail] || m.detail)
      : TEXT.convertError) + left;
  } else {
    job.bar.value = job.bar.max;
    job.item.classList.add('done');
    job.status.textContent = job.keep ? TEXT.finishedKeeping : TEXT.finished;
    if (job.folder) {
      job.status.textContent += ' ' + TEXT.written(job.folder.name, job.output);
    } else {
      job.url = URL.createObjectURL(m.blob);
      const link = document.createElement('a');
      link.href = job.url;
      link.download = job.output;
      link.textContent = TEXT.download(job.output);
      job.item.append(' ', link);
    }
  }
  const remove = button(TEXT.remove, 'remove', TEXT.removeLabel(job.name));
  remove.addEventListener('click', () => removeJob(job));
  job.item.append(' ', remove);
  if (m.type === 'done') {
    const notes = lossNotes(m.loss);
    if (notes.length) {
      const loss = document.createElement('div');
      loss.className = 'loss';
      loss.textContent = notes.join('\n');
      job.item.append(loss);
    }
  }
  showClear();
}

// Takes an ended job off the list and lets its converted bytes go. The
// keyboard's focus, if it was on the job, moves to the job now in its place.
function removeJob(job) {
  if (job.url) URL.revokeObjectURL(job.url);
  job.url = null;
  const focused = job.item.contains(document.activeElement);
  const next = job.item.nextElementSibling || job.item.previousElementSibling;
  job.item.remove();
  state.jobs.delete(job.id);
  showClear();
  if (focused) ((next && next.querySelector('button')) || $('choose-files')).focus();
}

function clearEnded() {
  for (const job of state.jobs.values()) if (job.ended) removeJob(job);
}

// "Clear finished" is there while a job has ended.
function showClear() {
  const clear = $('clear-finished');
  const none = ![...state.jobs.values()].some((job) => job.ended);
  if (none && document.activeElement === clear) $('choose-files').focus();
  clear.hidden = none;
}
