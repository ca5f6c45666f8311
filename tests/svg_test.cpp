// nuv-survey --svg: both pictures parse as XML and hold their parts, the refusals give their
// statuses, and no picture or temporary file is left behind when a survey fails.
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "run.h"

namespace {

class Svg : public ::testing::Test {
protected:
  std::string dir;
  void SetUp() override {
    char tmpl[] = "/tmp/nuv-svg-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir = tmpl;
  }
  void TearDown() override { run("rm -rf " + dir); }

  Ran survey(const std::string &args) { return run(std::string(SURVEY) + " " + args); }

  // An XPath count over the picture, by the elements' local names.
  int count(const std::string &file, const std::string &xpath) {
    Ran r = run("xmllint --xpath 'count(" + xpath + ")' " + file);
    return r.status == 0 ? std::stoi(r.out) : -1;
  }

  std::vector<std::string> files() {
    std::vector<std::string> names;
    DIR *d = opendir(dir.c_str());
    while (dirent *e = d ? readdir(d) : nullptr) // hidden temporary files count too
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..")
        names.push_back(e->d_name);
    if (d) closedir(d);
    return names;
  }
};

const std::string CITY = "//*[local-name()=\"circle\"][@class=\"city\"]";
const std::string OPTIMAL = "//*[local-name()=\"polygon\"][@class=\"optimal\"]";
const std::string BEST = "//*[local-name()=\"polygon\"][@class=\"best\"]";
const std::string CELL = "//*[local-name()=\"rect\"][@class=\"cell\"]";

TEST_F(Svg, OneTripleIsAMapOfNineCitiesAndTwoTours) {
  const std::string file = dir + "/map.svg";
  Ran r = survey("--svg " + file + " --seeds 1:40 1 1 1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("xmllint --noout " + file).status, 0);
  EXPECT_EQ(count(file, CITY), 9);
  EXPECT_EQ(count(file, OPTIMAL), 1);
  EXPECT_EQ(count(file, BEST), 1);
  Ran points = run("xmllint --xpath 'string(" + BEST + "/@points)' " + file);
  EXPECT_EQ(lines_of(std::regex_replace(points.out, std::regex(" "), "\n")).size(), 9u);
  Ran caption = run("grep -c '40 runs' " + file);
  EXPECT_EQ(caption.out, "1\n");
  EXPECT_EQ(files(), std::vector<std::string>{"map.svg"});
}

TEST_F(Svg, AMapWithoutAValidTourHasNoBestTour) {
  const std::string file = dir + "/none.svg";
  ASSERT_EQ(survey("--svg " + file + " --seeds 1:5 0 0 0").status, 0);
  EXPECT_EQ(count(file, CITY), 9);
  EXPECT_EQ(count(file, OPTIMAL), 1);
  EXPECT_EQ(count(file, BEST), 0);
}

TEST_F(Svg, TwoRangingCoefficientsAreAHeatmapThatAgreesWithTheSummary) {
  const std::string file = dir + "/heat.svg";
  Ran r = survey("--svg " + file + " --seeds 1:30 1 0.5:1:0.5 1:2:0.5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("xmllint --noout " + file).status, 0);
  EXPECT_EQ(count(file, CELL), 2 * 3);
  EXPECT_EQ(count(file, "//*[local-name()=\"text\"][@class=\"axis\"][.=\"Bcoef\" or .=\"Dcoef\"]"),
            2);
  EXPECT_EQ(count(file, "//*[local-name()=\"text\"][contains(., \"Acoef = 1\")]"), 1);
  // Every summary row's valid and optimal shares stand in its cell's title.
  auto rows = lines_of(r.out);
  ASSERT_EQ(rows.size(), 2 + 6u);
  for (size_t k = 2; k < rows.size(); k++) {
    std::istringstream row(rows[k]);
    std::string a, b, d, runs, valid, optimal;
    row >> a >> b >> d >> runs >> valid >> optimal;
    std::string title =
        "Bcoef " + b + ", Dcoef " + d + ": " + valid + "% valid, " + optimal + "% optimal";
    EXPECT_EQ(count(file, "//*[local-name()=\"title\"][.=\"" + title + "\"]"), 1) << title;
  }
}

TEST_F(Svg, AllThreeRangingIsRefusedBeforeAnyRun) {
  Ran r = survey("--svg " + dir + "/x.svg 0:1:1 0:1:1 0:1:1");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("not all three"), std::string::npos) << r.err;
  EXPECT_TRUE(files().empty());
}

TEST_F(Svg, AnUnwritablePathFailsBeforeAnyRun) {
  for (const std::string &path : {dir + "/no/such/folder/x.svg", dir}) {
    Ran r = survey("--svg " + path + " 1 1 1");
    EXPECT_EQ(r.status, 1) << path;
    EXPECT_EQ(r.out, "") << path;
    EXPECT_NE(r.err.find("cannot write " + path), std::string::npos) << r.err;
  }
  EXPECT_TRUE(files().empty());
}

TEST_F(Svg, ASurveyThatFailsOrIsInterruptedLeavesNoFile) {
  for (int sig : {SIGTERM, SIGINT, SIGKILL}) {
    pid_t pid = fork();
    if (pid == 0) {
      setpgid(0, 0); // its own group, so that the signal reaches its workers as from a terminal
      freopen("/dev/null", "w", stdout);
      std::string file = dir + "/x.svg";
      execl(SURVEY, SURVEY, "--svg", file.c_str(), "--seeds", "1:100000000", "1", "1", "1",
            (char *)nullptr);
      _exit(127);
    }
    usleep(300000);
    kill(-pid, sig);
    int status;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_TRUE(files().empty()) << "signal " << sig;
  }
}

TEST_F(Svg, AKilledWorkerLeavesNoFile) {
  const std::string file = dir + "/x.svg";
  Ran r = run_killing_a_worker(
      {SURVEY, "--jobs", "2", "--svg", file, "--seeds", "1:100000000", "1", "1", "1"}, 2);
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_TRUE(files().empty());
}

} // namespace
