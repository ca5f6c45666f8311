/* The normalised rules' critical temperature: the temperature below which the uniform state (every
 * output 1/N) loses its stability under potts or softassign, from the linearised update. Start at
 * critical_temperature. Plain arithmetic only (sqrt, no library cosine or exponential), so that
 * the page's module computes the same bits as the tools; nothing allocated: the matrix worked on
 * is the model's work_space, and up to 100 cities the distances' spectrum is kept in static
 * arrays between runs of the same distances (above, a run's sweeps cost far more than the
 * spectrum, and a copy of the distances to compare would cost 8 MB).
 *
 * The derivation. Near the uniform state v = 1/N + x, where potts keeps each city's row summing
 * to one (x's rows sum to 0), a city's outputs exp(u_j / T) / sum are 1/N + (du_j - mean du) /
 * (N T): the update is x -> P J x / (N T), J the linear map of the inputs and P the centring of
 * each row. On row-centred x the row term gives A x, the global and bias terms nothing, the column
 * term B (x - 1 1' x) and the tour term -D Dist x S, S the sum of the neighbouring positions,
 * whose eigenvalues on centred positions are s_q = 2 cos(2 pi q / N), q = 1 ... N - 1. So x = y
 * e_q is an eigenvector when y is one of M(s_q) = (A + B) I - B 1 1' - D s_q Dist, and the
 * uniform state is stable while N T exceeds the largest eigenvalue of every M(s_q): T_c = that
 * eigenvalue / N. The largest eigenvalue of M(s) is convex in s, so the largest over q is at the
 * smallest or the largest s_q. Softassign keeps columns summing to one too, so y is centred as
 * well and its self-term adds gamma: M(s) = (A + B + gamma) I - D s (P Dist P) on centred y. */
#include "network.h"

#include <math.h>

namespace {

/* The most cities whose spectrum is had by Jacobi rotations (the values the tools have always
 * printed) and kept for the next run; above it, in O(N^3) time of a few passes, by
 * tridiagonalisation and QL. */
const int JACOBI_MOST = 100;

double eigen_of[JACOBI_MOST][JACOBI_MOST]; /* the distances the spectrum kept is of */
int eigen_n = 0;                           /* their cities; 0: none kept */
double eigenvalue[MAXCITY];                /* the distance matrix's eigenvalues */
double ones_weight[MAXCITY];               /* the square of the vector of ones' part along each */

double (*const a)[MAXCITY] = work_space; /* the symmetric distances, worked on */

/* The larger of |x| and |y| times sqrt(1 + the smaller's square over it): sqrt(x^2 + y^2) without
 * overflow; 0 for both 0. */
double length_of(double x, double y) {
  const double ax = fabs(x), ay = fabs(y);
  if (ax > ay) return ax * sqrt(1.0 + (ay / ax) * (ay / ax));
  return ay == 0.0 ? 0.0 : ay * sqrt(1.0 + (ax / ay) * (ax / ay));
}

/* The eigenvalues of a's first n rows and columns (symmetric; a is overwritten) into eigenvalue,
 * and the square of each eigenvector's sum into ones_weight: Householder reflections from the last
 * row up make it tridiagonal (its lower triangle kept, each reflection also applied to the vector
 * of ones), then implicit QL steps with Wilkinson's shift find the tridiagonal's eigenvalues,
 * each rotation applied to that vector too, which ends as the eigenvectors' sums. A block of the
 * tridiagonal that does not converge in 60 steps is left as it stands. */
void tridiagonal_spectrum(int n) {
  static double d[MAXCITY], e[MAXCITY], p[MAXCITY], w[MAXCITY];
  for (int i = 0; i < n; i++) w[i] = 1.0;
  for (int i = n - 1; i >= 1; i--) {
    const int l = i - 1;
    double scale = 0.0, h = 0.0;
    for (int k = 0; k <= l; k++) scale += fabs(a[i][k]);
    if (l == 0 || scale == 0.0) {
      e[i] = a[i][l];
      continue;
    }
    for (int k = 0; k <= l; k++) {
      a[i][k] = a[i][k] / scale;
      h += a[i][k] * a[i][k];
    }
    const double f = a[i][l], g = f >= 0.0 ? -sqrt(h) : sqrt(h);
    e[i] = scale * g;
    h = h - f * g;   /* half the square of the reflection's vector u = a[i][0 ... l] */
    a[i][l] = f - g; /* H = I - u u' / h */
    double uw = 0.0; /* H applied to w */
    for (int k = 0; k <= l; k++) uw += a[i][k] * w[k];
    for (int k = 0; k <= l; k++) w[k] = w[k] - a[i][k] * (uw / h);
    for (int j = 0; j <= l; j++) p[j] = 0.0; /* p = A u / h, A's lower triangle read by rows */
    for (int j = 0; j <= l; j++) {
      double sum = 0.0;
      for (int k = 0; k < j; k++) {
        sum += a[j][k] * a[i][k];
        p[k] += a[j][k] * a[i][j];
      }
      p[j] += sum + a[j][j] * a[i][j];
    }
    double up = 0.0;
    for (int j = 0; j <= l; j++) {
      p[j] = p[j] / h;
      up += a[i][j] * p[j];
    }
    const double half = up / (h + h);
    for (int j = 0; j <= l; j++) p[j] = p[j] - half * a[i][j]; /* A = A - u q' - q u' */
    for (int j = 0; j <= l; j++)
      for (int k = 0; k <= j; k++) a[j][k] = a[j][k] - (a[i][j] * p[k] + p[j] * a[i][k]);
  }
  for (int i = 0; i < n; i++) d[i] = a[i][i];
  for (int i = 1; i < n; i++) e[i - 1] = e[i];
  e[n - 1] = 0.0;
  for (int l = 0; l < n; l++) {
    for (int steps = 0;; steps++) {
      int m = l;
      for (; m < n - 1; m++) {
        const double dd = fabs(d[m]) + fabs(d[m + 1]);
        if (fabs(e[m]) + dd == dd) break;
      }
      if (m == l || steps == 60) break;
      double g = (d[l + 1] - d[l]) / (2.0 * e[l]), r = length_of(g, 1.0);
      g = d[m] - d[l] + e[l] / (g + (g >= 0.0 ? r : -r));
      double s = 1.0, c = 1.0, shift = 0.0;
      int i = m - 1;
      for (; i >= l; i--) {
        const double f = s * e[i], b = c * e[i];
        e[i + 1] = r = length_of(f, g);
        if (r == 0.0) {
          d[i + 1] = d[i + 1] - shift;
          e[m] = 0.0;
          break;
        }
        s = f / r, c = g / r;
        g = d[i + 1] - shift;
        r = (d[i] - g) * s + 2.0 * c * b;
        shift = s * r;
        d[i + 1] = g + shift;
        g = c * r - b;
        const double wi = w[i], wn = w[i + 1];
        w[i + 1] = s * wi + c * wn, w[i] = c * wi - s * wn;
      }
      if (r == 0.0 && i >= l) continue;
      d[l] = d[l] - shift;
      e[l] = g, e[m] = 0.0;
    }
  }
  for (int k = 0; k < n; k++) eigenvalue[k] = d[k], ones_weight[k] = w[k] * w[k];
}

/* The eigenvalues of the distances into eigenvalue, and the square of each eigenvector's sum into
 * ones_weight, unless they are those kept of the same distances: by cyclic Jacobi rotations up
 * to JACOBI_MOST cities (and kept), by tridiagonal_spectrum above. */
void distance_spectrum(int n) {
  bool same = eigen_n == n;
  for (int i = 0; i < n && same; i++)
    for (int j = 0; j < n && same; j++) same = eigen_of[i][j] == distance[i][j];
  if (same) return;
  eigen_n = 0;
  static double q[JACOBI_MOST][JACOBI_MOST];
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      a[i][j] = 0.5 * (distance[i][j] + distance[j][i]); /* symmetric, as a distance is */
      if (n <= JACOBI_MOST) q[i][j] = i == j ? 1.0 : 0.0, eigen_of[i][j] = distance[i][j];
    }
  if (n > JACOBI_MOST) return tridiagonal_spectrum(n);
  for (int sweep = 0; sweep < 100; sweep++) {
    double off = 0.0, whole = 0.0;
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) {
        whole += a[i][j] * a[i][j];
        if (i != j) off += a[i][j] * a[i][j];
      }
    if (!(off > 1e-28 * whole)) break;
    for (int p = 0; p < n; p++)
      for (int r = p + 1; r < n; r++) {
        if (a[p][r] == 0.0) continue;
        const double theta = (a[r][r] - a[p][p]) / (2.0 * a[p][r]);
        const double t = (theta >= 0 ? 1.0 : -1.0) / (fabs(theta) + sqrt(theta * theta + 1.0));
        const double c = 1.0 / sqrt(t * t + 1.0), s = t * c;
        for (int k = 0; k < n; k++) { /* columns p and r of a, then its rows */
          const double akp = a[k][p], akr = a[k][r];
          a[k][p] = c * akp - s * akr, a[k][r] = s * akp + c * akr;
        }
        for (int k = 0; k < n; k++) {
          const double apk = a[p][k], ark = a[r][k];
          a[p][k] = c * apk - s * ark, a[r][k] = s * apk + c * ark;
        }
        for (int k = 0; k < n; k++) {
          const double qkp = q[k][p], qkr = q[k][r];
          q[k][p] = c * qkp - s * qkr, q[k][r] = s * qkp + c * qkr;
        }
      }
  }
  for (int k = 0; k < n; k++) {
    double sum = 0.0;
    for (int i = 0; i < n; i++) sum += q[i][k];
    eigenvalue[k] = a[k][k], ones_weight[k] = sum * sum;
  }
  eigen_n = n;
}

/* How many eigenvalues of diag(alpha) + rho w w' lie above x (w w' the weights ones_weight,
 * inv_rho = 1 / rho; inv_rho 0 with negative: rho minus infinity, the matrix on the vectors
 * orthogonal to w), by the inertia of its bordered matrix: #(alpha above x) + [-1/rho - sum of
 * w^2 / (alpha - x) > 0] - [rho < 0]. An alpha equal to x is left out of the sum. */
int above(const double alpha[], int n, double inv_rho, bool negative, double x) {
  int count = 0;
  double sum = 0.0;
  for (int k = 0; k < n; k++) {
    if (alpha[k] > x) count++;
    if (alpha[k] != x) sum += ones_weight[k] / (alpha[k] - x);
  }
  return count + (-inv_rho - sum > 0 ? 1 : 0) - (negative ? 1 : 0);
}

/* The largest eigenvalue of diag(alpha) + rho w w' (inv_rho, negative: as above, rho not 0), by
 * bisection on the count above it, between bounds every eigenvalue lies within. */
double largest(const double alpha[], int n, double inv_rho, bool negative) {
  double lo = alpha[0], hi = alpha[0], weight = 0.0;
  for (int k = 0; k < n; k++) {
    lo = alpha[k] < lo ? alpha[k] : lo, hi = alpha[k] > hi ? alpha[k] : hi;
    weight += ones_weight[k];
  }
  const double reach = inv_rho == 0.0 ? 0.0 : weight / fabs(inv_rho);
  lo = lo - reach - 1.0, hi = hi + reach + 1.0;
  for (int step = 0; step < 2000; step++) {
    const double mid = lo + 0.5 * (hi - lo);
    if (!(mid > lo && mid < hi)) break;
    if (above(alpha, n, inv_rho, negative, mid) >= 1)
      lo = mid;
    else
      hi = mid;
  }
  return lo;
}

/* cos(x) for x in [0, pi] by its series, in plain arithmetic (the same bits everywhere). */
double series_cos(double x) {
  double term = 1.0, sum = 1.0;
  for (int k = 1; k <= 30; k++) {
    term = term * (-x * x) / ((2.0 * k - 1.0) * (2.0 * k));
    sum += term;
  }
  return sum;
}

} // namespace

double critical_temperature(const Network &net) {
  const int n = net.n;
  distance_spectrum(n);
  const bool doubly = net.rule == RULE_SOFTASSIGN;
  /* The extreme sums of neighbouring positions, 2 cos(2 pi q / N) for q = 1 ... N - 1: q = 1,
   * and q = N / 2 (N even) or (N - 1) / 2. */
  const double pi = 3.141592653589793;
  const double s_high = 2.0 * series_cos(2.0 * pi / n),
               s_low = 2.0 * series_cos(2.0 * pi * (n / 2) / n);
  const double shift = doubly ? net.a + net.b + net.gamma : net.a + net.b;
  double most = -INFINITY;
  const double sums[2] = {s_low, s_high};
  for (const double s : sums) {
    double alpha[MAXCITY];
    for (int k = 0; k < n; k++) alpha[k] = -net.d * s * eigenvalue[k];
    double top;
    if (doubly) /* on centred y: B 1 1' is nothing there */
      top = largest(alpha, n, 0.0, true);
    else if (net.b == 0.0) {
      top = alpha[0];
      for (int k = 1; k < n; k++) top = alpha[k] > top ? alpha[k] : top;
    } else
      top = largest(alpha, n, 1.0 / -net.b, net.b > 0.0);
    const double lambda = shift + top;
    most = lambda > most ? lambda : most;
  }
  return most / n;
}

double start_temperature(const Network &net) {
  if (net.t0 > 0.0) return net.t0;
  const double t = critical_temperature(net);
  return t > 0.0 && t - t == 0 ? t : 1.0;
}
