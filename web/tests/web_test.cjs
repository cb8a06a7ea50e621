// The web page in the system's headless Chromium, loaded from file:// as a
// user opens it from disk, checked against the command line and ICU:
//   - window.qorvel: codes(), convert() of every code and layout() on the
//     samples and on random inputs, byte for byte against `qorvel`;
//   - toText/toBytes against the desktop clipboard's conversion on Linux
//     (cp936/cp936_icu.cpp over ICU's windows-936-2000) over every one- and
//     two-byte sequence, every UTF-16 unit and random strings (with
//     characters beyond the BMP, default-ignorable ones among them);
//   - a user's path: Unicode text with private-use characters pasted into
//     the paste box, the vertical view, both copies (twice), the save;
//     files chosen and converted in the worker, downloaded as NAME_qv.txt,
//     one that cannot be read, one that a NUL byte ends; the keyboard
//     reaches every control; no request leaves the page. A screenshot of
//     the view is left for a look;
//   - html() against `qorvel layout --html`, and the HTML of random texts
//     and of the sample loaded as pages: one vertical column per wrapped
//     line, left to right, each holding its line's text, no markup of the
//     text's, the fragments also pasted into an editable element; the
//     page's copy as HTML and its .html save. A screenshot of the sample's
//     page is left;
//   - what a conversion lost: the bytes a code dropped and a NUL that
//     ended the text early, named on the job's line and under the paste
//     box as qorvel names them; "keep other text" converts both as
//     `qorvel convert --keep`. A screenshot of the job list is left;
//   - a trap in the module whose fresh instance then fails to load: the
//     status says so, and the next change loads one and converts;
//   - the job list: an ended job removed, the ended ones cleared while
//     others run, every download's URL revoked with its job, the list
//     empty at the end. A screenshot of the list is left for a look.
//
//   node web_test.cjs PAGE QORVEL CP936_REFERENCE SAMPLES_DIR WORK_DIR
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { run, all, randomSource, launch, downloader, b64, unb64 } = require('./common.cjs');

const [pagePath, qorvelPath, referencePath, samplesDir, workDir] = process.argv.slice(2).map((p) => path.resolve(p));
const seed = Number(process.env.QORVEL_WEB_SEED || Date.now() % 1e9);

// ---- helpers ----

function records(buffers, unit) {
  const parts = [];
  for (const b of buffers) {
    const head = Buffer.alloc(4);
    head.writeUInt32LE(b.length / unit);
    parts.push(head, b);
  }
  return Buffer.concat(parts);
}
function unrecords(buffer, unit) {
  const out = [];
  for (let at = 0; at < buffer.length;) {
    const n = buffer.readUInt32LE(at) * unit;
    out.push(buffer.subarray(at + 4, at + 4 + n));
    at += 4 + n;
  }
  return out;
}
// ICU's answers, as the desktop clipboard converts.
async function icuDecode(byteStrings) {
  const out = await run(referencePath, ['decode'], records(byteStrings, 1));
  return unrecords(out, 2).map((b) => b.toString('utf16le'));
}
async function icuEncode(texts) {
  const out = await run(referencePath, ['encode'], records(texts.map((t) => Buffer.from(t, 'utf16le')), 2));
  return unrecords(out, 1);
}

const { random, pick } = randomSource(seed);

const samples = Object.fromEntries(fs.readdirSync(samplesDir).filter((f) => f.endsWith('_sample.txt'))
  .map((f) => [f.replace('_sample.txt', ''), fs.readFileSync(path.join(samplesDir, f))]));
const INTERESTING = [0x00, 0x0D, 0x0A, 0x20, 0x27, 0x2E, 0x60, 0x7E, 0x7F, 0x80, 0xA1, 0xA3, 0xA6,
  0xF8, 0xF9, 0xFA, 0xFB, 0xFF, 0x41, 0x61, 0x73];

// Bytes made of sample pieces, bytes that steer the converters, and noise;
// a NUL (which ends a text) only where `nul` allows it.
function randomBytes(length, nul) {
  const out = [];
  const all = Object.values(samples);
  while (out.length < length) {
    const kind = random(10);
    if (kind < 4) {
      const s = pick(all), at = random(s.length), n = 1 + random(40);
      for (const b of s.subarray(at, at + n)) out.push(b);
    } else if (kind < 8) {
      out.push(pick(INTERESTING));
    } else {
      out.push(random(256));
    }
  }
  const bytes = Buffer.from(out.slice(0, length));
  if (!nul) for (let i = 0; i < bytes.length; i++) if (bytes[i] === 0) bytes[i] = 0x20;
  return bytes;
}

const steps = [];
async function step(name, fn) {
  const started = Date.now();
  await fn();
  steps.push(name);
  console.log(`web: ${name} (${((Date.now() - started) / 1000).toFixed(1)} s)`);
}

// ---- the run ----

(async () => {
  fs.rmSync(workDir, { recursive: true, force: true });
  const downloads = path.join(workDir, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  console.log(`web: seed ${seed} (QORVEL_WEB_SEED replays it)`);

  const browser = await launch(workDir);
  const failures = [];
  try {
    const cdp = await browser.target().createCDPSession();
    await cdp.send('Browser.grantPermissions', { permissions: ['clipboardReadWrite', 'clipboardSanitizedWrite'] });
    const download = await downloader(browser, downloads);
    const page = await browser.newPage();
    const requests = [];
    page.on('request', (r) => requests.push(r.url()));
    page.on('pageerror', (e) => failures.push(`page error: ${e.message}`));
    await page.setViewport({ width: 1100, height: 900 });
    const pageUrl = 'file://' + pagePath;
    await page.goto(pageUrl);
    await page.evaluate(() => window.qorvel.ready);

    await step('codes() lists the codes of qorvel convert --list', async () => {
      const list = (await run(qorvelPath, ['convert', '--list'], '')).toString().trim().split('\n')
        .map((line) => { const [name, description] = line.split('\t'); return { name, description }; });
      assert.deepEqual(await page.evaluate(() => window.qorvel.codes()), list);
    });
    const codes = await page.evaluate(() => window.qorvel.codes().map((c) => c.name));

    await step('convert() of every code equals qorvel convert, samples and random inputs', async () => {
      const cases = [];
      for (const code of codes) {
        cases.push({ code, input: samples[code.replace(/-.*/, '')] });
        for (let k = 0; k < 10; k++) cases.push({ code, input: randomBytes(random(k < 5 ? 8 : 400), k % 3 === 0) });
        cases.push({ code, input: randomBytes(50000 + random(50000), false) });
      }
      // More than a megabyte in one call (the library's chunking is tested
      // in C++; the page's streaming loop with files below).
      cases.push({ code: pick(codes), input: randomBytes((1 << 20) + 300000, false) });
      const got = await page.evaluate((list) => list.map(([code, input]) => {
        const bytes = Uint8Array.from(atob(input), (c) => c.charCodeAt(0));
        const out = window.qorvel.convert(code, bytes);
        let s = '';
        for (let i = 0; i < out.length; i += 8192) s += String.fromCharCode.apply(null, out.subarray(i, i + 8192));
        return btoa(s);
      }), cases.map((c) => [c.code, b64(c.input)]));
      const want = await all(cases.map((c) => () => run(qorvelPath, ['convert', '--quiet', '--from', c.code], c.input)));
      cases.forEach((c, k) => assert.ok(unb64(got[k]).equals(want[k]),
        `convert ${c.code} differs from qorvel on input ${b64(c.input).slice(0, 200)}`));
    });

    await step('layout() equals qorvel layout, samples and random texts, both forms', async () => {
      const heights = [0, 1, 8, 16, 100, 500, 4294967295, -1, -2147483648];
      const glyph = () => [0xF8 + random(2), 0xA1 + random(94)];
      const cases = [];
      for (const sample of Object.values(samples)) cases.push({ input: sample, height: 500, wrapped: random(2) === 1 });
      for (let k = 0; k < 16; k++) {
        const out = [];
        const n = random(k < 4 ? 10 : 3000);
        while (out.length < n) {
          const r = random(20);
          if (r < 10) out.push(...glyph());
          else if (r < 14) out.push(0x20);
          else if (r < 16) out.push(0x0D, 0x0A);
          else if (r < 17) out.push(pick([0x0D, 0x0A, 0x41]));
          else if (r < 18 && k % 4 === 0) out.push(0);
          else out.push(random(256));
        }
        cases.push({ input: Buffer.from(out), height: random(3) ? pick(heights) : random(2000), wrapped: random(2) === 1 });
      }
      const got = await page.evaluate((list) => list.map(([input, height, wrapped]) => {
        const out = window.qorvel.layout(Uint8Array.from(atob(input), (c) => c.charCodeAt(0)), height, wrapped);
        let s = '';
        for (let i = 0; i < out.length; i += 8192) s += String.fromCharCode.apply(null, out.subarray(i, i + 8192));
        return btoa(s);
      }), cases.map((c) => [b64(c.input), c.height, c.wrapped]));
      const want = await all(cases.map((c) => () => run(qorvelPath,
        ['layout', `--line-height=${c.height}`, ...(c.wrapped ? ['--wrapped'] : [])], c.input)));
      cases.forEach((c, k) => assert.ok(unb64(got[k]).equals(want[k]),
        `layout (line height ${c.height}, wrapped ${c.wrapped}) differs from qorvel on ${b64(c.input).slice(0, 200)}`));
      await page.evaluate(() => {
        for (const bad of [1.5, 2 ** 32, -(2 ** 31) - 1, NaN, '500'])
          try { window.qorvel.layout(new Uint8Array(0), bad, false); throw new Error(`line height ${bad} taken`); }
          catch (e) { if (!(e instanceof RangeError)) throw e; }
      });
    });

    // The columns of an HTML page: each child of the first div of the body,
    // its box and text; and every element name under that div. `pasted`: the
    // HTML inserted into an editable element as an editor pastes HTML.
    async function columnsOf(html, pasted = false) {
      const view = await browser.newPage();
      try {
        await view.setViewport({ width: 1600, height: 900 });
        if (pasted) {
          await view.setContent('<!doctype html><meta charset="utf-8"><body><div id="ed" contenteditable="true"></div>');
          await view.evaluate((h) => {
            document.getElementById('ed').focus();
            document.execCommand('insertHTML', false, h);
          }, html);
        } else {
          await view.setContent(html);
        }
        return await view.evaluate((inEditor) => {
          const top = (inEditor ? document.getElementById('ed') : document.body).querySelector('div');
          return {
            mode: getComputedStyle(top).writingMode,
            tags: [...new Set([...top.querySelectorAll('*')].map((e) => e.tagName))].sort(),
            columns: [...top.children].map((c) => {
              const r = c.getClientRects()[0];
              return { left: r.left, width: r.width, height: r.height, text: c.textContent };
            }),
          };
        }, pasted);
      } finally {
        await view.close();
      }
    }
    // The wrapped lines through the clipboard's conversion.
    async function wrappedLines(bytes, height) {
      const wrapped = await run(qorvelPath, ['layout', '--wrapped', `--line-height=${height}`], bytes);
      const lines = [];
      for (let at = 0, end; (end = wrapped.indexOf('\r\n', at)) >= 0; at = end + 2) lines.push(wrapped.subarray(at, end));
      return icuDecode(lines);
    }
    function expectColumns(got, lines, size, what) {
      assert.equal(got.mode, 'vertical-lr', what);
      assert.deepEqual(got.columns.map((c) => c.text), lines, what);
      got.columns.forEach((c, k) => {
        assert.equal(c.width, 3 * size, `${what}: column ${k} is ${c.width} px wide`);
        if (k) assert.equal(c.left, got.columns[k - 1].left + 3 * size, `${what}: column ${k} at ${c.left}`);
      });
      // Text runs down a column: four characters of a font 2.5 size high
      // reach past its width of 3 size.
      got.columns.forEach((c, k) => assert.ok([...c.text].length < 4 || c.height > c.width,
        `${what}: column ${k} is ${c.width} px wide and ${c.height} px high`));
    }

    await step('html() equals qorvel layout --html; random texts as pages: a column per wrapped line, left to right, no markup', async () => {
      const pieces = [[0x20], [0x20, 0x20], [0x0D, 0x0A], [0x0D, 0x0A, 0x0D, 0x0A, 0x0D, 0x0A], [0x3C], [0x3E], [0x26],
        [0x22], [0x27], [...Buffer.from('<b>x</b>&amp;')], [0xB0, 0xA1], [0x81], [0x80], [0x41], [0x0D], [0x0A]];
      const cases = [];
      for (let k = 0; k < 24; k++) {
        const out = [];
        const n = random(k < 4 ? 6 : 80);
        while (out.length < n) {
          if (random(3)) out.push(...pick(pieces)); else out.push(0xF8 + random(2), 0xA1 + random(94));
        }
        cases.push({ input: Buffer.from(out), height: pick([0, 8, 40, 160, 500]), size: 4 + random(12),
          fragment: random(2) === 1, face: pick(['QorvelWebTolvane', 'A "q" <b>&\\']) });
      }
      const got = await page.evaluate((list) => list.map(([input, height, size, fragment, face]) =>
        window.qorvel.html(Uint8Array.from(atob(input), (c) => c.charCodeAt(0)), height, { size, fragment, face })),
      cases.map((c) => [b64(c.input), c.height, c.size, c.fragment, c.face]));
      const want = await all(cases.map((c) => () => run(qorvelPath, ['layout', c.fragment ? '--html-fragment' : '--html',
        `--line-height=${c.height}`, `--font-size=${c.size}`, `--font-face=${c.face}`], c.input)));
      cases.forEach((c, k) => assert.equal(got[k], want[k].toString('utf8'), `html of ${b64(c.input)}`));
      for (const [k, c] of cases.entries()) {
        const what = `html of ${b64(c.input)} at ${c.height}`;
        const shown = await columnsOf(got[k]);
        const lines = await wrappedLines(c.input, c.height);
        expectColumns(shown, lines, c.size, what);
        assert.deepEqual(shown.tags, shown.columns.some((col) => !col.text) ? ['BR', 'DIV'] : ['DIV'], what);
        // Pasted into an editable element, the fragment's columns stay columns.
        if (c.fragment) expectColumns(await columnsOf(got[k], true), lines, c.size, `${what}, pasted`);
      }
    });

    await step('qorvel layout --html of the Qorvel sample opens as vertical columns left to right, the wrapped lines', async () => {
      const file = path.join(workDir, 'qorvel_sample.html');
      fs.writeFileSync(file, await run(qorvelPath, ['layout', '--html', '--font-face=WenQuanYi Zen Hei', '--font-size=8',
        path.join(samplesDir, 'qorvel_sample.txt')], Buffer.alloc(0)));
      const view = await browser.newPage();
      await view.setViewport({ width: 1400, height: 900 });
      await view.goto('file://' + file);
      const shown = await view.evaluate(() => {
        const top = document.body.querySelector('div');
        return { mode: getComputedStyle(top).writingMode, charset: document.characterSet,
          columns: [...top.children].map((c) => { const r = c.getClientRects()[0]; return { left: r.left, width: r.width, height: r.height, text: c.textContent }; }) };
      });
      await view.screenshot({ path: path.join(workDir, 'sample_html.png') });
      await view.close();
      console.log(`web: screenshot ${path.join(workDir, 'sample_html.png')}`);
      assert.equal(shown.charset, 'UTF-8');
      const lines = await wrappedLines(samples.qorvel, 500);
      assert.ok(lines.length > 3 && lines.join('').match(/[\uE234-\uE4C5]/));
      expectColumns(shown, lines, 8, 'the sample');
    });

    await step('toText/toBytes equal the clipboard conversion of cp936_icu.cpp: every 1- and 2-byte sequence, every UTF-16 unit, random', async () => {
      const sequences = [];
      for (let a = 0; a < 256; a++) sequences.push(Buffer.from([a]));
      for (let a = 0; a < 256; a++) for (let t = 0; t < 256; t++) sequences.push(Buffer.from([a, t]));
      for (let k = 0; k < 300; k++) sequences.push(randomBytes(random(300), true));
      const decoded = await page.evaluate((all) => {
        const bin = atob(all);
        const bytes = Uint8Array.from(bin, (c) => c.charCodeAt(0));
        const out = [];
        for (let at = 0; at < bytes.length;) {
          const n = bytes[at] | bytes[at + 1] << 8;
          out.push(window.qorvel.toText(bytes.subarray(at + 2, at + 2 + n)));
          at += 2 + n;
        }
        return out;
      }, b64(Buffer.concat(sequences.flatMap((s) => [Buffer.from([s.length & 0xFF, s.length >> 8]), s]))));
      const wantText = await icuDecode(sequences);
      sequences.forEach((s, k) => assert.equal(decoded[k], wantText[k], `toText of ${s.toString('hex')}`));

      const texts = [];
      for (let u = 0; u < 0x10000; u++) texts.push(String.fromCharCode(u));
      const specials = ['\u{E0001}', '\u{1D173}', '\u{1F600}', '\u{20000}', '\uFEFF', '\uE234', '\uE235', '\u20AC', '\uF8F5'];
      for (let k = 0; k < 300; k++) {
        let t = '';
        for (let n = random(60); n > 0; n--) {
          const r = random(6);
          t += r === 0 ? pick(specials) : r === 1 ? String.fromCharCode(0xD800 + random(0x800))
            : r === 2 ? String.fromCharCode(0xE234 + random(0x300)) : String.fromCharCode(random(0x10000));
        }
        texts.push(t);
      }
      const encoded = await page.evaluate((list) => list.map((t) => {
        const out = window.qorvel.toBytes(t);
        return btoa(String.fromCharCode.apply(null, out));
      }), texts);
      const wantBytes = await icuEncode(texts);
      texts.forEach((t, k) => assert.ok(unb64(encoded[k]).equals(wantBytes[k]),
        `toBytes of ${Buffer.from(t, 'utf16le').toString('hex')}`));
    });

    // A user's text: the Qorvel sample as the clipboard of another program
    // holds it (Unicode, private-use characters), and a few more of them.
    const [pastedText] = await icuDecode([Buffer.concat([samples.velmar, Buffer.from('\r\n\xf8\xa1\xf8\xa2 \xf9\xa2 AB\r\n', 'latin1')])]);
    assert.ok(/[\uE234-\uE4C5]/.test(pastedText));
    const lf = (t) => t.replace(/\r\n/g, '\n');

    async function paste(text) {
      await page.evaluate((t) => { document.getElementById('source').value = ''; return navigator.clipboard.writeText(t); }, text);
      await page.focus('#source');
      await page.keyboard.down('Control');
      await page.keyboard.press('KeyV', { commands: ['paste'] });
      await page.keyboard.up('Control');
      await page.waitForFunction((t) => document.getElementById('source').value === t, {}, lf(text));
    }
    async function settled() {
      await page.waitForFunction(() => /\d+ 列/.test(document.getElementById('status').textContent));
    }

    await step('paste box: pasted Unicode text converts, the view shows its columns, copies and save are exact', async () => {
      await page.select('#code', '');
      await paste(pastedText);
      await settled();
      const [bytes] = await icuEncode([pastedText]);
      const wrapped = await run(qorvelPath, ['layout', '--wrapped'], bytes);
      const web = await run(qorvelPath, ['layout'], bytes);
      const [wrappedText, webCopy] = await icuDecode([wrapped, Buffer.concat([web, Buffer.from('\r\n')])]);
      assert.equal(await page.$eval('#columns', (e) => e.textContent), lf(wrappedText));
      // The columns run left to right.
      const xs = await page.$eval('#columns', (e) => {
        const range = document.createRange();
        range.selectNodeContents(e);
        return [...range.getClientRects()].map((r) => r.left);
      });
      const lefts = [...new Set(xs)];
      assert.ok(lefts.length > 2 && lefts.every((x, k) => k === 0 || x > lefts[k - 1]), `columns at ${lefts}`);
      assert.ok(await page.$eval('#font-note', (e) => !e.hidden && e.textContent.includes('QorvelWebTolvane')));

      for (let k = 0; k < 2; k++) {  // the second copy is the same as the first
        await page.click('#copy-web');
        await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('已复制成'));
        assert.equal(await page.evaluate(() => navigator.clipboard.readText()), webCopy, `copy ${k + 1}`);
        await page.evaluate(() => { document.getElementById('status').textContent = ''; });
      }
      await page.click('#copy-wrapped');
      await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('已复制所有'));
      assert.equal(await page.evaluate(() => navigator.clipboard.readText()), wrappedText);

      // A converting code: the Mengkeli paste, saved as code page 936.
      const [mengkeliText] = await icuDecode([samples.mengkeli]);
      await page.select('#code', 'mengkeli-paste');
      await paste(mengkeliText);
      await settled();
      const [mengkeliBytes] = await icuEncode([mengkeliText]);
      const converted = await run(qorvelPath, ['convert', '--from', 'mengkeli-paste'], mengkeliBytes);
      const [viewText] = await icuDecode([await run(qorvelPath, ['layout', '--wrapped'], converted)]);
      assert.equal(await page.$eval('#columns', (e) => e.textContent), lf(viewText));
      const saved = await download(() => page.click('#save'));
      assert.equal(saved.name, 'qorvel.txt');
      assert.ok(saved.bytes.equals(converted));

      // As HTML: the copy holds the columns and, as plain text, the copy's
      // web-format text; the save is qorvel layout --html at the view's size.
      await page.$eval('#size', (e) => { e.value = '9'; e.dispatchEvent(new Event('input')); });
      const [webOfConverted] = await icuDecode([Buffer.concat([await run(qorvelPath, ['layout'], converted), Buffer.from('\r\n')])]);
      await page.click('#copy-html');
      await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('已复制为网页'));
      assert.equal(await page.evaluate(() => navigator.clipboard.readText()), webOfConverted);
      const copiedHtml = await page.evaluate(async () => {
        const [item] = await navigator.clipboard.read();
        return (await item.getType('text/html')).text();
      });
      expectColumns(await columnsOf(copiedHtml), await wrappedLines(converted, 500), 9, 'the copied HTML');
      const savedHtml = await download(() => page.click('#save-html'));
      assert.equal(savedHtml.name, 'qorvel.html');
      assert.equal(savedHtml.bytes.toString('utf8'), (await run(qorvelPath, ['layout', '--html', '--font-size=9'], converted)).toString('utf8'));
      await page.$eval('#size', (e) => { e.value = '7'; e.dispatchEvent(new Event('input')); });
    });

    await step('files: chosen files convert in the worker to NAME_qv.txt, an unreadable one says so', async () => {
      // Many reads long, and ending inside a word, which only the end of
      // the input converts.
      const big = path.join(workDir, 'big_mengkeli.txt');
      fs.writeFileSync(big, Buffer.concat([...Array.from({ length: 6 }, () => randomBytes(1 << 20, false)),
        Buffer.from('\r\n\xf8\xa4\xf8\xa5\xf9\xa6', 'latin1')]));
      const gone = path.join(workDir, 'gone.txt');
      fs.writeFileSync(gone, samples.mengkeli);
      await page.select('#file-code', 'mengkeli');
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
      await chooser.accept([big, path.join(samplesDir, 'mengkeli_sample.txt'), gone]);
      fs.rmSync(gone);  // read after the big file: it is gone by then
      await page.waitForFunction(() => document.querySelectorAll('#jobs li.done, #jobs li.failed').length === 3,
        { timeout: 120000 });
      const items = await page.$$eval('#jobs li', (lis) => lis.map((li) => ({
        state: li.querySelector('.state').textContent, link: li.querySelector('a') && li.querySelector('a').download })));
      assert.equal(items[2].link, null);
      assert.match(items[2].state, /^读文件错误/);
      for (const [k, file] of [[0, big], [1, path.join(samplesDir, 'mengkeli_sample.txt')]]) {
        const name = path.basename(file).replace(/\.txt$/, '_qv.txt');
        assert.equal(items[k].link, name);
        const got = await download(() => page.click(`#jobs li:nth-child(${k + 1}) a`));
        const want = await run(qorvelPath, ['convert', '--quiet', '--from', 'mengkeli', file], '');
        assert.equal(got.name, name);
        assert.ok(got.bytes.equals(want), `${name} differs from qorvel`);
      }
    });

    await step('files: a paste code stops at a NUL byte, its output overflowing the page\'s buffer', async () => {
      // Word-font text nearly doubles, so every 1 MiB slice fills the
      // page's 1 MiB output buffer more than once; the NUL lies slices in,
      // and what follows it must not be read.
      const repeated = Buffer.concat(Array.from({ length: Math.ceil((3 << 20) / samples.wordfont.length) }, () => samples.wordfont));
      const before = Buffer.concat([repeated, randomBytes(100000 + random(100000), false)]);
      const file = path.join(workDir, 'nul_wordfont.txt');
      fs.writeFileSync(file, Buffer.concat([before, Buffer.from([0]), samples.wordfont]));
      await page.select('#file-code', 'wordfont');
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
      await chooser.accept([file]);
      await page.waitForFunction(() => document.querySelectorAll('#jobs li.done, #jobs li.failed').length === 4,
        { timeout: 120000 });
      const lossText = await page.$eval('#jobs li:nth-child(4) .loss', (e) => e.textContent);
      assert.ok(lossText.includes(`第 ${before.length} 字节的 NUL 处结束，其后 ${samples.wordfont.length} 个字节`), lossText);
      const got = await download(() => page.click('#jobs li:nth-child(4) a'));
      const want = await run(qorvelPath, ['convert', '--quiet', '--from', 'wordfont', file], '');
      assert.ok(want.length > 2 * (1 << 20));
      assert.equal(got.name, 'nul_wordfont_qv.txt');
      assert.ok(got.bytes.equals(want), 'nul_wordfont_qv.txt differs from qorvel');
    });

    await step('losses: dropped bytes and an early end are named on the job line and under the paste box as qorvel names them; keep keeps the Chinese', async () => {
      // What qorvel says on standard error about a file: {dropped, offsets,
      // endedAt, after}, and its output.
      const cli = (file, code, keep) => {
        const r = spawnSync(qorvelPath, ['convert', '--from', code, ...(keep ? ['--keep'] : []), file]);
        assert.equal(r.status, 0, String(r.stderr));
        const err = String(r.stderr);
        const d = /: (\d+) bytes? dropped .*(?:at offset|first at offsets) ([\d, ]+)$/m.exec(err);
        const e = /ends at the NUL byte at offset (\d+); (\d+) bytes? after it/.exec(err);
        return { dropped: d ? Number(d[1]) : 0, offsets: d ? d[2].split(', ').map(Number) : [],
          endedAt: e ? Number(e[1]) : null, after: e ? Number(e[2]) : null, out: r.stdout };
      };
      // The same read back from the page's words.
      const told = (text) => {
        const d = /有 (\d+) 个字节无法转换，已略去（(?:前 (\d+) 个)?在第 ([\d、]+) 字节）/.exec(text);
        const e = /文本在第 (\d+) 字节的 NUL 处结束，其后 (\d+) 个字节未转换/.exec(text);
        if (d && d[2]) assert.equal(Number(d[2]), d[3].split('、').length, text);
        return { dropped: d ? Number(d[1]) : 0, offsets: d ? d[3].split('、').map(Number) : [],
          endedAt: e ? Number(e[1]) : null, after: e ? Number(e[2]) : null };
      };
      const chinese = Buffer.from('\xd6\xd0\xb9\xfa\xc8\xcb', 'latin1');  // 中国人 in GBK
      // Chinese and control bytes, which the Mengkeli code drops, among its
      // units, and a NUL with text after it.
      const input = Buffer.concat([Buffer.from('\x01', 'latin1'), chinese,
        Buffer.from('\xf8\xa2\xf8\xa3 \xf8\xa4\x02\r\n\x1b\xf8\xa6\xf8\xa7\r\n', 'latin1'), chinese,
        Buffer.from('\x00more \xf8\xa5 text', 'latin1')]);
      const file = path.join(workDir, 'lost_mengkeli.txt');
      fs.writeFileSync(file, input);
      const plain = cli(file, 'mengkeli', false), kept = cli(file, 'mengkeli', true);
      assert.ok(plain.dropped > 5 && plain.endedAt !== null && kept.dropped < plain.dropped, JSON.stringify([plain, kept]));
      assert.ok(kept.out.includes(chinese) && !plain.out.includes(chinese));

      const convertFile = async (keep) => {
        const n = await page.$$eval('#jobs li', (lis) => lis.length);
        await page.$eval('#keep', (e, on) => { if (e.checked !== on) e.click(); }, keep);
        await page.select('#file-code', 'mengkeli');
        const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
        await chooser.accept([file]);
        await page.waitForFunction((k) => document.querySelectorAll('#jobs li.done, #jobs li.failed').length === k,
          { timeout: 60000 }, n + 1);
        const loss = await page.$eval(`#jobs li:nth-child(${n + 1})`, (li) => li.querySelector('.loss') && li.querySelector('.loss').textContent);
        const got = await download(() => page.click(`#jobs li:nth-child(${n + 1}) a`));
        return { loss, bytes: got.bytes };
      };
      const without = await convertFile(false);
      assert.ok(without.loss, 'the job line says nothing of what was lost');
      const { out: plainOut, ...plainLoss } = plain;
      assert.deepEqual(told(without.loss), plainLoss, without.loss);
      assert.ok(without.bytes.equals(plainOut));
      const withKeep = await convertFile(true);
      const { out: keptOut, ...keptLoss } = kept;
      assert.deepEqual(told(withKeep.loss || ''), keptLoss, withKeep.loss);
      assert.ok(withKeep.bytes.equals(keptOut), 'kept output differs from qorvel convert --keep');
      await (await page.$('#file-title')).evaluate((e) => e.scrollIntoView());
      await page.screenshot({ path: path.join(workDir, 'losses.png') });
      console.log(`web: screenshot ${path.join(workDir, 'losses.png')}`);

      // Nothing lost, nothing said; a NUL at the end ends nothing early.
      const whole = path.join(workDir, 'whole_mengkeli.txt');
      fs.writeFileSync(whole, Buffer.from('\xf8\xa2\xf8\xa3 \xf8\xa4\r\n\xf8\xa4\xf8\xa3\r\n\x00\x00', 'latin1'));
      assert.equal(String(spawnSync(qorvelPath, ['convert', '--from', 'mengkeli', whole]).stderr), '');
      await page.$eval('#keep', (e) => { if (e.checked) e.click(); });
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
      const n = await page.$$eval('#jobs li', (lis) => lis.length);
      await chooser.accept([whole]);
      await page.waitForFunction((k) => document.querySelectorAll('#jobs li.done, #jobs li.failed').length === k,
        { timeout: 60000 }, n + 1);
      assert.equal(await page.$eval(`#jobs li:nth-child(${n + 1})`, (li) => li.querySelector('.loss')), null);

      // The paste box: the same text as a clipboard holds it (LF line
      // ends, which the box gives the converters as CR LF).
      const [text] = await icuDecode([input]);
      const pasteFile = path.join(workDir, 'lost_paste.txt');
      fs.writeFileSync(pasteFile, (await icuEncode([text]))[0]);
      const pastePlain = cli(pasteFile, 'mengkeli', false), pasteKept = cli(pasteFile, 'mengkeli', true);
      const note = () => page.$eval('#loss-note', (e) => (e.hidden ? '' : e.textContent));
      const setBox = (t) => page.$eval('#source', (e, v) => {
        document.getElementById('status').textContent = '';
        e.value = v;
        e.dispatchEvent(new Event('input'));
      }, t);
      await page.select('#code', 'mengkeli');
      await setBox(lf(text));
      await settled();
      const { out: pasteOut, ...pasteLoss } = pastePlain;
      assert.deepEqual(told(await note()), pasteLoss, await note());
      await page.evaluate(() => window.scrollTo(0, 0));
      await page.screenshot({ path: path.join(workDir, 'paste_losses.png'), clip: { x: 0, y: 0, width: 1100, height: 420 } });
      console.log(`web: screenshot ${path.join(workDir, 'paste_losses.png')}`);
      let saved = await download(() => page.click('#save'));
      assert.ok(saved.bytes.equals(pasteOut));
      await page.evaluate(() => { document.getElementById('status').textContent = ''; });
      await page.click('#keep');
      await settled();
      const { out: pasteKeptOut, ...pasteKeptLoss } = pasteKept;
      assert.deepEqual(told(await note()), pasteKeptLoss, await note());
      saved = await download(() => page.click('#save'));
      assert.ok(saved.bytes.equals(pasteKeptOut) && saved.bytes.includes(chinese), 'kept paste differs from qorvel convert --keep');
      await page.click('#keep');
      await setBox('\uE235\uE236 AB\n');
      await settled();
      assert.equal(await note(), '');
    });

    await step('the keyboard reaches every control', async () => {
      await page.focus('#keep');
      const reached = new Set();
      for (let k = 0; k < 40; k++) {
        reached.add(await page.evaluate(() => document.activeElement.id || document.activeElement.textContent));
        await page.keyboard.press('Tab');
      }
      const folderShown = await page.$eval('#folder-row', (e) => !e.hidden);
      for (const id of ['keep', 'code', 'line-height', 'face', 'size', 'open', 'new', 'print-view', 'source', 'copy-web',
        'copy-wrapped', 'save', 'copy-html', 'save-html', 'view', 'file-code', 'choose-files', 'clear-finished',
        ...(folderShown ? ['choose-folder'] : []), '下载 big_mengkeli_qv.txt', '移除'])
        assert.ok(reached.has(id), `Tab does not reach ${id}`);
    });

    await step('a screenshot of the vertical view', async () => {
      // A face this machine has, and Latin and Chinese beside the Qorvel
      // glyphs, so the turned glyphs can be seen.
      await page.select('#code', '');
      await paste('Qorvel 蒙文 ABC \uE235\uE236\uE237 ' + 'vertical 竖排 '.repeat(20) + '\r\n第二列 second column\r\nAB');
      await page.$eval('#face', (e) => { e.value = 'WenQuanYi Zen Hei'; e.dispatchEvent(new Event('input')); });
      await page.$eval('#line-height', (e) => { e.value = '300'; e.dispatchEvent(new Event('input')); });
      await settled();
      await (await page.$('#view')).screenshot({ path: path.join(workDir, 'view.png') });
      console.log(`web: screenshot ${path.join(workDir, 'view.png')}`);
    });

    await step('a trap whose fresh instance fails to load says so; the next change loads one', async () => {
      const status = () => page.$eval('#status', (e) => e.textContent);
      const type = (text) => page.$eval('#source', (e, t) => {
        document.getElementById('status').textContent = '';
        e.value = t;
        e.dispatchEvent(new Event('input'));
      }, text);
      await page.select('#code', '');
      await type('AB');
      await settled();
      // A trap in the next call into the module (its memory cannot be
      // read), and the browser out of memory for the fresh instance, once.
      await page.evaluate(() => {
        const buffer = Object.getOwnPropertyDescriptor(WebAssembly.Memory.prototype, 'buffer');
        Object.defineProperty(WebAssembly.Memory.prototype, 'buffer', {
          configurable: true,
          get() {
            Object.defineProperty(WebAssembly.Memory.prototype, 'buffer', buffer);
            throw new WebAssembly.RuntimeError('memory access out of bounds');
          },
        });
        const instantiate = WebAssembly.instantiate;
        WebAssembly.instantiate = () => {
          WebAssembly.instantiate = instantiate;
          return Promise.reject(new RangeError('WebAssembly.instantiate(): Out of memory'));
        };
      });
      await type('CD');
      await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('转换程序出错后无法重新载入'));
      assert.match(await status(), /Out of memory/);
      const height = await page.$eval('#line-height', (e) => e.value);
      const [want] = await icuDecode([await run(qorvelPath, ['layout', '--wrapped', `--line-height=${height}`], Buffer.from('EF'))]);
      await type('EF');
      await settled();
      assert.equal(await page.$eval('#columns', (e) => e.textContent), lf(want));
      const got = await page.evaluate((b) => Array.from(window.qorvel.convert('hasi', Uint8Array.from(atob(b), (c) => c.charCodeAt(0)))), b64(samples.hasi));
      assert.ok(Buffer.from(got).equals(await run(qorvelPath, ['convert', '--quiet', '--from', 'hasi'], samples.hasi)));
    });

    await step('jobs: one removed, the ended ones cleared, their downloads\' URLs revoked; unfinished ones stay', async () => {
      await page.evaluate(() => {
        window.revokedUrls = [];
        const revoke = URL.revokeObjectURL;
        URL.revokeObjectURL = (url) => { window.revokedUrls.push(url); revoke.call(URL, url); };
      });
      const revoked = () => page.evaluate(() => window.revokedUrls.slice().sort());
      const items = () => page.$$eval('#jobs li', (lis) => lis.map((li) => ({
        name: li.querySelector('.name').textContent,
        ended: li.matches('.done, .failed, .cancelled'),
        url: li.querySelector('a') && li.querySelector('a').href,
      })));
      const allEnded = (n) => page.waitForFunction((k) => {
        const lis = document.querySelectorAll('#jobs li');
        return lis.length === k && [...lis].every((li) => li.matches('.done, .failed, .cancelled'));
      }, { timeout: 120000 }, n);
      const choose = async (files) => {
        const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
        await chooser.accept(files);
      };
      const urls = new Set();
      const earlier = await items();  // the jobs of the steps before, all ended
      earlier.forEach((j) => j.url && urls.add(j.url));
      assert.ok(earlier.length > 0 && earlier.every((j) => j.ended));

      await page.select('#file-code', 'mengkeli');
      const small = ['a', 'b', 'c'].map((n) => {
        const f = path.join(workDir, `${n}.txt`);
        fs.writeFileSync(f, randomBytes(2000 + random(2000), false));
        return f;
      });
      await choose(small);
      await allEnded(earlier.length + 3);
      (await items()).forEach((j) => j.url && urls.add(j.url));
      await (await page.$('#file-title')).evaluate((e) => e.scrollIntoView());
      await page.screenshot({ path: path.join(workDir, 'jobs.png') });
      console.log(`web: screenshot ${path.join(workDir, 'jobs.png')}`);

      // b removed from the keyboard: its URL alone revoked, the focus on
      // c's remove button, c's download still there.
      const b = earlier.length + 1;
      const bUrl = (await items())[b].url;
      await page.focus(`#jobs li:nth-child(${b + 1}) button.remove`);
      await page.keyboard.press('Enter');
      assert.deepEqual((await items()).map((j) => j.name).slice(earlier.length), ['a.txt', 'c.txt']);
      assert.deepEqual(await revoked(), [bUrl]);
      assert.equal(await page.evaluate(() => document.activeElement.getAttribute('aria-label')), '移除 c.txt');
      const got = await download(() => page.click(`#jobs li:nth-child(${earlier.length + 2}) a`));
      assert.ok(got.bytes.equals(await run(qorvelPath, ['convert', '--quiet', '--from', 'mengkeli', small[2]], '')));

      // Cleared while a long job converts and one waits behind it: the jobs
      // not ended when the click lands stay, the rest go.
      const big = path.join(workDir, 'long.txt');
      // Large enough, and watched often enough, that a busy machine still
      // clicks while it converts.
      fs.writeFileSync(big, Buffer.alloc(160 << 20, samples.mengkeli));
      await choose([big, small[0]]);
      await page.waitForFunction(() => document.querySelector('#jobs li:last-child').previousElementSibling
        .querySelector('progress').value > 0, { polling: 10 });
      const unended = await page.evaluate(() => {
        const names = [...document.querySelectorAll('#jobs li')].filter((li) => !li.matches('.done, .failed, .cancelled'))
          .map((li) => li.querySelector('.name').textContent);
        document.getElementById('clear-finished').click();
        return names;
      });
      assert.ok(unended.length > 0, 'both jobs ended before the click');
      assert.deepEqual((await items()).map((j) => j.name), unended);
      assert.deepEqual(await revoked(), [...urls].sort());

      await allEnded(unended.length);
      (await items()).forEach((j) => j.url && urls.add(j.url));
      await page.click('#clear-finished');
      assert.deepEqual(await items(), []);
      assert.deepEqual(await revoked(), [...urls].sort());
      assert.equal(urls.size, earlier.filter((j) => j.url).length + 5);
      assert.ok(await page.$eval('#clear-finished', (e) => e.hidden));
      assert.equal(await page.evaluate(() => document.activeElement.id), 'choose-files');
    });

    await step('nothing but the page itself was requested', async () => {
      const others = requests.filter((u) => u !== pageUrl && !u.startsWith('blob:') && !u.startsWith('data:'));
      assert.deepEqual(others, []);
    });
  } catch (err) {
    failures.push(err.stack || String(err));
  } finally {
    await browser.close();
  }
  for (const f of failures) console.error(`web: FAILED: ${f}`);
  console.log(`web: ${steps.length} passed, ${failures.length} failed`);
  process.exit(failures.length ? 1 : 0);
})();
