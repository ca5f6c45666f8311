// The methods' settings, one function that writes each method's into a record (for now only
// the method's name: a placeholder for the methods' work).
#include "methods.h"

const char *const METHOD_WORDS =
    "nuv hopfield-tank tcnn noisy potts softassign feasible nearest 2-opt or-opt";

void apply_method(Method method, Network *net) {
  net->method = method;
}
