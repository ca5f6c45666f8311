// nuv-bench: what a run costs, one network at a time (the bare loop of a run's start plus 50
// sweeps) and NLANE at a time in a batch, over the same seeds; what the survey adds to a run;
// and the tours' table, decoding and rank. Not a test; run it by hand: build/nuv-bench.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>

#include "activation.h"
#include "batch.h"
#include "cities.h"
#include "heuristics.h"
#include "network.h"
#include "optimum.h"
#include "runs.h"
#include "schedule.h"
#include "vector_tanh.h"

// The network set up, with the coefficients 1, 1, 1 and no global term: every run's record.
static Network ones() {
  Network net = network;
  net.a = net.b = net.d = 1, net.c = 0;
  return net;
}

// The table of all 20,160 tours' lengths, sorted, with the optimum: built once per process, so
// this must run first, and once.
static void BM_TourTable(benchmark::State &state) {
  for (auto _ : state) benchmark::DoNotOptimize(find_optimum());
}
BENCHMARK(BM_TourTable)->Iterations(1)->Unit(benchmark::kMillisecond);

// The floor: seeding, set-up and the sweeps, nothing else.
static void BM_BareLoop(benchmark::State &state) {
  unsigned seed = 1;
  for (auto _ : state) {
    start_run(ones(), seed++);
    for (int s = 0; s < NSWEEP; s++) update_state();
    benchmark::DoNotOptimize(unitout[0][0]);
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
}
BENCHMARK(BM_BareLoop);
BENCHMARK(BM_BareLoop)->Iterations(20000); // seeds 1 to 20000, for bench/instructions.sh

// Runs of the family's current member, NLANE seeds at a time in the batch's lanes.
static void batch_runs(benchmark::State &state) {
  static Batch batch;
  uint32_t seed = 1;
  for (auto _ : state) {
    for (int l = 0; l < NLANE; l++) batch_start(&batch, l, ones(), seed++);
    batch_sweeps(&batch);
    benchmark::DoNotOptimize(batch.state[0][0]);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * NLANE);
}

// The same runs as the bare loop, in the batch: its time per run.
static void BM_BatchLoop(benchmark::State &state) {
  batch_runs(state);
}
BENCHMARK(BM_BatchLoop);

// The same batch with the C library's tanh called lane by lane, as before the vector tanh.
static void BM_BatchLoopLibraryTanh(benchmark::State &state) {
  const Activation chosen = activation;
  activation = ACTIVATION_LIBRARY;
  BM_BatchLoop(state);
  activation = chosen;
}
BENCHMARK(BM_BatchLoopLibraryTanh);

// One run as the survey measures it, one network at a time: measured_run.
static void BM_SurveyRun(benchmark::State &state) {
  uint32_t seed = 1;
  for (auto _ : state) benchmark::DoNotOptimize(measured_run(ones(), seed++));
}
BENCHMARK(BM_SurveyRun);

// Decoding a settled state into a tour, and its length.
static void BM_Decode(benchmark::State &state) {
  measured_run(ones(), 5);
  for (auto _ : state) {
    Tour t;
    benchmark::DoNotOptimize(decode_tour(unitout, &t));
    benchmark::DoNotOptimize(tour_length(t));
  }
}
BENCHMARK(BM_Decode);

// A valid run's rank among all tours, from the sorted table.
static void BM_Rank(benchmark::State &state) {
  double length = find_optimum().length;
  for (auto _ : state) benchmark::DoNotOptimize(tour_rank(length *= 1.0000001));
}
BENCHMARK(BM_Rank);

// eil51 under the Euler rule, 1,000 steps of 51 x 51 units: one network at a time, and NLANE
// at a time in the batch. Each step is O(N^3): three sums of 51 terms for each of 2,601 units.
static void eil51_euler() {
  reset_network();
  std::string name, error;
  if (!load_cities(SOURCE_DIR "/data/tsplib/eil51.tsp", &name, &error)) abort();
  Network net = network;
  net.rule = RULE_EULER, net.sweeps = 1000, net.target = net.n;
  net.start = START_CENTRED;
  set_up(net);
}
static void BM_Eil51EulerScalar(benchmark::State &state) {
  eil51_euler();
  unsigned seed = 1;
  for (auto _ : state) {
    start_run(ones(), seed++);
    for (int s = 0; s < network.sweeps; s++) update_state();
    benchmark::DoNotOptimize(unitout[0][0]);
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  reset_network();
}
BENCHMARK(BM_Eil51EulerScalar)->Unit(benchmark::kMillisecond);
static void BM_Eil51EulerBatch(benchmark::State &state) {
  eil51_euler();
  batch_runs(state);
  reset_network();
}
BENCHMARK(BM_Eil51EulerBatch)->Unit(benchmark::kMillisecond);

// The transiently chaotic network of the 1995 paper on its ten cities, 5,000 steps, without noise
// (argument 0) and with it (1): one network at a time as measured_run makes and measures it, and
// NLANE at a time in the batch, each lane measured as the survey measures it.
static Network ht10_tcnn(bool noise) {
  reset_network();
  std::string name, error;
  if (!load_cities(SOURCE_DIR "/data/literature/ht10.txt", &name, &error)) abort();
  Network net = network;
  net.rule = RULE_TCNN, net.sweeps = 5000, net.u0 = 0.008, net.target = net.n;
  net.bias_ab = false, net.bias = 1, net.distances = DISTANCES_RAW;
  net.a = net.b = net.d = 1, net.c = 0;
  net.noise = noise ? 0.02 : 0.0, net.noise_decay = noise ? 0.001 : 0.0;
  set_up(net);
  return net;
}
static void BM_Ht10TcnnScalar(benchmark::State &state) {
  const Network net = ht10_tcnn(state.range(0) != 0);
  unsigned seed = 1;
  for (auto _ : state) benchmark::DoNotOptimize(measured_run(net, seed++));
  state.SetItemsProcessed(int64_t(state.iterations()));
  reset_network();
}
BENCHMARK(BM_Ht10TcnnScalar)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
static void BM_Ht10TcnnBatch(benchmark::State &state) {
  const Network net = ht10_tcnn(state.range(0) != 0);
  static Batch batch;
  static double final[MAXCITY][MAXCITY], before[MAXCITY][MAXCITY], before2[MAXCITY][MAXCITY];
  uint32_t seed = 1;
  for (auto _ : state) {
    for (int l = 0; l < NLANE; l++) batch_start(&batch, l, net, seed++);
    batch_sweeps(&batch);
    for (int l = 0; l < NLANE; l++) {
      batch_take(&batch, l, final, before, before2);
      benchmark::DoNotOptimize(measure_end(net, final, before, before2));
    }
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * NLANE);
  reset_network();
}
BENCHMARK(BM_Ht10TcnnBatch)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The ten cities of the 1985 paper under potts (argument 4) and softassign (5) with their default
// sweeps and the critical start temperature, A = B = 0 for softassign, B = 1 for potts, D = 1,
// bias 0, distances as drawn: one network at a time, and NLANE at a time in the batch.
static Network ht10_normalised(Rule rule) {
  reset_network();
  std::string name, error;
  if (!load_cities(SOURCE_DIR "/data/literature/ht10.txt", &name, &error)) abort();
  Network net = network;
  net.rule = rule, net.sweeps = default_sweeps(rule), net.target = net.n;
  net.distances = DISTANCES_RAW, net.bias_ab = false, net.bias = 0;
  net.a = 0, net.b = rule == RULE_POTTS ? 1 : 0, net.d = 1;
  set_up(net);
  return net;
}
static void BM_Ht10NormalisedScalar(benchmark::State &state) {
  const Network net = ht10_normalised(Rule(state.range(0)));
  unsigned seed = 1;
  for (auto _ : state) {
    start_run(net, seed++);
    for (int s = 0; s < network.sweeps; s++) update_state();
    benchmark::DoNotOptimize(unitout[0][0]);
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  reset_network();
}
BENCHMARK(BM_Ht10NormalisedScalar)->Arg(RULE_POTTS)->Arg(RULE_SOFTASSIGN);
static void BM_Ht10NormalisedBatch(benchmark::State &state) {
  static Batch batch;
  const Network net = ht10_normalised(Rule(state.range(0)));
  uint32_t seed = 1;
  for (auto _ : state) {
    for (int l = 0; l < NLANE; l++) batch_start(&batch, l, net, seed++);
    batch_sweeps(&batch);
    benchmark::DoNotOptimize(batch.state[0][0]);
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * NLANE);
  reset_network();
}
BENCHMARK(BM_Ht10NormalisedBatch)->Arg(RULE_POTTS)->Arg(RULE_SOFTASSIGN);
// A classic heuristic's run on a TSPLIB instance, as the survey makes it (heuristic_run: the
// draws, the tour, its measures), seed after seed: its time per run. Args: the instance (0
// eil51, 1 kroA100) and the method.
static void BM_Heuristic(benchmark::State &state) {
  static const char *const INSTANCE[2] = {SOURCE_DIR "/data/tsplib/eil51.tsp",
                                          SOURCE_DIR "/data/tsplib/kroA100.tsp"};
  reset_network();
  std::string name, error;
  if (!load_cities(INSTANCE[state.range(0)], &name, &error)) abort();
  Network net = network;
  net.method = Method(state.range(1));
  set_up(net);
  find_optimum(); // the tables built once, as the survey builds them before its runs
  unsigned seed = 1;
  for (auto _ : state) benchmark::DoNotOptimize(heuristic_run(net, seed++));
  state.SetLabel(std::string(name) + " " +
                 (net.method == METHOD_NEAREST ? "nearest"
                  : net.method == METHOD_2OPT  ? "2-opt"
                                               : "or-opt"));
  reset_network();
}
BENCHMARK(BM_Heuristic)
    ->ArgsProduct({{0, 1}, {METHOD_NEAREST, METHOD_2OPT, METHOD_OROPT}})
    ->Unit(benchmark::kMicrosecond);

// The processor's clock as it runs: a chain of dependent integer additions takes one cycle each,
// so additions per second are cycles per second. Reported as the counter GHz.
static void BM_ClockFromDependentAdds(benchmark::State &state) {
  const int64_t chain = 100000000;
  for (auto _ : state) {
    uint64_t x = 0;
    for (int64_t k = 0; k < chain; k += 8) // eight a turn: the loop's own work runs beside them
      asm volatile("add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\t"
                   "add $1, %0\n\tadd $1, %0\n\tadd $1, %0\n\tadd $1, %0"
                   : "+r"(x));
    benchmark::DoNotOptimize(x);
  }
  state.counters["GHz"] = benchmark::Counter(double(chain) * double(state.iterations()) / 1e9,
                                             benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ClockFromDependentAdds)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv) {
  choose_activation();
  printf("activation: %s\n", activation_text());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
}
