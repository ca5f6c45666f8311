// nuv-bench: what a survey run costs against the bare loop of initialize plus 50 sweeps, and
// what decoding a final state costs. Not a test; run it by hand: build/nuv-bench.
#include <benchmark/benchmark.h>
#include <cstdlib>

#include "network.h"
#include "runs.h"
#include "tour.h"

static const double COEF[3] = {1, 1, 1};

// The floor: seeding, set-up and the sweeps, nothing else.
static void BM_BareLoop(benchmark::State &state) {
  set_coefficients(COEF);
  unsigned seed = 1;
  for (auto _ : state) {
    srand(seed++);
    initialize();
    for (int s = 0; s < NSWEEP; s++) update_state();
    benchmark::DoNotOptimize(unitout[0][0]);
  }
}
BENCHMARK(BM_BareLoop);
BENCHMARK(BM_BareLoop)->Iterations(20000); // seeds 1 to 20000, for bench/instructions.sh

// One survey run: the same, then the energy and the decoding.
static void BM_SurveyRun(benchmark::State &state) {
  set_coefficients(COEF);
  uint32_t seed = 1;
  for (auto _ : state) benchmark::DoNotOptimize(run_one(seed++));
}
BENCHMARK(BM_SurveyRun);

// Decoding a settled state into a tour, and its length.
static void BM_Decode(benchmark::State &state) {
  set_coefficients(COEF);
  run_one(5);
  for (auto _ : state) {
    Tour t;
    benchmark::DoNotOptimize(decode_tour(unitout, &t));
    benchmark::DoNotOptimize(tour_length(t));
  }
}
BENCHMARK(BM_Decode);

// The optimum, found once per survey.
static void BM_Optimum(benchmark::State &state) {
  for (auto _ : state) benchmark::DoNotOptimize(find_optimum());
}
BENCHMARK(BM_Optimum)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
