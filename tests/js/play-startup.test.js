'use strict';
// play.exe start-up: usage text, the log's framing, the log held by the first
// instance, idle exit and the content's language.
const { describe, it } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./play-harness');

const stamp = '\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d';

// The limits only catch a hang: starting under wine on a busy machine takes
// long. A program that ends "at once" shows it by what it did not do: it
// started no browser (nor, through it, the idle watch that ends it later).
async function runToExit(args, files = {}, limitMs = 180000) {
  const site = h.makeSite(files);
  try {
    const play = await h.startPlay(site.site, args, { waitPort: false });
    const exit = await h.within(play.exited, limitMs);
    await play.stop();
    return { exit, log: h.readLog(site.site), browsed: play.browserLines() };
  } finally {
    h.removeSite(site);
  }
}

describe('play.exe start-up', () => {
  it('shows the usage and ends at once for /?, /h and /help', async () => {
    for (const args of [['/?'], ['/H'], ['/help', 'index.html'], ['/?', '/log']]) {
      const { exit, log, browsed } = await runToExit(args, { 'index.html': 'x' });
      assert.ok(exit, `${args} did not end`);
      assert.equal(exit.code, 0);
      assert.deepEqual(browsed, [], `${args} started a browser`);
      assert.equal(log, null, `${args} created a log`);
    }
  });

  it('frames a log opened before the usage request with SESSION END only', async () => {
    const { exit, log, browsed } = await runToExit(['/log', '/?']);
    assert.ok(exit);
    assert.deepEqual(browsed, []);
    assert.match(log, new RegExp(`^${stamp} SESSION END\\r\\n$`));
  });

  it('keeps the log to the first instance; a second /log instance ends at once', async () => {
    const site = h.makeSite({ 'index.html': 'one' });
    try {
      const first = await h.startPlay(site.site, ['/log']);
      assert.equal((await h.httpGet(first.port, '/index.html')).body.toString(), 'one');
      const second = await h.startPlay(site.site, ['/log'], { waitPort: false });
      const exit = await h.within(second.exited, 180000);
      await second.stop();
      assert.ok(exit, 'second instance did not end');
      assert.deepEqual(second.browserLines(), [], 'the second instance started a browser');
      assert.ok(first.running);
      assert.equal((await h.httpGet(first.port, '/index.html')).body.toString(), 'one');
      const log = h.readLog(site.site);
      assert.equal(log.split('SESSION BEGIN').length, 2);
      assert.ok(!log.includes('SESSION END'));
      assert.equal(log.split('GET /index.html').length, 3);
      await first.stop();
    } finally {
      h.removeSite(site);
    }
  });

  it('ends by itself when no request comes, framing its log', async () => {
    const site = h.makeSite({ 'index.html': 'x' });
    try {
      const play = await h.startPlay(site.site, ['/log']);
      const exit = await h.within(play.exited, 180000);
      await play.stop();
      assert.ok(exit, 'did not end');
      assert.match(h.readLog(site.site), new RegExp(`^${stamp} SESSION BEGIN\\r\\n${stamp} SESSION END\\r\\n$`));
    } finally {
      h.removeSite(site);
    }
  });

  it('answers in the language that publishdata.json.js names', async (t) => {
    const site = h.makeSite({
      'publishdata.json.js': 'var publishdata = {"Title":"x","PlayerLanguage":"DE"};',
      'index.html': 'x',
    });
    try {
      // "/i" asks for the browser dialog, which applies the content's language.
      const play = await h.startPlay(site.site, ['/i']);
      const missing = await h.rawRequest(play.port, `GET /fehlt.html HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
      const found = await h.rawRequest(play.port, `GET /index.html HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
      const version = await h.rawRequest(play.port, `GET /index.html HTTP/2.0\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
      await play.stop();
      assert.equal(found.status, 'HTTP/1.1 200 OK');
      assert.equal(missing.status, 'HTTP/1.1 404 Nicht gefunden');
      assert.equal(version.status, 'HTTP/1.1 505 HTTP-Version wird nicht unterst\u00fctzt');
    } finally {
      h.removeSite(site);
    }
  });
});
