// What the survey writes: per coefficient triple, running aggregates and a summary row; per
// run, a CSV row.
#ifndef NUV_SURVEY_TALLY_H
#define NUV_SURVEY_TALLY_H

#include <cstdint>

#include "runs.h"
#include "tour.h"

// The aggregates of one triple's runs; they do not grow with the runs.
struct Tally {
  uint64_t runs = 0, valid = 0, optimal = 0;
  double ratio_sum = 0.0;  // over the valid runs
  double best_ratio = 0.0; // of best, when valid > 0
  Tour best;               // canonical: the first run of the lowest ratio, within the slack

  void add(const RunResult &run, const Optimum &optimum);
  double valid_percent() const { return runs ? 100.0 * double(valid) / double(runs) : 0.0; }
  double optimal_percent() const { return runs ? 100.0 * double(optimal) / double(runs) : 0.0; }
};

// The summary: the optimum line and the column header, then a row for each triple.
void print_summary_head(const Optimum &optimum);
void print_summary_row(const double coef[3], const Tally &tally);

// CSV: the header, then a row for each run.
void print_csv_head();
void print_csv_row(const double coef[3], uint32_t seed, const RunResult &run,
                   const Optimum &optimum);

#endif
