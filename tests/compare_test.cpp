// nuv-survey --methods: each method's row is the survey of that method alone (a network's by the
// plain survey with the same settings given, a heuristic's by heuristic_run called here), its
// CSV's method column, shards merged into the whole survey, names refused with the nearest, and
// the picture's curves read back from the SVG against the CSV's runs.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "folder.h"
#include "heuristics.h"
#include "methods.h"
#include "options.h"
#include "run.h"

namespace {

Ran survey(const std::string &args) {
  return run(std::string(SURVEY) + " " + args);
}

// Every setting a network method might set that the sync rule reads, given: under these each
// network method is this network, whatever its own settings.
const std::string SETTINGS = "--cities random:12:3 --rule sync --sweeps 40 --u0 0.3 --bias A+B "
                             "--start uniform --distances scaled --n 12 --C 0";

// A summary's row from "runs" on: a method row's after its name, a plain one's after A B D C.
std::string measures_of(const std::string &row, size_t skip) {
  return row.substr(skip);
}

TEST(Methods, EachNetworksRowIsThePlainSurveyOfItsSettings) {
  // 37 seeds: the batches of 16 lanes break at each method's end, not at a block's.
  const std::string seeds = "--seeds 1:37 ";
  const Ran plain = survey(seeds + SETTINGS + " 1 1 1.5");
  ASSERT_EQ(plain.status, 0) << plain.err;
  const std::vector<std::string> p = lines_of(plain.out); // network, optimum, header, row
  ASSERT_EQ(p.size(), 4u);
  for (const char *jobs : {"--jobs 1", "--jobs 3"}) {
    const Ran methods = survey(seeds + jobs + " --methods nuv,hopfield-tank,tcnn,potts,2-opt " +
                               SETTINGS + " 1 1 1.5");
    ASSERT_EQ(methods.status, 0) << methods.err;
    const std::vector<std::string> m = lines_of(methods.out); // methods, optimum, header, rows
    ASSERT_EQ(m.size(), 8u) << methods.out;
    EXPECT_EQ(m[0], "methods on random:12:3, 12 cities; each with rule sync, C 0, n 12, bias A+B, "
                    "u0 0.3, start uniform, sweeps 40, distances scaled, Acoef 1, Bcoef 1, "
                    "Dcoef 1.5");
    EXPECT_EQ(m[1], p[1]); // the optimum
    EXPECT_EQ(m[2].substr(0, 14), "method        ");
    EXPECT_EQ(measures_of(m[2], 14), measures_of(p[2], 24));
    const char *name[4] = {"nuv", "hopfield-tank", "tcnn", "potts"};
    for (int k = 0; k < 4; k++) {
      EXPECT_EQ(m[size_t(3 + k)].substr(0, 14), (name[k] + std::string(14, ' ')).substr(0, 14));
      EXPECT_EQ(measures_of(m[size_t(3 + k)], 14), measures_of(p[3], 24)) << name[k];
    }
    EXPECT_EQ(m[7].substr(0, 27), "2-opt             37 100.0 "); // every tour valid
  }
  // nuv's method with only the coefficients given is nuv's survey.
  const Ran nuv = survey("--seeds 1:50 1 1 1.5"),
            method = survey("--seeds 1:50 --methods nuv 1 1 1.5");
  const std::vector<std::string> a = lines_of(nuv.out), b = lines_of(method.out);
  ASSERT_EQ(a.size(), 3u);
  ASSERT_EQ(b.size(), 4u);
  EXPECT_EQ(b[0], "methods on nuv, 9 cities; each with Acoef 1, Bcoef 1, Dcoef 1.5");
  EXPECT_EQ(measures_of(b[3], 14), measures_of(a[2], 18));
}

TEST(Methods, AHeuristicsRunsAreHeuristicRunsForEachSeed) {
  const Ran csv = survey("--seeds 5:24 --methods nearest,2-opt,or-opt --csv --cities random:12:3");
  ASSERT_EQ(csv.status, 0) << csv.err;
  NetworkOptions o;
  o.cities = "random:12:3", o.given["--cities"] = o.cities;
  std::string error;
  ASSERT_TRUE(set_up_network(&o, &error)) << error;
  const std::vector<std::string> rows = lines_of(csv.out);
  ASSERT_EQ(rows.size(), 61u);
  const Method method[3] = {METHOD_NEAREST, METHOD_2OPT, METHOD_OROPT};
  for (size_t r = 1; r < rows.size(); r++) {
    const std::vector<std::string> f = fields_of(rows[r]);
    Network net = o.net;
    apply_method(method[(r - 1) / 20], &net);
    const uint32_t seed = uint32_t(5 + (r - 1) % 20);
    const RunResult want = heuristic_run(net, seed);
    ASSERT_GE(f.size(), 9u);
    EXPECT_EQ(f[4], std::to_string(seed));
    EXPECT_EQ(f[5], "1") << rows[r]; // a heuristic's tour is always valid
    EXPECT_EQ(f[6], tour_text(want.tour).s) << rows[r];
    char length[32];
    snprintf(length, sizeof length, "%.6f", tour_length(want.tour));
    EXPECT_EQ(f[7], length) << rows[r];
  }
}

TEST(Methods, TheCsvNamesTheMethodFirstAndEachRunOnce) {
  const Ran csv = survey("--seeds 1:25 --methods 2-opt,nuv --csv 1 1 1.5");
  ASSERT_EQ(csv.status, 0) << csv.err;
  const std::vector<std::string> rows = lines_of(csv.out);
  ASSERT_EQ(rows.size(), 51u);
  EXPECT_EQ(rows[0], "method,Acoef,Bcoef,Dcoef,seed,valid,tour,length,ratio,energy,rank,outcome,"
                     "settled,motion,network");
  for (size_t r = 1; r < rows.size(); r++) {
    const std::vector<std::string> f = fields_of(rows[r]);
    EXPECT_EQ(f[0], r <= 25 ? "2-opt" : "nuv");
    EXPECT_EQ(f[1] + f[2] + f[3], "111.5"); // the coefficients typed, on top of each method's
    EXPECT_EQ(f[4], std::to_string((r - 1) % 25 + 1));
  }
  EXPECT_NE(rows[1].find(",\"nuv, 9 cities, heuristic\""), std::string::npos) << rows[1];
  EXPECT_NE(rows[26].find(",\"nuv, 9 cities, rule inplace, 50 sweeps\""), std::string::npos);
  // The nuv method's runs are nuv's survey's, row for row after the method's field.
  const std::vector<std::string> plain = lines_of(survey("--seeds 1:25 --csv 1 1 1.5").out);
  ASSERT_EQ(plain.size(), 26u);
  EXPECT_EQ(plain[0], "Acoef,Bcoef,Dcoef,seed,valid,tour,length,ratio,energy,rank,outcome,settled");
  for (size_t r = 1; r < plain.size(); r++)
    EXPECT_EQ(rows[25 + r].substr(4, plain[r].size()), plain[r]);
}

class MethodFiles : public InFolder {};

TEST_F(MethodFiles, ShardsMergedPrintTheWholeSurvey) {
  const std::string plan =
      "--seeds 1:23 --methods or-opt,nuv,nearest --cities random:10:2 --sweeps 30";
  ASSERT_EQ(run("seq 0 3 | xargs -P 2 -I{} " + std::string(SURVEY) + " --jobs 1 --shard {}/4 -o " +
                dir + "/s{}.csv " + plan)
                .status,
            0);
  const std::string files = dir + "/s*.csv";
  for (const char *view : {"", "--csv"}) {
    const Ran whole = survey(std::string(view) + " " + plan),
              merged = survey("--merge " + std::string(view) + " " + files);
    EXPECT_EQ(merged.status, 0) << merged.err;
    EXPECT_EQ(merged.out, whole.out) << view;
  }
  ASSERT_EQ(survey("--svg " + dir + "/w.svg " + plan).status, 0);
  ASSERT_EQ(survey("--merge --svg " + dir + "/m.svg " + files).status, 0);
  EXPECT_EQ(run("grep -v '<desc>' " + dir + "/w.svg | md5sum").out,
            run("grep -v '<desc>' " + dir + "/m.svg | md5sum").out);
  // A whole survey's CSV with its plan; shards of another list of methods are refused.
  ASSERT_EQ(run(std::string(SURVEY) + " --csv " + plan + " > " + dir + "/whole.csv").status, 0);
  const Ran from_csv = survey("--merge --plan '--seeds 1:23 --methods or-opt,nuv,nearest --cities "
                              "random:10:2 --sweeps 30 --' " +
                              dir + "/whole.csv");
  EXPECT_EQ(from_csv.out, survey(plan).out) << from_csv.err;
  ASSERT_EQ(survey("--jobs 1 --shard 0/4 -o " + dir +
                   "/other.csv --seeds 1:23 --methods "
                   "or-opt,nuv --cities random:10:2 --sweeps 30")
                .status,
            0);
  const Ran mixed = survey("--merge " + dir + "/other.csv " + dir + "/s1.csv " + dir + "/s2.csv " +
                           dir + "/s3.csv");
  EXPECT_EQ(mixed.status, 2);
  EXPECT_EQ(mixed.out, "");
  EXPECT_NE(mixed.err.find("is a shard of another plan"), std::string::npos) << mixed.err;
}

TEST_F(MethodFiles, AFileIsWrittenWholeOrNotAtAll) {
  // Coefficients that overflow the inputs: the survey fails, and neither file is made.
  const Ran failed =
      survey("--seeds 1:20 --methods 2-opt,nuv --svg " + dir + "/f.svg 1e308 1e308 1e308");
  EXPECT_EQ(failed.status, 1);
  EXPECT_NE(failed.err.find("not finite"), std::string::npos) << failed.err;
  const Ran shard =
      survey("--seeds 1:20 --methods 2-opt,nuv --shard 0/1 -o " + dir + "/s.csv 1e308 1e308 1e308");
  EXPECT_EQ(shard.status, 1);
  EXPECT_EQ(files(), "");
  // A picture that cannot be written stops the survey before any run.
  const Ran nowhere = survey("--seeds 1:20 --methods 2-opt --svg " + dir + "/none/f.svg");
  EXPECT_EQ(nowhere.status, 1);
  EXPECT_EQ(nowhere.out, "");
  EXPECT_EQ(files(), "");
}

TEST(Methods, ABadListIsRefusedBeforeAnyRunNamingTheNearest) {
  struct Case {
    const char *args, *says;
  } cases[] = {
      {"--methods nuv,2opt", "'2opt' is not nuv, hopfield-tank, tcnn, noisy, potts, softassign, "
                             "feasible, nearest, 2-opt or or-opt; did you mean 2-opt?"},
      {"--methods tcn 1 1 1", "did you mean tcnn?"},
      {"--methods nuv,xyzzy", "'xyzzy' is not nuv, hopfield-tank, tcnn, noisy, potts, softassign, "
                              "feasible, nearest, 2-opt or or-opt (see"},
      {"--methods nuv,", "'' is not"},
      {"--methods ''", "--methods needs a list of methods"},
      {"--methods potts,nuv,potts", "names potts twice"},
      {"--methods nuv 1 1", "missing coefficient Dcoef"},
      {"--methods nuv 1:2:1 1 1",
       "--methods compares the methods at one setting: Acoef '1:2:1' is a "
       "range"},
      {"--methods nuv --C 0:1:0.5", "--C '0:1:0.5' is a range"},
      {"--methods nuv --tours", "--tours is not taken with --methods"},
      {"--methods nuv --svg x.svg --heat ratio", "--heat is not taken with --methods"},
      {"--methods nuv --dt-decay 0.1", "--dt-decay is not read under --rule inplace, the rule of "
                                       "method nuv"},
      {"--merge --methods nuv x.csv", "'--methods' is not the merge's"},
      {"--methods nuv,2-opt --method tcnn", "--method goes without --methods"},
  };
  for (const Case &c : cases) {
    const std::string args = c.args;
    const Ran r = survey(args.rfind("--merge", 0) == 0 ? args : "--seeds 1:3 " + args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << c.args << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  }
  // Under the Euler rule given, every network method reads --dt-decay; a heuristic reads none.
  EXPECT_EQ(survey("--seeds 1:3 --methods nuv,2-opt --rule euler --dt-decay 0.1").status, 0);
}

// The numbers of a polyline's points, "x,y x,y ...".
std::vector<std::pair<double, double>> points_of(const std::string &text) {
  std::vector<std::pair<double, double>> points;
  const std::regex pair("([-0-9.]+),([-0-9.]+)");
  for (std::sregex_iterator p(text.begin(), text.end(), pair), end; p != end; ++p)
    points.push_back({std::stod((*p)[1]), std::stod((*p)[2])});
  return points;
}

TEST_F(MethodFiles, EachCurveRisesByTheRunsWithinRToItsValidShare) {
  const std::string plan = "--seeds 1:120 --methods nuv,2-opt,nearest 1 1 1.5";
  const Ran csv = survey("--csv --svg " + dir + "/c.svg " + plan);
  ASSERT_EQ(csv.status, 0) << csv.err;
  // From the CSV: each method's runs, valid runs, optimal ones (rank 1) and valid ratios.
  std::map<std::string, std::vector<double>> ratios;
  std::map<std::string, int> runs, optimal;
  for (const std::string &row : lines_of(csv.out)) {
    const std::vector<std::string> f = fields_of(row);
    if (f[0] == "method") continue;
    runs[f[0]]++;
    if (f[5] == "1") ratios[f[0]].push_back(std::stod(f[8]));
    optimal[f[0]] += f[10] == "1";
  }
  const std::string svg = run("cat " + dir + "/c.svg").out;
  std::smatch frame;
  ASSERT_TRUE(std::regex_search(svg, frame,
                                std::regex("<rect x=\"([0-9.]+)\" y=\"([0-9.]+)\" width=\"([0-9.]+)"
                                           "\" height=\"([0-9.]+)\" fill=\"none\"")));
  const double left = std::stod(frame[1]), top = std::stod(frame[2]), w = std::stod(frame[3]),
               h = std::stod(frame[4]);
  const auto share = [&](double y) { return 100.0 * (top + h - y) / h; };
  const auto at_r = [&](double r) { return left + w * (r - 1); };
  const std::regex curve("<polyline class=\"curve\" data-method=\"([^\"]+)\" points=\"([^\"]+)\"");
  int curves = 0;
  for (std::sregex_iterator c(svg.begin(), svg.end(), curve), end; c != end; ++c, curves++) {
    const std::string method = (*c)[1];
    const std::vector<std::pair<double, double>> p = points_of((*c)[2]);
    ASSERT_GE(p.size(), 3u);
    const double n = runs[method];
    EXPECT_NEAR(p.front().first, left, 0.01);
    EXPECT_NEAR(share(p.front().second), 100.0 * optimal[method] / n, 0.01) << method;
    EXPECT_NEAR(p.back().first, left + w, 0.01);
    EXPECT_NEAR(share(p.back().second), 100.0 * double(ratios[method].size()) / n, 0.01) << method;
    for (size_t k = 1; k < p.size(); k++) {
      EXPECT_GE(p[k].first, p[k - 1].first) << method;
      EXPECT_LE(p[k].second, p[k - 1].second) << method; // upward: the share never falls
    }
    for (double r : {1.05, 1.2, 1.35, 1.5, 1.8}) {
      double got = 0;
      for (const auto &q : p)
        if (q.first <= at_r(r)) got = std::max(got, share(q.second));
      const double within = double(std::count_if(ratios[method].begin(), ratios[method].end(),
                                                 [&](double x) { return x <= r; }));
      EXPECT_NEAR(got, 100.0 * within / n, 0.01) << method << " at r = " << r;
    }
    EXPECT_NE(svg.find(">" + method + " ("), std::string::npos) << "the legend names " << method;
  }
  EXPECT_EQ(curves, 3);
  EXPECT_GT(ratios["nuv"].size(), 0u);
  EXPECT_LT(ratios["nuv"].size(), 120u); // the network's curve ends below the heuristics'
  EXPECT_NE(svg.find("over the optimal length; optimal tour 1-4-3-2-9-8-7-6-5"), std::string::npos);
}

TEST_F(MethodFiles, ThePictureSaysWhatTheRatiosAreToAsTheRowsDo) {
  // An instance with a published optimum and one beyond the exact optimum with none.
  for (const std::string &cities :
       {std::string(SOURCE_DIR) + "/data/tsplib/eil51.tsp", std::string("random:20:5")}) {
    const std::string plan = "--seeds 1:4 --methods nearest,nuv --cities " + cities;
    const Ran rows = survey("--svg " + dir + "/k.svg " + plan);
    ASSERT_EQ(rows.status, 0) << rows.err;
    const std::string line = lines_of(rows.out)[1]; // the optimum line
    const std::string words = line.rfind("optimal tour ", 0) == 0 ? "the optimal length"
                              : line.rfind("optimal length ", 0) == 0
                                  ? "the published optimal length"
                                  : "the best known tour's length";
    if (cities.rfind("random:", 0) == 0) {
      EXPECT_EQ(line.rfind("best known tour ", 0), 0u) << line;
    }
    // The picture's texts without the blanks where its lines may break, apostrophes unescaped.
    const std::string svg = run("cat " + dir + "/k.svg").out;
    std::string texts;
    const std::regex text("<text[^>]*>([^<]*)</text>");
    for (std::sregex_iterator t(svg.begin(), svg.end(), text), end; t != end; ++t)
      texts += std::regex_replace((*t)[1].str(), std::regex("&apos;"), "'");
    const auto unblanked = [](std::string s) {
      s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
      return s;
    };
    EXPECT_NE(unblanked(texts).find(unblanked("r: a tour's length over " + words + "; " + line)),
              std::string::npos)
        << cities << ": " << texts;
  }
}

} // namespace
