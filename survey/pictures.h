// Pictures of a survey as plain SVG 1.1: for one coefficient set a map of the cities with the
// best tour found and an optimal one; for one ranging coefficient a chart of the measure --heat
// chooses (the valid, optimal or settled share, or the mean ratio) against it; for two a heatmap
// of it. Start at survey_svg.
#ifndef NUV_SURVEY_PICTURES_H
#define NUV_SURVEY_PICTURES_H

#include <map>
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

// One method's valid runs by their ratio to the optimum (an optimal tour's, within the slack,
// counted at exactly 1): few entries, one per distinct length found.
using RatioCounts = std::map<double, uint64_t>;
void add_ratio(RatioCounts *counts, const RunResult &run, const Optimum &optimum);

// --methods' picture: for each method, the share of its runs whose tour lies within ratio r of
// the optimum for r from 1 to 2, a step curve that ends at r = 2 at the method's valid share
// (tours longer than twice the optimum counted there), with a legend and the optimum's line.
// tallies and ratios are the methods', in the plan's order.
std::string methods_svg(const Plan &plan, const std::vector<Tally> &tallies,
                        const std::vector<RatioCounts> &ratios, const Optimum &optimum,
                        const std::string &description);

#endif
