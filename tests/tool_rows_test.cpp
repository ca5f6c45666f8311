// The tools' rows as text/tool_rows.cpp writes them, against the printf formats they replace
// written out here with the C library: nuv's table, the summary's head and rows, --tours's rows.
#include <cstdarg>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>

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

} // namespace
