// Benchmark (not a test): a large file converted by the page's worker in
// headless Chromium against `qorvel convert` of the same file, per code.
// Also reports how often the page showed progress while converting, the
// longest wait between two progress steps, and the longest time its main
// thread did not answer (a 10 ms timer's largest gap).
//   node bench.cjs PAGE QORVEL WORK_DIR MB RUNS
'use strict';
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

const [pagePath, qorvel, workDir] = process.argv.slice(2, 5).map((p) => path.resolve(p));
const mb = Number(process.argv[5] || 100);
const runs = Number(process.argv[6] || 3);
const samplesDir = path.join(__dirname, '../../samples');
const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
const sha = (file) => crypto.createHash('sha256').update(fs.readFileSync(file)).digest('hex');

function makeInput(sample, file) {  // the sample repeated to exactly mb MiB
  const unit = fs.readFileSync(sample);
  const size = mb << 20;
  const out = Buffer.alloc(size);
  for (let at = 0; at < size; at += unit.length) unit.copy(out, at, 0, Math.min(unit.length, size - at));
  fs.writeFileSync(file, out);
}

(async () => {
  fs.rmSync(workDir, { recursive: true, force: true });
  const downloads = path.join(workDir, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  const browser = await puppeteer.launch({
    executablePath: '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${path.join(workDir, 'profile')}`],
  });
  const cdp = await browser.target().createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
  const page = await browser.newPage();
  await page.goto('file://' + pagePath);
  await page.evaluate(() => window.qorvel.ready);
  const codes = await page.evaluate(() => window.qorvel.codes().map((c) => c.name));
  console.log(`${mb} MiB per code, median of ${runs} runs`);
  console.log('code             qorvel_s   page_s  page/qorvel  progress/s  longest_gap_ms  main_thread_gap_ms');
  let job = 0;
  for (const code of codes) {
    const input = path.join(workDir, `${code}.txt`);
    makeInput(path.join(samplesDir, `${code.replace(/-.*/, '')}_sample.txt`), input);
    const cliOut = path.join(workDir, 'cli_out.txt');
    const q = [], w = [], rates = [], gaps = [], stalls = [];
    for (let r = 0; r < runs; r++) {
      let t = process.hrtime.bigint();
      execFileSync(qorvel, ['convert', '-q', '--from', code, '-o', cliOut, input]);
      q.push(Number(process.hrtime.bigint() - t) / 1e9);

      await page.select('#file-code', code);
      await page.evaluate(() => {
        // Progress changes and the main thread's answers, in page time.
        window.benchProgress = [];
        window.benchGap = 0;
        let last = performance.now();
        window.benchTimer = setInterval(() => { const now = performance.now(); window.benchGap = Math.max(window.benchGap, now - last); last = now; }, 10);
        // Progress while converting; the saving step after it shows its own state.
        window.benchObserver = new MutationObserver(() => {
          const state = document.querySelector('#jobs li:last-child .state');
          if (state && state.textContent === '正在转换...') window.benchProgress.push(performance.now());
        });
        window.benchObserver.observe(document.getElementById('jobs'), { attributes: true, subtree: true, attributeFilter: ['value'] });
      });
      const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#choose-files')]);
      t = process.hrtime.bigint();
      await chooser.accept([input]);
      job++;
      await page.waitForFunction((n) => document.querySelectorAll('#jobs li.done').length === n, { timeout: 600000, polling: 20 }, job);
      w.push(Number(process.hrtime.bigint() - t) / 1e9);
      const times = await page.evaluate(() => { clearInterval(window.benchTimer); window.benchObserver.disconnect(); return { p: window.benchProgress, gap: window.benchGap }; });
      const p = times.p;
      const span = (p[p.length - 1] - p[0]) / 1000;
      rates.push(span > 0 ? (p.length - 1) / span : 0);
      let longest = 0;
      for (let k = 1; k < p.length; k++) longest = Math.max(longest, p[k] - p[k - 1]);
      gaps.push(longest);
      stalls.push(times.gap);
    }
    // The page's result is the command line's, byte for byte.
    const name = `${code}_qv.txt`;
    await page.click(`#jobs li:nth-child(${job}) a`);
    const got = path.join(downloads, name);
    while (!fs.existsSync(got) || fs.statSync(got).size !== fs.statSync(cliOut).size) await new Promise((r) => setTimeout(r, 100));
    if (sha(got) !== sha(cliOut)) throw new Error(`${code}: the page's output differs from qorvel's`);
    fs.rmSync(got);
    fs.rmSync(input);
    console.log(`${code.padEnd(16)} ${median(q).toFixed(3).padStart(8)} ${median(w).toFixed(3).padStart(8)} ${(median(w) / median(q)).toFixed(2).padStart(11)}x ${median(rates).toFixed(0).padStart(11)} ${Math.max(...gaps).toFixed(0).padStart(15)} ${Math.max(...stalls).toFixed(0).padStart(19)}`);
  }
  await browser.close();
})();
