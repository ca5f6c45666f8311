// The additive generator: 31 words seeded by a multiplicative congruence, each later word the
// sum of the words 31 and 3 places back, the first 310 sums discarded. No library at all.
#include "generator.h"

#include <stdint.h>

namespace {

// The last 32 words, r[i] at r[i % 32]: enough to reach back 31 places.
uint32_t r[32];
unsigned at; // the index of the next word

uint32_t step() {
  uint32_t word = r[(at - 31) % 32] + r[(at - 3) % 32]; // mod 2^32
  r[at % 32] = word;
  at++;
  return word;
}

} // namespace

void generator_seed(unsigned seed) {
  int32_t word = int32_t(seed == 0 ? 1u : seed);
  r[0] = uint32_t(word);
  for (int i = 1; i < 31; i++) {
    int64_t next = 16807 * int64_t(word) % 2147483647;
    if (next < 0) next += 2147483647;
    word = int32_t(next);
    r[i] = uint32_t(word);
  }
  for (int i = 31; i < 34; i++) r[i % 32] = r[i - 31];
  at = 34;
  while (at < 344) step();
}

int generator_next(void) {
  return int(step() >> 1);
}
