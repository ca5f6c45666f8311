/* The program's network's general sweep compiled for the baseline x86-64: see network_sweeps.h.
 */
#include "network_sweeps.h"

void network_sweep_baseline(const NetworkLanes<double> &w, double sums[][MAXCITY]) {
  network_sweep(w, sums);
}
