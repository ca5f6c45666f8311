// The tour-length sums of the all-at-once sweeps (src/tour_sums.h) against the plain triple loop,
// bit for bit, in each instruction set's build of the kernel: odd sizes, sizes that are not
// multiples of a tile or of a block of rows k, another row stride, one network and a batch's
// lanes, with NaN, infinities, -0, subnormals and overflowing products in the state. Then whole
// sweeps of every rule, one network and a batch, end in the same bits whichever build runs them.
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <string>

#include "activation.h"
#include "batch.h"
#include "cities.h"
#include "instruction_set.h"
#include "network.h"
#include "tour_sums_build.h"
#include "vector_tanh.h"

namespace {

// The plain loop, one sum at a time: start at +0, then add (state[k][next j] + state[k][prev j])
// * dist[i][k] for k = 0, 1, ..., n - 1.
template <typename V, int S>
void plain_sums(V sums[][S], V state[][S], int n, const double dist[][MAXCITY]) {
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      const int after = (j + 1) % n, before = (j + n - 1) % n;
      V sum = V();
      for (int k = 0; k < n; k++) sum = sum + (state[k][after] + state[k][before]) * dist[i][k];
      sums[i][j] = sum;
    }
}

// A state's value: mostly a draw in [-1, 1]; with special, one of NaN, an infinity, -0, a
// subnormal or a value whose products overflow. The NaN is the processor's own, the one every
// invalid operation of the model makes (inf - inf): where two NaNs meet, the sum is the first
// operand's, and which is first is the compiler's choice in the plain loop as in any other, so
// NaNs of two signs would compare the compilers' choices, not the sums.
double drawn_value(std::mt19937_64 &g, bool special) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  if (!special || g() % 8 != 0) return u(g);
  volatile double infinite = INFINITY;
  const double odd[] = {infinite - infinite, INFINITY,   -INFINITY, -0.0,
                        0x1p-1070,           -0x1p-1060, 1e308,     -1.7e308};
  return odd[g() % (sizeof odd / sizeof odd[0])];
}

// A state of rows of S values V (double or lanes) and distances in [0, 2], 0 on the diagonal, not
// symmetric, all S x S of them; the sums a marker, which the kernel must leave beyond n x n.
template <typename V, int S>
void fill(V state[][S], V sums[][S], double dist[][MAXCITY], unsigned seed, bool special) {
  std::mt19937_64 g(seed);
  std::uniform_real_distribution<double> u(0.0, 2.0);
  constexpr int L = sizeof(V) / sizeof(double);
  for (int i = 0; i < S; i++)
    for (int j = 0; j < S; j++) {
      double *s = (double *)&state[i][j], *m = (double *)&sums[i][j];
      for (int l = 0; l < L; l++) s[l] = drawn_value(g, special), m[l] = -12345.0;
      dist[i][j] = i == j ? 0.0 : u(g);
    }
}

// The first differing value of two arrays of rows of S over their first `width` rows and columns
// (n x n of them sums), as "row i, column j", or "".
template <typename V, int S>
std::string first_difference(V a[][S], V b[][S], int n, int width) {
  for (int i = 0; i < width; i++)
    for (int j = 0; j < width; j++)
      if (memcmp(&a[i][j], &b[i][j], sizeof(V)) != 0) {
        const double *x = (const double *)&a[i][j], *y = (const double *)&b[i][j];
        int l = 0;
        while (memcmp(&x[l], &y[l], sizeof(double)) == 0) l++;
        char values[80];
        snprintf(values, sizeof values, ", lane %d: %a against %a", l, x[l], y[l]);
        return "row " + std::to_string(i) + ", column " + std::to_string(j) + values +
               (i < n && j < n ? "" : " (outside the n x n sums)");
      }
  return "";
}

struct Build {
  const char *name;
  const TourSumsBuild *kernels;
  InstructionSet needs;
};
const Build BUILDS[] = {{"x86-64-v4", &tour_sums_v4, SET_V4},
                        {"x86-64-v3", &tour_sums_v3, SET_V3},
                        {"baseline", &tour_sums_baseline, SET_BASELINE}};

// Each build the processor runs, and a note of those it cannot.
template <typename Each>
void each_build(Each each) {
  for (const Build &b : BUILDS) {
    if (b.needs > widest_instruction_set()) {
      printf("the %s build is not run: this processor lacks its instructions\n", b.name);
      continue;
    }
    each(b);
  }
}

const int SIZES[] = {4, 5, 7, 8, 9, 16, 17, 23, 25, 31, 33, 51, 63, 97, 99, 100};

TEST(TourSums, OneNetworksAreThePlainLoopsBitForBit) {
  static double state[MAXCITY][MAXCITY], want[MAXCITY][MAXCITY], got[MAXCITY][MAXCITY],
      dist[MAXCITY][MAXCITY];
  each_build([&](const Build &b) {
    for (int n : SIZES)
      for (bool special : {false, true})
        for (int by7 = 0; by7 < 2; by7++) {
          fill(state, want, dist, unsigned(n * 4 + special * 2 + by7), special);
          memcpy(got, want, sizeof got);
          plain_sums(want, state, n, dist);
          (by7 ? b.kernels->one_by7 : b.kernels->one)(got, state, n, dist);
          EXPECT_EQ(first_difference(want, got, n, MAXCITY), "")
              << b.name << ", n = " << n << (special ? ", special values" : "")
              << (by7 ? ", rows k 7 at a time" : "");
        }
  });
}

TEST(TourSums, AnotherRowStrideChangesNothing) {
  static double state[ODD_STRIDE][ODD_STRIDE], want[ODD_STRIDE][ODD_STRIDE],
      got[ODD_STRIDE][ODD_STRIDE], dist[MAXCITY][MAXCITY];
  each_build([&](const Build &b) {
    for (int n : {4, 5, 7, 30, 36, 37}) {
      fill(state, want, dist, unsigned(n), true);
      memcpy(got, want, sizeof got);
      plain_sums(want, state, n, dist);
      b.kernels->one_odd(got, state, n, dist);
      EXPECT_EQ(first_difference(want, got, n, ODD_STRIDE), "") << b.name << ", n = " << n;
    }
  });
}

TEST(TourSums, ABatchsLanesAreThePlainLoopsBitForBit) {
  static lanes state[BATCH_MAXCITY][BATCH_MAXCITY], want[BATCH_MAXCITY][BATCH_MAXCITY],
      got[BATCH_MAXCITY][BATCH_MAXCITY];
  static double dist[MAXCITY][MAXCITY];
  each_build([&](const Build &b) {
    for (int n : SIZES)
      for (int by7 = 0; by7 < 2; by7++) {
        fill(state, want, dist, unsigned(n * 2 + by7), true);
        memcpy(got, want, sizeof got);
        plain_sums(want, state, n, dist);
        (by7 ? b.kernels->batch_by7 : b.kernels->batch)(got, state, n, dist);
        EXPECT_EQ(first_difference(want, got, n, BATCH_MAXCITY), "")
            << b.name << ", n = " << n << (by7 ? ", rows k 7 at a time" : "");
      }
  });
}

TEST(TourSums, RowByRowTheyAreThePlainLoopsBitForBit) {
  static double state[MAXCITY][MAXCITY], want[MAXCITY][MAXCITY], got[MAXCITY][MAXCITY],
      dist[MAXCITY][MAXCITY];
  static lanes many[BATCH_MAXCITY][BATCH_MAXCITY], many_want[BATCH_MAXCITY][BATCH_MAXCITY],
      many_got[BATCH_MAXCITY][BATCH_MAXCITY];
  each_build([&](const Build &b) {
    for (int n : SIZES) {
      fill(state, want, dist, unsigned(n * 3), true);
      memcpy(got, want, sizeof got);
      plain_sums(want, state, n, dist);
      b.kernels->one_by_rows(got, state, n, dist);
      EXPECT_EQ(first_difference(want, got, n, MAXCITY), "") << b.name << ", n = " << n;
      fill(many, many_want, dist, unsigned(n * 3 + 1), true);
      memcpy(many_got, many_want, sizeof many_got);
      plain_sums(many_want, many, n, dist);
      b.kernels->batch_by_rows(many_got, many, n, dist);
      EXPECT_EQ(first_difference(many_want, many_got, n, BATCH_MAXCITY), "")
          << b.name << ", lanes, n = " << n;
    }
  });
}

// A network of each all-at-once rule (and potts) on random cities, with a global term where the
// rule takes one.
struct Member {
  const char *cities;
  Rule rule;
  int sweeps;
  double c, noise;
};
const Member MEMBERS[] = {{"random:51:3", RULE_SYNC, 12, 0.5, 0},
                          {"random:100:1", RULE_EULER, 20, 0, 0},
                          {"random:37:2", RULE_TCNN, 30, 0, 0.05},
                          {"random:29:4", RULE_POTTS, 15, 0.5, 0},
                          {"random:51:5", RULE_SOFTASSIGN, 8, 0, 0}};

// The member set up, its coefficients 1, 1, 1.5 and C.
Network set_up_member(const Member &m) {
  reset_network();
  std::string name, error;
  EXPECT_TRUE(load_cities(m.cities, &name, &error)) << error;
  Network net = network;
  net.rule = m.rule, net.sweeps = m.sweeps, net.target = net.n;
  net.a = 1, net.b = 1, net.d = 1.5, net.c = m.c;
  net.noise = m.noise, net.noise_decay = 0.01, net.beta = 0.02, net.dt = 0.05;
  if (m.rule == RULE_TCNN) net.u0 = 0.1;
  set_up(net);
  return net;
}

// Each build, with the library's tanh and with the platform's choice (the vector tanh, a row at
// a time, where the processor has AVX-512 and the library is one it matches).
TEST(TourSums, EveryRulesSweepsAreTheSameBitsInEachBuild) {
  static double first[MAXCITY][MAXCITY];
  choose_activation();
  const Activation chosen = activation;
  for (const Member &m : MEMBERS) {
    const Network net = set_up_member(m);
    bool have_first = false;
    for (Activation a : {ACTIVATION_LIBRARY, chosen}) {
      activation = a;
      each_build([&](const Build &b) {
        cap_instruction_set(b.needs);
        start_run(net, 7);
        for (int s = 0; s < net.sweeps; s++) update_state();
        if (!have_first) memcpy(first, unitout, sizeof first), have_first = true;
        EXPECT_EQ(first_difference(first, unitout, net.n, net.n), "")
            << b.name << ", " << m.cities << ", rule " << m.rule << ", " << activation_text();
      });
    }
    cap_instruction_set(SET_V4);
  }
  activation = chosen;
  reset_network();
}

TEST(TourSums, EveryRulesLanesAreTheSameBitsInEachBuild) {
  choose_activation(); // the batch's activation as the survey takes it
  static Batch batch;
  static lanes first[BATCH_MAXCITY][BATCH_MAXCITY];
  for (const Member &m : MEMBERS) {
    const Network net = set_up_member(m);
    bool have_first = false;
    each_build([&](const Build &b) {
      cap_instruction_set(b.needs);
      for (int l = 0; l < NLANE; l++) batch_start(&batch, l, net, uint32_t(100 + l));
      batch_sweeps(&batch);
      if (!have_first) memcpy(first, batch.state, sizeof first), have_first = true;
      EXPECT_EQ(first_difference(first, batch.state, net.n, net.n), "")
          << b.name << ", " << m.cities << ", rule " << m.rule;
    });
    cap_instruction_set(SET_V4);
  }
  reset_network();
}

// The batch's in-place sweep (row by row, the tour and column sums once a row) against the one
// network's (unit by unit, every sum whole): the same states, lane by lane, with a global term,
// and with distances whose diagonal is not 0, where a city's own term counts.
TEST(TourSums, TheBatchsInPlaceSweepIsTheOneNetworksUnitByUnit) {
  choose_activation();
  static Batch batch;
  static double state[MAXCITY][MAXCITY], before[MAXCITY][MAXCITY], before2[MAXCITY][MAXCITY];
  for (int own = 0; own < 2; own++) {
    reset_network();
    std::string name, error;
    ASSERT_TRUE(load_cities("random:23:6", &name, &error)) << error;
    Network net = network;
    net.rule = RULE_INPLACE, net.sweeps = 6, net.target = net.n;
    net.a = 1, net.b = 1, net.d = 1.5, net.c = own ? 0 : 0.5;
    if (own) { // the distances as given, each city 0.3 from itself
      for (int i = 0; i < net.n; i++) citydistance[i][i] = 0.3;
      net.distances_given = true, net.distances = DISTANCES_RAW;
    }
    set_up(net);
    for (int l = 0; l < NLANE; l++) batch_start(&batch, l, net, uint32_t(40 + l));
    batch_sweeps(&batch);
    for (int l = 0; l < NLANE; l++) {
      batch_take(&batch, l, state, before, before2);
      start_run(net, uint32_t(40 + l));
      for (int s = 0; s < net.sweeps; s++) update_state();
      EXPECT_EQ(first_difference(state, unitout, net.n, net.n), "")
          << "lane " << l << (own ? ", a city 0.3 from itself" : ", a global term");
    }
  }
  reset_network();
}

} // namespace
