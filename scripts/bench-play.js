'use strict';
// Throughput of the shipped 32-bit play.exe under wine, side by side in one
// run with
//  - a minimal blocking Winsock server built from scripts/bench/winsock-ref.c
//    for the same machine kind and run in the same wine prefix: what wine
//    allows a file server;
//  - python3 -m http.server on the same files;
//  - the 64-bit play.exe and the 64-bit reference, in the same prefix too.
// A 50 MB download (curl, MB/s) and a 10 KB file at concurrency 8 with one
// request per connection (a raw-socket client in child processes,
// requests/s). Rounds are interleaved, the table shows medians and the
// ratios play/reference (50 MB) and play/python (10 KB) of each build. Then,
// for each play.exe, the connections closed without an answer while readers
// that close after 64 KB of a 3 MB file and readers of all of it take fresh
// connections with every CPU busy (there should be none). Not a
// test; builds build/win32 and build/win64 when a program is missing. Where
// the kernel runs no 32-bit code, only the 64-bit builds are measured, and
// the output says so.
//   node scripts/bench-play.js [rounds] [seconds-per-10KB-run] [--play PATH] [--against PATH]
// --play measures another 32-bit build of play.exe; --against runs a second
// one (say, from before a change) beside it in the same rounds.
const { spawn, spawnSync, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const net = require('node:net');
const path = require('node:path');

const CONCURRENCY = 8;
const SMALL = 10 * 1024;
const LARGE = 50 * 1024 * 1024;

// --- the 10 KB client ----------------------------------------------------
// Runs in a child process (node bench-play.js --client PORT PATH CONC MS),
// so that several can share the load when we check that the client is not
// what limits the rate. Prints the number of complete answers and the time.
function runClient([port, urlPath, conc, ms]) {
  const request = Buffer.from(`GET ${urlPath} HTTP/1.1\r\nHost: 127.0.0.1:${port}\r\nConnection: close\r\n\r\n`);
  const end = Date.now() + Number(ms);
  let count = 0;
  let failures = 0;
  const one = () =>
    new Promise((resolve) => {
      let bytes = 0;
      let ok = null;
      const s = net.connect(Number(port), '127.0.0.1', () => s.write(request));
      s.on('data', (d) => {
        if (ok === null) ok = /^HTTP\/1\.[01] 200 /.test(d.subarray(0, 13).toString('latin1'));
        bytes += d.length;
      });
      s.on('error', () => {});
      s.on('close', () => {
        if (ok && bytes > SMALL) count++;
        else failures++;
        resolve();
      });
    });
  const start = Date.now();
  Promise.all(
    Array.from({ length: Number(conc) }, async () => {
      while (Date.now() < end) await one();
    }),
  ).then(() => {
    process.stdout.write(JSON.stringify({ count, failures, seconds: (Date.now() - start) / 1000 }));
  });
}

if (process.argv[2] === '--client') {
  runClient(process.argv.slice(3));
  return;
}

const root = path.resolve(__dirname, '..');
const win32 = path.join(root, 'build', 'win32');
const win64 = path.join(root, 'build', 'win64');
const probe = spawnSync('sh', [path.join(root, 'scripts', 'probe-32bit.sh')], { encoding: 'utf8' });
if (probe.status !== 0 && probe.status !== 1) throw new Error(probe.stdout || probe.stderr);
const can32 = probe.status === 0;
// The harness's prefix and browser recorder are those of the 32-bit build,
// or of the 64-bit one where 32-bit code cannot run.
process.env.HINTORA_BUILD_DIR = process.env.HINTORA_BUILD_DIR || (can32 ? win32 : win64);
const h = require('../tests/js/play-harness');

const OPTIONS = ['--play', '--against'];
const positional = process.argv.slice(2).filter((a, i, all) => !OPTIONS.includes(a) && !OPTIONS.includes(all[i - 1]));
const rounds = Number(positional[0] || 5);
const seconds = Number(positional[1] || 4);
const option = (name) => {
  const at = process.argv.indexOf(name);
  return at > 0 ? path.resolve(process.argv[at + 1]) : null;
};
const playExe = option('--play') || h.playExe;
const play64Exe = path.join(win64, 'player', 'play.exe');
const againstExe = option('--against');

const median = (xs) => {
  const s = [...xs].sort((a, b) => a - b);
  return s.length % 2 ? s[(s.length - 1) / 2] : (s[s.length / 2 - 1] + s[s.length / 2]) / 2;
};

function clientProcess(port, urlPath, conc, ms) {
  return new Promise((resolve, reject) => {
    const child = spawn(process.execPath, [__filename, '--client', String(port), urlPath, String(conc), String(ms)], {
      stdio: ['ignore', 'pipe', 'inherit'],
    });
    let out = '';
    child.stdout.on('data', (d) => (out += d));
    child.on('exit', (code) => (code === 0 ? resolve(JSON.parse(out)) : reject(new Error(`client failed (${code})`))));
  });
}

// Requests per second of `processes` clients that share CONCURRENCY.
async function requestsPerSecond(port, processes = 1) {
  const results = await Promise.all(
    Array.from({ length: processes }, () => clientProcess(port, '/small.bin', CONCURRENCY / processes, seconds * 1000)),
  );
  const failures = results.reduce((n, r) => n + r.failures, 0);
  if (failures) throw new Error(`${failures} failed 10 KB requests on port ${port}`);
  return results.reduce((n, r) => n + r.count / r.seconds, 0);
}

// Early-closing and whole readers of the 3 MB file with every CPU busy:
// connections closed with no answer at all.
const MIX_MS = 20000;
const BIG = 3 * 1024 * 1024;

// One 50 MB download by curl; MB/s from curl's own transfer time.
function megabytesPerSecond(port) {
  const out = execFileSync('curl', ['-s', '-o', '/dev/null', '-w', '%{http_code} %{size_download} %{time_total}',
    `http://127.0.0.1:${port}/large.bin`], { encoding: 'utf8' });
  const [code, size, time] = out.trim().split(' ');
  if (code !== '200' || Number(size) !== LARGE) throw new Error(`50 MB download from port ${port}: ${out}`);
  return Number(size) / (1024 * 1024) / Number(time);
}

function freePort() {
  return new Promise((resolve) => {
    const s = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

async function waitForPort(port, name) {
  for (let i = 0; i < 300; i++) {
    try {
      await new Promise((resolve, reject) => {
        const s = net.connect(port, '127.0.0.1', () => s.end(resolve));
        s.on('error', reject);
      });
      return;
    } catch {
      await h.sleep(100);
    }
  }
  throw new Error(`${name} did not start`);
}

// Builds the reference server for one machine kind (the compiler's prefix,
// i686 or x86_64) into that build's tree, when its source is newer than the
// program.
function buildReference(machine, buildDir) {
  const source = path.join(__dirname, 'bench', 'winsock-ref.c');
  const exe = path.join(buildDir, 'bench', 'winsock-ref.exe');
  if (!fs.existsSync(exe) || fs.statSync(exe).mtimeMs < fs.statSync(source).mtimeMs) {
    fs.mkdirSync(path.dirname(exe), { recursive: true });
    const r = spawnSync(`${machine}-w64-mingw32-gcc`, ['-O2', '-static', '-o', exe, source, '-lws2_32'], { stdio: 'inherit' });
    if (r.status !== 0) throw new Error(`could not build the ${machine} reference server`);
  }
  return exe;
}

function table(header, rows) {
  const widths = header.map((t, i) => Math.max(t.length, ...rows.map((r) => r[i].length)));
  const line = (cells) => cells.map((c, i) => (i ? c.padStart(widths[i]) : c.padEnd(widths[i]))).join('  ');
  return [line(header), ...rows.map(line)].join('\n');
}

// Builds both trees (the 32-bit one with the tests, whose recorder the
// harness needs) when a program of either is missing.
function ensureBuilds() {
  const needed = [h.playExe, h.recorderExe, play64Exe, path.join(win32, 'player', 'play.exe')];
  if (needed.every((f) => fs.existsSync(f))) return;
  process.stderr.write('building build/win32 and build/win64\n');
  const r = spawnSync('sh', [path.join(root, 'scripts', 'build.sh'), 'win64'], { stdio: 'inherit' });
  if (r.status !== 0) throw new Error('the build failed');
}

async function main() {
  ensureBuilds();
  for (const exe of [playExe, againstExe].filter(Boolean))
    if (!fs.existsSync(exe)) throw new Error(`build first: ${exe} is missing`);
  const ref32Exe = can32 ? buildReference('i686', win32) : null;
  const ref64Exe = buildReference('x86_64', win64);
  const files = { 'small.bin': Buffer.alloc(SMALL, 's'), 'large.bin': Buffer.alloc(LARGE, 'l'),
    'big.bin': Buffer.alloc(BIG, 'b') };
  const site = h.makeSite(files);
  if (playExe !== h.playExe || !can32) fs.copyFileSync(can32 ? playExe : play64Exe, path.join(site.site, 'play.exe'));
  const site64 = h.makeSite(files);
  fs.copyFileSync(play64Exe, path.join(site64.site, 'play.exe'));
  const otherSite = againstExe ? h.makeSite(files) : null;
  if (otherSite) fs.copyFileSync(againstExe, path.join(otherSite.site, 'play.exe'));
  const refs = [];
  let play, play64, other, python;
  try {
    if (can32) play = await h.startPlay(site.site, []);
    play64 = await h.startPlay(site64.site, []);
    if (otherSite) other = await h.startPlay(otherSite.site, []);
    const startReference = async (exe, name) => {
      const port = await freePort();
      refs.push(spawn(h.wineRun, [h.prefix, exe, String(port), h.winPath(site.site)], { stdio: 'ignore', env: h.playEnv() }));
      await waitForPort(port, name);
      return port;
    };
    const ref32Port = can32 ? await startReference(ref32Exe, 'the 32-bit reference server') : null;
    const ref64Port = await startReference(ref64Exe, 'the 64-bit reference server');
    const pyPort = await freePort();
    python = spawn('python3', ['-m', 'http.server', String(pyPort), '--bind', '127.0.0.1'], { cwd: site.site, stdio: 'ignore' });
    await waitForPort(pyPort, 'python3 http.server');

    const p32 = can32 ? { name: 'play.exe (wine)', port: play.port } : null;
    const w32 = can32 ? { name: 'winsock reference (wine)', port: ref32Port } : null;
    const py = { name: 'python3 http.server', port: pyPort };
    const p64 = { name: 'play.exe 64-bit (wine)', port: play64.port };
    const w64 = { name: 'winsock reference 64-bit (wine)', port: ref64Port };
    const o = other ? { name: `play.exe ${path.basename(againstExe)} (wine)`, port: other.port } : null;
    const servers = [p32, w32, py, p64, w64, can32 ? o : null].filter(Boolean);
    for (const s of servers) {
      s.rps = [];
      s.mbps = [];
      megabytesPerSecond(s.port); // warm the file cache and wine's first calls
    }

    for (let r = 0; r < rounds; r++) {
      const order = servers.map((_, i) => servers[(i + r) % servers.length]);
      for (const s of order) {
        s.mbps.push(megabytesPerSecond(s.port));
        s.rps.push(await requestsPerSecond(s.port));
      }
      process.stderr.write(`round ${r + 1}/${rounds} done\n`);
    }

    // The client must not be the limit: against the fastest 10 KB server,
    // the same concurrency spread over two client processes has to give no
    // more than one process does.
    const fastest = servers.reduce((a, b) => (median(b.rps) > median(a.rps) ? b : a));
    const single = [];
    const split = [];
    for (let r = 0; r < 3; r++) {
      single.push(await requestsPerSecond(fastest.port, 1));
      split.push(await requestsPerSecond(fastest.port, 2));
    }

    const mixed = [];
    for (const s of [p32, p64, can32 ? o : null].filter(Boolean)) mixed.push([s.name, await h.readersUnderLoad(s.port, '/big.bin', BIG, MIX_MS)]);

    const rps = (s) => (s ? median(s.rps).toFixed(0) : '-');
    const mbps = (s) => (s ? median(s.mbps).toFixed(1) : '-');
    const ratio = (a, b) => (a && b ? (median(a) / median(b)).toFixed(2) : '-');
    console.log(can32 ? 'Measured the shipped 32-bit play.exe and the x86_64 build of the same sources.'
      : `${probe.stdout.trim().replace(/^no: /, '')}: measured the x86_64 builds only (play.exe, reference).`);
    console.log(`${rounds} interleaved rounds; medians. 50 MB: one curl download per round.`);
    console.log(`10 KB: concurrency ${CONCURRENCY}, one request per connection, ${seconds} s per run.`);
    console.log('All Windows programs in one WoW64 wine prefix; python3 runs natively and serves as the');
    console.log('10 KB yardstick of both builds.');
    console.log(table(['', '32-bit 10 KB req/s', '32-bit 50 MB MB/s', '64-bit 10 KB req/s', '64-bit 50 MB MB/s'], [
      ['play.exe (wine)', rps(p32), mbps(p32), rps(p64), mbps(p64)],
      ['winsock reference (wine)', rps(w32), mbps(w32), rps(w64), mbps(w64)],
      ['python3 http.server', rps(py), mbps(py), rps(py), mbps(py)],
      ['play/python (target >= 1.0)', ratio(p32?.rps, py.rps), '', ratio(p64.rps, py.rps), ''],
      ['play/reference (target >= 0.5)', '', ratio(p32?.mbps, w32?.mbps), '', ratio(p64.mbps, w64.mbps)],
    ]));
    const limited = median(split) > 1.1 * median(single);
    console.log(`client check against ${fastest.name} (10 KB): one process ${median(single).toFixed(0)}/s, ` +
      `two processes ${median(split).toFixed(0)}/s${limited ? ' - THE CLIENT LIMITS THE RATE' : ''}`);
    for (const [name, m] of mixed) {
      console.log(`${name}, 3 MB read by one client to 64 KB and closed, by one whole, ${m.loops} busy loops, ` +
        `${MIX_MS / 1000} s: empty answers ${m.cut.empty} of ${m.cut.count} cut, ${m.whole.empty} of ${m.whole.count} whole`);
    }
    if (o && can32) {
      console.log(`${o.name}: 10 KB ${rps(o)}/s, 50 MB ${mbps(o)} MB/s; /reference, 50 MB ` +
        `${ratio(o.mbps, w32.mbps)}; /python, 10 KB c=8 ${ratio(o.rps, py.rps)}`);
    }
  } finally {
    if (python) python.kill();
    for (const r of refs) r.kill();
    if (play) await play.stop();
    if (play64) await play64.stop();
    if (other) await other.stop();
    h.removeSite(site);
    h.removeSite(site64);
    if (otherSite) h.removeSite(otherSite);
  }
}

main().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
