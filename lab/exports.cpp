// What the page's JavaScript calls: the model's own operations and data, the tracer's measures
// of each cycle, and where they lie in memory. The page drives the run; all arithmetic is here.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "trace.h"

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

namespace {
Cycle cycles[NSWEEP];
} // namespace

EXPORT(set_coefficients) void set_coefficients(double a, double b, double d) {
  Acoef = a;
  Bcoef = b;
  Dcoef = d;
}
EXPORT(seed) void seed(uint32_t s) {
  srand(s);
}
EXPORT(initialize) void initialize_model() {
  initialize();
}
EXPORT(update_state) void update_model() {
  update_state();
}
EXPORT(cityxy) const double *cityxy_address() {
  return &cityxy[0][0];
}

// Measures the current state as cycle c, after `sweeps` sweeps.
EXPORT(measure) void measure(int c, int sweeps) {
  measure_cycle(c, sweeps, c > 0 ? &cycles[c - 1] : nullptr, &cycles[c]);
}
EXPORT(cycle) const Cycle *cycle_address(int c) {
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
  static const int at[] = {offsetof(Cycle, e),    offsetof(Cycle, term),   offsetof(Cycle, l),
                           offsetof(Cycle, on),   offsetof(Cycle, change), offsetof(Cycle, outcome),
                           offsetof(Cycle, tour), offsetof(Cycle, length), offsetof(Cycle, ratio),
                           offsetof(Cycle, rank), offsetof(Cycle, state),  sizeof(Cycle)};
  return at[field];
}
