/* The batch of networks: the model's start per lane, its sweep on all lanes at once. */
#include "batch.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "sweep.h"

void batch_start(Batch *batch, int l, const double coef[3], uint32_t seed) {
  srand(seed);
  initialize();
  batch->a[l] = coef[0];
  batch->b[l] = coef[1];
  batch->d[l] = coef[2];
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) batch->state[i][j][l] = unitout[i][j];
}

void batch_idle(Batch *batch, int l) {
  batch->a[l] = batch->b[l] = batch->d[l] = 0.0;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) batch->state[i][j][l] = 0.0;
}

/* The C library's tanh on each lane. */
__attribute__((always_inline)) static inline lanes activate(lanes x) {
  lanes y = x; // each lane overwritten below
  for (int l = 0; l < NLANE; l++) y[l] = tanh(x[l]);
  return y;
}

/* Built for AVX-512, AVX2 and the baseline, the best the processor has chosen at start-up: wider
 * vectors, the same operations, so the same results. */
__attribute__((target_clones("avx512f", "avx2", "default"))) void batch_sweeps(Batch *batch) {
  for (int s = 0; s < NSWEEP; s++) {
    if (s == NSWEEP - 1) memcpy(batch->before, batch->state, sizeof batch->state);
    sweep_units(batch->state, batch->a, batch->b, batch->d, distance, activate);
  }
}

void batch_take(const Batch *batch, int l, double before[NCITY][NCITY]) {
  Acoef = batch->a[l];
  Bcoef = batch->b[l];
  Dcoef = batch->d[l];
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) {
      unitout[i][j] = batch->state[i][j][l];
      before[i][j] = batch->before[i][j][l];
    }
}
