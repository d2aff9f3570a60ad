'use strict';
// play.exe starting the browser (the recorder of the tests stands in for it)
// and ending by itself once no request comes.
const { describe, it } = require('node:test');
const assert = require('node:assert/strict');
const h = require('./play-harness');

const stamp = '\\d\\d-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d';
// A log line's time stamp (YY-MM-DD HH:MM:SS, local time) in milliseconds.
const stampTime = (text) => {
  const [y, mo, d, hh, mm, ss] = text.split(/[- :]/).map(Number);
  return new Date(2000 + y, mo - 1, d, hh, mm, ss).getTime();
};

// Starts play with the arguments, waits for the browser's address, and hands
// { play, site, line, launchedAt } to fn; always ends play and removes the site.
// Always with the log, so that a start that ends early shows why.
async function withLaunch(args, fn) {
  const site = h.makeSite({ 'index.html': 'x', 'start.html': 'y' });
  let play;
  try {
    play = await h.startPlay(site.site, args.includes('/log') ? args : ['/log', ...args]);
    const launchedAt = Date.now();
    const [line] = play.browserLines();
    await fn({ play, site, line, launchedAt });
  } finally {
    if (play) await play.stop();
    h.removeSite(site);
  }
}

describe('play.exe browser launch', { concurrency: true }, () => {
  const recorder = h.winPath(h.recorderExe);

  it('starts Internet Explorer from App Paths at http://localhost:PORT/ plus the start page', async () => {
    await withLaunch(['/browser=ie', 'index.html'], async ({ play }) => {
      assert.deepEqual(play.browserLines(), [`"${recorder}" http://localhost:${play.port}/index.html`]);
      const r = await h.httpGet(play.port, '/index.html');
      assert.equal(r.body.toString(), 'x');
    });
  });

  it('starts the system browser (Internet Explorer here) without a start page at the root', async () => {
    await withLaunch([], async ({ play }) => {
      assert.deepEqual(play.browserLines(), [`"${recorder}" http://localhost:${play.port}/`]);
      assert.equal((await h.httpGet(play.port, '/index.html')).status, 200);
    });
  });

  it('starts Firefox at http://127.0.0.1:PORT/ plus the start page, unchanged', async () => {
    await withLaunch(['/browser=firefox', 'start.html'], async ({ play }) => {
      assert.deepEqual(play.browserLines(), [`"${recorder}" http://127.0.0.1:${play.port}/start.html`]);
      // Redirects name the address Firefox was given.
      const root = await h.httpGet(play.port, '/');
      assert.equal(root.headers.location, `http://127.0.0.1:${play.port}/index.html`);
    });
  });

  it('ends by itself ten seconds after the launch when no request came', async () => {
    await withLaunch(['/log', '/browser=ie'], async ({ play, site }) => {
      const exit = await h.within(play.exited, 60000);
      assert.ok(exit, 'did not end');
      assert.equal(exit.code, 0);
      const log = h.readLog(site.site);
      const m = log.match(new RegExp(`^(${stamp}) SESSION BEGIN\\r\\n(${stamp}) SESSION END\\r\\n$`));
      assert.ok(m, log);
      // By the program's own clock: it began before it launched the browser,
      // and its first look for requests comes ten seconds after the launch.
      const lived = (stampTime(m[2]) - stampTime(m[1])) / 1000;
      assert.ok(lived >= 10 && lived < 40, `ended ${lived} s after it began`);
    });
  });

  it('still ends by the idle rule when the started browser never shows up as a process', async () => {
    // Safari's key names the recorder through a "." step, so the search for
    // its process finds nothing; the search gives up after its bound and the
    // idle watch ends the program.
    await withLaunch(['/log', '/browser=safari'], async ({ play, site, line }) => {
      assert.match(line, / http:\/\/127\.0\.0\.1:\d+\/$/);
      const exit = await h.within(play.exited, 150000);
      assert.ok(exit, 'did not end');
      assert.equal(exit.code, 0);
      assert.match(h.readLog(site.site), /SESSION END\r\n$/);
    });
  });
});
