'use strict';
// Trial order, disabled and configured codes, argument checks of the
// recognition script's descriptor functions.
const test = require('node:test');
const assert = require('node:assert');
const { page, inject, plain } = require('./recognition-pages.js');

const REGISTRATION_ORDER = ['APP', 'HOOK', 'SHELL', 'WORKSPACE', 'SCREEN', 'DATAPAGE', 'HELPID',
  'METAPAGE', 'PORTLETS', 'WIZARD', 'GRID', 'NAVFRAMES', 'MENUFRAMES', 'DIALOG', 'TXCODE', 'MODPATH',
  'BODYCLASS', 'REPORT', 'VIEWPARAM', 'HASHROUTE'];

// One page that two recognizers detect: DATAPAGE (registered earlier) and
// METAPAGE.
function twoWayPage() {
  return page('http://erp.example/ledger',
    '<head><meta name="page-id" content="meta-1"></head><body data-page-id="body-1"></body>');
}

function plainPage() {
  return page('http://plain.example/', '<head><title>Plain</title></head><body><h1>Nothing</h1></body>');
}

function run(win, order, configured, disabled) {
  const R = inject(win);
  const d = R.CreateBrowserDescriptor(order, configured, disabled);
  assert.strictEqual(R.SetFrames(d, [win], [-1], null, [0]), true);
  return { R, d, context: R.GetPlaybackContext(d, 0) };
}

test('trial order', async (t) => {
  await t.test('an empty or null order gives the registration order, the standard code last', () => {
    for (const order of ['', null, undefined, ' , ']) {
      const R = inject(plainPage());
      const d = R.CreateBrowserDescriptor(order, null, null);
      assert.strictEqual(R.GetApplicationOrder(d), REGISTRATION_ORDER.concat('STDHTML').join(','));
    }
  });

  await t.test('the first recognizer in the order that detects the page wins', () => {
    assert.strictEqual(run(twoWayPage(), '', null, null).context.SearchExpression, 'body-1');
    assert.strictEqual(run(twoWayPage(), 'METAPAGE,DATAPAGE', null, null).context.SearchExpression, 'meta-1');
  });

  await t.test('an order naming B then A tries only B then A, and then the standard recognizer', () => {
    const { R, d, context } = run(plainPage(), 'TXCODE,DATAPAGE', null, null);
    assert.strictEqual(context.Application, 'STDHTML');
    assert.strictEqual(context.Type, 'quenta');
    const tried = plain(R.GetStatistics(d)).map((row) => row[0]);
    assert.deepStrictEqual(tried, ['TXCODE', 'DATAPAGE']);
    assert.strictEqual(R.GetApplicationOrder(d), 'TXCODE,DATAPAGE,STDHTML');
  });

  await t.test('codes left out of the order are not tried even when they would match', () => {
    const { R, d, context } = run(twoWayPage(), 'TXCODE', null, null);
    assert.strictEqual(context.Application, 'STDHTML');
    assert.strictEqual(R.GetApplicationOrder(d), 'TXCODE,STDHTML');
  });

  await t.test('the detecting recognizer moves to the front of the reported order', () => {
    const { R, d } = run(twoWayPage(), 'TXCODE,HOOK,METAPAGE', null, null);
    assert.strictEqual(R.GetApplicationOrder(d), 'METAPAGE,TXCODE,HOOK,STDHTML');
  });

  await t.test('codes are read case-insensitively, once each, and unknown ones are kept at the end', () => {
    const R = inject(plainPage());
    const d = R.CreateBrowserDescriptor(' txcode ,NOSUCH,TxCode,bad code!,stdhtml', null, null);
    assert.strictEqual(R.GetApplicationOrder(d), 'TXCODE,NOSUCH,STDHTML');
  });

  await t.test('the reported order fed back gives the same order', () => {
    const first = run(twoWayPage(), 'HOOK,METAPAGE', null, 'GRID');
    const order = first.R.GetApplicationOrder(first.d);
    const again = run(plainPage(), order, null, 'GRID');
    assert.strictEqual(again.R.GetApplicationOrder(again.d), order);
  });
});

test('disabled and configured codes', async (t) => {
  await t.test('a disabled code is not tried but is listed at the end of the order', () => {
    const { R, d, context } = run(twoWayPage(), '', null, 'DATAPAGE');
    assert.strictEqual(context.SearchExpression, 'meta-1');
    assert.ok(!R.GetStatistics(d).some((row) => row[0] === 'DATAPAGE'));
    const order = R.GetApplicationOrder(d).split(',');
    assert.deepStrictEqual(order.slice(-2), ['DATAPAGE', 'STDHTML']);
    assert.strictEqual(order.length, REGISTRATION_ORDER.length + 1);
  });

  await t.test('the standard code cannot be disabled', () => {
    const { context } = run(plainPage(), '', null, 'STDHTML');
    assert.strictEqual(context.Type, 'quenta');
  });

  await t.test('a recognized application that is not configured gives nomatch with its code', () => {
    const { context } = run(twoWayPage(), '', 'METAPAGE,STDHTML', null);
    assert.strictEqual(context.Type, 'nomatch');
    assert.strictEqual(context.Application, 'DATAPAGE');
    assert.strictEqual(context.SearchExpression, '');
    assert.strictEqual(context.ContextList, '');
    assert.strictEqual(context.Defaults, '');
  });

  await t.test('weak signals count only for configured codes', () => {
    const win = () => page('http://erp.example/app?view=orders', '<body></body>');
    assert.strictEqual(run(win(), '', 'STDHTML', null).context.Application, 'STDHTML');
    const configured = run(win(), '', 'VIEWPARAM,STDHTML', null).context;
    assert.strictEqual(configured.Application, 'VIEWPARAM');
    assert.strictEqual(configured.SearchExpression, 'orders');
  });

  await t.test('an empty configured list configures every code', () => {
    assert.strictEqual(run(twoWayPage(), '', '', null).context.Type, 'exactmatch');
  });
});

test('arguments that are not what the library hands over', async (t) => {
  const win = plainPage();
  const R = inject(win);

  await t.test('an order or configured list that is not text gives no descriptor', () => {
    assert.strictEqual(R.CreateBrowserDescriptor(5, null, null), null);
    assert.strictEqual(R.CreateBrowserDescriptor('', {}, null), null);
    assert.notStrictEqual(R.CreateBrowserDescriptor('', '', 7), null);
  });

  await t.test('functions given something else than a descriptor answer null or false', () => {
    const fake = { ClassId: 'Velnor.PlaybackContext;2' };
    assert.strictEqual(R.SetFrames(fake, [win], [-1], null, [0]), false);
    assert.strictEqual(R.ResetFrames(null), false);
    assert.strictEqual(R.GetPlaybackContext(fake, 0), null);
    assert.strictEqual(R.GetApplicationOrder('x'), null);
    assert.strictEqual(R.GetIdentifiedApplications(undefined, 0), null);
    assert.strictEqual(R.GetRecorderContext(fake, 0), null);
    assert.strictEqual(R.GetStatistics(fake), null);
    assert.strictEqual(R.TestFrames(fake), null);
  });

  await t.test('SetFrames rejects empty, unequal or malformed arrays', () => {
    const d = R.CreateBrowserDescriptor('', null, null);
    assert.strictEqual(R.SetFrames(d, [], [], null, null), false);
    assert.strictEqual(R.SetFrames(d, [win], [-1, 0], null, null), false);
    assert.strictEqual(R.SetFrames(d, [win], [-1], [1, 2], null), false);
    assert.strictEqual(R.SetFrames(d, [win], [-1], null, [0, 0]), false);
    assert.strictEqual(R.SetFrames(d, 'frames', [-1], null, null), false);
    // parents and leaders must come before their frames
    assert.strictEqual(R.SetFrames(d, [win, win], [-1, 1], null, [0, 1]), false);
    assert.strictEqual(R.SetFrames(d, [win, win], [-1, 0], null, [1, 1]), false);
    assert.strictEqual(R.SetFrames(d, [win, win], [-1, 0], null, [0, 'x']), false);
    assert.strictEqual(R.SetFrames(d, [win], [-1], null, null), true);
  });

  await t.test('automation arrays are turned into script arrays', () => {
    // what the engine offers for SAFEARRAY values
    win.VBArray = function VBArray(safeArray) {
      if (!safeArray || !safeArray.items) throw new Error('not an automation array');
      this.toArray = () => safeArray.items.slice();
    };
    try {
      const d = R.CreateBrowserDescriptor('', null, null);
      assert.strictEqual(R.SetFrames(d, { items: [win] }, { items: [-1] }, null, { items: [0] }), true);
      assert.strictEqual(R.GetPlaybackContext(d, 0).Type, 'quenta');
      assert.strictEqual(R.SetFrames(d, { items: [win] }, { other: 1 }, null, null), false);
    } finally {
      delete win.VBArray;
    }
  });

  await t.test('GetPlaybackContext answers null for a leader outside 0..largest leader', () => {
    const d = R.CreateBrowserDescriptor('', null, null);
    R.SetFrames(d, [win], [-1], null, [0]);
    for (const leader of [-1, 1, 0.5, '0', {}]) assert.strictEqual(R.GetPlaybackContext(d, leader), null);
    assert.strictEqual(R.GetPlaybackContext(d, null).Type, 'quenta');
  });

  await t.test('a descriptor without frames gives no context', () => {
    const d = R.CreateBrowserDescriptor('', null, null);
    assert.strictEqual(R.GetPlaybackContext(d, 0), null);
    R.SetFrames(d, [win], [-1], null, [0]);
    assert.strictEqual(R.ResetFrames(d), true);
    assert.strictEqual(R.GetPlaybackContext(d, 0), null);
  });

  await t.test('a descriptor made by the script of another frame is accepted', () => {
    const other = inject(plainPage());
    const d = other.CreateBrowserDescriptor('', null, null);
    assert.strictEqual(R.SetFrames(d, [win], [-1], null, [0]), true);
    assert.strictEqual(R.GetPlaybackContext(d, 0).Type, 'quenta');
  });
});

test('statistics', () => {
  const { R, d } = run(twoWayPage(), 'METAPAGE,DATAPAGE', null, null);
  const stats = plain(R.GetStatistics(d));
  assert.deepStrictEqual(stats.map((row) => [row[0], row[1]]), [['METAPAGE', 1]]);
  assert.ok(stats[0][2] >= 0 && stats[0][3] <= stats[0][2]);
  assert.deepStrictEqual(plain(R.GetStatistics(d)), [], 'counters are reset after reading');
});

test('the script needs none of the ES5 library that legacy document modes lack', () => {
  const win = page('http://a.example/x?txcode=AB12', '<head><title>T</title></head><body><h1>H</h1></body>');
  win.eval(`(function () {
    var gone = [[Array.prototype, ['indexOf', 'lastIndexOf', 'forEach', 'map', 'filter', 'reduce', 'some', 'every']],
      [Array, ['isArray']], [String.prototype, ['trim']], [Object, ['keys', 'create']], [Date, ['now']],
      [Function.prototype, ['bind']]];
    for (var i = 0; i < gone.length; i++) {
      for (var j = 0; j < gone[i][1].length; j++) delete gone[i][0][gone[i][1][j]];
    }
    delete window.JSON;
  })();`);
  assert.strictEqual(win.eval('typeof JSON + typeof [].indexOf'), 'undefinedundefined');
  const R = inject(win);
  const d = R.CreateBrowserDescriptor('', 'TXCODE', null);
  assert.strictEqual(R.SetFrames(d, [win], [-1], null, [0]), true);
  assert.strictEqual(R.GetPlaybackContext(d, 0).SearchExpression, 'AB12');
  assert.ok(R.GetApplicationOrder(d).startsWith('TXCODE,'));
  const plainPage2 = page('http://a.example/', '<body><h1>H</h1></body>');
  const d2 = R.CreateBrowserDescriptor('', null, null);
  R.SetFrames(d2, [plainPage2], [-1], null, [0]);
  assert.strictEqual(R.GetPlaybackContext(d2, 0).Type, 'quenta');
});

