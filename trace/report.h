// What nuv-trace writes: the table for a terminal, the CSV, and the picture of the run.
#ifndef NUV_TRACE_REPORT_H
#define NUV_TRACE_REPORT_H

#include <string>

#include "trace.h"

// The header line, the column heads and a row per cycle, at most 120 columns.
void print_trace_table(const double coef[3], uint32_t seed, const Cycle cycles[NSWEEP]);

// The CSV header and a row per cycle, real values in full precision.
void print_trace_csv(const Cycle cycles[NSWEEP]);

// The picture: the film of the 50 states, the curves of E, its terms and L, and the map of the
// last tour the run formed. description says what made it.
std::string trace_svg(const double coef[3], uint32_t seed, const Cycle cycles[NSWEEP],
                      const std::string &description);

#endif
