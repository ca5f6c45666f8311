// What is made from the table of options (table.cpp): the usage, the reading of a command line
// with its refusals and suggestions, the defaults, the network's set-up and its description.
// Start at read_command_line.
#include "options.h"

#include <algorithm>
#include <cmath>

#include "args.h"
#include "cities.h"
#include "read.h"
#include "text.h"

namespace {

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

const Option *find_option(int tool, const std::string &name) {
  return option_named(tool, name.c_str());
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
    for (const Option &o : every_option()) {
      if (!(o.tools & tool) || o.section != section || !*o.label) continue;
      if (!headed) s += heading(section), headed = true;
      std::string label = o.label;
      label.resize(std::max(label.size(), size_t(19)), ' ');
      std::string help = o.help;
      for (const auto &[word, value] : {std::pair<std::string, int>{"MINCITY", MINCITY},
                                        std::pair<std::string, int>{"MAXCITY", MAXCITY}})
        for (size_t at = 0; (at = help.find(word, at)) != std::string::npos;)
          help.replace(at, word.size(), std::to_string(value));
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
    if (read_number(text, &v->number) && v->number > 0 && (!o.most_one || v->number <= 1))
      return true;
    if (o.most_one)
      return *error = refused + "is not a number above 0 and at most 1: " + o.why, false;
    return *error = refused + "is not a finite number above 0", false;
  case KIND_FRACTION:
    if (read_number(text, &v->number) && v->number >= 0 && v->number < 1) return true;
    return *error = refused + "is not a number from 0, below 1: " + o.why, false;
  case KIND_WHOLE:
    if (read_whole(text, o.high, &v->whole) && v->whole >= o.low) return true;
    return *error = refused + "is not a whole number in " + std::to_string(o.low) + " ... " +
                    std::to_string(o.high),
           false;
  case KIND_WORD: {
    const std::vector<std::string> words = words_of(o);
    for (size_t k = 0; k < words.size(); k++)
      if (text == words[k]) return v->word = int(k), true;
    if (o.or_number && read_number(text, &v->number) && (!o.positive || v->number > 0))
      return v->word = -1, true;
    std::string list = words[0];
    for (size_t k = 1; k < words.size(); k++)
      list += (k == words.size() - 1 ? " or " : ", ") + words[k];
    if (o.positive)
      return *error = refused + "is not " + list + " or a finite number above 0: " + o.why, false;
    if (o.or_number) list += " or a finite number";
    return *error = refused + "is not " + list + suggestion(text, words), false;
  }
  case KIND_TEXT:
    if (!o.empty || !text.empty()) return true;
    return *error = std::string(o.name) + " " + o.empty, false;
  case KIND_PAIR:
    return o.pair == PAIR_SEEDS ? read_seed_range(text, v, error) : read_shard(text, v, error);
  case KIND_FLAG:
    break;
  }
  return true;
}

NetworkOptions::NetworkOptions() : net() {
  net.n = NCITY;
  std::string unused;
  for (const Option &o : every_option()) {
    OptionValue v;
    if (o.set && *o.fallback && read_value(o, o.fallback, &v, &unused)) o.set(&net, v);
  }
}

// The names of tool's options, for a suggestion.
static std::vector<std::string> names_of(int tool) {
  std::vector<std::string> names;
  for (const Option &o : every_option())
    if (o.tools & tool) names.push_back(o.name);
  return names;
}

// The network's settings given so far forgotten, the cities kept: a method given after them
// sets every one, and options after it override it.
static void forget_settings(NetworkOptions *network) {
  for (const Option &o : every_option())
    if (o.set) network->given.erase(o.name);
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
        if (name == "--method") forget_settings(network); // the method sets every one anew
        network->given[o->name] = given.text;
        if (std::string(o->name) == "--cities") network->cities = given.text;
        if (o->set && !survey_range) o->set(&network->net, given.value);
      }
    }
    line->options.push_back(given);
  }
  return true;
}

// The rules' words, by Rule.
static const char *const RULES[] = {"inplace", "sync", "euler", "tcnn", "potts", "softassign"};

// The rules of a mask as words: "euler", "potts or softassign".
static std::string rule_list(int mask) {
  std::vector<std::string> words;
  for (int r = 0; r < int(sizeof RULES / sizeof RULES[0]); r++)
    if (mask >> r & 1) words.push_back(RULES[r]);
  std::string list = words[0];
  for (size_t k = 1; k < words.size(); k++)
    list += (k == words.size() - 1 ? " or " : ", ") + words[k];
  return list;
}

std::string critical_text(const Network &net) {
  const double t = critical_temperature(net);
  return t > 0 && t - t == 0 ? "critical " + shortest(t) : "1 (no critical temperature)";
}

bool set_up_network(NetworkOptions *o, std::string *error) {
  if (!o->cities.empty()) {
    std::string name;
    if (!load_cities(o->cities, &name, error)) return false;
    o->name = name;
  }
  o->net.n = network.n, o->net.distances_given = network.distances_given; // the cities' part
  if (const Option *row =
          finish_network(&o->net, [&](const Option &r) { return o->given.count(r.name) > 0; }))
    return *error = std::string(row->name) + " applies only under --rule " + rule_list(row->rules) +
                    " (the rule here is " + RULES[o->net.rule] + ")",
           false;
  set_up(o->net); // the model's network, handed over here once
  if (is_normalised(o->net.rule) && !(o->net.t0 > 0)) o->critical = critical_text(o->net);
  CityError why;
  if (!check_cities(&why)) {
    *error = quoted(o->cities.empty() ? o->name : o->cities) + ": " + why.why;
    return false;
  }
  return true;
}

bool is_nuv_network(const NetworkOptions &o) {
  return o.given.empty();
}

std::string network_text(const NetworkOptions &o) {
  const bool heuristic = is_heuristic(o.net.method); // no rule, no sweeps
  std::string s = "network: " + o.name + ", " + std::to_string(o.net.n) + " cities";
  if (!heuristic) s += ", rule " + std::string(RULES[o.net.rule]);
  for (const Option &row : every_option()) {
    const auto given = o.given.find(row.name);
    if (row.described && given != o.given.end())
      s += ", " + std::string(row.name + 2) + " " + given->second;
    if (std::string(row.name) == "--t0" && is_normalised(o.net.rule))
      s += ", t0 " + (!(o.net.t0 > 0)          ? o.critical
                      : given != o.given.end() ? given->second
                                               : shortest(o.net.t0));
  }
  if (!heuristic && !o.given.count("--sweeps"))
    s += ", " + std::to_string(o.net.sweeps) + " sweeps";
  return s;
}
