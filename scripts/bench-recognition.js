#!/usr/bin/env node
// Prints how long the recognition script's GetPlaybackContext takes, in three
// cases of growing size:
// - an unrecognised page of about 5,000 and of about 40,000 elements (the
//   page-feature walk is the expensive part);
// - a page declaring its context through the norvik-context meta element, with
//   20,000, 40,000 and 80,000 pairs;
// - a page whose Norvik_GetContext returns 10,000, 20,000 and 40,000 keys;
// and for each case the ratio of the largest to the smallest: the size ratio
// when the cost grows in step with the page, somewhat more in jsdom, whose own
// walks of a large tree grow faster than the tree. With `--against <rev>` the
// script of that git revision runs beside the working copy's, in the same
// rounds, on its own copies of the pages, and both must give the same context
// and the same document cache. Not a test: run by hand,
//   node scripts/bench-recognition.js [rounds] [--against <rev>] [--only <case>]
// where <case> is "features", "meta" or "hook".
'use strict';
const path = require('path');
const { execFileSync, fork } = require('child_process');
const { page, scriptText, PREFIX, SUFFIX } = require(path.join(__dirname, '..', 'tests', 'js', 'recognition-pages.js'));

const args = process.argv.slice(2);
const againstAt = args.indexOf('--against');
const against = againstAt >= 0 ? args.splice(againstAt, 2)[1] : null;
const onlyAt = args.indexOf('--only');
const only = onlyAt >= 0 ? args.splice(onlyAt, 2)[1] : null;
const rounds = Number(args[0]) || 9;

// A business-form page: a table of records, a form with fields, navigation
// links and panels, in proportions a real screen might have.
function body(size) {
  const parts = [];
  let n = 0;
  const add = (html, count) => { parts.push(html); n += count; };
  add('<h1>Orders</h1><h2>Open items</h2>', 2);
  for (let i = 0; i < 60; i++) add(`<a href="/orders/${i}" title="Order ${i}">o</a>`, 1);
  add('<form id="filter" action="/orders/search">', 1);
  for (let i = 0; i < 200; i++) add(`<label>Field ${i}</label><input type="text" name="f${i}">`, 2);
  for (let i = 0; i < 40; i++) add(`<input type="hidden" name="h${i}">`, 1);
  add('</form><table class="list">', 1);
  let row = 0;
  while (n < size - 100) {
    add(`<tr onclick="openRow(${row})"><td>${row}</td><td><span title="state">ok</span></td><td>Item ${row}</td></tr>`, 5);
    row++;
  }
  add('</table>', 0);
  while (n < size) add('<div class="panel"><span>x</span></div>', 2);
  return parts.join('');
}

// A page that declares itself as application APP and names its context in a
// norvik-context meta element: half the pairs under keys of their own, half
// as values of the context id, with every tenth pair a repeat.
function metaPage(size) {
  const pairs = [];
  for (let i = 0; i < size; i++) {
    const n = i % 10 === 9 ? i - 1 : i;
    pairs.push(i % 2 ? `C=id${n}` : `K${n}=v${n}`);
  }
  return page('http://erp.example/declared', '<head><meta name="norvik-namespace" content="APP">' +
    `<meta name="norvik-context" content="${pairs.join('&amp;')}"></head><body></body>`);
}

// A page whose context hook returns an object of `size` keys, each with a few
// values, one of them repeated.
function hookPage(size) {
  return page('http://erp.example/hooked', `<head><script>
    function Norvik_GetNamespace() { return 'APP'; }
    var context = {};
    for (var i = 0; i < ${size}; i++) context['K' + i] = ['a' + i, 'b' + i, 'a' + i];
    function Norvik_GetContext() { return context; }
  </script></head><body></body>`);
}

const CASES = [
  { name: 'features', unit: 'elements', sizes: [5000, 40000],
    make: (size) => page('http://erp.example/orders/list?status=open',
      `<head><title>Orders</title></head><body>${body(size)}</body>`) },
  { name: 'meta', unit: 'pairs', sizes: [20000, 40000, 80000], make: metaPage },
  { name: 'hook', unit: 'keys', sizes: [10000, 20000, 40000], make: hookPage },
].filter((c) => !only || c.name === only);

function variant(name, text) {
  const pages = [];
  for (const c of CASES) {
    for (const size of c.sizes) {
      const win = c.make(size);
      win.eval(PREFIX + text + SUFFIX);
      pages.push({ label: `${c.name} ${size} ${c.unit}`, win, R: win.Velnor.Recognition, times: [], context: null });
    }
  }
  return { name, pages };
}

function run(p) {
  const d = p.R.CreateBrowserDescriptor('', null, null);
  p.R.SetFrames(d, [p.win], [-1], null, [0]);
  const started = process.hrtime.bigint();
  const context = p.R.GetPlaybackContext(d, 0);
  const ms = Number(process.hrtime.bigint() - started) / 1e6;
  // The cache holds the whole declared context; its first element, the
  // descriptor stamp, differs from run to run.
  const meta = p.win.document.getElementById('velnor-cache-DocumentMeta');
  const cache = JSON.parse(decodeURIComponent(meta.getAttribute('content'))).slice(2);
  p.context = JSON.stringify([context.Type, context.SearchExpression, context.ContextList, context.Defaults, cache]);
  p.features = context.ContextList ? JSON.parse(context.ContextList).length : 0;
  return ms;
}

const median = (list) => {
  const s = list.slice().sort((a, b) => a - b);
  const mid = s.length >> 1;
  return s.length % 2 ? s[mid] : (s[mid - 1] + s[mid]) / 2;
};

function scriptOf(rev) {
  if (!rev) return scriptText();
  return execFileSync('git', ['show', `${rev}:resources/extension/recognition.js`],
    { cwd: path.join(__dirname, '..'), encoding: 'utf8', maxBuffer: 1 << 26 }).replace(/^\uFEFF/, '');
}

// Each script runs in a process of its own, so that neither one's garbage
// is collected in the other's time; the rounds still alternate between them.
if (process.argv[2] === '--child') {
  const v = variant(process.argv[3] || 'working copy', scriptOf(process.argv[3]));
  for (const p of v.pages) run(p); // warm-up
  process.on('message', (reverse) => {
    const order = reverse ? v.pages.slice().reverse() : v.pages;
    for (const p of order) p.times.push(run(p));
    process.send(v.pages.map((p) => ({
      label: p.label, time: p.times[p.times.length - 1], context: p.context, features: p.features,
    })));
  });
  process.send('ready');
} else {
  main();
}

function child(rev) {
  const proc = fork(__filename, ['--child', rev || ''].concat(only ? ['--only', only] : []));
  const next = () => new Promise((resolve) => proc.once('message', resolve));
  return { name: rev || 'working copy', proc, next, ready: next(), pages: null };
}

async function main() {
  const variants = [child(null)];
  if (against) variants.push(child(against));
  for (const v of variants) await v.ready;
  for (let r = 0; r < rounds; r++) {
    const order = r % 2 ? variants.slice().reverse() : variants;
    for (const v of order) {
      v.proc.send(r % 2 === 1);
      const results = await v.next();
      if (!v.pages) v.pages = results.map((x) => ({ ...x, times: [] }));
      results.forEach((x, i) => v.pages[i].times.push(x.time));
    }
  }
  for (const v of variants) v.proc.kill();
  report(variants);
}

function report(variants) {
  for (const v of variants) {
    for (const p of v.pages) {
      console.log(`${v.name}: ${p.label}, median ${median(p.times).toFixed(1)} ms ` +
        `(min ${Math.min(...p.times).toFixed(1)}, max ${Math.max(...p.times).toFixed(1)}, ${rounds} rounds)` +
        (p.features ? `, ${p.features} features` : ''));
    }
    let at = 0;
    for (const c of CASES) {
      const times = c.sizes.map((_, i) => median(v.pages[at + i].times));
      at += c.sizes.length;
      console.log(`${v.name}: ${c.name}, ${c.sizes[c.sizes.length - 1]} / ${c.sizes[0]} ${c.unit} = ` +
        `${(times[times.length - 1] / times[0]).toFixed(1)} times`);
    }
  }
  if (against) {
    const [mine, theirs] = variants;
    mine.pages.forEach((p, i) => {
      const q = theirs.pages[i];
      console.log(`${p.label}: working copy / ${against} = ${(median(p.times) / median(q.times)).toFixed(3)}, ` +
        `context ${p.context === q.context ? 'the same' : 'DIFFERENT'}`);
    });
  }
}
