// The Python module nuv._core: what its source files share. core.cpp makes the module from the
// bind_ functions below; network.cpp binds nuv.Network (a network of the family, its keywords
// the tools' options), run.cpp its run (nuv.Run), cities.cpp the cities and their measures
// (nuv.Cities, read_cities, optimum, tour_length, rank), survey.cpp the survey. Start at
// PyNetwork. The model is the program's (static arrays): one network at a time, under
// model_mutex, taken with the GIL released (ModelLock).
#ifndef NUV_PYTHON_BINDINGS_H
#define NUV_PYTHON_BINDINGS_H

#include <pybind11/pybind11.h>

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "optimum.h"
#include "options.h"

namespace py = pybind11;

void bind_network(py::module_ &m);
void bind_run(py::module_ &m);
void bind_cities(py::module_ &m);
void bind_survey(py::module_ &m);

// The lock of the model's state (its network, cities, distances, states and the optimum's
// tables): whoever reads or writes them holds it.
std::mutex &model_mutex();

// The GIL released, then the model locked, for the scope: the order that cannot deadlock with
// another thread that holds the GIL and waits for the model.
struct ModelLock {
  py::gil_scoped_release released;
  std::lock_guard<std::mutex> locked{model_mutex()};
};

// Cities as the model holds them once read, kept so that they can be put back: a file's, random
// ones, nuv's nine or an array's, with the optimum their reading gave (a tour file's, a
// published one, or the best found).
struct Cities {
  std::string source;           // as given: a path or name, "random:N:S", "" for nuv's nine,
                                // "array" for an array
  std::string name;             // the instance's name, as the tools' outputs name it
  int n = 0;                    // the number of cities
  bool distances_given = false; // the distances are the instance's matrix, not from xy
  bool xy_known = false;        // the cities have coordinates
  std::vector<double> xy;       // n x 2, row-major, when xy_known
  std::vector<double> distance; // n x n, citydistance: the instance's own distances
  Optimum optimum;              // find_optimum's, for these cities as read
  uint64_t id = 0;              // which reading this is, unique in the process
};

// The cities a Python value names, read into the model and kept: a Cities object; a path, a
// shipped instance's name or "random:N:S" (str or os.PathLike); an N x 2 array of coordinates
// (as an `x y` file) or an N x N distance matrix (as a TSPLIB FULL_MATRIX file), checked as a
// file is. None is nuv's nine cities. Throws ValueError with the tools' reason. Needs the GIL
// and takes the model's lock itself.
Cities cities_from(py::handle value);

// The model's cities as they are now, kept as the reading of source (a path, "random:N:S", "" for
// nuv's nine, "array") named name, with their optimum. Holds the model's lock (ModelLock).
Cities keep_cities(const std::string &source, const std::string &name);

// The model's cities made c's (with the optimum c's reading gave), unless they already are.
// Holds the model's lock (ModelLock).
void install_cities(const Cities &c);

// A network of the family, as Network(**keywords) made it: the record finished as the tools
// finish it (set_up_network), the options given as their texts, and its cities.
struct PyNetwork {
  NetworkOptions options; // the record (options.net), the options given, the description's name
  Cities cities;
  // The network's options as a command line gives them, in the order applied (--method first):
  // {"--rule", "tcnn", "--u0", "0.01"}; --cities with its text unless the cities are an array.
  std::vector<std::string> words;
  std::string coefficients[3]; // Acoef, Bcoef and Dcoef as texts, as the record holds them
};

// The model set up for net: its cities put back (install_cities) and its record set up. Holds
// the model's lock (ModelLock).
void set_up_model(const PyNetwork &net);

// A Python value as the text a command line would give the tools: a str as it is, an int's
// digits, a float's shortest round-trip text (repr), a NumPy number's likewise. Throws TypeError
// for anything else (a bool too: True is no number of the tools). what names the keyword.
std::string option_text(py::handle value, const std::string &what);

// The module's ValueError with message (a refusal as the tools word it).
[[noreturn]] void refuse(const std::string &message);

#endif
