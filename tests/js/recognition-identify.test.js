'use strict';
// Identification of frames: page declarations, detection, sharing between
// frames, leaders, the document caches and the opener window.
const test = require('node:test');
const assert = require('node:assert');
const { page, attachFrame, inject, foreignWindow, cacheOf, plain } = require('./recognition-pages.js');

function describe(R, frames, parents, leaders, order, configured, disabled) {
  const d = R.CreateBrowserDescriptor(order || '', configured === undefined ? null : configured, disabled || null);
  assert.strictEqual(R.SetFrames(d, frames, parents, null, leaders), true);
  return d;
}

function single(win, order, configured) {
  const R = inject(win);
  const d = describe(R, [win], [-1], [0], order, configured);
  return { R, d, context: R.GetPlaybackContext(d, 0) };
}

test('page declarations', async (t) => {
  await t.test('window hooks declare application, version, tags and context', () => {
    const win = page('http://erp.example/ledger', `<head><script>
      function Norvik_GetNamespace() { return 'app;2.1'; }
      function Norvik_GetTags() { return 'finance, posting'; }
      function Norvik_GetContext() { return { C: 'orders', MA: 'Ledger' }; }
    </script></head><body></body>`);
    const { R, d, context } = single(win);
    assert.strictEqual(context.Type, 'exactmatch');
    assert.strictEqual(context.Application, 'APP');
    assert.strictEqual(context.SearchExpression, 'Ledger.orders');
    assert.strictEqual(context.SearchExpressionTree, null);
    const xml = R.GetRecorderContext(d, 0);
    assert.match(xml, /Key="APP:X"/);
    assert.match(xml, /Name="Ledger"/);
    assert.match(xml, /Version="2.1"/);
    assert.match(xml, /<Tag>finance<\/Tag><Tag>posting<\/Tag>/);
    assert.match(xml, /<Part Key="C" Caption="Context ID"><Value>orders<\/Value><\/Part>/);
    assert.strictEqual(cacheOf(win, 'DocumentMeta')[3], 1, 'method page-declared');
  });

  await t.test('meta elements declare when the page has no hooks; several values join with "-"', () => {
    const win = page('http://erp.example/x', `<head>
      <meta name="norvik-namespace" content="TXCODE">
      <meta name="norvik-context" content="C=FB01&amp;C=FB%2003&amp;C=FB01"></head><body></body>`);
    const { context } = single(win);
    assert.strictEqual(context.Application, 'TXCODE');
    assert.strictEqual(context.SearchExpression, 'FB01-FB 03');
    assert.deepStrictEqual(JSON.parse(context.SearchExpressionTree), { Operator: 'OR', Terms: ['FB01', 'FB 03'] });
  });

  await t.test('declared parts are placed by their first value, values come first-come, repeats once, whatever their names', () => {
    // Names that every script object already has must not pass for parts or values seen before.
    const odd = ['__proto__', 'constructor', 'hasOwnProperty', 'toString', 'valueOf'];
    // "Z" and "E" come first without a value: no part, and no place before the others.
    const pairs = ['Z=', 'E=', 'C=b', 'K=1', 'C=a', ...odd.map((o) => 'C=' + o), '__proto__=p', 'C=b', 'constructor=k',
      ...odd.map((o) => 'C=' + o), 'K=2', 'K=1', 'c=a', 'Z=z'];
    const meta = page('http://erp.example/', '<head><meta name="norvik-namespace" content="APP">' +
      `<meta name="norvik-context" content="${pairs.join('&amp;')}"></head><body></body>`);
    assert.strictEqual(single(meta).context.SearchExpression, ['b', 'a', ...odd, '1', '2', 'p', 'k', 'z'].join('-'));
    assert.deepStrictEqual(plain(cacheOf(meta, 'DocumentMeta')[6][4]),
      [['C', ['b', 'a', ...odd]], ['K', ['1', '2']], ['__PROTO__', ['p']], ['CONSTRUCTOR', ['k']], ['Z', ['z']]]);
    const hook = page('http://erp.example/', `<head><script>
      function Norvik_GetNamespace() { return 'APP'; }
      function Norvik_GetContext() {
        return JSON.parse('{"q":[],"e":"","C":["x","y","x"],"__proto__":["p"],"c":["z","y"],"constructor":"k",' +
          '"hasOwnProperty":["h","h"],"Q":"last"}');
      }
    </script></head><body></body>`);
    assert.strictEqual(single(hook).context.SearchExpression, 'x-y-z-p-k-h-last');
    assert.deepStrictEqual(plain(cacheOf(hook, 'DocumentMeta')[6][4]),
      [['C', ['x', 'y', 'z']], ['__PROTO__', ['p']], ['CONSTRUCTOR', ['k']], ['HASOWNPROPERTY', ['h']], ['Q', ['last']]]);
  });

  await t.test('a declaration of a code the descriptor does not hold is ignored', () => {
    const html = '<head><meta name="norvik-namespace" content="TXCODE"><meta name="norvik-context" content="X1">' +
      '</head><body data-page-id="dp"></body>';
    assert.strictEqual(single(page('http://erp.example/', html), 'DATAPAGE').context.SearchExpression, 'dp');
    assert.strictEqual(single(page('http://erp.example/', '<head><meta name="norvik-namespace" content="NOSUCH">' +
      '</head><body></body>')).context.Application, 'STDHTML');
  });

  await t.test('throwing or odd page hooks do not break recognition', () => {
    const win = page('http://erp.example/', `<head><script>
      function Norvik_GetNamespace() { throw new Error('page bug'); }
    </script></head><body></body>`);
    assert.strictEqual(single(win).context.Type, 'quenta');
    const odd = page('http://erp.example/', `<head><script>
      function Norvik_GetNamespace() { return 'APP'; }
      function Norvik_GetContext() { return { C: [null, 7, 'x', { y: 1 }], MA: 'Odd' }; }
    </script></head><body></body>`);
    assert.strictEqual(single(odd).context.SearchExpression, 'Odd.7-Odd.x');
  });

  await t.test('a frame under a declared frame of the same leader takes its result', () => {
    const top = page('http://erp.example/', '<head><meta name="norvik-namespace" content="APP">' +
      '<meta name="norvik-context" content="C=home&amp;MA=Desk"></head><body></body>');
    const child = attachFrame(top, page('http://erp.example/inner', '<body></body>'));
    const R = inject(top);
    const d = describe(R, [top, child], [-1, 0], [0, 0]);
    assert.strictEqual(R.GetIdentifiedApplications(d, 0), 'APP:X,APP:X');
    assert.strictEqual(R.GetPlaybackContext(d, 0).SearchExpression, 'Desk.home');
  });
});

test('detection', async (t) => {
  await t.test('global objects, attributes, addresses and class names are recognized', () => {
    const cases = [
      ['http://a.example/', '<head><script>var workspace = { activeView: "inbox", module: "mail" };</script></head><body></body>',
        'WORKSPACE', 'inbox-mail'],
      ['http://a.example/', '<head><script>var screenInfo = { screenId: function () { return "S100"; } };</script></head>',
        'SCREEN', 'S100'],
      ['http://a.example/', '<head></head><body><div class="wizard-step">a</div><div id="step2" class="wizard-step current">b</div></body>',
        'WIZARD', 'step2'],
      ['http://a.example/modules/billing/invoice?id=7', '<body></body>', 'MODPATH', 'billing/invoice'],
      ['http://a.example/x?TXCODE=ME21', '<body></body>', 'TXCODE', 'ME21'],
      ['http://a.example/', '<body class="main page-customer-edit"></body>', 'BODYCLASS', 'customer-edit'],
      ['http://a.example/app#/orders/1234/lines', '<body></body>', 'HASHROUTE', 'orders/#/lines'],
      ['http://a.example/reports/aging?x=1', '<body></body>', 'REPORT', 'aging'],
      ['http://a.example/', '<html data-help-id="H-7"><body></body>', 'HELPID', 'H-7'],
      // in XHTML the body is lower-case; an upper-case BODY of another namespace is not it
      ['http://a.example/', '<head><BODY xmlns="urn:x" data-page-id="foreign"/></head><body data-page-id="dp"></body>',
        'DATAPAGE', 'dp', { xhtml: true }],
    ];
    for (const [url, html, code, expression, options] of cases) {
      const { context } = single(page(url, html, options));
      assert.strictEqual(context.Application, code, url + ' ' + html);
      assert.strictEqual(context.SearchExpression, expression, code);
    }
    // A part the page leaves empty is no part at all.
    const noModule = page('http://a.example/', '<head><script>var workspace = { activeView: "inbox" };</script></head>');
    assert.strictEqual(single(noModule).context.SearchExpression, 'inbox');
    assert.deepStrictEqual(plain(cacheOf(noModule, 'DocumentMeta')[7]), [['C', ['inbox']]]);
  });

  await t.test('a top window by its name', () => {
    const win = page('http://a.example/pick', '<head><title>Select vendor</title></head><body></body>', { name: 'dlg_vendor' });
    assert.strictEqual(single(win).context.SearchExpression, 'Select vendor');
  });

  await t.test('a scored detection combines the values of all its frames; a part with one value keeps the first', () => {
    const win = page('http://a.example/', '<body><div class="portlet" id="news"></div><div class="portlet" id="tasks">' +
      '</div><div class="portlet"></div></body>');
    const { context } = single(win);
    assert.strictEqual(context.Application, 'PORTLETS');
    assert.strictEqual(context.SearchExpression, 'news-tasks');
    assert.strictEqual(cacheOf(win, 'DocumentMeta')[5], 3, 'score kept');

    // A portal whose frames declare it: each frame's portlets join in, the
    // application name is the first frame's.
    const declare = (context) => '<head><meta name="norvik-namespace" content="PORTLETS">' +
      `<meta name="norvik-context" content="${context}"></head><body></body>`;
    const top = page('http://a.example/', declare('MA=Board&amp;C=news'));
    attachFrame(top, page('http://a.example/l', declare('MA=Tasks&amp;C=tasks&amp;C=news')));
    attachFrame(top, page('http://a.example/r', '<body><div class="portlet" id="mail"></div></body>'));
    const R = inject(top);
    const d = describe(R, [top, top.frames[0], top.frames[1]], [-1, 0, 0], [0, 0, 0]);
    assert.strictEqual(R.GetPlaybackContext(d, 0).SearchExpression, 'news-tasks-mail');
    assert.deepStrictEqual(plain(cacheOf(top, 'DocumentContext')[3]),
      [['MA', ['Board']], ['C', ['news', 'tasks', 'mail']]]);

    // A grid page names its place by one id, the first grid's, however many it shows.
    const grids = single(page('http://a.example/', '<body><table class="data-grid" id="orders"></table>' +
      '<table class="data-grid" id="lines"></table></body>')).context;
    assert.strictEqual(grids.Application, 'GRID');
    assert.strictEqual(grids.SearchExpression, 'orders');
  });

  await t.test('the context hook comes before the recognizer\'s own extraction', () => {
    const win = page('http://a.example/', `<head><script>
      function Norvik_GetContext() { return 'from-hook'; }
    </script></head><body data-page-id="from-attribute"></body>`);
    assert.strictEqual(single(win).context.Application, 'HOOK');
    assert.strictEqual(single(page('http://a.example/', '<body data-page-id="p"></body>')).context.SearchExpression, 'p');
  });

  await t.test('a long search expression fits its shared field and ends with a whole term', () => {
    const ids = Array.from({ length: 120 }, (_, i) => `portlet-number-${i}`);
    const win = page('http://a.example/', '<body>' + ids.map((id) => `<div class="portlet" id="${id}"></div>`).join('') + '</body>');
    const expression = single(win).context.SearchExpression;
    assert.ok(expression.length <= 1023 && expression.length > 900, String(expression.length));
    const terms = expression.split('-portlet');
    assert.strictEqual(expression, ids.slice(0, terms.length).join('-'));
  });

  await t.test('a context hook that fails or gives nothing does not claim the page', () => {
    for (const hook of ['throw new Error("x")', 'return ""', 'return null']) {
      const win = page('http://a.example/', `<head><script>function Norvik_GetContext() { ${hook}; }</script></head><body></body>`);
      assert.strictEqual(single(win).context.Application, 'STDHTML', hook);
    }
  });

  await t.test('one code with two recognizers: context id when present, page features otherwise', () => {
    const withPage = () => page('http://a.example/', '<head><script>var AppShell = { currentPage: "dash" };</script></head><body></body>');
    const without = page('http://a.example/', '<head><title>Shell</title><script>var AppShell = {};</script></head><body></body>');
    const first = single(without);
    assert.strictEqual(first.context.Application, 'SHELL');
    assert.strictEqual(first.context.Type, 'quenta');
    assert.strictEqual(first.R.GetIdentifiedApplications(first.d, 0), 'SHELL:S');
    // the features recognizer moved to the front must not hide the other
    const order = first.R.GetApplicationOrder(first.d);
    const second = single(withPage(), order);
    assert.strictEqual(second.context.Type, 'exactmatch');
    assert.strictEqual(second.context.SearchExpression, 'dash');
  });

  await t.test('frameset recognizers apply to top frames only', () => {
    const top = page('http://a.example/', '<body></body>');
    const nav = attachFrame(top, page('http://a.example/nav', '<body></body>'), 'navigation');
    const content = attachFrame(top, page('http://a.example/app/customers.html?id=3', '<body></body>'), 'content');
    const R = inject(top);
    const d = describe(R, [top, nav, content], [-1, 0, 0], [0, 0, 0]);
    assert.strictEqual(R.GetPlaybackContext(d, 0).SearchExpression, 'customers.html');
    assert.strictEqual(R.GetIdentifiedApplications(d, 0), 'NAVFRAMES:X,NAVFRAMES:X,NAVFRAMES:X');

    // the same frames one level down are not a frameset page
    const outer = page('http://a.example/', '<body></body>');
    const inner = attachFrame(outer, page('http://a.example/in', '<body></body>'));
    attachFrame(inner, page('http://a.example/nav', '<body></body>'), 'navigation');
    attachFrame(inner, page('http://a.example/c', '<body></body>'), 'content');
    const R2 = inject(outer);
    const d2 = describe(R2, [outer, inner], [-1, 0], [0, 0]);
    assert.strictEqual(R2.GetIdentifiedApplications(d2, 0), 'STDHTML:S,STDHTML:S');
  });

  await t.test('a frame\'s result passes up to its waiting parent and over to its siblings', () => {
    const top = page('http://a.example/', '<body></body>');
    const a = attachFrame(top, page('http://a.example/a', '<body></body>'));
    const b = attachFrame(top, page('http://a.example/b', '<body data-page-id="orders"></body>'));
    const R = inject(top);
    const d = describe(R, [top, a, b], [-1, 0, 0], [0, 0, 0]);
    assert.strictEqual(R.GetIdentifiedApplications(d, 0), 'DATAPAGE:X,DATAPAGE:X,DATAPAGE:X');
    assert.strictEqual(R.GetPlaybackContext(d, 0).SearchExpression, 'orders');
    assert.strictEqual(cacheOf(top, 'DocumentMeta')[2], true, 'top shares a child\'s result');
    assert.strictEqual(cacheOf(b, 'DocumentMeta')[2], false);
  });
});

test('leaders and unreachable frames', async (t) => {
  // top (a.example) holds B (another domain, leader 1), K (a.example) and E
  // (a third domain, leader 3).
  function frameset(topBody, kBody) {
    const top = page('http://a.example/', `<head><title>Top</title></head><body>${topBody}</body>`);
    const b = foreignWindow();
    const k = attachFrame(top, page('http://a.example/k', `<head><title>K</title></head><body>${kBody}</body>`));
    const e = page('http://c.example/e', '<head><title>E</title></head><body><h1>Third</h1></body>');
    const R = inject(top);
    const Re = inject(e);
    const d = describe(R, [top, b, k, e], [-1, 0, 0, 0], [0, 1, 0, 3]);
    return { R, Re, d };
  }

  await t.test('plain pages: no context until the last leader, which combines all plain frames', () => {
    const { R, Re, d } = frameset('<h1>Welcome</h1>', '<h1>Kay</h1>');
    assert.strictEqual(R.GetPlaybackContext(d, 0), null);
    assert.strictEqual(R.GetPlaybackContext(d, 1), null);
    assert.strictEqual(R.GetIdentifiedApplications(d, 0), null, 'not every leader identified yet');
    const context = Re.GetPlaybackContext(d, 3);
    assert.strictEqual(context.Type, 'quenta');
    const list = JSON.parse(context.ContextList);
    for (const feature of ['GAS:welcome', 'GAS:kay', 'GAS:third', 'GAV:top', 'GAV:e']) assert.ok(list.includes(feature), feature);
    assert.strictEqual(R.GetIdentifiedApplications(d, 0), 'STDHTML:S,,STDHTML:S,STDHTML:S');
    assert.strictEqual(R.TestFrames(d), 'Unaccessible:1');
  });

  await t.test('a recognized leader answers at once', () => {
    const { R, d } = frameset('', '<div class="portlet" id="p1"></div>');
    const context = R.GetPlaybackContext(d, 0);
    assert.strictEqual(context.Application, 'PORTLETS');
    assert.strictEqual(context.SearchExpression, 'p1');
  });

  await t.test('frames are grouped by window: a frame under another leader starts its own group', () => {
    const top = page('http://a.example/', '<body data-page-id="top-page"></body>');
    const foreign = page('http://b.example/', '<body></body>');
    const inner = page('http://a.example/inner', '<body data-page-id="inner-page"></body>');
    const R = inject(top);
    const d = describe(R, [top, foreign, inner], [-1, 0, 1], [0, 1, 0]);
    // inner's parent has another leader, so inner is a window group of its own
    assert.strictEqual(R.GetPlaybackContext(d, 0).SearchExpression, 'top-page');
    assert.match(R.GetRecorderContext(d, 2), /<Value>inner-page<\/Value>/);
    assert.strictEqual(R.GetRecorderContext(d, 3), null);
  });
});

test('document caches', async (t) => {
  function cachedPage(url, body) {
    const win = page(url, `<head></head><body ${body || ''}></body>`);
    return { win, R: inject(win) };
  }
  function putMeta(win, name, data, raw) {
    const meta = win.document.createElement('meta');
    meta.setAttribute('name', 'velnor-cache-' + name);
    meta.id = 'velnor-cache-' + name;
    meta.setAttribute('content', raw !== undefined ? raw : encodeURIComponent(JSON.stringify(data)));
    win.document.head.appendChild(meta);
  }

  await t.test('identification writes both caches with their class ids', () => {
    const { win, R } = cachedPage('http://a.example/', 'data-page-id="p9"');
    const d = describe(R, [win], [-1], [0]);
    R.GetPlaybackContext(d, 0);
    const meta = cacheOf(win, 'DocumentMeta');
    assert.strictEqual(meta.length, 8);
    assert.deepStrictEqual(meta.slice(0, 1).concat(meta.slice(2)),
      ['Velnor.DocumentMeta;2', false, 2, 'DATAPAGE:X', 0, null, [['C', ['p9']]]]);
    assert.strictEqual(meta[1], d.created);
    const ctx = cacheOf(win, 'DocumentContext');
    assert.strictEqual(ctx[0], 'Velnor.DocumentContext;3');
    assert.strictEqual(ctx[1], 'DATAPAGE:X');
    assert.strictEqual(ctx[2].ClassId, 'Velnor.ApplicationContext;2');
    assert.deepStrictEqual(ctx[3], [['C', ['p9']]]);
    assert.strictEqual(win.document.getElementsByName('velnor-cache-DocumentMeta').length, 1);
  });

  await t.test('a valid cache of the same descriptor run is taken over', () => {
    const { win, R } = cachedPage('http://a.example/');
    const d = describe(R, [win], [-1], [0]);
    // Cached part keys keep their case, so odd names reach the merge as they are.
    putMeta(win, 'DocumentMeta', ['Velnor.DocumentMeta;2', d.created, false, 2, 'METAPAGE:X', 0, null,
      [['C', ['cached', 'constructor']], ['__proto__', ['p']], ['constructor', ['k']], ['C', ['x', 'cached']],
        ['hasOwnProperty', ['h']], ['__proto__', ['p', 'q']]]]);
    const context = R.GetPlaybackContext(d, 0);
    assert.strictEqual(context.Application, 'METAPAGE');
    assert.strictEqual(context.SearchExpression, 'cached-constructor-x-p-q-k-h');
    assert.deepStrictEqual(plain(cacheOf(win, 'DocumentContext')[3]),
      [['C', ['cached', 'constructor', 'x']], ['__proto__', ['p', 'q']], ['constructor', ['k']], ['hasOwnProperty', ['h']]]);
  });

  await t.test('stale, foreign or malformed caches are ignored', () => {
    const bad = (d) => [
      ['Velnor.DocumentMeta;2', 'older', false, 2, 'METAPAGE:X', 0, null, [['C', ['stale']]]],
      ['Velnor.DocumentMeta;1', d.created, false, 2, 'METAPAGE:X', 0, null, [['C', ['old class']]]],
      ['Velnor.DocumentMeta;2', d.created, false, 2, 'NOSUCH:X', 0, null, [['C', ['unknown']]]],
      ['Velnor.DocumentMeta;2', d.created, false, 2, 'METAPAGE:X', 0, null],
      ['Velnor.DocumentMeta;2', d.created, false, 9, 'METAPAGE:X', 0, null, [['C', ['bad method']]]],
      { 0: 'Velnor.DocumentMeta;2' },
    ];
    for (let i = 0; i < 6; i++) {
      const { win, R } = cachedPage('http://a.example/');
      const d = describe(R, [win], [-1], [0], '', null, 'DATAPAGE');
      putMeta(win, 'DocumentMeta', bad(d)[i]);
      assert.strictEqual(R.GetPlaybackContext(d, 0).Application, 'STDHTML', 'case ' + i);
    }
    for (const raw of ['%E0%A4%A', '%5B%22Velnor', 'alert(1)', encodeURIComponent('["a",1]x')]) {
      const { win, R } = cachedPage('http://a.example/');
      const d = describe(R, [win], [-1], [0]);
      putMeta(win, 'DocumentMeta', null, raw);
      assert.strictEqual(R.GetPlaybackContext(d, 0).Application, 'STDHTML', raw);
    }
  });

  await t.test('a second request in the same page recognizes the page as it is now', () => {
    const { win, R } = cachedPage('http://a.example/', 'data-page-id="first"');
    R.GetPlaybackContext(describe(R, [win], [-1], [0]), 0);
    win.document.body.setAttribute('data-page-id', 'second');
    assert.strictEqual(R.GetPlaybackContext(describe(R, [win], [-1], [0]), 0).SearchExpression, 'second');
  });

  await t.test('cached texts are written and read back without loss', () => {
    const { win, R } = cachedPage('http://a.example/', 'data-page-id=\'q"uo\\te &amp; %25 \u2028\u00e9\'');
    const d = describe(R, [win], [-1], [0]);
    const expected = 'q"uo\\te & %25 \u2028\u00e9';
    assert.strictEqual(R.GetPlaybackContext(d, 0).SearchExpression, expected);
    assert.deepStrictEqual(plain(cacheOf(win, 'DocumentContext')[3]), [['C', [expected]]]);
  });
});

test('context from the opener window', async (t) => {
  function opener(url, body) {
    return page(url || 'http://a.example/orders?txcode=VA01', `<head></head><body>${body || ''}</body>`);
  }
  function popupOf(openerWin, url) {
    return page(url || 'http://a.example/popup', '<head><title>Pick</title></head><body><h1>Choose</h1></body>',
      { opener: openerWin });
  }

  await t.test('a window opened from a recognized page of the same domain takes its cached context', () => {
    const o = opener();
    const Ro = inject(o);
    assert.strictEqual(Ro.GetPlaybackContext(describe(Ro, [o], [-1], [0]), 0).SearchExpression, 'VA01');
    const p = popupOf(o);
    const R = inject(p);
    const d = describe(R, [p], [-1], [0]);
    const context = R.GetPlaybackContext(d, 0);
    assert.strictEqual(context.Application, 'TXCODE');
    assert.strictEqual(context.Type, 'exactmatch');
    assert.strictEqual(context.SearchExpression, 'VA01');
    assert.strictEqual(cacheOf(p, 'DocumentMeta')[3], 3, 'method: from the opener');
  });

  await t.test('an opener not yet identified is identified for the purpose', () => {
    const o = opener();
    const p = popupOf(o);
    const R = inject(p);
    assert.strictEqual(R.GetPlaybackContext(describe(R, [p], [-1], [0]), 0).SearchExpression, 'VA01');
    assert.strictEqual(cacheOf(o, 'DocumentContext')[1], 'TXCODE:X');
  });

  await t.test('the climb goes from the opener frame up through its parents', () => {
    const o = opener();
    const frame = attachFrame(o, page('http://a.example/list', '<body></body>'));
    const Ro = inject(o);
    Ro.GetPlaybackContext(describe(Ro, [o, frame], [-1, 0], [0, 0]), 0);
    // only the top document of the opener carries a context
    frame.document.getElementById('velnor-cache-DocumentContext').remove();
    const p = popupOf(frame);
    const R = inject(p);
    assert.strictEqual(R.GetPlaybackContext(describe(R, [p], [-1], [0]), 0).SearchExpression, 'VA01');
  });

  await t.test('no context is taken from another domain, a plain opener, or for a recognized window', () => {
    const foreign = opener('http://b.example/orders?txcode=VA01');
    const Rf = inject(foreign);
    assert.strictEqual(Rf.GetPlaybackContext(describe(Rf, [foreign], [-1], [0]), 0).Application, 'TXCODE');
    const p1 = popupOf(foreign);
    const R1 = inject(p1);
    assert.strictEqual(R1.GetPlaybackContext(describe(R1, [p1], [-1], [0]), 0).Application, 'STDHTML');

    const plainOpener = opener('http://a.example/start', '<h1>Start</h1>');
    const p2 = popupOf(plainOpener);
    const R2 = inject(p2);
    const c2 = R2.GetPlaybackContext(describe(R2, [p2], [-1], [0]), 0);
    assert.strictEqual(c2.Type, 'quenta');
    assert.ok(JSON.parse(c2.ContextList).includes('GAS:choose'));
    assert.ok(!JSON.parse(c2.ContextList).includes('GAS:start'));

    const p3 = popupOf(opener(), 'http://a.example/popup?txcode=XK01');
    const R3 = inject(p3);
    assert.strictEqual(R3.GetPlaybackContext(describe(R3, [p3], [-1], [0]), 0).SearchExpression, 'XK01');
  });

  await t.test('windows that opened each other in a circle do not loop', () => {
    const a = page('http://a.example/a', '<body></body>');
    const b = page('http://a.example/b', '<body></body>', { opener: a });
    Object.defineProperty(a, 'opener', { value: b, configurable: true });
    const R = inject(b);
    assert.strictEqual(R.GetPlaybackContext(describe(R, [b], [-1], [0]), 0).Application, 'STDHTML');
  });
});
