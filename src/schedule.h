/* The schedule of a run and the states it keeps behind. Cycle 0 is the start, one sweep goes
 * unprinted, then each of cycles 1 ... network.sweeps - 1 follows one more sweep, so cycle c
 * shows the state after c + 1 sweeps: run_cycles makes it for any sweep (one network or a
 * batch) and sweeps_at counts it. The states one and two sweeps back, which a state's motion is
 * judged against, are kept by Recent for one network; a batch keeps its lanes' own copies at the
 * sweeps back_at_end names. nuv's own main.cpp writes the same schedule as a plain loop. */
#ifndef NUV_SCHEDULE_H
#define NUV_SCHEDULE_H

#include <string.h>

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
  for (int c = 1; c < network.sweeps; c++) {
    sweep();
    at_cycle(c);
  }
}

/* How many sweeps before the end of a run of `sweeps` the state is that sweep s (from 0) starts
 * from: the states 1 and 2 back are the ones a run's end is judged against. A run of one sweep
 * has none 2 back: its start stands for it, as Recent's does. */
static inline int back_at_end(int s, int sweeps) {
  return sweeps - s;
}

/* The program's network's states one and two sweeps back, by sweeps made: the current state is
 * the model's own (unitout), so two copies are kept, not three. Start with recent_start after the
 * run's start, then call recent_sweeping just before every sweep. */
struct Recent {
  double state[2][MAXCITY][MAXCITY];
  int swept; // sweeps made
};

static inline void recent_start(Recent *r) {
  r->swept = 0;
}

/* A sweep about to be made: the current state kept as the one after r->swept sweeps. */
static inline void recent_sweeping(Recent *r) {
  for (int i = 0; i < network.n; i++)
    memcpy(r->state[r->swept % 2][i], unitout[i], sizeof(double) * size_t(network.n));
  r->swept++;
}

/* The state `back` sweeps (0, 1 or 2) before the current one (back 0: unitout itself); the start
 * where the run has not swept that far. */
static inline const double (*recent_back(const Recent &r, int back))[MAXCITY] {
  const int b = back < r.swept ? back : r.swept;
  if (b == 0) return unitout;
  return r.state[(r.swept - b) % 2];
}

#endif
