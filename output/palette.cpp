// The colour scale, where a unit's output stands on it, the energy curves' styles and the map's;
// see palette.h. Start at scale_rgb.
#include "palette.h"

#include <math.h>

// Each component by linear interpolation between the scale's two stops around t, rounded with
// halves away from zero (the components are never negative).
void scale_rgb(double t, int rgb[3]) {
  static const int stop[3][3] = {{0x44, 0x01, 0x54}, {0x21, 0x91, 0x8c}, {0xfd, 0xe7, 0x25}};
  t = t * 2 < 0.0 ? 0.0 : t * 2 > 2.0 ? 2.0 : t * 2;
  const int k = t >= 1.0 ? 1 : 0;
  const double f = t - k;
  for (int n = 0; n < 3; n++) rgb[n] = int(round(stop[k][n] + (stop[k + 1][n] - stop[k][n]) * f));
}

double unit_position(double v, int n) {
  if (n <= GRID_LINEAR_UPTO || v != v) return v; // the NaN stays
  if (!(v > 0)) return 0.0;
  const double t = 1 + log(v) / (2 * log(double(n)));
  return t < 0.0 ? 0.0 : t > 1.0 ? 1.0 : t;
}

const CurveStyle CURVE_STYLE[NCURVE] = {{"E", "#000000", ""},     {"EA", "#d04030", "8 4"},
                                        {"EB", "#3060c0", "2 3"}, {"ED", "#2a9d50", "8 3 2 3"},
                                        {"EC", "#8a4fc0", "4 2"}, {"L", "#e08a00", "14 4"}};

const MapStyle MAP_STYLE = {"#7fb0e0", "5", "#333333", "1.5", "6 4", "#d04030"};
