/* The batch's sweeps compiled for the baseline x86-64: see batch_sweeps.h. */
#include "batch_sweeps.h"

void batch_sweeps_baseline(Batch *batch) {
  sweeps_on_lanes(batch);
}
