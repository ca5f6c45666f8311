// The survey's plan, read from its command line: the values of each coefficient, the seeds,
// the number of workers and what to write. Every run of the survey is one (coefficient set,
// seed).
#ifndef NUV_SURVEY_PLAN_H
#define NUV_SURVEY_PLAN_H

#include <cstdint>
#include <string>
#include <vector>

#include "options.h"

// What a heatmap's colour shows.
enum Heat { HEAT_VALID, HEAT_OPTIMAL, HEAT_RATIO, HEAT_SETTLED };
extern const char *const HEAT_NAME[4]; // "valid", "optimal", "ratio", "settled"

// The coefficients a survey ranges over: Acoef, Bcoef, Dcoef and the global term's C.
enum { NCOEF = 4 };

struct Plan {
  std::vector<double> coef[NCOEF]; // values of Acoef, Bcoef, Dcoef and C, each ascending
  NetworkOptions network;          // the member of the family
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
};

extern const char *const COEF_NAME[NCOEF]; // "Acoef", "Bcoef", "Dcoef", "C"

enum PlanResult { PLAN_OK, PLAN_HELP, PLAN_VERSION, PLAN_BAD };

// Reads argv into *plan; on PLAN_BAD *error names the bad value.
PlanResult read_plan(int argc, char **argv, Plan *plan, std::string *error);

// The usage text for --help.
extern const char USAGE[];

// Counting: coefficient sets (Acoef, Bcoef, Dcoef and C) in Acoef-outermost order, seeds per
// set, and all runs.
uint64_t set_count(const Plan &plan);
uint64_t seed_count(const Plan &plan);
uint64_t run_count(const Plan &plan);

// The coefficient values of set t: Acoef, Bcoef, Dcoef, C.
void set_values(const Plan &plan, uint64_t t, double value[NCOEF]);

#endif
