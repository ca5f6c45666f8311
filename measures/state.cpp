// Measures of a state. Start at lyapunov: why the in-place sweep without a global term never
// raises L, though it may raise the energy.
#include "state.h"

#include <math.h>

void units_on_lines(const double state[][MAXCITY], int in_row[], int in_column[]) {
  const int n = network.n;
  for (int k = 0; k < n; k++) in_row[k] = in_column[k] = 0;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++)
      if (state[i][j] > ON_ABOVE) in_row[i]++, in_column[j]++;
}

Outcome outcome_of(const double state[][MAXCITY]) {
  const int n = network.n;
  int in_row[MAXCITY], in_column[MAXCITY];
  units_on_lines(state, in_row, in_column);
  bool none = false, many = false;
  for (int k = 0; k < n; k++) {
    none = none || in_row[k] == 0 || in_column[k] == 0;
    many = many || in_row[k] > 1 || in_column[k] > 1;
  }
  return none && many ? OUTCOME_MIXED
         : none       ? OUTCOME_MISSING
         : many       ? OUTCOME_DOUBLED
                      : OUTCOME_TOUR;
}

const char *outcome_name(Outcome outcome) {
  static const char *const name[] = {"tour", "missing", "doubled", "mixed"};
  return name[outcome];
}

Motion motion_of(const double two_before[][MAXCITY], const double before[][MAXCITY],
                 const double state[][MAXCITY]) {
  if (largest_change(before, state) <= SETTLED_WITHIN) return MOTION_SETTLED;
  return largest_change(two_before, state) <= SETTLED_WITHIN ? MOTION_CYCLING : MOTION_MOVING;
}

const char *motion_name(Motion motion) {
  static const char *const name[] = {"settled", "cycling", "moving"};
  return name[motion];
}

bool state_finite(const double state[][MAXCITY]) {
  for (int i = 0; i < network.n; i++)
    for (int j = 0; j < network.n; j++)
      if (!(state[i][j] - state[i][j] == 0.0)) return false; // NaN and infinities fail
  return true;
}

int units_on(const double state[][MAXCITY]) {
  int on = 0;
  for (int i = 0; i < network.n; i++)
    for (int j = 0; j < network.n; j++) on += state[i][j] > ON_ABOVE;
  return on;
}

double largest_change(const double a[][MAXCITY], const double b[][MAXCITY]) {
  double largest = 0.0;
  for (int i = 0; i < network.n; i++)
    for (int j = 0; j < network.n; j++) largest = fmax(largest, fabs(b[i][j] - a[i][j]));
  return largest;
}

// x ln x, taken as 0 at 0.
static double x_ln_x(double x) {
  return x > 0.0 ? x * log(x) : 0.0;
}

// Why L cannot rise under the in-place rule without a global term. The energy has no unit
// paired with itself (the row and column terms leave the unit out, a city's distance to itself
// is 0), so along one unit v it is a straight line, E = e0 + e1 v, and the sweep gives that unit
// the input u = -e1 + I, I the bias. Along the same unit, L = const + (e1 - I) v + G(v), and G
// is strictly convex with G'(v) = (U0 / 2) ln(v / (1 - v)), the inverse of the activation
// v = (tanh(u / U0) + 1) / 2. So L's one minimum along the unit is where G'(v) = u: the very
// output the sweep writes. Each update moves one unit to the minimum of L along it, whatever
// the coefficients' signs, and L never rises; E, which leaves out the bias and G, can. The
// global term (C / 2)(sum - n)^2 pairs each unit with itself, so with C not 0 the energy is a
// parabola along a unit and the update, which reads the unit's own old output, is no longer
// that minimum; a sync or Euler update moves all units at once, with no such argument either.
double lyapunov(const Network &net, const double state[][MAXCITY], double e) {
  const double half_width = net.u0 / 2;
  double sum = 0.0, g = 0.0;
  for (int i = 0; i < network.n; i++)
    for (int j = 0; j < network.n; j++) {
      double v = state[i][j];
      sum += v;
      g += half_width * (x_ln_x(2 * v) / 2 + x_ln_x(2 - 2 * v) / 2);
    }
  return e - bias_value(net) * sum + g;
}
