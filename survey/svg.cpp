// Drawing a survey as SVG, and writing files whole. The map draws the cities in their own plane,
// y upward; the heatmap puts the outer ranging coefficient upward and the inner one across.
#include "svg.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// printf into a string.
std::string fmt(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char *format, ...) {
  va_list ap, again;
  va_start(ap, format);
  va_copy(again, ap);
  std::string out(size_t(vsnprintf(nullptr, 0, format, ap)) + 1, '\0');
  vsnprintf(out.data(), out.size(), format, again);
  va_end(again);
  va_end(ap);
  out.pop_back();
  return out;
}

std::string svg_open(int width, int height) {
  return fmt("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%d\" height=\"%d\" "
             "viewBox=\"0 0 %d %d\" font-family=\"sans-serif\">\n"
             "<rect width=\"100%%\" height=\"100%%\" fill=\"white\"/>\n",
             width, height, width, height);
}

std::string text(double x, double y, int size, const char *anchor, const std::string &s,
                 const char *extra = "") {
  return fmt("<text x=\"%.1f\" y=\"%.1f\" font-size=\"%d\" text-anchor=\"%s\"%s>", x, y, size,
             anchor, extra) +
         s + "</text>\n";
}

// The map: 70 px a unit of the cities' plane, which spans x 1 ... 5 and y 1 ... 7.
const double UNIT = 70, LEFT = 120, TOP = 70;
double map_x(double x) {
  return LEFT + (x - 1) * UNIT;
}
double map_y(double y) {
  return TOP + (7 - y) * UNIT;
}

std::string tour_polygon(const Tour &tour, const char *cls, const char *style) {
  std::string points;
  for (int j = 0; j < NCITY; j++)
    points += fmt("%s%.1f,%.1f", j ? " " : "", map_x(cityxy[tour.city[j]][0]),
                  map_y(cityxy[tour.city[j]][1]));
  return fmt("<polygon class=\"%s\" points=\"%s\" fill=\"none\" %s/>\n", cls, points.c_str(),
             style);
}

std::string map_svg(const double coef[3], const Tally &tally, const Optimum &optimum) {
  std::string s = svg_open(520, 640);
  s += text(260, 32, 16, "middle", "Best tour of the survey and the optimal tour");
  // The dashed optimum over the solid best, so that both show where they are the same.
  if (tally.valid > 0)
    s += tour_polygon(tally.best, "best", "stroke=\"#7fb0e0\" stroke-width=\"5\"");
  s += tour_polygon(optimum.tour, "optimal",
                    "stroke=\"#333333\" stroke-width=\"1.5\" stroke-dasharray=\"6 4\"");
  for (int i = 0; i < NCITY; i++) {
    double x = map_x(cityxy[i][0]), y = map_y(cityxy[i][1]);
    s += fmt("<circle class=\"city\" cx=\"%.1f\" cy=\"%.1f\" r=\"7\" fill=\"#d04030\"/>\n", x, y);
    s += text(x + 10, y - 10, 14, "start", fmt("%d", i + 1));
  }
  std::string best =
      tally.valid ? fmt("best ratio %.4f (%s)", tally.best_ratio, tour_text(tally.best).c_str())
                  : std::string("no valid tour");
  s += text(260, 560, 13, "middle",
            fmt("Acoef %g, Bcoef %g, Dcoef %g: %llu runs, %.1f%% valid, %.1f%% optimal", coef[0],
                coef[1], coef[2], (unsigned long long)tally.runs, tally.valid_percent(),
                tally.optimal_percent()));
  s += text(260, 580, 13, "middle", best);
  s += text(260, 610, 12, "middle",
            fmt("dashed: optimal tour %s, length %.4f; solid: best tour found",
                tour_text(optimum.tour).c_str(), optimum.length),
            " fill=\"#555555\"");
  return s + "</svg>\n";
}

// The colour of a valid share, 0 to 100, on a scale from dark violet through teal to yellow.
std::string colour(double percent) {
  static const int stop[3][3] = {{0x44, 0x01, 0x54}, {0x21, 0x91, 0x8c}, {0xfd, 0xe7, 0x25}};
  double t = std::clamp(percent / 50.0, 0.0, 2.0);
  int k = t >= 1.0 ? 1 : 0;
  double f = t - k;
  int c[3];
  for (int n = 0; n < 3; n++)
    c[n] = int(std::lround(stop[k][n] + (stop[k + 1][n] - stop[k][n]) * f));
  return fmt("#%02x%02x%02x", c[0], c[1], c[2]);
}

// across and up are the coefficients on the two axes; other is the one fixed in the title.
std::string heatmap_svg(const Plan &plan, const std::vector<Tally> &tallies, int across, int up) {
  const int other = 3 - across - up;
  const size_t nx = plan.coef[across].size(), ny = plan.coef[up].size();
  const double cw = 56, ch = 32, left = 110, top = 70;
  const int width = int(left + cw * double(nx) + 130), height = int(top + ch * double(ny) + 90);

  std::string s = svg_open(std::max(width, 560), height);
  s += text(left, 28, 16, "start",
            fmt("Valid tours, %% of runs (colour); optimal tours, %% (in each cell); %s = %g",
                COEF_NAME[other], plan.coef[other][0]));
  s += text(left, 48, 12, "start", fmt("%llu seeds per cell", (unsigned long long)seed_count(plan)),
            " fill=\"#555555\"");
  size_t step[3] = {plan.coef[1].size() * plan.coef[2].size(), plan.coef[2].size(), 1};
  for (size_t y = 0; y < ny; y++)
    for (size_t x = 0; x < nx; x++) {
      const Tally &t = tallies[y * step[up] + x * step[across]];
      double px = left + cw * double(x), py = top + ch * double(ny - 1 - y);
      s += fmt(
          "<rect class=\"cell\" x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"%s\">"
          "<title>%s %g, %s %g: %.1f%% valid, %.1f%% optimal</title></rect>\n",
          px, py, cw, ch, colour(t.valid_percent()).c_str(), COEF_NAME[up], plan.coef[up][y],
          COEF_NAME[across], plan.coef[across][x], t.valid_percent(), t.optimal_percent());
      s += text(px + cw / 2, py + ch / 2 + 4, 11, "middle", fmt("%.1f", t.optimal_percent()),
                t.valid_percent() < 60 ? " fill=\"white\"" : "");
    }
  const double bottom = top + ch * double(ny);
  for (size_t x = 0; x < nx; x++)
    s += text(left + cw * (double(x) + 0.5), bottom + 16, 11, "middle",
              fmt("%g", plan.coef[across][x]));
  for (size_t y = 0; y < ny; y++)
    s += text(left - 8, top + ch * (double(ny - 1 - y) + 0.5) + 4, 11, "end",
              fmt("%g", plan.coef[up][y]));
  s += text(left + cw * double(nx) / 2, bottom + 40, 13, "middle", COEF_NAME[across],
            " class=\"axis\"");
  s += fmt("<text class=\"axis\" x=\"%.1f\" y=\"%.1f\" font-size=\"13\" text-anchor=\"middle\" "
           "transform=\"rotate(-90 %.1f %.1f)\">%s</text>\n",
           left - 60, top + ch * double(ny) / 2, left - 60, top + ch * double(ny) / 2,
           COEF_NAME[up]);

  // The legend: the colour scale from 0 % (bottom) to 100 % (top).
  const double lx = left + cw * double(nx) + 30, lh = std::max(100.0, ch * double(ny));
  s += "<defs><linearGradient id=\"scale\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
  for (int p = 0; p <= 100; p += 25)
    s += fmt("<stop offset=\"%d%%\" stop-color=\"%s\"/>", p, colour(p).c_str());
  s += "</linearGradient></defs>\n";
  s += fmt("<rect class=\"legend\" x=\"%.1f\" y=\"%.1f\" width=\"16\" height=\"%.1f\" "
           "fill=\"url(#scale)\" stroke=\"#888888\"/>\n",
           lx, top, lh);
  for (int p = 0; p <= 100; p += 50)
    s += text(lx + 22, top + lh * (1 - p / 100.0) + 4, 11, "start", fmt("%d%%", p));
  s += text(lx, top - 8, 11, "start", "valid %");
  return s + "</svg>\n";
}

// The name of a temporary file beside path: ".NAME.XXXXXX" in the same folder.
std::string temp_beside(const std::string &path) {
  size_t slash = path.rfind('/');
  std::string dir = slash == std::string::npos ? "" : path.substr(0, slash + 1);
  return dir + "." + path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
}

} // namespace

std::string survey_svg(const Plan &plan, const std::vector<Tally> &tallies,
                       const Optimum &optimum) {
  // The outer ranging coefficient goes up, the inner one across; with one ranging, the first
  // fixed one stands on the upward axis with its single value.
  std::vector<int> ranging, fixed;
  for (int c = 0; c < 3; c++) (plan.coef[c].size() > 1 ? ranging : fixed).push_back(c);
  if (ranging.empty()) {
    double coef[3] = {plan.coef[0][0], plan.coef[1][0], plan.coef[2][0]};
    return map_svg(coef, tallies[0], optimum);
  }
  return heatmap_svg(plan, tallies, ranging.back(), ranging.size() == 2 ? ranging[0] : fixed[0]);
}

bool can_create(const std::string &path, std::string *error) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    *error = "cannot write " + path + ": it is a folder";
    return false;
  }
  std::string temp = temp_beside(path);
  int fd = mkstemp(temp.data());
  if (fd < 0) {
    *error = "cannot write " + path + ": " + strerror(errno);
    return false;
  }
  close(fd);
  unlink(temp.c_str());
  return true;
}

bool write_whole(const std::string &path, const std::string &text, std::string *error) {
  // No interruption between making the temporary file and renaming it.
  sigset_t quiet, old;
  sigemptyset(&quiet);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&quiet, sig);
  sigprocmask(SIG_BLOCK, &quiet, &old);
  std::string temp = temp_beside(path);
  int fd = mkstemp(temp.data());
  bool ok = fd >= 0;
  if (ok) {
    mode_t mask = umask(0);
    umask(mask);
    FILE *f = fdopen(fd, "w");
    ok =
        f && fchmod(fd, 0666 & ~mask) == 0 && fwrite(text.data(), 1, text.size(), f) == text.size();
    ok = (f ? fclose(f) == 0 : close(fd) == 0) && ok;
    ok = ok && rename(temp.c_str(), path.c_str()) == 0;
  }
  if (!ok) {
    *error = "cannot write " + path + ": " + strerror(errno);
    if (fd >= 0) unlink(temp.c_str());
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);
  return ok;
}
