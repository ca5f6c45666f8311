// Reading the tools' command lines: finite numbers, whole numbers, options, and the command line
// as a shell reads it back. The text of values and quoted arguments is text.h's.
#ifndef NUV_CLI_ARGS_H
#define NUV_CLI_ARGS_H

#include <cstdint>
#include <string>
#include <vector>

#include "text.h"

// A whole text that is a finite number (subnormal and underflowing values included).
bool read_number(const std::string &text, double *value);

// A whole text that is a number, as nuv takes its seed: any finite or infinite value or NaN,
// converted by nuv's rule (seed_from_number), so that -1 seeds with 4294967295 and 5.9 with 5.
bool read_nuv_seed(const std::string &text, uint32_t *seed);

// A whole text of decimal digits, leading zeros allowed, whose value is at most max.
bool read_whole(const std::string &text, uint64_t max, uint64_t *value);

// The command line as a shell reads it back: words with characters a shell would take apart in
// single quotes. For saying in a picture what made it.
std::string command_line(int argc, char **argv);

// Words as a shell reads them back, quoted where they need it, and the words of such a line
// again (single quotes and '\\'' as command_line writes them); false for a line it cannot read.
std::string shell_line(const std::vector<std::string> &words);
bool split_shell_line(const std::string &line, std::vector<std::string> *words);

// An option rather than a number such as -1 or -.5.
bool is_option(const std::string &arg);

#endif
