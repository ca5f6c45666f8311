/* The batch of networks: the model's start per lane, its sweep on all lanes at once. */
#include "batch.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "schedule.h"
#include "sweep.h"

void batch_start(Batch *batch, int l, const double coef[3], uint32_t seed) {
  start_run(coef, seed);
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
__attribute__((always_inline)) static inline lanes activate(const lanes &x) {
  lanes y = x; // each lane overwritten below
  for (int l = 0; l < NLANE; l++) y[l] = tanh(x[l]);
  return y;
}

/* Built for AVX-512, AVX2 and the baseline, the best the processor has chosen at start-up: wider
 * vectors, the same operations, so the same results. */
__attribute__((target_clones("avx512f", "avx2", "default"))) void batch_sweeps(Batch *batch) {
  const lanes a = batch->a, b = batch->b, d = batch->d; // apart from the state it writes
  run_cycles(
      [ batch, &a, &b, &d ]() __attribute__((always_inline)) {
        sweep_units(batch->state, a, b, d, distance, activate);
      },
      [batch](int c) __attribute__((always_inline)) {
        if (c == NSWEEP - 2) memcpy(batch->before, batch->state, sizeof batch->state);
      });
}

void batch_take(const Batch *batch, int l, double before[NCITY][NCITY]) {
  const double coef[3] = {batch->a[l], batch->b[l], batch->d[l]};
  set_coefficients(coef);
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) {
      unitout[i][j] = batch->state[i][j][l];
      before[i][j] = batch->before[i][j][l];
    }
}
