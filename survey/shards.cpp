// Shard files: their head and end lines, the instance's digest, and the checks of a merge, whose
// last reads every row again and hands the runs on to a RunSink. Start at check_shards.
#include "shards.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "args.h"
#include "network.h"
#include "rows.h"
#include "tool_rows.h"

namespace {

const char HEAD[] = "# nuv-survey ";
const char END[] = "# end: ";
const size_t MAX_LINE = 65536; // longer than any line a survey writes

// 64-bit FNV-1a, continued from hash over size bytes.
const uint64_t FNV_START = 14695981039346656037u;
uint64_t fnv1a(uint64_t hash, const void *data, size_t size) {
  const unsigned char *byte = static_cast<const unsigned char *>(data);
  for (size_t k = 0; k < size; k++) hash = (hash ^ byte[k]) * 1099511628211u;
  return hash;
}
uint64_t fnv1a(uint64_t hash, const std::string &text) {
  return fnv1a(hash, text.data(), text.size());
}

// FNV-1a continued over a line and its newline.
uint64_t fnv1a_line(uint64_t hash, const std::string &line) {
  return (fnv1a(hash, line) ^ '\n') * 1099511628211u;
}

// FNV-1a continued over the `bytes` low bytes of value, least significant first.
uint64_t fnv1a_le(uint64_t hash, uint64_t value, int bytes) {
  for (int b = 0; b < bytes; b++) hash = (hash ^ ((value >> (8 * b)) & 0xff)) * 1099511628211u;
  return hash;
}

std::string end_line(uint64_t rows, uint64_t hash) {
  char text[96];
  snprintf(text, sizeof text, "%s%llu rows, checksum %016llx", END, (unsigned long long)rows,
           (unsigned long long)hash);
  return text;
}

// The head line from its parts; FIRST-LAST inclusive, or "none".
std::string head_line(const std::string &version, uint64_t k, uint64_t m, uint64_t first,
                      uint64_t end, uint64_t total, uint64_t instance, const std::string &plan) {
  char digest[20];
  snprintf(digest, sizeof digest, "%016llx", (unsigned long long)instance);
  const std::string runs =
      first < end ? std::to_string(first) + "-" + std::to_string(end - 1) : std::string("none");
  return HEAD + version + " shard " + std::to_string(k) + "/" + std::to_string(m) + " runs " +
         runs + " of " + std::to_string(total) + ", instance " + digest + ": " + plan;
}

bool fail(const std::string &why, std::string *error) {
  *error = why;
  return false;
}

// Reads "# nuv-survey VERSION shard K/M runs FIRST-LAST of TOTAL, instance DIGEST: PLAN" into
// *s: only a line that head_line writes back byte for byte. An empty shard has first = end = 0.
bool parse_head(const std::string &line, Shard *s) {
  const size_t shard = line.find(" shard ", sizeof HEAD - 1), colon = line.find(": ");
  if (line.rfind(HEAD, 0) != 0 || shard == std::string::npos || colon == std::string::npos ||
      colon < shard)
    return false;
  const std::string version = line.substr(sizeof HEAD - 1, shard - (sizeof HEAD - 1));
  const std::string runs = line.substr(shard, colon - shard);
  unsigned long long k, m, first = 0, last = 0, total;
  char digest[17] = "";
  bool empty = false;
  if (sscanf(runs.c_str(), " shard %llu/%llu runs %llu-%llu of %llu, instance %16[0-9a-f]", &k, &m,
             &first, &last, &total, digest) != 6) {
    empty = true;
    if (sscanf(runs.c_str(), " shard %llu/%llu runs none of %llu, instance %16[0-9a-f]", &k, &m,
               &total, digest) != 4)
      return false;
  }
  if (!empty && (first > last || last >= total)) return false;
  s->k = k, s->m = m, s->total = total;
  s->first = empty ? 0 : first, s->end = empty ? 0 : last + 1;
  s->instance = strtoull(digest, nullptr, 16);
  s->plan = line.substr(colon + 2);
  return line == head_line(version, k, m, s->first, s->end, total, s->instance, s->plan);
}

// The version a line that begins as a shard's head names, or "".
std::string version_of(const std::string &line) {
  const size_t shard = line.find(" shard ", sizeof HEAD - 1);
  if (line.rfind(HEAD, 0) != 0 || shard == std::string::npos) return "";
  return line.substr(sizeof HEAD - 1, shard - (sizeof HEAD - 1));
}

// Opens a file for reading as a merge reads one: a regular file only (never a FIFO, which
// would block, nor a device, which may never end). Null with *error naming the file and why.
FILE *open_regular(const std::string &file, std::string *error) {
  const int fd = open(file.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    fail(quoted(file) + ": " + strerror(errno), error);
    return nullptr;
  }
  struct stat st;
  const bool stated = fstat(fd, &st) == 0;
  const int why = errno;
  FILE *in = stated && S_ISREG(st.st_mode) ? fdopen(fd, "r") : nullptr;
  if (!in) {
    fail(quoted(file) + ": " +
             (stated && !S_ISREG(st.st_mode) ? "not a regular file"
                                             : strerror(stated ? errno : why)),
         error);
    close(fd);
  }
  return in;
}

// One open file read line by line, counting its lines for messages.
struct LineReader {
  FILE *in;
  std::string file;
  uint64_t number = 0;

  std::string where() const { return quoted(file) + ":" + std::to_string(number); }
};

// The next line without its newline: true with *line; false at the end of the file with *error
// empty, or with *error on a read error, a line longer than MAX_LINE or a last line without its
// newline (a file cut short).
bool next_line(LineReader *r, std::string *line, std::string *error) {
  error->clear();
  line->clear();
  int c;
  while ((c = getc_unlocked(r->in)) != EOF && c != '\n') {
    if (line->size() == MAX_LINE)
      return fail(quoted(r->file) + ":" + std::to_string(r->number + 1) +
                      ": a line longer than any a survey writes",
                  error);
    line->push_back(char(c));
  }
  if (c == EOF && ferror(r->in)) return fail(quoted(r->file) + ": " + strerror(errno), error);
  if (c == EOF && line->empty()) return false;
  r->number++;
  if (c == EOF) return fail(r->where() + ": cut short: its last line has no newline", error);
  return true;
}

// The next line, which must be there: false with *error at the end of the file too.
bool need_line(LineReader *r, std::string *line, std::string *error) {
  if (next_line(r, line, error)) return true;
  if (error->empty())
    *error = quoted(r->file) + " is cut short after line " + std::to_string(r->number);
  return false;
}

// Checks one file whole as it is read once: its head (or a whole survey's CSV header, with no
// head), and for a shard its end line, the count of its rows and their checksum, and nothing
// after it. Fills *s.
bool check_file(const std::string &file, Shard *s, std::string *error) {
  FILE *in = open_regular(file, error);
  if (!in) return false;
  LineReader r{in, file};
  std::string line;
  bool ok = next_line(&r, &line, error);
  if (!ok && error->empty()) *error = quoted(file) + ": empty";
  s->file = file, s->head = line;
  if (ok && (line.rfind("Acoef,", 0) == 0 || line.rfind("method,Acoef,", 0) == 0)) {
    s->whole_csv = true;
  } else if (ok && !version_of(line).empty() && version_of(line) != NUV_VERSION) {
    ok = fail(quoted(file) + ": made by nuv-survey " + escaped(version_of(line)) +
                  ", not " NUV_VERSION,
              error);
  } else if (ok && !parse_head(line, s)) {
    ok = fail(quoted(file) + ": neither a shard (its first line is not a shard's head) nor a "
                             "survey's CSV",
              error);
  } else if (ok) {
    // Every line up to the end line, hashed; the rows are the lines after the CSV header.
    uint64_t hash = fnv1a_line(FNV_START, line), lines = 0;
    while ((ok = next_line(&r, &line, error)) && line.rfind(END, 0) != 0)
      hash = fnv1a_line(hash, line), lines++;
    if (!ok && error->empty())
      ok = fail(quoted(file) + " is cut short: it has no end line", error);
    else if (ok && (lines == 0 || line != end_line(lines - 1, hash)))
      ok = fail(quoted(file) + " is altered or cut short: its end line (line " +
                    std::to_string(r.number) + ") does not match the lines before it",
                error);
    else if (ok && lines - 1 != s->end - s->first)
      ok = fail(quoted(file) + ": its head names " + std::to_string(s->end - s->first) +
                    " runs, it holds " + std::to_string(lines - 1),
                error);
    if (ok && next_line(&r, &line, error)) ok = fail(r.where() + ": a line after its end", error);
    ok = ok && error->empty();
  }
  fclose(in);
  return ok;
}

// A CSV row's first `count` fields, the last of them holding the rest of the row (the network's
// field, which may hold commas); fewer when the row has fewer.
std::vector<std::string> fields_of_row(const std::string &row, size_t count) {
  std::vector<std::string> f;
  f.reserve(count);
  for (size_t at = 0;; at++) {
    const size_t comma = f.size() + 1 == count ? std::string::npos : row.find(',', at);
    f.push_back(row.substr(at, comma - at));
    if (comma == std::string::npos) return f;
    at = comma;
  }
}

// A run back from its CSV row's fields; false when they are no run's (a flag not 0 or 1, an
// energy not finite, a tour not every city once). The caller writes the run again to compare.
bool parse_row(const std::vector<std::string> &f, const Columns &columns, RunResult *r) {
  // The seed's field, then text/tool_rows.h's columns; with --methods the method's first.
  const size_t at = (columns.c ? 4 : 3) + columns.methods;
  if (f.size() != at + (columns.motion ? CSV_COLUMNS : CSV_MOTION)) return false;
  memset(r, 0, sizeof *r);
  const std::string &valid = f[at + CSV_VALID], &tour = f[at + CSV_TOUR],
                    &energy = f[at + CSV_ENERGY], &outcome = f[at + CSV_OUTCOME],
                    &settled = f[at + CSV_SETTLED];
  char *end;
  r->energy = strtod(energy.c_str(), &end);
  if (energy.empty() || *end || !std::isfinite(r->energy)) return false;
  int o = 0;
  while (o < 4 && outcome != outcome_name(Outcome(o))) o++;
  if (o == 4 || (valid != "0" && valid != "1") || (valid == "1") != (o == OUTCOME_TOUR) ||
      (settled != "0" && settled != "1"))
    return false;
  r->outcome = Outcome(o);
  r->settled = settled == "1";
  r->motion = r->settled ? MOTION_SETTLED : MOTION_MOVING;
  if (columns.motion) {
    int m = 0;
    while (m < 3 && f[at + CSV_MOTION] != motion_name(Motion(m))) m++;
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
    if (j >= network.n || !read_whole(tour.substr(p, dash - p), uint64_t(network.n), &city) ||
        city < 1 || seen[city - 1])
      return false;
    seen[city - 1] = true;
    r->tour.city[j] = int(city) - 1;
    p = dash + 1;
  }
  if (j != network.n) return false;
  r->length = tour_length(r->tour);
  r->rank = tour_rank(r->length);
  return true;
}

// The CSV header the plan's rows have, without its newline.
std::string csv_head(const Plan &plan) {
  char *text = nullptr;
  size_t size = 0;
  FILE *memory = open_memstream(&text, &size);
  print_csv_head(memory, columns_of(plan));
  fclose(memory);
  std::string head(text, size);
  free(text);
  if (!head.empty()) head.pop_back();
  return head;
}

} // namespace

uint64_t instance_digest() {
  uint64_t hash = fnv1a_le(FNV_START, uint64_t(uint32_t(network.n)), 4);
  for (int i = 0; i < network.n; i++)
    for (int k = 0; k < network.n; k++) {
      uint64_t bits;
      memcpy(&bits, &citydistance[i][k], sizeof bits);
      hash = fnv1a_le(hash, bits, 8);
    }
  return hash;
}

std::string shard_file(const Plan &plan, const std::string &csv) {
  const std::string text = head_line(NUV_VERSION, plan.shard, plan.shards, plan.first_run,
                                     plan.end_run, run_count(plan), instance_digest(), plan.typed) +
                           "\n" + csv;
  const uint64_t rows = uint64_t(std::count(csv.begin(), csv.end(), '\n')) - 1; // the header
  return text + end_line(rows, fnv1a(FNV_START, text)) + "\n";
}

bool check_shards(const std::vector<std::string> &files, const std::string &plan_text,
                  std::vector<Shard> *shards, std::string *error) {
  shards->clear();
  for (const std::string &file : files) {
    Shard s;
    if (!check_file(file, &s, error)) return false;
    if (s.whole_csv && plan_text.empty())
      return fail(quoted(file) + ": a whole survey's CSV names no plan: give it with --plan",
                  error);
    if (s.whole_csv) s.plan = plan_text;
    const Shard &one = shards->empty() ? s : shards->front();
    if (s.plan != one.plan)
      return fail(quoted(file) + " is a shard of another plan than " + quoted(one.file) + "'s (" +
                      escaped(s.plan) + ", not " + escaped(one.plan) + ")",
                  error);
    shards->push_back(s);
  }
  const Shard *ran = nullptr; // the first shard with a head
  for (const Shard &s : *shards) {
    if (!s.whole_csv && ran && s.instance != ran->instance)
      return fail(quoted(s.file) + " ran on other cities than " + quoted(ran->file), error);
    if (!s.whole_csv && !ran) ran = &s;
  }
  const Shard &first = shards->front();
  if (!plan_text.empty() && plan_text != first.plan)
    return fail("the shards' plan is " + quoted(first.plan) + ", not --plan's", error);
  return true;
}

bool check_cities_file(const Plan &plan, std::string *error) {
  const std::string &cities = plan.network.cities;
  if (cities.empty() || cities.rfind("random:", 0) == 0) return true;
  FILE *in = open_regular(cities, error);
  if (in) fclose(in);
  return in != nullptr;
}

bool check_instance(const Plan &plan, const std::vector<Shard> &shards, std::string *error) {
  const uint64_t digest = instance_digest();
  for (const Shard &s : shards)
    if (!s.whole_csv && s.instance != digest)
      return fail("the cities in " +
                      (plan.network.cities.empty() ? std::string("nuv's nine")
                                                   : quoted(plan.network.cities)) +
                      " are not those the shards ran on (" + quoted(s.file) + ")",
                  error);
  return true;
}

bool check_tiling(const Plan &plan, std::vector<Shard> *shards, std::string *error) {
  __extension__ typedef unsigned __int128 wide;
  const uint64_t total = run_count(plan);
  for (Shard &s : *shards) {
    if (s.whole_csv) {
      s.first = 0, s.end = total;
      continue;
    }
    if (s.total != total)
      return fail(quoted(s.file) + " counts " + std::to_string(s.total) + " runs, the plan " +
                      std::to_string(total),
                  error);
    // Shard K of M holds runs floor(K R / M) to floor((K + 1) R / M) - 1.
    const uint64_t first = s.k < s.m ? uint64_t(wide(total) * s.k / s.m) : 0,
                   end = s.k < s.m ? uint64_t(wide(total) * (s.k + 1) / s.m) : 0;
    if (s.k >= s.m || s.end - s.first != end - first || (s.first != first && s.first < s.end))
      return fail(quoted(s.file) + ": its runs are not those of shard " + std::to_string(s.k) +
                      "/" + std::to_string(s.m),
                  error);
    s.first = first, s.end = end;
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

bool read_shards(const Plan &plan, const std::vector<Shard> &shards, const Optimum &optimum,
                 const RunSink *sink, std::string *error) {
  error->clear();
  const std::string head = csv_head(plan);
  const Columns columns = columns_of(plan);
  const size_t count =
      (columns.c ? 4 : 3) + columns.methods + (columns.motion ? CSV_COLUMNS : CSV_MOTION);
  std::vector<RunResult> block;
  uint64_t set = UINT64_MAX;
  std::string coefficients;   // the current coefficient set's fields
  Method method = METHOD_NUV; // and its method
  for (const Shard &s : shards) {
    FILE *in = open_regular(s.file, error);
    if (!in) return false;
    LineReader r{in, s.file};
    std::string line;
    bool ok = true;
    uint64_t hash = FNV_START;
    // The head, as first read; the CSV header; the rows, each the survey's own row of its run.
    if (!s.whole_csv && (ok = need_line(&r, &line, error)) && line != s.head)
      ok = fail(quoted(s.file) + " changed while the merge read it", error);
    hash = fnv1a_line(hash, line);
    if (ok && (ok = need_line(&r, &line, error)) && line != head)
      ok = fail(r.where() + ": not the plan's CSV header", error);
    hash = fnv1a_line(hash, line);
    for (uint64_t run = s.first; ok && run < s.end; run++) {
      if (!(ok = need_line(&r, &line, error))) break;
      hash = fnv1a_line(hash, line);
      if (run_set(plan, run) != set) {
        const Network point = grid_point(plan, set = run_set(plan, run));
        coefficients = csv_coefficients(point, columns), method = point.method;
      }
      RunResult result;
      const bool parsed = parse_row(fields_of_row(line, count), columns, &result);
      const std::string again =
          parsed ? csv_run(coefficients, run_seed(plan, run), result, optimum, columns, method)
                 : "";
      if (!parsed || again.size() != line.size() + 1 || again.compare(0, line.size(), line) != 0) {
        ok = fail(r.where() + ": not run " + std::to_string(run) +
                      " of the plan as a survey writes it",
                  error);
        break;
      }
      if (!sink) continue;
      block.push_back(result);
      if (block.size() == 256 || run + 1 == s.end) {
        ok = (*sink)(run + 1 - block.size(), block.data(), block.size());
        block.clear();
      }
    }
    if (ok && !s.whole_csv && (ok = need_line(&r, &line, error)) &&
        line != end_line(s.end - s.first, hash))
      ok = fail(quoted(s.file) + " is altered or cut short: its end line does not match its " +
                    std::to_string(s.end - s.first) + " rows",
                error);
    if (ok && next_line(&r, &line, error)) ok = fail(r.where() + ": a line after its end", error);
    ok = ok && error->empty();
    fclose(in);
    if (!ok) return false;
  }
  return true;
}
