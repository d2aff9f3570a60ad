'use strict';
// The shared page script: JSON decoding and encoding with the engine's JSON
// object and with the fallback that legacy document modes get, the browser
// tests, and how the scriptable object is found.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, resource, IE8, IE11, FIREFOX } = require('./pages-load.js');

const BARE = '<!DOCTYPE html><html><head><script>' + resource('dialog.js') + '</script></head><body></body></html>';

function scriptPage(options) {
  return openPage('dialog.html', Object.assign({ html: BARE }, options));
}

// Values made in the page's realm, compared as plain values of this one.
function plain(v) {
  return v === undefined ? undefined : JSON.parse(JSON.stringify(v));
}

const VALID = [
  '{"Title":"Options","TabTitle":"Hintora Options","Ok":"OK"}',
  ' { "a" : [ 1 , -0.5e+2 , 3E-1 , 0 , true , false , null ] , "b" : { } , "c" : [ ] } ',
  '"\\"quoted\\" \\\\ \\/ \\b\\f\\n\\r\\t \\u00e9\\u2028\\uD83D\\uDE00"',
  '[{"nested":[[{"deep":"x"}]]}]',
  '{"dup":1,"dup":2}',
  '12', 'null', 'true', '"Strg+Umschalt+F9"',
  '{"Text":"<img src=x onerror=alert(1)>"}',
];

const INVALID = [
  '', ' ', '{', '{"a":1,}', '[1,]', "{'a':1}", '{a:1}', '{"a":01}', '{"a":.5}', '{"a":1.}', '{"a":+1}',
  '{"a":NaN}', '{"a":undefined}', '{"a":"x\ny"}', '{"a":"\\x41"}', '{"a":"\\u12"}', '{"a":1} x',
  '{"a":1}/*c*/', '{"a":1}+(window.__ran=1)', '{"a":(window.__ran=2)}', 'window.__ran=3', '(function(){window.__ran=4})()',
  '{"a":"unterminated}', '[1 2]', '{"a" 1}', 'tru', 'nul', '"\\', '{"Title":"a"b"}',
];

for (const mode of ['engine JSON', 'fallback']) {
  const options = mode === 'fallback' ? { noNativeJson: true } : {};

  test(`${mode}: decodes valid texts as the standard parser does`, async () => {
    const { window } = await scriptPage(options);
    for (const text of VALID) {
      assert.deepStrictEqual(plain(window.Json.DecodeObject(text)), JSON.parse(text), text);
    }
    assert.strictEqual(window.Json.DecodeObject('"\\uD83D\\uDE00"'), '\uD83D\uDE00');
  });

  test(`${mode}: rejects what is not JSON with undefined, runs none of it, never throws`, async () => {
    const { window } = await scriptPage(options);
    for (const text of INVALID) {
      assert.strictEqual(window.Json.DecodeObject(text), undefined, JSON.stringify(text));
    }
    for (const nothing of [null, undefined]) assert.strictEqual(window.Json.DecodeObject(nothing), undefined);
    assert.strictEqual(window.__ran, undefined);
  });

  test(`${mode}: a "__proto__" member cannot change what decoded objects inherit`, async () => {
    const { window } = await scriptPage(options);
    const v = window.Json.DecodeObject('{"__proto__":{"polluted":1},"a":1}');
    assert.strictEqual(v.a, 1);
    assert.strictEqual(v.polluted, undefined);
    assert.strictEqual(window.Json.DecodeObject('{}').polluted, undefined);
    assert.strictEqual(window.Object.prototype.polluted, undefined);
  });

  test(`${mode}: encodes as the standard encoder does and decodes its own output`, async () => {
    const { window } = await scriptPage(options);
    const values = window.eval(`[
      {"Title":"a \\"b\\" c\\\\d", list:[1, -2.5, 1e21, true, null, "x\\u0001\\u001f\\t"], o:{}},
      [undefined, function () {}, NaN, Infinity],
      {skip: undefined, fn: function () {}, keep: 0},
      {when: new Date(Date.UTC(1999, 11, 31, 23, 59, 58, 9))},
      {bad: new Date(NaN)},
      [new String("s"), new Number(4), new Boolean(false)],
      "plain", 5, false, null
    ]`);
    for (let i = 0; i < values.length; i++) {
      const text = window.Json.EncodeObject(values[i]);
      assert.strictEqual(text, JSON.stringify(values[i]), 'value ' + i);
      assert.deepStrictEqual(plain(window.Json.DecodeObject(text)), JSON.parse(text));
    }
    assert.strictEqual(window.Json.EncodeObject(undefined), undefined);
    assert.strictEqual(window.Json.DecodeObject(window.Json.EncodeObject('line\u2028sep\u2029')), 'line\u2028sep\u2029');
  });

  test(`${mode}: a value that refers to itself gives undefined instead of an error`, async () => {
    const { window } = await scriptPage(options);
    const cyclic = window.eval('var c = {a: []}; c.a.push(c); c');
    assert.strictEqual(window.Json.EncodeObject(cyclic), undefined);
    const shared = window.eval('var s = {k: 1}; ({x: s, y: [s, s]})');
    assert.strictEqual(window.Json.EncodeObject(shared), '{"x":{"k":1},"y":[{"k":1},{"k":1}]}');
  });
}

test('an engine JSON object that fails the self-test is not used', async () => {
  const used = [];
  // Encodes dates without milliseconds, as early engines did.
  const flawed = {
    parse(text) { used.push('parse'); return JSON.parse(text); },
    stringify(v) {
      used.push('stringify');
      return JSON.stringify(v, function (k, x) {
        return typeof x === 'string' && /\.\d{3}Z$/.test(x) ? x.replace(/\.\d{3}Z$/, 'Z') : x;
      });
    },
  };
  const { window } = await scriptPage({ nativeJson: flawed });
  used.length = 0;
  assert.deepStrictEqual(plain(window.Json.DecodeObject('{"a":[1]}')), { a: [1] });
  assert.strictEqual(window.Json.EncodeObject(window.eval('({d: new Date(Date.UTC(2001, 0, 1))})')),
    '{"d":"2001-01-01T00:00:00.000Z"}');
  assert.strictEqual(window.Json.DecodeObject('{"a":01}'), undefined);
  assert.deepStrictEqual(used, []);

  const throwing = { parse() { throw new Error('x'); }, stringify() { throw new Error('y'); } };
  const second = await scriptPage({ nativeJson: throwing });
  assert.deepStrictEqual(plain(second.window.Json.DecodeObject('[true]')), [true]);
});

test('browser tests: legacy and standards-mode Internet Explorer, Firefox', async () => {
  for (const [browser, ie, ff] of [[IE8, true, false], [IE11, true, false], [FIREFOX, false, true]]) {
    const { window } = await scriptPage({ browser });
    assert.strictEqual(window.IsIE(), ie, browser.userAgent);
    assert.strictEqual(window.IsFF(), ff, browser.userAgent);
  }
  const { window } = await scriptPage();
  assert.strictEqual(window.IsString('x'), true);
  assert.strictEqual(window.IsString(window.eval('new String("x")')), false);
  assert.strictEqual(window.IsArray(window.eval('[]')), true);
  assert.strictEqual(window.IsArray([]), true, 'an array of another frame');
  assert.strictEqual(window.IsArray({ length: 0 }), false);
});

test('GetComp in Internet Explorer creates the library object and keeps it in hintora', async () => {
  for (const browser of [IE8, IE11]) {
    const comp = { id: 'library' };
    const { window, record } = await scriptPage({ browser, activeX: () => comp });
    assert.strictEqual(window.hintora, null);
    assert.strictEqual(window.GetComp(), comp);
    assert.strictEqual(window.hintora, comp);
    assert.deepStrictEqual(record.created, ['HintoraIE.Hintora']);
  }
  const refused = await scriptPage({ activeX: () => { throw new Error('Automation server can\'t create object'); } });
  assert.strictEqual(refused.window.GetComp(), null);
  assert.strictEqual(refused.window.hintora, null);
  const missing = await scriptPage();
  assert.strictEqual(missing.window.GetComp(), null);
  assert.deepStrictEqual(missing.record.alerts, []);
});

test('GetComp in Firefox asks the companion extension of the most recent browser window', async () => {
  function components(registered, browserWindow) {
    const asked = [];
    return {
      asked,
      interfaces: { nsIWindowMediator: 'nsIWindowMediator' },
      classes: new Proxy({}, {
        get(target, id) {
          if (id === '@mozilla.org/appshell/window-mediator;1') {
            return { getService: (iface) => ({ getMostRecentWindow: (type) => { asked.push([iface, type]); return browserWindow; } }) };
          }
          return registered && id === '@hintora/companion;1' ? {} : undefined;
        },
      }),
    };
  }
  const comp = { id: 'companion' };
  const found = components(true, { HintoraFF: { Comp: comp } });
  let page = await scriptPage({ browser: FIREFOX, components: found });
  assert.strictEqual(page.window.GetComp(), comp);
  assert.strictEqual(page.window.hintora, comp);
  assert.deepStrictEqual(found.asked, [['nsIWindowMediator', 'navigator:browser']]);
  assert.deepStrictEqual(page.record.alerts, []);

  for (const browserWindow of [{}, { HintoraFF: {} }, null]) {
    page = await scriptPage({ browser: FIREFOX, components: components(true, browserWindow) });
    assert.strictEqual(page.window.GetComp(), null);
    assert.strictEqual(page.window.hintora, null);
    assert.deepStrictEqual(page.record.alerts, ['error']);
  }

  const unregistered = components(false, { HintoraFF: { Comp: comp } });
  page = await scriptPage({ browser: FIREFOX, components: unregistered });
  assert.strictEqual(page.window.GetComp(), null);
  assert.deepStrictEqual(unregistered.asked, []);
  assert.deepStrictEqual(page.record.alerts, []);

  page = await scriptPage({ browser: FIREFOX });
  assert.strictEqual(page.window.GetComp(), null, 'no Components object at all');
  assert.deepStrictEqual(page.record.alerts, []);
});
