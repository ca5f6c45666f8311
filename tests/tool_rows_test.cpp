// The tools' rows as text/tool_rows.cpp writes them, against the printf formats they replace
// written out here with the C library: nuv's table, the summary's head and rows, --tours's rows.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "tool_rows.h"

namespace {

std::string printed(const char *format, ...) {
  char text[8192];
  va_list ap;
  va_start(ap, format);
  vsnprintf(text, sizeof text, format, ap);
  va_end(ap);
  return text;
}

template <class Write>
std::string written(Write write) {
  static char text[1 << 17];
  Text t = text_in(text, sizeof text);
  write(&t);
  EXPECT_LT(t.size, sizeof text);
  return std::string(text, t.size);
}

TEST(ToolRows, NuvsTableIsPrintfsOfEveryState) {
  static double state[MAXCITY][MAXCITY];
  std::mt19937_64 random(9);
  for (int n : {4, 9, 17, 100}) {
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++)
        state[i][j] = (int(random() % 2000) - 1000) / 800.0 + (random() % 7 == 0 ? 0.005 : 0);
    std::string expected = printed("    ###   Sequence     Cycle : %4d   ###\nCity ", n * 7);
    for (int j = 1; j <= n; j++) expected += printed(" %4d  ", j);
    expected += "\n";
    for (int i = 0; i < n; i++) {
      expected += printed("%4d  ", i + 1);
      for (int j = 0; j < n; j++) expected += printed("%5.2f  ", state[i][j]);
      expected += "\n";
    }
    expected += printed(" Energy = %f\n", -1234.5678915);
    EXPECT_EQ(written([&](Text *t) {
                put_state_table(t, n * 7, state, n);
                put_energy_line(t, -1234.5678915);
              }),
              expected);
  }
}

TEST(ToolRows, SummaryAndOutcomeRowsArePrintfs) {
  EXPECT_EQ(written([](Text *t) { put_summary_head(t, true, true); }),
            printed("%s%s %6s %10s %10s %6s  %-*s %6s\n", "Acoef Bcoef Dcoef", "     C", "runs",
                    "valid %", "optimal %", "mean", 17, "best tour", "ratio"));
  const double coef[4] = {0.25, 1e-7, 100000, -2.5};
  Tally none;
  none.runs = 40;
  EXPECT_EQ(written([&](Text *t) { put_summary_row(t, coef, none, false); }),
            printed("%5s %5s %5s %6llu %10s %10s %6s  %-*s %6s\n", "0.25", "1e-07", "1e+05", 40ULL,
                    "0.0 +8.8", "0.0 +8.8", "-", 17, "-", "-"));
  EXPECT_EQ(written([&](Text *t) {
              put_outcome_row(t, coef, OUTCOME_DOUBLED, "", 0, 0, 7, 40, false, true, false, "");
            }),
            printed("%5s %5s %5s %5s  %-7s  %-17s %5s %6s %7llu %6.1f\n", "0.25", "1e-07", "1e+05",
                    "-2.5", "doubled", "-", "-", "-", 7ULL, 17.5));
  EXPECT_EQ(written([&](Text *t) {
              put_outcome_row(t, coef, OUTCOME_TOUR, "1-2-3-4", 2, 1.03125, 3, 40, true, false,
                              true, "\"x,y\"");
            }),
            printed("%s,%s,%s,%s,%.6f,%llu,%.2f%s\n", "0.25,1e-07,1e+05", "tour", "1-2-3-4", "2",
                    1.03125, 3ULL, 7.5, ",\"x,y\""));
}

// What the ratios are to, as the tracer says it, and the survey's line on the same optimum: a
// published length whose tour is not known here is "(published)" in both, never "tour".
TEST(ToolRows, RatiosAreToWhatTheSurveysOptimumLineNames) {
  Optimum o;
  for (int j = 0; j < MAXCITY; j++) o.tour.city[j] = j;
  o.length = 42029, o.exact = true;
  const std::string published = written([&](Text *t) { put_ratios_reference(t, o, 42140, 0); }),
                    line = written([&](Text *t) { put_optimum_line(t, o, 42140, 0); });
  EXPECT_EQ(published, "ratios are to the optimal length 42029 (published)");
  EXPECT_EQ(line.rfind("optimal length 42029 (published); best tour known here ", 0), 0u) << line;
  EXPECT_EQ(written([&](Text *t) { put_ratios_reference(t, o, 42029, 0); }),
            "ratios are to the optimal tour, length 42029");
  o.exact = false, o.length = 7.25;
  EXPECT_EQ(written([&](Text *t) { put_ratios_reference(t, o, 7.25, 6); }),
            "ratios are to the best known tour, length 7.250000");
}

TEST(ToolRows, MethodRowsArePrintfsWithTheLongestNameInFull) {
  EXPECT_EQ(written([](Text *t) { put_method_head(t, false); }),
            printed("%-13s %6s %10s %10s %6s  %-*s %6s\n", "method", "runs", "valid %", "best %",
                    "mean", 17, "best tour", "ratio"));
  Tally none;
  none.runs = 40;
  for (const char *name : {"hopfield-tank", "2-opt"})
    EXPECT_EQ(written([&](Text *t) { put_method_row(t, name, none); }),
              printed("%-13s %6llu %10s %10s %6s  %-*s %6s\n", name, 40ULL, "0.0 +8.8", "0.0 +8.8",
                      "-", 17, "-", "-"));
}

// --tours's order: each key alone decides, in its turn, and the tours' texts byte by byte.
TEST(ToolRows, OutcomeRowsOrderByEachKeyInTurn) {
  const OutcomeKey tour = {OUTCOME_TOUR, 5, 2, 30.0, "1-2-3-4"};
  OutcomeKey k = tour;
  k.runs = 6; // more runs first, whatever the rest
  k.rank = 9, k.length = 99, k.tour = "1-4-3-2";
  EXPECT_TRUE(outcome_precedes(k, tour));
  EXPECT_FALSE(outcome_precedes(tour, k));
  k = tour, k.rank = 3; // then the better rank
  EXPECT_TRUE(outcome_precedes(tour, k));
  EXPECT_FALSE(outcome_precedes(k, tour));
  k = tour, k.rank = 0, k.length = 31; // unranked: the shorter
  OutcomeKey unranked = tour;
  unranked.rank = 0;
  EXPECT_TRUE(outcome_precedes(unranked, k));
  EXPECT_FALSE(outcome_precedes(k, unranked));
  k = tour, k.length = 31; // ranked: the length is not asked, the text is
  k.tour = "1-2-4-3";
  EXPECT_TRUE(outcome_precedes(tour, k));
  EXPECT_FALSE(outcome_precedes(k, tour));
  // A tour before any failure of as many runs, and failures in the order of Outcome.
  const OutcomeKey missing = {OUTCOME_MISSING, 5, 0, 0.0, "-"};
  const OutcomeKey doubled = {OUTCOME_DOUBLED, 5, 0, 0.0, "-"};
  const OutcomeKey mixed = {OUTCOME_MIXED, 5, 0, 0.0, "-"};
  EXPECT_TRUE(outcome_precedes(tour, missing));
  EXPECT_FALSE(outcome_precedes(missing, tour));
  EXPECT_TRUE(outcome_precedes(missing, doubled));
  EXPECT_TRUE(outcome_precedes(doubled, mixed));
  EXPECT_FALSE(outcome_precedes(mixed, missing));
  // A failure of more runs before a tour of fewer.
  OutcomeKey many = mixed;
  many.runs = 6;
  EXPECT_TRUE(outcome_precedes(many, tour));
  // A row never precedes itself, nor one equal to it.
  for (const OutcomeKey &r : {tour, unranked, missing, mixed}) {
    OutcomeKey same = r;
    EXPECT_FALSE(outcome_precedes(r, same));
  }
}

// Ten cities and more: "1-10-..." comes before "1-2-..." as the text does, not by city number;
// a tour's text agrees with std::string's order for every pair of tours of the same rank.
TEST(ToolRows, TenCityToursOrderByTheirText) {
  const OutcomeKey ten = {OUTCOME_TOUR, 4, 0, 50.0, "1-10-9-8-7-6-5-4-3-2"};
  const OutcomeKey two = {OUTCOME_TOUR, 4, 0, 50.0, "1-2-3-4-5-6-7-8-9-10"};
  EXPECT_TRUE(outcome_precedes(ten, two));
  EXPECT_FALSE(outcome_precedes(two, ten));
  const OutcomeKey twenty = {OUTCOME_TOUR, 4, 0, 50.0, "1-20-2-3"};
  const OutcomeKey dash = {OUTCOME_TOUR, 4, 0, 50.0, "1-2-20-3"};
  EXPECT_TRUE(outcome_precedes(dash, twenty)); // '-' is below '0'
  std::mt19937_64 random(23);
  std::vector<std::string> texts;
  for (int k = 0; k < 200; k++) {
    std::vector<int> cities;
    for (int i = 2; i <= 12; i++) cities.push_back(i);
    std::shuffle(cities.begin(), cities.end(), random);
    std::string text = "1";
    for (int city : cities) text += "-" + std::to_string(city);
    texts.push_back(text);
  }
  for (const std::string &a : texts)
    for (const std::string &b : texts) {
      const OutcomeKey ka = {OUTCOME_TOUR, 1, 3, 7.0, a.c_str()};
      const OutcomeKey kb = {OUTCOME_TOUR, 1, 3, 7.0, b.c_str()};
      ASSERT_EQ(outcome_precedes(ka, kb), a < b) << a << " " << b;
    }
}

} // namespace
