// Random cities from the project's own generator, the same on every machine and in the page:
// plain C++ with nothing allocated, so it builds for WebAssembly too.
#ifndef NUV_CITIES_RANDOM_H
#define NUV_CITIES_RANDOM_H

// n cities (MINCITY ... MAXCITY) uniform in the unit square into the model, x then y for each,
// each draw over 2147483647, from the generator seeded with seed, and their distances built.
void random_cities(int n, unsigned seed);

#endif
