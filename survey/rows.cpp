// The survey's rows, each written by text/tool_rows.cpp into a buffer and then to the caller's
// stream: the summary's of each coefficient set's Tally, the outcome rows and the CSV rows, each
// with its head. Start at print_summary_row.
#include "rows.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "args.h"
#include "svg.h"
#include "text.h"
#include "tool_rows.h"

namespace {

// The text `write` writes into a Text, whole however long: a row's buffer, or one as large as
// the row turned out to need.
template <class Write>
std::string text_of(Write write) {
  char row[1024];
  Text t = text_in(row, sizeof row);
  write(&t);
  if (t.size < sizeof row) return std::string(row, t.size);
  std::vector<char> longer(t.size + 1);
  t = text_in(longer.data(), longer.size());
  write(&t);
  return std::string(longer.data(), t.size);
}

// The same, written to out.
template <class Write>
void print_text(FILE *out, Write write) {
  const std::string text = text_of(write);
  fwrite(text.data(), 1, text.size(), out);
}

} // namespace

std::string share_text(uint64_t count, uint64_t runs) {
  return text_of([&](Text *t) { put_share(t, count, runs); });
}

Columns columns_of(const Plan &plan) {
  const bool nuv = is_nuv_network(plan.network);
  const std::string text = nuv ? "" : network_text(plan.network);
  const std::string prefix = "network: ";
  return {plan.network.given.count("--C") > 0, !nuv,
          nuv ? "" : csv_field(text.substr(prefix.size()))};
}

void print_optimum_line(FILE *out, const Optimum &optimum) {
  print_text(out, [&](Text *t) {
    put_optimum_line(t, optimum, tour_length(optimum.tour), length_decimals());
    put_char(t, '\n');
  });
}

void print_summary_head(FILE *out, const Optimum &optimum, Columns columns) {
  print_optimum_line(out, optimum);
  print_text(out, [&](Text *t) { put_summary_head(t, optimum.exact, columns.c); });
}

// A grid point's coefficients as the text layer takes them: Acoef, Bcoef, Dcoef and C.
static void coefficients_of(const Network &point, double coef[4]) {
  coef[0] = point.a, coef[1] = point.b, coef[2] = point.d, coef[3] = point.c;
}

void print_summary_row(FILE *out, const Network &point, const Tally &tally, Columns columns) {
  double coef[4];
  coefficients_of(point, coef);
  print_text(out, [&](Text *t) { put_summary_row(t, coef, tally, columns.c); });
}

void print_csv_head(FILE *out, const Columns &columns) {
  print_text(out, [&](Text *t) { put_csv_head(t, columns.c, columns.motion); });
}

std::string csv_coefficients(const Network &point, const Columns &columns) {
  double coef[4];
  coefficients_of(point, coef);
  return text_of([&](Text *t) { put_csv_coefficients(t, coef, columns.c); });
}

std::string csv_run(const std::string &coefficients, uint32_t seed, const RunResult &run,
                    const Optimum &optimum, const Columns &columns) {
  return coefficients + text_of([&](Text *t) {
           put_csv_run(t, seed, run, optimum.length, columns.motion, columns.network.c_str());
         });
}

void print_csv_row(FILE *out, const Network &point, uint32_t seed, const RunResult &run,
                   const Optimum &optimum, const Columns &columns) {
  const std::string row = csv_run(csv_coefficients(point, columns), seed, run, optimum, columns);
  fwrite(row.data(), 1, row.size(), out);
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

void print_outcomes_head(FILE *out, const Optimum &optimum, bool csv, Columns columns) {
  if (!csv) print_optimum_line(out, optimum);
  print_text(out, [&](Text *t) { put_outcomes_head(t, csv, columns.c, columns.motion); });
}

void print_outcome_rows(FILE *out, const Network &point, const Outcomes &outcomes,
                        const Optimum &optimum, bool csv, Columns columns) {
  std::vector<OutcomeRow> rows;
  for (const auto &[text, found] : outcomes.tours) {
    const double length = tour_length(found.tour);
    rows.push_back({OUTCOME_TOUR, found.tour, length, tour_rank(length), length / optimum.length,
                    found.runs, text});
  }
  for (Outcome o : {OUTCOME_MISSING, OUTCOME_DOUBLED, OUTCOME_MIXED})
    if (outcomes.failed[o]) rows.push_back({o, Tour(), 0.0, 0, 0.0, outcomes.failed[o], "-"});
  // In the order outcome_precedes gives (text/tool_rows.h), which the page's rows follow too.
  const auto key = [](const OutcomeRow &r) {
    return OutcomeKey{r.outcome, r.runs, r.rank, r.length, r.text.c_str()};
  };
  std::sort(rows.begin(), rows.end(), [&](const OutcomeRow &a, const OutcomeRow &b) {
    return outcome_precedes(key(a), key(b));
  });
  double coef[4];
  coefficients_of(point, coef);
  for (const OutcomeRow &r : rows)
    print_text(out, [&](Text *t) {
      put_outcome_row(t, coef, r.outcome, r.text.c_str(), r.rank, r.ratio, r.runs, outcomes.runs,
                      csv, columns.c, columns.motion, columns.network.c_str());
    });
}
