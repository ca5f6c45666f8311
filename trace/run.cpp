// A traced run: nuv's schedule of sweeps, with every table's state measured.
#include "trace.h"

#include "schedule.h"

void measure_cycle(int c, int sweeps, const Cycle *before, Cycle *out) {
  out->cycle = c;
  out->sweeps = sweeps;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) out->state[i][j] = unitout[i][j];
  out->e = energy_terms(out->term);
  out->l = lyapunov(out->e);
  out->on = units_on(out->state);
  out->change = before ? largest_change(before->state, out->state) : 0.0;
  out->outcome = outcome_of(out->state);
  out->length = out->ratio = 0.0;
  out->rank = 0;
  if (decode_tour(out->state, &out->tour)) {
    out->length = tour_length(out->tour);
    out->ratio = out->length / find_optimum().length;
    out->rank = tour_rank(out->length);
  }
}

void trace_run(const double coef[3], uint32_t seed, Cycle cycles[NSWEEP]) {
  run_network(coef, seed, [cycles](int c) {
    measure_cycle(c, sweeps_at(c), c > 0 ? &cycles[c - 1] : nullptr, &cycles[c]);
  });
}
