/* The network model's data and its three operations. Start at update_state, the dynamics, whose
 * arithmetic is sweep_units in sweep.h; initialize builds the distances and the start, energy
 * measures a state. With the family's defaults every operation is nuv's, bit for bit. */
#include "network.h"
#include "sweep.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>

static const double RAW_SCALE = 0.1;             /* applied to each raw coordinate distance */
static const double RAND_DIVISOR = 2147483647.0; /* maps rand() onto [0, 1] */

const double nuvcity[NCITY][2] = {{3.0, 4.0}, {2.0, 7.0}, {4.0, 7.0}, {5.0, 5.0}, {5.0, 3.0},
                                  {4.0, 1.0}, {2.0, 1.0}, {1.0, 3.0}, {1.0, 5.0}};
static const Network NUV_NETWORK = {NCITY,  false, false,         0.0,          NCITY, true,
                                    0.0,    0.5,   START_UNIFORM, RULE_INPLACE, 0.01,  1.0,
                                    NSWEEP, 0.0,   0.0,           0.0};
Network network = NUV_NETWORK;
double cityxy[MAXCITY][2] = {{3.0, 4.0}, {2.0, 7.0}, {4.0, 7.0}, {5.0, 5.0}, {5.0, 3.0},
                             {4.0, 1.0}, {2.0, 1.0}, {1.0, 3.0}, {1.0, 5.0}};
bool cityxy_known = true;
double citydistance[MAXCITY][MAXCITY];
double Acoef, Bcoef, Dcoef;
double unitout[MAXCITY][MAXCITY];
double unitin[MAXCITY][MAXCITY];
double distance[MAXCITY][MAXCITY];

void reset_network(void) {
  network = NUV_NETWORK;
  cityxy_known = true;
  for (int i = 0; i < NCITY; i++) cityxy[i][0] = nuvcity[i][0], cityxy[i][1] = nuvcity[i][1];
}

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

double bias_value(void) {
  return network.bias_ab ? Acoef + Bcoef : network.bias;
}

/* One network's activation: the C library's tanh. */
static double activate(double x) {
  return tanh(x);
}

/* The distances the network works with: the instance's own (the cities' Euclidean distances
 * when they are coordinates), taken 0.1 times for coordinates, then scaled so that the mean
 * distance between two distinct cities is nuv's: they add up to 10 N (N - 1) / 72, exactly 10
 * for nine cities. */
void build_distances(void) {
  const int n = network.n;
  double total = 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      if (!network.matrix) {
        double dx = cityxy[i][0] - cityxy[j][0];
        double dy = cityxy[i][1] - cityxy[j][1];
        citydistance[i][j] = sqrt(dx * dx + dy * dy);
      }
      distance[i][j] =
          network.matrix || network.raw ? citydistance[i][j] : citydistance[i][j] * RAW_SCALE;
      total += distance[i][j];
    }
  if (!network.raw) {
    const double sum = 10.0 * n * (n - 1) / 72.0;
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) distance[i][j] = distance[i][j] * sum / total;
  }
}

/* The distances, then N x N draws in row-major order start the state: uniform, or centred on
 * u00 with a spread of a tenth of U0; the Euler rule keeps each unit's input u. The
 * coefficients play no part here. */
void initialize(void) {
  const int n = network.n;
  build_distances();
  const double u00 = network.start == START_CENTRED ? -0.5 * network.u0 * log(n - 1.0) : 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      const double r = rand() / RAND_DIVISOR;
      if (network.start == START_CENTRED) {
        unitin[i][j] = u00 + 0.1 * network.u0 * (2 * r - 1);
        unitout[i][j] = (activate(unitin[i][j] / network.u0) + 1.0) * 0.5;
        continue;
      }
      unitout[i][j] = r;
      if (network.rule == RULE_EULER) {
        const double v = r == 0.0 ? 0x1p-53 : r == 1.0 ? 1 - 0x1p-53 : r;
        unitin[i][j] = network.u0 * atanh(2 * v - 1);
      }
    }
}

/* The weights of the program's network for a sweep. */
static Weights<double> weights(void) {
  return {Acoef,           Bcoef,        Dcoef,      network.c,  network.c != 0.0, network.target,
          network.bias_ab, network.bias, network.u0, network.dt, network.tau};
}

/* One sweep of the program's network: see sweep_units. */
void update_state(void) {
  static double input[MAXCITY][MAXCITY];
  const Weights<double> w = weights(); /* apart from the state it writes */
  sweep_units(unitout, input, unitin, network.n, network.rule, w, distance, activate);
}

/* A sweep stepped unit by unit, started at unit (0, 0) of the current state: its total is the
 * state's (0 without a global term), as update_state's sweep starts it. */
Stepping start_stepping(void) {
  const Stepping s = {network.c != 0.0 ? state_total(unitout, network.n) : 0.0};
  return s;
}

/* One unit of the in-place sweep update_state makes, alone, so that a sweep can be watched unit
 * by unit: the total the global term reads is the caller's, carried from unit to unit as in the
 * sweep; stepping every unit in row-major order from start_stepping is exactly one update_state.
 */
void update_unit(Stepping *stepping, int i, int j) {
  update_unit<false>(unitout, network.n, i, j, weights(), distance, stepping->total, activate);
}

/* Unit (i, j)'s input from the current state, as a sweep starting now would take it, and into
 * term[NTERM] its addends in the order the sweep adds them. */
double unit_input_terms(int i, int j, double term[6]) {
  const Weights<double> w = weights();
  const double total = w.any_c ? state_total(unitout, network.n) : 0.0;
  return unit_input<false>(unitout, network.n, i, j, w, distance, total, (const double *)nullptr,
                           (const double *)nullptr, term);
}

/* The energy's terms of the current state and their sum: half of each coefficient times its
 * sum of products, each unordered pair in a row or column counted twice, the column sum
 * position-major; with C not 0, (C / 2)(sum of outputs - n)^2 too, added last. */
template <int N>
static void energy_sums(int n, double *row, double *column, double *tour) {
  if (N) n = N; /* nuv's nine as a constant: the loops unrolled as in a program for them alone */
  double ea = 0.0, eb = 0.0, ed = 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++)
      for (int k = 0; k < n; k++)
        if (k != j) ea += unitout[i][j] * unitout[i][k];
  for (int j = 0; j < n; j++)
    for (int i = 0; i < n; i++)
      for (int k = 0; k < n; k++)
        if (k != i) eb += unitout[i][j] * unitout[k][j];
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      int p = j == 0 ? n - 1 : j - 1, nx = j == n - 1 ? 0 : j + 1;
      for (int k = 0; k < n; k++)
        ed += distance[i][k] * unitout[i][j] * (unitout[k][nx] + unitout[k][p]);
    }
  *row = ea, *column = eb, *tour = ed;
}

double energy_terms(double term[NENERGY_TERM]) {
  const int n = network.n;
  double ea, eb, ed;
  if (n == NCITY)
    energy_sums<NCITY>(n, &ea, &eb, &ed);
  else
    energy_sums<0>(n, &ea, &eb, &ed);
  term[ENERGY_ROW] = (Acoef * 0.5) * ea;
  term[ENERGY_COLUMN] = (Bcoef * 0.5) * eb;
  term[ENERGY_TOUR] = (Dcoef * 0.5) * ed;
  term[ENERGY_GLOBAL] = 0.0;
  if (network.c == 0.0) return term[ENERGY_ROW] + term[ENERGY_COLUMN] + term[ENERGY_TOUR];
  double total = 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) total += unitout[i][j];
  term[ENERGY_GLOBAL] = (network.c * 0.5) * ((total - network.target) * (total - network.target));
  return term[ENERGY_ROW] + term[ENERGY_COLUMN] + term[ENERGY_TOUR] + term[ENERGY_GLOBAL];
}

/* The energy of the current state. */
double energy(void) {
  double term[NENERGY_TERM];
  return energy_terms(term);
}
