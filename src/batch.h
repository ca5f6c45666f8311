/* Many networks at once: NLANE runs advanced together, one per lane of a vector of doubles, each
 * lane started from a Network record of its own. The lanes share every setting but the
 * coefficients and C, and the distances the model is set up for; each lane starts as start_run
 * starts its record and is swept by the same arithmetic as update_state, so its states are the
 * scalar ones, bit for bit. Start a lane, sweep the batch, take each lane's states back. */
#ifndef NUV_BATCH_H
#define NUV_BATCH_H

#include <stdint.h>

#include "generator.h"
#include "network.h"

enum { NLANE = 16 }; /* lanes: enough independent sums to keep the processor busy */
/* The most cities of a batch: its lane arrays are BATCH_MAXCITY x BATCH_MAXCITY vectors of
 * NLANE doubles (1.28 MB each). A larger network runs alone in the model (update_state). */
enum { BATCH_MAXCITY = 100 };
typedef double lanes __attribute__((vector_size(NLANE * sizeof(double))));

struct Batch {
  Network network; /* the settings the lanes share: the last record started */
  lanes state[BATCH_MAXCITY][BATCH_MAXCITY];
  lanes unitin[BATCH_MAXCITY][BATCH_MAXCITY]; /* the inputs: u (Euler), y (tcnn) */
  lanes sums[BATCH_MAXCITY]
            [BATCH_MAXCITY]; /* a sweep's sums of inputs, for the sync and Euler rules */
  lanes before[BATCH_MAXCITY][BATCH_MAXCITY];  /* the state one sweep before the end */
  lanes before2[BATCH_MAXCITY][BATCH_MAXCITY]; /* and two sweeps before */
  lanes a, b, d, c;                            /* each lane's Acoef, Bcoef, Dcoef and C */
  lanes t; /* each lane's start temperature under a normalised rule (start_temperature) */
  Generator draws[NLANE]; /* each lane's generator: rand's after srand(its seed) and the start */
};

/* Lane l as a run of net starts: its coefficients and C, srand(seed), the random start drawn
 * as start_run draws it, and the lane's generator seeded with seed and past the start's draws,
 * so that the noise it draws is what rand draws next in the run. net.n must be at most
 * BATCH_MAXCITY: a larger network would not fit the lanes, and the program aborts. net's other
 * settings are the batch's; the model must be set up for its cities and distances (set_up). Writes
 * no setting of the model. */
void batch_start(Batch *batch, int l, Network net, uint32_t seed);

/* Lane l idle: all zero over the batch's n x n units (a lane started first gives n), which
 * every sweep keeps finite, its generator seeded with 1. */
void batch_idle(Batch *batch, int l);

/* A run's sweeps on every lane, keeping the states one and two sweeps before the end. */
void batch_sweeps(Batch *batch);

/* Lane l's final state, and its states one and two sweeps before the end, into state, before
 * and before2: to be measured with the lane's record. */
void batch_take(const Batch *batch, int l, double state[][MAXCITY], double before[][MAXCITY],
                double before2[][MAXCITY]);

#endif
