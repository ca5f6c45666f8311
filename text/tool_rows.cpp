// The tools' rows into a caller's buffer, each as the printf format it replaces wrote it. Start
// at put_summary_row.
#include "tool_rows.h"

#include "state.h"
#include "tour.h"

void put_state_table(Text *text, int cycle, const double state[][MAXCITY], int n) {
  // "    ###   Sequence     Cycle : %4d   ###\nCity ", " %4d  ", "%4d  ", "%5.2f  "
  put(text, "    ###   Sequence     Cycle : ");
  size_t from = text->size;
  put_signed(text, cycle);
  align_right(text, from, 4);
  put(text, "   ###\nCity ");
  for (int j = 1; j <= n; j++) {
    put_char(text, ' ');
    from = text->size;
    put_signed(text, j);
    align_right(text, from, 4);
    put(text, "  ");
  }
  put_char(text, '\n');
  for (int i = 0; i < n; i++) {
    from = text->size;
    put_signed(text, i + 1);
    align_right(text, from, 4);
    put(text, "  ");
    for (int j = 0; j < n; j++) {
      put_fixed_right(text, state[i][j], 2, 5);
      put(text, "  ");
    }
    put_char(text, '\n');
  }
}

void put_energy_line(Text *text, double e) {
  put(text, " Energy = ");
  put_fixed(text, e, 6);
  put_char(text, '\n');
}

void put_stop_text(Text *text, int c, int sweeps, bool euler_too_long, double dt, double tau) {
  put(text, "the state is not finite from cycle ");
  put_signed(text, c);
  put(text, " (sweep ");
  put_signed(text, sweeps);
  put(text, "): ");
  if (!euler_too_long) return put(text, "the coefficients overflow the units' inputs");
  put(text, "the Euler step dt ");
  put_shortest(text, dt);
  put(text, " is too long for tau ");
  put_shortest(text, tau);
}

// The words after a published optimum's length, whose tour is not known here.
static const char PUBLISHED[] = " (published)";

void put_optimum_line(Text *text, const Optimum &optimum, double found, int decimals) {
  const TourText text_of_tour = tour_text(optimum.tour);
  const char *tour = text_of_tour.s;
  if (optimum.exact && within_slack(found, optimum.length)) {
    put(text, "optimal tour "), put(text, tour), put(text, ", length ");
    put_fixed(text, optimum.length, decimals);
  } else if (optimum.exact) {
    put(text, "optimal length ");
    put_fixed(text, optimum.length, decimals);
    put(text, PUBLISHED), put(text, "; best tour known here "), put(text, tour);
    put(text, ", length ");
    put_fixed(text, found, decimals);
  } else {
    put(text, "best known tour "), put(text, tour), put(text, ", length ");
    put_fixed(text, optimum.length, decimals);
    put(text, " (2-opt and Or-opt from 10 starts; ratios are to it)");
  }
}

void put_ratios_reference(Text *text, const Optimum &optimum, double found, int decimals) {
  put(text, "ratios are to the ");
  if (optimum.exact && !within_slack(found, optimum.length)) {
    put(text, "optimal length ");
    put_fixed(text, optimum.length, decimals);
    return put(text, PUBLISHED);
  }
  put(text, optimum.exact ? "optimal tour, length " : "best known tour, length ");
  put_fixed(text, optimum.length, decimals);
}

void put_share(Text *text, uint64_t count, uint64_t runs) {
  const Share s = share_of(count, runs);
  put_fixed(text, s.percent, 1);
  put(text, s.lean > 0 ? " +" : s.lean < 0 ? " \u2212" : " \u00b1");
  put_fixed(text, s.far, 1);
}

namespace {

// The coefficients as typed, each right aligned in 5 columns, C's only when chosen.
void put_coefficient_columns(Text *text, const double coef[4], bool c) {
  for (int k = 0; k < (c ? 4 : 3); k++) {
    if (k > 0) put_char(text, ' ');
    const size_t from = text->size;
    put_shortest(text, coef[k]);
    align_right(text, from, 5);
  }
}

// The summary's "best tour" column: a whole tour, every one of N cities being as long, and no
// narrower than nine cities' 17.
int tour_column() {
  Tour any;
  for (int j = 0; j < MAXCITY; j++) any.city[j] = j;
  const TourText whole = tour_text(any);
  int width = 0;
  for (const char *s = whole.s; *s; s++) width++;
  return width > 17 ? width : 17;
}

void put_unsigned_right(Text *text, uint64_t value, int width) {
  const size_t from = text->size;
  put_unsigned(text, value);
  align_right(text, from, width);
}

void put_share_column(Text *text, uint64_t count, uint64_t runs) {
  const size_t from = text->size;
  put_share(text, count, runs);
  align_right(text, from, 10);
}

} // namespace

// The summary's header after the coefficients' or the method's: runs ... ratio.
static void put_measures_head(Text *text, bool exact) {
  put_right(text, "runs", 6), put_char(text, ' ');
  put_right(text, "valid %", 10), put_char(text, ' ');
  put_right(text, exact ? "optimal %" : "best %", 10), put_char(text, ' ');
  put_right(text, "mean", 6), put(text, "  ");
  put_left(text, "best tour", tour_column()), put_char(text, ' ');
  put_right(text, "ratio", 6), put_char(text, '\n');
}

// A summary row's measures after the coefficients or the method: runs ... ratio.
static void put_measures(Text *text, const Tally &tally) {
  put_unsigned_right(text, tally.runs, 6), put_char(text, ' ');
  put_share_column(text, tally.valid, tally.runs), put_char(text, ' ');
  put_share_column(text, tally.optimal, tally.runs), put_char(text, ' ');
  const bool any = tally.valid > 0;
  if (any)
    put_fixed_right(text, tally.mean_ratio(), 4, 6);
  else
    put_right(text, "-", 6);
  put(text, "  ");
  put_left(text, any ? tour_text(tally.best).s : "-", tour_column());
  put_char(text, ' ');
  if (any)
    put_fixed_right(text, tally.best_ratio, 4, 6);
  else
    put_right(text, "-", 6);
  put_char(text, '\n');
}

void put_summary_head(Text *text, bool exact, bool c) {
  // "%s%s %6s %10s %10s %6s  %-*s %6s\n"
  put(text, c ? "Acoef Bcoef Dcoef     C " : "Acoef Bcoef Dcoef ");
  put_measures_head(text, exact);
}

void put_summary_row(Text *text, const double coef[4], const Tally &tally, bool c) {
  // "%s %6llu %s %s %6s  %-*s %6s\n"
  put_coefficient_columns(text, coef, c);
  put_char(text, ' ');
  put_measures(text, tally);
}

void put_method_head(Text *text, bool exact) {
  put_left(text, "method", METHOD_COLUMN), put_char(text, ' ');
  put_measures_head(text, exact);
}

void put_method_row(Text *text, const char *method, const Tally &tally) {
  put_left(text, method, METHOD_COLUMN), put_char(text, ' ');
  put_measures(text, tally);
}

void put_outcomes_head(Text *text, bool csv, bool c, bool motion) {
  if (csv) {
    put(text, c ? "Acoef,Bcoef,Dcoef,C," : "Acoef,Bcoef,Dcoef,");
    put(text, motion ? "outcome,tour,rank,ratio,runs,percent,network\n"
                     : "outcome,tour,rank,ratio,runs,percent\n");
    return;
  }
  // "%s%s  %-7s  %-17s %5s %6s %7s %6s\n"
  put(text, c ? "Acoef Bcoef Dcoef     C  " : "Acoef Bcoef Dcoef  ");
  put_left(text, "outcome", 7), put(text, "  ");
  put_left(text, "tour", 17), put_char(text, ' ');
  put_right(text, "rank", 5), put_char(text, ' ');
  put_right(text, "ratio", 6), put_char(text, ' ');
  put_right(text, "runs", 7), put_char(text, ' ');
  put_right(text, "%", 6), put_char(text, '\n');
}

// Whether text a comes before text b byte by byte (as std::string's < orders them; a text that
// begins another comes first).
static bool text_before(const char *a, const char *b) {
  while (*a && *a == *b) a++, b++;
  return static_cast<unsigned char>(*a) < static_cast<unsigned char>(*b);
}

bool outcome_precedes(const OutcomeKey &a, const OutcomeKey &b) {
  if (a.runs != b.runs) return a.runs > b.runs;
  const bool ta = a.outcome == OUTCOME_TOUR, tb = b.outcome == OUTCOME_TOUR;
  if (ta != tb) return ta;
  if (!ta) return a.outcome < b.outcome;
  if (a.rank != b.rank) return a.rank < b.rank;
  if (a.rank == 0 && a.length != b.length) return a.length < b.length;
  return text_before(a.tour, b.tour);
}

void put_outcome_row(Text *text, const double coef[4], Outcome outcome, const char *tour, int rank,
                     double ratio, uint64_t runs, uint64_t total, bool csv, bool c, bool motion,
                     const char *network) {
  const double percent = 100.0 * double(runs) / double(total);
  const bool toured = outcome == OUTCOME_TOUR;
  if (csv) {
    // "%s,%s,%s,%s,%.6f,%llu,%.2f%s\n", or "%s,%s,,,,%llu,%.2f%s\n" for a failure
    for (int k = 0; k < (c ? 4 : 3); k++) put_shortest(text, coef[k]), put_char(text, ',');
    put(text, outcome_name(outcome)), put_char(text, ',');
    if (toured) {
      put(text, tour), put_char(text, ',');
      if (rank) put_signed(text, rank);
      put_char(text, ',');
      put_fixed(text, ratio, 6);
    } else {
      put(text, ",,");
    }
    put_char(text, ',');
    put_unsigned(text, runs), put_char(text, ',');
    put_fixed(text, percent, 2);
    if (motion) put_char(text, ','), put(text, network);
    put_char(text, '\n');
    return;
  }
  // "%s  %-7s  %-17s %5s %6.4f %7llu %6.1f\n", "-" for what a failure has not
  put_coefficient_columns(text, coef, c);
  put(text, "  ");
  put_left(text, outcome_name(outcome), 7), put(text, "  ");
  put_left(text, toured ? tour : "-", 17), put_char(text, ' ');
  const size_t from = text->size;
  if (toured && rank)
    put_signed(text, rank);
  else
    put_char(text, '-');
  align_right(text, from, 5), put_char(text, ' ');
  if (toured)
    put_fixed_right(text, ratio, 4, 6);
  else
    put_right(text, "-", 6);
  put_char(text, ' ');
  put_unsigned_right(text, runs, 7), put_char(text, ' ');
  put_fixed_right(text, percent, 1, 6), put_char(text, '\n');
}

const char *const CSV_COLUMN_NAME[CSV_COLUMNS] = {"seed",    "valid",  "tour",   "length",
                                                  "ratio",   "energy", "rank",   "outcome",
                                                  "settled", "motion", "network"};

void put_csv_head(Text *text, bool c, bool motion) {
  put(text, c ? "Acoef,Bcoef,Dcoef,C" : "Acoef,Bcoef,Dcoef");
  for (int k = 0; k < (motion ? CSV_COLUMNS : CSV_MOTION); k++)
    put_char(text, ','), put(text, CSV_COLUMN_NAME[k]);
  put_char(text, '\n');
}

void put_csv_coefficients(Text *text, const double coef[4], bool c) {
  for (int k = 0; k < (c ? 4 : 3); k++) put_shortest(text, coef[k]), put_char(text, ',');
}

void put_csv_run(Text *text, uint32_t seed, const RunResult &run, double optimum_length,
                 bool motion, const char *network) {
  put_unsigned(text, seed);
  put(text, run.valid() ? ",1," : ",0,");
  if (run.valid()) {
    put(text, tour_text(run.tour).s), put_char(text, ',');
    put_fixed(text, run.length, 6), put_char(text, ',');
    put_fixed(text, run.length / optimum_length, 6), put_char(text, ',');
  } else {
    put(text, ",,,");
  }
  put_fixed(text, run.energy, 6), put_char(text, ',');
  if (run.valid() && run.rank > 0) put_signed(text, run.rank);
  put_char(text, ','), put(text, outcome_name(run.outcome));
  put(text, run.settled ? ",1" : ",0");
  if (motion)
    put_char(text, ','), put(text, motion_name(run.motion)), put_char(text, ','),
        put(text, network);
  put_char(text, '\n');
}
