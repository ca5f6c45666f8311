// Standard output and standard error. Start at stdout_ok.
#include "stream.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const char *tool_name = "nuv";
} // namespace

void start_output(const char *tool) {
  tool_name = tool;
  signal(SIGXFSZ, SIG_IGN);
}

int report(int status, const std::string &message) {
  fprintf(stderr, "%s: %s\n", tool_name, message.c_str());
  return status;
}

// A pipe or socket on standard output whose reader has closed its end.
static bool reader_gone() {
  struct stat st;
  if (fstat(STDOUT_FILENO, &st) != 0 || !(S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode)))
    return false;
  pollfd p = {STDOUT_FILENO, 0, 0};
  return poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP));
}

bool stdout_ok(std::string *error) {
  int err = 0;
  if (fflush(stdout) != 0 || ferror(stdout))
    err = errno ? errno : EIO;
  else if (reader_gone()) {
    struct sigaction was;
    sigaction(SIGPIPE, nullptr, &was);
    if (was.sa_handler == SIG_DFL) raise(SIGPIPE);
    err = EPIPE;
  }
  if (err == 0) return true;
  *error = std::string("cannot write standard output: ") + strerror(err);
  return false;
}
