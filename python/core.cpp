// The module nuv._core: each part bound by its file (bindings.h), and the model's lock they
// share. The package python/nuv/ imports from it. Start at PYBIND11_MODULE.
#include "bindings.h"

#include <pybind11/numpy.h>

std::mutex &model_mutex() {
  static std::mutex mutex;
  return mutex;
}

void refuse(const std::string &message) {
  throw py::value_error(message);
}

PYBIND11_MODULE(_core, m) {
  m.doc() = "nuv's model, measures and survey, compiled from the same C++ as the tools.";
  m.attr("version") = NUV_VERSION;
  m.attr("MINCITY") = int(MINCITY); // the fewest cities of a network, and the most
  m.attr("MAXCITY") = int(MAXCITY);
  bind_cities(m);
  bind_network(m);
  bind_run(m);
  bind_survey(m);
}
