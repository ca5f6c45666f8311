// nuv-survey as its user runs it: agreement with nuv's own tables, the same output for any
// number of workers, refusals of bad input, and a worker that dies.
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "network.h"
#include "run.h"

namespace {

Ran survey(const std::string &args) {
  return run(std::string(SURVEY) + " " + args);
}

// The tour in the last table of a nuv run as a person reads it: the city above 0.50 in each
// column. "" when that is no tour; "?" when a value shows as 0.50 and the table cannot tell.
std::string tour_in_last_table(const std::vector<std::string> &transcript) {
  std::string tour, cities;
  for (size_t j = 0; j < 9; j++) {
    std::string city;
    for (size_t i = 0; i < 9; i++) {
      std::string v = transcript[589 + i].substr(6 + 7 * j, 5);
      if (v == " 0.50") return "?";
      if (v > " 0.50") city += char('1' + i);
    }
    if (city.size() != 1) return "";
    tour += (j ? "-" : "") + city, cities += city;
  }
  std::sort(cities.begin(), cities.end());
  return cities == "123456789" ? tour : "";
}

TEST(Survey, AgreesWithTheLastTableAndEnergyOfNuv) {
  // Rows from a range, with D = 1.2 made as FROM + 7 * STEP, and from its start, D = 0.5.
  Ran r = survey("--csv --seeds 1:12 1 1 0.5:1.5:0.1");
  ASSERT_EQ(r.status, 0) << r.err;
  auto rows = lines_of(r.out);
  ASSERT_EQ(rows.size(), 1 + 11 * 12u);
  int compared = 0, valid = 0;
  for (size_t k = 1; k < rows.size(); k++) {
    auto f = fields_of(rows[k]);
    ASSERT_EQ(f.size(), 12u) << rows[k];
    if (f[2] != "1.2" && f[2] != "0.5") continue;
    auto transcript = lines_of(run(std::string(NUV) + " 1 1 " + f[2] + " " + f[3]).out);
    ASSERT_EQ(transcript.size(), 599u);
    EXPECT_EQ(" Energy = " + f[8], transcript.back()) << rows[k];
    std::string tour = tour_in_last_table(transcript);
    if (tour == "?") continue;
    compared++, valid += f[4] == "1";
    EXPECT_EQ(f[4], tour.empty() ? "0" : "1") << rows[k];
    EXPECT_EQ(f[5], tour) << rows[k];
    EXPECT_EQ(f[6].empty(), tour.empty());
  }
  EXPECT_GE(compared, 20);
  EXPECT_GE(valid, 5);
}

TEST(Survey, ToursCountEveryRunOnceAndAgreeWithTheCsv) {
  const std::string plan = "--seeds 1:300 1 1 1.5:2:0.5";
  Ran tours = survey("--tours --csv " + plan), csv = survey("--csv " + plan);
  ASSERT_EQ(tours.status, 0) << tours.err;
  auto rows = lines_of(tours.out);
  EXPECT_EQ(rows[0], "Acoef,Bcoef,Dcoef,outcome,tour,rank,ratio,runs,percent");
  // Each (D, outcome, tour) of the CSV counted by hand, against the rows of --tours.
  std::map<std::string, int> counted, listed;
  std::map<std::string, std::string> rank_of;
  for (const auto &row : lines_of(csv.out)) {
    auto f = fields_of(row);
    if (f[0] == "Acoef") continue;
    std::string tour = f[5];
    if (!tour.empty()) { // rotate and turn to the canonical form: city 1 first, smaller second
      std::vector<std::string> c;
      for (size_t k = 0; k < tour.size(); k += 2) c.push_back(tour.substr(k, 1));
      size_t at = size_t(std::find(c.begin(), c.end(), "1") - c.begin());
      bool forward = c[(at + 1) % 9] < c[(at + 8) % 9];
      tour = "";
      for (size_t k = 0; k < 9; k++) tour += (k ? "-" : "") + c[(at + (forward ? k : 9 - k)) % 9];
    }
    counted[f[2] + "," + f[10] + "," + tour]++;
    rank_of[tour] = f[9];
  }
  std::map<std::string, int> per_set;
  for (size_t k = 1; k < rows.size(); k++) {
    auto f = fields_of(rows[k]);
    ASSERT_EQ(f.size(), 9u) << rows[k];
    listed[f[2] + "," + f[3] + "," + f[4]] += std::stoi(f[7]);
    per_set[f[2]] += std::stoi(f[7]);
    EXPECT_NEAR(std::stod(f[8]), 100.0 * std::stoi(f[7]) / 300, 0.006) << rows[k];
    if (k > 1 && fields_of(rows[k - 1])[2] == f[2]) { // most runs first within a set
      EXPECT_GE(std::stoi(fields_of(rows[k - 1])[7]), std::stoi(f[7]));
    }
  }
  EXPECT_EQ(listed, counted);
  EXPECT_EQ(per_set, (std::map<std::string, int>{{"1.5", 300}, {"2", 300}}));
  // The order within a coefficient set: most runs first; among equal counts, tours by rank before
  // the failures, then by text. Sorted here from the CSV's own counts and ranks.
  struct Row {
    std::string d, outcome, tour;
    int runs, rank;
  };
  std::vector<Row> expected;
  for (const auto &[key, runs] : counted) {
    auto f = fields_of(key);
    expected.push_back({f[0], f[1], f[2], runs, f[2].empty() ? 1 << 30 : std::stoi(rank_of[f[2]])});
  }
  std::stable_sort(expected.begin(), expected.end(), [](const Row &a, const Row &b) {
    if (a.d != b.d) return std::stod(a.d) < std::stod(b.d);
    if (a.runs != b.runs) return a.runs > b.runs;
    if (a.rank != b.rank) return a.rank < b.rank;
    return a.tour < b.tour;
  });
  int ties = 0;
  ASSERT_EQ(expected.size() + 1, rows.size());
  for (size_t k = 0; k < expected.size(); k++) {
    auto f = fields_of(rows[k + 1]);
    EXPECT_EQ(f[2] + "," + f[3] + "," + f[4],
              expected[k].d + "," + expected[k].outcome + "," + expected[k].tour)
        << "row " << k + 1;
    ties += k > 0 && expected[k].runs == expected[k - 1].runs && expected[k].d == expected[k - 1].d;
  }
  EXPECT_GT(ties, 10); // the order among equal counts is put to the test
}

TEST(Survey, TheSummaryAveragesTheValidRunsAndWritesCoefficientsInFull) {
  // A 17-digit coefficient is written whole wherever it is written; the mean ratio is over the
  // valid runs only, worked out here from the CSV's ratios.
  const std::string plan = " --seeds 1:200 1 1 0.30000000000000004:0.30000000000000004:1";
  Ran summary = survey(plan), csv = survey("--csv" + plan), tours = survey("--tours --csv" + plan);
  double sum = 0;
  int valid = 0, runs = 0;
  for (const auto &row : lines_of(csv.out))
    if (auto f = fields_of(row); f[0] != "Acoef") {
      runs++;
      EXPECT_EQ(f[2], "0.30000000000000004");
      if (f[4] == "1") sum += std::stod(f[7]), valid++;
    }
  ASSERT_EQ(runs, 200);
  ASSERT_GT(valid, 0);
  ASSERT_LT(valid, 200);
  std::istringstream row(lines_of(summary.out)[2]);
  std::string a, b, d, count, share, interval, optimal, optimal_interval;
  double mean;
  row >> a >> b >> d >> count >> share >> interval >> optimal >> optimal_interval >> mean;
  EXPECT_EQ(d, "0.30000000000000004");
  EXPECT_NEAR(mean, sum / valid, 0.00006); // four decimals, from six-decimal ratios
  EXPECT_GT(std::fabs(mean - sum / runs), 0.01);
  EXPECT_EQ(fields_of(lines_of(tours.out)[1])[2], "0.30000000000000004");
}

TEST(Survey, RankOutcomeAndSettledAreTheTracersForTheSameRun) {
  Ran r = survey("--csv --seeds 1:40 1 1 1");
  auto rows = lines_of(r.out);
  EXPECT_EQ(rows[0], "Acoef,Bcoef,Dcoef,seed,valid,tour,length,ratio,energy,rank,outcome,settled");
  int settled = 0;
  for (size_t k = 1; k < rows.size(); k++) {
    auto f = fields_of(rows[k]);
    ASSERT_EQ(f.size(), 12u) << rows[k];
    auto last = fields_of(lines_of(run(std::string(TRACE) + " --csv 1 1 1 " + f[3]).out)[50]);
    EXPECT_EQ(f[9], last[13]) << rows[k]; // the rank, empty when no tour
    EXPECT_EQ(f[10], last[9]) << rows[k]; // the outcome
    EXPECT_EQ(f[11], std::stod(last[8]) <= 0.01 ? "1" : "0") << rows[k];
    settled += f[11] == "1";
  }
  EXPECT_GT(settled, 0);
  EXPECT_LT(settled, 40);
}

TEST(Survey, NoTourIsShorterThanTheOptimum) {
  Ran r = survey("--csv --seeds 1:400 1 1 1");
  ASSERT_EQ(r.status, 0) << r.err;
  int valid = 0;
  for (const auto &row : lines_of(r.out))
    if (auto f = fields_of(row); f[4] == "1") {
      valid++;
      EXPECT_GE(std::stod(f[7]), 1.0 - 1e-9) << row;
      EXPECT_NEAR(std::stod(f[6]) / std::stod(f[7]), 6 + 6 * std::sqrt(5.0), 1e-4) << row;
    }
  EXPECT_GT(valid, 100);
  EXPECT_EQ(lines_of(survey("--seeds 1:1 1 1 1").out)[0],
            "optimal tour 1-4-3-2-9-8-7-6-5, length 19.416408");
}

TEST(Survey, OutputIsTheSameForAnyNumberOfWorkers) {
  for (const char *mode : {"--csv", ""}) {
    const std::string plan = std::string(mode) + " --seeds 3:90 1 0.5:1.5:0.5 0.5:1:0.5";
    Ran one = survey("--jobs 1 " + plan), three = survey("--jobs 3 " + plan);
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(three.status, 0);
    EXPECT_TRUE(one.out == three.out) << mode;
    EXPECT_EQ(three.err, ""); // no progress line off a terminal
  }
}

TEST(Survey, BadInputGetsStatusTwoAndOneLineBeforeAnyRun) {
  for (const char *args : {"1 1", "1 nan 1", "--jobs 0 1 1 1"}) {
    Ran r = survey(args);
    EXPECT_EQ(r.status, 2) << args;
    EXPECT_EQ(r.out, "") << args;
    EXPECT_EQ(lines_of(r.err).size(), 1u) << r.err;
  }
  Ran help = survey("--help");
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("Usage: nuv-survey ", 0), 0u);
}

TEST(Survey, AFailingOutputStopsTheSurveyAtOnce) {
  // Two million runs take minutes; a failed write stops them within the first blocks.
  const std::string big = std::string(SURVEY) + " --seeds 1:2000000 --csv 1 1 1";
  Ran full = run("timeout 60 " + big + " >/dev/full");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.err, "nuv-survey: cannot write standard output: No space left on device\n");
  Ran ignored = run("trap '' PIPE; timeout 60 " + big + " | head -n 3");
  EXPECT_EQ(ignored.out, survey("--seeds 1:2 --csv 1 1 1").out);
  EXPECT_EQ(ignored.err, "nuv-survey: cannot write standard output: Broken pipe\n");
  // With SIGPIPE as it comes, the tool dies by it, as Unix tools do.
  EXPECT_EQ(run("(timeout 60 " + big + "; echo $? >&2) | head -n 1 >/dev/null").err, "141\n");
  // A summary writes nothing until its coefficient set ends, hours away here: a reader that has
  // gone is noticed all the same, long before the timeout (status 124).
  const std::string quiet = std::string(SURVEY) + " --seeds 1:100000000 1 1 1";
  Ran gone = run("trap '' PIPE; (timeout 60 " + quiet + "; echo $? >&2) | head -n 1");
  EXPECT_EQ(gone.out, "optimal tour 1-4-3-2-9-8-7-6-5, length 19.416408\n");
  EXPECT_EQ(gone.err, "nuv-survey: cannot write standard output: Broken pipe\n1\n");
  EXPECT_EQ(run("(timeout 60 " + quiet + "; echo $? >&2) | head -n 1 >/dev/null").err, "141\n");
  // Over a file-size limit: an error with its message, never a silent SIGXFSZ.
  for (const std::string &tool :
       {std::string(SURVEY) + " --csv --seeds 1:100000 1 1 1",
        std::string(TRACE) + " --csv 1 1 1 5", std::string(NUV) + " 1 1 1 5"}) {
    Ran said =
        run("ulimit -f 1; f=/tmp/nuv-test-limit.$$; " + tool + " > $f; s=$?; rm -f $f; exit $s");
    EXPECT_EQ(said.status, 1) << tool;
    EXPECT_NE(said.err.find(": cannot write standard output: File too large\n"), std::string::npos)
        << tool << ": " << said.err;
  }
}

// The survey with only standard input, output and error open, and at most `fds` descriptors.
Ran survey_with_fds(int fds, const std::string &args) {
  return run("bash -c 'for f in /proc/$$/fd/*; do n=${f##*/}; [ $n -gt 2 ] && eval \"exec $n>&-\"; "
             "done; ulimit -n " +
             std::to_string(fds) + "; exec " + SURVEY + " " + args + "' 2>&1");
}

TEST(Survey, RunsWithTheWorkersThatCanStartAndWithNoneForOneJob) {
  const std::string plan = " --seeds 1:60 --csv 1 1 0.5:1.5:0.5";
  const std::string alone = survey("--jobs 1" + plan).out;
  // Each worker holds a pipe's read end: six descriptors hold two workers, five one, and the
  // survey then runs in its own process.
  const std::string two = "nuv-survey: only 2 of 3 workers could start (Too many open files); "
                          "running with 2\n";
  EXPECT_TRUE(survey_with_fds(6, "--jobs 3" + plan).out == two + alone);
  const std::string none = "nuv-survey: only 1 of 3 workers could start (Too many open files); "
                           "running in this process\n";
  EXPECT_TRUE(survey_with_fds(5, "--jobs 3" + plan).out == none + alone);
  // One job makes no pipe at all: four descriptors leave no room for one.
  EXPECT_TRUE(survey_with_fds(4, "--jobs 1" + plan).out == alone);
}

TEST(Survey, TheSummaryFitsEightyColumnsAndAProgressLineNeverJoinsIt) {
  // On a terminal, through script(1): what each line shows once the terminal has drawn it
  // (its text after the last carriage return) is a row, never the progress line.
  if (run("script -qfec true /dev/null").status != 0)
    GTEST_SKIP() << "skipped: no terminal can be made (script)";
  Ran r = run("script -qfec '" + std::string(SURVEY) +
              " --jobs 2 --seeds 1:5000 1 1 0.5:1.5:0.5' /dev/null");
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> shown;
  for (std::string line : lines_of(r.out)) {
    if (!line.empty() && line.back() == '\r') line.pop_back(); // the terminal's line ending
    line = line.substr(line.rfind('\r') == std::string::npos ? 0 : line.rfind('\r') + 1);
    if (line.rfind("\033[K", 0) == 0) line = line.substr(3);
    if (!line.empty()) shown.push_back(line);
  }
  ASSERT_EQ(shown.size(), 5u) << r.out;
  for (const std::string &line : shown) {
    EXPECT_EQ(line.find("runs/s"), std::string::npos) << line;
    EXPECT_LE(std::count_if(line.begin(), line.end(), [](char c) { return (c & 0xc0) != 0x80; }),
              80)
        << line; // characters, not bytes: "±" is two
  }
}

TEST(Survey, AKilledWorkerFailsTheSurveyWithStatusOne) {
  Ran r = run_killing_a_worker(std::string(SURVEY) + " --jobs 2 --seeds 1:100000000 1 1 1", 2);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("killed by signal 9"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("the survey is incomplete"), std::string::npos) << r.err;
}

// At the most cities, where a summary's head is wider than a row's first buffer, each tool
// writes text only (no NUL byte) and the head ends with its last column, whole: the survey and
// the tracer with a heuristic, each over its methods' rows.
TEST(Survey, TheMostCitiesGiveTextWithNoNulByte) {
  const std::string cities = " --cities random:" + std::to_string(MAXCITY) + ":1";
  for (const std::string &command :
       {std::string(SURVEY) + " --seeds 1:2 --method 2-opt" + cities,
        std::string(SURVEY) + " --seeds 1:2 --methods nearest,or-opt" + cities,
        std::string(TRACE) + " --method 2-opt" + cities + " 1 1 1 5"}) {
    const Ran r = run(command);
    ASSERT_EQ(r.status, 0) << command << r.err;
    EXPECT_EQ(r.out.find('\0'), std::string::npos) << command;
    EXPECT_EQ(r.err.find('\0'), std::string::npos) << command;
    const size_t head = r.out.find("best tour");
    if (head != std::string::npos) {
      EXPECT_EQ(r.out.substr(r.out.find('\n', head) - 5, 6), "ratio\n") << command;
    }
  }
}

} // namespace
