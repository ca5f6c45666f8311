// The network model against values worked out by hand: the scaled distances, single units of a
// sweep, and the energy of states whose sums can be counted.
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

#include "network.h"

namespace {

void set_coefs(double a, double b, double d) {
  Acoef = a, Bcoef = b, Dcoef = d;
}

void fill(double v) {
  for (auto &row : unitout)
    for (double &u : row) u = v;
}

// A unit's output for input u, (tanh(u / 0.5) + 1) / 2, in its logistic form 1 / (1 + e^(-4u)).
double output_for(double input) {
  return 1.0 / (1.0 + std::exp(-4.0 * input));
}

class Network : public ::testing::Test {
protected:
  void SetUp() override {
    srand(5);
    initialize();
  }
};

TEST_F(Network, DistancesAreSymmetricZeroOnDiagonalAndSumToTen) {
  double sum = 0.0;
  for (int i = 0; i < NCITY; i++) {
    EXPECT_EQ(distance[i][i], 0.0);
    for (int k = 0; k < NCITY; k++) {
      EXPECT_EQ(distance[i][k], distance[k][i]) << i << "," << k;
      sum += distance[i][k];
    }
  }
  EXPECT_NEAR(sum, 10.0, 1e-12);
}

TEST_F(Network, DistancesHaveTheWorkedValues) {
  // Raw pairs sum to 262.0913 * 0.1; cities 1 and 2 are sqrt(10) apart.
  EXPECT_NEAR(distance[0][1], 0.120656, 5e-7);
  EXPECT_NEAR(distance[1][5], 0.241311, 5e-7);
  EXPECT_NEAR(distance[2][6], 0.241311, 5e-7);
  double largest = 0.0, smallest = 1.0;
  for (int i = 0; i < NCITY; i++)
    for (int k = 0; k < NCITY; k++)
      if (i != k)
        largest = std::fmax(largest, distance[i][k]),
        smallest = std::fmin(smallest, distance[i][k]);
  EXPECT_EQ(largest, distance[1][5]);
  EXPECT_NEAR(smallest, 0.076309, 5e-7);
  for (int i : {1, 3, 5, 7})
    EXPECT_EQ(distance[i][i + 1], smallest) << "cities " << i + 1 << "-" << i + 2;
}

TEST_F(Network, StartDependsOnTheSeedAloneAndLiesInTheUnitInterval) {
  double first[NCITY][NCITY];
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) {
      first[i][j] = unitout[i][j];
      EXPECT_GE(unitout[i][j], 0.0);
      EXPECT_LE(unitout[i][j], 1.0);
    }
  set_coefs(3, -2, 7);
  srand(5);
  initialize();
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) EXPECT_EQ(unitout[i][j], first[i][j]);
  srand(6);
  initialize();
  EXPECT_NE(unitout[0][0], first[0][0]);
}

TEST_F(Network, ZeroCoefficientsGiveExactlyOneHalf) {
  set_coefs(0, 0, 0);
  update_state();
  for (auto &row : unitout)
    for (double u : row) EXPECT_EQ(u, 0.5);
  EXPECT_EQ(energy(), 0.0);
}

TEST_F(Network, SweepIsInPlaceAndRowMajor) {
  // From all 0.5 with A = B = 1: unit (0,0) has input -4 - 4 + 1 + 1 = -6. Unit (0,1) then sees
  // the new (0,0) in its row, so its input is about -3.5 - 4 + 2 = -5.5; a sweep from a copy
  // of the old state would give it -6 as well.
  set_coefs(1, 1, 0);
  fill(0.5);
  update_state();
  EXPECT_NEAR(unitout[0][0], 3.775e-11, 1e-14);
  EXPECT_NEAR(unitout[0][0] / output_for(-6.0), 1.0, 1e-5);
  EXPECT_NEAR(unitout[0][1] / output_for(-5.5), 1.0, 1e-5);
}

TEST_F(Network, TourTermWeighsTheCityRowOfDistances) {
  // From all 0.5 with D alone, unit (0,0) has input -D * (1.0 * sum of city 1's distances).
  double row = 0.0;
  for (int k = 0; k < NCITY; k++) row += distance[0][k];
  for (double d : {1.0, -1.0, 4.0}) {
    set_coefs(0, 0, d);
    fill(0.5);
    update_state();
    EXPECT_NEAR(unitout[0][0], output_for(-d * row), 1e-12) << "D = " << d;
  }
}

TEST_F(Network, LargeInputsSaturateWithoutLeavingTheUnitInterval) {
  set_coefs(1e6, 1e6, 1e6);
  for (int s = 0; s < 3; s++) update_state();
  for (auto &row : unitout)
    for (double u : row) EXPECT_TRUE(u == 0.0 || u == 1.0) << u;
}

TEST_F(Network, EnergyOfTheHalfStateForEachCoefficientAlone) {
  // Rows and columns: 9 * 9 * 8 ordered pairs of 0.25. Tour: 0.5 * 1.0 * 9 * (sum 10).
  fill(0.5);
  set_coefs(1, 0, 0);
  EXPECT_NEAR(energy(), 81.0, 1e-9);
  set_coefs(0, 1, 0);
  EXPECT_NEAR(energy(), 81.0, 1e-9);
  set_coefs(0, 0, 1);
  EXPECT_NEAR(energy(), 22.5, 1e-9);
  set_coefs(2, 3, 4);
  EXPECT_NEAR(energy(), 2 * 81.0 + 3 * 81.0 + 4 * 22.5, 1e-9);
}

TEST_F(Network, EnergyCountsEachPairInARowOrColumnTwiceAtHalfWeight) {
  fill(0.0);
  unitout[4][2] = unitout[4][6] = 1.0; // one city at two positions
  set_coefs(3, 5, 7);
  EXPECT_NEAR(energy(), 3.0, 1e-15);
  fill(0.0);
  unitout[2][4] = unitout[6][4] = 1.0; // two cities at one position
  EXPECT_NEAR(energy(), 5.0, 1e-15);
}

TEST_F(Network, EnergyOfAValidTourIsDTimesItsClosedLength) {
  const int city_at[NCITY] = {0, 7, 6, 5, 4, 3, 2, 1, 8}; // position -> city
  double length = 0.0;
  for (int j = 0; j < NCITY; j++) length += distance[city_at[j]][city_at[(j + 1) % NCITY]];
  fill(0.0);
  for (int j = 0; j < NCITY; j++) unitout[city_at[j]][j] = 1.0;
  set_coefs(1, 1, 2);
  EXPECT_NEAR(energy(), 2.0 * length, 1e-12);
  EXPECT_EQ(energy(), energy());
}

} // namespace
