// The batch's lanes against the one network of update_state: the same final state, compared byte
// for byte, over 20,000 seeds and triples with negative, zero and saturating coefficients.
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

#include "batch.h"
#include "network.h"
#include "schedule.h"

namespace {

// The final state of nuv's run for coef and seed, in the program's model, and the state before
// its last sweep.
void scalar_run(const double coef[3], uint32_t seed, double before[NCITY][NCITY]) {
  run_network(coef, seed, [&](int c) {
    if (c == NSWEEP - 2) memcpy(before, unitout, sizeof unitout);
  });
}

TEST(Batch, EveryLaneEndsInTheStateOfTheScalarSweeps) {
  static const double triples[][3] = {{1, 1, 1},       {0, 0, 0},       {-1, 2, 0.5}, {5, 5, 5},
                                      {1e3, 1e3, 1e3}, {0.5, -0.3, -2}, {2, 1, 0},    {1, 1, 3}};
  static Batch batch;
  double batched[NLANE][NCITY][NCITY], batched_before[NLANE][NCITY][NCITY], before[NCITY][NCITY];
  int compared = 0, differ = 0;
  for (const auto &coef : triples) {
    // 2,501 seeds a triple: the last batch is not full. High seeds too.
    for (uint32_t first = 0; first < 2501; first += NLANE) {
      const int n = first + NLANE <= 2501 ? NLANE : int(2501 - first);
      auto seed = [&](int l) { return first + uint32_t(l) + (first % 3 ? 0u : 4294960000u); };
      for (int l = 0; l < NLANE; l++)
        if (l < n)
          batch_start(&batch, l, coef, seed(l));
        else
          batch_idle(&batch, l);
      batch_sweeps(&batch);
      for (int l = 0; l < n; l++) {
        batch_take(&batch, l, batched_before[l]);
        memcpy(batched[l], unitout, sizeof unitout);
        EXPECT_TRUE(Acoef == coef[0] && Bcoef == coef[1] && Dcoef == coef[2]);
      }
      for (int l = 0; l < n; l++, compared++) {
        scalar_run(coef, seed(l), before);
        differ += memcmp(batched[l], unitout, sizeof unitout) != 0;
        differ += memcmp(batched_before[l], before, sizeof before) != 0;
      }
    }
  }
  EXPECT_EQ(compared, 8 * 2501);
  EXPECT_EQ(differ, 0);
}

} // namespace
