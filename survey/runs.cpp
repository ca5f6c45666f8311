// The survey's runs and its worker processes. The model and the generator are program-wide, so
// the workers are processes: runs go out in blocks, block b to worker b % workers, and come
// back through one pipe per worker, read block by block in order. Start at run_survey.
#include "runs.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include "batch.h"
#include "file.h"
#include "heuristics.h"
#include "network.h"

uint64_t run_set(const Plan &plan, uint64_t r) {
  return r / seed_count(plan);
}
uint32_t run_seed(const Plan &plan, uint64_t r) {
  return uint32_t(plan.first_seed + r % seed_count(plan));
}

namespace {

// What the signal handler sees: the signal that came, the workers running (a worker's pid is
// stored before the count that includes it), and whether the survey ends at once (a shard: it has
// nothing to show for its runs).
volatile sig_atomic_t caught = 0;
const int MAX_WORKERS = 256; // --jobs' largest
pid_t worker_pid[MAX_WORKERS];
volatile sig_atomic_t workers_running = 0, at_once = 0, for_caller = 0;

const int STOPPING[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction before_survey[3]; // each one's action when catch_signals was called

// TERM, INT and HUP kill the workers at once. For a caller each stops the survey after the block
// under way. Else HUP, or any of them to a shard, then ends the survey as the signal would; INT
// or TERM stop it after the block under way (runs made here: after their batch, and the same
// signal again ends it at once).
void on_signal(int sig) {
  const int saved = errno;
  for (int w = 0; w < workers_running; w++) kill(worker_pid[w], SIGKILL);
  if (for_caller) {
    if (!caught) caught = sig;
    errno = saved;
    return;
  }
  if (sig == SIGHUP || at_once) {
    for (int w = 0; w < workers_running; w++) waitpid(worker_pid[w], nullptr, 0);
    raise(sig); // its action is the default now; it comes when this handler returns
    errno = saved;
    return;
  }
  if (!caught && workers_running == 0) { // runs made here, or none started yet
    static const char note[] =
        "\rnuv-survey: stopping when the runs under way end; the same signal again stops at once\n";
    if (write(STDERR_FILENO, note, sizeof note - 1) < 0) {
      // nothing to be done about it here
    }
  }
  if (!caught) caught = sig;
  errno = saved;
}

const uint64_t MAX_BLOCK = 256; // runs a worker does between two writes

// Whether the plan's networks are too large for a batch's lanes (BATCH_MAXCITY): each then runs
// alone in the model, as the tracer runs it, one network per worker.
bool runs_alone(const Plan &plan) {
  return grid_point(plan, 0).n > BATCH_MAXCITY; // every point has the same cities
}

// The sweeps made by the runs of networks that run alone, for the progress line: one counter per
// worker, the first also for runs made in this process, in memory this process shares with its
// workers (null if it cannot be had: then no sweep is counted). sweep_slot is this process's.
uint64_t *sweeps_made = nullptr;
int sweep_slot = 0;

// The counters, made once before any worker starts, and set to 0.
void count_sweeps_from_zero() {
  const size_t size = sizeof(uint64_t) * MAX_WORKERS;
  if (!sweeps_made) {
    void *shared = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED) return;
    sweeps_made = static_cast<uint64_t *>(shared);
  }
  for (int w = 0; w < MAX_WORKERS; w++) __atomic_store_n(&sweeps_made[w], 0, __ATOMIC_RELAXED);
}

// The sweeps made so far by this process and its workers.
uint64_t sweeps_so_far() {
  uint64_t total = 0;
  for (int w = 0; sweeps_made && w < MAX_WORKERS; w++)
    total += __atomic_load_n(&sweeps_made[w], __ATOMIC_RELAXED);
  return total;
}

// Shows the progress of runs made in this process as their sweeps go (set by run_survey).
void (*show_sweeps)(void) = nullptr;

// A sweep of a network running alone made: counted, and shown when it is made here.
void sweep_made() {
  if (sweeps_made) __atomic_add_fetch(&sweeps_made[sweep_slot], 1, __ATOMIC_RELAXED);
  if (show_sweeps) show_sweeps();
}

// The plan's runs from first on (a shard's share, or all), in blocks of size.
struct Blocks {
  uint64_t first, runs, size;
  uint64_t count() const { return (runs + size - 1) / size; }
  uint64_t begin(uint64_t b) const { return first + b * size; }
  uint64_t length(uint64_t b) const { return std::min(size, runs - b * size); }
};

// Blocks small enough that every worker gets several, and few enough to check the output often;
// never smaller than a batch. Networks that run alone go one run to a block, one to a worker.
Blocks blocks_for(const Plan &plan) {
  const uint64_t runs = plan.end_run - plan.first_run;
  if (runs_alone(plan)) return {plan.first_run, runs, 1};
  return {plan.first_run, runs,
          std::clamp<uint64_t>(runs / (uint64_t(plan.jobs) * 8), NLANE, MAX_BLOCK)};
}

// With --methods, the runs from `first` on that are one method's, at most NLANE (a batch's lanes
// share the method's settings), the model set up for it; a heuristic's runs are made here, one
// per seed, into out. How many runs there are; *made whether they were made.
int method_runs(const Plan &plan, uint64_t first, uint64_t most, RunResult *out, bool *made) {
  const uint64_t set = run_set(plan, first), end = (set + 1) * seed_count(plan);
  const int n = int(std::min<uint64_t>({uint64_t(NLANE), most, end - first}));
  const Network net = grid_point(plan, set);
  set_up(net); // its distances, which the lanes and the measures read
  *made = is_heuristic(net.method);
  for (int l = 0; *made && l < n; l++)
    out[l] = heuristic_run(net, run_seed(plan, first + uint64_t(l)));
  return n;
}

// A network too large for a batch run alone in the model as the tracer runs it (measured_run),
// each sweep counted: a final state that is not finite travels as a NaN energy, as a lane's.
RunResult run_alone(const Network &net, uint32_t seed) {
  RunResult run = measured_run(net, seed, sweep_made);
  if (!state_finite(unitout)) run.energy = NAN;
  return run;
}

// The runs of block b, into out, NLANE at a time in a batch's lanes (with --methods, a batch is
// one method's, and a heuristic's runs one by one), or one by one alone (runs_alone): how many
// ran, fewer than the block's when a signal came (its runs from there are dropped).
uint64_t run_block(const Plan &plan, const Blocks &blocks, uint64_t b, RunResult *out) {
  static Batch batch;
  if (runs_alone(plan)) {
    for (uint64_t k = 0; k < blocks.length(b); k++) {
      const uint64_t r = blocks.begin(b) + k;
      const Network net = grid_point(plan, run_set(plan, r));
      set_up(net); // its distances, which a heuristic's measures read
      out[k] = is_heuristic(net.method) ? heuristic_run(net, run_seed(plan, r))
                                        : run_alone(net, run_seed(plan, r));
      if (caught) return k + 1;
    }
    return blocks.length(b);
  }
  for (uint64_t k = 0; k < blocks.length(b);) {
    int n = int(std::min<uint64_t>(NLANE, blocks.length(b) - k));
    bool made = false;
    if (!plan.methods.empty())
      n = method_runs(plan, blocks.begin(b) + k, uint64_t(n), out + k, &made);
    if (made) {
      k += uint64_t(n);
      if (caught) return k;
      continue;
    }
    Network lane[NLANE];
    bool networks = false; // some lane runs a network, not a heuristic
    for (int l = 0; l < NLANE; l++) {
      const uint64_t r = blocks.begin(b) + k + uint64_t(l);
      if (l < n) lane[l] = grid_point(plan, run_set(plan, r));
      if (l >= n || is_heuristic(lane[l].method)) {
        if (l < n) out[k + uint64_t(l)] = heuristic_run(lane[l], run_seed(plan, r));
        batch_idle(&batch, l);
        continue;
      }
      batch_start(&batch, l, lane[l], run_seed(plan, r));
      networks = true;
    }
    if (networks) batch_sweeps(&batch);
    for (int l = 0; l < n; l++) {
      if (is_heuristic(lane[l].method)) continue;
      static double state[MAXCITY][MAXCITY], before[MAXCITY][MAXCITY], before2[MAXCITY][MAXCITY];
      batch_take(&batch, l, state, before, before2);
      RunResult &run = out[k + uint64_t(l)];
      run = measure_end(lane[l], state, before, before2);
      // A final state that is not finite travels as a NaN energy, which the survey refuses.
      if (!state_finite(state)) run.energy = NAN;
    }
    k += uint64_t(n);
    if (caught) return k;
  }
  return blocks.length(b);
}

// Reads exactly size bytes; false at an early end of file or an error.
bool read_all(int fd, void *data, size_t size) {
  for (char *p = static_cast<char *>(data); size > 0;) {
    ssize_t n = read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || caught) return false;
    p += n, size -= size_t(n);
  }
  return true;
}

// Worker w of n: its blocks, one write each. Never returns.
[[noreturn]] void work(const Plan &plan, int w, int n, int fd) {
  sweep_slot = w;
  const Blocks blocks = blocks_for(plan);
  std::vector<RunResult> out(blocks.size);
  for (uint64_t b = uint64_t(w); b < blocks.count(); b += uint64_t(n)) {
    run_block(plan, blocks, b, out.data());
    if (write_all(fd, out.data(), blocks.length(b) * sizeof(RunResult)) != 0) _exit(1);
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

void stop_workers(Workers *workers) {
  workers_running = 0;
  for (pid_t p : workers->pid) kill(p, SIGKILL), wait_worker(p);
  for (int fd : workers->fd) close(fd);
  *workers = Workers();
}

// Starts n workers; stops at the first that cannot start, with the system's reason in *why.
Workers try_workers(const Plan &plan, int n, std::string *why) {
  Workers workers;
  const pid_t parent = getpid();
  fflush(nullptr);
  for (int w = 0; w < n; w++) {
    int p[2];
    if (pipe(p) != 0) {
      *why = strerror(errno);
      break;
    }
    fcntl(p[0], F_SETPIPE_SZ, 1 << 20); // room to run ahead; the default will do too
    // The signals wait until the worker is stored here and has its own actions.
    sigset_t stopping, was;
    sigemptyset(&stopping);
    for (int sig : STOPPING) sigaddset(&stopping, sig);
    sigprocmask(SIG_BLOCK, &stopping, &was);
    pid_t child = fork();
    if (child == 0) {
      // A worker dies with this process however it ends, even before this line (its parent is
      // then another); a terminal's Ctrl-C is for this process, which stops the workers.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(1);
      signal(SIGTERM, SIG_DFL), signal(SIGHUP, SIG_DFL), signal(SIGINT, SIG_IGN);
      workers_running = 0;
      sigprocmask(SIG_SETMASK, &was, nullptr);
      for (int r : workers.fd) close(r);
      close(p[0]);
      work(plan, w, n, p[1]);
    }
    int forked = errno;
    if (child > 0) worker_pid[w] = child, workers_running = w + 1;
    sigprocmask(SIG_SETMASK, &was, nullptr);
    close(p[1]);
    if (child < 0) {
      close(p[0]);
      *why = strerror(forked);
      break;
    }
    workers.pid.push_back(child);
    workers.fd.push_back(p[0]);
  }
  return workers;
}

// The sweeps of the plan's runs (this process's share) that are networks' runs.
uint64_t plan_sweeps(const Plan &plan) {
  uint64_t sweeps = 0;
  for (uint64_t r = plan.first_run; r < plan.end_run;) {
    const uint64_t set = run_set(plan, r),
                   end = std::min((set + 1) * seed_count(plan), plan.end_run);
    const Network net = grid_point(plan, set);
    if (!is_heuristic(net.method)) sweeps += uint64_t(net.sweeps) * (end - r);
    r = end;
  }
  return sweeps;
}

double seconds_now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One self-updating line on a terminal's standard error, once a survey has run a second. When
// standard output is the same terminal, the line is cleared before rows are written and drawn
// again after. Networks that run alone are followed sweep by sweep too (sweeps > 0: the plan's),
// the time left counted down from the last sweep made.
struct Progress {
  bool on = isatty(STDERR_FILENO);
  bool shares = on && isatty(STDOUT_FILENO);
  bool shown = false;
  double start = seconds_now(), last = 0;
  uint64_t done = 0, total = 0;   // runs
  uint64_t sweeps = 0, swept = 0; // sweeps in all, and made by the last look
  double swept_at = 0;            // when that look found the last of them made

  void update(uint64_t runs_done, uint64_t runs) {
    done = runs_done, total = runs;
    show();
  }
  void show() {
    double now = seconds_now(), elapsed = now - start;
    if (!on || elapsed < 1.0 || now - last < 0.1) return;
    if (sweeps > 0) {
      const uint64_t made = sweeps_so_far();
      if (made != swept) swept = made, swept_at = now;
      const double each = swept > 0 ? (swept_at - start) / double(swept) : 0.0;
      const double left = double(sweeps - std::min(swept, sweeps)) * each - (now - swept_at);
      char left_text[32] = "";
      if (swept > 0) snprintf(left_text, sizeof left_text, ", %.0f s left", std::max(left, 0.0));
      fprintf(stderr, "\r%llu of %llu runs, %llu of %llu sweeps%s \033[K", (unsigned long long)done,
              (unsigned long long)total, (unsigned long long)swept, (unsigned long long)sweeps,
              left_text);
    } else {
      double rate = double(done) / elapsed;
      fprintf(stderr, "\r%llu of %llu runs, %.0f runs/s, %.0f s left \033[K",
              (unsigned long long)done, (unsigned long long)total, rate,
              double(total - done) / rate);
    }
    shown = true, last = now;
  }
  void clear() {
    if (shown) fprintf(stderr, "\r\033[K");
    shown = false, last = 0;
  }
  void before_rows() {
    if (shares) clear();
  }
};

} // namespace

int survey_signal() {
  return caught;
}

void catch_signals(Stopping how) {
  at_once = how == STOP_SHARD, for_caller = how == STOP_CALLER, caught = 0;
  struct sigaction action = {};
  action.sa_handler = on_signal;
  action.sa_flags = SA_RESTART | (how == STOP_CALLER ? 0 : SA_RESETHAND);
  sigemptyset(&action.sa_mask);
  for (int sig : STOPPING) sigaddset(&action.sa_mask, sig);
  for (int k = 0; k < 3; k++) {
    sigaction(STOPPING[k], nullptr, &before_survey[k]);
    if (how == STOP_CALLER && before_survey[k].sa_handler == SIG_IGN) continue;
    sigaction(STOPPING[k], &action, nullptr);
  }
}

Workers start_workers(const Plan &plan, std::string *why) {
  count_sweeps_from_zero();
  const Blocks blocks = blocks_for(plan);
  const int wanted = int(std::min<uint64_t>(uint64_t(plan.jobs), blocks.count()));
  // Every worker must know how many share the blocks: when one cannot start, the others stop
  // and as many as did start begin again.
  for (int n = wanted; n > 1;) {
    std::string reason;
    Workers workers = try_workers(plan, n, &reason);
    if (int(workers.pid.size()) == n) return workers;
    if (why->empty())
      *why = "only " + std::to_string(workers.pid.size()) + " of " + std::to_string(wanted) +
             " workers could start (" + reason + ")";
    n = int(workers.pid.size());
    stop_workers(&workers);
  }
  return Workers();
}

bool run_survey(const Plan &plan, Workers *workers, const RunSink &sink, std::string *error) {
  const Blocks blocks = blocks_for(plan);
  const size_t n = workers->pid.size();

  // 1. Each block from its worker, or run here, handed on in order; while a worker's block is
  // awaited, its sweeps shown at least every quarter second.
  static Progress progress;
  progress = Progress();
  progress.on = progress.on && plan.progress, progress.shares = progress.shares && plan.progress;
  if (runs_alone(plan)) progress.sweeps = plan_sweeps(plan);
  if (n == 0 && progress.sweeps > 0) show_sweeps = [] { progress.show(); };
  std::vector<RunResult> in(blocks.size);
  int failed = -1;
  bool stopped = false;
  for (uint64_t b = 0; b < blocks.count() && failed < 0 && !stopped && !caught; b++) {
    uint64_t got = blocks.length(b);
    pollfd ready = {n == 0 ? -1 : workers->fd[b % n], POLLIN, 0};
    while (n > 0 && progress.sweeps > 0 && !caught && poll(&ready, 1, 250) == 0) progress.show();
    if (n == 0)
      got = run_block(plan, blocks, b, in.data());
    else if (!read_all(workers->fd[b % n], in.data(), got * sizeof(RunResult))) {
      failed = int(b % n);
      break;
    }
    progress.before_rows();
    stopped = !sink(blocks.begin(b), in.data(), got);
    progress.update(blocks.begin(b) - blocks.first + blocks.length(b), blocks.runs);
  }
  progress.clear();
  show_sweeps = nullptr;

  // 2. Reap the workers: after a failure, a stop or a signal, end the others first. A signal is
  // no failure: the workers were killed for it (one sent to the process group may end a worker
  // a moment before it comes here, so it is looked at once the failed worker is reaped).
  error->clear();
  std::string ended = failed >= 0 ? wait_worker(workers->pid[size_t(failed)]) : "";
  workers_running = 0;
  if (caught) stopped = true;
  if (failed >= 0 && !caught)
    *error = "worker " + std::to_string(failed + 1) + " " +
             (ended.empty() ? "stopped early" : ended) + "; the survey is incomplete";
  for (size_t w = 0; w < n; w++) {
    if (int(w) == failed) continue;
    if (failed >= 0 || stopped) kill(workers->pid[w], SIGKILL);
    ended = wait_worker(workers->pid[w]);
    if (!stopped && error->empty() && !ended.empty())
      *error = "worker " + std::to_string(w + 1) + " " + ended;
  }
  for (int fd : workers->fd) close(fd);
  *workers = Workers();
  // 3. The runs over, a signal ends the survey as it would have without the handler: its action
  // is the one it had before catch_signals.
  for (int k = 0; k < 3; k++) sigaction(STOPPING[k], &before_survey[k], nullptr);
  return !stopped && error->empty();
}
