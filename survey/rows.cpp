// The survey's rows: a summary row of each coefficient set's Tally, the outcome rows and the CSV
// rows, each with its head. Start at print_summary_head.
#include "rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "args.h"
#include "svg.h"
#include "text.h"

std::string share_text(uint64_t count, uint64_t runs) {
  const Share s = share_of(count, runs);
  const char *sign = s.lean > 0 ? "+" : s.lean < 0 ? "\u2212" : "\u00b1";
  char text[48];
  snprintf(text, sizeof text, "%.1f %s%.1f", s.percent, sign, s.far);
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

FILE *rows_out = stdout;

Columns columns_of(const Plan &plan) {
  const bool nuv = is_nuv_network(plan.network);
  const std::string text = nuv ? "" : network_text(plan.network);
  const std::string prefix = "network: ";
  return {plan.network.given.count("--C") > 0, !nuv,
          nuv ? "" : csv_field(text.substr(prefix.size()))};
}

// A tour's length: without decimals when every distance of the instance is whole (TSPLIB's),
// else to six places.
static std::string length_text(double length) {
  return fmt("%.*f", length_decimals(), length);
}

void print_optimum_line(const Optimum &optimum) {
  const double found = tour_length(optimum.tour);
  const std::string length = length_text(optimum.length), tour = tour_text(optimum.tour).s;
  if (optimum.exact && within_slack(found, optimum.length))
    fprintf(rows_out, "optimal tour %s, length %s\n", tour.c_str(), length.c_str());
  else if (optimum.exact)
    fprintf(rows_out, "optimal length %s (published); best tour known here %s, length %s\n",
            length.c_str(), tour.c_str(), length_text(found).c_str());
  else
    fprintf(rows_out,
            "best known tour %s, length %s (2-opt and Or-opt from 10 starts; ratios are to it)\n",
            tour.c_str(), length.c_str());
}

// The coefficients as typed, right aligned in the summary's columns, C only when chosen.
static std::string coefficient_columns(const Network &point, Columns columns) {
  std::string s = fmt("%5s %5s %5s", shortest(point.a).c_str(), shortest(point.b).c_str(),
                      shortest(point.d).c_str());
  return columns.c ? s + fmt(" %5s", shortest(point.c).c_str()) : s;
}

// The summary's "best tour" column: a whole tour, every one of N cities being as long, and no
// narrower than nine cities' 17.
static int tour_column() {
  Tour any;
  for (int j = 0; j < MAXCITY; j++) any.city[j] = j;
  return std::max(17, int(strlen(tour_text(any).s)));
}

void print_summary_head(const Optimum &optimum, Columns columns) {
  print_optimum_line(optimum);
  fprintf(rows_out, "%s%s %6s %10s %10s %6s  %-*s %6s\n", "Acoef Bcoef Dcoef",
          columns.c ? "     C" : "", "runs", "valid %", optimum.exact ? "optimal %" : "best %",
          "mean", tour_column(), "best tour", "ratio");
}

void print_summary_row(const Network &point, const Tally &tally, Columns columns) {
  char mean[32] = "-", ratio[32] = "-";
  std::string best = "-";
  if (tally.valid > 0) {
    snprintf(mean, sizeof mean, "%.4f", tally.mean_ratio());
    snprintf(ratio, sizeof ratio, "%.4f", tally.best_ratio);
    best = tour_text(tally.best).s;
  }
  fprintf(rows_out, "%s %6llu %s %s %6s  %-*s %6s\n", coefficient_columns(point, columns).c_str(),
          (unsigned long long)tally.runs, share_column(tally.valid, tally.runs).c_str(),
          share_column(tally.optimal, tally.runs).c_str(), mean, tour_column(), best.c_str(),
          ratio);
}

void print_csv_head(const Columns &columns) {
  fprintf(rows_out,
          "Acoef,Bcoef,Dcoef,%sseed,valid,tour,length,ratio,energy,rank,outcome,settled%s\n",
          columns.c ? "C," : "", columns.motion ? ",motion,network" : "");
}

std::string csv_coefficients(const Network &point, const Columns &columns) {
  std::string fields = shortest(point.a) + "," + shortest(point.b) + "," + shortest(point.d) + ",";
  return columns.c ? fields + shortest(point.c) + "," : fields;
}

// Appends value as format (one %f conversion) writes it; %f of any double fits 400 bytes.
static void append_number(std::string *row, const char *format, double value) {
  char text[400];
  row->append(text, size_t(snprintf(text, sizeof text, format, value)));
}

std::string csv_run(const std::string &coefficients, uint32_t seed, const RunResult &run,
                    const Optimum &optimum, const Columns &columns) {
  std::string row = coefficients + std::to_string(seed) + (run.valid() ? ",1," : ",0,");
  if (run.valid()) {
    row += tour_text(run.tour).s;
    append_number(&row, ",%.6f,", run.length);
    append_number(&row, "%.6f,", run.length / optimum.length);
  } else {
    row += ",,,";
  }
  append_number(&row, "%f,", run.energy);
  if (run.valid() && run.rank > 0) row += std::to_string(run.rank);
  row += std::string(",") + outcome_name(run.outcome) + (run.settled ? ",1" : ",0");
  if (columns.motion) row += std::string(",") + motion_name(run.motion) + "," + columns.network;
  return row + "\n";
}

void print_csv_row(const Network &point, uint32_t seed, const RunResult &run,
                   const Optimum &optimum, const Columns &columns) {
  const std::string row = csv_run(csv_coefficients(point, columns), seed, run, optimum, columns);
  fwrite(row.data(), 1, row.size(), rows_out);
}

namespace {

// One row of --tours: a tour, or a way of failing.
struct OutcomeRow {
  Outcome outcome;
  Tour tour;
  double length; // of a tour
  int rank;      // of a ranked tour, else 0
  double ratio;
  uint64_t runs;
  std::string text; // the tour, or "-"
};

} // namespace

void Outcomes::add(const RunResult &run) {
  runs++;
  if (!run.valid()) {
    failed[run.outcome]++;
    return;
  }
  const Tour c = canonical_tour(run.tour);
  Found &found = tours.try_emplace(tour_text(c).s, Found{c, 0}).first->second;
  found.runs++;
}

void print_outcomes_head(const Optimum &optimum, bool csv, Columns columns) {
  if (csv) {
    fprintf(rows_out, "Acoef,Bcoef,Dcoef,%soutcome,tour,rank,ratio,runs,percent%s\n",
            columns.c ? "C," : "", columns.motion ? ",network" : "");
    return;
  }
  print_optimum_line(optimum);
  fprintf(rows_out, "%s%s  %-7s  %-17s %5s %6s %7s %6s\n", "Acoef Bcoef Dcoef",
          columns.c ? "     C" : "", "outcome", "tour", "rank", "ratio", "runs", "%");
}

void print_outcome_rows(const Network &point, const Outcomes &outcomes, const Optimum &optimum,
                        bool csv, Columns columns) {
  std::vector<OutcomeRow> rows;
  for (const auto &[text, found] : outcomes.tours) {
    const double length = tour_length(found.tour);
    rows.push_back({OUTCOME_TOUR, found.tour, length, tour_rank(length), length / optimum.length,
                    found.runs, text});
  }
  for (Outcome o : {OUTCOME_MISSING, OUTCOME_DOUBLED, OUTCOME_MIXED})
    if (outcomes.failed[o]) rows.push_back({o, Tour(), 0.0, 0, 0.0, outcomes.failed[o], "-"});
  // Most runs first; then tours, shortest (best ranked) first, before failures; then by text.
  std::sort(rows.begin(), rows.end(), [](const OutcomeRow &a, const OutcomeRow &b) {
    if (a.runs != b.runs) return a.runs > b.runs;
    const bool ta = a.outcome == OUTCOME_TOUR, tb = b.outcome == OUTCOME_TOUR;
    if (ta != tb) return ta;
    if (ta && a.rank != b.rank) return a.rank < b.rank;
    if (ta && a.rank == 0 && a.length != b.length) return a.length < b.length;
    return a.text < b.text;
  });
  std::string names = shortest(point.a) + "," + shortest(point.b) + "," + shortest(point.d);
  if (columns.c) names += "," + shortest(point.c);
  const std::string head = coefficient_columns(point, columns);
  for (const OutcomeRow &r : rows) {
    const double percent = 100.0 * double(r.runs) / double(outcomes.runs);
    const char *name = outcome_name(r.outcome);
    const bool tour = r.outcome == OUTCOME_TOUR;
    const std::string rank = tour && r.rank ? std::to_string(r.rank) : csv ? "" : "-";
    const std::string last = columns.motion ? "," + columns.network : "";
    if (csv && tour)
      fprintf(rows_out, "%s,%s,%s,%s,%.6f,%llu,%.2f%s\n", names.c_str(), name, r.text.c_str(),
              rank.c_str(), r.ratio, (unsigned long long)r.runs, percent, last.c_str());
    else if (csv)
      fprintf(rows_out, "%s,%s,,,,%llu,%.2f%s\n", names.c_str(), name, (unsigned long long)r.runs,
              percent, last.c_str());
    else if (tour)
      fprintf(rows_out, "%s  %-7s  %-17s %5s %6.4f %7llu %6.1f\n", head.c_str(), name,
              r.text.c_str(), rank.c_str(), r.ratio, (unsigned long long)r.runs, percent);
    else
      fprintf(rows_out, "%s  %-7s  %-17s %5s %6s %7llu %6.1f\n", head.c_str(), name, "-", "-", "-",
              (unsigned long long)r.runs, percent);
  }
}
