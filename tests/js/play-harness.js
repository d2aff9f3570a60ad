'use strict';
// Runs play.exe under wine in a temporary content folder and talks to it.
// Not a test itself: the play-*.test.js files use it.
//
// The prefix's browser keys (Internet Explorer's App Paths, Firefox, Safari)
// name browser_recorder.exe of the build, so no real browser starts: the
// recorder appends the command line it was given to the file that
// HINTORA_RECORDER_OUT names, one file per start. The program's port is read
// from the address handed to the browser. Programs that launch no browser are
// found through `ss` instead: the loopback ports of the prefix's wineserver
// that are new after the start, with starts serialised through a lock
// directory so that two programs starting cannot be confused.

const { spawn, spawnSync, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const net = require('node:net');
const http = require('node:http');
const { imageBits } = require('./image-bits');

const root = path.resolve(__dirname, '..', '..');
const buildDir = process.env.HINTORA_BUILD_DIR || path.join(root, 'build', 'win32');
const prefix = process.env.HINTORA_PLAY_WINEPREFIX || (process.env.HINTORA_WINEPREFIX || path.join(buildDir, 'wineprefix')) + '-play';
const wineRun = process.env.HINTORA_WINE_RUN || path.join(root, 'cmake', 'wine-run');
const playExe = path.join(buildDir, 'player', 'play.exe');
const recorderExe = path.join(buildDir, 'tests', 'player', 'browser_recorder.exe');

// A Unix path as wine's Z: drive shows it.
const winPath = (p) => 'Z:' + path.resolve(p).replace(/\//g, '\\');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The promise's value, or null when it has not settled after ms. The timer is
// cleared either way, so that no pending timer keeps the test file running.
function within(promise, ms) {
  let timer;
  const timeout = new Promise((r) => (timer = setTimeout(() => r(null), ms)));
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

// Makes <tmp>/<name>/site with play.exe and the given files ({relative: content},
// a content of null makes a folder). Returns { base, site }.
function makeSite(files = {}) {
  const base = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-play-'));
  const site = path.join(base, 'site');
  fs.mkdirSync(site);
  fs.copyFileSync(playExe, path.join(site, 'play.exe'));
  for (const [rel, content] of Object.entries(files)) {
    const full = path.join(site, rel);
    if (content === null) {
      fs.mkdirSync(full, { recursive: true });
    } else {
      fs.mkdirSync(path.dirname(full), { recursive: true });
      fs.writeFileSync(full, content);
    }
  }
  return { base, site };
}

function removeSite(s) {
  fs.rmSync(s.base, { recursive: true, force: true });
}

// The wineserver of our prefix works in a folder named server-DEV-INO (hex)
// after the prefix's device and inode.
function serverDirName() {
  const st = fs.statSync(prefix);
  return `server-${st.dev.toString(16)}-${st.ino.toString(16)}`;
}

// Where the server of any prefix works: the folder that the prefix's
// wineserver file names, in /tmp, then one named after the prefix.
function serverFolder(prefix) {
  const st = fs.statSync(prefix);
  const servers = fs.readFileSync(path.join(prefix, 'wineserver'), 'utf8').trim();
  return path.join('/tmp', servers, `server-${st.dev.toString(16)}-${st.ino.toString(16)}`);
}

// The processes that have one of the lines in their environment, by name.
function processesWith(lines) {
  const found = [];
  for (const pid of fs.readdirSync('/proc').filter((p) => /^\d+$/.test(p))) {
    try {
      if (fs.readFileSync(`/proc/${pid}/environ`, 'latin1').split('\0').some((l) => lines.includes(l))) {
        found.push({ pid: Number(pid), name: fs.readFileSync(`/proc/${pid}/comm`, 'utf8').trim() });
      }
    } catch {}
  }
  return found;
}

function loopbackPortsOfPrefix() {
  let out = '';
  try {
    out = execFileSync('ss', ['-ltnpH'], { encoding: 'utf8' });
  } catch {
    return new Set();
  }
  const want = serverDirName();
  const ports = new Set();
  const cwdOf = new Map();
  for (const line of out.split('\n')) {
    const m = line.match(/127\.0\.0\.1:(\d+)\s.*pid=(\d+)/);
    if (!m) continue;
    const pid = m[2];
    if (!cwdOf.has(pid)) {
      try {
        cwdOf.set(pid, path.basename(fs.readlinkSync(`/proc/${pid}/cwd`)));
      } catch {
        cwdOf.set(pid, '');
      }
    }
    if (cwdOf.get(pid) === want) ports.add(Number(m[1]));
  }
  return ports;
}

// Creates the prefix on first use (wine-run does it under its own lock) and
// points its browser keys at the recorder. Every test file does this once;
// the writes are the same each time.
let prefixReady = false;
function ensurePrefix() {
  if (prefixReady) return;
  const exe = winPath(recorderExe).replace(/\\/g, '\\\\');
  const reg = [
    'Windows Registry Editor Version 5.00',
    '',
    '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE]',
    `@="${exe}"`,
    '',
    '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mozilla\\Mozilla Firefox]',
    '"CurrentVersion"="1.0 (test)"',
    '',
    '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Mozilla\\Mozilla Firefox\\1.0 (test)\\Main]',
    `"PathToExe"="${exe}"`,
    '',
    // Through a "." step, so that the started process never shows under the
    // name the program searches for. A 32-bit player must find it in the
    // 32-bit view, where a 32-bit browser registers on 64-bit Windows (Firefox
    // is in the native view); a 64-bit player looks in the native view only.
    `[HKEY_LOCAL_MACHINE\\SOFTWARE\\${imageBits(playExe) === 32 ? 'Wow6432Node\\' : ''}Apple Computer, Inc.\\Safari]`,
    `"BrowserExe"="${exe.replace(/\\\\browser_recorder\.exe$/, '\\\\.\\\\browser_recorder.exe')}"`,
    '',
  ].join('\r\n');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-reg-'));
  try {
    const file = path.join(dir, 'browsers.reg');
    // UTF-16 with its byte-order mark, as regedit writes: read otherwise, the
    // file's text is taken in the ANSI code page, and a path with a letter
    // beyond it names no program.
    fs.writeFileSync(file, Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(reg, 'utf16le')]));
    const r = spawnSync(wineRun, [prefix, 'regedit', '/S', winPath(file)], { stdio: 'ignore', env: playEnv(), timeout: 240000 });
    if (r.status !== 0) throw new Error(`could not set the prefix's browser keys (${r.status ?? r.error})`);
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
  prefixReady = true;
}

// No display: the browser dialog must never wait for a click in a test.
// English (wine's language comes from LC_ALL), unless extra names another.
function playEnv(extra = {}) {
  const env = { ...process.env, LC_ALL: 'C', ...extra };
  delete env.DISPLAY;
  delete env.WAYLAND_DISPLAY;
  return env;
}

async function withStartLock(fn) {
  const lock = `${prefix}.play-start.lock`;
  for (;;) {
    try {
      fs.mkdirSync(lock);
      break;
    } catch (e) {
      if (e.code !== 'EEXIST') throw e;
      try {
        if (Date.now() - fs.statSync(lock).mtimeMs > 90000) fs.rmdirSync(lock);
      } catch {}
      await sleep(100);
    }
  }
  try {
    return await fn();
  } finally {
    fs.rmdirSync(lock);
  }
}

let starts = 0;

// Starts play.exe in the site folder (cwd = the folder). Its output goes to a
// file, so that no pipe of ours outlives it in a process it starts.
// waitPort: 'browser' (the default; true means the same) waits until the
// recorder shows the address handed to the browser, 'ss' waits until the
// listening port shows in `ss`, false does not wait. The port is in `port`;
// `browserLines` reads the recorder's lines of this start.
async function startPlay(site, args = [], { waitPort = 'browser', timeoutMs = 90000, env = {} } = {}) {
  const n = ++starts;
  const base = path.dirname(site);
  const browserFile = path.join(base, `browser-${process.pid}-${n}.txt`);
  const outFile = path.join(base, `output-${process.pid}-${n}.txt`);
  const launch = () => {
    const out = fs.openSync(outFile, 'w');
    let proc;
    try {
      proc = spawn(wineRun, [prefix, path.join(site, 'play.exe'), ...args], {
        cwd: site,
        stdio: ['ignore', out, out],
        env: playEnv({ HINTORA_RECORDER_OUT: winPath(browserFile), ...env }),
      });
    } finally {
      fs.closeSync(out);
    }
    const startedAt = Date.now();
    const exited = new Promise((resolve) => {
      proc.on('exit', (code, signal) => resolve({ code, signal, afterMs: Date.now() - startedAt }));
      proc.on('error', (error) => resolve({ code: null, signal: null, error, afterMs: Date.now() - startedAt }));
    });
    let done = false;
    exited.then(() => (done = true));
    return {
      proc,
      exited,
      browserFile,
      get running() {
        return !done;
      },
      get output() {
        try {
          return fs.readFileSync(outFile, 'utf8');
        } catch {
          return '';
        }
      },
      browserLines() {
        try {
          return fs.readFileSync(browserFile, 'utf8').split('\n').filter(Boolean);
        } catch {
          return [];
        }
      },
      port: 0,
      async stop() {
        if (!done) proc.kill('SIGKILL');
        await exited;
      },
    };
  };
  ensurePrefix();
  if (!waitPort) return launch();
  if (waitPort !== 'ss') {
    const p = launch();
    const deadline = Date.now() + timeoutMs;
    while (Date.now() < deadline && p.running) {
      for (const line of p.browserLines()) {
        const m = line.match(/ http:\/\/(?:localhost|127\.0\.0\.1):(\d+)\//);
        if (m) {
          p.port = Number(m[1]);
          return p;
        }
      }
      await sleep(50);
    }
    const ran = p.running ? 'still running' : await p.exited;
    await p.stop();
    // How it ended tells a crash or a failed launch from the idle rule.
    throw new Error(`play.exe started no browser (${JSON.stringify(ran)}): ${p.output}${readLog(site) || ''}`);
  }
  return withStartLock(async () => {
    const before = loopbackPortsOfPrefix();
    const p = launch();
    const deadline = Date.now() + timeoutMs;
    while (Date.now() < deadline && p.running) {
      const fresh = [...loopbackPortsOfPrefix()].filter((x) => !before.has(x));
      if (fresh.length === 1) {
        p.port = fresh[0];
        return p;
      }
      await sleep(100);
    }
    await p.stop();
    throw new Error(`play.exe did not start listening: ${p.output}`);
  });
}

// Raw exchange: sends the bytes (Buffer or string, or an array of pieces sent
// with a pause between them), optionally half-closes, and collects everything
// until the server closes. Resolves { raw, status, headers, body, ended }.
function rawRequest(port, data, { halfClose = false, pauseMs = 20, timeoutMs = 20000 } = {}) {
  return new Promise((resolve, reject) => {
    const chunks = [];
    const sock = net.connect(port, '127.0.0.1');
    let timer = setTimeout(() => {
      sock.destroy();
      resolve(parse(Buffer.concat(chunks), false));
    }, timeoutMs);
    sock.on('data', (d) => chunks.push(d));
    sock.on('error', (e) => {
      clearTimeout(timer);
      if (e.code === 'ECONNRESET') resolve(parse(Buffer.concat(chunks), true, true));
      else reject(e);
    });
    sock.on('end', () => {
      clearTimeout(timer);
      resolve(parse(Buffer.concat(chunks), true));
    });
    sock.on('connect', async () => {
      const pieces = Array.isArray(data) ? data : [data];
      for (let i = 0; i < pieces.length; i++) {
        if (i) await sleep(pauseMs);
        if (!sock.destroyed) sock.write(pieces[i]);
      }
      if (halfClose) sock.end();
    });
  });
}

function parse(raw, ended, reset = false) {
  const sep = raw.indexOf('\r\n\r\n');
  const head = (sep < 0 ? raw : raw.subarray(0, sep)).toString('latin1');
  const lines = head.split('\r\n');
  const headers = {};
  for (const line of lines.slice(1)) {
    const i = line.indexOf(': ');
    if (i > 0) headers[line.slice(0, i)] = line.slice(i + 2);
  }
  return {
    raw,
    ended,
    reset,
    status: lines[0] || '',
    headerNames: lines.slice(1).map((l) => l.slice(0, l.indexOf(':'))),
    headers,
    body: sep < 0 ? Buffer.alloc(0) : raw.subarray(sep + 4),
  };
}

// node's own HTTP client (no agent, no keep-alive).
function httpGet(port, urlPath, { method = 'GET', headers = {} } = {}) {
  return new Promise((resolve, reject) => {
    const req = http.request({ host: '127.0.0.1', port, path: urlPath, method, headers, agent: false }, (res) => {
      const chunks = [];
      res.on('data', (d) => chunks.push(d));
      res.on('end', () => resolve({ status: res.statusCode, statusMessage: res.statusMessage, headers: res.headers, body: Buffer.concat(chunks) }));
      res.on('error', reject);
    });
    req.on('error', reject);
    req.end();
  });
}

function readLog(site) {
  const file = path.join(site, 'play.exe.log');
  return fs.existsSync(file) ? fs.readFileSync(file, 'latin1') : null;
}

// Reads a file on fresh connections, one after another, in a process of its
// own (argv: port, path, cut, ms, expected length, most): cut > 0 closes
// after that many bytes, as a browser does when a video is sought. Prints
// the connections, those closed before any byte came and those cut short.
const FRESH_READER = `
const net = require('node:net');
const [port, urlPath, cut, ms, length, most] = process.argv.slice(1).map((a, i) => (i === 1 ? a : Number(a)));
const until = Date.now() + ms;
const seen = { count: 0, empty: 0, short: 0 };
const one = () => new Promise((resolve) => {
  let bytes = 0;
  const sock = net.connect(port, '127.0.0.1', () => sock.write('GET ' + urlPath + ' HTTP/1.1\\r\\nHost: 127.0.0.1:' + port + '\\r\\n\\r\\n'));
  const timer = setTimeout(() => sock.destroy(), 20000);
  sock.on('data', (d) => { bytes += d.length; if (cut && bytes >= cut) sock.destroy(); });
  sock.on('error', () => {});
  sock.on('close', () => {
    clearTimeout(timer);
    seen.count++;
    if (!bytes) seen.empty++;
    else if (bytes < (cut || length)) seen.short++;
    resolve();
  });
});
(async () => {
  for (let i = 0; i < most && Date.now() < until; i++) await one();
  process.stdout.write(JSON.stringify(seen));
})();
`;

function freshReader(port, urlPath, cut, ms, length, most) {
  return new Promise((resolve) => {
    const child = spawn(process.execPath, ['-e', FRESH_READER, String(port), urlPath, String(cut), String(ms), String(length), String(most)], {
      stdio: ['ignore', 'pipe', 'inherit'],
    });
    let out = '';
    child.stdout.on('data', (d) => (out += d));
    child.on('close', () => {
      try {
        resolve(JSON.parse(out));
      } catch {
        resolve({ count: 0, empty: 0, short: 0, failed: out });
      }
    });
  });
}

// One reader that closes after 64 KB and one that reads the whole file, each
// on fresh connections for `ms`, with a busy loop on every CPU: a busy
// machine lets the server's notifications queue up behind the connections
// they were for. The loops and the readers end by themselves.
async function readersUnderLoad(port, urlPath, length, ms, most = Infinity) {
  const loops = os.cpus().map(() =>
    spawn(process.execPath, ['-e', `const end = Date.now() + ${ms}; while (Date.now() < end);`], { stdio: 'ignore' }));
  try {
    const [cut, whole] = await Promise.all([
      freshReader(port, urlPath, 65536, ms, length, most),
      freshReader(port, urlPath, 0, ms, length, most),
    ]);
    return { cut, whole, loops: loops.length };
  } finally {
    for (const l of loops) l.kill();
  }
}

module.exports = { serverFolder, processesWith, makeSite, removeSite, startPlay, rawRequest, parseAnswer: parse, httpGet, readLog, sleep, within, playExe, recorderExe, winPath, root, prefix, wineRun, buildDir, playEnv, readersUnderLoad };
