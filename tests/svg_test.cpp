// nuv-survey --svg: both pictures parse as XML and hold their parts, the refusals give their
// statuses, and no picture or temporary file is left behind when a survey fails.
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "folder.h"
#include "run.h"

namespace {

class Svg : public InFolder {
protected:
  Ran survey(const std::string &args) { return run(std::string(SURVEY) + " " + args); }
};

// The number of elements of a kind, optionally of a class, in a picture, by a real XML parser.
int count(const std::string &file, const std::string &element, const std::string &cls = "") {
  std::string xpath =
      "//*[local-name()=\"" + element + "\"]" + (cls.empty() ? "" : "[@class=\"" + cls + "\"]");
  Ran r = run("xmllint --xpath 'count(" + xpath + ")' " + file);
  return r.status == 0 ? std::stoi(r.out) : -1;
}

TEST_F(Svg, OneTripleIsAMapOfNineCitiesAndTwoTours) {
  const std::string file = dir + "/map.svg";
  Ran r = survey("--svg " + file + " --seeds 1:40 1 1 1");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("xmllint --noout " + file).status, 0);
  EXPECT_EQ(count(file, "circle", "city"), 9);
  EXPECT_EQ(count(file, "polygon", "optimal"), 1);
  EXPECT_EQ(count(file, "polygon", "best"), 1);
  std::istringstream points(
      run("xmllint --xpath 'string(//*[@class=\"best\"]/@points)' " + file).out);
  int n = 0;
  for (std::string p; points >> p;) n++;
  EXPECT_EQ(n, 9);
  EXPECT_EQ(run("grep -c '40 runs' " + file).out, "1\n");
  EXPECT_EQ(files(), "map.svg\n");
  // With no valid tour, no best tour.
  ASSERT_EQ(survey("--svg " + file + " --seeds 1:5 0 0 0").status, 0);
  EXPECT_EQ(count(file, "circle", "city"), 9);
  EXPECT_EQ(count(file, "polygon", "best"), 0);
}

// The value of an attribute of the one element of a class.
std::string attribute(const std::string &file, const std::string &cls, const std::string &name) {
  return run("xmllint --xpath 'string(//*[@class=\"" + cls + "\"]/@" + name + ")' " + file).out;
}

TEST_F(Svg, AMirrorImageOfTheOptimumIsDrawnAsOptimal) {
  // The best tour here is 1-8-7-6-5-4-3-2-9, the mirror image of the listed optimum.
  const std::string file = dir + "/m.svg";
  ASSERT_EQ(survey("--svg " + file + " --seeds 1:200 0.5 1 2.5").status, 0);
  EXPECT_EQ(attribute(file, "optimal", "points"), attribute(file, "best", "points"));
  EXPECT_EQ(run("grep -c 'best tour 1-8-7-6-5-4-3-2-9 is optimal' " + file).out, "1\n");
  // One run is one run, and the picture says what made it.
  ASSERT_EQ(survey("--svg " + file + " --seeds 5:5 1 1 1").status, 0);
  EXPECT_EQ(run("grep -c ': 1 run, ' " + file).out, "1\n");
  EXPECT_EQ(run("xmllint --xpath 'string(//*[local-name()=\"desc\"])' " + file).out,
            "nuv-survey " NUV_VERSION ": " SURVEY " --svg " + file + " --seeds 5:5 1 1 1\n");
}

TEST_F(Svg, RangingCoefficientsAreAHeatmapThatAgreesWithTheSummary) {
  const std::string file = dir + "/heat.svg";
  Ran r = survey("--svg " + file + " --seeds 1:30 1 0.5:1:0.5 1:2:0.5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("xmllint --noout " + file).status, 0);
  EXPECT_EQ(count(file, "rect", "cell"), 2 * 3);
  EXPECT_EQ(run("xmllint --xpath '//*[@class=\"axis\"]/text()' " + file).out, "Dcoef\nBcoef\n");
  EXPECT_EQ(run("grep -c 'Acoef = 1<' " + file).out, "1\n");
  // Every summary row's valid and optimal shares stand in its cell's title.
  auto rows = lines_of(r.out);
  ASSERT_EQ(rows.size(), 2 + 6u);
  for (size_t k = 2; k < rows.size(); k++) {
    std::istringstream row(rows[k]);
    std::string a, b, d, runs, valid, valid_pm, optimal;
    row >> a >> b >> d >> runs >> valid >> valid_pm >> optimal;
    std::string title =
        "Bcoef " + b + ", Dcoef " + d + ": " + valid + "% valid, " + optimal + "% optimal,";
    EXPECT_EQ(run("grep -c '<title>" + title + "' " + file).out, "1\n") << title;
  }
  // One coefficient ranging: a single row, the first fixed one upward.
  ASSERT_EQ(survey("--svg " + file + " --seeds 1:10 1 1 0.5:1.5:0.5").status, 0);
  EXPECT_EQ(count(file, "rect", "cell"), 3);
  EXPECT_EQ(run("xmllint --xpath '//*[@class=\"axis\"]/text()' " + file).out, "Dcoef\nAcoef\n");
  // The fixed coefficient as typed, and a picture at least as wide as its title.
  ASSERT_EQ(survey("--svg " + file + " --seeds 1:2 0.125 0.5:1:0.5 1:2:1").status, 0);
  EXPECT_EQ(run("grep -c 'cell); Acoef = 0.125<' " + file).out, "1\n");
  const std::string title =
      run("xmllint --xpath 'string(//*[local-name()=\"text\"][1])' " + file).out;
  const std::string width = run("xmllint --xpath 'string(/*/@width)' " + file).out;
  EXPECT_GE(std::stod(width), 110 + 8.0 * double(title.size())); // half the 16 px font a letter
}

TEST_F(Svg, TheHeatmapShowsTheMeasureAskedFor) {
  // A cell whose runs end on no tour has no mean ratio, and says so: as many as the summary's
  // rows with no mean.
  const std::string file = dir + "/ratio.svg";
  Ran r = survey("--svg " + file + " --heat ratio --seeds 1:20 0:1:1 0:1:1 1");
  ASSERT_EQ(r.status, 0) << r.err;
  int no_mean = 0;
  for (const std::string &row : lines_of(r.out))
    no_mean += row.find(" -  -  ") != std::string::npos;
  EXPECT_GE(no_mean, 1);
  const std::string white = "count(//*[local-name()=\"rect\"][@fill=\"white\"][@class=\"cell\"])";
  EXPECT_EQ(run("xmllint --xpath '" + white + "' " + file).out, std::to_string(no_mean) + "\n");
  EXPECT_EQ(run("grep -c '>none<' " + file).out, std::to_string(no_mean) + "\n");
  EXPECT_EQ(run("grep -c '>mean ratio<' " + file).out, "1\n");
  for (const char *measure : {"optimal", "settled"}) {
    ASSERT_EQ(survey("--svg " + file + " --heat " + measure + " --seeds 1:20 1 1 1:2:1").status, 0);
    EXPECT_EQ(run("grep -c '>" + std::string(measure) + " %<' " + file).out, "1\n") << measure;
  }
}

TEST_F(Svg, RefusalsComeBeforeAnyRunAndLeaveNothing) {
  Ran three = survey("--svg " + dir + "/x.svg 0:1:1 0:1:1 0:1:1");
  EXPECT_EQ(three.status, 2);
  EXPECT_NE(three.err.find("not all three"), std::string::npos) << three.err;
  for (const std::string &path : {dir + "/no/such/folder/x.svg", dir}) {
    Ran r = survey("--svg " + path + " 1 1 1");
    EXPECT_EQ(r.status, 1) << path;
    EXPECT_EQ(r.out, "") << path;
    EXPECT_NE(r.err.find("cannot write '" + path + "'"), std::string::npos) << r.err;
  }
  EXPECT_EQ(files(), "");
}

TEST_F(Svg, AnInterruptedOrFailedSurveyLeavesNoFile) {
  const std::string command =
      std::string(SURVEY) + " --svg " + dir + "/x.svg --seeds 1:100000000 1 1 1";
  for (int sig : {SIGTERM, SIGINT}) {
    pid_t pid = fork();
    if (pid == 0) {
      setpgid(0, 0); // a group of its own, reached whole as from a terminal
      execl("/bin/sh", "sh", "-c", ("exec " + command + " >/dev/null").c_str(), (char *)nullptr);
      _exit(127);
    }
    usleep(300000);
    kill(-pid, sig);
    int status;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status)) << sig;
  }
  EXPECT_EQ(run_killing_a_worker(command + " --jobs 2", 2).status, 1);
  EXPECT_EQ(files(), "");
}

} // namespace
