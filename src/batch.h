/* Many networks at once: NLANE runs of one member of the family advanced together, one per lane
 * of a vector of doubles, each with its own coefficients and C. Each lane is set up by
 * initialize and swept by the same arithmetic as update_state, so its states are the scalar
 * ones, bit for bit. Start a lane, sweep the batch, take each lane back. */
#ifndef NUV_BATCH_H
#define NUV_BATCH_H

#include <stdint.h>

#include "network.h"

enum { NLANE = 16 }; /* lanes: enough independent sums to keep the processor busy */
typedef double lanes __attribute__((vector_size(NLANE * sizeof(double))));

struct Batch {
  lanes state[MAXCITY][MAXCITY];
  lanes kept[MAXCITY][MAXCITY];    /* the Euler rule's inputs u */
  lanes input[MAXCITY][MAXCITY];   /* a sweep's inputs, for the sync and Euler rules */
  lanes before[MAXCITY][MAXCITY];  /* the state before the last sweep */
  lanes before2[MAXCITY][MAXCITY]; /* and before the one before it */
  lanes a, b, d, c;                /* each lane's Acoef, Bcoef, Dcoef and C */
};

/* Lane l as a run starts: coef[0 ... 3] its Acoef, Bcoef, Dcoef and C, srand(seed), initialize
 * with the family's other settings. */
void batch_start(Batch *batch, int l, const double coef[4], uint32_t seed);

/* Lane l idle: all zero, which every sweep keeps finite. */
void batch_idle(Batch *batch, int l);

/* A run's network.sweeps sweeps, on every lane, keeping the states before the last two. */
void batch_sweeps(Batch *batch);

/* Lane l's coefficients, C and state into the program's model, where it can be measured, and
 * its states before the last sweep and the one before it into before and before2. */
void batch_take(const Batch *batch, int l, double before[][MAXCITY], double before2[][MAXCITY]);

#endif
