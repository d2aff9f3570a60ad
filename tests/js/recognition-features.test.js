'use strict';
// Page features of unrecognised pages: what is collected, tag and part
// limits, normalisation, ordering, and the playback mode without limits.
const test = require('node:test');
const assert = require('node:assert');
const { page, inject } = require('./recognition-pages.js');

function quenta(url, body, head, playback) {
  const win = page(url, `<head>${head || ''}</head><body>${body}</body>`);
  const R = inject(win);
  const d = R.CreateBrowserDescriptor('', null, null, playback);
  assert.strictEqual(R.SetFrames(d, [win], [-1], null, [0]), true);
  const context = R.GetPlaybackContext(d, 0);
  assert.strictEqual(context.Type, 'quenta');
  assert.strictEqual(context.Application, 'STDHTML');
  return { context, list: JSON.parse(context.ContextList) };
}

function repeat(n, make) {
  let out = '';
  for (let i = 0; i < n; i++) out += make(i);
  return out;
}

function values(list, key) {
  return list.filter((f) => f.startsWith(key + ':')).map((f) => f.slice(key.length + 1));
}

test('an unrecognised page gets a quenta context with its page features', () => {
  const body = `
    <h1>Customer   Overview</h1><h2>Details</h2><h3>Notes</h3>
    <a href="/help" title="Open Help">?</a>
    <a href="#" onclick="openRecord(4711); return false;">x</a>
    <a href="javascript:void(0)">y</a>
    <a id="lnk" href="http://a.example/crm/accounts/991/edit?tab=2">z</a>
    <a href="/no/id/no/title">ignored</a>
    <button id="save">Save</button><button>Cancel  it</button>
    <label for="f">First name</label>
    <table><tr onclick="pick(1)" id="row1"><th title="Amount">A</th><td onclick="sel()" title="Cell tip">1</td><td>2</td></tr></table>
    <textarea name="memo"></textarea>
    <form id="search" action="/crm/search/run?q=1"><input type="text" name="query"><input type="hidden" name="token">
      <input type="submit" value="Go"></form>
    <div onclick="toggle()" class="panel head">p</div><div id="menu" onclick="x()" class="nav">m</div>
    <span title="Status">s</span>
    <img src="i.png" alt="Logo" onclick="home()"><img src="j.png" alt="Decoration">
    <object classid="clsid:1234" name="viewer2"></object>
    <select id="country"></select>`;
  const { context, list } = quenta('http://a.example/crm/accounts/991/view?mode=full&x=1', body, '<title>Accounts</title>');
  assert.deepStrictEqual(JSON.parse(context.Defaults), { MaxSearch: 80, MaxHit: 200, Threshold: 30, MinScore: 10 });
  assert.strictEqual(context.SearchExpression, '');
  const expected = [
    'GAA.H:a.example', 'GAA.P1:crm', 'GAA.P2:accounts', 'GAA.P3:#', 'GAA.P4:view', 'GAA.Q:mode=full', 'GAA.Q:x=#',
    'GAB:open help', 'GAC:openrecord', 'GAC:void', 'GAD.H:a.example', 'GAD.P1:crm', 'GAD.P2:accounts',
    'GAE:save', 'GAE:cancel it', 'GAE:go', 'GAF:first name', 'GAG:cell tip'.replace('GAG', 'GAH'), 'GAI:row1',
    'GAK:memo', 'GAL:search', 'GAM.P1:crm', 'GAM.P2:search', 'GAO:toggle', 'GAP:panel head', 'GAN:menu', 'GAP:nav',
    'GAQ:status', 'GAR:logo', 'GAS:customer overview', 'GAT:details', 'GAU:notes', 'GAV:accounts',
    'GAW:text;query', 'GAW:submit;', 'GAX:hidden;token', 'GBA:clsid:1234;viewer', 'GAY:country', 'GAZ:amount',
  ];
  for (const feature of expected) assert.ok(list.includes(feature), feature + ' in ' + context.ContextList);
  assert.ok(!list.some((f) => f.includes('decoration') || f.includes('/no/id')), 'non-clickable image, link without id');
  assert.strictEqual(values(list, 'GAA.Q').length, 2);
});

test('feature values and order', async (t) => {
  await t.test('values are lower-cased, white space folded, repeats counted once, long texts cut', () => {
    const long = 'W'.repeat(300);
    const { list } = quenta('http://a.example/', `<span title=" Big\t\n  Title "></span><span title="big title"></span>
      <span title="${long}"></span>`);
    assert.deepStrictEqual(values(list, 'GAQ'), ['big title', 'w'.repeat(128)]);
  });

  await t.test('smaller groups come first, then by key; values keep page order', () => {
    const { list } = quenta('http://a.example/', '<h2>b2</h2><h2>a2</h2><h3>x</h3><span title="z"></span>' +
      '<span title="y"></span><span title="w"></span>');
    const keys = list.map((f) => f.split(':')[0]);
    const firstOf = (k) => keys.indexOf(k);
    assert.ok(firstOf('GAA.H') < firstOf('GAU') && firstOf('GAU') < firstOf('GAT') && firstOf('GAT') < firstOf('GAQ'));
    assert.deepStrictEqual(values(list, 'GAT'), ['b2', 'a2']);
    for (let i = 1; i < keys.length; i++) {
      if (keys[i] !== keys[i - 1]) assert.ok(!keys.slice(0, i - 1).includes(keys[i]), 'groups are contiguous');
    }
  });

  await t.test('texts that need escaping survive the JSON list', () => {
    const { list } = quenta('http://a.example/', '<h1>say "hi" \\ back</h1>');
    assert.ok(list.includes('GAS:say "hi" \\ back'));
  });
});

test('tag and part limits', async (t) => {
  await t.test('a tag kind over its limit is skipped as a whole', () => {
    const links = (n) => repeat(n, (i) => `<a href="/l${i}" title="link ${i % 20}">l</a>`);
    assert.strictEqual(values(quenta('http://a.example/', links(100)).list, 'GAB').length, 20);
    assert.strictEqual(values(quenta('http://a.example/', links(101)).list, 'GAB').length, 0);
    // a link of inline SVG is a link too; an element of another namespace
    // counts only under its exact name
    const svgLink = '<svg><a title="in svg"></a></svg>';
    assert.ok(values(quenta('http://a.example/', links(99) + svgLink).list, 'GAB').includes('in svg'));
    assert.strictEqual(values(quenta('http://a.example/', links(100) + svgLink).list, 'GAB').length, 0);
    const foreign = `<script>[['SPAN', 'upper'], ['span', 'lower']].forEach(function (made) {
      var el = document.createElementNS('urn:x', made[0]); el.setAttribute('title', made[1]);
      document.body.appendChild(el); });</script>`;
    assert.deepStrictEqual(values(quenta('http://a.example/', foreign).list, 'GAQ'), ['lower']);
    const heads = (n) => repeat(n, (i) => `<h1>head ${i}</h1>`);
    assert.strictEqual(values(quenta('http://a.example/', heads(15)).list, 'GAS').length, 5);
    assert.strictEqual(values(quenta('http://a.example/', heads(16)).list, 'GAS').length, 0);
    // spans have no tag limit
    assert.strictEqual(values(quenta('http://a.example/', repeat(300, (i) => `<span title="s${i % 3}"></span>`)).list,
      'GAQ').length, 3);
  });

  await t.test('each feature key keeps at most its part limit of distinct values', () => {
    const body = repeat(40, (i) => `<a href="/l" title="t${i}">l</a>`) + repeat(30, (i) => `<input type="hidden" name="h${i}">`);
    const { list } = quenta('http://a.example/', body);
    assert.strictEqual(values(list, 'GAB').length, 30);
    assert.strictEqual(values(list, 'GAX').length, 25);
    assert.deepStrictEqual(values(list, 'GAB').slice(0, 2), ['t0', 't1'], 'the first ones are kept');
  });

  await t.test('the list holds at most MaxSearch features', () => {
    const body = repeat(30, (i) => `<span title="s${i}"></span><label>l${i}</label><select name="c${i}"></select><button>b${i}</button>`);
    const { list } = quenta('http://a.example/', body);
    assert.strictEqual(list.length, 80);
    assert.ok(values(list, 'GAA.H').length === 1, 'the small groups are kept');
  });

  await t.test('in playback mode no limit applies', () => {
    const body = repeat(120, (i) => `<a href="/l" title="t${i}">l</a>`) + repeat(30, (i) => `<input type="hidden" name="h${i}">`);
    const { list } = quenta('http://a.example/', body, '', true);
    assert.strictEqual(values(list, 'GAB').length, 120);
    assert.strictEqual(values(list, 'GAX').length, 30);
  });

  await t.test('without limits the list still fits the shared context field, cut at a whole feature', () => {
    const body = repeat(400, (i) => `<span title="${'v'.repeat(100)}${i}"></span>`);
    const { context, list } = quenta('http://a.example/', body, '', true);
    assert.ok(context.ContextList.length <= 32767, String(context.ContextList.length));
    assert.ok(list.length > 200);
    assert.ok(list.every((f) => /^GA[A-Z.0-9]+:/.test(f)));
  });
});

// A page of some thousands of elements, built of blocks that each give one
// value to most feature keys. Blocks sit at different depths and put their
// elements in different orders, so values come in document order only when
// every tag is walked in document order. Values are numbered out of block
// order, so that a walk in block order is not the same as one sorted by value.
function largePage(blocks) {
  const expected = {};
  const give = (key, value) => (expected[key] || (expected[key] = [])).push(value);
  let html = '';
  for (let b = 0; b < blocks; b++) {
    const n = (b * 37) % blocks;
    const pieces = [
      () => { give('GAQ', `s${n}`); give('GAQ', `inner ${n}`);
        return `<span title="s${n}"><b>x</b><span title="inner ${n}"></span></span>`; },
      () => { give('GAZ', `t${n}`); give('GAG', `c${n}`); give('GAI', `r${n}`);
        return `<table><tr id="r${n}" onclick="pick()"><th title="t${n}">h</th><td id="c${n}" onclick="x()">d</td><td>e</td></tr></table>`; },
      () => { give('GAF', `l${n}`); give('GAX', `hidden;h${n}`);
        return `<p><label>l${n}</label><i>i</i><input type="hidden" name="h${n}"></p>`; },
      () => { give('GAB', `a${n}`); give('GAR', `g${n}`);
        return `<a href="/x/${n}" title="a${n}">a</a><a href="/y"><img alt="g${n}" src="g.png"></a>`; },
      () => { give('GAY', `y${n}`); give('GAE', `b${n}`);
        return `<ul><li><select name="y${n}"></select></li><li><button id="b${n}">b</button></li></ul>`; },
      () => repeat(6, () => '<p><em>filler</em> <strong>text</strong></p>'),
    ];
    let block = '';
    for (let k = 0; k < pieces.length; k++) block += pieces[(k + b) % pieces.length]();
    const depth = b % 4;
    html += '<div>'.repeat(depth) + block + '</div>'.repeat(depth);
  }
  return { html, expected };
}

test('a large page gives every feature in document order, with and without limits', () => {
  const { html, expected } = largePage(150);
  const url = 'http://erp.example/orders/list';
  const byKey = (list) => {
    const out = {};
    for (const f of list) {
      const key = f.slice(0, f.indexOf(':'));
      (out[key] || (out[key] = [])).push(f.slice(key.length + 1));
    }
    return out;
  };

  const all = quenta(url, html, '<title>Orders</title>', true);
  assert.ok(all.context.ContextList.length < 32767, 'the whole list fits');
  const got = byKey(all.list);
  assert.deepStrictEqual(got, Object.assign({ 'GAA.H': ['erp.example'], 'GAA.P1': ['orders'], 'GAA.P2': ['list'],
    GAV: ['orders'] }, expected));
  const sizes = Object.keys(got).map((k) => got[k].length);
  assert.deepStrictEqual(sizes, sizes.slice().sort((a, b) => a - b), 'smaller groups first');

  // Links, cells, rows and divs are over their tag limits; the other keys
  // keep the first values of the page, and the list stops at MaxSearch.
  const limited = quenta(url, html, '<title>Orders</title>');
  const kept = byKey(limited.list);
  assert.strictEqual(limited.list.length, 80);
  for (const key of ['GAB', 'GAG', 'GAI']) assert.ok(!(key in kept), key);
  for (const key of ['GAQ', 'GAR', 'GAY']) assert.deepStrictEqual(kept[key], expected[key].slice(0, 20), key);
  for (const key of Object.keys(kept)) {
    if (expected[key]) assert.deepStrictEqual(kept[key], expected[key].slice(0, kept[key].length), key);
  }
});
