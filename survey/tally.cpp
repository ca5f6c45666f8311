// Aggregating a triple's runs and writing the summary and CSV rows.
#include "tally.h"

#include <cmath>
#include <cstdio>

#include "args.h"

void Tally::add(const RunResult &run, const Optimum &optimum) {
  runs++;
  if (!run.valid) return;
  double ratio = run.length / optimum.length;
  valid++;
  ratio_sum += ratio;
  if (std::fabs(ratio - 1.0) <= OPTIMAL_SLACK) optimal++;
  // Ties within the slack (mirror images differ only by rounding) keep the earlier run.
  if (valid == 1 || ratio < best_ratio * (1.0 - OPTIMAL_SLACK))
    best_ratio = ratio, best = canonical_tour(run.tour);
}

// The summary's columns, 78 wide: coefficients as typed, then the shares, ratios and best tour.
static const char HEAD_FORMAT[] = "%5s %5s %5s %7s %7s %7s %10s  %-17s %6s\n";
static const char ROW_FORMAT[] = "%5s %5s %5s %7llu %7.1f %7.1f %10s  %-17s %6s\n";

void print_summary_head(const Optimum &optimum) {
  printf("optimal tour %s, length %.6f\n", tour_text(optimum.tour).s, optimum.length);
  printf(HEAD_FORMAT, "Acoef", "Bcoef", "Dcoef", "runs", "valid %", "optim %", "mean ratio",
         "best tour", "ratio");
}

void print_summary_row(const double coef[3], const Tally &tally) {
  char mean[32] = "-", ratio[32] = "-";
  TourText best = {"-"};
  if (tally.valid > 0) {
    snprintf(mean, sizeof mean, "%.4f", tally.ratio_sum / double(tally.valid));
    snprintf(ratio, sizeof ratio, "%.4f", tally.best_ratio);
    best = tour_text(tally.best);
  }
  printf(ROW_FORMAT, shortest(coef[0]).c_str(), shortest(coef[1]).c_str(),
         shortest(coef[2]).c_str(), (unsigned long long)tally.runs, tally.valid_percent(),
         tally.optimal_percent(), mean, best.s, ratio);
}

void print_csv_head() {
  printf("Acoef,Bcoef,Dcoef,seed,valid,tour,length,ratio,energy\n");
}

void print_csv_row(const double coef[3], uint32_t seed, const RunResult &run,
                   const Optimum &optimum) {
  printf("%s,%s,%s,%u,%d,", shortest(coef[0]).c_str(), shortest(coef[1]).c_str(),
         shortest(coef[2]).c_str(), seed, run.valid ? 1 : 0);
  if (run.valid) {
    printf("%s,%.6f,%.6f,", tour_text(run.tour).s, run.length, run.length / optimum.length);
  } else {
    printf(",,,");
  }
  printf("%f\n", run.energy);
}
