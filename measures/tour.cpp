// Tours: decoding a network state, tour lengths, the canonical cycle, and the optimum with every
// tour's rank. Start at prepare_tours: up to RANK_CITIES cities it lists every distinct tour's
// length, sorted, from which the optimum and the ranks are read; up to EXACT_CITIES Held and
// Karp's recursion gives the optimum; beyond, an optimal tour given (a TSPLIB tour file's), else
// the best local search finds, with a published optimum's length where one is known.
#include "tour.h"

#include <math.h>
#include <stdint.h>

bool decode_tour(const double state[][MAXCITY], Tour *tour) {
  if (outcome_of(state) != OUTCOME_TOUR) return false;
  for (int i = 0; i < family.n; i++)
    for (int j = 0; j < family.n; j++)
      if (state[i][j] > ON_ABOVE) tour->city[j] = i;
  return true;
}

double tour_length(const Tour &tour) {
  double length = 0.0;
  for (int j = 0; j < family.n; j++) length += citydistance[tour.city[j]][tour.city[next(j)]];
  return length;
}

bool whole_lengths() {
  for (int i = 0; i < family.n; i++)
    for (int k = 0; k < family.n; k++)
      if (!(citydistance[i][k] == floor(citydistance[i][k]) && fabs(citydistance[i][k]) < 1e9))
        return false;
  return true;
}

int length_decimals() {
  return whole_lengths() ? 0 : 6;
}

Tour canonical_tour(const Tour &tour) {
  int start = 0;
  while (tour.city[start] != 0) start++;
  bool forward = tour.city[next(start)] < tour.city[prev(start)];
  Tour c;
  for (int j = 0, at = start; j < family.n; j++, at = forward ? next(at) : prev(at))
    c.city[j] = tour.city[at];
  return c;
}

TourText tour_text(const Tour &tour) {
  TourText t;
  char *at = t.s;
  for (int j = 0; j < family.n; j++) {
    if (j > 0) *at++ = '-';
    int city = tour.city[j] + 1;
    if (city >= 100) *at++ = char('0' + city / 100);
    if (city >= 10) *at++ = char('0' + city / 10 % 10);
    *at++ = char('0' + city % 10);
  }
  *at = '\0';
  return t;
}

bool within_slack(double length, double of) {
  return length <= (of >= 0 ? of * (1 + OPTIMAL_SLACK) : of * (1 - OPTIMAL_SLACK));
}

namespace {

// (RANK_CITIES - 1)! / 2: every distinct tour of ten cities.
enum { MAXTOUR = 181440 };

// Whether length is shorter than `of` by more than the slack (relative to of's magnitude).
bool shorter_by_slack(double length, double of) {
  return length < (of >= 0 ? of * (1 - OPTIMAL_SLACK) : of * (1 + OPTIMAL_SLACK));
}

// The most rounds of local search from one start: far more than any instance needs (100 random
// cities need at most 28, eil51 12), a bound on what rounding could make of odd distances.
enum { MAX_ROUNDS = 1000 };

struct Tables {
  double length[MAXTOUR]; // every distinct tour's length, ascending
  int count;              // how many, or 0 when tours are not ranked
  Optimum optimum;
  bool built;
} tables;

// The next order of city[1 .. n-1] in lexicographic order; false after the last.
bool next_order(Tour *t) {
  const int n = family.n;
  int *c = t->city, k = n - 2;
  while (k >= 1 && c[k] >= c[k + 1]) k--;
  if (k < 1) return false;
  int l = n - 1;
  while (c[l] <= c[k]) l--;
  int swap = c[k];
  c[k] = c[l], c[l] = swap;
  for (int a = k + 1, b = n - 1; a < b; a++, b--) swap = c[a], c[a] = c[b], c[b] = swap;
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
  for (int j = 0; j < family.n; j++) t.city[j] = j;
  return t;
}
bool next_canonical(Tour *t) {
  while (next_order(t))
    if (t->city[1] < t->city[family.n - 1]) return true;
  return false;
}

// Every tour's length in enumeration order first, so that the optimum, the first order within
// the slack of the shortest, is found without measuring again; then sorted for the ranks.
void list_every_tour() {
  Tour t = first_order();
  int n = 0;
  do tables.length[n++] = tour_length(t);
  while (next_canonical(&t));
  double shortest = tables.length[0];
  for (int k = 1; k < n; k++)
    if (tables.length[k] < shortest) shortest = tables.length[k];
  int first = 0;
  while (first < n - 1 && !within_slack(tables.length[first], shortest)) first++;
  t = first_order();
  for (int k = 0; k < first; k++) next_canonical(&t);
  tables.optimum = {t, shortest, true};
  sort_ascending(tables.length, n);
  tables.count = n;
}

// Held and Karp: path[set][k] is the shortest path from city 1 through the cities of set
// (bit k - 1 for city k) ending at city k. 2^16 x 16 doubles for seventeen cities.
double path[1 << (EXACT_CITIES - 1)][EXACT_CITIES - 1];

void held_karp() {
  const int n = family.n, m = n - 1;
  const unsigned full = (1u << m) - 1;
  for (unsigned set = 1; set <= full; set++)
    for (int k = 1; k <= m; k++) {
      const unsigned bit = 1u << (k - 1);
      if (!(set & bit)) continue;
      if (set == bit) {
        path[set][k - 1] = citydistance[0][k];
        continue;
      }
      double best = INFINITY;
      for (int j = 1; j <= m; j++)
        if (j != k && (set & (1u << (j - 1))))
          best = fmin(best, path[set & ~bit][j - 1] + citydistance[j][k]);
      path[set][k - 1] = best;
    }
  int last = 1;
  for (int k = 2; k <= m; k++)
    if (path[full][k - 1] + citydistance[k][0] < path[full][last - 1] + citydistance[last][0])
      last = k;
  // Back from the end: the city before k is the last whose path gives k's shortest, which is k's
  // own (fmin's), so that no equality is needed: a NaN leaves some city, never none.
  Tour t;
  t.city[0] = 0;
  unsigned set = full;
  for (int at = n - 1, k = last; at >= 1; at--) {
    t.city[at] = k;
    const unsigned rest = set & ~(1u << (k - 1));
    int before = 0;
    double shortest = INFINITY;
    for (int j = 1; j <= m && rest; j++) {
      if (!(rest & (1u << (j - 1)))) continue;
      const double through = path[rest][j - 1] + citydistance[j][k];
      if (before == 0 || through <= shortest) before = j, shortest = through;
    }
    set = rest, k = before;
  }
  const Tour c = canonical_tour(t);
  tables.optimum = {c, tour_length(c), true};
}

// The tour's length as its canonical cycle gives it: the same sum for every rotation and
// reflection of one cycle.
double cycle_length(const Tour &t) {
  return tour_length(canonical_tour(t));
}

// 2-opt and Or-opt until neither shortens the tour: reverse a stretch, or move a stretch of one
// to three cities elsewhere, either way round. A move must gain more than a slack relative to the
// length's magnitude, and each round must shorten the cycle's length as summed: no cycle comes
// back, so the search ends whatever the signs (a round that does not is undone, and ends it).
// At most MAX_ROUNDS rounds besides.
void local_search(Tour *t) {
  const int n = family.n;
  int *c = t->city;
  auto d = [](int a, int b) { return citydistance[a][b]; };
  const double tiny = 1e-12 * (1 + fabs(tour_length(*t)));
  double length = cycle_length(*t);
  for (int round = 0; round < MAX_ROUNDS; round++) {
    const Tour before_round = *t;
    bool better = false;
    for (int i = 0; i < n - 1; i++)
      for (int j = i + 2; j < n; j++) {
        if (i == 0 && j == n - 1) continue;
        const int a = c[i], b = c[i + 1], e = c[j], f = c[(j + 1) % n];
        if (d(a, e) + d(b, f) < d(a, b) + d(e, f) - tiny) {
          for (int x = i + 1, y = j; x < y; x++, y--) {
            int swap = c[x];
            c[x] = c[y], c[y] = swap;
          }
          better = true;
        }
      }
    for (int len = 1; len <= 3 && !better; len++)
      for (int s = 0; s + len < n && !better; s++) {
        // The stretch c[s .. s + len - 1], between c[s - 1] and c[s + len] (cyclically).
        const int before = c[(s + n - 1) % n], first = c[s], last = c[s + len - 1],
                  after = c[(s + len) % n];
        const double removed = d(before, first) + d(last, after) - d(before, after);
        int rest[MAXCITY], stretch[3], r = 0;
        for (int k = 0; k < n; k++)
          if (k < s || k >= s + len) rest[r++] = c[k];
        for (int k = 0; k < len; k++) stretch[k] = c[s + k];
        for (int g = 0; g < r && !better; g++) {
          const int p = rest[g], q = rest[(g + 1) % r];
          if (p == before && q == after) continue;
          for (int turn = 0; turn < 2 && !better; turn++) {
            const int head = turn ? last : first, tail = turn ? first : last;
            if (d(p, head) + d(tail, q) - d(p, q) < removed - tiny) {
              int k = 0;
              for (int x = 0; x <= g; x++) c[k++] = rest[x];
              for (int x = 0; x < len; x++) c[k++] = stretch[turn ? len - 1 - x : x];
              for (int x = g + 1; x < r; x++) c[k++] = rest[x];
              better = true;
            }
          }
        }
      }
    if (!better) break;
    const double shorter = cycle_length(*t);
    if (!(shorter < length)) {
      *t = before_round;
      break;
    }
    length = shorter;
  }
}

// The best tour local search finds from the nearest-neighbour tours out of five cities and
// from five shuffled orders (a fixed generator of its own, so the same on every machine).
void best_known() {
  const int n = family.n;
  uint32_t random = 12345;
  Tour best = first_order();
  double best_length = INFINITY;
  for (int start = 0; start < 10; start++) {
    Tour t;
    if (start < 5) {
      bool used[MAXCITY] = {false};
      t.city[0] = start * n / 5;
      used[t.city[0]] = true;
      for (int j = 1; j < n; j++) {
        int near = -1;
        for (int k = 0; k < n; k++)
          if (!used[k] &&
              (near < 0 || citydistance[t.city[j - 1]][k] < citydistance[t.city[j - 1]][near]))
            near = k;
        t.city[j] = near, used[near] = true;
      }
    } else {
      t = first_order();
      for (int j = n - 1; j > 0; j--) {
        random = random * 1103515245u + 12345u;
        int k = int((random >> 8) % uint32_t(j + 1)), swap = t.city[j];
        t.city[j] = t.city[k], t.city[k] = swap;
      }
    }
    local_search(&t);
    const Tour c = canonical_tour(t);
    const double length = tour_length(c);
    if (length < best_length) best = c, best_length = length;
  }
  tables.optimum = {best, best_length, false};
}

// The shipped TSPLIB instances beyond EXACT_CITIES with their published optima, recognised by
// their size and the sum of their distances over the pairs of cities.
struct Published {
  int n;
  double pair_sum, optimum;
};
const Published PUBLISHED[] = {
    {22, 174486, 7013},     {48, 1172229, 10628},  {51, 41305, 426},
    {52, 762783, 7542},     {70, 126195, 675},     {76, 94609, 538},
    {76, 21542278, 108159}, {100, 8467967, 21282}, {100, 2750525, 7910},
};

// The sum of the distances over the pairs of cities, in index order.
double pair_sum() {
  double sum = 0.0;
  for (int i = 0; i < family.n; i++)
    for (int k = i + 1; k < family.n; k++) sum += citydistance[i][k];
  return sum;
}

void find_published() {
  const double pair_sum = ::pair_sum();
  for (const Published &p : PUBLISHED)
    if (p.n == family.n && p.pair_sum == pair_sum) {
      tables.optimum.length = p.optimum;
      tables.optimum.exact = true;
    }
}

// The optimal tour given, with the cities' count and every distance as they were then.
struct Given {
  bool known;
  int n;
  Tour tour;
  double distance[MAXCITY][MAXCITY];
} given;

// Whether the tour given is the current cities' : their count and every distance unchanged.
bool given_is_current() {
  if (!given.known || given.n != family.n) return false;
  for (int i = 0; i < family.n; i++)
    for (int k = 0; k < family.n; k++)
      if (!(given.distance[i][k] == citydistance[i][k])) return false;
  return true;
}

} // namespace

bool give_optimal_tour(const Tour &tour) {
  build_distances();
  given.known = false;
  tables.built = false;
  bool seen[MAXCITY] = {};
  for (int j = 0; j < family.n; j++) {
    if (tour.city[j] < 0 || tour.city[j] >= family.n || seen[tour.city[j]]) return false;
    seen[tour.city[j]] = true;
  }
  given.known = true, given.n = family.n, given.tour = tour;
  for (int i = 0; i < family.n; i++)
    for (int k = 0; k < family.n; k++) given.distance[i][k] = citydistance[i][k];
  return true;
}

void forget_optimal_tour() {
  given.known = false;
  tables.built = false;
}

void prepare_tours() {
  build_distances();
  tables.count = 0;
  if (family.n <= RANK_CITIES) {
    list_every_tour();
  } else if (family.n <= EXACT_CITIES) {
    held_karp();
  } else if (given_is_current()) {
    const Tour c = canonical_tour(given.tour);
    tables.optimum = {c, tour_length(c), true};
  } else {
    best_known();
    find_published();
  }
  tables.built = true;
}

int tour_count() {
  if (!tables.built) prepare_tours();
  return tables.count;
}

Optimum find_optimum() {
  if (!tables.built) prepare_tours();
  return tables.optimum;
}

const char *optimum_kind(const Optimum &optimum) {
  return optimum.exact ? "optimal" : "best known";
}

const char *optimum_tour_kind(const Optimum &optimum) {
  const bool optimal = within_slack(tour_length(optimum.tour), optimum.length);
  return optimum.exact && optimal ? "optimal" : "best known";
}

int tour_rank(double length) {
  if (!tables.built) prepare_tours();
  if (tables.count == 0) return 0;
  int lo = 0, hi = tables.count; // the first length not shorter than length by the slack
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (shorter_by_slack(tables.length[mid], length))
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo + 1;
}
