// The vector tanh against the C library's, bit for bit, on over 10^8 arguments: uniform over
// +-25, those of real runs, every binary exponent, random bit patterns, thousands of ulps around
// every branch of tanh and expm1, and the edges. The flavour chosen at start-up must match on
// all of them; the other flavour, where the library's build differs from it, must not.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "activation.h"
#include "network.h"
#include "run.h"
#include "schedule.h"
#include "sweep.h"
#include "vector_tanh.h"

namespace {

struct Count {
  uint64_t compared = 0, differ[2] = {0, 0}; // by the chosen flavour, by the other
};

// Compares a lane's worth of arguments with the library: the chosen flavour always, the other
// one time in eight (enough to see it is wrong, and fused operations without the hardware for
// them are slow).
void compare(const lanes &x, int n, Count *count) {
  static unsigned calls;
  const bool fused = activation == ACTIVATION_FUSED, other = calls++ % 8 == 0;
  lanes chosen, wrong;
  vector_tanh(fused, &x, &chosen);
  wrong = chosen;
  if (other) vector_tanh(!fused, &x, &wrong);
  for (int l = 0; l < n; l++) {
    const double want = std::tanh(x[l]), got = chosen[l], other_got = wrong[l];
    count->differ[0] += memcmp(&want, &got, 8) != 0;
    count->differ[1] += other && memcmp(&want, &other_got, 8) != 0;
    count->compared++;
  }
}

// Feeds arguments in lanes.
struct Feeder {
  Count *count;
  lanes x = {};
  int n = 0;
  void operator()(double v) {
    x[n++] = v;
    if (n == NLANE) compare(x, n, count), n = 0;
  }
  ~Feeder() {
    if (n) compare(x, n, count);
  }
};

TEST(Activation, TheChosenFlavourIsTheLibrarysTanhBitForBit) {
  choose_activation();
  RecordProperty("activation", activation_text());
  if (activation == ACTIVATION_LIBRARY)
    GTEST_SKIP() << "skipped: this library (build " << library_build_id()
                 << ") is not one the vector flavours cover: the library's tanh is used";
  Count count;
  {
    Feeder feed{&count};
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> uniform(-25, 25);
    for (int k = 0; k < 72000000; k++) feed(uniform(random));
    // Every binary exponent, subnormals included, both signs, 4,000 mantissas each.
    for (int e = 0; e < 2047; e++)
      for (int m = 0; m < 2000; m++)
        for (uint64_t sign : {0ull, 1ull << 63})
          feed(from_bits(sign | uint64_t(e) << 52 | (random() & 0xfffffffffffffull)));
    // Random bit patterns: NaNs and infinities among them.
    for (int k = 0; k < 8000000; k++) feed(from_bits(random()));
    // Within 3,000 ulps of every branch of tanh (2^-55, 1, 22) and of expm1 at the arguments
    // tanh gives it (0.5 ln 2, 1.5 ln 2, 56 ln 2, and k changing near (j + 1/2) ln 2).
    std::vector<double> edges = {0x1p-55,
                                 1.0,
                                 22.0,
                                 0.34657359027997264 / 2,
                                 1.0397207708399179 / 2,
                                 38.816242111356935 / 2,
                                 0x1p-1022};
    for (int j = 1; j < 64; j++) edges.push_back((j + 0.5) * 0.6931471805599453 / 2);
    for (double edge : edges)
      for (int d = -3000; d <= 3000; d++)
        for (double s : {1.0, -1.0}) feed(s * from_bits(bits_of(edge) + uint64_t(int64_t(d))));
    for (double v : {0.0, -0.0, double(INFINITY), -double(INFINITY), double(NAN), -double(NAN),
                     0x1p-1074, 0x1p-1022, 1e308})
      feed(v);
  }
  // The arguments of real runs: every unit's u / U0 over 3,000 of nuv's runs.
  {
    Feeder feed{&count};
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coef(-1, 5);
    static double sums[MAXCITY][MAXCITY];
    for (int run = 0; run < 3000; run++) {
      Network net = nuv_network();
      net.a = coef(random), net.b = coef(random), net.d = coef(random);
      start_run(net, unsigned(random()));
      NetworkLanes<double> w;
      w.a = net.a, w.b = net.b, w.d = net.d, w.c = 0, w.any_c = false, w.target = 9;
      w.bias_ab = true, w.bias = 0, w.u0 = 0.5, w.dt = 0.01, w.tau = 1;
      for (int s = 0; s < NSWEEP; s++)
        sweep_units(unitout, sums, unitin, NCITY, RULE_INPLACE, w, distance, [&](double x) {
          feed(x);
          return std::tanh(x);
        });
    }
  }
  RecordProperty("compared", testing::PrintToString(count.compared));
  RecordProperty("differences of the other flavour", testing::PrintToString(count.differ[1]));
  EXPECT_GT(count.compared, 100000000u);
  EXPECT_EQ(count.differ[0], 0u) << activation_text();
  // The wrong flavour is wrong: the check would see it.
  EXPECT_GT(count.differ[1], 0u);
}

} // namespace
