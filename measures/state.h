// Measures of a network state: how a run ends (its outcome), the units on, the largest change
// between two states, and the function L that no unit's update can raise. Plain C++ on the
// model's data, with nothing allocated: it builds for WebAssembly too.
#ifndef NUV_MEASURES_STATE_H
#define NUV_MEASURES_STATE_H

#include "network.h"

// A unit is on when its output is above this: exactly one half is off.
constexpr double ON_ABOVE = 0.5;

// A valid tour, or which way the units on (above ON_ABOVE) fail to make one: some row or column
// with none on, some with two or more, or both.
enum Outcome { OUTCOME_TOUR, OUTCOME_MISSING, OUTCOME_DOUBLED, OUTCOME_MIXED };

Outcome outcome_of(const double state[NCITY][NCITY]);

// "tour", "missing", "doubled" or "mixed".
const char *outcome_name(Outcome outcome);

// A run has settled when no unit moved by more than this over its last sweep.
constexpr double SETTLED_WITHIN = 0.01;

// The units whose output is above ON_ABOVE.
int units_on(const double state[NCITY][NCITY]);

// The largest change of any unit's output from state a to state b.
double largest_change(const double a[NCITY][NCITY], const double b[NCITY][NCITY]);

// L = E - (Acoef + Bcoef) * sum of v + sum of G(v) over the current state, with
// G(v) = (U0 / 2) * (v ln(2v) + (1 - v) ln(2 - 2v)) and 0 ln 0 = 0; e is the state's energy.
double lyapunov(double e);

#endif
