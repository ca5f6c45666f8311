// Cities in Python: read from what a Python value names (a file, "random:N:S", an array), kept
// as the model held them so that they can be put back, and their measures: the optimum, a tour's
// length and its rank. An array is read as the text of the file it stands for, by the tools' own
// reader (cities/read.cpp), so that it is checked as a file is and its numbers are the same bits.
// Start at cities_from.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bindings.h"
#include "cities.h"
#include "network.h"
#include "published.h"
#include "read.h"
#include "text.h"
#include "tour.h"

namespace {

// Which reading of cities the model holds now (0: none of this module's).
uint64_t installed = 0;

// The next reading's number.
uint64_t next_id() {
  static uint64_t last = 0;
  return ++last;
}

} // namespace

Cities keep_cities(const std::string &source, const std::string &name) {
  Cities c;
  c.source = source, c.name = name;
  c.n = network.n;
  c.distances_given = network.distances_given;
  c.xy_known = cityxy_known;
  for (int i = 0; i < c.n; i++) {
    c.xy.push_back(cityxy[i][0]), c.xy.push_back(cityxy[i][1]);
    c.distance.insert(c.distance.end(), citydistance[i], citydistance[i] + c.n);
  }
  c.optimum = find_optimum();
  c.id = installed = next_id();
  return c;
}

namespace {

// A double as a file would give it exactly: 17 significant digits read back to the same bits.
std::string exact(double x) {
  char text[40];
  snprintf(text, sizeof text, "%.17g", x);
  return text;
}

// The lines of a matrix file before its first row.
const int MATRIX_HEAD = 6;

// The text of the file an array stands for: N x 2 coordinates as `x y` lines, an N x N matrix
// as a TSPLIB FULL_MATRIX file with a row per line. *matrix says which.
std::string array_text(const py::array_t<double> &a, bool *matrix) {
  const auto v = a.unchecked<2>();
  const py::ssize_t n = v.shape(0);
  *matrix = v.shape(1) != 2 || n == 2;
  std::string text;
  if (*matrix)
    text = "NAME : array\nTYPE : TSP\nDIMENSION : " + std::to_string(n) +
           "\nEDGE_WEIGHT_TYPE : EXPLICIT\nEDGE_WEIGHT_FORMAT : FULL_MATRIX\nEDGE_WEIGHT_SECTION\n";
  for (py::ssize_t i = 0; i < n; i++) {
    for (py::ssize_t k = 0; k < v.shape(1); k++) text += (k ? " " : "") + exact(v(i, k));
    text += "\n";
  }
  return *matrix ? text + "EOF\n" : text;
}

// An array's cities read into the model, as its file would be. Lock held; false with *error.
bool read_array(const std::string &text, bool matrix, std::string *error) {
  CityName name;
  Metric metric;
  CityError why;
  if (!read_city_text(text.data(), text.size(), strtod_number, &name, &metric, &why)) {
    const int row = matrix ? why.line - MATRIX_HEAD : why.line;
    *error = "cities array" + (row > 0 ? ", row " + std::to_string(row) : std::string()) + ": " +
             why.why;
    return false;
  }
  forget_optimal_tour();
  give_published_optimum(published_optimum());
  return true;
}

// The cities of a text (a path, a shipped name, random:N:S) read into the model, or nuv's nine
// for "". Lock held; false with *error, the tools' refusal.
bool read_named(const std::string &source, std::string *name, std::string *error) {
  if (source.empty()) {
    reset_network();
    forget_optimal_tour();
    *name = "nuv";
    return true;
  }
  return load_cities(source, name, error);
}

// Whether the model's cities are c's.
bool holds(const Cities &c) {
  if (network.n != c.n || network.distances_given != c.distances_given ||
      cityxy_known != c.xy_known)
    return false;
  for (int i = 0; i < c.n; i++)
    if (memcmp(citydistance[i], &c.distance[size_t(i * c.n)], sizeof(double) * size_t(c.n)) ||
        (c.xy_known && memcmp(cityxy[i], &c.xy[size_t(2 * i)], sizeof(double) * 2)))
      return false;
  return true;
}

// A tour given in Python (the cities' numbers from 1, in position order) as a Tour of c's
// cities; ValueError unless it visits each of them once.
Tour tour_of(const Cities &c, py::handle value) {
  std::vector<long> cities;
  for (py::handle city : py::iter(value)) cities.push_back(city.cast<long>());
  Tour t{};
  std::vector<bool> seen(size_t(c.n), false);
  bool ok = int(cities.size()) == c.n;
  for (size_t j = 0; ok && j < cities.size(); j++) {
    ok = cities[j] >= 1 && cities[j] <= c.n && !seen[size_t(cities[j] - 1)];
    if (ok) seen[size_t(cities[j] - 1)] = true, t.city[j] = int(cities[j] - 1);
  }
  if (!ok)
    refuse("the tour is not one of the " + std::to_string(c.n) + " cities: each of 1 ... " +
           std::to_string(c.n) + " once, in the order visited");
  return t;
}

// A tour as Python lists it: the cities' numbers from 1, in position order.
py::list tour_list(const Tour &t, int n) {
  py::list l;
  for (int j = 0; j < n; j++) l.append(t.city[j] + 1);
  return l;
}

// What an optimum is: "optimal" (its tour and length optimal), "published" (the length TSPLIB's
// published optimum, the tour the best found) or "best known".
const char *optimum_class(const Optimum &o) {
  if (!o.exact) return "best known";
  return within_slack(tour_length(o.tour), o.length) ? "optimal" : "published";
}

} // namespace

void install_cities(const Cities &c) {
  if (installed == c.id && holds(c)) return;
  network.n = c.n;
  network.distances_given = c.distances_given;
  cityxy_known = c.xy_known;
  for (int i = 0; i < c.n; i++) {
    cityxy[i][0] = c.xy[size_t(2 * i)], cityxy[i][1] = c.xy[size_t(2 * i + 1)];
    memcpy(citydistance[i], &c.distance[size_t(i * c.n)], sizeof(double) * size_t(c.n));
  }
  build_distances(network);
  forget_optimal_tour();
  if (c.n > EXACT_CITIES && c.optimum.exact && tour_length(c.optimum.tour) == c.optimum.length)
    give_optimal_tour(c.optimum.tour); // a tour file's optimum, which outranks a published one
  give_published_optimum(published_optimum());
  installed = c.id;
}

Cities cities_from(py::handle value) {
  if (py::isinstance<Cities>(value)) return value.cast<Cities>();
  std::string source, error, name;
  bool is_array = false, matrix = false;
  if (value.is_none()) {
    source = "";
  } else if (py::isinstance<py::str>(value) || py::hasattr(value, "__fspath__")) {
    source = py::module_::import("os").attr("fspath")(value).cast<std::string>();
    if (source.empty()) refuse("--cities '' names no cities");
  } else {
    const auto a = py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(value);
    if (!a)
      throw py::type_error("cities: a path, 'random:N:S', an N x 2 array of coordinates "
                           "or an N x N distance matrix, not " +
                           std::string(py::str(py::type::of(value))));
    if (a.ndim() != 2 || (a.shape(1) != 2 && a.shape(0) != a.shape(1)))
      refuse("cities array of shape " + std::string(py::str(value.attr("shape"))) +
             ": N x 2 coordinates or an N x N distance matrix");
    if (a.shape(0) < MINCITY || a.shape(0) > MAXCITY)
      refuse("cities array: " + std::to_string(a.shape(0)) + " cities: a network has " +
             std::to_string(MINCITY) + " to " + std::to_string(MAXCITY));
    source = array_text(a, &matrix), is_array = true;
  }
  ModelLock lock;
  const bool read =
      is_array ? read_array(source, matrix, &error) : read_named(source, &name, &error);
  CityError why;
  if (read && !check_cities(&why))
    error = (is_array ? std::string("cities array") : quoted(source.empty() ? "nuv" : source)) +
            ": " + why.why;
  if (!read || !error.empty()) {
    installed = 0; // the model's cities are whatever the failed reading left
    refuse(error); // a C++ exception until it leaves the module: no GIL needed here
  }
  return keep_cities(is_array ? "array" : source, is_array ? "array" : name);
}

void bind_cities(py::module_ &m) {
  py::class_<Cities>(m, "Cities",
                     "Cities as the tools read them (nuv.read_cities): a TSPLIB or x y file, a "
                     "shipped instance, random:N:S, an array, or nuv's nine.")
      .def_readonly("source", &Cities::source, "the path, name or random:N:S given; 'array'")
      .def_readonly("name", &Cities::name, "the instance's name, as the tools' outputs say it")
      .def_readonly("n", &Cities::n, "the number of cities")
      .def_property_readonly(
          "coordinates",
          [](const Cities &c) -> py::object {
            if (!c.xy_known) return py::none();
            return py::array_t<double>({py::ssize_t(c.n), py::ssize_t(2)}, c.xy.data());
          },
          "N x 2 array of the cities' coordinates (GEO's as longitude, latitude), or None for "
          "a matrix without them")
      .def_property_readonly(
          "distances",
          [](const Cities &c) {
            return py::array_t<double>({py::ssize_t(c.n), py::ssize_t(c.n)}, c.distance.data());
          },
          "N x N array of the instance's own distances (TSPLIB's rounded ones for its files), "
          "in which tour lengths are measured")
      .def("__len__", [](const Cities &c) { return c.n; })
      .def("__repr__", [](const Cities &c) {
        return "<nuv.Cities " + c.name + ", " + std::to_string(c.n) + " cities>";
      });

  m.def(
      "read_cities", [](py::object value) { return cities_from(value); }, py::arg("cities"),
      "The cities a path, shipped instance's name (eil51), 'random:N:S' or array names, read and "
      "checked as the tools read --cities: .coordinates, .distances, .name. ValueError with the "
      "tools' reason.");

  py::object named_tuple = py::module_::import("collections").attr("namedtuple");
  py::object optimum_type = named_tuple("Optimum", "tour length kind");
  optimum_type.attr("__module__") = "nuv";
  m.attr("Optimum") = optimum_type;
  m.def(
      "optimum",
      [optimum_type](py::object cities) {
        const Cities c = cities_from(cities);
        Optimum o;
        const char *kind;
        {
          ModelLock lock;
          install_cities(c);
          o = find_optimum();
          kind = optimum_class(o);
        }
        return optimum_type(tour_list(o.tour, c.n), o.length, kind);
      },
      py::arg("cities"),
      "The optimum every ratio is to, as the tools find it: Optimum(tour, length, kind). kind "
      "'optimal' (exact up to 17 cities, or TSPLIB's optimal tour file), 'published' (TSPLIB's "
      "published optimum's length; the tour is the best found) or 'best known' (the best tour "
      "2-opt and Or-opt find from ten starts). The tour lists the cities from 1, canonical.");
  m.def(
      "tour_length",
      [](py::object cities, py::object tour) {
        const Cities c = cities_from(cities);
        const Tour t = tour_of(c, tour);
        ModelLock lock;
        install_cities(c);
        return tour_length(t);
      },
      py::arg("cities"), py::arg("tour"),
      "The closed tour's length in the instance's own distances, summed as the tools sum it; "
      "the tour lists the cities from 1 in the order visited.");
  m.def(
      "rank",
      [](py::object cities, py::object tour_or_length) -> py::object {
        const Cities c = cities_from(cities);
        double length;
        if (!py::hasattr(tour_or_length, "__iter__"))
          length = tour_or_length.cast<double>();
        else
          length = [&] {
            const Tour t = tour_of(c, tour_or_length);
            ModelLock lock;
            install_cities(c);
            return tour_length(t);
          }();
        int r;
        {
          ModelLock lock;
          install_cities(c);
          r = tour_rank(length);
        }
        if (r == 0) return py::none();
        return py::int_(r);
      },
      py::arg("cities"), py::arg("tour"),
      "A tour's rank (or a length's) among all distinct closed tours, as the tools rank it: 1 + "
      "the tours shorter by more than a relative 1e-9, so the optimum and its mirror image are "
      "1. Tours are ranked up to 10 cities (181,440 tours); beyond, None.");
}
