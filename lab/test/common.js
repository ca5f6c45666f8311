// What the module's Node and browser tests share: skipping (status 77) when the module, the page
// or the browser is missing, a small generator of their own, so that their command lines are
// the same on every machine, Chromium opened the same way, and counted checks.
'use strict';
const fs = require('fs');
const path = require('path');

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

// Playwright's Chromium for a page test, or an exit as skipped when the page was not built or
// the browser or Playwright is missing.
const CHROMIUM = '/usr/bin/chromium';
function needChromium(pagePath) {
  const skip = (why) => (console.log('skipped: ' + why), process.exit(77));
  if (!fs.existsSync(pagePath)) skip('the page was not built (no clang or wasm-ld)');
  if (!fs.existsSync(CHROMIUM)) skip('no ' + CHROMIUM);
  try {
    return require(path.join(__dirname, 'node_modules', 'playwright-core')).chromium;
  } catch (e) {
    return skip('playwright-core is not installed (npm ci in lab/test)');
  }
}

// Chromium started with nothing of its own to fetch, and a page of the viewport's size that
// keeps its console errors and every request beyond file: and blob: addresses.
async function openBrowser(chromium, viewport) {
  const browser = await chromium.launch({
    executablePath: CHROMIUM,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'
    ],
  });
  const page = await browser.newPage({viewport});
  const errors = [], requests = [];
  page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('request', (r) => /^(file|blob):/.test(r.url()) || requests.push(r.url()));
  return {browser, page, errors, requests};
}

// Checks counted and told: check(ok, what) says each failure; finish(name) says the counts and
// exits, 1 when any failed. A test that throws fails too.
function checks() {
  let passed = 0, failed = 0;
  return {
    check: (ok, what) => (ok ? passed++ : (failed++, console.log('FAILED: ' + what))),
    finish: (name) =>
        (console.log(`${name}: ${passed} passed, ${failed} failed`), process.exit(failed ? 1 : 0)),
    crash: (e) => (console.log('FAILED: ' + e.stack), process.exit(1)),
  };
}

module.exports = {
  needModule,
  generator,
  needChromium,
  openBrowser,
  checks
};
