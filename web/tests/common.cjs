// What the page's checks share: running qorvel, a replayable random
// source, the system's headless Chromium, and waiting for a download.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const puppeteer = require('puppeteer-core');

function run(cmd, args, input) {
  return new Promise((resolve, reject) => {
    const child = spawn(cmd, args, { stdio: ['pipe', 'pipe', 'pipe'] });
    const out = [], err = [];
    child.stdout.on('data', (d) => out.push(d));
    child.stderr.on('data', (d) => err.push(d));  // qorvel notes a NUL byte there
    child.on('error', reject);
    // qorvel stops reading at a NUL byte and may exit before the rest of
    // the input is written; its exit status still says how it went.
    child.stdin.on('error', (e) => { if (e.code !== 'EPIPE') reject(e); });
    child.on('close', (code) => (code === 0 ? resolve(Buffer.concat(out))
      : reject(new Error(`${cmd} ${args.join(' ')}: exit ${code}: ${Buffer.concat(err)}`))));
    child.stdin.end(input);
  });
}

// Runs the jobs two at a time (the machine may be busy with other work).
async function all(jobs) {
  const results = new Array(jobs.length);
  let next = 0;
  const worker = async () => { while (next < jobs.length) { const k = next++; results[k] = await jobs[k](); } };
  await Promise.all([worker(), worker()]);
  return results;
}

// xorshift, so that a failure can be replayed with its seed.
function randomSource(seed) {
  let state = seed || 1;
  const random = (n) => {
    state ^= state << 13; state >>>= 0;
    state ^= state >>> 17;
    state ^= state << 5; state >>>= 0;
    return state % n;
  };
  return { random, pick: (list) => list[random(list.length)] };
}

function launch(workDir, downloads) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync', `--user-data-dir=${path.join(workDir, 'profile')}`],
  }).then(async (browser) => {
    if (downloads) {
      const cdp = await browser.target().createCDPSession();
      await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    }
    return browser;
  });
}

// Downloads into `dir`, each awaited until the browser says it is complete
// (a file can stand under its name before all its bytes do):
// `await download(() => page.click(...))` gives the bytes and removes the file.
async function downloader(browser, dir) {
  const cdp = await browser.target().createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: dir, eventsEnabled: true });
  return async (action) => {
    let name = null;
    const complete = new Promise((resolve, reject) => {
      const begin = (e) => { name = e.suggestedFilename; };
      const progress = (e) => {
        if (e.state === 'inProgress') return;
        cdp.off('Browser.downloadWillBegin', begin);
        cdp.off('Browser.downloadProgress', progress);
        if (e.state === 'completed') resolve(); else reject(new Error(`download ${e.state}`));
      };
      cdp.on('Browser.downloadWillBegin', begin);
      cdp.on('Browser.downloadProgress', progress);
    });
    await action();
    await complete;
    const file = path.join(dir, name);
    const bytes = fs.readFileSync(file);
    fs.rmSync(file);
    return { name, bytes };
  };
}

const b64 = (b) => Buffer.from(b).toString('base64');
const unb64 = (s) => Buffer.from(s, 'base64');

module.exports = { run, all, randomSource, launch, downloader, b64, unb64 };
