// The optimum of the family's N cities and a tour's rank among all tours. Start at find_optimum.
// Its tables follow the cities by construction: each query rebuilds them when the cities'
// digest, N and every citydistance, is not the one they were built for; no caller prepares
// them. It only reads the distances: whatever changes the cities builds them (build_distances,
// as the cities' readers and set_up do). Plain C++ with nothing allocated: it builds
// for WebAssembly too.
#ifndef NUV_MEASURES_OPTIMUM_H
#define NUV_MEASURES_OPTIMUM_H

#include "tour.h"

// Every distinct closed tour has an exact rank up to RANK_CITIES cities, (N - 1)! / 2 of them
// (181,440 for ten); the optimum is exact up to EXACT_CITIES (by Held and Karp's recursion).
enum { RANK_CITIES = 10, EXACT_CITIES = 17 };

// The number of distinct closed tours when they are ranked, else 0.
int tour_count();

// The reference of every ratio: the optimum, or where it is not known the best tour found.
struct Optimum {
  Tour tour;     // canonical: the shortest tour known
  double length; // the optimum's length: the tour's, or a published optimum
  bool exact;    // length is the optimum's ("optimal"), not just the best found ("best known")
};

// The optimum for the current cities: by enumeration up to RANK_CITIES, by Held and Karp's
// recursion up to EXACT_CITIES; beyond, the optimal tour given (give_optimal_tour), else the
// best tour that 2-opt and Or-opt find from several starts, its length replaced by the published
// optimum given (give_published_optimum).
Optimum find_optimum();

// An optimal tour of the current cities, as a TSPLIB tour file gives it: beyond EXACT_CITIES
// find_optimum takes it for the optimum, as long as the cities' distances are the ones they
// were when it was given. False, and nothing kept, unless it visits each of the N cities once.
bool give_optimal_tour(const Tour &tour);

// TSPLIB's published optimum of the current cities (cities/published.h recognises them), or 0
// for none: beyond EXACT_CITIES, when no optimal tour is given, the best tour found is rated
// against it, as long as the cities' distances are the ones they were when it was given.
void give_published_optimum(double length);

// The tour given dropped: the optimum is found as without it.
void forget_optimal_tour();

// "optimal" or "best known": what the ratios are to.
const char *optimum_kind(const Optimum &optimum);

// "optimal" or "best known": what the optimum's tour is (a published optimum's length may be
// shorter than any tour found here).
const char *optimum_tour_kind(const Optimum &optimum);

// 1 + the number of distinct tours shorter than length by more than the slack: the optimum and
// its mirror image have rank 1. Between 1 and tour_count() + 1; 0 when tours are not ranked.
int tour_rank(double length);

#endif
