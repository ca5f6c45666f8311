// The cities a network runs on, read into the model: a TSPLIB .tsp file, a plain file of x y
// lines, or random cities from the project's own generator. Start at load_cities.
#ifndef NUV_CITIES_CITIES_H
#define NUV_CITIES_CITIES_H

#include <string>

#include "tsplib.h"

// Reads the cities `named` names into the model (network.n, cityxy, citydistance,
// network.distances_given, cityxy_known):
// - "random:N:S": N cities (MINCITY ... MAXCITY) uniform in the unit square, x then y for each,
//   from the generator seeded with S (0 ... 4294967295), the same on every machine;
// - a TSPLIB file (its first line a "KEY : value" of TSPLIB's format, such as NAME), of TYPE
//   TSP with EDGE_WEIGHT_TYPE EUC_2D, ATT, GEO or EXPLICIT (FULL_MATRIX, UPPER_ROW,
//   LOWER_DIAG_ROW or UPPER_DIAG_ROW), its distances by TSPLIB's own functions;
// - else a file of "x y" lines in the file's order, '#' starting a comment.
// A file that does not exist, named without a folder, is a shipped instance's (NAME or NAME.tsp,
// installed or in the source's data/tsplib). Beyond EXACT_CITIES the optimal tour of NAME.tsp is
// read from NAME.opt.tour beside it, or the shipped one for a shipped instance's very text, and
// given to the measures (give_optimal_tour); other cities forget any tour given before. A shipped
// instance's published optimum (published.h) is given to them too, whatever the file's name.
// False with *error ("FILE:LINE: reason", or the reason) and the model as it was. *name is the
// instance's name: its NAME, the file's, or `named` itself.
bool load_cities(const std::string &named, std::string *name, std::string *error);

// The C library's reading of a word read_city_text has checked to be a decimal number (at most
// 64 characters, so that it fits the buffer; a longer one would be NaN, which is refused): the
// tools' NumberConversion for city files.
double strtod_number(const char *word, size_t length);

#endif
