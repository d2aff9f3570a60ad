// Loads the library's pages in jsdom as Internet Explorer shows them from the
// library's resources: the shared page script named by its relative name is
// put in its place, the browser looks like Internet Explorer or Firefox, and
// the scriptable object is a fake that records its calls.
'use strict';
const fs = require('fs');
const path = require('path');
const { JSDOM, VirtualConsole } = require('jsdom');

const IE8 = { appName: 'Microsoft Internet Explorer', userAgent: 'Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0)' };
const IE11 = { appName: 'Netscape', userAgent: 'Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko' };
const FIREFOX = { appName: 'Netscape', userAgent: 'Mozilla/5.0 (Windows NT 6.1; rv:52.0) Gecko/20100101 Firefox/52.0' };

function resource(name) {
  return fs.readFileSync(path.join(__dirname, '..', '..', 'resources', 'extension', name), 'utf8');
}

// The options texts as the library formats them: no blanks, fixed order, no escaping.
const FIELDS = ['Title', 'TabTitle', 'GroupTitle', 'Key', 'Restart', 'Warning', 'Ctrl', 'Alt', 'Shift', 'Apply', 'Cancel', 'Ok'];
const ENGLISH = { Title: 'Options', TabTitle: 'Hintora Options', GroupTitle: 'Hotkey Options', Key: 'Specify hotkey',
  Restart: 'Please restart.', Warning: 'Select carefully.', Ctrl: 'Ctrl', Alt: 'Alt', Shift: 'Shift', Apply: 'Apply',
  Cancel: 'Cancel', Ok: 'OK' };
function optionsJson(texts) {
  return '{' + FIELDS.map((f) => `"${f}":"${texts[f] === undefined ? '' : texts[f]}"`).join(',') + '}';
}

// The scriptable object: CreateOptionsJson fills the current message,
// GetMessage hands it out once. options.fail names methods that throw.
function fakeHintora(options = {}) {
  const comp = { calls: [], shortCut: 'shortCut' in options ? options.shortCut : 'F9', message: options.message || '' };
  const bodies = {
    CreateOptionsJson: () => { comp.message = options.optionsText === undefined ? optionsJson(ENGLISH) : options.optionsText; },
    GetShortCut: () => comp.shortCut,
    GetMessage: () => { const m = comp.message; comp.message = ''; return m; },
    SetShortCut: (text) => { comp.shortCut = text; },
    Start: () => undefined,
  };
  for (const name of Object.keys(bodies)) {
    comp[name] = (...args) => {
      comp.calls.push([name, ...args]);
      if (options.fail && options.fail[name]) throw options.fail[name];
      return bodies[name](...args);
    };
  }
  comp.names = () => comp.calls.map((c) => c[0]);
  return comp;
}

// Opens a page once its load event has run. options: browser (IE8 default),
// activeX(progId) for `new ActiveXObject` (missing without it), components
// (Firefox's Components), html, noNativeJson, nativeJson, openResult.
async function openPage(name, options = {}) {
  const browser = options.browser || IE8;
  const record = { opened: [], closed: 0, alerts: [], created: [], errors: [] };
  const virtualConsole = new VirtualConsole();
  virtualConsole.on('jsdomError', (e) => record.errors.push(e));
  const html = options.html || resource(name).replace(/<script[^>]*src="dialog\.js"[^>]*><\/script>/,
    () => '<script>' + resource('dialog.js') + '</script>');
  let loaded;
  const load = new Promise((resolve) => { loaded = resolve; });
  const dom = new JSDOM(html, {
    url: 'res://hintoraie.dll/' + name, runScripts: 'dangerously', virtualConsole,
    beforeParse(window) {
      Object.defineProperty(window.navigator, 'appName', { value: browser.appName });
      Object.defineProperty(window.navigator, 'userAgent', { value: browser.userAgent });
      if (options.noNativeJson) delete window.JSON;
      if (options.nativeJson) window.JSON = options.nativeJson;
      if (options.activeX) window.ActiveXObject = function (progId) { record.created.push(progId); return options.activeX(progId); };
      if (options.components) window.Components = options.components;
      window.open = (url, target, features, replace) => {
        record.opened.push({ url, target, features, replace });
        return options.openResult === undefined ? null : options.openResult;
      };
      window.close = () => { record.closed++; };
      window.alert = (text) => { record.alerts.push(String(text)); };
      window.addEventListener('load', () => loaded());
    },
  });
  await load;
  return { window: dom.window, document: dom.window.document, record };
}

module.exports = { openPage, resource, fakeHintora, optionsJson, ENGLISH, IE8, IE11, FIREFOX };
