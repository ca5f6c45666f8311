// The pseudo-random generator of this platform's C library (additive feedback over 31 words,
// separation 3), written from its published description. Random cities draw from it natively
// and in the page; the page, which has no C library, also takes its srand and rand from it
// (lab/libc.cpp), so that the model's draws there are the C library's. nuv keeps the C
// library's own. A Generator is one stream of it: the batch gives each lane its own, so that a
// lane draws what rand draws after srand(its seed). Start at generator_seed_in.
#ifndef NUV_GENERATOR_H
#define NUV_GENERATOR_H

#include <stdint.h>

// One generator's state: the last 32 words, word k at words[k % 32], and the next word's index.
struct Generator {
  uint32_t words[32];
  unsigned at;
};

// gen seeded as srand seeds the C library's: seed 0 is taken as 1.
void generator_seed_in(Generator *gen, unsigned seed);

// gen's next draw, in 0 ... 2147483647, as rand gives it: the sum (mod 2^32) of the words 31
// and 3 places back, kept as the next word, halved. Inline: the batch draws one per unit.
static inline int generator_next_in(Generator *gen) {
  const unsigned at = gen->at;
  const uint32_t word = gen->words[(at - 31) % 32] + gen->words[(at - 3) % 32];
  gen->words[at % 32] = word;
  gen->at = at + 1;
  return int(word >> 1);
}

// The one program-wide generator, seeded and drawn as above: the page's srand and rand.
void generator_seed(unsigned seed);
int generator_next(void);

#endif
