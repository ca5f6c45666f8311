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

#include "table.h"

// The row of tool's option name, or null.
const Option *find_option(int tool, const std::string &name);

// The lines of tool's options for its --help, section by section; the words MINCITY and
// MAXCITY in a row's help are the limits' values.
std::string options_usage(int tool);

// The network being chosen: its settings, read into a local Network and handed to the model
// once by set_up_network, and the options' texts as given.
struct NetworkOptions {
  Network net;                              // the settings, nuv's where none is given
  std::string cities;                       // a file, random:N:S, or "" for nuv's nine
  std::string name = "nuv";                 // the cities' name, once loaded
  std::map<std::string, std::string> given; // each network option given: its last text
  // Under a normalised rule with the critical start temperature, its value as the description
  // says it: set_up_network writes it for the record's coefficients, a tool whose coefficients
  // differ between runs (a survey's ranges) another text.
  std::string critical;
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

// Refuses an option given that only the Euler rule reads (--dt-decay) under another rule, loads
// the cities and refuses any that make no network (all at one point, distances that overflow:
// check_cities), gives the settings that depend on others their defaults (n, the
// number of cities; the sweeps, 1,000 under the Euler rule), hands the network to the model
// and builds the distances. False with *error.
bool set_up_network(NetworkOptions *o, std::string *error);

// Reads text as option's value (a KIND_RANGE as a number); false with *error, the refusal
// ("--u0 '0' is not a finite number above 0").
bool read_value(const Option &option, const std::string &text, OptionValue *value,
                std::string *error);

// Whether the network is nuv's own, with nothing chosen.
bool is_nuv_network(const NetworkOptions &o);

// What the network is, in one line: its cities and their number, its rule and every setting
// given, each once with the value in force, in --help's order. "network: random:12:7,
// 12 cities, rule sync, C 0.5, 60 sweeps". A heuristic's names no rule and no sweeps:
// "network: eil51, 51 cities, method 2-opt".
std::string network_text(const NetworkOptions &o);

// The start temperature under a normalised rule with --t0 critical, as the description says it:
// "critical T" with T net's critical temperature, or "1 (no critical temperature)" where it has
// none above 0 (start_temperature's 1).
std::string critical_text(const Network &net);

#endif
