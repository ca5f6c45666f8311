// The local search of tours, one implementation of each move for every caller: the 2-opt
// exchange and the Or-opt move of a stretch of one to three cities, and the nearest-neighbour
// tour. The optimum's best-known tour (optimum.cpp) and the classic heuristics (heuristics.cpp)
// both use it. Plain C++ on the model's data, with nothing allocated: it builds for WebAssembly
// too. Start at local_search.
#ifndef NUV_MEASURES_LOCAL_SEARCH_H
#define NUV_MEASURES_LOCAL_SEARCH_H

#include "tour.h"

// 2-opt passes until none shortens the tour; with or_opt, a round is a 2-opt pass or, when that
// finds nothing, one Or-opt move, until neither shortens it. Only moves that gain more than a
// slack relative to the length count, every round must shorten the cycle, and the rounds are
// bounded (MAX_ROUNDS): the search ends whatever the distances.
void local_search(Tour *t, bool or_opt);

// The nearest-neighbour tour of the current cities from city `first`: each next city the nearest
// not yet visited by the instance's own distances, the lowest-numbered of equals.
Tour nearest_neighbour_tour(int first);

#endif
