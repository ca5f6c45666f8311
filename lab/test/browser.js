// The lab page in a real browser, Debian's Chromium driven by Playwright: loaded from file://
// with a fragment, its #table is nuv's own text for that cycle; a slider moved from the keyboard
// and the step buttons change it as nuv would; bad input shows a message and keeps the run; no
// console errors; a screenshot; and the page is one file under 100 KB.
//   usage: node browser.js NUV_LAB_HTML NUV_BINARY SCREENSHOT_PNG   (exit 77: skipped)
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

const [pagePath, nuvPath, screenshotPath] = process.argv.slice(2);
const CHROMIUM = '/usr/bin/chromium';
function skip(why) {
  console.log('skipped: ' + why);
  process.exit(77);
}
if (!fs.existsSync(pagePath)) skip('the page was not built (no clang or wasm-ld)');
if (!fs.existsSync(CHROMIUM)) skip('no ' + CHROMIUM);
let chromium;
try {
  ({ chromium } = require(path.join(__dirname, 'node_modules', 'playwright-core')));
} catch (e) {
  skip('playwright-core is not installed (npm ci in lab/test)');
}

let passed = 0;
let failed = 0;
function check(ok, what) {
  if (ok) passed++;
  else failed++, console.log('FAILED: ' + what);
}

// The lines nuv prints for one cycle: its table and, from cycle 1 on, its energy line.
function nuvCycle(args, cycle) {
  const lines = execFileSync(nuvPath, args).toString().split('\n');
  const start = cycle === 0 ? 0 : 11 + 12 * (cycle - 1);
  return lines.slice(start, start + (cycle === 0 ? 11 : 12)).join('\n') + '\n';
}

(async () => {
  check(fs.statSync(pagePath).size < 100 * 1024, 'the page is under 100 KB');
  const browser = await chromium.launch({
    executablePath: CHROMIUM,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  const page = await browser.newPage({ viewport: { width: 1150, height: 1000 } });
  const errors = [];
  const requests = [];
  page.on('console', (m) => m.type() === 'error' && errors.push(m.text()));
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('request', (r) => r.url().startsWith('file:') || requests.push(r.url()));
  const table = () => page.textContent('#table');
  const url = 'file://' + path.resolve(pagePath);
  async function open(a, b, d, seed, cycle) {
    await page.goto(`${url}#A=${a}&B=${b}&D=${d}&seed=${seed}&cycle=${cycle}`);
    await page.waitForFunction((c) => document.getElementById('cycle').value === String(c) &&
      document.getElementById('table').textContent.includes(`Cycle : ${String(c).padStart(4)}`), cycle);
  }

  // 1. Links: the table for the cycle the fragment names, as nuv prints it.
  const links = [['1', '1', '1', '5', 49], ['0', '0', '0', '3', 3], ['5', '5', '5', '4294967295', 1],
    ['-0.5', '2', '1.25', '77', 0], ['0.7', '1.3', '2.5', '123456789', 25], ['2', '0.5', '0.25', '0', 49],
    ['1', '1', '2', '130', 12], ['3.5', '-1', '4', '2147483648', 30], ['1e-3', '1', '1', '9', 48],
    ['1.5', '1.5', '0.5', '31337', 7], ['4', '4', '1', '42', 49]];
  for (const [a, b, d, seed, cycle] of links) {
    await open(a, b, d, seed, cycle);
    check((await table()) === nuvCycle([a, b, d, seed], cycle), `#table for nuv ${a} ${b} ${d} ${seed}, cycle ${cycle}`);
  }

  // 2. A slider moved from the keyboard reruns the network; step back shows the cycle before.
  await open('1', '1', '1', '5', 20);
  await page.focus('#D-range');
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(() => document.getElementById('D').value === '1.05');
  check((await table()) === nuvCycle(['1', '1', '1.05', '5'], 20), 'the table after Dcoef moved to 1.05');
  check((await page.evaluate(() => location.hash)).includes('D=1.05'), 'the fragment follows the slider');
  check((await page.textContent('#command')) === 'nuv 1 1 1.05 5', 'the command to copy');
  await page.click('#back');
  check((await table()) === nuvCycle(['1', '1', '1.05', '5'], 19), 'step back shows cycle 19');
  await page.click('#forward');
  await page.click('#forward');
  check((await table()) === nuvCycle(['1', '1', '1.05', '5'], 21), 'step forward shows cycle 21');

  // 3. Bad input: a message beside the field, and the last good run stays on screen.
  const before = await table();
  for (const [field, text] of [['A', 'abc'], ['B', ''], ['D', '1e999'], ['seed', '4294967296'], ['seed', '-3']]) {
    await page.fill('#' + field, text);
    const message = await page.textContent(`#${field}-msg`);
    check(message.length > 0, `a message for ${field} = '${text}'`);
    check((await table()) === before, `the run stays for ${field} = '${text}'`);
    await page.fill('#' + field, field === 'seed' ? '5' : field === 'D' ? '1.05' : '1');
  }
  check((await page.textContent('#A-msg')) === '', 'the message goes when the input is good');

  // 4. A screenshot; nothing fetched from anywhere, nothing in the console.
  await open('1', '1', '1', '5', 49);
  await page.screenshot({ path: screenshotPath, fullPage: true });
  check(fs.statSync(screenshotPath).size > 20000, 'a screenshot with something in it');
  check(requests.length === 0, 'no requests beyond the file: ' + requests.join(' '));
  check(errors.length === 0, 'no console errors: ' + errors.join(' | '));
  await browser.close();
  console.log(`browser: ${passed} passed, ${failed} failed`);
  process.exit(failed ? 1 : 0);
})().catch((e) => {
  console.log('FAILED: ' + e.stack);
  process.exit(1);
});
