// The lab page beyond 100 cities, in Chromium: a run of 150 cities in the worker, its progress
// line telling the seconds, shows nuv-trace --tables's blocks and nuv-trace's status for the
// cycles shown, the kept ones and those made again in a worker cut at that cycle; 1,002 cities
// are taken (random:1002:1, pr1002 from the picker) and 1,003 refused, by a link, random:N:S and a
// file from the picker, each with nuv-trace's own words; the seeds panel refuses seeds that would
// take hours, saying so.
//   usage: node large.js NUV_LAB_HTML NUV_TRACE DATA_DIR   (exit 77: skipped)
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const {needChromium, openBrowser, checks, generator} = require('./common.js');
const Cities = require('../cities.js');

const [pagePath, tracePath, dataDir] = process.argv.slice(2).map((p) => path.resolve(p));
const chromium = needChromium(pagePath);
const {check, finish, crash} = checks();

// nuv-trace's output for the options and the run, each command once.
const traced = new Map();
function trace(args) {
  const key = args.join(' ');
  if (!traced.has(key))
    traced.set(key, execFileSync(tracePath, args, {maxBuffer: 1 << 28}).toString());
  return traced.get(key);
}
// nuv-trace --tables's block for one cycle.
const traceBlock = (args, cycle) =>
    trace(['--tables', ...args]).split(/(?=    ###   Sequence)/)[cycle];
// What nuv-trace --wide's row for one cycle says, as the page's status line says it.
function traceStatus(args, cycle) {
  const lines = trace(['--wide', ...args]).split('\n');
  const head = lines[2].trim().split(/\s+/), row = lines[3 + cycle].trim().split(/\s+/);
  const at = (name) => row[head.indexOf(name)];
  const what = cycle === 0 ? 'cycle 0 (the random start)'
                           : `cycle ${cycle} (after ${cycle + 1} sweeps` +
                                 (at('motion') === '-' ? ')' : `, ${at('motion')})`);
  return {
    status: at('outcome') === 'tour'
                ? `${what}: valid tour ${at('tour')}, length ${at('length')}, ratio ${at('ratio')}`
                : `${what}: not a tour (${at('outcome')}, ${at('on')} units on)`,
    e: at('E')
  };
}
// What nuv-trace says when it refuses the cities: its message after "nuv-trace: ".
function refusal(options, cwd) {
  try {
    execFileSync(tracePath, [...options, '1', '1', '1', '5'], {cwd, stdio: 'pipe'});
  } catch (e) {
    return e.stderr.toString().trim().replace(/^nuv-trace: /, '');
  }
  return 'taken';
}

(async () => {
  const {browser, page, errors, requests} =
      await openBrowser(chromium, {width: 1200, height: 1000});
  const url = 'file://' + path.resolve(pagePath);
  const text = (id) => page.textContent('#' + id);
  const heading = (c) => `Cycle : ${String(c).padStart(4)}`;
  async function open(fragment) {
    await page.goto('about:blank');
    await page.goto(url + '#' + fragment);
  }
  async function showCycle(c) {
    await page.$eval('#cycle', (slider, value) => {
      slider.value = String(value);
      slider.dispatchEvent(new Event('input'));
    }, c);
    await page.waitForFunction((h) => document.getElementById('table').textContent.includes(h),
                               heading(c), {timeout: 300000});
  }
  // The page against nuv-trace at the cycles shown: the table, the status line and E.
  async function sameAsTheTracer(args, cycles, what) {
    for (const c of cycles) {
      await showCycle(c);
      check((await text('table')) === traceBlock(args, c), `${what}: cycle ${c}'s table`);
      const t = traceStatus(args, c);
      check((await text('status')) === t.status,
            `${what}: cycle ${c}'s status ${await text('status')} against ${t.status}`);
      check((await text('v-E')) === t.e, `${what}: cycle ${c}'s E ${await text('v-E')}`);
    }
  }

  // 1. 150 cities under Euler, in the worker: its progress line tells the cycles and seconds,
  // and every cycle shown is nuv-trace's.
  const euler =
      ['--cities', 'random:150:3', '--rule', 'euler', '--sweeps', '12', '1', '1', '1', '5'];
  // Every text the progress line takes is kept as the page writes it, however short the run:
  // a look at the line now and then could come after the run is in, on a busy machine.
  await page.addInitScript(() => {
    window.progressTexts = [];
    new MutationObserver(() => {
      const line = document.getElementById('running-text'), kept = window.progressTexts;
      if (line && line.textContent && line.textContent !== kept[kept.length - 1])
        kept.push(line.textContent);
    }).observe(document, {childList: true, characterData: true, subtree: true});
  });
  await open('A=1&B=1&D=1&seed=5&cities=random%3A150%3A3&rule=euler&sweeps=12&cycle=11');
  await page.waitForFunction((h) => document.getElementById('table').textContent.includes(h),
                             heading(11), {timeout: 300000});
  const lines = await page.evaluate(() => window.progressTexts);
  check(lines.length > 0 && lines.every((line) => /^running: cycle \d+ of 12: \d+ s/.test(line) ||
                                                  /^running in the background: \d+ s$/.test(line)),
        `the progress line tells the cycle and the seconds: ${JSON.stringify(lines)}`);
  check(await page.$eval('#progress', (p) => p.hidden), 'the bar goes when the run is in');
  check((await text('command')) === `nuv-trace --tables ${euler.join(' ')}`,
        `the command: ${await text('command')}`);
  await sameAsTheTracer(euler, [11, 0, 1, 6], 'random:150:3 under euler');

  // 2. 150 cities under sync for 200 sweeps keep every other state: the others are made again,
  // in a worker cut at that cycle, one after another.
  const sync =
      ['--cities', 'random:150:3', '--rule', 'sync', '--sweeps', '200', '1', '1.5', '1', '7'];
  await open('A=1&B=1.5&D=1&seed=7&cities=random%3A150%3A3&rule=sync&sweeps=200&cycle=199');
  await page.waitForFunction((h) => document.getElementById('table').textContent.includes(h),
                             heading(199), {timeout: 300000});
  await sameAsTheTracer(sync, [199, 7, 9, 8, 7], 'random:150:3 under sync, 200 sweeps');

  // 3. The seeds panel refuses seeds that would take hours here, and says so.
  await page.fill('#seeds', '1:100000');
  await page.click('#run-seeds');
  check(/^about \d+ (minutes|hours) here/.test(await text('seeds-msg')) &&
            (await text('survey')) === '',
        `the seeds panel refuses 100000 runs of 150 cities: '${await text('seeds-msg')}'`);

  // 4. 1,002 cities are taken (the run starts in the worker), 1,003 refused as nuv-trace refuses
  // them: random:N:S, a link's list of cities, a TSPLIB file and an x y file from the picker.
  await open('A=1&B=1&D=1&seed=5&cities=random%3A1002%3A1&rule=sync&sweeps=1');
  await page.waitForFunction(() => !document.getElementById('progress').hidden);
  check((await text('cities-msg')) === '', 'random:1002:1 is taken');
  for (const [cities,
              why] of [['random:1003:1', refusal(['--cities', 'random:1003:1'])],
                       ['random:3:1', refusal(['--cities', 'random:3:1'])],
                       ['random:1000001:1', refusal(['--cities', 'random:1000001:1'])],
                       ['random:9:4294967296', refusal(['--cities', 'random:9:4294967296'])],
                       ['random:9', refusal(['--cities', 'random:9'])]]) {
    await open(`A=1&B=1&D=1&seed=5&cities=${encodeURIComponent(cities)}`);
    await page.waitForFunction(() => document.getElementById('status').textContent.length > 0);
    check((await text('cities-msg')) === why && (await text('table')) === '' &&
              (await text('status')).startsWith('No run: the cities'),
          `${cities} is refused as nuv-trace refuses it: '${await text('cities-msg')}' against '${
              why}'`);
  }
  const random = generator(1003), many = [];
  for (let i = 0; i < 1003; i++)
    many.push([Math.round(random() * 1e4), Math.round(random() * 1e4)]);
  const link = Cities.toLink({metric: 'xy', n: 1003, xy: many, matrix: null}).text;
  await open(`A=1&B=1&D=1&seed=5&cities=${link}`);
  await page.waitForFunction(() => document.getElementById('cities-msg').textContent.length > 0);
  check((await text('cities-msg'))
                .endsWith('make no network: 1003 cities: a network has 4 to 1002') &&
            (await text('table')) === '',
        `a link of 1003 cities is refused: ${await text('cities-msg')}`);
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'nuv-large-'));
  fs.writeFileSync(path.join(dir, 'many.tsp'),
                   'NAME : many\nTYPE : TSP\nDIMENSION : 1003\nEDGE_WEIGHT_TYPE : EUC_2D\n' +
                       'NODE_COORD_SECTION\n' +
                       many.map(([x, y], i) => `${i + 1} ${x} ${y}\n`).join('') + 'EOF\n');
  fs.writeFileSync(path.join(dir, 'many.txt'), many.map(([x, y]) => `${x} ${y}\n`).join(''));
  await open('A=1&B=1&D=1&seed=5&cycle=49');
  await page.waitForFunction((h) => document.getElementById('table').textContent.includes(h),
                             heading(49));
  for (const file of ['many.tsp', 'many.txt']) {
    const why = refusal(['--cities', file], dir);
    const [chooser] =
        await Promise.all([page.waitForEvent('filechooser'), page.selectOption('#cities', 'file')]);
    await chooser.setFiles(path.join(dir, file));
    await page.waitForFunction((f) => document.getElementById('cities-msg').textContent.includes(f),
                               file);
    check((await text('cities-msg')) === why && why.includes('1002'),
          `${file} of 1003 cities is refused as nuv-trace refuses it: '${
              await text('cities-msg')}' against '${why}'`);
  }
  fs.rmSync(dir, {recursive: true});
  // pr1002, the largest instance shipped, from the picker: taken, and run in the worker.
  const [chooser] =
      await Promise.all([page.waitForEvent('filechooser'), page.selectOption('#cities', 'file')]);
  await chooser.setFiles(path.join(dataDir, 'pr1002.tsp'));
  await page.waitForFunction(() => !document.getElementById('progress').hidden);
  check((await text('cities-msg')) === '' &&
            /^running: cycle \d+ of 50: \d+ s|^running in the background: \d+ s/.test(
                await text('running-text')),
        `pr1002.tsp from the picker runs: '${await text('cities-msg')}', '${
            await text('running-text')}'`);
  await page.goto('about:blank');

  check(requests.length === 0, 'no requests beyond the file: ' + requests.join(' '));
  check(errors.length === 0, 'no console errors: ' + errors.join(' | '));
  await browser.close();
  finish('large');
})().catch(crash);
