// Pictures of a survey as plain SVG 1.1: for one coefficient set a map of the cities with the
// best tour found and an optimal one; for one ranging coefficient a chart of the measure --heat
// chooses (the valid, optimal or settled share, or the mean ratio) against it; for two a heatmap
// of it. Start at survey_svg.
#ifndef NUV_SURVEY_PICTURES_H
#define NUV_SURVEY_PICTURES_H

#include <string>
#include <vector>

#include "optimum.h"
#include "plan.h"
#include "rows.h"

// The picture of a finished survey, from each coefficient set's Tally in the survey's order: a map
// when no coefficient ranges, a chart when one does, a heatmap when two do (the plan allows no
// more). description says what made it.
std::string survey_svg(const Plan &plan, const std::vector<Tally> &tallies, const Optimum &optimum,
                       const std::string &description);

#endif
