// A city file's text read into the model: TSPLIB's format (EUC_2D, ATT, GEO, or EXPLICIT in
// four formats) or x y lines. Plain C++ over a buffer, nothing allocated, so that the tools and
// the page read files with the same code. Start at read_city_text.
#ifndef NUV_CITIES_READ_H
#define NUV_CITIES_READ_H

#include <stddef.h>

// Why a file was refused: its line (0 for the file as a whole) and the reason.
struct CityError {
  int line;
  char why[256];
};

// A TSPLIB file's NAME, or "".
struct CityName {
  char s[256];
};

// How the cities read have their distances, as the page's module names them too: 0 from plain
// coordinates, 1 to 3 by TSPLIB's EUC_2D, ATT and GEO, 4 a matrix.
enum CityKind { CITY_PLAIN, CITY_EUC_2D, CITY_ATT, CITY_GEO, CITY_MATRIX };

// Reads text (size bytes) into the model: family.n, cityxy (as the file gives them, then GEO's
// swapped for drawing), cityxy_known, citydistance and family.matrix. A TSPLIB file is one
// whose first line is a "KEYWORD : value"; anything else is x y lines, '#' starting a comment.
// *kind says how the distances were had. False with *error, and the model as it was: nothing
// reaches it until the whole text is read.
bool read_city_text(const char *text, size_t size, CityName *name, CityKind *kind,
                    CityError *error);

// The whole of a word (length bytes) as a finite number, or false: strtod's reading natively;
// in the page the browser's reading of a decimal number. Each platform defines it.
bool word_number(const char *word, size_t length, double *value);

#endif
