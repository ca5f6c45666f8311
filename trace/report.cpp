// nuv-trace's text: an aligned table (80 columns, or every column) and a CSV, one row per cycle
// of nuv's run.
#include "report.h"

#include <cstdio>

#include "args.h"
#include "svg.h"

void print_trace_table(const double coef[3], const Seed &seed, const Cycle cycles[NSWEEP],
                       bool wide) {
  const std::string used = std::to_string(seed.value);
  printf("nuv %s %s %s %s%s: cycle c is after c + 1 sweeps, 0 the start\n",
         shortest(coef[0]).c_str(), shortest(coef[1]).c_str(), shortest(coef[2]).c_str(),
         seed.text.c_str(), seed.text == used ? "" : (" (seed " + used + ")").c_str());
  if (wide)
    printf("%5s %6s %10s %9s %9s %9s %9s %2s %6s %-7s %7s %6s %5s %s\n", "cycle", "sweeps", "E",
           "EA", "EB", "ED", "L", "on", "change", "outcome", "length", "ratio", "rank", "tour");
  else
    printf("%5s %10s %9s %2s %6s %-7s %6s %5s %s\n", "cycle", "E", "L", "on", "change", "outcome",
           "ratio", "rank", "tour");
  for (int c = 0; c < NSWEEP; c++) {
    const Cycle &y = cycles[c];
    const bool tour = y.outcome == OUTCOME_TOUR;
    if (wide)
      printf("%5d %6d %10f %9.4f %9.4f %9.4f %9.4f %2d %6.4f %-7s %7s ", y.cycle, y.sweeps, y.e,
             y.term[0], y.term[1], y.term[2], y.l, y.on, y.change, outcome_name(y.outcome),
             tour ? fmt("%.4f", y.length).c_str() : "-");
    else
      printf("%5d %10f %9.4f %2d %6.4f %-7s ", y.cycle, y.e, y.l, y.on, y.change,
             outcome_name(y.outcome));
    if (tour)
      printf("%6.4f %5d %s\n", y.ratio, y.rank, tour_text(y.tour).s);
    else
      printf("%6s %5s %s\n", "-", "-", "-");
  }
}

void print_trace_csv(const Cycle cycles[NSWEEP]) {
  printf("cycle,sweeps,E,EA,EB,ED,L,on,change,outcome,tour,length,ratio,rank\n");
  for (int c = 0; c < NSWEEP; c++) {
    const Cycle &y = cycles[c];
    printf("%d,%d,%.17g,%.17g,%.17g,%.17g,%.17g,%d,", y.cycle, y.sweeps, y.e, y.term[0], y.term[1],
           y.term[2], y.l, y.on);
    if (c > 0) printf("%.17g", y.change);
    printf(",%s,", outcome_name(y.outcome));
    if (y.outcome == OUTCOME_TOUR)
      printf("%s,%.17g,%.17g,%d\n", tour_text(y.tour).s, y.length, y.ratio, y.rank);
    else
      printf(",,,\n");
  }
}
