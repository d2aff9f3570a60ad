'use strict';
// The shared page script: JSON with the engine's JSON object and with the
// fallback of legacy document modes, and how the scriptable object is found.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, resource, IE8, IE11, FIREFOX } = require('./pages-load.js');

const scriptPage = (options) => openPage('x.html', Object.assign({ html: `<script>${resource('dialog.js')}</script>` }, options));
const plain = (v) => (v === undefined ? undefined : JSON.parse(JSON.stringify(v)));

const VALID = [' { "a" : [ 1 , -0.5e+2 , 3E-1 , 0 , true , false , null ] , "b" : { } } ', '"\\"\\\\\\/\\b\\f\\n\\r\\t\\u00e9\\uD83D\\uDE00"', '12'];
const INVALID = ['', '{"a":1,}', "{'a':1}", '{a:1}', '{"a":01}', '{"a":.5}', '{"a":NaN}', '{"a":"x\ny"}', '{"a":"\\x41"}',
  '{"a":1}/*c*/', '{"a":1}+(window.__ran=1)', '{"a":(window.__ran=2)}', '[1 2]', '{"Title":"a"b"}', null, undefined];

for (const [mode, jsonObject] of [['engine JSON', {}], ['fallback', { jsonObject: undefined }]]) {
  test(`${mode}: decodes and encodes as the standard does; rejects without running the text`, async () => {
    const { window } = await scriptPage(jsonObject);
    for (const text of VALID) assert.deepStrictEqual(plain(window.Json.DecodeObject(text)), JSON.parse(text), text);
    for (const text of INVALID) assert.strictEqual(window.Json.DecodeObject(text), undefined, text);
    assert.strictEqual(window.__ran, undefined);
    assert.strictEqual(window.Json.DecodeObject('{"__proto__":{"polluted":1}}').polluted, undefined);
    const values = window.eval(`[{"T":"a \\"b\\\\", l:[1, -2.5, 1e21, true, null, "\\u0001\\t"], u: undefined, f: function () {}},
      [undefined, NaN], {when: new Date(Date.UTC(1999, 11, 31, 23, 59, 58, 9))}, [new String("s"), new Number(4)]]`);
    for (const v of values) assert.strictEqual(window.Json.EncodeObject(v), JSON.stringify(v));
    assert.strictEqual(window.Json.EncodeObject(window.eval('var c = {a: []}; c.a.push(c); c')), undefined, 'cycle');
  });
}

test('an engine JSON object that fails the self-test is not used', async () => {
  const used = [];
  const noMilliseconds = { parse(t) { used.push(t); return JSON.parse(t); },
    stringify(v) { used.push(v); return JSON.stringify(v).replace(/\.\d{3}Z"/g, 'Z"'); } };
  const { window } = await scriptPage({ jsonObject: noMilliseconds });
  used.length = 0;
  assert.deepStrictEqual(plain(window.Json.DecodeObject('[1]')), [1]);
  assert.strictEqual(window.Json.EncodeObject(window.eval('new Date(0)')), '"1970-01-01T00:00:00.000Z"');
  assert.deepStrictEqual(used, []);
});

test('GetComp: the library object in Internet Explorer of any mode, the companion object in Firefox', async () => {
  const comp = { id: 'comp' };
  for (const [browser, expected] of [[IE8, comp], [IE11, comp], [FIREFOX, null]]) {
    const { window } = await scriptPage({ browser, activeX: (id) => (id === 'HintoraIE.Hintora' ? comp : null) });
    assert.strictEqual(window.GetComp(), expected);
    assert.strictEqual(window.hintora, expected);
  }
  const refused = await scriptPage({ activeX: () => { throw new Error('refused'); } });
  assert.strictEqual(refused.window.GetComp(), null);

  const components = (registered, browserWindow) => ({ interfaces: {}, classes: { '@hintora/companion;1': registered,
    '@mozilla.org/appshell/window-mediator;1': { getService: () => ({ getMostRecentWindow: (type) =>
      (type === 'navigator:browser' ? browserWindow : null) }) } } });
  for (const [registered, browserWindow, expected, alerts] of [[{}, { HintoraFF: { Comp: comp } }, comp, []],
    [{}, { HintoraFF: {} }, null, ['error']], [undefined, { HintoraFF: { Comp: comp } }, null, []]]) {
    const page = await scriptPage({ browser: FIREFOX, components: components(registered, browserWindow) });
    assert.strictEqual(page.window.GetComp(), expected);
    assert.strictEqual(page.window.hintora, expected);
    assert.deepStrictEqual(page.record.alerts, alerts);
  }
});
