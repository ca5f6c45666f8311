// The table of the options of nuv-trace and nuv-survey: each option's name, what its value is,
// its default, its limits and its help, and a network setting's place in the record. Plain
// enough for the page's module too, which checks its fields by it. A new option is one row of
// OPTIONS (table.cpp). Start at Option.
#ifndef NUV_SETTINGS_TABLE_H
#define NUV_SETTINGS_TABLE_H

#include <stddef.h>
#include <stdint.h>

#include "network.h"

// What an option's value is, which says how it is read and refused.
enum OptionKind {
  KIND_FLAG,     // no value
  KIND_NUMBER,   // a finite number
  KIND_POSITIVE, // a finite number above 0
  KIND_FRACTION, // a number from 0, below 1
  KIND_WHOLE,    // a whole number in low ... high
  KIND_WORD,     // one of words; with or_number, a finite number too
  KIND_TEXT,     // any text; with `empty`, refused empty
  KIND_RANGE,    // a number, to nuv-survey an inclusive range FROM:TO:STEP (read by the survey)
  KIND_PAIR      // two whole numbers, FIRST:LAST or K/M, read as the row's `pair` says
};

// The tools, as a row's mask of those that take it.
enum { TOOL_TRACE = 1, TOOL_SURVEY = 2 };

// Where the usage lists an option, in this order.
enum Section { SECTION_TOOL, SECTION_SHARDS, SECTION_NETWORK };

// What a survey does with an option besides reading it: its plan (written in a shard's head),
// or a view a merge of shards takes.
enum { ROLE_PLAN = 1, ROLE_VIEW = 2 };

// The two-number values, each read by a reader of its own (settings/options.cpp).
enum Pair { PAIR_NONE, PAIR_SEEDS, PAIR_SHARD };

// A value read by its row's kind.
struct OptionValue {
  double number = 0; // KIND_NUMBER, KIND_POSITIVE, KIND_FRACTION, KIND_RANGE in nuv-trace, a
                     // word's number
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
  OptionValue (*get)(const Network &net);          // and its value in a record: set's inverse
  bool described; // the network's description names it when given (not the cities or the rule,
                  // which it always names first)
  void (*depends)(Network *net); // its default from the other settings, or null
  Pair pair;                     // KIND_PAIR: its reader
  const char *why;               // why its values are limited, told in a refusal
  bool most_one;                 // KIND_POSITIVE: at most 1 too
  bool positive;                 // KIND_WORD with or_number: the number above 0
  int rules; // the rules that read it, a mask of 1 << Rule (0: every rule); refused under others

  // The table's rows are built by these: a row, then what its kind needs.
  static constexpr Option row(int tools, Section section, const char *name, const char *label,
                              const char *help);
  constexpr Option of(OptionKind k) const;
  constexpr Option choosing(const char *list, bool number = false) const; // KIND_WORD
  constexpr Option within(uint64_t lowest, uint64_t highest) const;       // KIND_WHOLE
  constexpr Option refusing_empty(const char *why) const;                 // KIND_TEXT
  constexpr Option by_default(const char *text) const;
  constexpr Option in(int r) const;
  constexpr Option setting(void (*to)(Network *, const OptionValue &), bool said = true) const;
  constexpr Option depending(void (*on)(Network *)) const;
  constexpr Option getting(OptionValue (*from)(const Network &)) const;
  constexpr Option paired(Pair reader) const;
  constexpr Option fraction(const char *reason) const;    // KIND_FRACTION
  constexpr Option at_most_one(const char *reason) const; // KIND_POSITIVE: in 0 ... 1, 1 too
  constexpr Option above_zero(const char *reason) const;  // KIND_WORD's number: above 0
  constexpr Option only_under(int rule_mask) const;       // 1 << RULE_EULER | ...
};

// The builders, defined here so that the table is a constant, built before anything runs.
constexpr Option Option::row(int tools, Section section, const char *name, const char *label,
                             const char *help) {
  Option o{};
  o.name = name, o.label = label, o.help = help, o.tools = tools, o.section = section;
  o.kind = KIND_FLAG, o.fallback = "";
  return o;
}
constexpr Option Option::of(OptionKind k) const {
  Option o = *this;
  o.kind = k;
  return o;
}
constexpr Option Option::choosing(const char *list, bool number) const {
  Option o = of(KIND_WORD);
  o.words = list, o.or_number = number;
  return o;
}
constexpr Option Option::within(uint64_t lowest, uint64_t highest) const {
  Option o = of(KIND_WHOLE);
  o.low = lowest, o.high = highest;
  return o;
}
constexpr Option Option::refusing_empty(const char *why) const {
  Option o = of(KIND_TEXT);
  o.empty = why;
  return o;
}
constexpr Option Option::by_default(const char *text) const {
  Option o = *this;
  o.fallback = text;
  return o;
}
constexpr Option Option::in(int r) const {
  Option o = *this;
  o.role |= r;
  return o;
}
constexpr Option Option::setting(void (*to)(Network *, const OptionValue &), bool said) const {
  Option o = in(ROLE_PLAN);
  o.set = to, o.described = said;
  return o;
}
constexpr Option Option::getting(OptionValue (*from)(const Network &)) const {
  Option o = *this;
  o.get = from;
  return o;
}
constexpr Option Option::depending(void (*on)(Network *)) const {
  Option o = *this;
  o.depends = on;
  return o;
}

constexpr Option Option::paired(Pair reader) const {
  Option o = of(KIND_PAIR);
  o.pair = reader;
  return o;
}
constexpr Option Option::fraction(const char *reason) const {
  Option o = of(KIND_FRACTION);
  o.why = reason;
  return o;
}
constexpr Option Option::at_most_one(const char *reason) const {
  Option o = of(KIND_POSITIVE);
  o.most_one = true, o.why = reason;
  return o;
}
constexpr Option Option::above_zero(const char *reason) const {
  Option o = *this;
  o.positive = true, o.why = reason;
  return o;
}
constexpr Option Option::only_under(int rule_mask) const {
  Option o = *this;
  o.rules = rule_mask;
  return o;
}

extern const Option OPTIONS[];
extern const int NOPTIONS;

// Every row, for a range-for: for (const Option &o : every_option()).
struct OptionRows {
  const Option *begin() const { return OPTIONS; }
  const Option *end() const { return OPTIONS + NOPTIONS; }
};
inline OptionRows every_option() {
  return {};
}

// The row of an option of tools (a mask) by its name ("--u0"), or null.
const Option *option_named(int tools, const char *name);

// A record finished once its options are read, by the tools and the page alike: each setting
// not given takes its default from the others (n from the cities, the sweeps from the rule).
// The first option given that net's rule does not read, or null. given(row): whether it was.
template <typename Given>
const Option *finish_network(Network *net, Given given) {
  const Option *unread = nullptr;
  for (const Option &o : every_option()) {
    const bool told = given(o);
    if (o.depends && !told) o.depends(net);
    if (!unread && o.rules && told && !(o.rules >> net->rule & 1)) unread = &o;
  }
  return unread;
}

// The sweeps' default under the normalised rules, potts and softassign.
enum { NORMALISED_SWEEPS = 350 };

// The sweeps' default under rule: 1,000 under the Euler rule, 5,000 under the transiently
// chaotic rule (its self-feedback must decay), NORMALISED_SWEEPS under potts and softassign,
// else nuv's 50.
int default_sweeps(Rule rule);

// The page's check of a field's text (length bytes) as option's value, its number read by
// convert (the page's: the browser's Number) when it is a decimal number's text: "" when good,
// else why, as the page says it beside the field ("a finite number above 0"). Empty is good for
// a setting whose default depends on others; a word of a menu is not checked here.
const char *field_problem(const Option &option, const char *text, size_t length,
                          double (*convert)(const char *word, size_t length));

// A field's text (length bytes) read as option's value, as field_problem checks it and as the
// tools read it, its number by convert: false for a text field_problem refuses, a word no menu
// of the row has, or a kind that is no network setting's.
bool field_value(const Option &option, const char *text, size_t length,
                 double (*convert)(const char *word, size_t length), OptionValue *value);

#endif
