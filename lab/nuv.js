// nuv.js: the nuv network compiled to WebAssembly, run by the module's own schedule, and its
// tables as text exactly as nuv prints them. Used by the page (a global `Nuv`) and by Node
// (require). Start at load; the arithmetic is all in the module, the text all here.
(function (root) {
  'use strict';
  const NCITY = 9;
  const NSWEEP = 50;
  const OUTCOMES = ['tour', 'missing', 'doubled', 'mixed'];

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

  // The same for a JavaScript number.
  function fixed(x, d) {
    const view = new DataView(new ArrayBuffer(8));
    view.setFloat64(0, x);
    return fixedBits(view.getBigUint64(0), d);
  }

  // printf's "%<w>d" and the padding of "%<w>.<d>f".
  function right(text, width) {
    return String(text).padStart(width);
  }

  // What the module calls back: run_family's cycles, to whoever runs it.
  const hooks = { reached: () => {} };

  // Instantiates the module from its bytes; resolves to a model.
  async function load(bytes) {
    const { instance } = await WebAssembly.instantiate(bytes, {
      env: { tanh: Math.tanh, atanh: Math.atanh, log: Math.log, cycle_reached: (c) => hooks.reached(c) },
    });
    return model(instance.exports);
  }

  function model(wasm) {
    const field = {};
    ['e', 'term', 'l', 'on', 'change', 'outcome', 'tour', 'length', 'ratio', 'rank', 'state']
      .forEach((name, k) => { field[name] = wasm.cycle_layout(k); });
    const view = () => new DataView(wasm.memory.buffer);

    // nuv's run for the coefficients and seed, every cycle measured by the module.
    let family = false; // whether a family run has left another member in the module
    function run(a, b, d, seed) {
      if (family) wasm.use_nuv_network(), (family = false);
      wasm.run(a, b, d, seed >>> 0);
    }

    // What the module measured at cycle c; `bits` keeps the energy and the state as stored.
    function cycle(c) {
      const at = wasm.cycle(c);
      const v = view();
      const f64 = (offset) => v.getFloat64(at + offset, true);
      const i32 = (offset) => v.getInt32(at + offset, true);
      const state = [];
      const stateBits = [];
      for (let i = 0; i < NCITY; i++) {
        state.push([]);
        stateBits.push([]);
        for (let j = 0; j < NCITY; j++) {
          const offset = field.state + 8 * (NCITY * i + j);
          state[i].push(f64(offset));
          stateBits[i].push(v.getBigUint64(at + offset, true));
        }
      }
      const outcome = OUTCOMES[i32(field.outcome)];
      const tour = [];
      if (outcome === 'tour') for (let j = 0; j < NCITY; j++) tour.push(i32(field.tour + 4 * j));
      return {
        cycle: c,
        e: f64(field.e),
        eBits: v.getBigUint64(at + field.e, true),
        terms: [0, 1, 2].map((k) => f64(field.term + 8 * k)),
        l: f64(field.l),
        on: i32(field.on),
        change: f64(field.change),
        outcome,
        tour,
        length: f64(field.length),
        ratio: f64(field.ratio),
        rank: i32(field.rank),
        state,
        stateBits,
      };
    }

    // The lines nuv prints for cycle c: its table, and from cycle 1 on its energy line.
    function tableText(c) {
      const y = cycle(c);
      let text = '    ###   Sequence     Cycle : ' + right(c, 4) + '   ###\nCity ';
      for (let p = 1; p <= NCITY; p++) text += ' ' + right(p, 4) + '  ';
      text += '\n';
      for (let i = 0; i < NCITY; i++) {
        text += right(i + 1, 4) + '  ';
        for (let j = 0; j < NCITY; j++) text += right(fixedBits(y.stateBits[i][j], 2), 5) + '  ';
        text += '\n';
      }
      if (c > 0) text += ' Energy = ' + fixedBits(y.eBits, 6) + '\n';
      return text;
    }

    // All that nuv prints for the last run.
    function transcript() {
      let text = '';
      for (let c = 0; c < NSWEEP; c++) text += tableText(c);
      return text;
    }

    // The cities' coordinates and the optimal tour, as the module holds them: fixed, read once.
    const xy = [];
    for (let i = 0, at = wasm.cityxy(); i < NCITY; i++)
      xy.push([view().getFloat64(at + 16 * i, true), view().getFloat64(at + 16 * i + 8, true)]);
    const best = { tour: [], length: wasm.optimal_length() };
    for (let j = 0; j < NCITY; j++) best.tour.push(wasm.optimal_city(j));

    // The table nuv's formats give the module's current state, N by N, heading cycle c.
    function stateTable(c) {
      const n = wasm.city_count(), stride = wasm.max_city(), at = wasm.unitout(), v = view();
      let text = '    ###   Sequence     Cycle : ' + right(c, 4) + '   ###\nCity ';
      for (let p = 1; p <= n; p++) text += ' ' + right(p, 4) + '  ';
      text += '\n';
      for (let i = 0; i < n; i++) {
        text += right(i + 1, 4) + '  ';
        for (let j = 0; j < n; j++)
          text += right(fixedBits(v.getBigUint64(at + 8 * (stride * i + j), true), 2), 5) + '  ';
        text += '\n';
      }
      return text;
    }

    // A run of a member of the family, as nuv-trace --tables prints it: network names the cities
    // ({n, seed} random ones, or none for nuv's) and the settings of set_network.
    function familyTranscript(network, a, b, d, seed) {
      family = true;
      if (network.cities) wasm.use_random_cities(network.cities.n, network.cities.seed >>> 0);
      else wasm.use_nuv_network();
      const s = network.settings || {};
      wasm.set_network(s.rule || 0, s.C || 0, s.n === undefined ? wasm.city_count() : s.n,
        s.bias === undefined ? 1 : 0, s.bias || 0, s.u0 || 0.5, s.start || 0, s.dt || 0.01,
        s.tau || 1, s.sweeps || 0);
      const parts = [];
      hooks.reached = (c) => {
        parts.push(stateTable(c));
        if (c > 0) parts.push(' Energy = ' + fixedBits(view().getBigUint64(wasm.reached() + field.e, true), 6) + '\n');
      };
      wasm.run_family(a, b, d, seed >>> 0);
      hooks.reached = () => {};
      return parts.join('');
    }

    return { run, cycle, tableText, transcript, familyTranscript, cities: () => xy,
      optimum: () => best };
  }

  const api = { NCITY, NSWEEP, load, fixed, fixedBits };
  if (typeof module !== 'undefined' && module.exports) module.exports = api;
  else root.Nuv = api;
})(this);
