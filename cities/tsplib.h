// TSPLIB's distance functions, as TSPLIB defines them: rounded Euclidean, the pseudo-Euclidean
// ATT and the geographical GEO (degrees truncated, as TSPLIB's optima need). Plain C++, for the
// tools and the page alike; tsplib_distances fills the model's citydistance from cityxy.
#ifndef NUV_CITIES_TSPLIB_H
#define NUV_CITIES_TSPLIB_H

// How a network's distances are had, as the page's module names them too: 0 from plain x y
// coordinates (Euclidean, the network scales them), 1 to 3 by TSPLIB's EUC_2D, ATT and GEO from
// the coordinates, 4 given as a matrix.
enum Metric { METRIC_XY, METRIC_EUC_2D, METRIC_ATT, METRIC_GEO, METRIC_MATRIX };

double tsplib_euc_2d(double xi, double yi, double xj, double yj);
double tsplib_att(double xi, double yi, double xj, double yj);
double tsplib_geo(double xi, double yi, double xj, double yj);

// citydistance for the network.n cities of cityxy by the metric, one of TSPLIB's three
// (METRIC_EUC_2D, METRIC_ATT, METRIC_GEO), 0 on the diagonal, and
// network.distances_given set, so that the network uses them. GEO reads x as latitude and y as
// longitude, then swaps them, so that a map has longitude across and latitude up.
void tsplib_distances(Metric metric);

#endif
