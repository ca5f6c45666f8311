// One cycle of a traced run: the Cycle record of a state's measures (energy and its terms, units
// on, change, outcome, motion, tour, its length, ratio and rank) and measure_cycle, which fills
// it from the model's current state. Plain C++ with nothing allocated: it builds for WebAssembly
// too. The run that calls it cycle by cycle is trace_network (trace.h).
#ifndef NUV_TRACE_CYCLE_H
#define NUV_TRACE_CYCLE_H

#include "network.h"
#include "optimum.h"
#include "state.h"

// The measures of one cycle's state. Cycle 0 is the start; cycle c >= 1 is the state after
// c + 1 sweeps.
struct Cycle {
  int cycle, sweeps;
  EnergyTerms terms; // the energy's terms
  double e, l;       // the energy as nuv prints it, and L
  int on;
  double change; // the largest change of a unit since the previous cycle; 0 for cycle 0
  Outcome outcome;
  bool moved;           // whether motion is known: from cycle 2 on
  Motion motion;        // against the states one and two sweeps before
  Tour tour;            // when outcome is OUTCOME_TOUR, in position order
  double length, ratio; // of the tour in the instance's own units, and to the optimum
  int rank;             // among all distinct tours, or 0 when they are not ranked
};

// Measures the model's current state, of a run of net, as cycle c after `sweeps` sweeps:
// `previous` is the previous cycle's state (null for cycle 0), one and two the states one and
// two sweeps before (null where there are none).
void measure_cycle(const Network &net, int c, int sweeps, const double previous[][MAXCITY],
                   const double one[][MAXCITY], const double two[][MAXCITY], Cycle *out);

#endif
