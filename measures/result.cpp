// A run's end measured, and runs added up. Start at measure_end.
#include "result.h"

#include <math.h>
#include <string.h>

#include "schedule.h"

RunResult measure_end(const Network &net, const double state[][MAXCITY],
                      const double before[][MAXCITY], const double before2[][MAXCITY]) {
  RunResult r;
  memset(&r, 0, sizeof r); // every byte set: results travel through pipes whole
  EnergyTerms terms;
  r.energy = energy_terms(net, state, &terms);
  r.outcome = outcome_of(state);
  r.motion = motion_of(before2, before, state);
  r.settled = r.motion == MOTION_SETTLED;
  if (decode_tour(state, &r.tour)) {
    r.length = tour_length(r.tour);
    r.rank = tour_rank(r.length);
  }
  return r;
}

RunResult measured_run(const Network &net, unsigned seed, void (*after_sweep)(void)) {
  static Recent recent;
  start_run(net, seed);
  recent_start(&recent);
  run_cycles(
      [after_sweep]() {
        recent_sweeping(&recent);
        update_state();
        if (after_sweep) after_sweep();
      },
      [](int) {});
  return measure_end(net, unitout, recent_back(recent, 1), recent_back(recent, 2));
}

void Tally::add(const RunResult &run, const Optimum &optimum) {
  runs++;
  settled += run.settled;
  if (!run.valid()) return;
  double ratio = run.length / optimum.length;
  valid++;
  ratio_sum += ratio;
  if (fabs(ratio - 1.0) <= OPTIMAL_SLACK) optimal++;
  // Ties within the slack (mirror images differ only by rounding) keep the earlier run.
  if (valid == 1 || ratio < best_ratio * (1.0 - OPTIMAL_SLACK))
    best_ratio = ratio, best = canonical_tour(run.tour);
}

Share share_of(uint64_t count, uint64_t runs) {
  double low, high;
  const double share = 100.0 * double(count) / double(runs);
  wilson_interval(count, runs, &low, &high);
  // As printed: the share and the larger distance, each to a tenth.
  const double shown = round(share * 10), below = share - low, above = high - share;
  const double far = round((below < above ? above : below) * 10);
  return {share, far / 10, shown - far < 0 ? 1 : shown + far > 1000 ? -1 : 0};
}

void wilson_interval(uint64_t count, uint64_t runs, double *low, double *high) {
  const double z = 1.959963984540054; // the normal quantile of 97.5 %
  const double n = double(runs), p = double(count) / n, zz = z * z;
  const double centre = (p + zz / (2 * n)) / (1 + zz / n);
  const double half = z / (1 + zz / n) * sqrt(p * (1 - p) / n + zz / (4 * n * n));
  const double from = centre - half, to = centre + half;
  *low = 100 * (0.0 < from ? from : 0.0); // the ends clamped to 0 ... 1 as a share
  *high = 100 * (to < 1.0 ? to : 1.0);
}
