// A TSPLIB tour file's text (NAME.opt.tour) read as a tour of an instance's cities. Plain C++
// over a buffer, nothing allocated, so that the tools and the page read tour files with the
// same code. Start at read_tour_text.
#ifndef NUV_CITIES_TOUR_FILE_H
#define NUV_CITIES_TOUR_FILE_H

#include <stddef.h>

#include "read.h"

// Reads text (size bytes), a TSPLIB TOUR file, as a tour of n cities: "KEYWORD : value" lines
// (TYPE, if given, TOUR; DIMENSION, if given, n), TOUR_SECTION, the cities 1 ... n each once in
// any number to a line, -1, then at most EOF. city[j] (room for n) is then the city, from 0, at
// position j. False with *error (the line, 0 for the file as a whole, and why).
bool read_tour_text(const char *text, size_t size, int n, int *city, CityError *error);

#endif
