// nuv.js: the network family compiled to WebAssembly, and the text the native tools print for
// it (nuv-trace --tables's transcript, nuv's own for nuv's network; nuv-survey's summary and
// outcome rows), written by the module with the tools' own functions (text/). Used by the page (a
// global `Nuv`), its worker and Node (require). Start at load; the script only moves bytes.
(function(root) {
'use strict';
// The tools' names, in the order of their enums, as the module gives them (names): filled when
// a module loads, empty before. The energy's terms are named by their curves (EA, EB, ED, EC), in
// the order of a cycle's `terms`.
const OUTCOMES = [], MOTIONS = [], RULES = [], ENERGY_TERMS = [];
const KEEP_DOUBLES = 1 << 22; // states a run keeps in memory, at most (32 MB)
const CUT = {};               // what a run cut short (runMember's `until`) throws out of the module

// --- The tools' text, written by the module's own functions (text/) ---

let textModule = null; // the exports of the module loaded last, which writes the tools' text

// The text the module's write_<name>(...args) wrote: as it is, or without its newline (line).
function write(name, ...args) {
  const size = textModule['write_' + name](...args);
  if (size >= textModule.written_capacity())
    throw new Error(`${name}: longer than the module holds`);
  const bytes = new Uint8Array(textModule.memory.buffer, textModule.written(), size);
  return new TextDecoder().decode(bytes);
}
function line(name, ...args) { return write(name, ...args).replace(/\n$/, ''); }

// A tour (cities from 0) into the module's tour buffer, for the text that shows it.
function giveTour(tour) {
  const v = new DataView(textModule.memory.buffer), at = textModule.tour_buffer();
  tour.forEach((city, j) => v.setInt32(at + 4 * j, city, true));
}

// The bits of a JavaScript number.
function bitsOf(x) {
  const view = new DataView(new ArrayBuffer(8));
  view.setFloat64(0, x);
  return view.getBigUint64(0);
}
// printf's "%.<d>f" of the double whose 64 bits are `bits` (a BigInt), or of x.
function fixedBits(bits, d) { return write('fixed', BigInt.asUintN(64, bits), d); }
function fixed(x, d) { return fixedBits(bitsOf(x), d); }
// The tools' shortest text of a number.
function shortest(x) { return write('shortest', x); }
// "1-8-7-6-5-4-3-2-9": a tour of the module's current cities, from 1 in position order.
function tourText(tour) {
  giveTour(tour);
  return write('tour');
}

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
  textModule = exports;
  [OUTCOMES, MOTIONS, RULES, ENERGY_TERMS].forEach((list, k) => {
    const at = exports.names(k), bytes = new Uint8Array(exports.memory.buffer, at);
    list.splice(0, list.length,
                ...new TextDecoder().decode(bytes.subarray(0, bytes.indexOf(0))).split(' '));
  });
  return model(exports, made.module || bytes);
}

// A network of the family, as the page and its tests describe one:
//   cities: {kind: 'nuv'} | {kind: 'random', n, seed}
//         | {kind: 'list', metric: 'xy' | 'euc' | 'att' | 'geo' | 'matrix', n, xy, matrix}
//           (xy as the file gives them, [x, y] per city, or null; matrix n x n, or null)
//   options: the network's options as nuv-trace takes them, in order (['--rule', 'sync',
//           '--C', '0.5']), read by the tools' table; none for nuv's settings.
// How a list's distances are had, in the module's order (Metric, cities/tsplib.h).
const METRICS = ['xy', 'euc', 'att', 'geo', 'matrix'];

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

  // Why n cities make no network, as the tools say it ("1003 cities: a network has 4 to 1002"),
  // or '': the module's own limits, MINCITY and MAXCITY (n a whole number below 2^31).
  function sizeProblem(n) { return cString(wasm.size_problem(n)); }

  // The module set up for the network: its cities (only when they changed: their optimum is
  // found once), then its settings. Cities the module refuses (citiesProblem) throw; more than
  // it holds (sizeProblem), before any is written.
  function setNetwork(network) {
    const cities = network.cities || {kind: 'nuv'};
    const key = JSON.stringify(cities);
    if (key !== citiesKey) {
      citiesKey = null;
      if (cities.kind !== 'nuv' && sizeProblem(cities.n)) throw new Error(sizeProblem(cities.n));
      if (cities.kind === 'random')
        wasm.use_random_cities(cities.n, cities.seed >>> 0);
      else if (cities.kind === 'list' && !writeCities(cities))
        throw new Error(cString(wasm.text_error_why()));
      else if (cities.kind !== 'list')
        wasm.use_nuv_network();
      citiesKey = key;
    }
    const size = writeText((network.options || []).map((word) => word + '\0').join(''));
    const why = size < 0 ? 'too many options' : cString(wasm.set_options(size));
    if (why) throw new Error(why);
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
    return wasm.use_cities(cities.n, METRICS.indexOf(cities.metric), cities.xy ? 1 : 0,
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
    const n = wasm.city_count(), metric = METRICS[wasm.text_metric()];
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
    const n = wasm.city_count();
    return {
      tour: readTour(view(), wasm.optimal_tour(), n),
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
  // progress(done, total) is told of each cycle. With `until`, the run is cut after that cycle:
  // the module is left mid-run (its stack unwound by the browser, not by its own code), not to
  // be used again: a worker's, dropped after. A run whose state stops being finite ends there:
  // its sweeps are the cycles before, and `why` says where and why, as nuv-trace does.
  function runMember(network, a, b, d, seed, options = {}) {
    setNetwork(network);
    const n = wasm.city_count(), sweeps = wasm.cycle_count();
    const every = Math.max(1, Math.ceil((n * n * sweeps) / KEEP_DOUBLES));
    const keep = options.keep || ((c) => c % every === 0 || c === sweeps - 1);
    const progress = options.progress || (() => {});
    // tours: how many distinct tours the ranks are among (0: not ranked).
    const run =
        {n, sweeps, tours: wasm.tour_count(), cycles: [], states: new Array(sweeps).fill(null)};
    const until = options.until === undefined ? sweeps : options.until + 1;
    hooks.reached = (c) => {
      run.cycles.push(reachedCycle(c, n));
      if (keep(c)) run.states[c] = readState(n);
      progress(c + 1, until);
      if (c + 1 === until && until < sweeps) throw CUT;
    };
    let stopped;
    try {
      stopped = wasm.run_family(a, b, d, seed >>> 0);
    } catch (e) {
      if (e !== CUT) throw e;
      return run; // its cycles up to `until`
    } finally {
      hooks.reached = () => {};
    }
    if (stopped >= 0) {
      run.why = write('stop_text', stopped);
      run.stopped = stopped;
      run.sweeps = stopped;
      run.states.length = stopped;
    }
    return run;
  }

  // The block nuv-trace --tables prints for cycle c: nuv's table of the state (N x N), and
  // from cycle 1 on the energy line.
  function tableBlock(c, state, n, eBits) {
    const v = view(), a = wasm.state_buffer();
    for (let i = 0; i < n; i++)
      for (let j = 0; j < n; j++) v.setFloat64(a + 8 * (stride * i + j), state[n * i + j], true);
    return write('state_table', c, n, BigInt.asUintN(64, BigInt(eBits)));
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
    const tours = new Map(), failed = OUTCOMES.map(() => 0);
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
  function shareText(count, runs) { return write('share', count, runs); }

  // The units on in each row and column of a state, n x n, as the measures count them.
  function lineCounts(state, n) {
    writeState(state, n);
    const p = wasm.line_counts(), v = view(), rows = [], columns = [];
    for (let k = 0; k < n; k++)
      rows.push(v.getInt32(p + 4 * k, true)), columns.push(v.getInt32(p + 4 * (stride + k), true));
    return {rows, columns};
  }

  // The tools' colour scale at t, not a NaN: [red, green, blue], each 0 to 255.
  function scaleColour(t) {
    const c = wasm.scale_colour(t);
    return [c >> 16, (c >> 8) & 255, c & 255];
  }

  // The colours of a state's units on the tools' scale for n cities (unitPosition's place,
  // logarithmic beyond gridLinearUpto cities), into rgba (n x n x 4 bytes); a NaN is white.
  function unitColours(state, n, rgba) {
    for (let k = 0; k < n * n; k++) {
      const c = wasm.unit_colour(state[k], n);
      rgba[4 * k] = c >> 16, rgba[4 * k + 1] = (c >> 8) & 255, rgba[4 * k + 2] = c & 255;
      rgba[4 * k + 3] = 255;
    }
  }

  // The energy curves as nuv-trace's film draws them, E, EA, EB, ED, EC and L: {name, colour,
  // dash} each, dash '' for a solid line.
  // The map's marks as the tools draw them: {found: {stroke, width}, optimal: {stroke, width,
  // dash}, city}.
  function mapStyle() {
    const k = (n) => cString(wasm.map_style(n));
    return {
      found: {stroke: k(0), width: k(1)},
      optimal: {stroke: k(2), width: k(3), dash: k(4)},
      city: k(5)
    };
  }

  function curveStyles() {
    const styles = [];
    for (let k = 0; k < wasm.curve_count(); k++)
      styles.push({
        name: cString(wasm.curve_name(k)),
        colour: cString(wasm.curve_colour(k)),
        dash: cString(wasm.curve_dash(k))
      });
    return styles;
  }

  // A settings field's default text by the tools' table of options ('' where it depends on the
  // other settings), or null for a name no option has.
  function fieldDefault(name) {
    const at = wasm.field_default(writeText(name));
    return at ? cString(at) : null;
  }

  // Why text is no value of the settings field name (the option's name without dashes), as the
  // page says it beside the field, or ''.
  function fieldProblem(name, text) {
    const size = writeText(name + text);
    return size < 0 ? 'too long' : cString(wasm.field_problem(name.length, size));
  }

  // The sweeps of a run under the rule (its name or number) when none are given.
  // The settings' fields, one per option that sets the network, in --help's order: {name
  // (without dashes), words (a menu's, or null), rules (the rules that read it, a mask of their
  // numbers' bits; 0 for all)}.
  function settings() {
    const list = [];
    for (let k = 0, at; (at = wasm.setting_name(k)); k++) {
      const words = cString(wasm.setting_words(k));
      list.push({
        name: cString(at).slice(2),
        words: words ? words.split(' ') : null,
        rules: wasm.setting_rules(k)
      });
    }
    return list;
  }

  // Each setting's text under a method (its number) on the cities set up, by its field's name;
  // '' for a setting whose default depends on the others.
  function methodTexts(method) {
    const texts = {};
    settings().forEach(({name}, k) => {
      const size = wasm.setting_text(k, method);
      texts[name] =
          new TextDecoder().decode(new Uint8Array(wasm.memory.buffer, wasm.written(), size));
    });
    return texts;
  }

  // The methods' names, in their numbers' order; the first heuristic's number.
  function methodNames() { return settings().find((s) => s.name === 'method').words; }
  function firstHeuristic() { return wasm.first_heuristic(); }

  // The coefficients A, B and D of the network set up last: its method's, for a comparison.
  function coefficients() { return [0, 1, 2].map((k) => wasm.network_coefficient(k)); }

  // The sweeps of the network set up last.
  function sweeps() { return wasm.network_sweeps(); }

  function defaultSweeps(rule) {
    return wasm.sweeps_default(typeof rule === 'string' ? RULES.indexOf(rule) : rule);
  }

  return {
    setNetwork,
    sizeProblem,
    citiesProblem,
    fieldDefault,
    fieldProblem,
    defaultSweeps,
    methodTexts,
    methodNames,
    firstHeuristic,
    coefficients,
    settings,
    sweeps,
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
    scaleColour,
    unitColours,
    gridLinearUpto: wasm.grid_linear_upto(),
    curveStyles,
    mapStyle,
    cityPoints,
    optimum,
    onAbove: wasm.on_above(),
    compiled
  };
}

// --- nuv-survey's text ---

// Why the module's read_range refused a coefficient's text, by its RangeRefusal (text/range.h).
const RANGE_REFUSALS = [
  '', 'FROM:TO:STEP, finite numbers', 'a range is FROM:TO:STEP', 'the step is not above 0',
  'FROM is above TO', 'more than a million values'
];

// nuv-survey's values of a coefficient typed as FROM:TO:STEP (or one number), as it reads
// them: {values} or {error}.
function rangeValues(text) {
  const bytes = new TextEncoder().encode(text);
  if (bytes.length > textModule.text_capacity()) return {error: RANGE_REFUSALS[2]};
  new Uint8Array(textModule.memory.buffer, textModule.text_buffer(), bytes.length).set(bytes);
  const refusal = textModule.read_range(bytes.length);
  if (refusal !== 0) return {error: RANGE_REFUSALS[refusal]};
  const values = [];
  for (let k = 0; k < textModule.range_count(); k++) values.push(textModule.range_value(k));
  return {values};
}

// The line that says what every ratio is to; lengths without decimals when they are whole.
function optimumLine(o) {
  giveTour(o.tour);
  return line('optimum_line', o.length, o.exact ? 1 : 0, o.tourLength, o.whole ? 1 : 0);
}

// The summary's header line.
function summaryHead(o, withC) { return line('summary_head', o.exact ? 1 : 0, withC ? 1 : 0); }

// The summary row of a survey's tally, as nuv-survey prints it (coef: A, B, D, C), its best
// tour whole.
function summaryRow(m, coef, result, withC) {
  const t = result.tally;
  giveTour(t.best);
  return line('summary_row', coef[0], coef[1], coef[2], coef[3] || 0, withC ? 1 : 0, t.runs,
              t.valid, t.optimal, t.ratioSum, t.bestRatio);
}

// nuv-survey --methods: the header, and the row of a method (its number) from its survey.
function methodHead(o) { return line('method_head', o.exact ? 1 : 0); }
function methodRow(method, result) {
  const t = result.tally;
  giveTour(t.best);
  return line('method_row', method, t.runs, t.valid, t.optimal, t.ratioSum, t.bestRatio);
}

// nuv-survey --tours: the header, and a row per distinct outcome in the tools' order
// (outcome_precedes, text/tool_rows.h).
function outcomeHead(withC) { return line('outcomes_head', withC ? 1 : 0); }
// Whether row a comes before row b, as the module orders them: their tours into its buffers.
function precedes(a, b) {
  const v = new DataView(textModule.memory.buffer), at = textModule.compared_tours();
  const stride = 4 * textModule.max_city();
  [a, b].forEach((r, k) => {
    if (r.tour) r.tour.forEach((city, j) => v.setInt32(at + stride * k + 4 * j, city, true));
  });
  return textModule.outcome_precedes(a.outcome, a.runs, a.rank, a.length, b.outcome, b.runs, b.rank,
                                     b.length) === 1;
}
// The rows of the outcomes of one network's runs, in that order.
function outcomeRows(coef, result, withC) {
  const rows = result.tours.map(
      (t) => Object.assign({outcome: 0, ratio: t.length / result.optimum.length}, t));
  result.failed.forEach((runs, o) => {
    if (o > 0 && runs) rows.push({outcome: o, runs, rank: 0, length: 0, text: '-', ratio: 0});
  });
  // Distinct rows are never tied: one comes first.
  rows.sort((a, b) => (a === b ? 0 : precedes(a, b) ? -1 : 1));
  return rows.map((r) => {
    if (r.tour) giveTour(r.tour);
    return line('outcome_row', coef[0], coef[1], coef[2], coef[3] || 0, withC ? 1 : 0, r.outcome,
                r.rank, r.ratio, r.runs, result.tally.runs);
  });
}

const api = {
  RULES,
  OUTCOMES,
  DECIMAL,
  load,
  fixed,
  fixedBits,
  shortest,
  tourText,
  rangeValues,
  optimumLine,
  summaryHead,
  summaryRow,
  methodHead,
  methodRow,
  outcomeHead,
  outcomeRows
};
if (typeof module !== 'undefined' && module.exports)
  module.exports = api;
else
  root.Nuv = api;
})(this);
