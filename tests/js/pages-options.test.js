'use strict';
// The options page: what it asks the scriptable object, how it shows the
// stored hot key and the texts, what OK and Cancel hand back, and that no
// stored text can run as markup or script.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, fakeHintora, optionsJson, ENGLISH, IE8, IE11, FIREFOX } = require('./pages-load.js');

async function optionsPage(hintoraOptions, pageOptions = {}) {
  const comp = fakeHintora(hintoraOptions);
  const options = Object.assign({ activeX: () => comp }, pageOptions);
  if (options.browser === FIREFOX) {
    options.components = { interfaces: {}, classes: { '@hintora/companion;1': {}, '@mozilla.org/appshell/window-mediator;1': {
      getService: () => ({ getMostRecentWindow: () => ({ HintoraFF: { Comp: comp } }) }) } } };
  }
  const page = await openPage('options.html', options);
  const $ = (id) => page.document.getElementById(id);
  const chosen = () => ({ key: $('key').selectedIndex < 0 ? null : $('key').value,
    mods: ['ctrl', 'shift', 'alt'].filter((m) => $(m).checked).join(','), ok: !$('ok').disabled });
  const choose = (key) => { $('key').value = key; $('key').dispatchEvent(new page.window.Event('change')); };
  const texts = () => ['tabTitle', 'groupTitle', 'keyLabel', 'ctrlLabel', 'shiftLabel', 'altLabel', 'ok', 'cancel', 'warning']
    .map((id) => $(id).textContent);
  return Object.assign(page, { comp, $, chosen, choose, texts });
}

const SHOWN_ENGLISH = ['Hintora Options', 'Hotkey Options', 'Specify hotkey', 'Ctrl', 'Shift', 'Alt', 'OK', 'Cancel',
  'Select carefully. Please restart.'];

test('Internet Explorer asks for the texts, the hot key, then the message, and shows them', async () => {
  for (const browser of [IE8, IE11]) {
    const page = await optionsPage({ shortCut: 'Ctrl+F5' }, { browser });
    assert.deepStrictEqual(page.comp.names(), ['CreateOptionsJson', 'GetShortCut', 'GetMessage']);
    assert.strictEqual(page.window.hintora, page.comp);
    assert.strictEqual(page.document.title, 'Options');
    assert.deepStrictEqual(page.texts(), SHOWN_ENGLISH);
    assert.ok(!page.document.body.textContent.includes('Apply'));
    assert.strictEqual(page.$('groupTitle').style.left, '-7px');
    assert.deepStrictEqual(page.chosen(), { key: 'F5', mods: 'ctrl', ok: true });
    assert.deepStrictEqual(page.record.errors, []);
  }
  const german = await optionsPage({ optionsText: optionsJson(Object.assign({}, ENGLISH, { Ctrl: 'Strg', Shift: 'Umschalt' })),
    shortCut: 'Ctrl+Shift+F9' });
  assert.deepStrictEqual(german.texts().slice(3, 5), ['Strg', 'Umschalt']);
  assert.deepStrictEqual(german.chosen(), { key: 'F9', mods: 'ctrl,shift', ok: true }, 'the hot key is read in English');
});

test('Firefox gets hot key and texts from the companion object and closes without the _self window', async () => {
  const page = await optionsPage({ shortCut: 'Alt+F2', message: optionsJson(ENGLISH) }, { browser: FIREFOX });
  assert.deepStrictEqual(page.comp.names(), ['GetShortCut', 'GetMessage']);
  assert.deepStrictEqual(page.texts(), SHOWN_ENGLISH);
  assert.strictEqual(page.$('groupTitle').style.left, '');
  assert.deepStrictEqual(page.chosen(), { key: 'F2', mods: 'alt', ok: true });
  page.$('cancel').click();
  assert.strictEqual(page.record.closed, 1);
  assert.deepStrictEqual(page.record.opened, []);
});

test('the stored hot key: exact modifier words in any order, keys F1 to F12 only', async () => {
  const cases = [['Ctrl+Shift+F12', 'F12', 'ctrl,shift'], ['Alt+Shift+Ctrl+F1', 'F1', 'ctrl,shift,alt'], ['F9', 'F9', ''],
    ['ctrl+SHIFT+Strg+F7', 'F7', ''], ['Ctrl+F13', null, 'ctrl'], ['Shift+G', null, 'shift'], ['F0', null, ''],
    ['F', null, ''], ['F1x', null, ''], ['f5', null, ''], ['Ctrl+', null, 'ctrl'], ['', null, ''], ['F5+Ctrl', null, ''],
    [null, null, '']];
  for (const [stored, key, mods] of cases) {
    const page = await optionsPage({ shortCut: stored });
    assert.deepStrictEqual(page.chosen(), { key, mods, ok: key !== null }, String(stored));
  }
});

test('OK hands over Ctrl, Shift, Alt and the key in that order and closes; Cancel saves nothing', async () => {
  const page = await optionsPage({ shortCut: 'Shift+F9' });
  page.$('alt').click();
  page.$('shift').click();
  page.$('ctrl').click();
  page.choose('F3');
  page.$('ok').click();
  assert.deepStrictEqual(page.comp.calls.slice(3), [['SetShortCut', 'Ctrl+Alt+F3']]);
  assert.deepStrictEqual(page.record.opened, [{ url: '', target: '_self', features: undefined, replace: undefined }]);
  assert.strictEqual(page.record.closed, 1);

  const all = await optionsPage({ shortCut: 'Ctrl+Shift+Alt+F11' });
  all.$('ok').click();
  assert.deepStrictEqual(all.comp.calls.pop(), ['SetShortCut', 'Ctrl+Shift+Alt+F11']);

  const cancelled = await optionsPage({ shortCut: 'Ctrl+F6' });
  cancelled.$('shift').click();
  cancelled.$('cancel').click();
  assert.ok(!cancelled.comp.names().includes('SetShortCut'));
  assert.strictEqual(cancelled.record.closed, 1);
});

test('a hot key without its key is never stored: OK waits until a key is chosen', async () => {
  const page = await optionsPage({ shortCut: 'Ctrl+F13' });
  page.window.eval('document.getElementById("ok").onclick()');
  assert.ok(!page.comp.names().includes('SetShortCut'));
  assert.strictEqual(page.record.closed, 0);
  page.choose('F8');
  assert.strictEqual(page.chosen().ok, true);
  page.$('ok').click();
  assert.deepStrictEqual(page.comp.calls.pop(), ['SetShortCut', 'Ctrl+F8']);
  assert.strictEqual(page.record.closed, 1);
});

test('stored texts are shown as text and never run as markup or script', async () => {
  const hostile = { Title: '<b>T</b>', TabTitle: '<img src=x onerror=window.__ran=1>', GroupTitle: '<script>window.__ran=2</script>',
    Key: '<a href=javascript:window.__ran=3>k</a>', Ctrl: '<i>C</i>', Shift: '&lt;S&gt;', Alt: '<u>A</u>',
    Ok: '<span onmouseover=window.__ran=4>O</span>', Cancel: '<iframe src=javascript:window.__ran=5>',
    Warning: '<svg onload=window.__ran=6>', Restart: '</div><div id=ok>' };
  const page = await optionsPage({ optionsText: optionsJson(hostile) });
  assert.strictEqual(page.window.__ran, undefined);
  assert.strictEqual(page.document.title, '<b>T</b>');
  assert.deepStrictEqual(page.texts(), ['TabTitle', 'GroupTitle', 'Key', 'Ctrl', 'Shift', 'Alt', 'Ok', 'Cancel']
    .map((f) => hostile[f]).concat([hostile.Warning + ' ' + hostile.Restart]));
  assert.strictEqual(page.document.querySelectorAll('#page img, #page script, #page a, #page iframe, #page svg, [id=ok]').length, 2,
    'only the warning image and the one OK button');
});

test('placeholders stay where texts are missing, broken or of the wrong kind, and failing calls break nothing', async () => {
  const cases = [
    [{}, { activeX: undefined }],
    [{}, { activeX: () => { throw new Error('refused'); } }],
    [{ optionsText: optionsJson(Object.assign({}, ENGLISH, { Ok: 'say "OK"' })) }],
    [{ optionsText: '{"Title":5,"Ok":{"a":1},"Cancel":null,"Warning":"W","Restart":7}' }],
    [{ optionsText: '' }],
    [{ fail: { GetMessage: new Error('x'), CreateOptionsJson: new Error('y') } }],
  ];
  for (const [hintoraOptions, pageOptions] of cases) {
    const page = await optionsPage(Object.assign({ shortCut: 'Alt+F4' }, hintoraOptions), pageOptions);
    assert.strictEqual(page.document.title, 'Options');
    assert.deepStrictEqual(page.texts(), ['Hintora Options', 'Hotkey Options', 'Specify hotkey to launch Hintora', 'Ctrl',
      'Shift', 'Alt', 'OK', 'Cancel', page.$('warning').textContent]);
    assert.match(page.$('warning').textContent, /^Please carefully .* Please restart the browser/);
    assert.deepStrictEqual(page.chosen(), page.comp.calls.length ? { key: 'F4', mods: 'alt', ok: true } : { key: 'F9', mods: '', ok: true });
    page.$('ok').click();
    assert.strictEqual(page.record.closed, 1);
    assert.deepStrictEqual(page.record.errors, []);
  }
  const noShortCut = await optionsPage({ fail: { GetShortCut: new Error('E_OUTOFMEMORY'), SetShortCut: new Error('denied') } });
  assert.deepStrictEqual(noShortCut.texts(), SHOWN_ENGLISH, 'texts still shown');
  noShortCut.$('ok').click();
  assert.strictEqual(noShortCut.record.closed, 1, 'the page still closes');
  assert.deepStrictEqual(noShortCut.record.errors, []);
});
