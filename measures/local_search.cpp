// The local search of tours: the 2-opt exchange, the Or-opt move, the rounds that alternate
// them, and the nearest-neighbour tour. Start at local_search.
#include "local_search.h"

#include <math.h>

namespace {

// The most rounds of local search from one start: far more than any instance needs (100 random
// cities need at most 28, eil51 12), a bound on what rounding could make of odd distances.
enum { MAX_ROUNDS = 1000 };

// The tour's length as its canonical cycle gives it: the same sum for every rotation and
// reflection of one cycle.
double cycle_length(const Tour &t) {
  return tour_length(canonical_tour(t));
}

// The instance's distance from city a to city b.
double d(int a, int b) {
  return citydistance[a][b];
}

// The stretch c[from .. to] reversed in place.
void reverse_stretch(int *c, int from, int to) {
  for (int x = from, y = to; x < y; x++, y--) {
    int swap = c[x];
    c[x] = c[y], c[y] = swap;
  }
}

// One 2-opt pass over the cycle c: for positions j < l, wherever joining c[j] to c[l] and
// c[j + 1] to c[l + 1] is shorter by more than tiny, reverses c[j + 1 .. l] and goes on. Whether
// any stretch was reversed.
bool two_opt_pass(int *c, double tiny) {
  const int n = network.n;
  bool better = false;
  for (int j = 0; j < n - 1; j++)
    for (int l = j + 2; l < n; l++) {
      if (j == 0 && l == n - 1) continue;
      const int a = c[j], b = c[j + 1], e = c[l], f = c[(l + 1) % n];
      if (d(a, e) + d(b, f) < d(a, b) + d(e, f) - tiny) {
        reverse_stretch(c, j + 1, l);
        better = true;
      }
    }
  return better;
}

// The cycle c made again from rest, its r cities without the stretch, with the stretch's len
// cities put back between rest[g] and rest[g + 1], reversed when `turned`.
void place_stretch(int *c, const int *rest, int r, int g, const int *stretch, int len,
                   bool turned) {
  int j = 0;
  for (int x = 0; x <= g; x++) c[j++] = rest[x];
  for (int x = 0; x < len; x++) c[j++] = stretch[turned ? len - 1 - x : x];
  for (int x = g + 1; x < r; x++) c[j++] = rest[x];
}

// The stretch of len cities at position s of the cycle c moved to the first place that
// shortens c by more than tiny: between two other neighbours, in their order, either way round.
// False, and c unchanged, when no place does.
bool move_stretch(int *c, int s, int len, double tiny) {
  const int n = network.n;
  // The stretch c[s .. s + len - 1], between c[s - 1] on its left and c[s + len] on its right
  // (cyclically).
  const int left = c[(s + n - 1) % n], first = c[s], last = c[s + len - 1],
            right = c[(s + len) % n];
  const double removed = d(left, first) + d(last, right) - d(left, right);
  int rest[MAXCITY], stretch[3], r = 0;
  for (int j = 0; j < n; j++)
    if (j < s || j >= s + len) rest[r++] = c[j];
  for (int x = 0; x < len; x++) stretch[x] = c[s + x];
  for (int g = 0; g < r; g++) {
    const int p = rest[g], q = rest[(g + 1) % r];
    if (p == left && q == right) continue;
    for (int turn = 0; turn < 2; turn++) {
      const int head = turn ? last : first, tail = turn ? first : last;
      if (d(p, head) + d(tail, q) - d(p, q) < removed - tiny) {
        place_stretch(c, rest, r, g, stretch, len, turn != 0);
        return true;
      }
    }
  }
  return false;
}

// The cycle c turned by `by` positions: c[j] is then the city that was at position j + by.
void turn_cycle(int *c, int by) {
  const int n = network.n;
  int turned[MAXCITY];
  for (int j = 0; j < n; j++) turned[j] = c[(j + by) % n];
  for (int j = 0; j < n; j++) c[j] = turned[j];
}

// The first Or-opt move that shortens the cycle c by more than tiny, made: a stretch of one to
// three cities moved between two other neighbours. The stretches within c[0 .. n - 2] first
// (shortest first, from the first position on), then those that hold the last position (the
// cycle turned so that the stretch starts at position 0). False, and c unchanged, when none does.
bool or_opt_move(int *c, double tiny) {
  const int n = network.n;
  for (int len = 1; len <= 3; len++)
    for (int s = 0; s + len < n; s++)
      if (move_stretch(c, s, len, tiny)) return true;
  for (int len = 1; len <= 3 && len + 2 <= n; len++)
    for (int s = n - len; s < n; s++) {
      turn_cycle(c, s);
      if (move_stretch(c, 0, len, tiny)) return true;
      turn_cycle(c, n - s);
    }
  return false;
}

} // namespace

// A move must gain more than a slack relative to the length's magnitude, and each round must
// shorten the cycle's length as summed: no cycle comes back, so the search ends whatever the
// signs (a round that does not is undone, and ends it). At most MAX_ROUNDS rounds besides.
void local_search(Tour *t, bool or_opt) {
  const double tiny = 1e-12 * (1 + fabs(tour_length(*t)));
  double length = cycle_length(*t);
  for (int round = 0; round < MAX_ROUNDS; round++) {
    const Tour before_round = *t;
    if (!two_opt_pass(t->city, tiny) && !(or_opt && or_opt_move(t->city, tiny))) break;
    const double shorter = cycle_length(*t);
    if (!(shorter < length)) {
      *t = before_round;
      break;
    }
    length = shorter;
  }
}

Tour nearest_neighbour_tour(int first) {
  const int n = network.n;
  Tour t;
  bool used[MAXCITY] = {false};
  t.city[0] = first;
  used[first] = true;
  for (int j = 1; j < n; j++) {
    const int from = t.city[j - 1];
    int near = -1;
    for (int k = 0; k < n; k++)
      if (!used[k] && (near < 0 || citydistance[from][k] < citydistance[from][near])) near = k;
    t.city[j] = near, used[near] = true;
  }
  return t;
}
