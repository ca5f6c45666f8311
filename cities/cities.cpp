// Reading cities into the model: random ones, or a file's, whose text read_city_text reads.
// Start at load_cities.
#include "cities.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "args.h"
#include "network.h"
#include "random.h"
#include "read.h"
#include "text.h"

namespace {

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

} // namespace

bool word_number(const char *word, size_t length, double *value) {
  // A NUL inside is no number, though strtod would stop there.
  return memchr(word, '\0', length) == nullptr && read_number(std::string(word, length), value);
}

bool load_cities(const std::string &named, std::string *name, std::string *error) {
  if (named.rfind("random:", 0) == 0) {
    uint64_t n, seed;
    if (!read_random(named, &n, &seed, error)) return false;
    random_cities(int(n), unsigned(seed));
    *name = named;
    return true;
  }
  std::string text, unread;
  if (!read_file(named, &text, &unread)) return fail(quoted(named), 0, unread, error);
  CityName read_name;
  CityKind kind;
  CityError why;
  if (!read_city_text(text.data(), text.size(), &read_name, &kind, &why))
    return fail(quoted(named), why.line, reason(why), error);
  *name = escaped(read_name.s[0] ? read_name.s : named.substr(named.rfind('/') + 1));
  return true;
}
