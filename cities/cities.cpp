// Reading cities into the model: random ones, or a file's, whose text read_city_text reads.
// Start at load_cities.
#include "cities.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "args.h"
#include "network.h"
#include "random.h"
#include "read.h"

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
  std::ifstream in(named, std::ios::binary);
  if (!in) return fail(quoted(named), 0, strerror(errno), error);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return fail(quoted(named), 0, "could not be read", error);
  CityName read_name;
  CityKind kind;
  CityError why;
  if (!read_city_text(text.data(), text.size(), &read_name, &kind, &why))
    return fail(quoted(named), why.line, why.why, error);
  *name = read_name.s[0] ? read_name.s : named.substr(named.rfind('/') + 1);
  return true;
}
