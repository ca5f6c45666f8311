// Aggregating a triple's runs and writing the summary, the outcome rows and the CSV rows.
#include "tally.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "args.h"

void Tally::add(const RunResult &run, const Optimum &optimum) {
  runs++;
  settled += run.settled;
  if (!run.valid()) return;
  double ratio = run.length / optimum.length;
  valid++;
  ratio_sum += ratio;
  if (std::fabs(ratio - 1.0) <= OPTIMAL_SLACK) optimal++;
  // Ties within the slack (mirror images differ only by rounding) keep the earlier run.
  if (valid == 1 || ratio < best_ratio * (1.0 - OPTIMAL_SLACK))
    best_ratio = ratio, best = canonical_tour(run.tour);
}

void wilson_interval(uint64_t count, uint64_t runs, double *low, double *high) {
  const double z = 1.959963984540054; // the normal quantile of 97.5 %
  const double n = double(runs), p = double(count) / n, zz = z * z;
  const double centre = (p + zz / (2 * n)) / (1 + zz / n);
  const double half = z / (1 + zz / n) * std::sqrt(p * (1 - p) / n + zz / (4 * n * n));
  *low = 100 * std::max(0.0, centre - half);
  *high = 100 * std::min(1.0, centre + half);
}

std::string share_text(uint64_t count, uint64_t runs) {
  double low, high, share = 100.0 * double(count) / double(runs);
  wilson_interval(count, runs, &low, &high);
  // As printed: the share and the larger distance, each to a tenth.
  const double shown = std::round(share * 10),
               far = std::round(std::max(share - low, high - share) * 10);
  const char *sign = shown - far < 0 ? "+" : shown + far > 1000 ? "\u2212" : "\u00b1";
  char text[48];
  snprintf(text, sizeof text, "%.1f %s%.1f", share, sign, far / 10);
  return text;
}

// A share's text right aligned in SHARE_WIDTH columns (each sign is one column).
static const int SHARE_WIDTH = 10;
static std::string share_column(uint64_t count, uint64_t runs) {
  const std::string text = share_text(count, runs);
  int columns = 0;
  for (unsigned char c : text) columns += (c & 0xc0) != 0x80;
  return std::string(size_t(std::max(0, SHARE_WIDTH - columns)), ' ') + text;
}

// The summary's columns, 79 wide: coefficients as typed, the shares with their intervals, the
// mean ratio of the valid runs, and the best tour with its ratio.
static const char HEAD_FORMAT[] = "%5s %5s %5s %6s %10s %10s %6s  %-17s %6s\n";
static const char ROW_FORMAT[] = "%5s %5s %5s %6llu %s %s %6s  %-17s %6s\n";

void print_summary_head(const Optimum &optimum) {
  printf("optimal tour %s, length %.6f\n", tour_text(optimum.tour).s, optimum.length);
  printf(HEAD_FORMAT, "Acoef", "Bcoef", "Dcoef", "runs", "valid %", "optimal %", "mean",
         "best tour", "ratio");
}

void print_summary_row(const double coef[3], const Tally &tally) {
  char mean[32] = "-", ratio[32] = "-";
  TourText best = {"-"};
  if (tally.valid > 0) {
    snprintf(mean, sizeof mean, "%.4f", tally.mean_ratio());
    snprintf(ratio, sizeof ratio, "%.4f", tally.best_ratio);
    best = tour_text(tally.best);
  }
  printf(ROW_FORMAT, shortest(coef[0]).c_str(), shortest(coef[1]).c_str(),
         shortest(coef[2]).c_str(), (unsigned long long)tally.runs,
         share_column(tally.valid, tally.runs).c_str(),
         share_column(tally.optimal, tally.runs).c_str(), mean, best.s, ratio);
}

void print_csv_head() {
  printf("Acoef,Bcoef,Dcoef,seed,valid,tour,length,ratio,energy,rank,outcome,settled\n");
}

void print_csv_row(const double coef[3], uint32_t seed, const RunResult &run,
                   const Optimum &optimum) {
  printf("%s,%s,%s,%u,%d,", shortest(coef[0]).c_str(), shortest(coef[1]).c_str(),
         shortest(coef[2]).c_str(), seed, run.valid() ? 1 : 0);
  if (run.valid())
    printf("%s,%.6f,%.6f,", tour_text(run.tour).s, run.length, run.length / optimum.length);
  else
    printf(",,,");
  printf("%f,", run.energy);
  if (run.valid()) printf("%d", run.rank);
  printf(",%s,%d\n", outcome_name(run.outcome), run.settled ? 1 : 0);
}

namespace {

uint32_t tour_key(const Tour &canonical) {
  uint32_t key = 0;
  for (int j = NCITY - 1; j >= 0; j--) key = key * NCITY + uint32_t(canonical.city[j]);
  return key;
}

Tour tour_of_key(uint32_t key) {
  Tour t;
  for (int j = 0; j < NCITY; j++) t.city[j] = int(key % NCITY), key /= NCITY;
  return t;
}

// One row of --tours: a tour, or a way of failing (rank 0).
struct OutcomeRow {
  Outcome outcome;
  Tour tour;
  int rank;
  double ratio;
  uint64_t runs;
  std::string text; // the tour, or "-"
};

} // namespace

void Outcomes::add(const RunResult &run) {
  runs++;
  if (run.valid())
    tours[tour_key(canonical_tour(run.tour))]++;
  else
    failed[run.outcome]++;
}

void print_outcomes_head(const Optimum &optimum, bool csv) {
  if (csv) {
    printf("Acoef,Bcoef,Dcoef,outcome,tour,rank,ratio,runs,percent\n");
    return;
  }
  printf("optimal tour %s, length %.6f\n", tour_text(optimum.tour).s, optimum.length);
  printf("%5s %5s %5s  %-7s  %-17s %5s %6s %7s %6s\n", "Acoef", "Bcoef", "Dcoef", "outcome", "tour",
         "rank", "ratio", "runs", "%");
}

void print_outcome_rows(const double coef[3], const Outcomes &outcomes, const Optimum &optimum,
                        bool csv) {
  std::vector<OutcomeRow> rows;
  for (const auto &[key, runs] : outcomes.tours) {
    const Tour t = tour_of_key(key);
    const double length = tour_length(t);
    rows.push_back(
        {OUTCOME_TOUR, t, tour_rank(length), length / optimum.length, runs, tour_text(t).s});
  }
  for (Outcome o : {OUTCOME_MISSING, OUTCOME_DOUBLED, OUTCOME_MIXED})
    if (outcomes.failed[o]) rows.push_back({o, Tour(), 0, 0.0, outcomes.failed[o], "-"});
  // Most runs first; then tours by rank, failures after them; then by text.
  std::sort(rows.begin(), rows.end(), [](const OutcomeRow &a, const OutcomeRow &b) {
    if (a.runs != b.runs) return a.runs > b.runs;
    int ra = a.rank ? a.rank : NTOUR + 1, rb = b.rank ? b.rank : NTOUR + 1;
    if (ra != rb) return ra < rb;
    return a.text < b.text;
  });
  const std::string a = shortest(coef[0]), b = shortest(coef[1]), d = shortest(coef[2]);
  for (const OutcomeRow &r : rows) {
    const double percent = 100.0 * double(r.runs) / double(outcomes.runs);
    const char *name = outcome_name(r.outcome);
    if (csv && r.rank)
      printf("%s,%s,%s,%s,%s,%d,%.6f,%llu,%.2f\n", a.c_str(), b.c_str(), d.c_str(), name,
             r.text.c_str(), r.rank, r.ratio, (unsigned long long)r.runs, percent);
    else if (csv)
      printf("%s,%s,%s,%s,,,,%llu,%.2f\n", a.c_str(), b.c_str(), d.c_str(), name,
             (unsigned long long)r.runs, percent);
    else if (r.rank)
      printf("%5s %5s %5s  %-7s  %-17s %5d %6.4f %7llu %6.1f\n", a.c_str(), b.c_str(), d.c_str(),
             name, r.text.c_str(), r.rank, r.ratio, (unsigned long long)r.runs, percent);
    else
      printf("%5s %5s %5s  %-7s  %-17s %5s %6s %7llu %6.1f\n", a.c_str(), b.c_str(), d.c_str(),
             name, "-", "-", "-", (unsigned long long)r.runs, percent);
  }
}
