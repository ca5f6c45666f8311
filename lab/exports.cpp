// What the page's JavaScript calls: the cities and settings of a member of the family, its run
// with every cycle measured, a unit's input, one unit's update, and the survey's measures of
// many seeds, and the tools' text of them (text/). All arithmetic and text is here; the script
// only reads, moves bytes and draws. Start at run_family.
#include <math.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "heuristics.h"
#include "methods.h"
#include "palette.h"
#include "published.h"
#include "random.h"
#include "range.h"
#include "read.h"
#include "result.h"
#include "table.h"
#include "tool_rows.h"
#include "tour_file.h"
#include "trace.h"
#include "tsplib.h"

// A function the page calls by `name`: the function of that name, or page_<name> where the name
// is already the tools' (a global or a function the export calls).
#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

EXPORT(cityxy) double *page_cityxy() {
  return &cityxy[0][0];
}

// Called for each cycle of run_family as it is reached: the page reads the state and the cycle's
// measures then.
extern "C" __attribute__((import_module("env"), import_name("cycle_reached"))) void
cycle_reached(int c);

namespace {
Cycle reached; // the cycle run_family reached last
} // namespace

namespace {
// The network set up, with the coefficients a, b, d: the record of a run the page asks for.
Network with_coefficients(double a, double b, double d) {
  Network net = network;
  net.a = a, net.b = b, net.d = d;
  return net;
}
} // namespace

namespace {
Tour optimal_tour; // an optimal tour of the cities the page writes, as a tour file gives it
} // namespace

// The cities: nuv's nine, with nuv's settings, or n random ones from seed: 1, or 0 and nothing
// changed for n outside MINCITY ... MAXCITY (size_problem says why).
EXPORT(use_nuv_network) void use_nuv_network() {
  reset_network();
  forget_optimal_tour();
}
EXPORT(use_random_cities) int use_random_cities(int n, uint32_t seed) {
  CityError refused;
  if (!city_count_ok(n, 0, &refused)) return 0;
  random_cities(n, seed);
  forget_optimal_tour();
  return 1;
}
// Where the page writes an optimal tour, and reads the one read_tour read: cities from 0.
EXPORT(tour_buffer) int *tour_buffer() {
  return optimal_tour.city;
}
// --- A city file's text, read as the tools read a file ---

extern "C" __attribute__((import_module("env"), import_name("read_decimal"))) double
read_decimal(const char *word, size_t length);

// The page's conversion of a number's text for read_city_text: a word it has checked to be a
// decimal number, as the browser's Number reads it (infinite when it overflows).
double browser_number(const char *word, size_t length) {
  return read_decimal(word, length);
}

namespace {
char text[CITY_TEXT_MAX]; // the file's text, or a field's name and text, as the page writes it
CityName text_name;
Metric text_metric;
CityError text_error;
} // namespace

EXPORT(text_buffer) char *text_buffer() {
  return text;
}
EXPORT(text_capacity) int text_capacity() {
  return int(sizeof text);
}
// The size bytes of text_buffer read into the model: 1, or 0 with the line and the reason in
// text_error_line and text_error_why (cities that make no network, as check_cities refuses
// them, included). Then text_metric and text_name say what was read.
EXPORT(read_cities) int read_cities(int size) {
  return read_city_text(text, size_t(size), browser_number, &text_name, &text_metric,
                        &text_error) &&
         check_cities(&text_error);
}

// n cities the page has written, their distances had as a Metric says: coordinates into
// cityxy (as a file gives them), or for METRIC_MATRIX distances into citydistance, with
// coordinates to draw when `drawn`; with their optimal tour in tour_buffer when `toured`. 1, or 0
// with the reason in text_error_why when they make no network (check_cities), and then no tour
// given is kept.
EXPORT(use_cities) int use_cities(int n, int metric, int drawn, int toured) {
  if (!city_count_ok(n, 0, &text_error)) return 0;
  network.n = n;
  network.distances_given = metric == METRIC_MATRIX;
  cityxy_known = metric != METRIC_MATRIX || drawn != 0;
  if (metric >= METRIC_EUC_2D && metric <= METRIC_GEO) tsplib_distances(Metric(metric));
  if (!check_cities(&text_error)) return 0;
  forget_optimal_tour();
  if (toured) give_optimal_tour(optimal_tour);
  give_published_optimum(published_optimum());
  return 1;
}
// The size bytes of text_buffer read as a TSPLIB tour file of the n cities into tour_buffer: 1,
// or 0 with the line and the reason as read_cities gives them.
EXPORT(read_tour) int read_tour(int size, int n) {
  return read_tour_text(text, size_t(size), n, optimal_tour.city, &text_error);
}
EXPORT(text_error_line) int text_error_line() {
  return text_error.line;
}
EXPORT(text_error_why) const char *text_error_why() {
  return text_error.why;
}
EXPORT(text_metric) int page_text_metric() {
  return text_metric;
}
EXPORT(text_name) const char *page_text_name() {
  return text_name.s;
}
EXPORT(cities_drawn) int cities_drawn() {
  return cityxy_known;
}

EXPORT(citydistance) double *page_citydistance() {
  return &citydistance[0][0];
}
EXPORT(city_count) int city_count() {
  return network.n;
}
EXPORT(cycle_count) int cycle_count() {
  return network.sweeps;
}

// A run of the current member, each cycle measured and announced as it is reached: -1, or the
// first cycle whose state or energy is not finite, where the run stopped (not announced).
EXPORT(run_family) int run_family(double a, double b, double d, uint32_t seed) {
  return trace_network(with_coefficients(a, b, d), seed, [](const Cycle &y) {
    reached = y;
    cycle_reached(y.cycle);
  });
}
// Whether the member's Euler step is too long for its time constant: why a run stopped.
EXPORT(euler_step_too_long) int page_euler_step_too_long() {
  return euler_step_too_long();
}
EXPORT(reached) const Cycle *page_reached() {
  return &reached;
}
EXPORT(unitout) double *page_unitout() {
  return &unitout[0][0];
}
// The units on in each row ([0 ... n - 1]) and each column (from [MAXCITY]) of the state in
// unitout; a unit is on above on_above().
EXPORT(line_counts) const int *line_counts() {
  static int on[2][MAXCITY];
  units_on_lines(unitout, on[0], on[1]);
  return &on[0][0];
}
EXPORT(on_above) double on_above() {
  return ON_ABOVE;
}
// The tools' colour scale at t (not a NaN) as 0xRRGGBB: the page's grid is coloured as theirs.
EXPORT(scale_colour) int page_scale_colour(double t) {
  int c[3];
  scale_rgb(t, c);
  return c[0] << 16 | c[1] << 8 | c[2];
}
// The colour of output v of a network of n cities as 0xRRGGBB, at its place on the scale
// (unit_position: v itself up to GRID_LINEAR_UPTO cities, beyond it logarithmic); a NaN is
// white. The page's grid of many cities is an image of these.
EXPORT(unit_colour) int page_unit_colour(double v, int n) {
  if (v != v) return 0xffffff;
  return page_scale_colour(unit_position(v, n));
}
EXPORT(grid_linear_upto) int grid_linear_upto() {
  return GRID_LINEAR_UPTO;
}
// Energy curve k's name, colour and dash (palette.h), as nuv-trace's film draws it; k from 0
// to curve_count() - 1.
EXPORT(curve_count) int curve_count() {
  return NCURVE;
}
EXPORT(curve_name) const char *curve_name(int k) {
  return CURVE_STYLE[k].name;
}
EXPORT(curve_colour) const char *curve_colour(int k) {
  return CURVE_STYLE[k].colour;
}
EXPORT(curve_dash) const char *curve_dash(int k) {
  return CURVE_STYLE[k].dash;
}
// The map's marks (palette.h), k from 0: the found tour's colour and width, the optimal tour's
// colour, width and dash, the cities' colour.
EXPORT(map_style) const char *map_style(int k) {
  const char *const style[] = {MAP_STYLE.found_colour,   MAP_STYLE.found_width,
                               MAP_STYLE.optimal_colour, MAP_STYLE.optimal_width,
                               MAP_STYLE.optimal_dash,   MAP_STYLE.city_colour};
  return style[k];
}
// The distinct tours when they are ranked, else 0.
EXPORT(tour_count) int page_tour_count() {
  return tour_count();
}
// The most cities of a network: the rows of the model's arrays.
EXPORT(max_city) int max_city() {
  return MAXCITY;
}
// Why n cities make no network, as the tools say it ("1003 cities: a network has 4 to 1002"),
// or "".
EXPORT(size_problem) const char *size_problem(int n) {
  static CityError refused;
  return city_count_ok(n, 0, &refused) ? "" : refused.why;
}

// The whole optimal tour at once, its n cities from 0 in position order: one look-up of the
// optimum (each checks the cities' digest, N^2 steps) rather than one a city.
EXPORT(optimal_tour) const int *optimal_tour() {
  static Tour tour;
  tour = find_optimum().tour;
  return tour.city;
}
// The optimal tour's length.
EXPORT(optimal_length) double optimal_length() {
  return find_optimum().length;
}

// Where a Cycle's fields lie, so that the page reads them as stored: 0 e, 1 the terms, 2 l,
// 3 on, 4 change, 5 outcome, 6 tour, 7 length, 8 ratio, 9 rank, 10 motion, 11 moved.
EXPORT(cycle_layout) int cycle_layout(int field) {
  static const int at[] = {offsetof(Cycle, e),    offsetof(Cycle, terms),  offsetof(Cycle, l),
                           offsetof(Cycle, on),   offsetof(Cycle, change), offsetof(Cycle, outcome),
                           offsetof(Cycle, tour), offsetof(Cycle, length), offsetof(Cycle, ratio),
                           offsetof(Cycle, rank), offsetof(Cycle, motion), offsetof(Cycle, moved)};
  return at[field];
}

// Unit (i, j)'s input from the state in unitout with coefficients a, b, d, and its addends as
// the sweep adds them: row, column, tour length, global, bias, second bias addend, then the
// input itself.
EXPORT(unit_terms) const InputTerms *unit_terms(double a, double b, double d, int i, int j) {
  static struct {
    InputTerms terms;
    double input;
  } unit;
  unit.input = unit_input_terms(with_coefficients(a, b, d), i, j, &unit.terms);
  return &unit.terms;
}

// A sweep stepped unit by unit from its start on the state in unitout: the Stepping record's
// total, which the page holds and passes to each step_unit.
EXPORT(start_stepping) double page_start_stepping() {
  return start_stepping(network).total;
}
// One unit of the in-place sweep on the state in unitout, with coefficients a, b, d, from the
// stepping total `total`: the total after it, for the next unit.
EXPORT(step_unit) double step_unit(double total, double a, double b, double d, int i, int j) {
  Stepping stepping = {total};
  update_unit(with_coefficients(a, b, d), &stepping, i, j);
  return stepping.total;
}

// --- Many seeds: the survey's measures of each run, added up. ---

namespace {
struct SeedRun {
  RunResult result;
  Tour canonical;          // of a valid tour: the form the survey counts tours by
  double canonical_length; // its length, and rank, as the survey's outcome rows give them
  int canonical_rank;
};
SeedRun seed_run;
Tally tally;
} // namespace

EXPORT(tally_reset) void tally_reset() {
  tally = Tally();
}

// The run for the seed, measured at its end as the survey measures it.
EXPORT(survey_run) const SeedRun *survey_run(double a, double b, double d, uint32_t seed) {
  const Network net = with_coefficients(a, b, d);
  seed_run.result = is_heuristic(net.method) ? heuristic_run(net, seed) : measured_run(net, seed);
  seed_run.canonical = Tour();
  seed_run.canonical_length = 0, seed_run.canonical_rank = 0;
  if (seed_run.result.valid()) {
    seed_run.canonical = canonical_tour(seed_run.result.tour);
    seed_run.canonical_length = tour_length(seed_run.canonical);
    seed_run.canonical_rank = tour_rank(seed_run.canonical_length);
  }
  return &seed_run;
}
EXPORT(seed_run_size) int seed_run_size() {
  return int(sizeof(SeedRun));
}

// A run's end, as survey_run wrote it (in this instance of the module or another), added to the
// tally: runs added in seed order give the survey's tally, bit for bit. at is where the page
// writes it.
EXPORT(seed_run_at) SeedRun *seed_run_at() {
  static SeedRun written;
  return &written;
}
EXPORT(tally_add) void tally_add() {
  tally.add(seed_run_at()->result, find_optimum());
}

EXPORT(tally) const Tally *page_tally() {
  return &tally;
}

// The 95 % interval of count in runs, in percent: [0] low, [1] high.
EXPORT(wilson) const double *wilson(double count, double runs) {
  static double ends[2];
  wilson_interval(uint64_t(count), uint64_t(runs), &ends[0], &ends[1]);
  return ends;
}

// Whether the optimum's length is known exactly, and its own tour's length.
EXPORT(optimum_exact) int optimum_exact() {
  return find_optimum().exact;
}
EXPORT(optimum_tour_length) double optimum_tour_length() {
  return tour_length(find_optimum().tour);
}

// Whether the cities' tour lengths are whole numbers (TSPLIB's), written without decimals.
EXPORT(whole_lengths) int page_whole_lengths() {
  return whole_lengths();
}

// Where the fields of a SeedRun and a Tally lie: 0 outcome, 1 motion, 2 canonical tour,
// 3 canonical length, 4 canonical rank, 5 tally runs, 6 valid, 7 optimal, 8 settled,
// 9 ratio_sum, 10 best_ratio, 11 best, 12 energy; then a Share's: 13 percent, 14 far, 15 lean.
EXPORT(survey_layout) int survey_layout(int field) {
  static const int at[] = {int(offsetof(SeedRun, result) + offsetof(RunResult, outcome)),
                           int(offsetof(SeedRun, result) + offsetof(RunResult, motion)),
                           int(offsetof(SeedRun, canonical)),
                           int(offsetof(SeedRun, canonical_length)),
                           int(offsetof(SeedRun, canonical_rank)),
                           int(offsetof(Tally, runs)),
                           int(offsetof(Tally, valid)),
                           int(offsetof(Tally, optimal)),
                           int(offsetof(Tally, settled)),
                           int(offsetof(Tally, ratio_sum)),
                           int(offsetof(Tally, best_ratio)),
                           int(offsetof(Tally, best)),
                           int(offsetof(SeedRun, result) + offsetof(RunResult, energy)),
                           int(offsetof(Share, percent)),
                           int(offsetof(Share, far)),
                           int(offsetof(Share, lean))};
  return at[field];
}

// --- The settings' fields, checked and defaulted by the tools' table of options ---

namespace {
// The row of the field whose name (the option's without its dashes: "u0") is the first length
// bytes of text_buffer, or null.
const Option *field_option(int length) {
  char name[16] = "--";
  if (length < 1 || length > 12) return nullptr;
  for (int k = 0; k < length; k++) name[2 + k] = text[k];
  name[2 + length] = '\0';
  return option_named(TOOL_TRACE | TOOL_SURVEY, name);
}
} // namespace

// The default text of the field named in text_buffer ("" when it depends on the others, as the
// sweeps and n do), or null for a name no option has.
EXPORT(field_default) const char *field_default(int name_length) {
  const Option *o = field_option(name_length);
  return o ? o->fallback : nullptr;
}
// Why the text after the field's name in text_buffer (size bytes in all) is no value of it, as
// the page says it beside the field, or "".
EXPORT(field_problem) const char *page_field_problem(int name_length, int size) {
  const Option *o = field_option(name_length);
  return o ? field_problem(*o, text + name_length, size_t(size - name_length), browser_number) : "";
}
// The sweeps of a run under rule (0 inplace, 1 sync, 2 euler) when none are given.
EXPORT(sweeps_default) int sweeps_default(int rule) {
  return default_sweeps(Rule(rule));
}

namespace {
// The text at *at, up to its NUL, and *at past it; null past the end (size bytes).
const char *next_word(int *at, int size, size_t *length) {
  if (*at >= size) return nullptr;
  const char *word = text + *at;
  *length = 0;
  while (*at + int(*length) < size && word[*length]) ++*length;
  *at += int(*length) + 1;
  return word;
}

// The length of a NUL-ended text.
size_t length_of(const char *s) {
  size_t n = 0;
  while (s[n]) n++;
  return n;
}

// Whether the options in text_buffer (size bytes) give the option name.
bool options_give(int size, const char *name) {
  int at = 0;
  size_t length, value_length;
  while (const char *word = next_word(&at, size, &length)) {
    size_t k = 0;
    while (k < length && word[k] == name[k]) k++;
    if (k == length && name[k] == '\0') return true;
    next_word(&at, size, &value_length);
  }
  return false;
}
} // namespace

// The member of the family the next runs are of, set up on the cities the module holds: the
// options in text_buffer (size bytes: "--name", NUL, its value, NUL, ...) read by the tools'
// table in their order over the table's defaults, as nuv-trace reads its command line, then
// the defaults that depend on others. "" when set up, else why not (the network is then kept).
EXPORT(set_options) const char *set_options(int size) {
  static char why[96];
  Network net = nuv_network();
  net.n = network.n, net.distances_given = network.distances_given; // the cities' part
  OptionValue v;
  for (const Option &o : every_option())
    if (o.set && *o.fallback &&
        field_value(o, o.fallback, length_of(o.fallback), browser_number, &v))
      o.set(&net, v);
  int at = 0;
  size_t name_length, value_length;
  while (const char *name = next_word(&at, size, &name_length)) {
    const char *value = next_word(&at, size, &value_length);
    const Option *o = option_named(TOOL_TRACE, name);
    v = OptionValue();
    if (!o || !o->set || !value || !field_value(*o, value, value_length, browser_number, &v)) {
      Text t = text_in(why, sizeof why);
      put(&t, "no setting: "), put_bytes(&t, name, name_length);
      return why;
    }
    o->set(&net, v);
  }
  if (const Option *o = finish_network(
          &net, [size](const Option &row) { return options_give(size, row.name); })) {
    Text t = text_in(why, sizeof why);
    put(&t, o->name), put(&t, " applies under another rule");
    return why;
  }
  set_up(net);
  return "";
}

namespace {
// The k-th of nuv-trace's options that set the network, in --help's order, or null.
const Option *setting_row(int k) {
  for (const Option &o : every_option())
    if (o.set && (o.tools & TOOL_TRACE) && k-- == 0) return &o;
  return nullptr;
}
} // namespace

// The page's settings fields, one per option that sets the network: the k-th's name ("--u0"),
// or null past the last; its menu's words (' ' between), "" for a text field; the rules that
// read it (a mask of 1 << Rule, 0 for every rule).
EXPORT(setting_name) const char *setting_name(int k) {
  const Option *o = setting_row(k);
  return o ? o->name : nullptr;
}
EXPORT(setting_words) const char *setting_words(int k) {
  const Option *o = setting_row(k);
  return o && o->kind == KIND_WORD && !o->or_number ? o->words : "";
}
EXPORT(setting_rules) int setting_rules(int k) {
  const Option *o = setting_row(k);
  return o ? o->rules : 0;
}

// The sweeps of the network set up.
EXPORT(network_sweeps) int network_sweeps() {
  return network.sweeps;
}

// --- The tools' text, written by their own functions into `written` ---
// Each write_ function writes a text into written() and returns its size in bytes; a size of
// written_capacity() or more says it did not fit. A tour a text shows is in tour_buffer, of the
// current cities.

namespace {
char written[1 << 18];          // nuv's table of 150 cities (the page's most) is 160 KB
double state[MAXCITY][MAXCITY]; // the state nuv's table shows, as the page writes it

Text written_text() {
  return text_in(written, sizeof written);
}
Tour given_tour() {
  return optimal_tour;
}
double double_of(uint64_t bits) {
  double value;
  __builtin_memcpy(&value, &bits, sizeof value);
  return value;
}
} // namespace

EXPORT(written) const char *page_written() {
  return written;
}
EXPORT(written_capacity) int written_capacity() {
  return int(sizeof written);
}
EXPORT(state_buffer) double *state_buffer() {
  return &state[0][0];
}

// "%.<decimals>f" of the double whose bits are given (a NaN's sign kept).
EXPORT(write_fixed) int write_fixed(uint64_t bits, int decimals) {
  Text t = written_text();
  put_fixed(&t, double_of(bits), decimals);
  return int(t.size);
}
EXPORT(write_shortest) int write_shortest(double value) {
  Text t = written_text();
  put_shortest(&t, value);
  return int(t.size);
}
// The tour in tour_buffer: "1-8-7-6-5-4-3-2-9".
EXPORT(write_tour) int write_tour() {
  Text t = written_text();
  put(&t, tour_text(given_tour()).s);
  return int(t.size);
}
// Why the current member's run stopped at cycle c.
EXPORT(write_stop_text) int write_stop_text(int c) {
  Text t = written_text();
  put_stop_text(&t, c, sweeps_at(c), euler_step_too_long(), network.dt, network.tau);
  return int(t.size);
}
// nuv's table of the n x n state in state_buffer for cycle c, and from cycle 1 on the energy
// line of the energy whose bits are given.
EXPORT(write_state_table) int write_state_table(int c, int n, uint64_t energy_bits) {
  Text t = written_text();
  put_state_table(&t, c, state, n);
  if (c > 0) put_energy_line(&t, double_of(energy_bits));
  return int(t.size);
}
// The optimum line of the optimum whose tour is in tour_buffer.
EXPORT(write_optimum_line)
int write_optimum_line(double length, int exact, double found, int whole) {
  Text t = written_text();
  const Optimum optimum = {given_tour(), length, exact != 0};
  put_optimum_line(&t, optimum, found, whole ? 0 : 6);
  return int(t.size);
}
EXPORT(write_share) int write_share(double count, double runs) {
  Text t = written_text();
  put_share(&t, uint64_t(count), uint64_t(runs));
  return int(t.size);
}
// The summary's header, and its row of a tally whose best tour is in tour_buffer (coefficients
// a, b, d, c; C's column when with_c).
EXPORT(write_summary_head) int write_summary_head(int exact, int with_c) {
  Text t = written_text();
  put_summary_head(&t, exact != 0, with_c != 0);
  return int(t.size);
}
EXPORT(write_summary_row)
int write_summary_row(double a, double b, double d, double c, int with_c, double runs, double valid,
                      double optimal, double ratio_sum, double best_ratio) {
  const double coef[4] = {a, b, d, c};
  Tally tally;
  tally.runs = uint64_t(runs), tally.valid = uint64_t(valid), tally.optimal = uint64_t(optimal);
  tally.ratio_sum = ratio_sum, tally.best_ratio = best_ratio, tally.best = given_tour();
  Text t = written_text();
  put_summary_row(&t, coef, tally, with_c != 0);
  return int(t.size);
}
// --tours's header and a row of one outcome (a tour's in tour_buffer) with runs of total.
EXPORT(write_outcomes_head) int write_outcomes_head(int with_c) {
  Text t = written_text();
  put_outcomes_head(&t, false, with_c != 0, false);
  return int(t.size);
}
EXPORT(write_outcome_row)
int write_outcome_row(double a, double b, double d, double c, int with_c, int outcome, int rank,
                      double ratio, double runs, double total) {
  const double coef[4] = {a, b, d, c};
  Text t = written_text();
  put_outcome_row(&t, coef, Outcome(outcome), tour_text(given_tour()).s, rank, ratio,
                  uint64_t(runs), uint64_t(total), false, with_c != 0, false, "");
  return int(t.size);
}

// --tours's order (outcome_precedes) of row a and row b: 1 when a comes first, else 0. A tour's
// row has its tour in compared_tours() (a's first, b's MAXCITY ints on), of the current cities.
namespace {
Tour compared[2];
} // namespace
EXPORT(compared_tours) int *compared_tours() {
  return compared[0].city;
}
EXPORT(outcome_precedes)
int page_outcome_precedes(int outcome_a, double runs_a, int rank_a, double length_a, int outcome_b,
                          double runs_b, int rank_b, double length_b) {
  const TourText a = tour_text(compared[0]), b = tour_text(compared[1]);
  const OutcomeKey ka = {Outcome(outcome_a), uint64_t(runs_a), rank_a, length_a,
                         outcome_a == OUTCOME_TOUR ? a.s : "-"};
  const OutcomeKey kb = {Outcome(outcome_b), uint64_t(runs_b), rank_b, length_b,
                         outcome_b == OUTCOME_TOUR ? b.s : "-"};
  return outcome_precedes(ka, kb);
}

// The tools' names in list `list`, ' ' between, in the order of their enum: 0 the outcomes
// (outcome_name), 1 the motions (motion_name), 2 the rules (--rule's words), 3 the energy's
// terms (their curves' names, in the order of EnergyTerms' fields).
EXPORT(names) const char *names(int list) {
  static_assert(CURVE_EC - CURVE_EA + 1 == sizeof(EnergyTerms) / sizeof(double),
                "a curve for each of the energy's terms");
  static char listed[64];
  Text t = text_in(listed, sizeof listed - 1);
  const int count[] = {OUTCOME_MIXED + 1, MOTION_MOVING + 1, 0, CURVE_EC - CURVE_EA + 1};
  if (list == 2) put(&t, option_named(TOOL_TRACE, "--rule")->words);
  for (int k = 0; k < count[list]; k++) {
    if (k > 0) put_char(&t, ' ');
    put(&t, list == 0   ? outcome_name(Outcome(k))
            : list == 1 ? motion_name(Motion(k))
                        : CURVE_STYLE[CURVE_EA + k].name);
  }
  listed[t.size] = '\0';
  return listed;
}

// --- A coefficient's range, as nuv-survey reads one ---

namespace {
Range range; // the range page_read_range read last

// The browser's reading of a number's text, when it is a finite decimal number.
bool browser_finite(const char *text, size_t length, double *value) {
  *value = read_decimal(text, length);
  return *value - *value == 0;
}
} // namespace

// The size bytes of text_buffer read as a range: 0, or the RangeRefusal that says why not.
EXPORT(read_range) int page_read_range(int size) {
  int part;
  size_t start[3], end[3];
  return read_range(text, size_t(size), browser_finite, &range, &part, start, end);
}
// Its count of values, and value k.
EXPORT(range_count) double range_count() {
  return double(range.count);
}
EXPORT(range_value) double page_range_value(double k) {
  return range_value(range, size_t(k), browser_finite);
}

// exp, log, tanh and atanh as the module computes them (lab/include/math.h), for the test that
// compares them with the C library's.
EXPORT(exp) double page_exp(double x) {
  return exp(x);
}
EXPORT(log) double page_log(double x) {
  return log(x);
}
EXPORT(tanh) double page_tanh(double x) {
  return tanh(x);
}
EXPORT(atanh) double page_atanh(double x) {
  return atanh(x);
}

// The text of the k-th setting's value under method (its number in Method) on the cities the
// module holds, as the tools read it, into written; its size. A setting whose default depends on
// the others (the sweeps, n) is written "".
EXPORT(setting_text) int setting_text(int k, int method) {
  const Option *o = setting_row(k);
  Network net = network;
  apply_method(Method(method), &net);
  Text t = written_text();
  if (!o || o->depends || !o->get) return put(&t, ""), int(t.size);
  const OptionValue v = o->get(net);
  if (v.word >= 0) {
    const char *w = o->words;
    for (int skip = v.word; skip > 0 && *w; w++)
      if (*w == ' ') skip--;
    int length = 0;
    while (w[length] && w[length] != ' ') length++;
    put_bytes(&t, w, size_t(length));
  } else if (o->kind == KIND_WHOLE)
    put_unsigned(&t, v.whole);
  else
    put_shortest(&t, v.number);
  return int(t.size);
}

// The first heuristic's number among the methods: the page's run shows a network only.
EXPORT(first_heuristic) int first_heuristic() {
  return METHOD_NEAREST;
}

// The coefficients A, B and D of the network set up (k 0, 1, 2): a method's own.
EXPORT(network_coefficient) double network_coefficient(int k) {
  return k == 0 ? network.a : k == 1 ? network.b : network.d;
}

// nuv-survey --methods' header, and a method's row of a tally whose best tour is in tour_buffer.
EXPORT(write_method_head) int write_method_head(int exact) {
  Text t = written_text();
  put_method_head(&t, exact != 0);
  return int(t.size);
}
EXPORT(write_method_row)
int write_method_row(int method, double runs, double valid, double optimal, double ratio_sum,
                     double best_ratio) {
  Tally tally;
  tally.runs = uint64_t(runs), tally.valid = uint64_t(valid), tally.optimal = uint64_t(optimal);
  tally.ratio_sum = ratio_sum, tally.best_ratio = best_ratio, tally.best = given_tour();
  const char *w = METHOD_WORDS;
  for (int skip = method; skip > 0 && *w; w++)
    if (*w == ' ') skip--;
  char name[METHOD_COLUMN + 1];
  int length = 0;
  while (w[length] && w[length] != ' ' && length < METHOD_COLUMN)
    name[length] = w[length], length++;
  name[length] = '\0';
  Text t = written_text();
  put_method_row(&t, name, tally);
  return int(t.size);
}
