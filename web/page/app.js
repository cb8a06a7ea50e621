// The page: window.qorvel, paste and convert with the vertical view, copy and
// save, and file conversion in a worker. Everything runs here, offline; the
// page loads nothing and sends nothing.
(function () {
  'use strict';

  function $(id) { return document.getElementById(id); }

  var QORVEL_TEXT = '';  // the paste code "Qorvel text as it is", not a converter
  var CRLF = new Uint8Array([0x0D, 0x0A]);

  // What the desktop programs call each code; a code added to the registry
  // later shows with its registry description until it gets a name here.
  var CODE_LABELS = {
    '': '粘贴Qorvel蒙文文本内容',
    'mengkeli-paste': '粘贴蒙科立蒙文文本内容',
    'mingantu': '粘贴明安途蒙文文本',
    'wordfont': '粘贴蒙文WORD文本',
    'mengkeli': '蒙科立蒙文代码转换为Qorvel蒙文2006代码',
    'hasi': '哈斯代码转换为Qorvel蒙文2006国际代码',
  };
  var DEFAULT_FILE_CODE = 'mengkeli';

  var TEXT = {
    loading: '正在载入...',
    noWasm: '这个浏览器不能运行WebAssembly，无法转换。请使用新版的浏览器。',
    notReady: 'window.qorvel is not ready: wait for qorvel.ready',
    badLineHeight: '请输入一个整数。',
    converted: function (bytes, columns) { return '转换结果 ' + bytes + ' 字节，共 ' + columns + ' 列。'; },
    failed: '转换失败：内存不足或内部错误。',
    copiedWeb: '已复制成蒙文网页格式。',
    copiedAll: '已复制所有内容。',
    copyFailed: '无法写入剪贴板：',
    saved: function (name) { return '已保存 ' + name + '。'; },
    faceMissing: function (face) {
      return '字体“' + face + '”没有安装，或者没有Qorvel蒙文字形：蒙文显示不正确。请先安装这个字体，或者在“字体”里填写已安装的Qorvel字体。';
    },
    waiting: '准备转换...',
    converting: '正在转换...',
    saving: '正在保存...',
    finished: '转换结束',
    endedAtNul: function (offset) {
      return '转换结束：第 ' + offset + ' 字节是NUL字节，文本到那里结束，后面的内容没有转换。';
    },
    readError: '读文件错误：无法读取这个文件，转换没有完成。',
    convertError: '转换失败：内存不足或内部错误，转换没有完成。',
    download: function (name) { return '下载 ' + name; },
  };

  // ---- The core and window.qorvel ----

  function base64Bytes(text) {
    var bin = atob(text.replace(/\s+/g, ''));
    var bytes = new Uint8Array(bin.length);
    for (var i = 0; i < bin.length; i++) bytes[i] = bin.charCodeAt(i);
    return bytes;
  }

  var wasmBytes = base64Bytes($('qv-wasm').textContent);
  var wasmModule = null;
  var core = null;

  function need() {
    if (!core) throw new Error(TEXT.notReady);
    return core;
  }
  // A trap (out of memory) leaves the module's memory in an unknown state:
  // the next calls get a fresh instance.
  function guarded(call) {
    var c = need();
    try {
      return call(c);
    } catch (err) {
      if (err instanceof WebAssembly.RuntimeError) {
        core = null;
        QvCore.load(wasmModule).then(function (fresh) { core = fresh; });
      }
      throw err;
    }
  }

  var qorvel = {
    codes: function () { return need().codes(); },
    convert: function (name, bytes) { return guarded(function (c) { return c.convert(name, bytes); }); },
    layout: function (bytes, lineHeight, wrapped) {
      return guarded(function (c) { return c.layout(bytes, lineHeight, wrapped); });
    },
    toBytes: QvCp936.toBytes,
    toText: QvCp936.toText,
  };
  qorvel.ready = WebAssembly.compile(wasmBytes)
    .then(function (module) {
      wasmModule = module;
      return QvCore.load(module);
    })
    .then(function (loaded) {
      core = loaded;
      return qorvel;
    });
  window.qorvel = Object.freeze(qorvel);

  // ---- Paste and convert, the vertical view ----

  var state = { converted: new Uint8Array(0), wrapped: new Uint8Array(0), web: new Uint8Array(0) };
  var pending = false;

  function say(text) { $('status').textContent = text; }

  function fillCodes(select, codes, withQorvelText, chosen) {
    var all = (withQorvelText ? [{ name: QORVEL_TEXT, description: 'Qorvel text as it is' }] : []).concat(codes);
    all.forEach(function (code) {
      var option = document.createElement('option');
      option.value = code.name;
      option.textContent = CODE_LABELS[code.name] || code.description;
      option.title = code.description;
      if (code.name === chosen) option.selected = true;
      select.appendChild(option);
    });
  }

  // The line height as Velmar's dialog takes it: a whole number; null if not.
  function lineHeight() {
    var text = $('line-height').value.trim();
    if (!/^[-+]?\d+$/.test(text)) return null;
    var value = Number(text);
    return value >= -2147483648 && value <= 4294967295 ? value : null;
  }

  function count(bytes, byte) {
    var n = 0;
    for (var i = 0; i < bytes.length; i++) if (bytes[i] === byte) n++;
    return n;
  }

  function update() {
    pending = false;
    if (!core) return;
    var height = lineHeight();
    $('line-height').setAttribute('aria-invalid', height === null ? 'true' : 'false');
    if (height === null) return say(TEXT.badLineHeight);
    // The paste box holds the text with LF line ends; the clipboard of the
    // desktop hands the converters CR LF.
    var bytes = QvCp936.toBytes($('source').value.replace(/\r?\n/g, '\r\n'));
    var code = $('code').value;
    try {
      if (code === QORVEL_TEXT) {
        var nul = bytes.indexOf(0);  // the clipboard text ends at its first NUL
        state.converted = nul < 0 ? bytes : bytes.slice(0, nul);
      } else {
        state.converted = qorvel.convert(code, bytes);
      }
      state.wrapped = qorvel.layout(state.converted, height, true);
      state.web = qorvel.layout(state.converted, height, false);
    } catch (err) {
      return say(TEXT.failed + ' ' + err);
    }
    // Each line of the wrapped text is one column; the text ends in CR LF.
    $('columns').textContent = QvCp936.toText(state.wrapped).replace(/\r\n/g, '\n');
    say(TEXT.converted(state.converted.length, count(state.wrapped, 0x0D)));
  }

  function schedule() {
    if (pending) return;
    pending = true;
    setTimeout(update, 0);
  }

  function cssFamily(face) { return '"' + face.replace(/["\\]/g, '\\$&') + '"'; }

  // Whether the face draws the Qorvel glyphs: text of the user-defined area
  // measures the same with the face as without it when the face is missing
  // or has no such glyphs.
  function faceDrawsQorvel(face) {
    if (!face) return false;
    var context = document.createElement('canvas').getContext('2d');
    var probe = '\uE235\uE236\uE24A\uE260\uE280\uE2A0';
    return ['monospace', 'serif'].some(function (fallback) {
      context.font = '40px ' + fallback;
      var without = context.measureText(probe).width;
      context.font = '40px ' + cssFamily(face) + ', ' + fallback;
      return context.measureText(probe).width !== without;
    });
  }

  function applyFace() {
    var face = $('face').value.trim();
    $('columns').style.fontFamily = face ? cssFamily(face) : '';
    var note = $('font-note');
    var missing = !faceDrawsQorvel(face);
    note.hidden = !missing;
    note.textContent = missing ? TEXT.faceMissing(face) : '';
  }

  // ---- Copy and save ----

  function copyText(text) {
    function byCommand() {
      var put = function (event) {
        event.clipboardData.setData('text/plain', text);
        event.preventDefault();
      };
      document.addEventListener('copy', put, true);
      try {
        if (!document.execCommand('copy')) throw new Error('copy refused');
      } finally {
        document.removeEventListener('copy', put, true);
      }
    }
    if (navigator.clipboard && navigator.clipboard.writeText)
      return navigator.clipboard.writeText(text).catch(byCommand);
    return new Promise(function (resolve) { byCommand(); resolve(); });
  }

  function copy(bytes, done) {
    copyText(QvCp936.toText(bytes)).then(
      function () { say(done); },
      function (err) { say(TEXT.copyFailed + err); });
  }

  function save(blob, name) {
    var link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function () { URL.revokeObjectURL(link.href); }, 60000);
  }

  // ---- Files, in the worker ----

  var worker = null;
  var jobs = {};
  var nextJob = 1;

  function startWorker() {
    var source = $('qv-core').textContent + '\n' + $('qv-worker').textContent;
    worker = new Worker(URL.createObjectURL(new Blob([source], { type: 'text/javascript' })));
    worker.postMessage({ type: 'init', wasm: wasmBytes });
    worker.onmessage = function (event) { onJobMessage(event.data); };
  }

  // Orlenta's default output name: "_qv.txt" in place of the extension.
  function outputName(name) {
    var dot = name.lastIndexOf('.');
    return (dot > 0 ? name.slice(0, dot) : name) + '_qv.txt';
  }

  function addFiles(files) {
    if (!files || !files.length) return;
    if (!worker) startWorker();
    var code = $('file-code').value;
    Array.prototype.forEach.call(files, function (file) {
      var id = nextJob++;
      var item = document.createElement('li');
      var name = document.createElement('span');
      name.className = 'name';
      name.textContent = file.name;
      var bar = document.createElement('progress');
      bar.max = Math.max(file.size, 1);
      bar.value = 0;
      bar.setAttribute('aria-label', file.name);
      var status = document.createElement('span');
      status.className = 'state';
      status.textContent = TEXT.waiting;
      item.append(name, ' ', bar, ' ', status);
      $('jobs').appendChild(item);
      jobs[id] = { item: item, bar: bar, status: status, name: file.name };
      worker.postMessage({ type: 'convert', id: id, file: file, code: code });
    });
  }

  function onJobMessage(m) {
    var job = jobs[m.id];
    if (!job) return;
    if (m.type === 'progress') {
      job.bar.value = m.done;
      job.status.textContent = TEXT.converting;
      return;
    }
    if (m.type === 'saving') {
      job.bar.value = job.bar.max;
      job.status.textContent = TEXT.saving;
      return;
    }
    delete jobs[m.id];
    if (m.type === 'error') {
      job.bar.value = 0;
      job.item.classList.add('failed');
      job.status.textContent = m.reason === 'read' ? TEXT.readError : TEXT.convertError;
      return;
    }
    job.bar.value = job.bar.max;
    job.item.classList.add('done');
    job.status.textContent = m.endedAtNul ? TEXT.endedAtNul(m.consumed - 1) : TEXT.finished;
    var link = document.createElement('a');
    var name = outputName(job.name);
    link.href = URL.createObjectURL(m.blob);
    link.download = name;
    link.textContent = TEXT.download(name);
    job.item.append(' ', link);
  }

  function carriesFiles(event) {
    return event.dataTransfer && Array.prototype.indexOf.call(event.dataTransfer.types, 'Files') >= 0;
  }

  // ---- Wiring ----

  say(TEXT.loading);
  applyFace();
  qorvel.ready.then(function () {
    var codes = qorvel.codes();
    fillCodes($('code'), codes, true, QORVEL_TEXT);
    fillCodes($('file-code'), codes, false, DEFAULT_FILE_CODE);
    $('source').addEventListener('input', schedule);
    $('line-height').addEventListener('input', schedule);
    $('code').addEventListener('change', schedule);
    update();
    document.body.classList.add('ready');
  }, function () {
    say(TEXT.noWasm);
  });

  $('face').addEventListener('input', applyFace);
  $('copy-web').addEventListener('click', function () {
    // Velmar's copy: the web-format text and CR LF; the text kept here does
    // not grow, so copying twice gives the same text twice.
    var text = new Uint8Array(state.web.length + CRLF.length);
    text.set(state.web);
    text.set(CRLF, state.web.length);
    copy(text, TEXT.copiedWeb);
  });
  $('copy-wrapped').addEventListener('click', function () { copy(state.wrapped, TEXT.copiedAll); });
  $('save').addEventListener('click', function () {
    var name = 'qorvel.txt';
    save(new Blob([state.converted], { type: 'text/plain' }), name);
    say(TEXT.saved(name));
  });

  // The browser's own file button speaks the browser's language; this one
  // speaks the page's.
  $('choose-files').addEventListener('click', function () { $('files').click(); });
  $('files').addEventListener('change', function () {
    addFiles($('files').files);
    $('files').value = '';
  });
  // A file dropped anywhere on the page is converted; a browser would
  // otherwise open it in place of the page.
  document.addEventListener('dragover', function (event) {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    $('drop').classList.add('over');
  });
  document.addEventListener('dragleave', function () { $('drop').classList.remove('over'); });
  document.addEventListener('drop', function (event) {
    $('drop').classList.remove('over');
    if (!carriesFiles(event)) return;
    event.preventDefault();
    addFiles(event.dataTransfer.files);
  });
})();
