// worker.js: the page's long runs and its seeds, off the page's thread. Runs after nuv.js in
// one script made by the page; takes the compiled module first, then one job at a time:
// {job: 'run' | 'survey', ...}, answering with progress messages and then the run, or the
// ends of the survey's runs (which the page adds up in seed order).
(function() {
'use strict';
let ready = null; // the model, once loaded

// Progress at most about a hundred times a job.
function reporter() {
  let last = -1;
  return (done, total) => {
    const step = Math.floor((100 * done) / total);
    if (step !== last) (last = step), postMessage({kind: 'progress', done, total});
  };
}

async function work(m) {
  const model = await ready;
  if (m.job === 'run') {
    // One cycle's state made again: the run stops there (the page then drops this worker).
    const run = model.runMember(
        m.network, m.a, m.b, m.d, m.seed,
        m.only === undefined ? {progress: reporter()}
                             : {keep: (c) => c === m.only, until: m.only, progress: reporter()});
    // The optimum, found here rather than on the page's thread: 1.5 s at a thousand cities.
    if (m.only === undefined) run.optimum = model.optimum();
    const buffers = run.states.filter((s) => s).map((s) => s.buffer);
    postMessage({kind: 'done', job: 'run', run}, buffers);
  } else {
    const runs = model.surveyRuns(m.network, m.a, m.b, m.d, m.first, m.last, reporter());
    postMessage({kind: 'done', job: 'survey', runs}, [runs.buffer]);
  }
}

self.onmessage = (e) => {
  if (e.data.module)
    ready = Nuv.load(e.data.module);
  else
    work(e.data);
};
})();
