/* The tables of the C library's exp and log (GNU libc 2.36) that library_math.cpp reads, in
 * library_tables.cpp, which scripts/library_tables.py writes from their derivation. */
#ifndef NUV_LIBRARY_TABLES_H
#define NUV_LIBRARY_TABLES_H

#include <stdint.h>

/* exp: 2^(k/128) = H (1 + T) for k = 0 ... 127; entry 2k is T's bits, entry 2k + 1 H's bits
 * less k << 45, to which the exponent's bits are added. */
extern const uint64_t EXP_TABLE[256];

/* log: x's significand z in [0x1.6p-1, 0x1.6p0) falls in one of 128 subintervals, with c near
 * its centre: {1/c, log(c)}, and {chi, clo} with chi + clo = c, for the plain build's z - c. */
extern const double LOG_TABLE[128][2];
extern const double LOG_CENTRES[128][2];

#endif
