'use strict';
// Hostile input against play.exe: every request gets a clean answer, nothing
// outside the folder is read, and the program keeps serving.
const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const net = require('node:net');
const path = require('node:path');
const h = require('./play-harness');

const SECRET = 'TOPSECRET-' + Date.now();
const big = Buffer.alloc(2 * 1024 * 1024 + 17, 'abcdefghijklmnopqrstuvwxyz0123456789');

function countStatusLines(raw) {
  return raw.toString('latin1').split('HTTP/1.1 ').length - 1;
}

describe('play.exe under hostile input', () => {
  let site, play, idle, idleOpened, idleClosed;

  before(async () => {
    site = h.makeSite({ 'index.html': 'index', 'big.bin': big, 'sub/a.txt': 'a' });
    fs.writeFileSync(path.join(site.base, 'secret.txt'), SECRET);
    fs.mkdirSync(path.join(site.base, 'site2'));
    fs.writeFileSync(path.join(site.base, 'site2', 'secret.txt'), SECRET);
    play = await h.startPlay(site.site, ['/log']);
    // A connection that never sends anything: the server must close it on
    // its own after a while.
    idleClosed = new Promise((resolve) => {
      idle = net.connect(play.port, '127.0.0.1');
      idle.on('connect', () => (idleOpened = Date.now()));
      idle.on('close', () => resolve(Date.now()));
      idle.on('error', () => {});
    });
  });

  after(async () => {
    if (idle) idle.destroy();
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  it('keeps every URL inside the folder', async () => {
    const urls = [
      '/../secret.txt', '/%2e%2e/secret.txt', '/%2E%2E%2Fsecret.txt', '/..%5csecret.txt', '/..\\secret.txt',
      '/%2e%2e%5csecret.txt', '/sub/..\\..\\secret.txt', '/../site2/secret.txt', '/%2e%2e/site2/secret.txt',
      '/index.html%00.txt', '/index.html%00', '/Z:/etc/passwd', '/Z:%5cetc%5cpasswd', '/z%3a/etc/passwd',
      '/C:/windows/win.ini', '/index.html::$DATA', '/index.html:stream', '/CON', '/con.txt', '/nul',
      '/COM1', '/LPT1.html', '/sub/aux', '/index.html.', '/index.html%20', '/index.html...', '/sub./a.txt',
      '/%c0%ae%c0%ae/secret.txt', '/%u002e%u002e/secret.txt', '/%252e%252e/secret.txt', '//../secret.txt',
      'x/../secret.txt', '/./../secret.txt', '/sub/../../secret.txt', '/' + 'a/'.repeat(150) + '../'.repeat(151) + 'secret.txt',
      '/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/passwd', '/..%2f..%2f..%2f..%2f..%2fetc%2fpasswd',
    ];
    for (const url of urls) {
      const r = await h.rawRequest(play.port, `GET ${url} HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
      assert.match(r.status, /^HTTP\/1\.1 (400 Bad Request|404 Not Found)$/, url);
      assert.ok(r.ended, url);
      const text = r.raw.toString('latin1');
      assert.ok(!text.includes(SECRET) && !text.includes('root:'), url);
    }
    for (const url of ['/../secret.txt', '/%2e%2e/secret.txt', '/index.html%00', '/index.html::$DATA', '/CON', '/index.html.', '/..%5csecret.txt']) {
      const r = await h.rawRequest(play.port, `GET ${url} HTTP/1.1\r\n\r\n`);
      assert.equal(r.status, 'HTTP/1.1 400 Bad Request', url);
    }
  });

  it('refuses unbounded request lines, headers and bodies', async () => {
    const cases = [
      'GET /' + 'a'.repeat(100000) + ' HTTP/1.1\r\n\r\n',
      'GET / HTTP/1.1\r\n' + Array.from({ length: 500 }, (_, i) => `X-${i}: y\r\n`).join('') + '\r\n',
      'GET / HTTP/1.1\r\nX-Long: ' + 'b'.repeat(100000) + '\r\n\r\n',
      'POST /index.html HTTP/1.1\r\nContent-Length: -1\r\n\r\n',
      'POST /index.html HTTP/1.1\r\nContent-Length: -99999999999\r\n\r\n',
      'POST /index.html HTTP/1.1\r\nContent-Length: 4294967297\r\n\r\n',
      'POST /index.html HTTP/1.1\r\nContent-Length: 999999999999999999999999999\r\n\r\n',
      'x'.repeat(200000),
    ];
    for (const data of cases) {
      const r = await h.rawRequest(play.port, data);
      assert.equal(r.status, 'HTTP/1.1 400 Bad Request', data.slice(0, 60));
      assert.equal(countStatusLines(r.raw), 1);
    }
  });

  it('answers once per connection, also with more input queued', async () => {
    const r = await h.rawRequest(play.port, 'GET /sub/a.txt HTTP/1.1\r\n\r\nGET /index.html HTTP/1.1\r\n\r\n' + 'junk\r\n'.repeat(3000));
    assert.equal(r.status, 'HTTP/1.1 200 OK');
    assert.equal(r.body.toString(), 'a');
    assert.equal(countStatusLines(r.raw), 1);
    assert.ok(!r.reset);

    const pieces = `GET /sub/a.txt HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\nextra`.split('');
    const split = await h.rawRequest(play.port, pieces, { pauseMs: 2 });
    assert.equal(split.status, 'HTTP/1.1 200 OK');
    assert.equal(countStatusLines(split.raw), 1);
  });

  it('sends the whole answer to a client that half-closes after its request', async () => {
    const r = await h.rawRequest(play.port, 'GET /big.bin HTTP/1.1\r\n\r\n', { halfClose: true });
    assert.equal(r.status, 'HTTP/1.1 200 OK');
    assert.equal(r.headers['Content-length'], String(big.length));
    assert.ok(r.body.equals(big));
  });

  it('drops a connection that closes before its request is complete', async () => {
    const r = await h.rawRequest(play.port, 'GET /index.html HTTP/1.1\r\nHost:', { halfClose: true });
    assert.equal(r.raw.length, 0);
    assert.ok(r.ended);
  });

  it('serves many clients at once', async () => {
    const all = await Promise.all(Array.from({ length: 40 }, (_, i) => h.httpGet(play.port, i % 2 ? '/sub/a.txt' : '/big.bin')));
    all.forEach((r, i) => {
      assert.equal(r.status, 200);
      if (i % 2) assert.equal(r.body.toString(), 'a');
      else assert.ok(r.body.equals(big));
    });
  });

  it('closes an idle connection after a time-out and keeps serving', async () => {
    const closedAt = (await h.within(idleClosed, 100000)) ?? 0;
    assert.ok(closedAt > 0, 'idle connection still open');
    assert.ok(closedAt - idleOpened >= 30000, 'closed too early');
    assert.ok(play.running);
    const r = await h.httpGet(play.port, '/index.html');
    assert.equal(r.body.toString(), 'index');
    assert.ok(!h.readLog(site.site).includes(SECRET));
  });
});
