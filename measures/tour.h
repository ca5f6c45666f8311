// Tours through the nine cities: reading one off a network state, its length in the city
// coordinates, its canonical form as a cycle, its text, the optimum and every tour's rank.
// Plain C++ on the model's data, with nothing allocated: it builds for WebAssembly too.
#ifndef NUV_MEASURES_TOUR_H
#define NUV_MEASURES_TOUR_H

#include "network.h"
#include "state.h"

// city[j] is the city (from 0) visited at tour position j.
struct Tour {
  int city[NCITY];
};

// Two lengths are the same when they differ by at most this, relative: mirror images of one
// cycle differ only in the last bits.
constexpr double OPTIMAL_SLACK = 1e-9;

// Decoding: true when every row and every column of the state has exactly one unit on; the
// tour is then written to *tour.
bool decode_tour(const double state[NCITY][NCITY], Tour *tour);

// The closed tour's Euclidean length, summed from position 1 round to position 1.
double tour_length(const Tour &tour);

// The same cycle started at city 1, in the direction whose second city has the smaller number,
// so that rotations and reversals of one cycle compare equal.
Tour canonical_tour(const Tour &tour);

// City numbers from 1, in position order, joined by '-': "1-8-7-6-5-4-3-2-9".
struct TourText {
  char s[2 * NCITY];
};
TourText tour_text(const Tour &tour);

// The distinct closed tours: city 1 first, each cycle once whichever way round.
enum { NTOUR = 20160 };

struct Optimum {
  Tour tour; // canonical; the first in lexicographic order among the shortest
  double length;
};

// The shortest closed tour, from the table of all tours (built on first use).
Optimum find_optimum();

// 1 + the number of distinct tours shorter than length by more than the slack: the optimum and
// its mirror image have rank 1. Between 1 and NTOUR.
int tour_rank(double length);

#endif
