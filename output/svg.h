// Pieces of plain SVG 1.1 pictures that every tool draws with: text escaped for XML, the
// document's head, text and its width, one colour scale, plots' frames. Nothing here reads the
// model: the city map is pictures/map.h. Start at svg_open.
#ifndef NUV_OUTPUT_SVG_H
#define NUV_OUTPUT_SVG_H

#include <cstdint>
#include <string>
#include <vector>

// Text with &, <, >, " and ' escaped, and as U+FFFD every byte that is not valid UTF-8, every
// character XML 1.0 cannot hold and every control (C1 and the bidirectional ones too).
std::string xml_escape(const std::string &text);

// The document's head with a white background, and a <desc> that says what made it.
std::string svg_open(int width, int height, const std::string &description);

// A text element; s is escaped here.
std::string svg_text(double x, double y, int size, const char *anchor, const std::string &s,
                     const char *extra = "");

// About how wide a line of text is, in px, at a font size: for sizing a picture to its text.
double text_width(const std::string &s, int size);

// Lines of text within about width px, broken at blanks, the first at (x, y), each `size` * 1.3
// below the one before; *lines says how many.
std::string svg_wrapped(double x, double y, int size, const char *anchor, const std::string &s,
                        double width, int *lines, const char *extra = "");

// A colour on a scale from dark violet (0) through teal to yellow (1), palette.h's; t is clamped
// to it. A NaN has no colour on the scale: it is white, and the caller marks it.
std::string scale_colour(double t);

// The colour scale as an image's palette (0xRRGGBB): SCALE_STEPS + 1 colours from 0 to 1, then
// white for a NaN; scale_index is where t (clamped to 0 to 1, or a NaN) falls in it.
enum { SCALE_STEPS = 253 };
std::vector<uint32_t> scale_palette();
unsigned char scale_index(double t);

// A mark on a scale or an axis: where it stands (0 to 1 along the colour scale, or a value
// along an axis) and its label.
struct Tick {
  double at;
  std::string label;
};

// A vertical legend of the colour scale: x, y of its top, its height, its ticks (0 at the
// bottom, 1 at the top) and a title above it.
std::string scale_legend(double x, double y, double height, const std::vector<Tick> &ticks,
                         const std::string &title);

// Round values from lo to hi for an axis, about `about` of them, 1, 2 or 5 times a power of
// ten apart, each labelled with the decimals its step needs, or in exponent form ("2e+307")
// when that would pass ten characters. lo < hi, both finite.
std::vector<Tick> nice_ticks(double lo, double hi, int about);

// Where value v stands in a plot of height h from top, lo at its bottom and hi at its top;
// computed on halves, so that the span of the largest doubles stays finite.
double plot_y(double top, double h, double lo, double hi, double v);

// A plot's frame: its box, and a grid line and a label (with unit after it) at each round value
// from lo to hi.
std::string plot_frame(double left, double top, double w, double h, double lo, double hi, int size,
                       const std::string &unit);

// A text turned to read upward, centred on (x, y): an axis's title.
std::string svg_upward_text(double x, double y, int size, const std::string &s);

// The hatching that marks a cell whose value rests on too few runs: define once, then fill a
// rect with url(#few).
extern const char FEW_PATTERN[];

#endif
