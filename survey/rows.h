// The survey's rows, to the stream the caller passes: per coefficient set, a summary row of its
// runs' Tally, or a row per distinct outcome; per run, a CSV row. Each row is text/rows.h's,
// which the page writes too. Start at print_summary_head.
#ifndef NUV_SURVEY_ROWS_H
#define NUV_SURVEY_ROWS_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <unordered_map>

#include "optimum.h"
#include "runs.h"

// "76.6 ±2.7": share_of's share and distance, each to a tenth, with its sign.
std::string share_text(uint64_t count, uint64_t runs);

// What the rows show besides nuv's columns: C, when it was chosen, and for any network but
// nuv's the motion and, in a CSV's last column, the network's description as a CSV field. With
// --methods, a CSV's first column is the method, its last each method's description.
struct Columns {
  bool c, motion;
  std::string network; // network_text without "network: ", quoted by csv_field; "" for nuv's
  bool methods = false;
  std::string method_network[METHOD_OROPT + 1]; // by Method: its description as a CSV field
};
Columns columns_of(const Plan &plan);

// With --methods, method k's description: "eil51, 51 cities, rule euler, 1000 sweeps" as
// network_text says its record (the options given included), a heuristic's "eil51, 51 cities,
// heuristic"; and the line above the rows: "methods on eil51, 51 cities; each with ...".
std::string method_text(const Plan &plan, size_t k);
std::string methods_line(const Plan &plan);

// --methods: the optimum line and the header, then a row for each method.
void print_method_head(FILE *out, const Optimum &optimum);
void print_method_row(FILE *out, Method method, const Tally &tally);

// The optimum line's text, without its newline.
std::string optimum_text(const Optimum &optimum);

// The line that says what every ratio is to: "optimal tour T, length L", or the best known.
void print_optimum_line(FILE *out, const Optimum &optimum);

// The summary: the optimum line and the column header, then a row for each coefficient set, each
// share with the larger distance from it to the ends of its interval.
void print_summary_head(FILE *out, const Optimum &optimum, Columns columns);
void print_summary_row(FILE *out, const Network &point, const Tally &tally, Columns columns);

// CSV: the header, then a row for each run. A row is its coefficients' fields (shortest texts,
// worth keeping for a coefficient set's runs; with --methods the method's name first) and the
// run's (with --methods, method's description last); each text ends with its separator.
void print_csv_head(FILE *out, const Columns &columns);
std::string csv_coefficients(const Network &point, const Columns &columns);
std::string csv_run(const std::string &coefficients, uint32_t seed, const RunResult &run,
                    const Optimum &optimum, const Columns &columns, Method method);
void print_csv_row(FILE *out, const Network &point, uint32_t seed, const RunResult &run,
                   const Optimum &optimum, const Columns &columns);

// The distinct outcomes of one coefficient set's runs: each tour found, in canonical form, and each
// way of failing, with their runs. At most one entry per distinct tour, whatever the runs.
struct Outcomes {
  struct Found {
    Tour tour; // canonical
    uint64_t runs;
  };
  std::unordered_map<std::string, Found> tours; // by the canonical tour's text
  uint64_t failed[4] = {0, 0, 0, 0};            // runs by outcome; failed[OUTCOME_TOUR] is 0
  uint64_t runs = 0;

  void add(const RunResult &run);
};

// --tours: a row per distinct outcome of each coefficient set, in outcome_precedes's order (most
// common first; among as many runs, tours before failures, tours by rank or length, then by text;
// failures by Outcome); as a table after the optimum line, or as CSV.
void print_outcomes_head(FILE *out, const Optimum &optimum, bool csv, Columns columns);
void print_outcome_rows(FILE *out, const Network &point, const Outcomes &outcomes,
                        const Optimum &optimum, bool csv, Columns columns);

#endif
