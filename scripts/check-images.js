#!/usr/bin/env node
// Checks the shipped 32-bit images without running them, for machines whose
// kernel runs no 32-bit code: each must be a stripped PE32 image for i386 of
// the GUI subsystem that carries the file version, the library must export
// its five entry points, and every DLL and function either image imports
// must be among the exports of the 32-bit system DLLs of the wine that runs
// the tests, so that an import no Windows-like loader could bind fails here.
//   node scripts/check-images.js BUILD_DIR [SYSTEM_DLL_FOLDER]
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

const LIBRARY_EXPORTS = ['DllCanUnloadNow', 'DllGetClassObject', 'DllRegisterServer',
  'DllUnregisterServer', 'DllInstall'];

// What `objdump -p` says of one PE image: header fields, imports and exports.
function parseObjdump(text) {
  const field = (name) => {
    const m = new RegExp(`^${name}\\s+(\\S+)`, 'm').exec(text);
    return m ? m[1] : null;
  };
  const image = {
    magic: field('Magic'),
    subsystem: field('Subsystem'),
    majorImageVersion: field('MajorImageVersion'),
    symbolsStripped: /^\s+symbols stripped$/m.test(text),
    format: /file format (\S+)/.exec(text)?.[1] ?? null,
    imports: new Map(), // lower-case DLL name -> { dll, names: [], ordinals: [] }
    exportNames: new Set(),
    ordinalBase: 0,
    ordinalCount: 0,
  };
  let section = null;
  let current = null;
  for (const line of text.split('\n')) {
    let m;
    if (/^The Import Tables/.test(line)) { section = 'imports'; continue; }
    if (/^The Export Tables/.test(line)) { section = 'exports'; continue; }
    if (/^(PE File Base Relocations|The Function Table|There is a first thunk|Sections:)/.test(line)) {
      section = null;
      continue;
    }
    if (section === 'imports') {
      if ((m = /^\s*DLL Name:\s*(\S+)/.exec(line))) {
        const key = m[1].toLowerCase();
        current = image.imports.get(key) || { dll: m[1], names: [], ordinals: [] };
        image.imports.set(key, current);
      } else if (current && (m = /^\t[0-9a-f]+\t\s*(\d+)\s+(\S+)/.exec(line))) {
        if (m[2] === '<none>') current.ordinals.push(Number(m[1]));
        else current.names.push(m[2]);
      }
    } else if (section === 'exports') {
      if ((m = /Ordinal Base\s+(\d+)/.exec(line))) image.ordinalBase = Number(m[1]);
      else if ((m = /^\s+\[\s*\d+\] \+base\[\s*(\d+)\]/.exec(line))) {
        image.ordinalCount = Math.max(image.ordinalCount, Number(m[1]) - image.ordinalBase + 1);
      } else if ((m = /^\s+\[\s*\d+\]\s+(\S+)\s*$/.exec(line))) image.exportNames.add(m[1]);
    }
  }
  return image;
}

// The imports that no DLL of the folder provides, as texts.
// exportsOf(dll) gives the parsed image of a system DLL, or null if absent.
function missingImports(image, exportsOf) {
  const missing = [];
  for (const { dll, names, ordinals } of image.imports.values()) {
    const provider = exportsOf(dll.toLowerCase());
    if (!provider) {
      missing.push(`${dll} (no such DLL)`);
      continue;
    }
    for (const name of names) {
      if (!provider.exportNames.has(name)) missing.push(`${dll}!${name}`);
    }
    for (const ordinal of ordinals) {
      if (ordinal < provider.ordinalBase || ordinal >= provider.ordinalBase + provider.ordinalCount) {
        missing.push(`${dll}!#${ordinal}`);
      }
    }
  }
  return missing;
}

// Every fault of one shipped image, as texts; none for a sound image.
function imageFaults(image, { library, version, versionTexts, sections }, exportsOf) {
  const faults = [];
  if (image.magic !== '010b') faults.push(`not a PE32 image (magic ${image.magic})`);
  if (image.format !== 'pei-i386') faults.push(`not an i386 image (${image.format})`);
  if (image.subsystem !== '00000002') faults.push(`not of the Windows GUI subsystem (${image.subsystem})`);
  if (!image.symbolsStripped || sections.some((s) => s.startsWith('.debug'))) {
    faults.push('not stripped');
  }
  if (library) {
    if (image.majorImageVersion !== version.split('.')[0]) {
      faults.push(`image version ${image.majorImageVersion} is not that of ${version}`);
    }
    if (!versionTexts.includes(version)) faults.push(`no file version ${version}`);
    for (const name of LIBRARY_EXPORTS) {
      if (!image.exportNames.has(name)) faults.push(`does not export ${name}`);
    }
  }
  for (const m of missingImports(image, exportsOf)) faults.push(`imports ${m}, which the system lacks`);
  return faults;
}

// binutils speaks the caller's language ("format de fichier"), and the
// parsing above reads its English.
function tool(command, args) {
  return execFileSync(command, args, { encoding: 'utf8', maxBuffer: 64 << 20, env: { ...process.env, LC_ALL: 'C' } });
}

function objdump(file) {
  return tool('objdump', ['-p', file]);
}

function main() {
  const build = process.argv[2];
  const root = process.env.HINTORA_WOW64_ROOT || '/var/cache/hintora/wow64-root';
  const system = process.argv[3] || path.join(root, 'usr/lib/x86_64-linux-gnu/wine/i386-windows');
  if (!build || !fs.existsSync(system)) {
    console.error(`usage: check-images.js BUILD_DIR [SYSTEM_DLL_FOLDER] (no folder ${system})`);
    process.exit(2);
  }
  const byLowerName = new Map(fs.readdirSync(system).map((f) => [f.toLowerCase(), f]));
  const cache = new Map();
  const exportsOf = (dll) => {
    if (!cache.has(dll)) {
      const file = byLowerName.get(dll);
      cache.set(dll, file ? parseObjdump(objdump(path.join(system, file))) : null);
    }
    return cache.get(dll);
  };
  const versionHeader = fs.readFileSync('resources/extension/Version.h', 'utf8');
  const version = /^#define HINTORA_VERSION_TEXT "(.*)"$/m.exec(versionHeader)[1];

  let failed = false;
  for (const [rel, library] of [['extension/HintoraIE.dll', true], ['player/play.exe', false]]) {
    const file = path.join(build, rel);
    const image = parseObjdump(objdump(file));
    const sections = tool('objdump', ['-h', file])
      .split('\n').map((l) => l.trim().split(/\s+/)[1] || '');
    const versionTexts = library
      ? tool('strings', ['-el', file]).split('\n') : [];
    const faults = imageFaults(image, { library, version, versionTexts, sections }, exportsOf);
    const imported = [...image.imports.values()].reduce((n, i) => n + i.names.length + i.ordinals.length, 0);
    if (faults.length) {
      failed = true;
      for (const f of faults) console.log(`check-images: ${file}: ${f}`);
    } else {
      console.log(`check-images: ${file}: sound (${image.imports.size} DLLs, ${imported} imports found in ${system})`);
    }
  }
  process.exit(failed ? 1 : 0);
}

if (require.main === module) main();
module.exports = { parseObjdump, missingImports, imageFaults, objdump };
