// ui.js: the lab page. Reads the fields and the address's fragment, reruns the network on every
// change (in a worker when the run is long), and draws the grid, the curves, the map, the
// status, the values and the tools' text for the cycle shown; runs many seeds as nuv-survey
// does. What is on screen, the command shown and the address always say the same: with a bad
// value there is no run, and the value is named beside its field. Start at start(); the model
// and the tools' text are nuv.js's, the cities' text cities.js's.
(function() {
'use strict';
const SVG = 'http://www.w3.org/2000/svg';
const $ = (id) => document.getElementById(id);
const WORKER_ABOVE = 3e6; // a run of more than about this many N^3 x sweeps goes to the worker

// The fields, in the fragment's order, with their defaults: coefficients and seed first,
// then the network's options under their names without dashes.
const RUN_FIELDS = ['A', 'B', 'D', 'seed'];
const NETWORK_FIELDS =
    ['rule', 'C', 'n', 'bias', 'u0', 'start', 'dt', 'tau', 'sweeps', 'distances'];
const DEFAULT = {
  A: '1',
  B: '1',
  D: '1',
  seed: '5',
  cities: 'nuv',
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
const NAMES = {
  A: 'Acoef',
  B: 'Bcoef',
  D: 'Dcoef',
  seed: 'the seed',
  cities: 'the cities',
  C: 'C',
  n: 'n',
  bias: 'the bias',
  u0: 'U0',
  dt: 'dt',
  tau: 'tau',
  sweeps: 'the sweeps',
  rule: 'the rule',
  start: 'the start',
  distances: 'the distances'
};
const MENUS = ['rule', 'start', 'distances'];
const SHIPPED =
    [...document.querySelectorAll('script[type="text/x-tsplib"]')].map((e) => e.dataset.name);
const shipped = new Map(); // each shipped instance's cities, once read

let model = null;
const texts = Object.assign({}, DEFAULT); // the fields' texts, good or not
let listCities = null;                    // cities from a file or the map: {cities, name}
let current = null;                       // the run shown: {key, network, coef, seed, run, command}
let shown = 49;                           // the cycle shown
let timer = null;                         // the player, while playing
let pinned = null;                        // a run kept for comparison
let stepping = null;                      // {cycle, units}: an in-place sweep shown unit by unit
let cursor = null;                        // the unit whose input is shown: [i, j]
let seedsWanted = false;                  // whether the link asked for the seeds panel to run
const badMenu =
    {}; // a link's menu values that the menus do not offer, by field, until one is chosen
const workers = {}; // by job: 'run', and 'survey0', 'survey1', ... for the seeds' shares

// --- Reading the fields ---

const finite = (t) => Nuv.DECIMAL.test(t) && Number.isFinite(Number(t));

// Why the text is not a good value of the field, or ''.
function problem(name, t) {
  if (name === 'seed') {
    if (!/^\d+$/.test(t)) return 'the seed is a whole number from 0 to 4294967295';
    return Number(t) > 4294967295 ? 'the seed is at most 4294967295' : '';
  }
  if (['A', 'B', 'D'].includes(name)) {
    if (t === '') return 'a number, please';
    if (!Nuv.DECIMAL.test(t)) return 'not a number';
    return finite(t) ? '' : 'too large: the number must be finite';
  }
  return model.fieldProblem(name, t); // a network setting, by the tools' table of options
}

// The cities the texts name: {cities, name, option, file}, or {error}.
function citiesOf(text) {
  if (text === 'nuv') return {cities: {kind: 'nuv'}, option: null};
  const random = /^random:(\d+):(\d+)$/.exec(text);
  if (random) {
    const n = Number(random[1]), seed = Number(random[2]);
    if (n < 4 || n > 100) return {error: 'random cities are 4 to 100'};
    if (seed > 4294967295) return {error: 'the seed S is at most 4294967295'};
    return {cities: {kind: 'random', n, seed}, option: text};
  }
  if (text.startsWith('random:')) return {error: 'random cities are random:N:S, whole numbers'};
  if (SHIPPED.includes(text)) {
    // Read once, with the optimal tour file where the page carries one, as the tools take it:
    // the reading leaves the cities in the module, which a run sets again.
    if (!shipped.has(text)) {
      const tour = document.querySelector(`script[type="text/x-tsplib-tour"][data-name="${text}"]`);
      shipped.set(text,
                  model.readCities(
                      document.querySelector(`script[type="text/x-tsplib"][data-name="${text}"]`)
                          .textContent,
                      tour ? tour.textContent : null));
    }
    const read = shipped.get(text);
    if (read.error) return {error: `${text}${read.tour ? '.opt.tour' : ''}: ${read.error}`};
    return {cities: read.cities, option: `data/tsplib/${text}.tsp`};
  }
  const list = Cities.fromLink(text);
  if (list.error) return {error: `the link's cities '${text.slice(0, 20)}' are ${list.error}`};
  const why = model.citiesProblem(list.cities);
  if (why) return {error: `the link's cities '${text.slice(0, 20)}' make no network: ${why}`};
  const name =
      listCities && Cities.toLink(listCities.cities).text === text ? listCities.name : 'cities';
  const extension = list.cities.metric === 'xy' ? '.txt' : '.tsp';
  const file = name.endsWith(extension) ? name : name + extension; // a NAME may hold it already
  return {cities: list.cities, option: file, file, name};
}

// Takes every field's text; the network and run they describe, or the names of the bad ones.
function readFields() {
  for (const name of [...RUN_FIELDS, ...NETWORK_FIELDS]) texts[name] = $(name).value.trim();
  const bad = [];
  for (const name of [...RUN_FIELDS, ...NETWORK_FIELDS]) {
    if (MENUS.includes(name)) {
      // A menu holds a value it offers; a link's other value is named until one is chosen.
      if (name in badMenu) bad.push(NAMES[name]);
      continue;
    }
    const why = problem(name, texts[name]);
    $(name + '-msg').textContent = why;
    $(name).setAttribute('aria-invalid', why ? 'true' : 'false');
    if (why) bad.push(NAMES[name]);
  }
  const c = citiesOf(texts.cities);
  $('cities-msg').textContent = c.error || '';
  if (c.error) bad.push(NAMES.cities);
  if (bad.length) return {bad};
  const settings = {
    rule: Nuv.RULES.indexOf(texts.rule),
    C: Number(texts.C),
    start: texts.start === 'centred' ? 1 : 0,
    u0: Number(texts.u0),
    dt: Number(texts.dt),
    tau: Number(texts.tau),
    sweeps: texts.sweeps === '' ? 0 : Number(texts.sweeps),
    raw: texts.distances === 'raw'
  };
  if (texts.n !== '') settings.n = Number(texts.n);
  if (texts.bias !== 'A+B') settings.bias = Number(texts.bias);
  const coef = [Number(texts.A), Number(texts.B), Number(texts.D)];
  return {network: {cities: c.cities, settings}, coef, seed: Number(texts.seed), citiesInfo: c};
}

// The options that differ from their defaults, as the tools take them, for cities as
// citiesOf gives them; `given` replaces some settings' texts (C's range, for the survey).
function options(cities, given = {}) {
  const list = [];
  if (cities.option) list.push('--cities', cities.option);
  for (const name of NETWORK_FIELDS) {
    const text = name in given ? given[name] : texts[name];
    if (text !== DEFAULT[name]) list.push('--' + name, text);
  }
  return list;
}

// The command that prints the run shown: nuv's for nuv's network (no option), else
// nuv-trace --tables.
function commandLine(cities) {
  const run = `${texts.A} ${texts.B} ${texts.D} ${texts.seed}`, o = options(cities);
  return o.length ? `nuv-trace --tables ${o.join(' ')} ${run}` : `nuv ${run}`;
}

// A slider follows its field: its range grows to hold a typed value beyond it.
function follow(slider, v) {
  if (v < Number(slider.min)) slider.min = String(Math.floor(v));
  if (v > Number(slider.max)) slider.max = String(Math.ceil(v));
  slider.value = String(v);
}

// --- Running ---

// A worker made from the page's own scripts, with the module.
function worker(kind) {
  if (workers[kind]) return workers[kind];
  const source = $('nuv-js').textContent + '\n' + $('worker-js').textContent;
  const w = new Worker(URL.createObjectURL(new Blob([source], {type: 'text/javascript'})));
  w.onerror = (e) => console.error(`the ${kind} worker failed: ${e.message} (line ${e.lineno})`);
  w.postMessage({module: model.compiled});
  workers[kind] = w;
  return w;
}
// Stops the jobs of workers whose names start with kind: they go, and new ones come with the
// next job.
function cancel(kind) {
  for (const name of Object.keys(workers))
    if (name.startsWith(kind)) workers[name].terminate(), delete workers[name];
}

// The run for what the fields say: at once when it is short, else in the worker with a
// progress bar; a newer run cancels an older one still in the worker.
function rerun() {
  stopStepping();
  const r = readFields();
  if (r.bad) {
    cancel('run');
    current = null;
    progress(null);
    return show(shown, 'No run: ' + r.bad.join(' and ') + (r.bad.length > 1 ? ' are' : ' is') +
                           ' not valid; see beside the field.');
  }
  for (const name of ['A', 'B', 'D']) follow($(name + '-range'), Number(texts[name]));
  const key = JSON.stringify([r.network, r.coef, r.seed]);
  if (current && current.key === key && current.run) return show(shown);
  const job = {
    key,
    network: r.network,
    coef: r.coef,
    seed: r.seed,
    command: commandLine(r.citiesInfo),
    cities: r.citiesInfo
  };
  clearSeeds();
  const n = r.network.cities.kind === 'nuv' ? 9 : r.network.cities.n;
  const sweeps = r.network.settings.sweeps || model.defaultSweeps(r.network.settings.rule);
  if (n * n * n * sweeps <= WORKER_ABOVE) {
    cancel('run');
    job.run = model.runMember(r.network, ...r.coef, r.seed);
    return begin(job);
  }
  current = Object.assign(job, {run: null});
  cancel('run'); // an older run still in the worker is not wanted
  progress(0, 'running in the background');
  const w = worker('run');
  w.onmessage = (e) => {
    if (e.data.kind === 'progress')
      return progress(e.data.done / e.data.total,
                      `running: cycle ${e.data.done} of ${e.data.total}`);
    if (current !== job) return;
    job.run = e.data.run;
    model.setNetwork(job.network); // the page's module holds the network too: units' inputs, steps
    progress(null);
    begin(job);
  };
  w.postMessage(runMessage(job));
  show(shown);
}

// The worker's message for the run of a job: its network, coefficients and seed.
function runMessage(job) {
  return {
    job: 'run',
    network: job.network,
    a: job.coef[0],
    b: job.coef[1],
    d: job.coef[2],
    seed: job.seed
  };
}

// The run's progress bar at fraction, with its text; null hides it.
function progress(fraction, text) {
  $('progress').hidden = fraction === null;
  if (fraction !== null) $('progress').value = fraction;
  $('running-text').textContent = fraction === null ? '' : text;
}

// A run is in: the cycle slider spans it, and it is shown.
function begin(job) {
  current = job;
  const last = job.run.sweeps - 1; // -1 for a run that stopped at its start
  $('cycle').max = String(Math.max(0, last));
  if (last >= 0) shown = Math.min(shown, last);
  show(shown);
  if (seedsWanted) (seedsWanted = false), runSeeds();
}

// The state of cycle c of the run shown; a long run keeps only some, and the others are made
// again (in the worker) when asked for.
function stateOf(c) {
  const run = current.run;
  if (run.states[c]) return run.states[c];
  if (run.asking === c) return null;
  run.asking = c;
  progress(0, `making cycle ${c}'s state again`);
  const job = current, w = worker('run');
  w.onmessage = (e) => {
    if (e.data.kind === 'progress')
      return progress(e.data.done / e.data.total, `making cycle ${c}'s state again`);
    if (current !== job) return;
    run.states[c] = e.data.run.states[c];
    run.asking = undefined;
    progress(null);
    show(shown);
  };
  w.postMessage(Object.assign(runMessage(job), {only: c}));
  return null;
}

// --- Drawing ---

function element(parent, name, attributes, text) {
  const e = document.createElementNS(SVG, name);
  for (const [k, v] of Object.entries(attributes)) e.setAttribute(k, String(v));
  if (text !== undefined) e.textContent = text;
  parent.appendChild(e);
  return e;
}

// The scale of the tools' pictures: dark violet at 0, teal at 0.5, yellow at 1.
function colour(t) {
  if (Number.isNaN(t)) return 'white';
  const stop = [[0x44, 0x01, 0x54], [0x21, 0x91, 0x8c], [0xfd, 0xe7, 0x25]];
  t = Math.min(2, Math.max(0, t * 2));
  const k = t >= 1 ? 1 : 0;
  const f = t - k;
  const c = [0, 1, 2].map((n) => Math.round(stop[k][n] + (stop[k + 1][n] - stop[k][n]) * f));
  return 'rgb(' + c.join(',') + ')';
}

// The grid of the state, n x n, with a dot on each unit above 0.5 and the units of `marked`
// ([[i, j], colour] each) outlined.
const GRID = {
  left: 30,
  top: 30,
  size: 252
};
function drawGrid(state, n, marked) {
  const svg = $('grid');
  svg.textContent = '';
  const cell = GRID.size / n, {left, top} = GRID;
  const label = n <= 20 ? 1 : n <= 50 ? 5 : 10;
  for (let k = 0; k < n; k++) {
    if ((k + 1) % label && k) continue;
    element(svg, 'text',
            {x: left + cell * k + cell / 2, y: top - 8, 'text-anchor': 'middle', 'font-size': 11},
            k + 1);
    element(svg, 'text',
            {x: left - 6, y: top + cell * k + cell / 2 + 4, 'text-anchor': 'end', 'font-size': 11},
            k + 1);
  }
  let gaps = 0;
  const gap = n <= 30 ? 1 : 0;
  for (let i = 0; i < n; i++)
    for (let j = 0; j < n; j++) {
      const v = state[n * i + j], x = left + cell * j, y = top + cell * i;
      element(svg, 'rect', {
        x: x.toFixed(2),
        y: y.toFixed(2),
        width: (cell - gap).toFixed(2),
        height: (cell - gap).toFixed(2),
        fill: colour(v),
        stroke: Number.isNaN(v) ? '#999' : 'none',
        'data-i': i,
        'data-j': j
      });
      if (Number.isNaN(v)) gaps++;
      if (v > model.onAbove && n <= 50)
        element(svg, 'circle', {
          cx: (x + cell / 2).toFixed(2),
          cy: (y + cell / 2).toFixed(2),
          r: Math.min(4, cell / 5).toFixed(2),
          fill: 'black',
          'pointer-events': 'none'
        });
    }
  // Rows and columns with no unit on, or more than one: outlined in red.
  const f = model.lineCounts(state, n); // a row or column that is not one on keeps it from a tour
  for (let k = 0; k < n; k++) {
    if (f.rows[k] !== 1)
      element(svg, 'rect', {
        x: left - 1,
        y: (top + cell * k - 1).toFixed(2),
        width: GRID.size + 1,
        height: (cell + 1).toFixed(2),
        fill: 'none',
        stroke: '#e0301e',
        'stroke-width': 1.5,
        class: 'fault',
        'pointer-events': 'none'
      });
    if (f.columns[k] !== 1)
      element(svg, 'rect', {
        x: (left + cell * k - 1).toFixed(2),
        y: top - 1,
        width: (cell + 1).toFixed(2),
        height: GRID.size + 1,
        fill: 'none',
        stroke: '#e0301e',
        'stroke-width': 1.5,
        'stroke-dasharray': '3 2',
        class: 'fault',
        'pointer-events': 'none'
      });
  }
  for (const [[i, j], stroke] of marked)
    element(svg, 'rect', {
      x: (left + cell * j).toFixed(2),
      y: (top + cell * i).toFixed(2),
      width: (cell - gap).toFixed(2),
      height: (cell - gap).toFixed(2),
      fill: 'none',
      stroke,
      'stroke-width': 2.5,
      'pointer-events': 'none'
    });
  const faulty = f.rows.filter((r) => r !== 1).length + f.columns.filter((c) => c !== 1).length;
  element(svg, 'text', {x: left, y: 300, 'font-size': 11, fill: gaps ? '#b03020' : '#555'},
          gaps ? `${gaps} units are not a number: white`
          : faulty ? 'red: not one unit on (columns dashed)'
                   : 'a dot marks a unit above 0.5');
}

// Round values from lo to hi, about n of them, 1, 2 or 5 times a power of ten apart.
function niceTicks(lo, hi, n) {
  const rough = ((hi / 2 - lo / 2) / n) * 2;
  const power = Math.pow(10, Math.floor(Math.log10(rough)));
  const step = [1, 2, 5, 10].map((f) => f * power).find((s) => s >= rough);
  const ticks = [];
  for (let k = Math.ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9 && ticks.length < 20; k++)
    ticks.push(k * step);
  return ticks;
}

// A tick's label: six significant digits, or beyond ten characters (huge or tiny values) the
// exponent form of three, as nuv-trace's picture writes them.
function tickLabel(v) {
  const plain = String(Number(v.toPrecision(6)));
  return plain.length > 10 ? Number(v.toPrecision(3)).toExponential() : plain;
}

const CURVE = {
  left: 50,
  top: 12,
  w: 330,
  h: 210
};
const CURVES = [
  ['E', '#000', (y) => y.e, ''], ['EA', '#d04030', (y) => y.terms[0], '8 4'],
  ['EB', '#3060c0', (y) => y.terms[1], '2 3'], ['ED', '#2a9d50', (y) => y.terms[2], '8 3 2 3'],
  ['EC', '#8a4fb0', (y) => y.terms[3], '1 2'], ['L', '#e08a00', (y) => y.l, '14 4']
];

// The cycles a curve is drawn through: 1 ... last, at most about 1000 of them.
function curveCycles(last) {
  const every = Math.max(1, Math.ceil(last / 1000)), list = [];
  for (let k = 1; k <= last; k += every) list.push(k);
  if (list[list.length - 1] !== last) list.push(last);
  return list;
}

// The curves of the run shown, and of a pinned run pale beneath them, with cycle c marked.
function drawCurve(c) {
  const svg = $('curve');
  svg.textContent = '';
  const {left, top, w, h} = CURVE;
  const runs = [current.run, pinned && pinned.run].filter((r) => r);
  const last = Math.max(...runs.map((r) => r.sweeps - 1));
  const withC = runs.some((r) => r.cycles.some((y) => y.terms[3] !== 0));
  const curves = CURVES.filter(([name]) => name !== 'EC' || withC);
  let lo = 0, hi = 0, leftOut = 0;
  for (const run of runs)
    for (const [, , value] of curves)
      for (const k of curveCycles(run.sweeps - 1)) {
        const v = value(run.cycles[k]);
        if (Number.isFinite(v))
          (lo = Math.min(lo, v)), (hi = Math.max(hi, v));
        else
          leftOut++;
      }
  if (hi === lo) hi = lo + 1;
  // Halves, so that the span between the largest doubles stays finite.
  const px = (k) => left + (w * (k - 1)) / Math.max(1, last - 1);
  const py = (v) => top + h * ((hi / 2 - v / 2) / (hi / 2 - lo / 2));
  element(svg, 'rect',
          {x: left, y: top, width: w, height: h, fill: 'white', stroke: '#888', id: 'curve-frame'});
  for (const v of niceTicks(lo, hi, 5)) {
    element(svg, 'line', {x1: left, y1: py(v), x2: left + w, y2: py(v), stroke: '#e4e4e4'});
    element(svg, 'text', {x: left - 4, y: py(v) + 4, 'text-anchor': 'end', 'font-size': 11},
            tickLabel(v));
  }
  for (const k of niceTicks(1, last, 5).filter((k) => k >= 1))
    element(svg, 'text', {x: px(k), y: top + h + 14, 'text-anchor': 'middle', 'font-size': 11}, k);
  element(svg, 'text', {x: left + w / 2, y: top + h + 28, 'text-anchor': 'middle', 'font-size': 12},
          'cycle');
  runs.forEach((run, r) => {
    curves.forEach(([, stroke, value, dash]) => {
      // A run of finite values per polyline: a value that is not finite is a gap.
      let points = [];
      const flush = () => {
        if (points.length)
          element(svg, 'polyline', {
            points: points.join(' '),
            fill: 'none',
            stroke,
            'stroke-width': r ? 1 : 1.6,
            opacity: r ? 0.4 : 1,
            'stroke-dasharray': dash || 'none',
            class: r ? 'pinned' : 'curve',
            'pointer-events': 'none'
          });
        points = [];
      };
      for (const k of curveCycles(run.sweeps - 1)) {
        const v = value(run.cycles[k]);
        if (Number.isFinite(v))
          points.push(px(k).toFixed(1) + ',' + py(v).toFixed(1));
        else
          flush();
      }
      flush();
    });
  });
  curves.forEach(([name, stroke, , dash], n) => {
    element(svg, 'line', {
      x1: left + 55 * n,
      y1: top + h + 44,
      x2: left + 55 * n + 16,
      y2: top + h + 44,
      stroke,
      'stroke-width': 2,
      'stroke-dasharray': dash || 'none'
    });
    element(svg, 'text', {x: left + 55 * n + 20, y: top + h + 48, 'font-size': 12}, name);
  });
  const notes = [];
  if (pinned) notes.push('pale: the pinned run');
  if (leftOut) notes.push(`${leftOut} values are not finite: the gaps`);
  if (notes.length)
    element(svg, 'text',
            {x: left, y: top + h + 66, 'font-size': 11, fill: leftOut ? '#b03020' : '#555'},
            notes.join('; '));
  // The cycle shown: a grey band, unlike any curve.
  if (c >= 1)
    element(svg, 'line', {
      x1: px(c),
      y1: top,
      x2: px(c),
      y2: top + h,
      stroke: '#9a9a9a',
      'stroke-width': 6,
      opacity: 0.45,
      id: 'marker',
      'pointer-events': 'none'
    });
  svg.dataset.last = String(last);
}

// Where each city is drawn: the cities' box fitted into the map, y up.
const MAP = {
  left: 25,
  top: 20,
  w: 210,
  h: 240
};
// The map's place of a city and back, for cities at xy.
function mapPlace(xy) {
  const xs = xy.map((p) => p[0]), ys = xy.map((p) => p[1]);
  const x0 = Math.min(...xs), y0 = Math.min(...ys);
  const span = Math.max(Math.max(...xs) - x0, Math.max(...ys) - y0) || 1;
  const scale = Math.min(MAP.w, MAP.h) / span;
  return {
    to: ([x, y]) => [MAP.left + (x - x0) * scale, MAP.top + MAP.h - (y - y0) * scale],
    from: ([sx, sy]) => [x0 + (sx - MAP.left) / scale, y0 + (MAP.top + MAP.h - sy) / scale],
    span
  };
}

// The cities, the tour of cycle y if it is one, and an optimum dashed; nothing to draw for a
// matrix without coordinates.
function drawMap(y) {
  const svg = $('map');
  svg.textContent = '';
  const info = current.cities.cities;
  const drawn = info.kind !== 'list' || info.xy;
  if (!drawn) {
    element(svg, 'text', {x: 130, y: 140, 'text-anchor': 'middle', 'font-size': 13},
            'these cities have no coordinates:');
    element(svg, 'text', {x: 130, y: 160, 'text-anchor': 'middle', 'font-size': 13},
            'their distances are a matrix');
    return;
  }
  const xy = model.cityPoints(), place = mapPlace(xy), n = xy.length;
  const polygon = (tour, attributes) => element(
      svg, 'polygon',
      Object.assign({
        points: tour.map((city) => place.to(xy[city]).map((v) => v.toFixed(1)).join(',')).join(' '),
        fill: 'none'
      },
                    attributes));
  if (y.outcome === 'tour') polygon(y.tour, {stroke: '#7fb0e0', 'stroke-width': 5});
  polygon(y.outcome === 'tour' && y.ratio <= 1 + 1e-9 ? y.tour : model.optimum().tour,
          {stroke: '#333', 'stroke-width': 1.5, 'stroke-dasharray': '6 4'});
  for (let i = 0; i < n; i++) {
    const [x, yy] = place.to(xy[i]);
    const movable = !(info.kind === 'list' &&
                      info.metric === 'matrix'); // a matrix's distances do not follow a map
    const dot = element(svg, 'circle',
                        {cx: x.toFixed(1), cy: yy.toFixed(1), r: n <= 30 ? 6 : 4, fill: '#d04030'});
    if (movable) {
      for (const [k, v] of Object.entries({
             tabindex: 0,
             class: 'city',
             'data-city': i,
             role: 'button',
             'aria-label': `city ${i + 1}: drag, or use the arrow keys, to move it`
           }))
        dot.setAttribute(k, String(v));
      dot.style.cursor = 'grab';
    }
    if (n <= 30)
      element(svg, 'text', {x: x + 7, y: yy - 7, 'font-size': 12, 'pointer-events': 'none'}, i + 1);
  }
  if (y.outcome !== 'tour')
    element(svg, 'text', {x: 130, y: 295, 'text-anchor': 'middle', 'font-size': 13},
            'no tour: ' + y.outcome);
}

// What the status line says of cycle y.
function statusText(y, run) {
  const motion = y.moved ? `, ${y.motion}` : '';
  const what = y.cycle === 0 ? 'cycle 0 (the random start)'
                             : `cycle ${y.cycle} (after ${y.cycle + 1} sweeps${motion})`;
  if (y.outcome !== 'tour') return `${what}: not a tour (${y.outcome}, ${y.on} units on)`;
  const rank = y.rank > 0 ? `, rank ${y.rank} of ${run.tours}` : '';
  return `${what}: valid tour ${Nuv.tourText(y.tour)}, length ${Nuv.fixed(y.length, 4)}, ratio ${
      Nuv.fixed(y.ratio, 4)}${rank}`;
}

let displayed = null; // the state the grid shows

// The unit at the cursor outlined, and its input from the state shown split as the sweep adds
// it, from the model's own code.
function pointAt(unit) {
  cursor = unit;
  const old = document.getElementById('cursor');
  if (old) old.remove();
  if (!cursor || !current || !current.run || !displayed) return;
  const [i, j] = cursor, n = current.run.n, cell = GRID.size / n;
  element($('grid'), 'rect', {
    id: 'cursor',
    x: (GRID.left + cell * j).toFixed(2),
    y: (GRID.top + cell * i).toFixed(2),
    width: cell.toFixed(2),
    height: cell.toFixed(2),
    fill: 'none',
    stroke: '#3060c0',
    'stroke-width': 2.5,
    'pointer-events': 'none'
  });
  const state = displayed;
  const t = model.unitTerms(state, n, ...current.coef, i, j);
  const f = (x) => Nuv.fixed(x, 6);
  const sum = ((((t.row + t.column) + t.tour) + t.global) + t.bias) + t.bias2;
  const bias = texts.bias === 'A+B' ? `bias ${f(t.bias)} + ${f(t.bias2)} (Acoef + Bcoef)`
                                    : `bias ${f(t.bias)}`;
  $('unit').textContent = `City ${i + 1} at position ${j + 1}: output ${
                              f(state[n * i + j])}; its input ${f(t.input)} = ` +
                          `row ${f(t.row)} + column ${f(t.column)} + tour length ${f(t.tour)}` +
                          (texts.C !== '0' ? ` + global ${f(t.global)}` : '') + ` + ${bias}` +
                          (sum === t.input ? '' : ' (the parts do not add up: a fault)');
  $('unit').dataset.terms =
      JSON.stringify([t.row, t.column, t.tour, t.global, t.bias, t.bias2, t.input]);
}

// Shows cycle c of the run (or the sweep being stepped), or with no run the reason why, and
// keeps the address saying what the fields say.
function show(c, noRun) {
  const ready = current && current.run && current.run.sweeps > 0;
  if (current && current.run && !ready)
    noRun = `No run to show: ${current.run.why}`; // stopped at its start
  const last = ready ? current.run.sweeps - 1 : Number($('cycle').max);
  if (ready) shown = Math.min(last, Math.max(0, c)); // else the cycle waits for the run
  $('cycle').value = String(shown);
  $('cycle-value').textContent = String(Math.min(shown, last));
  const state = ready && stateOf(shown);
  if (ready && state) {
    const run = current.run, y = run.cycles[shown], n = run.n;
    if (stepping) {
      const units = model.stepUnits(state, n, ...current.coef, stepping.units);
      const k = stepping.units;
      drawGrid(units, n, [
        [[Math.floor((k - 1) / n), (k - 1) % n], '#ff2d2d'], [[Math.floor(k / n), k % n], '#ffffff']
      ]);
      $('step-table').hidden = false;
      $('step-table').textContent = stepTable(units, n, k);
      displayed = units;
    } else {
      drawGrid(state, n, []);
      $('step-table').hidden = true;
      displayed = state;
    }
    pointAt(cursor);
    drawCurve(shown);
    drawMap(y);
    if (timer === null)
      $('status').textContent = statusText(y, run) + (run.why ? `; the run stops: ${run.why}` : '');
    $('pinned-status').textContent =
        pinned ? 'pinned: ' +
                     statusText(pinned.run.cycles[Math.min(shown, pinned.run.sweeps - 1)],
                                pinned.run) +
                     ' \u2014 ' + pinned.command
               : '';
    const values = {E: y.e, EA: y.terms[0], EB: y.terms[1], ED: y.terms[2], EC: y.terms[3], L: y.l};
    for (const [name, v] of Object.entries(values)) $('v-' + name).textContent = Nuv.fixed(v, 6);
    $('table').textContent = model.tableBlock(shown, state, n, y.eBits);
    $('command').textContent = current.command;
  } else {
    for (const id of ['grid', 'curve', 'map']) $(id).textContent = '';
    if (!ready) $('status').textContent = noRun || (current ? 'running\u2026' : '');
    $('table').textContent = '';
    $('command').textContent = '';
    for (const name of ['E', 'EA', 'EB', 'ED', 'EC', 'L']) $('v-' + name).textContent = '';
  }
  $('copy').disabled = !ready;
  $('panels').hidden = !ready;
  $('step').disabled = !ready || texts.rule !== 'inplace';
  $('pin').disabled = !ready;
  saveLink();
  writeFragment();
}

// The state while stepping, in nuv's table format, headed by the units done.
function stepTable(state, n, k) {
  const lines = model.tableBlock(0, state, n, 0n).split('\n');
  lines[0] = `after ${k} of the ${n * n} units of sweep ${stepping.sweep}`;
  return lines.join('\n');
}

// The cities as a file, to save beside the command that names it.
function saveLink() {
  const a = $('cities-save'), c = current && current.cities;
  if (!c || !c.file) return (a.hidden = true);
  if (a.dataset.for !== texts.cities) {
    if (a.href) URL.revokeObjectURL(a.href);
    a.href = URL.createObjectURL(new Blob([Cities.toFile(c.cities, c.name)], {type: 'text/plain'}));
    a.dataset.for = texts.cities;
  }
  a.download = c.file;
  a.textContent = `save the cities as ${c.file}`;
  a.hidden = false;
}

// The address: the run's fields, the settings that are not their defaults, the cycle, and
// the seeds panel's range and whether it has run.
function writeFragment() {
  const parts = RUN_FIELDS.map((n) => `${n}=${encodeURIComponent(texts[n])}`);
  if (texts.cities !== DEFAULT.cities) parts.push(`cities=${encodeURIComponent(texts.cities)}`);
  for (const name of NETWORK_FIELDS) {
    const text = name in badMenu ? badMenu[name] : texts[name]; // a link's bad menu value stays
    if (text !== DEFAULT[name]) parts.push(`${name}=${encodeURIComponent(text)}`);
  }
  parts.push(`cycle=${shown}`);
  const seeds = $('seeds').value.trim();
  if (seeds !== DEFAULT.seeds) parts.push(`seeds=${encodeURIComponent(seeds)}`);
  if ($('vary').value)
    parts.push(
        `vary=${$('vary').value}&values=${encodeURIComponent($('vary-values').value.trim())}`);
  if ($('survey').textContent) parts.push('run=seeds');
  const fragment = '#' + parts.join('&');
  if (location.hash !== fragment) history.replaceState(null, '', fragment);
}

// --- Stepping one unit at a time ---

function step() {
  if (!current || !current.run || texts.rule !== 'inplace') return;
  stop();
  const n = current.run.n;
  if (!stepping) stepping = {units: 0, sweep: shown === 0 ? 1 : shown + 2};
  stepping.units++;
  $('step-end').disabled = false;
  if (stepping.units === n * n) {
    $('step-msg').textContent =
        `Sweep ${stepping.sweep} is done: every unit once, row by row. ` +
        (shown === 0                        ? 'Cycle 1 follows one more sweep.'
         : shown === current.run.sweeps - 1 ? 'The run ends before it.'
                                            : `This is cycle ${shown + 1}.`);
    const units = model.stepUnits(stateOf(shown), n, ...current.coef, n * n);
    drawGrid(units, n, []);
    $('step-table').textContent = stepTable(units, n, n * n);
    stepping = null;
    $('step-end').disabled = true;
    return;
  }
  $('step-msg').textContent =
      `Unit ${stepping.units} of ${n * n} (red: just updated; white: next).`;
  show(shown);
}
// Back from stepping to the cycles.
function stopStepping() {
  if (!stepping) return;
  stepping = null;
  $('step-end').disabled = true;
  $('step-msg').textContent = 'In place, each unit of a sweep reads the units updated before it.';
}

// --- Playing ---

// While playing, the status is not announced at every cycle: once, when play stops.
function stop() {
  if (timer === null) return;
  clearInterval(timer);
  timer = null;
  $('play').textContent = 'play';
  $('status').setAttribute('aria-live', 'polite');
  show(shown);
}

// Plays the cycles from the one shown (from 0 at the end), at the speed chosen; again pauses.
function play() {
  if (timer !== null) return stop();
  if (!current || !current.run) return;
  stopStepping();
  const last = current.run.sweeps - 1;
  if (shown === last) show(0);
  $('play').textContent = 'pause';
  $('status').setAttribute('aria-live', 'off');
  $('status').textContent = 'playing';
  timer =
      setInterval(() => (shown < last ? show(shown + 1) : stop()), 1000 / Number($('speed').value));
}

// --- Many seeds ---

function clearSeeds() {
  cancel('survey');
  seedsJob = null;
  $('seeds-progress').hidden = true;
  for (const id of ['survey-head', 'survey', 'tours', 'survey-command']) $(id).textContent = '';
  $('vary-chart').textContent = '';
  $('vary-chart').hidden = true;
}
let seedsJob = null; // the seeds panel's job under way

// The seeds FIRST:LAST of the field, or null with the reason beside it.
function seedRange() {
  const m = /^(\d+):(\d+)$/.exec($('seeds').value.trim());
  let why = '';
  if (!m)
    why = 'seeds are FIRST:LAST, whole numbers';
  else if (Number(m[2]) > 4294967295)
    why = 'a seed is at most 4294967295';
  else if (Number(m[1]) > Number(m[2]))
    why = 'FIRST is not above LAST';
  else if (Number(m[2]) - Number(m[1]) >= 1000000)
    why = 'at most a million seeds here (nuv-survey takes more)';
  $('seeds-msg').textContent = why;
  return why ? null : [Number(m[1]), Number(m[2])];
}

// The coefficient the panel varies and its values, [] for none, or null with the reason.
function varied() {
  const name = $('vary').value, text = $('vary-values').value.trim();
  $('vary-msg').textContent = '';
  if (!name) return {name, values: []};
  const r = Nuv.rangeValues(text);
  if (r.error || r.values.length > 40) {
    $('vary-msg').textContent =
        r.error || `${r.values.length} values: at most 40 here (nuv-survey takes more)`;
    return null;
  }
  return {name, text, values: r.values};
}

// One network's runs over the seeds, shared out in consecutive parts over a worker per core
// (at most four); resolves to the parts in seed order, or never when cancelled.
function surveyOnce(network, coef, range, progress) {
  const count = range[1] - range[0] + 1;
  const shares =
      Math.max(1, Math.min(4, navigator.hardwareConcurrency || 2, Math.floor(count / 8)));
  const parts = new Array(shares).fill(null), done = new Array(shares).fill(0);
  return new Promise((resolve) => {
    for (let k = 0; k < shares; k++) {
      const first = range[0] + Math.floor((count * k) / shares),
            last = range[0] + Math.floor((count * (k + 1)) / shares) - 1;
      const w = worker('survey' + k);
      w.onmessage = (e) => {
        if (e.data.kind === 'progress')
          return (done[k] = e.data.done), progress(done.reduce((x, y) => x + y) / count);
        parts[k] = e.data.runs;
        if (parts.every((p) => p)) resolve(parts);
      };
      w.postMessage({job: 'survey', network, a: coef[0], b: coef[1], d: coef[2], first, last});
    }
  });
}

// The current network over the seeds, written as nuv-survey writes it: each network's runs
// added up here in seed order, as the survey adds them. With a coefficient varied, a row per
// value, in order, and the valid share drawn against it.
async function runSeeds() {
  const range = seedRange(), vary = varied();
  if (!range || !vary || !current || !current.run) return writeFragment();
  clearSeeds();
  const job = current, me = (seedsJob = {}), started = performance.now();
  const withC = texts.C !== DEFAULT.C || vary.name === 'C';
  const values = vary.values.length ? vary.values : [null];
  const rows = [];
  let result = null;
  $('seeds-progress').hidden = false;
  for (let v = 0; v < values.length; v++) {
    const coef = [...job.coef, Number(texts.C)];
    const network = JSON.parse(JSON.stringify(job.network));
    if (vary.name) coef['ABDC'.indexOf(vary.name)] = values[v];
    if (vary.name === 'C') network.settings.C = values[v];
    const parts = await surveyOnce(network, coef, range,
                                   (f) => ($('seeds-progress').value = (v + f) / values.length));
    if (seedsJob !== me || current !== job) return;
    result = model.tallyRuns(network, parts);
    rows.push(
        {value: values[v], text: Nuv.summaryRow(model, coef, result, withC), tally: result.tally});
    if (v === 0)
      $('survey-head').textContent =
          Nuv.optimumLine(result.optimum) + '\n' + Nuv.summaryHead(result.optimum, withC);
    $('survey').textContent = rows.map((r) => r.text).join('\n');
    if (!vary.name) {
      const outcomes = Nuv.outcomeRows(coef, result, withC);
      $('tours').textContent =
          [Nuv.outcomeHead(withC), ...outcomes.slice(0, 12)].join('\n') +
          (outcomes.length > 12 ? `\n(${outcomes.length - 12} more outcomes)` : '');
    } else
      drawVaried(vary.name, rows);
  }
  $('seeds-progress').hidden = true;
  const coefText =
      ['A', 'B', 'D'].map((name) => (vary.name === name ? vary.text : texts[name])).join(' ');
  const opts = options(job.cities, vary.name === 'C' ? {C: vary.text} : {});
  $('survey-command').textContent = `nuv-survey ${opts.length ? opts.join(' ') + ' ' : ''}--seeds ${
      range[0]}:${range[1]} ${coefText}`;
  $('seeds-panel').dataset.milliseconds = String(Math.round(performance.now() - started));
  writeFragment();
}

// The valid share against the varied coefficient: a line through the shares, each with its
// 95 % interval as a bar.
function drawVaried(name, rows) {
  const svg = $('vary-chart');
  svg.hidden = false;
  svg.textContent = '';
  const left = 50, top = 12, w = 330, h = 160;
  const lo = rows[0].value, hi = Math.max(rows[rows.length - 1].value, lo + 1e-300);
  const span = rows.length > 1 ? (hi - lo) : 1;
  const px = (x) => left + (rows.length > 1 ? (w * (x - lo)) / span : w / 2);
  const py = (p) => top + h - (h * p) / 100;
  element(svg, 'rect', {x: left, y: top, width: w, height: h, fill: 'white', stroke: '#888'});
  for (const p of [0, 25, 50, 75, 100]) {
    element(svg, 'line', {x1: left, y1: py(p), x2: left + w, y2: py(p), stroke: '#e4e4e4'});
    element(svg, 'text', {x: left - 4, y: py(p) + 4, 'text-anchor': 'end', 'font-size': 11}, p);
  }
  const points = [];
  for (const r of rows) {
    const share = (100 * r.tally.valid) / r.tally.runs,
          [low, high] = model.wilson(r.tally.valid, r.tally.runs);
    const x = px(r.value);
    element(svg, 'line', {
      x1: x,
      y1: py(low),
      x2: x,
      y2: py(high),
      stroke: '#3060c0',
      'stroke-width': 1.5,
      class: 'interval'
    });
    element(svg, 'circle', {cx: x, cy: py(share), r: 3, fill: '#3060c0'});
    points.push(`${x.toFixed(1)},${py(share).toFixed(1)}`);
  }
  element(svg, 'polyline',
          {points: points.join(' '), fill: 'none', stroke: '#3060c0', 'stroke-width': 1.5});
  const ticks =
      rows.length > 6 ? [rows[0], rows[Math.floor(rows.length / 2)], rows[rows.length - 1]] : rows;
  for (const r of ticks)
    element(svg, 'text',
            {x: px(r.value), y: top + h + 14, 'text-anchor': 'middle', 'font-size': 11},
            Nuv.shortest(r.value));
  element(svg, 'text', {x: left + w / 2, y: top + h + 30, 'text-anchor': 'middle', 'font-size': 12},
          `${{A: 'Acoef', B: 'Bcoef', D: 'Dcoef', C: 'C'}[name]}: valid %, with 95 % intervals`);
}

// --- Cities: the menu, a file, the map ---

// The menu and its fields as the cities' text says.
function showCities() {
  const t = texts.cities;
  const option = t === 'nuv'               ? 'nuv'
                 : t.startsWith('random:') ? 'random'
                 : SHIPPED.includes(t)     ? t
                                           : 'list';
  $('cities-list').hidden = option !== 'list';
  $('cities').value = option;
  $('random-fields').hidden = option !== 'random';
  const m = /^random:(\d+):(\d+)$/.exec(t);
  if (m) ($('cities-n').value = m[1]), ($('cities-s').value = m[2]);
}

// The cities the menu (and the random N and S) choose; a file is asked for with the picker.
function chooseCities() {
  const v = $('cities').value;
  if (v === 'file') return $('cities-file').click();
  if (v === 'random')
    texts.cities = `random:${$('cities-n').value.trim()}:${$('cities-s').value.trim()}`;
  else if (v !== 'list')
    texts.cities = v;
  showCities();
  rerun();
}

// A file read in the page: nothing is sent anywhere.
function openFile() {
  const file = $('cities-file').files[0];
  if (!file) return showCities();
  file.text().then((text) => {
    const read = model.readCities(text);
    if (read.error) {
      showCities();
      $('cities-msg').textContent =
          `${file.name}${read.line ? ':' + read.line : ''}: ${read.error}`;
      return;
    }
    useList(read.cities, read.name || file.name.replace(/\.[^.]*$/, ''));
  });
}

// Cities of a file or the map as the run's, carried in the link.
function useList(cities, name) {
  const link = Cities.toLink(cities);
  listCities = {
    cities: Cities.fromLink(link.text).cities,
    name: name.replace(/[^A-Za-z0-9_.-]/g, '_') || 'cities'
  };
  texts.cities = link.text;
  showCities();
  rerun();
  if (link.rounded)
    $('cities-msg').textContent =
        'rounded to a power of ten no more than a thousandth of the box, to fit a link';
}

// A city moved to map point [sx, sy]: the cities become a list in the link, rounded to its grid.
function moveCity(i, point) {
  const xy = model.cityPoints(), place = mapPlace(xy), info = current.cities.cities;
  const metric = info.kind === 'list' ? info.metric : 'xy';
  xy[i] = place.from(point);
  const p = Cities.gridPower(xy);
  const round = (v) => Number(Math.round(v * 10 ** -p) + 'e' + p);
  // GEO's cities are drawn with longitude across: back to latitude, longitude.
  const file = xy.map(([x, y]) => (metric === 'geo' ? [round(y), round(x)] : [round(x), round(y)]));
  const cities = {kind: 'list', metric, n: xy.length, xy: file, matrix: null};
  useList(cities,
          current.cities.name || (SHIPPED.includes(texts.cities) ? texts.cities : 'cities'));
}

// Cities dragged with the pointer, or moved by the arrow keys when focused.
function dragging() {
  const svg = $('map');
  let held = null;
  const point = (e) => {
    const box = svg.getBoundingClientRect();
    return [((e.clientX - box.left) * 260) / box.width, ((e.clientY - box.top) * 310) / box.height];
  };
  svg.addEventListener('pointerdown', (e) => {
    if (!e.target.classList.contains('city')) return;
    held = {city: Number(e.target.dataset.city), dot: e.target};
    svg.setPointerCapture(e.pointerId);
    e.preventDefault();
  });
  svg.addEventListener('pointermove', (e) => {
    if (!held) return;
    const [x, y] = point(e);
    held.dot.setAttribute('cx', x.toFixed(1));
    held.dot.setAttribute('cy', y.toFixed(1));
  });
  svg.addEventListener('pointerup', (e) => {
    if (!held) return;
    const city = held.city;
    held = null;
    moveCity(city, point(e));
  });
  svg.addEventListener('keydown', (e) => {
    if (!e.target.classList.contains('city')) return;
    const move = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0,
                                                                                        1]}[e.key];
    if (!move) return;
    e.preventDefault();
    const city = Number(e.target.dataset.city);
    const x = Number(e.target.getAttribute('cx')) + 5 * move[0],
          y = Number(e.target.getAttribute('cy')) + 5 * move[1];
    moveCity(city, [x, y]);
    const again = document.querySelector(`#map circle[data-city="${city}"]`);
    if (again) again.focus();
  });
}

// --- The grid's units and the curves' cycles ---

function pointing() {
  const grid = $('grid');
  grid.addEventListener('mouseover', (e) => {
    const cell = e.target.closest('rect[data-i]');
    if (!cell) return;
    pointAt([Number(cell.dataset.i), Number(cell.dataset.j)]);
  });
  grid.addEventListener('keydown', (e) => {
    const move = {ArrowLeft: [0, -1], ArrowRight: [0, 1], ArrowUp: [-1, 0], ArrowDown: [1,
                                                                                        0]}[e.key];
    if (!move || !current || !current.run) return;
    e.preventDefault();
    const n = current.run.n;
    pointAt(cursor ? [Math.min(n - 1, Math.max(0, cursor[0] + move[0])), Math.min(n - 1, Math.max(0, cursor[1] + move[1]))] : [0, 0]);
  });
  grid.addEventListener('focus', () => {
    if (!cursor) pointAt([0, 0]);
  });
  $('curve').addEventListener('click', (e) => {
    const svg = $('curve'), box = svg.getBoundingClientRect();
    const x = ((e.clientX - box.left) * 400) / box.width, last = Number(svg.dataset.last);
    const k = Math.round(1 + ((x - CURVE.left) * (last - 1)) / CURVE.w);
    stop();
    stopStepping();
    show(Math.min(last, Math.max(1, k)));
  });
}

// --- Start ---

// The fragment's NAME=VALUE pairs, each value percent-decoded. A '+' stays a '+' (a form's
// query would make it a space): 'bias=A+B' and 'A=1e+3' mean what they say. A value that is
// not good percent-encoding is kept as it stands, to be named beside its field.
function fragmentParams(text) {
  const map = new Map();
  for (const pair of text.split('&')) {
    if (!pair) continue;
    const at = pair.indexOf('='), name = at < 0 ? pair : pair.slice(0, at),
          value = at < 0 ? '' : pair.slice(at + 1);
    let decoded = value;
    try {
      decoded = decodeURIComponent(value);
    } catch (e) { /* kept as typed */
    }
    if (!map.has(name)) map.set(name, decoded);
  }
  return map;
}

// The fragment's values, where there are any, into the fields; a cycle that is not one is
// named beside the cycle, and the last cycle shown.
function readFragment() {
  const params = fragmentParams(location.hash.slice(1));
  for (const name of [...RUN_FIELDS, ...NETWORK_FIELDS])
    $(name).value = params.has(name) ? params.get(name) : DEFAULT[name];
  // A menu cannot show a value it does not offer: the link's is named, and the default used.
  for (const name of MENUS) {
    const offered = [...$(name).options].map((o) => o.value);
    $(name + '-msg').textContent = '';
    delete badMenu[name];
    if (!params.has(name) || offered.includes(params.get(name))) continue;
    $(name).value = DEFAULT[name];
    badMenu[name] = params.get(name);
    $(name + '-msg').textContent =
        `the link's ${name} '${params.get(name)}' is not ${offered.join(', ')}: choose one`;
    $(name).setAttribute('aria-invalid', 'true');
  }
  texts.cities = params.has('cities') ? params.get('cities') : DEFAULT.cities;
  $('seeds').value = params.has('seeds') ? params.get('seeds') : DEFAULT.seeds;
  $('vary').value = ['A', 'B', 'D', 'C'].includes(params.get('vary')) ? params.get('vary') : '';
  $('vary-values').value = params.get('values') || '';
  seedsWanted = params.get('run') === 'seeds';
  showCities();
  $('cycle-msg').textContent = '';
  shown = Number.MAX_SAFE_INTEGER; // the last cycle, whatever the sweeps
  if (!params.has('cycle')) return;
  const text = params.get('cycle');
  // The last cycle the settings give, good or not: the rule's sweeps unless sweeps is good.
  const sweeps = problem('sweeps', $('sweeps').value.trim()) || $('sweeps').value.trim() === ''
                     ? model.defaultSweeps($('rule').value)
                     : Number($('sweeps').value.trim());
  if (/^\d{1,6}$/.test(text) && Number(text) < sweeps)
    shown = Number(text);
  else
    $('cycle-msg').textContent = `the link's cycle '${text}' is not a whole number from 0 to ${
        sweeps - 1}; showing ${sweeps - 1}`;
}

// Loads the module, reads the link, runs it, and listens to every control.
async function start() {
  const bytes = Uint8Array.from(atob(NUV_WASM_BASE64), (ch) => ch.charCodeAt(0));
  model = await Nuv.load(bytes);
  readFragment();
  rerun();
  for (const name of ['A', 'B', 'D']) {
    $(name).addEventListener('input', rerun);
    $(name + '-range').addEventListener('input', () => {
      $(name).value = $(name + '-range').value;
      rerun();
    });
  }
  for (const name of ['seed', ...NETWORK_FIELDS])
    $(name).addEventListener('input', () => {
      if (name in badMenu)
        delete badMenu[name], ($(name + '-msg').textContent = ''),
            $(name).setAttribute('aria-invalid', 'false');
      rerun();
    });
  $('cities').addEventListener('change', chooseCities);
  for (const id of ['cities-n', 'cities-s']) $(id).addEventListener('input', chooseCities);
  $('cities-file').addEventListener('change', openFile);
  $('cities-file').addEventListener('cancel', showCities);
  $('new-seed').addEventListener('click', () => {
    $('seed').value = String(Math.floor(Math.random() * 4294967296));
    rerun();
  });
  $('cycle').addEventListener('input', () => {
    stop();
    stopStepping();
    $('cycle-msg').textContent = '';
    show(Number($('cycle').value));
  });
  $('back').addEventListener('click', () => {
    stop();
    stopStepping();
    show(shown - 1);
  });
  $('forward').addEventListener('click', () => {
    stop();
    stopStepping();
    show(shown + 1);
  });
  $('play').addEventListener('click', play);
  $('speed').addEventListener('change', () => {
    if (timer !== null) (stop(), play());
  });
  $('step').addEventListener('click', step);
  $('step-end').addEventListener('click', () => {
    stopStepping();
    show(shown);
  });
  $('pin').addEventListener('click', () => {
    pinned = {run: current.run, command: current.command};
    $('unpin').disabled = false;
    show(shown);
  });
  $('unpin').addEventListener('click', () => {
    pinned = null;
    $('unpin').disabled = true;
    show(shown);
  });
  $('run-seeds').addEventListener('click', runSeeds);
  $('seeds').addEventListener('input', () => {
    clearSeeds();
    seedRange();
    writeFragment();
  });
  for (const id of ['vary', 'vary-values'])
    $(id).addEventListener('input', () => {
      clearSeeds();
      varied();
      writeFragment();
    });
  dragging();
  pointing();
  // Copying says whether it worked, beside the button, for two seconds.
  $('copy').addEventListener('click', () => {
    const said = (text) => {
      $('copied').textContent = text;
      setTimeout(() => { $('copied').textContent = ''; }, 2000);
    };
    if (!navigator.clipboard) return said('copying is not allowed here: select the command');
    navigator.clipboard.writeText($('command').textContent)
        .then(() => said('copied'), () => said('copying is not allowed here: select the command'));
  });
  window.addEventListener('hashchange', () => {
    readFragment();
    current = null;
    rerun();
  });
}
start();
})();
