/* The batch of networks: the model's start per lane, its sweep on all lanes at once. */
#include "batch.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "activation.h"
#include "sweep.h"

void batch_start(Batch *batch, int l, const double coef[4], uint32_t seed) {
  family.c = coef[3];
  start_run(coef, seed);
  batch->a[l] = coef[0];
  batch->b[l] = coef[1];
  batch->d[l] = coef[2];
  batch->c[l] = coef[3];
  const int n = family.n;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      batch->state[i][j][l] = unitout[i][j];
      batch->kept[i][j][l] = unitin[i][j];
    }
}

void batch_idle(Batch *batch, int l) {
  batch->a[l] = batch->b[l] = batch->d[l] = batch->c[l] = 0.0;
  for (int i = 0; i < family.n; i++)
    for (int j = 0; j < family.n; j++) batch->state[i][j][l] = batch->kept[i][j][l] = 0.0;
}

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
__attribute__((always_inline)) static inline void copy_units(lanes to[][MAXCITY],
                                                             lanes from[][MAXCITY], int n) {
  for (int i = 0; i < n; i++) memcpy(to[i], from[i], sizeof(lanes) * size_t(n));
}

/* Built for x86-64-v4 (AVX-512), v3 (AVX2 and FMA) and the baseline, the best the processor has
 * chosen at start-up: wider vectors, the same operations, so the same results. */
__attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default"))) void
batch_sweeps(Batch *batch) {
  bool any_c = false; // a global term in some lane
  for (int l = 0; l < NLANE; l++) any_c = any_c || batch->c[l] != 0.0;
  const Weights<lanes> weights = {batch->a,  batch->b,      batch->d,       batch->c,
                                  any_c,     family.target, family.bias_ab, family.bias,
                                  family.u0, family.dt,     family.tau};
  const int n = family.n, sweeps = family.sweeps;
  const Rule rule = family.rule;
  for (int s = 0; s < sweeps; s++) {
    if (s == sweeps - 2) copy_units(batch->before2, batch->state, n);
    if (s == sweeps - 1) copy_units(batch->before, batch->state, n);
    sweep_units(batch->state, batch->input, batch->kept, n, rule, weights, distance, activate);
  }
  if (sweeps < 2) copy_units(batch->before2, batch->before, n);
}

void batch_take(const Batch *batch, int l, double before[][MAXCITY], double before2[][MAXCITY]) {
  const double coef[3] = {batch->a[l], batch->b[l], batch->d[l]};
  set_coefficients(coef);
  family.c = batch->c[l];
  for (int i = 0; i < family.n; i++)
    for (int j = 0; j < family.n; j++) {
      unitout[i][j] = batch->state[i][j][l];
      unitin[i][j] = batch->kept[i][j][l];
      before[i][j] = batch->before[i][j][l];
      before2[i][j] = batch->before2[i][j][l];
    }
}
