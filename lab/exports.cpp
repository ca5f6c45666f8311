// What the page's JavaScript calls: nuv's run with every cycle measured, the model's data, and
// where the measures lie in memory. All arithmetic is here; the script only reads and draws.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "random.h"
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

// Called for each cycle of run_family as it is reached: the page reads the state and the cycle's
// measures then.
extern "C" __attribute__((import_module("env"), import_name("cycle_reached"))) void
cycle_reached(int c);

namespace {
Cycle reached; // the cycle run_family reached last
} // namespace

// The member of the family the next runs are of: the settings of its options, in the order of
// nuv-trace's (rule 0 inplace, 1 sync, 2 euler; start 0 uniform, 1 centred), sweeps 0 for the
// rule's default; the cities are kept.
EXPORT(set_network)
void set_network(int rule, double c, double target, int bias_ab, double bias, double u0, int start,
                 double dt, double tau, int sweeps) {
  family.rule = Rule(rule), family.c = c, family.target = target, family.bias_ab = bias_ab != 0;
  family.bias = bias, family.u0 = u0, family.start = Start(start), family.dt = dt;
  family.tau = tau, family.sweeps = sweeps > 0 ? sweeps : rule == RULE_EULER ? 1000 : NSWEEP;
}

// The cities: nuv's nine, with nuv's settings, or n random ones from seed.
EXPORT(use_nuv_network) void use_nuv_network() {
  reset_family();
  prepare_tours();
}
EXPORT(use_random_cities) void use_random_cities(int n, uint32_t seed) {
  random_cities(n, seed);
  prepare_tours();
}
EXPORT(city_count) int city_count() {
  return family.n;
}
EXPORT(cycle_count) int cycle_count() {
  return family.sweeps;
}

// A run of the current member, each cycle measured and announced as it is reached.
EXPORT(run_family) void run_family(double a, double b, double d, uint32_t seed) {
  const double coef[3] = {a, b, d};
  trace_network(coef, seed, [](const Cycle &y) {
    reached = y;
    cycle_reached(y.cycle);
  });
}
EXPORT(reached) const Cycle *reached_address() {
  return &reached;
}
EXPORT(unitout) const double *unitout_address() {
  return &unitout[0][0];
}
EXPORT(max_city) int max_city() {
  return MAXCITY;
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
