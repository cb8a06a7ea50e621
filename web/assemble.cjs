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

function script(file) {
  const text = fs.readFileSync(file, 'utf8');
  // Either would end or confuse the inline script element it goes into.
  if (/<\/script|<!--/i.test(text)) throw new Error(`${file} holds </script or <!--`);
  return text;
}

const parts = {
  '/*@CP936_TABLE@*/': script(tablePath),
  '/*@CP936@*/': script(path.join(pageDir, 'cp936.js')),
  '/*@CORE@*/': script(path.join(pageDir, 'core.js')),
  '/*@WORKER@*/': script(path.join(pageDir, 'worker.js')),
  '/*@APP@*/': script(path.join(pageDir, 'app.js')),
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
