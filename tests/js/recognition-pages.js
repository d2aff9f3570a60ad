// Builds pages in jsdom and loads the recognition script into them the way the
// library does: the script text, wrapped in the namespace function, evaluated
// in the page's own window.
'use strict';
const fs = require('fs');
const path = require('path');
const { JSDOM } = require('jsdom');

const SCRIPT_FILE = path.join(__dirname, '..', '..', 'resources', 'extension', 'recognition.js');
const PREFIX = 'window.Velnor={};(function(Velnor){';
const SUFFIX = '\r\n})(window.Velnor);';

function scriptText() {
  return fs.readFileSync(SCRIPT_FILE, 'utf8').replace(/^\uFEFF/, '');
}

// A page at `url` with `html` inside <html>; page scripts run, so pages can
// define their own hooks. With `xhtml` the page is parsed as XML, where HTML
// elements keep their names as written.
function page(url, html, options) {
  const xhtml = options && options.xhtml;
  const root = xhtml ? '<html xmlns="http://www.w3.org/1999/xhtml">' : '<html>';
  const dom = new JSDOM(`<!DOCTYPE html>${root}${html || '<head></head><body></body>'}</html>`, {
    url,
    contentType: xhtml ? 'application/xhtml+xml' : 'text/html',
    runScripts: 'dangerously',
    pretendToBeVisual: false,
  });
  const win = dom.window;
  if (options && options.name) win.name = options.name;
  if (options && options.opener) Object.defineProperty(win, 'opener', { value: options.opener, configurable: true });
  return win;
}

// Treats `child` as a frame of `parent`: the frame's parent points up,
// and the parent's frames collection lists it.
function attachFrame(parent, child, name) {
  if (name) child.name = name;
  Object.defineProperty(child, 'parent', { value: parent, configurable: true });
  const list = parent.__childFrames || (parent.__childFrames = []);
  list.push(child);
  const frames = { length: list.length };
  list.forEach((w, i) => { frames[i] = w; });
  Object.defineProperty(parent, 'frames', { value: frames, configurable: true });
  return child;
}

function inject(win) {
  win.eval(PREFIX + scriptText() + SUFFIX);
  return win.Velnor.Recognition;
}

// A window of another domain: its document cannot be reached.
function foreignWindow() {
  const win = {};
  Object.defineProperty(win, 'document', { get() { throw new Error('Access is denied.'); } });
  Object.defineProperty(win, 'location', { get() { throw new Error('Access is denied.'); } });
  win.parent = win;
  return win;
}

function cacheOf(win, name) {
  const meta = win.document.getElementById('velnor-cache-' + name);
  return meta ? JSON.parse(decodeURIComponent(meta.getAttribute('content'))) : null;
}

// Values made in a page's realm, as plain values of this one.
function plain(v) {
  return v === undefined ? undefined : JSON.parse(JSON.stringify(v));
}

module.exports = { plain, page, attachFrame, inject, foreignWindow, cacheOf, scriptText, PREFIX, SUFFIX };
