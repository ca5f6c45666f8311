// Tours: decoding a network state, tour lengths, the canonical cycle, and the table of every
// distinct tour's length, sorted, from which the optimum and the ranks are read. Start at
// decode_tour; the table is built once per process, on first use.
#include "tour.h"

#include <math.h>

#include "state.h"

bool decode_tour(const double state[NCITY][NCITY], Tour *tour) {
  if (outcome_of(state) != OUTCOME_TOUR) return false;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++)
      if (state[i][j] > ON_ABOVE) tour->city[j] = i;
  return true;
}

double tour_length(const Tour &tour) {
  double length = 0.0;
  for (int j = 0; j < NCITY; j++) {
    const double *a = cityxy[tour.city[j]], *b = cityxy[tour.city[next(j)]];
    length += sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]));
  }
  return length;
}

Tour canonical_tour(const Tour &tour) {
  int start = 0;
  while (tour.city[start] != 0) start++;
  bool forward = tour.city[next(start)] < tour.city[prev(start)];
  Tour c;
  for (int j = 0, at = start; j < NCITY; j++, at = forward ? next(at) : prev(at))
    c.city[j] = tour.city[at];
  return c;
}

TourText tour_text(const Tour &tour) {
  TourText t;
  for (int j = 0; j < NCITY; j++) {
    t.s[2 * j] = char('1' + tour.city[j]);
    t.s[2 * j + 1] = j + 1 < NCITY ? '-' : '\0';
  }
  return t;
}

namespace {

// The next order of city[1 .. NCITY-1] in lexicographic order; false after the last.
bool next_order(Tour *t) {
  int *c = t->city, k = NCITY - 2;
  while (k >= 1 && c[k] >= c[k + 1]) k--;
  if (k < 1) return false;
  int l = NCITY - 1;
  while (c[l] <= c[k]) l--;
  int swap = c[k];
  c[k] = c[l], c[l] = swap;
  for (int a = k + 1, b = NCITY - 1; a < b; a++, b--) swap = c[a], c[a] = c[b], c[b] = swap;
  return true;
}

// Every distinct tour's length, ascending, and the first canonical tour of the shortest.
struct Table {
  double length[NTOUR];
  Optimum optimum;
  bool built;
} table;

void sift_down(double *a, int root, int n) {
  for (int child; (child = 2 * root + 1) < n; root = child) {
    if (child + 1 < n && a[child + 1] > a[child]) child++;
    if (a[root] >= a[child]) return;
    double swap = a[root];
    a[root] = a[child], a[child] = swap;
  }
}

// Heapsort: no library, and 20,160 values take well under a millisecond.
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
  for (int j = 0; j < NCITY; j++) t.city[j] = j;
  return t;
}
bool next_canonical(Tour *t) {
  while (next_order(t))
    if (t->city[1] < t->city[NCITY - 1]) return true;
  return false;
}

// The lengths in enumeration order first, so that the optimum, the first order within the slack
// of the shortest, is found without measuring again; then sorted for the ranks.
const Table &built_table() {
  if (table.built) return table;
  Tour t = first_order();
  int n = 0;
  do table.length[n++] = tour_length(t);
  while (next_canonical(&t));
  double shortest = table.length[0];
  for (int k = 1; k < n; k++)
    if (table.length[k] < shortest) shortest = table.length[k];
  int first = 0;
  while (table.length[first] > shortest * (1 + OPTIMAL_SLACK)) first++;
  t = first_order();
  for (int k = 0; k < first; k++) next_canonical(&t);
  table.optimum = {t, shortest};
  sort_ascending(table.length, n);
  table.built = true;
  return table;
}

} // namespace

Optimum find_optimum() {
  return built_table().optimum;
}

int tour_rank(double length) {
  const double *sorted = built_table().length;
  const double below = length * (1 - OPTIMAL_SLACK);
  int lo = 0, hi = NTOUR; // the first length not below `below`
  while (lo < hi) {
    int mid = lo + (hi - lo) / 2;
    if (sorted[mid] < below)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo + 1;
}
