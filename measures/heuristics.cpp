// The classic heuristics: for now the tour 1, 2, ..., N, measured (a placeholder for the
// methods' work). Start at heuristic_run.
#include "heuristics.h"

RunResult heuristic_run(const Network &net, unsigned seed) {
  (void)seed;
  static double state[MAXCITY][MAXCITY];
  for (int i = 0; i < net.n; i++)
    for (int j = 0; j < net.n; j++) state[i][j] = i == j ? 1.0 : 0.0;
  return measure_end(net, state, state, state);
}
