// nuv-bench: what a run costs, one network at a time (the bare loop of a run's start plus 50
// sweeps) and NLANE at a time in a batch, over the same seeds; what the survey adds to a run;
// the tours' table, decoding and rank; and the large sweeps against this machine's bound for
// additions and multiplications (BM_Bound, BM_Sweep, BM_TourSums) and, for the in-place rule,
// its chain of dependent additions (BM_AdditionChain). Not a test; run it by hand:
// build/nuv-bench.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "activation.h"
#include "batch.h"
#include "cities.h"
#include "heuristics.h"
#include "instruction_set.h"
#include "network.h"
#include "optimum.h"
#include "runs.h"
#include "schedule.h"
#include "tour_sums_build.h"
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

// The bound: independent chains of vector additions beside as many of multiplications (KIND 0;
// 1 the additions alone, 2 the multiplications alone), each instruction dependent on the last of
// its chain only: twelve chains of each in 512-bit registers, or seven in 256-bit ones where the
// processor has AVX2 but not AVX-512. Returns the doubles added and multiplied in `rounds`
// rounds of 64 instructions a chain.
#define CHAINS(width, adds, muls, add_reg, mul_reg)                                                \
  ".rept 64\n\t.irp k," adds "\n\t.if %c2 != 2\n\tvaddpd %%" width add_reg ", %%" width            \
  "\\k, %%" width "\\k\n\t.endif\n\t.endr\n\t.irp k," muls                                         \
  "\n\t.if %c2 != 1\n\tvmulpd %%" width mul_reg ", %%" width "\\k, %%" width                       \
  "\\k\n\t.endif\n\t.endr\n\t.endr"
template <int KIND>
__attribute__((target("avx512f"))) static void chains_512(int64_t rounds) {
  const double add = 1e-300, mul = 1.0; // the chains stay at 1.0, never subnormal
  for (int64_t r = 0; r < rounds; r++)
    __asm__ volatile(
        "vbroadcastsd %0, %%zmm30\n\tvbroadcastsd %1, %%zmm31\n\t"
        ".irp k,0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23\n\t"
        "vmovapd %%zmm31, %%zmm\\k\n\t.endr\n\t" CHAINS(
            "zmm", "0,1,2,3,4,5,6,7,8,9,10,11", "12,13,14,15,16,17,18,19,20,21,22,23", "30", "31")
        :
        : "m"(add), "m"(mul), "i"(KIND)
        : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8", "xmm9", "xmm10",
          "xmm11", "xmm12", "xmm13", "xmm14", "xmm15", "xmm16", "xmm17", "xmm18", "xmm19", "xmm20",
          "xmm21", "xmm22", "xmm23", "xmm30", "xmm31");
}
template <int KIND>
__attribute__((target("avx2"))) static void chains_256(int64_t rounds) {
  const double add = 1e-300, mul = 1.0;
  for (int64_t r = 0; r < rounds; r++)
    __asm__ volatile("vbroadcastsd %0, %%ymm14\n\tvbroadcastsd %1, %%ymm15\n\t"
                     ".irp k,0,1,2,3,4,5,6,7,8,9,10,11,12,13\n\tvmovapd %%ymm15, %%ymm\\k\n\t"
                     ".endr\n\t" CHAINS("ymm", "0,1,2,3,4,5,6", "7,8,9,10,11,12,13", "14", "15")
                     :
                     : "m"(add), "m"(mul), "i"(KIND)
                     : "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "xmm8",
                       "xmm9", "xmm10", "xmm11", "xmm12", "xmm13", "xmm14", "xmm15");
}
template <int KIND>
static double bound_rounds(int64_t rounds) {
  const bool wide = widest_instruction_set() == SET_V4;
  if (wide)
    chains_512<KIND>(rounds);
  else
    chains_256<KIND>(rounds);
  return double(rounds) * 64 * (wide ? 12 * 8 : 7 * 4) * (KIND == 0 ? 2 : 1);
}

// The bound's benchmark: its counter GFlops is the doubles added and multiplied a second of CPU
// time. Argument 0 (additions beside multiplications) is the bound the sweeps are rated by.
static void BM_Bound(benchmark::State &state) {
  if (widest_instruction_set() == SET_BASELINE) {
    state.SkipWithError("the bound is measured with AVX2 or AVX-512, which this processor lacks");
    return;
  }
  double flops = 0;
  for (auto _ : state)
    flops += state.range(0) == 0   ? bound_rounds<0>(100000)
             : state.range(0) == 1 ? bound_rounds<1>(100000)
                                   : bound_rounds<2>(100000);
  state.counters["GFlops"] = benchmark::Counter(flops / 1e9, benchmark::Counter::kIsRate);
  state.SetLabel(state.range(0) == 0   ? "additions beside multiplications"
                 : state.range(0) == 1 ? "additions alone"
                                       : "multiplications alone");
}
BENCHMARK(BM_Bound)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// What bounds the in-place rule: one chain of dependent additions of doubles, as a unit's row sum
// runs on from the units updated before it (n^3 / 2 of them a sweep). Its label is the CPU time
// of one addition, the floor of a sweep being that times n^3 / 2 (a label, not a counter: the
// CSV report wants the same counters in every benchmark).
static void BM_AdditionChain(benchmark::State &state) {
  const int adds = 1000000;
  double x = 0.0, step = 1e-300, seconds = 0.0, made = 0.0;
  benchmark::DoNotOptimize(step);
  for (auto _ : state) {
    timespec t0, t1;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t0);
    for (int k = 0; k < adds; k++) x += step;
    benchmark::DoNotOptimize(x);
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t1);
    seconds += double(t1.tv_sec - t0.tv_sec) + 1e-9 * double(t1.tv_nsec - t0.tv_nsec);
    made += adds;
  }
  char label[64];
  snprintf(label, sizeof label, "%.3f ns an addition", 1e9 * seconds / made);
  state.SetLabel(label);
}
BENCHMARK(BM_AdditionChain)->Unit(benchmark::kMillisecond);

// The bound in doubles a second, measured once on first use (0.3 s of CPU time, the best of
// three), for the sweeps' fractions of it.
static double bound() {
  static double measured = 0;
  if (measured == 0 && widest_instruction_set() != SET_BASELINE)
    for (int trial = 0; trial < 3; trial++) {
      timespec t0, t1;
      clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t0);
      const double flops = bound_rounds<0>(20000);
      clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t1);
      const double rate =
          flops / (double(t1.tv_sec - t0.tv_sec) + 1e-9 * (t1.tv_nsec - t0.tv_nsec));
      if (rate > measured) measured = rate;
    }
  return measured;
}

// The counters of work done a sweep: GFlops, the tour sums' additions and multiplications
// (2 N^3 a network) a second of CPU time, and bound, their fraction of the bound.
static void count_work(benchmark::State &state, double flops_a_sweep) {
  state.counters["GFlops"] =
      benchmark::Counter(flops_a_sweep / 1e9, benchmark::Counter::kIsIterationInvariantRate);
  if (bound() > 0)
    state.counters["bound"] =
        benchmark::Counter(flops_a_sweep / bound(), benchmark::Counter::kIsIterationInvariantRate);
}

// The TSPLIB instances the large sweeps are timed on, by size; those above MAXCITY are not
// registered.
static const struct {
  const char *name;
  int n;
} LARGE[] = {{"eil51", 51}, {"kroA100", 100}, {"kroA200", 200}, {"pcb442", 442}, {"pr1002", 1002}};

// The model set up for instance `large` under the rule: coefficients 1, 1, 1, no global term,
// the rule's own sweeps.
static Network large_network(int large, Rule rule) {
  reset_network();
  std::string name, error;
  if (!load_cities(std::string(SOURCE_DIR "/data/tsplib/") + LARGE[large].name + ".tsp", &name,
                   &error))
    abort();
  Network net = network;
  net.rule = rule, net.sweeps = default_sweeps(rule), net.target = net.n;
  net.a = net.b = net.d = 1, net.c = 0;
  set_up(net);
  return net;
}

static const char *rule_name(Rule rule) {
  static const char *const NAMES[] = {"inplace", "sync", "euler", "tcnn", "potts", "softassign"};
  return NAMES[rule];
}

// One sweep of one network under a rule (argument 0) on a large instance (argument 1), from seed
// 1's start, a new start (untimed) after each run's sweeps.
static void BM_Sweep(benchmark::State &state) {
  const Rule rule = Rule(state.range(0));
  const Network net = large_network(int(state.range(1)), rule);
  start_run(net, 1);
  int swept = 0;
  for (auto _ : state) {
    if (swept == net.sweeps) {
      state.PauseTiming();
      start_run(net, 1);
      swept = 0;
      state.ResumeTiming();
    }
    update_state();
    swept++;
  }
  count_work(state, 2.0 * net.n * net.n * net.n);
  state.SetLabel(std::string(rule_name(rule)) + " " + LARGE[state.range(1)].name);
  reset_network();
}

// One sweep of a batch, NLANE networks of seeds 1 to NLANE, as BM_Sweep: net.sweeps is 1, so
// that each batch_sweeps is one sweep (with its copies of the state kept behind).
static void BM_BatchSweep(benchmark::State &state) {
  static Batch batch;
  const Rule rule = Rule(state.range(0));
  Network net = large_network(int(state.range(1)), rule);
  net.sweeps = 1;
  set_up(net);
  for (int l = 0; l < NLANE; l++) batch_start(&batch, l, net, uint32_t(1 + l));
  for (auto _ : state) batch_sweeps(&batch);
  count_work(state, 2.0 * NLANE * net.n * net.n * net.n);
  state.SetLabel(std::string(rule_name(rule)) + " " + LARGE[state.range(1)].name);
  reset_network();
}

// The tour sums alone, as the widest build the processor has computes them in the sweeps: one
// network (argument 0 is 0) or a batch's lanes (1) on a large instance (argument 1), from a
// state of draws in [0, 1].
static void BM_TourSums(benchmark::State &state) {
  static double one[2][MAXCITY][MAXCITY];
  static lanes many[2][BATCH_MAXCITY][BATCH_MAXCITY];
  const bool lanes_of_batch = state.range(0) != 0;
  const Network net = large_network(int(state.range(1)), RULE_SYNC);
  const int n = net.n;
  srand(1);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      one[0][i][j] = rand() / 2147483647.0;
      if (n <= BATCH_MAXCITY)
        for (int l = 0; l < NLANE; l++) many[0][i][j][l] = rand() / 2147483647.0;
    }
  const InstructionSet set = widest_instruction_set();
  const TourSumsBuild &build = set == SET_V4   ? tour_sums_v4
                               : set == SET_V3 ? tour_sums_v3
                                               : tour_sums_baseline;
  for (auto _ : state) {
    if (lanes_of_batch)
      build.batch(many[1], many[0], n, distance);
    else
      build.one(one[1], one[0], n, distance);
    benchmark::ClobberMemory();
  }
  count_work(state, 2.0 * (lanes_of_batch ? NLANE : 1) * n * n * n);
  state.SetLabel(std::string(lanes_of_batch ? "batch " : "one network ") +
                 LARGE[state.range(1)].name);
  reset_network();
}

// The large sweeps' benchmarks for the instances up to MAXCITY: the tour sums alone and every
// rule's sweep, one network and (up to BATCH_MAXCITY cities) a batch.
static void register_large(void) {
  for (int large = 0; large < int(sizeof LARGE / sizeof LARGE[0]); large++) {
    if (LARGE[large].n > MAXCITY) continue;
    for (int lanes_of_batch = 0; lanes_of_batch < (LARGE[large].n <= BATCH_MAXCITY ? 2 : 1);
         lanes_of_batch++)
      benchmark::RegisterBenchmark("BM_TourSums", BM_TourSums)
          ->Args({lanes_of_batch, large})
          ->Unit(benchmark::kMillisecond);
    for (Rule rule :
         {RULE_SYNC, RULE_EULER, RULE_TCNN, RULE_SOFTASSIGN, RULE_POTTS, RULE_INPLACE}) {
      benchmark::RegisterBenchmark("BM_Sweep", BM_Sweep)
          ->Args({rule, large})
          ->Unit(benchmark::kMillisecond);
      if (LARGE[large].n <= BATCH_MAXCITY)
        benchmark::RegisterBenchmark("BM_BatchSweep", BM_BatchSweep)
            ->Args({rule, large})
            ->Unit(benchmark::kMillisecond);
    }
  }
}

int main(int argc, char **argv) {
  choose_activation();
  printf("activation: %s\n", activation_text());
  register_large();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
}
