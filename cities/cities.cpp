// Reading cities into the model: random ones, or a file's, whose text read_city_text reads.
// Start at load_cities.
#include "cities.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "args.h"
#include "network.h"
#include "optimum.h"
#include "published.h"
#include "random.h"
#include "read.h"
#include "text.h"
#include "tour_file.h"

namespace {

// The folders of the shipped instances: the installed one, then the source's (a build tree's).
const char *const SHIPPED_FOLDERS[] = {NUV_TSPLIB_INSTALLED, NUV_TSPLIB_SOURCE};

// The whole of a regular file of at most CITY_TEXT_MAX bytes, or false with *why. Opened
// without waiting, so that a FIFO with no writer is refused rather than waited for.
bool read_file(const std::string &path, std::string *text, std::string *why) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return *why = strerror(errno), false;
  struct stat st;
  bool ok = fstat(fd, &st) == 0;
  if (!ok)
    *why = strerror(errno);
  else if (!S_ISREG(st.st_mode))
    ok = false, *why = "not a regular file";
  else if (st.st_size > CITY_TEXT_MAX)
    ok = false, *why = "larger than " + std::to_string(CITY_TEXT_MAX >> 20) + " MB";
  text->clear();
  char buffer[65536];
  while (ok) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false, *why = strerror(errno);
    if (got <= 0) break;
    text->append(buffer, size_t(got));
    if (text->size() > CITY_TEXT_MAX) // grown since fstat
      ok = false, *why = "larger than " + std::to_string(CITY_TEXT_MAX >> 20) + " MB";
  }
  close(fd);
  return ok;
}

// A reason of read_city_text's, the file's own text in it escaped.
std::string reason(const CityError &e) {
  std::string s;
  int at = 0;
  for (int k = 0; k < e.pieces; k++) {
    s.append(e.why + at, size_t(e.piece[k][0] - at));
    s += escaped(std::string(e.why + e.piece[k][0], size_t(e.piece[k][1] - e.piece[k][0])));
    at = e.piece[k][1];
  }
  return s + (e.why + at);
}

// A file's whole text, read as read_file reads it, or false.
bool read_text(const std::string &path, std::string *text) {
  std::string why;
  return read_file(path, text, &why);
}

// The shipped instance's file NAME.tsp in the first folder that has it, or "".
std::string shipped_file(const std::string &name, const char *ending) {
  for (const char *folder : SHIPPED_FOLDERS) {
    const std::string path = std::string(folder) + "/" + name + ending;
    std::error_code failed;
    if (std::filesystem::is_regular_file(path, failed)) return path;
  }
  return "";
}

// The names of the shipped instances a network can run, smallest first (by DIMENSION), from the
// first folder that has any: "burma14, ulysses16, ...", or "" when none is there.
std::string shipped_names() {
  for (const char *folder : SHIPPED_FOLDERS) {
    std::vector<std::pair<long, std::string>> found;
    std::error_code failed;
    for (const auto &entry : std::filesystem::directory_iterator(folder, failed)) {
      const std::string file = entry.path().filename().string();
      if (file.size() <= 4 || file.compare(file.size() - 4, 4, ".tsp") != 0) continue;
      std::string text;
      read_text(entry.path().string(), &text);
      const size_t at = text.find("DIMENSION");
      const size_t digits = text.find_first_of("0123456789", at == std::string::npos ? 0 : at);
      const long n = at == std::string::npos || digits == std::string::npos
                         ? 0
                         : strtol(text.c_str() + digits, nullptr, 10);
      if (n <= MAXCITY) found.push_back({n, file.substr(0, file.size() - 4)});
    }
    std::sort(found.begin(), found.end());
    std::string names;
    for (const auto &f : found) names += (names.empty() ? "" : ", ") + f.second;
    if (!names.empty()) return names;
  }
  return "";
}

bool fail(const std::string &where, int line, const std::string &why, std::string *error) {
  *error = line > 0 ? where + ":" + std::to_string(line) + ": " + why : where + ": " + why;
  return false;
}

// random:N:S, read; the cities themselves are random_cities'.
bool read_random(const std::string &named, uint64_t *n, uint64_t *seed, std::string *error) {
  const size_t colon = named.find(':', 7);
  if (colon == std::string::npos || !read_whole(named.substr(7, colon - 7), 1000000, n) ||
      !read_whole(named.substr(colon + 1), 4294967295u, seed))
    return fail(quoted(named), 0, "random cities are random:N:S, whole numbers", error);
  if (*n < MINCITY || *n > MAXCITY)
    return fail(quoted(named), 0,
                std::to_string(*n) + " cities: a network has " + std::to_string(MINCITY) + " to " +
                    std::to_string(MAXCITY),
                error);
  return true;
}

// What reading cities changes in the model, kept to put back when their tour file is refused.
struct Model {
  Network network;
  bool known;
  std::vector<double> xy, distance;
};
Model saved_model() {
  return {network, cityxy_known, std::vector<double>(&cityxy[0][0], &cityxy[0][0] + 2 * MAXCITY),
          std::vector<double>(&citydistance[0][0], &citydistance[0][0] + MAXCITY * MAXCITY)};
}
void restore_model(const Model &m) {
  network = m.network, cityxy_known = m.known;
  std::copy(m.xy.begin(), m.xy.end(), &cityxy[0][0]);
  std::copy(m.distance.begin(), m.distance.end(), &citydistance[0][0]);
}

// The file `named` means: itself when it exists or has a folder in it, else the shipped
// instance of that name (NAME or NAME.tsp). False with *error when it is neither.
bool find_city_file(const std::string &named, std::string *path, std::string *error) {
  std::error_code failed;
  *path = named;
  if (std::filesystem::exists(named, failed) || named.find('/') != std::string::npos ||
      named.empty())
    return true;
  const bool ends_tsp = named.size() > 4 && named.compare(named.size() - 4, 4, ".tsp") == 0;
  const std::string found =
      shipped_file(ends_tsp ? named.substr(0, named.size() - 4) : named, ".tsp");
  if (!found.empty()) {
    *path = found;
    return true;
  }
  const std::string names = shipped_names();
  if (names.empty()) return true; // opening it says why
  return fail(quoted(named), 0, "no such file, nor a shipped instance (" + names + ")", error);
}

// The optimal tour of the cities just read from path (text), beyond EXACT_CITIES, into *tour
// with *found: a TSPLIB tour file NAME.opt.tour beside NAME.tsp, or the shipped instance's when
// the file is a shipped instance's text. False with *error when a tour file is there but refused.
bool read_optimal_tour(const std::string &path, const std::string &text, Tour *tour, bool *found,
                       std::string *error) {
  *found = false;
  if (network.n <= EXACT_CITIES || path.size() <= 4) return true;
  const size_t dot = path.size() - 4;
  if (path.compare(dot, 4, ".tsp") != 0) return true;
  std::string tour_path = path.substr(0, dot) + ".opt.tour", tour_text;
  if (!read_text(tour_path, &tour_text)) {
    const size_t slash = path.rfind('/');
    const std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1,
                                         dot - (slash == std::string::npos ? 0 : slash + 1));
    std::string shipped;
    tour_path = shipped_file(stem, ".opt.tour");
    if (tour_path.empty() || !read_text(shipped_file(stem, ".tsp"), &shipped) || shipped != text ||
        !read_text(tour_path, &tour_text))
      return true;
  }
  CityError why;
  if (!read_tour_text(tour_text.data(), tour_text.size(), network.n, tour->city, &why))
    return fail(::quoted(tour_path), why.line, reason(why), error);
  *found = true;
  return true;
}

} // namespace

// The C library's reading of a word read_city_text has checked to be a decimal number (at most
// 64 characters, so that it fits the buffer; a longer one would be NaN, which is refused).
double strtod_number(const char *word, size_t length) {
  char text[65];
  if (length >= sizeof text) return NAN;
  memcpy(text, word, length);
  text[length] = '\0';
  return strtod(text, nullptr);
}

bool load_cities(const std::string &named, std::string *name, std::string *error) {
  if (named.rfind("random:", 0) == 0) {
    uint64_t n, seed;
    if (!read_random(named, &n, &seed, error)) return false;
    random_cities(int(n), unsigned(seed));
    forget_optimal_tour();
    *name = named;
    return true;
  }
  std::string path, text, unread;
  if (!find_city_file(named, &path, error)) return false;
  if (!read_file(path, &text, &unread)) return fail(quoted(named), 0, unread, error);
  const Model before = saved_model();
  CityName read_name;
  Metric metric;
  CityError why;
  if (!read_city_text(text.data(), text.size(), strtod_number, &read_name, &metric, &why))
    return fail(quoted(named), why.line, reason(why), error);
  Tour tour;
  bool found;
  if (!read_optimal_tour(path, text, &tour, &found, error)) {
    restore_model(before);
    return false;
  }
  forget_optimal_tour();
  if (found) give_optimal_tour(tour);
  give_published_optimum(published_optimum());
  *name = escaped(read_name.s[0] ? read_name.s : named.substr(named.rfind('/') + 1));
  return true;
}
