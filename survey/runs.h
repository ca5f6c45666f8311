// Running the survey: one run is the network's schedule (nuv's by default) for one coefficient
// set and one seed, and the runs of a survey are shared out over worker processes, or run in
// this one, and handed back in order to a RunSink.
#ifndef NUV_SURVEY_RUNS_H
#define NUV_SURVEY_RUNS_H

#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

#include "plan.h"
#include "result.h"
#include "state.h"
#include "tour.h"

// Run r of the survey: its coefficient set (in set_values' order) and its seed.
uint64_t run_set(const Plan &plan, uint64_t r);
uint32_t run_seed(const Plan &plan, uint64_t r);

// The worker processes of a survey, each with the read end of its pipe; none runs the survey in
// this process.
struct Workers {
  std::vector<pid_t> pid;
  std::vector<int> fd;
};

// How a stopping signal (TERM, INT or HUP) ends a survey. Each kills the survey's workers at once.
// STOP_TOOL: HUP then ends this process as the signal would; INT or TERM stop run_survey after the
// block under way (runs made in this process: after their batch; the same signal again ends it
// at once). STOP_SHARD: any of them ends this process as the signal would. STOP_CALLER (a caller
// that goes on after the survey, the Python module): any of them stops run_survey after the block
// under way, and again after it; one the caller ignores stays ignored.
enum Stopping { STOP_TOOL, STOP_SHARD, STOP_CALLER };

// From here on the stopping signals are taken as `how` says, until run_survey returns; then
// survey_signal() says which came, else 0, and the three have the actions they had before
// catch_signals again (the caller's: a caller hands the signal on to them). The workers die
// with this process in any case, even by SIGKILL.
void catch_signals(Stopping how);
int survey_signal();

// Starts plan.jobs workers, or as many as the system allows; none when fewer than two could
// start (one worker is no faster than this process), or plan.jobs is 1. When fewer could start
// than asked, *why says how many and the system's reason.
Workers start_workers(const Plan &plan, std::string *why);

// Given each block of run results in the survey's order (by run_survey, or read_shards from a
// merge's files); false stops the survey.
using RunSink = std::function<bool(uint64_t first_run, const RunResult *runs, uint64_t count)>;

// Runs the whole plan on the workers and reaps them. False when the sink stopped it (*error
// empty), a signal came (*error empty, survey_signal() not 0), or a worker died or failed
// (*error says which): then the sink has not had every run.
bool run_survey(const Plan &plan, Workers *workers, const RunSink &sink, std::string *error);

#endif
