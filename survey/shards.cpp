// Shard files: their head and end lines, and the checks of a merge. Start at check_shards.
#include "shards.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "args.h"
#include "tally.h"

namespace {

const char HEAD[] = "# nuv-survey ";

// 64-bit FNV-1a, continued from hash over text.
uint64_t fnv1a(uint64_t hash, const std::string &text) {
  for (unsigned char c : text) hash = (hash ^ c) * 1099511628211u;
  return hash;
}
const uint64_t FNV_START = 14695981039346656037u;

std::string end_line(uint64_t rows, uint64_t hash) {
  char text[96];
  snprintf(text, sizeof text, "# end: %llu rows, checksum %016llx", (unsigned long long)rows,
           (unsigned long long)hash);
  return text;
}

bool fail(const std::string &why, std::string *error) {
  *error = why;
  return false;
}

// Reads "# nuv-survey VERSION shard K/M runs FIRST-END of TOTAL: PLAN".
bool parse_head(const std::string &line, Shard *s) {
  if (line.rfind(HEAD, 0) != 0) return false;
  const size_t shard = line.find(" shard ", sizeof HEAD - 1), colon = line.find(": ");
  if (shard == std::string::npos || colon == std::string::npos) return false;
  s->version = line.substr(sizeof HEAD - 1, shard - (sizeof HEAD - 1));
  unsigned long long k, m, first, end, total;
  int used = 0;
  if (sscanf(line.c_str() + shard, " shard %llu/%llu runs %llu-%llu of %llu:%n", &k, &m, &first,
             &end, &total, &used) != 5 ||
      shard + size_t(used) != colon + 1 || first > end || end > total)
    return false;
  s->first = first, s->end = end, s->total = total;
  s->plan = line.substr(colon + 2);
  return true;
}

// The CSV header the plan's rows have.
std::string csv_head(const Plan &plan) {
  char *text = nullptr;
  size_t size = 0;
  FILE *saved = rows_out;
  rows_out = open_memstream(&text, &size);
  print_csv_head(columns_of(plan));
  fclose(rows_out);
  rows_out = saved;
  std::string head(text, size);
  free(text);
  if (!head.empty()) head.pop_back();
  return head;
}

// A CSV row's fields; a trailing comma gives a last, empty field.
std::vector<std::string> fields_of_row(const std::string &row) {
  std::vector<std::string> f;
  for (size_t at = 0;; at++) {
    const size_t comma = row.find(',', at);
    f.push_back(row.substr(at, comma - at));
    if (comma == std::string::npos) return f;
    at = comma;
  }
}

// A run back from its CSV row; false when the row is not one.
bool parse_row(const std::vector<std::string> &f, bool c_column, bool motion_column, RunResult *r) {
  const size_t at = c_column ? 4 : 3; // the seed's field
  if (f.size() != at + 9 + (motion_column ? 1 : 0)) return false;
  memset(r, 0, sizeof *r);
  const std::string &valid = f[at + 1], &tour = f[at + 2], &outcome = f[at + 7];
  char *end;
  r->energy = strtod(f[at + 5].c_str(), &end);
  if (*end) return false;
  int o = 0;
  while (o < 4 && outcome != outcome_name(Outcome(o))) o++;
  if (o == 4 || (valid == "1") != (o == OUTCOME_TOUR) || (valid != "0" && valid != "1"))
    return false;
  r->outcome = Outcome(o);
  r->settled = f[at + 8] == "1";
  r->motion = r->settled ? MOTION_SETTLED : MOTION_MOVING;
  if (motion_column) {
    int m = 0;
    while (m < 3 && f[at + 9] != motion_name(Motion(m))) m++;
    if (m == 3 || (m == MOTION_SETTLED) != r->settled) return false;
    r->motion = Motion(m);
  }
  if (!r->valid()) return tour.empty();
  // The tour, every city once.
  bool seen[MAXCITY] = {false};
  int j = 0;
  for (size_t p = 0; p <= tour.size(); j++) {
    const size_t dash = std::min(tour.find('-', p), tour.size());
    uint64_t city;
    if (j >= family.n || !read_whole(tour.substr(p, dash - p), uint64_t(family.n), &city) ||
        city < 1 || seen[city - 1])
      return false;
    seen[city - 1] = true;
    r->tour.city[j] = int(city) - 1;
    p = dash + 1;
  }
  if (j != family.n) return false;
  r->length = tour_length(r->tour);
  r->rank = tour_rank(r->length);
  return true;
}

} // namespace

std::string shard_head(const Plan &plan) {
  return std::string(HEAD) + NUV_VERSION + " shard " + std::to_string(plan.shard) + "/" +
         std::to_string(plan.shards) + " runs " + std::to_string(plan.first_run) + "-" +
         std::to_string(plan.end_run) + " of " + std::to_string(run_count(plan)) + ": " +
         plan.typed;
}

std::string shard_end(const std::string &rows) {
  uint64_t count = uint64_t(std::count(rows.begin(), rows.end(), '\n'));
  return end_line(count, fnv1a(FNV_START, rows));
}

bool check_shards(const std::vector<std::string> &files, const std::string &plan_text,
                  std::vector<Shard> *shards, std::vector<std::string> *plan_words,
                  std::string *error) {
  shards->clear();
  std::string plan;
  for (const std::string &file : files) {
    std::ifstream in(file);
    std::string line;
    if (!in) return fail(quoted(file) + ": " + strerror(errno), error);
    if (!std::getline(in, line)) return fail(quoted(file) + ": empty", error);
    Shard s;
    s.file = file;
    if (!parse_head(line, &s)) {
      if (line.rfind("Acoef,", 0) != 0 && line.rfind("# network: ", 0) != 0)
        return fail(quoted(file) + ": neither a shard nor a survey's CSV", error);
      if (plan_text.empty())
        return fail(quoted(file) + ": a whole survey's CSV names no plan: give it with --plan",
                    error);
      s.whole_csv = true, s.version = NUV_VERSION, s.plan = plan_text;
    } else if (s.version != NUV_VERSION) {
      return fail(quoted(file) + ": made by nuv-survey " + s.version + ", not " NUV_VERSION, error);
    }
    if (plan.empty()) plan = s.plan;
    if (s.plan != plan)
      return fail(quoted(file) + " is a shard of another plan than " + quoted(files[0]) + "'s (" +
                      s.plan + ", not " + plan + ")",
                  error);
    shards->push_back(s);
  }
  if (!plan_text.empty() && plan_text != plan)
    return fail("the shards' plan is " + quoted(plan) + ", not --plan's", error);
  if (!split_shell_line(plan, plan_words)) return fail("the shards' plan cannot be read", error);
  return true;
}

bool check_tiling(const Plan &plan, std::vector<Shard> *shards, std::string *error) {
  const uint64_t total = run_count(plan);
  for (Shard &s : *shards) {
    if (s.whole_csv) s.first = 0, s.end = total;
    if (s.total != total && !s.whole_csv)
      return fail(quoted(s.file) + " counts " + std::to_string(s.total) + " runs, the plan " +
                      std::to_string(total),
                  error);
  }
  std::stable_sort(shards->begin(), shards->end(),
                   [](const Shard &a, const Shard &b) { return a.first < b.first; });
  uint64_t next = 0;
  const Shard *last = nullptr;
  for (const Shard &s : *shards) {
    if (s.first > next)
      return fail("runs " + std::to_string(next) + " to " + std::to_string(s.first - 1) +
                      " of the plan's " + std::to_string(total) + " are in no file",
                  error);
    if (s.first < next && s.first < s.end)
      return fail("run " + std::to_string(s.first) + " is in two files: " + quoted(last->file) +
                      " and " + quoted(s.file),
                  error);
    next = std::max(next, s.end);
    if (s.end > s.first) last = &s;
  }
  if (next < total)
    return fail("runs " + std::to_string(next) + " to " + std::to_string(total - 1) + " of " +
                    std::to_string(total) + " are in no file",
                error);
  return true;
}

bool read_shards(const Plan &plan, const std::vector<Shard> &shards, const RunHand *hand,
                 std::string *error) {
  const std::string head = csv_head(plan);
  const Columns columns = columns_of(plan);
  std::vector<RunResult> block;
  uint64_t triple = UINT64_MAX;
  std::string text[NCOEF]; // the current triple's coefficients as the rows write them
  for (const Shard &s : shards) {
    std::ifstream in(s.file);
    std::string line;
    int number = 0;
    auto where = [&] { return quoted(s.file) + ":" + std::to_string(number); };
    // The head, the network's line of a whole survey's CSV, the CSV header.
    if (!s.whole_csv && std::getline(in, line)) number++;
    while (std::getline(in, line) && ++number && line.rfind("# network: ", 0) == 0) {
    }
    if (line != head) return fail(where() + ": not the plan's CSV header", error);
    uint64_t hash = FNV_START;
    for (uint64_t r = s.first; r < s.end; r++) {
      if (!std::getline(in, line) || line.rfind("#", 0) == 0)
        return fail(quoted(s.file) + " is cut short: it ends after " + std::to_string(r - s.first) +
                        " of its " + std::to_string(s.end - s.first) + " runs",
                    error);
      number++;
      hash = fnv1a(hash, line + "\n");
      const auto f = fields_of_row(line);
      if (run_triple(plan, r) != triple) {
        double value[NCOEF];
        triple = run_triple(plan, r);
        triple_values(plan, triple, value);
        for (int c = 0; c < NCOEF; c++) text[c] = shortest(value[c]);
      }
      RunResult run;
      bool same = f.size() > 4 && f[0] == text[0] && f[1] == text[1] && f[2] == text[2] &&
                  (!columns.c || f[3] == text[3]) &&
                  f[columns.c ? 4 : 3] == std::to_string(run_seed(plan, r));
      if (!same || !parse_row(f, columns.c, columns.motion, &run))
        return fail(where() + ": not run " + std::to_string(r) +
                        " of the plan as a survey writes it",
                    error);
      if (!hand) continue;
      block.push_back(run);
      if (block.size() == 256 || r + 1 == s.end) {
        if (!(*hand)(r + 1 - block.size(), block.data(), block.size())) return false;
        block.clear();
      }
    }
    std::string rest;
    if (!s.whole_csv && (!std::getline(in, line) || line != end_line(s.end - s.first, hash)))
      return fail(quoted(s.file) + " is altered or cut short: its end line does not match its " +
                      std::to_string(s.end - s.first) + " rows",
                  error);
    if (std::getline(in, rest)) return fail(quoted(s.file) + ": lines after its end", error);
  }
  return true;
}
