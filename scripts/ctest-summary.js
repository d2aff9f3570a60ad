#!/usr/bin/env node
// One line per test program of a CTest run: the cases of each C++ test
// program, each run of one on a display or under another language, and the
// node test files, with how many passed, failed and were skipped (the cases
// that only a run of their own takes, and the halves of two-process tests
// that their partners start). A test that ctest repeated counts by its last
// result.
//   node scripts/ctest-summary.js BUILD_TREE CTEST_LOG
'use strict';
const path = require('path');
const fs = require('fs');
const { execFileSync } = require('child_process');

const [tree, log] = process.argv.slice(2);
const listing = JSON.parse(execFileSync('ctest', ['--test-dir', tree, '--show-only=json-v1'], { encoding: 'utf8' }));
const programOf = new Map();
for (const t of listing.tests) {
  const exe = (t.command || []).find((c) => /\.exe$/i.test(c));
  let program = 'node test files';
  if (exe && (t.command || []).some((c) => /^--gtest_filter=/.test(c)) && /\./.test(t.name) &&
      t.name.startsWith(path.basename(exe, '.exe') + '.')) {
    program = t.name; // a program's run of its own, on a display or in another language
  } else if (exe) {
    program = path.basename(exe);
  }
  programOf.set(t.name, program);
}

const last = new Map();
for (const line of fs.readFileSync(log, 'utf8').split('\n')) {
  const m = /Test\s+#\d+: (\S+) \.*\s*(\*\*\*)?(Passed|Failed|Skipped|Timeout|Exception|Not Run)/.exec(line);
  if (m) last.set(m[1], m[3]);
}
const counts = new Map();
for (const [name, result] of last) {
  const program = programOf.get(name) || 'other';
  const c = counts.get(program) || { passed: 0, failed: 0, skipped: 0 };
  if (result === 'Passed') c.passed++;
  else if (result === 'Skipped' || result === 'Not Run') c.skipped++;
  else c.failed++;
  counts.set(program, c);
}
for (const [program, c] of counts) {
  console.log(`test: ${tree}: ${program}: ${c.passed} passed, ${c.failed} failed` +
    (c.skipped ? `, ${c.skipped} skipped` : ''));
}
