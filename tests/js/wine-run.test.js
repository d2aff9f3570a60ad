'use strict';
// cmake/wine-run's own promises: a prefix made from the tree's template
// shares its big files and not the ones wine writes, nor any once another
// wine is to update it, --stop neither reports a server as ended nor
// removes its folder while one still runs, a server ends by itself after
// its last program and keeps its desktop until then, and one of another sid
// root is named as such.
// Started as the scripts start it, through a relative path, with CDPATH
// exported.
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const h = require('./play-harness');

const template = path.join(path.dirname(h.prefix), '.wineprefix-template');
const env = h.playEnv({ CDPATH: '.:/', HINTORA_WINEPREFIX_TEMPLATE: template });

// wineRun([EXTRA_ENV,] ARGS...)
function wineRun(...args) {
  const extra = typeof args[0] === 'object' ? args.shift() : {};
  return spawnSync('cmake/wine-run', args, { cwd: h.root, env: { ...env, ...extra }, encoding: 'utf8', timeout: 240000 });
}

// The wineservers of a prefix: they work in a folder named after the
// prefix's device and inode.
function serversOf(prefix) {
  const st = fs.statSync(prefix);
  const name = `server-${st.dev.toString(16)}-${st.ino.toString(16)}`;
  const found = [];
  for (const pid of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(pid)) continue;
    try {
      if (fs.readFileSync(`/proc/${pid}/comm`, 'utf8').trim() !== 'wineserver') continue;
      const cwd = fs.readlinkSync(`/proc/${pid}/cwd`);
      if (path.basename(cwd) === name) found.push({ pid: Number(pid), folder: cwd });
    } catch {}
  }
  return found;
}

function makePrefix(t, extra = {}) {
  const base = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-wine-run-'));
  const prefix = path.join(base, 'prefix');
  t.after(() => {
    for (const s of serversOf(prefix)) {
      try {
        process.kill(s.pid, 'SIGCONT');
      } catch {}
    }
    wineRun(prefix, '--stop');
    fs.rmSync(base, { recursive: true, force: true });
  });
  const r = wineRun(extra, prefix, 'cmd', '/c', 'echo', 'ready');
  assert.equal(r.status, 0, `${r.stdout}${r.stderr}`);
  assert.match(r.stdout, /ready/);
  return prefix;
}

test('a new prefix shares the template\'s programs, not its registry', (t) => {
  const prefix = makePrefix(t);
  const dll = 'drive_c/windows/system32/kernel32.dll';
  const linked = (rel) => fs.statSync(path.join(prefix, rel)).ino === fs.statSync(path.join(template, rel)).ino;
  // Where the temporary folder lies on another file system, the prefix is
  // made on its own and shares nothing.
  if (fs.statSync(prefix).dev === fs.statSync(template).dev) assert.ok(linked(dll), `${dll} is not shared`);
  for (const rel of ['system.reg', 'user.reg', 'userdef.reg', '.update-timestamp']) assert.ok(!linked(rel), `${rel} is shared`);
  // The server's folder is the prefix's own.
  assert.ok(!fs.existsSync(path.join(template, 'wineserver')));
});

test('a prefix made by another wine gets files of its own before wine updates it', (t) => {
  const prefix = makePrefix(t);
  // Named relative to the working folder, as a person may name it.
  const relative = path.relative(h.root, prefix);
  assert.equal(wineRun(relative, '--stop').status, 0);
  // Wine updates a prefix whose stamp is not its own wine.inf's, writing into
  // the DLLs it copied in.
  fs.writeFileSync(path.join(prefix, '.update-timestamp'), '1000000000\r\n');
  const r = wineRun(relative, 'cmd', '/c', 'echo', 'updated');
  assert.match(r.stdout, /updated/);
  assert.notEqual(fs.readFileSync(path.join(prefix, '.update-timestamp'), 'latin1'), '1000000000\r\n', 'wine did not update the prefix');
  // Its files, without following the links to / and the home.
  const shared = [];
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      const full = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(full);
      else if (entry.isFile() && fs.statSync(full).nlink > 1) shared.push(full);
    }
  };
  walk(prefix);
  assert.deepEqual(shared.slice(0, 5), [], `${shared.length} files still shared with the template`);
});

// wineserver -k wakes a stopped server itself (it sends SIGCONT after its
// signal), so the server that does not end is a stand-in: a stopped process
// named wineserver in the server's folder, which -k does not reach, ended
// by the test afterwards.
test('wine-run --stop keeps a server that is still there and its folder, and ends once it is gone', async (t) => {
  const prefix = makePrefix(t);
  assert.equal(serversOf(prefix).length, 1);
  const folder = h.serverFolder(prefix);
  assert.ok(fs.existsSync(path.join(folder, 'socket')), folder);

  const fake = path.join(path.dirname(prefix), 'wineserver');
  fs.copyFileSync(spawnSync('sh', ['-c', 'command -v sleep'], { encoding: 'utf8' }).stdout.trim(), fake);
  fs.chmodSync(fake, 0o755);
  const stuck = spawn(fake, ['600'], { cwd: folder, stdio: 'ignore' });
  const gone = new Promise((resolve) => stuck.on('exit', () => resolve(true)));
  process.kill(stuck.pid, 'SIGSTOP');
  t.after(() => stuck.kill('SIGKILL'));
  const state = () => {
    try {
      return fs.readFileSync(`/proc/${stuck.pid}/status`, 'utf8').match(/^State:.*$/m)[0];
    } catch {
      return 'gone';
    }
  };
  try {
    const stopped = wineRun(prefix, '--stop');
    assert.equal(stopped.status, 1, `a server still there (${state()}) was reported as ended`);
    assert.ok(fs.existsSync(folder), 'the folder of a server still there was removed');
    assert.ok(fs.existsSync(path.join(prefix, 'system.reg')));
  } finally {
    process.kill(stuck.pid, 'SIGCONT');
    stuck.kill('SIGTERM');
  }
  assert.ok(await h.within(gone, 60000), 'the stand-in did not end');
  const r = wineRun(prefix, '--stop');
  assert.equal(r.status, 0, `${r.stdout}${r.stderr}`);
  assert.deepEqual(serversOf(prefix), []);
  assert.ok(!fs.existsSync(folder), `${folder} is left`);
});

test('a server ends by itself after its last program, keeping its desktop until then', async (t) => {
  const prefix = makePrefix(t, { HINTORA_WINESERVER_IDLE: '10' });
  const folder = h.serverFolder(prefix);
  const running = () => h.processesWith([`WINEPREFIX=${prefix}`]);
  // Wine ends a desktop a second after its last program, and a program that
  // starts then can make no window.
  await h.sleep(3000);
  const desktop = running().some((p) => p.name === 'explorer.exe');
  if (serversOf(prefix).length) assert.ok(desktop, 'the desktop ended before its server');
  for (let i = 0; i < 1200 && (running().length || fs.existsSync(folder)); i++) await h.sleep(100);
  assert.deepEqual(running(), [], 'still running 120 s after the last program');
  assert.ok(!fs.existsSync(folder), `${folder} is left`);
  // A program that runs longer than the idle time keeps its server.
  const r = wineRun({ HINTORA_WINESERVER_IDLE: '2' }, prefix, 'cmd', '/c', 'ping -n 9 127.0.0.1 >nul & echo done');
  assert.match(r.stdout, /done/, `status ${r.status}: ${r.stderr}`);
});

test('a server of another sid root is named, with its root and what to do', (t) => {
  const prefix = makePrefix(t);
  const sidRoot = fs.realpathSync(process.env.HINTORA_WOW64_ROOT || '/var/cache/hintora/wow64-root');
  const other = path.join(path.dirname(prefix), 'other-root');
  fs.mkdirSync(other);
  for (const entry of fs.readdirSync(sidRoot)) fs.symlinkSync(path.join(sidRoot, entry), path.join(other, entry));
  const r = wineRun({ HINTORA_WOW64_ROOT: other }, prefix, 'cmd', '/c', 'exit');
  assert.equal(r.status, 127, r.stderr);
  assert.ok(r.stderr.includes(`server of ${prefix} runs under the sid root ${sidRoot}, not under ${fs.realpathSync(other)}`), r.stderr);
  assert.ok(r.stderr.includes(`HINTORA_WOW64_ROOT=${sidRoot} ${h.root}/cmake/wine-run ${prefix} --stop`), r.stderr);
});
