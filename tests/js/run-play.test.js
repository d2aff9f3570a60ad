'use strict';
// run.sh's way of running play.exe (scripts/run-play.sh), on a content folder
// and in a wine prefix of the test's own: ended by INT, TERM or HUP, sent to
// its process group as a terminal does or to the script alone as `kill` does,
// it leaves no process of the prefix and no server folder in /tmp. Whatever
// the caller's locale, it serves files named with letters beyond ASCII from
// folders named so, and prints play.exe's status text in the terminal's
// character set.
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const h = require('./play-harness');

const runPlay = path.join(h.root, 'scripts', 'run-play.sh');
const rounds = 20;
const signals = ['SIGINT', 'SIGTERM', 'SIGHUP'];
// The tests' prefixes in the temporary folder share the build tree's
// template (see cmake/wine-run).
const template = path.join(path.dirname(h.prefix), '.wineprefix-template');

// Beyond ASCII in the folder's own name, in the files' and in their folders'.
const files = {
  'caf\u00e9/cr\u00e8me br\u00fbl\u00e9e.txt': 'Cr\u00e8me',
  'gr\u00fcn/\u00fcber.txt': '\u00dcber',
  '\u65e5\u672c/\u6587\u66f8.txt': '\u6587\u66f8',
};

// The locales a caller may have: none at all (a fresh container, cron), one
// that names no character set, the caller's own, and Japanese in EUC-JP, not
// generated (LOCPATH hides the machine's), in which play.exe's status texts
// are not ASCII.
function localeEnv(i, base) {
  const env = { ...process.env };
  for (const name of Object.keys(env)) if (name === 'LANG' || name === 'LANGUAGE' || name.startsWith('LC_')) delete env[name];
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  env.HINTORA_WINEPREFIX_TEMPLATE = template;
  if (i % 4 === 0) return { name: 'POSIX', env };
  if (i % 4 === 1) return { name: 'LC_ALL=C', env: { ...env, LC_ALL: 'C' } };
  if (i % 4 === 3) return { name: 'LC_ALL=ja_JP.eucJP', env: { ...env, LC_ALL: 'ja_JP.eucJP', LOCPATH: base }, eucJP: true };
  return { name: 'the caller\'s', env: { ...process.env, DISPLAY: undefined, WAYLAND_DISPLAY: undefined, HINTORA_WINEPREFIX_TEMPLATE: template } };
}

// The processes that carry the prefix in their environment.
const prefixPids = (prefix) => h.processesWith([`WINEPREFIX=${prefix}`]).map((p) => p.pid);

function killAll(prefix) {
  for (const pid of prefixPids(prefix)) {
    try {
      process.kill(pid, 'SIGKILL');
    } catch {}
  }
}

function serverFolder(prefix) {
  try {
    return path.join('/tmp', fs.readFileSync(path.join(prefix, 'wineserver'), 'utf8').trim());
  } catch {
    return null;
  }
}

async function waitFor(check, ms) {
  const deadline = Date.now() + ms;
  for (;;) {
    const value = check();
    if (value || Date.now() > deadline) return value;
    await h.sleep(100);
  }
}

test('run-play.sh serves non-ASCII names in any locale and leaves nothing behind, 20 times', async (t) => {
  const base = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-run-play-'));
  // A new prefix for the first round, made by the script itself.
  const prefix = path.join(base, 'prefix');
  const site = path.join(base, 'Inhalt \u00e9\u00fc \u65e5\u672c');
  fs.mkdirSync(site);
  fs.copyFileSync(h.playExe, path.join(site, 'play.exe'));
  for (const [rel, content] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(site, rel)), { recursive: true });
    fs.writeFileSync(path.join(site, rel), content);
  }
  t.after(() => {
    killAll(prefix);
    spawnSync(h.wineRun, [prefix, '--stop'], { stdio: 'ignore', timeout: 60000 });
    fs.rmSync(base, { recursive: true, force: true });
  });

  const results = [];
  for (let i = 0; i < rounds; i++) {
    const signal = signals[i % 3];
    const toGroup = i % 2 === 0;
    const locale = localeEnv(i, base);
    const what = `round ${i + 1}: ${signal} to the ${toGroup ? 'process group' : 'script'}, ${locale.name} locale`;
    // Output to a file, as to a terminal: wine-run treats a pipe otherwise.
    const outFile = path.join(base, `output-${i}.txt`);
    const out = fs.openSync(outFile, 'w');
    const script = spawn('sh', [runPlay, h.buildDir, prefix, site], {
      detached: true,
      stdio: ['ignore', out, out],
      env: locale.env,
    });
    fs.closeSync(out);
    let ended = false;
    const exited = new Promise((resolve) => script.on('exit', () => resolve((ended = true))));
    const output = () => fs.readFileSync(outFile, 'utf8');

    const started = await waitFor(() => ended || /^run: Ctrl\+C ends play\.exe/m.test(output()), i === 0 ? 240000 : 120000);
    const address = output().match(/^run: open http:\/\/127\.0\.0\.1:(\d+)\/ in any browser on this machine$/m);
    if (!started || ended || !address) {
      if (!ended) process.kill(-script.pid, 'SIGKILL');
      assert.fail(`${what}: play.exe did not come up:\n${output()}`);
    }
    for (const [rel, content] of Object.entries(files)) {
      const r = await h.httpGet(Number(address[1]), '/' + rel.split('/').map(encodeURIComponent).join('/'));
      assert.equal(r.status, 200, `${what}: ${rel}`);
      assert.ok(r.body.equals(Buffer.from(content)), `${what}: ${rel}: ${r.body.toString('hex')}`);
    }
    const unreadable = locale.eucJP && !new TextDecoder('euc-jp').decode(fs.readFileSync(outFile))
      .includes('browser stand-in: fetched it once: HTTP/1.1 403 \u30a2\u30af\u30bb\u30b9\u7981\u6b62\n');

    const signalledAt = Date.now();
    process.kill(toGroup ? -script.pid : script.pid, signal);
    // The script ends by itself: each wait of its clean-up is bounded.
    if (!(await h.within(exited, 60000))) {
      process.kill(-script.pid, 'SIGKILL');
      assert.fail(`${what}: run-play.sh still runs 60 s after ${signal}:\n${output()}`);
    }
    const clean = await waitFor(() => prefixPids(prefix).length === 0, 10000);
    const text = output();
    const folder = serverFolder(prefix);
    const result = {
      what,
      clean,
      ms: Date.now() - signalledAt,
      killed: /- killing them$/m.test(text),
      ended: /^run: play\.exe ended$/m.test(text),
      // The server's folder in /tmp goes with the server.
      folderLeft: !folder || fs.existsSync(folder),
      unreadable,
      text,
    };
    results.push(result);
    if (!clean) {
      // The next round starts from nothing all the same.
      killAll(prefix);
      spawnSync(h.wineRun, [prefix, '--stop'], { stdio: 'ignore', timeout: 60000 });
    }
  }
  const clean = results.filter((r) => r.clean && r.ended && !r.folderLeft && !r.unreadable);
  t.diagnostic(`${clean.length} of ${rounds} clean; the slowest clean-up took ${Math.max(...results.map((r) => r.ms))} ms ` +
    `from the signal; the clean-up killed what was left in ${results.filter((r) => r.killed).length}`);
  for (const r of results.filter((x) => !clean.includes(x))) {
    assert.fail(`${r.what}: ${r.clean ? '' : 'processes of the prefix left 10 s after run-play.sh ended; '}` +
      `${r.ended ? '' : 'no "run: play.exe ended"; '}${r.folderLeft ? 'the server folder is left; ' : ''}` +
      `${r.unreadable ? 'the status text is not in EUC-JP; ' : ''}\n${r.text}`);
  }
});

// run-play.sh started as run.sh starts it, through a relative path, with
// CDPATH exported, on a content folder and in a prefix of the test's own.
// play: the program put in as play.exe; args(site): the arguments after the
// script's own; ignoreTerm: started from a shell that ignores TERM, which
// play.exe then ignores as well (wine leaves the signal as it found it);
// display: the test's display is kept.
function startScript(t, { play = h.playExe, args = () => [], ignoreTerm = false, display = false } = {}) {
  const base = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-run-play-'));
  const prefix = path.join(base, 'prefix');
  const site = path.join(base, 'site');
  fs.mkdirSync(site);
  fs.copyFileSync(play, path.join(site, 'play.exe'));
  fs.writeFileSync(path.join(site, 'hello.txt'), 'hello');
  t.after(() => {
    killAll(prefix);
    spawnSync(h.wineRun, [prefix, '--stop'], { stdio: 'ignore', timeout: 60000 });
    fs.rmSync(base, { recursive: true, force: true });
  });
  const env = h.playEnv({ CDPATH: '.:/', HINTORA_WINEPREFIX_TEMPLATE: template });
  if (display) env.DISPLAY = process.env.DISPLAY;
  const shell = ignoreTerm ? ['-c', 'trap "" TERM; exec sh "$0" "$@"'] : [];
  const outFile = path.join(base, 'output.txt');
  const out = fs.openSync(outFile, 'w');
  const script = spawn('sh', [...shell, 'scripts/run-play.sh', h.buildDir, prefix, site, ...args(site)], {
    cwd: h.root,
    detached: true,
    stdio: ['ignore', out, out],
    env,
  });
  fs.closeSync(out);
  let ended = false;
  const exited = new Promise((resolve) => script.on('exit', () => resolve((ended = true))));
  t.after(() => {
    if (!ended) process.kill(-script.pid, 'SIGKILL');
  });
  const output = () => fs.readFileSync(outFile, 'utf8');
  return { base, prefix, site, env, script, exited, output, isEnded: () => ended };
}

// The port that the script tells to open.
async function untilServing(s) {
  await waitFor(() => s.isEnded() || /^run: Ctrl\+C ends play\.exe/m.test(s.output()), 240000);
  const address = s.output().match(/^run: open http:\/\/127\.0\.0\.1:(\d+)\/ in any browser on this machine$/m);
  assert.ok(address && !s.isEnded(), `play.exe did not come up:\n${s.output()}`);
  return Number(address[1]);
}

// Ends the script as a closed terminal does (then calls then()) and
// expects nothing of the prefix left.
async function hangUp(s, then = () => {}) {
  process.kill(s.script.pid, 'SIGHUP');
  then();
  if (!(await h.within(s.exited, 60000))) assert.fail(`run-play.sh still runs 60 s after HUP:\n${s.output()}`);
  assert.match(s.output(), /^run: play\.exe ended$/m);
  assert.ok(await waitFor(() => prefixPids(s.prefix).length === 0, 10000), `processes of the prefix left: ${prefixPids(s.prefix)}\n${s.output()}`);
}

// The bounds of the clean-up, tried with a stand-in for play.exe that
// ignores TERM, so that only the script's KILL ends it, unless the test
// lets it end by itself.
const standin = path.join(h.buildDir, 'tests', 'player', 'play_standin.exe');

test('run-play.sh kills a play.exe that ignores TERM, and then what the wine server did not end', async (t) => {
  // A Unix program that play.exe started: no client of the server, which
  // therefore does not end it.
  const s = startScript(t, {
    play: standin,
    ignoreTerm: true,
    args: (site) => {
      const linger = path.join(site, 'linger.sh');
      fs.writeFileSync(linger, '#!/bin/sh\nexec sleep 600\n', { mode: 0o755 });
      return [`/leave=${h.winPath(linger)}`];
    },
  });
  assert.equal(await untilServing(s), 9);
  const left = await waitFor(() => prefixPids(s.prefix).find((pid) => {
    try {
      return fs.readFileSync(`/proc/${pid}/cmdline`, 'latin1').startsWith('sleep\0');
    } catch {
      return false;
    }
  }), 30000);
  assert.ok(left, 'the stand-in started no program');
  await hangUp(s);
  assert.match(s.output(), new RegExp(`^run: wine processes of .* still running: .*\\b${left}\\b.* - killing them$`, 'm'));
  assert.doesNotMatch(s.output(), /survived KILL/);
});

test('run-play.sh waits for a play.exe that ends a while after TERM', async (t) => {
  let go;
  const s = startScript(t, {
    play: standin,
    ignoreTerm: true,
    args: (site) => {
      go = path.join(site, 'go');
      return [`/end-when=${h.winPath(go)}`];
    },
  });
  await untilServing(s);
  // From the signal on it ends by itself half a second later, well within
  // the wait.
  await hangUp(s, () => fs.writeFileSync(go, ''));
  assert.ok(fs.existsSync(`${go}.ended`), `play.exe was ended before it could end by itself:\n${s.output()}`);
});

test('a second run-play.sh on the prefix tells the first one\'s address and leaves it serving', async (t) => {
  const s = startScript(t);
  const port = await untilServing(s);
  const outFile = path.join(s.base, 'second.txt');
  const out = fs.openSync(outFile, 'w');
  const second = spawnSync('sh', ['scripts/run-play.sh', h.buildDir, s.prefix, s.site], { cwd: h.root, env: s.env, stdio: ['ignore', out, out], timeout: 120000 });
  fs.closeSync(out);
  const said = fs.readFileSync(outFile, 'utf8');
  assert.equal(second.status, 0, said);
  assert.match(said, new RegExp(`^run: play\\.exe of another run already serves in .*: open http://127\\.0\\.0\\.1:${port}/ in any browser`, 'm'));
  assert.equal((await h.httpGet(port, '/hello.txt')).body.toString(), 'hello', said);
  await hangUp(s);
});

// On a display play.exe asks which browser to open unless it is told; the
// CTest test js.run-play.on_display runs these under xvfb-run.
const onDisplay = { skip: !(process.env.HINTORA_ON_XVFB && process.env.DISPLAY) && 'only under xvfb-run' };

test('on a display: run-play.sh serves as without one', onDisplay, async (t) => {
  const s = startScript(t, { display: true });
  const port = await untilServing(s);
  assert.equal((await h.httpGet(port, '/hello.txt')).body.toString(), 'hello');
  await hangUp(s);
});

test('on a display: run-play.sh says what it waits for while play.exe asks, past two minutes, and serves once answered', onDisplay, async (t) => {
  const s = startScript(t, { display: true, args: () => ['/i'] });
  await waitFor(() => s.isEnded() || /waiting as long as it runs/.test(s.output()), 240000);
  assert.match(s.output(), /^run: no browser opened yet: play\.exe may be waiting for an answer in its window on display /m);
  // Longer than the two minutes that bound the wait without a display.
  await h.sleep(125000);
  assert.ok(!s.isEnded(), `run-play.sh gave up while play.exe asked:\n${s.output()}`);
  const pressOk = path.join(h.buildDir, 'tests', 'player', 'press_ok.exe');
  const r = spawnSync(h.wineRun, [s.prefix, pressOk, 'Play'], { env: s.env, stdio: 'ignore', timeout: 120000 });
  assert.equal(r.status, 0, 'no browser choice to answer');
  const port = await untilServing(s);
  assert.equal((await h.httpGet(port, '/hello.txt')).body.toString(), 'hello');
  await hangUp(s);
});
