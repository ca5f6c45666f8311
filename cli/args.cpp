// The tools' argument reading and quoting. Every function here is pure: it reads its text and
// answers, and the tool reports.
#include "args.h"

#include "network.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool read_number(const std::string &text, double *value) {
  if (text.empty() || isspace((unsigned char)text[0])) return false;
  char *end;
  *value = strtod(text.c_str(), &end);
  // strtod's ERANGE also flags underflow, a finite value: only the value decides.
  return *end == '\0' && std::isfinite(*value);
}

bool read_seed(const std::string &text, uint32_t *seed) {
  if (text.empty() || isspace((unsigned char)text[0])) return false;
  char *end;
  const double value = strtod(text.c_str(), &end);
  if (*end != '\0') return false;
  *seed = seed_from_number(value);
  return true;
}

bool read_whole(const std::string &text, uint64_t max, uint64_t *value) {
  if (text.empty() || max > UINT64_MAX / 10 - 9) return false;
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + uint64_t(c - '0');
    if (*value > max) return false;
  }
  return true;
}

bool is_option(const std::string &arg) {
  return arg.size() > 1 && arg[0] == '-' && !isdigit((unsigned char)arg[1]) && arg[1] != '.';
}

std::string command_line(int argc, char **argv) {
  std::string line;
  for (int a = 0; a < argc; a++) {
    std::string word = argv[a];
    bool plain =
        !word.empty() && word.find_first_not_of("abcdefghijklmnopqrstuvwxyz"
                                                "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                                "0123456789+-_.,:/=@%") == std::string::npos;
    if (a) line += ' ';
    if (plain) {
      line += word;
      continue;
    }
    line += '\'';
    for (char c : word) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
    line += '\'';
  }
  return line;
}
