'use strict';
// The static check of the shipped 32-bit images, on machines that cannot run
// them: it must read objdump's tables whole and find every import that the
// system DLLs lack, however the names are cased or imported.
const test = require('node:test');
const assert = require('node:assert');
const { parseObjdump, missingImports, imageFaults, objdump } = require('../../scripts/check-images.js');

const IMAGE = `
x.dll:     file format pei-i386

Characteristics 0x2106
\tsymbols stripped

Magic\t\t\t010b\t(PE32)
MajorImageVersion\t5
Subsystem\t\t00000002\t(Windows GUI)

The Import Tables (interpreted .idata section contents)
 vma:            Hint    Time      Forward  DLL       First
                 Table   Stamp     Chain    Name      Thunk
 000c9000\t000c9040 00000000 00000000 000c9300 000c9100

\tDLL Name: KERNEL32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t1c9010\t   11  CloseHandle
\t1c901e\t  230  CreateFileW

 000c9014\t000c9050 00000000 00000000 000c9310 000c9110

\tDLL Name: ws2_32.dll
\tvma:  Hint/Ord Member-Name Bound-To
\t80000017\t   23  <none>
\t1c9030\t  147  accept

 00000000\t00000000 00000000 00000000 00000000 00000000

The Export Tables (interpreted .edata section contents)

Export Address Table -- Ordinal Base 1
\t[   0] +base[   1] 1000 Export RVA
\t[   1] +base[   2] 1010 Export RVA

[Ordinal/Name Pointer] Table
\t[   0] DllCanUnloadNow
\t[   1] DllGetClassObject

PE File Base Relocations (interpreted .reloc section contents)
`;

function systemDll(names, base, count) {
  return {
    exportNames: new Set(names),
    ordinalBase: base,
    ordinalCount: count,
  };
}

test('imports by name and by ordinal are read per DLL, up to the last one, and exports with their ordinals', () => {
  const image = parseObjdump(IMAGE);
  assert.deepStrictEqual([...image.imports.keys()], ['kernel32.dll', 'ws2_32.dll']);
  assert.deepStrictEqual(image.imports.get('kernel32.dll').names, ['CloseHandle', 'CreateFileW']);
  assert.deepStrictEqual(image.imports.get('ws2_32.dll'), { dll: 'ws2_32.dll', names: ['accept'], ordinals: [23] });
  assert.deepStrictEqual([...image.exportNames], ['DllCanUnloadNow', 'DllGetClassObject']);
  assert.strictEqual(image.ordinalBase, 1);
  assert.strictEqual(image.ordinalCount, 2);
  assert.ok(image.symbolsStripped);
});

test('a missing DLL, a missing function and an ordinal out of range are each reported, nothing else', () => {
  const image = parseObjdump(IMAGE);
  const full = {
    'kernel32.dll': systemDll(['CloseHandle', 'CreateFileW'], 1, 10),
    'ws2_32.dll': systemDll(['accept'], 1, 500),
  };
  assert.deepStrictEqual(missingImports(image, (d) => full[d] || null), []);
  assert.deepStrictEqual(missingImports(image, (d) => ({ ...full, 'kernel32.dll': systemDll(['CloseHandle'], 1, 10) })[d]),
    ['KERNEL32.dll!CreateFileW']);
  assert.deepStrictEqual(missingImports(image, (d) => ({ ...full, 'ws2_32.dll': systemDll(['accept'], 100, 50) })[d]),
    ['ws2_32.dll!#23']);
  assert.deepStrictEqual(missingImports(image, (d) => (d === 'ws2_32.dll' ? null : full[d])),
    ['ws2_32.dll (no such DLL)']);
});

test('a library without its entry points, its version or stripped symbols is refused', () => {
  const image = parseObjdump(IMAGE);
  const none = () => systemDll(['CloseHandle', 'CreateFileW', 'accept'], 1, 500);
  const faults = imageFaults(image, { library: true, version: '5.1.0.7', versionTexts: ['5.1.0.7'], sections: ['.text'] }, none);
  assert.deepStrictEqual(faults, ['does not export DllRegisterServer', 'does not export DllUnregisterServer',
    'does not export DllInstall']);
  const more = imageFaults(parseObjdump(IMAGE.replace('\tsymbols stripped\n', '').replace('pei-i386', 'pei-x86-64')),
    { library: false, version: '', versionTexts: [], sections: ['.text', '.debug_info'] }, none);
  assert.deepStrictEqual(more, ['not an i386 image (pei-x86-64)', 'not stripped']);
});

test('objdump is read in English whatever language the caller speaks', () => {
  // French with no locale to generate: C.UTF-8 takes LANGUAGE's messages.
  Object.assign(process.env, { LC_ALL: 'C.UTF-8', LANGUAGE: 'fr' });
  const image = parseObjdump(objdump(`${process.env.HINTORA_BUILD_DIR || 'build/win32'}/player/play.exe`));
  assert.ok(/^pei-/.test(image.format) && image.imports.size > 0, `format ${image.format}`);
});
