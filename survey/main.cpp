// nuv-survey: runs the nuv network over many seeds and coefficient triples, decodes the final
// states and rates their tours against the optimum. main reads as the survey's steps; the runs
// and workers are in runs.cpp, the rows in tally.cpp, the pictures in svg.cpp.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plan.h"
#include "runs.h"
#include "svg.h"
#include "tally.h"
#include "tour.h"

// The one place errors are reported: a line on stderr, and the status to exit with.
static int fail(int status, const std::string &message) {
  fprintf(stderr, "nuv-survey: %s\n", message.c_str());
  return status;
}

// The exit status once everything is written: 0, or 1 if standard output failed.
static int finish_output() {
  if (fflush(stdout) == 0 && !ferror(stdout)) return 0;
  return fail(1, std::string("cannot write standard output: ") + strerror(errno));
}

int main(int argc, char **argv) {
  // 1. The plan: anything that cannot be read is refused before any run.
  Plan plan;
  std::string error;
  switch (read_plan(argc, argv, &plan, &error)) {
  case PLAN_HELP:
    fputs(USAGE, stdout);
    return finish_output();
  case PLAN_BAD:
    return fail(2, error + " (see nuv-survey --help)");
  case PLAN_OK:
    break;
  }

  // 2. The picture's file can be made, or nothing runs.
  if (!plan.svg.empty() && !can_create(plan.svg, &error)) return fail(1, error);

  // 3. The optimum, and the head of the output.
  const Optimum optimum = find_optimum();
  if (plan.csv)
    print_csv_head();
  else
    print_summary_head(optimum);

  // 4. The runs, as they come back in order: a CSV row each, or a summary row per triple; the
  // picture keeps each triple's tally.
  double coef[3];
  uint64_t current = UINT64_MAX;
  Tally tally;
  std::vector<Tally> tallies;
  const RunSink sink = [&](uint64_t triple, uint32_t seed, const RunResult &run) {
    if (triple != current) current = triple, triple_values(plan, triple, coef), tally = Tally();
    if (plan.csv) print_csv_row(coef, seed, run, optimum);
    tally.add(run, optimum);
    if (seed != plan.last_seed) return;
    if (!plan.csv) print_summary_row(coef, tally);
    if (!plan.svg.empty()) tallies.push_back(tally);
  };
  if (!run_survey(plan, sink, &error)) return fail(1, error);

  // 5. The picture, whole, and everything written, or a failure.
  if (!plan.svg.empty() && !write_whole(plan.svg, survey_svg(plan, tallies, optimum), &error))
    return fail(1, error);
  return finish_output();
}
