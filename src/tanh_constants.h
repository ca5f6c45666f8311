/* The constants of the C library's tanh and its expm1 (GNU libc 2.36, after fdlibm), shared by
 * the two accounts of that tanh: the batch's vector one (vector_tanh.cpp) and the page's scalar
 * one (library_math.cpp). expm1(y) reduces y to r = y - k ln 2 (ln 2 in two parts, the first
 * with trailing zeros so that k times it is exact), takes a rational function of r from the
 * polynomial Q, and scales by 2^k; the branches compare the high 32 bits of a double, its sign
 * cleared, with the thresholds below. */
#ifndef NUV_TANH_CONSTANTS_H
#define NUV_TANH_CONSTANTS_H

/* ln 2 = LN2_HI + LN2_LO, 1 / ln 2, and the coefficients Q1 ... Q5 of expm1's polynomial. */
const double EXPM1_LN2_HI = 6.93147180369123816490e-01, EXPM1_LN2_LO = 1.90821492927058770002e-10,
             EXPM1_INV_LN2 = 1.44269504088896338700e+00, EXPM1_Q1 = -3.33333333333331316428e-02,
             EXPM1_Q2 = 1.58730158725481460165e-03, EXPM1_Q3 = -7.93650757867487942473e-05,
             EXPM1_Q4 = 4.00821782732936239552e-06, EXPM1_Q5 = -2.01099218183624371326e-07;

/* The thresholds the library compares with: the high 32 bits of a double, sign cleared. */
const long long HALF_LN2_HIGH = 0x3fd62e42;       // 0.5 ln 2 ~ 0.3466: expm1 reduces above it
const long long THREE_HALF_LN2_HIGH = 0x3FF0A2B2; // 1.5 ln 2 ~ 1.0397: k = +-1 below it
const long long ONE_HIGH = 0x3ff00000;            // 1: tanh from expm1(2|x|) from here on
const long long TWENTY_TWO_HIGH = 0x40360000;     // 22: tanh is +-(1 - tiny) from here on
const long long TINY_HIGH = 0x3c800000;           // 2^-55: tanh is x(1 + x) below it
const long long NOT_FINITE_HIGH = 0x7ff00000;     // infinities and NaNs from here on
/* The reconstruction's powers of two, made in their high words: 1 - 2^-k's is
 * ONE_HIGH - (TWO_POW_21 >> k) for 1 <= k < 20, and 2^-k's exponent EXPONENT_BIAS - k. */
const long long TWO_POW_21 = 0x200000; // ONE_HIGH - (TWO_POW_21 >> 1) is 0.5's high word
const long long EXPONENT_BIAS = 0x3ff; // 1023: the exponent field of 1

#endif
