// Running the survey: one run is nuv's schedule for one seed, and the runs of a survey are
// shared out over worker processes and handed back in order.
#ifndef NUV_SURVEY_RUNS_H
#define NUV_SURVEY_RUNS_H

#include <cstdint>
#include <functional>
#include <string>

#include "plan.h"
#include "tour.h"

// What one run leaves: its final energy and, if it is one, its tour and the tour's length.
struct RunResult {
  double energy;
  Tour tour;
  bool valid;
  double length; // 0 when not valid
};

// Sets the model's coefficients for the runs that follow.
void set_coefficients(const double value[3]);

// Seeds, sets up and sweeps the network as nuv does, then measures and decodes the final state:
// the state of nuv's cycle-49 table.
RunResult run_one(uint32_t seed);

// Called for every run, in triple order and seeds ascending within a triple.
using RunSink = std::function<void(uint64_t triple, uint32_t seed, const RunResult &)>;

// Runs the whole plan on plan.jobs workers. False with *error when a worker died or failed:
// then the runs handed to the sink are not the whole survey.
bool run_survey(const Plan &plan, const RunSink &sink, std::string *error);

#endif
