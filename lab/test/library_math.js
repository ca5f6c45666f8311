// The module's exp, log, tanh and atanh against the C library's, bit for bit, on the arguments
// and values a native program computes with the library (tests/library_values.cpp): a million
// of each and more, over the ranges the rules use (atanh: the Euler rule's uniform start's
// draws), random bit patterns, every exponent and the edges. And the browser's Math.atanh on
// the same draws, which the module no longer uses: how often it differs is printed.
//   usage: node library_math.js NUV_WASM LIBRARY_VALUES FILE   (exit 77: skipped, no module, or
//          the library here is not the fused build the module follows)
'use strict';
const fs = require('fs');
const {execFileSync} = require('child_process');
const {needModule, checks} = require('./common.js');

const [wasmPath, valuesPath, file] = process.argv.slice(2);
needModule(wasmPath);
const {check, finish, crash} = checks();

// The same double, or both NaN.
function same(a, b) { return Object.is(a, b) || (Number.isNaN(a) && Number.isNaN(b)); }

(async () => {
  try {
    execFileSync(valuesPath, [file], {stdio: ['ignore', 'inherit', 'pipe']});
  } catch (e) {
    if (e.status !== 3) throw e;
    console.log('skipped: ' + e.stderr.toString().trim() + ', the module follows the fused one');
    process.exit(77);
  }
  const data = fs.readFileSync(file);
  const values = new Float64Array(data.buffer, data.byteOffset, data.length / 8);
  // Every import the module asks for: the Math functions by their names, the rest unused here.
  const module = await WebAssembly.compile(fs.readFileSync(wasmPath));
  const env = {};
  for (const {name} of WebAssembly.Module.imports(module)) env[name] = Math[name] || (() => 0);
  const wasm = (await WebAssembly.instantiate(module, {env})).exports;
  const functions =
      [['exp', wasm.exp], ['log', wasm.log], ['tanh', wasm.tanh], ['atanh', wasm.atanh]];
  let at = 0;
  for (const [name, f] of functions) {
    const count = values[at++];
    let differ = 0, first = null;
    for (let k = 0; k < count; k++, at += 2) {
      if (same(f(values[at]), values[at + 1])) continue;
      if (differ++ === 0) first = values[at];
    }
    console.log(`${name}: ${count} arguments, ${differ} differ`);
    if (name === 'atanh') {
      let browser = 0;
      for (let k = at - 2 * count; k < at; k += 2)
        browser += !same(Math.atanh(values[k]), values[k + 1]);
      console.log(`(the browser's Math.atanh: ${browser} differ)`);
    }
    check(count >= 1000000, `${name}: at least a million arguments`);
    check(differ === 0, `${name} differs from the C library's ${differ} times, first at ${first}`);
  }
  check(at === values.length, 'the file holds the four functions and nothing else');
  fs.unlinkSync(file);
  finish('library_math');
})().catch(crash);
