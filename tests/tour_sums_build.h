// The tour-sum kernel (src/tour_sums.h) compiled for one instruction set by tour_sums_build.cpp,
// once for each: its shapes as the sweeps call it and with blocks of rows k that do not divide
// the sizes, for one network and for a batch's lanes.
#ifndef NUV_TOUR_SUMS_BUILD_H
#define NUV_TOUR_SUMS_BUILD_H

#include "batch.h"
#include "network.h"

enum { ODD_STRIDE = 37 }; // a row stride that is not the model's

// One build's kernels: as the sweeps take it (rows of MAXCITY, a batch's of BATCH_MAXCITY, the
// default blocks; the distances always the model's rows of MAXCITY), with rows k
// taken 7 at a time, with rows of ODD_STRIDE, and one row at a time.
struct TourSumsBuild {
  void (*one)(double sums[][MAXCITY], double state[][MAXCITY], int n, const double dist[][MAXCITY]);
  void (*one_by7)(double sums[][MAXCITY], double state[][MAXCITY], int n,
                  const double dist[][MAXCITY]);
  void (*one_odd)(double sums[][ODD_STRIDE], double state[][ODD_STRIDE], int n,
                  const double dist[][MAXCITY]);
  void (*batch)(lanes sums[][BATCH_MAXCITY], lanes state[][BATCH_MAXCITY], int n, const double dist[][MAXCITY]);
  void (*batch_by7)(lanes sums[][BATCH_MAXCITY], lanes state[][BATCH_MAXCITY], int n,
                    const double dist[][MAXCITY]);
  // Row by row, as potts takes them: near_row for every row, then tour_row for each.
  void (*one_by_rows)(double sums[][MAXCITY], double state[][MAXCITY], int n,
                      const double dist[][MAXCITY]);
  void (*batch_by_rows)(lanes sums[][BATCH_MAXCITY], lanes state[][BATCH_MAXCITY], int n,
                        const double dist[][MAXCITY]);
};

extern const TourSumsBuild tour_sums_v4, tour_sums_v3, tour_sums_baseline;

#endif
