// The transiently chaotic rule (--rule tcnn) through its tools: --noise 0 is the rule without
// noise to the bit, its options are read under it alone, the sweeps default to 5,000, and L
// rises while the self-feedback is chaotic (the survey's runs against the tracer's are
// Network.TheSurveysRunsAreTheTracersForEveryMember's). Its steps against a separate account are
// checked by tests/reference/tcnn.py, its lanes against update_state by batch_test.
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

#include "run.h"

namespace {

const std::string TEN = " --cities " + std::string(SOURCE_DIR) + "/data/literature/ht10.txt ";
// The 1995 paper's network on the ten cities, its z decaying fast enough for short runs.
const std::string CHAOTIC = " --rule tcnn --u0 0.008 --bias 1 --distances raw" + TEN;

// A seed's noise is its own: different seeds end differently, the same seed the same.
TEST(Tcnn, NoiseZeroIsTheRuleWithoutNoiseToTheBit) {
  const std::string member = CHAOTIC + "--sweeps 600 --beta 0.01 ";
  const Ran plain = run(std::string(TRACE) + " --tables" + member + "1 1 1 8"),
            zero = run(std::string(TRACE) + " --tables --noise 0 --noise-decay 0.5" + member +
                       "1 1 1 8"),
            noisy = run(std::string(TRACE) + " --tables --noise 0.001" + member + "1 1 1 8");
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_EQ(zero.out, plain.out);
  EXPECT_NE(noisy.out, plain.out); // it is read
  const std::string survey = std::string(SURVEY) + " --csv --seeds 1:40" + member;
  auto rows = csv_rows(run(survey + "1 1 1").out),
       zeros = csv_rows(run(survey + "--noise 0 1 1 1").out);
  ASSERT_EQ(rows.size(), 40u);
  ASSERT_EQ(zeros.size(), 40u);
  for (size_t r = 0; r < rows.size(); r++) {
    rows[r].erase("network"), zeros[r].erase("network"); // which names the noise given
    EXPECT_EQ(zeros[r], rows[r]) << r;
  }
}

// Each of the rule's settings is refused under another rule, naming the rule, and read under
// this one. (Their limits, and the others' refusals, are Network.BadNetworkValuesAreRefused's.)
TEST(Tcnn, ItsOptionsAreReadUnderItAlone) {
  for (const char *option :
       {"--k", "--alpha", "--z0", "--beta", "--i0", "--noise", "--noise-decay"}) {
    Ran ran = run(std::string(SURVEY) + " " + option + " 0.5 --rule euler --seeds 1:2 1 1 1");
    EXPECT_EQ(ran.status, 2) << option;
    EXPECT_EQ(ran.err, std::string("nuv-survey: ") + option +
                           " applies only under --rule tcnn (the rule here is euler)\n");
    Ran read = run(std::string(TRACE) + " " + option + " 0.5 --rule tcnn --sweeps 3 1 1 1 1");
    EXPECT_EQ(read.status, 0) << option << read.err;
  }
}

// 5,000 sweeps unless told, and the header names each setting given.
TEST(Tcnn, TheSweepsDefaultTo5000AndTheHeaderNamesWhatIsGiven) {
  auto rows = csv_rows(run(std::string(TRACE) + " --csv --rule tcnn 1 1 1 1").out);
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back()["sweeps"], "5000");
  auto told = csv_rows(run(std::string(TRACE) + " --csv --sweeps 7 --rule tcnn 1 1 1 1").out);
  ASSERT_FALSE(told.empty());
  EXPECT_EQ(told.back()["sweeps"], "7");
  const std::string head = lines_of(
      run(std::string(TRACE) +
          " --rule tcnn --sweeps 2 --k 0.8 --alpha 0.02 --z0 0.1 --beta 0.01 --i0 0.6 --noise "
          "0.2 --noise-decay 0.05 1 1 1 1")
          .out)[0];
  EXPECT_EQ(head, "network: nuv, 9 cities, rule tcnn, sweeps 2, k 0.8, alpha 0.02, z0 0.1, beta "
                  "0.01, i0 0.6, noise 0.2, noise-decay 0.05; ratios are to the optimal tour, "
                  "length 19.416408");
}

// What the README says of L under this rule: it rises, by much, while z is large (the chaos),
// and the runs still end on the optimal tour of the ten cities.
TEST(Tcnn, LRisesWhileTheSelfFeedbackIsChaotic) {
  auto rows = csv_rows(run(std::string(TRACE) + " --csv" + CHAOTIC + "1 1 1 3").out);
  ASSERT_EQ(rows.size(), 5000u);
  double largest = 0;
  for (size_t c = 2; c < rows.size(); c++)
    largest = std::max(largest, std::stod(rows[c]["L"]) - std::stod(rows[c - 1]["L"]));
  EXPECT_GT(largest, 1.0);
  EXPECT_EQ(rows.back()["outcome"], "tour");
  EXPECT_EQ(rows.back()["rank"], "1");
}

} // namespace
