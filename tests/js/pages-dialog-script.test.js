'use strict';
// The shared page script: JSON with the engine's JSON object and with the
// fallback of legacy document modes, browser tests, finding the scriptable object.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, resource, IE8, IE11, FIREFOX } = require('./pages-load.js');

const BARE = '<html><head><script>' + resource('dialog.js') + '</script></head><body></body></html>';
const scriptPage = (options) => openPage('dialog.html', Object.assign({ html: BARE }, options));
const plain = (v) => (v === undefined ? undefined : JSON.parse(JSON.stringify(v)));

const VALID = ['{"Title":"Options","Ok":"OK"}', ' { "a" : [ 1 , -0.5e+2 , 3E-1 , 0 , true , false , null ] , "b" : { } , "c" : [ ] } ',
  '"\\"q\\" \\\\ \\/ \\b\\f\\n\\r\\t \\u00e9\\u2028\\uD83D\\uDE00"', '[{"n":[[{"d":"x"}]]}]', '{"dup":1,"dup":2}', '12', 'null'];
const INVALID = ['', '{', '{"a":1,}', '[1,]', "{'a':1}", '{a:1}', '{"a":01}', '{"a":.5}', '{"a":1.}', '{"a":NaN}',
  '{"a":"x\ny"}', '{"a":"\\x41"}', '{"a":"\\u12"}', '{"a":1} x', '{"a":1}/*c*/', '{"a":1}+(window.__ran=1)',
  '{"a":(window.__ran=2)}', '(function(){window.__ran=3})()', '{"a":"open}', '[1 2]', 'tru', '{"Title":"a"b"}'];

for (const mode of ['engine JSON', 'fallback']) {
  const options = mode === 'fallback' ? { noNativeJson: true } : {};

  test(`${mode}: decodes JSON as the standard parser does, anything else to undefined without running it`, async () => {
    const { window } = await scriptPage(options);
    for (const text of VALID) assert.deepStrictEqual(plain(window.Json.DecodeObject(text)), JSON.parse(text), text);
    for (const text of INVALID.concat([null, undefined])) assert.strictEqual(window.Json.DecodeObject(text), undefined, text);
    assert.strictEqual(window.__ran, undefined);
    const v = window.Json.DecodeObject('{"__proto__":{"polluted":1},"a":1}');
    assert.strictEqual(v.a, 1);
    assert.strictEqual(v.polluted, undefined, 'a member cannot change what decoded objects inherit');
  });

  test(`${mode}: encodes as the standard encoder does; a cycle gives undefined`, async () => {
    const { window } = await scriptPage(options);
    const values = window.eval(`[{"T":"a \\"b\\" c\\\\d", l:[1, -2.5, 1e21, true, null, "x\\u0001\\t"], o:{}},
      [undefined, function () {}, NaN, Infinity], {skip: undefined, fn: function () {}, keep: 0},
      {when: new Date(Date.UTC(1999, 11, 31, 23, 59, 58, 9)), bad: new Date(NaN)},
      [new String("s"), new Number(4), new Boolean(false)], "plain", false]`);
    for (let i = 0; i < values.length; i++) {
      const text = window.Json.EncodeObject(values[i]);
      assert.strictEqual(text, JSON.stringify(values[i]), 'value ' + i);
      assert.deepStrictEqual(plain(window.Json.DecodeObject(text)), JSON.parse(text));
    }
    assert.strictEqual(window.Json.DecodeObject(window.Json.EncodeObject('a\u2028b')), 'a\u2028b');
    assert.strictEqual(window.Json.EncodeObject(window.eval('var c = {a: []}; c.a.push(c); c')), undefined);
    assert.strictEqual(window.Json.EncodeObject(window.eval('var s = {k: 1}; ({x: s, y: [s]})')), '{"x":{"k":1},"y":[{"k":1}]}');
  });
}

test('an engine JSON object that fails the self-test is not used', async () => {
  const used = [];
  const noMilliseconds = {
    parse(text) { used.push('parse'); return JSON.parse(text); },
    stringify(v) { used.push('stringify'); return JSON.stringify(v).replace(/\.\d{3}Z"/g, 'Z"'); },
  };
  const { window } = await scriptPage({ nativeJson: noMilliseconds });
  used.length = 0;
  assert.deepStrictEqual(plain(window.Json.DecodeObject('{"a":[1]}')), { a: [1] });
  assert.strictEqual(window.Json.EncodeObject(window.eval('({d: new Date(Date.UTC(2001, 0, 1))})')), '{"d":"2001-01-01T00:00:00.000Z"}');
  assert.deepStrictEqual(used, []);
  const throwing = await scriptPage({ nativeJson: { parse() { throw new Error('x'); }, stringify() { throw new Error('y'); } } });
  assert.deepStrictEqual(plain(throwing.window.Json.DecodeObject('[true]')), [true]);
});

test('Internet Explorer, legacy or standards mode, creates the library object and keeps it in hintora', async () => {
  for (const [browser, ie] of [[IE8, true], [IE11, true], [FIREFOX, false]]) {
    const comp = { id: 'library' };
    const { window, record } = await scriptPage({ browser, activeX: () => comp });
    assert.strictEqual(window.IsIE(), ie, browser.userAgent);
    assert.strictEqual(window.IsFF(), !ie, browser.userAgent);
    assert.strictEqual(window.hintora, null);
    assert.strictEqual(window.GetComp(), ie ? comp : null);
    assert.strictEqual(window.hintora, ie ? comp : null);
    assert.deepStrictEqual(record.created, ie ? ['HintoraIE.Hintora'] : []);
  }
  const refused = await scriptPage({ activeX: () => { throw new Error("Automation server can't create object"); } });
  assert.strictEqual(refused.window.GetComp(), null);
  assert.strictEqual(refused.window.hintora, null);
});

test('Firefox asks the companion extension of the most recent browser window, and says "error" without one', async () => {
  const comp = { id: 'companion' };
  function components(registered, browserWindow, asked) {
    return { interfaces: { nsIWindowMediator: 'mediator' }, classes: {
      '@hintora/companion;1': registered ? {} : undefined,
      '@mozilla.org/appshell/window-mediator;1': { getService: (iface) => ({
        getMostRecentWindow: (type) => { asked.push(iface + ' ' + type); return browserWindow; } }) } } };
  }
  const cases = [[true, { HintoraFF: { Comp: comp } }, comp, []], [true, { HintoraFF: {} }, null, ['error']],
    [true, null, null, ['error']], [false, { HintoraFF: { Comp: comp } }, null, []]];
  for (const [registered, browserWindow, expected, alerts] of cases) {
    const asked = [];
    const page = await scriptPage({ browser: FIREFOX, components: components(registered, browserWindow, asked) });
    assert.strictEqual(page.window.GetComp(), expected);
    assert.strictEqual(page.window.hintora, expected);
    assert.deepStrictEqual(page.record.alerts, alerts);
    assert.deepStrictEqual(asked, registered ? ['mediator navigator:browser'] : []);
  }
  const bare = await scriptPage({ browser: FIREFOX });
  assert.strictEqual(bare.window.GetComp(), null, 'no Components object at all');
  assert.deepStrictEqual(bare.record.alerts, []);
});
