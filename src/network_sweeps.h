/* The body of the program's network's sweep by the general shape (every rule; in place, any
 * network but one of nine cities), written once and compiled by one small file for each instruction
 * set (network_v4.cpp, network_v3.cpp, network_baseline.cpp), which update_state (network.cpp)
 * chooses among: the same operations in the same order whichever runs, so the same results. */
#ifndef NUV_NETWORK_SWEEPS_H
#define NUV_NETWORK_SWEEPS_H

#include <math.h>
#include <stdlib.h>

#include "network.h"
#include "sweep.h"
#if defined(__AVX512F__)
#include <string.h>

#include "vector_tanh.h"
#pragma GCC diagnostic ignored "-Wpsabi" // lanes only between inlined functions and by address
#endif

static const double RAND_DIVISOR = 2147483647.0; /* maps rand() onto [0, 1] */

/* One network's activation: the C library's tanh. */
static inline double activate(double x) {
  return tanh(x);
}

namespace { /* each file its own instruction set's code, never one kept by the linker for all */

/* The general sweeps' activation: the library's tanh, one at a time, or (in the AVX-512
 * build, where the platform has chosen a vector flavour: vector_tanh.h) a row at a time in the
 * vector that gives the library's bits. */
struct RowTanh {
  double operator()(double x) const { return tanh(x); }
#if defined(__AVX512F__)
  void row(double *x, int n) const {
    if (activation == ACTIVATION_LIBRARY) {
      for (int j = 0; j < n; j++) x[j] = tanh(x[j]);
      return;
    }
    for (int j = 0; j < n; j += NLANE) { /* the last lanes past n at 0 */
      const size_t size = sizeof(double) * size_t(n - j < NLANE ? n - j : NLANE);
      lanes in = {}, out;
      memcpy(&in, x + j, size);
      vector_tanh(activation == ACTIVATION_FUSED, &in, &out);
      memcpy(x + j, &out, size);
    }
  }
#endif
};

/* One network's draws for the noise: the C library's, after the start's. */
struct RandDraws {
  template <typename V>
  V next() const {
    return rand() / RAND_DIVISOR;
  }
};

} // namespace

/* Each instruction set's sweep: the program's network (unitout, unitin, network.n and .rule) by
 * the settings w, its sums of inputs in sums. */
void network_sweep_v4(const NetworkLanes<double> &w, double sums[][MAXCITY]);
void network_sweep_v3(const NetworkLanes<double> &w, double sums[][MAXCITY]);
void network_sweep_baseline(const NetworkLanes<double> &w, double sums[][MAXCITY]);

/* The sweep each file wraps. */
__attribute__((always_inline)) static inline void network_sweep(const NetworkLanes<double> &w,
                                                                double sums[][MAXCITY]) {
  RandDraws draws;
  sweep_shape<false>(unitout, sums, unitin, network.n, network.rule, w, distance, RowTanh(), draws);
}

#endif
