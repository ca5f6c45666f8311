// Reading the family's options into the model. Start at read_network_option.
#include "options.h"

#include <cmath>

#include "args.h"
#include "cities.h"
#include "network.h"
#include "read.h"
#include "text.h"

const char NETWORK_USAGE[] =
    "The network (nuv's by default):\n"
    "  --cities FILE       a TSPLIB .tsp file or x y lines; random:N:S for N random\n"
    "                      cities from seed S (4 ... 100 cities)\n"
    "  --rule RULE         inplace (default), sync or euler\n"
    "  --C X               the global term's weight (default 0: none); nuv-survey\n"
    "                      takes a range FROM:TO:STEP too\n"
    "  --n X               its target (default: the number of cities)\n"
    "  --bias A+B|X        each unit's bias (default A+B)\n"
    "  --u0 X              the activation's width (default 0.5)\n"
    "  --start START       uniform (default) or centred\n"
    "  --dt X, --tau X     the Euler step and time constant (defaults 0.01, 1)\n"
    "  --sweeps K          sweeps in a run (default 50; 1000 under euler)\n"
    "  --distances D       scaled (default) or raw\n";

bool is_network_option(const std::string &name) {
  for (const char *known : {"--cities", "--rule", "--C", "--n", "--bias", "--u0", "--start", "--dt",
                            "--tau", "--sweeps", "--distances"})
    if (name == known) return true;
  return false;
}

namespace {

bool bad(const std::string &name, const std::string &value, const std::string &why,
         std::string *error) {
  *error = name + " " + quoted(value) + " " + why;
  return false;
}

// A finite number above 0, or any finite number.
bool positive(const std::string &name, const std::string &value, double *v, std::string *error) {
  if (read_number(value, v) && *v > 0) return true;
  return bad(name, value, "is not a finite number above 0", error);
}

// The options' words, as Rule and Start number them; distances scaled (0) or raw.
const char *const RULES[] = {"inplace", "sync", "euler"};
const char *const STARTS[] = {"uniform", "centred"};
const char *const DISTANCES[] = {"scaled", "raw"};

// The index of value among the n names, or a refusal naming them ("is not a, b or c").
bool choose(const std::string &name, const std::string &value, const char *const names[], int n,
            int *index, std::string *error) {
  for (int k = 0; k < n; k++)
    if (value == names[k]) return *index = k, true;
  std::string list = names[0];
  for (int k = 1; k < n; k++) list += (k == n - 1 ? " or " : ", ") + std::string(names[k]);
  return bad(name, value, "is not " + list, error);
}

} // namespace

bool read_network_option(const std::string &name, const std::string &value, NetworkOptions *o,
                         std::string *error) {
  double v;
  uint64_t whole;
  if (name == "--cities") {
    if (value.empty()) return bad(name, value, "names no cities", error);
    o->cities = value;
    return true;
  }
  if (name == "--C") {
    o->c = value, o->c_given = true;
    return true;
  }
  int k;
  if (name == "--rule") {
    if (!choose(name, value, RULES, 3, &k, error)) return false;
    network.rule = Rule(k);
  } else if (name == "--n") {
    if (!read_number(value, &v)) return bad(name, value, "is not a finite number", error);
    network.target = v, o->n_given = true;
  } else if (name == "--bias") {
    if (value == "A+B")
      network.bias_ab = true;
    else if (read_number(value, &v))
      network.bias_ab = false, network.bias = v;
    else
      return bad(name, value, "is not A+B or a finite number", error);
  } else if (name == "--u0") {
    if (!positive(name, value, &network.u0, error)) return false;
  } else if (name == "--start") {
    if (!choose(name, value, STARTS, 2, &k, error)) return false;
    network.start = Start(k);
  } else if (name == "--dt") {
    if (!positive(name, value, &network.dt, error)) return false;
  } else if (name == "--tau") {
    if (!positive(name, value, &network.tau, error)) return false;
  } else if (name == "--sweeps") {
    if (!read_whole(value, 100000, &whole) || whole < 1)
      return bad(name, value, "is not a whole number in 1 ... 100000", error);
    network.sweeps = int(whole), o->sweeps_given = true;
  } else if (name == "--distances") {
    if (!choose(name, value, DISTANCES, 2, &k, error)) return false;
    network.unscaled = k == 1;
  }
  o->chosen = true;
  if (name != "--rule") o->settings[name.substr(2)] = value; // the rule is said apart
  return true;
}

bool set_up_network(NetworkOptions *o, std::string *error) {
  if (!o->cities.empty()) {
    std::string name;
    if (!load_cities(o->cities, &name, error)) return false;
    o->name = name;
  }
  CityError why;
  if (!check_cities(&why)) {
    *error = quoted(o->cities.empty() ? o->name : o->cities) + ": " + why.why;
    return false;
  }
  if (!o->n_given) network.target = network.n;
  if (!o->sweeps_given) network.sweeps = network.rule == RULE_EULER ? 1000 : NSWEEP;
  set_up(network);
  return true;
}

bool is_nuv_network(const NetworkOptions &o) {
  return o.cities.empty() && !o.chosen && !o.c_given;
}

std::string network_text(const NetworkOptions &o) {
  std::string s = "network: " + o.name + ", " + std::to_string(network.n) + " cities, rule " +
                  RULES[network.rule];
  if (o.c_given) s += ", C " + o.c;
  for (const char *name : {"n", "bias", "u0", "start", "dt", "tau", "sweeps", "distances"}) {
    const auto given = o.settings.find(name);
    if (given != o.settings.end()) s += ", " + given->first + " " + given->second;
  }
  if (!o.sweeps_given) s += ", " + std::to_string(network.sweeps) + " sweeps";
  return s;
}
