// The picture of one run: a film of the 50 states, the curves of the energy, its terms and L,
// the map of the last tour the run formed, and what each curve is. Start at trace_svg; each
// panel has its function. A value that is not finite is never drawn as a coordinate: it is a
// marked gap, and the caption says so.
#include "film.h"

#include <algorithm>
#include <cmath>

#include "args.h"
#include "svg.h"

namespace {

const int WIDTH = 1180, HEIGHT = 1230;

// Ten grids across, five down; a cell is 9 px, so a grid is 81 px with room for its label.
const double FILM_LEFT = 40, FILM_TOP = 110, CELL = 9, PITCH_X = 106, PITCH_Y = 108;

// A unit whose output is not a number: white, crossed.
std::string gap_cell(double x, double y) {
  return fmt("<rect class=\"cell\" x=\"%.0f\" y=\"%.0f\" width=\"9\" height=\"9\" fill=\"white\" "
             "stroke=\"#999999\" stroke-width=\"0.5\"/><path class=\"gap\" d=\"M%.0f,%.0f l9,9 "
             "m0,-9 l-9,9\" stroke=\"#999999\" stroke-width=\"0.8\"/>",
             x, y, x, y);
}

std::string film(const Cycle cycles[NSWEEP]) {
  std::string s = svg_text(FILM_LEFT, FILM_TOP - 34, 13, "start",
                           "In each grid the rows are cities 1 to 9 (down), the columns tour "
                           "positions 1 to 9 (across); a dot marks a unit above 0.5.",
                           " fill=\"#555555\"");
  int gaps = 0;
  for (int c = 0; c < NSWEEP; c++) {
    const double gx = FILM_LEFT + PITCH_X * (c % 10), gy = FILM_TOP + PITCH_Y * (c / 10);
    s += svg_text(gx, gy - 5, 12, "start", fmt("cycle %d", c));
    s += "<g class=\"grid\">";
    for (int i = 0; i < NCITY; i++)
      for (int j = 0; j < NCITY; j++) {
        const double v = cycles[c].state[i][j], x = gx + CELL * j, y = gy + CELL * i;
        if (std::isnan(v)) {
          s += gap_cell(x, y), gaps++;
          continue;
        }
        s += fmt("<rect class=\"cell\" x=\"%.0f\" y=\"%.0f\" width=\"9\" height=\"9\" "
                 "fill=\"%s\"/>",
                 x, y, scale_colour(v).c_str());
        if (v > ON_ABOVE)
          s += fmt("<circle class=\"on\" cx=\"%.1f\" cy=\"%.1f\" r=\"2\"/>", x + 4.5, y + 4.5);
      }
    s += "</g>\n";
  }
  s += scale_legend(FILM_LEFT + PITCH_X * 10 + 4, FILM_TOP, 300,
                    {{0, "0"}, {0.25, "0.25"}, {0.5, "0.5"}, {0.75, "0.75"}, {1, "1"}}, "output");
  if (gaps > 0)
    s += svg_text(FILM_LEFT, FILM_TOP + PITCH_Y * 5 - 8, 12, "start",
                  fmt("%d unit outputs over the run are not a number: white, crossed", gaps),
                  " fill=\"#b03020\"");
  return s;
}

// The curves of E, EA, EB, ED and L over cycles 1 to 49, on one scale: the energy lines nuv
// prints. The random start, far above them, would flatten them. Each curve has its own dash as
// well as its colour, so that one curve lying on another still shows.
std::string curves(const Cycle cycles[NSWEEP]) {
  const double left = 100, top = 720, w = 600, h = 300;
  struct Curve {
    const char *name, *colour, *dash;
    double Cycle::*value;
    int term;
  } const curve[] = {{"E", "#000000", "", &Cycle::e, -1},
                     {"EA", "#d04030", " stroke-dasharray=\"8 4\"", nullptr, 0},
                     {"EB", "#3060c0", " stroke-dasharray=\"2 3\"", nullptr, 1},
                     {"ED", "#2a9d50", " stroke-dasharray=\"8 3 2 3\"", nullptr, 2},
                     {"L", "#e08a00", " stroke-dasharray=\"14 4\"", &Cycle::l, -1}};
  auto value = [&](const Curve &k, const Cycle &y) {
    return k.value ? y.*k.value : y.term[k.term];
  };
  // The scale of the finite values; halves, so that the span of the largest doubles is finite.
  double lo = 0, hi = 0;
  int left_out = 0;
  for (const Curve &k : curve)
    for (int c = 1; c < NSWEEP; c++) {
      const double v = value(k, cycles[c]);
      if (!std::isfinite(v)) {
        left_out++;
        continue;
      }
      lo = std::min(lo, v), hi = std::max(hi, v);
    }
  if (hi == lo) hi = lo + 1;
  auto px = [&](int c) { return left + w * (c - 1) / (NSWEEP - 2); };
  auto py = [&](double v) { return plot_y(top, h, lo, hi, v); };

  std::string s = svg_text(left, top - 30, 15, "start", "The energy E, its terms and L");
  s += svg_text(
      left, top - 12, 12, "start",
      fmt("from cycle 1 on; at the random start E = %.4g, L = %.4g", cycles[0].e, cycles[0].l),
      " fill=\"#555555\"");
  s += plot_frame(left, top, w, h, lo, hi, 12, "");
  for (int c = 1; c < NSWEEP; c += c == 1 ? 9 : 10)
    s += svg_text(px(c), top + h + 18, 12, "middle", fmt("%d", c));
  s += svg_text(left + w / 2, top + h + 38, 13, "middle", "cycle", " class=\"axis\"");
  s += svg_upward_text(left - 70, top + h / 2, 13, "E, EA, EB, ED and L");
  for (size_t n = 0; n < sizeof curve / sizeof *curve; n++) {
    const Curve &k = curve[n];
    // One polyline per run of finite values: a value that is not finite leaves a gap.
    std::string points;
    auto flush = [&] {
      if (!points.empty())
        s += fmt("<polyline class=\"curve\" points=\"%s\" fill=\"none\" stroke=\"%s\" "
                 "stroke-width=\"2\"%s/>\n",
                 points.c_str(), k.colour, k.dash);
      points.clear();
    };
    for (int c = 1; c < NSWEEP; c++) {
      const double v = value(k, cycles[c]);
      if (!std::isfinite(v)) {
        flush();
        continue;
      }
      points += fmt("%s%.1f,%.1f", points.empty() ? "" : " ", px(c), py(v));
    }
    flush();
    s += fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
             "stroke-width=\"2\"%s/>",
             left + 90 * n, top + h + 60, left + 90 * n + 36, top + h + 60, k.colour, k.dash);
    s += svg_text(left + 90 * n + 42, top + h + 64, 13, "start", k.name);
  }
  if (left_out > 0)
    s +=
        svg_text(left, top + h + 84, 12, "start",
                 fmt("%d values are not finite and are left out: the gaps in the curves", left_out),
                 " fill=\"#b03020\"");
  return s;
}

// The last tour the run formed, solid, and an optimal tour dashed; or the last outcome.
std::string map(const Cycle cycles[NSWEEP]) {
  const MapFrame frame = {830, 720, 55};
  const Optimum optimum = find_optimum();
  int last = NSWEEP - 1;
  while (last >= 0 && cycles[last].outcome != OUTCOME_TOUR) last--;
  std::string s = svg_text(frame.left - 20, frame.top - 30, 15, "start", "The last tour formed");
  std::string caption, detail, legend;
  if (last >= 0) {
    const Cycle &y = cycles[last];
    s += map_tour(frame, y.tour, "found", FOUND_STYLE);
    s += map_tour(frame, y.rank == 1 ? y.tour : optimum.tour, "optimal", OPTIMAL_STYLE);
    caption = fmt("cycle %d: %s", y.cycle, tour_text(y.tour).s);
    detail = fmt("length %.4f, ratio %.4f, rank %d", y.length, y.ratio, y.rank);
    legend = y.rank == 1 ? "solid: the tour formed, dashed: optimal (the same tour)"
                         : "solid: the tour formed; dashed: an optimal tour";
  } else {
    s += map_tour(frame, optimum.tour, "optimal", OPTIMAL_STYLE);
    caption = "no tour: the last state is " + std::string(outcome_name(cycles[NSWEEP - 1].outcome));
    legend = "dashed: an optimal tour";
  }
  s += map_cities(frame);
  const double x = frame.left + 2 * frame.unit, y = frame.top + 6 * frame.unit;
  s += svg_text(x, y + 40, 13, "middle", caption);
  if (!detail.empty()) s += svg_text(x, y + 58, 12, "middle", detail, " fill=\"#555555\"");
  s += svg_text(x, y + 76, 12, "middle", legend, " fill=\"#555555\"");
  return s;
}

// What the curves are, in a few lines under them.
std::string legend() {
  static const char *const line[] = {
      "E is the energy as nuv prints it, EA + EB + ED. EA, the row term: Acoef / 2 times the "
      "products of pairs of units in one city's row (a city at two positions). EB, the column "
      "term: the same for one position's column (two cities at one position), weighed by Bcoef. "
      "ED, the tour-length term: Dcoef / 2 times each unit times its city's distances to the "
      "cities at the neighbouring positions.",
      "L = E - (Acoef + Bcoef) * (sum of outputs) + the sum over units of G(v), with G(v) = "
      "(U0 / 2)(v ln 2v + (1 - v) ln(2 - 2v)), U0 = 0.5. Each in-place update moves one unit to "
      "the lowest L along it, so L never rises, while E can."};
  std::string s;
  double y = 1150;
  for (const char *text : line) {
    int lines;
    s += svg_wrapped(FILM_LEFT, y, 12, "start", text, WIDTH - 2 * FILM_LEFT, &lines,
                     " fill=\"#333333\"");
    y += 16 * lines + 4;
  }
  return s;
}

} // namespace

std::string trace_svg(const double coef[3], uint32_t seed, const Cycle cycles[NSWEEP],
                      const std::string &description) {
  std::string s = svg_open(WIDTH, HEIGHT, description);
  s += svg_text(FILM_LEFT, 34, 18, "start",
                "nuv " + shortest(coef[0]) + " " + shortest(coef[1]) + " " + shortest(coef[2]) +
                    " " + std::to_string(seed) + ": the state at every cycle");
  s += svg_text(FILM_LEFT, 56, 12, "start",
                "cycle 0 is the random start, cycle c the state after c + 1 sweeps",
                " fill=\"#555555\"");
  s += film(cycles);
  s += curves(cycles);
  s += map(cycles);
  s += legend();
  s += "</svg>\n";
  return s;
}
