// The page as the desktop Velmar, in the system's headless Chromium, served
// from a loopback address (the origin's private file system, which stands
// in for a folder the user picks, needs a secure origin):
//   - opening files into the empty and the non-empty text, with text pasted
//     between them: the saved bytes are the files' bytes up to a 0x00 or
//     0xFF byte, in order; every code of the registry applied on open gives
//     `qorvel convert`; a file dropped on the view opens, one dropped below
//     converts; a file that cannot be read leaves the text as it was;
//   - the font size: font and column spacing from it, the wrap not;
//   - printing to PDF: every column, whole columns across, a long column
//     run on over pages, nothing of the controls;
//   - converting into a folder: the bytes of `qorvel convert`; a write that
//     fails (the disk full) or a job cancelled leaves no half file, and a
//     file that was there keeps its bytes.
//
//   node velmar_test.cjs PAGE QORVEL SAMPLES_DIR WORK_DIR
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { run, randomSource, launch, downloader, b64, unb64 } = require('./common.cjs');

const [pagePath, qorvelPath, samplesDir, workDir] = process.argv.slice(2).map((p) => path.resolve(p));
const seed = Number(process.env.QORVEL_WEB_SEED || Date.now() % 1e9);
const { random } = randomSource(seed);

// Text bytes that a text box would not keep: lone CRs and LFs, lead bytes
// without a trail byte, bytes no character maps to; no 0x00 or 0xFF.
function awkwardBytes(length) {
  const pool = [0x0D, 0x0A, 0x0D, 0x0A, 0x80, 0x81, 0xA1, 0xF8, 0xF9, 0xFE, 0x20, 0x41, 0x7F, 0x3F];
  const out = Buffer.alloc(length);
  for (let i = 0; i < length; i++) out[i] = random(3) ? pool[random(pool.length)] : 1 + random(254);
  return out;
}

const steps = [];
async function step(name, fn) {
  const started = Date.now();
  await fn();
  steps.push(name);
  console.log(`velmar: ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
}

(async () => {
  fs.rmSync(workDir, { recursive: true, force: true });
  const downloads = path.join(workDir, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  console.log(`velmar: seed ${seed} (QORVEL_WEB_SEED replays it)`);
  const html = fs.readFileSync(pagePath);
  const server = http.createServer((req, res) => {
    res.setHeader('Content-Type', 'text/html; charset=utf-8');
    res.end(html);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;

  const browser = await launch(workDir);
  const failures = [];
  try {
    const page = await browser.newPage();
    page.on('pageerror', (e) => failures.push(`page error: ${e.message}`));
    await page.setViewport({ width: 1100, height: 900 });
    // The folder picker answers with a folder of the origin's private file
    // system: a native dialog cannot be clicked here.
    await page.evaluateOnNewDocument(() => {
      window.showDirectoryPicker = async () =>
        (await navigator.storage.getDirectory()).getDirectoryHandle('picked', { create: true });
    });
    await page.goto(origin + '/');
    await page.evaluate(() => window.qorvel.ready);
    const cdp = await page.createCDPSession();
    const codes = await page.evaluate(() => window.qorvel.codes().map((c) => c.name));

    const file = (name, bytes) => { const f = path.join(workDir, name); fs.writeFileSync(f, bytes); return f; };
    const status = () => page.$eval('#status', (e) => e.textContent);
    const clearStatus = () => page.$eval('#status', (e) => { e.textContent = ''; });
    async function open(files) {
      for (const f of files) {
        await clearStatus();
        const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#open')]);
        await chooser.accept([f]);
        await page.waitForFunction(() => /^(已打开|打开文件错误)/.test(document.getElementById('status').textContent));
      }
    }
    const download = await downloader(browser, downloads);
    const saved = async () => (await download(() => page.click('#save'))).bytes;
    async function type(text) {
      await clearStatus();
      await page.$eval('#source', (e, t) => { e.value = t; e.dispatchEvent(new Event('input')); }, text);
      await page.waitForFunction(() => /\d+ 列/.test(document.getElementById('status').textContent));
    }

    await step('open: files into the empty and the non-empty text, byte for byte, ended by 0x00 or 0xFF', async () => {
      await page.select('#code', '');
      await page.click('#new');
      const a = awkwardBytes(3000 + random(3000));
      const b = awkwardBytes(2000);
      const c = awkwardBytes(100000 + random(100000));  // more than one read
      await open([file('a.txt', Buffer.concat([a, Buffer.from([0xFF]), awkwardBytes(500)]))]);
      assert.match(await status(), new RegExp(`第 ${a.length} 字节是0xFF字节`));
      assert.ok((await saved()).equals(a), 'a file opened into the empty text is not the text');
      // The view is the layout of those very bytes.
      const wrapped = await run(qorvelPath, ['layout', '--wrapped'], a);
      const shown = await page.$eval('#columns', (e) => e.textContent);
      assert.equal(shown, await page.evaluate((w) => window.qorvel.toText(Uint8Array.from(atob(w), (ch) => ch.charCodeAt(0)))
        .replace(/\r\n/g, '\n'), b64(wrapped)));

      // Pasted text between two files stays between them; text pasted after
      // the last follows it.
      await type('AB \uE235\uE236\nCD');
      await open([file('b.txt', Buffer.concat([b, Buffer.from([0x00]), b])), file('c.txt', c)]);
      assert.equal(await page.$eval('#source', (e) => e.value), '');
      assert.ok(await page.$eval('#opened-note', (e) => !e.hidden));
      await type('EF');
      const pasted = Buffer.from('AB \xf8\xa2\xf8\xa3\r\nCD', 'latin1');
      assert.ok((await saved()).equals(Buffer.concat([a, pasted, b, c, Buffer.from('EF')])), 'open did not append');

      // A file that cannot be read (a folder where a file was chosen)
      // leaves the text as it was.
      const folder = path.join(workDir, 'not_a_file.txt');
      fs.mkdirSync(folder);
      await open([folder]);
      assert.match(await status(), /^打开文件错误/);
      assert.ok((await saved()).equals(Buffer.concat([a, pasted, b, c, Buffer.from('EF')])));
    });

    await step('open: every code of the registry converts the file as qorvel convert does', async () => {
      for (const code of codes) {
        const sample = fs.readFileSync(path.join(samplesDir, `${code.replace(/-.*/, '')}_sample.txt`));
        // The sample, noise, and for some a NUL that ends the text.
        const parts = [sample, awkwardBytes(random(2000))];
        if (random(2)) parts.push(Buffer.from([0]), sample);
        const input = file(`${code}.txt`, Buffer.concat(parts));
        await page.click('#new');
        await page.select('#code', code);
        await open([input]);
        const want = await run(qorvelPath, ['convert', '--quiet', '--from', code, input], '');
        const got = await saved();
        if (!got.equals(want)) fs.writeFileSync(path.join(workDir, `${code}.page.txt`), got);
        assert.ok(got.equals(want), `open with ${code} differs from qorvel convert (${got.length} bytes, ${want.length} wanted; ${await status()})`);
      }
    });

    await step('drop: a file dropped on the view opens, one dropped below converts', async () => {
      await page.select('#code', '');
      await page.click('#new');
      const dropped = awkwardBytes(5000);
      const jobsBefore = await page.$$eval('#jobs li', (l) => l.length);
      for (const target of ['#columns', '#drop']) {
        await page.evaluate((selector, bytes) => {
          const data = new DataTransfer();
          data.items.add(new File([Uint8Array.from(atob(bytes), (ch) => ch.charCodeAt(0))], 'dropped.txt'));
          const element = document.querySelector(selector);
          for (const kind of ['dragover', 'drop'])
            element.dispatchEvent(new DragEvent(kind, { dataTransfer: data, bubbles: true, cancelable: true }));
        }, target, b64(dropped));
      }
      await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('已打开'));
      assert.ok((await saved()).equals(dropped));
      assert.equal(await page.$$eval('#jobs li', (l) => l.length), jobsBefore + 1);
    });

    await step('size: the font and the column spacing follow it, the wrap does not', async () => {
      await page.click('#new');
      await type('word '.repeat(60) + '\nb\nc');  // the first line wraps
      const columns = () => page.$eval('#columns', (e) => {
        const range = document.createRange();
        range.selectNodeContents(e);
        const style = getComputedStyle(e);
        return { text: e.textContent, font: style.fontSize, lefts: [...new Set([...range.getClientRects()].map((r) => r.left))] };
      });
      const at7 = await columns();
      await page.$eval('#size', (e) => { e.value = '14'; e.dispatchEvent(new Event('input')); });
      const at14 = await columns();
      assert.equal(at7.font, '17px');
      assert.equal(at14.font, '35px');
      assert.equal(at14.text, at7.text);
      assert.equal(at7.lefts[1] - at7.lefts[0], 21);
      assert.equal(at14.lefts[1] - at14.lefts[0], 42);
      await page.$eval('#size', (e) => { e.value = '0'; e.dispatchEvent(new Event('input')); });
      assert.equal(await page.$eval('#size', (e) => e.getAttribute('aria-invalid')), 'true');
      await page.$eval('#size', (e) => { e.value = '7'; e.dispatchEvent(new Event('input')); });
    });

    await step('print: every column, as many whole ones as fit a page, a long column over three pages', async () => {
      // 101 columns, one of them 260 glyphs long (about 2660 pixels in this
      // face, 2.7 page lengths), with a line height that keeps it whole.
      const long = '0123456789'.repeat(26);
      const labels = Array.from({ length: 101 }, (_, k) => `c${String(k).padStart(3, '0')}`);
      const lines = labels.map((l, k) => (k === 40 ? long : l));
      await page.$eval('#face', (e) => { e.value = 'DejaVu Sans Mono'; e.dispatchEvent(new Event('input')); });
      await page.$eval('#line-height', (e) => { e.value = '5000'; e.dispatchEvent(new Event('input')); });
      await page.click('#new');
      await type(lines.join('\n'));
      const pdf = path.join(workDir, 'print.pdf');
      await page.pdf({ path: pdf, preferCSSPageSize: true });
      assert.equal(await page.$('#print'), null, 'the printed pages stay after printing');

      // Each page's words (pdftotext reads the turned glyphs as words) by
      // their place, left to right.
      const xml = (await run('pdftotext', ['-bbox', pdf, '-'], '')).toString();
      const [, pageWidth, pageHeight] = xml.match(/<page width="([\d.]+)" height="([\d.]+)"/).map(Number);
      const margin = 15 * 72 / 25.4;
      const pages = xml.split('<page ').slice(1).map((p) => [...p.matchAll(/<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)<\/word>/g)]
        .map((m) => ({ x: +m[1], y: +m[2], right: +m[3], bottom: +m[4], text: m[5] })).sort((p, q) => p.x - q.x));
      // The long column's strip: its first page, then two more holding only
      // the rest of it.
      const strips = [];
      pages.forEach((words) => {
        const shown = words.filter((w) => w.text !== '').map((w) => w.text);
        for (const word of words) {
          assert.match(word.text, /^(c\d{3}|\d+)$/, `"${word.text}" printed`);
          assert.ok(word.right <= pageWidth - margin + 1 && word.bottom <= pageHeight - margin + 1,
            `${word.text} reaches past the page's printable area`);
        }
        strips.push(shown);
      });
      assert.equal(pages.length, 6, `${pages.length} pages: ${JSON.stringify(strips)}`);
      assert.deepEqual(strips.flat().filter((t) => t.startsWith('c')), labels.filter((_, k) => k !== 40));
      assert.equal(strips.flat().filter((t) => !t.startsWith('c')).join(''), long);
      const longPages = strips.map((s, k) => (s.some((t) => !t.startsWith('c')) ? k : -1)).filter((k) => k >= 0);
      assert.deepEqual(longPages, [1, 2, 3]);
      assert.deepEqual(strips[2].concat(strips[3]).filter((t) => t.startsWith('c')), []);
      // Whole columns, as many as fit: the next page's first column would
      // have reached past the page.
      for (const k of [0, 1, 4]) {
        const words = pages[k].filter((w) => w.text.startsWith('c'));
        const spacing = words[1].x - words[0].x;
        assert.ok(words[words.length - 1].right + spacing > pageWidth - margin, `page ${k + 1} has room for another column`);
      }
      await page.$eval('#face', (e) => { e.value = 'QorvelWebTolvane'; e.dispatchEvent(new Event('input')); });
      await page.$eval('#line-height', (e) => { e.value = '500'; e.dispatchEvent(new Event('input')); });
    });

    // ---- converting into a folder ----

    const opfs = {
      read: (name) => page.evaluate(async (n) => {
        const folder = await (await navigator.storage.getDirectory()).getDirectoryHandle('picked');
        const bytes = new Uint8Array(await (await (await folder.getFileHandle(n)).getFile()).arrayBuffer());
        let s = '';
        for (let i = 0; i < bytes.length; i += 8192) s += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
        return btoa(s);
      }, name).then(unb64),
      names: () => page.evaluate(async () => {
        const folder = await (await navigator.storage.getDirectory()).getDirectoryHandle('picked');
        const names = [];
        for await (const name of folder.keys()) names.push(name);
        return names.sort();
      }),
      write: (name, text) => page.evaluate(async (n, t) => {
        const folder = await (await navigator.storage.getDirectory()).getDirectoryHandle('picked');
        const writable = await (await folder.getFileHandle(n, { create: true })).createWritable();
        await writable.write(t);
        await writable.close();
      }, name, text),
    };
    async function convert(code, files) {
      const before = await page.$$eval('#jobs li', (l) => l.length);
      await page.select('#file-code', code);
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
      await chooser.accept(files);
      return before;
    }
    const finished = (n) => page.waitForFunction((k) => document.querySelectorAll('#jobs li.done, #jobs li.failed, #jobs li.cancelled').length >= k,
      { timeout: 120000 }, n);
    const jobState = (k) => page.$eval(`#jobs li:nth-child(${k + 1})`, (li) => ({
      state: li.querySelector('.state').textContent, link: !!li.querySelector('a'), done: li.classList.contains('done') }));

    await step('folder: converted files are written into the picked folder, the bytes of qorvel convert', async () => {
      await page.click('#choose-folder');
      await page.waitForFunction(() => document.getElementById('folder-state').textContent.includes('picked'));
      // Many writes long, and ending inside a word.
      const big = file('big_hasi.txt', Buffer.concat([awkwardBytes(9 << 20), fs.readFileSync(path.join(samplesDir, 'hasi_sample.txt'))]));
      const sample = path.join(samplesDir, 'hasi_sample.txt');
      const first = await convert('hasi', [big, sample]);
      await finished(first + 2);
      for (const [k, input] of [[first, big], [first + 1, sample]]) {
        const job = await jobState(k);
        const name = path.basename(input).replace(/\.txt$/, '_qv.txt');
        assert.ok(job.done && !job.link && job.state.includes(`picked/${name}`), JSON.stringify(job));
        const want = await run(qorvelPath, ['convert', '--quiet', '--from', 'hasi', input], '');
        assert.ok((await opfs.read(name)).equals(want), `${name} differs from qorvel convert`);
      }
    });

    await step('folder: a failed write or a cancelled job leaves no half file, and an older file as it was', async () => {
      const input = file('full.txt', awkwardBytes(12 << 20));
      await opfs.write('kept_qv.txt', 'older bytes');
      const kept = file('kept.txt', awkwardBytes(12 << 20));
      // A disk that fills up: the origin may hold 4 MiB.
      await cdp.send('Storage.overrideQuotaForOrigin', { origin, quotaSize: 4 << 20 });
      const first = await convert('mingantu', [input, kept]);
      await finished(first + 2);
      await cdp.send('Storage.overrideQuotaForOrigin', { origin });
      let job = await jobState(first);
      assert.ok(!job.done && job.state.startsWith('写入失败（磁盘空间不足）') && job.state.includes('没有留下“full_qv.txt”'), job.state);
      job = await jobState(first + 1);
      assert.ok(!job.done && job.state.includes('原来的“kept_qv.txt”没有改变'), job.state);
      assert.equal((await opfs.read('kept_qv.txt')).toString(), 'older bytes');

      // Cancelled while converting: a file large enough that the click
      // lands before the end (doubled if it did not).
      for (let size = 48 << 20; ; size *= 2) {
        const large = file('cancel.txt', awkwardBytes(size));
        const at = await convert('mengkeli', [large]);
        await page.waitForFunction((k) => document.querySelector(`#jobs li:nth-child(${k + 1}) progress`).value > 0, {}, at);
        await page.click(`#jobs li:nth-child(${at + 1}) button.cancel`).catch(() => {});
        await finished(at + 1);
        job = await jobState(at);
        if (job.done) { assert.ok(size < 400 << 20, 'the job ends before a click cancels it'); continue; }
        assert.ok(job.state.startsWith('已取消') && job.state.includes('没有留下“cancel_qv.txt”'), job.state);
        break;
      }
      assert.deepEqual(await opfs.names(), ['big_hasi_qv.txt', 'hasi_sample_qv.txt', 'kept_qv.txt']);
    });

    await step('the keyboard reaches the new controls', async () => {
      await page.focus('#code');
      const reached = new Set();
      for (let k = 0; k < 40; k++) {
        reached.add(await page.evaluate(() => document.activeElement.id));
        await page.keyboard.press('Tab');
      }
      for (const id of ['size', 'open', 'new', 'print-view', 'choose-folder', 'use-downloads'])
        assert.ok(reached.has(id), `Tab does not reach ${id}`);
    });
  } catch (err) {
    failures.push(err.stack || String(err));
  } finally {
    await browser.close();
    server.close();
  }
  for (const f of failures) console.error(`velmar: FAILED: ${f}`);
  console.log(`velmar: ${steps.length} passed, ${failures.length} failed`);
  process.exit(failures.length ? 1 : 0);
})();
