/* Choosing the batch's activation. Start at choose_activation: the library build is checked by
 * its version and build id, then each vector flavour against the library on arguments where
 * the two builds of expm1 differ; the first that matches on all is taken. */
#include "activation.h"

#include <gnu/libc-version.h>
#include <link.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "vector_tanh.h"

namespace {

/* The library builds the vector flavours have been tested against: Debian 12's GNU libc 2.36
 * for x86-64, by the GNU build id of its libm. */
const char *const COVERED[] = {"d6e6f9e3af1243eed9bf5efd366dd015a9f22c13"};

char build_id[64];

/* Finds libm among the loaded objects and reads its NT_GNU_BUILD_ID note. */
int read_build_id(struct dl_phdr_info *info, size_t, void *) {
  if (!strstr(info->dlpi_name, "/libm.so")) return 0;
  for (int h = 0; h < info->dlpi_phnum; h++) {
    const ElfW(Phdr) &ph = info->dlpi_phdr[h];
    if (ph.p_type != PT_NOTE) continue;
    const char *at = (const char *)(info->dlpi_addr + ph.p_vaddr), *end = at + ph.p_memsz;
    while (at + sizeof(ElfW(Nhdr)) <= end) {
      const ElfW(Nhdr) *note = (const ElfW(Nhdr) *)at;
      const char *name = at + sizeof *note, *desc = name + ((note->n_namesz + 3) & ~3u);
      if (note->n_type == NT_GNU_BUILD_ID && note->n_namesz == 4 && !memcmp(name, "GNU", 4) &&
          note->n_descsz <= 32) {
        for (unsigned k = 0; k < note->n_descsz; k++)
          snprintf(build_id + 2 * k, 3, "%02x", (unsigned char)desc[k]);
        return 1;
      }
      at = desc + ((note->n_descsz + 3) & ~3u);
    }
  }
  return 0;
}

/* Arguments where the plain and fused builds of expm1 give tanh different bits, found by
 * comparing the two flavours here, with the edges of every branch. */
const double CHECKED[] = {
    // The two builds differ here (found by comparing the flavours with each other).
    0x1.e354aa9f83dp-4, 0x1.4fb6cbd83a7p-3, -0x1.0879622f0896p-1, 0x1.39c2b8a677fp-3,
    -0x1.f52e99a3818cp-2, -0x1.50b1d811f2dcp-3, 0x1.df6b8865f154p-2, 0x1.48357384cbe8p-3,
    0x1.1dae0cf89d28p-3, -0x1.37e8f7e12998p-3, -0x1.371366506eacp-3, 0x1.cc9d1d3d1508p-3,
    0x1.613cdbc0236p-3, 0x1.c901f8a124dep-1, 0x1.c9f779908ba8p-3, 0x1.3ba93354d28p-3,
    // The edges of every branch, and ordinary values.
    0.0, -0.0, 1e-300, 0x1p-55, 0x1.fffffffffffffp-56, 0.17, 0.17328679513998632, 0.3, 0.5,
    0.51986038541995, 0.52, 0.99, 0x1.fffffffffffffp-1, 1.0, 1.5, 2.0, 3.7, 9.9, 10.0, 19.4, 19.5,
    21.99, 22.0, 30.0, 1e300, -1.0, -0.5, -3.3, -21.5};

/* Whether the flavour gives the library's bits for every argument of the check, and for the
 * arguments where the flavours differ from each other. */
bool matches(Activation flavour) {
  lanes x = {}, got;
  int n = 0;
  auto check = [&](void) {
    vector_tanh(flavour == ACTIVATION_FUSED, &x, &got);
    for (int l = 0; l < n; l++) {
      const double want = tanh(x[l]), have = got[l];
      if (memcmp(&want, &have, sizeof want) != 0) return false;
    }
    n = 0;
    return true;
  };
  for (double v : CHECKED) {
    x[n++] = v;
    if (n == NLANE && !check()) return false;
  }
  // Where the two flavours part: a walk over arguments real runs give, kept short.
  double v = -20.0;
  for (int step = 0; step < 4000; step++, v += 0.0100390625) {
    x[n++] = v;
    if (n == NLANE && !check()) return false;
  }
  return check();
}

} // namespace

void choose_activation(void) {
  activation = ACTIVATION_LIBRARY;
  const char *asked = getenv("NUV_TANH"); // "library": always the library's, lane by lane
  if (asked && !strcmp(asked, "library")) return;
  dl_iterate_phdr(read_build_id, nullptr);
  bool covered = false;
  for (const char *id : COVERED) covered = covered || !strcmp(id, build_id);
  if (!covered || strcmp(gnu_get_libc_version(), "2.36") != 0) return;
  // Only AVX-512 holds eight doubles a register: with less the vector is slower than the library.
  if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512dq")) return;
  // The arguments include some where the flavours differ, so at most one can match.
  if (matches(ACTIVATION_FUSED))
    activation = ACTIVATION_FUSED;
  else if (matches(ACTIVATION_PLAIN))
    activation = ACTIVATION_PLAIN;
}

const char *activation_text(void) {
  switch (activation) {
  case ACTIVATION_FUSED:
    return "tanh in vectors, as the C library's fused build computes it";
  case ACTIVATION_PLAIN:
    return "tanh in vectors, as the C library's plain build computes it";
  case ACTIVATION_LIBRARY:
    break;
  }
  return "the C library's tanh, lane by lane";
}

const char *library_build_id(void) {
  if (!*build_id) dl_iterate_phdr(read_build_id, nullptr);
  return build_id;
}
