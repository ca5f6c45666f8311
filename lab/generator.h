// The pseudo-random generator of this platform's C library (additive feedback over 31 words,
// separation 3), written from its published description, for the browser build, which has no C
// library. Native builds keep the C library's own srand and rand.
#ifndef NUV_LAB_GENERATOR_H
#define NUV_LAB_GENERATOR_H

// Seeds the generator as srand does: seed 0 is taken as 1.
void generator_seed(unsigned seed);

// The next draw, in 0 ... 2147483647, as rand gives it.
int generator_next(void);

#endif
