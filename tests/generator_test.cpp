// The project's generator (src/generator.cpp: random cities natively, and the page's srand and
// rand) against this platform's own rand(): the same draws for seeds spread over all of
// 0 ... 4294967295.
#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <vector>

#include "generator.h"

namespace {

TEST(Generator, DrawsWhatThePlatformsRandDraws) {
  std::vector<unsigned> seeds = {0,           1,           2,           5,           127773,
                                 2147483647u, 2147483648u, 2147483649u, 4294967294u, 4294967295u};
  for (unsigned s = 3; s < 3000; s++) seeds.push_back(s);
  std::mt19937 random(1);
  while (seeds.size() < 12000) seeds.push_back(unsigned(random()));
  int compared = 0;
  for (unsigned seed : seeds) {
    srand(seed);
    generator_seed(seed);
    for (int k = 0; k < 100; k++, compared++)
      ASSERT_EQ(generator_next(), rand()) << seed << " " << k;
  }
  EXPECT_EQ(compared, 1200000);
}

// Generators of their own, as the batch's lanes have, each drawing what rand draws after srand
// of its seed: drawn in turns, one from each, so that no state is shared between them.
TEST(Generator, EachStreamOfItsOwnDrawsWhatRandDrawsForItsSeed) {
  std::mt19937 random(2);
  const int streams = 16, draws = 400;
  int compared = 0;
  for (int round = 0; round < 300; round++) {
    unsigned seeds[streams];
    Generator gen[streams];
    for (int l = 0; l < streams; l++) {
      seeds[l] = round == 0 ? unsigned(l) : l == 0 ? 4294967295u : unsigned(random());
      generator_seed_in(&gen[l], seeds[l]);
    }
    std::vector<int> drawn[streams];
    for (int k = 0; k < draws; k++)
      for (int l = 0; l < streams; l++) drawn[l].push_back(generator_next_in(&gen[l]));
    generator_seed(12345); // the program-wide one apart
    for (int l = 0; l < streams; l++) {
      srand(seeds[l]);
      for (int k = 0; k < draws; k++, compared++)
        ASSERT_EQ(drawn[l][size_t(k)], rand()) << seeds[l] << " " << k;
    }
  }
  EXPECT_EQ(compared, 300 * streams * draws);
}

} // namespace
