// The page at many cities, in Chromium: for each N given, opens the page on random:N:1 (rule
// and sweeps as asked), and prints the milliseconds from the page's load to the run drawn (the
// run in its worker when long, with its progress, and the longest the progress line stood
// still meanwhile), and the milliseconds to show another cycle of the run (drawn from a state
// the run kept). Never run by ctest.
//   usage: node bench/lab-large.js build/lab/nuv-lab.html euler 100 50 100 200
//   (the page, the rule, the sweeps, then the numbers of cities; with SHOT=name in the
//   environment, the grid's picture as name-N.png too)
'use strict';
const path = require('path');

async function main(pagePath, rule, sweeps, ...sizes) {
  const {needChromium, openBrowser} =
      require(path.join(__dirname, '..', 'lab', 'test', 'common.js'));
  const chromium = needChromium(pagePath);
  for (const n of sizes) {
    const {browser, page, errors} = await openBrowser(chromium, {width: 1200, height: 1000});
    const fragment = `A=1&B=1&D=1&seed=5&cities=random:${n}:1&rule=${rule}&sweeps=${sweeps}`;
    const start = Date.now();
    // The times the progress line changes, from the page's start.
    await page.addInitScript(() => {
      window.progressTimes = [];
      document.addEventListener('DOMContentLoaded', () => {
        new MutationObserver(() => window.progressTimes.push(performance.now()))
            .observe(document.getElementById('running-text'),
                     {childList: true, characterData: true, subtree: true});
      });
    });
    await page.goto('file://' + path.resolve(pagePath) + '#' + fragment);
    // Drawn: the grid holds the cells or the image, and no progress is shown.
    await page.waitForFunction(() => document.querySelector('#grid rect[data-i], #grid image') &&
                                     document.getElementById('progress').hidden,
                               null, {timeout: 0, polling: 50});
    const run = Date.now() - start;
    // The longest the progress line stood still while the run was in the worker.
    const still = await page.evaluate(() => {
      const t = window.progressTimes;
      let most = 0;
      for (let k = 1; k < t.length; k++) most = Math.max(most, t[k] - t[k - 1]);
      return t.length > 1 ? `${t.length} changes, at most ${most.toFixed(0)} ms apart` : 'none';
    });
    // Another cycle: the last, then the first, each a state the run kept.
    const show = await page.evaluate(() => {
      const slider = document.getElementById('cycle'), times = [];
      for (const c of [slider.max, 0, slider.max]) {
        const t = performance.now();
        slider.value = String(c);
        slider.dispatchEvent(new Event('input'));
        times.push(performance.now() - t);
      }
      return times.map((t) => t.toFixed(0)).join(' ');
    });
    const status = await page.textContent('#status');
    if (process.env.SHOT) // a picture of the grid, to look at
      await (await page.$('#grid')).screenshot({path: `${process.env.SHOT}-${n}.png`});
    console.log(`N ${n}: run drawn in ${run} ms; cycles shown in ${show} ms; progress line: ${
                    still}; ${status}` +
                (errors.length ? `; errors: ${errors.join(' | ')}` : ''));
    await browser.close();
  }
}

main(...process.argv.slice(2));
