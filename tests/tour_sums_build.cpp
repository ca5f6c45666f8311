// One instruction set's build of the tour-sum kernel: compiled once for each, naming its table
// TOUR_SUMS_BUILD (tests/CMakeLists.txt). See tour_sums_build.h.
#include "tour_sums_build.h"

#pragma GCC diagnostic ignored "-Wpsabi" // vectors only between inlined functions
#include "tour_sums.h"

namespace {

template <typename V, int S, int KB>
void kernel(V sums[][S], V state[][S], int n, const double dist[][MAXCITY]) {
  tour_sums<V, S, KB>(sums, state, n, dist);
}

// The sums row by row from near, as potts takes them.
template <typename V, int S>
void by_rows(V sums[][S], V state[][S], int n, const double dist[][MAXCITY]) {
  static V near[S][S];
  for (int k = 0; k < n; k++) near_row(near, state, n, k);
  for (int i = 0; i < n; i++) tour_row(sums[i], near, n, dist[i]);
}

// The default blocks of rows k for values of V.
template <typename V>
constexpr int blocks() {
  return TourBlocking<sizeof(V) / sizeof(double)>::KB;
}

} // namespace

extern const TourSumsBuild TOUR_SUMS_BUILD = {kernel<double, MAXCITY, blocks<double>()>,
                                              kernel<double, MAXCITY, 7>,
                                              kernel<double, ODD_STRIDE, blocks<double>()>,
                                              kernel<lanes, BATCH_MAXCITY, blocks<lanes>()>,
                                              kernel<lanes, BATCH_MAXCITY, 7>,
                                              by_rows<double, MAXCITY>,
                                              by_rows<lanes, BATCH_MAXCITY>};
