// Loads the library's pages in jsdom with the shared page script inlined, the
// browser dressed as Internet Explorer or Firefox, and window.open, close and
// alert recorded.
'use strict';
const fs = require('fs');
const path = require('path');
const { JSDOM, VirtualConsole } = require('jsdom');

const IE8 = ['Microsoft Internet Explorer', 'Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0)'];
const IE11 = ['Netscape', 'Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko'];
const FIREFOX = ['Netscape', 'Mozilla/5.0 (Windows NT 6.1; rv:52.0) Gecko/20100101 Firefox/52.0'];
const resource = (name) => fs.readFileSync(path.join(__dirname, '../../resources/extension', name), 'utf8');

// The scriptable object; CreateOptionsJson fills the message GetMessage hands out once.
function fakeHintora(o = {}) {
  const comp = { calls: [], message: o.message || '' };
  const bodies = {
    CreateOptionsJson: () => { comp.message = o.optionsText; },
    GetShortCut: () => ('shortCut' in o ? o.shortCut : 'F9'),
    GetMessage: () => { const m = comp.message; comp.message = ''; return m; },
    SetShortCut: () => undefined,
    Start: () => undefined,
  };
  for (const name of Object.keys(bodies)) {
    comp[name] = (...args) => {
      comp.calls.push([name, ...args].join(' '));
      if (o.fail && o.fail[name]) throw o.fail[name];
      return bodies[name]();
    };
  }
  return comp;
}

// options: browser, activeX(progId) behind `new ActiveXObject`, components
// (Firefox's Components), html, jsonObject (replaces the engine's JSON), openResult.
async function openPage(name, options = {}) {
  const [appName, userAgent] = options.browser || IE8;
  const record = { opened: [], closed: 0, alerts: [], errors: [] };
  const virtualConsole = new VirtualConsole();
  virtualConsole.on('jsdomError', (e) => record.errors.push(e));
  const html = options.html || resource(name).replace(/<script[^>]*src="dialog\.js"[^>]*><\/script>/,
    () => '<script>' + resource('dialog.js') + '</script>');
  let loaded;
  const load = new Promise((resolve) => { loaded = resolve; });
  const dom = new JSDOM(html, {
    url: 'res://hintoraie.dll/' + name, runScripts: 'dangerously', virtualConsole,
    beforeParse(window) {
      Object.defineProperty(window.navigator, 'appName', { value: appName });
      Object.defineProperty(window.navigator, 'userAgent', { value: userAgent });
      if ('jsonObject' in options) window.JSON = options.jsonObject;
      if (options.activeX) window.ActiveXObject = function (progId) { return options.activeX(progId); };
      window.Components = options.components;
      window.open = (...args) => { record.opened.push(args); return options.openResult || null; };
      window.close = () => { record.closed++; };
      window.alert = (text) => { record.alerts.push(text); };
      window.addEventListener('load', () => loaded());
    },
  });
  await load;
  return { window: dom.window, document: dom.window.document, record };
}

module.exports = { openPage, resource, fakeHintora, IE8, IE11, FIREFOX };
