// Surveys in shards: a shard's file names its plan and its runs on its first line, holds their
// CSV rows, and ends with their count and checksum; a merge checks that the files it is given
// hold every run of one plan exactly once, whole and unaltered, then hands the runs on in the
// plan's order. Start at check_shards.
#ifndef NUV_SURVEY_SHARDS_H
#define NUV_SURVEY_SHARDS_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "plan.h"
#include "runs.h"

// The first line of a shard's file: "# nuv-survey VERSION shard K/M runs FIRST-END of TOTAL:
// PLAN", the plan as the words a shell reads (plan.typed).
std::string shard_head(const Plan &plan);

// The last line: "# end: N rows, checksum HEX", the checksum (64-bit FNV-1a) of the rows' bytes.
std::string shard_end(const std::string &rows);

// One shard file, as its first line names it.
struct Shard {
  std::string file, version, plan;
  uint64_t first = 0, end = 0, total = 0; // its runs [first, end) of total
  bool whole_csv = false;                 // a whole survey's --csv output, without a head
};

// Reads every file's head and checks them together: one plan and version, and runs that tile
// the plan's, with none missing and none twice. plan_text is --plan's, for a whole survey's CSV.
// On success *shards are in run order and *plan_words the plan's words.
bool check_shards(const std::vector<std::string> &files, const std::string &plan_text,
                  std::vector<Shard> *shards, std::vector<std::string> *plan_words,
                  std::string *error);

// With the plan read from those words: the shards in run order cover every run exactly once.
bool check_tiling(const Plan &plan, std::vector<Shard> *shards, std::string *error);

// Reads the runs of each shard in turn and hands them on in blocks, in run order, each run
// checked against the plan (its coefficients and seed) and each file against its end line.
// With hand null it only checks. False with *error naming the file, its line and the runs.
using RunHand = std::function<bool(uint64_t first, const RunResult *runs, uint64_t count)>;
bool read_shards(const Plan &plan, const std::vector<Shard> &shards, const RunHand *hand,
                 std::string *error);

#endif
