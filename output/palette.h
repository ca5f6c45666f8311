// The colours the tools' pictures and the page draw with, defined once: the colour scale of
// grids and heatmaps (scale_rgb), each energy curve's name, colour and dash (CURVE_STYLE), and
// the map's marks (MAP_STYLE).
// Plain data and arithmetic with no library beyond round() and log(), so that the page's module
// compiles this file too and the page draws what nuv-trace's film draws. Start at scale_rgb.
#ifndef NUV_OUTPUT_PALETTE_H
#define NUV_OUTPUT_PALETTE_H

// The red, green and blue (0 to 255) at t on a scale from dark violet (0) through teal (0.5) to
// yellow (1); t is clamped to it and is not a NaN (a NaN has no colour: the caller's white).
void scale_rgb(double t, int rgb[3]);

// Up to this many cities a grid colours each output v at v itself (a dot marks a unit on);
// beyond, at unit_position's logarithmic place, where most outputs near 0 still differ.
enum { GRID_LINEAR_UPTO = 30 };

// Where output v of a network of n cities stands on the colour scale: v itself up to
// GRID_LINEAR_UPTO cities; beyond, 1 + ln v / ln n^2 clamped to 0 to 1, so that 1/n^2 and less
// is 0 (dark), the uniform output 1/n is 0.5 (teal) and 1 is 1 (yellow): a unit heading to 1
// brightens and one heading to 0 darkens from the middle. A NaN stays a NaN.
double unit_position(double v, int n);

// The energy curves, in the order of a cycle's measures: E, its terms in EnergyTerm's order
// (EA, EB, ED, EC), and L.
enum EnergyCurve { CURVE_E, CURVE_EA, CURVE_EB, CURVE_ED, CURVE_EC, CURVE_L, NCURVE };

// A curve's name, its colour ("#rrggbb") and its dash (an SVG dash array, "" for a solid line):
// each curve has its own dash as well as its colour, so that one lying on another still shows.
struct CurveStyle {
  const char *name, *colour, *dash;
};
extern const CurveStyle CURVE_STYLE[NCURVE];

// The map's marks: the tour found (wide and light, under the rest), the optimal tour (thin and
// dashed) and the cities; colours "#rrggbb", widths in pixels as SVG takes them.
struct MapStyle {
  const char *found_colour, *found_width;
  const char *optimal_colour, *optimal_width, *optimal_dash;
  const char *city_colour;
};
extern const MapStyle MAP_STYLE;

#endif
