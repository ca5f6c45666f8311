/* The schedule of a run, written once: cycle 0 is the start, one sweep goes unprinted, then each
 * of cycles 1 ... family.sweeps - 1 follows one more sweep, so cycle c shows the state after
 * c + 1 sweeps. run_cycles takes any sweep (one network or a batch); run_network is a whole run
 * of the program's network. */
#ifndef NUV_SCHEDULE_H
#define NUV_SCHEDULE_H

#include "network.h"

/* The sweeps that cycle c's state follows. */
static inline int sweeps_at(int cycle) {
  return cycle == 0 ? 0 : cycle + 1;
}

/* The sweeps of a run, with at_cycle(c) called on reaching each cycle c, 0 first. */
template <typename Sweep, typename AtCycle>
__attribute__((always_inline)) static inline void run_cycles(Sweep sweep, AtCycle at_cycle) {
  at_cycle(0);
  sweep();
  for (int c = 1; c < family.sweeps; c++) {
    sweep();
    at_cycle(c);
  }
}

/* The run of the program's network for coef and seed, with at_cycle(c) at each cycle. */
template <typename AtCycle>
static inline void run_network(const double coef[3], unsigned seed, AtCycle at_cycle) {
  start_run(coef, seed);
  run_cycles(update_state, at_cycle);
}

#endif
