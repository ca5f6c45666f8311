// The classic heuristics: the draws that start them, their tours by the shared local search, and
// a run's measures. Start at heuristic_run.
#include "heuristics.h"

#include <stdlib.h>

#include "local_search.h"

// The draws of every member of the family: rand() mapped onto 0 ... 1.
static double draw() {
  return rand() / 2147483647.0;
}

int start_city(double r, int n) {
  return r == 1.0 ? n - 1 : (int)(r * n);
}

Tour shuffled_order(int n) {
  Tour t;
  for (int j = 0; j < n; j++) t.city[j] = j;
  for (int i = n - 1; i >= 1; i--) {
    const double r = draw();
    const int j = r == 1.0 ? i : (int)(r * (i + 1));
    const int swap = t.city[i];
    t.city[i] = t.city[j], t.city[j] = swap;
  }
  return t;
}

Tour heuristic_tour(Method method, int n) {
  if (method == METHOD_NEAREST) return nearest_neighbour_tour(start_city(draw(), n));
  Tour t = shuffled_order(n);
  local_search(&t, method == METHOD_OROPT);
  return t;
}

RunResult heuristic_run(const Network &net, unsigned seed) {
  double(*const state)[MAXCITY] = unitout; /* as a network's run ends in it */
  srand(seed);
  const Tour t = heuristic_tour(net.method, net.n);
  for (int i = 0; i < net.n; i++)
    for (int j = 0; j < net.n; j++) state[i][j] = 0.0;
  for (int j = 0; j < net.n; j++) state[t.city[j]][j] = 1.0;
  return measure_end(net, state, state, state);
}
