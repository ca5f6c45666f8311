// nuv-survey --svg: both pictures parse as XML and hold their parts, the refusals give their
// statuses, and no picture or temporary file is left behind when a survey fails.
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "folder.h"
#include "run.h"
#include "svg.h"

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
  // The fixed coefficient as typed, and a picture at least as wide as its title.
  ASSERT_EQ(survey("--svg " + file + " --seeds 1:2 0.125 0.5:1:0.5 1:2:1").status, 0);
  EXPECT_EQ(run("grep -c 'cell); Acoef = 0.125<' " + file).out, "1\n");
  const std::string title =
      run("xmllint --xpath 'string(//*[local-name()=\"text\"][1])' " + file).out;
  const std::string width = run("xmllint --xpath 'string(/*/@width)' " + file).out;
  EXPECT_GE(std::stod(width), 110 + 8.0 * double(title.size())); // half the 16 px font a letter
}

// The colour scale as its legend states it: dark violet #440154 at 0, teal #21918c at one half,
// yellow #fde725 at 1, straight between, each channel rounded.
std::string colour_at(double t) {
  const int stop[3][3] = {{0x44, 0x01, 0x54}, {0x21, 0x91, 0x8c}, {0xfd, 0xe7, 0x25}};
  const int k = t < 0.5 ? 0 : 1;
  const double f = t < 0.5 ? t * 2 : t * 2 - 1;
  char text[8];
  int c[3];
  for (int n = 0; n < 3; n++)
    c[n] = int(std::lround(stop[k][n] + (stop[k + 1][n] - stop[k][n]) * f));
  snprintf(text, sizeof text, "#%02x%02x%02x", c[0], c[1], c[2]);
  return text;
}

// The fill of the cell whose title begins with `title`.
std::string fill_of(const std::string &file, const std::string &title) {
  return run("xmllint --xpath 'string(//*[@class=\"cell\"][starts-with(*[local-name()=\"title\"], "
             "\"" +
             title + "\")]/@fill)' " + file)
      .out;
}

TEST_F(Svg, EachCellIsColouredByItsOwnShare) {
  // The valid share from the summary, the settled share counted from the CSV of the same runs.
  const std::string plan = " --seeds 1:40 1 0.5:1.5:0.5 0.5:2:0.5";
  const std::string file = dir + "/heat.svg", settled = dir + "/settled.svg";
  Ran r = survey("--svg " + file + plan);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(survey("--heat settled --svg " + settled + plan).status, 0);
  auto csv = lines_of(survey("--csv" + plan).out);
  ASSERT_EQ(csv.size(), 1 + 12 * 40u);
  auto rows = lines_of(r.out);
  ASSERT_EQ(rows.size(), 2 + 12u);
  for (size_t k = 0; k < 12; k++) {
    std::istringstream row(rows[2 + k]);
    std::string a, b, d, runs;
    double valid;
    row >> a >> b >> d >> runs >> valid;
    const std::string where = "Bcoef " + b + ", Dcoef " + d + ":";
    EXPECT_EQ(fill_of(file, where), colour_at(valid / 100) + "\n") << where;
    int on = 0;
    for (size_t n = 0; n < 40; n++) on += fields_of(csv[1 + 40 * k + n])[11] == "1";
    EXPECT_EQ(fill_of(settled, where), colour_at(on / 40.0) + "\n") << where;
  }
  // A path with XML's own characters still makes a well-formed picture that names it.
  const std::string odd = dir + "/a&b<c>.svg";
  ASSERT_EQ(survey("--svg '" + odd + "' --seeds 1:3 1 1 1").status, 0);
  EXPECT_EQ(run("xmllint --noout '" + odd + "'").status, 0);
  EXPECT_NE(run("xmllint --xpath 'string(//*[local-name()=\"desc\"])' '" + odd + "'").out.find(odd),
            std::string::npos);
}

TEST_F(Svg, OneRangingCoefficientIsAChartWithIntervals) {
  const std::string file = dir + "/chart.svg";
  Ran r = survey("--svg " + file + " --seeds 1:10 1 1 0.5:1.5:0.5");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(run("xmllint --noout " + file).status, 0);
  EXPECT_EQ(count(file, "circle", "point"), 3);
  EXPECT_EQ(count(file, "line", "bar"), 3); // 10 seeds: every interval has a length
  EXPECT_EQ(run("xmllint --xpath '//*[@class=\"axis\"]/text()' " + file).out, "Dcoef\nvalid %\n");
  // Each point's title holds its summary row's valid share.
  auto rows = lines_of(r.out);
  for (size_t k = 2; k < rows.size(); k++) {
    std::istringstream row(rows[k]);
    std::string a, b, d, runs, valid;
    row >> a >> b >> d >> runs >> valid;
    EXPECT_EQ(run("grep -c '<title>Dcoef " + d + ": " + valid + "% valid' " + file).out, "1\n");
  }
}

TEST_F(Svg, ALargeHeatmapStaysSlideSizedAndMarksThinCells) {
  // 101 x 31 values: cells shrink, their numbers go, labels are thinned to those that fit.
  const std::string file = dir + "/big.svg";
  ASSERT_EQ(survey("--svg " + file + " --seeds 1:2 1 0:3:0.1 0:1:0.01").status, 0);
  EXPECT_LE(std::stod(run("xmllint --xpath 'string(/*/@width)' " + file).out), 1600);
  EXPECT_LE(std::stod(run("xmllint --xpath 'string(/*/@height)' " + file).out), 1200);
  EXPECT_EQ(count(file, "rect", "cell"), 101 * 31);
  EXPECT_LT(count(file, "text"), 101 + 31); // neither cell numbers nor every tick label
  // Two seeds make every share too thin to mean much: every cell is marked, and the note says
  // why.
  EXPECT_EQ(count(file, "rect", "few"), 101 * 31);
  EXPECT_EQ(run("grep -c 'interval is wider than 20 points' " + file).out, "1\n");
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
  // The ratio's scale is fixed, the same for every survey; a mean over fewer than ten valid runs
  // is marked, as many as the summary's rows with one to nine valid runs of twenty.
  EXPECT_EQ(run("grep -c '>1.5 or more<' " + file).out, "1\n");
  r = survey("--svg " + file + " --heat ratio --seeds 1:20 1 1.5:2:0.5 0.5:1:0.5");
  ASSERT_EQ(r.status, 0) << r.err;
  int few = 0;
  const auto rows = lines_of(r.out);
  for (size_t k = 2; k < rows.size(); k++) {
    std::istringstream in(rows[k]);
    std::string a, b, d, runs;
    double valid;
    in >> a >> b >> d >> runs >> valid;
    few += valid > 0 && valid < 50;
  }
  EXPECT_GE(few, 1);
  EXPECT_EQ(count(file, "rect", "few"), few);
  for (const char *measure : {"optimal", "settled"}) {
    ASSERT_EQ(survey("--svg " + file + " --heat " + measure + " --seeds 1:20 1 1 1:2:1").status, 0);
    EXPECT_EQ(run("grep -c '>" + std::string(measure) + " %<' " + file).out, "1\n") << measure;
  }
}

TEST(Ticks, LabelsOfHugeOrTinyValuesTakeTheExponentFormAndStayDistinct) {
  // Everyday spans keep their decimals; spans near the largest doubles or far below 1 are
  // labelled in at most ten characters, each reading back as its tick, none the same.
  std::vector<std::string> plain;
  for (const Tick &t : nice_ticks(-3, 12, 6)) plain.push_back(t.label);
  EXPECT_EQ(plain, (std::vector<std::string>{"0", "5", "10"}));
  EXPECT_EQ(nice_ticks(0, 0.003, 6)[1].label, "0.0005");
  for (const auto &[lo, hi] :
       {std::pair<double, double>{0, 1.5e302}, {-1.7e308, 0}, {0, 3e-12}, {-4e-200, 4e-200}}) {
    auto ticks = nice_ticks(lo, hi, 6);
    ASSERT_GE(ticks.size(), 3u) << lo << " " << hi;
    for (size_t k = 0; k < ticks.size(); k++) {
      EXPECT_LE(ticks[k].label.size(), 10u) << ticks[k].label;
      const double read = std::strtod(ticks[k].label.c_str(), nullptr);
      EXPECT_NEAR(read, ticks[k].at, std::fabs(ticks[1].at - ticks[0].at) * 1e-3) << ticks[k].label;
      if (k > 0) {
        EXPECT_NE(ticks[k].label, ticks[k - 1].label);
      }
    }
  }
}

TEST_F(Svg, RefusalsComeBeforeAnyRunAndLeaveNothing) {
  Ran three = survey("--svg " + dir + "/x.svg 0:1:1 0:1:1 0:1:1");
  EXPECT_EQ(three.status, 2);
  EXPECT_NE(three.err.find("not three"), std::string::npos) << three.err;
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
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + sig) << sig; // partly run
  }
  EXPECT_EQ(run_killing_a_worker(command + " --jobs 2", 2).status, 1);
  EXPECT_EQ(files(), "");
}

} // namespace
