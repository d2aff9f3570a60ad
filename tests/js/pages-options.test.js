'use strict';
// The options page: what it asks the scriptable object, how it shows the
// stored hot key and the texts, what OK and Cancel hand back, and that no
// stored text can run as markup or script.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, fakeHintora, IE11, FIREFOX } = require('./pages-load.js');

const FIELDS = ['Title', 'TabTitle', 'GroupTitle', 'Key', 'Restart', 'Warning', 'Ctrl', 'Alt', 'Shift', 'Apply', 'Cancel', 'Ok'];
// As the library formats them: no blanks, fixed order, nothing escaped.
const optionsJson = (values) => '{' + FIELDS.map((f, i) => `"${f}":"${values[i]}"`).join(',') + '}';
const GERMAN = optionsJson(['Optionen', 'Reiter', 'Gruppe', 'Taste', 'Neu starten.', 'Vorsicht.', 'Strg', 'Alt', 'Umschalt',
  'Anwenden', 'Abbrechen', 'OK']);
const SHOWN = ['tabTitle', 'groupTitle', 'keyLabel', 'ctrlLabel', 'shiftLabel', 'altLabel', 'ok', 'cancel', 'warning'];
const PLACEHOLDERS = ['Hintora Options', 'Hotkey Options', 'Specify hotkey to launch Hintora', 'Ctrl', 'Shift', 'Alt', 'OK', 'Cancel'];

async function optionsPage(hintora, pageOptions = {}) {
  const comp = fakeHintora(Object.assign({ optionsText: GERMAN }, hintora));
  const companion = { '@hintora/companion;1': {}, '@mozilla.org/appshell/window-mediator;1': {
    getService: () => ({ getMostRecentWindow: () => ({ HintoraFF: { Comp: comp } }) }) } };
  const page = await openPage('options.html', Object.assign({ activeX: () => comp,
    components: pageOptions.browser === FIREFOX ? { interfaces: {}, classes: companion } : undefined }, pageOptions));
  const $ = (id) => page.document.getElementById(id);
  return Object.assign(page, { comp, $,
    texts: () => SHOWN.map((id) => $(id).textContent),
    chosen: () => [$('key').selectedIndex < 0 ? null : $('key').value].concat(['ctrl', 'shift', 'alt'].filter((m) => $(m).checked)),
    choose: (key) => { $('key').value = key; $('key').dispatchEvent(new page.window.Event('change')); } });
}

test('asks for the texts, then the hot key, then the message, and shows them (not Apply)', async () => {
  for (const browser of [undefined, IE11, FIREFOX]) {
    const page = await optionsPage({ shortCut: 'Ctrl+Shift+F12', message: GERMAN }, { browser });
    const ie = browser !== FIREFOX;
    assert.deepStrictEqual(page.comp.calls, (ie ? ['CreateOptionsJson'] : []).concat(['GetShortCut', 'GetMessage']));
    assert.strictEqual(page.document.title, 'Optionen');
    assert.deepStrictEqual(page.texts(), ['Reiter', 'Gruppe', 'Taste', 'Strg', 'Umschalt', 'Alt', 'OK', 'Abbrechen', 'Vorsicht. Neu starten.']);
    assert.ok(!page.document.body.textContent.includes('Anwenden'));
    assert.strictEqual(page.$('groupTitle').style.left, ie ? '-7px' : '');
    assert.deepStrictEqual(page.chosen(), ['F12', 'ctrl', 'shift']);
  }
});

test('the stored hot key: exact modifier words in any order, keys F1 to F12 only', async () => {
  for (const [stored, chosen] of [['Alt+Shift+Ctrl+F1', ['F1', 'ctrl', 'shift', 'alt']], ['F9', ['F9']],
    ['ctrl+SHIFT+Strg+F7', ['F7']], ['Ctrl+F13', [null, 'ctrl']], ['Shift+G', [null, 'shift']], ['F0', [null]],
    ['F1x', [null]], ['f5', [null]], ['', [null]], ['F5+Ctrl', [null]], [null, [null]]]) {
    const page = await optionsPage({ shortCut: stored });
    assert.deepStrictEqual(page.chosen(), chosen, String(stored));
    assert.strictEqual(page.$('ok').disabled, chosen[0] === null, 'OK only with a key');
  }
});

test('OK hands over Ctrl, Shift, Alt and the key in that order and closes; Cancel saves nothing', async () => {
  const page = await optionsPage({ shortCut: 'Shift+F9' });
  for (const box of ['alt', 'shift', 'ctrl']) page.$(box).click();
  page.choose('F3');
  page.$('ok').click();
  assert.deepStrictEqual(page.comp.calls.slice(3), ['SetShortCut Ctrl+Alt+F3']);
  assert.deepStrictEqual(page.record.opened, [['', '_self']], 'Internet Explorer closes through a _self window');
  assert.strictEqual(page.record.closed, 1);

  const cancelled = await optionsPage({ shortCut: 'Ctrl+F6' }, { browser: FIREFOX });
  cancelled.$('cancel').click();
  assert.deepStrictEqual(cancelled.comp.calls, ['GetShortCut', 'GetMessage']);
  assert.deepStrictEqual([cancelled.record.closed, cancelled.record.opened.length], [1, 0]);

  const noKey = await optionsPage({ shortCut: 'Ctrl+F13' });
  noKey.window.eval('document.getElementById("ok").onclick()');
  assert.deepStrictEqual([noKey.comp.calls.length, noKey.record.closed], [3, 0], 'a hot key without its key is never stored');
  noKey.choose('F8');
  noKey.$('ok').click();
  assert.deepStrictEqual([noKey.comp.calls.pop(), noKey.record.closed], ['SetShortCut Ctrl+F8', 1]);
});

test('stored texts are shown as text and never run as markup or script', async () => {
  const hostile = ['<b>T</b>', '<img src=x onerror=window.__ran=1>', '<script>window.__ran=2</script>', '<a href=#>k</a>',
    '</div><div id=ok>', '<svg onload=window.__ran=3>', '&lt;C&gt;', '<u>A</u>', '<i>S</i>', '', '<iframe src=x>', '<span>O</span>'];
  const page = await optionsPage({ optionsText: optionsJson(hostile) });
  assert.strictEqual(page.window.__ran, undefined);
  assert.strictEqual(page.document.title, '<b>T</b>');
  assert.deepStrictEqual(page.texts(), [1, 2, 3, 6, 8, 7, 11, 10].map((i) => hostile[i]).concat([hostile[5] + ' ' + hostile[4]]));
  assert.strictEqual(page.document.querySelectorAll('#page img, #page script, a, iframe, svg, u, [id=ok]').length, 2);
});

test('placeholders stay where texts are missing, broken or of the wrong kind; failing calls break nothing', async () => {
  const broken = GERMAN.replace('"OK"', '"say "OK""');
  for (const [hintora, pageOptions] of [[{}, { activeX: () => { throw new Error('refused'); } }], [{ optionsText: broken }],
    [{ optionsText: '{"Title":5,"Ok":{},"Cancel":null,"Warning":"W","Restart":7}' }], [{ optionsText: '' }],
    [{ fail: { GetMessage: new Error('x'), CreateOptionsJson: new Error('y'), SetShortCut: new Error('denied') } }]]) {
    const page = await optionsPage(Object.assign({ shortCut: 'Alt+F4' }, hintora), pageOptions);
    assert.strictEqual(page.document.title, 'Options');
    assert.deepStrictEqual(page.texts().slice(0, 8), PLACEHOLDERS);
    assert.match(page.$('warning').textContent, /^Please carefully .* Please restart the browser/);
    assert.deepStrictEqual(page.chosen(), page.comp.calls.length ? ['F4', 'alt'] : ['F9']);
    page.$('ok').click();
    assert.deepStrictEqual([page.record.closed, page.record.errors], [1, []]);
  }
  const noShortCut = await optionsPage({ fail: { GetShortCut: new Error('E_OUTOFMEMORY') } });
  assert.strictEqual(noShortCut.texts()[0], 'Reiter', 'texts still shown');
});
