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

// What `write` writes into a Text, written to out.
template <class Write>
void print_text(FILE *out, Write write) {
  const std::string text = text_written(write);
  fwrite(text.data(), 1, text.size(), out);
}

} // namespace

std::string share_text(uint64_t count, uint64_t runs) {
  return text_written([&](Text *t) { put_share(t, count, runs); });
}

Columns columns_of(const Plan &plan) {
  const bool nuv = is_nuv_network(plan.network);
  const std::string text = nuv ? "" : network_text(plan.network);
  const std::string prefix = "network: ";
  Columns columns;
  columns.c = plan.network.given.count("--C") > 0, columns.motion = !nuv;
  columns.network = nuv ? "" : csv_field(text.substr(prefix.size()));
  if (plan.methods.empty()) return columns;
  columns.motion = columns.methods = true, columns.network.clear();
  for (size_t k = 0; k < plan.methods.size(); k++)
    columns.method_network[plan.methods[k]] = csv_field(method_text(plan, k));
  return columns;
}

std::string method_text(const Plan &plan, size_t k) {
  const Network &net = plan.method_net[k];
  if (is_heuristic(net.method))
    return plan.network.name + ", " + std::to_string(net.n) + " cities, heuristic";
  NetworkOptions described = plan.network;
  described.net = net;
  const std::string prefix = "network: ";
  return network_text(described).substr(prefix.size());
}

std::string methods_line(const Plan &plan) {
  std::string line =
      "methods on " + plan.network.name + ", " + std::to_string(plan.network.net.n) + " cities";
  std::string with;
  for (const Option &row : every_option()) {
    const auto given = plan.network.given.find(row.name);
    if (given == plan.network.given.end() || std::string(row.name) == "--cities") continue;
    with += std::string(with.empty() ? "" : ", ") + (row.name + 2) + " " + given->second;
  }
  if (plan.axes.size() >= 3 && plan.axes[0].given)
    with += std::string(with.empty() ? "" : ", ") + "Acoef " + plan.axes[0].text + ", Bcoef " +
            plan.axes[1].text + ", Dcoef " + plan.axes[2].text;
  return with.empty() ? line : line + "; each with " + with;
}

std::string optimum_text(const Optimum &optimum) {
  return text_written(
      [&](Text *t) { put_optimum_line(t, optimum, tour_length(optimum.tour), length_decimals()); });
}

void print_method_head(FILE *out, const Optimum &optimum) {
  print_optimum_line(out, optimum);
  print_text(out, [&](Text *t) { put_method_head(t, optimum.exact); });
}

void print_method_row(FILE *out, Method method, const Tally &tally) {
  const std::string name = method_name(method);
  print_text(out, [&](Text *t) { put_method_row(t, name.c_str(), tally); });
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
  print_text(out, [&](Text *t) {
    if (columns.methods) put(t, "method,");
    put_csv_head(t, columns.c, columns.motion);
  });
}

std::string csv_coefficients(const Network &point, const Columns &columns) {
  double coef[4];
  coefficients_of(point, coef);
  const std::string method = columns.methods ? method_name(point.method) + "," : "";
  return method + text_written([&](Text *t) { put_csv_coefficients(t, coef, columns.c); });
}

std::string csv_run(const std::string &coefficients, uint32_t seed, const RunResult &run,
                    const Optimum &optimum, const Columns &columns, Method method) {
  const std::string &network = columns.methods ? columns.method_network[method] : columns.network;
  return coefficients + text_written([&](Text *t) {
           put_csv_run(t, seed, run, optimum.length, columns.motion, network.c_str());
         });
}

void print_csv_row(FILE *out, const Network &point, uint32_t seed, const RunResult &run,
                   const Optimum &optimum, const Columns &columns) {
  const std::string row =
      csv_run(csv_coefficients(point, columns), seed, run, optimum, columns, point.method);
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
