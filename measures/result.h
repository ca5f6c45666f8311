// What a run leaves at its end, and the aggregates of many runs of one network: the measures a
// survey is made of, plain enough for WebAssembly. Start at measure_end; Tally adds runs up.
#ifndef NUV_MEASURES_RESULT_H
#define NUV_MEASURES_RESULT_H

#include <stdint.h>

#include "optimum.h"
#include "state.h"

// What one run leaves: its final energy, outcome and motion, and for a valid tour the tour, its
// length and its rank.
struct RunResult {
  double energy;
  Outcome outcome;
  Motion motion;
  bool settled;  // motion is MOTION_SETTLED
  Tour tour;     // when valid
  double length; // 0 when not valid
  int rank;      // 0 when not valid, or when tours are not ranked

  bool valid() const { return outcome == OUTCOME_TOUR; }
};

// The final state of a run of net measured and decoded; before and before2 are its states one
// and two sweeps before the end.
RunResult measure_end(const Network &net, const double state[][MAXCITY],
                      const double before[][MAXCITY], const double before2[][MAXCITY]);

// The run of net for seed (start_run sets the model up for it), measured at its end by
// measure_end, with the states a batch's lanes keep: one and two sweeps before the end (with one
// sweep, the start for both). after_sweep, when given, is called after each sweep.
RunResult measured_run(const Network &net, unsigned seed, void (*after_sweep)(void) = nullptr);

// The aggregates of one network's runs; they do not grow with the runs.
struct Tally {
  uint64_t runs = 0, valid = 0, optimal = 0, settled = 0;
  double ratio_sum = 0.0;  // over the valid runs
  double best_ratio = 0.0; // of best, when valid > 0
  Tour best;               // canonical: the first run of the lowest ratio, within the slack

  void add(const RunResult &run, const Optimum &optimum);
  double valid_percent() const { return percent(valid); }
  double optimal_percent() const { return percent(optimal); }
  double settled_percent() const { return percent(settled); }
  double mean_ratio() const { return ratio_sum / double(valid); } // when valid > 0
  double percent(uint64_t count) const { return runs ? 100.0 * double(count) / double(runs) : 0.0; }
};

// The 95 % Wilson score interval of a share of count in runs, in percent: *low ... *high.
void wilson_interval(uint64_t count, uint64_t runs, double *low, double *high);

// A share of count in runs (runs > 0) as the tools print it, "76.6 ±2.7": the share in percent,
// the larger distance from it to its interval's ends rounded to a tenth, and which way that
// reads: lean 1 ("+d") when the share less d would fall under 0, so that the interval reaches d
// above it and less far below; -1 ("−d") near 100; 0 ("±d") otherwise. Never a text that
// reads as leaving 0 ... 100.
struct Share {
  double percent, far;
  int lean;
};
Share share_of(uint64_t count, uint64_t runs);

#endif
