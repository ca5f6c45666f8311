// One run of a network of the family, measured cycle by cycle: the rows nuv-trace prints and
// draws. Start at trace_network, plain C++ with nothing allocated, so it builds for WebAssembly
// too; each cycle's record and its measuring are in cycle.h, the text and the picture of a trace
// in rows.cpp and film.cpp.
#ifndef NUV_TRACE_TRACE_H
#define NUV_TRACE_TRACE_H

#include <stdint.h>
#include <string.h>

#include "cycle.h"
#include "network.h"
#include "schedule.h"

// The traced run's states one and two sweeps back (Recent, schedule.h).
inline Recent recent;

// Whether the member's Euler step is past the stability bound of the update's linear part
// (dt >= 2 tau): the reason a run under it stops being finite. False under the other rules.
inline bool euler_step_too_long() {
  return network.rule == RULE_EULER && network.dt >= 2 * network.tau;
}

// The run of net for seed (start_run sets the model up for it), each cycle measured and handed
// to at_cycle(cycle) as it is reached (the model's state is that cycle's then). Returns -1, or
// the first cycle whose state or energy is not finite: the run stops there, that cycle not
// handed on.
template <typename AtCycle>
int trace_network(const Network &net, uint32_t seed, AtCycle at_cycle) {
  int stopped = -1;
  auto sweep = [&]() {
    if (stopped >= 0) return; // the rest of the run is not swept
    recent_sweeping(&recent);
    update_state();
  };
  Cycle y;
  start_run(net, seed);
  recent_start(&recent);
  run_cycles(sweep, [&](int c) {
    if (stopped >= 0) return;
    // The cycle before is one sweep back, but for cycle 1 the start, two back (sweeps_at).
    const double(*previous)[MAXCITY] = c == 0 ? nullptr : recent_back(recent, c == 1 ? 2 : 1);
    measure_cycle(net, c, sweeps_at(c), previous, c >= 2 ? recent_back(recent, 1) : nullptr,
                  c >= 2 ? recent_back(recent, 2) : nullptr, &y);
    if (!state_finite(unitout) || !(y.e - y.e == 0)) {
      stopped = c;
      return;
    }
    at_cycle(y);
  });
  return stopped;
}

#endif
