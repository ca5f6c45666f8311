// The map of the cities, drawn from cityxy with the SVG pieces of output/svg.h. Start at
// map_frame.
#include "map.h"

#include <algorithm>
#include <cmath>

#include "network.h"
#include "palette.h"
#include "svg.h"
#include "text.h"

const std::string FOUND_STYLE =
    fmt("stroke=\"%s\" stroke-width=\"%s\"", MAP_STYLE.found_colour, MAP_STYLE.found_width);
const std::string OPTIMAL_STYLE =
    fmt("stroke=\"%s\" stroke-width=\"%s\" stroke-dasharray=\"%s\"", MAP_STYLE.optimal_colour,
        MAP_STYLE.optimal_width, MAP_STYLE.optimal_dash);

namespace {

double map_x(const MapFrame &m, double x) {
  return m.left + (x - m.x0) * m.unit;
}
double map_y(const MapFrame &m, double y) {
  return m.top + (m.y1 - y) * m.unit;
}

} // namespace

MapFrame map_frame(double left, double top, double width, double height) {
  double x0 = cityxy[0][0], x1 = x0, y0 = cityxy[0][1], y1 = y0;
  for (int i = 1; i < network.n; i++) {
    x0 = std::min(x0, cityxy[i][0]), x1 = std::max(x1, cityxy[i][0]);
    y0 = std::min(y0, cityxy[i][1]), y1 = std::max(y1, cityxy[i][1]);
  }
  // Halves, so that no span overflows; a box of no width or height takes the other's.
  const double across = x1 / 2 - x0 / 2, up = y1 / 2 - y0 / 2;
  double unit =
      std::min(across > 0 ? width / 2 / across : INFINITY, up > 0 ? height / 2 / up : INFINITY);
  if (!std::isfinite(unit) || unit <= 0) unit = 1;
  return {left, top, unit, x0, y1};
}

namespace {

// Marks that shrink with the cities: nine or fewer at full size, a hundred at about a third.
double mark_scale() {
  return std::min(1.0, 3.0 / std::sqrt(double(network.n)));
}

} // namespace

std::string map_cities(const MapFrame &m) {
  std::string s;
  const double size = std::min(m.unit, 70.0) * mark_scale();
  // Beyond MAP_NUMBERS_UPTO cities a dot of 1 px whatever the coordinates' unit: TSPLIB's
  // thousands of units a side would make it vanish.
  const double r = network.n <= MAP_NUMBERS_UPTO ? size / 10 : 1.0;
  for (int i = 0; i < network.n; i++) {
    double x = map_x(m, cityxy[i][0]), y = map_y(m, cityxy[i][1]);
    s += fmt("<circle class=\"city\" cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\" fill=\"%s\"/>\n", x, y, r,
             MAP_STYLE.city_colour);
    if (network.n <= MAP_NUMBERS_UPTO)
      s += svg_text(x + size / 7, y - size / 7, std::max(7, int(size / 5)), "start",
                    fmt("%d", i + 1));
  }
  return s;
}

std::string tour_caption(const Tour &tour) {
  return network.n <= MAP_NUMBERS_UPTO ? tour_text(tour).s : "";
}

std::string map_tour(const MapFrame &m, const Tour &tour, const char *cls, const char *style) {
  std::string points;
  for (int j = 0; j < network.n; j++)
    points += fmt("%s%.1f,%.1f", j ? " " : "", map_x(m, cityxy[tour.city[j]][0]),
                  map_y(m, cityxy[tour.city[j]][1]));
  return fmt("<polygon class=\"%s\" points=\"%s\" fill=\"none\" %s/>\n", cls, points.c_str(),
             style);
}
