// The measures against values worked out by hand: ranks among all tours, outcomes of states
// built by hand, and the function L along single units.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "optimum.h"
#include "state.h"

namespace {

Tour tour_of(const std::string &text) {
  Tour t;
  for (int j = 0; j < NCITY; j++) t.city[j] = text[size_t(2 * j)] - '1';
  return t;
}

TEST(Rank, CountsTheDistinctToursShorterByMoreThanTheSlack) {
  reset_network(); // the distances of nuv's cities, before any run
  // The optimum and its mirror image, 6 + 6 sqrt 5, share rank 1; the four tours of
  // 8 + 4 sqrt 5 + sqrt 10, such as the plain order, share rank 3, so the next is rank 7.
  EXPECT_EQ(tour_rank(tour_length(tour_of("1-4-3-2-9-8-7-6-5"))), 1);
  EXPECT_EQ(tour_rank(tour_length(tour_of("9-2-3-4-5-6-7-8-1"))), 1);
  const double second = 8 + 4 * std::sqrt(5.0) + std::sqrt(10.0);
  EXPECT_NEAR(tour_length(tour_of("1-2-3-4-5-6-7-8-9")), second, 1e-12);
  for (const char *t : {"1-2-3-4-5-6-7-8-9", "1-5-4-3-2-9-8-7-6", "1-3-2-9-8-7-6-5-4"})
    EXPECT_EQ(tour_rank(tour_length(tour_of(t))), 3) << t;
  EXPECT_EQ(tour_rank(second * (1 + 1e-6)), 7);
  // Every order of the nine cities from city 1, measured here on its own: 8! orders, each
  // closed tour twice (once each way round), so 20,160 tours; the longest ranks at most 20,160
  // and anything longer one more.
  const double xy[9][2] = {{3, 4}, {2, 7}, {4, 7}, {5, 5}, {5, 3}, {4, 1}, {2, 1}, {1, 3}, {1, 5}};
  int order[9] = {0, 1, 2, 3, 4, 5, 6, 7, 8}, orders = 0;
  double longest = 0, shortest = 1e9;
  do {
    double length = 0;
    for (int k = 0; k < 9; k++)
      length += std::hypot(xy[order[k]][0] - xy[order[(k + 1) % 9]][0],
                           xy[order[k]][1] - xy[order[(k + 1) % 9]][1]);
    longest = std::max(longest, length), shortest = std::min(shortest, length);
    orders++;
  } while (std::next_permutation(order + 1, order + 9));
  EXPECT_EQ(orders / 2, tour_count());
  EXPECT_NEAR(shortest, 6 + 6 * std::sqrt(5.0), 1e-12);
  EXPECT_LE(tour_rank(longest), tour_count());
  EXPECT_GT(tour_rank(longest * (1 - 1e-6)), tour_count() - 10);
  EXPECT_EQ(tour_rank(longest * 1.001), tour_count() + 1);
  // Rank 1 exactly when a tour's ratio to the optimum is 1 within the slack.
  std::mt19937 random(7);
  const Optimum o = find_optimum();
  for (int n = 0; n < 2000; n++) {
    Tour t = tour_of("1-2-3-4-5-6-7-8-9");
    std::shuffle(t.city, t.city + NCITY, random);
    const double ratio = tour_length(t) / o.length;
    EXPECT_EQ(tour_rank(tour_length(t)) == 1, std::fabs(ratio - 1) <= OPTIMAL_SLACK);
  }
}

TEST(Outcome, NamesHowTheUnitsOnFailToMakeATour) {
  static double state[MAXCITY][MAXCITY] = {};
  const Tour t = tour_of("2-3-4-5-8-1-6-7-9");
  for (int j = 0; j < NCITY; j++) state[t.city[j]][j] = 0.9;
  EXPECT_STREQ(outcome_name(outcome_of(state)), "tour");
  EXPECT_EQ(units_on(state), 9);
  state[1][0] = 0.5; // exactly one half is off: a row and a column with none
  EXPECT_STREQ(outcome_name(outcome_of(state)), "missing");
  state[1][0] = 0.9, state[1][4] = 0.6; // city 2 twice, position 5 two cities
  EXPECT_STREQ(outcome_name(outcome_of(state)), "doubled");
  state[1][0] = 0.1; // and position 1 now has none
  EXPECT_STREQ(outcome_name(outcome_of(state)), "mixed");
  // A unit at exactly one half is off: beside a tour it spoils nothing, and decodes as nothing.
  state[1][0] = 0.9, state[1][4] = 0.5;
  Tour decoded;
  ASSERT_TRUE(decode_tour(state, &decoded));
  EXPECT_EQ(decoded.city[0], 1);
  EXPECT_EQ(decoded.city[4], t.city[4]);
  EXPECT_EQ(units_on(state), 9);
  state[1][4] = std::nextafter(0.5, 1.0); // the least above one half is on
  EXPECT_FALSE(decode_tour(state, &decoded));
  EXPECT_EQ(units_on(state), 10);
  static double none[MAXCITY][MAXCITY] = {};
  EXPECT_STREQ(outcome_name(outcome_of(none)), "missing");
  EXPECT_EQ(largest_change(none, state), 0.9);
}

TEST(Lyapunov, IsLowestAlongAUnitAtTheOutputTheSweepGivesIt) {
  // Along unit (i, j), L is smallest at the output the sweep writes there; any other value of
  // that one unit gives a larger L, whatever the coefficients' signs.
  start_run(nuv_network(), 3);
  std::mt19937 random(11);
  std::uniform_real_distribution<double> coef(-3, 5);
  for (int n = 0; n < 40; n++) {
    Network net = nuv_network();
    net.a = coef(random), net.b = coef(random), net.d = coef(random);
    set_up(net);
    const int i = n % NCITY, j = n * 4 % NCITY;
    static double keep[MAXCITY][MAXCITY];
    for (int a = 0; a < NCITY; a++)
      for (int b = 0; b < NCITY; b++) keep[a][b] = unitout[a][b];
    update_state(); // the sweep's value for (i, j) from the state it saw
    static double swept[MAXCITY][MAXCITY];
    for (int a = 0; a < NCITY; a++)
      for (int b = 0; b < NCITY; b++) swept[a][b] = unitout[a][b];
    // Set every unit after (i, j) back, so that (i, j) was the last to move.
    for (int a = 0; a < NCITY; a++)
      for (int b = 0; b < NCITY; b++)
        if (a * NCITY + b > i * NCITY + j) unitout[a][b] = keep[a][b];
    EnergyTerms terms;
    auto l_with = [&](double v) {
      unitout[i][j] = v;
      return lyapunov(net, unitout, energy_terms(net, unitout, &terms));
    };
    const double best = l_with(swept[i][j]);
    for (double other : {0.0, 0.02, 0.3, 0.5, 0.77, 0.999, 1.0}) {
      if (std::fabs(other - swept[i][j]) > 1e-6) {
        EXPECT_GT(l_with(other), best - 1e-12 * (std::fabs(best) + 1)) << other;
      }
    }
    l_with(swept[i][j]);
  }
}

TEST(Lyapunov, IsTheEnergyAtAStateOfOneHalfLessTheConstantInput) {
  // Every unit at 0.5: G(0.5) = 0, so L = E - (A + B) * 81 * 0.5.
  reset_network();
  Network net = nuv_network();
  net.a = 1.5, net.b = -0.25, net.d = 2;
  for (auto &row : unitout)
    for (double &v : row) v = 0.5;
  EnergyTerms terms;
  EXPECT_NEAR(lyapunov(net, unitout, energy_terms(net, unitout, &terms)),
              1.5 * 81 - 0.25 * 81 + 2 * 22.5 - 1.25 * 40.5, 1e-9);
  // All at 0 or all at 1, each unit adds G = (0.5 / 2) ln 2, its 0 ln 0 taken as 0, not a NaN;
  // at 1 the row and column terms add 81 * 8 * (A + B) / 2 and the constant input takes 81.
  for (double v : {0.0, 1.0}) {
    net.d = 0;
    for (auto &row : unitout)
      for (double &u : row) u = v;
    EXPECT_NEAR(lyapunov(net, unitout, energy_terms(net, unitout, &terms)),
                v * 1.25 * (324 - 81) + 81 * 0.25 * std::log(2.0), 1e-12);
  }
}

} // namespace
