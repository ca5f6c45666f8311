// The additive generator: 31 words seeded by a multiplicative congruence, each later word the
// sum of the words 31 and 3 places back, the first 310 sums discarded. No library at all.
#include "generator.h"

void generator_seed_in(Generator *gen, unsigned seed) {
  int32_t word = int32_t(seed == 0 ? 1u : seed);
  gen->words[0] = uint32_t(word);
  for (int i = 1; i < 31; i++) {
    int64_t next = 16807 * int64_t(word) % 2147483647;
    if (next < 0) next += 2147483647;
    word = int32_t(next);
    gen->words[i] = uint32_t(word);
  }
  for (int i = 31; i < 34; i++) gen->words[i % 32] = gen->words[i - 31];
  gen->at = 34;
  while (gen->at < 344) generator_next_in(gen);
}

namespace {

Generator global; // the program-wide generator

} // namespace

void generator_seed(unsigned seed) {
  generator_seed_in(&global, seed);
}

int generator_next(void) {
  return generator_next_in(&global);
}
