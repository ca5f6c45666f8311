// The module's surveys against nuv-survey's text, line for line: the optimum line, the summary
// row and the --tours rows for networks across the family (nuv's, random cities, TSPLIB files
// read by cities.js, the three rules, C), and cities.js's readings of the shipped files against
// nuv-trace's transcripts, and its refusals of bad files. Also the shortest text of numbers
// against the tools' examples.
//   usage: node survey.js NUV_WASM NUV_SURVEY NUV_TRACE DATA_DIR   (exit 77: skipped, no module)
'use strict';
const fs = require('fs');
const path = require('path');
const {execFileSync} = require('child_process');
const Nuv = require('../nuv.js');
const Cities = require('../cities.js');
const {needModule, checks} = require('./common.js');

const [wasmPath, surveyPath, tracePath, dataDir] = process.argv.slice(2);
needModule(wasmPath);
const {check, finish, crash} = checks();

// The tools' own examples of shortest (from their tests of it).
function shortestCases() {
  const cases = [
    [10, '10'], [1000, '1000'], [123456789012, '123456789012'], [1e5, '1e+05'], [1e300, '1e+300'],
    [5e-324, '5e-324'], [0.30000000000000004, '0.30000000000000004'], [0.0001, '0.0001'],
    [1.5, '1.5'], [-0.25, '-0.25'], [0, '0'], [2e-5, '2e-05']
  ];
  for (const [x, text] of cases)
    check(Nuv.shortest(x) === text, `shortest(${x}) is ${Nuv.shortest(x)}, not ${text}`);
}

let model = null;

// The settings' fields checked and defaulted by the tools' table of options: the messages the
// page has always shown beside a field, the defaults the tools print in --help, and the sweeps
// under each rule as nuv-trace runs them.
function fieldCases() {
  const cases = [
    ['C', '', 'a number, please'], ['C', 'x', 'not a number'],
    ['C', '1e999', 'too large: the number must be finite'], ['C', '-2.5e-3', ''], ['n', '', ''],
    ['n', '1e', 'not a number'], ['bias', 'A+B', ''], ['bias', '-1', ''],
    ['bias', 'AB', 'A+B or a finite number'], ['u0', '0', 'a finite number above 0'],
    ['tau', '.5', ''], ['dt', '', 'a finite number above 0'], ['sweeps', '', ''],
    ['sweeps', '100000', ''], ['sweeps', '100001', 'a whole number in 1 ... 100000'],
    ['sweeps', '0', 'a whole number in 1 ... 100000'],
    ['sweeps', '1.5', 'a whole number in 1 ... 100000'],
    // The limits the tools hold beyond a kind's: a temperature above 0, cooling at most 1.
    ['t0', 'critical', ''], ['t0', '0.2', ''], ['t0', '0', 'critical or a finite number above 0'],
    ['cooling', '1', ''], ['cooling', '1.5', 'a number above 0 and at most 1'],
    ['cooling', '0', 'a number above 0 and at most 1']
  ];
  for (const [name, text, why] of cases) {
    const got = model.fieldProblem(name, text);
    check(got === why, `field ${name} '${text}': '${got}', not '${why}'`);
  }
  const defaults = {
    rule: 'inplace',
    C: '0',
    n: '',
    bias: 'A+B',
    u0: '0.5',
    start: 'uniform',
    dt: '0.01',
    tau: '1',
    sweeps: '',
    distances: 'scaled',
    seeds: '1:1000'
  };
  for (const [name, text] of Object.entries(defaults))
    check(model.fieldDefault(name) === text, `default of ${name}: ${model.fieldDefault(name)}`);
  check(model.fieldDefault('nothing') === null, 'no default for a field no option has');
  check(model.defaultSweeps('euler') === 1000 && model.defaultSweeps(1) === 50 &&
            model.defaultSweeps('inplace') === 50,
        'the sweeps by rule');
}

// The names the page takes from the module (the README's words), and --tours's order as the
// module gives it to the page's rows: most runs first, then tours by length when unranked and by
// text ("1-10-..." before "1-2-..."), failures of as many runs in the order missing, doubled.
function orderCases() {
  const lists = {
    OUTCOMES: ['tour', 'missing', 'doubled', 'mixed'],
    RULES: ['inplace', 'sync', 'euler', 'tcnn', 'potts', 'softassign']
  };
  for (const [name, list] of Object.entries(lists))
    check(JSON.stringify(Nuv[name]) === JSON.stringify(list), `Nuv.${name}: ${Nuv[name]}`);
  const motions = ['settled', 'cycling', 'moving'];
  const run = model.runMember({cities: {kind: 'nuv'}}, 1, 1, 1, 1);
  check(run.cycles.every((y) => motions.includes(y.motion) && y.terms.length === 4 &&
                                y.terms.every(Number.isFinite)),
        'a cycle\'s motion is named and its four terms read');
  model.setNetwork({cities: {kind: 'random', n: 12, seed: 1}});
  const tour = (text, length) => ({tour: text.split('-').map((c) => c - 1), text, length, rank: 0});
  const ten = tour('1-10-9-8-7-6-5-4-3-2-11-12', 5), two = tour('1-2-3-4-5-6-7-8-9-10-11-12', 5);
  const shorter = tour('1-3-2-4-5-6-7-8-9-10-11-12', 4);
  const result = {
    tours: [two, ten, shorter].map((t) => Object.assign({runs: 3}, t)),
    failed: [0, 3, 3, 5],
    optimum: {length: 4},
    tally: {runs: 20}
  };
  const got = Nuv.outcomeRows([1, 1, 1], result, false);
  const expected = ['mixed', shorter.text, ten.text, two.text, 'missing', 'doubled'];
  check(got.length === expected.length && expected.every((word, k) => got[k].includes(word)),
        `--tours's order:\n${got.join('\n')}`);
}

// A network given as the tools' options and as the page's description; with `toured`, its
// cities carry the optimal tour file beside the instance, as the page carries a shipped one's.
function tsplibNetwork(file, options, toured = false) {
  const tour = path.join(dataDir, file.replace(/\.tsp$/, '.opt.tour'));
  const read =
      model.readCities(fs.readFileSync(path.join(dataDir, file), 'utf8'),
                       toured && fs.existsSync(tour) ? fs.readFileSync(tour, 'utf8') : null);
  return {cities: read.cities, options};
}

(async () => {
  model = await Nuv.load(fs.readFileSync(wasmPath));
  shortestCases();
  fieldCases();
  orderCases();
  const members = [
    {options: [], network: {}, coef: [1, 1, 1.5], seeds: [1, 400]},
    {
      options: ['--rule', 'sync'],
      network: {options: ['--rule', 'sync']},
      coef: [1, 1, 1],
      seeds: [1, 300]
    },
    {
      options: ['--cities', 'random:8:3', '--C', '0.5'],
      network: {cities: {kind: 'random', n: 8, seed: 3}, options: ['--C', '0.5']},
      coef: [1, 1, 1.5],
      seeds: [1, 300],
      withC: true
    },
    {
      options: ['--cities', path.join(dataDir, 'burma14.tsp'), '--bias', '2.5'],
      network: tsplibNetwork('burma14.tsp', ['--bias', '2.5'], true),
      coef: [1.5, 1.5, 1],
      seeds: [5, 104]
    },
    {
      options: [
        '--cities', path.join(dataDir, 'gr17.tsp'), '--rule', 'euler', '--sweeps', '200', '--start',
        'centred'
      ],
      network: tsplibNetwork('gr17.tsp',
                             ['--rule', 'euler', '--sweeps', '200', '--start', 'centred'], true),
      coef: [1, 1, 0.5],
      seeds: [1, 40]
    },
    {
      options: ['--cities', path.join(dataDir, 'att48.tsp'), '--u0', '0.3'],
      network: tsplibNetwork('att48.tsp', ['--u0', '0.3'], true),
      coef: [1, 1, 0.2],
      seeds: [1, 20]
    },
  ];
  for (const m of members) {
    const args = [...m.options, '--seeds', `${m.seeds[0]}:${m.seeds[1]}`, ...m.coef.map(String)];
    const summary = execFileSync(surveyPath, args).toString().trimEnd().split('\n');
    const tours = execFileSync(surveyPath, ['--tours', ...args]).toString().trimEnd().split('\n');
    const result = model.survey(m.network, ...m.coef, m.seeds[0], m.seeds[1]);
    const coef = [...m.coef, m.withC ? 0.5 : 0];
    const rows = summary.slice(summary.length - 3); // the optimum line, the header and the row
    const name = args.join(' ');
    check(Nuv.optimumLine(result.optimum) === rows[0],
          `${name}: optimum line ${JSON.stringify(Nuv.optimumLine(result.optimum))}`);
    check(Nuv.summaryHead(result.optimum, !!m.withC) === rows[1], `${name}: header`);
    const row = Nuv.summaryRow(model, coef, result, !!m.withC);
    check(row === rows[2],
          `${name}: row ${JSON.stringify(row)} against ${JSON.stringify(rows[2])}`);
    const got = [Nuv.outcomeHead(!!m.withC), ...Nuv.outcomeRows(coef, result, !!m.withC)];
    const expected = tours.slice(tours.length - got.length);
    check(JSON.stringify(got) === JSON.stringify(expected) &&
              tours.length === got.length + (m.options.length ? 2 : 1),
          `${name}: --tours rows\n${got.join('\n')}\nagainst\n${tours.join('\n')}`);
  }
  // The page's nine instances with the tour files it carries: its optimum line is nuv-survey's
  // (the optimal tour file's, beyond 17 cities), for one seed.
  for (const name of ['burma14', 'ulysses16', 'gr17', 'ulysses22', 'att48', 'eil51', 'berlin52',
                      'st70', 'kroA100']) {
    const lines =
        execFileSync(
            surveyPath,
            ['--cities', path.join(dataDir, name + '.tsp'), '--seeds', '1:1', '1', '1', '1'])
            .toString()
            .trimEnd()
            .split('\n');
    const result = model.survey(tsplibNetwork(name + '.tsp', [], true), 1, 1, 1, 1, 1);
    check(
        Nuv.optimumLine(result.optimum) === lines[1],
        `${name}: the page's optimum line ${Nuv.optimumLine(result.optimum)} against ${lines[1]}`);
  }
  // Without its tour file, a shipped instance beyond 17 cities is rated against its published
  // optimum, by the page as by nuv-survey, here a copy of st70 under another name.
  const copy = path.join(require('os').tmpdir(), `nuv-survey-js-${process.pid}-copy.tsp`);
  const st70 =
      fs.readFileSync(path.join(dataDir, 'st70.tsp'), 'utf8').replace(/^NAME.*$/m, 'NAME : copy');
  fs.writeFileSync(copy, st70);
  const copyLines = execFileSync(surveyPath, ['--cities', copy, '--seeds', '1:1', '1', '1', '1'])
                        .toString()
                        .split('\n');
  fs.unlinkSync(copy);
  const copied = model.survey({cities: model.readCities(st70, null).cities}, 1, 1, 1, 1, 1);
  check(Nuv.optimumLine(copied.optimum) === copyLines[1] &&
            copyLines[1].startsWith('optimal length 675 (published)'),
        `a copy of st70: ${Nuv.optimumLine(copied.optimum)} against ${copyLines[1]}`);
  // Every shipped file of up to 100 cities as cities.js reads it runs as nuv-trace runs it. The
  // larger ones (to pr1002, as many cities as the module holds) are read as the tools read them,
  // and not run here: their transcripts are megabytes and minutes (large.js runs one member above
  // 100 cities in the page).
  const RUN_UPTO = 100;
  for (const file of fs.readdirSync(dataDir).filter((f) => f.endsWith('.tsp'))) {
    const text = fs.readFileSync(path.join(dataDir, file), 'utf8');
    const n = Number(/^DIMENSION\s*:\s*(\d+)/m.exec(text)[1]);
    if (n > RUN_UPTO) {
      const read = model.readCities(text);
      check(!read.error && read.cities.n === n, `${file}: refused as ${read.error}`);
      continue;
    }
    const network = tsplibNetwork(file, ['--sweeps', '8']);
    const expected =
        execFileSync(tracePath, [
          '--tables', '--cities', path.join(dataDir, file), '--sweeps', '8', '1', '1', '0.5', '3'
        ]).toString();
    check(model.transcript(network, 1, 1, 0.5, 3) === expected, `${file}: transcript`);
    // Carried in a link and back, the cities are the same numbers.
    const back = Cities.fromLink(Cities.toLink(network.cities).text).cities;
    check(JSON.stringify(back) === JSON.stringify(network.cities), `${file}: through a link`);
  }
  // A bad file is refused by the page with the line and reason nuv-trace gives.
  const head =
      'NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EUC_2D\nNODE_COORD_SECTION\n';
  const upper = 'NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EXPLICIT\n' +
                'EDGE_WEIGHT_FORMAT : UPPER_ROW\nEDGE_WEIGHT_SECTION\n';
  const bad = [
    head + '1 0 0\n2 1 0\n3 1 1\n', head + '1 0 0\n2 1 0\n2 1 1\n4 0 1\n',
    head + '1 0 0\n2 1e400 0\n', upper + '1 2 3\n4 x 6\n',
    upper.replace('UPPER_ROW', 'FULL_MATRIX') + '0 1 2 3\n1 0 4 5\n2 4 0 6\n3 5 7 0\n',
    '0 0\n1 0\n1 1\n', '0 0\n1 0\n1 1 1\n0 1\n', 'NAME : t\nTYPE : ATSP\n',
    'NAME : t\nDIMENSION : 4\nDIMENSION : 5\n',
    // Negative weights, a hexadecimal number, a word of 100,000 characters, a stray line, a
    // matrix's diagonal, GEO beyond its range, cities all at one point or too far apart.
    upper + '-1 -1 -1\n-1 -1\n-1\n', 'NAME : t\nTYPE : TSP\nDIMENSION : 0x9\n',
    '0 0\n1 0\n' +
        '1'.repeat(100000) + ' 1\n0 1\n',
    head + '1 0 0\n2 1 0\n3 1 1\n4 0 1\nstray\nEOF\n',
    head + '1 0 0\n2 1 0\n3 1 1\n4 0 1\n5 1 1\nEOF\n',
    head.replace('EUC_2D', 'GEO') + '1 0 0\n2 1 0\n3 91 1\n4 0 1\nEOF\n', '0 0\n0 0\n0 0\n0 0\n',
    head + '1 0 0\n2 0 0\n3 0.4 0\n4 0 0\n', '0 0\n1e200 0\n0 1\n1 1\n',
    '0 0\n1e-320 0\n0 1e-320\n1e-320 1e-320\n',
    upper.replace('UPPER_ROW', 'FULL_MATRIX') + '0 1 2 3\n1 5 4 5\n2 4 0 6\n3 5 6 0\n',
    upper + '1e308 1e308 1e308 1e308 1e308 1e308\n'
  ];
  const file = path.join(require('os').tmpdir(), `nuv-survey-js-${process.pid}.tsp`);
  for (const text of bad) {
    fs.writeFileSync(file, text);
    let said = '';
    try {
      execFileSync(tracePath, ['--cities', file, '1', '1', '1', '5'], {stdio: 'pipe'});
    } catch (e) {
      said = e.stderr.toString();
    }
    const read = model.readCities(text);
    const expected = `'${file}'${read.line ? ':' + read.line : ''}: ${read.error}`;
    check(read.error && said.includes(expected),
          `the page refuses ${JSON.stringify(text)} as nuv-trace does: ${expected} in ${said}`);
  }
  // A byte-order mark is passed over by both, and the cities are the same.
  const square = '0 0\n2 0\n2 2\n0 2\n';
  const marked = model.readCities('\ufeff' + square), plain = model.readCities(square);
  check(!marked.error && JSON.stringify(marked.cities) === JSON.stringify(plain.cities),
        `a byte-order mark: ${marked.error}`);
  fs.writeFileSync(file, '\ufeff' + square);
  const traced =
      execFileSync(tracePath, ['--cities', file, '--sweeps', '3', '1', '1', '1', '5']).toString();
  fs.writeFileSync(file, square);
  check(traced === execFileSync(tracePath, ['--cities', file, '--sweeps', '3', '1', '1', '1', '5'])
                       .toString(),
        'nuv-trace passes a byte-order mark over');
  // A link's matrix with weights below 0 (the link alone once froze the page), and a link's
  // cities all at one point, are refused.
  check(Cities.fromLink('matrix:18:0:' +
                        '_'.repeat(816))
                .error === 'not cities: weight -1 is below 0',
        'a link of negative weights');
  const point =
      Cities
          .fromLink(Cities.toLink({metric: 'xy', n: 4, xy: [[1, 1], [1, 1], [1, 1], [1, 1]]}).text)
          .cities;
  check(model.citiesProblem(point) === 'the 4 cities are all at one point',
        `a link at one point: ${model.citiesProblem(point)}`);
  check(model.citiesProblem(plain.cities) === '', 'a square makes a network');
  fs.rmSync(file);
  finish('survey');
})().catch(crash);
