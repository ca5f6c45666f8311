/* The network model's data and its three operations. Start at update_state, the dynamics, whose
 * arithmetic is sweep_units in sweep.h; set_up writes the model's state for a record, start_run
 * draws a run's start, energy_terms measures a state. With nuv_network() every operation is
 * nuv's, bit for bit. */
#include "network.h"
#include "instruction_set.h"
#include "network_sweeps.h"
#include "sweep.h"

#include <math.h>
#include <stdint.h>
#include <stdlib.h>

static const double COORDINATE_SCALE = 0.1; /* applied to each distance of coordinates */

const double nuvcity[NCITY][2] = {{3.0, 4.0}, {2.0, 7.0}, {4.0, 7.0}, {5.0, 5.0}, {5.0, 3.0},
                                  {4.0, 1.0}, {2.0, 1.0}, {1.0, 3.0}, {1.0, 5.0}};
Network nuv_network(void) {
  Network net;
  net.n = NCITY;
  net.distances_given = false, net.distances = DISTANCES_SCALED;
  net.c = 0.0, net.target = NCITY;
  net.bias_ab = true, net.bias = 0.0;
  net.u0 = 0.5;
  net.start = START_UNIFORM, net.rule = RULE_INPLACE;
  net.dt = 0.01, net.tau = 1.0, net.dt_decay = 0.0;
  net.sweeps = NSWEEP;
  net.a = net.b = net.d = 0.0;
  net.k = 0.9, net.alpha = 0.015, net.z0 = 0.08, net.beta = 0.001, net.i0 = 0.65;
  net.noise = 0.0, net.noise_decay = 0.0;
  net.t0 = 0.0, net.cooling = 0.98, net.gamma = 0.5, net.sinkhorn = 20;
  net.method = METHOD_NUV;
  return net;
}

Network network = nuv_network();
double cityxy[MAXCITY][2] = {{3.0, 4.0}, {2.0, 7.0}, {4.0, 7.0}, {5.0, 5.0}, {5.0, 3.0},
                             {4.0, 1.0}, {2.0, 1.0}, {1.0, 3.0}, {1.0, 5.0}};
bool cityxy_known = true;
double citydistance[MAXCITY][MAXCITY];
double Acoef, Bcoef, Dcoef;
double unitout[MAXCITY][MAXCITY];
double unitin[MAXCITY][MAXCITY];
double distance[MAXCITY][MAXCITY];
double work_space[MAXCITY][MAXCITY];
static double step_dt = 0.01; /* the Euler step of the next sweep: network.dt, decayed */
static double step_t = 1.0;   /* a normalised rule's temperature of the next sweep */
/* The transiently chaotic rule's self-feedback z and noise amplitude for the next sweep:
 * network.z0 and network.noise, decayed. */
static double step_z = 0.08, step_noise = 0.0;

void reset_network(void) {
  cityxy_known = true;
  for (int i = 0; i < NCITY; i++) cityxy[i][0] = nuvcity[i][0], cityxy[i][1] = nuvcity[i][1];
  set_up(nuv_network());
}

void set_up(Network net) {
  network = net;
  step_dt = net.dt;
  step_z = net.z0, step_noise = net.noise;
  Acoef = net.a, Bcoef = net.b, Dcoef = net.d;
  build_distances(net);
  if (is_normalised(net.rule)) step_t = start_temperature(net);
}

/* Never an undefined conversion: the range is checked before the value is truncated. */
unsigned seed_from_number(double value) {
  if (!(value >= -9223372036854775808.0 && value < 9223372036854775808.0)) return 0;
  return (unsigned)(uint32_t)(uint64_t)(int64_t)value;
}

void initialize(void) {
  build_distances(network);
  draw_start(network, unitout, unitin);
}

void start_run(const Network &net, unsigned seed) {
  set_up(net); /* the distances too: initialize's first half */
  srand(seed);
  draw_start(network, unitout, unitin);
}

double bias_value(const Network &net) {
  return net.bias_ab ? net.a + net.b : net.bias;
}

/* The distances the network works with: the instance's own (the cities' Euclidean distances
 * when they are coordinates); scaled, they are taken 0.1 times for coordinates, then scaled so
 * that the mean distance between two distinct cities is nuv's: they add up to 10 N (N - 1) / 72,
 * exactly 10 for nine cities. Unit: each divided by the longest (above 0 for cities that make a
 * network, which check_cities ensures), so that the longest is exactly 1. */
void build_distances(const Network &net) {
  const int n = net.n;
  double total = 0.0, longest = 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      if (!net.distances_given) {
        double dx = cityxy[i][0] - cityxy[j][0];
        double dy = cityxy[i][1] - cityxy[j][1];
        citydistance[i][j] = sqrt(dx * dx + dy * dy);
      }
      distance[i][j] = net.distances_given || net.distances != DISTANCES_SCALED
                           ? citydistance[i][j]
                           : citydistance[i][j] * COORDINATE_SCALE;
      total += distance[i][j];
      if (citydistance[i][j] > longest) longest = citydistance[i][j];
    }
  if (net.distances == DISTANCES_UNIT && longest > 0.0)
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) distance[i][j] = citydistance[i][j] / longest;
  if (net.distances == DISTANCES_SCALED) {
    const double sum = 10.0 * n * (n - 1) / 72.0;
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) distance[i][j] = distance[i][j] * sum / total;
  }
}

/* N x N draws in row-major order start the state: uniform, or centred on u00 with a spread of
 * a tenth of U0; the Euler rule keeps each unit's input u. The transiently chaotic rule's
 * uniform start draws the inputs y = 2.0 * r - 1.0 instead, and takes the outputs from them.
 * Under a normalised rule the uniform start is (1.0 + 0.1 * (2.0 * r - 1.0)) / N, made from the
 * draws r once they are all in. */
void draw_start(const Network &net, double state[][MAXCITY], double unitin[][MAXCITY]) {
  const int n = net.n;
  const bool centred = net.start == START_CENTRED;
  const bool inputs = centred || net.rule == RULE_TCNN; /* the inputs drawn, the outputs theirs */
  const double u00 = centred ? -0.5 * net.u0 * log(n - 1.0) : 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      const double r = rand() / RAND_DIVISOR;
      if (inputs) {
        unitin[i][j] = centred ? u00 + 0.1 * net.u0 * (2 * r - 1) : 2.0 * r - 1.0;
        state[i][j] = (activate(unitin[i][j] / net.u0) + 1.0) * 0.5;
        continue;
      }
      state[i][j] = r;
      if (net.rule == RULE_EULER) {
        const double v = r == 0.0 ? 0x1p-53 : r == 1.0 ? 1 - 0x1p-53 : r;
        unitin[i][j] = net.u0 * atanh(2 * v - 1);
      }
    }
  if (is_normalised(net.rule) && net.start == START_UNIFORM) /* each row near 1 / N */
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) state[i][j] = (1.0 + 0.1 * (2.0 * state[i][j] - 1.0)) / n;
}

/* net as a sweep of one network reads it. */
static NetworkLanes<double> one_lane(const Network &net) {
  NetworkLanes<double> w;
  w.a = net.a, w.b = net.b, w.d = net.d, w.c = net.c;
  w.any_c = net.c != 0.0;
  w.target = net.target;
  w.bias_ab = net.bias_ab, w.bias = net.bias;
  w.u0 = net.u0, w.dt = net.dt, w.tau = net.tau;
  w.t = 1.0, w.gamma = net.gamma, w.sinkhorn = net.sinkhorn;
  w.k = net.k, w.alpha = net.alpha, w.z = net.z0, w.i0 = net.i0, w.noise = net.noise;
  return w;
}

/* One sweep of the program's network but nuv's nine-city in-place one: see sweep_units, in the
 * widest instruction set's build, its sums (in place: the neighbours' sums) in work_space. It
 * takes the Euler step step_dt, the transiently chaotic rule's step_z and step_noise, a
 * normalised rule's temperature step_t, then decays them for the next sweep (z before the noise)
 * and cools the temperature. Apart from update_state, so that nuv's sweep reads none of them. */
__attribute__((noinline)) static void update_general(void) {
  double(*sums)[MAXCITY] = work_space;
  NetworkLanes<double> w = one_lane(network); /* apart from the state it writes */
  w.a = Acoef, w.b = Bcoef, w.d = Dcoef;      /* the same values, by the program's names */
  w.dt = step_dt, w.z = step_z, w.noise = step_noise, w.t = step_t;
#ifdef NUV_PAGE_MODULE /* the page's module: one build, no processor to ask */
  network_sweep(w, sums);
#else /* the widest build the processor has: the same bits from each */
  const InstructionSet set = widest_instruction_set();
  if (set == SET_V4)
    network_sweep_v4(w, sums);
  else if (set == SET_V3)
    network_sweep_v3(w, sums);
  else
    network_sweep_baseline(w, sums);
#endif
  if (network.rule == RULE_EULER) step_dt = step_dt * (1.0 - network.dt_decay);
  if (network.rule == RULE_TCNN) {
    step_z = step_z * (1.0 - network.beta);
    step_noise = step_noise * (1.0 - network.noise_decay);
  }
  if (is_normalised(network.rule)) step_t = step_t * network.cooling;
}

/* One sweep of the program's network: see sweep_units. Nine cities in place (nuv's network and
 * its near relatives) here, unit by unit; any other member in update_general. */
void update_state(void) {
  if (network.rule != RULE_INPLACE || network.n != NCITY) return update_general();
  NetworkLanes<double> w = one_lane(network); /* apart from the state it writes */
  w.a = Acoef, w.b = Bcoef, w.d = Dcoef;      /* the same values, by the program's names */
  sweep_units(unitout, (double(*)[MAXCITY]) nullptr, (double(*)[MAXCITY]) nullptr, network.n,
              RULE_INPLACE, w, distance, activate);
}

/* A sweep stepped unit by unit, started at unit (0, 0) of the current state: its total is the
 * state's (0 without a global term), as update_state's sweep starts it. */
Stepping start_stepping(const Network &net) {
  const Stepping s = {net.c != 0.0 ? state_total(unitout, net.n) : 0.0};
  return s;
}

/* One unit of the in-place sweep update_state makes, alone, so that a sweep can be watched unit
 * by unit: the total the global term reads is the caller's, carried from unit to unit as in the
 * sweep; stepping every unit in row-major order from start_stepping is exactly one update_state.
 */
void update_unit(const Network &net, Stepping *stepping, int i, int j) {
  update_unit<false>(unitout, net.n, i, j, one_lane(net), distance, stepping->total, activate);
}

double unit_input_terms(const Network &net, int i, int j, InputTerms *terms) {
  const NetworkLanes<double> w = one_lane(net);
  const double total = w.any_c ? state_total(unitout, net.n) : 0.0;
  return unit_input<false>(unitout, net.n, i, j, w, distance, total, (const double *)nullptr,
                           (const double *)nullptr, terms);
}

/* A state's energy terms are half of each coefficient times a sum of products: these sums, each
 * unordered pair in a row or column counted twice, the column sum position-major. energy_terms
 * weighs them and, with C not 0, adds (C / 2)(sum of outputs - n)^2 last. nuv's nine cities:
 * the loops as written, unrolled for them alone. */
static void energy_sums(const double state[][MAXCITY], double *row, double *column, double *tour) {
  const int n = NCITY;
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
      int p = j == 0 ? n - 1 : j - 1, nx = j == n - 1 ? 0 : j + 1;
      for (int k = 0; k < n; k++) ed += distance[i][k] * state[i][j] * (state[k][nx] + state[k][p]);
    }
  *row = ea, *column = eb, *tour = ed;
}

/* energy_sums's three sums for any n, each the same additions in the same order, made side by
 * side: each is a chain of n^3 dependent additions, and three chains in flight take the time of
 * one. The column sum's loops (j, i, k) are the row sum's (i, j, k) with the first two roles
 * swapped, so all three walk (a, b, c) together, the columns read from the state's transpose t
 * (in work_space) along its rows. */
static void energy_chains(const double state[][MAXCITY], int n, double *row, double *column,
                          double *tour) {
  double(*const t)[MAXCITY] = work_space;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) t[j][i] = state[i][j];
  double ea = 0.0, eb = 0.0, ed = 0.0;
  for (int a = 0; a < n; a++)
    for (int b = 0; b < n; b++) {
      const double *v = state[a], *w = t[a], *d = distance[a];
      const double *after = t[b == n - 1 ? 0 : b + 1], *before = t[b == 0 ? n - 1 : b - 1];
      const double vab = v[b], wab = w[b];
      for (int c = 0; c < n; c++) {
        if (c != b) {
          ea += vab * v[c]; /* state[i][j] state[i][k]: i = a, j = b, k = c */
          eb += wab * w[c]; /* state[i][j] state[k][j]: j = a, i = b, k = c */
        }
        ed += d[c] * vab * (after[c] + before[c]); /* i = a, j = b, k = c */
      }
    }
  *row = ea, *column = eb, *tour = ed;
}

/* The units not 0, listed as energy_sparse sums over them: row i's columns, ascending, are
 * row_on[row_start[i] ... row_start[i + 1] - 1], and column j's rows column_on[column_start[j]
 * ...]. At most one unit in eight is listed; only the lists' first entries are ever written. */
static const int ON_MOST = MAXCITY * MAXCITY / 8;
static int row_on[ON_MOST], row_start[MAXCITY + 1];
static int column_on[ON_MOST], column_start[MAXCITY + 1];

/* Whether energy_sparse gives energy_chains's bits for this state, and pays: every output and
 * distance finite and at most 1e100 in size, so that every product is finite and a term with a
 * factor 0 is +0 or -0; and at most one unit in eight not 0 (a tour's state has one a row). The
 * lists of units not 0 are written on the way: the rows' in one pass, then the columns' from
 * them (each column's count, its start, then its rows in ascending order). */
static bool sparse_pays(const double state[][MAXCITY], int n) {
  const double most = 1e100;
  int on = 0;
  for (int i = 0; i < n; i++) {
    row_start[i] = on;
    for (int j = 0; j < n; j++) {
      const double v = state[i][j];
      if (!(fabs(v) <= most) || !(fabs(distance[i][j]) <= most)) return false; /* NaN too */
      if (v == 0.0) continue;
      if (on == n * n / 8) return false;
      row_on[on++] = j;
    }
  }
  row_start[n] = on;
  for (int j = 0; j <= n; j++) column_start[j] = 0;
  for (int a = 0; a < on; a++) column_start[row_on[a] + 1]++;
  for (int j = 0; j < n; j++) column_start[j + 1] += column_start[j];
  static int filled[MAXCITY];
  for (int j = 0; j < n; j++) filled[j] = column_start[j];
  for (int i = 0; i < n; i++)
    for (int a = row_start[i]; a < row_start[i + 1]; a++) column_on[filled[row_on[a]]++] = i;
  return true;
}

/* energy_chains's three sums over the units not 0 only, each in the order written. A term left out
 * has a factor 0 and is +0 or -0 (its other factors finite); a sum begun at +0 never becomes -0
 * (x + y is -0 only when both are), and adding +0 or -0 to a sum that is not -0 changes no bit:
 * the same bits. The tour sum's k runs over the cities at position j + 1 or j - 1. */
static void energy_sparse(const double state[][MAXCITY], int n, double *row, double *column,
                          double *tour) {
  double ea = 0.0, eb = 0.0, ed = 0.0;
  for (int i = 0; i < n; i++)
    for (int a = row_start[i]; a < row_start[i + 1]; a++)
      for (int b = row_start[i]; b < row_start[i + 1]; b++) {
        const int j = row_on[a], k = row_on[b];
        if (k != j) ea += state[i][j] * state[i][k];
      }
  for (int j = 0; j < n; j++)
    for (int a = column_start[j]; a < column_start[j + 1]; a++)
      for (int b = column_start[j]; b < column_start[j + 1]; b++) {
        const int i = column_on[a], k = column_on[b];
        if (k != i) eb += state[i][j] * state[k][j];
      }
  for (int i = 0; i < n; i++)
    for (int a = row_start[i]; a < row_start[i + 1]; a++) {
      const int j = row_on[a];
      const int p = j == 0 ? n - 1 : j - 1, nx = j == n - 1 ? 0 : j + 1;
      /* the two ascending lists of cities at positions nx and p merged, a city in both once */
      int x = column_start[nx], y = column_start[p];
      const int x_end = column_start[nx + 1], y_end = column_start[p + 1];
      while (x < x_end || y < y_end) {
        int k;
        if (y == y_end || (x < x_end && column_on[x] < column_on[y]))
          k = column_on[x++];
        else if (x == x_end || column_on[y] < column_on[x])
          k = column_on[y++];
        else
          k = column_on[x++], y++;
        ed += distance[i][k] * state[i][j] * (state[k][nx] + state[k][p]);
      }
    }
  *row = ea, *column = eb, *tour = ed;
}

double energy_terms(const Network &net, const double state[][MAXCITY], EnergyTerms *terms) {
  const int n = net.n;
  double ea, eb, ed;
  if (n == NCITY)
    energy_sums(state, &ea, &eb, &ed);
  else if (sparse_pays(state, n))
    energy_sparse(state, n, &ea, &eb, &ed);
  else
    energy_chains(state, n, &ea, &eb, &ed);
  terms->row = (net.a * 0.5) * ea;
  terms->column = (net.b * 0.5) * eb;
  terms->tour = (net.d * 0.5) * ed;
  terms->global = 0.0;
  if (net.c == 0.0) return terms->row + terms->column + terms->tour;
  double total = 0.0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) total += state[i][j];
  terms->global = (net.c * 0.5) * ((total - net.target) * (total - net.target));
  return terms->row + terms->column + terms->tour + terms->global;
}

double energy(void) {
  Network net = network;
  net.a = Acoef, net.b = Bcoef, net.d = Dcoef; /* the same values, by the program's names */
  EnergyTerms terms;
  return energy_terms(net, unitout, &terms);
}
