// The normalised rules, potts and softassign: their invariants (each row of potts sums to one,
// each column of softassign), the critical temperature as a property of the dynamics (a small
// perturbation of the uniform state decays just above it and grows just below), the batch's
// lanes against the one network, and what the description says (the survey against the tracer
// and the refusals are family_test's, with the other rules'). The steps themselves are checked bit
// for bit by tests/reference/normalised.py.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "activation.h"
#include "batch.h"
#include "cities.h"
#include "network.h"
#include "run.h"

namespace {

const std::string HT10 = std::string(SOURCE_DIR) + "/data/literature/ht10.txt";

// The model set up for cities (a file or random:N:S) under rule with the coefficients.
Network network_for(const std::string &cities, Rule rule, double a, double b, double d) {
  reset_network();
  std::string name, error;
  EXPECT_TRUE(load_cities(cities, &name, &error)) << error;
  Network net = network;
  net.rule = rule, net.a = a, net.b = b, net.d = d, net.bias_ab = false, net.bias = 0.0;
  net.target = net.n, net.distances = DISTANCES_RAW;
  set_up(net);
  return net;
}

// The largest distance of a row's (rows) or a column's sum of outputs from 1.
double worst_sum(bool rows) {
  const int n = network.n;
  double worst = 0.0;
  for (int x = 0; x < n; x++) {
    double s = 0.0;
    for (int k = 0; k < n; k++) s += rows ? unitout[x][k] : unitout[k][x];
    worst = std::fmax(worst, std::fabs(s - 1.0));
  }
  return worst;
}

TEST(Normalised, EachRowOfPottsSumsToOneAtEveryCycle) {
  struct Case {
    std::string cities;
    double a, b, d, c, t0;
  } const cases[] = {{HT10, 0.5, 1, 1, 0, 0},
                     {HT10, 0, 2, 1, 0.5, 0.05},
                     {"random:30:4", 1, 1, 2, 0, 0},
                     {"random:7:1", -1, 3, 0.5, 2, 10}};
  for (const Case &k : cases) {
    Network net = network_for(k.cities, RULE_POTTS, k.a, k.b, k.d);
    net.c = k.c, net.t0 = k.t0, net.cooling = 0.9;
    start_run(net, 12); // the start's rows sum to 1 + 0.1 (mean of 2r - 1): not yet one
    double worst = 0.0;
    for (int s = 0; s < 200; s++) {
      update_state();
      worst = std::fmax(worst, worst_sum(true));
    }
    EXPECT_LE(worst, 1e-12) << k.cities << " " << k.a << " " << k.b;
  }
  reset_network();
}

// Columns at every step; rows at the first steps and at the end, but not on the way: where the
// state breaks its symmetry the alternating normalisations converge slowly (on ht10 with D = 1,
// rows are 0.04 from one at step 20 after 20 normalisations, 0.001 after 1,000).
TEST(Normalised, SoftassignsColumnsSumToOneAndItsRowsNearly) {
  struct Case {
    std::string cities;
    double a, b, d, t0, gamma;
    int sinkhorn;
  } const cases[] = {{HT10, 0, 0, 1, 0.2, 0.5, 20},
                     {HT10, 0.5, 0.5, 1, 0, 0.5, 20},
                     {"random:25:2", 0, 0, 1, 0, 1, 30},
                     {"random:6:9", 1, 2, 3, 0, 0.5, 40}};
  for (const Case &k : cases) {
    Network net = network_for(k.cities, RULE_SOFTASSIGN, k.a, k.b, k.d);
    net.t0 = k.t0, net.gamma = k.gamma, net.sinkhorn = k.sinkhorn, net.cooling = 0.95;
    start_run(net, 3);
    double columns = 0.0, rows = 0.0;
    for (int s = 0; s < 150; s++) {
      update_state();
      columns = std::fmax(columns, worst_sum(false));
      if (s < 5 || s == 149) rows = std::fmax(rows, worst_sum(true));
    }
    EXPECT_LE(columns, 1e-12) << k.cities;
    EXPECT_LE(rows, 1e-9) << k.cities;
  }
  reset_network();
}

// The largest distance of an output from 1 / N after `sweeps` sweeps at the fixed temperature
// factor times the critical one, from the uniform state moved by a small perturbation that keeps
// each row's (and each column's) sum, over that distance at the start.
double perturbation_after(const Network &base, double factor, int sweeps) {
  Network net = base;
  net.t0 = factor * critical_temperature(net), net.cooling = 1.0;
  set_up(net);
  const int n = net.n;
  srand(77);
  static double x[MAXCITY][MAXCITY];
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) x[i][j] = rand() / 2147483647.0 - 0.5;
  for (int pass = 0; pass < 2; pass++) // centred along rows, then columns, then rows again
    for (int i = 0; i < n; i++) {
      double row = 0.0, column = 0.0;
      for (int k = 0; k < n; k++) row += x[i][k], column += x[k][i];
      for (int k = 0; k < n; k++) x[i][k] -= row / n;
      if (pass == 0)
        for (int k = 0; k < n; k++) x[k][i] -= column / n;
    }
  const auto away = [n]() {
    double worst = 0.0;
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) worst = std::fmax(worst, std::fabs(unitout[i][j] - 1.0 / n));
    return worst;
  };
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) unitout[i][j] = 1.0 / n + 1e-7 * x[i][j];
  const double start = away();
  for (int s = 0; s < sweeps; s++) update_state();
  return away() / start;
}

TEST(Normalised, TheUniformStateTurnsUnstableAtTheCriticalTemperature) {
  struct Case {
    std::string cities;
    Rule rule;
    double a, b, d, gamma;
  } const cases[] = {{HT10, RULE_POTTS, 0.5, 1, 1, 0},
                     {HT10, RULE_POTTS, 0, 0, 1, 0},
                     {"random:13:5", RULE_POTTS, 0.2, 2, 1, 0},
                     {"random:8:2", RULE_POTTS, 1, 0.5, 3, 0},
                     {HT10, RULE_SOFTASSIGN, 0, 0, 1, 0.5},
                     {"random:13:5", RULE_SOFTASSIGN, 0.5, 0.5, 2, 0.2}};
  for (const Case &k : cases) {
    Network net = network_for(k.cities, k.rule, k.a, k.b, k.d);
    net.gamma = k.gamma, net.sinkhorn = 10;
    ASSERT_GT(critical_temperature(net), 0.0) << k.cities;
    EXPECT_LT(perturbation_after(net, 1.03, 400), 0.1) << k.cities << " rule " << k.rule;
    EXPECT_GT(perturbation_after(net, 0.97, 400), 10) << k.cities << " rule " << k.rule;
  }
  reset_network();
}

// Above 100 cities the distances' spectrum is had another way (tridiagonalisation and QL, not
// Jacobi rotations): its critical temperature is still where the uniform state turns unstable.
TEST(Normalised, TheCriticalTemperatureHoldsAboveAHundredCities) {
  struct Case {
    std::string cities;
    Rule rule;
    double a, b, d, gamma;
  } const cases[] = {{"random:120:5", RULE_POTTS, 0.2, 2, 1, 0},
                     {"random:101:3", RULE_POTTS, 0, 0, 1, 0},
                     {"random:120:5", RULE_SOFTASSIGN, 0.5, 0.5, 2, 0.2}};
  for (const Case &k : cases) {
    Network net = network_for(k.cities, k.rule, k.a, k.b, k.d);
    net.gamma = k.gamma, net.sinkhorn = 10;
    ASSERT_GT(critical_temperature(net), 0.0) << k.cities;
    EXPECT_LT(perturbation_after(net, 1.05, 200), 0.1) << k.cities << " rule " << k.rule;
    EXPECT_GT(perturbation_after(net, 0.95, 200), 10) << k.cities << " rule " << k.rule;
  }
  reset_network();
}

// The same run in the batch's lanes and alone: lanes of differing coefficients (so differing
// critical temperatures) and C, every byte of the final state.
TEST(Normalised, LanesRunAsTheNetworkRunsAlone) {
  choose_activation();
  static Batch batch;
  static double final[MAXCITY][MAXCITY], before[MAXCITY][MAXCITY], before2[MAXCITY][MAXCITY];
  for (Rule rule : {RULE_POTTS, RULE_SOFTASSIGN})
    for (const char *cities : {"random:9:3", "random:17:8"}) {
      Network base = network_for(cities, rule, 0.5, 1, 1);
      base.sweeps = 40, base.cooling = 0.93, base.gamma = 0.3, base.sinkhorn = 7;
      Network lane[NLANE];
      for (int l = 0; l < NLANE; l++) {
        lane[l] = base;
        lane[l].a = 0.1 * l, lane[l].b = 1 + 0.05 * l, lane[l].c = l % 3 ? 0.0 : 0.25;
        lane[l].t0 = l % 4 ? 0.0 : 0.3; // the critical temperature, a lane's own, or 0.3
        batch_start(&batch, l, lane[l], uint32_t(100 + l));
      }
      batch_sweeps(&batch);
      int differing = 0;
      for (int l = 0; l < NLANE; l++) {
        batch_take(&batch, l, final, before, before2);
        start_run(lane[l], uint32_t(100 + l));
        for (int s = 0; s < base.sweeps; s++) update_state();
        for (int i = 0; i < network.n; i++)
          differing += memcmp(final[i], unitout[i], sizeof(double) * size_t(network.n)) != 0;
      }
      EXPECT_EQ(differing, 0) << cities << " rule " << rule;
    }
  reset_network();
}

// The description names the start temperature used: the critical one for the coefficients, the
// lowest and highest over a survey's grid, or the one given.
TEST(Normalised, TheDescriptionSaysTheStartTemperature) {
  Network net = network_for(HT10, RULE_POTTS, 0.5, 1, 1);
  net.bias_ab = true;
  char said[64];
  snprintf(said, sizeof said, "t0 critical %.17g", critical_temperature(net));
  const std::string trace =
      run(std::string(TRACE) + " --rule potts --cities " + HT10 + " --distances raw 0.5 1 1 1").out;
  const std::string head = lines_of(trace)[0];
  EXPECT_NE(head.find("rule potts, t0 critical "), std::string::npos) << head;
  EXPECT_NEAR(std::stod(head.substr(head.find("critical ") + 9)), critical_temperature(net), 1e-15)
      << said;
  const std::string survey =
      run(std::string(SURVEY) + " --seeds 1:2 --rule softassign 0:1:0.5 1 1").out;
  EXPECT_NE(survey.find(" ... "), std::string::npos) << survey;
  EXPECT_NE(survey.find("(each grid point's)"), std::string::npos) << survey;
  EXPECT_NE(run(std::string(TRACE) + " --rule potts --t0 0.3 1 1 1 1").out.find("t0 0.3,"),
            std::string::npos);
  reset_network();
}

// Their limits' ends are read (the refusals are Network.BadNetworkValuesAreRefused's).
TEST(Normalised, TheirSettingsLimitsAreRead) {
  for (const char *good :
       {"--rule potts --t0 critical --cooling 1", "--rule softassign --sinkhorn 1000 --sweeps 2"})
    EXPECT_EQ(run(std::string(TRACE) + " 1 1 1 5 " + good).status, 0) << good;
}

} // namespace
