// TSPLIB's distance functions. Start at tsplib_distances.
#include "tsplib.h"

#include <math.h>

#include "network.h"

// nint: TSPLIB's rounding to the nearest integer, half up.
static double nint(double x) {
  return floor(x + 0.5);
}

double tsplib_euc_2d(double xi, double yi, double xj, double yj) {
  const double dx = xi - xj, dy = yi - yj;
  return nint(sqrt(dx * dx + dy * dy));
}

double tsplib_att(double xi, double yi, double xj, double yj) {
  const double dx = xi - xj, dy = yi - yj;
  const double r = sqrt((dx * dx + dy * dy) / 10.0), t = nint(r);
  return t < r ? t + 1 : t;
}

// Degrees and minutes (DDD.MM) in radians, the degrees truncated.
static double geo_radians(double v) {
  const double PI = 3.141592;
  const double deg = trunc(v), min = v - deg;
  return PI * (deg + 5.0 * min / 3.0) / 180.0;
}

// Latitude x and longitude y.
double tsplib_geo(double xi, double yi, double xj, double yj) {
  const double RRR = 6378.388;
  const double lat_i = geo_radians(xi), lon_i = geo_radians(yi), lat_j = geo_radians(xj),
               lon_j = geo_radians(yj);
  const double q1 = cos(lon_i - lon_j), q2 = cos(lat_i - lat_j), q3 = cos(lat_i + lat_j);
  return trunc(RRR * acos(0.5 * ((1.0 + q1) * q2 - (1.0 - q1) * q3)) + 1.0);
}

void tsplib_distances(Metric metric) {
  const int n = network.n;
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      const double xi = cityxy[i][0], yi = cityxy[i][1], xj = cityxy[j][0], yj = cityxy[j][1];
      citydistance[i][j] = i == j                    ? 0.0
                           : metric == METRIC_EUC_2D ? tsplib_euc_2d(xi, yi, xj, yj)
                           : metric == METRIC_ATT    ? tsplib_att(xi, yi, xj, yj)
                                                     : tsplib_geo(xi, yi, xj, yj);
    }
  network.distances_given = true;
  if (metric == METRIC_GEO) // drawn with longitude across and latitude up
    for (int i = 0; i < n; i++) {
      const double latitude = cityxy[i][0];
      cityxy[i][0] = cityxy[i][1], cityxy[i][1] = latitude;
    }
}
