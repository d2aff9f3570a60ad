#!/usr/bin/env node
// One line per test program of a CTest run: the cases of each C++ test
// program, each run of one on a display or under another language, and the
// node test files, with how many passed, failed and were skipped (the cases
// that only a run of their own takes, and the halves of two-process tests
// that their partners start). A test that ctest repeated counts by its last
// result.
//   node scripts/ctest-summary.js BUILD_TREE CTEST_LOG
// The tests that passed only when ctest ran them again, from one log or
// more, in one line ("none" when there are none), so that a flaky test is
// seen rather than hidden by the retry:
//   node scripts/ctest-summary.js --second-runs CTEST_LOG...
'use strict';
const path = require('path');
const fs = require('fs');
const { execFileSync } = require('child_process');

// Every result line of a test, in the order of the log: a test that ctest
// ran again has one line per run.
function parseCtestLog(text) {
  const runs = new Map();
  for (const line of text.split('\n')) {
    const m = /^\s*(?:\d+\/\d+\s+)?Test\s+#\d+: (\S+) \.+\s*(\*\*\*)?(Passed|Failed|Skipped|Timeout|Exception|Not Run)/.exec(line);
    if (!m) continue;
    if (!runs.has(m[1])) runs.set(m[1], []);
    runs.get(m[1]).push(m[3]);
  }
  const last = new Map();
  const secondRuns = [];
  for (const [name, results] of runs) {
    last.set(name, results[results.length - 1]);
    if (results.length > 1 && results[results.length - 1] === 'Passed' && results.some((r) => r !== 'Passed'))
      secondRuns.push(name);
  }
  return { last, secondRuns };
}

function secondRunsLine(logs) {
  const names = [];
  for (const log of logs) {
    const { secondRuns } = parseCtestLog(fs.readFileSync(log, 'utf8'));
    // With both trees' runs, each name says which tree it ran in.
    const tree = log.replace(/\.ctest\.log$/, '');
    for (const name of secondRuns) names.push(logs.length > 1 ? `${tree}: ${name}` : name);
  }
  return `test: passed only on a second run: ${names.length ? names.join(', ') : 'none'}`;
}

function programLines(tree, log) {
  const listing = JSON.parse(execFileSync('ctest', ['--test-dir', tree, '--show-only=json-v1'],
    { encoding: 'utf8', env: { ...process.env, LC_ALL: 'C' } }));
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

  const { last } = parseCtestLog(fs.readFileSync(log, 'utf8'));
  const counts = new Map();
  for (const [name, result] of last) {
    const program = programOf.get(name) || 'other';
    const c = counts.get(program) || { passed: 0, failed: 0, skipped: 0 };
    if (result === 'Passed') c.passed++;
    else if (result === 'Skipped' || result === 'Not Run') c.skipped++;
    else c.failed++;
    counts.set(program, c);
  }
  const lines = [];
  for (const [program, c] of counts) {
    lines.push(`test: ${tree}: ${program}: ${c.passed} passed, ${c.failed} failed` +
      (c.skipped ? `, ${c.skipped} skipped` : ''));
  }
  return lines;
}

if (require.main === module) {
  const args = process.argv.slice(2);
  if (args[0] === '--second-runs') console.log(secondRunsLine(args.slice(1)));
  else for (const line of programLines(args[0], args[1])) console.log(line);
}
module.exports = { parseCtestLog, secondRunsLine };
