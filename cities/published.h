// TSPLIB's published optima of the shipped instances beyond EXACT_CITIES (data/tsplib/README.md
// lists them), recognised by their distances whatever their file is called: the optimum that a
// survey's ratios are to when no optimal tour is given. Plain C++ with nothing allocated, so that
// the page's module builds it too. Start at published_optimum.
#ifndef NUV_CITIES_PUBLISHED_H
#define NUV_CITIES_PUBLISHED_H

// One instance: its name in data/tsplib/, its N, the sum of its distances over the pairs of
// cities (TSPLIB's distances are whole numbers, so the sum is exact) and its published optimum.
struct PublishedOptimum {
  const char *name;
  int n;
  double pair_sum;
  double optimum;
};
extern const PublishedOptimum PUBLISHED_OPTIMA[];
extern const int PUBLISHED_COUNT;

// The published optimum of the model's cities (network.n and citydistance) when they are one of
// the table's instances, else 0.
double published_optimum();

#endif
