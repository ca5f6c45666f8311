// Random cities into the model: start at random_cities.
#include "random.h"

#include "generator.h"
#include "network.h"

void random_cities(int n, unsigned seed) {
  generator_seed(seed);
  network.n = n;
  network.distances_given = false;
  cityxy_known = true;
  for (int i = 0; i < n; i++) {
    cityxy[i][0] = generator_next() / 2147483647.0;
    cityxy[i][1] = generator_next() / 2147483647.0;
  }
  build_distances(network);
}
