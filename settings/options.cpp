// The table of the tools' options and what is made from it: the usage, the reading of a command
// line with its refusals, the defaults, the network's set-up and its description. Start at
// OPTIONS.
#include "options.h"

#include <algorithm>
#include <cmath>

#include "args.h"
#include "cities.h"
#include "read.h"
#include "text.h"

Option Option::row(int tools, Section section, const char *name, const char *label,
                   const char *help) {
  Option o{};
  o.name = name, o.label = label, o.help = help, o.tools = tools, o.section = section;
  o.kind = KIND_FLAG, o.fallback = "";
  return o;
}
Option Option::of(OptionKind k) const {
  Option o = *this;
  o.kind = k;
  return o;
}
Option Option::choosing(const char *list, bool number) const {
  Option o = of(KIND_WORD);
  o.words = list, o.or_number = number;
  return o;
}
Option Option::within(uint64_t lowest, uint64_t highest) const {
  Option o = of(KIND_WHOLE);
  o.low = lowest, o.high = highest;
  return o;
}
Option Option::refusing_empty(const char *why) const {
  Option o = of(KIND_TEXT);
  o.empty = why;
  return o;
}
Option Option::by_default(const char *text) const {
  Option o = *this;
  o.fallback = text;
  return o;
}
Option Option::in(int r) const {
  Option o = *this;
  o.role |= r;
  return o;
}
Option Option::setting(void (*to)(Network *, const OptionValue &), bool said) const {
  Option o = in(ROLE_PLAN);
  o.set = to, o.described = said;
  return o;
}
Option Option::depending(void (*on)(Network *)) const {
  Option o = *this;
  o.depends = on;
  return o;
}

Option Option::paired(bool (*reader)(const std::string &, OptionValue *, std::string *)) const {
  Option o = of(KIND_PAIR);
  o.pair = reader;
  return o;
}

int default_sweeps(Rule rule) {
  return rule == RULE_EULER ? 1000 : NSWEEP;
}

namespace {

const int BOTH = TOOL_TRACE | TOOL_SURVEY;
const Section TOOL = SECTION_TOOL, SHARDS = SECTION_SHARDS, NET = SECTION_NETWORK;
using V = const OptionValue &;

// --seeds FIRST:LAST: whole numbers in 0 ... 4294967295, FIRST not above LAST.
bool read_seed_range(const std::string &text, OptionValue *v, std::string *error) {
  const size_t colon = text.find(':');
  if (colon == std::string::npos || !read_whole(text.substr(0, colon), UINT32_MAX, &v->whole) ||
      !read_whole(text.substr(colon + 1), UINT32_MAX, &v->second))
    return *error =
               "seeds " + quoted(text) + " are not FIRST:LAST, whole numbers in 0 ... 4294967295",
           false;
  if (v->whole > v->second)
    return *error = "seeds " + quoted(text) + ": FIRST is above LAST", false;
  return true;
}

// --shard K/M: 0 <= K < M <= 100000.
bool read_shard(const std::string &text, OptionValue *v, std::string *error) {
  const size_t slash = text.find('/');
  if (slash == std::string::npos || !read_whole(text.substr(0, slash), 99999, &v->whole) ||
      !read_whole(text.substr(slash + 1), 100000, &v->second) || v->second < 1 ||
      v->whole >= v->second)
    return *error = "--shard " + quoted(text) + " is not K/M with 0 <= K < M <= 100000", false;
  return true;
}

} // namespace

// Every option of both tools, in --help's order. A network's setting has `setting`, which
// writes its value into the record; an option of the tool is read by the tool, by its name.
const Option OPTIONS[] = {
    Option::row(TOOL_TRACE, TOOL, "--wide", "--wide",
                "every column: the sweeps, the terms, the tour's length"),
    Option::row(TOOL_TRACE, TOOL, "--csv", "--csv", "every column as CSV, in full precision"),
    Option::row(TOOL_TRACE, TOOL, "--tables", "--tables",
                "nuv's own transcript instead: each cycle's table of the\n"
                "state, N by N, and its energy line"),
    Option::row(TOOL_TRACE, TOOL, "--svg", "--svg FILE",
                "also draw the run: the film of its states, curves, tour")
        .refusing_empty("needs a file name"),
    Option::row(TOOL_SURVEY, TOOL, "--seeds", "--seeds FIRST:LAST",
                "inclusive seeds in 0 ... 4294967295 (default 1:1000)")
        .paired(read_seed_range)
        .by_default("1:1000")
        .in(ROLE_PLAN),
    Option::row(TOOL_SURVEY, TOOL, "--jobs", "--jobs N",
                "worker processes, 1 ... 256 (default: online processors)")
        .within(1, 256),
    Option::row(TOOL_SURVEY, TOOL, "--csv", "--csv", "one row per run instead of the summary")
        .in(ROLE_VIEW),
    Option::row(TOOL_SURVEY, TOOL, "--tours", "--tours",
                "a row per distinct tour or failure of each triple, the\n"
                "commonest first (with --csv, as CSV)")
        .in(ROLE_VIEW),
    Option::row(TOOL_SURVEY, TOOL, "--svg", "--svg FILE",
                "also draw the survey: a map for one triple, a chart for\n"
                "one ranging coefficient, a heatmap for two (FILE may\n"
                "be /dev/stdout)")
        .refusing_empty("needs a file name")
        .in(ROLE_VIEW),
    Option::row(TOOL_SURVEY, TOOL, "--heat", "--heat MEASURE",
                "what the picture shows: valid (default), optimal, ratio or\n"
                "settled")
        .choosing("valid optimal ratio settled")
        .by_default("valid")
        .in(ROLE_VIEW),
    Option::row(BOTH, TOOL, "--version", "--version", "the version"),
    Option::row(BOTH, TOOL, "--help", "", ""),
    Option::row(BOTH, TOOL, "-h", "", ""),
    Option::row(TOOL_SURVEY, SHARDS, "--shard", "--shard K/M -o FILE",
                "run shard K of M (0 <= K < M <= 100000) into FILE as CSV")
        .paired(read_shard),
    Option::row(TOOL_SURVEY, SHARDS, "-o", "", "").refusing_empty("needs a file name"),
    Option::row(TOOL_SURVEY, SHARDS, "--merge", "--merge FILE...",
                "print what the whole survey prints (any view) from its\n"
                "shards, refusing any run missing, doubled or altered")
        .in(ROLE_VIEW),
    Option::row(TOOL_SURVEY, SHARDS, "--plan", "--plan 'PLAN'",
                "with --merge, the plan of a whole survey's --csv output")
        .of(KIND_TEXT)
        .in(ROLE_VIEW),
    Option::row(BOTH, NET, "--cities", "--cities FILE",
                "a TSPLIB .tsp file or x y lines; random:N:S for N random\n"
                "cities from seed S (4 ... 100 cities)")
        .refusing_empty("'' names no cities")
        .in(ROLE_PLAN),
    Option::row(BOTH, NET, "--rule", "--rule RULE", "inplace (default), sync or euler")
        .choosing("inplace sync euler")
        .by_default("inplace")
        .setting([](Network *n, V v) { n->rule = Rule(v.word); }, false),
    Option::row(BOTH, NET, "--C", "--C X",
                "the global term's weight (default 0: none); nuv-survey\n"
                "takes a range FROM:TO:STEP too")
        .of(KIND_RANGE)
        .by_default("0")
        .setting([](Network *n, V v) { n->c = v.number; }),
    Option::row(BOTH, NET, "--n", "--n X", "its target (default: the number of cities)")
        .of(KIND_NUMBER)
        .setting([](Network *n, V v) { n->target = v.number; })
        .depending([](Network *n) { n->target = n->n; }),
    Option::row(BOTH, NET, "--bias", "--bias A+B|X", "each unit's bias (default A+B)")
        .choosing("A+B", true)
        .by_default("A+B")
        .setting([](Network *n, V v) {
          n->bias_ab = v.word == 0;
          if (v.word < 0) n->bias = v.number;
        }),
    Option::row(BOTH, NET, "--u0", "--u0 X", "the activation's width (default 0.5)")
        .of(KIND_POSITIVE)
        .by_default("0.5")
        .setting([](Network *n, V v) { n->u0 = v.number; }),
    Option::row(BOTH, NET, "--start", "--start START", "uniform (default) or centred")
        .choosing("uniform centred")
        .by_default("uniform")
        .setting([](Network *n, V v) { n->start = Start(v.word); }),
    Option::row(BOTH, NET, "--dt", "--dt X, --tau X",
                "the Euler step and time constant (defaults 0.01, 1)")
        .of(KIND_POSITIVE)
        .by_default("0.01")
        .setting([](Network *n, V v) { n->dt = v.number; }),
    Option::row(BOTH, NET, "--tau", "", "")
        .of(KIND_POSITIVE)
        .by_default("1")
        .setting([](Network *n, V v) { n->tau = v.number; }),
    Option::row(BOTH, NET, "--sweeps", "--sweeps K",
                "sweeps in a run (default 50; 1000 under euler)")
        .within(1, 100000)
        .setting([](Network *n, V v) { n->sweeps = int(v.whole); })
        .depending([](Network *n) { n->sweeps = default_sweeps(n->rule); }),
    Option::row(BOTH, NET, "--distances", "--distances D", "scaled (default) or raw")
        .choosing("scaled raw")
        .by_default("scaled")
        .setting([](Network *n, V v) { n->raw = v.word == 1; }),
};
const int NOPTIONS = int(sizeof OPTIONS / sizeof OPTIONS[0]);

const Option *find_option(int tool, const std::string &name) {
  for (const Option &o : OPTIONS)
    if ((o.tools & tool) && name == o.name) return &o;
  return nullptr;
}

namespace {

// The section's heading in --help, "" for the tool's own options.
const char *heading(Section s) {
  return s == SECTION_SHARDS    ? "Shards, for a survey on many machines:\n"
         : s == SECTION_NETWORK ? "The network (nuv's by default):\n"
                                : "";
}

// The words of a KIND_WORD row's list.
std::vector<std::string> words_of(const Option &o) {
  std::vector<std::string> list;
  for (const char *w = o.words; *w;) {
    const char *end = w;
    while (*end && *end != ' ') end++;
    list.emplace_back(w, end);
    w = *end ? end + 1 : end;
  }
  return list;
}

} // namespace

std::string options_usage(int tool) {
  std::string s;
  for (const Section section : {SECTION_TOOL, SECTION_SHARDS, SECTION_NETWORK}) {
    bool headed = false;
    for (const Option &o : OPTIONS) {
      if (!(o.tools & tool) || o.section != section || !*o.label) continue;
      if (!headed) s += heading(section), headed = true;
      std::string label = o.label;
      label.resize(std::max(label.size(), size_t(19)), ' ');
      std::string help = o.help;
      for (size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += 23)
        help.insert(at + 1, 22, ' ');
      s += "  " + label + " " + help + "\n";
    }
  }
  return s;
}

// The edit distance of a and b (insertions, deletions and substitutions of one character).
static size_t edit_distance(const std::string &a, const std::string &b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t k = 0; k <= b.size(); k++) row[k] = k;
  for (size_t i = 1; i <= a.size(); i++) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t k = 1; k <= b.size(); k++) {
      const size_t above = row[k];
      row[k] = std::min({row[k] + 1, row[k - 1] + 1, diagonal + (a[i - 1] != b[k - 1])});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::string nearest(const std::string &typed, const std::vector<std::string> &known) {
  std::string best;
  size_t best_distance = 3, ties = 0; // only within 2, and only one that near
  for (const std::string &k : known) {
    const size_t d = edit_distance(typed, k);
    if (d < best_distance)
      best = k, best_distance = d, ties = 0;
    else if (d == best_distance)
      ties++;
  }
  if (!best.empty() && ties == 0) return best;
  std::string prefixed; // else the one known word that typed begins, of at least 3 characters
  int count = 0;
  for (const std::string &k : known)
    if (typed.size() >= 3 && k.compare(0, typed.size(), typed) == 0) prefixed = k, count++;
  return count == 1 ? prefixed : "";
}

// "; did you mean X?" for the nearest of known, or "".
static std::string suggestion(const std::string &typed, const std::vector<std::string> &known) {
  const std::string near = nearest(typed, known);
  return near.empty() ? "" : "; did you mean " + near + "?";
}

bool read_value(const Option &o, const std::string &text, OptionValue *v, std::string *error) {
  const std::string refused = std::string(o.name) + " " + quoted(text) + " ";
  switch (o.kind) {
  case KIND_NUMBER:
  case KIND_RANGE:
    if (read_number(text, &v->number)) return true;
    return *error = refused + "is not a finite number", false;
  case KIND_POSITIVE:
    if (read_number(text, &v->number) && v->number > 0) return true;
    return *error = refused + "is not a finite number above 0", false;
  case KIND_WHOLE:
    if (read_whole(text, o.high, &v->whole) && v->whole >= o.low) return true;
    return *error = refused + "is not a whole number in " + std::to_string(o.low) + " ... " +
                    std::to_string(o.high),
           false;
  case KIND_WORD: {
    const std::vector<std::string> words = words_of(o);
    for (size_t k = 0; k < words.size(); k++)
      if (text == words[k]) return v->word = int(k), true;
    if (o.or_number && read_number(text, &v->number)) return v->word = -1, true;
    std::string list = words[0];
    for (size_t k = 1; k < words.size(); k++)
      list += (k == words.size() - 1 ? " or " : ", ") + words[k];
    if (o.or_number) list += " or a finite number";
    return *error = refused + "is not " + list + suggestion(text, words), false;
  }
  case KIND_TEXT:
    if (!o.empty || !text.empty()) return true;
    return *error = std::string(o.name) + " " + o.empty, false;
  case KIND_PAIR:
    return o.pair(text, v, error);
  case KIND_FLAG:
    break;
  }
  return true;
}

NetworkOptions::NetworkOptions() : net() {
  net.n = NCITY;
  std::string unused;
  for (const Option &o : OPTIONS) {
    OptionValue v;
    if (o.set && *o.fallback && read_value(o, o.fallback, &v, &unused)) o.set(&net, v);
  }
}

// The names of tool's options, for a suggestion.
static std::vector<std::string> names_of(int tool) {
  std::vector<std::string> names;
  for (const Option &o : OPTIONS)
    if (o.tools & tool) names.push_back(o.name);
  return names;
}

bool read_command_line(int tool, int argc, char **argv, CommandLine *line, NetworkOptions *network,
                       std::string *error) {
  bool options = true;
  for (int a = 1; a < argc; a++) {
    const std::string arg = argv[a];
    if (!options || !is_option(arg)) {
      line->words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options = false;
      continue;
    }
    const size_t eq = arg.find('=');
    const std::string name = arg.substr(0, eq);
    const Option *o = find_option(tool, name);
    if (!o || (o->kind == KIND_FLAG && eq != std::string::npos))
      return *error = "unknown option " + quoted(arg) + (o ? "" : suggestion(name, names_of(tool))),
             false;
    if (name == "--help" || name == "-h") return line->help = true, true;
    if (name == "--version") return line->version = true, true;
    Given given{o, "", {}, eq != std::string::npos};
    if (o->kind != KIND_FLAG) {
      if (eq == std::string::npos && a + 1 >= argc) return *error = name + " needs a value", false;
      given.text = eq == std::string::npos ? argv[++a] : arg.substr(eq + 1);
      const bool survey_range = o->kind == KIND_RANGE && tool == TOOL_SURVEY; // the survey reads it
      if (!survey_range && !read_value(*o, given.text, &given.value, error)) return false;
      if (o->section == SECTION_NETWORK) {
        network->given[o->name] = given.text;
        if (std::string(o->name) == "--cities") network->cities = given.text;
        if (o->set && !survey_range) o->set(&network->net, given.value);
      }
    }
    line->options.push_back(given);
  }
  return true;
}

bool set_up_network(NetworkOptions *o, std::string *error) {
  if (!o->cities.empty()) {
    std::string name;
    if (!load_cities(o->cities, &name, error)) return false;
    o->name = name;
  }
  o->net.n = network.n, o->net.matrix = network.matrix; // the cities' part, as loaded
  for (const Option &row : OPTIONS)
    if (row.depends && !o->given.count(row.name)) row.depends(&o->net);
  network = o->net; // the model's network, handed over here once
  CityError why;
  if (!check_cities(&why)) {
    *error = quoted(o->cities.empty() ? o->name : o->cities) + ": " + why.why;
    return false;
  }
  build_distances();
  return true;
}

bool is_nuv_network(const NetworkOptions &o) {
  return o.given.empty();
}

std::string network_text(const NetworkOptions &o) {
  static const char *const RULES[] = {"inplace", "sync", "euler"};
  std::string s =
      "network: " + o.name + ", " + std::to_string(o.net.n) + " cities, rule " + RULES[o.net.rule];
  for (const Option &row : OPTIONS) {
    const auto given = o.given.find(row.name);
    if (row.described && given != o.given.end())
      s += ", " + std::string(row.name + 2) + " " + given->second;
  }
  if (!o.given.count("--sweeps")) s += ", " + std::to_string(o.net.sweeps) + " sweeps";
  return s;
}
