// The picture of one run: a film of the 50 states, the curves of the energy, its terms and L,
// and the map of the last tour the run formed. Start at trace_svg; each panel has its function.
#include <algorithm>
#include <cmath>

#include "args.h"
#include "report.h"
#include "svg.h"

namespace {

const int WIDTH = 830, HEIGHT = 870;

// Ten grids across, five down; a cell is 6 px, so a grid is 54 px with room for its label.
const double FILM_LEFT = 40, FILM_TOP = 84, CELL = 6, PITCH_X = 72, PITCH_Y = 80;

std::string film(const Cycle cycles[NSWEEP]) {
  std::string s = svg_text(FILM_LEFT, FILM_TOP - 30, 12, "start",
                           "In each grid the rows are cities 1 to 9 (down), the columns tour "
                           "positions 1 to 9 (across); a dot marks a unit above 0.5.",
                           " fill=\"#555555\"");
  for (int c = 0; c < NSWEEP; c++) {
    const double gx = FILM_LEFT + PITCH_X * (c % 10), gy = FILM_TOP + PITCH_Y * (c / 10);
    s += svg_text(gx, gy - 4, 10, "start", fmt("cycle %d", c));
    s += "<g class=\"grid\">";
    for (int i = 0; i < NCITY; i++)
      for (int j = 0; j < NCITY; j++) {
        const double v = cycles[c].state[i][j], x = gx + CELL * j, y = gy + CELL * i;
        s += fmt("<rect class=\"cell\" x=\"%.0f\" y=\"%.0f\" width=\"6\" height=\"6\" "
                 "fill=\"%s\"/>",
                 x, y, scale_colour(v).c_str());
        if (v > ON_ABOVE)
          s += fmt("<circle class=\"on\" cx=\"%.0f\" cy=\"%.0f\" r=\"1.3\"/>", x + 3, y + 3);
      }
    s += "</g>\n";
  }
  s += scale_legend(FILM_LEFT + PITCH_X * 10 + 10, FILM_TOP, 200, "0", "1", "output");
  return s;
}

// The curves of E, EA, EB, ED and L over cycles 1 to 49, on one scale: the energy lines nuv
// prints. The random start, far above them, would flatten them.
std::string curves(const Cycle cycles[NSWEEP]) {
  const double left = 80, top = 520, w = 420, h = 250;
  struct Curve {
    const char *name, *colour, *dash;
    double Cycle::*value;
    int term;
  } const curve[] = {{"E", "#000000", "", &Cycle::e, -1},
                     {"EA", "#d04030", "", nullptr, 0},
                     {"EB", "#3060c0", "", nullptr, 1},
                     {"ED", "#2a9d50", "", nullptr, 2},
                     {"L", "#e08a00", " stroke-dasharray=\"5 3\"", &Cycle::l, -1}};
  auto value = [&](const Curve &k, const Cycle &y) {
    return k.value ? y.*k.value : y.term[k.term];
  };
  double lo = 0, hi = 0;
  for (const Curve &k : curve)
    for (int c = 1; c < NSWEEP; c++)
      lo = std::min(lo, value(k, cycles[c])), hi = std::max(hi, value(k, cycles[c]));
  if (hi == lo) hi = lo + 1;
  auto px = [&](int c) { return left + w * (c - 1) / (NSWEEP - 2); };
  auto py = [&](double v) { return top + h * (hi - v) / (hi - lo); };

  std::string s = svg_text(left, top - 24, 14, "start", "The energy E, its terms and L");
  s += svg_text(
      left, top - 8, 11, "start",
      fmt("from cycle 1 on; at the random start E = %.4g, L = %.4g", cycles[0].e, cycles[0].l),
      " fill=\"#555555\"");
  s += fmt("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
           "stroke=\"#888888\"/>\n",
           left, top, w, h);
  for (double v : {lo, 0.0, hi}) {
    if (v == 0.0 && std::min(-lo, hi) < (hi - lo) / 10) continue; // too near an end to label
    s += fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#dddddd\"/>\n", left,
             py(v), left + w, py(v));
    s += svg_text(left - 6, py(v) + 4, 11, "end", fmt("%.4g", v));
  }
  for (int c = 1; c < NSWEEP; c += c == 1 ? 9 : 10)
    s += svg_text(px(c), top + h + 16, 11, "middle", fmt("%d", c));
  s += svg_text(left + w / 2, top + h + 34, 12, "middle", "cycle", " class=\"axis\"");
  s += fmt("<text class=\"axis\" x=\"%.1f\" y=\"%.1f\" font-size=\"12\" text-anchor=\"middle\" "
           "transform=\"rotate(-90 %.1f %.1f)\">E, EA, EB, ED and L</text>\n",
           left - 56, top + h / 2, left - 56, top + h / 2);
  for (size_t n = 0; n < sizeof curve / sizeof *curve; n++) {
    const Curve &k = curve[n];
    std::string points;
    for (int c = 1; c < NSWEEP; c++)
      points += fmt("%s%.1f,%.1f", c > 1 ? " " : "", px(c), py(value(k, cycles[c])));
    s += fmt("<polyline class=\"curve\" points=\"%s\" fill=\"none\" stroke=\"%s\" "
             "stroke-width=\"1.5\"%s/>\n",
             points.c_str(), k.colour, k.dash);
    s += fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
             "stroke-width=\"2\"%s/>",
             left + 70 * n, top + h + 52, left + 70 * n + 18, top + h + 52, k.colour, k.dash);
    s += svg_text(left + 70 * n + 22, top + h + 56, 12, "start", k.name);
  }
  return s;
}

// The last tour the run formed, solid, and an optimal tour dashed; or the last outcome.
std::string map(const Cycle cycles[NSWEEP]) {
  const MapFrame frame = {590, 520, 45};
  const Optimum optimum = find_optimum();
  int last = NSWEEP - 1;
  while (last >= 0 && cycles[last].outcome != OUTCOME_TOUR) last--;
  std::string s = svg_text(frame.left - 20, frame.top - 24, 14, "start", "The last tour formed");
  std::string caption, detail;
  if (last >= 0) {
    const Cycle &y = cycles[last];
    s += map_tour(frame, y.tour, "found", FOUND_STYLE);
    s += map_tour(frame, y.rank == 1 ? y.tour : optimum.tour, "optimal", OPTIMAL_STYLE);
    caption = fmt("cycle %d: %s", y.cycle, tour_text(y.tour).s);
    detail = fmt("length %.4f, ratio %.4f, rank %d", y.length, y.ratio, y.rank);
  } else {
    s += map_tour(frame, optimum.tour, "optimal", OPTIMAL_STYLE);
    caption = "no tour: the last state is " + std::string(outcome_name(cycles[NSWEEP - 1].outcome));
    detail = "dashed: an optimal tour";
  }
  s += map_cities(frame);
  const double x = frame.left + 2 * frame.unit, y = frame.top + 6 * frame.unit;
  s += svg_text(x, y + 40, 12, "middle", caption);
  s += svg_text(x, y + 58, 12, "middle", detail, " fill=\"#555555\"");
  return s;
}

} // namespace

std::string trace_svg(const double coef[3], uint32_t seed, const Cycle cycles[NSWEEP],
                      const std::string &description) {
  std::string s = svg_open(WIDTH, HEIGHT, description);
  s += svg_text(FILM_LEFT, 28, 16, "start",
                "nuv " + shortest(coef[0]) + " " + shortest(coef[1]) + " " + shortest(coef[2]) +
                    " " + std::to_string(seed) + ": the state at every cycle");
  s += film(cycles);
  s += curves(cycles);
  s += map(cycles);
  s += "</svg>\n";
  return s;
}
