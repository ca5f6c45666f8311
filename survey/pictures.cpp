// Drawing a survey: for one coefficient set a map, for one ranging coefficient a chart of the
// measure against it, for two a heatmap with the outer coefficient upward and the inner one
// across; with --methods, each method's share of runs within ratio r of the optimum. Start at
// survey_svg; what each measure shows is in measure_value and its neighbours.
#include "pictures.h"

#include <algorithm>
#include <cmath>

#include "args.h"
#include "map.h"
#include "palette.h"
#include "svg.h"
#include "text.h"

namespace {

const double MAX_WIDTH = 1600, MAX_HEIGHT = 1200; // a picture that fits a slide
const uint64_t FEW_VALID = 10;                    // a mean ratio over fewer valid runs is marked
const double WIDE_INTERVAL = 20.0; // a share whose 95 % interval is wider, in points, is marked
const double RATIO_WORST = 1.5;    // the ratio scale: 1 at its top, this or more at its bottom

std::string plural(uint64_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The best tour solid; the dashed optimum is the best tour itself when that is optimal (a
// mirror image of the listed optimum is as short), else the listed optimum.
std::string map_svg(const Network &point, const Tally &tally, const Optimum &optimum,
                    const std::string &description) {
  const MapFrame frame = map_frame(120, 70, 280, 420);
  const bool found = tally.valid > 0, best_is_optimal = found && tally.optimal > 0;
  const std::string kind = optimum_kind(optimum), tour_kind = optimum_tour_kind(optimum);
  std::string body =
      svg_text(260, 32, 16, "middle", "Best tour of the survey and the " + tour_kind + " tour");
  if (cityxy_known) {
    if (found) body += map_tour(frame, tally.best, "best", FOUND_STYLE.c_str());
    body += map_tour(frame, best_is_optimal ? tally.best : optimum.tour, "optimal",
                     OPTIMAL_STYLE.c_str());
    body += map_cities(frame);
  } else {
    body += svg_text(260, 280, 13, "middle", "the cities have no coordinates to draw",
                     " fill=\"#555555\"");
  }
  int lines;
  double y = 560;
  body += svg_wrapped(
      260, y, 13, "middle",
      "Acoef " + shortest(point.a) + ", Bcoef " + shortest(point.b) + ", Dcoef " +
          shortest(point.d) + (point.c != 0 ? ", C " + shortest(point.c) : "") + ": " +
          plural(tally.runs, "run", "runs") +
          fmt(", %.1f%% valid, %.1f%% optimal", tally.valid_percent(), tally.optimal_percent()),
      480, &lines);
  y += 20 * lines;
  const bool listed = network.n <= MAP_NUMBERS_UPTO; // the tours' cities in the captions
  // a and b joined when the tours are listed, else nothing: a caption leaves a tour out.
  const auto joined = [&](const std::string &a, const std::string &b) {
    return listed ? a + b : std::string();
  };
  std::string best = "no valid tour";
  if (best_is_optimal)
    best = "best tour " + joined(tour_caption(tally.best), " ") + "is " + kind + " (ratio 1)";
  else if (found)
    best = fmt("best ratio %.4f", tally.best_ratio) +
           (listed ? " (" + tour_caption(tally.best) + ")" : std::string());
  body += svg_wrapped(260, y, 13, "middle", best, 480, &lines);
  y += 17 * (lines - 1);
  const std::string optimal =
      best_is_optimal ? fmt("dashed: %s tour, length %.4f", kind.c_str(), optimum.length)
                      : "dashed: " + tour_kind + " tour" + joined(" ", tour_caption(optimum.tour)) +
                            fmt(", length %.4f", tour_length(optimum.tour));
  body +=
      svg_wrapped(260, y + 28, 12, "middle", optimal + (found ? "; solid: best tour found" : ""),
                  480, &lines, " fill=\"#555555\"");
  y += 16 * (lines - 1);
  return svg_open(520, int(y + 50), description) + body + "</svg>\n";
}

// What a picture shows for each measure: its title, what each cell's number is, the legend.
struct Measure {
  const char *title, *number, *legend;
};
const Measure MEASURE[4] = {
    {"Valid tours, % of runs", "optimal tours, % (in each cell)", "valid %"},
    {"Optimal tours, % of runs", "valid tours, % (in each cell)", "optimal %"},
    {"Mean ratio of the valid tours to the optimum", "valid tours, % (in each cell)", "mean ratio"},
    {"Settled runs, %", "valid tours, % (in each cell)", "settled %"}};

// The runs a share measure counts.
uint64_t counted(Heat heat, const Tally &t) {
  return heat == HEAT_VALID ? t.valid : heat == HEAT_OPTIMAL ? t.optimal : t.settled;
}

// The measure of a tally: a share in percent, or the mean ratio; a NaN when there is none (a
// mean ratio without a valid run).
double measure_value(Heat heat, const Tally &t) {
  if (heat != HEAT_RATIO) return t.percent(counted(heat, t));
  return t.valid ? t.mean_ratio() : std::nan("");
}

// A share's 95 % interval in percent; a mean ratio has none (low = high = its value).
void measure_interval(Heat heat, const Tally &t, double *low, double *high) {
  if (heat != HEAT_RATIO) return wilson_interval(counted(heat, t), t.runs, low, high);
  *low = *high = measure_value(heat, t);
}

// Whether the measure rests on too few runs to mean much: a mean ratio over fewer than
// FEW_VALID valid runs, or a share whose interval is wider than WIDE_INTERVAL points.
bool rests_on_few(Heat heat, const Tally &t) {
  if (heat == HEAT_RATIO) return t.valid > 0 && t.valid < FEW_VALID;
  double low, high;
  measure_interval(heat, t, &low, &high);
  return high - low > WIDE_INTERVAL;
}

std::string few_note(Heat heat) {
  return heat == HEAT_RATIO
             ? fmt("hatched: a mean over fewer than %d valid runs", int(FEW_VALID))
             : fmt("hatched: a share whose 95%% interval is wider than %.0f points", WIDE_INTERVAL);
}

// Where a measure stands on the colour scale, 0 to 1: a share over 0 ... 100 %, a mean ratio
// from RATIO_WORST or more (0) to 1 (1), the same scale for every survey. NaN for none.
double scale_position(Heat heat, double value) {
  if (heat != HEAT_RATIO) return value / 100;
  return std::clamp((RATIO_WORST - value) / (RATIO_WORST - 1), 0.0, 1.0);
}

std::vector<Tick> legend_ticks(Heat heat) {
  if (heat != HEAT_RATIO)
    return {{0, "0%"}, {0.25, "25%"}, {0.5, "50%"}, {0.75, "75%"}, {1, "100%"}};
  std::vector<Tick> ticks;
  for (int k = 0; k <= 5; k++)
    ticks.push_back(
        {1 - k / 5.0, k == 5 ? fmt("%.1f or more", RATIO_WORST) : fmt("%.1f", 1 + k / 10.0)});
  return ticks;
}

// A cell's or point's tooltip: its coefficients and every measure of its runs.
std::string about(const std::string &where, const Tally &t) {
  std::string s = where + fmt(": %.1f%% valid, %.1f%% optimal, %.1f%% settled", t.valid_percent(),
                              t.optimal_percent(), t.settled_percent());
  if (t.valid) s += fmt(", mean ratio %.4f", t.mean_ratio());
  return s + ", " + plural(t.runs, "run", "runs");
}

// The labels of an axis, every `every`-th drawn, so that none runs into the next.
size_t label_every(const std::vector<double> &values, double pitch, bool across) {
  double widest = 0;
  for (double v : values) widest = std::max(widest, text_width(shortest(v), 11));
  const double needs = across ? widest + 8 : 14;
  return size_t(std::max(1.0, std::ceil(needs / pitch)));
}

// The settings that do not range, as the title says them: "Acoef = 1", and C when chosen.
std::string fixed_text(const Plan &plan) {
  std::string s;
  for (const Axis &axis : plan.axes)
    if (axis.values.size() == 1 && axis.given)
      s += std::string(s.empty() ? "" : ", ") + axis.name + " = " + shortest(axis.values[0]);
  return s;
}

// The tally of value x of coefficient across and value y of up (none when up < 0), in the
// survey's order.
const Tally &tally_at(const Plan &plan, const std::vector<Tally> &tallies, int across, size_t x,
                      int up, size_t y) {
  std::vector<size_t> step(plan.axes.size());
  size_t after = 1;
  for (size_t c = plan.axes.size(); c-- > 0;) step[c] = after, after *= plan.axes[c].values.size();
  return tallies[x * step[size_t(across)] + (up >= 0 ? y * step[size_t(up)] : 0)];
}

// across and up are the coefficients on the two axes; the others are fixed in the title.
std::string heatmap_svg(const Plan &plan, const std::vector<Tally> &tallies, int across, int up,
                        const std::string &description) {
  const std::vector<double> &xs = plan.axes[size_t(across)].values,
                            &ys = plan.axes[size_t(up)].values;
  const size_t nx = xs.size(), ny = ys.size();
  // Cells shrink to keep the picture within MAX_WIDTH x MAX_HEIGHT; numbers go when they no
  // longer fit in a cell, tick labels are thinned to those that fit.
  const double cw = std::clamp((MAX_WIDTH - 300) / double(nx), 4.0, 56.0);
  const double ch = std::clamp((MAX_HEIGHT - 300) / double(ny), 4.0, 32.0);
  const bool numbers = cw >= 34 && ch >= 14;
  const size_t x_every = label_every(xs, cw, true), y_every = label_every(ys, ch, false);
  double widest_y = 0;
  for (double v : ys) widest_y = std::max(widest_y, text_width(shortest(v), 11));
  const double left = 48 + widest_y, top = 90;
  const Measure &m = MEASURE[plan.heat];
  const std::string title = std::string(m.title) + " (colour)" + (numbers ? "; " : "") +
                            (numbers ? m.number : "") + "; " + fixed_text(plan);
  const double grid_width = left + cw * double(nx) + 150;
  int title_lines;
  std::string head = svg_wrapped(left, 28, 16, "start", title,
                                 std::max(grid_width - left - 20, 600.0), &title_lines);
  const double shift = 20.8 * (title_lines - 1);
  const int width = int(std::ceil(std::max(grid_width, 640.0)));
  const int height = int(top + shift + ch * double(ny) + 110);

  std::string s = svg_open(width, height, description) + FEW_PATTERN + head;
  bool any_few = false, any_none = false;
  std::string cells;
  cells.reserve(nx * ny * 320); // grown once: a few hundred bytes a cell
  const double y0 = top + shift;
  for (size_t y = 0; y < ny; y++)
    for (size_t x = 0; x < nx; x++) {
      const Tally &t = tally_at(plan, tallies, across, x, up, y);
      const double px = left + cw * double(x), py = y0 + ch * double(ny - 1 - y);
      const double value = measure_value(plan.heat, t), at = scale_position(plan.heat, value);
      const bool none = std::isnan(value), few = !none && rests_on_few(plan.heat, t);
      any_few = any_few || few, any_none = any_none || none;
      cells += fmt("<rect class=\"cell\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" "
                   "fill=\"%s\"%s><title>",
                   px, py, cw, ch, none ? "white" : scale_colour(at).c_str(),
                   none ? " stroke=\"#bbbbbb\"" : "") +
               xml_escape(about(plan.axes[size_t(up)].name + " " + shortest(ys[y]) + ", " +
                                    plan.axes[size_t(across)].name + " " + shortest(xs[x]),
                                t)) +
               "</title></rect>\n";
      if (few)
        cells += fmt("<rect class=\"few\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" "
                     "fill=\"url(#few)\"/>\n",
                     px, py, cw, ch);
      const double number = plan.heat == HEAT_VALID ? t.optimal_percent() : t.valid_percent();
      if (numbers)
        cells += svg_text(px + cw / 2, py + ch / 2 + 4, 11, "middle",
                          none ? "none" : fmt("%.1f", number),
                          !none && at < 0.6 ? " fill=\"white\"" : "");
    }
  s += cells;
  const double bottom = y0 + ch * double(ny);
  for (size_t x = 0; x < nx; x += x_every)
    s += svg_text(left + cw * (double(x) + 0.5), bottom + 16, 11, "middle", shortest(xs[x]));
  for (size_t y = 0; y < ny; y += y_every)
    s += svg_text(left - 8, y0 + ch * (double(ny - 1 - y) + 0.5) + 4, 11, "end", shortest(ys[y]));
  s += svg_text(left + cw * double(nx) / 2, bottom + 40, 13, "middle",
                plan.axes[size_t(across)].name, " class=\"axis\"");
  const double title_x = left - 20 - widest_y, mid = y0 + ch * double(ny) / 2;
  s += svg_upward_text(title_x, mid, 13, plan.axes[size_t(up)].name);
  std::string note = plural(seed_count(plan), "seed", "seeds") + " per cell";
  if (any_none) note += "; white: no valid run, so no mean ratio";
  if (any_few) note += "; " + few_note(plan.heat);
  s += svg_wrapped(left, bottom + 64, 12, "start", note, double(width) - left - 20, &title_lines,
                   " fill=\"#555555\"");
  s += scale_legend(left + cw * double(nx) + 30, y0, std::max(120.0, ch * double(ny)),
                    legend_ticks(plan.heat), m.legend);
  return s + "</svg>\n";
}

// One coefficient ranging: the measure against it, a point per value with its 95 % interval
// as an error bar; a point that rests on few runs is hollow, a value with none is a gap.
std::string chart_svg(const Plan &plan, const std::vector<Tally> &tallies, int across,
                      const std::string &description) {
  const std::vector<double> &xs = plan.axes[size_t(across)].values;
  const double left = 90, top = 80, w = 640, h = 320;
  const bool ratio = plan.heat == HEAT_RATIO;
  double lo = ratio ? 1 : 0, hi = ratio ? RATIO_WORST : 100;
  for (const Tally &t : tallies)
    if (ratio && t.valid) hi = std::max(hi, t.mean_ratio());
  const double x_lo = xs.front(), x_hi = xs.back();
  auto px = [&](double v) { return left + w * ((v - x_lo) / (x_hi - x_lo)); };
  auto py = [&](double v) { return plot_y(top, h, lo, hi, v); };

  const std::string fixed = fixed_text(plan);
  int lines;
  std::string s = svg_wrapped(left, 30, 16, "start",
                              std::string(MEASURE[plan.heat].title) + " against " +
                                  plan.axes[size_t(across)].name + "; " + fixed,
                              w, &lines);
  const double shift = 20.8 * (lines - 1);
  s += fmt("<g transform=\"translate(0 %.1f)\">\n", shift);
  s += plot_frame(left, top, w, h, lo, hi, 11, ratio ? "" : "%");
  for (const Tick &t : nice_ticks(x_lo, x_hi, 6))
    s += svg_text(px(t.at), top + h + 16, 11, "middle", t.label);
  s += svg_text(left + w / 2, top + h + 38, 13, "middle", plan.axes[size_t(across)].name,
                " class=\"axis\"");
  s += svg_upward_text(left - 56, top + h / 2, 13, MEASURE[plan.heat].legend);
  std::string line, points;
  bool any_few = false, any_none = false;
  for (size_t k = 0; k < xs.size(); k++) {
    const Tally &t = tally_at(plan, tallies, across, k, -1, 0);
    const double value = measure_value(plan.heat, t);
    if (std::isnan(value)) {
      if (!line.empty())
        s += "<polyline class=\"line\" points=\"" + line +
             "\" fill=\"none\" stroke=\"#3060c0\" stroke-width=\"1.5\"/>\n";
      line.clear(), any_none = true;
      continue;
    }
    double low, high;
    measure_interval(plan.heat, t, &low, &high);
    const bool few = rests_on_few(plan.heat, t);
    any_few = any_few || few;
    line += fmt("%s%.1f,%.1f", line.empty() ? "" : " ", px(xs[k]), py(value));
    if (high > low)
      points += fmt("<line class=\"bar\" x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" "
                    "stroke=\"#3060c0\"/>\n",
                    px(xs[k]), py(low), px(xs[k]), py(high));
    points += fmt("<circle class=\"point\" cx=\"%.1f\" cy=\"%.1f\" r=\"3.5\" fill=\"%s\" "
                  "stroke=\"#3060c0\"><title>",
                  px(xs[k]), py(value), few ? "white" : "#3060c0") +
              xml_escape(about(plan.axes[size_t(across)].name + " " + shortest(xs[k]), t)) +
              "</title></circle>\n";
  }
  if (!line.empty())
    s += "<polyline class=\"line\" points=\"" + line +
         "\" fill=\"none\" stroke=\"#3060c0\" stroke-width=\"1.5\"/>\n";
  s += points;
  std::string note = plural(seed_count(plan), "seed", "seeds") + " per point";
  if (!ratio) note += "; bars: 95% Wilson intervals";
  if (any_few)
    note += ratio ? fmt("; hollow: a mean over fewer than %d valid runs", int(FEW_VALID))
                  : fmt("; hollow: an interval wider than %.0f points", WIDE_INTERVAL);
  if (any_none) note += "; gaps: no valid run, so no mean ratio";
  s += svg_wrapped(left, top + h + 62, 12, "start", note, w, &lines, " fill=\"#555555\"");
  s += "</g>\n";
  return svg_open(int(left + w + 40), int(top + h + 80 + 16 * lines + shift), description) + s +
         "</svg>\n";
}

} // namespace

std::string survey_svg(const Plan &plan, const std::vector<Tally> &tallies, const Optimum &optimum,
                       const std::string &description) {
  std::vector<int> ranging;
  for (size_t c = 0; c < plan.axes.size(); c++)
    if (plan.axes[c].values.size() > 1) ranging.push_back(int(c));
  if (ranging.empty()) return map_svg(grid_point(plan, 0), tallies[0], optimum, description);
  if (ranging.size() == 1) return chart_svg(plan, tallies, ranging[0], description);
  return heatmap_svg(plan, tallies, ranging[1], ranging[0], description);
}

void add_ratio(RatioCounts *counts, const RunResult &run, const Optimum &optimum) {
  if (!run.valid()) return;
  const double ratio = run.length / optimum.length;
  (*counts)[std::fabs(ratio - 1.0) <= OPTIMAL_SLACK ? 1.0 : ratio]++;
}

namespace {

const double RATIO_LAST = 2; // the curves' right end: r = 2, and every longer tour

// What r divides a tour's length by, as the optimum line says it.
std::string optimum_words(const Optimum &optimum) {
  if (!optimum.exact) return "the best known tour's length";
  return within_slack(tour_length(optimum.tour), optimum.length) ? "the optimal length"
                                                                 : "the published optimal length";
}

// Method k's curve's style: CURVE_STYLE's colours in turn, each round with the dashes shifted
// by one more, so that no two of the methods (ten at most) look alike.
CurveStyle method_style(size_t k) {
  const CurveStyle &colour = CURVE_STYLE[k % NCURVE],
                   &dash = CURVE_STYLE[(k + k / NCURVE) % NCURVE];
  return {colour.name, colour.colour, dash.dash};
}

// The points of one method's step curve: at r = 1 its optimal share, up a step at each ratio
// found below RATIO_LAST, then at RATIO_LAST up to its valid share.
std::string curve_points(const Tally &t, const RatioCounts &counts, double left, double w,
                         double top, double h) {
  std::string points;
  uint64_t within = 0;
  const auto add = [&](double r) {
    const double share = 100.0 * double(within) / double(t.runs);
    points += fmt("%s%.2f,%.2f", points.empty() ? "" : " ", left + w * (r - 1) / (RATIO_LAST - 1),
                  plot_y(top, h, 0, 100, share));
  };
  auto at = counts.begin();
  for (; at != counts.end() && at->first <= 1.0; ++at) within += at->second;
  add(1.0);
  for (; at != counts.end() && at->first < RATIO_LAST; ++at) {
    add(at->first);
    within += at->second;
    add(at->first);
  }
  add(RATIO_LAST);
  within = t.valid;
  add(RATIO_LAST);
  return points;
}

} // namespace

std::string methods_svg(const Plan &plan, const std::vector<Tally> &tallies,
                        const std::vector<RatioCounts> &ratios, const Optimum &optimum,
                        const std::string &description) {
  const double left = 90, w = 560, h = 320, legend = left + w + 30;
  int lines;
  std::string s = svg_text(left, 30, 16, "start", "Runs within ratio r of the optimum, by method");
  s += svg_wrapped(left, 52, 12, "start",
                   "r: a tour's length over " + optimum_words(optimum) + "; " +
                       optimum_text(optimum),
                   w + 200, &lines, " fill=\"#555555\"");
  const double top = 80 + 16 * (lines - 1);
  s += plot_frame(left, top, w, h, 0, 100, 11, "%");
  for (int k = 0; k <= 5; k++) {
    const double r = 1 + k / 5.0;
    s += svg_text(left + w * k / 5.0, top + h + 16, 11, "middle",
                  k == 5 ? fmt("%.0f or more", RATIO_LAST) : fmt("%.1f", r));
  }
  s += svg_text(left + w / 2, top + h + 38, 13, "middle", "r", " class=\"axis\"");
  s += svg_upward_text(left - 56, top + h / 2, 13, "runs within r, %");
  for (size_t k = 0; k < plan.methods.size(); k++) {
    const Tally &t = tallies[k];
    const std::string name = method_name(plan.methods[k]);
    const CurveStyle style = method_style(k);
    const std::string dash =
        *style.dash ? fmt(" stroke-dasharray=\"%s\"", style.dash) : std::string();
    const std::string about = fmt("%s: %.1f%% valid, %.1f%% optimal", name.c_str(),
                                  t.valid_percent(), t.optimal_percent());
    s += "<polyline class=\"curve\" data-method=\"" + xml_escape(name) + "\" points=\"" +
         curve_points(t, ratios[k], left, w, top, h) + "\" fill=\"none\" stroke=\"" + style.colour +
         "\" stroke-width=\"2\"" + dash + "><title>" + xml_escape(about) + "</title></polyline>\n";
    const double y = top + 12 + 22 * double(k);
    s += fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
             "stroke-width=\"2\"%s/>\n",
             legend, y, legend + 30, y, style.colour, dash.c_str());
    s += svg_text(legend + 38, y + 4, 12, "start",
                  fmt("%s (%.1f%% valid)", name.c_str(), t.valid_percent()));
  }
  const double legend_end = top + 12 + 22 * double(plan.methods.size());
  s += svg_wrapped(left, top + h + 62, 12, "start",
                   plural(seed_count(plan), "seed", "seeds") +
                       " per method; each curve ends at r = 2 at its method's valid share (tours "
                       "twice the optimum or longer counted there)",
                   w, &lines, " fill=\"#555555\"");
  const double bottom = std::max(top + h + 80 + 16 * lines, legend_end + 20);
  return svg_open(int(legend + 220), int(bottom), description) + s + "</svg>\n";
}
