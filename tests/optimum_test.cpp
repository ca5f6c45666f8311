// The optimum's searches on distances no city file gives (negative, zero, huge, set straight into
// citydistance), against the shortest tour found here by trying every order, or known by
// construction; and TSPLIB's optimal tour files: their reading, their refusals, and their lengths
// against the optima TSPLIB publishes (data/tsplib/README.md).
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cities.h"
#include "network.h"
#include "optimum.h"
#include "rows.h"
#include "tour_file.h"

namespace {

// n cities whose distances are weight(i, k) for i < k, the same both ways, 0 on the diagonal.
template <class Weight>
void set_distances(int n, Weight weight) {
  reset_network();
  Network net = nuv_network();
  net.n = n, net.distances_given = true;
  cityxy_known = false;
  for (int i = 0; i < n; i++)
    for (int k = 0; k < n; k++)
      citydistance[i][k] = i == k ? 0.0 : weight(std::min(i, k), std::max(i, k));
  set_up(net); // the cities changed: the model set up for them
}

// The shortest closed tour by trying every order from city 1, summed here on its own.
double shortest_by_trying_all() {
  const int n = network.n;
  std::vector<int> order(static_cast<size_t>(n));
  for (int k = 0; k < n; k++) order[size_t(k)] = k;
  double best = INFINITY;
  do {
    double length = 0;
    for (int k = 0; k < n; k++)
      length += citydistance[order[size_t(k)]][order[size_t((k + 1) % n)]];
    best = std::min(best, length);
  } while (std::next_permutation(order.begin() + 1, order.end()));
  return best;
}

// Whether the tour visits each of the n cities once.
bool is_permutation(const Tour &t) {
  std::vector<int> seen(static_cast<size_t>(network.n), 0);
  for (int j = 0; j < network.n; j++) {
    if (t.city[j] < 0 || t.city[j] >= network.n || seen[size_t(t.city[j])]) return false;
    seen[size_t(t.city[j])] = 1;
  }
  return true;
}

// The optimum's tour is a tour, its length the optimum's, and that is `shortest` within a
// slack relative to the distances' magnitude (the sums run in another order here).
void expect_optimum(double shortest, double magnitude, const std::string &what) {
  const Optimum o = find_optimum();
  ASSERT_TRUE(is_permutation(o.tour)) << what;
  EXPECT_EQ(tour_length(o.tour), o.length) << what;
  EXPECT_NEAR(o.length, shortest, 1e-12 * magnitude) << what;
  EXPECT_STREQ(optimum_tour_kind(o), network.n <= EXACT_CITIES ? "optimal" : "best known") << what;
  if (network.n <= RANK_CITIES) {
    EXPECT_EQ(tour_rank(o.length), 1) << what;
  }
}

TEST(Optimum, EveryRankedOrExactSearchEndsOnTheShortestTourWhateverTheSign) {
  for (int n : {4, 9, 12}) {
    std::mt19937 random{unsigned(n)};
    std::uniform_real_distribution<double> negative(-10, -1), mixed(-5, 5), huge(1e299, 1e300);
    std::map<std::string, std::vector<double>> cases;
    for (const char *name : {"negative", "mixed", "zero", "huge", "equal negative"})
      for (int k = 0; k < n * n; k++)
        cases[name].push_back(std::string(name) == "negative" ? negative(random)
                              : std::string(name) == "mixed"  ? mixed(random)
                              : std::string(name) == "huge"   ? huge(random)
                              : std::string(name) == "zero"   ? 0.0
                                                              : -3.0);
    for (const auto &named : cases) {
      const std::string &name = named.first;
      const std::vector<double> &w = named.second;
      set_distances(n, [&](int i, int k) { return w[size_t(i * n + k)]; });
      const double magnitude = name == "huge" ? 1e300 * n : 10.0 * n;
      // Every tour of equal distances is as long: no need to try them all.
      const double shortest = name == "zero"             ? 0.0
                              : name == "equal negative" ? -3.0 * n
                                                         : shortest_by_trying_all();
      expect_optimum(shortest, magnitude, name + " at " + std::to_string(n));
    }
  }
  // Sums beyond the largest double: every tour is infinitely long, and the searches still end.
  for (int n : {4, 12, 18}) {
    set_distances(n, [](int, int) { return DBL_MAX; });
    EXPECT_TRUE(is_permutation(find_optimum().tour));
    EXPECT_EQ(find_optimum().length, INFINITY);
  }
  // A distance that is no number: still a tour, from every search.
  for (int n : {4, 12, 18}) {
    set_distances(n, [](int i, int k) { return i == 1 && k == 2 ? NAN : 1.0; });
    EXPECT_TRUE(is_permutation(find_optimum().tour)) << n;
  }
  reset_network();
}

TEST(Optimum, ANegativeOptimumsOwnTourIsOptimal) {
  // Twelve cities at -1 apart: every tour is -12 long and optimal, and nuv-survey says so.
  set_distances(12, [](int, int) { return -1.0; });
  char *text = nullptr;
  size_t size = 0;
  FILE *rows = open_memstream(&text, &size);
  print_optimum_line(rows, find_optimum());
  fclose(rows);
  const std::string line(text, size);
  EXPECT_EQ(line.rfind("optimal tour 1-", 0), 0u) << line;
  EXPECT_EQ(line.substr(line.size() - 13), ", length -12\n") << line;
  free(text);
  reset_network();
}

TEST(Optimum, LocalSearchEndsOnNegativeZeroAndHugeDistances) {
  // 18 cities, beyond the exact search: distances whose shortest tour is known by construction.
  const int n = 18;
  auto ring = [&](int i, int k) { return k == i + 1 || (i == 0 && k == n - 1); };
  struct Case {
    const char *name;
    double shortest;
    double (*weight)(int, int, bool);
  };
  const Case cases[] = {
      {"equal negative", -2.0 * n, [](int, int, bool) { return -2.0; }},
      {"zero", 0.0, [](int, int, bool) { return 0.0; }},
      {"equal huge", 1e300 * n, [](int, int, bool) { return 1e300; }},
      // The ring 1-2-...-18 at -5 a step, every other pair +3: the ring is the shortest.
      {"negative ring", -5.0 * n, [](int, int, bool on) { return on ? -5.0 : 3.0; }},
      {"huge ring", 1e299 * n, [](int, int, bool on) { return on ? 1e299 : 1e300; }},
  };
  for (const Case &c : cases) {
    set_distances(n, [&](int i, int k) { return c.weight(i, k, ring(i, k)); });
    const Optimum o = find_optimum();
    ASSERT_TRUE(is_permutation(o.tour)) << c.name;
    EXPECT_FALSE(o.exact) << c.name;
    EXPECT_EQ(o.length, tour_length(o.tour)) << c.name;
    EXPECT_NEAR(o.length, c.shortest, 1e-12 * std::fabs(c.shortest)) << c.name;
  }
  // Random negative distances: no shortest known, but the search ends on a tour that no single
  // reversal of a stretch shortens.
  std::mt19937 random(18);
  std::uniform_real_distribution<double> negative(-10, -1);
  std::vector<double> w(n * n);
  for (double &x : w) x = negative(random);
  set_distances(n, [&](int i, int k) { return w[size_t(i * n + k)]; });
  const Optimum o = find_optimum();
  ASSERT_TRUE(is_permutation(o.tour));
  for (int a = 0; a + 1 < n; a++)
    for (int b = a + 1; b < n; b++) {
      Tour t = o.tour;
      std::reverse(t.city + a, t.city + b + 1);
      EXPECT_GE(tour_length(t), o.length - 1e-9 * std::fabs(o.length)) << a << " " << b;
    }
  reset_network();
}

// The tables follow the cities by construction: one distance changed in place, the count of
// cities the same, and no call besides, the optimum and the ranks are the new cities'. Every
// distance 1 but the cycle 1-2-...-n's edges, set to 1/2: that cycle, n/2 long, is the optimum.
TEST(Optimum, FollowsDistancesChangedInPlace) {
  for (int n : {6, 12}) { // enumerated and ranked, then by Held and Karp
    set_distances(n, [](int, int) { return 1.0; });
    EXPECT_EQ(find_optimum().length, n) << n;
    if (n <= RANK_CITIES) {
      EXPECT_EQ(tour_rank(n), 1) << n;
    }
    for (int i = 0; i < n; i++) {
      const int k = (i + 1) % n;
      citydistance[i][k] = citydistance[k][i] = 0.5;
    }
    const Optimum o = find_optimum();
    EXPECT_EQ(o.length, 0.5 * n) << n;
    EXPECT_EQ(tour_length(o.tour), 0.5 * n) << n;
    if (n <= RANK_CITIES) {
      EXPECT_EQ(tour_rank(0.5 * n), 1) << n;
      // Any other cycle has at most n - 2 of the short edges: n/2 + 1 at least.
      EXPECT_EQ(tour_rank(0.5 * n + 0.5), 2) << n;
    }
  }
  reset_network();
}

// Beyond EXACT_CITIES a tour given is the optimum only for the distances it was given with: one
// distance changed afterwards, it is dropped and the local search's best is "best known".
TEST(Optimum, TourGivenHoldsOnlyForTheDistancesItWasGivenFor) {
  const int n = 20;
  set_distances(n, [](int i, int k) { return k == i + 1 || (i == 0 && k == n - 1) ? 1.0 : 3.0; });
  Tour t;
  for (int j = 0; j < n; j++) t.city[j] = j;
  ASSERT_TRUE(give_optimal_tour(t));
  EXPECT_TRUE(find_optimum().exact);
  EXPECT_EQ(find_optimum().length, n);
  citydistance[0][2] = citydistance[2][0] = 2.0;
  const Optimum o = find_optimum();
  EXPECT_FALSE(o.exact);
  EXPECT_EQ(o.length, tour_length(o.tour));
  forget_optimal_tour();
  reset_network();
}

// The optimum is a measure: it reads the cities' distances and writes none of the model's. A
// distance the network works with, marked after set-up, stays as marked through every query,
// of ranked, exact and searched cities alike (a query that built the distances again would put
// the scaled value back).
TEST(Optimum, AQueryWritesNoDistance) {
  for (int n : {9, 14, 20}) {
    set_distances(n, [](int i, int k) { return 1.0 + (i * 7 + k * 3) % 5; });
    const double scaled = distance[0][1], given = citydistance[0][1];
    distance[0][1] = -12345.0;
    const Optimum o = find_optimum();
    tour_rank(o.length);
    tour_count();
    EXPECT_EQ(distance[0][1], -12345.0) << n;
    EXPECT_EQ(citydistance[0][1], given) << n;
    distance[0][1] = scaled;
  }
  reset_network();
}

} // namespace
