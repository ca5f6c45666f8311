// The methods: the classic heuristics' tours against a check written here on its own (no 2-opt
// exchange and no Or-opt move shortens them), nearest neighbour and the Fisher-Yates start by
// hand, the presets of --method with options after them, the coefficients left out, and
// feasible's setting: its corner conditions on four cities, every corner, and its runs valid.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "cities.h"
#include "heuristics.h"
#include "methods.h"
#include "network.h"
#include "options.h"
#include "run.h"

namespace {

// The model set up for the cities named (a file, random:N:S) under net's settings.
Network cities(const std::string &named, Network net = nuv_network()) {
  std::string name, error;
  EXPECT_TRUE(load_cities(named, &name, &error)) << error;
  net.n = network.n, net.distances_given = network.distances_given;
  set_up(net);
  return net;
}

// The closed tour's length summed here, in the instance's distances.
double length_of(const std::vector<int> &c) {
  double sum = 0;
  for (size_t j = 0; j < c.size(); j++) sum += citydistance[c[j]][c[(j + 1) % c.size()]];
  return sum;
}

std::vector<int> cities_of(const Tour &t) {
  return std::vector<int>(t.city, t.city + network.n);
}

// Some tour made by one 2-opt exchange (a stretch reversed) is shorter than c by more than a
// billionth: each tour built whole and measured whole.
bool some_exchange_shortens(const std::vector<int> &c) {
  const double length = length_of(c), slack = 1e-9 * length;
  for (size_t from = 1; from < c.size(); from++)
    for (size_t to = from + 1; to < c.size(); to++) {
      std::vector<int> t = c;
      std::reverse(t.begin() + long(from), t.begin() + long(to) + 1);
      if (length_of(t) < length - slack) return true;
    }
  return false;
}

// Some tour made by taking out a stretch of one to three cities and putting it back elsewhere,
// either way round, is shorter than c by more than a billionth.
bool some_move_shortens(const std::vector<int> &c) {
  const double length = length_of(c), slack = 1e-9 * length;
  const size_t n = c.size();
  for (size_t len = 1; len <= 3 && len + 2 <= n; len++)
    for (size_t s = 0; s < n; s++) {
      std::vector<int> stretch, rest;
      for (size_t x = 0; x < n; x++) {
        const size_t at = (x + n - s) % n; // the stretch is positions s ... s + len - 1, cyclically
        (at < len ? stretch : rest).push_back(c[x]);
      }
      for (size_t g = 0; g <= rest.size(); g++)
        for (int turn = 0; turn < 2; turn++) {
          std::vector<int> t(rest.begin(), rest.begin() + long(g));
          if (turn)
            t.insert(t.end(), stretch.rbegin(), stretch.rend());
          else
            t.insert(t.end(), stretch.begin(), stretch.end());
          t.insert(t.end(), rest.begin() + long(g), rest.end());
          if (length_of(t) < length - slack) return true;
        }
    }
  return false;
}

// Whether c visits each of the n cities once.
bool visits_each_once(const std::vector<int> &c, int n) {
  std::set<int> seen(c.begin(), c.end());
  return int(c.size()) == n && int(seen.size()) == n && *seen.begin() == 0 &&
         *seen.rbegin() == n - 1;
}

// Reads a tool's arguments into *o; the refusal, or "".
std::string read(int tool, std::vector<std::string> args, NetworkOptions *o) {
  args.insert(args.begin(), "tool");
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  CommandLine line;
  std::string error;
  read_command_line(tool, int(argv.size()), argv.data(), &line, o, &error);
  return error;
}

} // namespace

// 2-opt's tours admit no shortening exchange, or-opt's neither an exchange nor a move, checked
// by building every neighbouring tour: on random cities of several sizes and on eil51.
TEST(Heuristics, NoExchangeOrMoveShortensTheirTours) {
  for (const char *named : {"random:7:3", "random:30:1", "random:60:2", "eil51"}) {
    Network net = cities(named);
    for (Method m : {METHOD_2OPT, METHOD_OROPT})
      for (unsigned seed = 1; seed <= 6; seed++) {
        net.method = m;
        const RunResult run = heuristic_run(net, seed);
        ASSERT_TRUE(run.valid()) << named;
        const std::vector<int> c = cities_of(run.tour);
        ASSERT_TRUE(visits_each_once(c, net.n));
        EXPECT_NEAR(run.length, length_of(c), 1e-9 * run.length);
        EXPECT_FALSE(some_exchange_shortens(c)) << named << " seed " << seed << " method " << m;
        if (m == METHOD_OROPT) {
          EXPECT_FALSE(some_move_shortens(c)) << named << " seed " << seed;
        }
      }
  }
}

// Or-opt goes on from where 2-opt stops (the same start, the same first rounds): never longer.
TEST(Heuristics, OrOptIsNeverLongerThan2OptFromTheSameSeed) {
  Network net = cities("random:40:5");
  int shorter = 0;
  for (unsigned seed = 1; seed <= 20; seed++) {
    net.method = METHOD_2OPT;
    const double two = heuristic_run(net, seed).length;
    net.method = METHOD_OROPT;
    const double or_opt = heuristic_run(net, seed).length;
    EXPECT_LE(or_opt, two * (1 + 1e-12));
    shorter += or_opt < two;
  }
  EXPECT_GT(shorter, 0); // the moves do something
}

// Five cities on a line at 0, 1, 3, 5 and 10: from city 3 (x = 3), cities 2 and 4 are both 2
// away and the lower-numbered is taken; then city 1, city 4 (5 before 10), city 5, and back:
// 2 + 1 + 5 + 5 + 7 = 20.
TEST(Heuristics, NearestNeighbourByHandOnFiveCities) {
  reset_network();
  const double x[5] = {0, 1, 3, 5, 10};
  for (int i = 0; i < 5; i++) cityxy[i][0] = x[i], cityxy[i][1] = 0;
  Network net = nuv_network();
  net.n = 5, net.method = METHOD_NEAREST;
  set_up(net);
  unsigned seed = 0; // a seed whose first draw r gives (int)(r * 5) = 2, by the C library
  for (unsigned s = 1; s < 1000 && !seed; s++) {
    srand(s);
    if (int(rand() / 2147483647.0 * 5) == 2) seed = s;
  }
  ASSERT_NE(seed, 0u);
  const RunResult run = heuristic_run(net, seed);
  EXPECT_EQ(cities_of(run.tour), (std::vector<int>{2, 1, 0, 3, 4}));
  EXPECT_TRUE(run.valid());
  EXPECT_TRUE(run.settled);
  EXPECT_DOUBLE_EQ(run.length, 2 + 1 + 5 + 5 + 7);
}

// The start city of a draw: (int)(r * N), and N - 1 for a draw of 1, which (int)(r * N) would
// make N, no city.
TEST(Heuristics, NearestStartsAtTheCityOfTheDraw) {
  EXPECT_EQ(start_city(0.0, 5), 0);
  EXPECT_EQ(start_city(0.2, 5), 1);
  EXPECT_EQ(start_city(0.999999, 5), 4);
  EXPECT_EQ(start_city(1.0, 5), 4);
  EXPECT_EQ(start_city(1.0, 100), 99);
}

// The C library's first three draws from seed 1 are 1804289383, 846930886 and 1681692777:
// r = 0.8402, 0.3944, 0.7831. Four cities: i = 3, j = (int)(0.8402 * 4) = 3, nothing moves;
// i = 2, j = (int)(0.3944 * 3) = 1, swap: 0 2 1 3; i = 1, j = (int)(0.7831 * 2) = 1, nothing.
TEST(Heuristics, FisherYatesByHandFromSeed1) {
  srand(1);
  ASSERT_EQ(rand(), 1804289383);
  ASSERT_EQ(rand(), 846930886);
  ASSERT_EQ(rand(), 1681692777);
  srand(1);
  const Tour t = shuffled_order(4);
  EXPECT_EQ(std::vector<int>(t.city, t.city + 4), (std::vector<int>{0, 2, 1, 3}));
  // Then the fourth draw is the next one's: exactly three were taken.
  EXPECT_EQ(rand(), 1714636915);
}

// A heuristic's run in the survey is the tracer's, seed by seed: the same tour.
TEST(Heuristics, SurveyRunsEqualTheTracers) {
  const std::string cities = std::string(" --cities ") + SOURCE_DIR + "/data/tsplib/eil51.tsp";
  for (const char *m : {"nearest", "2-opt", "or-opt"}) {
    const Ran survey = run(std::string(SURVEY) + " --csv --seeds 5:7 --method " + m + cities);
    ASSERT_EQ(survey.status, 0) << survey.err;
    const std::vector<std::string> rows = lines_of(survey.out);
    ASSERT_EQ(rows.size(), 4u);
    for (unsigned seed = 5; seed <= 7; seed++) {
      const Ran trace =
          run(std::string(TRACE) + " --method " + m + cities + " " + std::to_string(seed));
      ASSERT_EQ(trace.status, 0) << trace.err;
      const std::string tour = fields_of(rows[seed - 4])[5];
      EXPECT_NE(trace.out.find("tour " + tour + "\n"), std::string::npos)
          << m << " seed " << seed << ": " << tour << " vs " << trace.out;
    }
  }
}

// --method sets every setting of its paper; an option after it overrides that one alone, and
// one before it is overridden.
TEST(Methods, OptionsAfterAMethodOverrideItAndThoseBeforeDoNot) {
  NetworkOptions after;
  ASSERT_EQ(read(TOOL_TRACE, {"--method", "hopfield-tank", "--dt", "2e-5"}, &after), "");
  EXPECT_EQ(after.net.dt, 2e-5);
  EXPECT_EQ(after.net.a, 500.0);
  EXPECT_EQ(after.net.b, 500.0);
  EXPECT_EQ(after.net.d, 500.0);
  EXPECT_EQ(after.net.c, 200.0);
  EXPECT_EQ(after.net.u0, 0.02);
  EXPECT_FALSE(after.net.bias_ab);
  EXPECT_EQ(after.net.bias, 0.0);
  EXPECT_EQ(after.net.rule, RULE_EULER);
  EXPECT_EQ(after.net.tau, 1.0);
  EXPECT_EQ(after.net.start, START_CENTRED);
  EXPECT_EQ(after.net.distances, DISTANCES_UNIT);
  NetworkOptions before;
  ASSERT_EQ(read(TOOL_TRACE, {"--dt", "2e-5", "--u0", "0.3", "--method", "hopfield-tank"}, &before),
            "");
  EXPECT_EQ(before.net.dt, 1e-5);
  EXPECT_EQ(before.net.u0, 0.02);
  EXPECT_EQ(before.given.count("--dt"), 0u); // not said in the description: not in force
}

// The target and the sweeps a method names follow the cities: n = N + 5 for hopfield-tank's
// ten cities, 5,000 steps for tcnn's, unless given after the method.
TEST(Methods, TheTargetAndTheSweepsFollowTheMethodAndTheCities) {
  const std::string ht10 = std::string(SOURCE_DIR) + "/data/literature/ht10.txt";
  NetworkOptions o;
  ASSERT_EQ(read(TOOL_TRACE, {"--cities", ht10, "--method", "hopfield-tank"}, &o), "");
  std::string error;
  ASSERT_TRUE(set_up_network(&o, &error)) << error;
  EXPECT_EQ(o.net.target, 15.0);
  EXPECT_EQ(o.net.sweeps, 1000);
  EXPECT_NE(network_text(o).find("rule euler, method hopfield-tank"), std::string::npos)
      << network_text(o);
  NetworkOptions n12;
  ASSERT_EQ(read(TOOL_TRACE, {"--cities", ht10, "--method", "hopfield-tank", "--n", "12"}, &n12),
            "");
  ASSERT_TRUE(set_up_network(&n12, &error)) << error;
  EXPECT_EQ(n12.net.target, 12.0);
  NetworkOptions t;
  ASSERT_EQ(read(TOOL_TRACE, {"--method", "tcnn"}, &t), "");
  ASSERT_TRUE(set_up_network(&t, &error)) << error;
  EXPECT_EQ(t.net.sweeps, 5000);
  EXPECT_EQ(t.net.rule, RULE_TCNN);
  EXPECT_EQ(t.net.u0, 0.008);
  reset_network();
}

// With --method the coefficients may be left out: the run is the one with the method's own
// typed; without a method they are still needed.
TEST(Methods, TheCoefficientsMayBeLeftOutWithAMethod) {
  const std::string cities = std::string(" --cities ") + SOURCE_DIR + "/data/literature/ht10.txt";
  const Ran left_out = run(std::string(TRACE) + " --method feasible" + cities + " 7");
  const Ran typed = run(std::string(TRACE) + " --method feasible" + cities + " 3 3 1 7");
  ASSERT_EQ(left_out.status, 0) << left_out.err;
  EXPECT_EQ(left_out.out, typed.out);
  const Ran none = run(std::string(TRACE) + cities + " 7");
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("missing Bcoef"), std::string::npos) << none.err;
  const Ran survey = run(std::string(SURVEY) + " --seeds 1:20 --method hopfield-tank" + cities);
  const Ran survey_typed =
      run(std::string(SURVEY) + " --seeds 1:20 --method hopfield-tank" + cities + " 500 500 500");
  ASSERT_EQ(survey.status, 0) << survey.err;
  EXPECT_EQ(survey.out, survey_typed.out);
  EXPECT_EQ(run(std::string(SURVEY) + " --seeds 1:2" + cities).status, 2);
}

// A heuristic's trace has no cycles: the views of cycles are refused.
TEST(Methods, AHeuristicsTraceRefusesTheViewsOfCycles) {
  const Ran r = run(std::string(TRACE) + " --method 2-opt --csv 1");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("no cycles"), std::string::npos) << r.err;
}

// feasible's conditions on four cities at the corners of a square (side 1, so the unit
// distances are 1 / sqrt 2 along a side and 1 across): by hand, at the tour 1-2-3-4, the unit
// of city 1 at position 1 has u = 2.5 - (0.7071 + 0.7071) = 1.0858 and the unit of city 1 at
// position 2 u = -3 - 3 - (0 + 1) + 2.5 = -4.5. And over all 2^16 corners: exactly the 24
// tours have every unit's input of its own sign (on above 0, off below).
TEST(Feasible, EveryTourCornerAndNoOtherHoldsOnFourCities) {
  reset_network();
  const double square[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
  for (int i = 0; i < 4; i++) cityxy[i][0] = square[i][0], cityxy[i][1] = square[i][1];
  Network net = nuv_network();
  net.n = 4;
  apply_method(METHOD_FEASIBLE, &net);
  set_up(net);
  InputTerms terms;
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 4; j++) unitout[i][j] = i == j;
  EXPECT_NEAR(unit_input_terms(net, 0, 0, &terms), 2.5 - 2 / std::sqrt(2.0), 1e-12);
  EXPECT_NEAR(unit_input_terms(net, 0, 1, &terms), -4.5, 1e-12);
  int stable = 0;
  for (int corner = 0; corner < 1 << 16; corner++) {
    int on = 0;
    for (int u = 0; u < 16; u++) on += unitout[u / 4][u % 4] = corner >> u & 1;
    bool holds = true;
    for (int u = 0; u < 16; u++) {
      const double in = unit_input_terms(net, u / 4, u % 4, &terms);
      holds = holds && (unitout[u / 4][u % 4] == 1 ? in > 0 : in < 0);
    }
    Tour t;
    EXPECT_EQ(holds, decode_tour(unitout, &t) && on == 4) << "corner " << corner;
    stable += holds;
  }
  EXPECT_EQ(stable, 24);
  reset_network();
}

// Every run of feasible ends on a valid tour: a few hundred seeds on the ten cities, eil51 and
// random cities of 4 and 30.
TEST(Feasible, EveryRunEndsOnAValidTour) {
  for (const std::string &c : {std::string(SOURCE_DIR) + "/data/literature/ht10.txt",
                               std::string(SOURCE_DIR) + "/data/tsplib/eil51.tsp",
                               std::string("random:4:2"), std::string("random:30:3")}) {
    const Ran r = run(std::string(SURVEY) + " --csv --seeds 1:300 --method feasible --cities " + c);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> rows = lines_of(r.out);
    ASSERT_EQ(rows.size(), 301u);
    std::set<std::string> tours;
    for (size_t k = 1; k < rows.size(); k++) {
      EXPECT_EQ(fields_of(rows[k])[4], "1") << c << ": " << rows[k];
      tours.insert(fields_of(rows[k])[5]);
    }
    EXPECT_GT(tours.size(), 1u) << c; // the seeds give different tours
  }
}
