// nuv-trace: one run of a network of the family (nuv's by default), cycle by cycle: the energy
// and its terms, the function L, the units on and the tour as it forms, as a table, a CSV or a
// picture. main reads as the tool's steps; the run is trace_network (trace.h), the rows in
// rows.cpp, nuv's tables in src/report.cpp, the picture in film.cpp.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include "args.h"
#include "file.h"
#include "film.h"
#include "heuristics.h"
#include "options.h"
#include "rows.h"
#include "stream.h"
#include "svg.h"
#include "text.h"
#include "tool_rows.h"
#include "trace.h"

static const char USAGE[] =
    "Usage: nuv-trace [--wide | --csv | --tables] [--svg FILE] [NETWORK OPTIONS]\n"
    "                 Acoef Bcoef Dcoef seed\n"
    "Runs the nuv network as nuv does and measures every cycle: the energy E and its\n"
    "row, column and tour-length terms, the function L that no update raises, the\n"
    "units on, the largest change, the outcome and the tour, its ratio and rank.\n"
    "  Acoef Bcoef Dcoef   finite numbers; with --method they may be left out\n"
    "  seed                a number, read as nuv reads it (-1 is 4294967295)\n";
// Then the options' lines, from the table (options_usage).

struct Options {
  double coef[3];
  Seed seed;
  bool csv = false, wide = false, tables = false;
  std::string svg;
  NetworkOptions network;
  std::vector<std::string> network_words; // the network's options as typed, for the title
};

enum Read { READ_OK, READ_HELP, READ_VERSION, READ_BAD };

// Progress on standard error for a long run when it is a terminal: "cycle C of K" on one line
// that rewrites itself, from a second into the run, and cleared at its end.
struct Progress {
  bool terminal = isatty(STDERR_FILENO) == 1 && isatty(STDOUT_FILENO) != 1; // rows show it else
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now(), shown;
  bool showing = false;
};

// Cycle c of k reached: the line, at most ten times a second.
static void show_progress(Progress *p, int c, int k) {
  if (!p->terminal) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - p->start < std::chrono::seconds(1)) return;
  if (p->showing && now - p->shown < std::chrono::milliseconds(100)) return;
  fprintf(stderr, "\rcycle %d of %d", c, k);
  fflush(stderr);
  p->showing = true, p->shown = now;
}

// The line cleared, if there is one.
static void end_progress(Progress *p) {
  if (p->showing) fputs("\r\033[K", stderr), fflush(stderr);
  p->showing = false;
}

// READ_BAD with *error, why.
static Read bad(const std::string &why, std::string *error) {
  *error = why;
  return READ_BAD;
}

// Options anywhere among the four numbers, as the table of options reads them; the tool's own
// applied here by name.
static Read read_options(int argc, char **argv, Options *o, std::string *error) {
  static const char *const NAME[3] = {"Acoef", "Bcoef", "Dcoef"};
  CommandLine line;
  if (!read_command_line(TOOL_TRACE, argc, argv, &line, &o->network, error)) return READ_BAD;
  if (line.help) return READ_HELP;
  if (line.version) return READ_VERSION;
  for (const Given &given : line.options) {
    const std::string name = given.option->name;
    if (given.option->section == SECTION_NETWORK)
      o->network_words.insert(o->network_words.end(), {name, given.text});
    o->csv = o->csv || name == "--csv";
    o->wide = o->wide || name == "--wide";
    o->tables = o->tables || name == "--tables";
    if (name == "--svg") o->svg = given.text;
  }
  std::vector<std::string> number = line.words;
  Network &net = o->network.net; // the run's coefficients are its record's too
  if (o->network.given.count("--method") && number.size() == 1) // the method's coefficients
    number.insert(number.begin(), {shortest(net.a), shortest(net.b), shortest(net.d)});
  if (number.size() != 4)
    return bad(number.size() < 4
                   ? "missing " + std::string(number.size() < 3 ? NAME[number.size()] : "seed")
                   : "unexpected argument " + quoted(number[4]),
               error);
  for (int c = 0; c < 3; c++)
    if (!read_number(number[size_t(c)], &o->coef[c]))
      return bad(std::string(NAME[c]) + " " + quoted(number[size_t(c)]) + " is not a finite number",
                 error);
  if (!read_nuv_seed(number[3], &o->seed.value))
    return bad("seed " + quoted(number[3]) + " is not a number", error);
  o->seed.text = number[3];
  net.a = o->coef[0], net.b = o->coef[1], net.d = o->coef[2];
  if (o->tables && (o->csv || o->wide))
    return bad(std::string("--tables and ") + (o->csv ? "--csv" : "--wide") +
                   " are not taken together",
               error);
  if (is_heuristic(net.method) && (o->tables || o->csv || o->wide || !o->svg.empty()))
    return bad(std::string("a heuristic's run has no cycles: ") +
                   (o->tables ? "--tables"
                    : o->csv  ? "--csv"
                    : o->wide ? "--wide"
                              : "--svg") +
                   " is a network's",
               error);
  return READ_OK;
}

// A heuristic's run: its tour and the measures of a network's final tour, after the
// description (which names the optimum). No cycles.
static void print_heuristic(const Options &o) {
  const RunResult run = heuristic_run(o.network.net, o.seed.value);
  const Optimum optimum = find_optimum();
  const double ratio = run.length / optimum.length;
  printf("seed %s: tour %s\n", o.seed.text.c_str(), tour_text(run.tour).s);
  printf("length %.*f, ratio %.6f%s", length_decimals(), run.length, ratio,
         fabs(ratio - 1.0) <= OPTIMAL_SLACK && optimum.exact ? ", optimal" : "");
  if (run.rank > 0) printf(", rank %d of %d", run.rank, tour_count());
  printf(", energy %s\n", shortest(run.energy).c_str());
}

int main(int argc, char **argv) {
  start_output("nuv-trace");

  // 1. The command line and the network, all of it checked before the run.
  Options o;
  std::string error;
  switch (read_options(argc, argv, &o, &error)) {
  case READ_HELP:
    fputs(USAGE, stdout);
    fputs(options_usage(TOOL_TRACE).c_str(), stdout);
    return stdout_ok(&error) ? 0 : report(1, error);
  case READ_VERSION:
    puts("nuv-trace " NUV_VERSION);
    return stdout_ok(&error) ? 0 : report(1, error);
  case READ_BAD:
    return report(2, error + " (see nuv-trace --help)");
  case READ_OK:
    break;
  }
  if (!set_up_network(&o.network, &error)) return report(2, error);
  if (!o.svg.empty() && !check_writable(o.svg, &error)) return report(1, error);

  // 2. What ran, unless it is nuv's network, then the head of the rows.
  const bool family_columns = !is_nuv_network(o.network);
  std::vector<std::string> command = {"nuv-trace"};
  command.insert(command.end(), o.network_words.begin(), o.network_words.end());
  const std::string description = network_text(o.network),
                    title = run_title(family_columns ? shell_line(command) : "nuv", o.coef, o.seed);
  std::string ratios; // what the ratios are to, said by the rows but not by nuv's tables
  if (family_columns && !o.tables) {
    const Optimum optimum = find_optimum();
    ratios = "; " + text_written([&optimum](Text *t) {
               put_ratios_reference(t, optimum, tour_length(optimum.tour), length_decimals());
             });
  }
  if (!ratios.empty() && !o.csv) printf("%s%s\n", description.c_str(), ratios.c_str());
  if (is_heuristic(o.network.net.method)) {
    print_heuristic(o);
    return stdout_ok(&error) ? 0 : report(1, error);
  }
  if (o.csv)
    print_csv_head(family_columns);
  else if (!o.tables)
    print_table_head(title, o.wide, family_columns);
  // The CSV's last column: the description without its "network: ".
  const std::string network_field =
      family_columns ? csv_field(description.substr(description.find(' ') + 1) + ratios) : "";

  // 3. The run of the network set up with the coefficients and C, each cycle written as it is
  // reached and kept for the picture.
  const Network run = o.network.net;
  Film film = film_for(run.sweeps);
  Progress progress;
  const int stopped = trace_network(run, o.seed.value, [&](const Cycle &y) {
    if (o.tables) {
      print_tables(y); // the state is this cycle's: nuv's table, and its energy line
    } else if (o.csv) {
      print_csv_row(y, family_columns, network_field);
    } else {
      print_table_row(y, o.wide, family_columns);
    }
    if (!o.svg.empty()) film_add(&film, y);
    show_progress(&progress, y.cycle + 1, run.sweeps);
  });
  end_progress(&progress);
  if (!stdout_ok(&error)) return report(1, error);
  if (stopped >= 0) return report(1, stop_text(stopped)); // and no picture

  // 4. The picture.
  const std::string made_by = "nuv-trace " NUV_VERSION ": " + command_line(argc, argv) +
                              (family_columns ? "; " + description : "");
  if (!o.svg.empty() &&
      !write_whole(o.svg, trace_svg(film, title, family_columns ? description : "", made_by),
                   &error))
    return report(1, error);
  return 0;
}
