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

} // namespace
