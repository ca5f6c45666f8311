// nuv-survey: runs the nuv network over many seeds and coefficient triples, decodes the final
// states and rates their tours against the optimum. main reads as the survey's steps; the runs
// and workers are in runs.cpp, the rows in tally.cpp, the pictures in pictures.cpp.
#include <cstdio>
#include <string>
#include <vector>

#include "args.h"
#include "file.h"
#include "pictures.h"
#include "plan.h"
#include "runs.h"
#include "stream.h"
#include "tally.h"
#include "tour.h"

int main(int argc, char **argv) {
  start_output("nuv-survey");

  // 1. The plan: anything that cannot be read is refused before any run.
  Plan plan;
  std::string error;
  switch (read_plan(argc, argv, &plan, &error)) {
  case PLAN_HELP:
    fputs(USAGE, stdout);
    return stdout_ok(&error) ? 0 : report(1, error);
  case PLAN_VERSION:
    puts("nuv-survey " NUV_VERSION);
    return stdout_ok(&error) ? 0 : report(1, error);
  case PLAN_BAD:
    return report(2, error + " (see nuv-survey --help)");
  case PLAN_OK:
    break;
  }

  // 2. The network's cities, and the picture's file can be written, or nothing runs.
  if (!set_up_network(&plan.network, &error)) return report(2, error);
  if (!plan.svg.empty() && !check_writable(plan.svg, &error)) return report(1, error);

  // 3. The workers, as many as can start.
  std::string why;
  Workers workers = start_workers(plan, &why);
  if (!why.empty())
    report(0, why + "; running " +
                  (workers.pid.empty() ? "in this process"
                                       : "with " + std::to_string(workers.pid.size())));

  // 4. The optimum, and the head of the output: what network it is, unless nuv's.
  const Optimum optimum = find_optimum();
  const Columns columns = columns_of(plan);
  const std::string network = network_text(plan.network);
  if (columns.motion) printf("%s%s\n", plan.csv ? "# " : "", network.c_str());
  if (plan.tours)
    print_outcomes_head(optimum, plan.csv, columns);
  else if (plan.csv)
    print_csv_head(columns);
  else
    print_summary_head(optimum, columns);

  // 5. The runs, block by block in order: a CSV row each, or a summary row or the outcome rows
  // per triple; the picture keeps each triple's tally. Output that fails stops the survey at
  // once.
  double coef[NCOEF];
  uint64_t current = UINT64_MAX;
  Tally tally;
  Outcomes outcomes;
  std::vector<Tally> tallies;
  std::string output_error;
  const BlockSink sink = [&](uint64_t first, const RunResult *run, uint64_t count) {
    for (uint64_t k = 0; k < count; k++) {
      const uint64_t triple = run_triple(plan, first + k);
      const uint32_t seed = run_seed(plan, first + k);
      if (triple != current) {
        current = triple, triple_values(plan, triple, coef);
        tally = Tally(), outcomes = Outcomes();
      }
      if (plan.csv && !plan.tours) print_csv_row(coef, seed, run[k], optimum, columns);
      tally.add(run[k], optimum);
      if (plan.tours) outcomes.add(run[k]);
      if (seed != plan.last_seed) continue;
      if (plan.tours)
        print_outcome_rows(coef, outcomes, optimum, plan.csv, columns);
      else if (!plan.csv)
        print_summary_row(coef, tally, columns);
      if (!plan.svg.empty()) tallies.push_back(tally);
    }
    return stdout_ok(&output_error);
  };
  if (!run_survey(plan, &workers, sink, &error))
    return report(1, error.empty() ? output_error : error);

  // 6. The picture, whole, and everything written, or a failure.
  const std::string made_by = "nuv-survey " NUV_VERSION ": " + command_line(argc, argv) +
                              (columns.motion ? "; " + network : "");
  if (!plan.svg.empty() &&
      !write_whole(plan.svg, survey_svg(plan, tallies, optimum, made_by), &error))
    return report(1, error);
  return stdout_ok(&error) ? 0 : report(1, error);
}
