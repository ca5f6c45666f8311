// nuv as its user runs it: the usage path, the shape of the transcript, the reading of the seed
// and of the coefficients, and a failing standard output.
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <string>

#include "run.h"

namespace {

std::string nuv(const std::string &args) {
  return run(std::string(NUV) + " " + args).out;
}

// Whole transcripts are compared without printing them.
#define EXPECT_SAME(a, b) EXPECT_TRUE((a) == (b)) << #a << " differs from " << #b

std::string heading(int cycle) {
  char h[64];
  snprintf(h, sizeof h, "    ###   Sequence     Cycle : %4d   ###", cycle);
  return h;
}

TEST(Nuv, ShortCommandLinesGetOnlyTheUsageAndStatusZero) {
  for (const char *args : {"", "1", "1 1", "1 1 1"}) {
    Ran r = run(std::string(NUV) + " " + args);
    EXPECT_EQ(r.out, " Usage: nuv Acoef Bcoef Dcoef seed\n") << args;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
  }
}

TEST(Nuv, RunIsFiftyTablesWithEnergyLinesFromCycleOne) {
  Ran r = run(std::string(NUV) + " 1 1 1 5");
  EXPECT_EQ(r.status, 0);
  auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 599u);
  const std::regex label("City ( {4}[1-9]  ){9}"), row(" {3}[1-9]  ( [01]\\.[0-9]{2}  ){9}");
  size_t at = 0;
  for (int cycle = 0; cycle < 50; cycle++) {
    EXPECT_EQ(lines[at++], heading(cycle));
    EXPECT_TRUE(std::regex_match(lines[at++], label));
    for (int i = 1; i <= 9; i++, at++)
      EXPECT_TRUE(std::regex_match(lines[at], row) && lines[at][3] == '0' + i) << lines[at];
    if (cycle > 0) {
      EXPECT_TRUE(std::regex_match(lines[at++], std::regex(" Energy = [0-9]+\\.[0-9]{6}")));
    }
  }
}

TEST(Nuv, ZeroCoefficientsSettleAtOneHalfWithZeroEnergy) {
  std::string body = "City     1      2      3      4      5      6      7      8      9  \n";
  for (int i = 1; i <= 9; i++)
    body += "   " + std::to_string(i) +
            "   0.50   0.50   0.50   0.50   0.50   0.50   0.50   0.50   0.50  \n";
  std::string expected;
  for (int cycle = 1; cycle < 50; cycle++)
    expected += heading(cycle) + "\n" + body + " Energy = 0.000000\n";
  std::string out = nuv("0 0 0 17");
  EXPECT_SAME(out.substr(out.find(heading(1))), expected);
}

TEST(Nuv, CycleZeroShowsTheGeneratorsFirst81DrawsRowByRow) {
  srand(5);
  std::string expected, got;
  for (int i = 0; i < 81; i++) {
    char v[16];
    snprintf(v, sizeof v, "%5.2f  ", rand() / 2147483647.0);
    expected += v;
  }
  auto lines = lines_of(nuv("0 0 0 5"));
  for (int i = 2; i < 11; i++) got += lines[i].substr(6);
  EXPECT_EQ(got, expected);
}

TEST(Nuv, SeedIsTruncatedAndWrappedAndNonNumbersSeedWithZero) {
  const std::string seven = nuv("1 1 1 7"), zero = nuv("1 1 1 0");
  EXPECT_FALSE(seven == nuv("1 1 1 8") || zero == nuv("1 1 1 2"));
  EXPECT_SAME(nuv("1 1 1 7.9"), seven);
  EXPECT_SAME(nuv("1 1 1 7abc"), seven);
  EXPECT_SAME(nuv("1 1 1 7 9 x"), seven); // arguments after the fourth are ignored
  EXPECT_SAME(nuv("1 1 1 -2.5"), nuv("1 1 1 -2"));
  EXPECT_SAME(nuv("1 1 1 -2"), nuv("1 1 1 4294967294"));
  EXPECT_SAME(nuv("1 1 1 4294967301"), nuv("1 1 1 5"));
  for (const char *seed : {"abc", "0.7", "1e300", "-1e300", "9.3e18", "inf", "-inf", "nan"})
    EXPECT_SAME(nuv(std::string("1 1 1 ") + seed), zero) << seed;
}

TEST(Nuv, CoefficientsAreReadInOrderAndNonNumbersCountAsZero) {
  const std::string run = nuv("1 0.5 2 3");
  EXPECT_FALSE(run == nuv("0.5 1 2 3") || run == nuv("1 2 0.5 3"));
  EXPECT_SAME(nuv("x 0 zero 3"), nuv("0 0 0 3"));
  EXPECT_SAME(nuv("1.5kg 1 1 3"), nuv("1.5 1 1 3"));
}

TEST(Nuv, AFullDeviceFailsWithStatusOneAndAMessage) {
  for (const char *args : {" 1 1 1 5", ""}) {
    Ran r = run(std::string(NUV) + args + " >/dev/full");
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.err, "nuv: cannot write standard output: No space left on device\n");
  }
}

} // namespace
