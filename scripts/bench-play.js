'use strict';
// Throughput of play.exe under wine beside `python3 -m http.server` on the
// same files: requests per second for a 10 KB file, MB/s for a 50 MB file.
// Not a test. Needs the 64-bit build (sh scripts/build.sh).
//   node scripts/bench-play.js [seconds-per-run] [concurrency]
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const http = require('node:http');
const net = require('node:net');
const path = require('node:path');
const h = require('../tests/js/play-harness');

const seconds = Number(process.argv[2] || 5);
const concurrency = Number(process.argv[3] || 8);

function get(port, urlPath) {
  return new Promise((resolve, reject) => {
    const req = http.get({ host: '127.0.0.1', port, path: urlPath, agent: false }, (res) => {
      let n = 0;
      res.on('data', (d) => (n += d.length));
      res.on('end', () => (res.statusCode === 200 ? resolve(n) : reject(new Error(`status ${res.statusCode}`))));
      res.on('error', reject);
    });
    req.on('error', reject);
  });
}

async function requestsPerSecond(port, urlPath) {
  const end = Date.now() + seconds * 1000;
  let count = 0;
  const start = Date.now();
  await Promise.all(
    Array.from({ length: concurrency }, async () => {
      while (Date.now() < end) {
        await get(port, urlPath);
        count++;
      }
    }),
  );
  return count / ((Date.now() - start) / 1000);
}

async function megabytesPerSecond(port, urlPath, runs = 3) {
  let bytes = 0;
  const start = Date.now();
  for (let i = 0; i < runs; i++) bytes += await get(port, urlPath);
  return bytes / (1024 * 1024) / ((Date.now() - start) / 1000);
}

function freePort() {
  return new Promise((resolve) => {
    const s = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
  });
}

async function waitForPort(port) {
  for (let i = 0; i < 100; i++) {
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
  throw new Error('python http.server did not start');
}

async function main() {
  if (!fs.existsSync(h.playExe)) throw new Error(`build first: ${h.playExe} is missing`);
  const site = h.makeSite({ 'small.bin': Buffer.alloc(10 * 1024, 's'), 'large.bin': Buffer.alloc(50 * 1024 * 1024, 'l') });
  let play, python;
  try {
    play = await h.startPlay(site.site, []);
    const pyPort = await freePort();
    python = spawn('python3', ['-m', 'http.server', String(pyPort), '--bind', '127.0.0.1'], { cwd: site.site, stdio: 'ignore' });
    await waitForPort(pyPort);

    const rows = [];
    for (const [name, port] of [['play.exe (wine)', play.port], ['python3 http.server', pyPort]]) {
      const rps = await requestsPerSecond(port, '/small.bin');
      const mbps = await megabytesPerSecond(port, '/large.bin');
      rows.push([name, rps.toFixed(0), mbps.toFixed(1)]);
    }
    const header = ['server', '10 KB requests/s', '50 MB MB/s'];
    const widths = header.map((t, i) => Math.max(t.length, ...rows.map((r) => r[i].length)));
    const line = (cells) => cells.map((c, i) => (i ? c.padStart(widths[i]) : c.padEnd(widths[i]))).join('  ');
    console.log(`concurrency ${concurrency}, ${seconds} s per run`);
    console.log(line(header));
    for (const r of rows) console.log(line(r));
  } finally {
    if (python) python.kill();
    if (play) await play.stop();
    h.removeSite(site);
  }
}

main().catch((e) => {
  console.error(e.message);
  process.exit(1);
});
