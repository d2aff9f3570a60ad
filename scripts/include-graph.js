#!/usr/bin/env node
'use strict';
// Prints the include graph of the library and of the player, one line per
// unit (X.h and X.cpp are one unit), and exits with 1 when units include each
// other in a circle or a library file includes from a higher layer.
//
//   node scripts/include-graph.js [--quiet]
const fs = require('fs');
const path = require('path');

const ROOT = path.join(__dirname, '..');
// The library's layers, lowest first; files directly in extension/ (the
// module's entry points) sit above them all.
const TREES = [
  { dir: 'extension', layers: ['base', 'messages', 'settings', 'ui', 'helper', 'scriptable', ''] },
  { dir: 'player', layers: null },
  { dir: 'common', layers: null },
];

function sourceFiles(dir) {
  const out = [];
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) out.push(...sourceFiles(full));
    else if (/\.(h|cpp)$/.test(entry.name)) out.push(full);
  }
  return out;
}

function quotedIncludes(text) {
  const found = [];
  const pattern = /^\s*#\s*include\s+"([^"]+)"/gm;
  let m;
  while ((m = pattern.exec(text))) found.push(m[1]);
  return found;
}

// A .cpp without a header of its own belongs to the unit of the header it
// includes first when it defines members of a class declared there: it holds
// part of that class.
function unitOf(dir, rel, text, headers) {
  const base = rel.replace(/\.(h|cpp)$/, '');
  if (rel.endsWith('.h') || headers.has(base + '.h')) return base;
  const first = quotedIncludes(text)[0];
  if (!first || !headers.has(first)) return base;
  const header = fs.readFileSync(path.join(dir, first), 'utf8');
  const classes = [...header.matchAll(/^\s*(?:class|struct)\s+(\w+)[^;]*$/gm)].map((m) => m[1]);
  const defines = classes.some((name) => new RegExp('^[^\\n;#/]*\\b' + name + '::~?\\w+\\s*\\(', 'm').test(text));
  return defines ? first.replace(/\.h$/, '') : base;
}

function layerOf(rel, layers) {
  const folder = rel.includes('/') ? rel.split('/')[0] : '';
  const index = layers.indexOf(folder);
  return index < 0 ? layers.length : index;
}

// Units that reach each other (Tarjan's strongly connected components).
function circles(graph) {
  let counter = 0;
  const index = new Map(), low = new Map(), stack = [], onStack = new Set(), found = [];
  function visit(v) {
    index.set(v, counter); low.set(v, counter); counter++;
    stack.push(v); onStack.add(v);
    for (const w of graph.get(v) || []) {
      if (!index.has(w)) { visit(w); low.set(v, Math.min(low.get(v), low.get(w))); }
      else if (onStack.has(w)) low.set(v, Math.min(low.get(v), index.get(w)));
    }
    if (low.get(v) === index.get(v)) {
      const component = [];
      let w;
      do { w = stack.pop(); onStack.delete(w); component.push(w); } while (w !== v);
      if (component.length > 1) found.push(component.sort());
    }
  }
  for (const v of graph.keys()) if (!index.has(v)) visit(v);
  return found;
}

function checkTree(tree, print, root = ROOT) {
  const dir = path.join(root, tree.dir);
  const files = sourceFiles(dir);
  const rels = files.map((f) => path.relative(dir, f).split(path.sep).join('/'));
  const headers = new Set(rels.filter((r) => r.endsWith('.h')));
  const graph = new Map();
  const faults = [];
  files.forEach((file, i) => {
    const rel = rels[i];
    const text = fs.readFileSync(file, 'utf8');
    const unit = unitOf(dir, rel, text, headers);
    if (!graph.has(unit)) graph.set(unit, new Set());
    for (const inc of quotedIncludes(text)) {
      // Includes are written from the tree's root; a bare name is a file of
      // the same folder (the player is flat).
      const target = headers.has(inc) ? inc : headers.has(path.posix.join(path.posix.dirname(rel), inc))
        ? path.posix.join(path.posix.dirname(rel), inc) : null;
      if (!target) {
        // A header the programs share ("common/..."): listed, never above.
        if (fs.existsSync(path.join(root, inc)) && !inc.startsWith(tree.dir + '/'))
          graph.get(unit).add(inc.replace(/\.h$/, ''));
        continue; // otherwise generated or resource headers
      }
      const to = target.replace(/\.h$/, '');
      if (to !== unit) graph.get(unit).add(to);
      if (tree.layers && layerOf(target, tree.layers) > layerOf(rel, tree.layers))
        faults.push(`${tree.dir}/${rel} includes ${target} of a higher layer`);
    }
  });
  for (const component of circles(graph))
    faults.push(`${tree.dir}: circle among ${component.join(', ')}`);
  if (print) {
    console.log(`${tree.dir}/`);
    for (const unit of [...graph.keys()].sort()) {
      const deps = [...graph.get(unit)].sort();
      console.log(`  ${unit}${deps.length ? ' -> ' + deps.join(' ') : ''}`);
    }
  }
  return faults;
}

if (require.main === module) {
  const quiet = process.argv.includes('--quiet');
  const faults = TREES.flatMap((tree) => checkTree(tree, !quiet));
  for (const fault of faults) console.error(fault);
  process.exit(faults.length ? 1 : 0);
}

module.exports = { checkTree, circles, TREES };
