'use strict';
// The library's layers and the player's units include each other only one
// way; the checker itself is tried on small trees.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { checkTree, TREES } = require('../../scripts/include-graph.js');

// The trees go when the file's tests end, passed or failed.
const roots = [];
test.after(() => {
  for (const root of roots) fs.rmSync(root, { recursive: true, force: true });
});

function tree(files) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'include-graph-'));
  roots.push(root);
  for (const [name, text] of Object.entries(files)) {
    fs.mkdirSync(path.dirname(path.join(root, 'lib', name)), { recursive: true });
    fs.writeFileSync(path.join(root, 'lib', name), text);
  }
  return root;
}

test('the library and the player have no circle and no upward include', () => {
  for (const t of TREES) assert.deepStrictEqual(checkTree(t, false), [], t.dir);
});

test('a circle through a file that implements another unit\'s class is found', () => {
  const root = tree({
    'low/A.h': '',
    'low/A.cpp': '#include "low/A.h"\n#include "high/B.h"\n',
    'high/B.h': '#include "low/A.h"\n',
    // Part of B's class, kept in a file of its own.
    'high/BMore.cpp': '#include "high/B.h"\n\n#include "low/A.h"\n',
  });
  const faults = checkTree({ dir: 'lib', layers: ['low', 'high'] }, false, root);
  assert.ok(faults.includes('lib/low/A.cpp includes high/B.h of a higher layer'), faults.join('\n'));
  assert.ok(faults.some((f) => /circle among high\/B, low\/A/.test(f)), faults.join('\n'));
});

test('one-way includes in a flat folder pass', () => {
  const root = tree({
    'A.h': '', 'A.cpp': '#include "A.h"\n#include "B.h"\n',
    'B.h': '', 'B.cpp': '#include "B.h"\n#include "generated.h"\n',
  });
  assert.deepStrictEqual(checkTree({ dir: 'lib', layers: null }, false, root), []);
});
