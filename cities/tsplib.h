// TSPLIB's distance functions, as TSPLIB defines them: rounded Euclidean, the pseudo-Euclidean
// ATT and the geographical GEO (degrees truncated, as TSPLIB's optima need). Plain C++, for the
// tools and the page alike; tsplib_distances fills the model's citydistance from cityxy.
#ifndef NUV_CITIES_TSPLIB_H
#define NUV_CITIES_TSPLIB_H

enum Metric { METRIC_EUC_2D, METRIC_ATT, METRIC_GEO };

double tsplib_euc_2d(double xi, double yi, double xj, double yj);
double tsplib_att(double xi, double yi, double xj, double yj);
double tsplib_geo(double xi, double yi, double xj, double yj);

// citydistance for the network.n cities of cityxy by the metric, 0 on the diagonal, and
// network.distances_given set, so that the network uses them. GEO reads x as latitude and y as
// longitude, then swaps them, so that a map has longitude across and latitude up.
void tsplib_distances(Metric metric);

#endif
