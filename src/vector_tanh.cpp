/* The vector tanh, lane by lane the C library's algorithm (GNU libc 2.36's tanh, and expm1 of
 * its fused or plain build) in the library's order, every branch a select. This file alone is
 * compiled for AVX-512 (x86-64-v4), where eight doubles fill a register; start at tanh8. */
#include <math.h>
#include <stdint.h>

#include "vector_tanh.h"

/* Defined here with the one function it chooses; a plain variable, so the instruction set this
 * file is compiled for never matters to it. */
Activation activation = ACTIVATION_LIBRARY;

namespace {

/* Every function here is inlined, so how a vector would be passed to one never matters. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpsabi"

/* The vectors tanh is computed in: eight doubles, an AVX-512 register or two of AVX2, so that
 * every operation has its instruction; a batch's lanes (sixteen) are taken in halves. */
enum { WIDTH = 8 };
typedef double lanes8 __attribute__((vector_size(WIDTH * sizeof(double))));
typedef long long lane_ints __attribute__((vector_size(WIDTH * sizeof(long long))));
typedef unsigned long long lane_bits __attribute__((vector_size(WIDTH * sizeof(long long))));
typedef int lane_int32 __attribute__((vector_size(WIDTH * sizeof(int))));

/* The thresholds the library compares with: the high 32 bits of a double, sign cleared. */
const long long HALF_LN2_HIGH = 0x3fd62e42;       // 0.5 ln 2 ~ 0.3466: expm1 reduces above it
const long long THREE_HALF_LN2_HIGH = 0x3FF0A2B2; // 1.5 ln 2 ~ 1.0397: k = +-1 below it
const long long ONE_HIGH = 0x3ff00000;            // 1: tanh from expm1(2|x|) from here on
const long long TWENTY_TWO_HIGH = 0x40360000;     // 22: tanh is +-(1 - tiny) from here on
const long long TINY_HIGH = 0x3c800000;           // 2^-55: tanh is x(1 + x) below it
const long long NOT_FINITE_HIGH = 0x7ff00000;     // infinities and NaNs from here on

/* v in every lane. */
__attribute__((always_inline)) inline lanes8 splat(double v) {
  lanes8 r = {};
  return r + v;
}

/* a * b + c in one rounding (FUSED) or two. */
template <bool FUSED>
__attribute__((always_inline)) inline lanes8 mul_add(const lanes8 &a, const lanes8 &b,
                                                     const lanes8 &c) {
  if (!FUSED) return a * b + c;
  lanes8 r = c;
  for (int l = 0; l < WIDTH; l++) r[l] = __builtin_fma(a[l], b[l], c[l]);
  return r;
}

/* expm1(y) for the arguments tanh gives it, y = 2|x| in [2, 44) or -2|x| in (-2, -2^-54]: the
 * library's reduction to r = y - k ln 2, its polynomial and its reconstruction, each branch a
 * select. Other lanes hold values that are not used. */
template <bool FUSED>
__attribute__((always_inline)) inline lanes8 expm1_lanes(const lanes8 &y) {
  const double ln2_hi = 6.93147180369123816490e-01, ln2_lo = 1.90821492927058770002e-10,
               invln2 = 1.44269504088896338700e+00, Q1 = -3.33333333333331316428e-02,
               Q2 = 1.58730158725481460165e-03, Q3 = -7.93650757867487942473e-05,
               Q4 = 4.00821782732936239552e-06, Q5 = -2.01099218183624371326e-07;
  const lanes8 one = splat(1.0);
  const lane_ints hy = (lane_ints)((lane_bits)y >> 32) & 0x7fffffff;
  const lane_ints negative = y < 0;
  const lane_ints reduced = hy > HALF_LN2_HIGH, near = reduced & (hy < THREE_HALF_LN2_HIGH),
                  general = reduced & ~near;
  // k and the reduction: k = +-1 near ln 2, else the nearest integer to y / ln 2.
  lanes8 kf = invln2 * y + (negative ? splat(-0.5) : splat(0.5));
  kf = general ? kf : splat(0); // only these are converted: every one in -3.4 ... 63.5
  const lane_int32 k32 = __builtin_convertvector(kf, lane_int32);
  const lane_ints kg = __builtin_convertvector(k32, lane_ints);
  const lanes8 tg = __builtin_convertvector(k32, lanes8);
  const lane_ints none = {}, k = general ? kg : near ? (negative ? none - 1 : none + 1) : none;
  const lanes8 hi = general ? (FUSED ? mul_add<true>(-tg, splat(ln2_hi), y) : y - tg * ln2_hi)
                            : (negative ? y + ln2_hi : y - ln2_hi);
  const lanes8 lo = general ? tg * ln2_lo : (negative ? splat(-ln2_lo) : splat(ln2_lo));
  const lanes8 xr = hi - lo, cr = (hi - xr) - lo;
  const lanes8 x = reduced ? xr : y, c = reduced ? cr : splat(0);
  // The polynomial of the reduced argument.
  const lanes8 hfx = x * 0.5, hxs = x * hfx;
  const lanes8 R1 = FUSED ? mul_add<true>(hxs, splat(Q1), one) : one + hxs * Q1;
  const lanes8 h2 = hxs * hxs;
  const lanes8 R2 = FUSED ? mul_add<true>(hxs, splat(Q3), splat(Q2)) : Q2 + hxs * Q3;
  const lanes8 h4 = h2 * h2;
  const lanes8 R3 = FUSED ? mul_add<true>(hxs, splat(Q5), splat(Q4)) : Q4 + hxs * Q5;
  const lanes8 r1 =
      FUSED ? mul_add<true>(h4, R3, mul_add<true>(h2, R2, R1)) : R1 + h2 * R2 + h4 * R3;
  const lanes8 t = FUSED ? mul_add<true>(-r1, hfx, splat(3.0)) : 3.0 - r1 * hfx;
  const lanes8 e = hxs * ((r1 - t) / (FUSED ? mul_add<true>(-x, t, splat(6.0)) : 6.0 - x * t));
  // k = 0: no reconstruction.
  const lanes8 zero_k = x - (FUSED ? mul_add<true>(x, e, -hxs) : x * e - hxs);
  lanes8 ek = FUSED ? mul_add<true>(x, e - c, -c) : x * (e - c) - c;
  ek = ek - hxs;
  const lanes8 minus_one_k =
      FUSED ? mul_add<true>(splat(0.5), x - ek, splat(-0.5)) : 0.5 * (x - ek) - 0.5;
  const lanes8 one_k =
      x < -0.25 ? -2.0 * (ek - (x + 0.5))
                : (FUSED ? mul_add<true>(splat(2.0), x - ek, one) : one + 2.0 * (x - ek));
  // Larger k: 2^k times a value near 1, by adding k to the exponent.
  const lane_bits shift = (lane_bits)k << 52;
  const lanes8 far = (lanes8)((lane_bits)(one - (ek - x)) + shift) - one;
  const lane_ints ks = ((k >= 0) & (k < 20)) ? k : none;
  const lanes8 below20 =
      (lanes8)((ONE_HIGH - (lane_ints)((lane_bits)(none + 0x200000LL) >> (lane_bits)ks)) << 32);
  const lanes8 mid = (lanes8)((lane_bits)(below20 - (ek - x)) + shift);
  const lane_ints k20 = ((k >= 20) & (k < 1023)) ? k : none + 20;
  const lanes8 at20 = (lanes8)(((0x3ffLL - k20) << 20) << 32);
  const lanes8 high = (lanes8)((lane_bits)((x - (ek + at20)) + one) + shift);
  return k == 0                   ? zero_k
         : k == -1                ? minus_one_k
         : k == 1                 ? one_k
         : ((k <= -2) | (k > 56)) ? far
         : k < 20                 ? mid
                                  : high;
}

/* tanh of each lane as the library computes it, with expm1 of the FUSED build or the plain one:
 * x(1 + x) below 2^-55, from expm1(-2|x|) below 1, from expm1(2|x|) below 22, 1 - tiny beyond,
 * 1/x +- 1 for infinities and NaNs. */
template <bool FUSED>
__attribute__((always_inline)) inline lanes8 tanh8(const lanes8 &x) {
  const lanes8 one = splat(1.0), two = splat(2.0);
  const lane_ints positive = (lane_ints)x >= 0, ix = (lane_ints)((lane_bits)x >> 32) & 0x7fffffff;
  const lane_ints low = (lane_ints)x & 0xffffffff;
  const lanes8 ax = (lanes8)((lane_bits)x & 0x7fffffffffffffffULL);
  const lane_ints big = ix >= ONE_HIGH;
  const lanes8 t = expm1_lanes<FUSED>(big ? ax + ax : ax * -2.0);
  const lanes8 z = big ? one - two / (t + two) : -t / (t + two);
  const lanes8 signed_z = positive ? z : -z;
  const lanes8 beyond = positive ? one - 1.0e-300 : -(one - 1.0e-300);
  const lanes8 special = positive ? one / x + one : one / x - one;
  return ix >= NOT_FINITE_HIGH   ? special
         : ix >= TWENTY_TWO_HIGH ? beyond
         : (ix | low) == 0       ? x
         : ix < TINY_HIGH        ? (one + x) * x
                                 : signed_z;
}

/* tanh of every lane of a batch's vector, in halves. */
template <bool FUSED>
__attribute__((always_inline)) inline lanes tanh_lanes(const lanes &x) {
  static_assert(NLANE == 2 * WIDTH, "a batch's vector is two of tanh's");
  lanes8 low, high;
  __builtin_memcpy(&low, &x, sizeof low);
  __builtin_memcpy(&high, (const char *)&x + sizeof low, sizeof high);
  low = tanh8<FUSED>(low), high = tanh8<FUSED>(high);
  lanes y;
  __builtin_memcpy(&y, &low, sizeof low);
  __builtin_memcpy((char *)&y + sizeof low, &high, sizeof high);
  return y;
}

#pragma GCC diagnostic pop

} // namespace

void vector_tanh(bool fused, const lanes *x, lanes *y) {
  *y = fused ? tanh_lanes<true>(*x) : tanh_lanes<false>(*x);
}
