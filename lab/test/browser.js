// The lab page in a real browser, Debian's Chromium driven by Playwright: loaded from file://
// with a fragment, its #table is nuv's own text for that cycle and its status line nuv-trace's
// tour, ratio and rank; a slider moved from the keyboard and the step buttons change it as nuv
// would; a bad value, typed or in a link, is named and runs nothing, so that the view, the
// command and the address agree; extreme values draw no coordinate that is not finite; nothing
// overflows a phone's 360 pixels; no console errors; a screenshot; one file under 150 KB.
//   usage: node browser.js NUV_LAB_HTML NUV_BINARY NUV_TRACE SCREENSHOT_PNG   (exit 77: skipped)
'use strict';
const fs = require('fs');
const path = require('path');
const {execFileSync} = require('child_process');
const {needChromium, openBrowser, checks} = require('./common.js');

const [pagePath, nuvPath, tracePath, screenshotPath] = process.argv.slice(2);
const chromium = needChromium(pagePath);
const {check, finish, crash} = checks();

// The lines nuv prints for one cycle: its table and, from cycle 1 on, its energy line.
function nuvCycle(args, cycle) {
  const lines = execFileSync(nuvPath, args).toString().split('\n');
  const start = cycle === 0 ? 0 : 11 + 12 * (cycle - 1);
  return lines.slice(start, start + (cycle === 0 ? 11 : 12)).join('\n') + '\n';
}

// nuv-trace's row for one cycle, column by column (the --wide table).
function traceRow(args, cycle) {
  const lines = execFileSync(tracePath, ['--wide', ...args]).toString().split('\n');
  const [, , , , , , , , , outcome, length, ratio, rank, tour] =
      lines[2 + cycle].trim().split(/\s+/);
  return {outcome, length, ratio, rank, tour};
}

(async () => {
  check(fs.statSync(pagePath).size < 150 * 1024, 'the page is under 150 KB');
  const {browser, page, errors, requests} =
      await openBrowser(chromium, {width: 1150, height: 1000});
  const table = () => page.textContent('#table');
  const url = 'file://' + path.resolve(pagePath);
  async function open(a, b, d, seed, cycle) {
    await page.goto(`${url}#A=${a}&B=${b}&D=${d}&seed=${seed}&cycle=${cycle}`);
    await page.waitForFunction((c) => document.getElementById('cycle').value === String(c) &&
                                      document.getElementById('table').textContent.includes(
                                          `Cycle : ${String(c).padStart(4)}`),
                               cycle);
  }

  // 1. Links: the table for the cycle the fragment names, as nuv prints it.
  const links = [
    ['1', '1', '1', '5', 49], ['0', '0', '0', '3', 3], ['5', '5', '5', '4294967295', 1],
    ['-0.5', '2', '1.25', '77', 0], ['0.7', '1.3', '2.5', '123456789', 25],
    ['2', '0.5', '0.25', '0', 49], ['1', '1', '2', '130', 12], ['3.5', '-1', '4', '2147483648', 30],
    ['1e-3', '1', '1', '9', 48], ['1.5', '1.5', '0.5', '31337', 7], ['4', '4', '1', '42', 49]
  ];
  for (const [a, b, d, seed, cycle] of links) {
    await open(a, b, d, seed, cycle);
    check((await table()) === nuvCycle([a, b, d, seed], cycle),
          `#table for nuv ${a} ${b} ${d} ${seed}, cycle ${cycle}`);
  }

  // 2. A slider moved from the keyboard reruns the network; step back shows the cycle before.
  await open('1', '1', '1', '5', 20);
  await page.focus('#D-range');
  await page.keyboard.press('ArrowRight');
  await page.waitForFunction(() => document.getElementById('D').value === '1.05');
  check((await table()) === nuvCycle(['1', '1', '1.05', '5'], 20),
        'the table after Dcoef moved to 1.05');
  check((await page.evaluate(() => location.hash)).includes('D=1.05'),
        'the fragment follows the slider');
  check((await page.textContent('#command')) === 'nuv 1 1 1.05 5', 'the command to copy');
  await page.click('#back');
  check((await table()) === nuvCycle(['1', '1', '1.05', '5'], 19), 'step back shows cycle 19');
  await page.click('#forward');
  await page.click('#forward');
  check((await table()) === nuvCycle(['1', '1', '1.05', '5'], 21), 'step forward shows cycle 21');

  // 3. Bad input: a message beside the field, and no run, so that nothing on screen, in the
  // command or in the address says otherwise; the good value runs again.
  const before = await table();
  for (const [field, text] of [['A', 'abc'], ['B', ''], ['D', '1e999'], ['seed', '4294967296'],
                               ['seed', '-3']]) {
    await page.fill('#' + field, text);
    const message = await page.textContent(`#${field}-msg`);
    check(message.length > 0, `a message for ${field} = '${text}'`);
    check((await table()) === '' && (await page.textContent('#command')) === '',
          `no run for ${field} = '${text}'`);
    check((await page.textContent('#status')).startsWith('No run: '),
          `the status says why for ${field} = '${text}'`);
    check((await page.evaluate(() => location.hash))
              .includes(`${field}=${encodeURIComponent(text)}&`),
          `the address keeps ${field} = '${text}'`);
    await page.fill('#' + field, field === 'seed' ? '5' : field === 'D' ? '1.05' : '1');
  }
  check((await page.textContent('#A-msg')) === '', 'the message goes when the input is good');
  check((await table()) === before, 'the good values run again');

  // 4. Links with bad values: the fields show them, each is named, nothing runs.
  async function openRaw(fragment) {
    await page.goto('about:blank');
    await page.goto(url + fragment);
    await page.waitForFunction(() => document.getElementById('status').textContent.length > 0);
  }
  await openRaw('#A=2&B=x&D=1&seed=7');
  check((await page.inputValue('#A')) === '2' && (await page.inputValue('#B')) === 'x' &&
            (await page.inputValue('#seed')) === '7',
        'a bad link\'s values stand in the fields');
  check((await page.textContent('#B-msg')).length > 0 && (await page.textContent('#A-msg')) === '',
        'the bad value is named');
  check((await table()) === '' && (await page.textContent('#command')) === '',
        'a bad link runs nothing');
  check((await page.evaluate(() => location.hash)).startsWith('#A=2&B=x&D=1&seed=7'),
        'the address keeps the link');
  await openRaw('#A=abc&seed=99999999999&cycle=70');
  for (const field of ['A', 'seed', 'cycle'])
    check((await page.textContent(`#${field}-msg`)).length > 0,
          `the link's ${field} is named as bad`);
  check((await table()) === '', 'nothing runs for A=abc');
  for (const cycle of ['0x10', '', '%20', '-1', '4.0', '50']) {
    await openRaw(`#A=1&B=1&D=1&seed=5&cycle=${cycle}`);
    check((await page.textContent('#cycle-msg')).length > 0, `cycle=${cycle} is named as bad`);
    check((await table()) === nuvCycle(['1', '1', '1', '5'], 49),
          `cycle=${cycle} shows the last cycle, and says so`);
  }
  await open('1', '1', '1', '5', 7);
  check((await page.textContent('#cycle-msg')) === '', 'cycle=7 is a cycle');
  // A '+' in a link is a plus, as in a number's exponent or the bias A+B, never a space.
  await openRaw('#A=1e+0&B=1&D=1&seed=5&bias=A+B&cycle=49');
  check((await table()) === nuvCycle(['1e+0', '1', '1', '5'], 49) &&
            (await page.textContent('#command')) === 'nuv 1e+0 1 1 5',
        'A=1e+0 and bias=A+B in a link are what they say');
  await open('1', '1', '1', '5', 7);

  // 5. A typed value beyond a slider's range moves the slider to it.
  await page.fill('#D', '8');
  await page.waitForFunction(() =>
                                 document.getElementById('command').textContent === 'nuv 1 1 8 5');
  check((await page.inputValue('#D-range')) === '8', 'the slider follows D = 8');

  // 6. The status line is nuv-trace's tour, length, ratio and rank for the cycle shown.
  for (const [a, b, d, seed, cycle] of [['1', '1', '1', '5', 49], ['1', '1', '2', '130', 45],
                                        ['0.5', '1', '2.5', '3', 49]]) {
    await open(a, b, d, seed, cycle);
    const t = traceRow([a, b, d, seed], cycle);
    const status = await page.textContent('#status');
    if (t.outcome === 'tour')
      check(status.endsWith(`valid tour ${t.tour}, length ${t.length}, ratio ${t.ratio}, rank ${
                t.rank} of 20160`),
            `status ${status} against nuv-trace`);
    else
      check(status.includes(`not a tour (${t.outcome}`),
            `status ${status} against nuv-trace's ${t.outcome}`);
  }

  // 7. Coefficients at the ends of the doubles: never a coordinate that is not finite; a run
  // whose state stops being finite ends there, and the status says where and why as nuv-trace
  // does, over the cycles before.
  for (const fragment of ['#A=1e308&B=1e308&D=1e308&seed=5&cycle=49',
                          '#A=-1e308&B=1e308&D=-1e308&seed=9&cycle=30']) {
    await openRaw(fragment);
    const broken =
        await page.evaluate(() => [...document.querySelectorAll('svg *')].flatMap(
                                (e) => [...e.attributes]
                                           .filter((a) => /NaN|Infinity/.test(a.value))
                                           .map((a) => `${e.tagName} ${a.name}=${a.value}`)));
    check(broken.length === 0,
          `no coordinate that is not finite for ${fragment}: ${broken.slice(0, 3).join(', ')}`);
    check((await page.textContent('#status'))
              .includes("the state is not finite from cycle 0 (sweep 0): " +
                        "the coefficients overflow the units' inputs"),
          `the status says why ${fragment} stopped`);
  }
  const euler = ['--cities', 'random:10:2', '--rule', 'euler', '--dt', '100', '1', '0.5', '0', '1'];
  let traced = '';
  try {
    execFileSync(tracePath, euler, {stdio: ['ignore', 'ignore', 'pipe']});
  } catch (e) {
    traced = e.stderr.toString().replace(/^nuv-trace: /, '').trim();
  }
  check(traced.startsWith('the state is not finite from cycle 154'), `nuv-trace stops: ${traced}`);
  await openRaw('#A=1&B=0.5&D=0&seed=1&cities=random%3A10%3A2&rule=euler&dt=100');
  await page.waitForFunction(() =>
                                 document.getElementById('table').textContent.includes('Cycle :'));
  check((await page.textContent('#status')).endsWith('; the run stops: ' + traced),
        `the page stops as nuv-trace: ${await page.textContent('#status')}`);
  check((await page.getAttribute('#cycle', 'max')) === '153', 'the cycles before are shown');
  // Energies of about 1e17: the curve's labels stay short, in exponent form.
  await openRaw('#A=1e15&B=1e15&D=1e15&seed=5');
  await page.waitForFunction(() =>
                                 document.getElementById('table').textContent.includes('Cycle :'));
  const labels = await page.evaluate(
      () => [...document.querySelectorAll('#curve text[text-anchor="end"]')].map(
          (e) => e.textContent));
  check(labels.length >= 3 && labels.every((l) => l.length <= 10),
        `short labels for huge energies: ${labels.join(' ')}`);

  // 7b. A menu value the page does not offer, in a link, is named and runs nothing, as a bad
  // number does; choosing one from the menu runs it.
  await openRaw('#A=1&B=1&D=1&seed=5&rule=Euler');
  check((await page.textContent('#rule-msg')).includes("'Euler'"),
        'the link\'s rule is named beside the menu');
  check((await table()) === '' && (await page.textContent('#command')) === '',
        'a bad rule runs nothing');
  check((await page.textContent('#status')).startsWith('No run: '),
        'the status says why for rule=Euler');
  check((await page.evaluate(() => location.hash)).includes('rule=Euler'),
        'the address keeps rule=Euler');
  await page.selectOption('#rule', 'euler');
  await page.waitForFunction(
      () => document.getElementById('command').textContent.includes('--rule euler'));
  check((await page.textContent('#rule-msg')) === '', 'a chosen rule is mended');

  // 7c. A file whose NAME ends in .tsp is not given .tsp again in the command.
  const dir = fs.mkdtempSync(path.join(require('os').tmpdir(), 'nuv-lab-'));
  const tsp = path.join(dir, 'six.tsp');
  fs.writeFileSync(
      tsp,
      'NAME : six.tsp\nTYPE : TSP\nDIMENSION : 6\nEDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n' +
          '1 10 20\n2 40 25\n3 35 60\n4 5 55\n5 22 41\n6 60 5\nEOF\n');
  await open('1', '1', '1', '5', 49);
  const [chooser] =
      await Promise.all([page.waitForEvent('filechooser'), page.selectOption('#cities', 'file')]);
  await chooser.setFiles(tsp);
  await page.waitForFunction(
      () => document.getElementById('command').textContent.includes('six.tsp'));
  check((await page.textContent('#command')).includes('--cities six.tsp 1 1 1 5'),
        `one .tsp: ${await page.textContent('#command')}`);
  fs.rmSync(dir, {recursive: true});

  // 7d. The seeds bench asks the panel to run when its fragment does not.
  const {seedsFragment} = require('../../bench/lab-seeds.js');
  check(seedsFragment('A=1&B=1&D=1') === 'A=1&B=1&D=1&run=seeds' &&
            seedsFragment('run=seeds&A=2') === 'run=seeds&A=2' &&
            seedsFragment('A=1&run=seedsx') === 'A=1&run=seedsx&run=seeds',
        'the bench adds run=seeds when it is missing');

  // 8. Playing announces the status once, when it stops; copying says what it did.
  await open('1', '1', '1', '5', 49);
  await page.click('#play');
  check((await page.getAttribute('#status', 'aria-live')) === 'off', 'quiet while playing');
  await page.click('#play');
  check((await page.getAttribute('#status', 'aria-live')) === 'polite', 'announced at pause');
  await page.click('#copy');
  await page.waitForFunction(() => document.getElementById('copied').textContent.length > 0);
  check(true, 'the copy button answers');

  // 9. At a phone's width nothing overflows.
  for (const width of [360, 400]) {
    await page.setViewportSize({width, height: 800});
    await open('1', '1', '1', '5', 49);
    const wide = await page.evaluate(() => document.documentElement.scrollWidth);
    check(wide <= width, `the page is ${wide} px wide at a width of ${width}`);
  }
  await page.setViewportSize({width: 1150, height: 1000});

  // 10. A screenshot; nothing fetched from anywhere, nothing in the console.
  await open('1', '1', '1', '5', 49);
  await page.screenshot({path: screenshotPath, fullPage: true});
  check(fs.statSync(screenshotPath).size > 20000, 'a screenshot with something in it');
  check(requests.length === 0, 'no requests beyond the file: ' + requests.join(' '));
  check(errors.length === 0, 'no console errors: ' + errors.join(' | '));
  await browser.close();
  finish('browser');
})().catch(crash);
