// Tours through the family's N cities: reading one off a network state, its length in the
// instance's own distances, its canonical form as a cycle, its text, the optimum and a tour's
// rank among all tours. Plain C++ on the model's data, with nothing allocated: it builds for
// WebAssembly too. The tables are built for the current cities by prepare_tours.
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

// City numbers from 1, in position order, joined by '-': "1-8-7-6-5-4-3-2-9".
struct TourText {
  char s[4 * MAXCITY];
};
TourText tour_text(const Tour &tour);

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
// optimum for a shipped instance (its own distances recognised).
Optimum find_optimum();

// An optimal tour of the current cities, as a TSPLIB tour file gives it: beyond EXACT_CITIES
// prepare_tours takes it for the optimum, as long as the cities' distances are the ones they
// were when it was given. False, and nothing kept, unless it visits each of the N cities once.
bool give_optimal_tour(const Tour &tour);

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

// Builds the cities' distances, the table of every tour's length (up to RANK_CITIES) and the
// optimum for the cities the model has now; find_optimum and tour_rank call it on first use,
// and a tool calls it again when it changes the cities.
void prepare_tours();

#endif
