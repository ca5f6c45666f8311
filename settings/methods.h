// The methods of the family by name: a paper's network with every setting it names, or a
// classic heuristic. --method NAME applies one; nuv-survey --methods LIST compares several.
// Start at apply_method.
#ifndef NUV_SETTINGS_METHODS_H
#define NUV_SETTINGS_METHODS_H

#include "network.h"

// The methods' names, ' ' between, in Method's order: "nuv hopfield-tank ...".
extern const char *const METHOD_WORDS;

// net set to method's settings, every one the method names; the cities' part (n, whether the
// distances are given) kept.
void apply_method(Method method, Network *net);

#endif
