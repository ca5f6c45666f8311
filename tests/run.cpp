// Runs shell command lines and captures their output, error text and exit status.
#include "run.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
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

std::vector<pid_t> children_of(pid_t parent) {
  std::vector<pid_t> kids;
  DIR *proc = opendir("/proc");
  while (dirent *e = proc ? readdir(proc) : nullptr) {
    std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) continue;
    std::istringstream rest(line.substr(line.rfind(')') + 2));
    char state;
    pid_t ppid;
    if (rest >> state >> ppid && ppid == parent) kids.push_back(pid_t(std::stol(e->d_name)));
  }
  if (proc) closedir(proc);
  return kids;
}

Ran run_killing_a_worker(const std::vector<std::string> &argv, size_t workers) {
  char errpath[] = "/tmp/nuv-test-err-XXXXXX";
  int errfd = mkstemp(errpath);
  std::vector<char *> args;
  for (const std::string &a : argv) args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(open("/dev/null", O_WRONLY), 1);
    dup2(errfd, 2);
    execv(args[0], args.data());
    _exit(127);
  }
  std::vector<pid_t> kids;
  for (int tries = 0; tries < 500 && kids.size() < workers; tries++) {
    usleep(10000);
    kids = children_of(pid);
  }
  Ran r{-1, "", ""};
  if (kids.size() < workers)
    kill(pid, SIGKILL);
  else
    kill(kids.back(), SIGKILL);
  int st;
  waitpid(pid, &st, 0);
  if (kids.size() >= workers) r.status = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
  std::ifstream e(errpath);
  std::stringstream ss;
  ss << e.rdbuf();
  r.err = ss.str();
  close(errfd);
  unlink(errpath);
  return r;
}
