// Reading the survey's command line. Every value is checked before any run; a coefficient is a
// finite number or a range FROM:TO:STEP, seeds are FIRST:LAST in 0 ... 4294967295. Start at
// read_plan, which reads as its steps.
#include "plan.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "args.h"
#include "range.h"

const char *const COEF_NAME[NCOEF] = {"Acoef", "Bcoef", "Dcoef", "C"};
const char *const HEAT_NAME[4] = {"valid", "optimal", "ratio", "settled"};

const char USAGE[] =
    "Usage: nuv-survey [--seeds FIRST:LAST] [--jobs N] [--csv] [--tours] [--svg FILE]\n"
    "                  [--heat MEASURE] [NETWORK OPTIONS] Acoef Bcoef Dcoef\n"
    "Runs the nuv network for every seed and coefficient triple, decodes the final\n"
    "states and rates their tours against the optimal tour and among all tours.\n"
    "  Acoef Bcoef Dcoef   each a number or an inclusive range FROM:TO:STEP\n"
    "  --seeds FIRST:LAST  inclusive seeds in 0 ... 4294967295 (default 1:1000)\n"
    "  --jobs N            worker processes, 1 ... 256 (default: online processors)\n"
    "  --csv               one row per run instead of the summary\n"
    "  --tours             a row per distinct tour or failure of each triple, the\n"
    "                      commonest first (with --csv, as CSV)\n"
    "  --svg FILE          also draw the survey: a map for one triple, a chart for\n"
    "                      one ranging coefficient, a heatmap for two (FILE may\n"
    "                      be /dev/stdout)\n"
    "  --heat MEASURE      what the picture shows: valid (default), optimal, ratio or\n"
    "                      settled\n"
    "  --version           the version\n"
    "Shards, for a survey on many machines:\n"
    "  --shard K/M -o FILE run shard K of M (0 <= K < M <= 100000) into FILE as CSV\n"
    "  --merge FILE...     print what the whole survey prints (any view) from its\n"
    "                      shards, refusing any run missing, doubled or altered\n"
    "  --plan 'PLAN'       with --merge, the plan of a whole survey's --csv output\n";

static const size_t MAX_CELLS_ACROSS = 200;         // a picture's values along one axis
static const uint64_t MAX_RUNS = uint64_t(1) << 62; // run indices, blocks and counts never wrap

// Sets *error to why; false, for returning at once.
static bool fail(const std::string &why, std::string *error) {
  *error = why;
  return false;
}

// The tools' reader of a number as text/range.h's ReadNumber.
static bool read_number_text(const char *text, size_t length, double *value) {
  return read_number(std::string(text, length), value);
}

// One coefficient's text as text/range.h reads it: a finite number, or FROM:TO:STEP ascending
// with at most RANGE_MAX_VALUES values; else *error says why, naming the part.
static bool read_range(const std::string &text, Range *range, std::string *error) {
  int part = 0;
  size_t start[3], end[3];
  const RangeRefusal refusal =
      read_range(text.data(), text.size(), read_number_text, range, &part, start, end);
  const auto quoted_part = [&](int p) { return quoted(text.substr(start[p], end[p] - start[p])); };
  switch (refusal) {
  case RANGE_READ:
    return true;
  case RANGE_NOT_A_NUMBER:
    return fail(quoted_part(part) + " is not a finite number", error);
  case RANGE_NOT_THREE:
    return fail("a range is FROM:TO:STEP", error);
  case RANGE_STEP:
    return fail("the step " + quoted_part(2) + " is not above 0", error);
  case RANGE_FROM_ABOVE_TO:
    return fail("FROM " + quoted_part(0) + " is above TO " + quoted_part(1), error);
  case RANGE_TOO_MANY:
    break;
  }
  return fail("more than a million values", error);
}

// A range's values, finite and strictly ascending.
static bool expand(const Range &range, std::vector<double> *values, std::string *error) {
  values->clear();
  if (range.count == 1) return values->push_back(range.from), true;
  for (size_t k = 0; k < range.count; k++) {
    double value = range_value(range, k, read_number_text);
    if (!std::isfinite(value)) return fail("the values overflow", error);
    if (k > 0 && !(value > values->back()))
      return fail("the step " + shortest(range.step) + " is too small to give distinct values",
                  error);
    values->push_back(value);
  }
  return true;
}

// --seeds FIRST:LAST: whole numbers in 0 ... 4294967295, FIRST not above LAST.
static bool read_seed_range(const std::string &text, Plan *plan, std::string *error) {
  size_t colon = text.find(':');
  uint64_t first, last;
  if (colon == std::string::npos || !read_whole(text.substr(0, colon), UINT32_MAX, &first) ||
      !read_whole(text.substr(colon + 1), UINT32_MAX, &last))
    return fail("seeds " + quoted(text) + " are not FIRST:LAST, whole numbers in 0 ... 4294967295",
                error);
  if (first > last) return fail("seeds " + quoted(text) + ": FIRST is above LAST", error);
  plan->first_seed = uint32_t(first), plan->last_seed = uint32_t(last);
  return true;
}

static int online_processors() {
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n < 1 ? 1 : n > 256 ? 256 : int(n);
}

// Applies one option that takes a value; false with *error when the value is not the option's.
static bool read_option(const std::string &name, const std::string &value, Plan *plan,
                        std::string *error) {
  if (name == "--seeds") return read_seed_range(value, plan, error);
  if (name == "--jobs") {
    uint64_t jobs;
    if (!read_whole(value, 256, &jobs) || jobs < 1)
      return fail("--jobs " + quoted(value) + " is not a whole number in 1 ... 256", error);
    plan->jobs = int(jobs);
    return true;
  }
  if (name == "--heat") {
    int h = 0;
    while (h < 4 && value != HEAT_NAME[h]) h++;
    if (h == 4)
      return fail("--heat " + quoted(value) + " is not valid, optimal, ratio or settled", error);
    plan->heat = Heat(h);
    return true;
  }
  if (name == "--shard") {
    const size_t slash = value.find('/');
    uint64_t k, m;
    if (slash == std::string::npos || !read_whole(value.substr(0, slash), 99999, &k) ||
        !read_whole(value.substr(slash + 1), 100000, &m) || m < 1 || k >= m)
      return fail("--shard " + quoted(value) + " is not K/M with 0 <= K < M <= 100000", error);
    plan->shard = k, plan->shards = m;
    return true;
  }
  if (name == "-o") {
    plan->output = value;
    return !value.empty() || fail("-o needs a file name", error);
  }
  if (name == "--plan") {
    plan->plan_text = value;
    return true;
  }
  if (is_network_option(name)) return read_network_option(name, value, &plan->network, error);
  if (value.empty()) return fail("--svg needs a file name", error);
  plan->svg = value;
  return true;
}

// A picture the survey can draw: not all three coefficients ranging, and no more values along
// a heatmap's axis than MAX_CELLS_ACROSS.
static bool check_picture(const Range range[NCOEF], std::string *error) {
  int ranging = 0;
  for (int c = 0; c < NCOEF; c++) ranging += range[c].count > 1;
  if (ranging > 2)
    return fail("--svg draws one triple, or one or two ranging coefficients, not " +
                    std::string(ranging == 3 ? "three" : "four"),
                error);
  for (int c = 0; c < NCOEF; c++)
    if (range[c].count > MAX_CELLS_ACROSS)
      return fail("--svg: " + std::string(COEF_NAME[c]) + " has " + std::to_string(range[c].count) +
                      " values, more than the " + std::to_string(MAX_CELLS_ACROSS) +
                      " a picture can show; use a coarser step",
                  error);
  return true;
}

// The decimal text of a count that may exceed 64 bits.
__extension__ typedef unsigned __int128 wide_count;
static std::string count_text(wide_count n) {
  std::string digits;
  do digits.insert(digits.begin(), char('0' + int(n % 10)));
  while ((n /= 10) != 0);
  return digits;
}

// The plan's runs fit the survey's run index, with room for its last block.
static bool check_runs(const Plan &plan, const Range range[NCOEF], std::string *error) {
  wide_count runs = wide_count(seed_count(plan));
  for (int c = 0; c < NCOEF; c++) runs *= range[c].count; // at most 2^32 * 10^24: no overflow
  if (runs > MAX_RUNS)
    return fail("the plan has " + count_text(runs) + " runs, more than the " +
                    count_text(MAX_RUNS) + " a survey can count",
                error);
  return true;
}

// The command line's words besides the options applied to the plan.
struct Words {
  std::vector<std::string> coef;  // the coefficients (or a merge's files), C's appended later
  std::vector<std::string> typed; // the words that make the plan
  std::string foreign;            // the first option that is not a merge's
  bool heat_given = false;
};

// Reads the options into *plan and the other words into *words; PLAN_HELP or PLAN_VERSION as
// soon as one is asked for, PLAN_BAD at the first option that cannot be read.
static PlanResult read_arguments(int argc, char **argv, Plan *plan, Words *words,
                                 std::string *error) {
  bool options = true;
  for (int a = 1; a < argc; a++) {
    std::string arg = argv[a];
    if (!options || !is_option(arg)) {
      words->coef.push_back(arg);
      continue;
    }
    const std::string option = arg.substr(0, arg.find('='));
    if (option == "--seeds" || is_network_option(option)) {
      words->typed.push_back(arg);
      if (arg.find('=') == std::string::npos && a + 1 < argc) words->typed.push_back(argv[a + 1]);
    }
    size_t eq = arg.find('=');
    std::string name = arg.substr(0, eq);
    bool valued = name == "--seeds" || name == "--jobs" || name == "--svg" || name == "--heat" ||
                  name == "--shard" || name == "-o" || name == "--plan" || is_network_option(name);
    words->heat_given = words->heat_given || name == "--heat";
    if (words->foreign.empty() && options && name != "--csv" && name != "--tours" &&
        name != "--svg" && name != "--heat" && name != "--plan" && name != "--merge" &&
        name != "--")
      words->foreign = name;
    if (arg == "--help" || arg == "-h") return PLAN_HELP;
    if (arg == "--version") return PLAN_VERSION;
    bool ok = true;
    if (arg == "--")
      options = false;
    else if (arg == "--csv")
      plan->csv = true;
    else if (arg == "--tours")
      plan->tours = true;
    else if (arg == "--merge")
      plan->merge = true;
    else if (!valued)
      ok = fail("unknown option " + quoted(arg), error);
    else if (eq != std::string::npos)
      ok = read_option(name, arg.substr(eq + 1), plan, error);
    else if (a + 1 < argc)
      ok = read_option(name, argv[++a], plan, error);
    else
      ok = fail(name + " needs a value", error);
    if (!ok) return PLAN_BAD;
  }
  return PLAN_OK;
}

// A merge's plan is its shards': its words are the files, its options views only.
static bool check_merge(const Words &words, Plan *plan, std::string *error) {
  plan->files = words.coef;
  if (!words.foreign.empty())
    return fail("--merge takes its plan from the shards: " + quoted(words.foreign) +
                    " is not the merge's",
                error);
  if (plan->files.empty()) return fail("--merge needs the shard files", error);
  if (words.heat_given && plan->svg.empty()) return fail("--heat needs --svg", error);
  return true;
}

// The options that go with another: --plan with --merge, -o with --shard, and a shard writing
// CSV rows only.
static bool check_pairs(const Plan &plan, bool heat_given, std::string *error) {
  if (!plan.plan_text.empty()) return fail("--plan goes with --merge", error);
  if (plan.shards && (plan.tours || !plan.svg.empty() || heat_given))
    return fail("a shard writes its runs as CSV rows: --tours, --svg and --heat are the merge's",
                error);
  if (!plan.output.empty() && !plan.shards) return fail("-o goes with --shard", error);
  return true;
}

// Exactly the three coefficients Acoef, Bcoef, Dcoef.
static bool check_coefficient_count(const std::vector<std::string> &coef, std::string *error) {
  if (coef.size() < 3)
    return fail(std::string("missing coefficient ") + COEF_NAME[coef.size()], error);
  if (coef.size() > 3) return fail("unexpected argument " + quoted(coef[3]), error);
  return true;
}

// Each coefficient's text (Acoef, Bcoef, Dcoef, then --C's) read as a range, not yet expanded;
// an error names the coefficient.
static bool read_ranges(const std::vector<std::string> &coef, Range range[NCOEF],
                        std::string *error) {
  for (int c = 0; c < NCOEF; c++)
    if (!read_range(coef[size_t(c)], &range[c], error))
      return fail(std::string(c == 3 ? "--C" : COEF_NAME[c]) + " " + quoted(coef[size_t(c)]) +
                      ": " + *error,
                  error);
  return true;
}

// The views the ranges allow: a picture it can draw, --heat only with --svg, and a colour only
// for a chart or heatmap.
static bool check_views(const Plan &plan, const Range range[NCOEF], bool heat_given,
                        std::string *error) {
  if (!plan.svg.empty() && !check_picture(range, error)) return false;
  if (plan.svg.empty() && heat_given) return fail("--heat needs --svg", error);
  if (heat_given && range[0].count * range[1].count * range[2].count * range[3].count == 1)
    return fail("--heat colours a chart or heatmap; with one triple the picture is a map", error);
  return true;
}

// Each range's values into plan->coef; an error names the coefficient.
static bool expand_ranges(const std::vector<std::string> &coef, const Range range[NCOEF],
                          Plan *plan, std::string *error) {
  for (int c = 0; c < NCOEF; c++)
    if (!expand(range[c], &plan->coef[c], error))
      return fail(std::string(c == 3 ? "--C" : COEF_NAME[c]) + " " + quoted(coef[size_t(c)]) +
                      ": " + *error,
                  error);
  return true;
}

// A shard's share: contiguous runs, fixed by the plan and the run index alone.
static void share_runs(Plan *plan) {
  const wide_count runs = run_count(*plan);
  plan->first_run = plan->shards ? uint64_t(runs * plan->shard / plan->shards) : 0;
  plan->end_run = plan->shards ? uint64_t(runs * (plan->shard + 1) / plan->shards) : uint64_t(runs);
}

// The shape of the plan first, its values last: nothing large is expanded to be refused.
PlanResult read_plan(int argc, char **argv, Plan *plan, std::string *error) {
  error->clear();
  Words words;
  const PlanResult read = read_arguments(argc, argv, plan, &words, error);
  if (read != PLAN_OK) return read;
  if (plan->merge) return check_merge(words, plan, error) ? PLAN_OK : PLAN_BAD;
  if (plan->jobs == 0) plan->jobs = online_processors();
  words.typed.push_back("--");
  words.typed.insert(words.typed.end(), words.coef.begin(), words.coef.end());
  plan->typed = shell_line(words.typed);
  if (!check_pairs(*plan, words.heat_given, error) || !check_coefficient_count(words.coef, error))
    return PLAN_BAD;
  words.coef.push_back(plan->network.c);
  Range range[NCOEF];
  if (!read_ranges(words.coef, range, error) ||
      !check_views(*plan, range, words.heat_given, error) || !check_runs(*plan, range, error) ||
      !expand_ranges(words.coef, range, plan, error))
    return PLAN_BAD;
  share_runs(plan);
  return PLAN_OK;
}

uint64_t set_count(const Plan &plan) {
  return uint64_t(plan.coef[0].size()) * plan.coef[1].size() * plan.coef[2].size() *
         plan.coef[3].size();
}

uint64_t seed_count(const Plan &plan) {
  return uint64_t(plan.last_seed) - plan.first_seed + 1;
}

uint64_t run_count(const Plan &plan) {
  return set_count(plan) * seed_count(plan); // checked when the plan was read
}

void set_values(const Plan &plan, uint64_t t, double value[NCOEF]) {
  for (int c = NCOEF - 1; c >= 0; c--) {
    const size_t count = plan.coef[c].size();
    value[c] = plan.coef[c][t % count];
    t /= count;
  }
}
