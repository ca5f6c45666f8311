// nuv-trace's text: the run's title, the line saying why its state stopped being finite, and a
// row per cycle of the network's run, in an aligned table (80 columns, or --wide's every column,
// with the motion for a network other than nuv's) or as CSV. Start at print_table_head.
#include "rows.h"

#include <cstdio>
#include <vector>

#include "args.h"
#include "svg.h"
#include "text.h"
#include "tool_rows.h"

std::string run_title(const std::string &command, const double coef[3], const Seed &seed) {
  const std::string used = std::to_string(seed.value);
  return command + " " + shortest(coef[0]) + " " + shortest(coef[1]) + " " + shortest(coef[2]) +
         " " + seed.text + (seed.text == used ? "" : " (seed " + used + ")");
}

std::string stop_text(int c) {
  char text[160]; // two shortest texts of at most 24 bytes and 80 of words
  Text t = text_in(text, sizeof text);
  put_stop_text(&t, c, sweeps_at(c), euler_step_too_long(), network.dt, network.tau);
  return std::string(text, t.size);
}

void print_tables(const Cycle &y) {
  // Each of n rows is at most 7 n + 8 bytes, as are the two heading lines, and the energy line
  // is at most 330.
  std::vector<char> text(size_t(network.n + 2) * size_t(7 * network.n + 8) + 400);
  Text t = text_in(text.data(), text.size());
  put_state_table(&t, y.cycle, unitout, network.n);
  if (y.cycle > 0) put_energy_line(&t, y.e);
  fwrite(text.data(), 1, t.size, stdout);
}

void print_table_head(const std::string &title, bool wide, bool motion) {
  printf("%s: cycle c is after c + 1 sweeps, 0 the start\n", title.c_str());
  if (wide)
    printf("%5s %6s %10s %9s %9s %9s %9s %2s %6s %-7s%s %7s %6s %5s %s\n", "cycle", "sweeps", "E",
           "EA", "EB", "ED", "L", "on", "change", "outcome", motion ? " motion " : "", "length",
           "ratio", "rank", "tour");
  else
    printf("%5s %10s %9s %2s %6s %-7s%s %6s %5s %s\n", "cycle", "E", "L", "on", "change", "outcome",
           motion ? " motion " : "", "ratio", "rank", "tour");
}

void print_table_row(const Cycle &y, bool wide, bool motion) {
  const bool tour = y.outcome == OUTCOME_TOUR;
  if (wide)
    printf("%5d %6d %10f %9.4f %9.4f %9.4f %9.4f %2d %6.4f %-7s ", y.cycle, y.sweeps, y.e,
           y.terms.row, y.terms.column, y.terms.tour, y.l, y.on, y.change, outcome_name(y.outcome));
  else
    printf("%5d %10f %9.4f %2d %6.4f %-7s ", y.cycle, y.e, y.l, y.on, y.change,
           outcome_name(y.outcome));
  if (motion) printf("%-7s ", y.moved ? motion_name(y.motion) : "-");
  if (wide) printf("%7s ", tour ? fmt("%.4f", y.length).c_str() : "-");
  const std::string rank = tour && y.rank ? std::to_string(y.rank) : "-";
  if (tour)
    printf("%6.4f %5s %s\n", y.ratio, rank.c_str(), tour_text(y.tour).s);
  else
    printf("%6s %5s %s\n", "-", "-", "-");
}

void print_csv_head(bool family_columns) {
  printf("cycle,sweeps,E,EA,EB,ED,%sL,on,change,outcome,tour,length,ratio,rank%s\n",
         family_columns ? "EC," : "", family_columns ? ",motion,network" : "");
}

void print_csv_row(const Cycle &y, bool family_columns, const std::string &network) {
  printf("%d,%d,%.17g,%.17g,%.17g,%.17g,", y.cycle, y.sweeps, y.e, y.terms.row, y.terms.column,
         y.terms.tour);
  if (family_columns) printf("%.17g,", y.terms.global);
  printf("%.17g,%d,", y.l, y.on);
  if (y.cycle > 0) printf("%.17g", y.change);
  printf(",%s,", outcome_name(y.outcome));
  if (y.outcome == OUTCOME_TOUR) {
    printf("%s,%.17g,%.17g,", tour_text(y.tour).s, y.length, y.ratio);
    if (y.rank) printf("%d", y.rank);
  } else {
    printf(",,,");
  }
  if (family_columns) printf(",%s,%s", y.moved ? motion_name(y.motion) : "", network.c_str());
  printf("\n");
}
