// Tours through the nine cities: reading one off a network state, its length in the city
// coordinates, its canonical form as a cycle, and the optimum found by exhaustive search.
#ifndef NUV_SURVEY_TOUR_H
#define NUV_SURVEY_TOUR_H

#include <string>

#include "network.h"

// city[j] is the city (from 0) visited at tour position j.
struct Tour {
  int city[NCITY];
};

// A unit is on when its output is above this.
constexpr double ON_ABOVE = 0.5;

// Decoding: true when every row and every column of the state has exactly one unit on; the
// tour is then written to *tour.
bool decode_tour(const double state[NCITY][NCITY], Tour *tour);

// The closed tour's Euclidean length, summed from position 1 round to position 1.
double tour_length(const Tour &tour);

// The same cycle started at city 1, in the direction whose second city has the smaller number,
// so that rotations and reversals of one cycle compare equal.
Tour canonical_tour(const Tour &tour);

// City numbers from 1, in position order, joined by '-': "1-8-7-6-5-4-3-2-9".
std::string tour_text(const Tour &tour);

struct Optimum {
  Tour tour; // canonical; the first in lexicographic order among the shortest
  double length;
};

// The shortest closed tour: city 1 fixed, the other 8! orders tried.
Optimum find_optimum();

// A run is optimal when its ratio to the optimum is 1 within this.
constexpr double OPTIMAL_SLACK = 1e-9;

#endif
