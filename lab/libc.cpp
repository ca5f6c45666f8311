// The little of a C library that the model needs in the browser: srand and rand from the
// project's generator, exp, log, tanh and atanh as the C library computes them, and the memory
// functions the compiler may call for struct copies.
#include <math.h>
#include <stddef.h>
#include <stdlib.h>

#include "generator.h"
#include "library_math.h"

extern "C" {

void srand(unsigned seed) {
  generator_seed(seed);
}

int rand(void) {
  return generator_next();
}

// The fused build's: the library's choice on every processor the tools' results are from.
double exp(double x) {
  return library_exp<MATH_FUSED>(x);
}

double log(double x) {
  return library_log<MATH_FUSED>(x);
}

double tanh(double x) {
  return library_tanh<MATH_FUSED>(x);
}

double atanh(double x) {
  return library_atanh<MATH_FUSED>(x);
}

void *memcpy(void *to, const void *from, size_t n) {
  unsigned char *t = static_cast<unsigned char *>(to);
  const unsigned char *f = static_cast<const unsigned char *>(from);
  while (n--) *t++ = *f++;
  return to;
}

void *memmove(void *to, const void *from, size_t n) {
  unsigned char *t = static_cast<unsigned char *>(to);
  const unsigned char *f = static_cast<const unsigned char *>(from);
  if (t < f)
    while (n--) *t++ = *f++;
  else
    while (n--) t[n] = f[n];
  return to;
}

void *memset(void *to, int c, size_t n) {
  unsigned char *t = static_cast<unsigned char *>(to);
  while (n--) *t++ = static_cast<unsigned char>(c);
  return to;
}
}
