#!/usr/bin/env node
// Prints how long the recognition script's GetPlaybackContext takes on an
// unrecognised page of about 5,000 elements (the page-feature walk is the
// expensive part). Not a test: run by hand, `node scripts/bench-recognition.js [runs]`.
'use strict';
const path = require('path');
const { page, inject } = require(path.join(__dirname, '..', 'tests', 'js', 'recognition-pages.js'));

const runs = Number(process.argv[2]) || 10;

// A business-form page: a table of records, a form with fields, navigation
// links and panels, in proportions a real screen might have.
function body() {
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
  while (n < 4900) {
    add(`<tr onclick="openRow(${row})"><td>${row}</td><td><span title="state">ok</span></td><td>Item ${row}</td></tr>`, 5);
    row++;
  }
  add('</table>', 0);
  while (n < 5000) add('<div class="panel"><span>x</span></div>', 2);
  return { html: parts.join(''), count: n };
}

const { html, count } = body();
const win = page('http://erp.example/orders/list?status=open', `<head><title>Orders</title></head><body>${html}</body>`);
const R = inject(win);
const elements = win.document.getElementsByTagName('*').length;

const times = [];
let context;
for (let i = 0; i < runs; i++) {
  const d = R.CreateBrowserDescriptor('', null, null);
  R.SetFrames(d, [win], [-1], null, [0]);
  const started = process.hrtime.bigint();
  context = R.GetPlaybackContext(d, 0);
  times.push(Number(process.hrtime.bigint() - started) / 1e6);
}
times.sort((a, b) => a - b);
const mean = times.reduce((a, b) => a + b, 0) / times.length;
console.log(`page: ${elements} elements (${count} generated), context type ${context.Type}, ` +
  `${JSON.parse(context.ContextList).length} features`);
console.log(`GetPlaybackContext over ${runs} runs: min ${times[0].toFixed(1)} ms, ` +
  `median ${times[Math.floor(times.length / 2)].toFixed(1)} ms, mean ${mean.toFixed(1)} ms, max ${times[times.length - 1].toFixed(1)} ms`);
