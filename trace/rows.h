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

// What the run is: "nuv A B D SEED" as nuv would be called, or for another network `command`
// ("nuv-trace --cities eil51.tsp") before the numbers, with the seed used when it is not the
// text given.
std::string run_title(const std::string &command, const double coef[3], const Seed &seed);

// Why a run stopped at cycle c, the first whose state or energy is not finite: "the state is
// not finite from cycle 154 (sweep 155): the Euler step dt 100 is too long for tau 1".
std::string stop_text(int c);

// The table's header line and column heads: within 80 columns for nine cities, or with every
// column (the sweeps, the energy's terms, the tour's length) when wide. motion adds the motion.
// nuv's table of the state, which is cycle y's, and from cycle 1 on its energy line: what
// --tables prints for a cycle, as nuv prints it and the page shows it.
void print_tables(const Cycle &y);

void print_table_head(const std::string &title, bool wide, bool motion);
void print_table_row(const Cycle &y, bool wide, bool motion);

// The CSV header and a row per cycle, real values in full precision; motion and C's term EC
// are columns for any network but nuv's, and last the network's description (`network`, empty
// for nuv's) in every row.
void print_csv_head(bool family_columns);
void print_csv_row(const Cycle &y, bool family_columns, const std::string &network);

#endif
