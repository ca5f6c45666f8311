// nuv.js: the network family compiled to WebAssembly, and the text the native tools print for
// it: nuv-trace --tables's transcript (nuv's own for nuv's network) and nuv-survey's summary
// and outcome rows. Used by the page (a global `Nuv`), its worker and Node (require). Start at
// load; the arithmetic is all in the module, the text all here.
(function(root) {
'use strict';
const NCITY = 9;
const NSWEEP = 50;
const OUTCOMES = ['tour', 'missing', 'doubled', 'mixed'];
// The energy's terms in a cycle's `terms`, in the order of EnergyTerms' fields (src/network.h).
const ENERGY_TERMS = ['row', 'column', 'tour', 'global'];
const MOTIONS = ['settled', 'cycling', 'moving'];
const RULES = ['inplace', 'sync', 'euler'];
const KEEP_DOUBLES = 1 << 22; // states a run keeps in memory, at most (32 MB)

// --- printf's formats ---

// printf's "%.<d>f" of the double whose 64 bits are `bits` (a BigInt), as the C library
// writes it: the exact binary value rounded to d decimals, ties to even (toFixed rounds them
// away from zero), "-0.00" for negative zero, "inf", "-inf", "nan" and "-nan".
function fixedBits(bits, d) {
  const negative = (bits >> 63n) === 1n;
  const exponent = Number((bits >> 52n) & 0x7ffn);
  let mantissa = bits & 0xfffffffffffffn;
  if (exponent === 0x7ff) return (negative ? '-' : '') + (mantissa ? 'nan' : 'inf');
  let shift; // the value is mantissa * 2^-shift
  if (exponent === 0) {
    shift = 1074;
  } else {
    mantissa |= 1n << 52n;
    shift = 1075 - exponent;
  }
  const scaled = mantissa * 10n ** BigInt(d);
  let whole;
  if (shift <= 0) {
    whole = scaled << BigInt(-shift);
  } else {
    const unit = 1n << BigInt(shift);
    whole = scaled / unit;
    const twice = 2n * (scaled - whole * unit);
    if (twice > unit || (twice === unit && (whole & 1n) === 1n)) whole += 1n;
  }
  let digits = whole.toString().padStart(d + 1, '0');
  if (d > 0) digits = digits.slice(0, -d) + '.' + digits.slice(-d);
  return (negative ? '-' : '') + digits;
}

// The bits of a JavaScript number, and "%.<d>f" of it.
function bitsOf(x) {
  const view = new DataView(new ArrayBuffer(8));
  view.setFloat64(0, x);
  return view.getBigUint64(0);
}
// printf's "%.<d>f" of x.
function fixed(x, d) { return fixedBits(bitsOf(x), d); }

// printf's "%<w>s" and "%-<w>s", counting code points as columns.
function right(text, width) {
  return String(text).padStart(width + String(text).length - [...String(text)].length);
}
function left(text, width) {
  return String(text).padEnd(width + String(text).length - [...String(text)].length);
}

// The tools' shortest text of a number: its fewest significant digits that read back as it,
// in plain notation when that is no longer than the exponent form ("%.*e"), and always for
// magnitudes from 0.0001 up to 1.
function shortest(x) {
  if (x === 0) return '0';
  const [mantissa, e] = x.toExponential().split('e');
  const exponent = Number(e);
  const digits = mantissa.replace(/[-.]/g, '').length;
  const exponentForm =
      mantissa + 'e' + (exponent < 0 ? '-' : '+') + String(Math.abs(exponent)).padStart(2, '0');
  const decimals = Math.max(0, digits - 1 - exponent);
  const plain = decimals === 0 ? BigInt(x).toString() : fixed(x, decimals);
  const magnitude = Math.abs(x);
  if (plain.length > exponentForm.length && !(magnitude >= 1e-4 && magnitude < 1))
    return exponentForm;
  return plain;
}

// Why a run stopped at cycle c, its first state or energy that is not finite, in nuv-trace's
// words: an Euler step too long for tau (dt >= 2 tau), else coefficients too large.
function stopText(c, eulerTooLong, dt, tau) {
  return `the state is not finite from cycle ${c} (sweep ${c === 0 ? 0 : c + 1}): ` +
         (eulerTooLong ? `the Euler step dt ${shortest(dt)} is too long for tau ${shortest(tau)}`
                       : "the coefficients overflow the units' inputs");
}

// "1-8-7-6-5-4-3-2-9": cities from 1 in position order.
function tourText(tour) { return tour.map((city) => city + 1).join('-'); }

// --- The module ---

// What the module calls back: run_family's cycles, to whoever runs it; and its memory, once
// there is one, for the words it asks the browser to read as numbers.
const hooks = {
  reached: () => {},
  memory: null
};
const DECIMAL = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/; // a decimal number's text

// A word of a city file as a number, correctly rounded as strtod rounds: the module has
// checked that it is a decimal number's text, of at most 64 characters; NaN when it is none.
function readDecimal(at, length) {
  const bytes = new Uint8Array(hooks.memory.buffer, at, length);
  let word = '';
  for (let k = 0; k < bytes.length; k++) word += String.fromCharCode(bytes[k]);
  return DECIMAL.test(word) ? Number(word) : NaN;
}

// Instantiates the module from its bytes or a compiled module; resolves to a model.
async function load(bytes) {
  const imports = {
    env: {
      tanh: Math.tanh,
      atanh: Math.atanh,
      log: Math.log,
      cos: Math.cos,
      acos: Math.acos,
      cycle_reached: (c) => hooks.reached(c),
      read_decimal: readDecimal
    },
  };
  const made = await WebAssembly.instantiate(bytes, imports);
  // From bytes: the instance and its module; from a module: the instance alone.
  const exports = (made.instance || made).exports;
  hooks.memory = exports.memory;
  return model(exports, made.module || bytes);
}

// A network of the family, as the page and its tests describe one:
//   cities: {kind: 'nuv'} | {kind: 'random', n, seed}
//         | {kind: 'list', metric: 'xy' | 'euc' | 'att' | 'geo' | 'matrix', n, xy, matrix}
//           (xy as the file gives them, [x, y] per city, or null; matrix n x n, or null)
//   settings: {rule, C, n, bias, u0, start, dt, tau, sweeps, raw}, each optional: rule 0, 1, 2;
//           n and bias undefined for their defaults (the cities, A + B); start 0 uniform,
//           1 centred; sweeps 0 for the rule's default.
const METRICS = {
  xy: 0,
  euc: 1,
  att: 2,
  geo: 3,
  matrix: 4
};

// The model over the module's exports (and the compiled module, for workers).
function model(wasm, compiled) {
  const names = [
    'e', 'term', 'l', 'on', 'change', 'outcome', 'tour', 'length', 'ratio', 'rank', 'motion',
    'moved'
  ];
  const field = {};
  names.forEach((name, k) => { field[name] = wasm.cycle_layout(k); });
  const surveyNames = [
    'outcome', 'motion', 'canonical', 'canonicalLength', 'canonicalRank', 'runs', 'valid',
    'optimal', 'settled', 'ratioSum', 'bestRatio', 'best', 'energy', 'sharePercent', 'shareFar',
    'shareLean'
  ];
  const at = {};
  surveyNames.forEach((name, k) => { at[name] = wasm.survey_layout(k); });
  const stride = wasm.max_city();
  const view = () => new DataView(wasm.memory.buffer);
  let citiesKey = null; // the cities the module holds, as JSON

  // The module set up for the network: its cities (only when they changed: their optimum is
  // found once), then its settings. Cities the module refuses (citiesProblem) throw.
  function setNetwork(network) {
    const cities = network.cities || {kind: 'nuv'};
    const key = JSON.stringify(cities);
    if (key !== citiesKey) {
      citiesKey = null;
      if (cities.kind === 'random')
        wasm.use_random_cities(cities.n, cities.seed >>> 0);
      else if (cities.kind === 'list' && !writeCities(cities))
        throw new Error(cString(wasm.text_error_why()));
      else if (cities.kind !== 'list')
        wasm.use_nuv_network();
      citiesKey = key;
    }
    const s = network.settings || {};
    wasm.set_network(s.rule || 0, s.C || 0, s.n === undefined ? wasm.city_count() : s.n,
                     s.bias === undefined ? 1 : 0, s.bias || 0, s.u0 === undefined ? 0.5 : s.u0,
                     s.start || 0, s.dt === undefined ? 0.01 : s.dt,
                     s.tau === undefined ? 1 : s.tau, s.sweeps || 0, s.raw ? 1 : 0);
  }

  // A list of cities into the module: coordinates, a matrix, how distances are had, and an
  // optimal tour when the list has one. Whether the module takes them (else text_error_why
  // says why).
  function writeCities(cities) {
    const v = view(), xyAt = wasm.cityxy(), dAt = wasm.citydistance(), tourAt = wasm.tour_buffer();
    for (let i = 0; i < cities.n; i++) {
      const [x, y] = cities.xy ? cities.xy[i] : [0, 0];
      v.setFloat64(xyAt + 16 * i, x, true);
      v.setFloat64(xyAt + 16 * i + 8, y, true);
      if (cities.matrix)
        for (let j = 0; j < cities.n; j++)
          v.setFloat64(dAt + 8 * (stride * i + j), cities.matrix[i][j], true);
      if (cities.tour) v.setInt32(tourAt + 4 * i, cities.tour[i], true);
    }
    return wasm.use_cities(cities.n, METRICS[cities.metric], cities.xy ? 1 : 0,
                           cities.tour ? 1 : 0) === 1;
  }

  // Why a list of cities makes no network, as the tools refuse them ("the 4 cities are all at
  // one point", "the distances overflow"), or ''. The module then holds them when they do.
  function citiesProblem(cities) {
    try {
      setNetwork({cities});
      return '';
    } catch (e) {
      return e.message;
    }
  }

  // Text into the module's buffer: its size in bytes, or -1 when it does not fit.
  function writeText(text) {
    const bytes = new TextEncoder().encode(text);
    if (bytes.length > wasm.text_capacity()) return -1;
    new Uint8Array(wasm.memory.buffer, wasm.text_buffer(), bytes.length).set(bytes);
    return bytes.length;
  }

  // A city file's text read by the tools' own reader: {cities, name} (a list, its coordinates
  // as the file gives them), or {error, line} (line 0: the file as a whole). With the text of
  // its TSPLIB tour file (a shipped instance's), the list carries the optimal tour, cities
  // from 0, as nuv-survey takes NAME.opt.tour beside NAME.tsp; or {error, line, tour: true}.
  function readCities(textOfFile, tourText = null) {
    const size = writeText(textOfFile);
    if (size < 0) return {error: `larger than ${wasm.text_capacity() >> 20} MB`, line: 0};
    citiesKey = null; // the module's cities are the file's now
    if (!wasm.read_cities(size))
      return {error: cString(wasm.text_error_why()), line: wasm.text_error_line()};
    const read = listOfCities();
    if (tourText === null) return read;
    const n = read.cities.n, tourSize = writeText(tourText);
    if (tourSize < 0)
      return {error: `larger than ${wasm.text_capacity() >> 20} MB`, line: 0, tour: true};
    if (!wasm.read_tour(tourSize, n))
      return {error: cString(wasm.text_error_why()), line: wasm.text_error_line(), tour: true};
    const v = view(), tourAt = wasm.tour_buffer();
    read.cities.tour = [];
    for (let j = 0; j < n; j++) read.cities.tour.push(v.getInt32(tourAt + 4 * j, true));
    return read;
  }

  // The cities read_cities left in the module, as a list: {cities, name}.
  function listOfCities() {
    const n = wasm.city_count(), metric = ['xy', 'euc', 'att', 'geo', 'matrix'][wasm.text_kind()];
    const v = view(), dAt = wasm.citydistance();
    let xy = wasm.cities_drawn() ? cityPoints() : null, matrix = null;
    if (metric === 'geo')
      xy = xy.map(([longitude, latitude]) => [latitude, longitude]); // as in the file
    if (metric === 'matrix') {
      matrix = [];
      for (let i = 0; i < n; i++) {
        matrix.push([]);
        for (let j = 0; j < n; j++) matrix[i].push(v.getFloat64(dAt + 8 * (stride * i + j), true));
      }
    }
    return {cities: {kind: 'list', metric, n, xy, matrix}, name: cString(wasm.text_name())};
  }

  // A NUL-ended string of the module's.
  function cString(at) {
    const bytes = new Uint8Array(wasm.memory.buffer, at);
    return new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0)));
  }

  // The cities as the module draws them (GEO's swapped to longitude across), or null.
  function cityPoints() {
    const n = wasm.city_count(), v = view(), xyAt = wasm.cityxy();
    const xy = [];
    for (let i = 0; i < n; i++)
      xy.push([v.getFloat64(xyAt + 16 * i, true), v.getFloat64(xyAt + 16 * i + 8, true)]);
    return xy;
  }

  // The optimum of the current cities: its tour, length, whether that is exact, the tour's own
  // length, and whether lengths are whole numbers.
  function optimum() {
    const n = wasm.city_count(), tour = [];
    for (let j = 0; j < n; j++) tour.push(wasm.optimal_city(j));
    return {
      tour,
      length: wasm.optimal_length(),
      exact: wasm.optimum_exact() === 1,
      tourLength: wasm.optimum_tour_length(),
      whole: wasm.whole_lengths() === 1
    };
  }

  // A Tour as stored: n cities from 0, in position order.
  function readTour(v, address, n) {
    const tour = [];
    for (let j = 0; j < n; j++) tour.push(v.getInt32(address + 4 * j, true));
    return tour;
  }

  // The cycle the module reached last, as measured there.
  function reachedCycle(c, n) {
    const a = wasm.reached(), v = view();
    const f64 = (offset) => v.getFloat64(a + offset, true);
    const i32 = (offset) => v.getInt32(a + offset, true);
    const outcome = OUTCOMES[i32(field.outcome)];
    return {
      cycle: c,
      e: f64(field.e),
      eBits: v.getBigUint64(a + field.e, true),
      terms: ENERGY_TERMS.map((name, k) => f64(field.term + 8 * k)),
      l: f64(field.l),
      on: i32(field.on),
      change: f64(field.change),
      outcome,
      moved: v.getUint8(a + field.moved) !== 0,
      motion: MOTIONS[i32(field.motion)],
      tour: outcome === 'tour' ? readTour(v, a + field.tour, n) : [],
      length: f64(field.length),
      ratio: f64(field.ratio),
      rank: i32(field.rank),
    };
  }

  // The state the module holds, n x n, as stored.
  function readState(n) {
    const state = new Float64Array(n * n), v = view(), a = wasm.unitout();
    for (let i = 0; i < n; i++)
      for (let j = 0; j < n; j++) state[n * i + j] = v.getFloat64(a + 8 * (stride * i + j), true);
    return state;
  }
  // A state, n x n, into the module's units.
  function writeState(state, n) {
    const v = view(), a = wasm.unitout();
    for (let i = 0; i < n; i++)
      for (let j = 0; j < n; j++) v.setFloat64(a + 8 * (stride * i + j), state[n * i + j], true);
  }

  // A run of the network: every cycle's measures, and the states of the cycles keep(c) asks
  // for (by default all of them, or every k-th when they would not fit in KEEP_DOUBLES).
  // progress(done, total) is told of each cycle. A run whose state stops being finite ends
  // there: its sweeps are the cycles before, and `why` says where and why, as nuv-trace does.
  function runMember(network, a, b, d, seed, options = {}) {
    setNetwork(network);
    const n = wasm.city_count(), sweeps = wasm.cycle_count();
    const every = Math.max(1, Math.ceil((n * n * sweeps) / KEEP_DOUBLES));
    const keep = options.keep || ((c) => c % every === 0 || c === sweeps - 1);
    const progress = options.progress || (() => {});
    // tours: how many distinct tours the ranks are among (0: not ranked).
    const run =
        {n, sweeps, tours: wasm.tour_count(), cycles: [], states: new Array(sweeps).fill(null)};
    hooks.reached = (c) => {
      run.cycles.push(reachedCycle(c, n));
      if (keep(c)) run.states[c] = readState(n);
      progress(c + 1, sweeps);
    };
    let stopped;
    try {
      stopped = wasm.run_family(a, b, d, seed >>> 0);
    } finally {
      hooks.reached = () => {};
    }
    if (stopped >= 0) {
      const s = network.settings || {};
      run.why = stopText(stopped, wasm.euler_step_too_long() === 1,
                         s.dt === undefined ? 0.01 : s.dt, s.tau === undefined ? 1 : s.tau);
      run.stopped = stopped;
      run.sweeps = stopped;
      run.states.length = stopped;
    }
    return run;
  }

  // The block nuv-trace --tables prints for cycle c: nuv's table of the state (N x N), and
  // from cycle 1 on the energy line.
  function tableBlock(c, state, n, eBits) {
    let text = '    ###   Sequence     Cycle : ' + right(c, 4) + '   ###\nCity ';
    for (let p = 1; p <= n; p++) text += ' ' + right(p, 4) + '  ';
    text += '\n';
    for (let i = 0; i < n; i++) {
      text += right(i + 1, 4) + '  ';
      for (let j = 0; j < n; j++) text += right(fixed(state[n * i + j], 2), 5) + '  ';
      text += '\n';
    }
    if (c > 0) text += ' Energy = ' + fixedBits(eBits, 6) + '\n';
    return text;
  }

  // All that nuv-trace --tables prints for a run: nuv's transcript for nuv's network.
  function transcript(network, a, b, d, seed) {
    const run = runMember(network, a, b, d, seed, {keep: () => true});
    return run.cycles.map((y) => tableBlock(y.cycle, run.states[y.cycle], run.n, y.eBits)).join('');
  }

  // Unit (i, j)'s input from `state` as the sweep takes it: its terms in the order the sweep
  // adds them (row, column, tour, global, bias, second bias addend) and the input.
  function unitTerms(state, n, a, b, d, i, j) {
    writeState(state, n);
    const p = wasm.unit_terms(a, b, d, i, j), v = view();
    const t = [0, 1, 2, 3, 4, 5, 6].map((k) => v.getFloat64(p + 8 * k, true));
    return {
      row: t[0],
      column: t[1],
      tour: t[2],
      global: t[3],
      bias: t[4],
      bias2: t[5],
      input: t[6]
    };
  }

  // The state after the first `count` units of an in-place sweep from `state`, each by the
  // sweep's own unit update; the stepping total (the global term's running sum) is started at
  // the sweep's start and passed from unit to unit.
  function stepUnits(state, n, a, b, d, count) {
    writeState(state, n);
    let total = wasm.start_stepping();
    for (let k = 0; k < count; k++)
      total = wasm.step_unit(total, a, b, d, Math.floor(k / n), k % n);
    return readState(n);
  }

  // --- Many seeds, as nuv-survey runs them ---

  // The ends of the runs of seeds first ... last of the network, as the survey measures
  // them: their bytes, run after run.
  function surveyRuns(network, a, b, d, first, last, progress = () => {}) {
    setNetwork(network);
    const size = wasm.seed_run_size(), runs = new Uint8Array(size * (last - first + 1));
    for (let seed = first; seed <= last; seed++) {
      const p = wasm.survey_run(a, b, d, seed >>> 0);
      runs.set(new Uint8Array(wasm.memory.buffer, p, size), size * (seed - first));
      if ((seed - first) % 16 === 15 || seed === last) progress(seed - first + 1, last - first + 1);
    }
    return runs;
  }

  // Such runs (in parts, in seed order) added up: the tally, and the distinct outcomes
  // (tours canonical, with their length and rank as the survey's rows give them).
  function tallyRuns(network, parts) {
    setNetwork(network);
    const n = wasm.city_count(), size = wasm.seed_run_size(), to = wasm.seed_run_at();
    wasm.tally_reset();
    const tours = new Map(), failed = [0, 0, 0, 0];
    for (const runs of parts)
      for (let k = 0; k < runs.length; k += size) {
        new Uint8Array(wasm.memory.buffer, to, size).set(runs.subarray(k, k + size));
        wasm.tally_add();
        const v = view(), outcome = v.getInt32(to + at.outcome, true);
        if (outcome !== 0) {
          failed[outcome]++;
          continue;
        }
        const tour = readTour(v, to + at.canonical, n), text = tourText(tour);
        const found = tours.get(text);
        if (found)
          found.runs++;
        else
          tours.set(text, {
            tour,
            text,
            length: v.getFloat64(to + at.canonicalLength, true),
            rank: v.getInt32(to + at.canonicalRank, true),
            runs: 1
          });
      }
    const t = wasm.tally(), v = view();
    const count = (name) => Number(v.getBigUint64(t + at[name], true));
    const tally = {
      runs: count('runs'),
      valid: count('valid'),
      optimal: count('optimal'),
      settled: count('settled'),
      ratioSum: v.getFloat64(t + at.ratioSum, true),
      bestRatio: v.getFloat64(t + at.bestRatio, true),
      best: readTour(v, t + at.best, n)
    };
    return {tally, tours: [...tours.values()], failed, optimum: optimum()};
  }

  // Both, in this thread.
  function survey(network, a, b, d, first, last) {
    return tallyRuns(network, [surveyRuns(network, a, b, d, first, last)]);
  }

  // The 95 % Wilson interval of count in runs, in percent, from the survey's own code.
  function wilson(count, runs) {
    const p = wasm.wilson(count, runs), v = view();
    return [v.getFloat64(p, true), v.getFloat64(p + 8, true)];
  }

  // "76.6 ±2.7": nuv-survey's text of a share and the larger distance to its interval's ends.
  function shareText(count, runs) {
    const p = wasm.share(count, runs), v = view();
    const lean = v.getInt32(p + at.shareLean, true);
    return fixed(v.getFloat64(p + at.sharePercent, true), 1) + ' ' +
           (lean > 0   ? '+'
            : lean < 0 ? '\u2212'
                       : '\u00b1') +
           fixed(v.getFloat64(p + at.shareFar, true), 1);
  }

  // The units on in each row and column of a state, n x n, as the measures count them.
  function lineCounts(state, n) {
    writeState(state, n);
    const p = wasm.line_counts(), v = view(), rows = [], columns = [];
    for (let k = 0; k < n; k++)
      rows.push(v.getInt32(p + 4 * k, true)), columns.push(v.getInt32(p + 4 * (stride + k), true));
    return {rows, columns};
  }

  return {
    setNetwork,
    citiesProblem,
    readCities,
    runMember,
    tableBlock,
    transcript,
    unitTerms,
    stepUnits,
    surveyRuns,
    tallyRuns,
    survey,
    wilson,
    shareText,
    lineCounts,
    cityPoints,
    optimum,
    onAbove: wasm.on_above(),
    compiled
  };
}

// --- nuv-survey's text ---

// Decimal places a number's text shows ("0.25" 2, "1e-3" 3, "2.5e1" 0).
function decimalsOf(text) {
  const dot = text.indexOf('.'), e = text.search(/[eE]/);
  let places = dot < 0 ? 0 : (e < 0 ? text.length : e) - dot - 1;
  if (e >= 0) places -= Math.max(-999, Math.min(999, parseInt(text.slice(e + 1), 10)));
  return places < 0 ? 0 : places > 340 ? -1 : places;
}

// nuv-survey's values of a coefficient typed as FROM:TO:STEP (or one number): FROM + k STEP
// rounded to the decimals FROM and STEP show, so that each is the double that number typed
// alone gives; TO is still taken a millionth of a step short. {values} or {error}.
function rangeValues(text) {
  const part = text.split(':');
  if (part.some((p) => !DECIMAL.test(p) || !Number.isFinite(Number(p))))
    return {error: 'FROM:TO:STEP, finite numbers'};
  const [from, to, step] = part.map(Number);
  if (part.length === 1) return {values: [from + 0.0]};
  if (part.length !== 3) return {error: 'a range is FROM:TO:STEP'};
  if (!(step > 0)) return {error: 'the step is not above 0'};
  if (from > to) return {error: 'FROM is above TO'};
  const steps = (to - from) / step;
  if (!(steps + 1e-6 < 1000)) return {error: 'more than a thousand values'};
  const a = decimalsOf(part[0]), b = decimalsOf(part[2]);
  const places = a < 0 || b < 0 ? -1 : Math.max(a, b);
  const values = [];
  for (let k = 0; k < Math.floor(steps + 1e-6) + 1; k++) {
    const v = from + k * step;
    values.push((places < 0 ? v : Number(fixed(v, places))) + 0.0);
  }
  return {values};
}

// The line that says what every ratio is to; lengths without decimals when they are whole.
function optimumLine(o) {
  const length = (x) => fixed(x, o.whole ? 0 : 6);
  if (o.exact && o.tourLength <= (o.length >= 0 ? o.length * (1 + 1e-9) : o.length * (1 - 1e-9)))
    return `optimal tour ${tourText(o.tour)}, length ${length(o.length)}`;
  if (o.exact)
    return `optimal length ${length(o.length)} (published); best tour known here ${
        tourText(o.tour)}, length ${length(o.tourLength)}`;
  return `best known tour ${tourText(o.tour)}, length ${
      length(o.length)} (2-opt and Or-opt from 10 starts; ratios are to it)`;
}

// The coefficients in the summary's columns, C only when it is chosen.
function coefficientColumns(coef, withC) {
  const s = coef.slice(0, 3).map((x) => right(shortest(x), 5)).join(' ');
  return withC ? s + ' ' + right(shortest(coef[3]), 5) : s;
}

// The "best tour" column: as wide as any tour of the cities (each is as long), at least 17.
function tourColumn(o) { return Math.max(17, tourText(o.tour).length); }

// The summary's header line.
function summaryHead(o, withC) {
  return 'Acoef Bcoef Dcoef' + (withC ? '     C' : '') + ' ' + right('runs', 6) + ' ' +
         right('valid %', 10) + ' ' + right(o.exact ? 'optimal %' : 'best %', 10) + ' ' +
         right('mean', 6) + '  ' + left('best tour', tourColumn(o)) + ' ' + right('ratio', 6);
}

// The summary row of a survey's tally, as nuv-survey prints it (coef: A, B, D, C), its best
// tour whole.
function summaryRow(m, coef, result, withC) {
  const t = result.tally;
  const share = (count) => right(m.shareText(count, t.runs), 10);
  let mean = '-', ratio = '-', best = '-';
  if (t.valid > 0)
    mean = fixed(t.ratioSum / t.valid, 4), ratio = fixed(t.bestRatio, 4), best = tourText(t.best);
  return coefficientColumns(coef, withC) + ' ' + right(t.runs, 6) + ' ' + share(t.valid) + ' ' +
         share(t.optimal) + ' ' + right(mean, 6) + '  ' + left(best, tourColumn(result.optimum)) +
         ' ' + right(ratio, 6);
}

// nuv-survey --tours: the header, and a row per distinct outcome, most runs first; among as
// many, tours before failures, tours by rank (or length), then by text.
function outcomeHead(withC) {
  return 'Acoef Bcoef Dcoef' + (withC ? '     C' : '') + '  ' + left('outcome', 7) + '  ' +
         left('tour', 17) + ' ' + right('rank', 5) + ' ' + right('ratio', 6) + ' ' +
         right('runs', 7) + ' ' + right('%', 6);
}
// The rows of the outcomes of one network's runs, in that order.
function outcomeRows(coef, result, withC) {
  const rows = result.tours.map(
      (t) => Object.assign({outcome: 'tour', ratio: t.length / result.optimum.length}, t));
  for (const o of [1, 2, 3])
    if (result.failed[o])
      rows.push({outcome: OUTCOMES[o], runs: result.failed[o], rank: 0, length: 0, text: '-'});
  rows.sort((a, b) => {
    if (a.runs !== b.runs) return b.runs - a.runs;
    const ta = a.outcome === 'tour', tb = b.outcome === 'tour';
    if (ta !== tb) return ta ? -1 : 1;
    if (ta && a.rank !== b.rank) return a.rank - b.rank;
    if (ta && a.rank === 0 && a.length !== b.length) return a.length - b.length;
    return a.text < b.text ? -1 : a.text > b.text ? 1 : 0;
  });
  const head = coefficientColumns(coef, withC);
  return rows.map((r) => {
    const percent = fixed((100.0 * r.runs) / result.tally.runs, 1);
    const tour = r.outcome === 'tour';
    return head + '  ' + left(r.outcome, 7) + '  ' + left(r.text, 17) + ' ' +
           right(tour && r.rank ? r.rank : '-', 5) + ' ' +
           right(tour ? fixed(r.ratio, 4) : '-', 6) + ' ' + right(r.runs, 7) + ' ' +
           right(percent, 6);
  });
}

const api = {
  NCITY,
  NSWEEP,
  RULES,
  OUTCOMES,
  DECIMAL,
  load,
  fixed,
  fixedBits,
  shortest,
  stopText,
  tourText,
  rangeValues,
  optimumLine,
  summaryHead,
  summaryRow,
  outcomeHead,
  outcomeRows
};
if (typeof module !== 'undefined' && module.exports)
  module.exports = api;
else
  root.Nuv = api;
})(this);
