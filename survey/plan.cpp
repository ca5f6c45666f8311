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
#include "methods.h"
#include "range.h"
#include "text.h"

const char *const HEAT_NAME[4] = {"valid", "optimal", "ratio", "settled"};

// The head of --help; the options' lines follow, from the table (options_usage).
const char USAGE[] =
    "Usage: nuv-survey [--seeds FIRST:LAST] [--jobs N] [--csv] [--tours] [--svg FILE]\n"
    "                  [--heat MEASURE] [NETWORK OPTIONS] Acoef Bcoef Dcoef\n"
    "Runs the nuv network for every seed and coefficient triple, decodes the final\n"
    "states and rates their tours against the optimal tour and among all tours.\n"
    "  Acoef Bcoef Dcoef   each a number or an inclusive range FROM:TO:STEP; with\n"
    "                      --method they may be left out\n";

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

static int online_processors() {
  long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n < 1 ? 1 : n > 256 ? 256 : int(n);
}

// The methods' names, in Method's order.
static std::vector<std::string> method_names() {
  std::vector<std::string> names;
  std::string word;
  for (const char *c = METHOD_WORDS;; c++) {
    if (*c && *c != ' ') {
      word += *c;
      continue;
    }
    names.push_back(word), word.clear();
    if (!*c) return names;
  }
}

std::string method_name(Method method) {
  return method_names()[size_t(method)];
}

// --methods' list: each name a method's, none twice, ',' between. False with *error naming
// the first that is not, with the nearest name when one is near.
static bool read_methods(const std::string &text, std::vector<Method> *methods,
                         std::string *error) {
  const std::vector<std::string> names = method_names();
  methods->clear();
  for (size_t at = 0;; at++) {
    const size_t comma = std::min(text.find(',', at), text.size());
    const std::string word = text.substr(at, comma - at);
    const auto known = std::find(names.begin(), names.end(), word);
    if (known == names.end()) {
      std::string list = names[0];
      for (size_t k = 1; k < names.size(); k++)
        list += (k + 1 == names.size() ? " or " : ", ") + names[k];
      const std::string near = nearest(word, names);
      return fail("--methods " + quoted(text) + ": " + quoted(word) + " is not " + list +
                      (near.empty() ? "" : "; did you mean " + near + "?"),
                  error);
    }
    const Method m = Method(known - names.begin());
    if (std::find(methods->begin(), methods->end(), m) != methods->end())
      return fail("--methods " + quoted(text) + " names " + word + " twice", error);
    methods->push_back(m);
    if (comma == text.size()) return true;
    at = comma;
  }
}

// Applies one of the survey's own options, read and checked by the table, to the plan; the
// network's are in plan->network already.
static void apply_option(const Given &given, Plan *plan) {
  const std::string name = given.option->name;
  const OptionValue &v = given.value;
  if (name == "--seeds") plan->first_seed = uint32_t(v.whole), plan->last_seed = uint32_t(v.second);
  if (name == "--jobs") plan->jobs = int(v.whole);
  if (name == "--heat") plan->heat = Heat(v.word);
  if (name == "--shard") plan->shard = v.whole, plan->shards = v.second;
  if (name == "-o") plan->output = given.text;
  if (name == "--plan") plan->plan_text = given.text;
  if (name == "--svg") plan->svg = given.text;
  plan->csv = plan->csv || name == "--csv";
  plan->tours = plan->tours || name == "--tours";
  plan->merge = plan->merge || name == "--merge";
}

// A picture the survey can draw: not three settings ranging, and no more values along a
// heatmap's axis than MAX_CELLS_ACROSS.
static bool check_picture(const Plan &plan, const std::vector<Range> &range, std::string *error) {
  size_t ranging = 0;
  for (const Range &r : range) ranging += r.count > 1;
  if (ranging > 2)
    return fail("--svg draws one triple, or one or two ranging coefficients, not " +
                    std::string(ranging == 3 ? "three" : "four"),
                error);
  for (size_t c = 0; c < range.size(); c++)
    if (range[c].count > MAX_CELLS_ACROSS)
      return fail("--svg: " + plan.axes[c].name + " has " + std::to_string(range[c].count) +
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
static bool check_runs(const Plan &plan, const std::vector<Range> &range, std::string *error) {
  wide_count runs = wide_count(seed_count(plan)) * std::max<size_t>(plan.methods.size(), 1);
  for (const Range &r : range) runs *= r.count; // at most 2^36 * 10^24 for four: no overflow
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
  CommandLine line;
  if (!read_command_line(TOOL_SURVEY, argc, argv, &line, &plan->network, error)) return PLAN_BAD;
  if (line.help) return PLAN_HELP;
  if (line.version) return PLAN_VERSION;
  words->coef = line.words;
  const Network &net = plan->network.net;
  if (plan->network.given.count("--method") && words->coef.empty()) // the method's coefficients
    words->coef = {shortest(net.a), shortest(net.b), shortest(net.d)};
  for (const Given &given : line.options) {
    const std::string name = given.option->name;
    if (given.option->role & ROLE_PLAN) {
      words->typed.push_back(given.joined ? name + "=" + given.text : name);
      if (!given.joined) words->typed.push_back(given.text);
    }
    if (!(given.option->role & ROLE_VIEW) && words->foreign.empty()) words->foreign = name;
    words->heat_given = words->heat_given || name == "--heat";
    if (name == "--methods" && !read_methods(given.text, &plan->methods, error)) return PLAN_BAD;
    apply_option(given, plan);
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

// The options that go with another: --plan with --merge, -o with --shard, --method without
// --methods, and a shard writing CSV rows only.
static bool check_pairs(const Plan &plan, bool heat_given, std::string *error) {
  if (!plan.plan_text.empty()) return fail("--plan goes with --merge", error);
  if (!plan.methods.empty() && plan.network.given.count("--method"))
    return fail("--method goes without --methods, which gives each run its method", error);
  if (plan.shards && (plan.tours || !plan.svg.empty() || heat_given))
    return fail("a shard writes its runs as CSV rows: --tours, --svg and --heat are the merge's",
                error);
  if (!plan.output.empty() && !plan.shards) return fail("-o goes with --shard", error);
  return true;
}

// The coefficients typed after the options, as the survey's first axes.
static const char *const COEFFICIENT[3] = {"Acoef", "Bcoef", "Dcoef"};

// Exactly the three coefficients Acoef, Bcoef, Dcoef; or with --methods none (each method's).
static bool check_coefficient_count(const std::vector<std::string> &coef, bool methods,
                                    std::string *error) {
  if (methods && coef.empty()) return true;
  if (coef.size() < 3)
    return fail(std::string("missing coefficient ") + COEFFICIENT[coef.size()], error);
  if (coef.size() > 3) return fail("unexpected argument " + quoted(coef[3]), error);
  return true;
}

// The axes, by name: the three coefficients (with --methods, not given when left out), then
// each option that takes a range, as typed or its default.
static void name_axes(const std::vector<std::string> &coef, Plan *plan) {
  static void (*const SET[3])(Network *, const OptionValue &) = {
      [](Network *n, const OptionValue &v) { n->a = v.number; },
      [](Network *n, const OptionValue &v) { n->b = v.number; },
      [](Network *n, const OptionValue &v) { n->d = v.number; }};
  plan->axes.clear();
  for (int c = 0; c < 3; c++)
    plan->axes.push_back({COEFFICIENT[c],
                          COEFFICIENT[c],
                          coef.empty() ? "0" : coef[size_t(c)],
                          !coef.empty(),
                          {},
                          SET[c]});
  for (int k = 0; k < NOPTIONS; k++) {
    const Option &o = OPTIONS[k];
    if (o.kind != KIND_RANGE) continue;
    const auto given = plan->network.given.find(o.name);
    const bool typed = given != plan->network.given.end();
    // Not typed: the default, or a method's value (C is the one setting that takes a range).
    const std::string text = typed                                   ? given->second
                             : plan->network.given.count("--method") ? shortest(plan->network.net.c)
                                                                     : o.fallback;
    plan->axes.push_back({o.name + 2, o.name, text, typed, {}, o.set});
  }
}

// Each axis's text read as a range, not yet expanded; an error names the axis.
static bool read_ranges(const Plan &plan, std::vector<Range> *range, std::string *error) {
  range->resize(plan.axes.size());
  for (size_t c = 0; c < plan.axes.size(); c++) {
    const Axis &axis = plan.axes[c];
    if (!read_range(axis.text, &(*range)[c], error))
      return fail(axis.typed_as + " " + quoted(axis.text) + ": " + *error, error);
  }
  return true;
}

// --methods compares the methods at one setting, a row each: no range, no --tours, and its
// picture is each method's curve, which --heat does not colour.
static bool check_methods(const Plan &plan, const std::vector<Range> &range, bool heat_given,
                          std::string *error) {
  for (size_t c = 0; c < range.size(); c++)
    if (range[c].count > 1)
      return fail("--methods compares the methods at one setting: " + plan.axes[c].typed_as + " " +
                      quoted(plan.axes[c].text) + " is a range",
                  error);
  if (plan.tours)
    return fail("--tours is not taken with --methods, which has a row a method", error);
  if (heat_given)
    return fail("--heat is not taken with --methods: its picture is each method's curve", error);
  return true;
}

// The views the ranges allow: a picture it can draw, --heat only with --svg, and a colour only
// for a chart or heatmap.
static bool check_views(const Plan &plan, const std::vector<Range> &range, bool heat_given,
                        std::string *error) {
  if (!plan.methods.empty()) return check_methods(plan, range, heat_given, error);
  if (!plan.svg.empty() && !check_picture(plan, range, error)) return false;
  if (plan.svg.empty() && heat_given) return fail("--heat needs --svg", error);
  size_t points = 1;
  for (const Range &r : range) points *= r.count;
  if (heat_given && points == 1)
    return fail("--heat colours a chart or heatmap; with one triple the picture is a map", error);
  return true;
}

// Each range's values into its axis; an error names the axis.
static bool expand_ranges(const std::vector<Range> &range, Plan *plan, std::string *error) {
  for (size_t c = 0; c < plan->axes.size(); c++) {
    Axis &axis = plan->axes[c];
    if (!expand(range[c], &axis.values, error))
      return fail(axis.typed_as + " " + quoted(axis.text) + ": " + *error, error);
  }
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
  if (!check_pairs(*plan, words.heat_given, error) ||
      !check_coefficient_count(words.coef, !plan->methods.empty(), error))
    return PLAN_BAD;
  name_axes(words.coef, plan);
  std::vector<Range> range;
  if (!read_ranges(*plan, &range, error) || !check_views(*plan, range, words.heat_given, error) ||
      !check_runs(*plan, range, error) || !expand_ranges(range, plan, error))
    return PLAN_BAD;
  share_runs(plan);
  return PLAN_OK;
}

// Whether the words are what a survey's plan holds: --seeds, --methods and the network's
// options, each with its value, then "--" and the three coefficients (none: --methods'). False with
// *error naming the first word that is not.
static bool plan_words(const std::vector<std::string> &words, std::string *error) {
  size_t w = 0;
  for (; w < words.size() && words[w] != "--"; w++) {
    const std::string name = words[w].substr(0, words[w].find('='));
    const Option *o = find_option(TOOL_SURVEY, name);
    if (!o || !(o->role & ROLE_PLAN))
      return fail("holds " + quoted(words[w]) +
                      ", which no shard's plan holds: it has only --seeds, --methods, the "
                      "network's options and the coefficients",
                  error);
    if (name.size() == words[w].size() && ++w == words.size())
      return fail("holds " + quoted(name) + " without its value", error);
  }
  if (w == words.size() || (words.size() - w - 1 != 3 && words.size() - w - 1 != 0))
    return fail("is not options, \"--\" and the three coefficients", error);
  return true;
}

// Reads a plan from words, after the program's name.
static bool read_words(std::vector<std::string> words, Plan *plan, std::string *error) {
  words.insert(words.begin(), "nuv-survey");
  std::vector<char *> argv;
  for (std::string &w : words) argv.push_back(w.data());
  *plan = Plan();
  return read_plan(int(argv.size()), argv.data(), plan, error) == PLAN_OK;
}

// The plan's words are read alone first, then with the views before them, so that a view the
// plan cannot show (a picture of three ranging coefficients) is refused as the survey refuses
// it.
bool read_plan_text(const std::string &text, const Plan &views, Plan *plan, bool *read_failed,
                    std::string *error) {
  std::vector<std::string> words;
  error->clear();
  *read_failed = false;
  if (!split_shell_line(text, &words)) return fail("cannot be read", error);
  if (!plan_words(words, error)) return false;
  *read_failed = true;
  if (!read_words(words, plan, error)) return fail("the shards' plan: " + *error, error);
  std::vector<std::string> typed;
  if (views.csv) typed.push_back("--csv");
  if (views.tours) typed.push_back("--tours");
  if (!views.svg.empty()) typed.insert(typed.end(), {"--svg", views.svg});
  if (views.heat != HEAT_VALID) typed.insert(typed.end(), {"--heat", HEAT_NAME[views.heat]});
  typed.insert(typed.end(), words.begin(), words.end());
  return read_words(typed, plan, error);
}

uint64_t set_count(const Plan &plan) {
  uint64_t count = std::max<uint64_t>(plan.methods.size(), 1);
  for (const Axis &axis : plan.axes) count *= axis.values.size();
  return count;
}

uint64_t seed_count(const Plan &plan) {
  return uint64_t(plan.last_seed) - plan.first_seed + 1;
}

uint64_t run_count(const Plan &plan) {
  return set_count(plan) * seed_count(plan); // checked when the plan was read
}

Network grid_point(const Plan &plan, uint64_t t) {
  const bool methods = !plan.methods.empty();
  Network point = methods ? plan.method_net[t] : plan.network.net; // no axis ranges: t the method
  for (size_t c = plan.axes.size(); c-- > 0;) {
    const size_t count = plan.axes[c].values.size();
    if (methods && !plan.axes[c].given) continue;
    OptionValue v;
    v.number = plan.axes[c].values[t % count];
    plan.axes[c].set(&point, v);
    t /= count;
  }
  return point;
}

// The record of a method: the family's defaults for the cities set up (the settings that depend
// on others given theirs), the method's settings, then each network option given.
static Network method_record(const NetworkOptions &options, Method method) {
  Network net = NetworkOptions().net;
  net.n = network.n, net.distances_given = network.distances_given; // the cities' part
  for (const Option &row : every_option())
    if (row.depends) row.depends(&net);
  apply_method(method, &net);
  for (const auto &[name, text] : options.given) {
    const Option *row = find_option(TOOL_SURVEY, name);
    OptionValue v;
    std::string unused; // each was read when the command line was
    if (row && row->set && row->kind != KIND_RANGE && read_value(*row, text, &v, &unused))
      row->set(&net, v);
  }
  return net;
}

bool set_up_plan(Plan *plan, std::string *error) {
  if (plan->methods.empty()) return set_up_network(&plan->network, error);
  // The cities, with the options that only some rules read checked below, method by method.
  NetworkOptions cities = plan->network;
  for (const Option &row : every_option())
    if (row.rules) cities.given.erase(row.name);
  if (!set_up_network(&cities, error)) return false;
  plan->network.name = cities.name, plan->network.net = cities.net;
  const Option *rule = find_option(TOOL_SURVEY, "--rule");
  std::vector<std::string> rules;
  for (const char *w = rule->words; *w;) {
    const char *end = w;
    while (*end && *end != ' ') end++;
    rules.emplace_back(w, end);
    w = *end ? end + 1 : end;
  }
  plan->method_net.clear();
  for (Method m : plan->methods) {
    const Network net = method_record(plan->network, m);
    for (const Option &row : every_option())
      if (row.rules && plan->network.given.count(row.name) && !is_heuristic(m) &&
          !(row.rules >> net.rule & 1))
        return fail(std::string(row.name) + " is not read under --rule " + rules[size_t(net.rule)] +
                        ", the rule of method " + method_name(m),
                    error);
    plan->method_net.push_back(net);
  }
  return true;
}

std::string critical_over_grid(const Plan &plan) {
  if (set_count(plan) > 4096) return "critical (each grid point's)"; // too many to go through
  double low = 0, high = 0;
  bool some = false, none = false; // a grid point with a critical temperature, one without
  for (uint64_t t = 0; t < set_count(plan); t++) {
    const double c = critical_temperature(grid_point(plan, t));
    if (!(c > 0 && c - c == 0)) {
      none = true;
      continue;
    }
    low = some && low < c ? low : c, high = some && high > c ? high : c, some = true;
  }
  if (!some) return "1 (no critical temperature)";
  if (!none && low == high) return "critical " + shortest(low);
  return "critical " + shortest(low) + " ... " + shortest(high) + " (each grid point's" +
         (none ? "; 1 where there is none)" : ")");
}
