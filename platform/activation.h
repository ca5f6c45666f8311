/* The platform's choice of the batch's activation (src/vector_tanh.h): the C library's build
 * (its GNU build id and version), the environment's NUV_TANH, the processor, and a check of each
 * vector flavour against the library here. Used by the survey, the benchmark and the tests; nuv
 * keeps the library's tanh. Start at choose_activation. */
#ifndef NUV_PLATFORM_ACTIVATION_H
#define NUV_PLATFORM_ACTIVATION_H

/* Chooses once, before any worker starts: the vector flavour that gives the library's very bits
 * on a fixed set of arguments (those where the two builds differ among them), and only for the
 * library build the tests have covered; else the library itself. NUV_TANH=library keeps the
 * library. */
void choose_activation(void);

/* What activation is, in a few words, for --version. */
const char *activation_text(void);

/* The library build, as its GNU build id in hex, or "" when it cannot be read. */
const char *library_build_id(void);

#endif
