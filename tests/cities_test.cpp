// Cities and optima against values from outside the code: TSPLIB's published optima (by Held
// and Karp's recursion, and as the lengths of TSPLIB's optimal tours under our distances), an
// enumeration of every tour written here, the C library's rand for random cities, and the
// refusals of bad files.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#include "cities.h"
#include "folder.h"
#include "network.h"
#include "run.h"
#include "tour.h"

namespace {

const std::string DATA = std::string(SOURCE_DIR) + "/data/tsplib/";

void load(const std::string &named) {
  reset_family();
  std::string name, error;
  ASSERT_TRUE(load_cities(named, &name, &error)) << error;
  prepare_tours();
}

// The length under our distances of a TSPLIB .opt.tour file's tour.
double opt_tour_length(const std::string &file) {
  std::ifstream in(file);
  std::string word;
  while (in >> word && word != "TOUR_SECTION") {
  }
  Tour t;
  int j = 0;
  for (int city; in >> city && city != -1;) t.city[j++] = city - 1;
  EXPECT_EQ(j, family.n) << file;
  return tour_length(t);
}

TEST(Cities, TsplibInstancesHaveTheirPublishedOptima) {
  // Up to 17 cities the optimum is exact by Held and Karp's recursion: burma14 and ulysses16
  // (GEO, degrees truncated) and gr17 (a lower-diagonal matrix).
  const std::pair<const char *, double> exact[] = {
      {"burma14", 3323}, {"ulysses16", 6859}, {"gr17", 2085}};
  for (const auto &[name, optimum] : exact) {
    load(DATA + name + ".tsp");
    const Optimum o = find_optimum();
    EXPECT_TRUE(o.exact) << name;
    EXPECT_EQ(o.length, optimum) << name;
    EXPECT_EQ(tour_length(o.tour), optimum) << name;
  }
  // Beyond, TSPLIB's own optimal tours measure the published optimum under our distance
  // functions, and the instance is recognised: ratios are to that optimum, while the best tour
  // that local search finds is never shorter, and within 3 % of it.
  const std::pair<const char *, double> published[] = {{"ulysses22", 7013}, {"att48", 10628},
                                                       {"eil51", 426},      {"berlin52", 7542},
                                                       {"st70", 675},       {"kroA100", 21282}};
  for (const auto &[name, optimum] : published) {
    load(DATA + name + ".tsp");
    EXPECT_EQ(opt_tour_length(DATA + name + ".opt.tour"), optimum) << name;
    const Optimum o = find_optimum();
    EXPECT_TRUE(o.exact) << name;
    EXPECT_EQ(o.length, optimum) << name;
    EXPECT_GE(tour_length(o.tour), optimum) << name;
    EXPECT_LE(tour_length(o.tour), optimum * 1.03) << name;
    EXPECT_EQ(tour_rank(optimum), 0); // no rank beyond ten cities
  }
  reset_family();
}

// The shortest closed tour by trying every order from city 1, written here on its own.
double shortest_by_enumeration() {
  std::vector<int> order(size_t(family.n));
  for (int k = 0; k < family.n; k++) order[size_t(k)] = k;
  double best = INFINITY;
  do {
    double length = 0;
    for (int k = 0; k < family.n; k++)
      length += citydistance[order[size_t(k)]][order[size_t((k + 1) % family.n)]];
    best = std::min(best, length);
  } while (std::next_permutation(order.begin() + 1, order.end()));
  return best;
}

TEST(Cities, TheOptimumIsTheShortestOfEveryTourBothWays) {
  // Ten cities by the table of every tour, eleven by Held and Karp: the enumeration here agrees
  // with both, and with 4 cities, where there are 3 tours.
  for (const char *named : {"random:4:2", "random:10:3", "random:11:5"}) {
    load(named);
    EXPECT_NEAR(find_optimum().length, shortest_by_enumeration(), 1e-12) << named;
    EXPECT_TRUE(find_optimum().exact);
  }
  load("random:4:2");
  EXPECT_EQ(tour_count(), 3);
  load("random:10:3");
  EXPECT_EQ(tour_count(), 181440);
  EXPECT_EQ(tour_rank(find_optimum().length), 1);
  load("random:11:5");
  EXPECT_EQ(tour_count(), 0); // ranked only up to ten cities
  reset_family();
}

TEST(Cities, RandomCitiesAreTheLibrarysDrawsInTheUnitSquare) {
  load("random:12:77");
  srand(77);
  for (int i = 0; i < 12; i++) {
    EXPECT_EQ(cityxy[i][0], rand() / 2147483647.0);
    EXPECT_EQ(cityxy[i][1], rand() / 2147483647.0);
  }
  EXPECT_EQ(family.n, 12);
  EXPECT_FALSE(family.matrix);
  reset_family();
}

class CityFile : public InFolder {
protected:
  // Writes text to a file in the folder; its path.
  std::string file(const std::string &name, const std::string &text) {
    std::ofstream(dir + "/" + name) << text;
    return dir + "/" + name;
  }
};

TEST_F(CityFile, PlainCoordinatesAreReadInTheFilesOrder) {
  load(file("square.txt", "# a square and its centre\n0 0\n\n2 0  # east\n2 2\n0 2\n1 1\n"));
  EXPECT_EQ(family.n, 5);
  EXPECT_EQ(cityxy[1][0], 2);
  EXPECT_EQ(cityxy[4][1], 1);
  EXPECT_EQ(citydistance[0][2], std::sqrt(8.0));
  // Around the square, the centre between two corners: 6 + 2 sqrt 2.
  EXPECT_NEAR(find_optimum().length, 6 + 2 * std::sqrt(2.0), 1e-12);
  reset_family();
}

TEST_F(CityFile, BadFilesAreRefusedWithTheFileLineAndReason) {
  const std::string head = "NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EUC_2D\n";
  const std::string nodes = "NODE_COORD_SECTION\n1 0 0\n2 1 0\n3 1 1\n4 0 1\nEOF\n";
  const std::pair<std::string, std::string> bad[] = {
      {head + "NODE_COORD_SECTION\n1 0 0\n2 1 0\n3 1 1\nEOF\n", ":9: a node is"},
      {head + "NODE_COORD_SECTION\n1 0 0\n2 1 0\n2 1 1\n4 0 1\n", ":8: node 2 comes twice"},
      {head + "NODE_COORD_SECTION\n1 0 0\n2 1 0\n3 1 1\n5 0 1\n", ":9: node 5 is not one of"},
      {head + "NODE_COORD_SECTION\n1 0 0\n2 1 0\n3 inf 1\n4 0 1\n", ":8: a node is"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EUC_2D\nEOF\n",
       "no NODE_COORD_SECTION"},
      {"NAME : t\nTYPE : ATSP\n", ":2: TYPE ATSP is not supported"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : MAN_2D\n",
       ":4: EDGE_WEIGHT_TYPE MAN_2D is not supported"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 3\n", ":3: 3 cities: a network has 4 to 100"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 101\n", ":3: 101 cities"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 4.5\n", ":3: DIMENSION is not a whole number"},
      {"NAME : t\nTYPE : TSP\nEDGE_WEIGHT_TYPE : EUC_2D\n" + nodes, "DIMENSION must come before"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EXPLICIT\nEDGE_WEIGHT_FORMAT : "
       "FULL_MATRIX\nEDGE_WEIGHT_SECTION\n0 1 2 3\n1 0 4 5\n2 4 0 6\n3 5 7 0\nEOF\n",
       "the matrix is not symmetric: 3 to 4 is not 4 to 3"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EXPLICIT\nEDGE_WEIGHT_FORMAT : "
       "UPPER_ROW\nEDGE_WEIGHT_SECTION\n1 2 3\n4 5\n",
       "the section ends after 5 of 6 weights"},
      {"NAME : t\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EXPLICIT\nEDGE_WEIGHT_FORMAT : "
       "UPPER_ROW\nEDGE_WEIGHT_SECTION\n1 2 3\n4 nan 6\n",
       ":8: 'nan' is not a finite number"},
      {"0 0\n1 0\n1 1\n", "3 cities: a network has 4 to 100"},
      {"0 0\n1 0\n1 1 1\n0 1\n", ":3: a city is 'x y'"},
      // A second DIMENSION would leave a section read for another size.
      {head + nodes.substr(0, nodes.size() - 4) + "DIMENSION : 5\n", ":10: DIMENSION comes twice"},
      // strtod would stop at the NUL and take "1" for the whole word.
      {std::string("0 0\n1 0\n1\0 1\n0 1\n", 18), ":3: a city is 'x y'"},
  };
  int k = 0;
  for (const auto &[text, message] : bad) {
    const std::string path = file("bad" + std::to_string(k++) + ".tsp", text);
    Ran r = run(std::string(TRACE) + " --cities " + path + " 1 1 1 5");
    EXPECT_EQ(r.status, 2) << text;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("bad"), std::string::npos) << r.err; // the file is named
  }
  for (const char *named :
       {"random:3:1", "random:101:1", "random:x:1", "random:5", "nowhere.tsp"}) {
    Ran r = run(std::string(SURVEY) + " --cities " + named + " 1 1 1");
    EXPECT_EQ(r.status, 2) << named;
    EXPECT_EQ(r.out, "") << named;
  }
  // A good one of each format of the matrix reads the same four cities.
  const std::string matrix = "NAME : m\nTYPE : TSP\nDIMENSION : 4\nEDGE_WEIGHT_TYPE : EXPLICIT\n";
  for (const auto &[format, weights] : std::vector<std::pair<std::string, std::string>>{
           {"FULL_MATRIX", "0 1 2 3 1 0 4 5 2 4 0 6 3 5 6 0"},
           {"UPPER_ROW", "1 2 3 4 5 6"},
           {"UPPER_DIAG_ROW", "0 1 2 3 0 4 5 0 6 0"},
           {"LOWER_DIAG_ROW", "0 1 0 2 4 0 3 5 6 0"}}) {
    load(file(format + ".tsp", matrix + "EDGE_WEIGHT_FORMAT : " + format +
                                   "\nEDGE_WEIGHT_SECTION\n" + weights + "\nEOF\n"));
    EXPECT_EQ(citydistance[0][3], 3) << format;
    EXPECT_EQ(citydistance[1][2], 4) << format;
    EXPECT_EQ(citydistance[3][2], 6) << format;
    EXPECT_EQ(find_optimum().length, 1 + 4 + 6 + 3) << format; // 1-2-3-4, the shortest of 3
  }
  reset_family();
}

} // namespace
