// The seeds panel's time in Chromium: opens the page with a fragment that runs the panel
// (run=seeds), waits for its summary row, and prints the row and the milliseconds the page
// measured from the click to the row. Never run by ctest.
//   usage: node bench/lab-seeds.js build/lab/nuv-lab.html 'A=1&B=1&D=1&seed=5&cities=eil51&rule=euler&run=seeds'
'use strict';
const path = require('path');
const { needChromium, openBrowser } = require(path.join(__dirname, '..', 'lab', 'test', 'common.js'));

const [pagePath, fragment] = process.argv.slice(2);
const chromium = needChromium(pagePath);
(async () => {
  const { browser, page } = await openBrowser(chromium, { width: 1200, height: 1000 });
  await page.goto('file://' + path.resolve(pagePath) + '#' + fragment);
  await page.waitForFunction(() => document.getElementById('seeds-panel').dataset.milliseconds, null, { timeout: 0 });
  console.log(await page.textContent('#survey'));
  console.log(`${await page.getAttribute('#seeds-panel', 'data-milliseconds')} ms`);
  await browser.close();
})();
