// The picture of one traced run: the film of its states, the curves of its energy, its terms
// and L, the map of the last tour it formed.
#ifndef NUV_TRACE_FILM_H
#define NUV_TRACE_FILM_H

#include <string>

#include "trace.h"

// The picture as plain SVG 1.1; description says what made it, in its <desc>.
std::string trace_svg(const double coef[3], uint32_t seed, const Cycle cycles[NSWEEP],
                      const std::string &description);

#endif
