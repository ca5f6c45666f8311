// The options that choose a network of the family, shared by nuv-trace and nuv-survey: the
// cities, the rule, the global term, the bias, the width, the start, the Euler step, the sweeps
// and the distances. Read each with read_network_option, then set_up_network once.
#ifndef NUV_SETTINGS_OPTIONS_H
#define NUV_SETTINGS_OPTIONS_H

#include <map>
#include <string>

struct NetworkOptions {
  std::string cities;  // a file, random:N:S, or "" for nuv's nine
  std::string c = "0"; // C as typed: the survey reads a range, the trace a number
  bool c_given = false;
  bool n_given = false, sweeps_given = false;
  std::string name = "nuv";                    // the cities' name, once loaded
  bool chosen = false;                         // some setting other than the cities and C was given
  std::map<std::string, std::string> settings; // the settings given but the rule: the value
                                               // last typed, by the option's name ("u0")
};

// The options' lines for a tool's --help.
extern const char NETWORK_USAGE[];

// Whether name (such as "--rule") is one of the family's options; each takes a value.
bool is_network_option(const std::string &name);

// Applies one of them to the model's family (--cities and --C are kept as text); false with
// *error naming the bad value.
bool read_network_option(const std::string &name, const std::string &value, NetworkOptions *o,
                         std::string *error);

// Loads the cities and refuses any that make no network (all at one point, distances that
// overflow: check_cities), gives n and the sweeps their defaults (N; 1,000 under the Euler
// rule) and builds the distances. False with *error.
bool set_up_network(NetworkOptions *o, std::string *error);

// Whether the network is nuv's own, with nothing chosen.
bool is_nuv_network(const NetworkOptions &o);

// What the network is, in one line: its cities and their number, its rule and every setting
// given, each once with the value in force, in --help's order. "network: random:12:7,
// 12 cities, rule sync, C 0.5, 60 sweeps".
std::string network_text(const NetworkOptions &o);

#endif
