// The batch's lanes against the one network of update_state: the same final state and the same
// states before the last two sweeps, compared byte for byte, for nuv's network over 20,000
// seeds and triples with negative, zero and saturating coefficients, and for members of the
// family: the three rules, a global term, random cities, four cities.
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

#include "activation.h"
#include "batch.h"
#include "cities.h"
#include "network.h"
#include "result.h"
#include "schedule.h"

namespace {

double scalar_final[MAXCITY][MAXCITY], scalar_before[MAXCITY][MAXCITY],
    scalar_before2[MAXCITY][MAXCITY];

// The run for coef (C in coef[3]) and seed of the program's network, and the states before
// its last sweep and the one before it.
void scalar_run(const double coef[4], uint32_t seed) {
  network.c = coef[3];
  int swept = 0;
  start_run(coef, seed);
  for (; swept < network.sweeps; swept++) {
    if (swept == network.sweeps - 2) memcpy(scalar_before2, unitout, sizeof unitout);
    if (swept == network.sweeps - 1) memcpy(scalar_before, unitout, sizeof unitout);
    update_state();
  }
  memcpy(scalar_final, unitout, sizeof unitout);
}

// The first n x n units of two states differ in some byte.
bool differ(const double a[][MAXCITY], const double b[][MAXCITY]) {
  for (int i = 0; i < network.n; i++)
    if (memcmp(a[i], b[i], sizeof(double) * size_t(network.n)) != 0) return true;
  return false;
}

// Runs count seeds of each triple in batches and compares every lane with its scalar run;
// returns the lanes compared, and counts those that differ in *differing.
int compare(const double (*triples)[4], int ntriples, uint32_t count, int *differing) {
  static Batch batch;
  static double final[NLANE][MAXCITY][MAXCITY], before[NLANE][MAXCITY][MAXCITY],
      before2[NLANE][MAXCITY][MAXCITY];
  int compared = 0;
  for (int t = 0; t < ntriples; t++) {
    const double *coef = triples[t];
    for (uint32_t first = 0; first < count; first += NLANE) {
      const int n = first + NLANE <= count ? NLANE : int(count - first);
      auto seed = [&](int l) { return first + uint32_t(l) + (first % 3 ? 0u : 4294960000u); };
      for (int l = 0; l < NLANE; l++)
        if (l < n)
          batch_start(&batch, l, coef, seed(l));
        else
          batch_idle(&batch, l);
      batch_sweeps(&batch);
      for (int l = 0; l < n; l++) {
        batch_take(&batch, l, before[l], before2[l]);
        memcpy(final[l], unitout, sizeof unitout);
        EXPECT_TRUE(Acoef == coef[0] && Bcoef == coef[1] && Dcoef == coef[2] &&
                    network.c == coef[3]);
      }
      for (int l = 0; l < n; l++, compared++) {
        scalar_run(coef, seed(l));
        *differing += differ(final[l], scalar_final) || differ(before[l], scalar_before) ||
                      differ(before2[l], scalar_before2);
      }
    }
  }
  return compared;
}

TEST(Batch, EveryLaneEndsInTheStateOfTheScalarSweeps) {
  choose_activation(); // as the survey does: the vector tanh where it is the library's
  RecordProperty("activation", activation_text());
  reset_network();
  static const double triples[][4] = {{1, 1, 1, 0}, {0, 0, 0, 0},       {-1, 2, 0.5, 0},
                                      {5, 5, 5, 0}, {1e3, 1e3, 1e3, 0}, {0.5, -0.3, -2, 0},
                                      {2, 1, 0, 0}, {1, 1, 3, 0}};
  int differing = 0;
  // 2,501 seeds a triple: the last batch is not full. High seeds too.
  EXPECT_EQ(compare(triples, 8, 2501, &differing), 8 * 2501);
  EXPECT_EQ(differing, 0);
}

TEST(Batch, EveryMemberOfTheFamilyRunsInLanesAsItRunsAlone) {
  choose_activation();
  // Lanes with and without a global term side by side in one batch, as a survey over C has.
  static const double triples[][4] = {{1, 1, 1, 0}, {1, 1, 2, 0.5}, {0.5, 1.5, 1, 2}};
  struct Member {
    const char *cities;
    Rule rule;
    Start start;
    int sweeps;
  } const members[] = {{"", RULE_SYNC, START_UNIFORM, 30},
                       {"", RULE_EULER, START_CENTRED, 200},
                       {"random:12:7", RULE_INPLACE, START_UNIFORM, 40},
                       {"random:4:1", RULE_SYNC, START_CENTRED, 25},
                       {"random:20:3", RULE_EULER, START_UNIFORM, 60}};
  for (const Member &m : members) {
    reset_network();
    std::string name, error;
    if (*m.cities) {
      ASSERT_TRUE(load_cities(m.cities, &name, &error)) << error;
    }
    network.rule = m.rule, network.start = m.start, network.sweeps = m.sweeps;
    network.target = network.n, network.dt = 0.05;
    int differing = 0;
    EXPECT_EQ(compare(triples, 3, 40, &differing), 3 * 40) << m.cities;
    EXPECT_EQ(differing, 0) << m.cities << " rule " << m.rule;
  }
  reset_network();
}

// One network's measured run keeps the states a batch's lane keeps, so that it measures the
// run's end as the survey does: the same result, byte for byte, down to one and two sweeps
// (where there is no state before the one before the last sweep).
TEST(Batch, AMeasuredRunEndsAsALaneEnds) {
  choose_activation();
  static Batch batch;
  static double before[MAXCITY][MAXCITY], before2[MAXCITY][MAXCITY];
  const double coef[4] = {1, 1, 1.5, 0};
  for (Rule rule : {RULE_INPLACE, RULE_SYNC})
    for (int sweeps : {1, 2, 3, 50}) {
      reset_network();
      network.rule = rule, network.sweeps = sweeps;
      for (int l = 0; l < NLANE; l++) batch_start(&batch, l, coef, uint32_t(100 + l));
      batch_sweeps(&batch);
      for (int l = 0; l < NLANE; l++) {
        batch_take(&batch, l, before, before2);
        const RunResult lane = measure_end(before, before2),
                        alone = measured_run(coef, uint32_t(100 + l));
        EXPECT_EQ(memcmp(&lane, &alone, sizeof lane), 0)
            << "rule " << rule << ", " << sweeps << " sweeps";
      }
    }
  reset_network();
}

} // namespace
