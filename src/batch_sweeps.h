/* The body of batch_sweeps, written once and compiled by one small file for each instruction set
 * (batch_v4.cpp, batch_v3.cpp, batch_baseline.cpp), which batch.cpp chooses among. */
#ifndef NUV_BATCH_SWEEPS_H
#define NUV_BATCH_SWEEPS_H

#include <math.h>
#include <string.h>

#include "batch.h"
#include "schedule.h"
#include "vector_tanh.h"

// A vector of lanes is passed between functions that are all inlined into one sweep, compiled
// for each instruction set: how a call would pass it never matters.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "sweep.h"

/* Each instruction set's sweeps. */
void batch_sweeps_v4(Batch *batch);
void batch_sweeps_v3(Batch *batch);
void batch_sweeps_baseline(Batch *batch);

/* The C library's tanh on each lane: called, or computed in the vector as the library does. */
__attribute__((always_inline)) static inline lanes activate(const lanes &x) {
  lanes y = x; // each lane overwritten below
  if (activation != ACTIVATION_LIBRARY)
    vector_tanh(activation == ACTIVATION_FUSED, &x, &y);
  else
    for (int l = 0; l < NLANE; l++) y[l] = tanh(x[l]);
  return y;
}

/* The first n rows and columns of a lane matrix into another. */
__attribute__((always_inline)) static inline void copy_units(lanes to[][BATCH_MAXCITY],
                                                             lanes from[][BATCH_MAXCITY], int n) {
  for (int i = 0; i < n; i++) memcpy(to[i], from[i], sizeof(lanes) * size_t(n));
}

/* The noise's draws of a sweep on every lane, each lane's from its own generator. In no
 * namespace of its own, its code would be one instruction set's for every file that includes
 * this (an inline function the linker keeps once): each file has its own. */
namespace {
struct LaneDraws {
  Generator *draws;
  template <typename V>
  V next() const {
    V r;
    for (int l = 0; l < NLANE; l++) r[l] = generator_next_in(&draws[l]) / 2147483647.0;
    return r;
  }
};
} // namespace

/* A run's sweeps on every lane, as batch_sweeps makes them, the Euler step and the transiently
 * chaotic rule's z and noise shared by the lanes and decayed after each sweep as update_state
 * decays them, each lane's temperature cooled as update_state cools it: each instruction set's
 * file wraps this body. */
__attribute__((always_inline)) static inline void sweeps_on_lanes(Batch *batch) {
  const Network &net = batch->network;
  NetworkLanes<lanes> w;
  w.a = batch->a, w.b = batch->b, w.d = batch->d, w.c = batch->c;
  w.any_c = false; // a global term in some lane
  for (int l = 0; l < NLANE; l++) w.any_c = w.any_c || batch->c[l] != 0.0;
  w.target = net.target;
  w.bias_ab = net.bias_ab, w.bias = net.bias;
  w.u0 = net.u0, w.dt = net.dt, w.tau = net.tau;
  w.t = batch->t, w.gamma = net.gamma, w.sinkhorn = net.sinkhorn;
  w.k = net.k, w.alpha = net.alpha, w.z = net.z0, w.i0 = net.i0, w.noise = net.noise;
  const int n = net.n, sweeps = net.sweeps;
  const Rule rule = net.rule;
  for (int s = 0; s < sweeps; s++) {
    if (back_at_end(s, sweeps) == 2) copy_units(batch->before2, batch->state, n);
    if (back_at_end(s, sweeps) == 1) copy_units(batch->before, batch->state, n);
    sweep_units(batch->state, batch->sums, batch->unitin, n, rule, w, distance, activate,
                LaneDraws{batch->draws});
    if (rule == RULE_EULER) w.dt = w.dt * (1.0 - net.dt_decay); // as update_state decays it
    if (is_normalised(rule)) w.t = w.t * net.cooling;           // and cools the temperature
    if (rule == RULE_TCNN) {                                    // z, then the noise
      w.z = w.z * (1.0 - net.beta);
      w.noise = w.noise * (1.0 - net.noise_decay);
    }
  }
  if (sweeps < 2) copy_units(batch->before2, batch->before, n);
}

#endif
