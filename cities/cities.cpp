// Reading cities into the model. Start at load_cities; read_tsplib reads TSPLIB's keywords and
// sections, read_plain the x y lines. Nothing reaches the model until the whole file is read.
#include "cities.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "args.h"
#include "network.h"
#include "random.h"
#include "tsplib.h"

namespace {

// Cities read, before they reach the model.
struct Read {
  int n = 0;
  bool matrix = false, coordinates = false;
  std::vector<double> x, y; // coordinates, when there are any
  std::vector<double> d;    // n x n distances, when given as a matrix
  bool function = false;    // distances by TSPLIB's function of the metric
  Metric metric = METRIC_EUC_2D;
  std::string name;
};

bool fail(const std::string &where, int line, const std::string &why, std::string *error) {
  *error = line > 0 ? where + ":" + std::to_string(line) + ": " + why : where + ": " + why;
  return false;
}

// A finite number, the whole of text.
bool number(const std::string &text, double *value) {
  return read_number(text, value);
}

} // namespace

namespace {

// The words of a line.
std::vector<std::string> words_of(const std::string &line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

bool size_ok(int n, const std::string &where, int line, std::string *error) {
  if (n >= MINCITY && n <= MAXCITY) return true;
  return fail(where, line,
              std::to_string(n) + " cities: a network has " + std::to_string(MINCITY) + " to " +
                  std::to_string(MAXCITY),
              error);
}

// Node lines "i x y" for nodes 1 ... n, each once, into x and y.
bool read_nodes(std::istream &in, int *line, int n, const std::string &where,
                std::vector<double> *x, std::vector<double> *y, std::string *error) {
  x->assign(size_t(n), 0), y->assign(size_t(n), 0);
  std::vector<bool> seen(size_t(n), false);
  for (int k = 0; k < n; k++) {
    std::string text;
    if (!std::getline(in, text))
      return fail(where, *line,
                  "the section ends after " + std::to_string(k) + " of " + std::to_string(n) +
                      " nodes",
                  error);
    ++*line;
    auto w = words_of(text);
    double id, vx, vy;
    if (w.size() != 3 || !number(w[0], &id) || !number(w[1], &vx) || !number(w[2], &vy))
      return fail(where, *line, "a node is 'number x y', with finite numbers", error);
    if (id != std::floor(id) || id < 1 || id > n)
      return fail(where, *line, "node " + w[0] + " is not one of 1 ... " + std::to_string(n),
                  error);
    if (seen[size_t(id) - 1]) return fail(where, *line, "node " + w[0] + " comes twice", error);
    seen[size_t(id) - 1] = true;
    (*x)[size_t(id) - 1] = vx, (*y)[size_t(id) - 1] = vy;
  }
  return true;
}

// A TSPLIB file: the keywords, then the sections they call for.
bool read_tsplib(std::istream &in, const std::string &where, Read *r, std::string *error) {
  std::string type, weight_type, format, text;
  int line = 0, dimension = -1;
  bool nodes = false, weights = false, display = false;
  std::vector<double> wx, wy, numbers;
  while (std::getline(in, text)) {
    line++;
    auto w = words_of(text);
    if (w.empty()) continue;
    const std::string key = w[0].substr(0, w[0].find(':'));
    const size_t colon = text.find(':');
    std::string value = colon == std::string::npos ? "" : text.substr(colon + 1);
    auto vw = words_of(value);
    value = vw.empty() ? "" : vw[0];
    if (key == "EOF") break;
    if (key == "NAME") {
      r->name = value;
    } else if (key == "TYPE") {
      type = value;
      if (type != "TSP")
        return fail(where, line, "TYPE " + type + " is not supported: only TSP", error);
    } else if (key == "DIMENSION") {
      double v;
      if (!number(value, &v) || v != std::floor(v))
        return fail(where, line, "DIMENSION is not a whole number", error);
      if (!size_ok(int(std::fmin(v, 1e6)), where, line, error)) return false;
      dimension = int(v);
    } else if (key == "EDGE_WEIGHT_TYPE") {
      weight_type = value;
      if (value != "EUC_2D" && value != "ATT" && value != "GEO" && value != "EXPLICIT")
        return fail(where, line,
                    "EDGE_WEIGHT_TYPE " + value + " is not supported: EUC_2D, ATT, GEO or EXPLICIT",
                    error);
    } else if (key == "EDGE_WEIGHT_FORMAT") {
      format = value;
      if (value != "FUNCTION" && value != "FULL_MATRIX" && value != "UPPER_ROW" &&
          value != "LOWER_DIAG_ROW" && value != "UPPER_DIAG_ROW")
        return fail(where, line,
                    "EDGE_WEIGHT_FORMAT " + value +
                        " is not supported: FULL_MATRIX, UPPER_ROW, LOWER_DIAG_ROW or "
                        "UPPER_DIAG_ROW",
                    error);
    } else if (key == "NODE_COORD_SECTION" || key == "DISPLAY_DATA_SECTION") {
      if (dimension < 0) return fail(where, line, "DIMENSION must come before " + key, error);
      const bool node = key == "NODE_COORD_SECTION";
      if (!read_nodes(in, &line, dimension, where, node ? &r->x : &wx, node ? &r->y : &wy, error))
        return false;
      (node ? nodes : display) = true;
    } else if (key == "EDGE_WEIGHT_SECTION") {
      if (dimension < 0) return fail(where, line, "DIMENSION must come before " + key, error);
      const size_t n = size_t(dimension);
      const size_t count = format == "FULL_MATRIX"      ? n * n
                           : format == "UPPER_ROW"      ? n * (n - 1) / 2
                           : format == "LOWER_DIAG_ROW" ? n * (n + 1) / 2
                           : format == "UPPER_DIAG_ROW" ? n * (n + 1) / 2
                                                        : 0;
      if (count == 0)
        return fail(where, line, "EDGE_WEIGHT_SECTION without EDGE_WEIGHT_FORMAT", error);
      while (numbers.size() < count && std::getline(in, text)) {
        line++;
        for (const std::string &word : words_of(text)) {
          double v;
          if (!number(word, &v))
            return fail(where, line, "'" + word + "' is not a finite number", error);
          if (numbers.size() == count)
            return fail(where, line,
                        "more weights than " + format + " of " + std::to_string(n) +
                            " cities holds",
                        error);
          numbers.push_back(v);
        }
      }
      if (numbers.size() < count)
        return fail(where, line,
                    "the section ends after " + std::to_string(numbers.size()) + " of " +
                        std::to_string(count) + " weights",
                    error);
      weights = true;
    } else if (key.find("_SECTION") != std::string::npos) {
      return fail(where, line, key + " is not supported", error);
    }
  }
  if (dimension < 0) return fail(where, 0, "no DIMENSION", error);
  if (weight_type.empty()) return fail(where, 0, "no EDGE_WEIGHT_TYPE", error);
  const int n = dimension;
  r->n = n;
  if (weight_type == "EXPLICIT") {
    if (!weights) return fail(where, 0, "no EDGE_WEIGHT_SECTION", error);
    r->matrix = true;
    r->d.assign(size_t(n) * size_t(n), 0);
    size_t at = 0;
    auto d = [&](int i, int j) -> double & { return r->d[size_t(i) * size_t(n) + size_t(j)]; };
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++) {
        const bool read = format == "FULL_MATRIX"      ? true
                          : format == "UPPER_ROW"      ? j > i
                          : format == "LOWER_DIAG_ROW" ? j <= i
                                                       : j >= i;
        if (!read) continue;
        const double v = numbers[at++];
        if (format == "FULL_MATRIX") {
          d(i, j) = v;
        } else {
          d(i, j) = d(j, i) = v;
        }
      }
    for (int i = 0; i < n; i++)
      for (int j = 0; j < n; j++)
        if (d(i, j) != d(j, i))
          return fail(where, 0,
                      "the matrix is not symmetric: " + std::to_string(i + 1) + " to " +
                          std::to_string(j + 1) + " is not " + std::to_string(j + 1) + " to " +
                          std::to_string(i + 1),
                      error);
    for (int i = 0; i < n; i++) d(i, i) = 0;
    if (display) r->x = wx, r->y = wy, r->coordinates = true;
    return true;
  }
  if (!nodes) return fail(where, 0, "no NODE_COORD_SECTION", error);
  r->coordinates = true;
  r->function = true; // TSPLIB's own function, not the plain Euclidean distance
  r->metric = weight_type == "EUC_2D" ? METRIC_EUC_2D
              : weight_type == "ATT"  ? METRIC_ATT
                                      : METRIC_GEO;
  return true;
}

// x y lines, '#' comments and blank lines passed over.
bool read_plain(std::istream &in, const std::string &where, Read *r, std::string *error) {
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    line++;
    auto w = words_of(text.substr(0, text.find('#')));
    if (w.empty()) continue;
    double x, y;
    if (w.size() != 2 || !number(w[0], &x) || !number(w[1], &y))
      return fail(where, line, "a city is 'x y', two finite numbers", error);
    if (r->x.size() == size_t(MAXCITY))
      return fail(where, line, "more than " + std::to_string(MAXCITY) + " cities", error);
    r->x.push_back(x), r->y.push_back(y);
  }
  r->n = int(r->x.size());
  r->coordinates = true;
  return size_ok(r->n, where, 0, error);
}

// random:N:S, read; the cities themselves are random_cities'.
bool read_random(const std::string &named, uint64_t *n, uint64_t *seed, std::string *error) {
  const size_t colon = named.find(':', 7);
  if (colon == std::string::npos || !read_whole(named.substr(7, colon - 7), 1000000, n) ||
      !read_whole(named.substr(colon + 1), 4294967295u, seed))
    return fail(quoted(named), 0, "random cities are random:N:S, whole numbers", error);
  return size_ok(int(*n), quoted(named), 0, error);
}

} // namespace

bool load_cities(const std::string &named, std::string *name, std::string *error) {
  Read r;
  if (named.rfind("random:", 0) == 0) {
    uint64_t n, seed;
    if (!read_random(named, &n, &seed, error)) return false;
    random_cities(int(n), unsigned(seed));
    *name = named;
    return true;
  } else {
    std::ifstream in(named);
    if (!in) return fail(quoted(named), 0, strerror(errno), error);
    std::string first;
    std::getline(in, first);
    in.seekg(0);
    const std::string where = quoted(named);
    const auto w = words_of(first.substr(0, first.find(':')));
    const bool tsplib = first.find(':') != std::string::npos && w.size() == 1 &&
                        w[0].find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ_") == std::string::npos;
    if (!(tsplib ? read_tsplib(in, where, &r, error) : read_plain(in, where, &r, error)))
      return false;
    if (r.name.empty()) r.name = named.substr(named.rfind('/') + 1);
  }
  family.n = r.n;
  family.matrix = r.matrix;
  cityxy_known = r.coordinates;
  for (int i = 0; i < r.n; i++) {
    cityxy[i][0] = r.coordinates ? r.x[size_t(i)] : 0;
    cityxy[i][1] = r.coordinates ? r.y[size_t(i)] : 0;
    if (r.matrix)
      for (int j = 0; j < r.n; j++) citydistance[i][j] = r.d[size_t(i) * size_t(r.n) + size_t(j)];
  }
  if (r.function) tsplib_distances(r.metric);
  *name = r.name;
  return true;
}
