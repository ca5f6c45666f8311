/* The program's network's general sweep compiled for x86-64-v4 (AVX-512): see network_sweeps.h.
 */
#include "network_sweeps.h"

void network_sweep_v4(const NetworkLanes<double> &w, double sums[][MAXCITY]) {
  network_sweep(w, sums);
}
