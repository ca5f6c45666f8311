/* The activation of a batch's lanes: the C library's tanh, bit for bit, either called lane by
 * lane or computed in the vector itself, lane by lane the library's own algorithm in the
 * library's order (GNU libc 2.36: tanh from expm1 of 2|x|). The library runs one of two builds of
 * expm1, one compiled with fused multiply-adds and one without, whose last bits differ; the
 * vector has a flavour for each, and choose_activation finds the one that matches the library
 * here, or falls back to calling it. Start at choose_activation. */
#ifndef NUV_ACTIVATION_H
#define NUV_ACTIVATION_H

#include "batch.h"

/* How the batch takes tanh: by calling the library per lane, or in the vector as the library's
 * plain or fused build computes it. */
enum Activation { ACTIVATION_LIBRARY, ACTIVATION_PLAIN, ACTIVATION_FUSED };
extern Activation activation;

/* Chooses once, before any worker starts: the vector flavour that gives the library's very bits
 * on a fixed set of arguments (those where the two builds differ among them), and only for the
 * library build the tests have covered; else the library itself. */
void choose_activation(void);

/* What activation is, in a few words, for --version. */
const char *activation_text(void);

/* The library build, as its GNU build id in hex, or "" when it cannot be read. */
const char *library_build_id(void);

/* tanh of each lane of *x into *y, in the vector, as the library's fused or plain build of
 * expm1 gives it. Compiled for AVX-512 (x86-64-v4): call it only where the processor has it. */
void vector_tanh(bool fused, const lanes *x, lanes *y);

#endif
