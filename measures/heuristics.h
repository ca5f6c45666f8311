// The classic heuristics the field measured its networks against: nearest neighbour, 2-opt and
// Or-opt, each run from a seed as a network's run is, its tour measured as a network's final
// tour is. Start at heuristic_run.
#ifndef NUV_MEASURES_HEURISTICS_H
#define NUV_MEASURES_HEURISTICS_H

#include "result.h"

// The run of net.method's heuristic (is_heuristic) on the cities set up, from the generator
// seeded by seed: always a valid tour, measured as measure_end measures a network's.
RunResult heuristic_run(const Network &net, unsigned seed);

#endif
