// Tours through the family's N cities: reading one off a network state, its length in the
// instance's own distances, its canonical form as a cycle and its text. The optimum and a tour's
// rank among all tours are in optimum.h. Plain C++ on the model's data, with nothing allocated:
// it builds for WebAssembly too.
#ifndef NUV_MEASURES_TOUR_H
#define NUV_MEASURES_TOUR_H

#include "network.h"
#include "state.h"

// city[j] is the city (from 0) visited at tour position j.
struct Tour {
  int city[MAXCITY];
};

// Two lengths are the same when they differ by at most this, relative: mirror images of one
// cycle differ only in the last bits.
constexpr double OPTIMAL_SLACK = 1e-9;

// Whether length is at most `of` and the slack relative to of's magnitude: right for negative
// lengths too, which distances set by hand can give.
bool within_slack(double length, double of);

// Decoding: true when every row and every column of the state has exactly one unit on; the
// tour is then written to *tour.
bool decode_tour(const double state[][MAXCITY], Tour *tour);

// The closed tour's length in the instance's own distances (citydistance), summed from
// position 1 round to position 1.
double tour_length(const Tour &tour);

// Whether every distance of the instance is a whole number (TSPLIB's functions round them), so
// that every tour length is one too and is written without decimals.
bool whole_lengths();

// The decimals a tour's length is written with: 0 when lengths are whole numbers, else 6.
int length_decimals();

// The same cycle started at city 1, in the direction whose second city has the smaller number,
// so that rotations and reversals of one cycle compare equal.
Tour canonical_tour(const Tour &tour);

// The bytes of the text of a tour of n cities, its NUL included: the digits of the numbers 1 to
// n, a '-' between each two and the NUL.
constexpr int tour_text_size(int n) {
  int size = n;                                                   // the n - 1 dashes and the NUL
  for (int from = 1; from <= n; from *= 10) size += n - from + 1; // a digit for each number >= from
  return size;
}

// City numbers from 1, in position order, joined by '-': "1-8-7-6-5-4-3-2-9", as many digits as
// each number has, however many cities.
struct TourText {
  char s[tour_text_size(MAXCITY)];
};
TourText tour_text(const Tour &tour);

#endif
