// stepping.js: moving through the run: an in-place sweep stepped one unit at a time (step,
// stopStepping), and the cycles played one after another (play, stop). Start at step.

let timer = null;    // the player, while playing
let stepping = null; // {units, sweep}: an in-place sweep shown unit by unit

// The state while stepping, in nuv's table format, headed by the units done.
function stepTable(state, n, k) {
  const lines = tableText(0, state, n, 0n).split('\n');
  lines[0] = `after ${k} of the ${n * n} units of sweep ${stepping.sweep}`;
  return lines.join('\n');
}

// --- Stepping one unit at a time ---

// One more unit of the in-place sweep after the cycle shown; its last unit ends the stepping.
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
