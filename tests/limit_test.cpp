// Networks above the batch's limit, up to the family's: the survey runs each alone in the model,
// and its runs are the tracer's for every rule, on both sides of the batch's limit, with workers
// and in one process, in shards and with --methods; the tools run at MAXCITY cities under the
// default stack, refuse one city more, and show a long run's progress sweep by sweep.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "batch.h"
#include "network.h"
#include "run.h"

namespace {

const std::string PR1002 = std::string(SOURCE_DIR) + "/data/tsplib/pr1002.tsp";

// Every row of the survey's CSV for member (and the coefficients 1 1 1.5) against the tracer's
// run of the same seed: "" when all agree, else what differs first. rows is how many there must be.
std::string survey_against_trace(const std::string &survey_options, const std::string &member,
                                 size_t rows) {
  Ran survey = run(std::string(SURVEY) + " --csv " + survey_options + " " + member + " 1 1 1.5");
  if (survey.status != 0) return "status " + std::to_string(survey.status) + ": " + survey.err;
  auto got = csv_rows(survey.out);
  if (got.size() != rows) return std::to_string(got.size()) + " rows";
  for (auto &row : got) {
    const std::string differs =
        row_against_trace(row, std::string(TRACE) + " --csv " + member + " 1 1 1.5");
    if (!differs.empty()) return "seed " + row["seed"] + ": " + differs;
  }
  return "";
}

// Every rule of the family at a size no batch holds: the survey's runs (each alone in a worker,
// or in this process with --jobs 1) are the tracer's, to the last bit of the energy.
TEST(Limit, TheSurveysRunsAboveTheBatchsLimitAreTheTracersForEveryRule) {
  static_assert(BATCH_MAXCITY < 120 && 120 <= MAXCITY, "120 cities run alone");
  const std::string cities = "--cities random:120:3 ";
  const std::string members[] = {
      cities + "--sweeps 4",
      cities + "--rule sync --sweeps 5 --C 0.5",
      cities + "--rule euler --sweeps 6 --dt-decay 0.01 --start centred",
      cities + "--rule tcnn --u0 0.02 --distances unit --sweeps 6 --noise 0.1 --noise-decay 0.02",
      cities + "--rule potts --sweeps 4",
      cities + "--rule softassign --sweeps 3 --sinkhorn 4"};
  for (const std::string &member : members) {
    EXPECT_EQ(survey_against_trace("--seeds 1:3 --jobs 2", member, 3), "") << member;
    EXPECT_EQ(survey_against_trace("--seeds 4:4 --jobs 1", member, 1), "") << member;
  }
}

// The batch's largest network runs in lanes, one city more alone: both are the tracer's.
TEST(Limit, BothSidesOfTheBatchsLimitAreTheTracers) {
  for (int n : {int(BATCH_MAXCITY), int(BATCH_MAXCITY) + 1})
    for (const char *rule : {"--rule euler --sweeps 5", "--rule tcnn --noise 0.05 --sweeps 4"}) {
      const std::string member = "--cities random:" + std::to_string(n) + ":9 " + rule;
      EXPECT_EQ(survey_against_trace("--seeds 1:2", member, 2), "") << member;
    }
}

// Shards of a survey of networks that run alone merge into the whole survey's output, and
// --methods runs the network methods and a heuristic at that size.
TEST(Limit, ShardsAndMethodsAboveTheBatchsLimit) {
  const std::string dir = testing::TempDir();
  const std::string args = " --seeds 1:3 --cities random:110:4 --sweeps 3 1 1 1";
  Ran whole = run(std::string(SURVEY) + args);
  ASSERT_EQ(whole.status, 0) << whole.err;
  for (int k = 0; k < 2; k++) {
    Ran shard = run(std::string(SURVEY) + " --shard " + std::to_string(k) + "/2 -o " + dir +
                    "limit_shard" + std::to_string(k) + ".csv" + args);
    ASSERT_EQ(shard.status, 0) << shard.err;
  }
  Ran merged =
      run(std::string(SURVEY) + " --merge " + dir + "limit_shard0.csv " + dir + "limit_shard1.csv");
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(merged.out, whole.out);
  Ran methods = run(std::string(SURVEY) + " --csv --seeds 1:2 --cities random:110:4 --sweeps 3 "
                                          "--methods hopfield-tank,softassign,nearest");
  ASSERT_EQ(methods.status, 0) << methods.err;
  auto rows = csv_rows(methods.out);
  ASSERT_EQ(rows.size(), 6u) << methods.out;
  EXPECT_EQ(rows[4]["valid"], "1"); // the nearest neighbour's tour is always one
}

// At the family's limit, under the default 8 MB stack (the tools' arrays are static, never on the
// stack): the tracer under an all-at-once rule and the in-place one, and the survey with two
// workers, one sweep each (a sweep and a cycle's measures take seconds at this size).
TEST(Limit, TheTracerRunsAtTheFamilysLimit) {
  static_assert(MAXCITY == 1002, "pr1002 is the family's largest");
  for (const char *rule : {"--rule sync", "--rule inplace"}) {
    Ran trace = run(std::string("ulimit -s 8192 && ") + TRACE + " --csv --sweeps 1 --cities " +
                    PR1002 + " " + rule + " 1 1 1 5");
    ASSERT_EQ(trace.status, 0) << rule << trace.err;
    EXPECT_EQ(trace.err, "");
    EXPECT_EQ(csv_rows(trace.out).size(), 1u) << rule; // cycle 0
    EXPECT_NE(trace.out.find("1002 cities"), std::string::npos) << trace.out.substr(0, 300);
  }
}

TEST(Limit, TheSurveyRunsAtTheFamilysLimit) {
  Ran survey = run(std::string("ulimit -s 8192 && ") + SURVEY +
                   " --jobs 2 --seeds 1:2 --sweeps 1 --rule sync --cities " + PR1002 + " 1 1 1");
  ASSERT_EQ(survey.status, 0) << survey.err;
  const std::vector<std::string> lines = lines_of(survey.out);
  ASSERT_GE(lines.size(), 4u) << survey.out;
  EXPECT_EQ(lines[0], "network: pr1002, 1002 cities, rule sync, sweeps 1");
  EXPECT_EQ(lines[1].rfind("optimal tour 1-2-5-3-", 0), 0u); // its tour file's: the optimum's kind
  // The tour's text names each city 1 ... 1002 once, four digits too (it was written with three).
  std::vector<int> seen(MAXCITY + 1, 0);
  std::string tour = lines[1].substr(lines[1].find("1-"));
  tour = tour.substr(0, tour.find(','));
  for (size_t at = 0; at < tour.size();) {
    const size_t dash = std::min(tour.find('-', at), tour.size());
    const int city = std::stoi(tour.substr(at, dash - at));
    ASSERT_TRUE(city >= 1 && city <= MAXCITY) << tour.substr(at, dash - at);
    seen[size_t(city)]++, at = dash + 1;
  }
  EXPECT_EQ(std::count(seen.begin() + 1, seen.end(), 1), MAXCITY);
  EXPECT_NE(lines[3].find(" 1     1     1      2 "), std::string::npos) << lines[3];
}

// One city more than the family holds is refused, random or from a file, naming the limit.
TEST(Limit, OneCityMoreThanTheLimitIsRefused) {
  const std::string most = std::to_string(MAXCITY), over = std::to_string(MAXCITY + 1);
  for (const std::string &tool :
       {std::string(TRACE) + " 1 1 1 5", std::string(SURVEY) + " 1 1 1"}) {
    Ran r = run(tool + " --cities random:" + over + ":1");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(
        r.err.find("'random:" + over + ":1': " + over + " cities: a network has 4 to " + most),
        std::string::npos)
        << r.err;
  }
  const std::string file = testing::TempDir() + "limit_" + over + ".txt";
  {
    std::ofstream lines(file);
    for (int k = 0; k <= MAXCITY; k++) lines << k % 37 << " " << k / 37 << "\n";
  }
  Ran r = run(std::string(TRACE) + " --cities " + file + " 1 1 1 5");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(":" + std::to_string(MAXCITY + 1) + ": more than " + most + " cities"),
            std::string::npos)
      << r.err;
  std::remove(file.c_str());
}

// A survey whose runs each take seconds shows its sweeps on a terminal as they are made, and
// clears the line at its end.
TEST(Limit, ALongRunsSweepsShowOnATerminal) {
  if (run("command -v script").status != 0) GTEST_SKIP() << "no script(1) to give a terminal";
  const std::string args = " --seeds 1:2 --cities random:300:1 --sweeps 60 1 1 1 > /dev/null";
  const std::string on_terminal =
      run("script -qec '" + std::string(SURVEY) + args + "' /dev/null").out;
  EXPECT_NE(on_terminal.find(" of 120 sweeps"), std::string::npos) << on_terminal;
  ASSERT_GE(on_terminal.size(), 4u);
  EXPECT_EQ(on_terminal.substr(on_terminal.size() - 4), "\r\033[K");
}

} // namespace
