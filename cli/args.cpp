// The tools' argument reading and quoting for a shell. Every function here is pure: it reads its
// text and answers, and the tool reports. Start at read_number.
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

bool read_nuv_seed(const std::string &text, uint32_t *seed) {
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
  return shell_line(std::vector<std::string>(argv, argv + argc));
}

bool split_shell_line(const std::string &line, std::vector<std::string> *words) {
  words->clear();
  for (size_t at = 0; at < line.size();) {
    if (line[at] == ' ') {
      at++;
      continue;
    }
    std::string word;
    while (at < line.size() && line[at] != ' ') {
      if (line[at] == '\\' && at + 1 < line.size()) {
        word += line[at + 1], at += 2;
      } else if (line[at] == '\'') {
        const size_t end = line.find('\'', at + 1);
        if (end == std::string::npos) return false;
        word += line.substr(at + 1, end - at - 1), at = end + 1;
      } else {
        word += line[at++];
      }
    }
    words->push_back(word);
  }
  return true;
}

std::string shell_line(const std::vector<std::string> &words) {
  std::string line;
  for (size_t a = 0; a < words.size(); a++) {
    const std::string &word = words[a];
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
