// The survey's plan, read from its command line: the values of each setting it ranges over,
// the seeds, the number of workers and what to write. Every run of the survey is one (grid
// point, seed), a grid point being the network with each ranging setting's value; with
// --methods, one (method, seed), the method's record being its settings with the options given
// on top.
#ifndef NUV_SURVEY_PLAN_H
#define NUV_SURVEY_PLAN_H

#include <cstdint>
#include <string>
#include <vector>

#include "options.h"

// What a heatmap's colour shows.
enum Heat { HEAT_VALID, HEAT_OPTIMAL, HEAT_RATIO, HEAT_SETTLED };
extern const char *const HEAT_NAME[4]; // "valid", "optimal", "ratio", "settled"

// A setting the survey ranges over, by name: the coefficients typed after the options, and each
// option that takes a range (--C).
struct Axis {
  std::string name;           // as the rows and pictures name it: "Acoef", "C"
  std::string typed_as;       // as a refusal names it: "Acoef", "--C"
  std::string text;           // as typed, or the option's default
  bool given;                 // typed (a coefficient always, an option when given)
  std::vector<double> values; // ascending
  void (*set)(Network *net, const OptionValue &v);
};

struct Plan {
  std::vector<Axis> axes; // Acoef, Bcoef, Dcoef, then the options' in the table's order
  NetworkOptions network; // the member of the family
  uint32_t first_seed = 1, last_seed = 1000;
  int jobs = 0; // worker processes
  bool csv = false;
  bool tours = false; // a row per distinct outcome instead of the summary
  std::string svg;    // picture to write, or empty
  Heat heat = HEAT_VALID;
  uint64_t first_run = 0, end_run = 0; // the runs this process runs: a shard's, or all
  uint64_t shard = 0, shards = 0;      // --shard K/M, when shards > 0
  std::string output;                  // -o FILE: the shard's file
  bool merge = false;                  // --merge: the arguments are shard files
  std::vector<std::string> files;
  std::string plan_text; // --plan, for merging a whole survey's CSV
  std::string typed;     // the arguments that make the plan, as a shell reads them
  bool progress = true;  // run_survey's line on a terminal (a caller may draw its own)
  // --methods: the methods compared, in the order typed, and each one's record (set_up_plan
  // makes them once the cities are loaded); empty without --methods.
  std::vector<Method> methods;
  std::vector<Network> method_net;
};

enum PlanResult { PLAN_OK, PLAN_HELP, PLAN_VERSION, PLAN_BAD };

// Reads argv into *plan; on PLAN_BAD *error names the bad value.
PlanResult read_plan(int argc, char **argv, Plan *plan, std::string *error);

// The plan a shard's head or --plan holds (text as the head writes it), with the views of
// `views` (a merge's): its words only --seeds, the network's options and the coefficients,
// refused as the survey refuses them. False with *error: "cannot be read" or what is wrong, for
// the caller to say where the text came from; *read_failed when the words were read but the
// plan (or its views) refused.
bool read_plan_text(const std::string &text, const Plan &views, Plan *plan, bool *read_failed,
                    std::string *error);

// The plan's network set up (set_up_network), and with --methods each method's record: the
// method's settings (apply_method) on the family's defaults for the cities, then every network
// option given; the coefficients when typed. An option that only some rules read is refused
// under a network method of another rule. False with *error.
bool set_up_plan(Plan *plan, std::string *error);

// A method's name as --methods takes it: "hopfield-tank".
std::string method_name(Method method);

// The usage text for --help.
extern const char USAGE[];

// Counting: grid points in the axes' order (Acoef outermost), seeds per point, and all runs.
uint64_t set_count(const Plan &plan);
uint64_t seed_count(const Plan &plan);
uint64_t run_count(const Plan &plan);

// Grid point t: the plan's network with each axis's value of the point; with --methods, method
// t's record, with the coefficients and C when typed.
Network grid_point(const Plan &plan, uint64_t t);

// Under a normalised rule with the critical start temperature, the description's words for it
// over the grid points (for the distances set up): "critical T" when every point has the same,
// else the lowest and highest ("critical T1 ... T2 (each grid point's)"); over 4,096 points,
// "critical (each grid point's)".
std::string critical_over_grid(const Plan &plan);

#endif
