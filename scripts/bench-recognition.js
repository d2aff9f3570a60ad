#!/usr/bin/env node
// Prints how long the recognition script's GetPlaybackContext takes on an
// unrecognised page of about 5,000 and of about 40,000 elements (the
// page-feature walk is the expensive part), and the ratio of the two: 8 when
// the cost grows in step with the page, somewhat more in jsdom, whose own
// walks of a large tree grow faster than the tree. With `--against <rev>` the
// script of that git revision runs beside the working copy's, in the same
// rounds, on its own copies of the pages, and both must give the same context.
// Not a test: run by hand,
//   node scripts/bench-recognition.js [rounds] [--against <rev>]
'use strict';
const path = require('path');
const { execFileSync, fork } = require('child_process');
const { page, scriptText, PREFIX, SUFFIX } = require(path.join(__dirname, '..', 'tests', 'js', 'recognition-pages.js'));

const args = process.argv.slice(2);
const againstAt = args.indexOf('--against');
const against = againstAt >= 0 ? args.splice(againstAt, 2)[1] : null;
const rounds = Number(args[0]) || 9;
const SIZES = [5000, 40000];

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

function variant(name, text) {
  const pages = SIZES.map((size) => {
    const win = page('http://erp.example/orders/list?status=open',
      `<head><title>Orders</title></head><body>${body(size)}</body>`);
    win.eval(PREFIX + text + SUFFIX);
    return { size, win, R: win.Velnor.Recognition, times: [], context: null, features: 0 };
  });
  return { name, pages };
}

function run(p) {
  const d = p.R.CreateBrowserDescriptor('', null, null);
  p.R.SetFrames(d, [p.win], [-1], null, [0]);
  const started = process.hrtime.bigint();
  const context = p.R.GetPlaybackContext(d, 0);
  const ms = Number(process.hrtime.bigint() - started) / 1e6;
  p.context = JSON.stringify([context.Type, context.ContextList, context.Defaults]);
  p.features = JSON.parse(context.ContextList).length;
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
      size: p.size, time: p.times[p.times.length - 1], context: p.context, features: p.features,
      elements: p.win.document.getElementsByTagName('*').length,
    })));
  });
  process.send('ready');
} else {
  main();
}

function child(rev) {
  const proc = fork(__filename, rev ? ['--child', rev] : ['--child']);
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
      const elements = p.elements;
      console.log(`${v.name}: ${elements} elements, median ${median(p.times).toFixed(1)} ms ` +
        `(min ${Math.min(...p.times).toFixed(1)}, max ${Math.max(...p.times).toFixed(1)}, ${rounds} rounds), ` +
        `${p.features} features`);
    }
    const [small, large] = v.pages.map((p) => median(p.times));
    console.log(`${v.name}: ${SIZES[1]} / ${SIZES[0]} elements = ${(large / small).toFixed(1)} times`);
  }
  if (against) {
    const [mine, theirs] = variants;
    mine.pages.forEach((p, i) => {
      const q = theirs.pages[i];
      console.log(`${p.size} elements: working copy / ${against} = ${(median(p.times) / median(q.times)).toFixed(3)}, ` +
        `context ${p.context === q.context ? 'the same' : 'DIFFERENT'}`);
    });
  }
}
