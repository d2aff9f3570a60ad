'use strict';
// The closing line of the test command names each test that passed only when
// ctest ran it again; read from logs as ctest writes them with
// --repeat until-pass:2 and --output-on-failure.
const { describe, it } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { parseCtestLog, secondRunsLine } = require('../../scripts/ctest-summary.js');

// A repeated run has no "n/N" in front; failures are followed by the test's
// output, which may itself speak of passing.
const log = [
  'Test project /x/build/win64',
  '    Start 1: player_tests.ServerTest.A',
  '    Start 2: js.play-launch',
  '1/6 Test #2: js.play-launch ...................***Failed   12.10 sec',
  '# Subtest: starts Firefox',
  'Test #3: fake.line Passed, said by the output',
  '    Start 2: js.play-launch',
  '2/6 Test #1: player_tests.ServerTest.A ........   Passed    0.50 sec',
  '    Test #2: js.play-launch ...................   Passed    9.20 sec',
  '3/6 Test #4: js.play-crash ....................***Timeout 600.01 sec',
  '    Start 4: js.play-crash',
  '    Test #4: js.play-crash ....................   Passed   30.00 sec',
  '4/6 Test #5: player_tests.ServerTest.B ........***Exception: SegFault  1.00 sec',
  '    Start 5: player_tests.ServerTest.B',
  '    Test #5: player_tests.ServerTest.B ........***Failed    1.00 sec',
  '5/6 Test #6: extension_tests.Dialog.C .........   Passed    0.40 sec',
  '6/6 Test #7: extension_tests.Dialog.D .........***Not Run   0.00 sec',
  '    Test #7: extension_tests.Dialog.D .........   Passed    0.40 sec',
  '',
  '67% tests passed, 1 tests failed out of 6',
].join('\n');

describe('ctest log summary', () => {
  it('takes the last result of each test and names those that passed only when run again', () => {
    const { last, secondRuns } = parseCtestLog(log);
    assert.deepEqual(Object.fromEntries(last), {
      'js.play-launch': 'Passed',
      'player_tests.ServerTest.A': 'Passed',
      'js.play-crash': 'Passed',
      'player_tests.ServerTest.B': 'Failed',
      'extension_tests.Dialog.C': 'Passed',
      'extension_tests.Dialog.D': 'Passed',
    });
    // A test that failed both times is a failure, not a second-run pass.
    assert.deepEqual(secondRuns, ['js.play-launch', 'js.play-crash', 'extension_tests.Dialog.D']);
  });

  it('says "none" for a clean run, and names the tree of each when given both runs', () => {
    const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'ctest-summary-'));
    try {
      const clean = path.join(dir, 'win32.ctest.log');
      const flaky = path.join(dir, 'win64.ctest.log');
      fs.writeFileSync(clean, '1/1 Test #1: js.a ....   Passed    0.10 sec\n');
      fs.writeFileSync(flaky, log);
      assert.equal(secondRunsLine([clean]), 'test: passed only on a second run: none');
      assert.equal(secondRunsLine([flaky]),
        'test: passed only on a second run: js.play-launch, js.play-crash, extension_tests.Dialog.D');
      const tree = path.join(dir, 'win64');
      assert.equal(secondRunsLine([clean, flaky]),
        `test: passed only on a second run: ${tree}: js.play-launch, ${tree}: js.play-crash, ${tree}: extension_tests.Dialog.D`);
    } finally {
      fs.rmSync(dir, { recursive: true, force: true });
    }
  });
});
