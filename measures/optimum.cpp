// The optimum and every tour's rank. Start at find_optimum, which reads the tables through
// current_tables: up to RANK_CITIES cities they list every distinct tour's length, sorted, from
// which the optimum and the ranks are read; up to EXACT_CITIES Held and Karp's recursion gives
// the optimum; beyond, an optimal tour given (a TSPLIB tour file's), else the best local search
// finds, with a published optimum's length where one is given. The tables carry the digest of
// the cities they were built for and are rebuilt when the cities are not those.
#include "optimum.h"

#include "local_search.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

namespace {

// (RANK_CITIES - 1)! / 2: every distinct tour of ten cities.
enum { MAXTOUR = 181440 };

// Whether length is shorter than `of` by more than the slack (relative to of's magnitude).
bool shorter_by_slack(double length, double of) {
  return length < (of >= 0 ? of * (1 - OPTIMAL_SLACK) : of * (1 + OPTIMAL_SLACK));
}

struct Tables {
  double length[MAXTOUR]; // every distinct tour's length, ascending
  int count;              // how many, or 0 when tours are not ranked
  Optimum optimum;
  uint64_t cities; // the digest of the cities they were built for
  bool built;      // false until built, and again when the tour given changes
} tables;

// 64-bit FNV-1a over the bytes of n, then of citydistance[i][k] in index order: the cities as
// the tours measure them (a change of one bit in one distance changes it). Hashed afresh each
// time; cities_digest keeps it for cities that have not changed.
uint64_t hash_cities() {
  uint64_t hash = 14695981039346656037u;
  auto add = [&hash](const void *bytes, size_t size) {
    unsigned char b[sizeof(double)];
    memcpy(b, bytes, size);
    for (size_t k = 0; k < size; k++) hash = (hash ^ b[k]) * 1099511628211u;
  };
  add(&network.n, sizeof network.n);
  for (int i = 0; i < network.n; i++)
    for (int k = 0; k < network.n; k++) add(&citydistance[i][k], sizeof(double));
  return hash;
}

// The most cities whose distances cities_digest keeps a copy of: above, they are hashed on each
// call (about 10 ms at 1,000 cities, made once a run), where a copy would cost 8 MB.
const int KEPT_MOST = 100;

// The cities as last hashed, bit for bit (up to KEPT_MOST cities), and their digest: a
// comparison with them, 64 bits at a time (far cheaper than the hash's chain of
// multiplications), tells a change of any bit.
struct HashedCities {
  bool known;
  int n;
  double distance[KEPT_MOST][KEPT_MOST];
  uint64_t digest;
} hashed;

// hash_cities() of the current cities, hashed only when they differ from those last hashed.
uint64_t cities_digest() {
  const int n = network.n;
  if (n > KEPT_MOST) return hash_cities();
  bool same = hashed.known && hashed.n == n;
  for (int i = 0; same && i < n; i++)
    for (int k = 0; same && k < n; k++) {
      uint64_t was, is; // the bits, so that -0 differs from 0 and a NaN equals itself
      memcpy(&was, &hashed.distance[i][k], sizeof was), memcpy(&is, &citydistance[i][k], sizeof is);
      same = was == is;
    }
  if (same) return hashed.digest;
  hashed.known = true, hashed.n = n;
  for (int i = 0; i < n; i++)
    memcpy(hashed.distance[i], citydistance[i], size_t(n) * sizeof(double));
  hashed.digest = hash_cities();
  return hashed.digest;
}

// The next order of city[1 .. n-1] in lexicographic order; false after the last.
bool next_order(Tour *t) {
  const int n = network.n;
  int *c = t->city, j = n - 2;
  while (j >= 1 && c[j] >= c[j + 1]) j--;
  if (j < 1) return false;
  int l = n - 1;
  while (c[l] <= c[j]) l--;
  int swap = c[j];
  c[j] = c[l], c[l] = swap;
  for (int a = j + 1, b = n - 1; a < b; a++, b--) swap = c[a], c[a] = c[b], c[b] = swap;
  return true;
}

void sift_down(double *a, int root, int n) {
  for (int child; (child = 2 * root + 1) < n; root = child) {
    if (child + 1 < n && a[child + 1] > a[child]) child++;
    if (a[root] >= a[child]) return;
    double swap = a[root];
    a[root] = a[child], a[child] = swap;
  }
}

// Heapsort: no library, and 181,440 values take a few milliseconds.
void sort_ascending(double *a, int n) {
  for (int root = n / 2 - 1; root >= 0; root--) sift_down(a, root, n);
  for (int end = n - 1; end > 0; end--) {
    double swap = a[0];
    a[0] = a[end], a[end] = swap;
    sift_down(a, 0, end);
  }
}

// The canonical orders from city 1 (second city below the last), in lexicographic order: each
// cycle once.
Tour first_order() {
  Tour t;
  for (int j = 0; j < network.n; j++) t.city[j] = j;
  return t;
}
bool next_canonical(Tour *t) {
  while (next_order(t))
    if (t->city[1] < t->city[network.n - 1]) return true;
  return false;
}

// Every tour's length in enumeration order first, so that the optimum, the first order within
// the slack of the shortest, is found without measuring again; then sorted for the ranks.
void list_every_tour() {
  Tour t = first_order();
  int count = 0;
  do tables.length[count++] = tour_length(t);
  while (next_canonical(&t));
  double shortest = tables.length[0];
  for (int k = 1; k < count; k++)
    if (tables.length[k] < shortest) shortest = tables.length[k];
  int first = 0;
  while (first < count - 1 && !within_slack(tables.length[first], shortest)) first++;
  t = first_order();
  for (int k = 0; k < first; k++) next_canonical(&t);
  tables.optimum = {t, shortest, true};
  sort_ascending(tables.length, count);
  tables.count = count;
}

// Held and Karp: path[set][i - 1] is the shortest path from city 1 through the cities of set
// (bit i - 1 for city i) ending at city i. 2^16 x 16 doubles for seventeen cities.
double path[1 << (EXACT_CITIES - 1)][EXACT_CITIES - 1];

// The optimal tour by the recursion, read back from its last city: i is the path's last city
// and k the city before it, over which the minimum is taken.
void held_karp() {
  const int n = network.n, m = n - 1;
  const unsigned full = (1u << m) - 1;
  for (unsigned set = 1; set <= full; set++)
    for (int i = 1; i <= m; i++) {
      const unsigned bit = 1u << (i - 1);
      if (!(set & bit)) continue;
      if (set == bit) {
        path[set][i - 1] = citydistance[0][i];
        continue;
      }
      double best = INFINITY;
      for (int k = 1; k <= m; k++)
        if (k != i && (set & (1u << (k - 1))))
          best = fmin(best, path[set & ~bit][k - 1] + citydistance[k][i]);
      path[set][i - 1] = best;
    }
  int last = 1;
  for (int k = 2; k <= m; k++)
    if (path[full][k - 1] + citydistance[k][0] < path[full][last - 1] + citydistance[last][0])
      last = k;
  // Back from the end: the city before i is the last whose path gives i's shortest, which is i's
  // own (fmin's), so that no equality is needed: a NaN leaves some city, never none.
  Tour t;
  t.city[0] = 0;
  unsigned set = full;
  for (int j = n - 1, i = last; j >= 1; j--) {
    t.city[j] = i;
    const unsigned rest = set & ~(1u << (i - 1));
    int previous = 0;
    double shortest = INFINITY;
    for (int k = 1; k <= m && rest; k++) {
      if (!(rest & (1u << (k - 1)))) continue;
      const double through = path[rest][k - 1] + citydistance[k][i];
      if (previous == 0 || through <= shortest) previous = k, shortest = through;
    }
    set = rest, i = previous;
  }
  const Tour c = canonical_tour(t);
  tables.optimum = {c, tour_length(c), true};
}

// The cities shuffled (each position from the last down swapped with one at or before it) by a
// linear congruential generator of its own, whose state *random carries on from tour to tour.
Tour shuffled_tour(uint32_t *random) {
  Tour t = first_order();
  for (int j = network.n - 1; j > 0; j--) {
    *random = *random * 1103515245u + 12345u;
    const int l = int((*random >> 8) % uint32_t(j + 1));
    const int swap = t.city[j];
    t.city[j] = t.city[l], t.city[l] = swap;
  }
  return t;
}

// The best tour local search finds from the nearest-neighbour tours out of five cities and
// from five shuffled orders (a fixed generator of its own, so the same on every machine).
void best_known() {
  uint32_t random = 12345;
  Tour best = first_order();
  double best_length = INFINITY;
  for (int start = 0; start < 10; start++) {
    Tour t = start < 5 ? nearest_neighbour_tour(start * network.n / 5) : shuffled_tour(&random);
    local_search(&t, true);
    const Tour c = canonical_tour(t);
    const double length = tour_length(c);
    if (length < best_length) best = c, best_length = length;
  }
  tables.optimum = {best, best_length, false};
}

// The optimal tour given, with the digest of the cities it was given for.
struct Given {
  bool known;
  uint64_t cities;
  Tour tour;
} given;

// The published optimum given, with the digest of the cities it was given for.
struct Published {
  bool known;
  uint64_t cities;
  double length;
} published;

// The tables for the optimum of the cities as they are now.
void build_tables(uint64_t cities) {
  tables.count = 0;
  if (network.n <= RANK_CITIES) {
    list_every_tour();
  } else if (network.n <= EXACT_CITIES) {
    held_karp();
  } else if (given.known && given.cities == cities) {
    const Tour c = canonical_tour(given.tour);
    tables.optimum = {c, tour_length(c), true};
  } else {
    best_known();
    if (published.known && published.cities == cities)
      tables.optimum.length = published.length, tables.optimum.exact = true;
  }
  tables.cities = cities;
  tables.built = true;
}

// The tables, rebuilt first when the cities (their distances as set up: the model's set-up
// writes them, this only reads) are not those they were built for or the tour given changed.
const Tables &current_tables() {
  const uint64_t cities = cities_digest();
  if (!tables.built || tables.cities != cities) build_tables(cities);
  return tables;
}

} // namespace

bool give_optimal_tour(const Tour &tour) {
  given.known = false;
  tables.built = false;
  bool seen[MAXCITY] = {};
  for (int j = 0; j < network.n; j++) {
    if (tour.city[j] < 0 || tour.city[j] >= network.n || seen[tour.city[j]]) return false;
    seen[tour.city[j]] = true;
  }
  given.known = true, given.cities = cities_digest(), given.tour = tour;
  return true;
}

void give_published_optimum(double length) {
  published.known = length > 0, published.cities = cities_digest(), published.length = length;
  tables.built = false;
}

void forget_optimal_tour() {
  given.known = false;
  tables.built = false;
}

int tour_count() {
  return current_tables().count;
}

Optimum find_optimum() {
  return current_tables().optimum;
}

const char *optimum_kind(const Optimum &optimum) {
  return optimum.exact ? "optimal" : "best known";
}

const char *optimum_tour_kind(const Optimum &optimum) {
  const bool optimal = within_slack(tour_length(optimum.tour), optimum.length);
  return optimum.exact && optimal ? "optimal" : "best known";
}

int tour_rank(double length) {
  const Tables &t = current_tables();
  if (t.count == 0) return 0;
  int lo = 0, hi = t.count; // the first length not shorter than length by the slack
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (shorter_by_slack(t.length[mid], length))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo + 1;
}
