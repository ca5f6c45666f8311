/* The arithmetic of one sweep, written once for any kind of value: a double for the one
 * network of nuv's program-wide state, or a vector of doubles for as many networks, one per
 * lane, each lane doing exactly the double's operations in the same order. */
#ifndef NUV_SWEEP_H
#define NUV_SWEEP_H

#include "network.h"

/* One sweep over the units in row-major order, in place: later units of the same sweep see the
 * new values of earlier ones. Each sum starts at zero and adds in index order; the row and
 * column terms leave the unit out by subtraction; every input also carries the constant
 * a + b. activate(x) is tanh(x), taken per lane. Always inlined, so that each caller compiles
 * it for its own instruction set. */
template <typename V, typename Activate>
__attribute__((always_inline)) static inline void
sweep_units(V state[NCITY][NCITY], const V &a, const V &b, const V &d,
            const double dist[NCITY][NCITY], Activate activate) {
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) {
      V rowsum = V(), colsum = V(), toursum = V();
      for (int k = 0; k < NCITY; k++) rowsum += state[i][k];
      V row = -a * (rowsum - state[i][j]);
      for (int k = 0; k < NCITY; k++) colsum += state[k][j];
      V column = -b * (colsum - state[i][j]);
      int p = prev(j), n = next(j);
      for (int k = 0; k < NCITY; k++) toursum += (state[k][n] + state[k][p]) * dist[i][k];
      V tour = -d * toursum;
      V u = row + column + tour + a + b;
      state[i][j] = (activate(u / U0) + 1.0) * 0.5;
    }
}

#endif
