// ui.js: the lab page. Reads the controls and the URL's fragment, reruns the model on every
// change, and draws the grid, the curves, the map, the status and nuv's text for the cycle
// shown. Start at start(); the model and the text are nuv.js's.
(function () {
  'use strict';
  const NCITY = Nuv.NCITY;
  const LAST = Nuv.NSWEEP - 1;
  const SVG = 'http://www.w3.org/2000/svg';
  const $ = (id) => document.getElementById(id);

  let model = null;
  let cycles = [];    // the measures of every cycle of the current run
  let good = { A: '1', B: '1', D: '1', seed: '5' }; // the texts of the run on screen
  let shown = LAST;   // the cycle shown
  let timer = null;   // the player, while playing

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

  // Takes the fields' texts; reruns when all are good, else says what is wrong and keeps the
  // run on screen.
  function readFields() {
    const texts = {};
    let ok = true;
    for (const name of ['A', 'B', 'D', 'seed']) {
      texts[name] = $(name).value.trim();
      const why = problem(name, texts[name]);
      $(name + '-msg').textContent = why;
      $(name).setAttribute('aria-invalid', why ? 'true' : 'false');
      ok = ok && !why;
    }
    if (ok) rerun(texts);
  }

  function rerun(texts) {
    good = texts;
    model.run(Number(texts.A), Number(texts.B), Number(texts.D), Number(texts.seed));
    cycles = [];
    for (let c = 0; c <= LAST; c++) cycles.push(model.cycle(c));
    for (const name of ['A', 'B', 'D']) {
      const v = Number(texts[name]);
      if (v >= -1 && v <= 5) $(name + '-range').value = String(v);
    }
    show(shown);
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
    for (let i = 0; i < NCITY; i++)
      for (let j = 0; j < NCITY; j++) {
        const v = y.state[i][j];
        element(svg, 'rect', { x: left + cell * j, y: top + cell * i, width: cell - 1, height: cell - 1, fill: colour(v) });
        if (v > 0.5) element(svg, 'circle', { cx: left + cell * j + cell / 2 - 0.5, cy: top + cell * i + cell / 2 - 0.5, r: 4, fill: 'black' });
      }
    element(svg, 'text', { x: left, y: 292, 'font-size': 11, fill: '#555' }, 'a dot marks a unit above 0.5');
  }

  function drawCurve(c) {
    const svg = $('curve');
    svg.textContent = '';
    const left = 50, top = 12, w = 330, h = 220;
    const curves = [['E', '#000', (y) => y.e, ''], ['EA', '#d04030', (y) => y.terms[0], ''],
      ['EB', '#3060c0', (y) => y.terms[1], ''], ['ED', '#2a9d50', (y) => y.terms[2], ''],
      ['L', '#e08a00', (y) => y.l, '5 3']];
    let lo = 0, hi = 0;
    for (const [, , value] of curves)
      for (let k = 1; k <= LAST; k++) {
        const v = value(cycles[k]);
        if (Number.isFinite(v)) lo = Math.min(lo, v), hi = Math.max(hi, v);
      }
    if (hi === lo) hi = lo + 1;
    const px = (k) => left + (w * (k - 1)) / (LAST - 1);
    const py = (v) => top + (h * (hi - v)) / (hi - lo);
    element(svg, 'rect', { x: left, y: top, width: w, height: h, fill: 'none', stroke: '#888' });
    for (const v of [lo, hi]) element(svg, 'text', { x: left - 4, y: py(v) + 4, 'text-anchor': 'end', 'font-size': 11 }, v.toPrecision(4));
    for (const k of [1, 10, 20, 30, 40, 49]) element(svg, 'text', { x: px(k), y: top + h + 14, 'text-anchor': 'middle', 'font-size': 11 }, k);
    element(svg, 'text', { x: left + w / 2, y: top + h + 30, 'text-anchor': 'middle', 'font-size': 12 }, 'cycle');
    curves.forEach(([name, stroke, value, dash], n) => {
      const points = [];
      for (let k = 1; k <= LAST; k++) if (Number.isFinite(value(cycles[k]))) points.push(px(k) + ',' + py(value(cycles[k])));
      element(svg, 'polyline', { points: points.join(' '), fill: 'none', stroke, 'stroke-width': 1.5, 'stroke-dasharray': dash || 'none' });
      element(svg, 'line', { x1: left + 62 * n, y1: top + h + 48, x2: left + 62 * n + 16, y2: top + h + 48, stroke, 'stroke-width': 2, 'stroke-dasharray': dash || 'none' });
      element(svg, 'text', { x: left + 62 * n + 20, y: top + h + 52, 'font-size': 12 }, name);
    });
    if (c >= 1) element(svg, 'line', { x1: px(c), y1: top, x2: px(c), y2: top + h, stroke: '#c00', 'stroke-width': 1.5, id: 'marker' });
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
    return `${what}: valid tour ${tour}, length ${y.length.toFixed(4)}, ratio ${y.ratio.toFixed(4)}, rank ${y.rank} of 20160`;
  }

  // Shows cycle c of the run on screen, and keeps the URL saying what is shown.
  function show(c) {
    shown = Math.min(LAST, Math.max(0, c));
    const y = cycles[shown];
    $('cycle').value = String(shown);
    $('cycle-value').textContent = String(shown);
    drawGrid(y);
    drawCurve(shown);
    drawMap(y);
    $('status').textContent = statusText(y);
    $('table').textContent = model.tableText(shown);
    $('command').textContent = `nuv ${good.A} ${good.B} ${good.D} ${good.seed}`;
    const fragment = `#A=${encodeURIComponent(good.A)}&B=${encodeURIComponent(good.B)}&D=${encodeURIComponent(good.D)}&seed=${good.seed}&cycle=${shown}`;
    if (location.hash !== fragment) history.replaceState(null, '', fragment);
  }

  // --- Playing ---

  function stop() {
    if (timer !== null) clearInterval(timer);
    timer = null;
    $('play').textContent = 'play';
  }

  function play() {
    if (timer !== null) return stop();
    if (shown === LAST) show(0);
    $('play').textContent = 'pause';
    timer = setInterval(() => (shown < LAST ? show(shown + 1) : stop()), 120);
  }

  // --- Start ---

  // The fragment's values, where there are any, into the fields.
  function readFragment() {
    const params = new URLSearchParams(location.hash.slice(1));
    for (const name of ['A', 'B', 'D', 'seed']) $(name).value = params.has(name) ? params.get(name) : good[name];
    const c = Number(params.get('cycle'));
    if (params.has('cycle') && Number.isInteger(c)) shown = Math.min(LAST, Math.max(0, c));
  }

  async function start() {
    const bytes = Uint8Array.from(atob(NUV_WASM_BASE64), (ch) => ch.charCodeAt(0));
    model = await Nuv.load(bytes);
    readFragment();
    readFields();
    if (!cycles.length) rerun(good); // a bad link still shows a run
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
    $('cycle').addEventListener('input', () => { stop(); show(Number($('cycle').value)); });
    $('back').addEventListener('click', () => { stop(); show(shown - 1); });
    $('forward').addEventListener('click', () => { stop(); show(shown + 1); });
    $('play').addEventListener('click', play);
    $('copy').addEventListener('click', () => {
      if (navigator.clipboard) navigator.clipboard.writeText($('command').textContent).catch(() => {});
    });
    window.addEventListener('hashchange', () => { readFragment(); readFields(); });
  }

  start();
})();
