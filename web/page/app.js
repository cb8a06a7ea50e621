// The page: window.qorvel, Velmar's text (paste, open, convert, the vertical
// view, copy, save, print), and file conversion in a worker, into downloads
// or straight into a folder. Everything runs here, offline; the page loads
// nothing and sends nothing.
(function () {
  'use strict';

  function $(id) { return document.getElementById(id); }

  var QORVEL_TEXT = '';  // the paste code "Qorvel text as it is", not a converter
  var CRLF = new Uint8Array([0x0D, 0x0A]);
  var EMPTY = new Uint8Array(0);

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
    badSize: '字号请输入1到1000之间的数。',
    converted: function (bytes, columns) { return '转换结果 ' + bytes + ' 字节，共 ' + columns + ' 列。'; },
    failed: '转换失败：内存不足或内部错误。',
    opened: function (name, bytes) { return '已打开“' + name + '”，读入 ' + bytes + ' 字节。'; },
    openedTo: function (name, bytes, offset, byte) {
      return '已打开“' + name + '”，读入 ' + bytes + ' 字节：第 ' + offset + ' 字节是' + byte +
        '，文本到那里结束，后面的内容没有读入。';
    },
    openError: function (name) { return '打开文件错误：无法读取“' + name + '”，文本没有改变。'; },
    openedBefore: function (bytes) {
      return '前面还有打开的文本 ' + bytes + ' 字节；在这里粘贴的文本接在它后面。';
    },
    copiedWeb: '已复制成蒙文网页格式。',
    copiedAll: '已复制所有内容。',
    copyFailed: '无法写入剪贴板：',
    saved: function (name) { return '已保存 ' + name + '。'; },
    faceMissing: function (face) {
      return '字体“' + face + '”没有安装，或者没有Qorvel蒙文字形：蒙文显示不正确。请先安装这个字体，或者在“字体”里填写已安装的Qorvel字体。';
    },
    toDownloads: '转换结果下载到浏览器的下载文件夹。',
    toFolder: function (name) { return '转换结果直接写入文件夹“' + name + '”，文件多大都不占内存。'; },
    folderError: function (err) { return '无法使用这个文件夹：' + err; },
    waiting: '准备转换...',
    converting: '正在转换...',
    saving: '正在保存...',
    writing: '正在完成写入...',
    finished: '转换结束',
    endedAtNul: function (offset) {
      return '转换结束：第 ' + offset + ' 字节是NUL字节，文本到那里结束，后面的内容没有转换。';
    },
    written: function (folder, name) { return '已写入“' + folder + '/' + name + '”。'; },
    readError: '读文件错误：无法读取这个文件，转换没有完成。',
    convertError: '转换失败：内存不足或内部错误，转换没有完成。',
    writeError: function (why) { return '写入失败（' + why + '）：文件没有写完。'; },
    // Why a write failed, by the name of the browser's error.
    writeFailures: {
      QuotaExceededError: '磁盘空间不足',
      NotAllowedError: '没有写入这个文件夹的权限',
      NoModificationAllowedError: '文件正在被别的程序使用',
      NotFoundError: '文件夹已经不在了',
      TypeMismatchError: '已经有同名的文件夹',
    },
    cancelled: '已取消，转换没有完成。',
    left: {
      removed: function (name) { return '没有留下“' + name + '”。'; },
      unchanged: function (name) { return '原来的“' + name + '”没有改变。'; },
      partial: function (name) { return '“' + name + '”没有写完，请删除这个文件。'; },
    },
    cancel: '取消',
    cancelLabel: function (name) { return '取消 ' + name; },
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
  function afterTrap(err) {
    if (!(err instanceof WebAssembly.RuntimeError)) return false;
    core = null;
    QvCore.load(wasmModule).then(function (fresh) { core = fresh; });
    return true;
  }
  function guarded(call) {
    var c = need();
    try {
      return call(c);
    } catch (err) {
      afterTrap(err);
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

  // ---- The text and the vertical view ----

  // Velmar's source text is code page 936 bytes, and a file opened into it
  // must stay byte for byte what it was, which text in a text box does not
  // (a lone CR or LF, a lead byte without its trail byte). So the text is
  // `opened`, bytes as the files gave them, followed by the paste box's text
  // converted with the chosen code. Opening a file takes the box's text
  // into `opened` first and empties the box: what is opened follows what
  // was pasted before it, and what is pasted after it follows it.
  var opened = EMPTY;
  var state = { converted: EMPTY, wrapped: EMPTY, web: EMPTY };
  var pending = false;

  function say(text) { $('status').textContent = text; }

  function join(parts) {
    var size = 0;
    parts.forEach(function (p) { size += p.length; });
    if (parts.length === 1) return parts[0];
    var out = new Uint8Array(size);
    for (var i = 0, at = 0; i < parts.length; at += parts[i].length, i++) out.set(parts[i], at);
    return out;
  }

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

  // The paste box's text as the chosen code makes it Qorvel text.
  function convertBox(code) {
    var text = $('source').value;
    if (!text) return EMPTY;
    // The paste box holds the text with LF line ends; the clipboard of the
    // desktop hands the converters CR LF.
    var bytes = QvCp936.toBytes(text.replace(/\r?\n/g, '\r\n'));
    if (code !== QORVEL_TEXT) return qorvel.convert(code, bytes);
    var nul = bytes.indexOf(0);  // the clipboard text ends at its first NUL
    return nul < 0 ? bytes : bytes.slice(0, nul);
  }

  function update(note) {
    pending = false;
    if (!core) return;
    var height = lineHeight();
    $('line-height').setAttribute('aria-invalid', height === null ? 'true' : 'false');
    if (height === null) return say(TEXT.badLineHeight);
    try {
      var box = convertBox($('code').value);
      state.converted = !opened.length ? box : !box.length ? opened : join([opened, box]);
      state.wrapped = qorvel.layout(state.converted, height, true);
      state.web = qorvel.layout(state.converted, height, false);
    } catch (err) {
      return say(TEXT.failed + ' ' + err);
    }
    // Each line of the wrapped text is one column; the text ends in CR LF.
    $('columns').textContent = QvCp936.toText(state.wrapped).replace(/\r\n/g, '\n');
    $('opened-note').hidden = !opened.length;
    $('opened-note').textContent = opened.length ? TEXT.openedBefore(opened.length) : '';
    say((note ? note + ' ' : '') + TEXT.converted(state.converted.length, count(state.wrapped, 0x0D)));
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

  // How the columns are drawn: the face, the font's height and the spacing
  // of the columns, in CSS pixels.
  var look = { family: cssFamily('QorvelWebTolvane'), font: 17, spacing: 21 };

  function styleColumns(element) {
    element.style.fontFamily = look.family;
    element.style.fontSize = look.font + 'px';
    element.style.lineHeight = look.spacing + 'px';
  }

  function applyFace() {
    var face = $('face').value.trim();
    look.family = face ? cssFamily(face) : '';
    styleColumns($('columns'));
    var note = $('font-note');
    var missing = !faceDrawsQorvel(face);
    note.hidden = !missing;
    note.textContent = missing ? TEXT.faceMissing(face) : '';
  }

  // The size in points as Velmar's font dialog leaves it: whole points (the
  // dialog's 10.5 is 10); null if not a size.
  function fontSize() {
    var text = $('size').value.trim();
    if (!/^\d+(\.\d*)?$/.test(text)) return null;
    var value = Math.floor(Number(text));
    return value >= 1 && value <= 1000 ? value : null;
  }

  // Velmar's view makes its font 2.5 times the size high and puts the
  // columns 3 times the size apart; the wrap does not depend on the size.
  function applySize() {
    var size = fontSize();
    $('size').setAttribute('aria-invalid', size === null ? 'true' : 'false');
    if (size === null) return say(TEXT.badSize);
    look.font = Math.floor(size * 2.5);
    look.spacing = 3 * size;
    styleColumns($('columns'));
  }

  // ---- Opening files into the text ----

  function OpenError() {}
  function noop() {}

  // The first 0x00 or 0xFF byte in `bytes`, or -1.
  function textEnd(bytes) {
    var nul = bytes.indexOf(0), ff = bytes.indexOf(0xFF);
    return nul < 0 ? ff : ff < 0 ? nul : Math.min(nul, ff);
  }

  // A file's text as Velmar's Open reads it: its bytes up to the first 0x00
  // or 0xFF byte, the rest not read. Through a converting code the file is
  // converted as a paste of that code is, and the conversion decides where
  // the text ends. `end` is the offset of the byte that ended it, or -1;
  // `byte` that byte.
  async function readText(file, code) {
    var parts = [], taken = 0, end = -1, byte = 0, run = null, reader;
    var sink = function (view) { parts.push(view.slice()); };
    try {
      reader = file.stream().getReader();
    } catch (err) {
      throw new OpenError();
    }
    try {
      if (code !== QORVEL_TEXT) run = need().open(code);
      for (;;) {
        var chunk;
        try {
          chunk = await reader.read();
        } catch (err) {
          throw new OpenError();
        }
        if (chunk.done) break;
        var bytes = chunk.value;
        if (!run) {
          var stop = textEnd(bytes);
          parts.push(stop < 0 ? bytes : bytes.subarray(0, stop));
          if (stop >= 0) {
            end = taken + stop;
            byte = bytes[stop];
            break;
          }
          taken += bytes.length;
          continue;
        }
        var more = true;
        for (var at = 0; more && at < bytes.length; at += QvCore.SLICE)
          more = run.feed(bytes.subarray(at, at + QvCore.SLICE), sink);
        if (!more) {
          end = run.consumed() - 1;
          break;
        }
      }
      if (end >= 0) reader.cancel().catch(noop);
      if (run) run.finish(sink);
      return { bytes: join(parts), end: end, byte: byte };
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
  var opening = Promise.resolve();

  function openFiles(files) {
    Array.prototype.forEach.call(files, function (file) {
      opening = opening.then(function () { return openFile(file); });
    });
    return opening;
  }

  async function openFile(file) {
    if (!core) return say(TEXT.loading);
    var code = $('code').value;
    try {
      var text = await readText(file, code);
      opened = join([opened, convertBox($('code').value), text.bytes]);
    } catch (err) {
      return say(err instanceof OpenError ? TEXT.openError(file.name) : TEXT.failed + ' ' + err);
    }
    $('source').value = '';
    update(text.end < 0 ? TEXT.opened(file.name, text.bytes.length)
      : TEXT.openedTo(file.name, text.bytes.length, text.end, text.byte ? '0xFF字节' : 'NUL字节'));
  }

  function newText() {
    opened = EMPTY;
    $('source').value = '';
    update();
  }

  // ---- Printing ----

  // The page box of @page in index.html, less its margins, in millimetres,
  // and how far the columns stand from its left and top edges, as on screen.
  var PRINT_PAGE = { width: 210 - 2 * 15, height: 297 - 2 * 15 };
  var PX_PER_MM = 96 / 25.4;
  var PRINT_LEFT = 50;
  var PRINT_TOP = 10;
  // Kept free below a page's columns: rounding of the glyphs' advances.
  var PRINT_SLACK = 10;

  // Each character's advance down a column, in the columns' font.
  function advances(text) {
    var seen = {};
    var probe = document.createElement('div');
    probe.className = 'vertical print-columns';
    probe.style.cssText = 'position: absolute; left: -100000px; top: 0; visibility: hidden; margin: 0';
    styleColumns(probe);
    var spans = [];
    for (var i = 0; i < text.length; i++) {
      var c = text[i];
      if (c === '\n' || seen[c] !== undefined) continue;
      seen[c] = spans.length;
      var span = document.createElement('span');
      span.textContent = c;
      spans.push(span);
      probe.appendChild(span);
    }
    document.body.appendChild(probe);
    var size = spans.map(function (s) { return s.getBoundingClientRect().height; });
    probe.remove();
    var out = {};
    Object.keys(seen).forEach(function (c) { out[c] = size[seen[c]]; });
    return out;
  }

  // A column cut into pieces that each fit `length`, at glyph boundaries.
  function cutColumn(column, length, advance) {
    var pieces = [], from = 0, used = 0;
    for (var i = 0; i < column.length; i++) {
      var a = advance[column[i]];
      if (used + a > length && i > from) {
        pieces.push(column.slice(from, i));
        from = i;
        used = 0;
      }
      used += a;
    }
    pieces.push(column.slice(from));
    return pieces;
  }

  // The printed pages, as Velmar prints its view: a page holds as many
  // whole columns as fit across it, and the next page starts with the next
  // column; columns longer than a page run on over the following pages,
  // each a page's length further down, before the next columns begin. Unlike
  // Velmar, which cuts its picture wherever a page ends, a column is cut
  // between glyphs, so no glyph is printed in halves.
  function buildPrint() {
    dropPrint();
    if (pending) update();  // a change not yet laid out is printed too
    var text = QvCp936.toText(state.wrapped).replace(/\r\n/g, '\n');
    var columns = text ? text.replace(/\n$/, '').split('\n') : [];
    var width = Math.floor(PRINT_PAGE.width * PX_PER_MM) - 1;
    var height = Math.floor(PRINT_PAGE.height * PX_PER_MM) - 1;
    var perPage = Math.max(1, Math.floor((width - PRINT_LEFT) / look.spacing));
    var length = height - PRINT_TOP - PRINT_SLACK;
    var advance = advances(text);
    var root = document.createElement('div');
    root.id = 'print';
    root.setAttribute('aria-hidden', 'true');
    for (var first = 0; first === 0 || first < columns.length; first += perPage) {
      var pieces = columns.slice(first, first + perPage).map(function (c) { return cutColumn(c, length, advance); });
      var rows = Math.max.apply(null, [1].concat(pieces.map(function (p) { return p.length; })));
      for (var row = 0; row < rows; row++) {
        var page = document.createElement('div');
        page.className = 'print-page';
        page.style.width = width + 'px';
        page.style.height = height + 'px';
        var body = document.createElement('div');
        body.className = 'vertical print-columns';
        styleColumns(body);
        body.textContent = pieces.map(function (p) { return p[row] || ''; }).join('\n');
        page.appendChild(body);
        root.appendChild(page);
      }
    }
    document.body.appendChild(root);
  }

  function dropPrint() {
    var old = $('print');
    if (old) old.remove();
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
  // Where converted files go where the browser can write into a folder:
  // null for downloads.
  var folder = null;

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

  function showFolder() {
    $('folder-state').textContent = folder ? TEXT.toFolder(folder.name) : TEXT.toDownloads;
    $('use-downloads').hidden = !folder;
  }

  function chooseFolder() {
    window.showDirectoryPicker({ id: 'qorvel-output', mode: 'readwrite' }).then(function (handle) {
      folder = handle;
      showFolder();
    }, function (err) {
      if (err && err.name === 'AbortError') return;  // the user changed their mind
      $('folder-state').textContent = TEXT.folderError((err && err.message) || err);
    });
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
      var cancel = document.createElement('button');
      cancel.type = 'button';
      cancel.className = 'cancel';
      cancel.textContent = TEXT.cancel;
      cancel.setAttribute('aria-label', TEXT.cancelLabel(file.name));
      cancel.addEventListener('click', function () {
        cancel.disabled = true;
        worker.postMessage({ type: 'cancel', id: id });
      });
      item.append(name, ' ', bar, ' ', status, ' ', cancel);
      $('jobs').appendChild(item);
      var output = outputName(file.name);
      jobs[id] = { item: item, bar: bar, status: status, cancel: cancel, name: file.name, output: output, folder: folder };
      worker.postMessage({ type: 'convert', id: id, file: file, code: code, folder: folder, name: output });
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
      job.status.textContent = job.folder ? TEXT.writing : TEXT.saving;
      job.cancel.remove();  // the input is done; what is left is to keep it
      return;
    }
    delete jobs[m.id];
    job.cancel.remove();
    var left = m.left ? ' ' + TEXT.left[m.left](job.output) : '';
    if (m.type === 'cancelled') {
      job.bar.value = 0;
      job.item.classList.add('cancelled');
      job.status.textContent = TEXT.cancelled + left;
      return;
    }
    if (m.type === 'error') {
      job.bar.value = 0;
      job.item.classList.add('failed');
      job.status.textContent = (m.reason === 'read' ? TEXT.readError
        : m.reason === 'write' ? TEXT.writeError(TEXT.writeFailures[m.detail] || m.detail)
        : TEXT.convertError) + left;
      return;
    }
    job.bar.value = job.bar.max;
    job.item.classList.add('done');
    job.status.textContent = m.endedAtNul ? TEXT.endedAtNul(m.consumed - 1) : TEXT.finished;
    if (job.folder) {
      job.status.textContent += ' ' + TEXT.written(job.folder.name, job.output);
      return;
    }
    var link = document.createElement('a');
    link.href = URL.createObjectURL(m.blob);
    link.download = job.output;
    link.textContent = TEXT.download(job.output);
    job.item.append(' ', link);
  }

  function carriesFiles(event) {
    return event.dataTransfer && Array.prototype.indexOf.call(event.dataTransfer.types, 'Files') >= 0;
  }

  // A file dropped on the view or the paste box opens into the text, as a
  // file dropped on Velmar's window does; anywhere else it is converted.
  function opensHere(event) {
    var target = event.target;
    return target instanceof Node && ($('view').contains(target) || target === $('source'));
  }

  // ---- Wiring ----

  say(TEXT.loading);
  applyFace();
  applySize();
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
  $('size').addEventListener('input', applySize);
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

  // The browser's own file buttons speak the browser's language; these
  // speak the page's.
  $('open').addEventListener('click', function () { $('open-file').click(); });
  $('open-file').addEventListener('change', function () {
    openFiles($('open-file').files);
    $('open-file').value = '';
  });
  $('new').addEventListener('click', newText);
  $('print-view').addEventListener('click', function () { window.print(); });
  // Ctrl+P and the browser's menu print too: the pages are made for any
  // print, and dropped after it.
  window.addEventListener('beforeprint', buildPrint);
  window.addEventListener('afterprint', dropPrint);

  $('choose-files').addEventListener('click', function () { $('files').click(); });
  $('files').addEventListener('change', function () {
    addFiles($('files').files);
    $('files').value = '';
  });
  if (typeof window.showDirectoryPicker === 'function') {
    $('folder-row').hidden = false;
    showFolder();
    $('choose-folder').addEventListener('click', chooseFolder);
    $('use-downloads').addEventListener('click', function () {
      folder = null;
      showFolder();
    });
  }

  // A file dropped anywhere on the page is opened or converted; a browser
  // would otherwise open it in place of the page.
  function mark(event) {
    var here = opensHere(event);
    $('view').classList.toggle('over', here);
    $('drop').classList.toggle('over', !here);
  }
  function unmark() {
    $('view').classList.remove('over');
    $('drop').classList.remove('over');
  }
  document.addEventListener('dragover', function (event) {
    if (!carriesFiles(event)) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    mark(event);
  });
  document.addEventListener('dragleave', unmark);
  document.addEventListener('drop', function (event) {
    unmark();
    if (!carriesFiles(event)) return;
    event.preventDefault();
    if (opensHere(event)) openFiles(event.dataTransfer.files);
    else addFiles(event.dataTransfer.files);
  });
})();
