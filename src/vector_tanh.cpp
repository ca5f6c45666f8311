/* The vector tanh, lane by lane the C library's algorithm (GNU libc 2.36's tanh, and expm1 of
 * its fused or plain build) in the library's order, every branch a select, with the library's
 * constants (tanh_constants.h, which the page's scalar account shares). This file alone is
 * compiled for AVX-512 (x86-64-v4), where eight doubles fill a register; start at tanh_vector. */
#include <math.h>
#include <stdint.h>

#include "tanh_constants.h"
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
typedef double lane_doubles __attribute__((vector_size(WIDTH * sizeof(double))));
typedef long long lane_ints __attribute__((vector_size(WIDTH * sizeof(long long))));
typedef unsigned long long lane_bits __attribute__((vector_size(WIDTH * sizeof(long long))));
typedef int lane_int32 __attribute__((vector_size(WIDTH * sizeof(int))));

/* The bits of a double's high word and of the whole double but the sign, and of its low word. */
const long long HIGH_MAGNITUDE = 0x7fffffff;
const unsigned long long MAGNITUDE = 0x7fffffffffffffffULL;
const long long LOW_WORD = 0xffffffff;

/* v in every lane. */
__attribute__((always_inline)) inline lane_doubles splat(double v) {
  lane_doubles r = {};
  return r + v;
}

/* a * b + c in one rounding (FUSED) or two. */
template <bool FUSED>
__attribute__((always_inline)) inline lane_doubles
mul_add(const lane_doubles &a, const lane_doubles &b, const lane_doubles &c) {
  if (!FUSED) return a * b + c;
  lane_doubles r = c;
  for (int l = 0; l < WIDTH; l++) r[l] = __builtin_fma(a[l], b[l], c[l]);
  return r;
}

/* expm1(y) for the arguments tanh gives it, y = 2|x| in [2, 44) or -2|x| in (-2, -2^-54]: the
 * library's reduction to r = y - k ln 2, its polynomial and its reconstruction, each branch a
 * select. Other lanes hold values that are not used. */
template <bool FUSED>
__attribute__((always_inline)) inline lane_doubles expm1_lanes(const lane_doubles &y) {
  const double ln2_hi = EXPM1_LN2_HI, ln2_lo = EXPM1_LN2_LO, invln2 = EXPM1_INV_LN2,
               Q1 = EXPM1_Q1, Q2 = EXPM1_Q2, Q3 = EXPM1_Q3, Q4 = EXPM1_Q4, Q5 = EXPM1_Q5;
  const lane_doubles one = splat(1.0);
  const lane_ints hy = (lane_ints)((lane_bits)y >> 32) & HIGH_MAGNITUDE;
  const lane_ints negative = y < 0;
  const lane_ints reduced = hy > HALF_LN2_HIGH, near = reduced & (hy < THREE_HALF_LN2_HIGH),
                  general = reduced & ~near;
  // k and the reduction: k = +-1 near ln 2, else the nearest integer to y / ln 2.
  lane_doubles kf = invln2 * y + (negative ? splat(-0.5) : splat(0.5));
  kf = general ? kf : splat(0); // only these are converted: every one in -3.4 ... 63.5
  const lane_int32 k32 = __builtin_convertvector(kf, lane_int32);
  const lane_ints kg = __builtin_convertvector(k32, lane_ints);
  const lane_doubles tg = __builtin_convertvector(k32, lane_doubles);
  const lane_ints none = {}, k = general ? kg : near ? (negative ? none - 1 : none + 1) : none;
  const lane_doubles hi = general ? (FUSED ? mul_add<true>(-tg, splat(ln2_hi), y) : y - tg * ln2_hi)
                                  : (negative ? y + ln2_hi : y - ln2_hi);
  const lane_doubles lo = general ? tg * ln2_lo : (negative ? splat(-ln2_lo) : splat(ln2_lo));
  const lane_doubles xr = hi - lo, cr = (hi - xr) - lo;
  const lane_doubles x = reduced ? xr : y, c = reduced ? cr : splat(0);
  // The polynomial of the reduced argument.
  const lane_doubles hfx = x * 0.5, hxs = x * hfx;
  const lane_doubles R1 = FUSED ? mul_add<true>(hxs, splat(Q1), one) : one + hxs * Q1;
  const lane_doubles h2 = hxs * hxs;
  const lane_doubles R2 = FUSED ? mul_add<true>(hxs, splat(Q3), splat(Q2)) : Q2 + hxs * Q3;
  const lane_doubles h4 = h2 * h2;
  const lane_doubles R3 = FUSED ? mul_add<true>(hxs, splat(Q5), splat(Q4)) : Q4 + hxs * Q5;
  const lane_doubles r1 =
      FUSED ? mul_add<true>(h4, R3, mul_add<true>(h2, R2, R1)) : R1 + h2 * R2 + h4 * R3;
  const lane_doubles t = FUSED ? mul_add<true>(-r1, hfx, splat(3.0)) : 3.0 - r1 * hfx;
  const lane_doubles e =
      hxs * ((r1 - t) / (FUSED ? mul_add<true>(-x, t, splat(6.0)) : 6.0 - x * t));
  // k = 0: no reconstruction.
  const lane_doubles zero_k = x - (FUSED ? mul_add<true>(x, e, -hxs) : x * e - hxs);
  lane_doubles ek = FUSED ? mul_add<true>(x, e - c, -c) : x * (e - c) - c;
  ek = ek - hxs;
  const lane_doubles minus_one_k =
      FUSED ? mul_add<true>(splat(0.5), x - ek, splat(-0.5)) : 0.5 * (x - ek) - 0.5;
  const lane_doubles one_k =
      x < -0.25 ? -2.0 * (ek - (x + 0.5))
                : (FUSED ? mul_add<true>(splat(2.0), x - ek, one) : one + 2.0 * (x - ek));
  // Larger k: 2^k times a value near 1, by adding k to the exponent.
  const lane_bits shift = (lane_bits)k << 52;
  const lane_doubles far = (lane_doubles)((lane_bits)(one - (ek - x)) + shift) - one;
  const lane_ints ks = ((k >= 0) & (k < 20)) ? k : none;
  const lane_doubles below20 =
      (lane_doubles)((ONE_HIGH - (lane_ints)((lane_bits)(none + TWO_POW_21) >> (lane_bits)ks))
                     << 32);
  const lane_doubles mid = (lane_doubles)((lane_bits)(below20 - (ek - x)) + shift);
  const lane_ints k20 = ((k >= 20) & (k < 1023)) ? k : none + 20;
  const lane_doubles at20 = (lane_doubles)(((EXPONENT_BIAS - k20) << 20) << 32);
  const lane_doubles high = (lane_doubles)((lane_bits)((x - (ek + at20)) + one) + shift);
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
__attribute__((always_inline)) inline lane_doubles tanh_vector(const lane_doubles &x) {
  const lane_doubles one = splat(1.0), two = splat(2.0);
  const lane_ints positive = (lane_ints)x >= 0,
                  ix = (lane_ints)((lane_bits)x >> 32) & HIGH_MAGNITUDE;
  const lane_ints low = (lane_ints)x & LOW_WORD;
  const lane_doubles ax = (lane_doubles)((lane_bits)x & MAGNITUDE);
  const lane_ints big = ix >= ONE_HIGH;
  const lane_doubles t = expm1_lanes<FUSED>(big ? ax + ax : ax * -2.0);
  const lane_doubles z = big ? one - two / (t + two) : -t / (t + two);
  const lane_doubles signed_z = positive ? z : -z;
  const lane_doubles beyond = positive ? one - 1.0e-300 : -(one - 1.0e-300);
  const lane_doubles special = positive ? one / x + one : one / x - one;
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
  lane_doubles low, high;
  __builtin_memcpy(&low, &x, sizeof low);
  __builtin_memcpy(&high, (const char *)&x + sizeof low, sizeof high);
  low = tanh_vector<FUSED>(low), high = tanh_vector<FUSED>(high);
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
