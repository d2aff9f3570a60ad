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

// A connection that stays open until the server closes it; `closed`
// resolves to the time of the close. Every `trickleMs` it sends one more
// byte of a request head that never ends.
function watchedConnection(port, trickleMs = 0) {
  const c = { lastByte: 0, received: [] };
  let connected;
  c.connected = new Promise((resolve) => (connected = resolve));
  c.closed = new Promise((resolve) => {
    // The server cannot accept the connection before this.
    c.connecting = Date.now();
    c.sock = net.connect(port, '127.0.0.1');
    c.sock.on('connect', () => {
      c.opened = Date.now();
      connected();
      if (!trickleMs) return;
      const head = 'GET /index.html HTTP/1.1\r\nX-Slow: ' + 'z'.repeat(1000);
      let i = 0;
      c.timer = setInterval(() => {
        if (!c.sock.destroyed && i < head.length) c.sock.write(head[i++], () => (c.lastByte = Date.now()));
      }, trickleMs);
    });
    c.sock.on('data', (d) => c.received.push(d));
    c.sock.on('close', () => {
      clearInterval(c.timer);
      resolve(Date.now());
    });
    c.sock.on('error', () => {});
  });
  c.destroy = () => {
    clearInterval(c.timer);
    c.sock.destroy();
  };
  return c;
}

describe('play.exe under hostile input', () => {
  let site, play, idle, slow;

  before(async () => {
    site = h.makeSite({ 'index.html': 'index', 'big.bin': big, 'sub/a.txt': 'a' });
    fs.writeFileSync(path.join(site.base, 'secret.txt'), SECRET);
    fs.mkdirSync(path.join(site.base, 'site2'));
    fs.writeFileSync(path.join(site.base, 'site2', 'secret.txt'), SECRET);
    play = await h.startPlay(site.site, ['/log']);
    // Connections that never complete their request, one silent and one
    // sending a byte a second: the server must close both on its own while
    // the tests below are served.
    idle = watchedConnection(play.port);
    slow = watchedConnection(play.port, 1000);
  });

  after(async () => {
    if (idle) idle.destroy();
    if (slow) slow.destroy();
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
      const r = await h.rawRequest(play.port, `GET ${url} HTTP/1.0\r\n\r\n`);
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
    const r = await h.rawRequest(play.port, `GET /sub/a.txt HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\nGET /index.html HTTP/1.1\r\n\r\n` + 'junk\r\n'.repeat(3000));
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
    const r = await h.rawRequest(play.port, 'GET /big.bin HTTP/1.0\r\n\r\n', { halfClose: true });
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

  it('closes a connection whose request head is not complete 30 s after it opened, and keeps serving', async () => {
    // Others are answered while the slow one trickles.
    let slowOpen = true;
    slow.closed.then(() => (slowOpen = false));
    let servedMeanwhile = 0;
    while (slowOpen && Date.now() - slow.opened < 45000) {
      const r = await h.httpGet(play.port, '/sub/a.txt');
      assert.equal(r.body.toString(), 'a');
      if (slowOpen) servedMeanwhile++;
      await h.within(slow.closed, 3000);
    }
    assert.ok(servedMeanwhile > 0);
    for (const c of [idle, slow]) {
      const closedAt = (await h.within(c.closed, 60000)) ?? 0;
      assert.ok(closedAt > 0, 'connection still open');
      // From the client's own connect: however late the server accepted it,
      // the deadline is never met sooner, and the idle rule (a minute
      // without a byte) never this soon.
      assert.ok(closedAt - c.connecting >= 29900, `closed too early (${closedAt - c.connecting} ms)`);
      assert.ok(closedAt - c.connecting < 60000, `closed by the idle rule (${closedAt - c.connecting} ms)`);
      // The slow one was still sending in the second half of that time.
      if (c === slow) assert.ok(c.lastByte - c.connecting >= 15000, 'the slow one stopped sending');
    }
    // The request cut short is told so; the silent connection had none.
    assert.match(Buffer.concat(slow.received).toString('latin1'), /^HTTP\/1\.1 408 Request Timeout\r\n[^]*Content-Length: 0\r\nConnection: close\r\n\r\n$/);
    assert.equal(Buffer.concat(idle.received).length, 0);
    assert.ok(play.running);
    const r = await h.httpGet(play.port, '/index.html');
    assert.equal(r.body.toString(), 'index');
    assert.ok(!h.readLog(site.site).includes(SECRET));
  });
});

describe('play.exe with many connections open', () => {
  let site, play;
  const open = [];

  before(async () => {
    site = h.makeSite({ 'index.html': 'index' });
    play = await h.startPlay(site.site, []);
  });

  after(async () => {
    for (const c of open) c.destroy();
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  it('closes a connection beyond 512 at once and keeps serving the open ones', async () => {
    for (let i = 0; i < 512; i++) open.push(watchedConnection(play.port));
    await Promise.all(open.map((c) => c.connected));
    // Accepted in order, so the 513th finds the 512 others open.
    // Closed without a word, well before the idle rule would.
    const refused = await h.rawRequest(play.port, 'GET /index.html HTTP/1.1\r\n\r\n', { timeoutMs: 20000 });
    assert.ok(refused.ended && refused.raw.length === 0);

    const first = open[0];
    first.sock.write(`GET /index.html HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
    const chunks = [];
    first.sock.on('data', (d) => chunks.push(d));
    assert.ok((await h.within(first.closed, 10000)) !== null);
    assert.match(Buffer.concat(chunks).toString(), /^HTTP\/1\.1 200 OK\r\n[^]*\r\n\r\nindex$/);

    // Once the others are gone, new connections are served again.
    for (const c of open) c.destroy();
    let again = null;
    for (let i = 0; i < 50 && !again; i++) {
      const r = await h.rawRequest(play.port, `GET /index.html HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`, { timeoutMs: 5000 });
      if (r.status === 'HTTP/1.1 200 OK') again = r;
      else await h.sleep(200);
    }
    assert.equal(again?.body.toString(), 'index');
  });
});

describe('play.exe with readers that close early', () => {
  let site, play;
  const file = Buffer.alloc(3 * 1024 * 1024, 'v');

  before(async () => {
    site = h.makeSite({ 'big.bin': file });
    play = await h.startPlay(site.site, []);
  });

  after(async () => {
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  it('answers every fresh connection while others end theirs mid-answer, with every CPU busy', async () => {
    const { cut, whole } = await h.readersUnderLoad(play.port, '/big.bin', file.length, 10000, 3000);
    const seen = JSON.stringify({ cut, whole });
    assert.ok(cut.count > 0 && whole.count > 0, seen);
    assert.equal(cut.empty + whole.empty, 0, `connections closed unanswered: ${seen}`);
    assert.equal(cut.short + whole.short, 0, `answers cut short: ${seen}`);
    assert.ok(play.running);
  });
});

// A client that sends "Expect: 100-continue" and waits to be asked for its
// body: the body goes out only after an interim "100 Continue". Resolves the
// interim answer (or null) and the final one.
function expectingContinue(port, head, body, timeoutMs = 15000) {
  return new Promise((resolve) => {
    let raw = Buffer.alloc(0);
    let interim = null;
    const sock = net.connect(port, '127.0.0.1');
    const done = (ended) => {
      clearTimeout(timer);
      resolve({ interim, ...h.parseAnswer(raw, ended) });
    };
    const timer = setTimeout(() => {
      sock.destroy();
      done(false);
    }, timeoutMs);
    sock.on('connect', () => sock.write(head));
    sock.on('data', (d) => {
      raw = Buffer.concat([raw, d]);
      const end = raw.indexOf('\r\n\r\n');
      if (interim === null && end >= 0 && raw.subarray(0, 13).toString('latin1') === 'HTTP/1.1 100 ') {
        interim = raw.subarray(0, end + 4).toString('latin1');
        raw = raw.subarray(end + 4);
        sock.write(body);
      }
    });
    sock.on('end', () => done(true));
    sock.on('error', () => done(true));
  });
}

describe('play.exe reading request heads', () => {
  let site, play, config;
  const SAVE = '/radozira/configurator/saveit.qxph';

  before(async () => {
    site = h.makeSite({ 'index.html': 'index', 'configdata.json.js': 'old' });
    config = path.join(site.site, 'configdata.json.js');
    play = await h.startPlay(site.site, []);
  });

  after(async () => {
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  it('refuses heads that readers could take apart differently, and takes what HTTP/1.1 allows', async () => {
    const port = play.port;
    const host = `Host: 127.0.0.1:${port}\r\n`;
    for (const [bytes, status, body = ''] of [
      [`GET /index\r.html HTTP/1.1\r\n${host}\r\n`, '400 Bad Request'],
      [`GET /index.html HTTP/1.1\r\nHo\rst: 127.0.0.1:${port}\r\n\r\n`, '400 Bad Request'],
      [`GET /index.html HTTP/1.1\r\n${host} evil.example\r\n\r\n`, '400 Bad Request'],
      [`GET http://127.0.0.1:${port}/index.html HTTP/1.1\r\n${host}\r\n`, '200 OK', 'index'],
      [`GET http://localhost:${port}/index.html HTTP/1.1\r\nHost: evil.example\r\n\r\n`, '200 OK', 'index'],
      [`GET http://evil.example:${port}/index.html HTTP/1.1\r\n${host}\r\n`, '403 Forbidden'],
      [`GET https://127.0.0.1:${port}/index.html HTTP/1.1\r\n${host}\r\n`, '400 Bad Request'],
      [`\r\nGET /index.html HTTP/1.1\r\n${host}\r\n`, '200 OK', 'index'],
      [`GET /index.html HTTP/2.0\r\n${host}\r\n`, '505 HTTP Version Not Supported'],
      [`GET /index.html HTTP/1.10\r\n${host}\r\n`, '400 Bad Request'],
      [`GET /index.html FOO/9\r\n${host}\r\n`, '400 Bad Request'],
      [`GET /index.html http/1.1\r\n${host}\r\n`, '400 Bad Request'],
      [`GET /index.html http/1.1\r\n\r\n`, '400 Bad Request'],
      [`GET /index.html HTTP/1.2\r\n${host}\r\n`, '200 OK', 'index'],
      [`GET /index.html HTTP/1.0\r\n\r\n`, '200 OK', 'index'],
      // White space other than a space, or another control character, inside
      // the method or the target; a line without a space names no method.
      [`GET /index.html?a\tHTTP/1.1\r\n${host}\r\n`, '400 Bad Request'],
      [`GET\t/index.html HTTP/1.1\r\n${host}\r\n`, '400 Bad Request'],
      [`GET /index\x0b.html HTTP/1.1\r\n${host}\r\n`, '400 Bad Request'],
      [`GET /index.html\x00 HTTP/1.0\r\n\r\n`, '400 Bad Request'],
      [`GET\t/index.html\tHTTP/1.1\r\n${host}\r\n`, '501 Not Implemented'],
      [`\r\n\r\n\r\n\r\n\r\nGET /index.html HTTP/1.1\r\n${host}\r\n`, '501 Not Implemented'],
    ]) {
      const r = await h.rawRequest(port, bytes);
      assert.equal(r.status, `HTTP/1.1 ${status}`, JSON.stringify(bytes));
      assert.equal(r.body.toString('latin1'), body, JSON.stringify(bytes));
      assert.ok(r.ended);
    }
    // A CR LF split between sends is one line end; a CR alone is none.
    const split = await h.rawRequest(port, ['GET /index.html HTTP/1.1\r', `\n${host}\r`, '\n\r', '\n']);
    assert.equal(split.body.toString(), 'index');
    const bare = await h.rawRequest(port, ['GET /index.html HTTP/1.1\r', `${host}\r\n`]);
    assert.equal(bare.status, 'HTTP/1.1 400 Bad Request');
  });

  it('asks a client that waits for it for its body, or answers its head at once', async () => {
    const port = play.port;
    const host = `Host: 127.0.0.1:${port}\r\n`;
    const own = `Referer: http://127.0.0.1:${port}/radozira/setup.html\r\n`;
    const fields = 'saveit_l=../../configdata.json.js&saveit_c=asked';
    const length = `Content-Length: ${fields.length}\r\n`;
    const expect = 'Expect: 100-continue\r\n';

    const asked = await expectingContinue(port, `POST ${SAVE} HTTP/1.1\r\n${host}${own}${length}${expect}\r\n`, fields);
    assert.equal(asked.interim, 'HTTP/1.1 100 Continue\r\n\r\n');
    assert.equal(asked.status, 'HTTP/1.1 200 OK');
    assert.equal(asked.body.toString(), 'UPDATED');
    assert.equal(fs.readFileSync(config).subarray(3).toString(), 'asked');

    for (const [head, status] of [
      [`HEAD ${SAVE} HTTP/1.1\r\n${host}${own}${length}${expect}`, '405 Method Not Allowed'],
      [`POST ${SAVE} HTTP/1.1\r\n${host}Origin: http://evil.example\r\n${length}${expect}`, '403 Forbidden'],
    ]) {
      const r = await expectingContinue(port, head + '\r\n', fields.replace('asked', 'never'));
      assert.equal(r.interim, null, head);
      assert.equal(r.status, `HTTP/1.1 ${status}`, head);
      assert.ok(r.ended, head);
    }
    assert.equal(fs.readFileSync(config).subarray(3).toString(), 'asked');
  });

  it('refuses a save whose target hides its version behind a tab', async () => {
    const port = play.port;
    const before = fs.readFileSync(config);
    const own = `Origin: http://127.0.0.1:${port}\r\n`;
    const target = `${SAVE}?saveit_l=../../configdata.json.js&saveit_c=tab`;
    for (const [line, status] of [
      [`GET ${target}\tHTTP/9.9`, '400 Bad Request'],
      [`GET ${target}\tHTTP/1.1`, '400 Bad Request'],
      [`GET ${target} HTTP/9.9`, '505 HTTP Version Not Supported'],
    ]) {
      const r = await h.rawRequest(port, `${line}\r\nHost: 127.0.0.1:${port}\r\n${own}\r\n`);
      assert.equal(r.status, `HTTP/1.1 ${status}`, JSON.stringify(line));
      assert.equal(r.body.length, 0);
    }
    assert.ok(fs.readFileSync(config).equals(before));
  });

  it('refuses a save that names two Origins or two Referers', async () => {
    const port = play.port;
    const own = `http://127.0.0.1:${port}`;
    const body = 'saveit_l=../../configdata.json.js&saveit_c=twice';
    const before = fs.readFileSync(config);
    for (const fields of [
      `Origin: http://evil.example\r\nOrigin: ${own}\r\n`,
      `Referer: ${own}/radozira/setup.html\r\nReferer: ${own}/radozira/setup.html\r\n`,
    ]) {
      const r = await h.rawRequest(port, `POST ${SAVE} HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\n${fields}Content-Length: ${body.length}\r\n\r\n${body}`);
      assert.equal(r.status, 'HTTP/1.1 403 Forbidden', fields);
    }
    assert.ok(fs.readFileSync(config).equals(before));
  });
});
