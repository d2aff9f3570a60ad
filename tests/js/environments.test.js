'use strict';
// The 32-bit probe and the way into the sid root in the environments people
// have: caches under /var, any home or none, XDG_CACHE_HOME elsewhere,
// TMPDIR set, CDPATH exported. Every probe here gives the kernel's own
// answer (the code-segment check, built here), or stops with wine's words
// when wine itself fails; a machine without 32-bit code tries the same
// through the 64-bit twin. Each probe has a cache folder of the test's own;
// they share one wine prefix (a link in each cache), made once here.
const test = require('node:test');
const assert = require('node:assert/strict');
const { spawn, spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const h = require('./play-harness');

const root = path.resolve(__dirname, '..', '..');
const sidRoot = process.env.HINTORA_WOW64_ROOT || '/var/cache/hintora/wow64-root';
const wineRun = path.join(root, 'cmake', 'wine-run');
const wow64Exec = path.join(root, 'cmake', 'wow64-exec');
const uid = process.getuid();
// A probe makes or starts a prefix and runs two programs: minutes on a
// loaded machine, so these limits only catch a hang.
const limit = 600000;

const base = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-env-'));
const varBase = fs.mkdtempSync('/var/tmp/hintora-env-');
const prefix = path.join(base, 'prefix');
let serial = 0;
const fresh = (under) => fs.mkdtempSync(path.join(under, `c${serial++}-`));

// The environment without anything that picks a cache or a temporary folder.
// Where wine makes a prefix, its menu entries go to folders of the test's.
function env(extra) {
  const e = { ...process.env };
  for (const name of ['HOME', 'XDG_CACHE_HOME', 'HINTORA_PROBE_CACHE', 'TMPDIR', 'CDPATH']) delete e[name];
  return { ...e, XDG_CONFIG_HOME: path.join(base, 'config'), XDG_DATA_HOME: path.join(base, 'data'), ...extra };
}

function run(command, args, options) {
  const r = spawnSync(command, args, { encoding: 'utf8', timeout: limit, cwd: root, ...options });
  return { status: r.status, out: r.stdout, err: r.stderr, text: `status ${r.status}\n${r.stdout}${r.stderr}` };
}

// The probe as the commands run it, with cache folder `cache` already
// chosen by the test: the shared prefix is linked into it first.
function probe(cache, extra, options = {}) {
  fs.mkdirSync(cache, { recursive: true });
  fs.rmSync(path.join(cache, 'probe-wineprefix'), { force: true });
  fs.symlinkSync(prefix, path.join(cache, 'probe-wineprefix'));
  return run('sh', [options.script || 'scripts/probe-32bit.sh'], { env: env(extra), ...options });
}

// What the kernel says: 1 when it has the 32-bit user code segment.
let kernel32;
const expected = () => (kernel32 ? { status: 0, word: 'yes:' } : { status: 1, word: 'no:' });

function assertKernelAnswer(r, cache, what) {
  const { status, word } = expected();
  assert.equal(r.status, status, `${what}: ${r.text}`);
  const lines = r.out.split('\n').filter(Boolean);
  assert.equal(lines.length, 1, `${what}: one line: ${r.text}`);
  assert.ok(lines[0].startsWith(word), `${what}: ${r.text}`);
  const kept = fs.readFileSync(path.join(cache, 'probe-32bit.answer'), 'utf8');
  assert.equal(kept.split('\n')[1], lines[0], `${what}: the answer kept in ${cache}`);
}

// A folder of the user's own as the probe takes it in the temporary folder.
function privateFolder(tmp) {
  const folder = path.join(tmp, `hintora-${uid}`);
  fs.mkdirSync(folder, { mode: 0o700 });
  return folder;
}

test.before(() => {
  assert.ok(fs.existsSync(path.join(sidRoot, '.hintora-ready')), `no sid root at ${sidRoot} (scripts/setup.sh makes it)`);
  const segment = path.join(base, 'code-segment');
  const cc = run('cc', ['-o', segment, path.join(root, 'scripts', 'probe', 'code-segment.c')]);
  assert.equal(cc.status, 0, cc.text);
  kernel32 = run(segment, []).out.trim() === '1';
  // The prefix every probe here shares; TMPDIR unset as in the oldest way.
  const made = run(wineRun, [prefix, 'cmd', '/c', 'exit'], { env: env({ HOME: base }) });
  assert.equal(made.status, 0, made.text);
});

test.after(() => {
  run(wineRun, [prefix, '--stop'], { env: env({ HOME: base }) });
  fs.rmSync(base, { recursive: true, force: true });
  fs.rmSync(varBase, { recursive: true, force: true });
});

test('caches under /var, in a home under /var or none, and XDG_CACHE_HOME elsewhere give the kernel\'s answer', { timeout: 6 * limit }, () => {
  const own = fresh(varBase);
  assertKernelAnswer(probe(own, { HINTORA_PROBE_CACHE: own, HOME: base, TMPDIR: base }), own, 'HINTORA_PROBE_CACHE under /var/tmp');

  const home = fresh(varBase);
  const homeCache = path.join(home, '.cache', 'hintora');
  assertKernelAnswer(probe(homeCache, { HOME: home, TMPDIR: base }), homeCache, 'HOME under /var/tmp');

  const xdg = path.join(fresh(varBase), 'x');
  const xdgCache = path.join(xdg, 'hintora');
  assertKernelAnswer(probe(xdgCache, { HOME: base, XDG_CACHE_HOME: xdg, TMPDIR: base }), xdgCache, 'XDG_CACHE_HOME under /var/tmp');

  // No home of one's own: a private folder in the caller's temporary folder.
  for (const [what, home] of [['HOME=/', '/'], ['HOME unset', undefined]]) {
    const tmp = fresh(varBase);
    const cache = privateFolder(tmp);
    assertKernelAnswer(probe(cache, { TMPDIR: tmp, ...(home ? { HOME: home } : {}) }), cache, what);
  }
  // Made by the probe itself, with a prefix of its own.
  const missing = path.join(base, 'no-such-home');
  const tmp = fresh(varBase);
  const r = run('sh', ['scripts/probe-32bit.sh'], { env: env({ TMPDIR: tmp, HOME: missing }) });
  const cache = path.join(tmp, `hintora-${uid}`);
  assertKernelAnswer(r, cache, 'a HOME that does not exist');
  assert.equal(fs.statSync(cache).mode & 0o777, 0o700, 'the folder is private');
  assert.ok(!fs.existsSync(missing), 'a missing home is not made');
});

test('TMPDIR set to /tmp or to a folder of one\'s own, and CDPATH exported, change nothing', { timeout: 4 * limit }, () => {
  for (const tmp of ['/tmp', fresh(base)]) {
    const cache = fresh(base);
    assertKernelAnswer(probe(cache, { HINTORA_PROBE_CACHE: cache, HOME: base, TMPDIR: tmp }), cache, `TMPDIR=${tmp}`);
  }
  // Relative names, as the README's commands use them, are what CDPATH finds.
  const cdpath = { CDPATH: `.:${path.dirname(root)}:${root}`, HOME: base };
  const cache = fresh(base);
  assertKernelAnswer(probe(cache, { ...cdpath, HINTORA_PROBE_CACHE: cache }), cache, 'CDPATH exported');
  const twin = run('cmake/wine-run', [prefix, path.join(cache, 'probe-exit42-64.exe')], { env: env(cdpath) });
  assert.equal(twin.status, 42, `wine-run with CDPATH exported: ${twin.text}`);
});

test('a fault of ours stops the probe with what wine said and keeps no answer', { timeout: 6 * limit }, () => {
  // The prefix is no folder: wine runs nothing, 64-bit or 32-bit.
  const cache = fresh(varBase);
  fs.writeFileSync(path.join(cache, 'probe-wineprefix'), 'not a prefix');
  let r = run('sh', ['scripts/probe-32bit.sh'], { env: env({ HINTORA_PROBE_CACHE: cache, HOME: base }) });
  assert.equal(r.status, 2, r.text);
  assert.match(r.out, /^error: .*64-bit probe ended with status \d+ \(.*Not a directory.*\)\n$/, r.text);
  assert.ok(!fs.existsSync(path.join(cache, 'probe-32bit.answer')), 'a failure is not kept');
  // Mended, the next probe asks again.
  assertKernelAnswer(probe(cache, { HINTORA_PROBE_CACHE: cache, HOME: base }), cache, 'after the mend');

  // A toolchain of the test's own builds one probe as a program that ends with 1.
  const tools = fresh(base);
  const fails = path.join(tools, 'fails.c');
  fs.writeFileSync(fails, 'int main(void) { return 1; }\n');
  const wrap = (name) => {
    const real = run('sh', ['-c', `command -v ${name}`]).out.trim();
    const file = path.join(tools, name);
    fs.writeFileSync(file, `#!/bin/sh\nfor a do shift; case $a in *exit42.c) set -- "$@" '${fails}' ;; *) set -- "$@" "$a" ;; esac; done\nexec '${real}' "$@"\n`);
    fs.chmodSync(file, 0o755);
  };
  const broken = (name) => {
    fs.rmSync(path.join(tools, 'x86_64-w64-mingw32-gcc-posix'), { force: true });
    fs.rmSync(path.join(tools, 'i686-w64-mingw32-gcc-posix'), { force: true });
    wrap(name);
    const c = fresh(base);
    return { cache: c, r: probe(c, { HINTORA_PROBE_CACHE: c, HOME: base, PATH: `${tools}:${process.env.PATH}` }) };
  };
  // The twin fails: no answer at all, on any machine.
  ({ r } = broken('x86_64-w64-mingw32-gcc-posix'));
  assert.equal(r.status, 2, r.text);
  assert.match(r.out, /^error: .*64-bit probe ended with status 1 /, r.text);
  // Only the 32-bit program fails: "no" only where the kernel says so.
  const only32 = broken('i686-w64-mingw32-gcc-posix');
  if (kernel32) {
    assert.equal(only32.r.status, 2, only32.r.text);
    assert.match(only32.r.out, /^error: .*though this kernel runs 32-bit code: the 32-bit probe ended with status 1 /, only32.r.text);
    assert.ok(!fs.existsSync(path.join(only32.cache, 'probe-32bit.answer')), 'a failure is not kept');
  } else {
    assertKernelAnswer(only32.r, only32.cache, 'a 32-bit probe that fails where the kernel has no 32-bit code');
  }
});

test('a kept answer serves only this probe, of this user', { timeout: 8 * limit }, () => {
  // A copy of the probe and what it runs, changed below as a newer probe would be.
  const copy = fresh(base);
  for (const rel of ['scripts/probe-32bit.sh', 'scripts/probe/exit42.c', 'scripts/probe/code-segment.c', 'cmake/wow64-exec', 'cmake/wine-run']) {
    fs.mkdirSync(path.dirname(path.join(copy, rel)), { recursive: true });
    fs.copyFileSync(path.join(root, rel), path.join(copy, rel));
    fs.chmodSync(path.join(copy, rel), fs.statSync(path.join(root, rel)).mode);
  }
  const cache = fresh(base);
  const extra = { HINTORA_PROBE_CACHE: cache, HOME: base };
  assertKernelAnswer(probe(cache, extra, { cwd: copy }), cache, 'the copy');
  // A false answer under the same key is what the next probe tells...
  const answer = path.join(cache, 'probe-32bit.answer');
  const [key] = fs.readFileSync(answer, 'utf8').split('\n');
  const falseAnswer = kernel32 ? 'no: planted' : 'yes: planted';
  fs.writeFileSync(answer, `${key}\n${falseAnswer}\n`);
  assert.equal(probe(cache, extra, { cwd: copy }).out, `${falseAnswer}\n`, 'the kept answer is used');
  // ...but not once the probe has changed.
  fs.appendFileSync(path.join(copy, 'scripts/probe-32bit.sh'), '# another way of probing\n');
  assertKernelAnswer(probe(cache, extra, { cwd: copy }), cache, 'a changed probe');
  // Nor is a kept line that is no answer of the kernel's.
  fs.writeFileSync(answer, `${fs.readFileSync(answer, 'utf8').split('\n')[0]}\nerror: planted\n`);
  assertKernelAnswer(probe(cache, extra, { cwd: copy }), cache, 'a kept error line');

  // A folder in the temporary folder that another user could have made or
  // read, holding that false answer under the right key, is not used.
  const planted = (make) => {
    const tmp = fresh(base);
    const folder = path.join(tmp, `hintora-${uid}`);
    make(folder);
    fs.writeFileSync(path.join(folder, 'probe-32bit.answer'), `${fs.readFileSync(answer, 'utf8').split('\n')[0]}\n${falseAnswer}\n`);
    // The prefix link goes where the probe would put its one-off folder: it
    // makes its own, so only the answer is looked at.
    const r = run('sh', ['scripts/probe-32bit.sh'], { env: env({ TMPDIR: tmp, HOME: path.join(base, 'no-such-home') }), cwd: copy });
    const { status, word } = expected();
    assert.equal(r.status, status, r.text);
    assert.ok(r.out.startsWith(word), r.text);
    assert.equal(fs.readFileSync(path.join(folder, 'probe-32bit.answer'), 'utf8').split('\n')[1], falseAnswer, 'left alone');
  };
  planted((folder) => {
    fs.mkdirSync(folder);
    fs.chmodSync(folder, 0o755);
  });
  if (uid === 0) {
    planted((folder) => {
      privateFolder(path.dirname(folder));
      fs.chownSync(folder, 65534, 65534);
    });
  }
});

test('setup by an ordinary user without sudo says what is missing and the command to run as root, keeping the root it was given', () => {
  // Every command of the PATH but sudo; id says an ordinary user.
  const bin = fresh(base);
  for (const dir of process.env.PATH.split(':').filter((d) => fs.existsSync(d))) {
    for (const name of fs.readdirSync(dir).filter((n) => n !== 'sudo' && n !== 'id')) {
      try {
        fs.symlinkSync(path.join(dir, name), path.join(bin, name));
      } catch {}
    }
  }
  fs.writeFileSync(path.join(bin, 'id'), '#!/bin/sh\n[ "$1" = -u ] && echo 1000 || exec /usr/bin/id "$@"\n', { mode: 0o755 });
  const noRoot = path.join(base, 'no root');
  const r = run('sh', ['scripts/setup.sh'], { env: env({ HOME: base, PATH: bin, HINTORA_WOW64_ROOT: noRoot }) });
  assert.equal(r.status, 1, r.text);
  assert.match(r.out + r.err, new RegExp('^setup: the sid root that holds the wine is not made yet; that needs root, and there is no sudo\\. ' +
    `As root, run: HINTORA_WOW64_ROOT='${noRoot}' sh ('?)[^;']*/scripts/setup-wow64\\.sh\\1; then run this again as yourself\n$`), r.text);
});

test('wine is shown the machine\'s folders but the sid root\'s system ones, which stay unwritten', { timeout: limit }, () => {
  const inside = (args, extra = {}) => run(wow64Exec, args, { env: env({ HOME: base, ...extra }) });
  const own = fresh(varBase);
  fs.writeFileSync(path.join(own, 'file'), 'seen');
  const r = inside(['sh', '-c', 'cat "$1/file" && echo written >"$1/back" && echo "TMPDIR=${TMPDIR-none}"', 'x', own], { TMPDIR: base });
  assert.equal(r.out, 'seenTMPDIR=none\n', r.text);
  assert.equal(fs.readFileSync(path.join(own, 'back'), 'utf8'), 'written\n');

  // Without a home, the caller's own from the machine's passwd, not the one
  // the sid root's names for its root.
  const ownHome = os.userInfo().homedir;
  if (fs.existsSync(ownHome)) {
    const homeless = run(wow64Exec, ['sh', '-c', 'echo "$HOME"'], { env: env() });
    assert.equal(homeless.out, `${ownHome}\n`, homeless.text);
  }

  const tries = inside(['sh', '-c', 'for d; do touch "$d/.hintora-write-test" 2>/dev/null && rm -f "$d/.hintora-write-test" && echo "$d"; done; true', 'x', '/usr', '/etc', '/usr/lib', sidRoot, path.join(sidRoot, 'var')]);
  assert.equal(tries.status, 0, tries.text);
  assert.equal(tries.out, '', `written into the sid root: ${tries.text}`);

  // A folder the sid root hides is named before anything starts: as the
  // prefix, as an argument, or where an argument's link leads.
  const marker = path.join(own, 'started');
  const hiddenPrefix = '/usr/local/hintora-hidden-prefix';
  const refused = [inside(['sh', '-c', 'touch "$1"', 'x', marker], { WINEPREFIX: hiddenPrefix })];
  refused.push(inside(['sh', '-c', 'touch "$1"', 'x', marker, hiddenPrefix]));
  const node = fs.realpathSync(process.execPath);
  if (/^\/usr\//.test(node) && !fs.existsSync(path.join(sidRoot, node))) {
    fs.symlinkSync(node, path.join(own, 'node'));
    refused.push(inside(['sh', '-c', 'touch "$1"', 'x', marker, path.join(own, 'node')]));
  }
  for (const r of refused) {
    assert.equal(r.status, 127, r.text);
    assert.match(r.err, /^wow64-exec: .*\/usr\/\S+ lies below \/usr,/, r.text);
  }
  assert.ok(!fs.existsSync(marker), 'nothing started');
});

test('a test program that ctest runs for a caller in Turkish gets the English texts it compares', { timeout: limit }, () => {
  const tests = JSON.parse(run('ctest', ['--test-dir', process.env.HINTORA_BUILD_DIR || 'build/win32', '--show-only=json-v1']).out).tests;
  const [command, ...args] = tests.find((t) => t.name === 'ServerTest.MissingFilesAndHiddenFiles').command;
  const r = run(command, args, { env: { ...process.env, LC_ALL: 'tr_TR.UTF-8' } });
  assert.equal(r.status, 0, r.text);
});

// test.sh stopped by INT (to its group, as Ctrl+C sends it), TERM, or HUP
// with its output gone (a closed terminal), in a copy of the checkout whose
// setup, probe, build and ctest are stand-ins; that ctest runs wine programs
// in a prefix of the tree and in one of the temporary folder.
test('test.sh stopped halfway ends what its tests started and removes their folders', { timeout: 3 * limit }, async (t) => {
  const [copy, out] = [fresh(base), fresh(base)];
  const files = {
    'scripts/setup.sh': '',
    'scripts/probe-32bit.sh': 'echo "yes: a stand-in probe"',
    'scripts/build.sh': 'mkdir -p build/win32',
    'scripts/check-images.js': '',
    'scripts/ctest-summary.js': '',
    'tools/ctest': `#!/bin/sh\necho "$HINTORA_TEST_RUN" >"${out}/run"
for prefix in "$PWD/build/win32/wineprefix" "$(mktemp -d)/prefix"; do
  cmake/wine-run "$prefix" cmd /c exit && echo "$prefix" >>"${out}/prefixes"
  cmake/wine-run "$prefix" cmd /c "ping -n 1000 127.0.0.1 >nul" &
done
sleep 2 && touch "${out}/ready" && sleep 900`,
  };
  for (const rel of ['scripts/test.sh', 'cmake/wow64-exec', 'cmake/wine-run']) files[rel] = fs.readFileSync(path.join(root, rel));
  for (const [rel, text] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(copy, rel)), { recursive: true });
    fs.writeFileSync(path.join(copy, rel), text, { mode: 0o755 });
  }
  const template = path.join(path.dirname(h.prefix), '.wineprefix-template');
  const extra = { HOME: base, TMPDIR: fresh(base), PATH: `${copy}/tools:${process.env.PATH}`, HINTORA_WINEPREFIX_TEMPLATE: template };
  for (const [signal, code] of [['SIGINT', 130], ['SIGTERM', 143], ['SIGHUP', 129]]) {
    for (const f of ['prefixes', 'ready']) fs.rmSync(path.join(out, f), { force: true });
    const script = spawn('sh', ['-c', 'exec sh scripts/test.sh 2>&1'], { cwd: copy, detached: true, env: env(extra) });
    let text = '';
    script.stdout.on('data', (d) => (text += d));
    const exited = new Promise((resolve) => script.on('exit', (c, s) => resolve(c ?? s)));
    for (let i = 0; i < 2400 && !fs.existsSync(path.join(out, 'ready')); i++) await h.sleep(100);
    const mark = fs.readFileSync(path.join(out, 'run'), 'utf8').trim();
    const prefixes = fs.readFileSync(path.join(out, 'prefixes'), 'utf8').trim().split('\n');
    // What a round that fails leaves.
    t.after(() => {
      for (const p of prefixes) run(wineRun, [p, '--stop'], { env: env(extra) });
      for (const p of h.processesWith([`HINTORA_TEST_RUN=${mark}`])) run('kill', ['-KILL', String(p.pid)]);
    });
    const folders = [mark, ...prefixes.map((p) => h.serverFolder(p))];
    if (signal === 'SIGTERM') {
      // A second run in the checkout waits, and ending it while it waits
      // ends nothing of the first.
      const second = run('timeout', ['10', 'sh', 'scripts/test.sh'], { cwd: copy, env: env(extra) });
      assert.match(second.out, /^test: another run of the tests is going on in this checkout; waiting for it to end$/m, second.text);
      assert.notDeepEqual(h.processesWith([`WINEPREFIX=${prefixes[0]}`]), [], `the second run ended the first's:\n${second.text}`);
    }
    if (signal === 'SIGHUP') script.stdout.destroy();
    process.kill(signal === 'SIGINT' ? -script.pid : script.pid, signal);
    const status = await h.within(exited, 120000);
    assert.equal(status, code, `${signal}: test.sh ended with ${status ?? 'nothing in 120 s'}:\n${text}`);
    assert.deepEqual(h.processesWith([`HINTORA_TEST_RUN=${mark}`]), [], `${signal}: left running:\n${text}`);
    assert.deepEqual(folders.filter((f) => fs.existsSync(f)), [], `${signal}: left:\n${text}`);
    if (signal !== 'SIGHUP') assert.match(text, new RegExp(`^test: ${signal.slice(3)}: the tests were ended, the servers of 2 wine`, 'm'));
  }
});
