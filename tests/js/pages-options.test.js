'use strict';
// The options page: what it asks the scriptable object, how it shows the
// stored hot key and the texts, what OK and Cancel hand back, and that no
// stored text can run as markup or script.
const test = require('node:test');
const assert = require('node:assert');
const { openPage, fakeHintora, optionsJson, ENGLISH, IE8, IE11, FIREFOX } = require('./pages-load.js');

// Firefox reaches the companion extension's object instead of the library's.
function firefoxComponents(comp) {
  return {
    interfaces: { nsIWindowMediator: {} },
    classes: {
      '@hintora/companion;1': {},
      '@mozilla.org/appshell/window-mediator;1': {
        getService: () => ({ getMostRecentWindow: () => ({ HintoraFF: { Comp: comp } }) }),
      },
    },
  };
}

async function optionsPage(hintoraOptions, pageOptions) {
  const comp = fakeHintora(hintoraOptions);
  const options = Object.assign({ activeX: () => comp }, pageOptions);
  if (options.browser === FIREFOX) options.components = firefoxComponents(comp);
  const page = await openPage('options.html', options);
  const $ = (id) => page.document.getElementById(id);
  return Object.assign(page, { comp, $ });
}

function chosen(page) {
  const key = page.$('key');
  return {
    key: key.selectedIndex < 0 ? null : key.options[key.selectedIndex].text,
    ctrl: page.$('ctrl').checked, shift: page.$('shift').checked, alt: page.$('alt').checked,
    ok: !page.$('ok').disabled,
  };
}

function choose(page, key) {
  const select = page.$('key');
  select.value = key;
  select.dispatchEvent(new page.window.Event('change'));
}

test('Internet Explorer: asks for the texts, then the hot key, then the message, and shows them', async () => {
  for (const browser of [IE8, IE11]) {
    const page = await optionsPage({ shortCut: 'Ctrl+F5' }, { browser });
    assert.deepStrictEqual(page.comp.names(), ['CreateOptionsJson', 'GetShortCut', 'GetMessage']);
    assert.deepStrictEqual(page.record.created, ['HintoraIE.Hintora']);
    assert.strictEqual(page.window.hintora, page.comp);
    assert.strictEqual(page.document.title, 'Options');
    const shown = {};
    for (const id of ['tabTitle', 'groupTitle', 'keyLabel', 'ctrlLabel', 'shiftLabel', 'altLabel', 'ok', 'cancel', 'warning']) {
      shown[id] = page.$(id).textContent;
    }
    assert.deepStrictEqual(shown, {
      tabTitle: 'Hintora Options', groupTitle: 'Hotkey Options', keyLabel: 'Specify hotkey to launch Hintora',
      ctrlLabel: 'Ctrl', shiftLabel: 'Shift', altLabel: 'Alt', ok: 'OK', cancel: 'Cancel',
      warning: 'Please carefully select a key combination. Please restart the browser for your changes to take effect.',
    });
    assert.ok(!page.document.body.textContent.includes('Apply'), 'the Apply text is not shown');
    assert.match(page.$('warningIcon').getAttribute('src'), /^warning\.gif$/);
    assert.strictEqual(page.$('groupTitle').style.left, '-7px', 'group title moved left in Internet Explorer');
    assert.deepStrictEqual(chosen(page), { key: 'F5', ctrl: true, shift: false, alt: false, ok: true });
    assert.deepStrictEqual(page.record.errors, []);
  }
});

test('German texts are shown as given, and the hot key stays in its English form', async () => {
  const german = Object.assign({}, ENGLISH, { Title: 'Optionen', Ctrl: 'Strg', Shift: 'Umschalt', Ok: 'OK',
    Cancel: 'Abbrechen', TabTitle: 'Hintora-Optionen' });
  const page = await optionsPage({ shortCut: 'Ctrl+Shift+F9', optionsText: optionsJson(german) });
  assert.strictEqual(page.document.title, 'Optionen');
  assert.strictEqual(page.$('ctrlLabel').textContent, 'Strg');
  assert.strictEqual(page.$('shiftLabel').textContent, 'Umschalt');
  assert.strictEqual(page.$('cancel').textContent, 'Abbrechen');
  assert.deepStrictEqual(chosen(page), { key: 'F9', ctrl: true, shift: true, alt: false, ok: true });
  page.$('ok').click();
  assert.deepStrictEqual(page.comp.calls.pop(), ['SetShortCut', 'Ctrl+Shift+F9']);
});

test('Firefox: the companion object gives hot key and texts without the options request', async () => {
  const page = await optionsPage({ shortCut: 'Alt+F2', currentMessage: optionsJson(ENGLISH) }, { browser: FIREFOX });
  assert.deepStrictEqual(page.comp.names(), ['GetShortCut', 'GetMessage']);
  assert.deepStrictEqual(page.record.created, []);
  assert.strictEqual(page.$('tabTitle').textContent, 'Hintora Options');
  assert.strictEqual(page.$('groupTitle').style.left, '');
  assert.deepStrictEqual(chosen(page), { key: 'F2', ctrl: false, shift: false, alt: true, ok: true });
  page.$('cancel').click();
  assert.strictEqual(page.record.closed, 1);
  assert.deepStrictEqual(page.record.opened, [], 'only Internet Explorer needs the _self window');
});

test('the stored hot key: modifiers in any order, only exact words, keys F1 to F12', async () => {
  const cases = [
    ['Ctrl+Shift+F12', { key: 'F12', ctrl: true, shift: true, alt: false, ok: true }],
    ['Alt+Shift+Ctrl+F1', { key: 'F1', ctrl: true, shift: true, alt: true, ok: true }],
    ['F9', { key: 'F9', ctrl: false, shift: false, alt: false, ok: true }],
    ['ctrl+SHIFT+Strg+F7', { key: 'F7', ctrl: false, shift: false, alt: false, ok: true }],
    ['Ctrl+F13', { key: null, ctrl: true, shift: false, alt: false, ok: false }],
    ['Shift+G', { key: null, ctrl: false, shift: true, alt: false, ok: false }],
    ['F0', { key: null, ctrl: false, shift: false, alt: false, ok: false }],
    ['F', { key: null, ctrl: false, shift: false, alt: false, ok: false }],
    ['F1x', { key: null, ctrl: false, shift: false, alt: false, ok: false }],
    ['F-1', { key: null, ctrl: false, shift: false, alt: false, ok: false }],
    ['f5', { key: null, ctrl: false, shift: false, alt: false, ok: false }],
    ['Ctrl+', { key: null, ctrl: true, shift: false, alt: false, ok: false }],
    ['', { key: null, ctrl: false, shift: false, alt: false, ok: false }],
    ['F5+Ctrl', { key: null, ctrl: false, shift: false, alt: false, ok: false }],
  ];
  for (const [stored, expected] of cases) {
    const page = await optionsPage({ shortCut: stored });
    assert.deepStrictEqual(chosen(page), expected, JSON.stringify(stored));
  }
});

test('OK hands over the chosen hot key in the fixed order and closes the page', async () => {
  const page = await optionsPage({ shortCut: 'F9' });
  page.$('alt').click();
  page.$('ctrl').click();
  choose(page, 'F3');
  page.$('ok').click();
  assert.deepStrictEqual(page.comp.calls.slice(3), [['SetShortCut', 'Ctrl+Alt+F3']]);
  assert.deepStrictEqual(page.record.opened, [{ url: '', target: '_self', features: undefined, replace: undefined }]);
  assert.strictEqual(page.record.closed, 1);

  const all = await optionsPage({ shortCut: 'Ctrl+Shift+Alt+F11' });
  all.$('ok').click();
  assert.deepStrictEqual(all.comp.calls.pop(), ['SetShortCut', 'Ctrl+Shift+Alt+F11']);

  const none = await optionsPage({ shortCut: 'Shift+F4' });
  none.$('shift').click();
  choose(none, 'F10');
  none.$('ok').click();
  assert.deepStrictEqual(none.comp.calls.pop(), ['SetShortCut', 'F10']);
});

test('Cancel closes without saving; OK without a chosen key saves nothing until one is chosen', async () => {
  const page = await optionsPage({ shortCut: 'Ctrl+F6' });
  page.$('shift').click();
  page.$('cancel').click();
  assert.ok(!page.comp.names().includes('SetShortCut'));
  assert.deepStrictEqual(page.record.opened.map((o) => o.target), ['_self']);
  assert.strictEqual(page.record.closed, 1);

  const unknown = await optionsPage({ shortCut: 'Ctrl+F13' });
  assert.strictEqual(unknown.$('ok').disabled, true);
  unknown.window.eval('document.getElementById("ok").onclick()');
  assert.ok(!unknown.comp.names().includes('SetShortCut'), 'a hot key without its key is never stored');
  assert.strictEqual(unknown.record.closed, 0);
  choose(unknown, 'F8');
  assert.strictEqual(unknown.$('ok').disabled, false);
  unknown.$('ok').click();
  assert.deepStrictEqual(unknown.comp.calls.pop(), ['SetShortCut', 'Ctrl+F8']);
  assert.strictEqual(unknown.record.closed, 1);
});

test('without the scriptable object the page keeps its placeholders and OK only closes', async () => {
  for (const activeX of [undefined, () => { throw new Error('refused'); }]) {
    const page = await openPage('options.html', { activeX });
    const $ = (id) => page.document.getElementById(id);
    assert.strictEqual(page.document.title, 'Options');
    assert.strictEqual($('tabTitle').textContent, 'Hintora Options');
    assert.strictEqual($('key').value, 'F9');
    assert.strictEqual(page.window.hintora, null);
    $('ok').click();
    assert.strictEqual(page.record.closed, 1);
    assert.deepStrictEqual(page.record.errors, []);
  }
});

test('stored texts are shown as text and never run as markup or script', async () => {
  const hostile = {
    Title: '<b>T</b>', TabTitle: '<img src=x onerror=window.__ran=1>', GroupTitle: '<script>window.__ran=2</script>',
    Key: '<a href=javascript:window.__ran=3>k</a>', Ctrl: '<i>C</i>', Shift: '&lt;S&gt;', Alt: '<u>A</u>',
    Ok: '<span onmouseover=window.__ran=4>O</span>', Cancel: '<iframe src=javascript:window.__ran=5>',
    Warning: '<svg onload=window.__ran=6>', Restart: '</div><div id=ok>',
  };
  const page = await optionsPage({ optionsText: optionsJson(hostile) });
  assert.strictEqual(page.window.__ran, undefined);
  assert.strictEqual(page.document.title, '<b>T</b>');
  assert.strictEqual(page.$('tabTitle').textContent, hostile.TabTitle);
  assert.strictEqual(page.$('groupTitle').textContent, hostile.GroupTitle);
  assert.strictEqual(page.$('shiftLabel').textContent, '&lt;S&gt;');
  assert.strictEqual(page.$('warning').textContent, hostile.Warning + ' ' + hostile.Restart);
  assert.strictEqual(page.document.querySelectorAll('#page img, #page script, #page a, #page iframe, #page svg').length, 1,
    'only the warning image');
  assert.strictEqual(page.document.querySelectorAll('[id=ok]').length, 1);
  for (const id of ['tabTitle', 'groupTitle', 'keyLabel', 'ok', 'cancel', 'warning']) {
    assert.strictEqual(page.$(id).children.length, 0, id);
  }
});

test('texts that do not parse, or are not the options texts, leave placeholders in place', async () => {
  // A catalogue text with a quote breaks the unescaped JSON.
  const broken = await optionsPage({ shortCut: 'Shift+F2', optionsText: optionsJson(Object.assign({}, ENGLISH, { Ok: 'say "OK"' })) });
  assert.strictEqual(broken.document.title, 'Options');
  assert.strictEqual(broken.$('ok').textContent, 'OK');
  assert.deepStrictEqual(chosen(broken), { key: 'F2', ctrl: false, shift: true, alt: false, ok: true });

  // A message window's JSON that took the options texts' place.
  const message = '{"Title":"Hintora","Text":"<BR />","Close":"Close","Type":"warning"}';
  const other = await optionsPage({ optionsText: message });
  assert.strictEqual(other.document.title, 'Hintora');
  assert.strictEqual(other.$('warning').textContent.indexOf('Please carefully'), 0);
  assert.strictEqual(other.$('cancel').textContent, 'Cancel');

  const typed = await optionsPage({ optionsText: '{"Title":5,"Ok":{"a":1},"Cancel":null,"Warning":"W","Restart":7}' });
  assert.strictEqual(typed.document.title, 'Options');
  assert.strictEqual(typed.$('ok').textContent, 'OK');
  assert.strictEqual(typed.$('cancel').textContent, 'Cancel');
  assert.strictEqual(typed.$('warning').textContent.indexOf('Please carefully'), 0);

  const empty = await optionsPage({ optionsText: '' });
  assert.strictEqual(empty.$('tabTitle').textContent, 'Hintora Options');
});

test('a failing call of the scriptable object leaves the rest of the page working', async () => {
  const failing = await optionsPage({ fail: { GetShortCut: new Error('E_OUTOFMEMORY') } });
  assert.strictEqual(failing.$('tabTitle').textContent, 'Hintora Options', 'texts still shown');
  assert.strictEqual(failing.$('key').value, 'F9');

  const noMessage = await optionsPage({ shortCut: 'Alt+F4', fail: { GetMessage: new Error('x'), CreateOptionsJson: new Error('y') } });
  assert.deepStrictEqual(chosen(noMessage), { key: 'F4', ctrl: false, shift: false, alt: true, ok: true });
  assert.strictEqual(noMessage.document.title, 'Options');

  const refused = await optionsPage({ shortCut: 'F9', fail: { SetShortCut: new Error('Permission denied') } });
  refused.$('ok').click();
  assert.strictEqual(refused.record.closed, 1, 'the page still closes');
  assert.deepStrictEqual(refused.record.errors, []);

  const notText = await optionsPage({ shortCut: null });
  assert.strictEqual(chosen(notText).key, null);
  assert.deepStrictEqual(notText.record.errors, []);
});
