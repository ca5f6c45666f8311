// The methods of the family by name: a paper's network with every setting it names, or a
// classic heuristic. --method NAME applies one; nuv-survey --methods LIST compares several.
// Plain enough for the page's module (no C++ library). Start at apply_method.
#ifndef NUV_SETTINGS_METHODS_H
#define NUV_SETTINGS_METHODS_H

#include "network.h"

// The methods' names, ' ' between, in Method's order: "nuv hopfield-tank ...". A constant, so
// that the option table's row can name them.
constexpr const char *METHOD_WORDS =
    "nuv hopfield-tank tcnn noisy potts softassign feasible nearest 2-opt or-opt";

// net set to method's settings, every one the method names, the others nuv's defaults; the
// cities' part (n, whether the distances are given) kept.
void apply_method(Method method, Network *net);

// The global term's target by default: the cities' number, N + 5 for hopfield-tank's.
double method_target(const Network &net);

// The sweeps by default: the method's own count where it names one (tcnn and noisy 5,000,
// feasible FEASIBLE_SWEEPS), else the rule's (default_sweeps).
int method_sweeps(const Network &net);

// feasible's constants, for the network's distances divided by the longest (all in 0 ... 1):
// D, the bias I, A = B, U0 and the sweeps of the in-place rule. 2 D < I < A with the margin
// FEASIBLE_MARGIN each way; methods.cpp says why every valid tour's corner is then stable and
// no other corner is.
constexpr double FEASIBLE_D = 1.0, FEASIBLE_BIAS = 2.5, FEASIBLE_AB = 3.0, FEASIBLE_MARGIN = 0.5;
constexpr double FEASIBLE_U0 = 0.025;
enum { FEASIBLE_SWEEPS = 50 };

#endif
