// The little of a C library that the model needs in the browser: srand and rand from the
// project's generator, and the memory functions the compiler may call for struct copies.
#include <stddef.h>
#include <stdlib.h>

#include "generator.h"

extern "C" {

void srand(unsigned seed) {
  generator_seed(seed);
}

int rand(void) {
  return generator_next();
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
