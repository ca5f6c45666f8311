// nuv-trace against nuv and nuv-survey: the same energies and the same final tour, L never
// rising over many runs, the film's shape, a run that stops being finite, what another
// network's title, picture, network line and CSV say, progress on a terminal, and the refusals.
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
    Network net = nuv_network();
    net.a = coef(random), net.b = coef(random), net.d = coef(random);
    trace_network(net, uint32_t(random()), [](const Cycle &y) { cycles[y.cycle] = y; });
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
  Network net = nuv_network();
  net.a = 2, net.b = 3, net.d = 4;
  start_run(net, 1);
  for (auto &row : unitout)
    for (double &v : row) v = 0.5;
  Cycle y;
  measure_cycle(net, 0, 0, nullptr, nullptr, nullptr, &y);
  EXPECT_DOUBLE_EQ(y.terms.row, 162);
  EXPECT_DOUBLE_EQ(y.terms.column, 243);
  EXPECT_NEAR(y.terms.tour, 90, 1e-12);
  EXPECT_EQ(y.terms.global, 0.0);
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

TEST(Trace, ARunWhoseStateIsNotFiniteStopsThereWithStatusOne) {
  // Under Euler the linear part -u / tau of the update is stable for dt < 2 tau; dt 100 over
  // tau 1 amplifies it 99 times a step until the outputs are NaN. The rows of the cycles before
  // are printed, the reason follows on standard error, and no picture is written.
  char dir[] = "/tmp/nuv-trace-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/film.svg";
  const std::string euler = " --rule euler --dt 100 --cities random:10:2 1 0.5 0 1";
  const std::string why = "nuv-trace: the state is not finite from cycle 154 (sweep 155): the "
                          "Euler step dt 100 is too long for tau 1\n";
  Ran table = run(std::string(TRACE) + " --svg " + file + euler);
  EXPECT_EQ(table.status, 1);
  EXPECT_EQ(table.err, why);
  auto rows = lines_of(table.out);
  ASSERT_EQ(rows.size(), 3 + 154u); // the network, the title, the heads, cycles 0 ... 153
  EXPECT_EQ(rows.back().substr(0, 5), "  153");
  EXPECT_EQ(table.out.find("nan"), std::string::npos);
  EXPECT_NE(run("test -e " + file).status, 0);
  Ran csv = run(std::string(TRACE) + " --csv" + euler);
  EXPECT_EQ(csv.status, 1);
  EXPECT_EQ(csv.err, why);
  EXPECT_EQ(lines_of(csv.out).size(), 1 + 154u);
  Ran tables = run(std::string(TRACE) + " --tables" + euler);
  EXPECT_EQ(tables.status, 1);
  EXPECT_EQ(tables.err, why);
  EXPECT_EQ(tables.out.find("nan"), std::string::npos);
  // Just inside the bound the same network stays finite.
  EXPECT_EQ(
      run(std::string(TRACE) + " --rule euler --dt 1.9 --cities random:10:2 1 0.5 0 1").status, 0);
  // Coefficients past the doubles: the energy of the start is not finite, nor the inputs.
  for (const char *args : {"1.7976931348623157e308 -1.7976931348623157e308 1 7", "-1 2 -1e308 5"}) {
    Ran r = run(std::string(TRACE) + " --svg " + file + " " + args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.err, "nuv-trace: the state is not finite from cycle 0 (sweep 0): the "
                     "coefficients overflow the units' inputs\n")
        << args;
    EXPECT_NE(run("test -e " + file).status, 0);
  }
  // In process: the cycles before are handed on, and the first that is not finite is returned.
  Network net = nuv_network();
  net.a = net.b = net.d = 1;
  net.rule = RULE_EULER, net.dt = 100, net.tau = 1, net.sweeps = 1000;
  int handed = 0;
  const int stopped = trace_network(net, 5, [&](const Cycle &y) {
    EXPECT_EQ(y.cycle, handed++);
    EXPECT_TRUE(state_finite(unitout));
  });
  EXPECT_GT(stopped, 1);
  EXPECT_EQ(handed, stopped);
  EnergyTerms terms;
  EXPECT_FALSE(state_finite(unitout) && std::isfinite(energy_terms(net, unitout, &terms)));
  reset_network();
  net = nuv_network();
  net.a = net.b = net.d = 1;
  EXPECT_EQ(trace_network(net, 5, [](const Cycle &) {}), -1);
  run(std::string("rm -rf ") + dir);
}

TEST(Trace, AnotherNetworksTitleAndPictureSayWhatRan) {
  char dir[] = "/tmp/nuv-trace-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string file = std::string(dir) + "/film.svg";
  auto texts = [&](const std::string &xpath) {
    return run("xmllint --xpath '" + xpath + "' " + file).out;
  };
  // Twelve cities, ranked by no one (past 10): the tool's own command heads table and film.
  Ran r = run(std::string(TRACE) + " --svg " + file + " --cities random:12:1 --u0 0.5 1 1 1 4");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(lines_of(r.out)[1], "nuv-trace --cities random:12:1 --u0 0.5 1 1 1 4: cycle c is "
                                "after c + 1 sweeps, 0 the start");
  EXPECT_EQ(texts("string(//*[@font-size=\"18\"])"),
            "nuv-trace --cities random:12:1 --u0 0.5 1 1 1 4: the state at every cycle\n");
  const std::string picture = run("cat " + file).out;
  EXPECT_EQ(picture.find("ratio to the"), std::string::npos);
  EXPECT_NE(picture.find(">The last tour formed<"), std::string::npos);
  EXPECT_NE(picture.find(" to the optimal tour</text>"), std::string::npos);
  // A run of 1,000 cycles shows 50 of them, and says so.
  r = run(std::string(TRACE) + " --svg " + file + " --cities random:5:1 --rule euler 1 1 1 5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(texts("string(//*[@font-size=\"18\"])"),
            "nuv-trace --cities random:5:1 --rule euler 1 1 1 5: 50 of the 1000 cycles\n");
  // No tour formed: the map is headed by what it shows, not by a tour formed.
  r = run(std::string(TRACE) + " --svg " + file + " 0 0 0 1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(texts("string(//*[@font-size=\"18\"])"), "nuv 0 0 0 1: the state at every cycle\n");
  EXPECT_EQ(run("grep -c 'The last tour formed' " + file).out, "0\n");
  EXPECT_EQ(run("grep -c '>No tour formed: the optimal tour<' " + file).out, "1\n");
  // Energies near the largest doubles: every label of the axis stays short.
  r = run(std::string(TRACE) + " --svg " + file + " 1e300 1e300 1e300 5");
  ASSERT_EQ(r.status, 0) << r.err;
  auto labels = lines_of(run("grep -o 'text-anchor=\"end\">[^<]*<' " + file).out);
  ASSERT_GE(labels.size(), 3u);
  for (const std::string &l : labels)
    EXPECT_LE(l.size(), std::string("text-anchor=\"end\"><").size() + 10) << l;
  run(std::string("rm -rf ") + dir);
}

TEST(Trace, TheNetworkLineSaysEachSettingOnceInAFixedOrder) {
  auto first = [](const std::string &args) {
    return lines_of(run(std::string(TRACE) + " " + args + " 1 1 1 5").out)[0];
  };
  const std::string one = first("--cities random:9:4 --u0 0.5 --u0 1 --tau 2 --dt 0.5 --u0 2");
  EXPECT_EQ(one.substr(0, one.find(';')),
            "network: random:9:4, 9 cities, rule inplace, u0 2, dt 0.5, tau 2, 50 sweeps");
  EXPECT_EQ(first("--cities random:9:4 --dt 0.5 --tau 2 --u0 2"), one);
  EXPECT_EQ(first("--rule sync --C 1 --rule euler --C 0.5 --sweeps 9 --sweeps 7").substr(0, 55),
            "network: nuv, 9 cities, rule euler, C 0.5, sweeps 7; ra");
}

// TSPLIB's published optima (burma14 3323, att48 10628) are whole numbers, and so written;
// random cities keep six places.
TEST(Trace, TheOptimumsLengthIsWholeForTsplibAndSixPlacesElse) {
  auto first = [](const std::string &args) {
    return lines_of(run(std::string(TRACE) + " --sweeps 2 " + args + " 1 1 1 5").out)[0];
  };
  EXPECT_EQ(first("--cities " SOURCE_DIR "/data/tsplib/burma14.tsp"),
            "network: burma14, 14 cities, rule inplace, sweeps 2; ratios are to the optimal tour, "
            "length 3323");
  const std::string att48 = first("--cities " SOURCE_DIR "/data/tsplib/att48.tsp");
  EXPECT_EQ(att48.substr(att48.rfind(' ') + 1), "10628");
  const std::string random = first("--cities random:5:1");
  EXPECT_EQ(random.substr(random.rfind('.')).size(), 7u); // six places
}

TEST(Trace, TheCsvOfAnotherNetworkBeginsWithItsHeaderAndCarriesTheNetwork) {
  auto rows = lines_of(run(std::string(TRACE) + " --csv --cities random:12:1 1 1 1 5").out);
  ASSERT_EQ(rows.size(), 51u);
  EXPECT_EQ(rows[0], "cycle,sweeps,E,EA,EB,ED,EC,L,on,change,outcome,tour,length,ratio,rank,"
                     "motion,network");
  for (size_t k = 1; k < rows.size(); k++) {
    auto f = fields_of(rows[k]);
    // The description holds commas: one quoted field, the last.
    EXPECT_EQ(rows[k].substr(rows[k].find(",\"") + 1),
              "\"random:12:1, 12 cities, rule inplace, 50 sweeps; ratios are to the optimal "
              "tour, length " +
                  rows[k].substr(rows[k].rfind(' ') + 1));
  }
}

TEST(Trace, ALongRunShowsItsProgressOnATerminalOnly) {
  // Standard error a terminal (script's pseudo-terminal), the output redirected: a run of some
  // seconds rewrites one line "cycle C of K" and clears it at its end. On a pipe, nothing.
  if (run("command -v script").status != 0) GTEST_SKIP() << "no script(1) to give a terminal";
  const std::string args = " --cities random:60:1 --sweeps 2500 1 1 1 5 > /dev/null";
  const std::string on_terminal =
      run("script -qec '" + std::string(TRACE) + args + "' /dev/null").out;
  EXPECT_NE(on_terminal.find("\rcycle "), std::string::npos) << on_terminal;
  EXPECT_NE(on_terminal.find(" of 2500"), std::string::npos);
  ASSERT_GE(on_terminal.size(), 4u);
  EXPECT_EQ(on_terminal.substr(on_terminal.size() - 4), "\r\033[K"); // cleared at the end
  EXPECT_EQ(on_terminal.find('\n'), std::string::npos);
  Ran piped = run(std::string(TRACE) + args);
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.err, "");
  // A short run says nothing, terminal or not.
  EXPECT_EQ(run("script -qec '" + std::string(TRACE) + " 1 1 1 5 > /dev/null' /dev/null").out, "");
}

TEST(Trace, RefusesWhatItCannotReadWithStatusTwo) {
  for (const char *args :
       {"1 1 1", "1 1 1 x", "1 1 1 ''", "1 1 1 ' 5'", "1 1 1 5x", "1 x 1 5", "1 1 inf 5",
        "1 1 1 5 6", "--svg", "--svg '' 1 1 1 5", "--svg= 1 1 1 5", "--fast 1 1 1 5",
        "--tables --csv 1 1 1 5", "--csv --tables 1 1 1 5", "--tables --wide 1 1 1 5"}) {
    Ran r = run(std::string(TRACE) + " " + args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
  }
  EXPECT_EQ(run(std::string(TRACE) + " 1 1 1 5 --csv").out,
            run(std::string(TRACE) + " --csv -- 1 1 1 5").out);
  EXPECT_EQ(run(std::string(TRACE) + " --version").out, "nuv-trace " NUV_VERSION "\n");
}

// Recent keeps the state before each sweep: one and two sweeps back are the two kept last, the
// current state is the model's, and the start stands for any state before it. Each state here
// is every unit at its sweep count, so that which one is returned shows.
TEST(Recent, GivesTheStatesOneAndTwoSweepsBackWithTheStartBeforeThat) {
  reset_network();
  static Recent r;
  auto set_all = [](double v) {
    for (int i = 0; i < network.n; i++)
      for (int j = 0; j < network.n; j++) unitout[i][j] = v;
  };
  set_all(0);
  recent_start(&r);
  EXPECT_EQ(recent_back(r, 1)[2][3], 0.0);
  EXPECT_EQ(recent_back(r, 2)[2][3], 0.0);
  for (int swept = 1; swept <= 5; swept++) {
    recent_sweeping(&r);
    set_all(swept); // the sweep
    EXPECT_EQ(recent_back(r, 0), unitout);
    EXPECT_EQ(recent_back(r, 0)[network.n - 1][network.n - 1], swept);
    EXPECT_EQ(recent_back(r, 1)[0][0], swept - 1);
    EXPECT_EQ(recent_back(r, 2)[0][0], swept >= 2 ? swept - 2 : 0);
  }
  // The batch keeps the same two: the states sweeps 7 and 8 of 9 start from.
  EXPECT_EQ(back_at_end(7, 9), 2);
  EXPECT_EQ(back_at_end(8, 9), 1);
  EXPECT_EQ(back_at_end(0, 1), 1);
}

} // namespace
