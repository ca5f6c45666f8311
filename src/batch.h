/* Many networks at once: NLANE runs advanced together, one per lane of a vector of doubles.
 * Each lane is set up by initialize and swept by the same arithmetic as update_state, so its
 * states are nuv's, bit for bit. Start a lane, sweep the batch, take each lane back. */
#ifndef NUV_BATCH_H
#define NUV_BATCH_H

#include <stdint.h>

#include "network.h"

enum { NLANE = 16 }; /* lanes: enough independent sums to keep the processor busy */
typedef double lanes __attribute__((vector_size(NLANE * sizeof(double))));

struct Batch {
  lanes state[NCITY][NCITY];
  lanes before[NCITY][NCITY]; /* the state before the last sweep */
  lanes a, b, d;              /* each lane's Acoef, Bcoef, Dcoef */
};

/* Lane l as nuv starts its run: its coefficients, srand(seed), initialize. */
void batch_start(Batch *batch, int l, const double coef[3], uint32_t seed);

/* Lane l idle: all zero, which every sweep keeps finite. */
void batch_idle(Batch *batch, int l);

/* A run's NSWEEP sweeps, on every lane, keeping the state before the last one. */
void batch_sweeps(Batch *batch);

/* Lane l's coefficients and state into the program's model, where it can be measured, and its
 * state before the last sweep into before. */
void batch_take(const Batch *batch, int l, double before[NCITY][NCITY]);

#endif
