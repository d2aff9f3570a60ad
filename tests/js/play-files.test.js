'use strict';
// play.exe serving its folder: files, folders, conditional requests, the log.
const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./play-harness');

const binary = Buffer.from(Array.from({ length: 256 * 40 }, (_, i) => i % 256));
const dateRe = /^(Mon|Tue|Wed|Thu|Fri|Sat|Sun), \d\d (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) \d{4} \d\d:\d\d:\d\d GMT$/;

describe('play.exe file service', () => {
  let site, play;

  before(async () => {
    site = h.makeSite({
      'publishdata.json.js': 'var publishdata = {"playerlanguage":"en"};',
      'index.html': '<p>root</p>',
      'data.bin': binary,
      'style.CSS': 'p{}',
      'chapter/index.htm': '<p>chapter</p>',
      'chapter/page one.html': 'page one',
      'chapter/log target.html': 'logged',
      'empty': null,
      'f\u00e9.txt': 'accent',
    });
    // Published content was written well before it is asked for; a file
    // dated in the second of its answer gets no Last-Modified.
    const minuteAgo = new Date(Date.now() - 60000);
    for (const rel of ['publishdata.json.js', 'index.html', 'data.bin', 'style.CSS', 'chapter/index.htm', 'chapter/page one.html', 'chapter/log target.html', 'f\u00e9.txt'])
      fs.utimesSync(path.join(site.site, rel), minuteAgo, minuteAgo);
    play = await h.startPlay(site.site, ['/log']);
  });

  after(async () => {
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  it('returns file bytes with the status line and headers', async () => {
    const r = await h.rawRequest(play.port, `GET /data.bin HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
    assert.equal(r.status, 'HTTP/1.1 200 OK');
    assert.deepEqual(
      r.headerNames.filter((n) => n !== 'Content-type'),
      ['Server', 'Date', 'Content-length', 'Last-Modified', 'Expires', 'Cache-Control', 'Connection'],
    );
    assert.equal(r.headers.Server, 'QXHttp 1.0');
    assert.match(r.headers.Date, dateRe);
    assert.match(r.headers['Last-Modified'], dateRe);
    assert.equal(r.headers['Content-length'], String(binary.length));
    assert.equal(r.headers.Expires, '-1');
    assert.equal(r.headers['Cache-Control'], 'no-cache');
    assert.equal(r.headers.Connection, 'close');
    assert.ok(r.ended && !r.reset);
    assert.ok(r.body.equals(binary));

    const css = await h.httpGet(play.port, '/style.CSS');
    assert.equal(css.status, 200);
    assert.equal(css.headers['content-type'], 'text/css');
    assert.equal(css.body.toString(), 'p{}');
  });

  it('redirects folders to their default document', async () => {
    // The redirects name the host that Internet Explorer was started with.
    const root = await h.httpGet(play.port, '/');
    assert.equal(root.status, 302);
    assert.equal(root.statusMessage, 'Redirection');
    assert.equal(root.headers.location, `http://localhost:${play.port}/index.html`);
    assert.equal(root.headers['content-length'], '0');

    const chapter = await h.httpGet(play.port, '/chapter');
    assert.equal(chapter.status, 302);
    assert.equal(chapter.headers.location, `http://localhost:${play.port}/chapter/index.htm`);
    const followed = await h.httpGet(play.port, new URL(chapter.headers.location).pathname);
    assert.equal(followed.body.toString(), '<p>chapter</p>');

    assert.equal((await h.httpGet(play.port, '/empty/')).status, 403);
  });

  it('decodes URLs as UTF-8', async () => {
    assert.equal((await h.httpGet(play.port, '/chapter/page%20one.html')).body.toString(), 'page one');
    assert.equal((await h.httpGet(play.port, '/f%C3%A9.txt')).body.toString(), 'accent');
  });

  it('answers 304 for an unchanged file and 200 for a changed one', async () => {
    const first = await h.httpGet(play.port, '/index.html');
    const since = first.headers['last-modified'];
    const same = await h.httpGet(play.port, '/index.html', { headers: { 'If-Modified-Since': since } });
    assert.equal(same.status, 304);
    assert.equal(same.headers['content-length'], undefined);
    assert.equal(same.headers.connection, 'close');
    assert.equal(same.body.length, 0);
    const earlier = new Date(Date.parse(since) - 1000).toUTCString();
    const older = await h.httpGet(play.port, '/index.html', { headers: { 'If-Modified-Since': earlier } });
    assert.equal(older.status, 200);
    assert.equal(older.body.toString(), '<p>root</p>');
    const broken = await h.httpGet(play.port, '/index.html', { headers: { 'If-Modified-Since': 'Su' } });
    assert.equal(broken.status, 200);
    // A date after the server's clock is not one it sent: ignored.
    const future = await h.httpGet(play.port, '/index.html', { headers: { 'If-Modified-Since': 'Fri, 01 Jan 2100 00:00:00 GMT' } });
    assert.equal(future.status, 200);
    assert.equal(future.body.toString(), '<p>root</p>');
  });

  it('answers HEAD like GET without a body, and a missing file with 404', async () => {
    const head = await h.rawRequest(play.port, `HEAD /data.bin HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
    assert.equal(head.status, 'HTTP/1.1 200 OK');
    assert.equal(head.headers['Content-length'], String(binary.length));
    assert.equal(head.body.length, 0);

    const missing = await h.rawRequest(play.port, `GET /chapter/missing.html HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
    assert.equal(missing.status, 'HTTP/1.1 404 Not Found');
    assert.ok('Date' in missing.headers && 'Server' in missing.headers);
    assert.equal(missing.headers['Content-Length'], '0');
    assert.equal(missing.headers.Connection, 'close');
    assert.equal(missing.body.length, 0);

    // No HEAD answer has a body: a redirect, a missing file, a folder
    // without a default document.
    for (const url of ['/chapter', '/chapter/missing.html', '/empty/']) {
      const r = await h.rawRequest(play.port, `HEAD ${url} HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
      assert.match(r.status, /^HTTP\/1\.1 (302|404|403) /, url);
      assert.equal(r.body.length, 0, url);
    }
  });

  it('writes one log line per request', async () => {
    const marker = `/marker-${Date.now()}.html`;
    await h.httpGet(play.port, marker);
    await h.httpGet(play.port, '/chapter/log%20target.html?x=1');
    await h.rawRequest(play.port, `GET /../outside.txt HTTP/1.1\r\nHost: 127.0.0.1:${play.port}\r\n\r\n`);
    const log = h.readLog(site.site);
    const lines = log.split('\r\n');
    assert.match(lines[0], /^\d\d-\d\d-\d\d \d\d:\d\d:\d\d SESSION BEGIN$/);
    const winSite = 'Z:' + site.site.replace(/\//g, '\\');
    const mine = lines.filter((l) => l.includes(marker));
    assert.equal(mine.length, 1);
    assert.equal(mine[0].replace(/^[\d-]+ [\d:]+ /, ''), `GET ${marker} ${winSite}${marker.replace('/', '\\')} 404 Not Found`);
    const page = lines.filter((l) => l.includes('log target.html'));
    assert.equal(page.length, 1);
    assert.match(page[0], / GET \/chapter\/log target\.html .*\\chapter\\log target\.html 200 OK$/);
    const outside = lines.filter((l) => l.includes('outside.txt'));
    assert.equal(outside.length, 1);
    assert.match(outside[0], /^[\d-]+ [\d:]+ GET \/\.\.\/outside\.txt 400 Bad Request$/);
  });
});
