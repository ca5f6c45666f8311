// The page's exp, log and tanh (src/library_math.h) against the C library's, bit for bit, on
// over 10^7 arguments: the ranges the rules use (exp of -745 ... 0 and a little above, log of
// 0 ... 300, tanh of -40 ... 40), every binary exponent, random bit patterns, thousands of ulps
// around every branch, subnormals, zeros, infinities and NaNs. The library's build here (fused
// where the processor has FMA; the plain one under GLIBC_TUNABLES=glibc.cpu.hwcaps=-FMA, a
// second registration) must match on all of them, and the other build must differ somewhere.
// And the software fma against the processor's on random and hard triples.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "library_math.h"
#include "run.h"

namespace {

// The same double, or both NaN (whose payloads the library does not promise).
bool same(double a, double b) {
  return bits_of(a) == bits_of(b) || (a != a && b != b);
}

// A function of the library and its two accounts here.
struct Function {
  const char *name;
  double (*library)(double);
  double (*plain)(double), (*fused)(double);
};

// How many arguments were compared, where each build differed from the library, and the first
// argument where the build being checked did.
struct Count {
  uint64_t compared = 0, differ[2] = {0, 0};
  double first = 0;
};

// Compares f at x, both builds, and counts.
void compare(const Function &f, double x, MathBuild build, Count *count) {
  const double want = f.library(x);
  const bool plain_differs = !same(want, f.plain(x)), fused_differs = !same(want, f.fused(x));
  count->compared++;
  count->differ[MATH_PLAIN] += plain_differs, count->differ[MATH_FUSED] += fused_differs;
  const bool differs = build == MATH_FUSED ? fused_differs : plain_differs;
  if (differs && count->differ[build] == 1) count->first = x;
}

double lib_exp(double x) {
  return std::exp(x);
}
double lib_log(double x) {
  return std::log(x);
}
double lib_tanh(double x) {
  return std::tanh(x);
}
double lib_atanh(double x) {
  return std::atanh(x);
}
double lib_expm1(double x) {
  return std::expm1(x);
}
const Function EXP = {"exp", lib_exp, library_exp<MATH_PLAIN>, library_exp<MATH_FUSED>};
const Function LOG = {"log", lib_log, library_log<MATH_PLAIN>, library_log<MATH_FUSED>};
const Function TANH = {"tanh", lib_tanh, library_tanh<MATH_PLAIN>, library_tanh<MATH_FUSED>};
const Function EXPM1 = {"expm1", lib_expm1, library_expm1<MATH_PLAIN>, library_expm1<MATH_FUSED>};

// The library's build here: the one whose exp gives the library's bits where the two builds'
// exps differ (found by a walk over arguments), or the plain one where they never do.
MathBuild library_build() {
  for (double x = -700; x < 700; x += 0.0137)
    if (library_exp<MATH_PLAIN>(x) != library_exp<MATH_FUSED>(x))
      return std::exp(x) == library_exp<MATH_FUSED>(x) ? MATH_FUSED : MATH_PLAIN;
  return MATH_PLAIN;
}

// Checks the counts: the library's build matches everywhere, the other differs somewhere.
void expect_matches(const Function &f, MathBuild build, const Count &count, uint64_t at_least) {
  const MathBuild other = build == MATH_FUSED ? MATH_PLAIN : MATH_FUSED;
  testing::Test::RecordProperty(std::string(f.name) + " compared",
                                testing::PrintToString(count.compared));
  EXPECT_GE(count.compared, at_least) << f.name;
  EXPECT_EQ(count.differ[build], 0u)
      << f.name << " of the " << (build == MATH_FUSED ? "fused" : "plain")
      << " build differs from the library's, first at " << std::hexfloat << count.first;
  EXPECT_GT(count.differ[other], 0u) << f.name << ": the other build would not be told apart";
}

// Every binary exponent whose field lies in [from, to], both signs where `negative`, n random
// significands each.
void every_exponent(const Function &f, MathBuild build, Count *count, int from, int to,
                    bool negative, int n, std::mt19937_64 &random) {
  for (int e = from; e <= to; e++)
    for (int m = 0; m < n; m++) {
      const uint64_t x = uint64_t(e) << 52 | (random() & 0xfffffffffffffULL);
      compare(f, from_bits(x), build, count);
      if (negative) compare(f, from_bits(x | 1ULL << 63), build, count);
    }
}

// d ulps either side of each edge, for |d| <= reach.
void around(const Function &f, MathBuild build, Count *count, const std::vector<double> &edges,
            int reach) {
  for (double edge : edges)
    for (int d = -reach; d <= reach; d++)
      compare(f, from_bits(bits_of(edge) + uint64_t(int64_t(d))), build, count);
}

const double SPECIAL[] = {0.0,       -0.0,       INFINITY,  -INFINITY, NAN,    -NAN,
                          0x1p-1074, -0x1p-1074, 0x1p-1022, 0x1p-1023, 1e308,  -1e308,
                          1.0,       -1.0,       0.5,       2.0,       DBL_MAX};

TEST(LibraryMath, ExpIsTheLibrarysBitForBit) {
  const MathBuild build = library_build();
  Count count;
  std::mt19937_64 random(1);
  std::uniform_real_distribution<double> rules(-745, 0), small(0, 10), subnormal(-745.2, -708.3),
      large(-1100, 1100);
  for (int k = 0; k < 3000000; k++) compare(EXP, rules(random), build, &count);
  for (int k = 0; k < 500000; k++) compare(EXP, small(random), build, &count);
  for (int k = 0; k < 300000; k++) compare(EXP, subnormal(random), build, &count);
  for (int k = 0; k < 200000; k++) compare(EXP, large(random), build, &count);
  for (int k = 0; k < 300000; k++) compare(EXP, from_bits(random()), build, &count);
  every_exponent(EXP, build, &count, 0, 2047, true, 100, random);
  // The branches: 2^-54, 512, 1024, overflow and underflow.
  std::vector<double> edges = {0x1p-54,
                               512.0,
                               -512.0,
                               1024.0,
                               -1024.0,
                               709.782712893384,
                               -708.3964185322641,
                               -745.1332191019411,
                               -745.1332191019412};
  // k, the nearest integer to 128 x / ln 2, where it is half an integer: the fused build
  // rounds the product and the shift once, the plain one twice.
  for (int j = -96000; j < 10000; j++) {
    const double x = (j + 0.5) / (0x1.71547652b82fep0 * 128);
    for (int d = -3; d <= 3; d++) compare(EXP, from_bits(bits_of(x) + d), build, &count);
  }
  around(EXP, build, &count, edges, 300);
  for (double x : SPECIAL) compare(EXP, x, build, &count);
  expect_matches(EXP, build, count, 4500000);
}

TEST(LibraryMath, LogIsTheLibrarysBitForBit) {
  const MathBuild build = library_build();
  Count count;
  std::mt19937_64 random(2);
  std::uniform_real_distribution<double> rules(0, 300), near_one(1 - 0x1p-4, 1 + 0x1.09p-4),
      unit(0, 1);
  for (int k = 0; k < 2500000; k++) compare(LOG, rules(random), build, &count);
  for (int k = 0; k < 1000000; k++) compare(LOG, near_one(random), build, &count);
  for (int k = 0; k < 500000; k++) compare(LOG, unit(random), build, &count);
  for (int k = 0; k < 300000; k++) compare(LOG, from_bits(random()), build, &count);
  // Subnormals: every leading bit.
  for (int b = 0; b < 52; b++)
    for (int k = 0; k < 2000; k++)
      compare(LOG, from_bits((1ULL << b) | (random() & ((1ULL << b) - 1))), build, &count);
  every_exponent(LOG, build, &count, 0, 2047, true, 100, random);
  // 1 - 2^-k and 1 + 2^-k, and the near-one branch's edges; each table interval's ends.
  std::vector<double> edges = {1.0, 1 - 0x1p-4, 1 + 0x1.09p-4, 0x1p-1022, DBL_MAX};
  for (int k = 1; k < 60; k++) edges.push_back(1 - std::ldexp(1.0, -k));
  for (int i = 0; i <= 128; i++)
    edges.push_back(from_bits(0x3fe6000000000000ULL + (uint64_t(i) << 45)));
  around(LOG, build, &count, edges, 300);
  for (double x : SPECIAL) compare(LOG, x, build, &count);
  expect_matches(LOG, build, count, 4500000);
}

TEST(LibraryMath, TanhIsTheLibrarysBitForBit) {
  const MathBuild build = library_build();
  Count count;
  std::mt19937_64 random(3);
  std::uniform_real_distribution<double> rules(-40, 40), unit(-1, 1), tiny(-1e-6, 1e-6);
  for (int k = 0; k < 2500000; k++) compare(TANH, rules(random), build, &count);
  for (int k = 0; k < 1000000; k++) compare(TANH, unit(random), build, &count);
  for (int k = 0; k < 100000; k++) compare(TANH, tiny(random), build, &count);
  for (int k = 0; k < 300000; k++) compare(TANH, from_bits(random()), build, &count);
  every_exponent(TANH, build, &count, 0, 2047, true, 100, random);
  // tanh's branches (2^-55, 1, 22) and expm1's at the arguments tanh gives it (0.5 ln 2,
  // 1.5 ln 2, 56 ln 2, and k changing at (j + 1/2) ln 2), halved, both signs.
  std::vector<double> edges = {
      0x1p-55, 1.0, 22.0, 0.34657359027997264 / 2, 1.0397207708399179 / 2, 38.816242111356935 / 2};
  for (int j = 1; j < 64; j++) edges.push_back((j + 0.5) * 0.6931471805599453 / 2);
  const size_t n = edges.size();
  for (size_t k = 0; k < n; k++) edges.push_back(-edges[k]);
  around(TANH, build, &count, edges, 1000);
  for (double x : SPECIAL) compare(TANH, x, build, &count);
  expect_matches(TANH, build, count, 4000000);
}

// expm1 itself, on the arguments tanh gives it: 2|x| in [2, 44), -2|x| in (-2, -2^-54].
TEST(LibraryMath, Expm1IsTheLibrarysWhereTanhCallsIt) {
  const MathBuild build = library_build();
  Count count;
  std::mt19937_64 random(4);
  std::uniform_real_distribution<double> above(2, 44), below(-2, -0x1p-54);
  for (int k = 0; k < 1000000; k++) compare(EXPM1, above(random), build, &count);
  for (int k = 0; k < 1000000; k++) compare(EXPM1, below(random), build, &count);
  every_exponent(EXPM1, build, &count, 0x3c9, 0x3ff, false, 1000, random);
  for (int e = 0x3c9; e <= 0x3ff; e++)
    for (int m = 0; m < 1000; m++)
      compare(EXPM1, -from_bits(uint64_t(e) << 52 | (random() & 0xfffffffffffffULL)), build,
              &count);
  expect_matches(EXPM1, build, count, 2000000);
}

// atanh, on the draws of the Euler rule's uniform start
// (2 r - 1 for r = k / (2^31 - 1)), and over its whole domain.
TEST(LibraryMath, AtanhIsTheLibrarysBitForBit) {
  const MathBuild build = library_build();
  const Function ATANH = {"atanh", lib_atanh, library_atanh<MATH_PLAIN>, library_atanh<MATH_FUSED>};
  Count count;
  auto compare_atanh = [&](double x) { compare(ATANH, x, build, &count); };
  std::mt19937_64 random(6);
  for (int k = 0; k < 3000000; k++)
    compare_atanh(2 * (uint32_t(random() >> 33) / 2147483647.0) - 1);
  std::uniform_real_distribution<double> domain(-1, 1), tiny(-1e-7, 1e-7);
  for (int k = 0; k < 1000000; k++) compare_atanh(domain(random));
  for (int k = 0; k < 100000; k++) compare_atanh(tiny(random));
  for (int k = 0; k < 300000; k++) compare_atanh(from_bits(random()));
  for (int e = 0; e < 2048; e++)
    for (int m = 0; m < 100; m++) {
      const uint64_t x = uint64_t(e) << 52 | (random() & 0xfffffffffffffULL);
      compare_atanh(from_bits(x)), compare_atanh(from_bits(x | 1ULL << 63));
    }
  // Near 1 and -1, 1/2, 2^-28, and where log1p's argument crosses sqrt(2) - 1 and 2^53.
  for (double edge : {1.0, 0.5, 0x1p-28, 0.17157287525381, 1 - 0x1p-53, 0.0})
    for (int d = -3000; d <= 3000; d++)
      for (double s : {1.0, -1.0})
        compare_atanh(s * from_bits(bits_of(edge) + uint64_t(int64_t(d))));
  for (double x : SPECIAL) compare_atanh(x);
  expect_matches(ATANH, build, count, 4000000);
}

// The software fma against the processor's (the C library's fma, which uses the instruction
// where there is one).
struct FmaCount {
  uint64_t compared = 0, differ = 0;
  double a = 0, b = 0, c = 0; // the first that differed
};
void compare_fma(double a, double b, double c, FmaCount *count) {
  count->compared++;
  if (same(exact_fma(a, b, c), std::fma(a, b, c))) return;
  if (count->differ++ == 0) count->a = a, count->b = b, count->c = c;
}

TEST(ExactFma, IsTheProcessorsOnRandomAndHardTriples) {
  FmaCount count;
  std::mt19937_64 random(5);
  auto significand = [&]() { return random() & 0xfffffffffffffULL; };
  auto with_exponent = [&](int e) {
    return from_bits((random() & 1ULL << 63) | uint64_t(e) << 52 | significand());
  };
  // Random bit patterns: every exponent, infinities, NaNs, subnormals.
  for (int k = 0; k < 2000000; k++)
    compare_fma(from_bits(random()), from_bits(random()), from_bits(random()), &count);
  // Exponents that meet: the product and c of about the same size (cancellation), c just
  // below or far below it, results near overflow and in the subnormals.
  std::uniform_int_distribution<int> exponent(1, 2046), spread(-120, 120);
  for (int k = 0; k < 3000000; k++) {
    const int ea = exponent(random), eb = k % 2 ? exponent(random) : 2046 - ea + spread(random);
    const double a = with_exponent(ea), b = with_exponent(std::min(std::max(eb, 0), 2046));
    const int ep = int(bits_of(a * b) >> 52 & 0x7ff) + spread(random);
    compare_fma(a, b, with_exponent(std::min(std::max(ep, 0), 2046)), &count);
  }
  // Operands of moderate size, which take the algorithm in doubles (the one the functions
  // use): c of any size below 2^900, subnormals and zero among them, and c near -a b.
  std::uniform_int_distribution<int> moderate(1023 - 450, 1023 + 449), any_c(0, 1023 + 899);
  for (int k = 0; k < 2000000; k++) {
    const double a = with_exponent(moderate(random)), b = with_exponent(moderate(random));
    compare_fma(a, b, with_exponent(any_c(random)), &count);
    compare_fma(a, b, -from_bits(bits_of(a * b) + (random() % 5) - 2) * (k % 3 ? 1 : 0x1p-30),
                &count);
  }
  // Double rounding: a b = 1 + 2^-51 + 2^-104 (or 1 - 2^-104) exactly, scaled, and c of twice
  // to four times its size, so that c + (a b rounded) is often halfway between two doubles and
  // the product's last bit alone, 2^-104, decides the rounding.
  for (int k = 0; k < 1000000; k++) {
    const int p = int(random() % 200) - 100, q = int(random() % 200) - 100;
    const double a = std::ldexp(1 + 0x1p-52, p) * (k % 2 ? 1 : -1);
    const double b = std::ldexp(k % 4 < 2 ? 1 + 0x1p-52 : 1 - 0x1p-53, q);
    const double c = std::ldexp(from_bits(0x400ULL << 52 | (significand() & ~1ULL)), p + q);
    compare_fma(a, b, random() % 2 ? c : -c, &count);
  }
  // c = -(a b rounded), plus a few ulps: the exact product's low half alone, and signs.
  for (int k = 0; k < 1000000; k++) {
    const double a = with_exponent(900 + int(random() % 250)),
                 b = with_exponent(900 + int(random() % 250));
    const double p = a * b;
    const double c = -from_bits(bits_of(p) + (random() % 7) - 3);
    compare_fma(a, b, c, &count);
    compare_fma(a, b, std::ldexp(c, -int(random() % 110)), &count);
  }
  // Ties: integer a, b below 2^27 (an exact product below 2^54) and small integers c, so that
  // a b + c is often halfway between two doubles, scaled by powers of two.
  for (int k = 0; k < 1000000; k++) {
    const double a = double(random() >> 37), b = double(random() >> 37);
    const double c = double(int(random() % 9) - 4),
                 scale = std::ldexp(1.0, int(random() % 60) - 30);
    compare_fma(a * scale, b, c * scale, &count);
    compare_fma(a, b, -c, &count);
  }
  // Subnormal results and their rounding: products near 2^-1074 ... 2^-1022.
  for (int k = 0; k < 1000000; k++) {
    const int e = int(random() % 60);
    const double a = with_exponent(1023 - 500 + int(random() % 40)),
                 b = with_exponent(1023 - 560 - e), c = with_exponent(int(random() % 3));
    compare_fma(a, b, c, &count);
    compare_fma(a, b, -c, &count);
  }
  // Every pair of special values for two of the three, the third random.
  for (double x : SPECIAL)
    for (double y : SPECIAL)
      for (int k = 0; k < 20; k++) {
        const double r = from_bits(random());
        compare_fma(x, y, r, &count), compare_fma(x, r, y, &count), compare_fma(r, x, y, &count);
        compare_fma(x, y, x, &count), compare_fma(x, y, y, &count);
      }
  RecordProperty("compared", testing::PrintToString(count.compared));
  EXPECT_GE(count.compared, 10000000u);
  EXPECT_EQ(count.differ, 0u) << "first at fma(" << std::hexfloat << count.a << ", " << count.b
                              << ", " << count.c << ")";
}

} // namespace
