'use strict';
// The library of the build under test registered and unregistered by the
// system's own tools of its bitness, as on 64-bit Windows: regsvr32 (machine
// and per user), reg.exe to export the keys and to plant other products'
// keys in the library's view (the 32-bit one for the shipped 32-bit library,
// the native one for the x86_64 build), and cscript creating the scriptable
// object by name. Everything runs in a prefix of its own, so the other tests'
// registry is never changed.

const test = require('node:test');
const assert = require('node:assert');
const { spawnSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { imageBits } = require('./image-bits');

const root = path.resolve(__dirname, '..', '..');
const buildDir = process.env.HINTORA_BUILD_DIR || path.join(root, 'build', 'win32');
const prefix = (process.env.HINTORA_WINEPREFIX || path.join(buildDir, 'wineprefix')) + '-reg';
const wineRun = process.env.HINTORA_WINE_RUN || path.join(root, 'cmake', 'wine-run');
const built = path.join(buildDir, 'extension', 'HintoraIE.dll');
// The library is registered from a copy in a folder named with a space and
// letters beyond ASCII and beyond any one code page, as a checkout may be:
// the keys must hold its path whole, and the test must read them so.
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-reg-'));
process.on('exit', () => fs.rmSync(work, { recursive: true, force: true }));
const dll = path.join(work, 'Pr\u00fcfe \u00f8 \u65e5\u672c', 'HintoraIE.dll');
const dllWin = 'Z:' + dll.replace(/\//g, '\\');

const CLSID_HINTORA = '{C0F7E046-4E1D-47C8-9354-4F53B5DC5CB8}';
const CLSID_BHO = '{0A9FA9EA-2BAE-439D-89B0-65792127BBD7}';
const CLSID_OPTIONS = '{895D9400-C8E1-45E4-8620-4156CACCDED9}';
const CLSID_UIHANDLER = '{D47F4B55-0473-4BB5-9B40-F16A7B9DC054}';
const APPID = '{45CFAB72-6588-46FC-A5C1-86215287720A}';
const LIBID = '{15E45C56-6BDB-4A7B-B1D1-5027B9287A11}';
const BUTTON = 'HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{9292FEDB-34F7-400a-B03B-08722952A91C}';
const OPTIONS_MENU = 'HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\{912DCC9E-014B-4c4f-83A0-866D5A8E01D8}';
const BHO_KEY = 'HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\' + CLSID_BHO;
const MENU_EXT = 'HKCU\\Software\\Microsoft\\Internet Explorer\\MenuExt';
const VENDOR = 'HKLM\\Software\\Veltrane';
const PRODUCT = 'HKLM\\Software\\Veltrane\\Norvik\\Hintora';
const USER_CLASSES = 'HKCU\\Software\\Classes';
// A 32-bit library needs the 32-bit programs of a 64-bit system, and lives
// in the 32-bit view of the registry; a 64-bit one the native programs and view.
const BITS = imageBits(built);
const SYSTEM = BITS === 32 ? 'C:\\windows\\syswow64' : 'C:\\windows\\system32';
const REGSVR32 = `${SYSTEM}\\regsvr32.exe`;
const CSCRIPT = `${SYSTEM}\\cscript.exe`;
const VIEW = `/reg:${BITS}`;
// Where a key of the library's view lies when named in the native view.
const asWritten = (key) => (BITS === 32 ? key.replace(/^HKLM\\SOFTWARE\\/i, 'HKLM\\SOFTWARE\\Wow6432Node\\') : key);

function wine(args, options = {}) {
  if (args[0] !== 'reg' || (args[1] !== 'query' && args[1] !== 'export')) snapshots = [];
  const r = spawnSync(wineRun, [prefix, ...args], { encoding: 'latin1', timeout: 120000, ...options });
  return { status: r.status, out: (r.stdout || '') + (r.stderr || '') };
}

const ROOTS = { HKCR: 'HKEY_CLASSES_ROOT', HKLM: 'HKEY_LOCAL_MACHINE', HKCU: 'HKEY_CURRENT_USER' };

function normalize(key) {
  const [first, ...rest] = key.split('\\');
  return [ROOTS[first] || first, ...rest].join('\\').toLowerCase();
}

// Each wine call costs about a second, so a key is read with its whole
// subtree once and the subkeys are answered from that until the registry
// is changed again: {root, keys: Map(normalized key -> values)}.
let snapshots = [];

// Keys are read through reg export, whose file is UTF-16: reg query writes
// through the console's code page, which loses every letter beyond it (in
// the library's path, for one).

// A quoted text of a .reg file from index i: [text, index after it].
function quoted(line, i) {
  let text = '';
  for (i++; i < line.length && line[i] !== '"'; i++) text += line[i] === '\\' ? line[++i] : line[i];
  return [text, i + 1];
}

// The values as reg query shows them: a DWORD as 0x1, strings as they are.
function regValue(data) {
  if (data.startsWith('"')) return { type: 'REG_SZ', data: quoted(data, 0)[0] };
  let m = /^dword:([0-9a-f]{8})$/i.exec(data);
  if (m) return { type: 'REG_DWORD', data: '0x' + parseInt(m[1], 16).toString(16) };
  m = /^hex(?:\(([0-9a-f]+)\))?:(.*)$/i.exec(data);
  if (!m) return { type: 'REG_NONE', data };
  const bytes = Buffer.from(m[2].replace(/[^0-9a-f]/gi, ''), 'hex');
  const text = () => bytes.toString('utf16le').replace(/\0+$/, '');
  switch (m[1] === undefined ? 3 : parseInt(m[1], 16)) {
    case 2: return { type: 'REG_EXPAND_SZ', data: text() };
    case 7: return { type: 'REG_MULTI_SZ', data: text().split('\0').join('\\0') };
    case 3: return { type: 'REG_BINARY', data: bytes.toString('hex').toUpperCase() };
    default: return { type: `REG_TYPE_${m[1]}`, data: bytes.toString('hex').toUpperCase() };
  }
}

function parseExport(text) {
  const keys = new Map();
  let current = null;
  // Long hex values go on over lines that end in a backslash.
  const lines = text.replace(/^\uFEFF/, '').replace(/\\\r?\n\s*/g, '').split(/\r?\n/);
  for (const line of lines) {
    if (line.startsWith('[') && line.endsWith(']')) {
      current = {};
      keys.set(line.slice(1, -1).toLowerCase(), current);
    } else if (current && (line.startsWith('@=') || line.startsWith('"'))) {
      const [name, next] = line.startsWith('@=') ? ['', 1] : quoted(line, 0);
      if (line[next] === '=') current[name] = regValue(line.slice(next + 1));
    }
  }
  return keys;
}

function snapshot(key) {
  const file = path.join(work, 'snapshot.reg');
  fs.rmSync(file, { force: true });
  const r = wine(['reg', 'export', key, 'Z:' + file.replace(/\//g, '\\'), '/y', VIEW]);
  const exists = r.status === 0 && fs.existsSync(file);
  const keys = exists ? parseExport(fs.readFileSync(file).toString('utf16le')) : new Map();
  const shot = { root: normalize(key), exists, keys };
  snapshots.push(shot);
  return shot;
}

// Values of one key ({name: {type, data}}, the default value under ''), or
// null when the key does not exist.
function readKey(key) {
  const wanted = normalize(key);
  let shot = snapshots.find((s) => wanted === s.root || wanted.startsWith(s.root + '\\'));
  if (!shot) shot = snapshot(key);
  if (!shot.exists) return null;
  return shot.keys.get(wanted) || null;
}

function value(key, name) {
  const values = readKey(key);
  return values && values[name] ? values[name].data : undefined;
}

function exists(key) {
  return readKey(key) !== null;
}

function put(key, name, data) {
  const args = ['reg', 'add', key, '/f', VIEW];
  if (name !== undefined) args.push(name === '' ? '/ve' : '/v', ...(name === '' ? [] : [name]), '/d', data);
  const r = wine(args);
  assert.strictEqual(r.status, 0, `reg add ${key}: ${r.out}`);
}

function remove(key) {
  wine(['reg', 'delete', key, '/f', VIEW]);
}

function regsvr32(...args) {
  return wine([REGSVR32, '/s', ...args, dllWin]);
}

// Back to a registry without the library and without the planted keys.
function cleanSlate() {
  regsvr32('/u');
  regsvr32('/u', '/n', '/i:user');
  for (const key of [VENDOR, `${MENU_EXT}\\Other Entry`, `${MENU_EXT}\\Hintora\tF9`]) remove(key);
}

function assertClass(classes, clsid, description, progId) {
  const key = `${classes}\\CLSID\\${clsid}`;
  assert.strictEqual(value(key, ''), description, key);
  if (progId) {
    assert.strictEqual(value(`${key}\\ProgID`, ''), `${progId}.1`);
    assert.strictEqual(value(`${key}\\VersionIndependentProgID`, ''), progId);
    assert.strictEqual(value(`${classes}\\${progId}`, ''), description);
    assert.strictEqual(value(`${classes}\\${progId}\\CLSID`, ''), clsid);
    assert.strictEqual(value(`${classes}\\${progId}\\CurVer`, ''), `${progId}.1`);
    assert.strictEqual(value(`${classes}\\${progId}.1\\CLSID`, ''), clsid);
  } else {
    assert.strictEqual(value(`${key}\\Version`, ''), '1.0');
  }
  assert.ok(exists(`${key}\\Programmable`), `${key}\\Programmable`);
  assert.strictEqual(String(value(`${key}\\InprocServer32`, '')).toLowerCase(), dllWin.toLowerCase());
  assert.strictEqual(value(`${key}\\InprocServer32`, 'ThreadingModel'), 'Apartment');
  assert.strictEqual(value(`${key}\\TypeLib`, ''), LIBID);
}

function assertNoClasses(classes) {
  for (const clsid of [CLSID_HINTORA, CLSID_BHO, CLSID_OPTIONS, CLSID_UIHANDLER])
    assert.ok(!exists(`${classes}\\CLSID\\${clsid}`), `${classes} ${clsid} left`);
  for (const progId of ['HintoraIE.Hintora', 'HintoraIE.Hintora.1', 'HintoraIE.HintoraIEBHO', 'HintoraIE.HintoraIEBHO.1',
    'HintoraIE.HintoraOptions', 'HintoraIE.HintoraOptions.1'])
    assert.ok(!exists(`${classes}\\${progId}`), `${classes}\\${progId} left`);
  assert.ok(!exists(`${classes}\\AppID\\${APPID}`));
  assert.ok(!exists(`${classes}\\AppID\\HintoraIE.DLL`));
}

function assertBrowserEntries() {
  assert.strictEqual(value(BUTTON, 'ButtonText'), 'Hintora');
  assert.strictEqual(value(BUTTON, 'MenuText'), 'Hintora');
  assert.strictEqual(value(BUTTON, 'Default Visible'), 'Yes');
  assert.strictEqual(value(BUTTON, 'Clsid'), '{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}');
  assert.strictEqual(value(BUTTON, 'ClsidExtension'), CLSID_HINTORA);
  assert.strictEqual(String(value(BUTTON, 'Icon')).toLowerCase(), `${dllWin},201`.toLowerCase());
  assert.strictEqual(String(value(BUTTON, 'HotIcon')).toLowerCase(), `${dllWin},201`.toLowerCase());
  assert.strictEqual(value(OPTIONS_MENU, 'ClsidExtension'), CLSID_OPTIONS);
  assert.strictEqual(value(OPTIONS_MENU, 'Clsid'), '{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}');
  assert.strictEqual(value(OPTIONS_MENU, 'MenuText'), 'Hintora Options...');
  const bho = readKey(BHO_KEY);
  assert.ok(bho, 'helper object key');
  assert.strictEqual(bho[''].data, 'HintoraIEBHO');
  assert.deepStrictEqual(bho.NoExplorer, { type: 'REG_DWORD', data: '0x1' });
  assert.ok(exists(MENU_EXT));
  assert.ok(exists(VENDOR));
}

function assertNoBrowserEntries() {
  assert.ok(!exists(BUTTON));
  assert.ok(!exists(OPTIONS_MENU));
  assert.ok(!exists(BHO_KEY));
}

// Whether a key exists in the native (64-bit) view, by its literal path.
function existsNative(key) {
  return wine(['reg', 'query', key, '/reg:64']).status === 0;
}

// Every key registration may touch (the classes live in both Software
// keys), as regedit exports them: UTF-16 text. The rest of the registry
// holds wine's own volatile keys.
function exportRegistry() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-reg-'));
  try {
    let text = '';
    for (const key of ['HKEY_LOCAL_MACHINE\\Software', 'HKEY_CURRENT_USER\\Software']) {
      const file = path.join(dir, 'part.reg');
      const r = wine(['regedit', '/E', 'Z:' + file.replace(/\//g, '\\'), key]);
      assert.strictEqual(r.status, 0, `regedit /E ${key}: ${r.out}`);
      text += fs.readFileSync(file).toString('utf16le');
    }
    return text;
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// The first lines where two exports differ, for the failure message.
function firstDifference(a, b) {
  const x = a.split(/\r?\n/);
  const y = b.split(/\r?\n/);
  for (let i = 0; i < Math.max(x.length, y.length); i++)
    if (x[i] !== y[i]) return `line ${i + 1}:\n- ${x[i]}\n+ ${y[i]}`;
  return '';
}

test.before(() => {
  assert.ok(fs.existsSync(built), `no library at ${built}`);
  fs.mkdirSync(path.dirname(dll));
  fs.copyFileSync(built, dll);
  cleanSlate();
});
test.after(() => cleanSlate());

test('regsvr32 registers every key of the scripts and unregisters them again', () => {
  assert.strictEqual(regsvr32().status, 0);
  assertClass('HKCR', CLSID_HINTORA, 'Hintora', 'HintoraIE.Hintora');
  assertClass('HKCR', CLSID_BHO, 'Hintora Helper', 'HintoraIE.HintoraIEBHO');
  assertClass('HKCR', CLSID_OPTIONS, 'HintoraOptions', 'HintoraIE.HintoraOptions');
  assertClass('HKCR', CLSID_UIHANDLER, 'CDocUIHandler', null);
  assert.strictEqual(value(`HKCR\\AppID\\${APPID}`, ''), 'HintoraIE');
  assert.strictEqual(value('HKCR\\AppID\\HintoraIE.DLL', 'AppID'), APPID);
  assert.strictEqual(value(`HKCR\\TypeLib\\${LIBID}\\1.0`, ''), 'HintoraIE 1.0 Type Library');
  assertBrowserEntries();
  // A first installation has no language: the scripts' English texts stay,
  // and nothing creates the product key.
  assert.ok(!exists(PRODUCT));

  assert.strictEqual(regsvr32('/u').status, 0);
  assertNoClasses('HKCR');
  assertNoBrowserEntries();
  assert.ok(!exists(`HKCR\\TypeLib\\${LIBID}\\1.0`), 'type library left');
  // Internet Explorer's own keys stay, and so does nothing of the vendor.
  assert.ok(exists(MENU_EXT), 'the context-menu key is the browser\'s');
  assert.ok(exists('HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions'));
  assert.ok(exists('HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects'));
  assert.ok(!exists(VENDOR), 'an empty vendor key goes');
});

test('the library\'s keys land in the view of its bitness, and regsvr32 /u takes back exactly what it wrote', () => {
  // Keys that every Windows with Internet Explorer has, and registration
  // creates as parents where they are missing, as in a new wine prefix.
  for (const key of ['HKCU\\Software\\Classes\\AppID', 'HKCU\\Software\\Classes\\CLSID', MENU_EXT,
    asWritten('HKLM\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions'),
    asWritten('HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects')])
    assert.strictEqual(wine(['reg', 'add', key, '/f', '/reg:64']).status, 0, key);
  const before = exportRegistry();
  assert.strictEqual(regsvr32().status, 0);
  // Classes and the machine's software keys of a 32-bit library are those of
  // the 32-bit view, and the native view gets none of them; a 64-bit
  // library's are the native ones, and the 32-bit view gets none.
  const classId = `CLSID\\${CLSID_HINTORA}`;
  const wow = `HKLM\\Software\\Classes\\Wow6432Node\\${classId}`;
  const native = `HKLM\\Software\\Classes\\${classId}`;
  assert.ok(existsNative(BITS === 32 ? wow : native), `${BITS}-bit class`);
  assert.ok(!existsNative(BITS === 32 ? native : wow), 'no class in the other view');
  for (const key of [BUTTON, OPTIONS_MENU, BHO_KEY]) {
    const other = BITS === 32 ? key : key.replace(/^HKLM\\SOFTWARE\\/, 'HKLM\\SOFTWARE\\Wow6432Node\\');
    assert.ok(existsNative(asWritten(key)), key);
    assert.ok(!existsNative(other), `${other} in the other view`);
  }
  assert.strictEqual(regsvr32('/u').status, 0);
  // Per user as well.
  assert.strictEqual(regsvr32('/n', '/i:user').status, 0);
  assert.ok(exists(`${USER_CLASSES}\\${classId}`));
  assert.strictEqual(regsvr32('/u', '/n', '/i:user').status, 0);
  const after = exportRegistry();
  assert.ok(before === after, `the registry differs after unregistration at ${firstDifference(before, after)}`);
});

test('unregistration removes the product\'s settings but never another product\'s keys', () => {
  assert.strictEqual(regsvr32().status, 0);
  put(PRODUCT, 'Name', 'Hintora');
  put(PRODUCT, 'ShortCut', 'F9');
  put(`${VENDOR}\\Norvik\\HintoraLocationMRU\\0`, 'Url', 'http://c.example/pub');
  put(`${MENU_EXT}\\Hintora\tF9`, '', 'res://x/203');
  put(`${MENU_EXT}\\Other Entry`, '', 'res://other.dll/1');
  put(`${VENDOR}\\Kestrel`, 'Path', 'C:\\kestrel');
  put(`HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\${CLSID_BHO}\\iexplore`, 'Count', '1');
  put(`HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\${CLSID_BHO}`, 'Flags', '1');
  put(`HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\{11111111-2222-3333-4444-555555555555}`, 'Count', '1');

  assert.strictEqual(regsvr32('/u').status, 0);
  assert.ok(!exists(`${VENDOR}\\Norvik`), 'product key and location list go');
  assert.ok(!exists(`${MENU_EXT}\\Hintora\tF9`), 'own context-menu entry goes');
  assert.ok(!exists(`HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\${CLSID_BHO}`));
  assert.ok(!exists(`HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Settings\\${CLSID_BHO}`));
  // Other products' keys and the browser's own menu key stay.
  assert.strictEqual(value(`${VENDOR}\\Kestrel`, 'Path'), 'C:\\kestrel');
  assert.strictEqual(value(`${MENU_EXT}\\Other Entry`, ''), 'res://other.dll/1');
  assert.ok(exists(MENU_EXT));
  assert.ok(exists(`HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\{11111111-2222-3333-4444-555555555555}`));
  remove(`HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Ext\\Stats\\{11111111-2222-3333-4444-555555555555}`);
  remove(VENDOR);

  // A vendor key with a value of its own, or a subkey named like ours in
  // another case, is judged by what is left after ours went.
  assert.strictEqual(regsvr32().status, 0);
  put(`${VENDOR}\\NORVIK\\HintoraLocationMRU\\0`, 'Url', 'http://c.example/pub');
  assert.strictEqual(regsvr32('/u').status, 0);
  assert.ok(!exists(VENDOR), 'only our company key was there: the vendor key goes');
  assert.strictEqual(regsvr32().status, 0);
  put(VENDOR, 'InstallDir', 'C:\\vendor');
  assert.strictEqual(regsvr32('/u').status, 0);
  assert.strictEqual(value(VENDOR, 'InstallDir'), 'C:\\vendor');
  remove(VENDOR);
});

test('unregistration gets through keys nested 300 deep under the product key', () => {
  // Users and low-integrity processes may write below the product key.
  const deep = PRODUCT + '\\n'.repeat(300);
  assert.strictEqual(regsvr32().status, 0);
  put(deep, 'V', 'x');
  assert.strictEqual(value(deep, 'V'), 'x');
  assert.strictEqual(regsvr32('/u').status, 0);
  assert.ok(!exists(VENDOR));
  // The steps after the product key's removal ran too.
  assertNoClasses('HKCR');
  assertNoBrowserEntries();
});

test('re-registering after the user chose German rewrites the texts in German', () => {
  put(PRODUCT, 'Language', 'de');
  put(PRODUCT, 'EnglishShortCut', 'Ctrl+F9');
  assert.strictEqual(regsvr32().status, 0);
  assert.strictEqual(value(OPTIONS_MENU, 'MenuText'), 'Hintora-&Optionen...');
  assert.strictEqual(value(PRODUCT, 'ShortCut'), 'Strg+F9');
  assert.strictEqual(value(BUTTON, 'MenuText'), 'Hintora\tStrg+F9');
  assert.ok(exists(`${MENU_EXT}\\Hintora\tStrg+F9`), 'context-menu entry in German');
  assert.strictEqual(regsvr32('/u').status, 0);
  assert.ok(!exists(`${MENU_EXT}\\Hintora\tStrg+F9`));
  assert.ok(!exists(VENDOR));
  assert.ok(exists(MENU_EXT));
});

test('DllInstall with "user" registers the classes per user; other texts do not', () => {
  assert.strictEqual(regsvr32('/n', '/i:USER').status, 0);
  assertClass(USER_CLASSES, CLSID_HINTORA, 'Hintora', 'HintoraIE.Hintora');
  assertClass(USER_CLASSES, CLSID_BHO, 'Hintora Helper', 'HintoraIE.HintoraIEBHO');
  assertClass(USER_CLASSES, CLSID_OPTIONS, 'HintoraOptions', 'HintoraIE.HintoraOptions');
  assertClass(USER_CLASSES, CLSID_UIHANDLER, 'CDocUIHandler', null);
  assert.strictEqual(value(`${USER_CLASSES}\\AppID\\${APPID}`, ''), 'HintoraIE');
  assert.ok(!exists(`HKLM\\Software\\Classes\\CLSID\\${CLSID_HINTORA}`), 'no machine class');
  // The browser's extension and helper-object keys are the machine's anyway.
  assertBrowserEntries();
  assert.strictEqual(regsvr32('/u', '/n', '/i:user').status, 0);
  assertNoClasses(USER_CLASSES);
  assertNoBrowserEntries();

  // "users" and "user " are not the per-user command line.
  for (const line of ['users', 'user ']) {
    assert.strictEqual(regsvr32('/n', `/i:${line}`).status, 0, line);
    assert.ok(!exists(`${USER_CLASSES}\\CLSID\\${CLSID_HINTORA}`), `${line}: per user`);
    assert.ok(exists(`HKLM\\Software\\Classes\\CLSID\\${CLSID_HINTORA}`), `${line}: machine`);
    assert.strictEqual(regsvr32('/u', '/n', `/i:${line}`).status, 0);
    assertNoClasses('HKCR');
  }
});

test('a script host creates the registered object by name and calls it through the type library', () => {
  assert.strictEqual(regsvr32().status, 0);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'hintora-reg-'));
  try {
    const results = 'Z:' + path.join(dir, 'out.txt').replace(/\//g, '\\');
    const script = [
      'var fso = new ActiveXObject("Scripting.FileSystemObject");',
      `var results = fso.CreateTextFile(${JSON.stringify(results)}, true);`,
      'function out(t) { results.WriteLine(t); }',
      'try {',
      '  var o = new ActiveXObject("HintoraIE.Hintora");',
      '  out("version=" + o.GetVersion());',
      '  out("shortcut=[" + o.GetShortCut() + "]");',
      '  out("message=[" + o.GetMessage() + "]");',
      '  var status = "none";',
      '  try { status = "ok:" + o.Configure("de", "Ctrl+F4", "app,1"); }',
      '  catch (e) { status = "refused:" + (e.number >>> 0).toString(16); }',
      '  out("configure=" + status);',
      '  try { o.Update("10.1.0"); out("update=ok"); }',
      '  catch (e) { out("update=refused:" + (e.number >>> 0).toString(16)); }',
      '} catch (e) { out("exception:" + (e.number >>> 0).toString(16)); }',
      'results.Close();',
    ].join('\n');
    // The script host reads its file in the ANSI code page: letters beyond
    // ASCII in the paths go in as escapes.
    fs.writeFileSync(path.join(dir, 'call.js'), script.replace(/[^\x00-\x7f]/g, (c) => '\\u' + c.charCodeAt(0).toString(16).padStart(4, '0')));
    const r = wine([CSCRIPT, '//nologo', 'Z:' + path.join(dir, 'call.js').replace(/\//g, '\\')]);
    const output = fs.existsSync(path.join(dir, 'out.txt')) ? fs.readFileSync(path.join(dir, 'out.txt'), 'latin1') : r.out;
    assert.match(output, /version=11,1,0,12/);
    assert.match(output, /shortcut=\[\]/);
    assert.match(output, /message=\[\]/);
    // The script engine gives the object a site without a page: changes
    // are refused with access denied.
    assert.match(output, /configure=refused:80070005/);
    assert.match(output, /update=refused:80070005/);
    assert.ok(!exists(PRODUCT), 'a refused call wrote nothing');
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
    regsvr32('/u');
  }
});
