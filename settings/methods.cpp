// The methods' settings: apply_method writes each method's into a record, every setting the
// method names over nuv's defaults. No C++ library here: the page's module compiles this file.
// Start at apply_method; feasible's derivation is above feasible().
#include "methods.h"

#include "table.h"

namespace {

// Hopfield and Tank (Biol. Cybern. 52, 1985): A = B = D = 500, C = 200, n = N + 5, U0 = 0.02,
// no bias, Euler steps of 1e-5 with tau = 1 from the centred start, for cities in the unit
// square (here any instance's distances divided by the longest).
void hopfield_tank(Network *net) {
  net->a = net->b = net->d = 500.0;
  net->c = 200.0, net->target = net->n + 5;
  net->u0 = 0.02;
  net->bias_ab = false, net->bias = 0.0;
  net->rule = RULE_EULER, net->dt = 1e-5, net->tau = 1.0;
  net->start = START_CENTRED;
  net->distances = DISTANCES_UNIT;
  net->sweeps = default_sweeps(RULE_EULER);
}

// Chen and Aihara (Neural Networks 8, 1995): A = B = D = 1, bias 1, epsilon = 1/250 (U0 = 2
// epsilon = 0.008, as the output is (tanh(y / U0) + 1) / 2), k, alpha, z0, beta and I0 at the
// record's defaults (0.9, 0.015, 0.08, 0.001, 0.65), 5,000 steps, no noise.
void tcnn(Network *net) {
  net->a = net->b = net->d = 1.0;
  net->bias_ab = false, net->bias = 1.0;
  net->u0 = 0.008;
  net->rule = RULE_TCNN;
  net->distances = DISTANCES_UNIT;
  net->sweeps = 5000;
}

// Wang, Li, Tian and Fu (IEEE Trans. SMC-B 34, 2004): the transiently chaotic network with
// noise of amplitude 0.002 at the start, decaying by the factor 1 - 0.001 each step as the
// self-feedback does.
void noisy(Network *net) {
  tcnn(net);
  net->noise = 0.002, net->noise_decay = 0.001;
}

// Peterson and Soderberg (Int. J. Neural Systems 1, 1989): each city's outputs normalised, the
// row constraint so kept; the column term and the tour's length weigh 1 each, no bias; from
// the critical temperature (t0 0), cooled by 0.98 a sweep (the rule's default, measured).
void potts(Network *net) {
  net->a = 0.0, net->b = 1.0, net->d = 1.0;
  net->bias_ab = false, net->bias = 0.0;
  net->rule = RULE_POTTS;
  net->t0 = 0.0, net->cooling = 0.98;
  net->distances = DISTANCES_UNIT;
  net->sweeps = default_sweeps(RULE_POTTS);
}

// Gold and Rangarajan (NIPS 1995): rows and columns both normalised, so only the tour's length
// weighs (D = 1, A = B = 0, no bias), with the self-term gamma = 0.5, 20 alternating
// normalisations a step, from the critical temperature cooled by 0.98 a step (the rule's
// defaults, measured: T = 0.2 cooled by 0.95 suits the ten cities as drawn only).
void softassign(Network *net) {
  net->a = net->b = 0.0, net->d = 1.0;
  net->bias_ab = false, net->bias = 0.0;
  net->rule = RULE_SOFTASSIGN;
  net->t0 = 0.0, net->cooling = 0.98, net->gamma = 0.5, net->sinkhorn = 20;
  net->distances = DISTANCES_UNIT;
  net->sweeps = default_sweeps(RULE_SOFTASSIGN);
}

// Every corner of the hypercube that is a valid tour stable, and no other corner (after
// Talavan and Yanez, Neural Networks 15, 2002). With C = 0 and the distances d in 0 ... 1
// (divided by the longest; d[i][i] = 0), a unit's input at a corner is
//   u = -A (others on in its row) - B (others on in its column) - D (d to the cities on in the
//       columns beside it) + I.
// At a tour: an on unit has u = I - D (d_prev + d_next) >= I - 2 D > 0, an off unit
// u <= I - A - B < 0: it stays. At a corner with two units on in a row (or column), each of
// them has u <= I - A (I - B) < 0: it turns off. At any other corner that is not a tour, some
// row and some column are empty (as many rows as columns are on), and the unit where they meet
// has at most one unit on in each column beside it: u >= I - 2 D > 0: it turns on. So
// 2 D < I < min(A, B); here the margin m = 0.5 each way (D 1, I 2.5, A = B 3). At finite gain
// an output is within e = 1 / (1 + exp(2 |u| / U0)) of its corner, and the other units' e move
// a unit's input by at most W e, W = N (A + B + 2 D) = 800 for N = 100. While W e(m / 2) <= m / 2
// the box of the corner maps into itself with |u| >= m / 2, and the update's slope there,
// W (2 / U0) e(m / 2), is below 1: a stable equilibrium; near a corner that is not a tour the
// leaving unit keeps its sign: no equilibrium. U0 = 0.025 gives e(m / 2) = 2.1e-9, W e = 1.6e-6
// and a slope of 1.3e-4 (U0 = 0.05 would give 1.45). The in-place rule never raises L (no unit
// is coupled to itself), so a run settles on an equilibrium, and the stable ones are the tours.
void feasible(Network *net) {
  net->a = net->b = FEASIBLE_AB, net->d = FEASIBLE_D;
  net->c = 0.0, net->target = net->n;
  net->bias_ab = false, net->bias = FEASIBLE_BIAS;
  net->u0 = FEASIBLE_U0;
  net->rule = RULE_INPLACE;
  net->distances = DISTANCES_UNIT;
  net->sweeps = FEASIBLE_SWEEPS;
}

} // namespace

void apply_method(Method method, Network *net) {
  const int n = net->n;
  const bool given = net->distances_given;
  *net = nuv_network();
  net->n = n, net->distances_given = given, net->target = n;
  net->method = method;
  switch (method) {
  case METHOD_HOPFIELD_TANK:
    return hopfield_tank(net);
  case METHOD_TCNN:
    return tcnn(net);
  case METHOD_NOISY:
    return noisy(net);
  case METHOD_POTTS:
    return potts(net);
  case METHOD_SOFTASSIGN:
    return softassign(net);
  case METHOD_FEASIBLE:
    return feasible(net);
  case METHOD_NUV:
  case METHOD_NEAREST:
  case METHOD_2OPT:
  case METHOD_OROPT:
    break;
  }
}

double method_target(const Network &net) {
  return net.method == METHOD_HOPFIELD_TANK ? net.n + 5 : net.n;
}

int method_sweeps(const Network &net) {
  switch (net.method) {
  case METHOD_TCNN:
  case METHOD_NOISY:
    return 5000;
  case METHOD_FEASIBLE:
    return FEASIBLE_SWEEPS;
  default:
    return default_sweeps(net.rule);
  }
}
