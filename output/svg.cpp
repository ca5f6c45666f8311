// SVG pieces shared by the tools' pictures. Nothing here knows of a survey or a trace. Start at
// svg_open; xml_escape reads UTF-8 through utf8_char (cli/text.h).
#include "svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "palette.h"
#include "text.h"

std::string xml_escape(const std::string &text) {
  static const char REPLACEMENT[] = "\xef\xbf\xbd"; // U+FFFD
  std::string out;
  for (size_t at = 0; at < text.size();) {
    uint32_t c;
    const size_t length = utf8_char(text, at, &c);
    if (length == 0) {
      out += REPLACEMENT, at++;
      continue;
    }
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&apos;";
      break;
    default:
      // XML 1.0 holds no C0 control but tab and newline, nor U+FFFE or U+FFFF; the others would
      // only steer or reorder the text.
      if ((is_control(c) && c != '\t' && c != '\n') || c == 0xfffe || c == 0xffff)
        out += REPLACEMENT;
      else
        out.append(text, at, length);
    }
    at += length;
  }
  return out;
}

std::string svg_open(int width, int height, const std::string &description) {
  return fmt("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"%d\" height=\"%d\" "
             "viewBox=\"0 0 %d %d\" font-family=\"sans-serif\">\n",
             width, height, width, height) +
         "<desc>" + xml_escape(description) + "</desc>\n" +
         "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

std::string svg_text(double x, double y, int size, const char *anchor, const std::string &s,
                     const char *extra) {
  return fmt("<text x=\"%.1f\" y=\"%.1f\" font-size=\"%d\" text-anchor=\"%s\"%s>", x, y, size,
             anchor, extra) +
         xml_escape(s) + "</text>\n";
}

std::string svg_wrapped(double x, double y, int size, const char *anchor, const std::string &s,
                        double width, int *lines, const char *extra) {
  // The words, and a word too wide for a line (a long tour) in pieces ending at its hyphens.
  std::vector<std::string> words;
  for (size_t at = 0; at <= s.size();) {
    size_t blank = s.find(' ', at);
    if (blank == std::string::npos) blank = s.size();
    std::string word = s.substr(at, blank - at);
    while (text_width(word, size) > width && word.find('-') != std::string::npos) {
      size_t cut = word.find('-');
      for (size_t h; (h = word.find('-', cut + 1)) != std::string::npos &&
                     text_width(word.substr(0, h + 1), size) <= width;)
        cut = h;
      words.push_back(word.substr(0, cut + 1) + "\x01"); // joined to what follows without a blank
      word = word.substr(cut + 1);
    }
    words.push_back(word);
    at = blank + 1;
  }
  std::string out, line;
  *lines = 0;
  auto flush = [&] {
    out += svg_text(x, y + 1.3 * size * *lines, size, anchor, line, extra);
    ++*lines, line.clear();
  };
  bool glued = false;
  for (std::string word : words) {
    const bool glue_next = !word.empty() && word.back() == '\x01';
    if (glue_next) word.pop_back();
    const std::string joined = line + (line.empty() || glued ? "" : " ") + word;
    if (!line.empty() && text_width(joined, size) > width) {
      flush();
      line = word;
    } else {
      line = joined;
    }
    glued = glue_next;
  }
  if (!line.empty() || *lines == 0) flush();
  return out;
}

const char FEW_PATTERN[] =
    "<defs><pattern id=\"few\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\">"
    "<path d=\"M0,6 L6,0\" stroke=\"#ffffff\" stroke-width=\"1.2\" opacity=\"0.8\"/>"
    "</pattern></defs>\n";

std::vector<Tick> nice_ticks(double lo, double hi, int about) {
  const double rough = (hi - lo) / about;
  double step = std::pow(10.0, std::floor(std::log10(rough)));
  for (double f : {2.0, 5.0, 10.0})
    if (step < rough) step = std::pow(10.0, std::floor(std::log10(rough))) * f;
  const int decimals = std::max(0, int(-std::floor(std::log10(step) + 1e-9)));
  // Beyond ten characters (a magnitude of 1e10 or a step under 1e-9) a label takes the exponent
  // form, with the significant digits that tell one tick from the next.
  const double largest = std::max(std::fabs(lo), std::fabs(hi));
  const int digits = std::clamp(
      int(std::floor(std::log10(largest)) - std::floor(std::log10(step) + 1e-9)) + 1, 3, 17);
  std::vector<Tick> ticks;
  for (double k = std::ceil(lo / step - 1e-9); k * step <= hi + step * 1e-9; k++) {
    const double v = k * step == 0 ? 0.0 : k * step;
    std::string label = fmt("%.*f", decimals, v);
    if (label.size() > 10) label = fmt("%.*g", digits, v);
    ticks.push_back({v, label});
  }
  return ticks;
}

double plot_y(double top, double h, double lo, double hi, double v) {
  return top + h * ((hi / 2 - v / 2) / (hi / 2 - lo / 2));
}

std::string plot_frame(double left, double top, double w, double h, double lo, double hi, int size,
                       const std::string &unit) {
  std::string s = fmt("<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"none\" "
                      "stroke=\"#888888\"/>\n",
                      left, top, w, h);
  for (const Tick &t : nice_ticks(lo, hi, 6)) {
    const double y = plot_y(top, h, lo, hi, t.at);
    s += fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#dddddd\"/>\n", left,
             y, left + w, y);
    s += svg_text(left - 6, y + 4, size, "end", t.label + unit);
  }
  return s;
}

std::string svg_upward_text(double x, double y, int size, const std::string &s) {
  return fmt("<text class=\"axis\" x=\"%.1f\" y=\"%.1f\" font-size=\"%d\" text-anchor=\"middle\" "
             "transform=\"rotate(-90 %.1f %.1f)\">",
             x, y, size, x, y) +
         xml_escape(s) + "</text>\n";
}

double text_width(const std::string &s, int size) {
  return 0.6 * size * double(s.size()); // a generous average for sans-serif
}

std::string scale_colour(double t) {
  if (std::isnan(t)) return "#ffffff";
  int c[3];
  scale_rgb(t, c);
  return fmt("#%02x%02x%02x", c[0], c[1], c[2]);
}

std::vector<uint32_t> scale_palette() {
  std::vector<uint32_t> colours;
  for (int k = 0; k <= SCALE_STEPS; k++) {
    int c[3];
    scale_rgb(k / double(SCALE_STEPS), c);
    colours.push_back(uint32_t(c[0]) << 16 | uint32_t(c[1]) << 8 | uint32_t(c[2]));
  }
  colours.push_back(0xffffff);
  return colours;
}

unsigned char scale_index(double t) {
  if (std::isnan(t)) return SCALE_STEPS + 1;
  return (unsigned char)std::lround(std::clamp(t, 0.0, 1.0) * SCALE_STEPS);
}

std::string scale_legend(double x, double y, double height, const std::vector<Tick> &ticks,
                         const std::string &title) {
  std::string s = "<defs><linearGradient id=\"scale\" x1=\"0\" y1=\"1\" x2=\"0\" y2=\"0\">";
  for (int p = 0; p <= 100; p += 25)
    s += fmt("<stop offset=\"%d%%\" stop-color=\"%s\"/>", p, scale_colour(p / 100.0).c_str());
  s += "</linearGradient></defs>\n";
  s += fmt("<rect class=\"legend\" x=\"%.1f\" y=\"%.1f\" width=\"16\" height=\"%.1f\" "
           "fill=\"url(#scale)\" stroke=\"#888888\"/>\n",
           x, y, height);
  for (const Tick &t : ticks) {
    const double at = y + height * (1 - t.at);
    s += fmt("<line x1=\"%.1f\" y1=\"%.1f\" x2=\"%.1f\" y2=\"%.1f\" stroke=\"#555555\"/>", x + 16,
             at, x + 20, at);
    s += svg_text(x + 23, at + 4, 11, "start", t.label);
  }
  return s + svg_text(x, y - 8, 11, "start", title);
}
