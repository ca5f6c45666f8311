// The lab page over the family in Chromium: links to members of the family show nuv-trace's
// --tables block; the seeds panel prints nuv-survey's summary row; a dragged city and a .tsp
// file from the picker change the link and the run as nuv-trace sees them; a unit's input
// terms add up, and give the next sync state by the activation's formula; stepping a sweep
// unit by unit ends on the next cycle; faulty rows and columns are the table's; long runs keep
// the page responsive; the page's curves and grid have the film's colours; the keyboard reaches
// every control; 360 pixels; no console errors; the README's screenshots.
//   usage: node workbench.js NUV_LAB_HTML NUV_TRACE NUV_SURVEY SOURCE_DIR OUT_DIR   (77: skipped)
'use strict';
const fs = require('fs');
const os = require('os');
const path = require('path');
const {execFileSync} = require('child_process');
const {needChromium, openBrowser, checks} = require('./common.js');
const Cities = require('../cities.js');

const [pagePath, tracePath, surveyPath, sourceDir, outDir] = process.argv.slice(2);
const chromium = needChromium(pagePath);
const {check, finish, crash} = checks();

const data = (name) => path.join(sourceDir, 'data', 'tsplib', name + '.tsp');

// nuv-trace --tables's block for one cycle: its table and, from cycle 1 on, its energy line.
function traceBlock(options, run, cycle) {
  const text =
      execFileSync(tracePath, ['--tables', ...options, ...run], {maxBuffer: 1 << 28}).toString();
  const blocks = text.split(/(?=    ###   Sequence)/);
  return blocks[cycle];
}

// A table block's units, row by row, as printed.
function unitsOf(block) {
  return block.split('\n')
      .filter((l) => /^\s+\d+\s/.test(l))
      .map((l) => l.trim().split(/\s+/).slice(1));
}

(async () => {
  const {browser, page, errors, requests} =
      await openBrowser(chromium, {width: 1200, height: 1000});
  const url = 'file://' + path.resolve(pagePath);
  const text = (id) => page.textContent('#' + id);
  async function open(fragment, wait = 'Cycle :') {
    await page.goto('about:blank');
    await page.goto(url + '#' + fragment);
    await page.waitForFunction((w) => document.getElementById('table').textContent.includes(w),
                               wait, {timeout: 120000});
  }

  // The page draws what nuv-trace's film draws (one definition, output/palette.h): each curve's
  // colour and dash, in order, and the grid's colours at a cycle the film shows.
  async function drawnAsTheFilm(options, run, cycle) {
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'nuv-film-')), 'film.svg');
    execFileSync(tracePath, ['--svg', file, ...options, ...run]);
    const svg = fs.readFileSync(file, 'utf8');
    const polyline = new RegExp('<polyline class="curve" [^>]* stroke="([^"]*)" ' +
                                    'stroke-width="2"(?: stroke-dasharray="([^"]*)")?',
                                'g');
    const filmCurves = [];
    for (const m of svg.matchAll(polyline))
      if (!filmCurves.includes(`${m[1]} ${m[2] || 'none'}`))
        filmCurves.push(`${m[1]} ${m[2] || 'none'}`);
    const pageCurves = await page.$$eval('#curve polyline.curve', (lines) => {
      const seen = [];
      for (const l of lines) {
        const s = `${l.getAttribute('stroke')} ${l.getAttribute('stroke-dasharray')}`;
        if (!seen.includes(s)) seen.push(s);
      }
      return seen;
    });
    check(filmCurves.length === 6 && pageCurves.join(', ') === filmCurves.join(', '),
          `the curves' colours and dashes are the film's: ${pageCurves.join(', ')} against ${
              filmCurves.join(', ')}`);
    const frame = svg.slice(svg.indexOf(`>cycle ${cycle}</text>`)).split('</g>')[0];
    const filmCells =
        [...frame.matchAll(/<rect class="cell" [^>]* fill="(#[0-9a-f]{6})"/g)].map((m) => m[1]);
    const pageCells = await page.$$eval(
        '#grid rect[data-i]',
        (cells) => cells.map((c) => '#' + c.getAttribute('fill')
                                              .match(/\d+/g)
                                              .map((v) => Number(v).toString(16).padStart(2, '0'))
                                              .join('')));
    check(filmCells.length > 0 && pageCells.join(' ') === filmCells.join(' '),
          `the grid's colours at cycle ${cycle} are the film's`);
    // The map's marks: the optimal tour's stroke, width and dash, and the cities' colour.
    const optimal = svg.match(/<polygon class="optimal" [^>]* fill="none" ([^/]*)\/>/)[1].trim();
    const city = svg.match(/<circle class="city" [^>]* fill="([^"]*)"/)[1];
    const pageMap = await page.$eval('#map', (map) => {
      const p = [...map.querySelectorAll('polygon')].pop(), c = map.querySelector('circle');
      return `stroke="${p.getAttribute('stroke')}" stroke-width="${
          p.getAttribute('stroke-width')}" stroke-dasharray="${
          p.getAttribute('stroke-dasharray')}" ${c.getAttribute('fill')}`;
    });
    check(pageMap === `${optimal} ${city}`,
          `the map's marks are the film's: ${pageMap} against ${optimal} ${city}`);
  }

  // 1. Links to members of the family: #table is nuv-trace --tables's block for the cycle.
  const members = [
    ['rule=sync', ['--rule', 'sync'], 30],
    ['cities=random%3A12%3A7&C=0.5', ['--cities', 'random:12:7', '--C', '0.5'], 49],
    [
      'cities=random%3A30%3A2&rule=euler&dt=0.05&sweeps=120',
      ['--cities', 'random:30:2', '--rule', 'euler', '--dt', '0.05', '--sweeps', '120'], 119
    ],
    ['cities=burma14&bias=2.5', ['--cities', data('burma14'), '--bias', '2.5'], 40],
    [
      'cities=gr17&u0=0.3&start=centred',
      ['--cities', data('gr17'), '--u0', '0.3', '--start', 'centred'], 12
    ],
    ['cities=att48&sweeps=20', ['--cities', data('att48'), '--sweeps', '20'], 19],
    [
      'cities=ulysses22&n=20&C=0.2&tau=2&rule=euler&sweeps=60',
      [
        '--cities', data('ulysses22'), '--rule', 'euler', '--C', '0.2', '--n', '20', '--tau', '2',
        '--sweeps', '60'
      ],
      59
    ],
    ['cities=random%3A5%3A9&distances=raw', ['--cities', 'random:5:9', '--distances', 'raw'], 3],
    [
      'cities=random%3A8%3A2&method=tcnn&sweeps=300&noise=0.01', // a method, then a setting
      ['--cities', 'random:8:2', '--method', 'tcnn', '--sweeps', '300', '--noise', '0.01'], 299
    ],
    [
      'cities=random%3A7%3A4&rule=potts&sweeps=60', // a normalised rule from the menu
      ['--cities', 'random:7:4', '--rule', 'potts', '--sweeps', '60'], 59
    ],
    [
      'cities=random%3A12%3A3&rule=euler&dt-decay=0.01&sweeps=80', // a field the table made
      ['--cities', 'random:12:3', '--rule', 'euler', '--dt-decay', '0.01', '--sweeps', '80'], 79
    ],
    ['cities=eil51&sweeps=10', ['--cities', data('eil51'), '--sweeps', '10'], 0],
    [
      'cities=kroA100&sweeps=8&rule=sync',
      ['--cities', data('kroA100'), '--rule', 'sync', '--sweeps', '8'], 7
    ],
    [
      'u0=0.25&start=centred&sweeps=70', ['--u0', '0.25', '--start', 'centred', '--sweeps', '70'],
      69
    ],
  ];
  for (const [fragment, options, cycle] of members) {
    const run = ['1.5', '1', '0.5', '77'];
    await open(`A=1.5&B=1&D=0.5&seed=77&${fragment}&cycle=${cycle}`,
               `Cycle : ${String(cycle).padStart(4)}`);
    check((await text('table')) === traceBlock(options, run, cycle),
          `#table for ${fragment}, cycle ${cycle}`);
    const command = await text('command');
    check(command.startsWith('nuv-trace --tables ') && command.endsWith(' 1.5 1 0.5 77'),
          `the command for ${fragment}: ${command}`);
    if (options.includes('--C')) await drawnAsTheFilm(options, run, cycle);
  }

  // 2. The seeds panel: nuv-survey's summary row, for three networks (nuv's with the default
  // range, timed), from a link that starts it.
  const surveys = [
    ['', [], '1:1000'],
    [
      'cities=random%3A8%3A3&rule=sync&C=0.5',
      ['--cities', 'random:8:3', '--rule', 'sync', '--C', '0.5'], '1:300'
    ],
    ['cities=burma14&bias=2.5', ['--cities', data('burma14'), '--bias', '2.5'], '5:204'],
    [
      'cities=random%3A10%3A4&rule=euler&sweeps=150',
      ['--cities', 'random:10:4', '--rule', 'euler', '--sweeps', '150'], '1:100'
    ]
  ];
  for (const [fragment, options, seeds] of surveys) {
    await open(`A=1&B=1&D=1.5&seed=5&${fragment}&seeds=${seeds}&run=seeds`);
    await page.waitForFunction(() => document.getElementById('survey').textContent.length > 0, null,
                               {timeout: 200000});
    const lines = execFileSync(surveyPath, [...options, '--seeds', seeds, '1', '1', '1.5'])
                      .toString()
                      .trimEnd()
                      .split('\n');
    check((await text('survey')) === lines[lines.length - 1],
          `the seeds panel's row for '${fragment}': ${await text('survey')} against ${
              lines[lines.length - 1]}`);
    const tours =
        execFileSync(surveyPath, [...options, '--tours', '--seeds', seeds, '1', '1', '1.5'])
            .toString()
            .split('\n');
    const shown = (await text('tours')).split('\n').filter((l) => !l.startsWith('('));
    check(shown.every((l) => tours.includes(l)),
          `its outcome rows are nuv-survey --tours's for '${fragment}'`);
    if (!fragment)
      console.log(`a 1,000-seed panel of nuv's network took ${
          await page.getAttribute('#seeds-panel', 'data-milliseconds')} ms`);
  }

  // The methods compared over the seeds: the rows are nuv-survey --methods' rows, a network's,
  // a normalised one's and a heuristic's, each with every setting its own.
  await open('seed=5&cities=random%3A8%3A2&seeds=1:40&compare=tcnn,softassign,2-opt&run=seeds');
  await page.waitForFunction(
      () => document.getElementById('survey').textContent.split('\n').length === 3, null,
      {timeout: 200000});
  const compared =
      execFileSync(
          surveyPath,
          ['--methods', 'tcnn,softassign,2-opt', '--cities', 'random:8:2', '--seeds', '1:40'])
          .toString()
          .trimEnd()
          .split('\n');
  check((await text('survey')) === compared.slice(-3).join('\n'),
        `the seeds panel's methods: ${await text('survey')} against ${compared.slice(-3)}`);
  check((await text('survey-head')) === compared.slice(-5, -3).join('\n'),
        `the methods' optimum line and header: ${await text('survey-head')}`);

  // A shipped instance with its optimal tour file: the seeds panel's optimum line is
  // nuv-survey's (the tour file's tour, length 426 for eil51), and so is its row.
  await open('A=1&B=1&D=1.5&seed=5&cities=eil51&seeds=1:4&run=seeds');
  await page.waitForFunction(() => document.getElementById('survey').textContent.length > 0, null,
                             {timeout: 200000});
  const eil51 =
      execFileSync(surveyPath, ['--cities', data('eil51'), '--seeds', '1:4', '1', '1', '1.5'])
          .toString()
          .trimEnd()
          .split('\n');
  check(
      (await text('survey-head')).split('\n')[0] === eil51[1] &&
          eil51[1].startsWith('optimal tour ') && eil51[1].endsWith(', length 426'),
      `the seeds panel's optimum line for eil51: ${await text('survey-head')} against ${eil51[1]}`);
  check((await text('survey')) === eil51[eil51.length - 1],
        `the seeds panel's row for eil51: ${await text('survey')}`);

  // With one coefficient varied: a row per value, nuv-survey's for the range, and a bar per value.
  for (const [vary, values,
              args] of [['D', '0.5:2:0.25', ['1', '1', '0.5:2:0.25']],
                        ['C', '0:0.35:0.05', ['--C', '0:0.35:0.05', '1', '1', '1.5']]]) {
    await open(`A=1&B=1&D=1.5&seed=5&seeds=1:100&vary=${vary}&values=${values}&run=seeds`);
    const count = args.length === 3 ? 7 : 8;
    await page.waitForFunction(
        (k) => document.getElementById('survey').textContent.split('\n').length === k &&
               document.getElementById('survey-command').textContent.length > 0,
        count, {timeout: 200000});
    const lines =
        execFileSync(surveyPath, ['--seeds', '1:100', ...args]).toString().trimEnd().split('\n');
    check((await text('survey')) === lines.slice(lines.length - count).join('\n'),
          `the rows for ${vary} over ${values}`);
    check((await text('survey-command')) ===
              `nuv-survey ${args.length === 3 ? '' : '--C 0:0.35:0.05 '}--seeds 1:100 ${
                  args.slice(-3).join(' ')}`,
          'the survey\'s command');
    check((await page.$$('#vary-chart line.interval')).length === count,
          `an interval per value of ${vary}`);
  }

  // 3. A dragged city: the link carries the cities, the run is nuv-trace's with them as saved.
  await open('A=1&B=1&D=1&seed=5&cycle=49');
  const before = await text('table');
  const dot = await page.$('#map circle[data-city="0"]');
  const box = await dot.boundingBox();
  await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
  await page.mouse.down();
  await page.mouse.move(box.x + 40, box.y - 25, {steps: 5});
  await page.mouse.up();
  await page.waitForFunction((t) => document.getElementById('table').textContent !== t, before);
  const hash = new URLSearchParams((await page.evaluate(() => location.hash)).slice(1));
  check(/^xy:9:/.test(hash.get('cities') || ''),
        `the fragment carries the dragged cities: ${hash.get('cities')}`);
  const moved = Cities.fromLink(hash.get('cities')).cities;
  check(moved.xy.slice(1).every((p, i) => p[0] === [2, 4, 5, 5, 4, 2, 1, 1][i]) &&
            moved.xy[0][0] > 3,
        'only city 1 moved, to the right');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'nuv-lab-'));
  fs.writeFileSync(path.join(dir, 'cities.txt'), Cities.toFile(moved));
  check((await text('command')) === 'nuv-trace --tables --cities cities.txt 1 1 1 5',
        'the command names the saved cities');
  check((await text('table')) ===
            traceBlock(['--cities', path.join(dir, 'cities.txt')], ['1', '1', '1', '5'], 49),
        'the dragged run is nuv-trace\'s');
  // The same from the keyboard: a city focused and moved by an arrow key.
  await page.focus('#map circle[data-city="4"]');
  const keyed = await text('table');
  await page.keyboard.press('ArrowDown');
  await page.waitForFunction((t) => document.getElementById('table').textContent !== t, keyed);
  check(Cities.fromLink(new URLSearchParams((await page.evaluate(() => location.hash)).slice(1))
                            .get('cities'))
                .cities.xy[4][1] < 3,
        'an arrow key moves city 5 down');

  // 4. A .tsp file through the picker: read in the page, run as nuv-trace runs it.
  const tsp = path.join(dir, 'seven.tsp');
  fs.writeFileSync(
      tsp,
      'NAME : seven\nTYPE : TSP\nDIMENSION : 7\nEDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n' +
          '1 10.5 20\n2 40 25.25\n3 35 60\n4 5 55\n5 22 41\n6 60 5\n7 48.125 44\nEOF\n');
  await open('A=1&B=1&D=1&seed=9&cycle=49');
  const [chooser] =
      await Promise.all([page.waitForEvent('filechooser'), page.selectOption('#cities', 'file')]);
  await chooser.setFiles(tsp);
  await page.waitForFunction(
      () => document.getElementById('command').textContent.includes('seven.tsp'));
  check((await text('table')) === traceBlock(['--cities', tsp], ['1', '1', '1', '9'], 49),
        'a .tsp from the picker runs as nuv-trace runs it');
  const linked = Cities.fromLink(
      new URLSearchParams((await page.evaluate(() => location.hash)).slice(1)).get('cities'));
  check(linked.cities && linked.cities.metric === 'euc' && linked.cities.xy[6][0] === 48.125,
        'the link carries the file\'s cities exactly');
  const bad = path.join(dir, 'bad.tsp');
  fs.writeFileSync(bad, 'NAME : bad\nTYPE : TSP\nDIMENSION : 3\nEDGE_WEIGHT_TYPE : EUC_2D\n');
  const [again] =
      await Promise.all([page.waitForEvent('filechooser'), page.selectOption('#cities', 'file')]);
  await again.setFiles(bad);
  await page.waitForFunction(
      () => document.getElementById('cities-msg').textContent.includes('bad.tsp'));
  check((await text('cities-msg')).includes('3 cities'),
        'a bad file is named with its reason, and the run stays');
  // Cities all at one point are refused where a bad file is, before any run; a link of negative
  // weights (which once froze the page) and a link at one point are named beside the field.
  const point = path.join(dir, 'point.txt');
  fs.writeFileSync(point, '0 0\n0 0\n0 0\n0 0\n');
  const [third] =
      await Promise.all([page.waitForEvent('filechooser'), page.selectOption('#cities', 'file')]);
  await third.setFiles(point);
  await page.waitForFunction(
      () => document.getElementById('cities-msg').textContent.includes('point.txt'));
  check((await text('cities-msg')) === "'point.txt': the 4 cities are all at one point",
        `a file at one point: ${await text('cities-msg')}`);
  for (const [link, why] of [
           [
             'matrix:18:0:' +
                 '_'.repeat(816),
             'are not cities: weight -1 is below 0'
           ],
           [
             Cities.toLink({metric: 'xy', n: 4, xy: [[1, 1], [1, 1], [1, 1], [1, 1]]}).text,
             'make no network: the 4 cities are all at one point'
           ]]) {
    await page.goto('about:blank');
    await page.goto(`${url}#A=1&B=1&D=1&seed=9&cities=${link}`);
    await page.waitForFunction(() => document.getElementById('cities-msg').textContent.length > 0);
    check((await text('cities-msg')).endsWith(why),
          `the link's cities ${link.slice(0, 20)}: ${await text('cities-msg')}`);
  }

  // 5. A unit's input: its terms add up to it, in the sweep's order; under sync the next cycle's
  // output is (tanh(u / U0) + 1) / 2 of it, as printed; the faulty rows and columns are the
  // table's.
  await open('A=1&B=1&D=1.5&seed=11&rule=sync&u0=0.4&cycle=1');
  await page.focus('#grid');
  for (const key of ['ArrowRight', 'ArrowRight', 'ArrowDown']) await page.keyboard.press(key);
  const terms = JSON.parse(await page.getAttribute('#unit', 'data-terms'));
  const [row, column, tour, global, bias, bias2, input] = terms;
  check(((((row + column) + tour) + global) + bias) + bias2 === input && row !== 0 && tour !== 0,
        `unit (2, 3)'s terms add up: ${terms}`);
  check((await text('unit')).startsWith('City 2 at position 3'),
        'the unit is the one the keys moved to');
  const next = unitsOf(traceBlock(['--rule', 'sync', '--u0', '0.4'], ['1', '1', '1.5', '11'], 2));
  check(((Math.tanh(input / 0.4) + 1) * 0.5).toFixed(2) === next[1][2],
        `the next output is the activation of the input: ${next[1][2]}`);
  for (const [fragment, options,
              cycle] of [['rule=sync', ['--rule', 'sync'], 7], ['', [], 3],
                         ['cities=random%3A14%3A1', ['--cities', 'random:14:1'], 49]]) {
    await open(`A=1&B=1&D=1&seed=5&${fragment}&cycle=${cycle}`);
    const units = unitsOf(traceBlock(options, ['1', '1', '1', '5'], cycle));
    const on = units.map((r) => r.map((v) => Number(v) > 0.5));
    // Two decimals decide "above 0.5" except at 0.50 itself, which these cycles do not print.
    check(!units.flat().includes('0.50'), `cycle ${cycle} of '${fragment}' prints no 0.50`);
    const rows = on.filter((r) => r.filter((x) => x).length !== 1).length;
    const columns =
        on[0].map((_, j) => on.filter((r) => r[j]).length).filter((k) => k !== 1).length;
    check((await page.$$('#grid rect.fault')).length === rows + columns,
          `${rows} rows and ${columns} columns outlined for '${fragment}', cycle ${cycle}`);
  }

  // 5b. Beyond 30 cities the grid is one image on the logarithmic scale, pixel for pixel the
  // film's (whose palette has 254 steps: within one), and the rows and columns that are not one
  // unit on are marked in the margins, as many as the table's.
  for (const [rule, cycle] of [['euler', 4], ['inplace', 1]]) {
    const options = ['--cities', 'random:51:1', '--rule', rule, '--sweeps', '5'];
    await open(`A=1&B=1&D=1&seed=5&cities=random%3A51%3A1&rule=${rule}&sweeps=5&cycle=${cycle}`);
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'nuv-film-')), 'film.svg');
    execFileSync(tracePath, ['--svg', file, ...options, '1', '1', '1', '5']);
    const svg = fs.readFileSync(file, 'utf8');
    const film = svg.slice(svg.indexOf(`>cycle ${cycle}</text>`)).match(/href="([^"]*)"/)[1];
    const page_ = await page.$eval('#grid image', (i) => i.getAttribute('href'));
    const differ = await page.evaluate(async ([a, b]) => {
      const pixels = async (url) => {
        const image = new Image();
        image.src = url;
        await image.decode();
        const c = document.createElement('canvas');
        c.width = image.width, c.height = image.height;
        const g = c.getContext('2d');
        g.drawImage(image, 0, 0);
        return [image.width, g.getImageData(0, 0, image.width, image.height).data];
      };
      const [[wa, pa], [wb, pb]] = [await pixels(a), await pixels(b)];
      if (wa !== wb) return `sides ${wa} and ${wb}`;
      let worst = 0;
      for (let k = 0; k < pa.length; k++) worst = Math.max(worst, Math.abs(pa[k] - pb[k]));
      return worst > 2 ? `a channel ${worst} apart` : '';
    }, [film, page_]);
    check((await page.$$('#grid rect[data-i]')).length === 0 && differ === '',
          `the grid of 51 cities under ${rule} is an image and the film's: ${differ}`);
    if (rule === 'euler') continue; // its table prints 0.50s, neither on nor off to the test
    const units = unitsOf(traceBlock(options, ['1', '1', '1', '5'], cycle));
    const on = units.map((r) => r.map((v) => Number(v) > 0.5));
    check(!units.flat().includes('0.50'), `cycle ${cycle} under ${rule} prints no 0.50`);
    const rows = on.filter((r) => r.filter((x) => x).length !== 1).length;
    const columns =
        on[0].map((_, j) => on.filter((r) => r[j]).length).filter((k) => k !== 1).length;
    check((await page.$$('#grid rect.fault')).length === rows + columns,
          `${rows} rows and ${columns} columns marked for 51 cities`);
  }

  // 6. Stepping: the first unit alone changes first, and after all 81 the state is the next
  // cycle's; the curve's click shows a cycle; pinned runs stay as pale curves.
  await open('A=1&B=1&D=1&seed=5&cycle=10');
  const cycle10 = unitsOf(await text('table')),
        cycle11 = unitsOf(traceBlock([], ['1', '1', '1', '5'], 11));
  await page.click('#step');
  const one = unitsOf(await text('step-table'));
  check(JSON.stringify(one.map((r) => r.slice()).flat().slice(1)) ===
            JSON.stringify(cycle10.flat().slice(1)),
        'one step changes only unit (1, 1)');
  for (let k = 1; k < 81; k++) await page.click('#step');
  check(JSON.stringify(unitsOf(await text('step-table'))) === JSON.stringify(cycle11),
        'after 81 steps the state is cycle 11\'s');
  check((await text('step-msg')).includes('This is cycle 11'), 'and the page says so');
  const frame = await (await page.$('#curve-frame')).boundingBox();
  await page.mouse.click(frame.x + frame.width * (19 / 48), frame.y + frame.height / 2);
  check((await page.inputValue('#cycle')) === '20',
        `a click on the curves shows cycle 20: ${await page.inputValue('#cycle')}`);
  await page.click('#pin');
  await page.fill('#D', '1.5');
  await page.waitForFunction(() => document.getElementById('command').textContent ===
                                   'nuv 1 1 1.5 5');
  check((await page.$$('#curve polyline.pinned')).length >= 5 &&
            (await text('pinned-status')).includes('nuv 1 1 1 5'),
        'the pinned run is overlaid, with its status');

  // 7. A long run in the worker: a progress bar that moves, so the page's own thread is free
  // to take the worker's messages, and a field that takes typing meanwhile.
  await page.goto('about:blank');
  await page.goto(url + '#A=1&B=1&D=1&seed=5&cities=kroA100&rule=euler&sweeps=400&cycle=399');
  await page.waitForFunction(() => !document.getElementById('progress').hidden);
  const first = await page.$eval('#progress', (p) => p.value);
  await page.waitForFunction((v) => document.getElementById('progress').value > v, first,
                             {timeout: 200000});
  await page.fill('#seeds', '1:50');
  check((await page.inputValue('#seeds')) === '1:50' &&
            !(await page.$eval('#progress', (p) => p.hidden)),
        'the page takes typing while the worker runs');
  await page.waitForFunction(
      () => document.getElementById('table').textContent.includes('Cycle :  399'), null,
      {timeout: 200000});
  check(await page.$eval('#progress', (p) => p.hidden), 'the bar goes when the run is in');
  check((await text('table')) ===
            traceBlock(['--cities', data('kroA100'), '--rule', 'euler', '--sweeps', '400'],
                       ['1', '1', '1', '5'], 399),
        'the worker\'s run is nuv-trace\'s');

  // 8. The keyboard alone reaches every control.
  await open('A=1&B=1&D=1&seed=5&cycle=49');
  const controls = await page.evaluate(
      () => [...document.querySelectorAll('input, select, button, [tabindex], a[href]')]
                .filter((e) => !e.disabled && e.offsetParent !== null || e.tagName === 'circle')
                .map((e) => e.id || e.getAttribute('data-city')));
  const reached = new Set();
  for (let k = 0; k < 120; k++) {
    await page.keyboard.press('Tab');
    reached.add(await page.evaluate(() => document.activeElement.id ||
                                          document.activeElement.getAttribute('data-city')));
  }
  const missed = controls.filter((c) => !reached.has(c));
  check(missed.length === 0, `the keyboard reaches every control: missed ${missed.join(', ')}`);

  // 9. A phone's width; the README's screenshots; nothing fetched; no console errors.
  for (const fragment of ['A=1&B=1&D=1&seed=5&cities=eil51&cycle=49',
                          'A=1&B=1&D=1&seed=5&rule=sync&cycle=30']) {
    await page.setViewportSize({width: 360, height: 800});
    await open(fragment);
    const wide = await page.evaluate(() => document.documentElement.scrollWidth);
    check(wide <= 360, `the page is ${wide} px wide at 360 for ${fragment}`);
  }
  await page.setViewportSize({width: 1200, height: 1000});
  await open('A=1&B=1&D=1&seed=5&rule=sync&cycle=30');
  await page.hover('#grid rect[data-i="2"][data-j="3"]');
  await page.screenshot(
      {path: path.join(outDir, 'lab-sync.png'), clip: {x: 0, y: 0, width: 1200, height: 1010}});
  await open('A=1&B=1&D=1.5&seed=5&cycle=49&run=seeds');
  await page.waitForFunction(() => document.getElementById('survey').textContent.length > 0, null,
                             {timeout: 100000});
  const panel = await page.$('#seeds-panel');
  await panel.screenshot({path: path.join(outDir, 'lab-seeds.png')});
  check(fs.statSync(path.join(outDir, 'lab-sync.png')).size > 20000, 'the screenshots are written');
  check(requests.length === 0, 'no requests beyond the file: ' + requests.join(' '));
  check(errors.length === 0, 'no console errors: ' + errors.join(' | '));
  fs.rmSync(dir, {recursive: true});
  await browser.close();
  finish('workbench');
})().catch(crash);
