// The seeds panel's time in Chromium: opens the page with a fragment that runs the panel
// (run=seeds, added when missing), waits for its summary row, and prints the row and the
// milliseconds the page measured from the click to the row. Never run by ctest.
//   usage: node bench/lab-seeds.js build/lab/nuv-lab.html
//   'A=1&B=1&D=1&seed=5&cities=eil51&rule=euler&run=seeds'
'use strict';
const path = require('path');

// The fragment given, with run=seeds added when it does not ask for the panel to run: the page
// runs it only then, and the wait would never end.
function seedsFragment(given) {
  const text = (given || '').replace(/^#/, '');
  return /(^|&)run=seeds(&|$)/.test(text) ? text : text ? `${text}&run=seeds` : 'run=seeds';
}

async function main(pagePath, given) {
  const {needChromium, openBrowser} =
      require(path.join(__dirname, '..', 'lab', 'test', 'common.js'));
  const chromium = needChromium(pagePath);
  const {browser, page} = await openBrowser(chromium, {width: 1200, height: 1000});
  await page.goto('file://' + path.resolve(pagePath) + '#' + seedsFragment(given));
  await page.waitForFunction(() => document.getElementById('seeds-panel').dataset.milliseconds,
                             null, {timeout: 0});
  console.log(await page.textContent('#survey'));
  console.log(`${await page.getAttribute('#seeds-panel', 'data-milliseconds')} ms`);
  await browser.close();
}

if (require.main === module)
  main(...process.argv.slice(2));
else
  module.exports = {seedsFragment};
