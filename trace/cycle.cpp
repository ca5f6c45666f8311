// One cycle's measures, read off the model's current state: start at measure_cycle.
#include "cycle.h"

void measure_cycle(const Network &net, int c, int sweeps, const double previous[][MAXCITY],
                   const double one[][MAXCITY], const double two[][MAXCITY], Cycle *out) {
  out->cycle = c;
  out->sweeps = sweeps;
  out->e = energy_terms(net, unitout, &out->terms);
  out->l = lyapunov(net, unitout, out->e);
  out->on = units_on(unitout);
  out->change = previous ? largest_change(previous, unitout) : 0.0;
  out->outcome = outcome_of(unitout);
  out->moved = one && two;
  out->motion = out->moved ? motion_of(two, one, unitout) : MOTION_MOVING;
  out->length = out->ratio = 0.0;
  out->rank = 0;
  if (decode_tour(unitout, &out->tour)) {
    out->length = tour_length(out->tour);
    out->ratio = out->length / find_optimum().length;
    out->rank = tour_rank(out->length);
  }
}
