// The published optima, with what recognises their instances. Start at published_optimum.
#include "published.h"

#include "network.h"

const PublishedOptimum PUBLISHED_OPTIMA[] = {
    {"ulysses22", 22, 174486, 7013}, {"att48", 48, 1172229, 10628},
    {"eil51", 51, 41305, 426},       {"berlin52", 52, 762783, 7542},
    {"st70", 70, 126195, 675},       {"eil76", 76, 94609, 538},
    {"pr76", 76, 21542278, 108159},  {"kroA100", 100, 8467967, 21282},
    {"rd100", 100, 2750525, 7910},
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
