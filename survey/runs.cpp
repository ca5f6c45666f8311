// The survey's runs and its worker processes. The model and the generator are program-wide, so
// the workers are processes: runs go out in blocks, block b to worker b % jobs, and come back
// through one pipe per worker, read block by block in order. Start at run_survey.
#include "runs.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

void set_coefficients(const double value[3]) {
  Acoef = value[0];
  Bcoef = value[1];
  Dcoef = value[2];
}

RunResult run_one(uint32_t seed) {
  srand(seed);
  initialize();
  for (int s = 0; s < NSWEEP; s++) update_state();
  RunResult r;
  r.energy = energy();
  r.valid = decode_tour(unitout, &r.tour);
  r.length = r.valid ? tour_length(r.tour) : 0.0;
  return r;
}

namespace {

const uint64_t MAX_BLOCK = 256; // runs a worker does between two writes

struct Blocks {
  uint64_t runs, size;
  uint64_t count() const { return (runs + size - 1) / size; }
  uint64_t begin(uint64_t b) const { return b * size; }
  uint64_t length(uint64_t b) const { return std::min(size, runs - b * size); }
};

// Run r of the survey is seed first_seed + r % seeds of triple r / seeds.
uint64_t triple_of(const Plan &plan, uint64_t r) {
  return r / seed_count(plan);
}
uint32_t seed_of(const Plan &plan, uint64_t r) {
  return uint32_t(plan.first_seed + r % seed_count(plan));
}

// Blocks small enough that every worker gets several.
Blocks blocks_for(uint64_t runs, int jobs) {
  return {runs, std::clamp<uint64_t>(runs / (uint64_t(jobs) * 8), 1, MAX_BLOCK)};
}

bool write_all(int fd, const void *data, size_t size) {
  for (const char *p = static_cast<const char *>(data); size > 0;) {
    ssize_t n = write(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n, size -= size_t(n);
  }
  return true;
}

// Reads exactly size bytes; false at an early end of file or an error.
bool read_all(int fd, void *data, size_t size) {
  for (char *p = static_cast<char *>(data); size > 0;) {
    ssize_t n = read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n, size -= size_t(n);
  }
  return true;
}

// A worker's life: its blocks, one write each. Never returns.
[[noreturn]] void work(const Plan &plan, const Blocks &blocks, int w, int fd) {
  std::vector<RunResult> out(blocks.size);
  uint64_t triple = UINT64_MAX;
  for (uint64_t b = uint64_t(w); b < blocks.count(); b += uint64_t(plan.jobs)) {
    for (uint64_t k = 0, r = blocks.begin(b); k < blocks.length(b); k++, r++) {
      if (triple_of(plan, r) != triple) {
        double value[3];
        triple = triple_of(plan, r);
        triple_values(plan, triple, value);
        set_coefficients(value);
      }
      out[k] = run_one(seed_of(plan, r));
    }
    if (!write_all(fd, out.data(), blocks.length(b) * sizeof(RunResult))) _exit(1);
  }
  _exit(0);
}

// Waits for a worker: "" when it exited with status 0, else how it ended.
std::string wait_worker(pid_t pid) {
  int status;
  if (waitpid(pid, &status, 0) < 0) return "was lost";
  if (WIFSIGNALED(status)) return "was killed by signal " + std::to_string(WTERMSIG(status));
  if (WEXITSTATUS(status) != 0) return "exited with status " + std::to_string(WEXITSTATUS(status));
  return "";
}

double seconds_now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One self-updating line on a terminal's standard error, once a survey has run a second.
struct Progress {
  bool on = isatty(STDERR_FILENO);
  bool shown = false;
  double start = seconds_now(), last = 0;

  void update(uint64_t done, uint64_t total) {
    double now = seconds_now(), elapsed = now - start;
    if (!on || elapsed < 1.0 || now - last < 0.1) return;
    double rate = double(done) / elapsed;
    fprintf(stderr, "\r%llu of %llu runs, %.0f runs/s, %.0f s left \033[K",
            (unsigned long long)done, (unsigned long long)total, rate, double(total - done) / rate);
    shown = true, last = now;
  }
  void clear() {
    if (shown) fprintf(stderr, "\r\033[K");
  }
};

} // namespace

bool run_survey(const Plan &plan, const RunSink &sink, std::string *error) {
  const uint64_t runs = run_count(plan);
  const Blocks blocks = blocks_for(runs, plan.jobs);
  const int jobs = int(std::min<uint64_t>(uint64_t(plan.jobs), blocks.count()));
  Plan share = plan;
  share.jobs = jobs;

  // 1. Start the workers, each with the write end of its own pipe.
  std::vector<pid_t> pid;
  std::vector<int> fd;
  fflush(nullptr);
  for (int w = 0; w < jobs; w++) {
    int p[2];
    if (pipe(p) != 0) {
      *error = "cannot make a pipe for a worker";
      break;
    }
    fcntl(p[0], F_SETPIPE_SZ, 1 << 20); // room to run ahead; the default will do too
    pid_t child = fork();
    if (child == 0) {
      for (int r : fd) close(r);
      close(p[0]);
      work(share, blocks, w, p[1]);
    }
    close(p[1]);
    if (child < 0) {
      close(p[0]);
      *error = "cannot start a worker";
      break;
    }
    pid.push_back(child);
    fd.push_back(p[0]);
  }

  // 2. Hand the results on block by block, in order.
  Progress progress;
  std::vector<RunResult> in(blocks.size);
  int failed = -1;
  for (uint64_t b = 0; error->empty() && b < blocks.count(); b++) {
    int w = int(b % uint64_t(jobs));
    if (!read_all(fd[size_t(w)], in.data(), blocks.length(b) * sizeof(RunResult))) {
      failed = w;
      break;
    }
    for (uint64_t k = 0, r = blocks.begin(b); k < blocks.length(b); k++, r++)
      sink(triple_of(plan, r), seed_of(plan, r), in[k]);
    progress.update(blocks.begin(b) + blocks.length(b), runs);
  }
  progress.clear();

  // 3. Reap the workers: after a failure, stop the others first.
  if (failed >= 0) {
    std::string ended = wait_worker(pid[size_t(failed)]);
    *error = "worker " + std::to_string(failed + 1) + " " +
             (ended.empty() ? "stopped early" : ended) + "; the survey is incomplete";
  }
  for (size_t w = 0; w < pid.size(); w++) {
    if (int(w) == failed) continue;
    if (!error->empty()) kill(pid[w], SIGKILL);
    std::string ended = wait_worker(pid[w]);
    if (error->empty() && !ended.empty()) *error = "worker " + std::to_string(w + 1) + " " + ended;
  }
  for (int r : fd) close(r);
  return error->empty();
}
