// Reading the tools' command lines and writing their values back: finite numbers, whole
// numbers, arguments quoted for a one-line message, and the shortest text of a double.
#ifndef NUV_CLI_ARGS_H
#define NUV_CLI_ARGS_H

#include <cstdint>
#include <string>

// A whole text that is a finite number (subnormal and underflowing values included).
bool read_number(const std::string &text, double *value);

// A whole text of decimal digits, leading zeros allowed, whose value is at most max.
bool read_whole(const std::string &text, uint64_t max, uint64_t *value);

// The text in single quotes, its quotes, backslashes and non-printable bytes escaped (\n, \x1b),
// so that a message naming it stays one line and sends nothing raw to a terminal.
std::string quoted(const std::string &text);

// The shortest text that reads back as the same double: "0.125", "1e-07"; zero is "0", never
// "-0".
std::string shortest(double value);

// The command line as a shell reads it back: words with characters a shell would take apart in
// single quotes. For saying in a picture what made it.
std::string command_line(int argc, char **argv);

// Everything written so far has reached standard output; *error says why not.
bool stdout_ok(std::string *error);

// An option rather than a number such as -1 or -.5.
bool is_option(const std::string &arg);

#endif
