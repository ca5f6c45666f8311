// What nuv-trace writes as text: the table for a terminal and the CSV; the picture is film.h's.
#ifndef NUV_TRACE_REPORT_H
#define NUV_TRACE_REPORT_H

#include <string>

#include "trace.h"

// A seed as typed, and the seed nuv takes from it.
struct Seed {
  std::string text;
  uint32_t value;
};

// The header line, the column heads and a row per cycle: within 80 columns, or with every
// column (the sweeps, the energy's terms, the tour's length) when wide.
void print_trace_table(const double coef[3], const Seed &seed, const Cycle cycles[NSWEEP],
                       bool wide);

// The CSV header and a row per cycle, real values in full precision.
void print_trace_csv(const Cycle cycles[NSWEEP]);

#endif
