// One run of a network of the family, measured cycle by cycle: the rows nuv-trace prints and
// draws. trace_network is plain C++ with nothing allocated, so it builds for WebAssembly too;
// the text and the picture of a trace are in rows.cpp and film.cpp.
#ifndef NUV_TRACE_TRACE_H
#define NUV_TRACE_TRACE_H

#include <stdint.h>
#include <string.h>

#include "network.h"
#include "optimum.h"
#include "schedule.h"
#include "state.h"

// The measures of one cycle's state. Cycle 0 is the start; cycle c >= 1 is the state after
// c + 1 sweeps.
struct Cycle {
  int cycle, sweeps;
  double term[4]; // the energy's row, column, tour-length and global terms
  double e, l;    // the energy as nuv prints it, and L
  int on;
  double change; // the largest change of a unit since the cycle before; 0 for cycle 0
  Outcome outcome;
  bool moved;           // whether motion is known: from cycle 2 on
  Motion motion;        // against the states one and two sweeps before
  Tour tour;            // when outcome is OUTCOME_TOUR, in position order
  double length, ratio; // of the tour in the instance's own units, and to the optimum
  int rank;             // among all distinct tours, or 0 when they are not ranked
};

// Measures the model's current state as cycle c, after `sweeps` sweeps: `before` is the state of
// the cycle before (null for cycle 0), one and two the states one and two sweeps before (null
// where there are none).
void measure_cycle(int c, int sweeps, const double before[][MAXCITY], const double one[][MAXCITY],
                   const double two[][MAXCITY], Cycle *out);

// The states after the last three sweeps, by sweep count.
extern double recent[3][MAXCITY][MAXCITY];

// Whether the member's Euler step is past the stability bound of the update's linear part
// (dt >= 2 tau): the reason a run under it stops being finite. False under the other rules.
bool euler_step_too_long();

// The run for coef and seed of the network the model is set up for, each cycle measured and
// handed to at_cycle(cycle) as it is reached (the model's state is that cycle's then). Returns
// -1, or the first cycle whose state or energy is not finite: the run stops there, that cycle
// not handed on.
template <typename AtCycle>
int trace_network(const double coef[3], uint32_t seed, AtCycle at_cycle) {
  int swept = 0, stopped = -1;
  auto keep = [&]() {
    for (int i = 0; i < family.n; i++)
      memcpy(recent[swept % 3][i], unitout[i], sizeof(double) * size_t(family.n));
  };
  auto sweep = [&]() {
    if (stopped >= 0) return; // the rest of the run is not swept
    update_state();
    swept++;
    keep();
  };
  Cycle y;
  start_run(coef, seed);
  keep();
  run_cycles(sweep, [&](int c) {
    if (stopped >= 0) return;
    const double(*before)[MAXCITY] = c == 0 ? nullptr : recent[(swept - (c == 1 ? 2 : 1)) % 3];
    measure_cycle(c, sweeps_at(c), before, c >= 2 ? recent[(swept - 1) % 3] : nullptr,
                  c >= 2 ? recent[(swept - 2) % 3] : nullptr, &y);
    if (!state_finite(unitout) || !(y.e - y.e == 0)) {
      stopped = c;
      return;
    }
    at_cycle(y);
  });
  return stopped;
}

#endif
