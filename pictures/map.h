// The map of the cities on a picture: the cities' plane fitted into a box, the cities as
// numbered marks and tours as polygons over them, all read from the model's cities. Start at
// map_frame.
#ifndef NUV_PICTURES_MAP_H
#define NUV_PICTURES_MAP_H

#include <string>

#include "tour.h"

// The cities' plane on a picture, y upward: the box of the cities' coordinates, its corner
// (x0, y1) at (left, top), `unit` px a unit of the coordinates.
struct MapFrame {
  double left, top, unit, x0, y1;
};

// The frame that fits the cities' box, either way round, into width x height px at (left, top).
MapFrame map_frame(double left, double top, double width, double height);

// The cities as marks, smaller as they are more, numbered up to MAP_NUMBERS_UPTO cities (beyond,
// numbers of 7 px would cover one another and the tours).
enum { MAP_NUMBERS_UPTO = 100 };
std::string map_cities(const MapFrame &m);

// A tour's cities for a caption, "1-8-7-...", up to MAP_NUMBERS_UPTO cities; beyond, "" (a
// list of hundreds of numbers is no caption: the caller leaves it out).
std::string tour_caption(const Tour &tour);

// A closed tour as a polygon of class cls with the given stroke attributes.
std::string map_tour(const MapFrame &m, const Tour &tour, const char *cls, const char *style);

// The styles of the two tours a map shows: the tour found, solid, and the optimum, dashed.
extern const std::string FOUND_STYLE, OPTIMAL_STYLE;

#endif
