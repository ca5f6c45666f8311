// nuv-trace: one run of the nuv network, cycle by cycle: the energy and its three terms, the
// function L that never rises, the units on and the tour as it forms, as a table, a CSV or a
// picture. main reads as the tool's steps; the run is in run.cpp, the text in report.cpp.
#include <cstdio>
#include <string>
#include <vector>

#include "args.h"
#include "file.h"
#include "film.h"
#include "report.h"
#include "stream.h"
#include "trace.h"

static const char USAGE[] =
    "Usage: nuv-trace [--wide | --csv] [--svg FILE] Acoef Bcoef Dcoef seed\n"
    "Runs the nuv network as nuv does and measures every cycle: the energy E and its\n"
    "row, column and tour-length terms, the function L that no update raises, the\n"
    "units on, the largest change, the outcome and the tour, its ratio and rank.\n"
    "  Acoef Bcoef Dcoef   finite numbers\n"
    "  seed                a number, read as nuv reads it (-1 is 4294967295)\n"
    "  --wide              every column: the sweeps, the terms, the tour's length\n"
    "  --csv               every column as CSV, in full precision\n"
    "  --svg FILE          also draw the run: the film of its states, curves, tour\n"
    "  --version           the version\n";

struct Options {
  double coef[3];
  Seed seed;
  bool csv = false, wide = false;
  std::string svg;
};

enum Read { READ_OK, READ_HELP, READ_VERSION, READ_BAD };

// Options anywhere among the four numbers; "--" ends the options.
static Read read_options(int argc, char **argv, Options *o, std::string *error) {
  static const char *const NAME[3] = {"Acoef", "Bcoef", "Dcoef"};
  std::vector<std::string> number;
  bool options = true, svg_given = false;
  for (int a = 1; a < argc && error->empty(); a++) {
    std::string arg = argv[a];
    if (!options || !is_option(arg))
      number.push_back(arg);
    else if (arg == "--help" || arg == "-h")
      return READ_HELP;
    else if (arg == "--version")
      return READ_VERSION;
    else if (arg == "--")
      options = false;
    else if (arg == "--csv")
      o->csv = true;
    else if (arg == "--wide")
      o->wide = true;
    else if (arg.rfind("--svg=", 0) == 0)
      o->svg = arg.substr(6), svg_given = true;
    else if (arg == "--svg" && a + 1 < argc)
      o->svg = argv[++a], svg_given = true;
    else
      *error = arg == "--svg" ? "--svg needs a value" : "unknown option " + quoted(arg);
  }
  if (error->empty() && number.size() != 4)
    *error = number.size() < 4
                 ? "missing " + std::string(number.size() < 3 ? NAME[number.size()] : "seed")
                 : "unexpected argument " + quoted(number[4]);
  for (int c = 0; c < 3 && error->empty(); c++)
    if (!read_number(number[size_t(c)], &o->coef[c]))
      *error = std::string(NAME[c]) + " " + quoted(number[size_t(c)]) + " is not a finite number";
  if (error->empty() && !read_seed(number[3], &o->seed.value))
    *error = "seed " + quoted(number[3]) + " is not a number";
  if (error->empty()) o->seed.text = number[3];
  if (error->empty() && svg_given && o->svg.empty()) *error = "--svg needs a file name";
  return error->empty() ? READ_OK : READ_BAD;
}

int main(int argc, char **argv) {
  start_output("nuv-trace");

  // 1. The command line, all of it checked before the run.
  Options o;
  std::string error;
  switch (read_options(argc, argv, &o, &error)) {
  case READ_HELP:
    fputs(USAGE, stdout);
    return stdout_ok(&error) ? 0 : report(1, error);
  case READ_VERSION:
    puts("nuv-trace " NUV_VERSION);
    return stdout_ok(&error) ? 0 : report(1, error);
  case READ_BAD:
    return report(2, error + " (see nuv-trace --help)");
  case READ_OK:
    break;
  }
  if (!o.svg.empty() && !check_writable(o.svg, &error)) return report(1, error);

  // 2. The run, every cycle measured.
  static Cycle cycles[NSWEEP];
  trace_run(o.coef, o.seed.value, cycles);

  // 3. The rows, and the picture.
  if (o.csv)
    print_trace_csv(cycles);
  else
    print_trace_table(o.coef, o.seed, cycles, o.wide);
  if (!stdout_ok(&error)) return report(1, error);
  const std::string made_by = "nuv-trace " NUV_VERSION ": " + command_line(argc, argv);
  if (!o.svg.empty() &&
      !write_whole(o.svg, trace_svg(o.coef, o.seed.value, cycles, made_by), &error))
    return report(1, error);
  return 0;
}
