// Surveys in shards: a shard's file names its plan, its runs and the digest of its cities on its
// first line, holds their CSV rows, and ends with their count and a checksum of every byte before
// it; a merge checks that the files it is given hold every run of one plan exactly once, whole
// and unaltered, each row as the survey writes it, then hands the runs on in the plan's order.
// Start at check_shards.
#ifndef NUV_SURVEY_SHARDS_H
#define NUV_SURVEY_SHARDS_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "optimum.h"
#include "plan.h"
#include "runs.h"

// The digest of the loaded cities: 64-bit FNV-1a over N (4 bytes) and the N x N distances
// (citydistance, 8 bytes each, row by row), every number little-endian whatever the machine.
uint64_t instance_digest();

// A shard's whole file from its CSV (header and rows): "# nuv-survey VERSION shard K/M runs
// FIRST-LAST of TOTAL, instance DIGEST: PLAN" ("runs none of TOTAL" when it has none; the plan
// as the words a shell reads, plan.typed), the CSV, and "# end: N rows, checksum HEX", the
// FNV-1a checksum of every byte before that line.
std::string shard_file(const Plan &plan, const std::string &csv);

// One file of a merge, as its first line names it.
struct Shard {
  std::string file, head, plan;           // head: its first line, as first read
  uint64_t k = 0, m = 0;                  // shard K of M
  uint64_t first = 0, end = 0, total = 0; // its runs [first, end) of total
  uint64_t instance = 0;                  // its cities' digest
  bool whole_csv = false;                 // a whole survey's --csv output, without a head
};

// Reads every file once (a regular file, or refused) and checks each whole: its head, its end
// line's count and checksum; then them together: one plan, one version and one instance.
// plan_text is --plan's, for a whole survey's CSV: the first shard's plan is then it, to be read
// by read_plan_text as a shard's head is.
bool check_shards(const std::vector<std::string> &files, const std::string &plan_text,
                  std::vector<Shard> *shards, std::string *error);

// Before the plan's cities are loaded: a file they name is a regular file (a merge never reads
// a folder, a FIFO or a device that a shard's head names).
bool check_cities_file(const Plan &plan, std::string *error);

// With the plan's cities loaded: they are those the shards ran on (their digest).
bool check_instance(const Plan &plan, const std::vector<Shard> &shards, std::string *error);

// With the plan read from those words: each shard's runs are its K/M's, and the shards in run
// order cover every run exactly once.
bool check_tiling(const Plan &plan, std::vector<Shard> *shards, std::string *error);

// Reads the runs of each shard in turn and hands them on in blocks, in run order, each row
// checked to be the plan's run (its coefficients and seed) as the survey's own writer writes it,
// and each file against its end line. With sink null it only checks. False with *error naming
// the file, its line and the runs; false with *error empty when the sink stopped it.
bool read_shards(const Plan &plan, const std::vector<Shard> &shards, const Optimum &optimum,
                 const RunSink *sink, std::string *error);

#endif
