// Static checks of the page's JavaScript (hosts/web/page/), with ESLint's
// Linter from Debian's eslint package (NODE_PATH=/usr/share/nodejs): names
// used but declared nowhere, variables and arguments never used, and
// properties of an object literal held in a const that the literal does not
// declare (read or written through the const, or through `this` in the
// literal's own methods). The page's scripts share one global scope, so they
// are checked together, in the order index.html loads them; the audio
// thread's script, the service worker and host_library.js (a part of the
// compiled program) each in their own. Any finding fails.
//   node tools/lint-page.cjs [PAGE_FOLDER]
'use strict';
const fs = require('fs');
const path = require('path');
const { Linter } = require('eslint');

const folder = process.argv[2] || path.join(__dirname, '..', 'hosts', 'web', 'page');

// The object literal an expression stands for, or null: a const's
// literal, `this` in a literal's method, or a property that holds either.
function literalOf(node, context) {
  if (node.type === 'ObjectExpression') return node;
  if (node.type === 'Identifier') {
    for (let scope = context.getScope(); scope; scope = scope.upper) {
      const variable = scope.set.get(node.name);
      if (!variable) continue;
      const def = variable.defs.length === 1 ? variable.defs[0] : null;
      const constant = def && def.type === 'Variable' && def.parent.kind === 'const' && def.node.init;
      return constant && constant.type === 'ObjectExpression' ? constant : null;
    }
    return null;
  }
  if (node.type === 'ThisExpression') {
    // `this` in a method of the literal; arrow functions keep their `this`.
    let at = node.parent;
    while (at && (at.type === 'ArrowFunctionExpression' || !/Function/.test(at.type))) at = at.parent;
    const owner = at && at.parent;
    return owner && owner.type === 'Property' && owner.value === at ? owner.parent : null;
  }
  if (node.type === 'MemberExpression' && !node.computed) {
    const outer = literalOf(node.object, context);
    const property = outer && declared(outer).get(node.property.name);
    return property ? literalOf(property, context) : null;
  }
  return null;
}

function declared(literal) {
  const properties = new Map();
  for (const property of literal.properties) {
    if (property.type !== 'Property' || property.computed) continue;
    const key = property.key.type === 'Identifier' ? property.key.name : String(property.key.value);
    properties.set(key, property.value);
  }
  return properties;
}

const undeclaredProperty = {
  meta: { type: 'problem' },
  create(context) {
    return {
      MemberExpression(node) {
        if (node.computed) return;
        const literal = literalOf(node.object, context);
        if (literal && !declared(literal).has(node.property.name)) {
          context.report({ node: node.property, message: "'" + node.property.name + "' is not declared in the object's literal." });
        }
      },
    };
  },
};

const RULES = {
  'no-undef': 'error',
  'no-unused-vars': ['error', { vars: 'all', args: 'after-used' }],
  'undeclared-property': 'error',
};

const linter = new Linter();
linter.defineRule('undeclared-property', undeclaredProperty);

// Lints files as one script; each finding as "file:line:column: message (rule)".
function lint(files, env, globals = {}, rewrite = (text) => text) {
  const parts = files.map((file) => ({ file, text: rewrite(fs.readFileSync(path.join(folder, file), 'utf8')) }));
  const config = { parserOptions: { ecmaVersion: 2022, sourceType: 'script' }, env: { es2020: true, ...env }, globals, rules: RULES };
  const findings = linter.verify(parts.map((part) => part.text).join('\n'), config);
  return findings.map((finding) => {
    let line = finding.line;
    const part = parts.find((candidate) => {
      const lines = candidate.text.split('\n').length;
      if (line <= lines) return true;
      line -= lines;
      return false;
    });
    return path.join(folder, part.file) + ':' + line + ':' + finding.column + ': ' + finding.message +
      (finding.ruleId ? ' (' + finding.ruleId + ')' : '');
  });
}

const SCRIPT_TAG = /^<script src="([a-z_]+\.js)"><\/script>$/;
const scripts = fs.readFileSync(path.join(folder, 'index.html'), 'utf8').split('\n')
  .map((line) => SCRIPT_TAG.exec(line)).filter(Boolean).map((match) => match[1]);
const readonly = (...names) => Object.fromEntries(names.map((name) => [name, 'readonly']));
const findings = [
  ...lint(scripts, { browser: true }),
  ...lint(['speaker_worklet.js'], {}, readonly('AudioWorkletProcessor', 'registerProcessor')),
  ...lint(['service_worker.js.in'], { serviceworker: true }, {},
          (text) => text.replace(/@PAGE_VERSION@/g, '0').replace(/@PAGE_FILES@/g, '')),
  ...lint(['host_library.js'], {}, readonly('mergeInto', 'LibraryManager', 'Module', 'UTF8ToString', 'HEAPU8', 'HEAP16')),
];
for (const finding of findings) console.log(finding);
console.log('lint-page: ' + (scripts.length + 3) + ' files, ' + findings.length + ' findings');
process.exit(findings.length === 0 ? 0 : 1);
