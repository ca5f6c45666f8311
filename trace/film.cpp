// The picture of one run: a film of its states (all 50 of nuv's, or 50 spread over a longer
// run), the curves of the energy, its terms and L, the map of the last tour the run formed, and
// what each curve is. Start at trace_svg; each panel has its function. A value that is not
// finite is never drawn as a coordinate: it is a marked gap, and the caption says so.
#include "film.h"

#include <algorithm>
#include <cmath>

#include "args.h"
#include "map.h"
#include "palette.h"
#include "png.h"
#include "svg.h"
#include "text.h"

namespace {

const int WIDTH = 1180, HEIGHT = 1230;

// Ten grids across, five down; a cell is 9 px, so a grid is 81 px with room for its label.
const double FILM_LEFT = 40, FILM_TOP = 110, PITCH_X = 106, PITCH_Y = 108;

// A unit whose output is not a number: white, crossed.
std::string gap_cell(double x, double y, double cell) {
  return fmt(
      "<rect class=\"cell\" x=\"%.1f\" y=\"%.1f\" width=\"%.2f\" height=\"%.2f\" "
      "fill=\"white\" stroke=\"#999999\" stroke-width=\"0.5\"/><path class=\"gap\" "
      "d=\"M%.1f,%.1f l%.2f,%.2f m0,%.2f l%.2f,%.2f\" stroke=\"#999999\" stroke-width=\"0.8\"/>",
      x, y, cell, cell, x, y, cell, cell, -cell, -cell, cell);
}

// Each grid is 81 px whatever the cities: cells of 81 / N px, every cell drawn, a dot marking a
// unit on. Up to GRID_LINEAR_UPTO cities (beyond them film_images draws the grids).
std::string film_cells(const Film &f) {
  const int n = network.n;
  const double cell = 81.0 / n;
  std::string s = svg_text(FILM_LEFT, FILM_TOP - 34, 13, "start",
                           fmt("In each grid the rows are cities 1 to %d (down), the columns tour "
                               "positions 1 to %d (across)",
                               n, n) +
                               "; a dot marks a unit above 0.5.",
                           " fill=\"#555555\"");
  int gaps = 0;
  for (size_t k = 0; k < f.frame.size(); k++) {
    const double gx = FILM_LEFT + PITCH_X * double(k % 10),
                 gy = FILM_TOP + PITCH_Y * double(k / 10);
    s += svg_text(gx, gy - 5, 12, "start", fmt("cycle %d", f.frame_cycle[k]));
    s += "<g class=\"grid\">";
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) {
        const double v = f.frame[k][size_t(i * n + j)], x = gx + cell * j, y = gy + cell * i;
        if (std::isnan(v)) {
          s += gap_cell(x, y, cell), gaps++;
          continue;
        }
        s += fmt("<rect class=\"cell\" x=\"%.1f\" y=\"%.1f\" width=\"%.2f\" height=\"%.2f\" "
                 "fill=\"%s\"/>",
                 x, y, cell, cell, scale_colour(v).c_str());
        if (v > ON_ABOVE)
          s += fmt("<circle class=\"on\" cx=\"%.1f\" cy=\"%.1f\" r=\"%.1f\"/>", x + cell / 2,
                   y + cell / 2, cell * 0.22);
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

// The ticks of the logarithmic scale of more than GRID_LINEAR_UPTO cities: n^-2, n^-1.5, the
// uniform 1/n, n^-0.5 and 1 at a quarter apart.
std::vector<Tick> log_ticks(int n) {
  std::vector<Tick> ticks;
  for (int k = 0; k <= 4; k++) {
    const double v = std::pow(double(n), (k - 4) / 2.0);
    ticks.push_back({k / 4.0, k == 4   ? std::string("1")
                              : k == 2 ? fmt("1/%d", n)
                                       : fmt("%.2g", v)});
  }
  return ticks;
}

// Beyond GRID_LINEAR_UPTO cities each grid is one PNG image of the film's kept values (a pixel
// a unit, or a block of units its largest), coloured on the logarithmic scale of
// unit_position: among outputs near 0 the units that grow stand out. A NaN is white.
std::string film_images(const Film &f) {
  const int n = network.n, pool = film_pool(n);
  std::string s = svg_text(
      FILM_LEFT, FILM_TOP - 34, 13, "start",
      fmt("Rows: cities 1 to %d, columns: positions 1 to %d; the output on a log scale (1/%d: "
          "uniform)",
          n, n, n) +
          (pool > 1 ? fmt(", a pixel the largest of %d x %d units.", pool, pool)
                    : std::string(".")),
      " fill=\"#555555\"");
  const std::vector<uint32_t> palette = scale_palette();
  int gaps = 0;
  for (size_t k = 0; k < f.frame.size(); k++) {
    const double gx = FILM_LEFT + PITCH_X * double(k % 10),
                 gy = FILM_TOP + PITCH_Y * double(k / 10);
    s += svg_text(gx, gy - 5, 12, "start", fmt("cycle %d", f.frame_cycle[k]));
    std::vector<unsigned char> index(f.frame[k].size());
    for (size_t c = 0; c < index.size(); c++)
      index[c] = scale_index(unit_position(f.frame[k][c], n));
    s += svg_image(gx, gy, 81, 81, png_paletted(f.side, f.side, index, palette), "grid") + "\n";
    gaps += f.frame_gaps[k];
  }
  s += scale_legend(FILM_LEFT + PITCH_X * 10 + 4, FILM_TOP, 300, log_ticks(n), "output (log)");
  if (gaps > 0)
    s += svg_text(FILM_LEFT, FILM_TOP + PITCH_Y * 5 - 8, 12, "start",
                  fmt("%d unit outputs over the run are not a number: white", gaps),
                  " fill=\"#b03020\"");
  return s;
}

std::string film(const Film &f) {
  return network.n <= GRID_LINEAR_UPTO ? film_cells(f) : film_images(f);
}

// The curves of E, EA, EB, ED and L over cycles 1 to 49, on one scale: the energy lines nuv
// prints. The random start, far above them, would flatten them. Each curve has its own dash as
// well as its colour, so that one curve lying on another still shows.
std::string curves(const Film &f) {
  const double left = 100, top = 720, w = 600, h = 300;
  using Point = Film::Point;
  // Each curve's name, colour and dash are palette.h's, which the page draws with too.
  struct Curve {
    EnergyCurve style;
    double Point::*value;
    double EnergyTerms::*term;
  } const all[] = {{CURVE_E, &Point::e, nullptr},
                   {CURVE_EA, nullptr, &EnergyTerms::row},
                   {CURVE_EB, nullptr, &EnergyTerms::column},
                   {CURVE_ED, nullptr, &EnergyTerms::tour},
                   {CURVE_EC, nullptr, &EnergyTerms::global},
                   {CURVE_L, &Point::l, nullptr}};
  std::vector<Curve> curve;
  for (const Curve &k : all)
    if (k.term != &EnergyTerms::global || network.c != 0.0) curve.push_back(k);
  auto colour = [](const Curve &k) { return CURVE_STYLE[k.style].colour; };
  auto dash = [](const Curve &k) { // as an attribute, or nothing for a solid line
    const char *d = CURVE_STYLE[k.style].dash;
    return d[0] ? fmt(" stroke-dasharray=\"%s\"", d) : std::string();
  };
  auto value = [&](const Curve &k, const Point &y) {
    return k.value ? y.*k.value : y.terms.*k.term;
  };
  const int last = std::max(2, f.cycles - 1);
  // The scale of the finite values; halves, so that the span of the largest doubles is finite.
  double lo = 0, hi = 0;
  int left_out = 0;
  for (const Curve &k : curve)
    for (const Point &y : f.curve) {
      const double v = value(k, y);
      if (!std::isfinite(v)) {
        left_out++;
        continue;
      }
      lo = std::min(lo, v), hi = std::max(hi, v);
    }
  if (hi == lo) hi = lo + 1;
  auto px = [&](int c) { return left + w * double(c - 1) / double(last - 1); };
  auto py = [&](double v) { return plot_y(top, h, lo, hi, v); };

  std::string s = svg_text(left, top - 30, 15, "start", "The energy E, its terms and L");
  s +=
      svg_text(left, top - 12, 12, "start",
               fmt("from cycle 1 on; at the random start E = %.4g, L = %.4g", f.start.e, f.start.l),
               " fill=\"#555555\"");
  s += plot_frame(left, top, w, h, lo, hi, 12, "");
  for (const Tick &t : nice_ticks(1, last, 6))
    if (t.at >= 1) s += svg_text(px(int(t.at)), top + h + 18, 12, "middle", t.label);
  s += svg_text(left + w / 2, top + h + 38, 13, "middle", "cycle", " class=\"axis\"");
  s += svg_upward_text(left - 70, top + h / 2, 13,
                       network.c != 0.0 ? "E, its terms and L" : "E, EA, EB, ED and L");
  for (size_t n = 0; n < curve.size(); n++) {
    const Curve &k = curve[n];
    // One polyline per run of finite values: a value that is not finite leaves a gap.
    std::string points;
    auto flush = [&] {
      if (!points.empty())
        s += fmt("<polyline class=\"curve\" points=\"%s\" fill=\"none\" stroke=\"%s\" "
                 "stroke-width=\"2\"%s/>\n",
                 points.c_str(), colour(k), dash(k).c_str());
      points.clear();
    };
    for (const Point &y : f.curve) {
      const double v = value(k, y);
      if (!std::isfinite(v)) {
        flush();
        continue;
      }
      points += fmt("%s%.1f,%.1f", points.empty() ? "" : " ", px(y.cycle), py(v));
    }
    flush();
    s += fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"%s\" "
             "stroke-width=\"2\"%s/>",
             left + 90 * double(n), top + h + 60, left + 90 * double(n) + 36, top + h + 60,
             colour(k), dash(k).c_str());
    s += svg_text(left + 90 * double(n) + 42, top + h + 64, 13, "start", CURVE_STYLE[k.style].name);
  }
  if (left_out > 0)
    s +=
        svg_text(left, top + h + 84, 12, "start",
                 fmt("%d values are not finite and are left out: the gaps in the curves", left_out),
                 " fill=\"#b03020\"");
  return s;
}

// The last tour the run formed, solid, and the optimum's tour dashed; or the last outcome.
std::string map(const Film &f) {
  const Optimum optimum = find_optimum();
  const double left = 830, top = 720;
  const char *kind = optimum_kind(optimum), *tour_kind = optimum_tour_kind(optimum);
  // Headed by what it shows: the tour formed, else the optimum's tour, else no tour.
  std::string s =
      svg_text(left - 20, top - 30, 15, "start",
               f.formed       ? std::string("The last tour formed")
               : cityxy_known ? std::string("No tour formed: the ") + tour_kind + " tour"
                              : std::string("No tour formed"));
  std::string caption, detail, legend;
  if (f.formed) {
    const Cycle &y = f.last_tour;
    const bool best = y.ratio <= 1 + OPTIMAL_SLACK;
    const std::string cities = tour_caption(y.tour);
    caption =
        fmt("cycle %d: %s", y.cycle,
            cities.empty() ? fmt("a tour of the %d cities", network.n).c_str() : cities.c_str());
    detail = fmt("length %.4f, ratio %.4f", y.length, y.ratio) +
             (y.rank ? fmt(", rank %d", y.rank) : std::string(" to the ") + kind + " tour");
    legend = best ? std::string("solid: the tour formed, dashed: ") + kind + " (the same tour)"
                  : std::string("solid: the tour formed; dashed: the ") + tour_kind + " tour";
  } else {
    caption = "no tour: the last state is " + std::string(outcome_name(f.last.outcome));
    legend = std::string("dashed: the ") + tour_kind + " tour";
  }
  if (cityxy_known) {
    const MapFrame frame = map_frame(left, top, 220, 330);
    if (f.formed) {
      const Cycle &y = f.last_tour;
      s += map_tour(frame, y.tour, "found", FOUND_STYLE.c_str());
      s += map_tour(frame, y.ratio <= 1 + OPTIMAL_SLACK ? y.tour : optimum.tour, "optimal",
                    OPTIMAL_STYLE.c_str());
    } else {
      s += map_tour(frame, optimum.tour, "optimal", OPTIMAL_STYLE.c_str());
    }
    s += map_cities(frame);
  } else {
    s += svg_text(left + 110, top + 160, 12, "middle", "the cities have no coordinates to draw",
                  " fill=\"#555555\"");
    legend.clear();
  }
  const double x = left + 110, y = top + 330;
  int lines;
  s += svg_wrapped(x, y + 40, 13, "middle", caption, 300, &lines);
  const double below = y + 40 + 17 * lines;
  if (!detail.empty()) s += svg_text(x, below, 12, "middle", detail, " fill=\"#555555\"");
  if (!legend.empty()) s += svg_text(x, below + 18, 12, "middle", legend, " fill=\"#555555\"");
  return s;
}

// What the curves are, in a few lines under them.
std::string legend(double y, double *bottom) {
  const bool c = network.c != 0.0, proven = network.rule == RULE_INPLACE && !c;
  const std::string line[] = {
      std::string("E is the energy as nuv prints it, EA + EB + ED") + (c ? " + EC" : "") +
          ". EA, the row term: Acoef / 2 times the products of pairs of units in one city's row "
          "(a city at two positions). EB, the column term: the same for one position's column "
          "(two cities at one position), weighed by Bcoef. ED, the tour-length term: Dcoef / 2 "
          "times each unit times its city's distances to the cities at the neighbouring "
          "positions." +
          (c ? " EC, the global term: C / 2 times the square of the sum of all outputs less n."
             : ""),
      "L = E - I * (sum of outputs) + the sum over units of G(v), with I the bias (" +
          std::string(network.bias_ab ? "Acoef + Bcoef" : "as chosen") +
          ") and G(v) = (U0 / 2)(v ln 2v + (1 - v) ln(2 - 2v)), U0 = " + shortest(network.u0) +
          (proven ? ". Each in-place update moves one unit to the lowest L along it, so L never "
                    "rises, while E can."
           : is_normalised(network.rule)
               ? ". Under potts and softassign the outputs follow a temperature, not U0: this L "
                 "is not their rule's, and it can rise."
           : c ? ". With a global term an update is not the lowest L along its unit, and L "
                 "can rise."
               : ". Units updated all at once carry no guarantee: L can rise.")};
  std::string s;
  for (const std::string &text : line) {
    int lines;
    s += svg_wrapped(FILM_LEFT, y, 12, "start", text, WIDTH - 2 * FILM_LEFT, &lines,
                     " fill=\"#333333\"");
    y += 16 * lines + 4;
  }
  *bottom = y;
  return s;
}

} // namespace

int film_pool(int n) {
  return (n + IMAGE_SIDE - 1) / IMAGE_SIDE;
}

Film film_for(int cycles) {
  Film f;
  f.cycles = cycles;
  return f;
}

void film_add(Film *f, const Cycle &y) {
  const int n = network.n, c = y.cycle, last = f->cycles - 1;
  if (c == 0) f->start = y;
  f->last = y;
  if (y.outcome == OUTCOME_TOUR) f->formed = true, f->last_tour = y;
  // FRAMES cycles spread evenly from the first to the last, all of them in a short run.
  const int frames = std::min<int>(FRAMES, f->cycles);
  const int next_frame = int(f->frame.size());
  if (next_frame < frames &&
      c == (frames == 1 ? 0 : int(std::lround(double(next_frame) * last / (frames - 1))))) {
    f->frame_cycle.push_back(c);
    const int pool = film_pool(n), side = (n + pool - 1) / pool;
    std::vector<double> state(size_t(side) * size_t(side), -INFINITY);
    int gaps = 0;
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) {
        const double v = unitout[i][j];
        double &cell = state[size_t(i / pool * side + j / pool)];
        if (std::isnan(v))
          gaps++, cell = v;
        else if (!std::isnan(cell))
          cell = std::max(cell, v);
      }
    f->side = side;
    f->frame.push_back(std::move(state));
    f->frame_gaps.push_back(gaps);
  }
  const int every = std::max(1, (f->cycles + CURVE_POINTS - 1) / CURVE_POINTS);
  if (c >= 1 && (c % every == 0 || c == last || c == 1)) f->curve.push_back({c, y.e, y.terms, y.l});
}

std::string trace_svg(const Film &film_of_run, const std::string &title, const std::string &network,
                      const std::string &description) {
  std::string s;
  const int cycles = film_of_run.cycles;
  s += svg_text(FILM_LEFT, 34, 18, "start",
                title + (cycles > FRAMES ? fmt(": %d of the %d cycles", FRAMES, cycles)
                                         : std::string(": the state at every cycle")));
  s += svg_text(FILM_LEFT, 56, 12, "start",
                (network.empty() ? "" : network + "; ") +
                    "cycle 0 is the random start, cycle c the state after c + 1 sweeps",
                " fill=\"#555555\"");
  s += film(film_of_run);
  s += curves(film_of_run);
  s += map(film_of_run);
  double bottom;
  s += legend(HEIGHT - 80, &bottom);
  return svg_open(WIDTH, int(std::ceil(std::max(bottom, double(HEIGHT)))), description) + s +
         "</svg>\n";
}
