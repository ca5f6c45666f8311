// Runs a program of this project as a user would, through the shell, and keeps what it printed.
#ifndef NUV_TESTS_RUN_H
#define NUV_TESTS_RUN_H

#include <string>
#include <vector>

struct Ran {
  int status; // exit status, or 128 + signal
  std::string out, err;
};

// `command` is a shell command line; its standard error is captured apart from its output.
Ran run(const std::string &command);

// Splits text into lines, without their newlines.
std::vector<std::string> lines_of(const std::string &text);

#endif
