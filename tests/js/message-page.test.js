'use strict';
// Page 205: the message window reads its message from the escaped JSON in
// its address and must never let a stored text run as markup or script.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const { JSDOM } = require('jsdom');

const html = fs.readFileSync(path.join(__dirname, '..', '..', 'resources', 'extension', 'message.html'), 'utf8');

// Stands in for the shared page script's decoder: an object, or undefined.
function installJson(window) {
  window.Json = {
    DecodeObject: function (text) {
      try { return JSON.parse(text); } catch (e) { return undefined; }
    }
  };
}

// The address as the library builds it: escape() matches the percent
// escaping the library applies to the JSON for one path segment.
function openPage(query, options) {
  options = options || {};
  const dom = new JSDOM(html, {
    url: 'res://hintoraie.dll/205' + (query === undefined ? '' : '?' + query),
    runScripts: 'dangerously',
    userAgent: options.userAgent,
    beforeParse(window) {
      if (!options.noJson) installJson(window);
      window.close = function () { window.__closed = true; };
    }
  });
  dom.window.dispatchEvent(new dom.window.Event('load'));
  return dom.window;
}

function message(fields) {
  return escape(JSON.stringify(fields));
}

test('shows title, text with line breaks, button caption and the image of its type', () => {
  const window = openPage(message({ Title: 'Hintora', Text: 'An error occurred.<BR />Error code is 013.',
    Close: 'Close', Type: 'critical' }));
  const doc = window.document;
  assert.strictEqual(doc.title, 'Hintora');
  const text = doc.getElementById('text');
  assert.strictEqual(text.childNodes.length, 3);
  assert.strictEqual(text.childNodes[1].nodeName, 'BR');
  assert.strictEqual(text.textContent, 'An error occurred.Error code is 013.');
  assert.strictEqual(doc.getElementById('close').textContent, 'Close');
  const icon = doc.getElementById('icon');
  assert.match(icon.src, /critical\.gif$/);
  assert.strictEqual(icon.style.display, 'block');
});

test('each type picks its image and an unknown type shows none', () => {
  for (const type of ['information', 'warning']) {
    const icon = openPage(message({ Title: 't', Text: 'x', Close: 'c', Type: type })).document.getElementById('icon');
    assert.match(icon.src, new RegExp(type + '\\.gif$'));
    assert.strictEqual(icon.style.display, 'block');
  }
  for (const type of ['error', 'toString', '']) {
    const icon = openPage(message({ Title: 't', Text: 'x', Close: 'c', Type: type })).document.getElementById('icon');
    assert.strictEqual(icon.style.display, 'none', type);
  }
});

test('stored texts are shown as text, never run as markup or script', () => {
  const hostile = '<img src=x onerror="window.__ran=1"><script>window.__ran=2</script><b>bold</b>';
  const window = openPage(message({ Title: '<i>t</i>', Text: 'before<br>' + hostile, Close: '<u onclick="x">c</u>',
    Type: 'information' }));
  const doc = window.document;
  assert.strictEqual(window.__ran, undefined);
  assert.strictEqual(doc.querySelectorAll('#text img, #text script, #text b, #close u').length, 0);
  assert.strictEqual(doc.getElementById('text').childNodes[2].nodeValue, hostile);
  assert.strictEqual(doc.getElementById('close').textContent, '<u onclick="x">c</u>');
  assert.strictEqual(doc.title, '<i>t</i>');
});

test('texts with quotes, backslashes and control characters survive the trip', () => {
  const text = 'say "hi" c:\\dir\r\nline\u2028end 100% #1 ?';
  const window = openPage(message({ Title: 'T', Text: text, Close: 'C', Type: 'warning' }));
  assert.strictEqual(window.document.getElementById('text').textContent, text);
});

test('an empty or unparsable query keeps the placeholders', () => {
  for (const query of [undefined, '', escape('{"Title":"a"b"}'), escape('[1,2]')]) {
    const doc = openPage(query).document;
    assert.strictEqual(doc.title, 'Hintora');
    assert.strictEqual(doc.getElementById('close').textContent, 'Close');
    assert.strictEqual(doc.getElementById('text').textContent, '');
  }
  const doc = openPage(message({ Title: 'x', Text: 'y', Close: 'z', Type: 'warning' }), { noJson: true }).document;
  assert.strictEqual(doc.title, 'Hintora', 'without the shared page script nothing is decoded');
});

test('values of the wrong kind are left out', () => {
  const doc = openPage(message({ Title: 5, Text: { a: 1 }, Close: null, Type: 'warning' })).document;
  assert.strictEqual(doc.title, 'Hintora');
  assert.strictEqual(doc.getElementById('text').textContent, '');
  assert.strictEqual(doc.getElementById('close').textContent, 'Close');
});

test('the button closes the window, also in Internet Explorer', () => {
  const window = openPage(message({ Title: 't', Text: 'x', Close: 'c', Type: 'warning' }),
    { userAgent: 'Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko' });
  const button = window.document.getElementById('close');
  button.click();
  assert.strictEqual(window.__closed, true);
});
