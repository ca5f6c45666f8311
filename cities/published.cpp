// The published optima, with what recognises their instances. Start at published_optimum.
#include "published.h"

#include "network.h"

const PublishedOptimum PUBLISHED_OPTIMA[] = {
    {"ulysses22", 22, 174486, 7013},
    {"att48", 48, 1172229, 10628},
    {"eil51", 51, 41305, 426},
    {"berlin52", 52, 762783, 7542},
    {"st70", 70, 126195, 675},
    {"eil76", 76, 94609, 538},
    {"pr76", 76, 21542278, 108159},
    {"kroA100", 100, 8467967, 21282},
    {"rd100", 100, 2750525, 7910},
    // The instances above 100 cities.
    {"eil101", 101, 171276, 629},
    {"ch130", 130, 2986941, 6110},
    {"ch150", 150, 4015276, 6528},
    {"kroA200", 200, 33853275, 29368},
    {"tsp225", 225, 4626154, 3916},
    {"a280", 280, 4757810, 2579},
    {"lin318", 318, 93197443, 42029},
    {"pcb442", 442, 170360664, 50778},
    {"rat783", 783, 70175824, 8806},
    {"pr1002", 1002, 3227462780, 259045},
};
const int PUBLISHED_COUNT = int(sizeof PUBLISHED_OPTIMA / sizeof PUBLISHED_OPTIMA[0]);

// The sum of the distances over the pairs of cities, i < k, in index order.
static double pair_sum() {
  double sum = 0.0;
  for (int i = 0; i < network.n; i++)
    for (int k = i + 1; k < network.n; k++) sum += citydistance[i][k];
  return sum;
}

double published_optimum() {
  const double sum = pair_sum();
  double optimum = 0;
  for (int p = 0; p < PUBLISHED_COUNT; p++)
    if (PUBLISHED_OPTIMA[p].n == network.n && PUBLISHED_OPTIMA[p].pair_sum == sum)
      optimum = PUBLISHED_OPTIMA[p].optimum;
  return optimum;
}
