// Aggregating a triple's runs and writing the summary and CSV rows.
#include "tally.h"

#include <cmath>
#include <cstdio>

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

void print_summary_head(const Optimum &optimum) {
  printf("optimal tour %s, length %.6f\n", tour_text(optimum.tour).c_str(), optimum.length);
  printf("%8s %8s %8s %8s %8s %9s %10s  %-17s %8s\n", "Acoef", "Bcoef", "Dcoef", "runs", "valid %",
         "optimal %", "mean ratio", "best tour", "ratio");
}

void print_summary_row(const double coef[3], const Tally &tally) {
  char mean[32] = "-", ratio[32] = "-";
  std::string best = "-";
  if (tally.valid > 0) {
    snprintf(mean, sizeof mean, "%.4f", tally.ratio_sum / double(tally.valid));
    snprintf(ratio, sizeof ratio, "%.4f", tally.best_ratio);
    best = tour_text(tally.best);
  }
  printf("%8g %8g %8g %8llu %8.1f %9.1f %10s  %-17s %8s\n", coef[0], coef[1], coef[2],
         (unsigned long long)tally.runs, tally.valid_percent(), tally.optimal_percent(), mean,
         best.c_str(), ratio);
}

void print_csv_head() {
  printf("Acoef,Bcoef,Dcoef,seed,valid,tour,length,ratio,energy\n");
}

void print_csv_row(const double coef[3], uint32_t seed, const RunResult &run,
                   const Optimum &optimum) {
  printf("%g,%g,%g,%u,%d,", coef[0], coef[1], coef[2], seed, run.valid ? 1 : 0);
  if (run.valid) {
    printf("%s,%.6f,%.6f,", tour_text(run.tour).c_str(), run.length, run.length / optimum.length);
  } else {
    printf(",,,");
  }
  printf("%f\n", run.energy);
}
