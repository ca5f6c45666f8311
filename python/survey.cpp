// The survey in Python: bound by the survey's part of the module (nuv.survey, python/nuv/).
#include "bindings.h"

void bind_survey(py::module_ &m) {
  (void)m;
}
