/* The widest instruction set of this processor among those the sweeps are compiled for: the
 * batch's (batch.cpp) and the one network's general sweeps (network.cpp) call the build of
 * their sweep it names. Each build does the same operations in the same order, so results never
 * depend on the choice. */
#ifndef NUV_INSTRUCTION_SET_H
#define NUV_INSTRUCTION_SET_H

/* x86-64's baseline, x86-64-v3 (AVX2 and FMA, which the sweeps never use to fuse) and x86-64-v4
 * (AVX-512). */
enum InstructionSet { SET_BASELINE, SET_V3, SET_V4 };

/* The widest this processor has (asked once and remembered), at most the cap. */
InstructionSet widest_instruction_set(void);

/* The widest the sweeps may use from now on (SET_V4 at the start: no cap), so that a test can run
 * each build on one processor. */
void cap_instruction_set(InstructionSet widest);

#endif
