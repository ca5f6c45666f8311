// The tools' rows, written once into a caller's buffer for the native tools and the page's
// module alike: nuv's table of a state and its energy line, the line saying why a run stopped,
// the optimum line, and the survey's summary, outcome and CSV rows. Start at put_state_table.
#ifndef NUV_TEXT_TOOL_ROWS_H
#define NUV_TEXT_TOOL_ROWS_H

#include <stdint.h>

#include "number.h"
#include "optimum.h"
#include "result.h"

// nuv's table of a state for cycle c (nuv-trace --tables, the page): a heading with the cycle,
// the positions, then a row per city of its outputs to two places; every line but the heading
// ends with two blanks. The energy line follows it from cycle 1 on: " Energy = %f".
void put_state_table(Text *text, int cycle, const double state[][MAXCITY], int n);
void put_energy_line(Text *text, double e);

// Why a run stopped at cycle c (after `sweeps` sweeps), its first state that is not finite: an
// Euler step too long for tau (dt >= 2 tau), else coefficients that overflow the inputs.
void put_stop_text(Text *text, int c, int sweeps, bool euler_too_long, double dt, double tau);

// The line that says what every ratio is to: "optimal tour T, length L", the published length
// and the best tour known here, or the best known tour; `found` is the optimum's tour's length.
// Lengths to `decimals` places: length_decimals(), none when the instance's are whole.
void put_optimum_line(Text *text, const Optimum &optimum, double found, int decimals);

// What the ratios are to, in a few words after a network's description: "ratios are to the
// optimal tour, length L", "... the optimal length L (published)" when no tour of that length is
// known here (as put_optimum_line says it), or "... the best known tour, length L".
void put_ratios_reference(Text *text, const Optimum &optimum, double found, int decimals);

// "76.6 ±2.7": a share of count in runs and the larger distance to its interval's ends.
void put_share(Text *text, uint64_t count, uint64_t runs);

// The survey's summary: the column header (the optimum line is the caller's), and a row per
// coefficient set (A, B, D, C; C's column only when it is chosen), its best tour whole.
void put_summary_head(Text *text, bool exact, bool c);
void put_summary_row(Text *text, const double coef[4], const Tally &tally, bool c);

// nuv-survey --methods: the header (the optimum line is the caller's) and a row for each method,
// its name left aligned in METHOD_COLUMN columns (the longest name's, "hopfield-tank"), then the
// summary's columns from runs on.
enum { METHOD_COLUMN = 13 };
void put_method_head(Text *text, bool exact);
void put_method_row(Text *text, const char *method, const Tally &tally);

// A row of --tours by what orders it: a tour (its text "1-8-...", its rank or 0 when the tours
// are not ranked, its length) or a way of failing (tour "-", rank and length 0), with its runs.
struct OutcomeKey {
  Outcome outcome;
  uint64_t runs;
  int rank;
  double length;
  const char *tour;
};

// Whether row a comes before row b in --tours: most runs first; among as many, tours before
// failures, tours by rank (by length when unranked), then by their text byte by byte ("1-10-..."
// before "1-2-..."); failures in the order of Outcome. Distinct rows are never tied.
bool outcome_precedes(const OutcomeKey &a, const OutcomeKey &b);

// --tours: the header, as a table or CSV (with the network's column when `motion`), and a row
// for one outcome: a tour (its text, rank or 0, ratio) or a way of failing, with its runs of
// `total`; `network` is the CSV's last field when `motion`.
void put_outcomes_head(Text *text, bool csv, bool c, bool motion);
void put_outcome_row(Text *text, const double coef[4], Outcome outcome, const char *tour, int rank,
                     double ratio, uint64_t runs, uint64_t total, bool csv, bool c, bool motion,
                     const char *network);

// The survey's CSV columns after the coefficients' (A, B, D, and C when chosen), in order, the
// last two for a network other than nuv's: what the writer heads and the shards' reader reads.
enum CsvColumn {
  CSV_SEED,
  CSV_VALID,
  CSV_TOUR,
  CSV_LENGTH,
  CSV_RATIO,
  CSV_ENERGY,
  CSV_RANK,
  CSV_OUTCOME,
  CSV_SETTLED,
  CSV_MOTION,
  CSV_NETWORK,
  CSV_COLUMNS
};
extern const char *const CSV_COLUMN_NAME[CSV_COLUMNS];

// The survey's CSV: the header, a coefficient set's fields (each with its comma), and a run's row
// after them.
void put_csv_head(Text *text, bool c, bool motion);
void put_csv_coefficients(Text *text, const double coef[4], bool c);
void put_csv_run(Text *text, uint32_t seed, const RunResult &run, double optimum_length,
                 bool motion, const char *network);

#endif
