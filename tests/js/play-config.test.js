'use strict';
// The content saving its configuration through play.exe's private URL.
const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const h = require('./play-harness');

const SAVE = '/radozira/configurator/saveit.qxph';
const BOM = Buffer.from([0xef, 0xbb, 0xbf]);

function post(port, urlPath, body, method = 'POST') {
  return new Promise((resolve, reject) => {
    const req = http.request(
      {
        host: '127.0.0.1', port, path: urlPath, method, agent: false,
        headers: { 'Content-Type': 'application/x-www-form-urlencoded', 'Content-Length': Buffer.byteLength(body) },
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
    const r = await h.httpGet(play.port, `${SAVE}?saveit_l=../../configdata.json.js&saveit_c=%7B%7D`);
    assert.equal(r.body.toString(), 'UPDATED');
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from('{}')])));
  });

  it('answers FAILED and touches nothing for another name or a place outside', async () => {
    const before = fs.readFileSync(config);
    for (const loc of ['../../ConfigData.json.js', '../../index.html', '../../../configdata.json.js', '../../../../../configdata.json.js']) {
      const r = await post(play.port, SAVE, `saveit_l=${encodeURIComponent(loc)}&saveit_c=evil`);
      assert.equal(r.body, 'FAILED', loc);
    }
    assert.ok(fs.readFileSync(config).equals(before));
    assert.ok(!fs.existsSync(path.join(site.base, 'configdata.json.js')));
    assert.equal(fs.readFileSync(path.join(site.site, 'index.html'), 'utf8'), 'x');
  });

  it('logs a handler answer as its status part alone', async () => {
    await post(play.port, SAVE, 'saveit_c=x');
    const lines = h.readLog(site.site).split('\r\n');
    assert.ok(lines.includes(' 200 OK'));
    assert.ok(!lines.some((l) => l.includes('saveit')));
  });
});
