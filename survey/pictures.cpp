// Drawing a survey. The map draws the cities in their own plane, y upward; the heatmap puts the
// outer ranging coefficient upward and the inner one across. Start at survey_svg.
#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "args.h"
#include "svg.h"

namespace {

std::string plural(uint64_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The best tour solid; the dashed optimum is the best tour itself when that is optimal (a
// mirror image of the listed optimum is as short), else the listed optimum.
std::string map_svg(const double coef[3], const Tally &tally, const Optimum &optimum,
                    const std::string &description) {
  const MapFrame frame = {120, 70, 70};
  const bool best_is_optimal = tally.valid > 0 && tally.optimal > 0;
  std::string s = svg_open(520, 640, description);
  s += svg_text(260, 32, 16, "middle", "Best tour of the survey and the optimal tour");
  if (tally.valid > 0) s += map_tour(frame, tally.best, "best", FOUND_STYLE);
  s += map_tour(frame, best_is_optimal ? tally.best : optimum.tour, "optimal", OPTIMAL_STYLE);
  s += map_cities(frame);
  std::string best = "no valid tour";
  if (best_is_optimal)
    best = fmt("best tour %s is optimal (ratio 1)", tour_text(tally.best).s);
  else if (tally.valid > 0)
    best = fmt("best ratio %.4f (%s)", tally.best_ratio, tour_text(tally.best).s);
  s += svg_text(
      260, 560, 13, "middle",
      "Acoef " + shortest(coef[0]) + ", Bcoef " + shortest(coef[1]) + ", Dcoef " +
          shortest(coef[2]) + ": " + plural(tally.runs, "run", "runs") +
          fmt(", %.1f%% valid, %.1f%% optimal", tally.valid_percent(), tally.optimal_percent()));
  s += svg_text(260, 580, 13, "middle", best);
  s +=
      svg_text(260, 610, 12, "middle",
               best_is_optimal ? fmt("dashed: optimal tour, length %.4f; solid: best tour found",
                                     optimum.length)
                               : fmt("dashed: optimal tour %s, length %.4f; solid: best tour found",
                                     tour_text(optimum.tour).s, optimum.length),
               " fill=\"#555555\"");
  s += "</svg>\n";
  return s;
}

// What a heatmap shows for each measure: its colour's title and legend, and its cell's number.
struct HeatLegend {
  const char *colour, *number, *legend;
};
const HeatLegend HEAT[4] = {
    {"Valid tours, % of runs (colour)", "optimal tours, % (in each cell)", "valid %"},
    {"Optimal tours, % of runs (colour)", "valid tours, % (in each cell)", "optimal %"},
    {"Mean ratio of the valid tours to the optimum (colour)", "valid tours, % (in each cell)",
     "mean ratio"},
    {"Settled runs, % (colour)", "valid tours, % (in each cell)", "settled %"}};

// Where a cell's tally stands on the colour scale, 0 to 1, or a NaN when there is nothing to
// show (a mean ratio without a valid run). worst is the largest mean ratio of the map.
double heat_of(Heat heat, const Tally &t, double worst) {
  switch (heat) {
  case HEAT_VALID:
    return t.valid_percent() / 100;
  case HEAT_OPTIMAL:
    return t.optimal_percent() / 100;
  case HEAT_SETTLED:
    return t.settled_percent() / 100;
  case HEAT_RATIO:
    break;
  }
  if (t.valid == 0) return std::nan("");
  return (worst - t.mean_ratio()) / (worst - 1); // the optimum at the top
}

const size_t CELL_BYTES = 320; // a cell's rectangle, title and number, at most, about

// across and up are the coefficients on the two axes; other is the one fixed in the title.
std::string heatmap_svg(const Plan &plan, const std::vector<Tally> &tallies, int across, int up,
                        const std::string &description) {
  const int other = 3 - across - up;
  const size_t nx = plan.coef[across].size(), ny = plan.coef[up].size();
  const double cw = 56, ch = 32, left = 110, top = 70;
  const HeatLegend &legend = HEAT[plan.heat];
  const std::string title = std::string(legend.colour) + "; " + legend.number + "; " +
                            COEF_NAME[other] + " = " + shortest(plan.coef[other][0]);
  const double grid_width = left + cw * double(nx) + 130;
  const int width = int(std::ceil(std::max(grid_width, left + text_width(title, 16) + 20)));
  const int height = int(top + ch * double(ny) + 90);
  double worst = 1.0001; // the largest mean ratio, the bottom of the ratio scale
  for (const Tally &t : tallies)
    if (t.valid) worst = std::max(worst, t.mean_ratio());

  std::string s = svg_open(width, height, description);
  s.reserve(s.size() + nx * ny * CELL_BYTES + 8192); // grown once: a few hundred bytes a cell
  s += svg_text(left, 28, 16, "start", title);
  s += svg_text(left, 48, 12, "start", plural(seed_count(plan), "seed", "seeds") + " per cell",
                " fill=\"#555555\"");
  size_t step[3] = {plan.coef[1].size() * plan.coef[2].size(), plan.coef[2].size(), 1};
  for (size_t y = 0; y < ny; y++)
    for (size_t x = 0; x < nx; x++) {
      const Tally &t = tallies[y * step[up] + x * step[across]];
      const double px = left + cw * double(x), py = top + ch * double(ny - 1 - y);
      const double heat = heat_of(plan.heat, t, worst);
      const bool empty = std::isnan(heat);
      std::string about = fmt(": %.1f%% valid, %.1f%% optimal, %.1f%% settled", t.valid_percent(),
                              t.optimal_percent(), t.settled_percent());
      if (t.valid) about += fmt(", mean ratio %.4f", t.mean_ratio());
      s += fmt("<rect class=\"cell\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" "
               "fill=\"%s\"%s><title>",
               px, py, cw, ch, empty ? "white" : scale_colour(heat).c_str(),
               empty ? " stroke=\"#bbbbbb\"" : "") +
           COEF_NAME[up] + " " + shortest(plan.coef[up][y]) + ", " + COEF_NAME[across] + " " +
           shortest(plan.coef[across][x]) + xml_escape(about) + "</title></rect>\n";
      const double number = plan.heat == HEAT_VALID ? t.optimal_percent() : t.valid_percent();
      s +=
          svg_text(px + cw / 2, py + ch / 2 + 4, 11, "middle", empty ? "none" : fmt("%.1f", number),
                   !empty && heat < 0.6 ? " fill=\"white\"" : "");
    }
  const double bottom = top + ch * double(ny);
  for (size_t x = 0; x < nx; x++)
    s += svg_text(left + cw * (double(x) + 0.5), bottom + 16, 11, "middle",
                  shortest(plan.coef[across][x]));
  for (size_t y = 0; y < ny; y++)
    s += svg_text(left - 8, top + ch * (double(ny - 1 - y) + 0.5) + 4, 11, "end",
                  shortest(plan.coef[up][y]));
  s += svg_text(left + cw * double(nx) / 2, bottom + 40, 13, "middle", COEF_NAME[across],
                " class=\"axis\"");
  s += fmt("<text class=\"axis\" x=\"%.1f\" y=\"%.1f\" font-size=\"13\" text-anchor=\"middle\" "
           "transform=\"rotate(-90 %.1f %.1f)\">%s</text>\n",
           left - 60, top + ch * double(ny) / 2, left - 60, top + ch * double(ny) / 2,
           COEF_NAME[up]);
  const bool ratio = plan.heat == HEAT_RATIO;
  s += scale_legend(left + cw * double(nx) + 30, top, std::max(100.0, ch * double(ny)),
                    ratio ? fmt("%.3f", worst) : "0%", ratio ? "1.000" : "100%", legend.legend);
  s += "</svg>\n";
  return s;
}

} // namespace

std::string survey_svg(const Plan &plan, const std::vector<Tally> &tallies, const Optimum &optimum,
                       const std::string &description) {
  // The outer ranging coefficient goes up, the inner one across; with one ranging, the first
  // fixed one stands on the upward axis with its single value.
  std::vector<int> ranging, fixed;
  for (int c = 0; c < 3; c++) (plan.coef[c].size() > 1 ? ranging : fixed).push_back(c);
  if (ranging.empty()) {
    double coef[3] = {plan.coef[0][0], plan.coef[1][0], plan.coef[2][0]};
    return map_svg(coef, tallies[0], optimum, description);
  }
  return heatmap_svg(plan, tallies, ranging.back(), ranging.size() == 2 ? ranging[0] : fixed[0],
                     description);
}
