// Benchmark (not a test): a large file converted by the page's worker in
// headless Chromium against `qorvel convert` of the same file, per code,
// the three in turn in every round: qorvel, the page writing into a folder
// (the origin's private file system stands in for the folder a user picks;
// the page is served from a loopback address, which that needs), and the
// page keeping the output for a download.
// Each way runs in a browser of its own. Also reports the page's memory in
// each way (the peak resident size of its renderer process, which holds the
// page and its worker, how far that rose above its size before the file was
// chosen, and how far the browser's own process rose, which the written
// bytes pass through), how
// often the page showed progress while converting, the longest wait
// between two progress steps, and the longest time its main thread did not
// answer (a 10 ms timer's largest gap).
//   node bench.cjs PAGE QORVEL WORK_DIR MB RUNS [CODE...]   (default: every code)
'use strict';
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const { launch } = require('./common.cjs');

const [pagePath, qorvel, workDir] = process.argv.slice(2, 5).map((p) => path.resolve(p));
const mb = Number(process.argv[5] || 100);
const runs = Number(process.argv[6] || 3);
const only = process.argv.slice(7);
const samplesDir = path.join(__dirname, '../../samples');
const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
const sha = (file) => crypto.createHash('sha256').update(fs.readFileSync(file)).digest('hex');
const MiB = 1 << 20;

function makeInput(sample, file) {  // the sample repeated to exactly mb MiB
  const unit = fs.readFileSync(sample);
  const size = mb * MiB;
  const out = Buffer.alloc(size);
  for (let at = 0; at < size; at += unit.length) unit.copy(out, at, 0, Math.min(unit.length, size - at));
  fs.writeFileSync(file, out);
}

// The browser's processes: its own and its renderers, by their pids.
function processes(browserPid, profile) {
  const found = { browser: [browserPid], renderer: [] };
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    let cmd;
    try { cmd = fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8'); } catch { continue; }
    if (cmd.includes(profile) && cmd.includes('--type=renderer')) found.renderer.push(Number(pid));
  }
  return found;
}
// The kernel's peak resident size of a process starts afresh from its
// present size when "5" is written to clear_refs.
function resetPeaks(pids) {
  for (const pid of pids) try { fs.writeFileSync(`/proc/${pid}/clear_refs`, '5'); } catch { /* gone */ }
}
function resident(pid, field) {
  try {
    return Number(fs.readFileSync(`/proc/${pid}/status`, 'utf8').match(new RegExp(`${field}:\\s+(\\d+) kB`))[1]) * 1024;
  } catch {
    return 0;  // gone
  }
}
// How far the processes' resident sizes rose above what they were before:
// the largest rise of one of them.
function rise(before) {
  let most = 0;
  for (const [pid, size] of before) most = Math.max(most, resident(pid, 'VmHWM') - size);
  return most;
}
const sizes = (pids) => new Map(pids.map((pid) => [pid, resident(pid, 'VmRSS')]));

(async () => {
  fs.rmSync(workDir, { recursive: true, force: true });
  const downloads = path.join(workDir, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  const html = fs.readFileSync(pagePath);
  const server = http.createServer((req, res) => { res.setHeader('Content-Type', 'text/html; charset=utf-8'); res.end(html); });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const url = `http://127.0.0.1:${server.address().port}/`;

  // Each way in a browser of its own, so that each page's memory is its
  // own renderer's.
  async function session(name) {
    const dir = path.join(workDir, name);
    const browser = await launch(dir, downloads);
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(() => {
      window.showDirectoryPicker = async () =>
        (await navigator.storage.getDirectory()).getDirectoryHandle('picked', { create: true });
    });
    await page.goto(url);
    await page.evaluate(() => window.qorvel.ready);
    const cdp = await page.createCDPSession();
    return { browser, page, cdp, jobs: 0, procs: () => processes(browser.process().pid, path.join(dir, 'profile')) };
  }
  const folderWay = await session('folder');
  const downloadWay = await session('download');
  await folderWay.page.click('#choose-folder');
  await folderWay.page.waitForFunction(() => document.getElementById('folder-state').textContent.includes('picked'));
  const codes = (await folderWay.page.evaluate(() => window.qorvel.codes().map((c) => c.name)))
    .filter((c) => !only.length || only.includes(c));

  // One conversion through the page; its time from the file's choice to the
  // job's end, its progress, and its memory.
  async function throughPage(way, code, input) {
    const page = way.page;
    await page.select('#file-code', code);
    await page.evaluate(() => {
      // Progress changes and the main thread's answers, in page time.
      window.benchProgress = [];
      window.benchGap = 0;
      let last = performance.now();
      window.benchTimer = setInterval(() => { const now = performance.now(); window.benchGap = Math.max(window.benchGap, now - last); last = now; }, 10);
      // Progress while converting; the step after it shows its own state.
      window.benchObserver = new MutationObserver(() => {
        const state = document.querySelector('#jobs li:last-child .state');
        if (state && state.textContent === '正在转换...') window.benchProgress.push(performance.now());
      });
      window.benchObserver.observe(document.getElementById('jobs'), { attributes: true, subtree: true, attributeFilter: ['value'] });
    });
    const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
    const p = way.procs();
    resetPeaks([...p.browser, ...p.renderer]);
    const before = { renderer: sizes(p.renderer), browser: sizes(p.browser) };
    const t = process.hrtime.bigint();
    await chooser.accept([input]);
    const job = ++way.jobs;
    await page.waitForFunction((n) => document.querySelectorAll('#jobs li.done, #jobs li.failed').length === n, { timeout: 600000, polling: 20 }, job);
    const seconds = Number(process.hrtime.bigint() - t) / 1e9;
    const result = {
      seconds,
      tab: Math.max(...[...before.renderer.keys()].map((pid) => resident(pid, 'VmHWM'))),
      tabRise: rise(before.renderer),
      browserRise: rise(before.browser),
    };
    const times = await page.evaluate(() => { clearInterval(window.benchTimer); window.benchObserver.disconnect(); return { p: window.benchProgress, gap: window.benchGap }; });
    const steps = times.p;
    const span = (steps[steps.length - 1] - steps[0]) / 1000;
    result.rate = span > 0 ? (steps.length - 1) / span : 0;
    result.longest = 0;
    for (let k = 1; k < steps.length; k++) result.longest = Math.max(result.longest, steps[k] - steps[k - 1]);
    result.stall = times.gap;
    const state = await page.$eval(`#jobs li:nth-child(${job}) .state`, (e) => e.textContent);
    if (!state.startsWith('转换结束')) throw new Error(`${code}: ${state}`);
    return result;
  }

  // The page's result is the command line's, byte for byte, in either way.
  // The folder's file is compared a slice at a time, so that the check does
  // not swell the tab whose memory is measured.
  async function checkFolder(code, name, want) {
    const SLICE = 4 * MiB;
    const size = want.length;
    const got = await folderWay.page.evaluate(async (n) => {
      const folder = await (await navigator.storage.getDirectory()).getDirectoryHandle('picked');
      return (await (await folder.getFileHandle(n)).getFile()).size;
    }, name);
    if (got !== size) throw new Error(`${code}: the page's file in the folder has ${got} bytes, qorvel's ${size}`);
    for (let at = 0; at < size; at += SLICE) {
      const digest = await folderWay.page.evaluate(async (n, from, to) => {
        const folder = await (await navigator.storage.getDirectory()).getDirectoryHandle('picked');
        const bytes = await (await (await folder.getFileHandle(n)).getFile()).slice(from, to).arrayBuffer();
        return Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', bytes)), (b) => b.toString(16).padStart(2, '0')).join('');
      }, name, at, at + SLICE);
      const expected = crypto.createHash('sha256').update(want.subarray(at, at + SLICE)).digest('hex');
      if (digest !== expected) throw new Error(`${code}: the page's file in the folder differs from qorvel's after byte ${at}`);
    }
    await folderWay.page.evaluate(async (n) => {
      await (await (await navigator.storage.getDirectory()).getDirectoryHandle('picked')).removeEntry(n);
    }, name);
    await folderWay.cdp.send('HeapProfiler.collectGarbage');  // what the check read
  }
  async function checkDownload(code, name, want, size) {
    await downloadWay.page.click(`#jobs li:nth-child(${downloadWay.jobs}) a`);
    const got = path.join(downloads, name);
    while (!fs.existsSync(got) || fs.statSync(got).size !== size) await new Promise((r) => setTimeout(r, 100));
    if (sha(got) !== want) throw new Error(`${code}: the page's download differs from qorvel's`);
    fs.rmSync(got);
  }

  const largest = (way) => (Math.max(...sizes(way.procs().renderer).values()) / MiB).toFixed(0);
  console.log(`the tabs before their first file: folder ${largest(folderWay)} MiB, download ${largest(downloadWay)} MiB`);
  console.log(`${mb} MiB per code, median of ${runs} runs. Memory, the largest of the runs: the tab's peak resident size`);
  console.log('(its renderer process, page and worker), in brackets its rise during the run, and the rise of the browser\'s own process');
  console.log('code             qorvel_s  folder_s folder/qorvel  download_s download/qorvel     folder_MiB       download_MiB  progress/s  longest_gap_ms  main_thread_gap_ms');
  for (const code of codes) {
    const input = path.join(workDir, `${code}.txt`);
    makeInput(path.join(samplesDir, `${code.replace(/-.*/, '')}_sample.txt`), input);
    const name = `${code}_qv.txt`;
    const cliOut = path.join(workDir, 'cli_out.txt');
    const q = [], f = [], d = [];
    for (let r = 0; r < runs; r++) {
      const t = process.hrtime.bigint();
      execFileSync(qorvel, ['convert', '-q', '--from', code, '-o', cliOut, input]);
      q.push(Number(process.hrtime.bigint() - t) / 1e9);
      const want = fs.readFileSync(cliOut);
      f.push(await throughPage(folderWay, code, input));
      await checkFolder(code, name, want);
      d.push(await throughPage(downloadWay, code, input));
      await checkDownload(code, name, sha(cliOut), want.length);
    }
    fs.rmSync(input);
    const m = (list, key) => median(list.map((x) => x[key]));
    const most = (list, key) => (Math.max(...list.map((x) => x[key])) / MiB).toFixed(0);
    const memory = (list) => `${most(list, 'tab')} (+${most(list, 'tabRise')}) +${most(list, 'browserRise')}`;
    const all = f.concat(d);
    console.log(`${code.padEnd(16)} ${median(q).toFixed(3).padStart(8)} ${m(f, 'seconds').toFixed(3).padStart(9)} ${(m(f, 'seconds') / median(q)).toFixed(2).padStart(12)}x ${m(d, 'seconds').toFixed(3).padStart(11)} ${(m(d, 'seconds') / median(q)).toFixed(2).padStart(14)}x ${memory(f).padStart(14)} ${memory(d).padStart(18)} ${m(all, 'rate').toFixed(0).padStart(11)} ${Math.max(...all.map((x) => x.longest)).toFixed(0).padStart(15)} ${Math.max(...all.map((x) => x.stall)).toFixed(0).padStart(19)}`);
  }

  // What the browser's writing alone costs: MB MiB of zeros through a
  // writable stream into the folder, 4 MiB at a time as the worker writes.
  const writes = [];
  for (let r = 0; r < runs; r++) {
    writes.push(await folderWay.page.evaluate(async (size) => {
      const folder = await (await navigator.storage.getDirectory()).getDirectoryHandle('picked');
      const started = performance.now();
      const writable = await (await folder.getFileHandle('zeros', { create: true })).createWritable();
      const chunk = new Uint8Array(4 << 20);
      const inFlight = [];
      for (let at = 0; at < size; at += chunk.length) {
        inFlight.push(writable.write(chunk.subarray(0, Math.min(chunk.length, size - at))));
        if (inFlight.length > 2) await inFlight.shift();
      }
      await Promise.all(inFlight);
      await writable.close();
      const seconds = (performance.now() - started) / 1000;
      await folder.removeEntry('zeros');
      return seconds;
    }, mb * MiB));
  }
  console.log(`the browser writing ${mb} MiB into the folder, nothing else: ${median(writes).toFixed(3)} s`);
  await folderWay.browser.close();
  await downloadWay.browser.close();
  server.close();
})().catch((err) => { console.error(err); process.exit(1); });
