'use strict';
// Every file below the folder with its bytes and modification time; the log,
// which grows with each request, and the harness's own files are left out.
function snapshot(dir) {
  const out = {};
  for (const name of fs.readdirSync(dir, { recursive: true })) {
    if (/^(play\.exe\.log|output-.*|browser-.*)$/.test(path.basename(name))) continue;
    const full = path.join(dir, name);
    const st = fs.statSync(full);
    out[name] = st.isDirectory() ? 'dir' : `${st.mtimeMs} ${fs.readFileSync(full).toString('hex')}`;
  }
  return out;
}

// The content saving its configuration through play.exe's private URL.
const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const path = require('node:path');
const h = require('./play-harness');

// As a caller in Turkish: wine would give play.exe that language.
process.env.LC_ALL = 'tr_TR.UTF-8';

const SAVE = '/radozira/configurator/saveit.qxph';
const BOM = Buffer.from([0xef, 0xbb, 0xbf]);

// The content's own pages name themselves in a Referer.
const ownPage = (port) => ({ Referer: `http://127.0.0.1:${port}/radozira/setup.html` });
// A header given as undefined is left out.
const defined = (headers) => Object.fromEntries(Object.entries(headers).filter(([, v]) => v !== undefined));

function post(port, urlPath, body, method = 'POST', extraHeaders = {}, agent = false) {
  const headers = defined({ 'Content-Type': 'application/x-www-form-urlencoded', 'Content-Length': Buffer.byteLength(body), ...ownPage(port), ...extraHeaders });
  return new Promise((resolve, reject) => {
    const req = http.request(
      {
        host: '127.0.0.1', port, path: urlPath, method, agent, headers,
      },
      (res) => {
        const chunks = [];
        res.on('data', (d) => chunks.push(d));
        res.on('end', () => resolve({ status: res.statusCode, headers: res.headers, body: Buffer.concat(chunks).toString() }));
      },
    );
    req.on('error', reject);
    req.end(body);
  });
}

describe('play.exe configuration save', () => {
  let site, play, config;

  before(async () => {
    site = h.makeSite({ 'index.html': 'x', 'configdata.json.js': 'var configdata = {"old":true};' });
    config = path.join(site.site, 'configdata.json.js');
    play = await h.startPlay(site.site, ['/log']);
  });

  after(async () => {
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  it('replaces configdata.json.js with the posted text as UTF-8 after a BOM', async () => {
    const text = 'var configdata = {"title":"Café €","plus":"a+b"};';
    const r = await post(play.port, SAVE, 'saveit_l=../../configdata.json.js&saveit_c=' + encodeURIComponent(text).replace(/%2B/g, '+'));
    assert.equal(r.status, 200);
    assert.equal(r.body, 'UPDATED');
    assert.equal(r.headers['content-type'], 'text/plain; charset=utf-8');
    assert.equal(r.headers['content-length'], '7');
    assert.equal(r.headers['cache-control'], 'no-cache');
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from(text, 'utf8')])));
    assert.ok(!fs.existsSync(config + '.tmp') && !fs.existsSync(config + '.bak'));

    const served = await h.httpGet(play.port, '/configdata.json.js');
    assert.ok(served.body.equals(fs.readFileSync(config)));
  });

  it('takes the fields from the query of a GET as well', async () => {
    const r = await h.httpGet(play.port, `${SAVE}?saveit_l=../../configdata.json.js&saveit_c=%7B%7D`, { headers: ownPage(play.port) });
    assert.equal(r.body.toString(), 'UPDATED');
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from('{}')])));
    assert.ok(!fs.existsSync(config + '.tmp') && !fs.existsSync(config + '.bak'));
  });

  it('answers FAILED and touches nothing for another name, a place outside, a NUL or a control character', async () => {
    const before = snapshot(site.base);
    const locations = [
      '../../ConfigData.json.js', '../../index.html', '../../../configdata.json.js', '../../../../../configdata.json.js',
    ].map(encodeURIComponent);
    // Raw: a NUL that would cut the name before the file system sees it, and
    // control characters anywhere in the location.
    locations.push(
      '../../configdata.json.js%00/configdata.json.js', '../..%00/configdata.json.js', '%00../../configdata.json.js',
      '../../configdata.json.js%00', '../../sub%0A/configdata.json.js', '../..%01/configdata.json.js',
      '../../configdata.json.js%0D%0A', '../..%7F/configdata.json.js', '../..%1F/configdata.json.js',
    );
    for (const loc of locations) {
      const r = await post(play.port, SAVE, `saveit_l=${loc}&saveit_c=evil`);
      assert.equal(r.body, 'FAILED', loc);
      const q = await h.httpGet(play.port, `${SAVE}?saveit_l=${loc}&saveit_c=evil`, { headers: ownPage(play.port) });
      assert.equal(q.body.toString(), 'FAILED', loc);
    }
    assert.deepEqual(snapshot(site.base), before);
  });

  it('refuses with 403 and writes nothing when the request comes from another site or names none', async () => {
    const body = 'saveit_l=../../configdata.json.js&saveit_c=evil';
    const own = `127.0.0.1:${play.port}`;
    const none = { Referer: undefined };
    const before = snapshot(site.base);
    for (const headers of [
      { Host: 'evil.example' }, { Host: `evil.example:${play.port}` }, { Host: '127.0.0.1' },
      { Origin: 'http://evil.example' }, { Origin: 'null' }, { Origin: `http://${own}.evil.example` },
      { Referer: 'http://evil.example/page.html' }, { Referer: `http://evil.example/http://${own}/` },
      { Referer: `http://127.0.0.1:${play.port + 1}/index.html` },
      { Origin: `http://${own}`, Referer: 'http://evil.example/' },
      // The browser says where the request comes from, whatever else it names.
      { 'Sec-Fetch-Site': 'cross-site' }, { 'Sec-Fetch-Site': 'same-site' },
      { Origin: `http://${own}`, 'Sec-Fetch-Site': 'cross-site' },
      // Naming no page at all, as an image tag with a no-referrer policy does.
      none, { ...none, 'Sec-Fetch-Site': 'same-origin' },
    ]) {
      const r = await post(play.port, SAVE, body, 'POST', headers);
      assert.equal(r.status, 403, JSON.stringify(headers));
      assert.equal(r.body, '');
    }
    for (const headers of [{}, { 'Sec-Fetch-Site': 'cross-site', 'Sec-Fetch-Dest': 'image' }, { Origin: 'http://evil.example' }]) {
      const q = await h.httpGet(play.port, `${SAVE}?${body}`, { headers });
      assert.equal(q.status, 403, JSON.stringify(headers));
      assert.equal(q.statusMessage, 'Forbidden');
    }
    const raw = await h.rawRequest(play.port, `GET ${SAVE}?${body} HTTP/1.0\r\n\r\n`);
    assert.equal(raw.status, 'HTTP/1.1 403 Forbidden');
    assert.deepEqual(snapshot(site.base), before);

    // Nor can another site's name read the content.
    const file = await h.httpGet(play.port, '/index.html', { headers: { Host: `evil.example:${play.port}` } });
    assert.equal(file.status, 403);
    assert.equal(file.body.length, 0);

    // Nor a page of another site, or of another port of this host, by a
    // script tag or a fetch, as the browser names the request; a link from
    // it still opens the content, as do requests that name no site at all
    // (Internet Explorer sends none of these headers).
    const script = { 'Sec-Fetch-Mode': 'no-cors', 'Sec-Fetch-Dest': 'script' };
    const link = { 'Sec-Fetch-Mode': 'navigate', 'Sec-Fetch-Dest': 'document' };
    for (const [method, headers, status] of [
      ['GET', { 'Sec-Fetch-Site': 'same-site', ...script }, 403],
      ['GET', { 'Sec-Fetch-Site': 'Cross-Site', 'Sec-Fetch-Mode': 'cors', 'Sec-Fetch-Dest': 'empty' }, 403],
      ['GET', { 'Sec-Fetch-Site': 'cross-site' }, 403],
      ['HEAD', { 'Sec-Fetch-Site': 'same-site', ...link }, 403],
      ['GET', { 'Sec-Fetch-Site': 'same-site', ...link }, 200],
      ['GET', { 'Sec-Fetch-Site': 'cross-site', 'Sec-Fetch-Mode': 'navigate' }, 200],
      ['GET', { 'Sec-Fetch-Site': 'same-origin', ...script }, 200],
      ['GET', { 'Sec-Fetch-Site': 'none', ...link }, 200],
      ['GET', {}, 200],
    ]) {
      const r = await h.httpGet(play.port, '/configdata.json.js', { method, headers });
      assert.equal(r.status, status, `${method} ${JSON.stringify(headers)}`);
      if (status === 403 || method === 'HEAD') assert.equal(r.body.length, 0);
      else assert.ok(r.body.equals(fs.readFileSync(config)));
    }
    // A form of another site posting to a file is a navigation, but no GET.
    const posted = await post(play.port, '/index.html', 'a=b', 'POST', { Referer: undefined, 'Sec-Fetch-Site': 'cross-site', ...link });
    assert.equal(posted.status, 403);
    assert.equal(posted.body, '');
    // A link of another site to the save URL is still no save.
    const saveLink = await h.httpGet(play.port, `${SAVE}?${body}`, { headers: { 'Sec-Fetch-Site': 'same-site', ...link } });
    assert.equal(saveLink.status, 403);
    assert.deepEqual(snapshot(site.base), before);
  });

  it("saves from the server's own pages under either name, by POST or GET", async () => {
    const own = `localhost:${play.port}`;
    const forms = [
      { Origin: `http://127.0.0.1:${play.port}`, Referer: undefined },
      { Origin: `http://${own}`, Host: own, 'Sec-Fetch-Site': 'same-origin' },
      { Referer: `http://${own}/radozira/setup.html?x=1`, 'Sec-Fetch-Site': 'same-origin' },
      { 'Sec-Fetch-Site': 'none' },
    ];
    for (const [i, headers] of forms.entries()) {
      const r = await post(play.port, SAVE, `saveit_l=../../configdata.json.js&saveit_c=v${i}`, 'POST', headers);
      assert.equal(r.status, 200, JSON.stringify(headers));
      assert.equal(r.body, 'UPDATED', JSON.stringify(headers));
      assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from(`v${i}`)])));
      const q = await h.httpGet(play.port, `${SAVE}?saveit_l=../../configdata.json.js&saveit_c=g${i}`, { headers: defined({ ...ownPage(play.port), ...headers }) });
      assert.equal(q.body.toString(), 'UPDATED', JSON.stringify(headers));
      assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from(`g${i}`)])));
    }
    // No Host header at all, as a bare client may send.
    const raw = await h.rawRequest(play.port, `GET ${SAVE}?saveit_l=../../configdata.json.js&saveit_c=raw HTTP/1.0\r\nReferer: http://127.0.0.1:${play.port}/\r\n\r\n`);
    assert.equal(raw.body.toString(), 'UPDATED');
  });

  it('serves a client that keeps its connections, a save and a read in turn', async () => {
    const agent = new http.Agent({ keepAlive: true, maxSockets: 1 });
    const get = (urlPath) => new Promise((resolve, reject) => {
      http.get({ host: '127.0.0.1', port: play.port, path: urlPath, agent }, (res) => {
        const chunks = [];
        res.on('data', (d) => chunks.push(d));
        res.on('end', () => resolve(Buffer.concat(chunks)));
        res.on('error', reject);
      }).on('error', reject);
    });
    try {
      let saved;
      for (let round = 0; round < 30; round++) {
        saved = await post(play.port, SAVE, `saveit_l=../../configdata.json.js&saveit_c=k${round}`, 'POST', {}, agent);
        assert.equal(saved.body, 'UPDATED', `round ${round}`);
        const read = await get('/configdata.json.js');
        assert.ok(read.equals(Buffer.concat([BOM, Buffer.from(`k${round}`)])), `round ${round}`);
      }
      assert.equal(saved.headers.connection, 'close');
    } finally {
      agent.destroy();
    }
  });

  it('writes nothing for another method, nor for a body or a Host it cannot read one way', async () => {
    const before = snapshot(site.base);
    const own = `127.0.0.1:${play.port}`;
    const fields = 'saveit_l=../../configdata.json.js&saveit_c=evil';
    const referer = `Referer: http://${own}/radozira/setup.html\r\n`;
    const head = (method, host = `Host: ${own}\r\n`) => `${method} ${SAVE}?${fields} HTTP/1.1\r\n${host}${referer}`;
    const length = `Content-Length: ${fields.length}\r\n`;
    const cases = [
      [head('HEAD') + '\r\n', 'HTTP/1.1 405 Method Not Allowed'],
      [head('OPTIONS') + '\r\n', 'HTTP/1.1 405 Method Not Allowed'],
      [head('PUT') + length + '\r\n' + fields, 'HTTP/1.1 405 Method Not Allowed'],
      [head('POST') + 'Transfer-Encoding: chunked\r\n\r\n' + fields.length.toString(16) + '\r\n' + fields + '\r\n0\r\n\r\n', 'HTTP/1.1 501 Not Implemented'],
      [head('POST') + length + 'Transfer-Encoding: chunked\r\n\r\n' + fields, 'HTTP/1.1 501 Not Implemented'],
      [head('POST') + 'Content-Length: 3abc\r\n\r\n' + fields, 'HTTP/1.1 400 Bad Request'],
      [head('POST') + `Content-Length: 5, ${fields.length}\r\n\r\n` + fields, 'HTTP/1.1 400 Bad Request'],
      [head('POST') + 'Content-Length: 5\r\n' + length + '\r\n' + fields, 'HTTP/1.1 400 Bad Request'],
      [head('GET', `Host : evil.example:${play.port}\r\nOrigin: http://${own}\r\n`) + '\r\n', 'HTTP/1.1 400 Bad Request'],
      [head('GET', `Host: evil.example:${play.port}\r\nHost: ${own}\r\n`) + '\r\n', 'HTTP/1.1 400 Bad Request'],
      [head('GET', '') + '\r\n', 'HTTP/1.1 400 Bad Request'],
    ];
    for (const [request, status] of cases) {
      const r = await h.rawRequest(play.port, request);
      assert.equal(r.status, status, request);
      assert.equal(r.headers['Content-Length'], '0', request);
      assert.equal(r.headers.Connection, 'close', request);
      assert.equal(r.body.length, 0, request);
      if (status.includes('405')) assert.equal(r.headers.Allow, 'GET, POST');
    }
    // A real client's HEAD and OPTIONS as well.
    for (const method of ['HEAD', 'OPTIONS']) {
      const r = await h.httpGet(play.port, `${SAVE}?${fields}`, { method, headers: ownPage(play.port) });
      assert.equal(r.status, 405, method);
      assert.equal(r.body.length, 0, method);
    }
    assert.deepEqual(snapshot(site.base), before);
  });

  // A save sent raw, as the content's page sends it.
  const rawSave = (text) => {
    const body = `saveit_l=../../configdata.json.js&saveit_c=${text}`;
    return h.rawRequest(play.port, `POST ${SAVE} HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n` +
      `Referer: http://127.0.0.1:${play.port}/radozira/setup.html\r\n` +
      `Content-Type: application/x-www-form-urlencoded\r\nContent-Length: ${body.length}\r\n\r\n${body}`);
  };
  // What the folder holds beside the log: the save leaves nothing of its own.
  const listing = (dir) => fs.readdirSync(dir).filter((n) => n !== 'play.exe.log').sort();
  const siteFiles = ['configdata.json.js', 'index.html', 'play.exe'];
  const mode = (file) => fs.statSync(file).mode & 0o777;

  it('leaves a read-only configdata.json.js as it is and answers FAILED', async () => {
    const text = 'var configdata = {"mine":true};';
    fs.writeFileSync(config, text);
    fs.chmodSync(config, 0o444);
    // A read-only copy of it, as an earlier version's save left one.
    fs.writeFileSync(config + '.bak', text);
    fs.chmodSync(config + '.bak', 0o444);
    try {
      const r = await rawSave('changed');
      assert.equal(r.status, 'HTTP/1.1 200 OK');
      assert.equal(r.body.toString(), 'FAILED');
      assert.equal(fs.readFileSync(config, 'latin1'), text);
      assert.equal(mode(config), 0o444);
      assert.deepEqual(listing(site.site), siteFiles);
    } finally {
      fs.chmodSync(config, 0o644);
    }
    const r = await rawSave('changed');
    assert.equal(r.body.toString(), 'UPDATED');
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from('changed')])));
  });

  it('takes a read-only backup left by an earlier save out of the way, also past a reader', async () => {
    const bak = config + '.bak';
    fs.writeFileSync(bak, 'stale');
    fs.chmodSync(bak, 0o444);
    let r = await rawSave('first');
    assert.equal(r.body.toString(), 'UPDATED');
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from('first')])));
    assert.deepEqual(listing(site.site), siteFiles);

    // A browser reading a configuration larger than the connection holds
    // keeps it open while the page saves.
    const large = Buffer.alloc(32 << 20, 'L');
    fs.writeFileSync(config, large);
    fs.writeFileSync(bak, 'stale');
    fs.chmodSync(bak, 0o444);
    const reader = net.connect(play.port, '127.0.0.1');
    const chunks = [];
    const firstBytes = new Promise((resolve) => reader.once('data', resolve));
    reader.on('data', (d) => chunks.push(d));
    const readerDone = new Promise((resolve) => reader.on('close', resolve));
    reader.write(`GET /configdata.json.js HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
    await firstBytes;
    reader.pause();
    r = await rawSave('second');
    assert.equal(r.body.toString(), 'UPDATED');
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from('second')])));
    reader.resume();
    await readerDone;
    const got = Buffer.concat(chunks);
    assert.ok(got.subarray(got.indexOf('\r\n\r\n') + 4).equals(large), 'the reader got the old text whole');
    assert.deepEqual(listing(site.site), siteFiles);
  });

  it('puts a read-only backup found without its configuration back at start-up, writable', async () => {
    const other = h.makeSite({ 'index.html': 'x', 'configdata.json.js.bak': 'var configdata = {"backup":true};' });
    const otherConfig = path.join(other.site, 'configdata.json.js');
    fs.chmodSync(otherConfig + '.bak', 0o444);
    let started;
    try {
      started = await h.startPlay(other.site, []);
      assert.equal(fs.readFileSync(otherConfig, 'latin1'), 'var configdata = {"backup":true};');
      assert.ok(mode(otherConfig) & 0o200, `mode ${mode(otherConfig).toString(8)}`);
      assert.deepEqual(listing(other.site), siteFiles);
      const r = await post(started.port, SAVE, 'saveit_l=../../configdata.json.js&saveit_c=after');
      assert.equal(r.body, 'UPDATED');
      assert.ok(fs.readFileSync(otherConfig).equals(Buffer.concat([BOM, Buffer.from('after')])));
      assert.deepEqual(listing(other.site), siteFiles);
    } finally {
      if (started) await started.stop();
      h.removeSite(other);
    }
  });

  it('logs a handler answer as its status part alone', async () => {
    await post(play.port, SAVE, 'saveit_c=x');
    const lines = h.readLog(site.site).split('\r\n');
    assert.ok(lines.includes(' 200 OK'));
    assert.ok(!lines.some((l) => l.includes('saveit')));
  });
});
