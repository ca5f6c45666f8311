// The picture of one traced run: the film of its states, the curves of its energy, its terms
// and L, the map of the last tour it formed. A Film gathers what the picture needs as the run
// goes, whatever its length: at most FRAMES states and CURVE_POINTS points of each curve. A
// state of more than IMAGE_SIDE cities is kept reduced to blocks of units, each its largest.
#ifndef NUV_TRACE_FILM_H
#define NUV_TRACE_FILM_H

#include <string>
#include <vector>

#include "cycle.h"

enum { FRAMES = 50, CURVE_POINTS = 1000, IMAGE_SIDE = 162 };

// The side of the blocks of units a film keeps one value of: 1 up to IMAGE_SIDE cities, else
// the least that makes at most IMAGE_SIDE blocks a side (7 at 1,002 cities: 144 x 144).
int film_pool(int n);

struct Film {
  struct Point {
    int cycle;
    double e;
    EnergyTerms terms;
    double l;
  };
  int cycles = 0;                         // in the run
  std::vector<int> frame_cycle;           // the cycles the film shows
  int side = 0;                           // the frames' side: N, or N in blocks of film_pool
  std::vector<std::vector<double>> frame; // their states, side x side each (a block its largest)
  std::vector<int> frame_gaps;            // how many units of each are not a number
  std::vector<Point> curve;               // the curves' points, from cycle 1 on
  Cycle start = {}, last = {};            // cycle 0, and the last cycle
  bool formed = false;                    // whether the run ever formed a tour
  Cycle last_tour = {};                   // the last cycle that was one
};

// A film of a run of `cycles` cycles, empty.
Film film_for(int cycles);

// Adds cycle y, the model's state being that cycle's.
void film_add(Film *film, const Cycle &y);

// The picture as plain SVG 1.1; title says what ran, network which network (empty for nuv's),
// description what made it (in <desc>).
std::string trace_svg(const Film &film, const std::string &title, const std::string &network,
                      const std::string &description);

#endif
