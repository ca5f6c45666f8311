// nuv-survey's runs as they end: signals to its process (the workers die with it, a summary of
// the runs finished marked partial, a shard written whole or not at all), runs whose state is
// not finite, the summary's best tour whole, and TSPLIB's whole lengths without decimals.
#include <algorithm>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "folder.h"
#include "run.h"

namespace {

const std::string DATA = std::string(SOURCE_DIR) + "/data/tsplib/";

Ran survey(const std::string &args) {
  return run(std::string(SURVEY) + " " + args);
}

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Whether process pid is still running (a zombie has ended).
bool running(pid_t pid) {
  const std::string stat = slurp("/proc/" + std::to_string(pid) + "/stat");
  const size_t close = stat.rfind(')');
  return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// Polls until done() holds, at most about limit seconds: whether it did.
template <typename Done>
bool within(double limit, Done done) {
  for (int tries = 0; tries < int(limit * 100); tries++, usleep(10000))
    if (done()) return true;
  return done();
}

// A survey started in folder dir, its output and errors into files there; not waited for.
struct Started {
  pid_t pid;
  std::string out, err;
};
Started start(const std::string &dir, const std::string &args) {
  Started s{0, dir + "/out.txt", dir + "/err.txt"};
  unlink(s.out.c_str()), unlink(s.err.c_str()); // none left from an earlier one
  s.pid = fork();
  if (s.pid == 0) {
    if (chdir(dir.c_str()) != 0) _exit(127);
    execl("/bin/sh", "sh", "-c",
          ("exec " + std::string(SURVEY) + " " + args + " >out.txt 2>err.txt").c_str(),
          (char *)nullptr);
    _exit(127);
  }
  return s;
}

// Its status as a shell gives it: the exit status, or 128 + the signal that ended it.
int wait_status(pid_t pid) {
  int st;
  waitpid(pid, &st, 0);
  return WIFSIGNALED(st) ? 128 + WTERMSIG(st) : WEXITSTATUS(st);
}

// A long survey: each worker's first block alone takes minutes.
const std::string LONG = "--cities random:30:1 --sweeps 100000 --jobs 2 --seeds 1:64 1 1 1";

class Signals : public InFolder {};

// Each of TERM, INT and HUP to the survey's process ends its workers with it, at once, leaving
// no temporary file, and a shard (-o) and a picture (--svg) not written at all.
TEST_F(Signals, EndTheWorkersWithTheSurveyAndLeaveNoFile) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE("signal " + std::to_string(sig));
    for (const std::string extra : {"--svg picture.svg", "--shard 1/2 -o shard.csv"}) {
      Started s = start(dir, extra + " " + LONG);
      std::vector<pid_t> workers;
      ASSERT_TRUE(within(30, [&] { return (workers = children_of(s.pid)).size() == 2; }))
          << extra << ": the workers did not start";
      kill(s.pid, sig);
      EXPECT_TRUE(within(3, [&] { return !running(workers[0]) && !running(workers[1]); }))
          << extra << ": a worker outlived the survey";
      const int status = wait_status(s.pid);
      EXPECT_EQ(status, 128 + sig) << extra << ": " << slurp(s.err);
      for (pid_t w : workers) kill(w, SIGKILL); // whatever the outcome, none is left running
      EXPECT_EQ(files(), "err.txt\nout.txt\n") << extra;
      if (extra.find("--shard") == 0) {
        EXPECT_EQ(slurp(s.out), "") << "a shard printed";
      }
    }
  }
}

// A survey killed outright (no handler can run) still takes its workers with it.
TEST_F(Signals, WorkersDieWithASurveyKilledOutright) {
  Started s = start(dir, LONG);
  std::vector<pid_t> workers;
  ASSERT_TRUE(within(30, [&] { return (workers = children_of(s.pid)).size() == 2; }));
  kill(s.pid, SIGKILL);
  EXPECT_EQ(wait_status(s.pid), 128 + SIGKILL);
  EXPECT_TRUE(within(3, [&] { return !running(workers[0]) && !running(workers[1]); }));
  for (pid_t w : workers) kill(w, SIGKILL);
}

// Whether process pid has a handler for sig (/proc's SigCgt mask).
bool catches(pid_t pid, int sig) {
  // The survey's own handler: the shell that execs it may catch INT for a moment first.
  if (slurp("/proc/" + std::to_string(pid) + "/comm") != "nuv-survey\n") return false;
  const std::string status = slurp("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("SigCgt:");
  return at != std::string::npos &&
         (std::stoull(status.substr(at + 7, 17), nullptr, 16) >> (sig - 1) & 1) == 1;
}

// Runs made in this process: HUP ends the survey at once, as INT or TERM sent twice do (the
// first stops it when its batch ends, and says so; before any batch began, at once).
TEST_F(Signals, EndASurveyInOneProcessAtOnceWhenRepeated) {
  for (int sig : {SIGHUP, SIGINT, SIGTERM}) {
    SCOPED_TRACE("signal " + std::to_string(sig));
    Started s = start(dir, "--cities random:30:1 --sweeps 100000 --jobs 1 --seeds 1:64 1 1 1");
    ASSERT_TRUE(within(30, [&] { return catches(s.pid, sig); })) << "no handler came";
    kill(s.pid, sig);
    if (sig != SIGHUP) {
      ASSERT_TRUE(within(30, [&] { return slurp(s.err).find("stopping") != std::string::npos; }));
      kill(s.pid, sig);
    }
    EXPECT_TRUE(within(5, [&] { return !running(s.pid); })) << "the survey ran on";
    kill(s.pid, SIGKILL);
    EXPECT_EQ(wait_status(s.pid), 128 + sig);
    // Ended by the second signal, or by the first before any batch began (none finished).
    const std::string out = slurp(s.out), none = "partial: 0 of 64 runs, interrupted\n";
    EXPECT_TRUE(out.empty() || (sig != SIGHUP && out.size() > none.size() &&
                                out.substr(out.size() - none.size()) == none))
        << out;
    EXPECT_EQ(files(), "err.txt\nout.txt\n");
  }
}

// The summary row of coefficient set D over seeds 1 to last, as a survey of it alone prints it.
std::string row_alone(const std::string &options, const std::string &d, uint64_t last) {
  Ran r = survey(options + " --seeds 1:" + std::to_string(last) + " 1 1 " + d);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<std::string> lines = lines_of(r.out);
  return lines.empty() ? "" : lines.back();
}

// "3,072" back to 3072.
uint64_t count_of(const std::string &text) {
  std::string digits;
  for (char c : text)
    if (c != ',') digits += c;
  return std::stoull(digits);
}

// INT or TERM once the first set's row is out: the rows of whole sets are the sets' own
// summaries, the set under way has the row of its runs finished, and a line says how many ran
// of how many, with the status 128 + the signal.
TEST_F(Signals, StopTheSummaryWithTheRunsFinishedMarkedPartial) {
  const std::string options = "--sweeps 3000";
  for (const auto &[sig, jobs] :
       {std::pair(SIGINT, 2), std::pair(SIGTERM, 2), std::pair(SIGINT, 1)}) {
    SCOPED_TRACE("signal " + std::to_string(sig) + ", jobs " + std::to_string(jobs));
    Started s =
        start(dir, options + " --jobs " + std::to_string(jobs) + " --seeds 1:64 1 1 1:60:1");
    ASSERT_TRUE(within(120, [&] { return lines_of(slurp(s.out)).size() >= 5; })) << "no row came";
    kill(s.pid, sig);
    ASSERT_EQ(wait_status(s.pid), 128 + sig) << slurp(s.err);
    std::vector<std::string> lines = lines_of(slurp(s.out));
    ASSERT_GE(lines.size(), 5u);
    const std::string partial = lines.back();
    ASSERT_EQ(partial.rfind("partial: ", 0), 0u) << partial;
    std::istringstream words(partial.substr(9));
    std::string done, of, total, runs;
    words >> done >> of >> total >> runs;
    EXPECT_EQ(of + " " + total + " " + runs, "of 3,840 runs,");
    EXPECT_EQ(partial.substr(partial.size() - 12), " interrupted");
    uint64_t counted = 0;
    for (size_t k = 3; k + 1 < lines.size(); k++) {
      std::istringstream row(lines[k]);
      std::string a, b, d;
      uint64_t n;
      row >> a >> b >> d >> n;
      counted += n;
      EXPECT_EQ(d, std::to_string(k - 2)) << "the sets in order";
      EXPECT_TRUE(n == 64 || k + 2 == lines.size()) << "only the last set partly run";
      EXPECT_EQ(lines[k], row_alone(options, d, n));
    }
    EXPECT_EQ(counted, count_of(done));
    EXPECT_LT(counted, 3840u);
    EXPECT_NE(slurp(s.err).find("--shard K/M -o FILE"), std::string::npos) << slurp(s.err);
  }
}

// With --csv and --tours the rows printed stand, with no line but rows; the note is on standard
// error.
TEST_F(Signals, LeaveCsvAndToursRowsWithTheNoteOnStandardError) {
  for (const std::string view : {"--csv", "--tours", "--tours --csv"}) {
    SCOPED_TRACE(view);
    Started s = start(dir, view + " --sweeps 3000 --jobs 2 --seeds 1:64 1 1 1:60:1");
    ASSERT_TRUE(within(120, [&] { return lines_of(slurp(s.out)).size() >= 8; }));
    kill(s.pid, SIGINT);
    ASSERT_EQ(wait_status(s.pid), 130) << slurp(s.err);
    const std::string out = slurp(s.out);
    EXPECT_EQ(out.find("partial"), std::string::npos);
    EXPECT_EQ(out.back(), '\n');
    EXPECT_NE(slurp(s.err).find("interrupted after "), std::string::npos) << slurp(s.err);
    if (view == "--csv") continue;
    // --tours: every set shown is whole, its rows' runs adding up to its 64.
    const bool csv = view != "--tours";
    std::map<std::string, uint64_t> runs;
    std::vector<std::string> lines = lines_of(out);
    // The CSV's header is its first line, its runs column by name (a network column follows
    // it); the table's rows follow the network, optimum and header lines, runs second to last.
    const std::vector<std::string> head = fields_of(lines[0]);
    const size_t at_runs = size_t(std::find(head.begin(), head.end(), "runs") - head.begin());
    for (size_t k = csv ? 1 : 3; k < lines.size(); k++) {
      std::vector<std::string> f;
      if (csv) {
        f = fields_of(lines[k].substr(0, lines[k].find(",\""))); // the quoted network left out
      } else {
        std::istringstream words(lines[k]);
        for (std::string w; words >> w;) f.push_back(w);
      }
      ASSERT_GE(f.size(), 5u) << lines[k];
      runs[f[0] + " " + f[1] + " " + f[2]] += std::stoull(csv ? f[at_runs] : f[f.size() - 2]);
    }
    EXPECT_FALSE(runs.empty());
    for (const auto &[set, sum] : runs) EXPECT_EQ(sum, 64u) << set;
  }
}

// A run whose final state or energy is not finite ends the survey naming it, before its row.
TEST(NonFinite, RunsEndTheSurveyNamingTheRun) {
  for (const std::string args :
       {"--rule euler --dt 100 --seeds 3:4 1 1 1", "--csv --rule euler --dt 100 --seeds 3:4 1 1 1",
        "--tours --seeds 3:4 1e308 1 1", "--seeds 3:4 1 1e308 1"}) {
    Ran r = survey(args);
    EXPECT_EQ(r.status, 1) << args;
    EXPECT_EQ(r.out.find("nan"), std::string::npos) << args << r.out;
    EXPECT_EQ(r.out.find("inf"), std::string::npos) << args << r.out;
    EXPECT_NE(lines_of(r.out).back().find("Acoef"), std::string::npos) << "a row: " << r.out;
    EXPECT_NE(r.err.find("seed 3 "), std::string::npos) << args << r.err;
    EXPECT_NE(r.err.find(args.find("1e308") == std::string::npos ? "A=1 B=1 D=1" : "e+308"),
              std::string::npos)
        << r.err;
  }
}

// Columns of UTF-8 text: "±" is two bytes and one column.
size_t columns(const std::string &text) {
  return size_t(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
  }));
}

// A tour's text from city 1, in the direction of the smaller second city.
std::string canonical(const std::string &tour) {
  std::vector<int> city;
  std::istringstream in(tour);
  for (std::string c; std::getline(in, c, '-');) city.push_back(std::stoi(c));
  const size_t n = city.size(), one = size_t(std::find(city.begin(), city.end(), 1) - city.begin());
  const bool forward = city[(one + 1) % n] < city[(one + n - 1) % n];
  std::string text = "1";
  for (size_t j = 1; j < n; j++)
    text += "-" + std::to_string(city[forward ? (one + j) % n : (one + n - j) % n]);
  return text;
}

// The best tour of a row, whole: as long as the CSV's shortest tour, in a column as wide as a
// tour, nine cities' rows as wide as ever (17).
TEST(SummaryRow, ShowsTheBestTourWhole) {
  for (const std::string cities : {"", "--cities random:12:3 ", "--cities random:20:1 "}) {
    const std::string plan = cities + "--seeds 1:40 1 1 1.5";
    Ran summary = survey(plan), csv = survey("--csv " + plan);
    ASSERT_EQ(summary.status, 0);
    ASSERT_EQ(csv.status, 0);
    std::string best;
    double shortest = 1e300;
    for (const std::string &row : lines_of(csv.out)) {
      std::vector<std::string> f = fields_of(row);
      if (f.size() > 6 && f[4] == "1" && std::stod(f[6]) < shortest)
        shortest = std::stod(f[6]), best = canonical(f[5]);
    }
    ASSERT_FALSE(best.empty()) << plan;
    std::vector<std::string> lines = lines_of(summary.out);
    const std::string head = lines[lines.size() - 2], row = lines.back();
    const size_t column = columns(head.substr(0, head.find("best tour")));
    const size_t at = row.find("  " + best + " ");
    ASSERT_NE(at, std::string::npos) << plan << ": " << best << " in\n" << row;
    EXPECT_EQ(columns(row.substr(0, at + 2)), column) << plan;
    const size_t width = std::max<size_t>(17, best.size());
    EXPECT_EQ(head.substr(head.find("best tour") + width, 7), "  ratio") << plan;
    EXPECT_EQ(columns(head), columns(row)) << plan;
    if (cities.empty()) {
      EXPECT_EQ(head.size(), 79u);
    }
  }
}

// TSPLIB's lengths are whole numbers: published optima (burma14 3323, att48 10628) print
// without decimals; nuv's own cities keep six places.
TEST(Lengths, WholeForTsplibSixPlacesForNuvsCities) {
  Ran burma = survey("--seeds 1:2 --cities " + DATA + "burma14.tsp 1 1 1");
  ASSERT_EQ(burma.status, 0) << burma.err;
  EXPECT_EQ(lines_of(burma.out)[1].substr(lines_of(burma.out)[1].size() - 13), ", length 3323");
  Ran att = survey("--tours --seeds 1:2 --cities " + DATA + "att48.tsp 1 1 0.2");
  ASSERT_EQ(att.status, 0) << att.err;
  std::string line = lines_of(att.out)[1];
  EXPECT_EQ(line.rfind("optimal tour 1-8-38-", 0), 0u) << line; // TSPLIB's own tour
  EXPECT_EQ(line.substr(line.size() - 14), ", length 10628") << line;
  // The same cities under another NAME and without their tour file: the published length.
  const std::string copy = "/tmp/nuv-lengths-" + std::to_string(getpid()) + ".tsp";
  ASSERT_EQ(run("sed 's/^NAME.*/NAME : copy/' " + DATA + "att48.tsp > " + copy).status, 0);
  Ran published = survey("--tours --seeds 1:2 --cities " + copy + " 1 1 0.2");
  unlink(copy.c_str());
  ASSERT_EQ(published.status, 0) << published.err;
  line = lines_of(published.out)[1];
  EXPECT_EQ(line.rfind("optimal length 10628 (published); best tour known here ", 0), 0u) << line;
  EXPECT_EQ(line.find('.'), std::string::npos) << line;
  Ran nuv = survey("--seeds 1:2 1 1 1");
  EXPECT_EQ(lines_of(nuv.out)[0].substr(lines_of(nuv.out)[0].size() - 16), "length 19.416408");
}

} // namespace
