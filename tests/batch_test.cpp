// The batch's lanes against the one network of update_state: the same final state and the same
// states before the last two sweeps, compared byte for byte, for nuv's network over 20,000
// seeds and triples with negative, zero and saturating coefficients, and for members of the
// family: the rules, a global term, random cities, four cities, the transiently chaotic rule
// with noise drawn by each lane's own generator.
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

// The network set up, with the coefficients and C of coef: a lane's record.
Network record_of(const double coef[4]) {
  Network net = network;
  net.a = coef[0], net.b = coef[1], net.d = coef[2], net.c = coef[3];
  return net;
}

// The run of net for seed, and the states before its last sweep and the one before it.
void scalar_run(const Network &net, uint32_t seed) {
  int swept = 0;
  start_run(net, seed);
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
    const Network net = record_of(triples[t]);
    for (uint32_t first = 0; first < count; first += NLANE) {
      const int n = first + NLANE <= count ? NLANE : int(count - first);
      auto seed = [&](int l) { return first + uint32_t(l) + (first % 3 ? 0u : 4294960000u); };
      for (int l = 0; l < NLANE; l++)
        if (l < n)
          batch_start(&batch, l, net, seed(l));
        else
          batch_idle(&batch, l);
      batch_sweeps(&batch);
      for (int l = 0; l < n; l++) batch_take(&batch, l, final[l], before[l], before2[l]);
      for (int l = 0; l < n; l++, compared++) {
        scalar_run(net, seed(l));
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
    double noise;
  } const members[] = {{"", RULE_SYNC, START_UNIFORM, 30, 0},
                       {"", RULE_EULER, START_CENTRED, 200, 0},
                       {"random:12:7", RULE_INPLACE, START_UNIFORM, 40, 0},
                       {"random:4:1", RULE_SYNC, START_CENTRED, 25, 0},
                       {"random:20:3", RULE_EULER, START_UNIFORM, 60, 0},
                       {"", RULE_TCNN, START_UNIFORM, 150, 0},
                       {"random:10:2", RULE_TCNN, START_UNIFORM, 150, 0.05},
                       {"random:4:5", RULE_TCNN, START_CENTRED, 80, 0.3}};
  for (const Member &m : members) {
    reset_network();
    std::string name, error;
    if (*m.cities) {
      ASSERT_TRUE(load_cities(m.cities, &name, &error)) << error;
    }
    Network net = network;
    net.rule = m.rule, net.start = m.start, net.sweeps = m.sweeps;
    net.target = net.n, net.dt = 0.05;
    net.noise = m.noise, net.noise_decay = 0.01, net.beta = 0.02;
    if (m.rule == RULE_TCNN) net.u0 = 0.1;
    set_up(net);
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
  static double state[MAXCITY][MAXCITY], before[MAXCITY][MAXCITY], before2[MAXCITY][MAXCITY];
  for (Rule rule : {RULE_INPLACE, RULE_SYNC, RULE_TCNN})
    for (int sweeps : {1, 2, 3, 50}) {
      Network net = nuv_network();
      net.a = 1, net.b = 1, net.d = 1.5;
      net.rule = rule, net.sweeps = sweeps;
      net.noise = rule == RULE_TCNN ? 0.02 : 0.0;
      reset_network();
      for (int l = 0; l < NLANE; l++) batch_start(&batch, l, net, uint32_t(100 + l));
      batch_sweeps(&batch);
      for (int l = 0; l < NLANE; l++) {
        batch_take(&batch, l, state, before, before2);
        const RunResult lane = measure_end(net, state, before, before2),
                        alone = measured_run(net, uint32_t(100 + l));
        EXPECT_EQ(memcmp(&lane, &alone, sizeof lane), 0)
            << "rule " << rule << ", " << sweeps << " sweeps";
      }
    }
  reset_network();
}

// Lanes of one batch each from a record of its own (coefficients and C, a global term in some
// lanes and not others) end as the scalar runs of those records, and each is measured with its
// own record alone: the batch writes no setting of the model, and the lanes are measured in an
// order of their own (backwards, after every scalar run has set the model up for another
// record), so no measure can lean on a setting left behind.
TEST(Batch, LanesOfDifferentRecordsAreMeasuredByTheirOwnRecords) {
  choose_activation();
  static Batch batch;
  static double state[NLANE][MAXCITY][MAXCITY], before[NLANE][MAXCITY][MAXCITY],
      before2[NLANE][MAXCITY][MAXCITY];
  for (Rule rule : {RULE_INPLACE, RULE_SYNC, RULE_TCNN}) {
    reset_network();
    Network base = nuv_network();
    base.rule = rule, base.sweeps = 30;
    if (rule == RULE_TCNN) base.noise = 0.1, base.noise_decay = 0.05, base.u0 = 0.1;
    set_up(base);
    Network lane[NLANE];
    for (int l = 0; l < NLANE; l++) {
      lane[l] = base;
      lane[l].a = 0.5 + 0.25 * l, lane[l].b = 1.5 - 0.125 * l, lane[l].d = l % 4;
      lane[l].c = l % 3 == 0 ? 0.0 : 0.1 * l;
      batch_start(&batch, l, lane[l], uint32_t(7 + l));
    }
    batch_sweeps(&batch);
    for (int l = 0; l < NLANE; l++) batch_take(&batch, l, state[l], before[l], before2[l]);
    EXPECT_TRUE(network.a == base.a && network.b == base.b && network.d == base.d &&
                network.c == base.c)
        << "the batch wrote a setting";
    RunResult alone[NLANE];
    for (int l = 0; l < NLANE; l++) alone[l] = measured_run(lane[l], uint32_t(7 + l));
    int energies = 0; // lanes whose energy differs from the next lane's record's
    for (int l = NLANE - 1; l >= 0; l--) {
      const RunResult measured = measure_end(lane[l], state[l], before[l], before2[l]);
      EXPECT_EQ(memcmp(&measured, &alone[l], sizeof measured), 0) << "lane " << l;
      EnergyTerms terms;
      const Network &other = lane[(l + 1) % NLANE];
      energies += energy_terms(other, state[l], &terms) != measured.energy;
    }
    EXPECT_GT(energies, NLANE / 2) << "the records must differ in what they measure";
  }
  reset_network();
}

} // namespace

// A network larger than the lanes hold is never started in them: the program stops rather than
// write past the lanes' arrays.
TEST(BatchDeathTest, ANetworkAboveTheBatchsLimitIsRefused) {
  static Batch batch;
  Network net = nuv_network();
  net.n = BATCH_MAXCITY + 1;
  EXPECT_DEATH(batch_start(&batch, 0, net, 1), "");
}
