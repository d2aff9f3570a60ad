'use strict';
// The two entry pages: the context-menu page starts a help request through
// the scriptable object, and the options opener opens the options page in a
// window of its own.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, fakeHintora } = require('./pages-load.js');

test('context-menu page: creates the scriptable object once and starts one request', async () => {
  const comp = fakeHintora();
  const page = await openPage('contextmenu.html', { activeX: () => comp });
  assert.deepStrictEqual(page.record.created, ['HintoraIE.Hintora']);
  assert.deepStrictEqual(comp.names(), ['Start']);
  assert.deepStrictEqual(page.record.alerts, []);
  assert.strictEqual(page.document.title, '');
  assert.strictEqual(page.document.body.textContent.trim(), '');
  assert.deepStrictEqual(page.record.errors, []);
});

test('context-menu page: a failure is shown with its description after two line breaks', async () => {
  function automationError(description) {
    const e = new Error('ignored');
    e.description = description;
    return e;
  }
  const refused = await openPage('contextmenu.html', {
    activeX: () => { throw automationError("Automation server can't create object"); },
  });
  assert.deepStrictEqual(refused.record.alerts, ["EXCEPTION\n\nAutomation server can't create object"]);

  const comp = fakeHintora({ fail: { Start: automationError('Unspecified error') } });
  const failing = await openPage('contextmenu.html', { activeX: () => comp });
  assert.deepStrictEqual(comp.names(), ['Start']);
  assert.deepStrictEqual(failing.record.alerts, ['EXCEPTION\n\nUnspecified error']);

  // Outside Internet Explorer there is no ActiveX constructor at all.
  const missing = await openPage('contextmenu.html');
  assert.strictEqual(missing.record.alerts.length, 1);
  assert.match(missing.record.alerts[0], /^EXCEPTION\n\n.*ActiveXObject/);
  assert.deepStrictEqual(missing.record.errors, []);
});

test('options opener: opens page 206 named HintoraOptions, sized like the dialog, and focuses it', async () => {
  let focused = 0;
  const page = await openPage('options-window.html', { openResult: { focus() { focused++; } } });
  assert.deepStrictEqual(page.record.opened, [{
    url: 'res://HintoraIE.dll/206',
    target: 'HintoraOptions',
    features: 'height=336, width=476, resizable=no, menubar=no, toolbar=no, location=no, status=no',
    replace: true,
  }]);
  assert.strictEqual(focused, 1);
  assert.deepStrictEqual(page.record.errors, []);
});

test('options opener: a blocked window causes no script error', async () => {
  const blocked = await openPage('options-window.html', { openResult: null });
  assert.strictEqual(blocked.record.opened.length, 1);
  assert.deepStrictEqual(blocked.record.errors, []);
  const refusing = await openPage('options-window.html', { openResult: { focus() { throw new Error('denied'); } } });
  assert.deepStrictEqual(refusing.record.errors, []);
});
