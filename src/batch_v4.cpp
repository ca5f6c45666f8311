/* The batch's sweeps compiled for x86-64-v4 (AVX-512): see batch_sweeps.h. */
#include "batch_sweeps.h"

void batch_sweeps_v4(Batch *batch) {
  sweeps_on_lanes(batch);
}
