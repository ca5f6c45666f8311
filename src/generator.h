// The pseudo-random generator of this platform's C library (additive feedback over 31 words,
// separation 3), written from its published description. Random cities draw from it natively
// and in the page; the page, which has no C library, also takes its srand and rand from it
// (lab/libc.cpp), so that the model's draws there are the C library's. nuv keeps the C
// library's own.
#ifndef NUV_GENERATOR_H
#define NUV_GENERATOR_H

// Seeds the generator as srand does: seed 0 is taken as 1.
void generator_seed(unsigned seed);

// The next draw, in 0 ... 2147483647, as rand gives it.
int generator_next(void);

#endif
