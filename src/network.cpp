/* The network model's data and its three operations. Start at update_state, the dynamics, whose
 * arithmetic is sweep_units in sweep.h; initialize builds the distances and the random start,
 * energy measures a state. */
#include "network.h"
#include "sweep.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>

static const double RAW_SCALE = 0.1;     /* applied to each raw distance, cancelled by scaling */
static const double DISTANCE_SUM = 10.0; /* what the scaled distances add up to */
static const double RAND_DIVISOR = 2147483647.0; /* maps rand() onto [0, 1] */

const double cityxy[NCITY][2] = {{3.0, 4.0}, {2.0, 7.0}, {4.0, 7.0}, {5.0, 5.0}, {5.0, 3.0},
                                 {4.0, 1.0}, {2.0, 1.0}, {1.0, 3.0}, {1.0, 5.0}};
double Acoef, Bcoef, Dcoef;
double unitout[NCITY][NCITY];
double distance[NCITY][NCITY];

void set_coefficients(const double coef[3]) {
  Acoef = coef[0];
  Bcoef = coef[1];
  Dcoef = coef[2];
}

/* Never an undefined conversion: the range is checked before the value is truncated. */
unsigned seed_from_number(double value) {
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) return 0;
  return (unsigned)(uint32_t)(uint64_t)(int64_t)value;
}

void start_run(const double coef[3], unsigned seed) {
  set_coefficients(coef);
  srand(seed);
  initialize();
}

/* Distances scaled to sum to DISTANCE_SUM, then a start of 81 draws in row-major order.
 * The coefficients play no part here. */
void initialize(void) {
  double total = 0.0;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) {
      double dx = cityxy[i][0] - cityxy[j][0];
      double dy = cityxy[i][1] - cityxy[j][1];
      distance[i][j] = sqrt(dx * dx + dy * dy) * RAW_SCALE;
      total += distance[i][j];
    }
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) distance[i][j] = distance[i][j] * DISTANCE_SUM / total;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) unitout[i][j] = rand() / RAND_DIVISOR;
}

/* One network's activation: the C library's tanh. */
static double activate(double x) {
  return tanh(x);
}

/* One sweep of the program's network: see sweep_units. */
void update_state(void) {
  sweep_units(unitout, Acoef, Bcoef, Dcoef, distance, activate);
}

/* The energy's row, column and tour-length terms of the current state, and their sum, the
 * energy: half of each coefficient times its sum of products. Each unordered pair in a row or
 * column counts twice; the column sum runs position-major. */
double energy_terms(double term[3]) {
  double ea = 0.0, eb = 0.0, ed = 0.0;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++)
      for (int k = 0; k < NCITY; k++)
        if (k != j) ea += unitout[i][j] * unitout[i][k];
  for (int j = 0; j < NCITY; j++)
    for (int i = 0; i < NCITY; i++)
      for (int k = 0; k < NCITY; k++)
        if (k != i) eb += unitout[i][j] * unitout[k][j];
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) {
      int p = prev(j), n = next(j);
      for (int k = 0; k < NCITY; k++)
        ed += distance[i][k] * unitout[i][j] * (unitout[k][n] + unitout[k][p]);
    }
  term[0] = (Acoef * 0.5) * ea;
  term[1] = (Bcoef * 0.5) * eb;
  term[2] = (Dcoef * 0.5) * ed;
  return term[0] + term[1] + term[2];
}

/* The energy of the current state. */
double energy(void) {
  double term[3];
  return energy_terms(term);
}
