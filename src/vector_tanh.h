/* The activation of a batch's lanes: the C library's tanh, bit for bit, either called lane by
 * lane or computed in the vector itself, lane by lane the library's own algorithm in the
 * library's order (GNU libc 2.36: tanh from expm1 of 2|x|). The library runs one of two builds of
 * expm1, one compiled with fused multiply-adds and one without, whose last bits differ; the
 * vector has a flavour for each. The batch reads activation; which flavour matches the library
 * here is the platform's to find (platform/activation.h). Start at vector_tanh. */
#ifndef NUV_VECTOR_TANH_H
#define NUV_VECTOR_TANH_H

#include "batch.h"

/* How the batch takes tanh: by calling the library per lane (until choose_activation says
 * otherwise), or in the vector as the library's plain or fused build computes it. */
enum Activation { ACTIVATION_LIBRARY, ACTIVATION_PLAIN, ACTIVATION_FUSED };
extern Activation activation;

/* tanh of each lane of *x into *y, in the vector, as the library's fused or plain build of
 * expm1 gives it. Compiled for AVX-512 (x86-64-v4): call it only where the processor has it. */
void vector_tanh(bool fused, const lanes *x, lanes *y);

#endif
