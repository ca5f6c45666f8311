// Runs shell command lines and captures their output, error text and exit status; finds and
// kills a program's workers.
#include "run.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int status_of(int st) {
  return WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
}

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

} // namespace

Ran run(const std::string &command) {
  char errpath[] = "/tmp/nuv-test-err-XXXXXX";
  close(mkstemp(errpath));
  Ran r{-1, "", ""};
  if (FILE *p = popen(("{ " + command + "\n} 2>" + errpath).c_str(), "r")) {
    char buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    r.status = status_of(pclose(p));
  }
  r.err = slurp(errpath);
  unlink(errpath);
  return r;
}

double from_bits(uint64_t bits) {
  double value;
  memcpy(&value, &bits, sizeof value);
  return value;
}
uint64_t bits_of(double value) {
  uint64_t bits;
  memcpy(&bits, &value, sizeof bits);
  return bits;
}

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::map<std::string, std::string>> csv_rows(const std::string &text) {
  std::vector<std::map<std::string, std::string>> rows;
  std::vector<std::string> head;
  for (const std::string &line : lines_of(text)) {
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = fields_of(line);
    if (head.empty()) {
      head = f;
      continue;
    }
    std::map<std::string, std::string> row;
    for (size_t k = 0; k < head.size() && k < f.size(); k++) row[head[k]] = f[k];
    rows.push_back(row);
  }
  return rows;
}

std::string row_against_trace(const std::map<std::string, std::string> &row,
                              const std::string &trace) {
  const std::vector<std::map<std::string, std::string>> rows =
      csv_rows(run(trace + " " + row.at("seed")).out);
  if (rows.empty()) return "no trace";
  std::map<std::string, std::string> last = rows.back();
  char energy[64];
  snprintf(energy, sizeof energy, "%f", std::stod(last["E"]));
  std::string differ;
  if (row.at("energy") != energy) differ += " energy " + row.at("energy") + " against " + energy;
  for (const char *name : {"tour", "outcome", "motion"})
    if (row.at(name) != last[name])
      differ += std::string(" ") + name + " " + row.at(name) + " against " + last[name];
  return differ;
}

std::vector<std::string> fields_of(const std::string &row) {
  std::vector<std::string> f;
  std::stringstream in(row);
  for (std::string x; std::getline(in, x, ',');) f.push_back(x);
  if (!row.empty() && row.back() == ',') f.push_back("");
  return f;
}

std::vector<pid_t> children_of(pid_t parent) {
  std::vector<pid_t> kids;
  DIR *proc = opendir("/proc");
  while (dirent *e = proc ? readdir(proc) : nullptr) {
    std::string stat = slurp(std::string("/proc/") + e->d_name + "/stat");
    std::istringstream rest(stat.substr(stat.rfind(')') + 1)); // after the command's name
    char state;
    pid_t ppid;
    if (stat.find(')') != std::string::npos && rest >> state >> ppid && ppid == parent)
      kids.push_back(pid_t(atol(e->d_name)));
  }
  if (proc) closedir(proc);
  return kids;
}

Ran run_killing_a_worker(const std::string &command, size_t workers) {
  char errpath[] = "/tmp/nuv-test-err-XXXXXX";
  close(mkstemp(errpath));
  pid_t pid = fork();
  if (pid == 0) {
    execl("/bin/sh", "sh", "-c", ("exec " + command + " >/dev/null 2>" + errpath).c_str(),
          (char *)nullptr);
    _exit(127);
  }
  std::vector<pid_t> kids;
  for (int tries = 0; tries < 500 && kids.size() < workers; tries++, usleep(10000))
    kids = children_of(pid);
  kill(kids.size() < workers ? pid : kids.back(), SIGKILL);
  int st;
  waitpid(pid, &st, 0);
  Ran r{kids.size() < workers ? -1 : status_of(st), "", slurp(errpath)};
  unlink(errpath);
  return r;
}
