// The local search of tours: the 2-opt exchange, the Or-opt move, the rounds that alternate
// them, and the nearest-neighbour tour. Start at local_search. The moves are made in one fixed
// order, first improvement first; what makes them fast at a thousand cities is only where the
// next one is looked for (the shortcuts below), never which one it is.
//
// The shortcuts hold when the distances are symmetric (d(a, b) == d(b, a) for every pair, as
// every reader and the random cities give them): a test then depends only on the cities it
// joins, not on the tour's direction, since a + b == b + a exactly in floating point.
// - 2-opt: once a whole pass finds no exchange, that tour is the reference. An exchange of two
//   edges kept from it, both in its direction or both reversed, is the reference's own
//   exchange, which did not gain; so a later pass needs to test only the pairs with a new edge
//   or with edges of opposite directions.
// - Or-opt: a stretch (its cities and both neighbours) found with no place to go is recorded
//   with the count of edges made so far; later only the edges made since can take it.
// Otherwise (asymmetric distances, or too much changed) the search tests every pair as before.
#include "local_search.h"

#include <math.h>

namespace {

// The most rounds of local search from one start up to 100 cities: far more than they need (100
// random cities need at most 28, eil51 12), a bound on what rounding could make of odd
// distances. Beyond, ROUNDS_PER_CITY for each city (pr1002 needs a few hundred).
enum { MAX_ROUNDS = 1000, ROUNDS_PER_CITY = 20 };

// The most edges kept of those made since a local search began: the log starts again, and the
// stretches found with no place are forgotten, when it is full.
enum { EDGE_LOG = 64 * MAXCITY };

// The tour's length as its canonical cycle gives it: the same sum for every rotation and
// reflection of one cycle.
double cycle_length(const Tour &t) {
  return tour_length(canonical_tour(t));
}

// The instance's distance from city a to city b.
double d(int a, int b) {
  return citydistance[a][b];
}

// What one local search knows beyond its tour, for the shortcuts.
struct Search {
  int n;
  double tiny;    // a move must gain more than this
  bool symmetric; // the distances are the same both ways, N >= 8: the shortcuts hold
  int pos[MAXCITY];
  double edge[MAXCITY]; // edge[j]: d(c[j], c[j + 1]), the cycle's edges as the tests read them
  // 2-opt: the reference (reference_next[i] the city after i in it), when there is one.
  bool reference;
  int reference_next[MAXCITY];
  unsigned char kind[MAXCITY]; // each edge's kind (edge_kind), by position
  int odd[MAXCITY];            // the positions whose pairs are tested
  // Or-opt: the edges made (both cities), and the stretches found with no place.
  int made[EDGE_LOG][2];
  int count;
  struct Placeless {
    int city[5]; // left, the stretch, right: in the direction of the smaller end first
    int len;
    int made; // count when it was found with no place, or -1
  } placeless[MAXCITY][3][2];
} search;

// The stretch c[from .. to] reversed in place.
void reverse_stretch(int *c, int from, int to) {
  for (int x = from, y = to; x < y; x++, y--) {
    int swap = c[x];
    c[x] = c[y], c[y] = swap;
  }
}

// Each city's position in c.
void place_cities(const int *c) {
  for (int j = 0; j < search.n; j++) search.pos[c[j]] = j;
}

// An edge made, between cities a and b; the log starts again, forgetting every stretch, when
// it is full.
void note_edge(int a, int b) {
  if (search.count == EDGE_LOG) {
    search.count = 0;
    for (int i = 0; i < search.n; i++)
      for (int len = 0; len < 3; len++)
        search.placeless[i][len][0].made = -1, search.placeless[i][len][1].made = -1;
  }
  search.made[search.count][0] = a, search.made[search.count][1] = b;
  search.count++;
}

// Whether exchanging the edges at positions j and l (c[j] to c[j + 1], c[l] to c[l + 1])
// shortens the cycle by more than tiny: the 2-opt test.
bool exchange_gains(const int *c, int j, int l) {
  const int n = search.n;
  const int a = c[j], b = c[j + 1], e = c[l], f = c[(l + 1) % n];
  return d(a, e) + d(b, f) < search.edge[j] + search.edge[l] - search.tiny;
}

// edge[j] for the positions from .. to of the cycle c.
void measure_edges(const int *c, int from, int to) {
  const int n = search.n;
  for (int j = from; j <= to; j++) search.edge[j] = d(c[j], c[(j + 1) % n]);
}

// The first pair (j, l) from (j0, l0) on, in the pass's order (j up, then l up from j + 2,
// without 0 and n - 1), whose exchange gains, by testing every one. False when none does.
bool every_exchange(const int *c, int j0, int l0, int *jj, int *ll) {
  const int n = search.n;
  for (int j = j0; j < n - 1; j++)
    for (int l = j == j0 ? l0 : j + 2; l < n; l++) {
      if (j == 0 && l == n - 1) continue;
      if (exchange_gains(c, j, l)) {
        *jj = j, *ll = l;
        return true;
      }
    }
  return false;
}

// The edge at position p against the reference: 0 one of its edges in its direction, 1 one of
// them reversed, 2 a new one.
int edge_kind(const int *c, int p) {
  const int a = c[p], b = c[(p + 1) % search.n];
  return search.reference_next[a] == b ? 0 : search.reference_next[b] == a ? 1 : 2;
}

// The same first pair as every_exchange, by testing only the pairs that can gain against the
// reference: those with a new edge or with edges of opposite kinds (the positions of the
// rarer kind paired with every other). Every pair is tested when they are too many.
bool first_exchange(const int *c, int j0, int l0, int *jj, int *ll) {
  const int n = search.n;
  if (!search.symmetric || !search.reference) return every_exchange(c, j0, l0, jj, ll);
  int count[3] = {0, 0, 0};
  for (int p = 0; p < n; p++) count[search.kind[p] = (unsigned char)edge_kind(c, p)]++;
  const int rare = count[1] < count[0] ? 1 : 0;
  if (count[2] + count[rare] > n / 8 + 4) return every_exchange(c, j0, l0, jj, ll);
  int odd = 0;
  for (int p = 0; p < n; p++)
    if (search.kind[p] == 2 || search.kind[p] == rare) search.odd[odd++] = p;
  int best_j = n, best_l = n;
  for (int x = 0; x < odd; x++) {
    const int p = search.odd[x], kind = search.kind[p];
    for (int q = 0; q < n; q++) {
      if (kind != 2 && search.kind[q] == kind) continue; // both kept, both one way
      const int j = p < q ? p : q, l = p < q ? q : p;
      if (l < j + 2 || (j == 0 && l == n - 1) || j < j0 || (j == j0 && l < l0)) continue;
      if ((j < best_j || (j == best_j && l < best_l)) && exchange_gains(c, j, l))
        best_j = j, best_l = l;
    }
  }
  if (best_j == n) return false;
  *jj = best_j, *ll = best_l;
  return true;
}

// One 2-opt pass over the cycle c: for positions j < l, wherever joining c[j] to c[l] and
// c[j + 1] to c[l + 1] is shorter by more than tiny, reverses c[j + 1 .. l] and goes on. Whether
// any stretch was reversed; when none was, c is the reference from then on.
bool two_opt_pass(int *c) {
  const int n = search.n;
  bool better = false;
  int j = 0, l = 2;
  while (j < n - 1 && first_exchange(c, j, l, &j, &l)) {
    note_edge(c[j], c[l]), note_edge(c[j + 1], c[(l + 1) % n]);
    reverse_stretch(c, j + 1, l);
    measure_edges(c, j, l);
    better = true;
    if (++l == n) j++, l = j + 2;
  }
  if (!better) {
    for (int p = 0; p < n; p++) search.reference_next[c[p]] = c[(p + 1) % n];
    search.reference = true;
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

// The stretch of len cities at position s of the cycle c (s + len <= n) moved between rest[g]
// and rest[g + 1] of the other cities in their order, reversed when `turned`; the edges made
// noted.
void move_stretch(int *c, int s, int len, int g, bool turned) {
  const int n = search.n;
  int rest[MAXCITY], stretch[3], r = 0;
  for (int j = 0; j < n; j++)
    if (j < s || j >= s + len) rest[r++] = c[j];
  for (int x = 0; x < len; x++) stretch[x] = c[s + x];
  note_edge(c[(s + n - 1) % n], c[(s + len) % n]);
  note_edge(rest[g], stretch[turned ? len - 1 : 0]);
  note_edge(stretch[turned ? 0 : len - 1], rest[(g + 1) % r]);
  place_stretch(c, rest, r, g, stretch, len, turned);
}

// The stretch of len cities from position s of the cycle c, cyclically, as the Or-opt move
// sees it: its neighbours, its ends, and the order of the other cities, which start at
// c[0] (`turned` false: c[0 .. s - 1], then c[s + len ..]) or just after the stretch (`turned`
// true: the cycle turned to start at the stretch, as for the stretches that hold position n - 1).
struct Stretch {
  int s, len, left, first, last, right;
  bool turned;
  double removed; // what taking it out saves
};

Stretch stretch_at(const int *c, int s, int len, bool turned) {
  const int n = search.n;
  Stretch x;
  x.s = s, x.len = len, x.turned = turned;
  x.left = c[(s + n - 1) % n], x.first = c[s], x.last = c[(s + len - 1) % n];
  x.right = c[(s + len) % n];
  x.removed = d(x.left, x.first) + d(x.last, x.right) - d(x.left, x.right);
  return x;
}

// The position in c of the g-th other city.
int rest_position(const Stretch &x, int g) {
  const int n = search.n;
  if (x.turned) return (x.s + x.len + g) % n;
  return g < x.s ? g : g + x.len;
}

// The place of the other city at position p: rest_position's inverse.
int rest_index(const Stretch &x, int p) {
  const int n = search.n;
  if (x.turned) return (p - x.s - x.len + 2 * n) % n;
  return p < x.s ? p : p - x.len;
}

// Whether putting the stretch between p and q, reversed when turn is 1, shortens the cycle by
// more than tiny: the Or-opt test.
// d(p, q) is the edge from position `from` (p = c[from], q = c[from + 1]); d(p, head) is read as
// d(head, p) when the distances are symmetric (the same double, from a row at hand).
bool insertion_gains(const Stretch &x, int from, int p, int q, int turn) {
  const int head = turn ? x.last : x.first, tail = turn ? x.first : x.last;
  const double to_head = search.symmetric ? d(head, p) : d(p, head);
  return to_head + d(tail, q) - search.edge[from] < x.removed - search.tiny;
}

// The first place (*g, *turn) of the stretch, between two other neighbours in their order,
// either way round, that shortens c by more than tiny, by testing every place. False when none.
bool every_place(const int *c, const Stretch &x, int *g, int *turn) {
  const int n = search.n, r = n - x.len;
  for (int k = 0; k < r; k++) {
    const int from = rest_position(x, k);
    const int p = c[from], q = c[rest_position(x, (k + 1) % r)];
    if (p == x.left && q == x.right) continue;
    for (int t = 0; t < 2; t++)
      if (insertion_gains(x, from, p, q, t)) {
        *g = k, *turn = t;
        return true;
      }
  }
  return false;
}

// The stretch's record: its cities from left to right, or from right to left when that puts the
// smaller end first, so that a reversed tour finds it. Its slot among the two of its first city.
void stretch_key(const Stretch &x, const int *c, int *key) {
  const int n = search.n;
  int k = 0;
  key[k++] = x.left;
  for (int y = 0; y < x.len; y++) key[k++] = c[(x.s + y) % n];
  key[k++] = x.right;
  const bool backward = x.last < x.first || (x.len == 1 && x.right < x.left);
  if (backward) reverse_stretch(key, 0, k - 1);
}

Search::Placeless *placeless_of(const int *key, int len, bool make) {
  Search::Placeless *slot = search.placeless[key[1]][len - 1];
  for (int s = 0; s < 2; s++) {
    bool same = slot[s].made >= 0 && slot[s].len == len;
    for (int k = 0; same && k < len + 2; k++) same = slot[s].city[k] == key[k];
    if (same) return &slot[s];
  }
  if (!make) return nullptr;
  // The slot of the same second city, else the one found with no place longer ago.
  for (int s = 0; s < 2; s++)
    if (slot[s].made >= 0 && slot[s].len == len && slot[s].city[2] == key[2]) return &slot[s];
  return slot[0].made <= slot[1].made ? &slot[0] : &slot[1];
}

// The same first place as every_place, from the edges made since the stretch was last found
// with no place, when it was and they are few: only they can take it.
bool first_place(const int *c, const Stretch &x, int *g, int *turn) {
  const int n = search.n;
  int key[5];
  stretch_key(x, c, key);
  Search::Placeless *known = search.symmetric ? placeless_of(key, x.len, false) : nullptr;
  bool found;
  if (known && search.count - known->made <= n / 8 + 8) {
    int best_g = n, best_turn = 0;
    for (int e = known->made; e < search.count; e++) {
      const int a = search.made[e][0], b = search.made[e][1];
      const int pa = search.pos[a], pb = search.pos[b];
      int from; // the position of the edge's first city in c's direction
      if ((pa + 1) % n == pb)
        from = pa;
      else if ((pb + 1) % n == pa)
        from = pb;
      else
        continue; // no longer in the cycle
      bool touches = false;
      for (int y = 0; y < x.len; y++) touches |= c[(x.s + y) % n] == a || c[(x.s + y) % n] == b;
      if (touches) continue;
      // The earliest place in every_place's order: the lowest k, then turn 0 before 1.
      const int k = rest_index(x, from), p = c[from], q = c[(from + 1) % n];
      for (int t = 0; t < 2; t++)
        if ((k < best_g || (k == best_g && t < best_turn)) && insertion_gains(x, from, p, q, t)) {
          best_g = k, best_turn = t;
          break;
        }
    }
    found = best_g < n;
    if (found) *g = best_g, *turn = best_turn;
  } else {
    found = every_place(c, x, g, turn);
  }
  if (!found && search.symmetric) {
    Search::Placeless *slot = known ? known : placeless_of(key, x.len, true);
    for (int k = 0; k < x.len + 2; k++) slot->city[k] = key[k];
    slot->len = x.len, slot->made = search.count;
  }
  return found;
}

// The cycle c turned by `by` positions: c[j] is then the city that was at position j + by.
void turn_cycle(int *c, int by) {
  const int n = search.n;
  int turned[MAXCITY];
  for (int j = 0; j < n; j++) turned[j] = c[(j + by) % n];
  for (int j = 0; j < n; j++) c[j] = turned[j];
}

// The first Or-opt move that shortens the cycle c by more than tiny, made: a stretch of one to
// three cities moved between two other neighbours. The stretches within c[0 .. n - 2] first
// (shortest first, from the first position on), then those that hold the last position (the
// cycle turned so that the stretch starts at position 0, and left so when it moves). False, and
// c unchanged, when none does.
bool or_opt_move(int *c) {
  const int n = search.n;
  int g, turn;
  place_cities(c);
  for (int len = 1; len <= 3; len++)
    for (int s = 0; s + len < n; s++)
      if (first_place(c, stretch_at(c, s, len, false), &g, &turn)) {
        move_stretch(c, s, len, g, turn != 0);
        measure_edges(c, 0, n - 1);
        return true;
      }
  for (int len = 1; len <= 3 && len + 2 <= n; len++)
    for (int s = n - len; s < n; s++)
      if (first_place(c, stretch_at(c, s, len, true), &g, &turn)) {
        turn_cycle(c, s);
        move_stretch(c, 0, len, g, turn != 0);
        measure_edges(c, 0, n - 1);
        return true;
      }
  return false;
}

// A new search of the cycle c: no reference, no edges made, no stretch known; whether the
// distances are symmetric.
void begin_search(const int *c, double tiny) {
  const int n = search.n = network.n;
  search.tiny = tiny;
  search.reference = false;
  search.count = 0;
  measure_edges(c, 0, n - 1);
  search.symmetric = n >= 8; // a stretch's neighbours are then never joined but through it
  for (int i = 0; i < n && search.symmetric; i++)
    for (int k = 0; k < i; k++)
      if (!(citydistance[i][k] == citydistance[k][i])) {
        search.symmetric = false;
        break;
      }
  for (int i = 0; i < n; i++)
    for (int len = 0; len < 3; len++)
      search.placeless[i][len][0].made = -1, search.placeless[i][len][1].made = -1;
}

} // namespace

// A move must gain more than a slack relative to the length's magnitude, and each round must
// shorten the cycle's length as summed: no cycle comes back, so the search ends whatever the
// signs (a round that does not is undone, and ends it). At most MAX_ROUNDS rounds up to 100
// cities, ROUNDS_PER_CITY a city beyond.
void local_search(Tour *t, bool or_opt) {
  const double tiny = 1e-12 * (1 + fabs(tour_length(*t)));
  begin_search(t->city, tiny);
  const int rounds = network.n <= 100 ? int(MAX_ROUNDS) : ROUNDS_PER_CITY * network.n;
  double length = cycle_length(*t);
  for (int round = 0; round < rounds; round++) {
    const Tour before_round = *t;
    if (!two_opt_pass(t->city) && !(or_opt && or_opt_move(t->city))) break;
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
