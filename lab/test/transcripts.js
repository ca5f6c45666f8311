// The WebAssembly module's transcripts against nuv's, byte for byte, for 240 command lines (or
// COUNT):
// random coefficients in -1 ... 5 and seeds over all 32 bits, all-zero and saturating ones.
// Also printf's formats against values worked out by hand.
//   usage: node transcripts.js NUV_WASM NUV_BINARY [COUNT]   (exit 77: skipped, no module)
'use strict';
const fs = require('fs');
const {execFileSync} = require('child_process');
const Nuv = require('../nuv.js');
const {needModule, generator} = require('./common.js');

const [wasmPath, nuvPath, count = '240'] = process.argv.slice(2);
needModule(wasmPath);
const random = generator(20261208);

function commandLines() {
  const lines = [
    ['0', '0', '0', '7'], ['5', '5', '5', '1'], ['0', '0', '0', '0'], ['1', '1', '1', '5'],
    ['-1', '-1', '-1', '4294967295'], ['5', '5', '5', '2147483648']
  ];
  while (lines.length < Number(count)) {
    const coef = () => (-1 + 6 * random()).toFixed(1 + Math.floor(random() * 5));
    lines.push([coef(), coef(), coef(), String(Math.floor(random() * 4294967296))]);
  }
  return lines;
}

// printf's digits for ties, negative zero, infinities and NaN, worked out by hand.
function formats() {
  const cases = [
    [0.125, 2, '0.12'], [0.375, 2, '0.38'], [2.5, 0, '2'], [0.0078125, 6, '0.007812'],
    [0.0234375, 6, '0.023438'], [-0, 2, '-0.00'], [-0.001, 2, '-0.00'], [Infinity, 6, 'inf'],
    [-Infinity, 2, '-inf'], [NaN, 6, 'nan'], [1e21, 2, '1000000000000000000000.00'],
    [5e-324, 6, '0.000000'], [0.995, 2, '0.99'], [1, 2, '1.00']
  ];
  let failed = 0;
  for (const [x, d, expected] of cases) {
    const got = Nuv.fixed(x, d);
    if (got !== expected) {
      failed++;
      console.log(`%.${d}f of ${x}: got ${got}, expected ${expected}`);
    }
  }
  const negativeNan = BigInt('0xfff8000000000000');
  if (Nuv.fixedBits(negativeNan, 6) !== '-nan') failed++, console.log('negative NaN');
  return {passed: cases.length + 1 - failed, failed};
}

(async () => {
  const model = await Nuv.load(fs.readFileSync(wasmPath));
  const f = formats();
  let same = 0;
  const differ = [];
  for (const args of commandLines()) {
    const got =
        model.transcript({}, Number(args[0]), Number(args[1]), Number(args[2]), Number(args[3]));
    const expected = execFileSync(nuvPath, args).toString();
    if (got === expected)
      same++;
    else
      differ.push(args.join(' '));
  }
  console.log(`transcripts identical to nuv's: ${same} of ${same + differ.length}`);
  for (const args of differ) console.log('differs: nuv ' + args);
  console.log(`transcripts: ${f.passed + same} passed, ${f.failed + differ.length} failed`);
  process.exit(f.failed + differ.length === 0 ? 0 : 1);
})();
