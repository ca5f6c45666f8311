/* The processor's widest instruction set among the sweeps' builds: see instruction_set.h. Read
 * from cpuid and from what the system saves of the vector registers (xgetbv), not by the
 * compiler's __builtin_cpu_supports, whose start-up code would run in nuv too. */
#include "instruction_set.h"

#include <cpuid.h>

static InstructionSet cap = SET_V4;

void cap_instruction_set(InstructionSet widest) {
  cap = widest;
}

/* Bit b of x. */
static bool bit(unsigned x, int b) {
  return (x >> b) & 1u;
}

/* What the processor and the system give: x86-64-v3 is AVX, AVX2, BMI1, BMI2, F16C, FMA, LZCNT
 * and MOVBE with the system saving the 256-bit registers; v4 adds AVX-512 F, BW, CD, DQ and VL
 * with the system saving the 512-bit registers and the masks. */
static InstructionSet processor_set(void) {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d) || !bit(c, 27)) return SET_BASELINE; /* no OSXSAVE */
  const bool avx = bit(c, 28), fma = bit(c, 12), movbe = bit(c, 22), f16c = bit(c, 29);
  unsigned saved, high;
  __asm__("xgetbv" : "=a"(saved), "=d"(high) : "c"(0));
  const bool ymm = (saved & 0x6u) == 0x6u, zmm = (saved & 0xe6u) == 0xe6u;
  if (!__get_cpuid_count(7, 0, &a, &b, &c, &d)) return SET_BASELINE;
  const bool avx2 = bit(b, 5), bmi1 = bit(b, 3), bmi2 = bit(b, 8);
  const bool avx512 = bit(b, 16) && bit(b, 17) && bit(b, 28) && bit(b, 30) && bit(b, 31);
  unsigned ea, eb, ec, ed;
  const bool lzcnt = __get_cpuid(0x80000001u, &ea, &eb, &ec, &ed) && bit(ec, 5);
  const bool v3 = avx && avx2 && bmi1 && bmi2 && f16c && fma && lzcnt && movbe && ymm;
  return v3 && avx512 && zmm ? SET_V4 : v3 ? SET_V3 : SET_BASELINE;
}

InstructionSet widest_instruction_set(void) {
  static int known = -1; /* the processor's answer, once asked */
  if (known < 0) known = processor_set();
  return known < cap ? InstructionSet(known) : cap;
}
