// What the module's Node tests share: skipping (status 77) when the module was not built, and a
// small generator of their own, so that their command lines are the same on every machine.
'use strict';
const fs = require('fs');

// Exits as skipped unless the module at path exists.
function needModule(path) {
  if (fs.existsSync(path)) return;
  console.log('skipped: no WebAssembly module at ' + path);
  process.exit(77);
}

// A generator of numbers in [0, 1) from seed: a linear congruence over 32 bits.
function generator(seed) {
  let state = seed >>> 0;
  return () => {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    return state / 4294967296;
  };
}

module.exports = { needModule, generator };
