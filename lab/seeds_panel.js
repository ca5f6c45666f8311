// seeds_panel.js: the seeds panel. The network shown run over many seeds, shared out over
// workers, and written as nuv-survey writes it (runSeeds); with a coefficient varied, a row per
// value and the valid share drawn against it (drawVaried). Start at runSeeds.

let seedsJob = null; // the seeds panel's job under way

// The panel emptied, and its workers stopped: its results no longer hold.
function clearSeeds() {
  cancel('survey');
  seedsJob = null;
  $('seeds-progress').hidden = true;
  for (const id of ['survey-head', 'survey', 'tours', 'survey-command']) $(id).textContent = '';
  $('vary-chart').textContent = '';
  $('vary-chart').hidden = true;
}

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

// The methods the panel compares, by name and number in nuv-survey --methods' order as typed;
// [] for none, or null with the reason.
function compared() {
  const text = $('compare').value.trim(), known = model.methodNames();
  $('compare-msg').textContent = '';
  if (!text) return [];
  const names = text.split(',').map((w) => w.trim());
  const bad = names.find((w) => !known.includes(w)) || names.find((w, k) => names.indexOf(w) !== k);
  if (bad !== undefined) {
    $('compare-msg').textContent =
        known.includes(bad) ? `${bad} twice` : `'${bad}' is not ${known.join(', ')}`;
    return null;
  }
  return names.map((name) => ({name, method: known.indexOf(name)}));
}

// The methods over the seeds on the network's cities, each with every setting its own, a row
// each, as nuv-survey --methods writes them.
async function compareMethods(job, methods, range, me) {
  const rows = [];
  for (let k = 0; k < methods.length; k++) {
    const network = {cities: job.network.cities, options: ['--method', methods[k].name]};
    model.setNetwork(network);
    const parts = await surveyOnce(network, model.coefficients(), range,
                                   (f) => ($('seeds-progress').value = (k + f) / methods.length));
    if (seedsJob !== me || current !== job) return;
    const result = model.tallyRuns(network, parts);
    if (k === 0)
      $('survey-head').textContent =
          Nuv.optimumLine(result.optimum) + '\n' + Nuv.methodHead(result.optimum);
    rows.push(Nuv.methodRow(methods[k].method, result));
    $('survey').textContent = rows.join('\n');
  }
  $('seeds-progress').hidden = true;
  const cities = job.cities.option ? `--cities ${job.cities.option} ` : '';
  $('survey-command').textContent = `nuv-survey --methods ${methods.map((m) => m.name).join(',')} ${
      cities}--seeds ${range[0]}:${range[1]}`;
  writeFragment();
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

const SEEDS_MOST_HOURS = 0.25; // the longest the panel runs: a quarter of an hour

// About how many hours the panel's runs take, shared out over its workers: each as long as the
// run shown took (a run measured at every cycle, so at most that).
function seedsHours(runs) {
  const shares = Math.max(1, Math.min(4, navigator.hardwareConcurrency || 2));
  return (runs * current.milliseconds) / shares / 3.6e6;
}

// The current network over the seeds, written as nuv-survey writes it: each network's runs
// added up here in seed order, as the survey adds them. With a coefficient varied, a row per
// value, in order, and the valid share drawn against it.
async function runSeeds() {
  const range = seedRange(), vary = varied(), methods = compared();
  if (!range || !vary || !methods || !current || !current.run) return writeFragment();
  const runs = (range[1] - range[0] + 1) * Math.max(1, methods.length, vary.values.length);
  const hours = seedsHours(runs);
  if (hours > SEEDS_MOST_HOURS) {
    $('seeds-msg').textContent =
        `about ${hours < 2 ? Math.ceil(hours * 60) + ' minutes' : Math.round(hours) + ' hours'} ` +
        `here (${runs} runs, each about as long as the run shown, ${
            (current.milliseconds / 1000).toFixed(1)} s): ` +
        'at most a quarter of an hour here; fewer seeds, or nuv-survey (native, every core)';
    return writeFragment();
  }
  clearSeeds();
  const job = current, me = (seedsJob = {}), started = performance.now();
  if (methods.length) {
    $('seeds-progress').hidden = false;
    return compareMethods(job, methods, range, me);
  }
  const withC = texts.C !== DEFAULT.C || vary.name === 'C';
  const values = vary.values.length ? vary.values : [null];
  const rows = [];
  let result = null;
  $('seeds-progress').hidden = false;
  for (let v = 0; v < values.length; v++) {
    const coef = [...job.coef, Number(texts.C)];
    const network = JSON.parse(JSON.stringify(job.network));
    if (vary.name) coef['ABDC'.indexOf(vary.name)] = values[v];
    if (vary.name === 'C') network.options = settingOptions({C: String(values[v])});
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
