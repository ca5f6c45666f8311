// What nuv-trace writes as text: the table for a terminal and the CSV; the picture is film.h's.
#ifndef NUV_TRACE_ROWS_H
#define NUV_TRACE_ROWS_H

#include <string>

#include "trace.h"

// A seed as typed, and the seed nuv takes from it.
struct Seed {
  std::string text;
  uint32_t value;
};

// What the run is: "nuv A B D SEED" as nuv would be called, with the seed used when it is not
// the text given.
std::string run_title(const double coef[3], const Seed &seed);

// The table's header line and column heads: within 80 columns for nine cities, or with every
// column (the sweeps, the energy's terms, the tour's length) when wide. motion adds the motion.
void print_table_head(const std::string &title, bool wide, bool motion);
void print_table_row(const Cycle &y, bool wide, bool motion);

// The CSV header and a row per cycle, real values in full precision; motion and C's term EC
// are columns for any network but nuv's.
void print_csv_head(bool family_columns);
void print_csv_row(const Cycle &y, bool family_columns);

#endif
