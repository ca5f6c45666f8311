// A city file's text read into the model: TSPLIB's format (EUC_2D, ATT, GEO, or EXPLICIT in
// four formats) or x y lines. Plain C++ over a buffer, nothing allocated, so that the tools and
// the page read files with the same code. Start at read_city_text.
#ifndef NUV_CITIES_READ_H
#define NUV_CITIES_READ_H

#include <stddef.h>

#include "tsplib.h"

// The largest text read, 2 MB: the tools refuse a larger file before reading it, the page
// before it reaches the module.
enum { CITY_TEXT_MAX = 1 << 21 };

// Why a file was refused: its line (0 for the file as a whole) and the reason, cut on a UTF-8
// character's boundary. The pieces of the file's own text in it lie at why[piece[k][0]] up to
// why[piece[k][1]], so that a tool escapes them before they reach a terminal.
struct CityError {
  int line;
  char why[256];
  int pieces;
  int piece[4][2];
};

// A TSPLIB file's NAME, or "".
struct CityName {
  char s[256];
};

// The platform's conversion of a number's text: given a word (length bytes) that the reader has
// already checked to be a decimal number of at most 64 characters, [+-]?(digits[.digits?] |
// .digits)([eE][+-]?digits)?, with nothing before or after it, its double, rounded as the
// platform reads it; infinite when it overflows, which the reader refuses. Each caller passes
// its platform's own: the C library's strtod natively, the browser's Number in the page.
typedef double (*NumberConversion)(const char *word, size_t length);

// Reads text (size bytes) into the model: network.n, cityxy (as the file gives them, then GEO's
// swapped for drawing), cityxy_known, citydistance and network.distances_given. A TSPLIB file is
// one whose first line is a "KEYWORD : value"; anything else is x y lines, '#' starting a comment.
// *metric says how the distances were had. A byte-order mark at the start is passed over; every
// number is decimal, and its value is convert's. A size beyond MAXCITY is refused only once the
// rest of the text is read (at once for a matrix no 2 MB text could hold). False with *error, and
// the model as it was: nothing reaches it until the whole text is read.
bool read_city_text(const char *text, size_t size, NumberConversion convert, CityName *name,
                    Metric *metric, CityError *error);

// Whether n cities make a network (MINCITY ... MAXCITY); else false with the tools' reason at
// the line given: "1003 cities: a network has 4 to 1002". The page asks it of random cities and
// of a link's before they reach the model.
bool city_count_ok(int n, int line, CityError *error);

// Why the model's cities make no network, or true: network.n cities in cityxy (when
// cityxy_known) and citydistance (for network.distances_given), as a file, a link or the generator
// left them. Coordinates finite with a finite box, every distance finite and not below 0, their
// total above 0 ("the 4 cities are all at one point") and finite, and the distances
// build_distances scales finite ("the distances overflow"). It builds the distances, scaled
// and then as network.distances asks.
bool check_cities(CityError *error);

#endif
