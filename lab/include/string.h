/* The memory functions of lab/libc.cpp, for the WebAssembly build, which has no C library. */
#ifndef NUV_LAB_STRING_H
#define NUV_LAB_STRING_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

void *memcpy(void *to, const void *from, size_t n);
void *memmove(void *to, const void *from, size_t n);
void *memset(void *to, int c, size_t n);

#ifdef __cplusplus
}
#endif
#endif
