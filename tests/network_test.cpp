// The network model against values worked out by hand: the scaled distances, single units of a
// sweep, and the energy of states whose sums can be counted.
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

#include "network.h"

namespace {

// The model set up for the network it is set up for with the coefficients a, b, d, and every
// output `all`.
void set(double a, double b, double d, double all) {
  Network net = network;
  net.a = a, net.b = b, net.d = d;
  set_up(net);
  for (auto &row : unitout)
    for (double &u : row) u = all;
}

// A unit's output for input u, (tanh(u / 0.5) + 1) / 2, in its logistic form 1 / (1 + e^(-4u)).
double output_for(double u) {
  return 1.0 / (1.0 + std::exp(-4.0 * u));
}

TEST(Network, DistancesAreSymmetricSumToTenAndHaveTheWorkedValues) {
  reset_network();
  double sum = 0.0, smallest = 1.0;
  for (int i = 0; i < NCITY; i++) {
    EXPECT_EQ(distance[i][i], 0.0);
    for (int k = 0; k < NCITY; k++) {
      EXPECT_EQ(distance[i][k], distance[k][i]);
      sum += distance[i][k];
      if (i != k) smallest = std::fmin(smallest, distance[i][k]);
    }
  }
  EXPECT_NEAR(sum, 10.0, 1e-12);
  EXPECT_NEAR(distance[0][1], 0.120656, 5e-7); // cities 1 and 2, sqrt 10 apart
  EXPECT_NEAR(distance[1][5], 0.241311, 5e-7); // the longest: 2-6 and 3-7
  EXPECT_EQ(distance[2][6], distance[1][5]);
  EXPECT_NEAR(smallest, 0.076309, 5e-7); // 2-3, 4-5, 6-7 and 8-9, 2.0 apart
  for (int i : {1, 3, 5, 7}) EXPECT_EQ(distance[i][i + 1], smallest);
}

// Unit distances of nuv's nine cities: each over the longest, sqrt 40 (2-6 and 3-7), so the
// longest is exactly 1, cities 1 and 2 (sqrt 10 apart) exactly 0.5, those 2.0 apart 1 / sqrt 10;
// the instance's own distances, which tours are measured by, stay as they are.
TEST(Network, UnitDistancesAreEachOverTheLongest) {
  reset_network();
  Network net = nuv_network();
  net.distances = DISTANCES_UNIT;
  set_up(net);
  double longest = 0.0;
  for (int i = 0; i < NCITY; i++)
    for (int k = 0; k < NCITY; k++) longest = std::fmax(longest, distance[i][k]);
  EXPECT_EQ(longest, 1.0);
  EXPECT_EQ(distance[1][5], 1.0);
  EXPECT_EQ(distance[2][6], 1.0);
  EXPECT_EQ(distance[0][1], 0.5);
  EXPECT_NEAR(distance[1][2], 1 / std::sqrt(10.0), 1e-16);
  EXPECT_EQ(citydistance[0][1], std::sqrt(10.0));
  EXPECT_EQ(citydistance[1][5], std::sqrt(40.0));
  reset_network();
}

// Under the Euler rule each step's dt is the step before's times (1 - dt_decay). Four cities on a
// square of side 2 with unit distances (sides 1 / sqrt 2, diagonals 1), every output 0.5 and
// input 0: the state stays uniform, each unit's input 2 - 6v - D 2v (1 + sqrt 2) by hand.
TEST(Network, TheEulerStepDecaysAfterEachStep) {
  const double square[4][2] = {{0, 0}, {2, 0}, {2, 2}, {0, 2}};
  for (int i = 0; i < 4; i++) cityxy[i][0] = square[i][0], cityxy[i][1] = square[i][1];
  Network net = nuv_network();
  net.n = 4, net.rule = RULE_EULER, net.distances = DISTANCES_UNIT;
  net.a = net.b = 1, net.d = 0.5, net.dt = 0.1, net.dt_decay = 0.5;
  set_up(net);
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 4; j++) unitout[i][j] = 0.5, unitin[i][j] = 0.0;
  double u = 0.0, v = 0.5, dt = 0.1;
  for (int step = 0; step < 2; step++, dt = dt * 0.5) {
    update_state();
    u = u + dt * ((2 - 6 * v - 0.5 * 2 * v * (1 + std::sqrt(2.0))) - u);
    v = (std::tanh(u / 0.5) + 1) / 2;
    for (int i = 0; i < 4; i++)
      for (int j = 0; j < 4; j++) {
        EXPECT_NEAR(unitin[i][j], u, 1e-14) << step;
        EXPECT_NEAR(unitout[i][j], v, 1e-14) << step;
      }
  }
  reset_network();
}

TEST(Network, StartIsTheGeneratorsDrawsOverTwoToThe31MinusOneRowByRow) {
  start_run(nuv_network(), 11);
  srand(11);
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) EXPECT_EQ(unitout[i][j], rand() / 2147483647.0);
}

TEST(Network, SweepIsInPlaceWithTheWorkedInputs) {
  reset_network();
  set(0, 0, 0, 0.3);
  update_state(); // every input 0
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) EXPECT_EQ(unitout[i][j], 0.5);
  EXPECT_EQ(energy(), 0.0);
  // From all 0.5 with A = B = 1, unit (0,0) has input -4 - 4 + 1 + 1 = -6; unit (0,1) already
  // sees the new (0,0) in its row, so its input is -5.5, not the -6 of a sweep from a copy.
  set(1, 1, 0, 0.5);
  update_state();
  EXPECT_NEAR(unitout[0][0], 3.775e-11, 1e-14);
  EXPECT_NEAR(unitout[0][1] / output_for(-5.5), 1.0, 1e-5);
  // With D alone, unit (0,0) has input -D * (0.5 + 0.5) * (city 1's distances).
  double row = 0.0;
  for (int k = 0; k < NCITY; k++) row += distance[0][k];
  for (double d : {1.0, -1.0, 4.0}) {
    set(0, 0, d, 0.5);
    update_state();
    EXPECT_NEAR(unitout[0][0], output_for(-d * row), 1e-12) << "D = " << d;
  }
  set(1e6, 1e6, 1e6, 0.5); // saturated, never outside [0, 1]
  for (int s = 0; s < 3; s++) update_state();
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) EXPECT_TRUE(unitout[i][j] == 0.0 || unitout[i][j] == 1.0);
}

// A unit's input, split as the sweep adds it: from all 0.5 the row and column terms are -4A and
// -4B, the tour term -D times city 1's distances, and A and B the bias; the parts add up.
TEST(Network, AUnitsInputTermsAreTheWorkedOnesAndAddUp) {
  reset_network();
  set(0, 0, 0, 0.5);
  Network net = nuv_network();
  net.a = 1.5, net.b = 2, net.d = 3;
  InputTerms t;
  double row = 0.0;
  for (int k = 0; k < NCITY; k++) row += distance[0][k];
  const double u = unit_input_terms(net, 0, 0, &t);
  EXPECT_EQ(t.row, -6.0);
  EXPECT_EQ(t.column, -8.0);
  EXPECT_NEAR(t.tour, -3 * row, 1e-12);
  EXPECT_EQ(t.global, 0.0);
  EXPECT_EQ(t.bias, 1.5);
  EXPECT_EQ(t.bias2, 2.0);
  EXPECT_EQ(u, ((((t.row + t.column) + t.tour) + t.global) + t.bias) + t.bias2);
  // With C = 2 and n = 9 the global term is -2 (40.5 - 9); a single bias has no second part.
  net.c = 2, net.target = 9, net.bias_ab = false, net.bias = 0.25;
  const double v = unit_input_terms(net, 0, 0, &t);
  EXPECT_EQ(t.global, -63.0);
  EXPECT_EQ(t.bias, 0.25);
  EXPECT_EQ(t.bias2, 0.0);
  EXPECT_EQ(v, ((((t.row + t.column) + t.tour) + t.global) + t.bias) + t.bias2);
  EXPECT_EQ(network.c, 0.0) << "a measure writes no setting";
  reset_network();
}

// Stepping the units one by one in row-major order from a started record is one sweep, bit for
// bit, with or without a global term (whose running total the record carries as the sweep
// does): each stepped unit takes its sums whole from the state, where update_state takes nuv's
// nine cities unit by unit and a larger network row by row from sums kept current (a distance
// from a city to itself, here 0.25 and -0.5, makes it take a unit's tour sum whole). Stepping a
// later unit first gives another state.
TEST(Network, SteppingEveryUnitInOrderIsOneSweep) {
  for (int n : {int(NCITY), 40, 130})
    for (double c : {0.0, 0.7})
      for (bool own_distance : {false, true}) {
        reset_network();
        Network net = nuv_network();
        net.n = n, net.target = n;
        srand(unsigned(n));
        if (n != NCITY) // nuv's spread of cities, and coefficients that keep outputs off 0 and 1
          for (int i = 0; i < n; i++) cityxy[i][0] = rand() % 10, cityxy[i][1] = rand() % 10;
        net.a = net.b = net.d = n == NCITY ? 1.0 : 1.0 / n, net.c = c;
        start_run(net, 5);
        if (own_distance) distance[1][1] = 0.25, distance[n - 2][n - 2] = -0.5;
        update_state();
        static double start[MAXCITY][MAXCITY], swept[MAXCITY][MAXCITY];
        memcpy(start, unitout, sizeof start);
        for (int s = 0; s < 2; s++) update_state();
        memcpy(swept, unitout, sizeof swept);
        memcpy(unitout, start, sizeof start);
        for (int s = 0; s < 2; s++) {
          Stepping stepping = start_stepping(net);
          for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) update_unit(net, &stepping, i, j);
        }
        EXPECT_EQ(memcmp(unitout, swept, sizeof swept), 0)
            << n << " cities, C = " << c << (own_distance ? ", own distances" : "");
        if (n != NCITY) continue; // larger ones saturate: the order is told by nuv's
        memcpy(unitout, start, sizeof start);
        update_state();
        const double in_order = unitout[0][1];
        memcpy(unitout, start, sizeof start);
        Stepping stepping = start_stepping(net);
        update_unit(net, &stepping, 0, 1); // before (0, 0) has changed
        EXPECT_NE(unitout[0][1], in_order);
      }
  reset_network();
}

// A sweep stepped half way, put aside while another whole sweep is stepped on another state, then
// taken up again from its record, ends as one update_state: the running total is the caller's,
// not left over from the other sweep (which a total kept inside update_unit would have been).
TEST(Network, ASweepTakenUpFromItsRecordMidwayIsOneSweep) {
  reset_network();
  Network net = nuv_network();
  net.a = net.b = net.d = 1, net.c = 0.7;
  start_run(net, 5);
  static double start[MAXCITY][MAXCITY], swept[MAXCITY][MAXCITY], half[MAXCITY][MAXCITY];
  memcpy(start, unitout, sizeof start);
  update_state();
  memcpy(swept, unitout, sizeof swept);
  memcpy(unitout, start, sizeof start);
  Stepping first = start_stepping(net);
  for (int k = 0; k < NCITY * NCITY / 2; k++) update_unit(net, &first, k / NCITY, k % NCITY);
  memcpy(half, unitout, sizeof half);
  start_run(net, 6); // another state, stepped whole
  Stepping other = start_stepping(net);
  for (int k = 0; k < NCITY * NCITY; k++) update_unit(net, &other, k / NCITY, k % NCITY);
  memcpy(unitout, half, sizeof half);
  for (int k = NCITY * NCITY / 2; k < NCITY * NCITY; k++)
    update_unit(net, &first, k / NCITY, k % NCITY);
  EXPECT_EQ(memcmp(unitout, swept, sizeof swept), 0);
  reset_network();
}

TEST(Network, EnergyOfStatesWhoseSumsCanBeCounted) {
  reset_network();
  // All 0.5: rows and columns each 9 * 9 * 8 ordered pairs of 0.25; tour 0.5 * 1.0 * 9 * 10.
  set(1, 0, 0, 0.5);
  EXPECT_NEAR(energy(), 81.0, 1e-9);
  set(0, 1, 0, 0.5);
  EXPECT_NEAR(energy(), 81.0, 1e-9);
  set(0, 0, 1, 0.5);
  EXPECT_NEAR(energy(), 22.5, 1e-9);
  // One city at two positions, then two cities at one position: each pair twice, at half weight.
  set(3, 5, 7, 0.0);
  unitout[4][2] = unitout[4][6] = 1.0;
  EXPECT_NEAR(energy(), 3.0, 1e-15);
  set(3, 5, 7, 0.0);
  unitout[2][4] = unitout[6][4] = 1.0;
  EXPECT_NEAR(energy(), 5.0, 1e-15);
  // A valid tour: no row or column term, D times the closed length.
  const int city_at[NCITY] = {0, 7, 6, 5, 4, 3, 2, 1, 8};
  double length = 0.0;
  set(1, 1, 2, 0.0);
  for (int j = 0; j < NCITY; j++) {
    unitout[city_at[j]][j] = 1.0;
    length += distance[city_at[j]][city_at[next(j)]];
  }
  EXPECT_NEAR(energy(), 2.0 * length, 1e-12);
}

// The energy's three sums as written, each term in its order (k from 0 up), summed here on
// their own: what energy_terms must give to the bit whatever way it takes.
void sums_as_written(const double state[][MAXCITY], int n, double sum[3]) {
  double ea = 0.0, eb = 0.0, ed = 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++)
      for (int k = 0; k < n; k++)
        if (k != j) ea += state[i][j] * state[i][k];
  for (int j = 0; j < n; j++)
    for (int i = 0; i < n; i++)
      for (int k = 0; k < n; k++)
        if (k != i) eb += state[i][j] * state[k][j];
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      const int p = (j + n - 1) % n, nx = (j + 1) % n;
      for (int k = 0; k < n; k++) ed += distance[i][k] * state[i][j] * (state[k][nx] + state[k][p]);
    }
  sum[0] = ea, sum[1] = eb, sum[2] = ed;
}

bool same_bits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

// The energy's terms have the bits of the sums as written, on a tour's 0/1 state, on states
// with a few units not 0 (some -0, some negative), and on dense states; over distances of both
// signs with ties and zeros, at the most cities and at a few.
TEST(Network, EnergyHasTheBitsOfItsSumsAsWrittenOnSparseAndDenseStates) {
  static double state[MAXCITY][MAXCITY];
  for (int n : {4, 10, 37, int(MAXCITY)}) {
    reset_network();
    Network net = nuv_network();
    net.n = n, net.distances_given = true, net.distances = DISTANCES_RAW;
    net.a = 0.5, net.b = 0.5, net.d = 0.5;
    srand(unsigned(n));
    for (int i = 0; i < n; i++)
      for (int k = 0; k < n; k++) citydistance[i][k] = i == k ? 0.0 : 1.0 + (i * 31 + k * 17) % 7;
    set_up(net);
    for (int i = 0; i < n; i++) // signs and sizes the instance's distances never take
      for (int k = 0; k < n; k++)
        if (rand() % 5 == 0) distance[i][k] = (rand() - RAND_MAX / 2) / 1e5;
    for (int kind = 0; kind < 4; kind++) {
      for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
          const int draw = rand();
          state[i][j] = kind == 0        ? double(j == (i * 7 + 3) % n && n % 7 != 0)
                        : kind == 3      ? draw / double(RAND_MAX)
                        : draw % 10 == 0 ? draw / double(RAND_MAX) - 0.25
                        : draw % 10 == 1 ? -0.0
                                         : 0.0;
        }
      if (kind == 0 && n % 7 == 0)
        for (int i = 0; i < n; i++) state[i][(i + 1) % n] = 1.0; // a tour where 7 divides n
      if (kind == 2) state[0][0] = state[0][1] = 1e-300;         // products that underflow to 0
      double sum[3];
      sums_as_written(state, n, sum);
      EnergyTerms terms;
      energy_terms(net, state, &terms);
      EXPECT_TRUE(same_bits(terms.row, (net.a * 0.5) * sum[0])) << n << " " << kind;
      EXPECT_TRUE(same_bits(terms.column, (net.b * 0.5) * sum[1])) << n << " " << kind;
      EXPECT_TRUE(same_bits(terms.tour, (net.d * 0.5) * sum[2])) << n << " " << kind;
    }
  }
  reset_network();
}

} // namespace
