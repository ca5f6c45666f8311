// running.js: the run for what the fields say (rerun): at once when it is short, else in a
// worker made from the page's own scripts, with a progress bar; a newer run cancels an older
// one; the progress line tells the seconds as they pass. A long run keeps only some states, and
// the others are made again when asked for (stateOf). Start at rerun.

const WORKER_ABOVE = 3e6; // a run of more than about this many N^3 x sweeps goes to the worker
let current = null;       // the run shown: {key, network, coef, seed, run, command}
let shown = 49;           // the cycle shown
const workers = {};       // by job: 'run', and 'survey0', 'survey1', ... for the seeds' shares

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
  model.setNetwork(r.network);
  const sweeps = model.sweeps();
  job.started = performance.now();
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

let clock = null; // while a job runs: {started, text, fraction, timer}, the progress line's

// The run's progress bar at fraction (0: a job begins), with its text and the seconds since the
// job began, told again twice a second: a cycle of a thousand cities takes seconds, and the line
// moves meanwhile. null hides it.
function progress(fraction, text) {
  $('progress').hidden = fraction === null;
  if (clock && (fraction === null || fraction === 0)) clearInterval(clock.timer), (clock = null);
  if (fraction === null) return ($('running-text').textContent = '');
  $('progress').value = fraction;
  if (!clock) clock = {started: performance.now(), timer: setInterval(tell, 500)};
  Object.assign(clock, {text, fraction});
  tell();
}
// The progress line: its text, the seconds so far and, from a tenth of the job on, about how
// many are left.
function tell() {
  const s = (performance.now() - clock.started) / 1000, f = clock.fraction;
  const left = f >= 0.1 && f < 1 ? `, about ${Math.ceil((s * (1 - f)) / f)} s left` : '';
  $('running-text').textContent = `${clock.text}: ${Math.floor(s)} s${left}`;
}

// A run is in: the cycle slider spans it, and it is shown; how long it took is kept (the seeds
// panel's estimate).
function begin(job) {
  current = job;
  job.milliseconds = performance.now() - job.started;
  const last = job.run.sweeps - 1; // -1 for a run that stopped at its start
  $('cycle').max = String(Math.max(0, last));
  if (last >= 0) shown = Math.min(shown, last);
  show(shown);
  if (seedsWanted) (seedsWanted = false), runSeeds();
}

// The state of cycle c of the run shown; a long run keeps only some, and the others are made
// again (in the worker, which stops at cycle c and is then dropped) when asked for.
function stateOf(c) {
  const run = current.run;
  if (run.states[c]) return run.states[c];
  if (run.asking === c) return null;
  run.asking = c;
  progress(0, `making cycle ${c}'s state again`);
  cancel('run'); // an older request's worker, if any: this one's answer is wanted
  const job = current, w = worker('run');
  w.onmessage = (e) => {
    if (e.data.kind === 'progress')
      return progress(e.data.done / e.data.total, `making cycle ${c}'s state again`);
    cancel('run'); // its module stopped mid-run
    if (current !== job) return;
    run.states[c] = e.data.run.states[c];
    run.asking = undefined;
    progress(null);
    show(shown);
  };
  w.postMessage(Object.assign(runMessage(job), {only: c}));
  return null;
}
