// Pictures of a survey as plain SVG 1.1: for one coefficient triple a map of the cities with the
// optimal and the best tour; with coefficients ranging, a heatmap of the valid share with the
// optimal share in each cell. And writing a file whole or not at all.
#ifndef NUV_SURVEY_SVG_H
#define NUV_SURVEY_SVG_H

#include <string>
#include <vector>

#include "plan.h"
#include "tally.h"
#include "tour.h"

// The picture of a finished survey, from each triple's tally in the survey's order: a map when
// no coefficient ranges, a heatmap when one or two do.
std::string survey_svg(const Plan &plan, const std::vector<Tally> &tallies, const Optimum &optimum);

// Whether a file can be made at path; false with *error otherwise. Leaves nothing behind.
bool can_create(const std::string &path, std::string *error);

// Writes text to a temporary file beside path and renames it into place: the file is there
// whole or not at all. False with *error, and nothing left behind, on failure.
bool write_whole(const std::string &path, const std::string &text, std::string *error);

#endif
