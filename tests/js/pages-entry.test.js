'use strict';
// The entry pages: the context-menu page starts one help request, the options
// opener opens the options page in a window of its own.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, fakeHintora } = require('./pages-load.js');

test('context-menu page: one object, one Start; a failure is alerted with its description', async () => {
  const comp = fakeHintora();
  const started = await openPage('contextmenu.html', { activeX: (id) => (id === 'HintoraIE.Hintora' ? comp : {}) });
  assert.deepStrictEqual([comp.calls, started.record.alerts, started.document.title], [['Start'], [], '']);

  const failure = Object.assign(new Error('ignored'), { description: 'Unspecified error' });
  for (const activeX of [() => { throw failure; }, () => fakeHintora({ fail: { Start: failure } })]) {
    const page = await openPage('contextmenu.html', { activeX });
    assert.deepStrictEqual([page.record.alerts, page.record.errors], [['EXCEPTION\n\nUnspecified error'], []]);
  }
  const missing = await openPage('contextmenu.html');
  assert.match(missing.record.alerts.join(), /^EXCEPTION\n\n.*ActiveXObject/, 'without a description the message is shown');
});

test('options opener: page 206 named HintoraOptions, sized like the dialog, focused; a blocked window is no error', async () => {
  let focused = 0;
  const page = await openPage('options-window.html', { openResult: { focus() { focused++; } } });
  assert.deepStrictEqual(page.record.opened, [['res://HintoraIE.dll/206', 'HintoraOptions',
    'height=336, width=476, resizable=no, menubar=no, toolbar=no, location=no, status=no', true]]);
  assert.strictEqual(focused, 1);
  for (const openResult of [null, { focus() { throw new Error('denied'); } }]) {
    const blocked = await openPage('options-window.html', { openResult });
    assert.deepStrictEqual([blocked.record.opened.length, blocked.record.errors], [1, []]);
  }
});
