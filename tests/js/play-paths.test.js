'use strict';
// What the harness does, where every path has spaces and letters beyond
// ASCII and beyond any one code page: the build's programs that it runs (as
// in a checkout named so), the wine prefix and the content folder all lie
// in a folder named "Prüfe ø 日本". The prefix's browser keys name the
// recorder there, play.exe serves the folder and saves its configuration.
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');

const root = path.resolve(__dirname, '..', '..');
const buildDir = process.env.HINTORA_BUILD_DIR || path.join(root, 'build', 'win32');
const treePrefix = process.env.HINTORA_WINEPREFIX || path.join(buildDir, 'wineprefix');
const base = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-paths-'));
const odd = path.join(base, 'Pr\u00fcfe \u00f8 \u65e5\u672c');
for (const rel of ['player/play.exe', 'tests/player/browser_recorder.exe']) {
  fs.mkdirSync(path.dirname(path.join(odd, 'build', rel)), { recursive: true });
  fs.copyFileSync(path.join(buildDir, rel), path.join(odd, 'build', rel));
}
// The harness takes its paths from these when it is loaded.
process.env.HINTORA_BUILD_DIR = path.join(odd, 'build');
process.env.HINTORA_PLAY_WINEPREFIX = path.join(odd, 'wineprefix');
process.env.HINTORA_WINEPREFIX_TEMPLATE = path.join(path.dirname(treePrefix), '.wineprefix-template');
const h = require('./play-harness');

test('play.exe serves and saves where every path has spaces and letters beyond ASCII', async (t) => {
  const site = path.join(odd, 'Inhalt \u00e9 \u6587\u66f8');
  fs.mkdirSync(path.join(site, 'caf\u00e9'), { recursive: true });
  fs.copyFileSync(h.playExe, path.join(site, 'play.exe'));
  fs.writeFileSync(path.join(site, 'index.html'), '<p>index</p>');
  fs.writeFileSync(path.join(site, 'caf\u00e9', '\u00fcber \u65e5.txt'), '\u00dcber');
  fs.writeFileSync(path.join(site, 'configdata.json.js'), 'var configdata = {};');
  let play;
  t.after(async () => {
    if (play) await play.stop();
    spawnSync(h.wineRun, [h.prefix, '--stop'], { stdio: 'ignore', timeout: 60000 });
    fs.rmSync(base, { recursive: true, force: true });
  });

  // The address reaches the recorder named in the browser keys: the keys
  // hold its path whole.
  play = await h.startPlay(site, ['/log']);
  assert.match(play.browserLines()[0], /browser_recorder\.exe/);

  const file = await h.httpGet(play.port, '/caf%C3%A9/%C3%BCber%20%E6%97%A5.txt');
  assert.equal(file.status, 200);
  assert.equal(file.body.toString(), '\u00dcber');

  const text = 'var configdata = {"saved":"\u00e9 \u65e5"};';
  const body = 'saveit_l=../../configdata.json.js&saveit_c=' + encodeURIComponent(text);
  const saved = await new Promise((resolve, reject) => {
    const req = http.request({
      host: '127.0.0.1',
      port: play.port,
      path: '/radozira/configurator/saveit.qxph',
      method: 'POST',
      agent: false,
      headers: {
        'Content-Type': 'application/x-www-form-urlencoded',
        'Content-Length': Buffer.byteLength(body),
        Referer: `http://127.0.0.1:${play.port}/radozira/setup.html`,
      },
    }, (res) => {
      const chunks = [];
      res.on('data', (d) => chunks.push(d));
      res.on('end', () => resolve({ status: res.statusCode, body: Buffer.concat(chunks).toString() }));
    });
    req.on('error', reject);
    req.end(body);
  });
  assert.equal(saved.status, 200);
  assert.equal(saved.body, 'UPDATED');
  const written = fs.readFileSync(path.join(site, 'configdata.json.js'));
  assert.ok(written.equals(Buffer.concat([Buffer.from([0xef, 0xbb, 0xbf]), Buffer.from(text)])), written.toString('hex'));
  assert.match(h.readLog(site), /SESSION BEGIN/);
});
