// What the page's JavaScript calls: nuv's run with every cycle measured, the model's data, and
// where the measures lie in memory. All arithmetic is here; the script only reads and draws.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "trace.h"

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {
// A cycle's measures and its state, as the page reads them.
struct PageCycle {
  Cycle y;
  double state[NCITY][NCITY];
};
PageCycle cycles[NSWEEP];
} // namespace

// nuv's run for the coefficients and seed, every cycle measured.
EXPORT(run) void run(double a, double b, double d, uint32_t seed) {
  const double coef[3] = {a, b, d};
  trace_network(coef, seed, [](const Cycle &y) {
    PageCycle &p = cycles[y.cycle];
    p.y = y;
    for (int i = 0; i < NCITY; i++)
      for (int j = 0; j < NCITY; j++) p.state[i][j] = unitout[i][j];
  });
}
EXPORT(cityxy) const double *cityxy_address() {
  return &cityxy[0][0];
}

EXPORT(cycle) const PageCycle *cycle_address(int c) {
  return &cycles[c];
}

// The optimal tour: city (from 0) at position j, and its length.
EXPORT(optimal_city) int optimal_city(int j) {
  return find_optimum().tour.city[j];
}
EXPORT(optimal_length) double optimal_length() {
  return find_optimum().length;
}

// Where a Cycle's fields lie, so that the page reads them as stored: 0 e, 1 the terms, 2 l,
// 3 on, 4 change, 5 outcome, 6 tour, 7 length, 8 ratio, 9 rank, 10 state, 11 the size.
EXPORT(cycle_layout) int cycle_layout(int field) {
  static const int at[] = {
      offsetof(Cycle, e),    offsetof(Cycle, term),      offsetof(Cycle, l),
      offsetof(Cycle, on),   offsetof(Cycle, change),    offsetof(Cycle, outcome),
      offsetof(Cycle, tour), offsetof(Cycle, length),    offsetof(Cycle, ratio),
      offsetof(Cycle, rank), offsetof(PageCycle, state), sizeof(PageCycle)};
  return at[field];
}
