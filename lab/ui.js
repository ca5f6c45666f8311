// ui.js: the lab page. Reads the controls and the URL's fragment, reruns the model on every
// change, and draws the grid, the curves, the map, the status and nuv's text for the cycle
// shown. What is on screen, the command shown and the address always say the same: with a bad
// value there is no run, and the value is named beside its field. Start at start(); the model
// and the text are nuv.js's.
(function () {
  'use strict';
  const NCITY = Nuv.NCITY;
  const LAST = Nuv.NSWEEP - 1;
  const SVG = 'http://www.w3.org/2000/svg';
  const $ = (id) => document.getElementById(id);

  let model = null;
  let cycles = [];    // the measures of every cycle of the current run
  const DEFAULT = { A: '1', B: '1', D: '1', seed: '5' };
  let texts = Object.assign({}, DEFAULT); // the fields' texts, good or not
  let ran = false;    // whether cycles hold the run of texts (every field good)
  let shown = LAST;   // the cycle shown
  let timer = null;   // the player, while playing
  const NAMES = { A: 'Acoef', B: 'Bcoef', D: 'Dcoef', seed: 'the seed', cycle: 'the cycle' };

  // --- Reading the fields: a message beside a bad one, and the last good run kept. ---

  const NUMBER = /^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/;

  function problem(name, text) {
    const t = text.trim();
    if (name === 'seed') {
      if (!/^\d+$/.test(t)) return 'the seed is a whole number from 0 to 4294967295';
      return Number(t) > 4294967295 ? 'the seed is at most 4294967295' : '';
    }
    if (t === '') return 'a number, please';
    if (!NUMBER.test(t)) return 'not a number';
    return Number.isFinite(Number(t)) ? '' : 'too large: the number must be finite';
  }

  // A cycle as a link gives it: a plain decimal whole number from 0 to 49, or null.
  function cycleOf(text) {
    return /^\d{1,2}$/.test(text) && Number(text) <= LAST ? Number(text) : null;
  }

  // Takes the fields' texts and runs them when all are good; a bad one is named beside its
  // field, and then nothing is run or shown.
  function readFields() {
    const bad = [];
    for (const name of ['A', 'B', 'D', 'seed']) {
      texts[name] = $(name).value.trim();
      const why = problem(name, texts[name]);
      $(name + '-msg').textContent = why;
      $(name).setAttribute('aria-invalid', why ? 'true' : 'false');
      if (why) bad.push(NAMES[name]);
    }
    if (bad.length) {
      ran = false;
      cycles = [];
      return show(shown, 'No run: ' + bad.join(' and ') + (bad.length > 1 ? ' are' : ' is') + ' not valid; see beside the field.');
    }
    model.run(Number(texts.A), Number(texts.B), Number(texts.D), Number(texts.seed));
    cycles = [];
    for (let c = 0; c <= LAST; c++) cycles.push(model.cycle(c));
    ran = true;
    for (const name of ['A', 'B', 'D']) follow($(name + '-range'), Number(texts[name]));
    show(shown);
  }

  // A slider follows its field: its range grows to hold a typed value beyond it.
  function follow(slider, v) {
    if (v < Number(slider.min)) slider.min = String(Math.floor(v));
    if (v > Number(slider.max)) slider.max = String(Math.ceil(v));
    slider.value = String(v);
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

  function drawGrid(y) {
    const svg = $('grid');
    svg.textContent = '';
    const cell = 28, left = 30, top = 30;
    for (let k = 0; k < NCITY; k++) {
      element(svg, 'text', { x: left + cell * k + cell / 2, y: top - 8, 'text-anchor': 'middle', 'font-size': 12 }, k + 1);
      element(svg, 'text', { x: left - 8, y: top + cell * k + cell / 2 + 4, 'text-anchor': 'end', 'font-size': 12 }, k + 1);
    }
    let gaps = 0;
    for (let i = 0; i < NCITY; i++)
      for (let j = 0; j < NCITY; j++) {
        const v = y.state[i][j], x = left + cell * j, yy = top + cell * i;
        element(svg, 'rect', { x, y: yy, width: cell - 1, height: cell - 1, fill: colour(v), stroke: Number.isNaN(v) ? '#999' : 'none' });
        if (Number.isNaN(v)) {
          gaps++;
          element(svg, 'path', { d: `M${x},${yy} l${cell - 1},${cell - 1} m0,${1 - cell} l${1 - cell},${cell - 1}`, stroke: '#999', class: 'gap' });
        }
        if (v > 0.5) element(svg, 'circle', { cx: x + cell / 2 - 0.5, cy: yy + cell / 2 - 0.5, r: 4, fill: 'black' });
      }
    element(svg, 'text', { x: left, y: 292, 'font-size': 11, fill: gaps ? '#b03020' : '#555' },
      gaps ? `${gaps} units are not a number: white, crossed` : 'a dot marks a unit above 0.5');
  }

  // Round values from lo to hi, about n of them, 1, 2 or 5 times a power of ten apart.
  function niceTicks(lo, hi, n) {
    const rough = (hi / 2 - lo / 2) / n * 2;
    const power = Math.pow(10, Math.floor(Math.log10(rough)));
    const step = [1, 2, 5, 10].map((f) => f * power).find((s) => s >= rough);
    const ticks = [];
    for (let k = Math.ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9 && ticks.length < 20; k++) ticks.push(k * step);
    return ticks;
  }

  function drawCurve(c) {
    const svg = $('curve');
    svg.textContent = '';
    const left = 50, top = 12, w = 330, h = 220;
    // The tools' curves: each its own dash as well as its colour.
    const curves = [['E', '#000', (y) => y.e, ''], ['EA', '#d04030', (y) => y.terms[0], '8 4'],
      ['EB', '#3060c0', (y) => y.terms[1], '2 3'], ['ED', '#2a9d50', (y) => y.terms[2], '8 3 2 3'],
      ['L', '#e08a00', (y) => y.l, '14 4']];
    let lo = 0, hi = 0, leftOut = 0;
    for (const [, , value] of curves)
      for (let k = 1; k <= LAST; k++) {
        const v = value(cycles[k]);
        if (Number.isFinite(v)) lo = Math.min(lo, v), hi = Math.max(hi, v);
        else leftOut++;
      }
    if (hi === lo) hi = lo + 1;
    // Halves, so that the span between the largest doubles stays finite.
    const px = (k) => left + (w * (k - 1)) / (LAST - 1);
    const py = (v) => top + h * ((hi / 2 - v / 2) / (hi / 2 - lo / 2));
    element(svg, 'rect', { x: left, y: top, width: w, height: h, fill: 'none', stroke: '#888' });
    for (const v of niceTicks(lo, hi, 5)) {
      element(svg, 'line', { x1: left, y1: py(v), x2: left + w, y2: py(v), stroke: '#e4e4e4' });
      element(svg, 'text', { x: left - 4, y: py(v) + 4, 'text-anchor': 'end', 'font-size': 11 }, Number(v.toPrecision(6)));
    }
    for (const k of [1, 10, 20, 30, 40, 49]) element(svg, 'text', { x: px(k), y: top + h + 14, 'text-anchor': 'middle', 'font-size': 11 }, k);
    element(svg, 'text', { x: left + w / 2, y: top + h + 30, 'text-anchor': 'middle', 'font-size': 12 }, 'cycle');
    curves.forEach(([name, stroke, value, dash], n) => {
      // A run of finite values per polyline: a value that is not finite is a gap.
      let points = [];
      const flush = () => {
        if (points.length) element(svg, 'polyline', { points: points.join(' '), fill: 'none', stroke, 'stroke-width': 1.5, 'stroke-dasharray': dash || 'none' });
        points = [];
      };
      for (let k = 1; k <= LAST; k++) {
        const v = value(cycles[k]);
        if (Number.isFinite(v)) points.push(px(k).toFixed(1) + ',' + py(v).toFixed(1));
        else flush();
      }
      flush();
      element(svg, 'line', { x1: left + 62 * n, y1: top + h + 48, x2: left + 62 * n + 16, y2: top + h + 48, stroke, 'stroke-width': 2, 'stroke-dasharray': dash || 'none' });
      element(svg, 'text', { x: left + 62 * n + 20, y: top + h + 52, 'font-size': 12 }, name);
    });
    if (leftOut) element(svg, 'text', { x: left, y: top + h + 70, 'font-size': 11, fill: '#b03020' }, `${leftOut} values are not finite: the gaps`);
    // The cycle shown: a grey band, unlike any curve.
    if (c >= 1) element(svg, 'line', { x1: px(c), y1: top, x2: px(c), y2: top + h, stroke: '#9a9a9a', 'stroke-width': 6, opacity: 0.45, id: 'marker' });
  }

  function drawMap(y) {
    const svg = $('map');
    svg.textContent = '';
    const xy = model.cities();
    const unit = 40, left = 45, top = 20;
    const at = (city) => [left + (xy[city][0] - 1) * unit, top + (7 - xy[city][1]) * unit];
    const polygon = (tour, attributes) =>
      element(svg, 'polygon', Object.assign({ points: tour.map((city) => at(city).join(',')).join(' '), fill: 'none' }, attributes));
    if (y.outcome === 'tour') polygon(y.tour, { stroke: '#7fb0e0', 'stroke-width': 5 });
    polygon(y.outcome === 'tour' && y.rank === 1 ? y.tour : model.optimum().tour,
      { stroke: '#333', 'stroke-width': 1.5, 'stroke-dasharray': '6 4' });
    for (let i = 0; i < NCITY; i++) {
      const [x, yy] = at(i);
      element(svg, 'circle', { cx: x, cy: yy, r: 5, fill: '#d04030' });
      element(svg, 'text', { x: x + 7, y: yy - 7, 'font-size': 12 }, i + 1);
    }
    if (y.outcome !== 'tour') element(svg, 'text', { x: 125, y: 285, 'text-anchor': 'middle', 'font-size': 13 }, 'no tour: ' + y.outcome);
  }

  function statusText(y) {
    const what = y.cycle === 0 ? 'cycle 0 (the random start)' : `cycle ${y.cycle} (after ${y.cycle + 1} sweeps)`;
    if (y.outcome !== 'tour') return `${what}: not a tour (${y.outcome}, ${y.on} units on)`;
    const tour = y.tour.map((city) => city + 1).join('-');
    return `${what}: valid tour ${tour}, length ${Nuv.fixed(y.length, 4)}, ratio ${Nuv.fixed(y.ratio, 4)}, rank ${y.rank} of 20160`;
  }

  // Shows cycle c of the run, or with no run the reason why, and keeps the address saying what
  // the fields say.
  function show(c, noRun) {
    shown = Math.min(LAST, Math.max(0, c));
    $('cycle').value = String(shown);
    $('cycle-value').textContent = String(shown);
    if (ran) {
      const y = cycles[shown];
      drawGrid(y);
      drawCurve(shown);
      drawMap(y);
      if (timer === null) $('status').textContent = statusText(y);
      $('table').textContent = model.tableText(shown);
      $('command').textContent = `nuv ${texts.A} ${texts.B} ${texts.D} ${texts.seed}`;
    } else {
      for (const id of ['grid', 'curve', 'map']) $(id).textContent = '';
      $('status').textContent = noRun;
      $('table').textContent = '';
      $('command').textContent = '';
    }
    $('copy').disabled = !ran;
    $('panels').hidden = !ran;
    const fragment = ['A', 'B', 'D', 'seed'].map((n) => `${n}=${encodeURIComponent(texts[n])}`).join('&') + `&cycle=${shown}`;
    if (location.hash !== '#' + fragment) history.replaceState(null, '', '#' + fragment);
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

  function play() {
    if (timer !== null) return stop();
    if (!ran) return;
    if (shown === LAST) show(0);
    $('play').textContent = 'pause';
    $('status').setAttribute('aria-live', 'off');
    $('status').textContent = 'playing';
    timer = setInterval(() => (shown < LAST ? show(shown + 1) : stop()), 120);
  }

  // --- Start ---

  // The fragment's values, where there are any, into the fields; a cycle that is not one is
  // named beside the cycle, and the last cycle shown.
  function readFragment() {
    const params = new URLSearchParams(location.hash.slice(1));
    for (const name of ['A', 'B', 'D', 'seed']) $(name).value = params.has(name) ? params.get(name) : DEFAULT[name];
    $('cycle-msg').textContent = '';
    if (!params.has('cycle')) return;
    const c = cycleOf(params.get('cycle'));
    if (c === null) {
      $('cycle-msg').textContent = `the link's cycle '${params.get('cycle')}' is not a whole number from 0 to 49; showing ${LAST}`;
      shown = LAST;
    } else shown = c;
  }

  async function start() {
    const bytes = Uint8Array.from(atob(NUV_WASM_BASE64), (ch) => ch.charCodeAt(0));
    model = await Nuv.load(bytes);
    readFragment();
    readFields();
    for (const name of ['A', 'B', 'D']) {
      $(name).addEventListener('input', readFields);
      $(name + '-range').addEventListener('input', () => {
        $(name).value = $(name + '-range').value;
        readFields();
      });
    }
    $('seed').addEventListener('input', readFields);
    $('new-seed').addEventListener('click', () => {
      $('seed').value = String(Math.floor(Math.random() * 4294967296));
      readFields();
    });
    $('cycle').addEventListener('input', () => { stop(); $('cycle-msg').textContent = ''; show(Number($('cycle').value)); });
    $('back').addEventListener('click', () => { stop(); show(shown - 1); });
    $('forward').addEventListener('click', () => { stop(); show(shown + 1); });
    $('play').addEventListener('click', play);
    // Copying says whether it worked, beside the button, for two seconds.
    $('copy').addEventListener('click', () => {
      const said = (text) => {
        $('copied').textContent = text;
        setTimeout(() => { $('copied').textContent = ''; }, 2000);
      };
      if (!navigator.clipboard) return said('copying is not allowed here: select the command');
      navigator.clipboard.writeText($('command').textContent).then(() => said('copied'),
        () => said('copying is not allowed here: select the command'));
    });
    window.addEventListener('hashchange', () => { readFragment(); readFields(); });
  }

  start();
})();
