'use strict';
// Runs play.exe under wine in a temporary content folder and talks to it.
// Not a test itself: the play-*.test.js files use it.
//
// The program's listening socket lives in the prefix's wineserver, so its
// port is learned from `ss`: the loopback ports of that wineserver that are
// new after the start. The programs run in a prefix of their own (beside the
// build's), where nothing but play.exe listens, and starts are serialised
// through a lock directory so that two programs starting cannot be confused.

const { spawn, spawnSync, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const net = require('node:net');
const http = require('node:http');

const root = path.resolve(__dirname, '..', '..');
const buildDir = process.env.HINTORA_BUILD_DIR || path.join(root, 'build', 'win64');
const prefix = process.env.HINTORA_PLAY_WINEPREFIX || (process.env.HINTORA_WINEPREFIX || path.join(buildDir, 'wineprefix')) + '-play';
const wineRun = process.env.HINTORA_WINE_RUN || path.join(root, 'cmake', 'wine-run');
const playExe = path.join(buildDir, 'player', 'play.exe');

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

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

// Creates the prefix on first use (wine-run does it under its own lock).
let prefixReady = false;
function ensurePrefix() {
  if (prefixReady) return;
  spawnSync(wineRun, [prefix, 'cmd', '/c', 'exit'], { stdio: 'ignore', timeout: 240000 });
  prefixReady = true;
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

// Starts play.exe in the site folder (cwd = the folder). With waitPort, waits
// until its listening port shows and returns it in `port`.
async function startPlay(site, args = [], { waitPort = true, timeoutMs = 90000 } = {}) {
  const launch = () => {
    const proc = spawn(wineRun, [prefix, path.join(site, 'play.exe'), ...args], {
      cwd: site,
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let output = '';
    proc.stdout.on('data', (d) => (output += d));
    proc.stderr.on('data', (d) => (output += d));
    const exited = new Promise((resolve) => proc.on('exit', (code, signal) => resolve({ code, signal })));
    let done = false;
    exited.then(() => (done = true));
    return {
      proc,
      exited,
      get running() {
        return !done;
      },
      get output() {
        return output;
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

module.exports = { makeSite, removeSite, startPlay, rawRequest, httpGet, readLog, sleep, playExe, root };
