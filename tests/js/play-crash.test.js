'use strict';
// play.exe killed in the middle of saving a large configuration: whenever it
// dies, the next start finds configdata.json.js holding the old text or the
// new one, never a part of either and never nothing.
const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const h = require('./play-harness');

const SAVE = '/radozira/configurator/saveit.qxph';
const BOM = Buffer.from([0xef, 0xbb, 0xbf]);
const SIZE = 3 << 20;

// A text of SIZE bytes that differs from every other round's from its start.
const text = (round) => `round ${round} `.padEnd(SIZE, String.fromCharCode(97 + (round % 26)));

// Busy-waits (the event loop stands still, as the kill must come at once)
// until the test holds or ms pass.
function spinUntil(test, ms) {
  const end = Date.now() + ms;
  while (Date.now() < end) if (test()) return true;
  return false;
}

describe('play.exe killed during a save', () => {
  let site, config, play;

  before(() => {
    site = h.makeSite({ 'index.html': 'x' });
    config = path.join(site.site, 'configdata.json.js');
    fs.writeFileSync(config, Buffer.concat([BOM, Buffer.from(text(0))]));
  });

  after(async () => {
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  // Sends the save whole, then kills the program at the moment `when` picks
  // (without `when`, waits for the answer instead). Resolves the time from
  // the last byte sent to the kill or the answer.
  async function save(round, when) {
    const body = `saveit_l=../../configdata.json.js&saveit_c=${text(round)}`;
    const req = http.request({
      host: '127.0.0.1', port: play.port, path: SAVE, method: 'POST', agent: false,
      headers: { 'Content-Length': body.length, Referer: `http://127.0.0.1:${play.port}/index.html` },
    });
    req.on('error', () => {});
    const answered = new Promise((resolve) => req.on('response', (res) => res.resume().on('end', resolve)));
    await new Promise((resolve) => req.end(body, resolve));
    const sent = Date.now();
    if (!when) {
      await answered;
      return Date.now() - sent;
    }
    when();
    play.proc.kill('SIGKILL');
    await play.exited;
    req.destroy();
    return Date.now() - sent;
  }

  it('leaves the old or the new text under the name, at any moment', async () => {
    const tmp = config + '.tmp';
    const bak = config + '.bak';
    const exists = (f) => fs.existsSync(f);
    play = await h.startPlay(site.site, ['/browser=ie']);
    // How long the program takes to store a save it has received.
    let current = 1;
    const span = await save(current);
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from(text(current))])));

    // Kills timed to the save's own files: the temporary file appearing (it
    // is being written), the backup appearing (it is being copied), the
    // temporary file gone again (the new text has taken the name); these
    // start without files of an earlier kill. Then kills after pauses spread
    // over the time a save takes, which also meet what earlier kills left.
    const timed = [
      () => spinUntil(() => exists(tmp), 5000),
      () => spinUntil(() => exists(bak), 5000),
      () => spinUntil(() => exists(bak), 5000) && spinUntil(() => !exists(tmp), 5000),
    ];
    const rounds = [...timed, ...timed, ...timed];
    for (let k = 0; k <= 12; k++) rounds.push(k * Math.ceil(span / 10));

    const outcomes = new Set();
    // How often each kind of timed kill saw its moment. A save may pass a
    // moment between two looks when the machine is busy; that kill is then
    // one more after a pause. But each kind must meet its moment in one of
    // its tries: a save that never shows a backup, say, fails here.
    const seen = timed.map(() => 0);
    for (const [i, when] of rounds.entries()) {
      const round = current + 1;
      const timedKill = typeof when === 'function';
      if (timedKill) for (const f of [tmp, bak]) fs.rmSync(f, { force: true });
      await save(round, timedKill ? () => (seen[i % timed.length] += when() ? 1 : 0) : () => spinUntil(() => false, when));
      // The next start puts things right before it serves anything.
      play = await h.startPlay(site.site, ['/browser=ie']);
      assert.ok(fs.existsSync(config), `kill ${i}: no configdata.json.js`);
      const found = fs.readFileSync(config);
      const isNew = found.equals(Buffer.concat([BOM, Buffer.from(text(round))]));
      const isOld = found.equals(Buffer.concat([BOM, Buffer.from(text(current))]));
      assert.ok(isNew || isOld, `kill ${i}: found ${found.length} bytes starting ${found.subarray(0, 12)}`);
      outcomes.add(isNew);
      if (isNew) current = round;
    }
    seen.forEach((n, kind) => assert.ok(n > 0, `timed kill ${kind}: the save's files never showed its moment`));
    // The kills did fall on both sides of the replacement.
    assert.deepEqual([...outcomes].sort(), [false, true]);

    // What a save cut short by an earlier version left: the old text only in
    // the backup, the new one only in the temporary file.
    await play.stop();
    fs.renameSync(config, bak);
    fs.writeFileSync(tmp, 'new');
    play = await h.startPlay(site.site, ['/browser=ie']);
    assert.ok(fs.readFileSync(config).equals(Buffer.concat([BOM, Buffer.from(text(current))])));
    assert.ok(!exists(bak));
  });
});
