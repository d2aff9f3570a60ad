'use strict';
// play.exe behind a real browser: headless chromium, driven by puppeteer-core.
// The content's own page saves its configuration and sees it after a reload;
// a page of another origin can neither save nor read it, but may link to it.
const { describe, it, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const h = require('./play-harness');

const CHROMIUM = '/usr/bin/chromium';
const SAVE = '/radozira/configurator/saveit.qxph';
const FORBIDDEN = ' 403 Forbidden';

const configFile = (text) => `var configdata = ${JSON.stringify({ text })};`;

// A configurator page: it shows the stored configuration and saves a new one
// through the private URL, by fetch or by XMLHttpRequest.
const configPage = `<!doctype html>
<html><head><meta charset="utf-8"><script src="configdata.json.js"></script></head>
<body><p id="shown"></p>
<script>
document.getElementById('shown').textContent = window.configdata ? configdata.text : '(none)';
function form(text) {
  return 'saveit_l=' + encodeURIComponent('../../configdata.json.js') +
    '&saveit_c=' + encodeURIComponent('var configdata = ' + JSON.stringify({ text: text }) + ';');
}
function saveWithFetch(text) {
  return fetch('${SAVE}', { method: 'POST', headers: { 'Content-Type': 'application/x-www-form-urlencoded' }, body: form(text) })
    .then(function (r) { return r.text(); });
}
function saveWithXhr(text) {
  return new Promise(function (resolve, reject) {
    var x = new XMLHttpRequest();
    x.open('POST', '${SAVE}');
    x.setRequestHeader('Content-Type', 'application/x-www-form-urlencoded');
    x.onload = function () { resolve(x.responseText); };
    x.onerror = function () { reject(new Error('XMLHttpRequest failed')); };
    x.send(form(text));
  });
}
</script></body></html>`;

// Another site's page trying the three ways a page can send a request
// without being allowed to read the answer.
const attackPage = (port) => {
  const target = `http://127.0.0.1:${port}${SAVE}`;
  const fields = (how) => `saveit_l=..%2F..%2Fconfigdata.json.js&saveit_c=${how}`;
  return `<!doctype html>
<html><head><meta charset="utf-8"></head><body>
<iframe name="sink"></iframe>
<form id="form" method="POST" action="${target}" target="sink">
<input type="hidden" name="saveit_l" value="../../configdata.json.js">
<input type="hidden" name="saveit_c" value="evil-form">
</form>
<script>
var settled = { image: false, form: false, fetch: false };
var image = new Image();
image.onload = image.onerror = function () { settled.image = true; };
image.src = '${target}?${fields('evil-image')}';
document.getElementsByName('sink')[0].onload = function () { settled.form = true; };
document.getElementById('form').submit();
fetch('${target}', { method: 'POST', mode: 'no-cors', headers: { 'Content-Type': 'application/x-www-form-urlencoded' }, body: '${fields('evil-fetch')}' })
  .then(function () { settled.fetch = true; }, function () { settled.fetch = true; });
</script></body></html>`;
};

// Another site's page trying to read the configuration by including it as a
// script and by fetching it, with a link to the content beside.
const readerPage = (port) => {
  const target = `http://127.0.0.1:${port}/configdata.json.js`;
  return `<!doctype html>
<html><head><meta charset="utf-8">
<script>var scriptFailed = false;</script>
<script src="${target}" onerror="scriptFailed = true"></script>
</head><body>
<a id="link" href="http://127.0.0.1:${port}/config.html">configuration</a>
<script>
var included = window.configdata ? configdata.text : null;
var fetched = false;
fetch('${target}', { mode: 'no-cors' }).then(function () { fetched = true; }, function () { fetched = true; });
</script></body></html>`;
};

// python3's http.server on a port of its own choosing, read from its banner.
function startPython(dir) {
  const proc = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', dir], { stdio: ['ignore', 'pipe', 'ignore'] });
  const port = new Promise((resolve, reject) => {
    let text = '';
    proc.stdout.on('data', (d) => {
      text += d;
      const m = text.match(/port (\d+)/);
      if (m) resolve(Number(m[1]));
    });
    proc.on('exit', (code) => reject(new Error(`http.server ended (${code}): ${text}`)));
  });
  return { proc, port: h.within(port, 20000) };
}

const forbiddenCount = (site) => (h.readLog(site) || '').split('\r\n').filter((l) => l === FORBIDDEN).length;

describe('play.exe in a real browser', { skip: !fs.existsSync(CHROMIUM) && `${CHROMIUM} is not installed` }, () => {
  let site, play, browser, page, python, config;

  before(async () => {
    site = h.makeSite({ 'config.html': configPage, 'configdata.json.js': configFile('published') });
    config = path.join(site.site, 'configdata.json.js');
    // Published a day ago, as content usually is.
    const dayAgo = new Date(Date.now() - 86400000);
    fs.utimesSync(config, dayAgo, dayAgo);
    // The browser first: play.exe ends ten seconds after it launched its
    // browser when no request came by then, and chromium may take longer
    // than that to start on a busy machine.
    const puppeteer = require('puppeteer-core');
    browser = await puppeteer.launch({
      executablePath: CHROMIUM,
      headless: true,
      userDataDir: fs.mkdtempSync(path.join(site.base, 'profile-')),
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
        '--disable-component-update', '--disable-sync'],
      timeout: 30000,
      protocolTimeout: 30000,
    });
    page = await browser.newPage();
    page.setDefaultTimeout(15000);
    play = await h.startPlay(site.site, ['/log']);
    // As the launched browser would, ask at once; the tests ask later.
    assert.equal((await h.httpGet(play.port, '/config.html')).status, 200);
  });

  after(async () => {
    if (browser) await browser.close();
    if (python) python.proc.kill();
    if (play) await play.stop();
    if (site) h.removeSite(site);
  });

  // The other origin: python3's http.server over a folder of its own,
  // started for the first page put there. Resolves the page's address.
  let otherDir, otherPort;
  async function otherSitePage(name, html) {
    if (!python) {
      otherDir = fs.mkdtempSync(path.join(site.base, 'other-'));
      python = startPython(otherDir);
      otherPort = await python.port;
      assert.ok(otherPort, 'http.server did not start');
    }
    fs.writeFileSync(path.join(otherDir, name), html);
    return `http://127.0.0.1:${otherPort}/${name}`;
  }

  const shown = () => page.$eval('#shown', (e) => e.textContent);
  const savedSecond = () => Math.floor(fs.statSync(config).mtimeMs / 1000);

  it("the content's own page saves and shows what it saved after each reload, also after two saves in one second", { timeout: 60000 }, async () => {
    await page.goto(`http://127.0.0.1:${play.port}/config.html`);
    assert.equal(await shown(), 'published');
    assert.equal(await page.evaluate(() => saveWithXhr('by XMLHttpRequest')), 'UPDATED');
    await page.reload();
    assert.equal(await shown(), 'by XMLHttpRequest');

    // The browser revalidates with the date the last answer gave: a save
    // later in the same second must still reach the page. Each try starts at
    // the turn of a second; a loaded machine may need more than one.
    let sameSecond = false;
    for (let attempt = 0; attempt < 10 && !sameSecond; attempt++) {
      await h.sleep(1000 - (Date.now() % 1000));
      const first = `first ${attempt}`, second = `second ${attempt}`;
      assert.equal(await page.evaluate((t) => saveWithFetch(t), first), 'UPDATED');
      const firstSecond = savedSecond();
      await page.reload();
      assert.equal(await shown(), first);
      assert.equal(await page.evaluate((t) => saveWithXhr(t), second), 'UPDATED');
      sameSecond = savedSecond() === firstSecond;
      await page.reload();
      assert.equal(await shown(), second);
    }
    assert.ok(sameSecond, 'no two saves fell into one second');
  });

  it("refuses another origin's image, form and no-cors fetch, and the file keeps its bytes", { timeout: 60000 }, async () => {
    const attack = await otherSitePage('attack.html', attackPage(play.port));
    const bytes = fs.readFileSync(config);
    const refusedBefore = forbiddenCount(site.site);
    await page.goto(attack);
    await page.waitForFunction(() => settled.image && settled.form && settled.fetch);
    // The three requests reached the player and were turned away.
    assert.ok(forbiddenCount(site.site) - refusedBefore >= 3, h.readLog(site.site));
    assert.ok(fs.readFileSync(config).equals(bytes));
    assert.ok(!fs.existsSync(config + '.tmp') && !fs.existsSync(config + '.bak'));
  });

  it("gives another origin's script tag and fetch nothing of the configuration, and its link opens the content", { timeout: 60000 }, async () => {
    fs.writeFileSync(config, configFile('not for other sites'));
    const reader = await otherSitePage('reader.html', readerPage(play.port));
    const refused = () => (h.readLog(site.site) || '').split('\r\n').filter((l) => l.endsWith(' GET /configdata.json.js 403 Forbidden')).length;
    const refusedBefore = refused();
    await page.goto(reader);
    await page.waitForFunction(() => fetched);
    assert.equal(await page.evaluate(() => included), null);
    assert.equal(await page.evaluate(() => scriptFailed), true);
    // Both requests reached the player and were turned away.
    assert.ok(refused() - refusedBefore >= 2, h.readLog(site.site));

    await Promise.all([page.waitForNavigation(), page.click('#link')]);
    assert.equal(page.url(), `http://127.0.0.1:${play.port}/config.html`);
    assert.equal(await shown(), 'not for other sites');
  });
});
