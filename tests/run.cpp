// Runs shell command lines and captures their output, error text and exit status.
#include "run.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

Ran run(const std::string &command) {
  char errpath[] = "/tmp/nuv-test-err-XXXXXX";
  int fd = mkstemp(errpath);
  if (fd < 0) return {-1, "", "mkstemp failed"};
  close(fd);
  Ran r{-1, "", ""};
  FILE *p = popen((command + " 2>" + errpath).c_str(), "r");
  if (p) {
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  }
  std::ifstream e(errpath);
  std::stringstream ss;
  ss << e.rdbuf();
  r.err = ss.str();
  unlink(errpath);
  return r;
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
