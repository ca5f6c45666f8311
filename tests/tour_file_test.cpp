// TSPLIB's optimal tour files: every shipped one against the optimum TSPLIB publishes (the table
// of data/tsplib/README.md), lengths beyond the reader's 100 cities summed here from the
// coordinates; the refusals of bad tour files with their lines; the tools taking a shipped
// instance by its name, with its tour file for the optimum; and the table of published optima
// (cities/published.h) against the README's and the instances themselves.
#include <cmath>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "cities.h"
#include "folder.h"
#include "network.h"
#include "optimum.h"
#include "published.h"
#include "run.h"
#include "tour_file.h"

namespace {

const std::string DATA = std::string(SOURCE_DIR) + "/data/tsplib/";

std::string text_of(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The README's table: each instance's published optimum.
std::map<std::string, double> published_optima() {
  std::map<std::string, double> optima;
  std::istringstream readme(text_of(DATA + "README.md"));
  for (std::string line; std::getline(readme, line);) {
    std::vector<std::string> cells;
    std::istringstream row(line);
    for (std::string cell; std::getline(row, cell, '|');) {
      std::istringstream words(cell);
      std::string word;
      words >> word;
      cells.push_back(word);
    }
    if (cells.size() > 4 && !cells[4].empty() && std::isdigit((unsigned char)cells[4][0]))
      optima[cells[1]] = std::stod(cells[4]);
  }
  return optima;
}

// An EUC_2D instance's coordinates, read here on its own: NODE_COORD_SECTION's "i x y" lines.
std::vector<std::pair<double, double>> coordinates(const std::string &file) {
  std::istringstream in(text_of(file));
  std::string word;
  while (in >> word && word != "NODE_COORD_SECTION") {
  }
  std::vector<std::pair<double, double>> xy;
  for (std::string i, x, y; in >> i && i != "EOF" && in >> x >> y;)
    xy.push_back({std::stod(x), std::stod(y)});
  return xy;
}

// The tour's length by TSPLIB's EUC_2D, nint(sqrt(dx^2 + dy^2)), summed here.
double euc_2d_length(const std::vector<std::pair<double, double>> &xy, const std::vector<int> &t) {
  double length = 0;
  for (size_t j = 0; j < t.size(); j++) {
    const auto &a = xy[size_t(t[j])], &b = xy[size_t(t[(j + 1) % t.size()])];
    length += std::floor(std::sqrt((a.first - b.first) * (a.first - b.first) +
                                   (a.second - b.second) * (a.second - b.second)) +
                         0.5);
  }
  return length;
}

TEST(TourFile, EveryShippedTourIsAsLongAsThePublishedOptimum) {
  const std::map<std::string, double> optima = published_optima();
  ASSERT_GE(optima.size(), 22u);
  int tours = 0;
  for (const auto &[name, optimum] : optima) {
    const std::string tour_text = text_of(DATA + name + ".opt.tour");
    if (tour_text.empty()) continue;
    tours++;
    const std::vector<std::pair<double, double>> xy = coordinates(DATA + name + ".tsp");
    const int n = int(xy.size());
    std::vector<int> city(size_t(n > 0 ? n : 1));
    CityError why;
    ASSERT_TRUE(read_tour_text(tour_text.data(), tour_text.size(), n, city.data(), &why))
        << name << ":" << why.line << ": " << why.why;
    if (n > MAXCITY) {
      EXPECT_EQ(euc_2d_length(xy, city), optimum) << name;
      continue;
    }
    // Up to 100 cities, the tools' own distances (GEO and ATT too) and the optimum they take.
    reset_network();
    std::string read_name, error;
    ASSERT_TRUE(load_cities(DATA + name + ".tsp", &read_name, &error)) << error;
    Tour t;
    for (int j = 0; j < n; j++) t.city[j] = city[size_t(j)];
    EXPECT_EQ(tour_length(t), optimum) << name;
    const Optimum o = find_optimum();
    EXPECT_TRUE(o.exact) << name;
    EXPECT_EQ(o.length, optimum) << name;
    EXPECT_EQ(tour_length(o.tour), optimum) << name;
    EXPECT_STREQ(optimum_tour_kind(o), "optimal") << name;
  }
  EXPECT_EQ(tours, 17); // all 22 but burma14, gr17, kroA200, lin318 and rat783 have one
  reset_network();
}

// The reading of a tour file's text for n cities: true, or the line and reason.
std::string reading(const std::string &text, int n, std::vector<int> *tour = nullptr) {
  std::vector<int> city(static_cast<size_t>(n));
  CityError why;
  if (!read_tour_text(text.data(), text.size(), n, city.data(), &why))
    return std::to_string(why.line) + ": " + why.why;
  if (tour) *tour = city;
  return "ok";
}

TEST(TourFile, ReadsTsplibsFormsAndRefusesAnythingButATourOfTheCities) {
  const std::string head = "NAME : t\nTYPE : TOUR\nDIMENSION : 5\nTOUR_SECTION\n";
  std::vector<int> t;
  // One city a line or several, with or without EOF, blanks and CRs about.
  EXPECT_EQ(reading(head + "1\n3\n2\n5\n4\n-1\nEOF\n", 5, &t), "ok");
  EXPECT_EQ(t, (std::vector<int>{0, 2, 1, 4, 3}));
  EXPECT_EQ(reading(head + "  1 3 2\r\n 5 4\n-1\n", 5, &t), "ok");
  EXPECT_EQ(t, (std::vector<int>{0, 2, 1, 4, 3}));
  EXPECT_EQ(reading("COMMENT: no dimension\nTOUR_SECTION\n2 1 3 4 5 -1\n\nEOF", 5), "ok");
  // Not a permutation of the five, said with the line.
  EXPECT_EQ(reading(head + "1\n2\n3\n2\n5\n-1\nEOF\n", 5), "8: city 2 comes twice");
  EXPECT_EQ(reading(head + "1\n2\n3\n4\n6\n-1\n", 5),
            "9: a tour's city is a number from 1 to 5, or -1 to end");
  EXPECT_EQ(reading(head + "1 2 0 3 4 -1\n", 5),
            "5: a tour's city is a number from 1 to 5, or -1 to end");
  EXPECT_EQ(reading(head + "1 2 x 3 4 -1\n", 5),
            "5: a tour's city is a number from 1 to 5, or -1 to end");
  EXPECT_EQ(reading(head + "1 2 3 4\n-1\n", 5), "6: the tour has 4 cities, not all");
  EXPECT_EQ(reading(head + "1 2 3 4 5 1\n-1\n", 5), "5: more than 5 cities");
  EXPECT_EQ(reading(head + "1 2 3 4 5\n", 5), "0: the tour does not end with -1");
  EXPECT_EQ(reading(head + "1 2 3 4 5 -1 7\n", 5), "5: nothing follows -1 on its line");
  EXPECT_EQ(reading(head + "1 2 3 4 5 -1\nEOF\n", 5), "ok");
  EXPECT_EQ(reading(head + "1 2 3 4 5 -1\n6\n", 5), "6: only EOF may follow the tour");
  // Its keywords: another instance's size, another type, no section.
  EXPECT_EQ(reading(head + "1 2 3 4 5 6 -1\n", 6), "3: DIMENSION is not the instance's 6 cities");
  EXPECT_EQ(reading("TYPE : TSP\nTOUR_SECTION\n1 2 3 4 5 -1\n", 5), "1: TYPE is not TOUR");
  EXPECT_EQ(reading("NAME : t\n1 2 3 4 5 -1\n", 5), "2: a tour file's line is KEYWORD : value");
  EXPECT_EQ(reading("NAME : t\n", 5), "0: no TOUR_SECTION");
  EXPECT_EQ(reading("", 5), "0: no TOUR_SECTION");
}

// Every row of the table is its shipped instance's: its N, its distances' pair sum (recognised
// once the file is read) and the optimum the README publishes for it; and every shipped
// instance beyond EXACT_CITIES that the tools read has its row.
TEST(Published, EachRowIsAShippedInstanceWithTheOptimumTsplibPublishes) {
  const std::map<std::string, double> optima = published_optima();
  std::map<std::string, bool> rows;
  for (int p = 0; p < PUBLISHED_COUNT; p++) {
    const PublishedOptimum &row = PUBLISHED_OPTIMA[p];
    rows[row.name] = true;
    ASSERT_EQ(optima.count(row.name), 1u) << row.name;
    EXPECT_EQ(row.optimum, optima.at(row.name)) << row.name;
    if (row.n > MAXCITY) continue; // not read here
    reset_network();
    std::string name, error;
    ASSERT_TRUE(load_cities(DATA + row.name + ".tsp", &name, &error)) << error;
    EXPECT_EQ(network.n, row.n) << row.name;
    EXPECT_EQ(published_optimum(), row.optimum) << row.name;
  }
  EXPECT_EQ(rows.size(), size_t(PUBLISHED_COUNT)); // each instance once
  int beyond = 0;
  for (const auto &[instance, optimum] : optima) {
    reset_network();
    std::string name, error;
    if (!load_cities(DATA + instance + ".tsp", &name, &error)) continue; // beyond MAXCITY
    if (network.n <= EXACT_CITIES) {
      EXPECT_EQ(published_optimum(), 0) << instance; // exact here: no row needed
      continue;
    }
    beyond++;
    EXPECT_TRUE(rows.count(instance)) << instance << " has no row";
    EXPECT_EQ(published_optimum(), optimum) << instance;
  }
  EXPECT_EQ(beyond, 19); // every shipped instance above EXACT_CITIES
  reset_network();
  EXPECT_EQ(published_optimum(), 0); // nuv's nine cities
}

class ShippedTour : public InFolder {};

// A shipped instance's copy under another name, without its tour file, is rated against the
// published optimum, until its distances change.
TEST_F(ShippedTour, ACopyHasThePublishedOptimumWhileItsDistancesAreTheInstances) {
  const std::string copy = dir + "/capitals.tsp";
  run("sed 's/^NAME.*/NAME : capitals/' " + DATA + "att48.tsp > " + copy);
  std::string name, error;
  reset_network();
  ASSERT_TRUE(load_cities(copy, &name, &error)) << error;
  EXPECT_EQ(name, "capitals");
  Optimum o = find_optimum();
  EXPECT_TRUE(o.exact);
  EXPECT_EQ(o.length, 10628);
  EXPECT_GT(tour_length(o.tour), 10628); // the best found here is not the optimal tour
  EXPECT_STREQ(optimum_tour_kind(o), "best known");
  citydistance[0][1] += 1, citydistance[1][0] += 1; // no longer att48
  o = find_optimum();
  EXPECT_FALSE(o.exact);
  EXPECT_EQ(o.length, tour_length(o.tour));
  citydistance[0][1] -= 1, citydistance[1][0] -= 1; // att48 again
  EXPECT_TRUE(find_optimum().exact);
  // Random cities of 48 after it: the published optimum is not theirs.
  ASSERT_TRUE(load_cities("random:48:1", &name, &error)) << error;
  EXPECT_FALSE(find_optimum().exact);
  reset_network();
}

TEST_F(ShippedTour, ATourFileBesideTheCitiesGivesTheOptimumAndABadOneIsRefused) {
  // A copy of eil51 with the optimal tour beside it; then the tour file spoilt.
  run("cp " + DATA + "eil51.tsp " + DATA + "eil51.opt.tour " + dir);
  const std::string tsp = dir + "/eil51.tsp";
  std::string name, error;
  reset_network();
  ASSERT_TRUE(load_cities(tsp, &name, &error)) << error;
  EXPECT_EQ(find_optimum().length, 426);
  EXPECT_STREQ(optimum_tour_kind(find_optimum()), "optimal");
  run("sed -i 's/^32$/31/' " + dir + "/eil51.opt.tour"); // the last city, 31 twice
  reset_network();
  EXPECT_FALSE(load_cities(tsp, &name, &error));
  EXPECT_EQ(error, "'" + dir + "/eil51.opt.tour':56: city 31 comes twice");
  EXPECT_EQ(network.n, NCITY); // the model as it was: nuv's cities
  // Without a tour file beside it, a shipped instance's very text still has the shipped tour;
  // other cities named so have none.
  run("rm " + dir + "/eil51.opt.tour");
  ASSERT_TRUE(load_cities(tsp, &name, &error)) << error;
  EXPECT_EQ(find_optimum().length, 426);
  EXPECT_TRUE(find_optimum().exact);
  run("sed -i 's/^51 30 40$/51 30 41/' " + tsp);
  ASSERT_TRUE(load_cities(tsp, &name, &error)) << error;
  EXPECT_FALSE(find_optimum().exact);
  // Random cities after a tour file: the tour is not theirs.
  ASSERT_TRUE(load_cities(DATA + "eil51.tsp", &name, &error)) << error;
  ASSERT_TRUE(load_cities("random:51:1", &name, &error)) << error;
  EXPECT_FALSE(find_optimum().exact);
  reset_network();
}

TEST_F(ShippedTour, TheToolsTakeAShippedInstanceByItsName) {
  for (const char *named : {"eil51", "eil51.tsp"}) {
    const Ran r = run(std::string("cd ") + dir + " && " + SURVEY + " --seeds 1:1 --cities " +
                      named + " 1 1 1");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("network: eil51, 51 cities"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\noptimal tour 1-22-8-26-31-28-3-36-35-20-2-29-21-16-50-34-30-9-49-10-"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("length 426\n"), std::string::npos) << r.out;
  }
  // A file of that name wins.
  run("printf '0 0\\n1 0\\n1 1\\n0 1\\n0 2\\n' > " + dir + "/eil51");
  Ran r = run(std::string("cd ") + dir + " && " + TRACE + " --cities eil51 1 1 1 5");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("network: eil51, 5 cities"), std::string::npos) << r.out;
  // Neither a file nor a shipped instance.
  r = run(std::string("cd ") + dir + " && " + TRACE + " --cities foo 1 1 1 5");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("nuv-trace: 'foo': no such file, nor a shipped instance (burma14, "
                        "ulysses16, gr17, ulysses22, att48, eil51, berlin52, st70, ",
                        0),
            0u)
      << r.err;
  r = run(std::string(TRACE) + " --cities " + dir + "/foo.tsp 1 1 1 5");
  EXPECT_EQ(r.err, "nuv-trace: '" + dir + "/foo.tsp': No such file or directory\n");
}

} // namespace
