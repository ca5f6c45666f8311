/* The arithmetic of one sweep, written once for every member of the family and any kind of
 * value: a double for the one network of the program's state, or a vector of doubles for as
 * many networks, one per lane, each lane doing exactly the double's operations in the same
 * order. Start at sweep_units; unit_input is the input of one unit. The state, the sums and the
 * inputs are rows of S values, S deduced from the arrays given: MAXCITY for the model's state,
 * BATCH_MAXCITY for a batch's lanes; the distances are always the model's, rows of MAXCITY. */
#ifndef NUV_SWEEP_H
#define NUV_SWEEP_H

#include "network.h"
#include "tour_sums.h"

#include <math.h>

/* A Network record as a sweep reads it, per lane: A, B, D and C are V, one network's (a double)
 * or one per lane (a vector), the other settings the lanes share. one_lane (network.cpp) and
 * the batch (batch_sweeps.h) fill it from records. */
template <typename V>
struct NetworkLanes {
  V a, b, d, c;
  bool any_c;    /* some lane's C is not 0: only then is there a global term */
  double target; /* the global term's n */
  bool bias_ab;  /* the bias is a then b, added as nuv adds them; else bias */
  double bias, u0, dt, tau;
  V t;          /* the normalised rules' temperature, per lane */
  double gamma; /* softassign's self-term */
  int sinkhorn; /* softassign's alternating normalisations per step */
  /* The transiently chaotic rule's settings, with the self-feedback z and the noise's amplitude
   * (noise) the step takes: the run's, decayed after each step by the caller. */
  double k, alpha, z, i0, noise;
};

/* The draws of a sweep without noise: none is ever asked for. */
struct NoDraws {
  template <typename V>
  __attribute__((always_inline)) V next() const {
    return V();
  }
};

/* Whether a sweep is of nuv's own network: nine cities, no global term, the bias A + B and the
 * width 0.5, in place. Its sweep is compiled with these as constants, so that nuv runs as fast
 * as a program written for it alone; the arithmetic is the same. */
static inline bool nuv_shape(int n, Rule rule, bool any_c, bool bias_ab, double u0) {
  return n == NCITY && rule == RULE_INPLACE && !any_c && bias_ab && u0 == 0.5;
}

/* The input of unit (i, j) from the state it reads: the row, column and tour-length terms, the
 * global term where C is not 0 (total the sum of all outputs), then the bias. Each sum starts
 * at zero and adds in index order; the row and column terms leave the unit out by subtraction.
 * NUVS: nuv_shape holds, and n is NCITY. rows and columns, when given, hold each row's and
 * column's sum: the very sums the loops here would make from a state that holds still while
 * the inputs are taken. terms, when given (one network: V a double), receives the addends. */
template <bool NUVS, typename V, int S>
__attribute__((always_inline)) static inline V
unit_input(V state[][S], int n, int i, int j, const NetworkLanes<V> &w,
           const double dist[][MAXCITY], const V &total, const V *rows, const V *columns,
           InputTerms *terms = nullptr, const V *tours = nullptr) {
  if (NUVS) n = NCITY;
  V rowsum = V(), colsum = V(), toursum = V();
  if (rows)
    rowsum = rows[i];
  else
    for (int k = 0; k < n; k++) rowsum += state[i][k];
  V row = -w.a * (rowsum - state[i][j]);
  if (columns)
    colsum = columns[j];
  else
    for (int k = 0; k < n; k++) colsum += state[k][j];
  V column = -w.b * (colsum - state[i][j]);
  const int p = j == 0 ? n - 1 : j - 1, nx = j == n - 1 ? 0 : j + 1;
  if (tours)
    toursum = *tours;
  else
    for (int k = 0; k < n; k++) toursum += (state[k][nx] + state[k][p]) * dist[i][k];
  V tour = -w.d * toursum;
  V sum = row + column + tour;
  constexpr bool one = sizeof(V) == sizeof(double); /* V a double: only its addends are told */
  if constexpr (one)
    if (terms) *terms = {row, column, tour, 0.0, 0.0, 0.0};
  if (!NUVS && w.any_c) { /* per lane: a lane whose C is 0 adds nothing */
    const V global = -w.c * (total - w.target);
    sum = w.c != 0 ? sum + global : sum;
    if constexpr (one)
      if (terms) terms->global = w.c != 0 ? global : 0.0;
  }
  if (NUVS || w.bias_ab) {
    sum = sum + w.a;
    sum = sum + w.b;
    if constexpr (one)
      if (terms) terms->bias = w.a, terms->bias2 = w.b;
  } else {
    sum = sum + w.bias;
    if constexpr (one)
      if (terms) terms->bias = 0.0 + w.bias; /* a bias of -0 told as 0 */
  }
  return sum;
}

/* The sum of all outputs, row-major: the total the global term starts a sweep from. */
template <typename V, int S>
__attribute__((always_inline)) static inline V state_total(V state[][S], int n) {
  V total = V();
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) total += state[i][j];
  return total;
}

/* One unit of an in-place sweep: its input from the state as it is now, its output written at
 * once, and the running total (used where there is a global term) following it. */
template <bool NUVS, typename V, int S, typename Activate>
__attribute__((always_inline)) static inline void
update_unit(V state[][S], int n, int i, int j, const NetworkLanes<V> &w,
            const double dist[][MAXCITY], V &total, Activate activate) {
  const double u0 = NUVS ? 0.5 : w.u0;
  const V sum = unit_input<NUVS>(state, n, i, j, w, dist, total, (const V *)nullptr,
                                 (const V *)nullptr),
          old = state[i][j];
  state[i][j] = (activate(sum / u0) + 1.0) * 0.5;
  if (!NUVS && w.any_c) total = (total - old) + state[i][j];
}

/* Whether x is 0 (either sign) in every lane. */
template <typename V>
__attribute__((always_inline)) static inline bool zero_in_every_lane(const V &x) {
  if constexpr (sizeof(V) == sizeof(double))
    return x == 0.0;
  else {
    for (int l = 0; l < int(sizeof(V) / sizeof(double)); l++)
      if (x[l] != 0.0) return false;
    return true;
  }
}

/* Each column's sum in index order k, side by side, for a sweep that has updated rows 0 ... i - 1:
 * above holds their sums (the same first additions), which run on over rows i ... n - 1. */
template <typename V, int S>
__attribute__((always_inline)) static inline void column_sums(V *columns, const V *above,
                                                              V state[][S], int n, int i) {
  for (int j = 0; j < n; j++) columns[j] = above[j];
  for (int k = i; k < n; k++)
    for (int j = 0; j < n; j++) columns[j] += state[k][j];
}

/* The in-place sweep of any network but nuv's, unit by unit as update_unit makes it, each sum
 * in index order, with what does not change within a row taken once for the row: the column
 * sums (a row's own units lie in other columns until each is updated) and the tour sums from
 * near (formed once a sweep, kept current row by row, as potts keeps it); city i's own term
 * (k = i) of a tour sum is the only one its row's updates change, and adds nothing while its
 * distance is 0 and the neighbours are finite: where it would add something, before or after,
 * the unit's tour sum is taken whole. The row sum runs on from the sum of the units already
 * updated (the same first additions), then over the old ones: a chain of dependent additions,
 * n - j of them for unit j, which bounds the sweep. A column's sum likewise runs on from the sum
 * of the rows already updated (kept in above), then over the rest. near holds n rows. */
template <typename V, int S, typename Activate>
__attribute__((always_inline)) static inline void
inplace_sweep(V state[][S], V near[][S], int n, const NetworkLanes<V> &w,
              const double dist[][MAXCITY], V total, Activate activate) {
  static V rows[S], columns[S], tours[S], above[S];
  for (int k = 0; k < n; k++) near_row(near, state, n, k);
  for (int j = 0; j < n; j++) above[j] = V();
  for (int i = 0; i < n; i++) {
    column_sums(columns, above, state, n, i);
    tour_row(tours, near, n, dist[i]);
    V updated = V(); /* the row's units before j, updated, summed in order */
    for (int j = 0; j < n; j++) {
      rows[i] = updated;
      for (int k = j; k < n; k++) rows[i] += state[i][k];
      const int p = j == 0 ? n - 1 : j - 1, nx = j == n - 1 ? 0 : j + 1;
      const V before = near[i][j] * dist[i][i], now = (state[i][nx] + state[i][p]) * dist[i][i];
      const bool whole = !zero_in_every_lane(before) || !zero_in_every_lane(now);
      const V old = state[i][j];
      const V sum =
          unit_input<false>(state, n, i, j, w, dist, total, rows, columns, (InputTerms *)nullptr,
                            whole ? (const V *)nullptr : &tours[j]);
      state[i][j] = (activate(sum / w.u0) + 1.0) * 0.5;
      if (w.any_c) total = (total - old) + state[i][j];
      updated += state[i][j];
    }
    for (int j = 0; j < n; j++) above[j] += state[i][j];
    near_row(near, state, n, i);
  }
}

/* The C library's exp and log of each lane: V a double, or a vector whose lanes are called one
 * by one. */
template <typename V>
__attribute__((always_inline)) static inline V each_exp(V x) {
  if constexpr (sizeof(V) == sizeof(double))
    return exp(x);
  else {
    for (int l = 0; l < int(sizeof(V) / sizeof(double)); l++) x[l] = exp(x[l]);
    return x;
  }
}
template <typename V>
__attribute__((always_inline)) static inline V each_log(V x) {
  if constexpr (sizeof(V) == sizeof(double))
    return log(x);
  else {
    for (int l = 0; l < int(sizeof(V) / sizeof(double)); l++) x[l] = log(x[l]);
    return x;
  }
}

/* The largest of a row's n values (lane by lane), from the first on: m = x > m ? x : m, so a
 * NaN after the first is passed over. */
template <typename V>
__attribute__((always_inline)) static inline V largest_of(const V *x, int n) {
  V m = x[0];
  for (int k = 1; k < n; k++) m = x[k] > m ? x[k] : m;
  return m;
}

/* Potts's sweep (normalised mean-field annealing), city by city: city i's n inputs u_j from the
 * state as it is (the cities before it updated; the global term's total that state's row-major
 * sum), then v_ij = e_j / s with e_j = exp((u_j - m) / T), m the largest u_j and s the sum of the
 * e_j. Each row then sums to one, whatever the inputs. The neighbours' sums of the tour term are
 * formed once a sweep in near and kept current (row i again after city i), so that each city's
 * tour sums are one vector-matrix product; its row sum is taken once and its column sums side by
 * side (column_sums), each in index order as unit_input would take it. */
template <typename V, int S>
__attribute__((always_inline)) static inline void potts_sweep(V state[][S], V near[][S], int n,
                                                              const NetworkLanes<V> &w,
                                                              const double dist[][MAXCITY]) {
  static V u[S], rows[S], columns[S], tours[S], above[S];
  for (int k = 0; k < n; k++) near_row(near, state, n, k);
  for (int j = 0; j < n; j++) above[j] = V();
  for (int i = 0; i < n; i++) {
    const V total = w.any_c ? state_total(state, n) : V();
    rows[i] = V();
    for (int k = 0; k < n; k++) rows[i] += state[i][k];
    column_sums(columns, above, state, n, i);
    tour_row(tours, near, n, dist[i]);
    for (int j = 0; j < n; j++)
      u[j] = unit_input<false>(state, n, i, j, w, dist, total, rows, columns, (InputTerms *)nullptr,
                               &tours[j]);
    const V m = largest_of(u, n);
    V s = V();
    for (int j = 0; j < n; j++) {
      u[j] = each_exp((u[j] - m) / w.t);
      s += u[j];
    }
    for (int j = 0; j < n; j++) state[i][j] = u[j] / s;
    for (int j = 0; j < n; j++) above[j] += state[i][j];
    near_row(near, state, n, i);
  }
}

/* Softassign's step (doubly normalised annealing), from the inputs u taken as sync takes them
 * into l: l = (u + gamma v) / T, then sinkhorn times each row and then each column normalised in
 * logarithms, l = l - (m + log(s)) with m the line's largest l and s the sum of exp(l - m) over
 * it; finally v = exp(l). Its columns sum to one after the last normalisation, its rows nearly. */
template <typename V, int S>
__attribute__((always_inline)) static inline void softassign_step(V state[][S], V l[][S], int n,
                                                                  const NetworkLanes<V> &w) {
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      const V u = l[i][j] + w.gamma * state[i][j];
      l[i][j] = u / w.t;
    }
  for (int round = 0; round < w.sinkhorn; round++) {
    for (int i = 0; i < n; i++) {
      const V m = largest_of(l[i], n);
      V s = V();
      for (int j = 0; j < n; j++) s += each_exp(l[i][j] - m);
      const V shift = m + each_log(s);
      for (int j = 0; j < n; j++) l[i][j] = l[i][j] - shift;
    }
    for (int j = 0; j < n; j++) {
      V m = l[0][j]; /* as largest_of, down the column */
      for (int i = 1; i < n; i++) m = l[i][j] > m ? l[i][j] : m;
      V s = V();
      for (int i = 0; i < n; i++) s += each_exp(l[i][j] - m);
      const V shift = m + each_log(s);
      for (int i = 0; i < n; i++) l[i][j] = l[i][j] - shift;
    }
  }
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) state[i][j] = each_exp(l[i][j]);
}

/* x[j] = activate(x[j]) for j < n: by the activation's row (a vector tanh over many at once)
 * where it has one, else one by one. */
template <typename Activate, typename V>
__attribute__((always_inline)) static inline auto activate_row(Activate &activate, V *x, int n, int)
    -> decltype(activate.row(x, n)) {
  return activate.row(x, n);
}
template <typename Activate, typename V>
__attribute__((always_inline)) static inline void activate_row(Activate &activate, V *x, int n,
                                                               long) {
  for (int j = 0; j < n; j++) x[j] = activate(x[j]);
}

/* One sweep over the n x n units by the rule. In place: row-major order, each unit written at
 * once, later units reading the new values (with a global term, the total follows each unit).
 * Sync and Euler: every unit's sum of inputs from the state at the start of the sweep, into
 * sums, then every output written: sync's input is the sum, Euler moves each unit's input u
 * (unitin) by one step towards it first; the transiently chaotic rule moves its input y (unitin)
 * by y = (k y + alpha input) - z (v - i0), v the unit's output at the sweep's start, and with
 * noise adds noise * (2 r - 1), r the unit's draw from draws (draws.template next<V>(): per
 * lane, from the lane's generator), drawn in row-major order and only with noise. Potts and
 * softassign: potts_sweep and softassign_step. activate(x) is tanh(x), taken per lane. Always
 * inlined, so that each caller compiles it for its own instruction set.
 */
template <bool NUVS, typename V, int S, typename Activate, typename Draws>
__attribute__((always_inline)) static inline void
sweep_shape(V state[][S], V sums[][S], V unitin[][S], int n, Rule rule, const NetworkLanes<V> &w,
            const double dist[][MAXCITY], Activate activate, Draws &draws) {
  if (NUVS) n = NCITY, rule = RULE_INPLACE;
  const double u0 = NUVS ? 0.5 : w.u0;
  if (!NUVS && rule == RULE_POTTS) return potts_sweep(state, sums, n, w, dist);
  V total = w.any_c ? state_total(state, n) : V();
  if (rule == RULE_INPLACE) {
    if (!NUVS && sums) return inplace_sweep(state, sums, n, w, dist, total, activate);
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) update_unit<NUVS>(state, n, i, j, w, dist, total, activate);
    return;
  }
  // The state holds still while the inputs are taken: each row's and column's sum once.
  V rows[S], columns[S];
  for (int i = 0; i < n; i++) {
    rows[i] = V();
    for (int k = 0; k < n; k++) rows[i] += state[i][k];
  }
  for (int j = 0; j < n; j++) columns[j] = V();
  for (int k = 0; k < n; k++) /* each column's sum in index order k, side by side */
    for (int j = 0; j < n; j++) columns[j] += state[k][j];
  // Every unit's tour-length sum, each in index order k, as one blocked product.
  tour_sums(sums, state, n, dist);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++)
      sums[i][j] = unit_input<NUVS>(state, n, i, j, w, dist, total, rows, columns,
                                    (InputTerms *)nullptr, &sums[i][j]);
  if (!NUVS && rule == RULE_SOFTASSIGN) return softassign_step(state, sums, n, w);
  for (int i = 0; i < n; i++) { /* a row's arguments x / u0 in sums, then their tanh at once */
    for (int j = 0; j < n; j++) {
      V x = sums[i][j];
      if (rule == RULE_EULER)
        x = unitin[i][j] = unitin[i][j] + w.dt * (sums[i][j] - unitin[i][j] / w.tau);
      if (rule == RULE_TCNN) {
        x = (w.k * unitin[i][j] + w.alpha * sums[i][j]) - w.z * (state[i][j] - w.i0);
        if (w.noise != 0.0) x = x + w.noise * (2.0 * draws.template next<V>() - 1.0);
        unitin[i][j] = x;
      }
      sums[i][j] = x / u0;
    }
    activate_row(activate, sums[i], n, 0);
    for (int j = 0; j < n; j++) state[i][j] = (sums[i][j] + 1.0) * 0.5;
  }
}

/* One sweep: nuv's network by its constant shape, any other member by the general one. draws
 * gives the noise's draws (none without noise). */
template <typename V, int S, typename Activate, typename Draws = const NoDraws>
__attribute__((always_inline)) static inline void
sweep_units(V state[][S], V sums[][S], V unitin[][S], int n, Rule rule, const NetworkLanes<V> &w,
            const double dist[][MAXCITY], Activate activate, Draws &&draws = NoDraws()) {
  if (nuv_shape(n, rule, w.any_c, w.bias_ab, w.u0))
    sweep_shape<true>(state, sums, unitin, n, rule, w, dist, activate, draws);
  else
    sweep_shape<false>(state, sums, unitin, n, rule, w, dist, activate, draws);
}

#endif
