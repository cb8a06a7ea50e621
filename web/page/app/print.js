// ---- Printing ----

// The page box of @page in index.html, less its margins, in millimetres,
// and how far the columns stand from its left and top edges, as on screen.
const PRINT_PAGE = { width: 210 - 2 * 15, height: 297 - 2 * 15 };
const PX_PER_MM = 96 / 25.4;
const PRINT_LEFT = 50;
const PRINT_TOP = 10;
// Kept free below a page's columns: rounding of the glyphs' advances.
const PRINT_SLACK = 10;

// Each character's advance down a column, in the columns' font.
function advances(text) {
  const seen = new Map();  // character -> its span's index
  const probe = document.createElement('div');
  probe.className = 'vertical print-columns';
  probe.style.cssText = 'position: absolute; left: -100000px; top: 0; visibility: hidden; margin: 0';
  styleColumns(probe);
  const spans = [];
  for (let i = 0; i < text.length; i++) {  // by UTF-16 unit, as cutColumn looks them up
    const c = text[i];
    if (c === '\n' || seen.has(c)) continue;
    seen.set(c, spans.length);
    const span = document.createElement('span');
    span.textContent = c;
    spans.push(span);
    probe.appendChild(span);
  }
  document.body.appendChild(probe);
  const size = spans.map((s) => s.getBoundingClientRect().height);
  probe.remove();
  const out = {};
  for (const [c, k] of seen) out[c] = size[k];
  return out;
}

// A column cut into pieces that each fit `length`, at glyph boundaries.
function cutColumn(column, length, advance) {
  const pieces = [];
  let from = 0, used = 0;
  for (let i = 0; i < column.length; i++) {
    const a = advance[column[i]];
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
  if (state.pending) update();  // a change not yet laid out is printed too
  const text = QvCp936.toText(state.wrapped).replace(/\r\n/g, '\n');
  const columns = text ? text.replace(/\n$/, '').split('\n') : [];
  const width = Math.floor(PRINT_PAGE.width * PX_PER_MM) - 1;
  const height = Math.floor(PRINT_PAGE.height * PX_PER_MM) - 1;
  const perPage = Math.max(1, Math.floor((width - PRINT_LEFT) / state.look.spacing));
  const length = height - PRINT_TOP - PRINT_SLACK;
  const advance = advances(text);
  const root = document.createElement('div');
  root.id = 'print';
  root.setAttribute('aria-hidden', 'true');
  for (let first = 0; first === 0 || first < columns.length; first += perPage) {
    const pieces = columns.slice(first, first + perPage).map((c) => cutColumn(c, length, advance));
    const rows = Math.max(1, ...pieces.map((p) => p.length));
    for (let row = 0; row < rows; row++) {
      const page = document.createElement('div');
      page.className = 'print-page';
      page.style.width = width + 'px';
      page.style.height = height + 'px';
      const body = document.createElement('div');
      body.className = 'vertical print-columns';
      styleColumns(body);
      body.textContent = pieces.map((p) => p[row] || '').join('\n');
      page.appendChild(body);
      root.appendChild(page);
    }
  }
  document.body.appendChild(root);
}

function dropPrint() {
  const old = $('print');
  if (old) old.remove();
}
