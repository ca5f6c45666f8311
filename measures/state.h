// Measures of a network state: how a run ends (its outcome and its motion), the units on, the
// largest change between two states, and the function L that an in-place update cannot raise.
// Plain C++ on the model's data, with nothing allocated: it builds for WebAssembly too.
#ifndef NUV_MEASURES_STATE_H
#define NUV_MEASURES_STATE_H

#include "network.h"

// A unit is on when its output is above this: exactly one half is off.
constexpr double ON_ABOVE = 0.5;

// A valid tour, or which way the units on (above ON_ABOVE) fail to make one: some row or column
// with none on, some with two or more, or both.
enum Outcome { OUTCOME_TOUR, OUTCOME_MISSING, OUTCOME_DOUBLED, OUTCOME_MIXED };

Outcome outcome_of(const double state[][MAXCITY]);

// The units on in each row (in_row[i]) and each column (in_column[j]) of state: a tour has
// exactly one in every row and column.
void units_on_lines(const double state[][MAXCITY], int in_row[], int in_column[]);

// "tour", "missing", "doubled" or "mixed".
const char *outcome_name(Outcome outcome);

// A run has settled when no unit moved by more than this over its last sweep.
constexpr double SETTLED_WITHIN = 0.01;

// How a run is moving at its end: settled; cycling with period 2 (not settled, but no unit
// further than SETTLED_WITHIN from where it was two sweeps before); or still moving.
enum Motion { MOTION_SETTLED, MOTION_CYCLING, MOTION_MOVING };

// The motion of state, from the states one and two sweeps before it.
Motion motion_of(const double two_before[][MAXCITY], const double before[][MAXCITY],
                 const double state[][MAXCITY]);

// "settled", "cycling" or "moving".
const char *motion_name(Motion motion);

// Whether every output of the state is a finite number: a run whose state is not (an Euler step
// too long for its time constant, coefficients that overflow the inputs) has left the model.
bool state_finite(const double state[][MAXCITY]);

// The units whose output is above ON_ABOVE.
int units_on(const double state[][MAXCITY]);

// The largest change of any unit's output from state a to state b.
double largest_change(const double a[][MAXCITY], const double b[][MAXCITY]);

// L = E - I * sum of v + sum of G(v) over state, with I net's bias (bias_value), U0 its width,
// G(v) = (U0 / 2) * (v ln(2v) + (1 - v) ln(2 - 2v)) and 0 ln 0 = 0; e is the state's energy.
double lyapunov(const Network &net, const double state[][MAXCITY], double e);

#endif
