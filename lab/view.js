// view.js: the cycle shown (show): its pictures, status line, values, table and command, the
// pinned run beside it, and the unit at the cursor with its input split into its terms
// (pointAt); the grid and the curves answer the pointer and the keys (pointing). Start at
// show.

let pinned = null;    // a run kept for comparison
let cursor = null;    // the unit whose input is shown: [i, j]
let displayed = null; // the state the grid shows

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

// The most cities whose table of units the page writes out: 160 KB at 150 cities, which the
// module's text buffer holds (256 KB, about 180 cities).
const TABLE_UPTO = 150;

// nuv-trace --tables's block for cycle c, up to TABLE_UPTO cities; beyond (a text of megabytes
// at 1,002 cities, too long to show each cycle), what says so.
function tableText(c, state, n, eBits) {
  if (n <= TABLE_UPTO) return model.tableBlock(c, state, n, eBits);
  return `The table of the ${n} x ${n} units is written here up to ${TABLE_UPTO} cities: ` +
         'nuv-trace --tables prints it for any.';
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
    $('table').textContent = tableText(shown, state, n, y.eBits);
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

// --- The grid's units and the curves' cycles ---

// The grid's units pointed at by the pointer or the arrow keys; a click on the curves shows
// that cycle.
function pointing() {
  const grid = $('grid');
  grid.addEventListener('mouseover', (e) => {
    const cell = e.target.closest('rect[data-i]');
    if (!cell) return;
    pointAt([Number(cell.dataset.i), Number(cell.dataset.j)]);
  });
  // A grid of many cities is one image: the unit under the pointer from where it is.
  grid.addEventListener('mousemove', (e) => {
    if (e.target.tagName !== 'image') return;
    const box = e.target.getBoundingClientRect(), n = Number(e.target.dataset.n);
    const at = (d, size) => Math.min(n - 1, Math.max(0, Math.floor((d * n) / size)));
    const unit = [at(e.clientY - box.top, box.height), at(e.clientX - box.left, box.width)];
    if (!cursor || unit[0] !== cursor[0] || unit[1] !== cursor[1]) pointAt(unit);
  });
  grid.addEventListener('keydown', (e) => {
    const moves = {ArrowLeft: [0, -1], ArrowRight: [0, 1], ArrowUp: [-1, 0], ArrowDown: [1, 0]};
    const move = moves[e.key];
    if (!move || !current || !current.run) return;
    e.preventDefault();
    const n = current.run.n;
    const to = (k) => Math.min(n - 1, Math.max(0, cursor[k] + move[k])); // within the grid
    pointAt(cursor ? [to(0), to(1)] : [0, 0]);
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
