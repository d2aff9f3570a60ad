// Loads the library's HTML pages in jsdom as Internet Explorer would show
// them from the library's resources: the shared page script that a page names
// by its relative name is put in its place, the browser is made to look like
// Internet Explorer or Firefox, and the scriptable object is a fake that
// records its calls.
'use strict';
const fs = require('fs');
const path = require('path');
const { JSDOM, VirtualConsole } = require('jsdom');

const RESOURCES = path.join(__dirname, '..', '..', 'resources', 'extension');

const IE8 = {
  appName: 'Microsoft Internet Explorer',
  userAgent: 'Mozilla/4.0 (compatible; MSIE 8.0; Windows NT 6.1; Trident/4.0)',
};
const IE11 = {
  appName: 'Netscape',
  userAgent: 'Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko',
};
const FIREFOX = {
  appName: 'Netscape',
  userAgent: 'Mozilla/5.0 (Windows NT 6.1; rv:52.0) Gecko/20100101 Firefox/52.0',
};

function resource(name) {
  return fs.readFileSync(path.join(RESOURCES, name), 'utf8').replace(/^\uFEFF/, '');
}

// The page's HTML with `<script src="dialog.js">` replaced by the script text.
function pageHtml(name) {
  const dialog = resource('dialog.js');
  return resource(name).replace(/<script\b[^>]*\bsrc\s*=\s*["']?dialog\.js["']?[^>]*>\s*<\/script>/i,
    () => '<script>' + dialog + '</script>');
}

// The options texts as the library formats them: no blanks, fixed order.
function optionsJson(texts) {
  const fields = ['Title', 'TabTitle', 'GroupTitle', 'Key', 'Restart', 'Warning', 'Ctrl', 'Alt', 'Shift', 'Apply',
    'Cancel', 'Ok'];
  return '{' + fields.map((f) => '"' + f + '":"' + (texts[f] === undefined ? '' : texts[f]) + '"').join(',') + '}';
}

const ENGLISH = {
  Title: 'Options', TabTitle: 'Hintora Options', GroupTitle: 'Hotkey Options',
  Key: 'Specify hotkey to launch Hintora', Restart: 'Please restart the browser for your changes to take effect.',
  Warning: 'Please carefully select a key combination.', Ctrl: 'Ctrl', Alt: 'Alt', Shift: 'Shift',
  Apply: 'Apply', Cancel: 'Cancel', Ok: 'OK',
};

// Stands in for the library's scriptable object: the current message is
// filled by CreateOptionsJson and handed out once by GetMessage.
function fakeHintora(options) {
  options = options || {};
  const comp = {
    calls: [],
    shortCut: options.shortCut === undefined ? 'F9' : options.shortCut,
    currentMessage: options.currentMessage || '',
    optionsText: options.optionsText === undefined ? optionsJson(ENGLISH) : options.optionsText,
    fail: options.fail || {},
  };
  function method(name, body) {
    comp[name] = function () {
      comp.calls.push([name].concat(Array.prototype.slice.call(arguments)));
      if (comp.fail[name]) throw comp.fail[name];
      return body.apply(null, arguments);
    };
  }
  method('CreateOptionsJson', () => { comp.currentMessage = comp.optionsText; });
  method('GetShortCut', () => comp.shortCut);
  method('GetMessage', () => { const m = comp.currentMessage; comp.currentMessage = ''; return m; });
  method('SetShortCut', (text) => { comp.shortCut = text; });
  method('Start', () => undefined);
  comp.names = () => comp.calls.map((c) => c[0]);
  return comp;
}

// Opens a page. options.browser: IE8, IE11 or FIREFOX (default IE8).
// options.activeX(progId): what `new ActiveXObject(progId)` gives (or throws);
// without it the constructor is missing, as outside Internet Explorer.
// options.components: a stand-in for Firefox's Components object.
// The page's window.open, window.close and alert are recorded. Resolves once
// jsdom has fired the window's load event.
async function openPage(name, options) {
  options = options || {};
  const browser = options.browser || IE8;
  const errors = [];
  const virtualConsole = new VirtualConsole();
  virtualConsole.on('jsdomError', (e) => errors.push(e));
  const record = { opened: [], closed: 0, alerts: [], created: [], errors };
  let loaded;
  const load = new Promise((resolve) => { loaded = resolve; });
  const dom = new JSDOM(options.html || pageHtml(name), {
    url: options.url || 'res://hintoraie.dll/' + name,
    runScripts: 'dangerously',
    virtualConsole,
    beforeParse(window) {
      Object.defineProperty(window.navigator, 'appName', { value: browser.appName, configurable: true });
      Object.defineProperty(window.navigator, 'userAgent', { value: browser.userAgent, configurable: true });
      if (options.noNativeJson) delete window.JSON;
      if (options.nativeJson) window.JSON = options.nativeJson;
      if (options.activeX) {
        window.ActiveXObject = function (progId) {
          record.created.push(progId);
          return options.activeX(progId);
        };
      }
      if (options.components) window.Components = options.components;
      window.open = function (url, target, features, replace) {
        record.opened.push({ url, target, features, replace });
        return options.openResult === undefined ? null : options.openResult;
      };
      window.close = function () { record.closed++; };
      window.alert = function (text) { record.alerts.push(String(text)); };
      window.addEventListener('load', () => loaded());
    },
  });
  await load;
  return { window: dom.window, document: dom.window.document, record };
}

module.exports = { openPage, pageHtml, resource, fakeHintora, optionsJson, ENGLISH, IE8, IE11, FIREFOX };
