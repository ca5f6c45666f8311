// nuv-trace against nuv and nuv-survey: the same energies and the same final tour, L never
// rising over many runs, the film's shape, and the refusals.
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "run.h"
#include "trace.h"

namespace {

// Random command lines: coefficients in -1 ... 5 with three decimals, seeds over 32 bits.
std::vector<std::string> command_lines(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> coef(-1, 5);
  std::vector<std::string> lines;
  for (int n = 0; n < count; n++) {
    char line[96];
    snprintf(line, sizeof line, "%.3f %.3f %.3f %u", coef(random), coef(random), coef(random),
             unsigned(random()));
    lines.push_back(line);
  }
  return lines;
}

TEST(Trace, EveryCycleHasNuvsEnergyAndItsTermsAddUpToIt) {
  for (const std::string &args : command_lines(50, 1)) {
    auto nuv = lines_of(run(std::string(NUV) + " " + args).out);
    auto trace = lines_of(run(std::string(TRACE) + " " + args).out);
    ASSERT_EQ(nuv.size(), 599u);
    auto wide = lines_of(run(std::string(TRACE) + " --wide " + args).out);
    ASSERT_EQ(trace.size(), 2 + 50u);
    ASSERT_EQ(wide.size(), 2 + 50u);
    for (int c = 1; c < 50; c++) {
      std::istringstream row(trace[size_t(2 + c)]), wide_row(wide[size_t(2 + c)]);
      int cycle, wide_cycle, sweeps;
      std::string e, wide_e;
      row >> cycle >> e;
      wide_row >> wide_cycle >> sweeps >> wide_e;
      EXPECT_EQ(cycle, c);
      EXPECT_EQ(wide_cycle, c);
      EXPECT_EQ(sweeps, c + 1);
      EXPECT_EQ(" Energy = " + e, nuv[size_t(12 * c + 10)]) << args << " cycle " << c;
      EXPECT_EQ(wide_e, e);
    }
  }
}

TEST(Trace, TablesAreNuvsTranscriptForNuvsNetworkAndNByNForAnyOther) {
  // 240 command lines, coefficients from -1 to 5 and seeds over 32 bits, and the edges.
  auto lines = command_lines(236, 3);
  for (const char *edge : {"0 0 0 1", "5 5 5 4294967295", "1e3 1e3 1e3 7", "-1 -1 -1 0"})
    lines.push_back(edge);
  int same = 0;
  for (const std::string &args : lines)
    same +=
        run(std::string(TRACE) + " --tables " + args).out == run(std::string(NUV) + " " + args).out;
  EXPECT_EQ(same, 240);
  // Twelve cities, 7 sweeps: 7 tables of 14 lines, 12 columns each, and 6 energy lines.
  auto t =
      lines_of(run(std::string(TRACE) + " --tables --cities random:12:3 --sweeps 7 1 1 1 5").out);
  ASSERT_EQ(t.size(), 7 * 14 + 6u);
  EXPECT_EQ(t[1],
            "City     1      2      3      4      5      6      7      8      9     10     11 "
            "    12  ");
  EXPECT_EQ(t[2].size(), 6 + 12 * 7u);
  EXPECT_EQ(t.back().rfind(" Energy = ", 0), 0u);
}

TEST(Trace, TakesEverySeedNuvTakesAndSaysWhichSeedItUsed) {
  // Truncated toward zero, the low 32 bits of the 64-bit value; out of that range, 0.
  const std::pair<const char *, const char *> seeds[] = {
      {"-1", "4294967295"}, {"5.9", "5"}, {"-2.5", "4294967294"}, {"4294967301", "5"},
      {"1e30", "0"},        {"inf", "0"}, {"nan", "0"},           {"0x10", "16"}};
  for (const auto &[text, used] : seeds) {
    const std::string args = std::string("1 1 1.5 ") + text;
    auto nuv = lines_of(run(std::string(NUV) + " " + args).out);
    auto trace = lines_of(run(std::string(TRACE) + " " + args).out);
    ASSERT_EQ(trace.size(), 52u) << text;
    EXPECT_EQ(trace[0], "nuv 1 1 1.5 " + args.substr(8) + " (seed " + used +
                            "): cycle c is after c + 1 sweeps, 0 the start");
    std::istringstream last(trace[51]);
    std::string cycle, e;
    last >> cycle >> e;
    EXPECT_EQ(" Energy = " + e, nuv[598]) << text;
    EXPECT_EQ(lines_of(run(std::string(NUV) + " 1 1 1.5 " + used).out), nuv) << text;
  }
  EXPECT_EQ(lines_of(run(std::string(TRACE) + " 1 1 1 5").out)[0],
            "nuv 1 1 1 5: cycle c is after c + 1 sweeps, 0 the start");
}

TEST(Trace, LNeverRisesThoughTheEnergyDoes) {
  // 500 runs in process, coefficients from -3 to 5, negative ones included.
  std::mt19937 random(5);
  std::uniform_real_distribution<double> coef(-3, 5);
  static Cycle cycles[NSWEEP];
  int e_rose = 0;
  double largest_rise = -INFINITY;
  for (int n = 0; n < 500; n++) {
    const double c[3] = {coef(random), coef(random), coef(random)};
    trace_network(c, uint32_t(random()), [](const Cycle &y) { cycles[y.cycle] = y; });
    bool rose = false;
    for (int k = 1; k < NSWEEP; k++) {
      const double rise = cycles[k].l - cycles[k - 1].l;
      largest_rise = std::max(largest_rise, rise / (std::fabs(cycles[k - 1].l) + 1));
      EXPECT_LE(rise, 1e-9 * (std::fabs(cycles[k - 1].l) + 1)) << n << " cycle " << k;
      rose = rose || (k > 1 && cycles[k].e > cycles[k - 1].e);
    }
    e_rose += rose;
  }
  EXPECT_GT(e_rose, 50);
  RecordProperty("runs in which E rose", e_rose);
  RecordProperty("largest relative rise of L", testing::PrintToString(largest_rise));
}

TEST(Trace, MeasuresTheTermsOfAStateWorkedOutByHand) {
  // Every output 0.5: each row and column sum of distinct pairs is 9 * 9 * 8 / 4 = 162, and the
  // tour-length sum is 0.5 * 1 * 9 * 10 = 45 (the distances add up to 10); with coefficients
  // 2, 3 and 4, EA = 162, EB = 243 and ED = 90.
  const double coef[3] = {2, 3, 4};
  start_run(coef, 1);
  for (auto &row : unitout)
    for (double &v : row) v = 0.5;
  Cycle y;
  measure_cycle(0, 0, nullptr, nullptr, nullptr, &y);
  EXPECT_DOUBLE_EQ(y.term[0], 162);
  EXPECT_DOUBLE_EQ(y.term[1], 243);
  EXPECT_NEAR(y.term[2], 90, 1e-12);
  EXPECT_NEAR(y.e, 495, 1e-12);
  // L = E - (A + B) * 81 * 0.5 + 81 * G(0.5), and G(0.5) = 0.25 * ln 1 = 0.
  EXPECT_NEAR(y.l, 495 - 5 * 40.5, 1e-12);
  EXPECT_EQ(y.on, 0);
  EXPECT_EQ(y.outcome, OUTCOME_MISSING);
}

TEST(Trace, TheLastTourIsTheSurveysAndTheCsvIsWhole) {
  Ran survey = run(std::string(SURVEY) + " --csv --seeds 1:25 1 1 1.5");
  auto rows = lines_of(survey.out);
  ASSERT_EQ(rows.size(), 26u);
  int tours = 0;
  for (size_t k = 1; k < rows.size(); k++) {
    auto s = fields_of(rows[k]);
    auto t = lines_of(run(std::string(TRACE) + " --csv 1 1 1.5 " + s[3]).out);
    ASSERT_EQ(t.size(), 51u);
    EXPECT_EQ(t[0], "cycle,sweeps,E,EA,EB,ED,L,on,change,outcome,tour,length,ratio,rank");
    auto last = fields_of(t[50]);
    ASSERT_EQ(last.size(), 14u) << t[50];
    EXPECT_EQ(last[10], s[5]) << rows[k];
    EXPECT_EQ(last[9] == "tour", s[4] == "1");
    tours += s[4] == "1";
    EXPECT_EQ(fields_of(t[1])[8], ""); // no change before cycle 0
  }
  EXPECT_GT(tours, 10);
}

TEST(Trace, TheFilmHasFiftyGridsOfEightyOneCells) {
  char dir[] = "/tmp/nuv-trace-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/film.svg";
  Ran r = run(std::string(TRACE) + " 1 1 1 5 --svg " + file);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("xmllint --noout " + file).status, 0);
  auto count = [&](const std::string &xpath) {
    return run("xmllint --xpath 'count(" + xpath + ")' " + file).out;
  };
  EXPECT_EQ(count("//*[@class=\"grid\"]"), "50\n");
  EXPECT_EQ(count("//*[@class=\"grid\"][count(*[@class=\"cell\"]) = 81]"), "50\n");
  EXPECT_EQ(count("//*[@class=\"curve\"]"), "5\n");
  EXPECT_EQ(count("//*[@class=\"found\"]"), "1\n");
  EXPECT_EQ(count("//*[@class=\"city\"]"), "9\n");
  run(std::string("rm -rf ") + dir);
}

TEST(Trace, TheFilmDrawsNoCoordinateThatIsNotFinite) {
  // Coefficients at the ends of the doubles overflow the energy (-1e308) or make every output
  // a NaN after the first sweep (inf - inf): gaps, marked and said, never a NaN coordinate.
  char dir[] = "/tmp/nuv-trace-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/film.svg";
  for (const char *args : {"-1 2 -1e308 5", "1.7976931348623157e308 -1.7976931348623157e308 1 7"}) {
    ASSERT_EQ(run(std::string(TRACE) + " --svg " + file + " " + args).status, 0) << args;
    EXPECT_EQ(run("xmllint --noout " + file).status, 0);
    // Every attribute value is free of nan and inf; only the caption's text may name them.
    EXPECT_EQ(run("grep -o '=\"[^\"]*\"' " + file + " | grep -ci 'nan\\|inf'").out, "0\n") << args;
    EXPECT_EQ(run("grep -c 'left out: the gaps in the curves' " + file).out, "1\n") << args;
  }
  // The second: the start is drawn, and each of the 49 later states is 81 crossed gaps.
  EXPECT_EQ(run("grep -o 'class=\"gap\"' " + file + " | wc -l").out,
            std::to_string(49 * 81) + "\n");
  EXPECT_EQ(run("grep -c '3969 unit outputs over the run are not a number' " + file).out, "1\n");
  run(std::string("rm -rf ") + dir);
}

TEST(Trace, RefusesWhatItCannotReadWithStatusTwo) {
  for (const char *args :
       {"1 1 1", "1 1 1 x", "1 1 1 ''", "1 1 1 ' 5'", "1 1 1 5x", "1 x 1 5", "1 1 inf 5",
        "1 1 1 5 6", "--svg", "--svg '' 1 1 1 5", "--svg= 1 1 1 5", "--fast 1 1 1 5"}) {
    Ran r = run(std::string(TRACE) + " " + args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
  }
  EXPECT_EQ(run(std::string(TRACE) + " 1 1 1 5 --csv").out,
            run(std::string(TRACE) + " --csv -- 1 1 1 5").out);
  EXPECT_EQ(run(std::string(TRACE) + " --version").out, "nuv-trace " NUV_VERSION "\n");
}

} // namespace
