/* The generator, for the WebAssembly build: the project's own srand and rand (libc.cpp). */
#ifndef NUV_LAB_STDLIB_H
#define NUV_LAB_STDLIB_H

#ifdef __cplusplus
extern "C" {
#endif

void srand(unsigned seed);
int rand(void);

#ifdef __cplusplus
}
#endif
#endif
