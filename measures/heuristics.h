// The classic heuristics the field measured its networks against: nearest neighbour, 2-opt and
// Or-opt, each run from a seed as a network's run is, its tour measured as a network's final
// tour is. Start at heuristic_run; the moves are local_search.h's, shared with the optimum.
#ifndef NUV_MEASURES_HEURISTICS_H
#define NUV_MEASURES_HEURISTICS_H

#include "result.h"

// The run of net.method's heuristic (is_heuristic) on the cities set up, from the generator
// seeded by seed: always a valid tour, measured as measure_end measures a network's (its
// 0/1 state, settled, the energy under net's coefficients). The 0/1 state is left in the
// model's state (unitout), as a network's run ends there.
RunResult heuristic_run(const Network &net, unsigned seed);

// The heuristic's tour alone, from the generator as it is (srand is the caller's): nearest
// neighbour from the city of the first draw; 2-opt from a random order, by 2-opt exchanges
// alone; or-opt from the same order, by 2-opt and Or-opt moves alternating.
Tour heuristic_tour(Method method, int n);

// The start city of nearest neighbour for a draw r in 0 ... 1: (int)(r * n), n - 1 when r is 1.
int start_city(double r, int n);

// The tour 0, 1, ..., n - 1 shuffled by Fisher and Yates with the generator: for i from n - 1
// down to 1, j = (int)(r * (i + 1)) for the next draw r (i when r is 1), positions i and j
// swapped.
Tour shuffled_order(int n);

#endif
