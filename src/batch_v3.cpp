/* The batch's sweeps compiled for x86-64-v3 (AVX2 and FMA): see batch_sweeps.h. */
#include "batch_sweeps.h"

void batch_sweeps_v3(Batch *batch) {
  sweeps_on_lanes(batch);
}
