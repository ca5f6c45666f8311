// One run of the nuv network, measured cycle by cycle: the rows nuv-trace prints and draws.
// trace_run is plain C++ with nothing allocated, so it builds for WebAssembly too; the text
// and the picture of a trace are in report.cpp and film.cpp.
#ifndef NUV_TRACE_TRACE_H
#define NUV_TRACE_TRACE_H

#include <stdint.h>

#include "network.h"
#include "state.h"
#include "tour.h"

// The state of one of nuv's tables and its measures. Cycle 0 is the random start; cycle c >= 1
// is the state after c + 1 sweeps.
struct Cycle {
  int cycle, sweeps;
  double term[3]; // the energy's row, column and tour-length terms
  double e, l;    // the energy as nuv prints it, and L
  int on;
  double change; // the largest change of a unit since the cycle before; 0 for cycle 0
  Outcome outcome;
  Tour tour;                  // when outcome is OUTCOME_TOUR, in position order
  double length, ratio;       // of the tour in coordinate units, and to the optimum
  int rank;                   // among all distinct tours
  double state[NCITY][NCITY]; // unitout at that cycle
};

// Measures the model's current state as cycle c, after `sweeps` sweeps; `before` is the cycle
// before it, or null for cycle 0.
void measure_cycle(int c, int sweeps, const Cycle *before, Cycle *out);

// nuv's run for the coefficients and seed, as cycles 0 ... NSWEEP - 1. Sets the model's
// coefficients and seeds the generator.
void trace_run(const double coef[3], uint32_t seed, Cycle cycles[NSWEEP]);

#endif
