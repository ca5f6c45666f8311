/* The batch of networks: the model's start per lane, its sweep on all lanes at once. */
#include "batch.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "batch_sweeps.h"

void batch_start(Batch *batch, int l, const double coef[4], uint32_t seed) {
  network.c = coef[3];
  start_run(coef, seed);
  batch->a[l] = coef[0];
  batch->b[l] = coef[1];
  batch->d[l] = coef[2];
  batch->c[l] = coef[3];
  const int n = network.n;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      batch->state[i][j][l] = unitout[i][j];
      batch->kept[i][j][l] = unitin[i][j];
    }
}

void batch_idle(Batch *batch, int l) {
  batch->a[l] = batch->b[l] = batch->d[l] = batch->c[l] = 0.0;
  for (int i = 0; i < network.n; i++)
    for (int j = 0; j < network.n; j++) batch->state[i][j][l] = batch->kept[i][j][l] = 0.0;
}

/* The sweeps, compiled for x86-64-v4 (AVX-512), v3 (AVX2 and FMA) and the baseline in files of
 * their own; the best the processor has is chosen on the first call. Wider vectors, the same
 * operations, so the same results. */
void batch_sweeps(Batch *batch) {
  static void (*chosen)(Batch *) = nullptr;
  if (!chosen) {
    __builtin_cpu_init();
    const bool v4 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
                    __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
                    __builtin_cpu_supports("avx512cd");
    const bool v3 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") &&
                    __builtin_cpu_supports("bmi") && __builtin_cpu_supports("bmi2");
    chosen = v4 ? batch_sweeps_v4 : v3 ? batch_sweeps_v3 : batch_sweeps_baseline;
  }
  chosen(batch);
}

void batch_take(const Batch *batch, int l, double before[][MAXCITY], double before2[][MAXCITY]) {
  const double coef[3] = {batch->a[l], batch->b[l], batch->d[l]};
  set_coefficients(coef);
  network.c = batch->c[l];
  for (int i = 0; i < network.n; i++)
    for (int j = 0; j < network.n; j++) {
      unitout[i][j] = batch->state[i][j][l];
      unitin[i][j] = batch->kept[i][j][l];
      before[i][j] = batch->before[i][j][l];
      before2[i][j] = batch->before2[i][j][l];
    }
}
