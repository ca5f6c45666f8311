// What the page's JavaScript calls: the cities and settings of a member of the family, its run
// with every cycle measured, a unit's input, one unit's update, and the survey's measures of
// many seeds. All arithmetic is here; the script only reads, writes text and draws. Start at
// run_family.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

#include "random.h"
#include "read.h"
#include "result.h"
#include "tour_file.h"
#include "trace.h"
#include "tsplib.h"

#define EXPORT(name) extern "C" __attribute__((export_name(#name)))

EXPORT(cityxy) double *cityxy_address() {
  return &cityxy[0][0];
}

// Called for each cycle of run_family as it is reached: the page reads the state and the cycle's
// measures then.
extern "C" __attribute__((import_module("env"), import_name("cycle_reached"))) void
cycle_reached(int c);

namespace {
Cycle reached; // the cycle run_family reached last
} // namespace

// The member of the family the next runs are of, set up: the settings of its options, in the
// order of nuv-trace's (rule 0 inplace, 1 sync, 2 euler; start 0 uniform, 1 centred), sweeps 0
// for the rule's default, unscaled 1 for --distances raw; the cities are kept.
EXPORT(set_network)
void set_network(int rule, double c, double target, int bias_ab, double bias, double u0, int start,
                 double dt, double tau, int sweeps, int unscaled) {
  Network net = network; // its cities: n and how their distances are had
  net.rule = Rule(rule), net.c = c, net.target = target, net.bias_ab = bias_ab != 0;
  net.bias = bias, net.u0 = u0, net.start = Start(start), net.dt = dt, net.tau = tau;
  net.sweeps = sweeps > 0 ? sweeps : rule == RULE_EULER ? 1000 : NSWEEP;
  net.unscaled = unscaled != 0;
  set_up(net);
}

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

// The cities: nuv's nine, with nuv's settings, or n random ones from seed.
EXPORT(use_nuv_network) void use_nuv_network() {
  reset_network();
  forget_optimal_tour();
}
EXPORT(use_random_cities) void use_random_cities(int n, uint32_t seed) {
  random_cities(n, seed);
  forget_optimal_tour();
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
char text[CITY_TEXT_MAX]; // the file's text, as the page writes it
CityName text_name;
CityKind text_kind;
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
// them, included). Then text_kind and text_name say what was read.
EXPORT(read_cities) int read_cities(int size) {
  return read_city_text(text, size_t(size), browser_number, &text_name, &text_kind, &text_error) &&
         check_cities(&text_error);
}

// n cities the page has written, their distances had as a CityKind says: coordinates into
// cityxy (as a file gives them), or for CITY_MATRIX distances into citydistance, with
// coordinates to draw when `drawn`; with their optimal tour in tour_buffer when `toured`. 1, or 0
// with the reason in text_error_why when they make no network (check_cities), and then no tour
// given is kept.
EXPORT(use_cities) int use_cities(int n, int kind, int drawn, int toured) {
  network.n = n;
  network.distances_given = kind == CITY_MATRIX;
  cityxy_known = kind != CITY_MATRIX || drawn != 0;
  if (kind >= CITY_EUC_2D && kind <= CITY_GEO) tsplib_distances(Metric(kind - CITY_EUC_2D));
  if (!check_cities(&text_error)) return 0;
  forget_optimal_tour();
  if (toured) give_optimal_tour(optimal_tour);
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
EXPORT(text_kind) int text_kind_of() {
  return text_kind;
}
EXPORT(text_name) const char *text_name_of() {
  return text_name.s;
}
EXPORT(cities_drawn) int cities_drawn() {
  return cityxy_known;
}

EXPORT(citydistance) double *citydistance_address() {
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
EXPORT(euler_step_too_long) int euler_step_too_long_of() {
  return euler_step_too_long();
}
EXPORT(reached) const Cycle *reached_address() {
  return &reached;
}
EXPORT(unitout) double *unitout_address() {
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
// The distinct tours when they are ranked, else 0.
EXPORT(tour_count) int tour_count_of() {
  return tour_count();
}
EXPORT(max_city) int max_city() {
  return MAXCITY;
}

// The optimal tour: city (from 0) at position j, and its length.
EXPORT(optimal_city) int optimal_city(int j) {
  return find_optimum().tour.city[j];
}
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
EXPORT(start_stepping) double start_stepping_total() {
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
  seed_run.result = measured_run(with_coefficients(a, b, d), seed);
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

EXPORT(tally) const Tally *tally_address() {
  return &tally;
}

// A share of count in runs as the tools print it.
EXPORT(share) const Share *share(double count, double runs) {
  static Share s;
  s = share_of(uint64_t(count), uint64_t(runs));
  return &s;
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
EXPORT(whole_lengths) int lengths_whole() {
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
