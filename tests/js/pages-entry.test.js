'use strict';
// The entry pages: the context-menu page starts one help request, the options
// opener opens the options page in a window of its own.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, fakeHintora } = require('./pages-load.js');

function automationError(description) {
  return Object.assign(new Error('ignored'), { description });
}

test('context-menu page: one object, one Start; failures alerted with their description', async () => {
  const comp = fakeHintora();
  const page = await openPage('contextmenu.html', { activeX: () => comp });
  assert.deepStrictEqual(page.record.created, ['HintoraIE.Hintora']);
  assert.deepStrictEqual(comp.names(), ['Start']);
  assert.deepStrictEqual(page.record.alerts, []);
  assert.strictEqual(page.document.title, '');

  const refused = await openPage('contextmenu.html', { activeX: () => { throw automationError("Automation server can't create object"); } });
  assert.deepStrictEqual(refused.record.alerts, ["EXCEPTION\n\nAutomation server can't create object"]);
  const failing = await openPage('contextmenu.html', { activeX: () => fakeHintora({ fail: { Start: automationError('Unspecified error') } }) });
  assert.deepStrictEqual(failing.record.alerts, ['EXCEPTION\n\nUnspecified error']);
  const missing = await openPage('contextmenu.html');
  assert.match(missing.record.alerts.join(), /^EXCEPTION\n\n.*ActiveXObject/, 'an error without a description still says what failed');
  assert.deepStrictEqual([page, refused, failing, missing].map((p) => p.record.errors.length), [0, 0, 0, 0]);
});

test('options opener: page 206 named HintoraOptions, sized like the dialog, focused; a blocked window is no error', async () => {
  let focused = 0;
  const page = await openPage('options-window.html', { openResult: { focus() { focused++; } } });
  assert.deepStrictEqual(page.record.opened, [{ url: 'res://HintoraIE.dll/206', target: 'HintoraOptions',
    features: 'height=336, width=476, resizable=no, menubar=no, toolbar=no, location=no, status=no', replace: true }]);
  assert.strictEqual(focused, 1);
  for (const openResult of [null, { focus() { throw new Error('denied'); } }]) {
    const blocked = await openPage('options-window.html', { openResult });
    assert.strictEqual(blocked.record.opened.length, 1);
    assert.deepStrictEqual(blocked.record.errors, []);
  }
});
