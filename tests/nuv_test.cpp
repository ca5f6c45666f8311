// nuv as its user runs it: the usage path, the shape of the transcript, the reading of the seed
// and of the coefficients, and a failing standard output.
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <regex>
#include <string>

#include "run.h"

namespace {

const std::string usage = " Usage: nuv Acoef Bcoef Dcoef seed\n";

std::string nuv(const std::string &args) {
  return run(std::string(NUV) + " " + args).out;
}

// Whole transcripts are compared without printing them.
#define EXPECT_SAME(a, b) EXPECT_TRUE((a) == (b)) << #a << " differs from " << #b
#define EXPECT_DIFFERENT(a, b) EXPECT_TRUE((a) != (b)) << #a << " equals " << #b

std::string heading(int cycle) {
  char h[64];
  snprintf(h, sizeof h, "    ###   Sequence     Cycle : %4d   ###", cycle);
  return h;
}

TEST(Usage, ShortCommandLinesGetOnlyTheUsageAndStatusZero) {
  for (const char *args : {"", "1", "1 1", "1 1 1"}) {
    Ran r = run(std::string(NUV) + " " + args);
    EXPECT_EQ(r.out, usage) << "args: " << args;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
  }
}

TEST(Usage, ArgumentsAfterTheFourthAreIgnored) {
  EXPECT_SAME(nuv("1 1 1 5 9"), nuv("1 1 1 5"));
  EXPECT_SAME(nuv("1 1 1 5 x y z"), nuv("1 1 1 5"));
}

TEST(Transcript, FiftyTablesThenEnergyLinesFromCycleOne) {
  Ran r = run(std::string(NUV) + " 1 1 1 5");
  EXPECT_EQ(r.status, 0);
  auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 599u);
  const std::regex label("City ( {4}[1-9]  ){9}"), row(" {3}[1-9]  ( [01]\\.[0-9]{2}  ){9}");
  const std::regex energy(" Energy = -?[0-9]+\\.[0-9]{6}");
  size_t at = 0;
  for (int cycle = 0; cycle < 50; cycle++) {
    EXPECT_EQ(lines[at++], heading(cycle));
    EXPECT_TRUE(std::regex_match(lines[at++], label));
    for (int i = 1; i <= 9; i++, at++) {
      EXPECT_TRUE(std::regex_match(lines[at], row)) << lines[at];
      EXPECT_EQ(lines[at].substr(0, 4), "   " + std::to_string(i));
    }
    if (cycle > 0) {
      EXPECT_TRUE(std::regex_match(lines[at], energy)) << lines[at];
      at++;
    }
  }
  EXPECT_EQ(at, lines.size());
}

TEST(Transcript, ZeroCoefficientsSettleAtOneHalfWithZeroEnergy) {
  const std::string half = "   0.50   0.50   0.50   0.50   0.50   0.50   0.50   0.50   0.50  \n";
  std::string body = "City     1      2      3      4      5      6      7      8      9  \n";
  for (int i = 1; i <= 9; i++) body += "   " + std::to_string(i) + half;
  body += " Energy = 0.000000\n";
  std::string out = nuv("0 0 0 17");
  size_t cycle1 = out.find(heading(1));
  ASSERT_NE(cycle1, std::string::npos);
  std::string expected;
  for (int cycle = 1; cycle < 50; cycle++) expected += heading(cycle) + "\n" + body;
  EXPECT_SAME(out.substr(cycle1), expected);
}

TEST(Transcript, CycleZeroShowsTheGeneratorsFirst81DrawsRowByRow) {
  srand(5);
  std::string expected;
  for (int i = 0; i < 81; i++) {
    char v[16];
    snprintf(v, sizeof v, "%5.2f  ", rand() / 2147483647.0);
    expected += v;
  }
  std::string got;
  auto lines = lines_of(nuv("0 0 0 5"));
  for (int i = 2; i < 11; i++) got += lines[i].substr(6);
  EXPECT_EQ(got, expected);
}

TEST(Seed, IsTruncatedTowardZeroAndWrappedToItsLow32Bits) {
  const std::string seven = nuv("1 1 1 7");
  EXPECT_DIFFERENT(seven, nuv("1 1 1 8"));
  EXPECT_SAME(nuv("1 1 1 7.9"), seven);
  EXPECT_SAME(nuv("1 1 1 7abc"), seven);
  EXPECT_SAME(nuv("1 1 1 -2.5"), nuv("1 1 1 -2"));
  EXPECT_SAME(nuv("1 1 1 -2"), nuv("1 1 1 4294967294"));
  EXPECT_SAME(nuv("1 1 1 4294967301"), nuv("1 1 1 5"));
  EXPECT_SAME(nuv("1 1 1 0.7"), nuv("1 1 1 0"));
}

TEST(Seed, NonNumbersAndValuesBeyond64BitsSeedWithZero) {
  const std::string zero = nuv("1 1 1 0");
  EXPECT_DIFFERENT(zero, nuv("1 1 1 2"));
  for (const char *seed : {"abc", "1e300", "-1e300", "9.3e18", "inf", "-inf", "nan"})
    EXPECT_SAME(nuv(std::string("1 1 1 ") + seed), zero) << seed;
}

TEST(Coefficients, AreReadInOrderAndNonNumbersCountAsZero) {
  EXPECT_SAME(nuv("1 0.5 2 3"), nuv("1 0.5 2 3"));
  EXPECT_DIFFERENT(nuv("1 0.5 2 3"), nuv("0.5 1 2 3"));
  EXPECT_DIFFERENT(nuv("1 0.5 2 3"), nuv("1 2 0.5 3"));
  EXPECT_SAME(nuv("x 0 zero 3"), nuv("0 0 0 3"));
  EXPECT_SAME(nuv("1.5kg 1 1 3"), nuv("1.5 1 1 3"));
}

TEST(Output, AFullDeviceFailsWithStatusOneAndAMessage) {
  for (const char *args : {" 1 1 1 5", ""}) {
    Ran r = run(std::string(NUV) + args + " >/dev/full");
    EXPECT_EQ(r.status, 1) << "args:" << args;
    EXPECT_EQ(lines_of(r.err).size(), 1u);
    EXPECT_NE(r.err.find("cannot write standard output"), std::string::npos) << r.err;
  }
}

} // namespace
