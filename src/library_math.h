/* The C library's exp, log, tanh and atanh, bit for bit, in plain C++ that needs no C library: GNU
 * libc 2.36's algorithms for x86-64, for the page's WebAssembly module (lab/include/math.h), whose
 * browser rounds its own Math functions differently; the native tools call the library itself.
 * The library has two builds of exp, log, expm1 and log1p (which its tanh and atanh call): one
 * compiled with fused multiply-adds, which it runs where the processor has FMA, and a plain one;
 * their last bits differ, so each function here is a template on the build. Start at library_exp.
 */
#ifndef NUV_LIBRARY_MATH_H
#define NUV_LIBRARY_MATH_H

/* Which build of the library a function follows. */
enum MathBuild { MATH_PLAIN, MATH_FUSED };

/* e^x: +0 below about -745.13, +inf above about 709.78. */
template <MathBuild BUILD>
double library_exp(double x);

/* The natural logarithm: -inf at +-0, NaN below 0. */
template <MathBuild BUILD>
double library_log(double x);

/* tanh: +-1 from |x| = 22 on, x itself below 2^-55. */
template <MathBuild BUILD>
double library_tanh(double x);

/* atanh, from log1p (of which the library has a fused build too): +-inf at +-1, NaN beyond. */
template <MathBuild BUILD>
double library_atanh(double x);

/* e^y - 1 for the arguments tanh gives it: |y| from 2^-54 to 44, finite. */
template <MathBuild BUILD>
double library_expm1(double y);

/* a * b + c rounded once (to nearest, ties to even), as an fma instruction gives it, computed
 * in integers, since WebAssembly has no such instruction. */
double exact_fma(double a, double b, double c);

#endif
