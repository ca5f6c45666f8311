// Pictures of a survey as plain SVG 1.1: for one coefficient set a map of the cities with the
// best tour found and an optimal one; with coefficients ranging, a heatmap of the valid share
// with the optimal share in each cell.
#ifndef NUV_SURVEY_PICTURES_H
#define NUV_SURVEY_PICTURES_H

#include <string>
#include <vector>

#include "optimum.h"
#include "plan.h"
#include "rows.h"

// The picture of a finished survey, from each coefficient set's tally in the survey's order: a map
// when no coefficient ranges, a heatmap when one or two do. description says what made it.
std::string survey_svg(const Plan &plan, const std::vector<Tally> &tallies, const Optimum &optimum,
                       const std::string &description);

#endif
