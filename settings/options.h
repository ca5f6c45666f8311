// The options of nuv-trace and nuv-survey, one table: each option's name, what its value is,
// its default, its limits and its help. The usage texts, the refusals, the defaults and the
// description of a network all come from OPTIONS; a new option is one row there. A tool reads
// its command line with read_command_line, then set_up_network once. Start at OPTIONS.
#ifndef NUV_SETTINGS_OPTIONS_H
#define NUV_SETTINGS_OPTIONS_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "network.h"

// What an option's value is, which says how it is read and refused.
enum OptionKind {
  KIND_FLAG,     // no value
  KIND_NUMBER,   // a finite number
  KIND_POSITIVE, // a finite number above 0
  KIND_WHOLE,    // a whole number in low ... high
  KIND_WORD,     // one of words; with `number`, a finite number too
  KIND_TEXT,     // any text; with `needed`, not empty
  KIND_RANGE,    // a number, to nuv-survey an inclusive range FROM:TO:STEP (read by the survey)
  KIND_PAIR      // two whole numbers, FIRST:LAST or K/M, read by the row's own `pair`
};

// The tools, as a row's mask of those that take it.
enum { TOOL_TRACE = 1, TOOL_SURVEY = 2 };

// Where the usage lists an option, in this order.
enum Section { SECTION_TOOL, SECTION_SHARDS, SECTION_NETWORK };

// What a survey does with an option besides reading it: its plan (written in a shard's head),
// or a view a merge of shards takes.
enum { ROLE_PLAN = 1, ROLE_VIEW = 2 };

// A value read by its row's kind.
struct OptionValue {
  double number = 0; // KIND_NUMBER, KIND_POSITIVE, KIND_RANGE in nuv-trace, a word's number
  uint64_t whole = 0;
  uint64_t second = 0; // KIND_PAIR: the second number (whole the first)
  int word = -1;       // KIND_WORD: the index among the words; -1 for a number
};

// One option. The network's rows have `set`, which writes a value into a Network.
struct Option {
  const char *name;  // "--u0"
  const char *label; // the usage's first column, "--u0 X"; "" where the row above's line says it
  const char *help;  // its lines of help, '\n' between
  int tools;         // TOOL_TRACE, TOOL_SURVEY or both
  Section section;
  OptionKind kind;
  const char *words;    // KIND_WORD: the words, ' ' between ("inplace sync euler")
  bool or_number;       // KIND_WORD: a finite number too
  uint64_t low, high;   // KIND_WHOLE: the limits
  const char *empty;    // KIND_TEXT: the refusal of an empty value, or null to take it
  const char *fallback; // the default's text ("" where it depends on other settings)
  int role;             // ROLE_PLAN, ROLE_VIEW
  void (*set)(Network *net, const OptionValue &v); // a setting of the network, or null
  bool described; // the network's description names it when given (not the cities or the rule,
                  // which it always names first)
  void (*depends)(Network *net); // its default from the other settings, or null
  bool (*pair)(const std::string &text, OptionValue *v, std::string *error); // KIND_PAIR

  // The table's rows are built by these: a row, then what its kind needs.
  static Option row(int tools, Section section, const char *name, const char *label,
                    const char *help);
  Option of(OptionKind k) const;
  Option choosing(const char *list, bool number = false) const; // KIND_WORD
  Option within(uint64_t lowest, uint64_t highest) const;       // KIND_WHOLE
  Option refusing_empty(const char *why) const;                 // KIND_TEXT
  Option by_default(const char *text) const;
  Option in(int r) const;
  Option setting(void (*to)(Network *, const OptionValue &), bool said = true) const;
  Option depending(void (*on)(Network *)) const;
  Option paired(bool (*reader)(const std::string &, OptionValue *, std::string *)) const;
};

extern const Option OPTIONS[];
extern const int NOPTIONS;

// The row of tool's option name, or null.
const Option *find_option(int tool, const std::string &name);

// The lines of tool's options for its --help, section by section.
std::string options_usage(int tool);

// The network being chosen: its settings, read into a local Network and handed to the model
// once by set_up_network, and the options' texts as given.
struct NetworkOptions {
  Network net;                              // the settings, nuv's where none is given
  std::string cities;                       // a file, random:N:S, or "" for nuv's nine
  std::string name = "nuv";                 // the cities' name, once loaded
  std::map<std::string, std::string> given; // each network option given: its last text
  NetworkOptions();
};

// An option as the tool reads it: its row and its text.
struct Given {
  const Option *option;
  std::string text;
  OptionValue value;
  bool joined; // typed as --name=VALUE, one word
};

// A command line read by the table: the words that are not options, the options in order.
struct CommandLine {
  std::vector<std::string> words;
  std::vector<Given> options;
  bool help = false, version = false;
};

// Reads tool's arguments (argv[1 ...]): options anywhere, as --name VALUE or --name=VALUE,
// "--" ending them; each value checked by its row, the network's written into *network. Stops
// at --help or --version. False with *error at the first that cannot be read; an unknown
// option or word is refused naming the nearest known one, when one is near.
bool read_command_line(int tool, int argc, char **argv, CommandLine *line, NetworkOptions *network,
                       std::string *error);

// The one known word nearest to typed (by edit distance at most 2, or as its prefix), or "".
std::string nearest(const std::string &typed, const std::vector<std::string> &known);

// Loads the cities and refuses any that make no network (all at one point, distances that
// overflow: check_cities), gives the settings that depend on others their defaults (n, the
// number of cities; the sweeps, 1,000 under the Euler rule), hands the network to the model
// and builds the distances. False with *error.
bool set_up_network(NetworkOptions *o, std::string *error);

// The sweeps' default under rule: 1,000 under the Euler rule, else nuv's 50.
int default_sweeps(Rule rule);

// Reads text as option's value (a KIND_RANGE as a number); false with *error, the refusal
// ("--u0 '0' is not a finite number above 0").
bool read_value(const Option &option, const std::string &text, OptionValue *value,
                std::string *error);

// Whether the network is nuv's own, with nothing chosen.
bool is_nuv_network(const NetworkOptions &o);

// What the network is, in one line: its cities and their number, its rule and every setting
// given, each once with the value in force, in --help's order. "network: random:12:7,
// 12 cities, rule sync, C 0.5, 60 sweeps".
std::string network_text(const NetworkOptions &o);

#endif
