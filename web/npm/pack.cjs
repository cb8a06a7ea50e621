// Puts the npm package's folder together: qorvel.mjs with the page's
// scripts (core.js, cp936.js), the code page table and the module's bytes
// (base64) written into it, the declarations, the README, the suite's
// LICENSE, and package.json with the suite's version, which the wasm
// build read from the top CMakeLists.txt. build.sh packs the folder.
//   node pack.cjs NPM_DIR PAGE_DIR CORE_WASM CP936_TABLE_JS VERSION_FILE LICENSE OUT_DIR
'use strict';
const fs = require('fs');
const path = require('path');

const [npmDir, pageDir, wasmPath, tablePath, versionPath, licensePath, outDir] = process.argv.slice(2);
if (!outDir) {
  console.error('usage: node pack.cjs NPM_DIR PAGE_DIR CORE_WASM CP936_TABLE_JS VERSION_FILE LICENSE OUT_DIR');
  process.exit(2);
}

const version = fs.readFileSync(versionPath, 'utf8').trim();
if (!/^\d+\.\d+\.\d+$/.test(version)) throw new Error(`${versionPath} holds no version`);

const parts = {
  '/*@CP936_TABLE@*/': fs.readFileSync(tablePath, 'utf8'),
  '/*@CP936@*/': fs.readFileSync(path.join(pageDir, 'cp936.js'), 'utf8'),
  '/*@CORE@*/': fs.readFileSync(path.join(pageDir, 'core.js'), 'utf8'),
  // A template literal: base64 holds neither ` nor ${, and atob skips the line ends.
  '@WASM@': fs.readFileSync(wasmPath).toString('base64').replace(/.{1,100}/g, '$&\n'),
  '@VERSION@': version,
};
let source = fs.readFileSync(path.join(npmDir, 'qorvel.mjs'), 'utf8');
for (const [mark, text] of Object.entries(parts)) {
  if (source.split(mark).length !== 2) throw new Error(`qorvel.mjs must hold ${mark} once`);
  source = source.replace(mark, () => text);
}

const manifest = JSON.parse(fs.readFileSync(path.join(npmDir, 'package.json'), 'utf8'));
if ('version' in manifest) throw new Error('web/npm/package.json takes its version from the build');
const withVersion = { name: manifest.name, version, ...manifest };

fs.rmSync(outDir, { recursive: true, force: true });
fs.mkdirSync(outDir, { recursive: true });
fs.writeFileSync(path.join(outDir, 'qorvel.mjs'), source);
fs.writeFileSync(path.join(outDir, 'package.json'), JSON.stringify(withVersion, null, 2) + '\n');
fs.copyFileSync(path.join(npmDir, 'qorvel.d.ts'), path.join(outDir, 'qorvel.d.ts'));
fs.copyFileSync(path.join(npmDir, 'README.md'), path.join(outDir, 'README.md'));
fs.copyFileSync(licensePath, path.join(outDir, 'LICENSE'));
