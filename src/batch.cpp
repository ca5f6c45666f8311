/* The batch of networks: the model's start per lane, its sweep on all lanes at once. */
#include "batch.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "batch_sweeps.h"
#include "instruction_set.h"

void batch_start(Batch *batch, int l, Network net, uint32_t seed) {
  static double start[MAXCITY][MAXCITY], start_unitin[MAXCITY][MAXCITY];
  if (net.n > BATCH_MAXCITY) abort(); /* a caller's fault: such a network runs alone */
  batch->network = net;
  batch->a[l] = net.a;
  batch->b[l] = net.b;
  batch->d[l] = net.d;
  batch->c[l] = net.c;
  batch->t[l] = is_normalised(net.rule) ? start_temperature(net) : 1.0;
  srand(seed);
  draw_start(net, start, start_unitin);
  generator_seed_in(&batch->draws[l], seed);
  for (int k = 0; k < net.n * net.n; k++) generator_next_in(&batch->draws[l]);
  for (int i = 0; i < net.n; i++)
    for (int j = 0; j < net.n; j++) {
      batch->state[i][j][l] = start[i][j];
      batch->unitin[i][j][l] = start_unitin[i][j];
    }
}

void batch_idle(Batch *batch, int l) {
  const int n = batch->network.n;
  batch->a[l] = batch->b[l] = batch->d[l] = batch->c[l] = 0.0;
  batch->t[l] = 1.0;
  generator_seed_in(&batch->draws[l], 1);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) batch->state[i][j][l] = batch->unitin[i][j][l] = 0.0;
}

/* The sweeps, compiled for x86-64-v4 (AVX-512), v3 (AVX2 and FMA) and the baseline in files of
 * their own; the widest the processor has is chosen. Wider vectors, the same operations, so the
 * same results. */
void batch_sweeps(Batch *batch) {
  const InstructionSet set = widest_instruction_set();
  if (set == SET_V4) return batch_sweeps_v4(batch);
  if (set == SET_V3) return batch_sweeps_v3(batch);
  batch_sweeps_baseline(batch);
}

void batch_take(const Batch *batch, int l, double state[][MAXCITY], double before[][MAXCITY],
                double before2[][MAXCITY]) {
  const int n = batch->network.n;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      state[i][j] = batch->state[i][j][l];
      before[i][j] = batch->before[i][j][l];
      before2[i][j] = batch->before2[i][j][l];
    }
}
