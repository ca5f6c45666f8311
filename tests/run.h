// Runs a program of this project as a user would, through the shell, and keeps what it printed.
#ifndef NUV_TESTS_RUN_H
#define NUV_TESTS_RUN_H

#include <cstdint>
#include <map>
#include <string>
#include <sys/types.h>
#include <vector>

struct Ran {
  int status; // exit status, or 128 + signal
  std::string out, err;
};

// `command` is a shell command line, compound or not; its standard error, all of it, is captured
// apart from its output.
Ran run(const std::string &command);

// A double of the bits given, and the bits of a double.
double from_bits(uint64_t bits);
uint64_t bits_of(double value);

// Splits text into lines, without their newlines.
std::vector<std::string> lines_of(const std::string &text);

// Splits a CSV row at its commas; a trailing comma gives a last, empty field.
std::vector<std::string> fields_of(const std::string &row);

// A CSV's rows as maps from its header's names; empty lines and '#' lines (a shard's head and
// end) passed over.
std::vector<std::map<std::string, std::string>> csv_rows(const std::string &text);

// What in a survey's CSV row differs from the end of the tracer's run of the same network,
// coefficients and seed: trace is nuv-trace --csv with its arguments before the seed, which the
// row gives. The energy as the survey prints it, the tour, the outcome and the motion are
// compared; "" when none differs.
std::string row_against_trace(const std::map<std::string, std::string> &row,
                              const std::string &trace);

// The processes whose parent is `parent`, from /proc.
std::vector<pid_t> children_of(pid_t parent);

// Runs a command line with its output to /dev/null, waits until it has `workers` children, kills
// the last of them and waits for the program to end. Status -1 if the workers never appeared.
Ran run_killing_a_worker(const std::string &command, size_t workers);

#endif
