#!/usr/bin/env node
// Checks that the scripts that run inside Internet Explorer are plain ES5:
// every resources/**/*.js file and every inline <script> of resources/**/*.html
// must parse as ECMAScript 5, object or array literals may not end in a
// comma (legacy document modes reject or miscount them), and the ES5 library
// additions (Array extras, String trim, Object.keys, JSON, ...) are not used.
'use strict';
const fs = require('fs');
const path = require('path');
const acorn = require('acorn');

const root = path.join(__dirname, '..', 'resources');

function walkFiles(dir, out) {
  for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
    const full = path.join(dir, entry.name);
    if (entry.isDirectory()) walkFiles(full, out);
    else if (/\.(js|html?)$/i.test(entry.name)) out.push(full);
  }
  return out;
}

function scriptsOf(file) {
  const text = fs.readFileSync(file, 'utf8');
  if (/\.js$/i.test(file)) return [{ code: text, line: 1 }];
  const found = [];
  const re = /<script\b([^>]*)>([\s\S]*?)<\/script>/gi;
  let m;
  while ((m = re.exec(text))) {
    if (/\bsrc\s*=/i.test(m[1])) continue;
    const type = /\btype\s*=\s*["']?([^"'\s>]+)/i.exec(m[1]);
    if (type && !/^text\/(javascript|jscript)$/i.test(type[1])) continue;
    found.push({ code: m[2], line: text.slice(0, m.index).split('\n').length });
  }
  return found;
}

function trailingCommas(ast, code) {
  const problems = [];
  (function visit(node) {
    if (!node || typeof node.type !== 'string') return;
    if ((node.type === 'ObjectExpression' && node.properties.length) ||
        (node.type === 'ArrayExpression' && node.elements.length)) {
      const items = node.type === 'ObjectExpression' ? node.properties : node.elements;
      const last = items[items.length - 1];
      const tail = code.slice(last ? last.end : node.start + 1, node.end - 1);
      if (/^\s*,/.test(tail.replace(/\/\*[\s\S]*?\*\/|\/\/[^\n]*/g, ''))) problems.push(node.loc.start.line);
    }
    for (const key of Object.keys(node)) {
      const value = node[key];
      if (Array.isArray(value)) value.forEach(visit);
      else if (value && typeof value.type === 'string') visit(value);
    }
  })(ast);
  return problems;
}

// Library calls that legacy document modes lack. Array.prototype.indexOf
// cannot be told from String.prototype.indexOf here, so it is not checked.
const es5Methods = new Set(['forEach', 'map', 'filter', 'reduce', 'reduceRight', 'some', 'every',
  'trim', 'trimLeft', 'trimRight', 'bind', 'toISOString']);
const es5Statics = {
  Object: new Set(['keys', 'create', 'defineProperty', 'defineProperties', 'getPrototypeOf',
    'getOwnPropertyNames', 'getOwnPropertyDescriptor', 'freeze', 'seal', 'isFrozen', 'isSealed',
    'preventExtensions', 'isExtensible']),
  Array: new Set(['isArray']),
  Date: new Set(['now']),
};

function es5LibraryCalls(ast) {
  const problems = [];
  (function visit(node) {
    if (!node || typeof node.type !== 'string') return;
    // "Owner.method || fallback" tests for the method before using it.
    if (node.type === 'LogicalExpression' && node.operator === '||' && node.left.type === 'MemberExpression') {
      visit(node.right);
      return;
    }
    if (node.type === 'MemberExpression' && !node.computed) {
      const name = node.property.name;
      const owner = node.object.type === 'Identifier' ? node.object.name : null;
      if (owner === 'JSON') problems.push({ line: node.loc.start.line, what: 'JSON' });
      else if (owner && es5Statics[owner] && es5Statics[owner].has(name)) {
        problems.push({ line: node.loc.start.line, what: owner + '.' + name });
      }
    }
    if (node.type === 'CallExpression' && node.callee.type === 'MemberExpression' &&
        !node.callee.computed && es5Methods.has(node.callee.property.name)) {
      problems.push({ line: node.loc.start.line, what: '.' + node.callee.property.name + '()' });
    }
    for (const key of Object.keys(node)) {
      const value = node[key];
      if (Array.isArray(value)) value.forEach(visit);
      else if (value && typeof value.type === 'string') visit(value);
    }
  })(ast);
  return problems;
}

let failures = 0;
let checked = 0;
for (const file of fs.existsSync(root) ? walkFiles(root, []) : []) {
  for (const script of scriptsOf(file)) {
    checked++;
    const where = path.relative(process.cwd(), file);
    let ast;
    try {
      ast = acorn.parse(script.code, { ecmaVersion: 5, sourceType: 'script', locations: true });
    } catch (e) {
      failures++;
      console.error(`${where}:${script.line - 1 + (e.loc ? e.loc.line : 1)}: not ES5: ${e.message}`);
      continue;
    }
    for (const line of trailingCommas(ast, script.code)) {
      failures++;
      console.error(`${where}:${script.line - 1 + line}: literal ends in a comma`);
    }
    for (const p of es5LibraryCalls(ast)) {
      failures++;
      console.error(`${where}:${script.line - 1 + p.line}: ${p.what} is missing in legacy document modes`);
    }
  }
}
console.log(`es5 lint: ${checked} scripts checked, ${failures} problems`);
process.exit(failures ? 1 : 0);
