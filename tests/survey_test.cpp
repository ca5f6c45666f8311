// The survey's pieces in process: decoding states, the canonical cycle, the optimum and tour
// ratios worked out by hand, coefficient ranges and seeds.
#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "optimum.h"
#include "plan.h"
#include "rows.h"

namespace {

std::string text(const Tour &t) {
  return tour_text(t).s;
}

// A tour from its printed form, "2-3-4-...".
Tour tour_of(const std::string &text) {
  Tour t;
  for (int j = 0; j < NCITY; j++) t.city[j] = text[size_t(2 * j)] - '1';
  return t;
}

TEST(Decode, ReadsOneUnitAboveOneHalfPerRowAndColumn) {
  static double state[MAXCITY][MAXCITY];
  for (auto &row : state)
    for (double &u : row) u = 0.5; // exactly 0.5 is not on
  const Tour t = tour_of("2-3-4-5-8-1-6-7-9");
  for (int j = 0; j < NCITY; j++) state[t.city[j]][j] = 0.51;
  Tour got;
  ASSERT_TRUE(decode_tour(state, &got));
  EXPECT_EQ(text(got), "2-3-4-5-8-1-6-7-9");
  state[1][8] = 0.9; // city 2 on twice, and position 9 holds two cities
  EXPECT_FALSE(decode_tour(state, &got));
  state[1][8] = 0.5;
  state[1][0] = 0.5; // position 1 holds no city
  EXPECT_FALSE(decode_tour(state, &got));
}

TEST(Tour, CanonicalFormFoldsRotationsAndReversals) {
  reset_network(); // the distances of nuv's cities, before any run
  const std::string cycle = "7-6-5-4-3-2-9-1-8";
  Tour t = tour_of(cycle);
  const double length = tour_length(t);
  for (int turn = 0; turn < 2 * NCITY; turn++) {
    Tour r;
    for (int j = 0; j < NCITY; j++)
      r.city[j] = turn < NCITY ? t.city[(j + turn) % NCITY] : t.city[(NCITY + turn - j) % NCITY];
    EXPECT_EQ(text(canonical_tour(r)), "1-8-7-6-5-4-3-2-9") << text(r);
    EXPECT_NEAR(tour_length(r), length, 1e-12);
  }
  EXPECT_EQ(text(canonical_tour(tour_of("1-2-3-4-5-6-7-8-9"))), "1-2-3-4-5-6-7-8-9");
}

// Every city number up to MAXCITY is written whole, each digit of it, and the text of a tour
// of MAXCITY cities (counted by hand: 9 of one digit, 90 of two, ...) fits its buffer.
TEST(Tour, TextWritesEveryDigitOfEveryCityUpToTheLimit) {
  const int n = network.n;
  network.n = MAXCITY;
  Tour t;
  for (int j = 0; j < MAXCITY; j++) t.city[j] = MAXCITY - 1 - j; // the largest numbers first
  std::string want;
  for (int j = 0; j < MAXCITY; j++) want += (j > 0 ? "-" : "") + std::to_string(MAXCITY - j);
  EXPECT_EQ(text(t), want);
  EXPECT_EQ(sizeof(TourText), want.size() + 1);
  network.n = n;
  EXPECT_EQ(tour_text_size(9), 18);
  EXPECT_EQ(tour_text_size(100), 9 + 2 * 90 + 3 + 99 + 1);
  EXPECT_EQ(tour_text_size(1002), 9 + 2 * 90 + 3 * 900 + 4 * 3 + 1001 + 1);
}

TEST(Tally, RatesValidRunsAgainstTheOptimumOfSixPlusSixRootFive) {
  reset_network(); // the distances of nuv's cities, before any run
  const Optimum o = find_optimum();
  EXPECT_NEAR(o.length, 6 + 6 * std::sqrt(5.0), 1e-12);
  EXPECT_EQ(text(o.tour), "1-4-3-2-9-8-7-6-5");
  Tally tally;
  auto add = [&](const char *tour, bool valid) {
    const Tour t = tour_of(tour);
    tally.add({0.0, valid ? OUTCOME_TOUR : OUTCOME_MISSING, MOTION_SETTLED, true, t,
               valid ? tour_length(t) : 0.0, 0},
              o);
  };
  add("1-2-3-4-5-6-7-8-9", true);
  add("1-2-3-4-5-6-7-8-9", false);
  add("5-6-7-8-9-2-3-4-1", true); // the optimum, turned round
  add("1-2-3-4-5-6-7-8-9", false);
  add("1-8-7-6-5-4-3-2-9", true); // its mirror image about x = 3
  EXPECT_EQ(tally.runs, 5u);
  EXPECT_DOUBLE_EQ(tally.valid_percent(), 60.0);
  EXPECT_DOUBLE_EQ(tally.optimal_percent(), 40.0);
  const double plain_ratio = (8 + 4 * std::sqrt(5.0) + std::sqrt(10.0)) / (6 + 6 * std::sqrt(5.0));
  EXPECT_NEAR(tally.ratio_sum / double(tally.valid), (plain_ratio + 2.0) / 3, 1e-12);
  EXPECT_EQ(text(tally.best), "1-4-3-2-9-8-7-6-5");
  EXPECT_NEAR(tally.best_ratio, 1.0, 1e-12);
}

TEST(Tally, WilsonIntervalsWorkedOutByHand) {
  // n = 10, z^2 = 3.8415: 0 of 10 gives 0 ... 27.75 %, 5 of 10 gives 50 -+ 26.34 %, and 10 of 10
  // mirrors 0 of 10; 766 of 1,000 gives 73.88 ... 79.12 %.
  double low, high;
  wilson_interval(0, 10, &low, &high);
  EXPECT_EQ(low, 0.0);
  EXPECT_NEAR(high, 27.753, 1e-3);
  wilson_interval(5, 10, &low, &high);
  EXPECT_NEAR(low, 23.659, 1e-3);
  EXPECT_NEAR(high, 76.341, 1e-3);
  wilson_interval(10, 10, &low, &high);
  EXPECT_NEAR(low, 72.247, 1e-3);
  EXPECT_NEAR(high, 100.0, 1e-9);
  wilson_interval(766, 1000, &low, &high);
  EXPECT_NEAR(low, 73.88, 5e-3);
  EXPECT_NEAR(high, 79.12, 5e-3);
}

// Reads a command line of survey arguments into a plan.
PlanResult read(std::vector<std::string> args, Plan *plan, std::string *error) {
  args.insert(args.begin(), "nuv-survey");
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  return read_plan(int(argv.size()), argv.data(), plan, error);
}

TEST(Plan, RangesIncludeTheirEndAndGiveTheTypedDoubles) {
  Plan plan;
  std::string error;
  ASSERT_EQ(read({"0.5:3:0.1", "0:1:0.25", "0:0.3:0.1"}, &plan, &error), PLAN_OK) << error;
  ASSERT_EQ(plan.axes[0].values.size(), 26u);
  for (size_t k = 0; k < 26; k++) {
    std::string typed = std::to_string(5 + k); // tenths
    typed.insert(typed.size() - 1, ".");
    EXPECT_EQ(plan.axes[0].values[k], std::stod(typed)) << typed;
  }
  EXPECT_EQ(plan.axes[1].values, (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
  EXPECT_EQ(plan.axes[2].values, (std::vector<double>{0, 0.1, 0.2, 0.3}));
  EXPECT_EQ(run_count(plan), 26u * 5 * 4 * 1000);
  // Texts whose decimals are extreme still read as their values.
  ASSERT_EQ(
      read({"0e-99999999999999999999:1:0.5", "1e300:1e300:1e-300", "0x1p-2:1:0.25"}, &plan, &error),
      PLAN_OK);
  EXPECT_EQ(plan.axes[0].values, (std::vector<double>{0, 0.5, 1}));
  EXPECT_EQ(plan.axes[1].values, std::vector<double>{1e300});
  EXPECT_EQ(plan.axes[2].values, (std::vector<double>{0.25, 0.5, 0.75, 1}));
}

TEST(Plan, CoefficientSetsRunWithAcoefOutermost) {
  Plan plan;
  std::string error;
  ASSERT_EQ(read({"--seeds", "7:9", "--jobs=3", "1:2:1", "-1:0:1", "5:7:1"}, &plan, &error),
            PLAN_OK);
  EXPECT_EQ(run_count(plan), 12u * 3);
  EXPECT_EQ(plan.jobs, 3);
  const std::vector<double> expected[] = {{1, -1, 6}, {1, 0, 5}, {2, 0, 7}};
  const uint64_t set[] = {1, 3, 11};
  for (int k = 0; k < 3; k++) {
    const Network point = grid_point(plan, set[k]);
    EXPECT_EQ((std::vector<double>{point.a, point.b, point.d}), expected[k]) << set[k];
  }
}

TEST(Plan, RefusesWhatItCannotReadAndNamesIt) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"1", "1"}, "missing coefficient Dcoef"},
      {{"1", "1", "1", "2"}, "unexpected argument '2'"},
      {{"1", "x", "1"}, "Bcoef 'x'"},
      {{"1", "1", "inf"}, "Dcoef 'inf'"},
      {{"1", "1", "1e999"}, "'1e999'"},
      {{"1", "1", "0:1:0"}, "step '0' is not above 0"},
      {{"2:1:1", "1", "1"}, "FROM '2' is above TO '1'"},
      {{"1", "0:1", "1"}, "FROM:TO:STEP"},
      {{"1", "0:2e6:1", "1"}, "more than a million"},
      {{"--seeds", "-1:3", "1", "1", "1"}, "seeds '-1:3'"},
      {{"--seeds", "0:4294967296", "1", "1", "1"}, "seeds '0:4294967296'"},
      {{"--seeds", "3:1", "1", "1", "1"}, "FIRST is above LAST"},
      {{"--jobs", "257", "1", "1", "1"}, "--jobs '257'"},
      {{"1", "1", "1", "--jobs"}, "--jobs needs a value"},
      {{"--fast", "1", "1", "1"}, "unknown option '--fast'"},
      {{"--svg", "x.svg", "0:1:1", "0:1:1", "0:1:1"}, "not three"},
      // Run counts that would wrap: 2^32 * 10^10, and 4294967292 * 858650 * 5002 = 2^64 - 16.
      {{"--seeds", "0:4294967295", "1:100000:1", "1:100000:1", "1"},
       "the plan has 42949672960000000000 runs"},
      {{"--seeds", "0:4294967291", "0:858649:1", "0:5001:1", "1"},
       "the plan has 18446744073709551600 runs"},
      // The shape is refused before a million values are expanded three times over.
      {{"--svg", "x.svg", "0:999999:1", "0:999999:1", "0:999999:1"}, "not three"},
      {{"--svg", "x.svg", "--heat", "ratio", "1", "1", "1"}, "with one triple"},
      // Values that overflow, that the step cannot tell apart, one value too many.
      {{"1", "1", "1.7966931348623157e+308:1.7976931348623157e308:1.0000005000002501e+305"},
       "the values overflow"},
      {{"1", "1e16:10000000000000010:1", "1"}, "too small to give distinct values"},
      {{"0:999999.9999995:1", "1", "1"}, "more than a million values"},
      {{"-1e308:1e308:1e300", "1", "1"}, "more than a million values"},
      // Every message stays on one line, its arguments escaped.
      {{"1", "1", "2\n\x1b[31m"}, "Dcoef '2\\n\\x1b[31m'"},
      {{"--svg", "h.svg", "1", "0:1000:1", "0:1:1"}, "Bcoef has 1001 values"},
      {{"--heat", "ratio", "1", "1", "0:1:1"}, "--heat needs --svg"},
      {{"--svg", "h.svg", "--heat=hot", "1", "1", "0:1:1"}, "--heat 'hot' is not valid"},
  };
  for (const auto &[args, message] : bad) {
    Plan plan;
    std::string error;
    EXPECT_EQ(read(args, &plan, &error), PLAN_BAD) << message;
    EXPECT_NE(error.find(message), std::string::npos) << "got: " << error;
  }
  Plan plan;
  std::string error;
  EXPECT_EQ(read({"--seeds", "0:4294967295", "-1", "-.5", "1e-3"}, &plan, &error), PLAN_OK)
      << error;
  EXPECT_EQ(seed_count(plan), 4294967296u);
  // Leading zeros, the exact million, and subnormals alike, whether typed or in hexadecimal.
  ASSERT_EQ(read({"--seeds", "000000000000000000001:0002", "0:999999:1", "1e-310", "0x1p-1074"},
                 &plan, &error),
            PLAN_OK)
      << error;
  EXPECT_EQ(seed_count(plan), 2u);
  EXPECT_EQ(plan.axes[0].values.size(), 1000000u);
  EXPECT_EQ(plan.axes[1].values[0], 1e-310);
  // A value that rounds to zero, or a typed -0, is zero, never negative zero.
  ASSERT_EQ(read({"-0.9:0.3:0.3", "-0", "1"}, &plan, &error), PLAN_OK);
  EXPECT_EQ(plan.axes[0].values.size(), 5u);
  EXPECT_FALSE(std::signbit(plan.axes[0].values[3]));
  EXPECT_FALSE(std::signbit(plan.axes[1].values[0]));
  EXPECT_EQ(read({"1", "--help"}, &plan, &error), PLAN_HELP);
}

} // namespace
