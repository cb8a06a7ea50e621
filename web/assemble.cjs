// Puts the page together: the template with every script, the code page
// table and the WebAssembly (base64) written into it, so that the one file
// works opened from disk.
//   node assemble.cjs PAGE_DIR CORE_WASM CP936_TABLE_JS OUT_HTML
'use strict';
const fs = require('fs');
const path = require('path');

const [pageDir, wasmPath, tablePath, outPath] = process.argv.slice(2);
if (!outPath) {
  console.error('usage: node assemble.cjs PAGE_DIR CORE_WASM CP936_TABLE_JS OUT_HTML');
  process.exit(2);
}

// The page's own script, one file per concern, joined in this order into
// one function: each file sees the others' functions and the constants of
// those before it, and nothing reaches the page's global scope but
// window.qorvel. shared.js holds the state they share.
const APP = ['shared.js', 'texts.js', 'qorvel.js', 'view.js', 'open.js', 'print.js', 'clipboard.js',
  'jobs.js', 'wiring.js'];

function script(file) {
  const text = fs.readFileSync(file, 'utf8');
  // Either would end or confuse the inline script element it goes into.
  if (/<\/script|<!--/i.test(text)) throw new Error(`${file} holds </script or <!--`);
  return text;
}

function app(dir) {
  const unlisted = fs.readdirSync(dir).filter((f) => f.endsWith('.js') && !APP.includes(f));
  if (unlisted.length) throw new Error(`${dir} holds ${unlisted.join(', ')}, which assemble.cjs does not list`);
  const files = APP.map((f) => `// ---- app/${f} ----\n${script(path.join(dir, f))}`);
  return `(function () {\n'use strict';\n\n${files.join('\n')}})();\n`;
}

const parts = {
  '/*@CP936_TABLE@*/': script(tablePath),
  '/*@CP936@*/': script(path.join(pageDir, 'cp936.js')),
  '/*@CORE@*/': script(path.join(pageDir, 'core.js')),
  '/*@WORKER@*/': script(path.join(pageDir, 'worker.js')),
  '/*@APP@*/': app(path.join(pageDir, 'app')),
  '@WASM@': fs.readFileSync(wasmPath).toString('base64').replace(/.{1,100}/g, '$&\n'),
};
let html = fs.readFileSync(path.join(pageDir, 'index.html'), 'utf8');
for (const [mark, text] of Object.entries(parts)) {
  if (html.split(mark).length !== 2) throw new Error(`the template must hold ${mark} once`);
  html = html.replace(mark, () => text);
}
fs.mkdirSync(path.dirname(outPath), { recursive: true });
fs.writeFileSync(outPath + '.tmp', html);
fs.renameSync(outPath + '.tmp', outPath);
