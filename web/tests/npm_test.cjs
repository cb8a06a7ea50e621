// The npm package as a developer gets it: the tarball installed with npm
// into an empty folder (offline: it has no dependencies), imported by name
// from a Node script and from a plain page (an import map, no bundler) that
// the system's headless Chromium loads from a loopback address. Both run
// the same job, checked against the command line and ICU:
//   - convert() whole and a Converter fed in random pieces, with and without
//     keep, on random inputs of every code: the bytes of `qorvel convert
//     [--keep]`, and the dropped count, first offsets and the NUL that ended
//     the text as qorvel names them on standard error;
//   - layout() against `qorvel layout`; codes() and the version against
//     qorvel's; toText/fromText at the edges of code page 936 (the page's
//     test compares the same table with ICU throughout);
//   - errors carry the library's messages; the page asks for nothing but
//     its own files;
//   - the declarations: a TypeScript program using every export compiles
//     strictly against the installed package (Debian's tsc) and runs.
//
//   node npm_test.cjs TARBALL QORVEL ROOT WORK_DIR
'use strict';
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { spawnSync } = require('node:child_process');
const { randomSource, launch } = require('./common.cjs');

const [tarball, qorvelPath, root, workDir] = process.argv.slice(2).map((p) => path.resolve(p));
const seed = Number(process.env.QORVEL_WEB_SEED || Date.now() % 1e9);
const { random, pick } = randomSource(seed);

function sh(cmd, args, input) {
  const r = spawnSync(cmd, args, { input, cwd: workDir, maxBuffer: 1 << 28 });
  if (r.status !== 0) throw new Error(`${cmd} ${args.join(' ')}: exit ${r.status}: ${r.stdout}${r.stderr}`);
  return r;
}

// ---- install ----

fs.rmSync(workDir, { recursive: true, force: true });
fs.mkdirSync(workDir, { recursive: true });
fs.copyFileSync(tarball, path.join(workDir, path.basename(tarball)));
fs.writeFileSync(path.join(workDir, 'package.json'), '{ "private": true }\n');
sh('npm', ['install', `./${path.basename(tarball)}`, '--offline', '--no-audit', '--no-fund', '--loglevel=error']);
const installed = path.join(workDir, 'node_modules', 'qorvel');
assert.deepEqual(fs.readdirSync(installed).sort(), ['LICENSE', 'README.md', 'package.json', 'qorvel.d.ts', 'qorvel.mjs']);
const manifest = JSON.parse(fs.readFileSync(path.join(installed, 'package.json'), 'utf8'));
assert.equal(`qorvel ${manifest.version}\n`, sh(qorvelPath, ['--version']).stdout.toString());
assert.equal(manifest.license, 'MIT');
assert.equal(fs.readFileSync(path.join(installed, 'LICENSE'), 'utf8'), fs.readFileSync(path.join(root, 'LICENSE'), 'utf8'));

// ---- the job and what qorvel says of it ----

const samples = fs.readdirSync(path.join(root, 'samples')).filter((f) => f.endsWith('_sample.txt'))
  .map((f) => fs.readFileSync(path.join(root, 'samples', f)));
const STEER = [0x00, 0x0A, 0x0D, 0x20, 0x3F, 0x41, 0x7F, 0x80, 0x81, 0xA1, 0xA3, 0xB0, 0xF8, 0xFE, 0xFF];
function randomBytes(length, nul) {
  const out = [];
  while (out.length < length) {
    const kind = random(8);
    if (kind < 3) { const s = pick(samples); const at = random(s.length); out.push(...s.subarray(at, at + 1 + random(40))); }
    else if (kind < 6) out.push(pick(STEER));
    else out.push(random(256));
  }
  const bytes = Buffer.from(out.slice(0, length).map((b) => (b === 0 && !nul ? 0x20 : b)));
  // A NUL that ends the text with only NULs after it ends nothing early, and
  // qorvel does not name it, where endedAt does: the last byte is no NUL.
  if (nul && length > 1) bytes[random(length - 1)] = 0;
  if (length && bytes[length - 1] === 0) bytes[length - 1] = 0x41;
  return bytes;
}
const b64 = (b) => Buffer.from(b).toString('base64');
const units = (text) => b64(Buffer.from(text, 'utf16le'));

const list = sh(qorvelPath, ['convert', '--list']).stdout.toString().trim().split('\n')
  .map((line) => { const [name, description] = line.split('\t'); return { name, description }; });
const job = { conversions: [], layouts: [], decode: [], encode: [] };
const expected = { version: manifest.version, codes: list, conversions: [], layouts: [], decoded: [], encoded: [] };
// One input of one code is over two of the slices a Converter feeds the
// library (1 MiB), fed whole.
const large = pick(list).name;
for (const { name } of list) {
  for (let k = 0; k < 6; k++) {
    const big = name === large && k === 0;
    const input = randomBytes(big ? 2500000 : pick([0, 1, 2, 7, 100, 3000, 70000]), k % 3 === 2);
    const cuts = Array.from({ length: big ? 0 : random(6) }, () => random(input.length + 1)).sort((a, b) => a - b);
    for (const keep of [false, true]) {
      job.conversions.push({ code: name, input: b64(input), cuts, keep });
      const r = sh(qorvelPath, ['convert', '--from', name, ...(keep ? ['--keep'] : [])], input);
      const err = r.stderr.toString();
      const drops = /(\d+) bytes? dropped.*? at offsets? ([\d, ]+)/.exec(err);
      const ended = /NUL byte at offset (\d+)/.exec(err);
      expected.conversions.push({
        code: name, keep, whole: b64(r.stdout), streamed: b64(r.stdout), dropped: drops ? Number(drops[1]) : 0,
        offsets: drops ? drops[2].split(', ').map(Number) : [], endedAt: ended ? Number(ended[1]) : null,
      });
    }
  }
}
for (let k = 0; k < 12; k++) {
  const input = randomBytes(random(4000), k % 4 === 0);
  const lineHeight = pick([0, 1, 16, 100, 500, -1, 0xFFFFFFFF]);
  const wrapped = random(2) === 1;
  job.layouts.push({ input: b64(input), lineHeight, wrapped });
  expected.layouts.push(b64(sh(qorvelPath, ['layout', '--line-height', String(lineHeight), ...(wrapped ? ['--wrapped'] : [])], input).stdout));
}
// The user-defined area at U+E234.., 0x80 the euro, U+FFFD for a lead byte
// alone, one '?' for a character beyond the code page and a lone surrogate.
job.decode = [[0xF8, 0xA1, 0xB0, 0xA1, 0x80, 0x41], [0xFE, 0xFE, 0x81]].map(b64);
expected.decoded = ['\uE234\u554A\u20AC\u0041', '\uE4C5\uFFFD'].map(units);
job.encode = ['\uE234\u554A\u20AC\u0041\u{1F600}\uD800', '\uE4C5\u00A0'].map(units);
expected.encoded = [[0xF8, 0xA1, 0xB0, 0xA1, 0x80, 0x41, 0x3F, 0x3F], [0xFE, 0xFE, 0x3F]].map(b64);
expected.errors = {
  unknown: "RangeError: unknown code 'no-such-code'",
  finished: 'Error: the converter is finished: reset it before new input',
  closed: 'Error: the converter is closed',
  option: "TypeError: unknown option 'html' (known: lineHeight, wrapped)",
  notBytes: 'TypeError: a Uint8Array is expected',
};

// ---- the job, as the package runs it (Node and the page run this text) ----

function exercise(q, job) {
  const unb64 = (s) => Uint8Array.from(atob(s), (c) => c.charCodeAt(0));
  const b64 = (b) => { let s = ''; for (let i = 0; i < b.length; i += 0x8000) s += String.fromCharCode(...b.subarray(i, i + 0x8000)); return btoa(s); };
  const join = (parts) => { const out = new Uint8Array(parts.reduce((n, p) => n + p.length, 0)); let at = 0; for (const p of parts) { out.set(p, at); at += p.length; } return out; };
  const units = (text) => b64(new Uint8Array(Uint16Array.from({ length: text.length }, (_, i) => text.charCodeAt(i)).buffer));
  const fromUnits = (s) => String.fromCharCode(...new Uint16Array(unb64(s).buffer));
  const failure = (call) => { try { call(); return 'no error'; } catch (e) { return `${e.name}: ${e.message}`; } };
  const out = { version: q.version, codes: q.codes(), conversions: [] };
  for (const c of job.conversions) {
    const input = unb64(c.input);
    const options = c.keep ? { keep: true } : undefined;
    const conv = new q.Converter(c.code, options);
    const parts = c.cuts.map((cut, k) => conv.feed(input.subarray(k ? c.cuts[k - 1] : 0, cut)));
    parts.push(conv.feed(input.subarray(c.cuts.length ? c.cuts[c.cuts.length - 1] : 0)), conv.finish());
    out.conversions.push({ code: c.code, keep: c.keep, whole: b64(q.convert(c.code, input, options)), streamed: b64(join(parts)),
      dropped: conv.dropped, offsets: conv.droppedOffsets, endedAt: conv.endedAt });
    conv.close();
  }
  out.layouts = job.layouts.map((l) => b64(q.layout(unb64(l.input), { lineHeight: l.lineHeight, wrapped: l.wrapped })));
  out.decoded = job.decode.map((s) => units(q.toText(unb64(s))));
  out.encoded = job.encode.map((s) => b64(q.fromText(fromUnits(s))));
  const done = new q.Converter('hasi');
  done.finish();
  const closed = new q.Converter('hasi');
  closed.close();
  out.errors = {
    unknown: failure(() => q.convert('no-such-code', new Uint8Array(1))),
    finished: failure(() => done.feed(new Uint8Array(1))),
    closed: failure(() => closed.feed(new Uint8Array(1))),
    option: failure(() => q.layout(new Uint8Array(1), { html: true })),
    notBytes: failure(() => q.convert('hasi', [0x41])),
  };
  done.close();
  return out;
}

function check(where, got) {
  for (const key of Object.keys(expected)) {
    if (key !== 'conversions') { assert.deepEqual(got[key], expected[key], `${where}: ${key} (seed ${seed})`); continue; }
    got.conversions.forEach((c, k) => assert.deepEqual(c, expected.conversions[k],
      `${where}: conversion ${k} (${c.code}${c.keep ? ', keep' : ''}; seed ${seed})`));
  }
  const lossy = expected.conversions.filter((c) => c.dropped).length;
  const ended = expected.conversions.filter((c) => c.endedAt !== null).length;
  console.log(`${where}: ${got.conversions.length} conversions (${lossy} dropping bytes, ${ended} ended by a NUL) ` +
    `and ${got.layouts.length} layouts as qorvel gives them`);
}

async function main() {
  const jobFile = path.join(workDir, 'job.json');
  fs.writeFileSync(jobFile, JSON.stringify(job));
  fs.writeFileSync(path.join(workDir, 'check.mjs'), `import * as qorvel from 'qorvel';\nimport { readFileSync } from 'node:fs';\n` +
    `process.stdout.write(JSON.stringify((${exercise})(qorvel, JSON.parse(readFileSync(process.argv[2], 'utf8')))));\n`);
  check('node', JSON.parse(sh(process.execPath, ['check.mjs', jobFile]).stdout));

  fs.writeFileSync(path.join(workDir, 'types.mts'), `import * as q from 'qorvel';
const code: string = q.codes()[0].name, bytes: Uint8Array = new Uint8Array([0x41, 0xFF]);
const conv: q.Converter = new q.Converter(code, { keep: true });
const out: Uint8Array[] = [conv.feed(bytes), conv.finish(), q.convert(code, bytes, { keep: false })];
const loss: [number, number[], number | null, boolean] = [conv.dropped, conv.droppedOffsets, conv.endedAt, conv.ended];
conv.close();
const text: string = q.toText(q.layout(bytes, { lineHeight: q.DEFAULT_LINE_HEIGHT, wrapped: true }));
// @ts-expect-error: an option this version does not know
const refused = () => q.layout(bytes, { html: true });
console.log(q.version, out.length, loss.length, q.fromText(text) instanceof Uint8Array, q.DROPPED_OFFSETS, typeof refused);
`);
  sh('tsc', ['--strict', '--noEmitOnError', '--module', 'nodenext', '--target', 'es2022', 'types.mts']);
  assert.equal(sh(process.execPath, ['types.mjs']).stdout.toString(), `${manifest.version} 3 4 true 5 function\n`);
  console.log('types: a program using every export compiles against qorvel.d.ts and runs');

  fs.writeFileSync(path.join(workDir, 'index.html'), '<!doctype html><meta charset="utf-8"><title>qorvel</title><link rel="icon" href="data:,">\n' +
    '<script type="importmap">{ "imports": { "qorvel": "./node_modules/qorvel/qorvel.mjs" } }</script>\n' +
    "<script type=\"module\">import * as qorvel from 'qorvel'; window.qorvel = qorvel;</script>\n");
  const types = { '.html': 'text/html', '.mjs': 'text/javascript' };
  const server = http.createServer((req, res) => {
    const file = path.join(workDir, decodeURIComponent(new URL(req.url, 'http://x').pathname));
    if (!file.startsWith(workDir + path.sep) || !fs.existsSync(file)) { res.writeHead(404).end(); return; }
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' }).end(fs.readFileSync(file));
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const origin = `http://127.0.0.1:${server.address().port}`;
  const browser = await launch(workDir);
  try {
    const page = await browser.newPage();
    const asked = [], errors = [];
    page.on('request', (r) => asked.push(r.url()));
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(`${origin}/index.html`);
    await page.waitForFunction(() => window.qorvel, { timeout: 20000 });
    check('chromium', await page.evaluate(`(${exercise})(window.qorvel, ${JSON.stringify(job)})`));
    assert.deepEqual(errors, []);
    assert.deepEqual(asked, [`${origin}/index.html`, `${origin}/node_modules/qorvel/qorvel.mjs`]);
  } finally {
    await browser.close();
    server.close();
  }
}

main().catch((err) => { console.error(`seed ${seed}:`, err); process.exit(1); });
