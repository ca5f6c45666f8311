// The network family through its tools: for every member the survey's runs are the tracer's
// (tour, energy, outcome, motion), nuv's network through the new options is nuv's, L never rises
// where the argument says it cannot and does where it says nothing, and sync runs on nuv's
// cities fall into period-2 cycles.
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "cities.h"
#include "run.h"
#include "trace.h"

namespace {

TEST(Network, TheSurveysRunsAreTheTracersForEveryMember) {
  const std::string tsp = std::string(SOURCE_DIR) + "/data/tsplib/burma14.tsp",
                    ten = std::string(SOURCE_DIR) + "/data/literature/ht10.txt",
                    chaotic = "--rule tcnn --u0 0.008 --bias 1 --distances raw --cities " + ten;
  const std::string members[] = {
      "--rule sync", "--rule euler --sweeps 200 --start centred", "--C 0.5 --n 8",
      "--cities random:12:7 --bias 1.5 --u0 0.3", "--cities random:4:3 --rule sync",
      "--rule euler --sweeps 100 --dt 0.05 --C 1 --cities " + tsp,
      "--rule euler --sweeps 200 --start centred --dt-decay 0.01",
      "--cities random:12:7 --rule euler --sweeps 150 --dt 0.2 --dt-decay 0.003 --distances unit",
      "--distances unit --C 0.5", "--rule euler --dt-decay 0.02 --distances unit --cities " + tsp,
      // The transiently chaotic rule, without noise and with it: each lane draws its own.
      chaotic + " --sweeps 400 --beta 0.02",
      chaotic + " --sweeps 400 --beta 0.02 --noise 0.05 --noise-decay 0.01",
      chaotic + " --sweeps 300 --beta 0.03 --noise 0.02 --start centred --k 0.85 --alpha 0.02",
      "--rule tcnn --cities random:12:7 --distances unit --u0 0.02 --sweeps 200 --beta 0.05 "
      "--noise 0.1 --noise-decay 0.02 --z0 0.1 --i0 0.6",
      "--rule tcnn --cities random:4:3 --sweeps 60 --noise 0.3 --C 0.5 --n 4",
      // The normalised rules: each lane at its own critical temperature.
      "--rule potts --cities random:11:2",
      "--rule potts --C 0.5 --t0 0.4 --cooling 0.9 --sweeps 60 --distances unit",
      "--rule softassign --cities " + ten + " --distances raw --t0 0.2 --bias 0",
      "--rule softassign --gamma 1 --sinkhorn 5 --start centred --sweeps 30"};
  for (const std::string &member : members) {
    Ran survey = run(std::string(SURVEY) + " --csv --seeds 1:12 " + member + " 1 1 1.5");
    ASSERT_EQ(survey.status, 0) << member << survey.err;
    EXPECT_EQ(survey.out.rfind("Acoef,", 0), 0u) << member; // the header first, no "#" line
    auto rows = csv_rows(survey.out);
    ASSERT_EQ(rows.size(), 12u) << member;
    int tours = 0;
    for (auto &row : rows) {
      EXPECT_EQ(row_against_trace(row, std::string(TRACE) + " --csv " + member + " 1 1 1.5"), "")
          << member << " seed " << row["seed"];
      EXPECT_EQ(row["settled"], row["motion"] == "settled" ? "1" : "0") << member;
      tours += row["valid"] == "1";
    }
    RecordProperty(member, tours);
  }
}

// --dt-decay 0 is the Euler rule as it was, to the bit: the tracer's transcript and the survey's
// runs are the same bytes with it and without it.
TEST(Network, NoDecayOfTheEulerStepChangesNoBit) {
  const std::string member = " --rule euler --sweeps 300 --dt 0.05 --cities random:10:4 ";
  const Ran plain = run(std::string(TRACE) + " --tables" + member + "1 1 1.5 8"),
            zero = run(std::string(TRACE) + " --tables --dt-decay 0" + member + "1 1 1.5 8"),
            decayed = run(std::string(TRACE) + " --tables --dt-decay 0.01" + member + "1 1 1.5 8");
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(zero.out, plain.out);
  EXPECT_NE(decayed.out, plain.out); // it is read
  const std::string survey = std::string(SURVEY) + " --csv --seeds 1:20" + member;
  auto rows = csv_rows(run(survey + "1 1 1.5").out),
       zeros = csv_rows(run(survey + "--dt-decay 0 1 1 1.5").out);
  ASSERT_EQ(rows.size(), 20u);
  EXPECT_EQ(zeros, rows);
}

TEST(Network, NuvsNetworkChosenByItsOptionsIsNuvs) {
  // Every default given by hand runs nuv's network: its energies, though the header says more.
  const std::string given = "--rule inplace --C 0 --bias A+B --u0 0.5 --start uniform "
                            "--sweeps 50 --distances scaled --n 9 ";
  auto nuv = lines_of(run(std::string(NUV) + " 1.25 0.75 2 99").out);
  auto trace = csv_rows(run(std::string(TRACE) + " --csv " + given + "1.25 0.75 2 99").out);
  ASSERT_EQ(trace.size(), 50u);
  for (int c = 1; c < 50; c++) {
    char energy[64];
    snprintf(energy, sizeof energy, " Energy = %f", std::stod(trace[size_t(c)]["E"]));
    EXPECT_EQ(nuv[size_t(12 * c + 10)], energy) << c;
  }
  // And a file of nuv's nine cities is nuv's network too: the same energies, L and tours.
  Ran cities = run("printf '3 4\\n2 7\\n4 7\\n5 5\\n5 3\\n4 1\\n2 1\\n1 3\\n1 5\\n' > "
                   "/tmp/nuv-test-nine.$$ && " +
                   std::string(TRACE) +
                   " --csv --cities /tmp/nuv-test-nine.$$ 1 1 1 5; rm -f /tmp/nuv-test-nine.$$");
  auto plain = csv_rows(run(std::string(TRACE) + " --csv 1 1 1 5").out),
       other = csv_rows(cities.out);
  ASSERT_EQ(other.size(), 50u);
  for (size_t c = 0; c < 50; c++)
    for (const char *column : {"E", "EA", "EB", "ED", "L", "tour", "rank"})
      EXPECT_EQ(other[c][column], plain[c][column]) << c << " " << column;
}

// The largest rise of L over the cycles of a run of net, relative to |L| + 1.
double largest_rise(const Network &net, uint32_t seed) {
  double previous = NAN, rise = -INFINITY;
  trace_network(net, seed, [&](const Cycle &y) {
    if (y.cycle > 1) rise = std::max(rise, (y.l - previous) / (std::fabs(previous) + 1));
    previous = y.l;
  });
  return rise;
}

TEST(Network, LNeverRisesInPlaceWithoutAGlobalTermAndCanOtherwise) {
  std::mt19937 random(17);
  std::uniform_real_distribution<double> coef(-1, 4);
  std::string name, error;
  reset_network();
  ASSERT_TRUE(load_cities("random:12:5", &name, &error)) << error;
  const Network cities = network;
  int risen[3] = {0, 0, 0};
  for (int n = 0; n < 60; n++) {
    Network net = cities;
    net.target = 12;
    net.a = coef(random), net.b = coef(random), net.d = coef(random);
    const uint32_t seed = uint32_t(random());
    net.rule = RULE_INPLACE, net.c = 0;
    EXPECT_LE(largest_rise(net, seed), 1e-12) << n; // the argument holds: never
    net.c = 3;                                      // a global term well above U0
    risen[0] += largest_rise(net, seed) > 1e-9;
    net.rule = RULE_SYNC, net.c = 0;
    risen[1] += largest_rise(net, seed) > 1e-9;
    net.rule = RULE_EULER, net.sweeps = 300, net.dt = 0.2;
    risen[2] += largest_rise(net, seed) > 1e-9;
  }
  EXPECT_GT(risen[0], 0);
  EXPECT_GT(risen[1], 0);
  RecordProperty("in place with C = 3", risen[0]);
  RecordProperty("sync", risen[1]);
  RecordProperty("euler", risen[2]);
  reset_network();
}

TEST(Network, SyncRunsOnNuvsCitiesCycleWithPeriodTwo) {
  auto rows = csv_rows(run(std::string(SURVEY) + " --csv --rule sync --seeds 1:100 1 1 1").out);
  ASSERT_EQ(rows.size(), 100u);
  int cycling = 0;
  for (auto &row : rows) cycling += row["motion"] == "cycling";
  EXPECT_EQ(cycling, 100);
  // The trace shows it: all units on, then none, and back.
  auto trace = csv_rows(run(std::string(TRACE) + " --csv --rule sync 1 1 1 5").out);
  ASSERT_EQ(trace.size(), 50u);
  EXPECT_EQ(trace[48]["on"], "0");
  EXPECT_EQ(trace[49]["on"], "81");
  EXPECT_EQ(trace[49]["motion"], "cycling");
}

TEST(Network, BadNetworkValuesAreRefusedBeforeAnyRun) {
  for (const char *bad :
       {"--rule fast", "--dt 0", "--dt inf", "--tau -1", "--u0 0", "--sweeps 0", "--sweeps 100001",
        "--n nan", "--bias x", "--start middle", "--distances long", "--C x", "--cities ''",
        "--rule euler --dt-decay 1", "--rule euler --dt-decay -0.1", "--rule euler --dt-decay nan",
        "--dt-decay 0.1", "--rule sync --dt-decay 0", "--dt-decay 0.5 --rule inplace",
        // The new rules' settings under another rule, and out of their limits.
        "--k 0.5", "--rule euler --alpha 1", "--rule sync --z0 0", "--beta 0.1", "--i0 1",
        "--rule inplace --noise 0.1", "--noise-decay 0.1", "--rule tcnn --beta 1",
        "--rule tcnn --noise-decay -0.1", "--rule tcnn --noise nan", "--t0 0.5",
        "--rule sync --cooling 0.9", "--rule euler --gamma 1", "--rule tcnn --sinkhorn 3",
        "--rule potts --gamma 1", "--rule potts --sinkhorn 2", "--rule potts --t0 0",
        "--rule potts --t0 -1", "--rule potts --t0 hot", "--rule softassign --cooling 0",
        "--rule potts --cooling 1.01", "--rule softassign --sinkhorn 0",
        "--rule softassign --sinkhorn 1001", "--rule softassign --gamma x"}) {
    for (const std::string &tool :
         {std::string(TRACE) + " 1 1 1 5 ", std::string(SURVEY) + " 1 1 1 "}) {
      Ran r = run(tool + bad);
      EXPECT_EQ(r.status, 2) << tool << bad;
      EXPECT_EQ(r.out, "");
      EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
    }
  }
}

} // namespace
