/* The mathematics the model and its measures use, for the WebAssembly build, which has no C
 * library: sqrt, fabs, floor, trunc, round, fmin and fmax from the instruction set; exp, log,
 * tanh and atanh as the C library computes them (src/library_math.h, in lab/libc.cpp); cos and
 * acos from the browser. */
#ifndef NUV_LAB_MATH_H
#define NUV_LAB_MATH_H

#define NUV_IMPORT(name) __attribute__((import_module("env"), import_name(#name)))

#ifdef __cplusplus
extern "C" {
#endif

/* exp, log, tanh and atanh bit for bit as the tools have them from GNU libc 2.36 on x86-64 with
 * FMA (its fused build, which it runs on every processor with FMA and AVX2). The browser's
 * Math.atanh differs from the library's on about 5 in 10,000 of the Euler start's draws. */
double exp(double x);
double log(double x);
double tanh(double x);
double atanh(double x);
/* Math.cos and Math.acos, for TSPLIB's GEO distances (which truncate them to whole kilometres). */
NUV_IMPORT(cos) double cos(double x);
NUV_IMPORT(acos) double acos(double x);

#define INFINITY __builtin_inf()

/* f64.sqrt, correctly rounded as the C library's is; f64.abs. */
static inline double sqrt(double x) {
  return __builtin_sqrt(x);
}
static inline double fabs(double x) {
  return __builtin_fabs(x);
}
/* f64.floor and f64.trunc, exact. */
static inline double floor(double x) {
  return __builtin_floor(x);
}
static inline double trunc(double x) {
  return __builtin_trunc(x);
}
/* C's round: halves away from zero (f64.nearest takes them to even). x - trunc(x) is exact. */
static inline double round(double x) {
  const double t = __builtin_trunc(x);
  return __builtin_fabs(x - t) >= 0.5 ? t + (x < 0 ? -1.0 : 1.0) : t;
}
/* C's fmin and fmax: a NaN loses to a number. */
static inline double fmin(double a, double b) {
  return a != a ? b : b != b ? a : a < b ? a : b;
}
static inline double fmax(double a, double b) {
  return a != a ? b : b != b ? a : a > b ? a : b;
}

#ifdef __cplusplus
}
#endif
#endif
