// Measures of a state. Start at lyapunov: why the in-place sweep never raises L, though it may
// raise the energy.
#include "state.h"

#include <math.h>


Outcome outcome_of(const double state[NCITY][NCITY]) {
  int in_row[NCITY] = {0}, in_column[NCITY] = {0};
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++)
      if (state[i][j] > ON_ABOVE) in_row[i]++, in_column[j]++;
  bool none = false, many = false;
  for (int k = 0; k < NCITY; k++) {
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

int units_on(const double state[NCITY][NCITY]) {
  int on = 0;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) on += state[i][j] > ON_ABOVE;
  return on;
}

double largest_change(const double a[NCITY][NCITY], const double b[NCITY][NCITY]) {
  double largest = 0.0;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) largest = fmax(largest, fabs(b[i][j] - a[i][j]));
  return largest;
}

// x ln x, taken as 0 at 0.
static double x_ln_x(double x) {
  return x > 0.0 ? x * log(x) : 0.0;
}

// Why L cannot rise. The energy has no unit paired with itself (the row and column terms leave
// the unit out, a city's distance to itself is 0), so along one unit v it is a straight line,
// E = e0 + e1 v, and the sweep gives that unit the input u = -e1 + Acoef + Bcoef. Along the same
// unit, L = const + (e1 - Acoef - Bcoef) v + G(v), and G is strictly convex with
// G'(v) = (U0 / 2) ln(v / (1 - v)), the inverse of the activation v = (tanh(u / U0) + 1) / 2.
// So L's one minimum along the unit is where G'(v) = u: the very output the sweep writes. Each
// update moves one unit to the minimum of L along it, whatever the coefficients' signs, and L
// never rises; E, which leaves out the constant input and G, can.
double lyapunov(double e) {
  double sum = 0.0, g = 0.0;
  for (int i = 0; i < NCITY; i++)
    for (int j = 0; j < NCITY; j++) {
      double v = unitout[i][j];
      sum += v;
      g += (U0 / 2) * (x_ln_x(2 * v) / 2 + x_ln_x(2 - 2 * v) / 2);
    }
  return e - (Acoef + Bcoef) * sum + g;
}
