// The table of options: what --help lists is what the tools read, each kind's refusal, the
// defaults (nuv's network, and those that depend on other settings), the nearest name offered
// for a word not known, and the survey's plan read by setting name and from a shard's text.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>

#include "methods.h"
#include "options.h"
#include "plan.h"
#include "run.h"

namespace {

// Reads tool's arguments into *o; the refusal, or "" when read.
std::string refusal(int tool, std::vector<std::string> args, NetworkOptions *o = nullptr) {
  args.insert(args.begin(), "tool");
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  NetworkOptions own;
  CommandLine line;
  std::string error;
  read_command_line(tool, int(argv.size()), argv.data(), &line, o ? o : &own, &error);
  return error;
}

// The options --help lists, each "--name" or "-o" that opens a word of its lines.
std::set<std::string> listed(const std::string &help) {
  std::set<std::string> names;
  const std::regex option("(^|[ ,\\[])(--?[a-zA-Z][a-zA-Z0-9]*(-[a-zA-Z0-9]+)*)");
  for (const std::string &line : lines_of(help))
    for (std::sregex_iterator m(line.begin(), line.end(), option), end; m != end; ++m)
      names.insert((*m)[2]);
  return names;
}

} // namespace

// Every option --help names is one the tool reads, and every option the tool reads is named in
// --help or is a help option itself: no list of names apart from the table.
TEST(Options, HelpListsExactlyWhatEachToolReads) {
  for (const auto &[tool, program] :
       {std::pair{TOOL_TRACE, std::string(TRACE)}, std::pair{TOOL_SURVEY, std::string(SURVEY)}}) {
    const Ran help = run(program + " --help");
    ASSERT_EQ(help.status, 0);
    const std::set<std::string> names = listed(help.out);
    for (const std::string &name : names) EXPECT_TRUE(find_option(tool, name)) << name;
    for (int k = 0; k < NOPTIONS; k++) {
      const Option &o = OPTIONS[k];
      if (!(o.tools & tool) || std::string(o.name) == "--help" || std::string(o.name) == "-h")
        continue;
      EXPECT_TRUE(names.count(o.name)) << program << " does not list " << o.name;
    }
  }
}

// An option no row has is refused, named, never taken as a value or a file; a valued option
// typed last needs its value; a flag takes none.
TEST(Options, AnOptionNotInTheTableIsRefused) {
  EXPECT_EQ(refusal(TOOL_TRACE, {"--film", "out.svg", "1", "1", "1", "5"}),
            "unknown option '--film'");
  EXPECT_EQ(refusal(TOOL_TRACE, {"--seeds", "1:2"}), "unknown option '--seeds'; did you mean "
                                                     "--sweeps?");
  EXPECT_EQ(refusal(TOOL_SURVEY, {"--wide", "1", "1", "1"}), "unknown option '--wide'");
  EXPECT_EQ(refusal(TOOL_TRACE, {"1", "--u0"}), "--u0 needs a value");
  EXPECT_EQ(refusal(TOOL_TRACE, {"--csv=yes"}), "unknown option '--csv=yes'");
  const Ran ran = run(std::string(TRACE) + " --film $(mktemp -u) 1 1 1 5");
  EXPECT_EQ(ran.status, 2);
  EXPECT_EQ(ran.err, "nuv-trace: unknown option '--film' (see nuv-trace --help)\n");
}

// Each kind's refusal says the option, the value as typed and what it must be.
TEST(Options, EachKindRefusesWhatItIsNot) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--n", "x"}, "--n 'x' is not a finite number"},
      {{"--n", "1e999"}, "--n '1e999' is not a finite number"},
      {{"--u0", "0"}, "--u0 '0' is not a finite number above 0"},
      {{"--tau=-1"}, "--tau '-1' is not a finite number above 0"},
      {{"--sweeps", "0"}, "--sweeps '0' is not a whole number in 1 ... 100000"},
      {{"--sweeps", "100001"}, "--sweeps '100001' is not a whole number in 1 ... 100000"},
      {{"--rule", "fast"}, "--rule 'fast' is not inplace, sync, euler, tcnn, potts or softassign"},
      {{"--bias", "A+C"}, "--bias 'A+C' is not A+B or a finite number; did you mean A+B?"},
      {{"--cities", ""}, "--cities '' names no cities"},
      {{"--svg="}, "--svg needs a file name"},
      {{"--C", "0:1:0.5"}, "--C '0:1:0.5' is not a finite number"}, // a range is the survey's
      {{"--dt-decay", "1"},
       "--dt-decay '1' is not a number from 0, below 1: each step multiplies dt by 1 - X, so 1 "
       "would freeze the state after one step and below 0 dt would grow"},
      {{"--distances", "units"},
       "--distances 'units' is not scaled, raw or unit; did you mean "
       "unit?"},
  };
  for (const auto &[args, why] : cases) EXPECT_EQ(refusal(TOOL_TRACE, args), why) << args[0];
  EXPECT_EQ(refusal(TOOL_SURVEY, {"--seeds", "5:1"}), "seeds '5:1': FIRST is above LAST");
  EXPECT_EQ(refusal(TOOL_SURVEY, {"--shard", "3/3"}),
            "--shard '3/3' is not K/M with 0 <= K < M <= 100000");
  EXPECT_EQ(refusal(TOOL_SURVEY, {"--jobs", "257"}),
            "--jobs '257' is not a whole number in 1 ... 256");
  EXPECT_EQ(refusal(TOOL_SURVEY, {"--heat", "hot"}),
            "--heat 'hot' is not valid, optimal, ratio or settled");
  EXPECT_EQ(refusal(TOOL_SURVEY, {"-o", ""}), "-o needs a file name");
  EXPECT_EQ(refusal(TOOL_SURVEY, {"--C", "0:1:0.5"}), ""); // read as a range by the plan
}

// The table's defaults are nuv's network, field by field as the model writes it.
TEST(Options, DefaultsAreNuvsNetwork) {
  reset_network();
  NetworkOptions o;
  std::string error;
  ASSERT_TRUE(set_up_network(&o, &error)) << error;
  const Network &nuv = network;
  EXPECT_EQ(o.net.n, NCITY);
  EXPECT_EQ(o.net.rule, RULE_INPLACE);
  EXPECT_EQ(o.net.start, START_UNIFORM);
  EXPECT_TRUE(o.net.bias_ab && o.net.distances == DISTANCES_SCALED && !o.net.distances_given);
  EXPECT_EQ(o.net.c, 0.0);
  EXPECT_EQ(o.net.target, 9.0);
  EXPECT_EQ(o.net.u0, 0.5);
  EXPECT_EQ(o.net.dt, 0.01);
  EXPECT_EQ(o.net.tau, 1.0);
  EXPECT_EQ(o.net.dt_decay, 0.0);
  EXPECT_EQ(o.net.sweeps, 50);
  EXPECT_EQ(nuv.sweeps, o.net.sweeps); // handed to the model
  EXPECT_TRUE(is_nuv_network(o));
  EXPECT_EQ(network_text(o), "network: nuv, 9 cities, rule inplace, 50 sweeps");
}

// --dt-decay is read by the Euler rule alone, and refused under the others, in any order.
TEST(Options, TheEulerStepsDecayIsRefusedUnderAnotherRule) {
  const std::string refused = "--dt-decay applies only under --rule euler (the rule here is ";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--dt-decay", "0.1"}, refused + "inplace)"},
      {{"--dt-decay", "0", "--rule", "sync"}, refused + "sync)"},
      {{"--dt-decay", "0.1", "--rule", "euler"}, ""},
  };
  for (const auto &[args, why] : cases) {
    reset_network();
    NetworkOptions o;
    std::string error;
    ASSERT_EQ(refusal(TOOL_SURVEY, args, &o), "");
    EXPECT_EQ(set_up_network(&o, &error), why.empty()) << args[0];
    EXPECT_EQ(error, why);
    if (why.empty()) {
      EXPECT_EQ(network.dt_decay, 0.1);
    }
  }
  reset_network();
}

// The sweeps follow the rule and n follows the cities unless typed, in any order.
TEST(Options, DefaultsThatDependOnOtherSettings) {
  const std::pair<std::vector<std::string>, std::pair<int, double>> cases[] = {
      {{"--rule", "euler"}, {1000, 9}},
      {{"--sweeps", "7", "--rule", "euler"}, {7, 9}},
      {{"--rule", "sync"}, {50, 9}},
      {{"--cities", "random:12:7"}, {50, 12}},
      {{"--n", "3", "--cities", "random:12:7"}, {50, 3}},
  };
  for (const auto &[args, expected] : cases) {
    reset_network();
    NetworkOptions o;
    std::string error;
    ASSERT_EQ(refusal(TOOL_TRACE, args, &o), "");
    ASSERT_TRUE(set_up_network(&o, &error)) << error;
    EXPECT_EQ(network.sweeps, expected.first) << args[0] << " " << args[1];
    EXPECT_EQ(network.target, expected.second) << args[0] << " " << args[1];
  }
  reset_network();
}

// A word near one known is answered with it; a far one, or one as near two, with nothing.
TEST(Options, NearestKnownName) {
  EXPECT_EQ(refusal(TOOL_SURVEY, {"--seed", "1:2"}),
            "unknown option '--seed'; did you mean --seeds?");
  EXPECT_EQ(refusal(TOOL_TRACE, {"--start", "centered"}),
            "--start 'centered' is not uniform or centred; did you mean centred?");
  EXPECT_EQ(refusal(TOOL_TRACE, {"--rule", "banana"}),
            "--rule 'banana' is not inplace, sync, euler, tcnn, potts or softassign");
  EXPECT_EQ(refusal(TOOL_TRACE, {"--frobnicate"}), "unknown option '--frobnicate'");
  EXPECT_EQ(nearest("--distanc", {"--dt", "--distances"}), "--distances"); // a prefix
  EXPECT_EQ(nearest("ab", {"aa", "bb"}), "");                              // as near two
  EXPECT_EQ(nearest("sinc", {"inplace", "sync", "euler"}), "sync");
}

// The survey's settings by name: the coefficients, then C, each point a record.
TEST(Options, SurveyRangesOverSettingsByName) {
  Plan plan;
  std::vector<std::string> args = {"nuv-survey", "--C", "0:1:0.5", "1", "2:3:1", "4"};
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  std::string error;
  ASSERT_EQ(read_plan(int(argv.size()), argv.data(), &plan, &error), PLAN_OK) << error;
  ASSERT_EQ(plan.axes.size(), 4u);
  EXPECT_EQ(plan.axes[3].name, "C");
  EXPECT_EQ(plan.axes[3].values, (std::vector<double>{0, 0.5, 1}));
  EXPECT_EQ(set_count(plan), 6u);
  const Network point = grid_point(plan, 4); // Bcoef 3 (second), C 0.5 (second)
  EXPECT_EQ(point.a, 1.0);
  EXPECT_EQ(point.b, 3.0);
  EXPECT_EQ(point.d, 4.0);
  EXPECT_EQ(point.c, 0.5);
}

// A shard's head and --plan are one text, read by one reader: what read_plan typed reads back
// to the same plan; a word no plan holds is refused before anything is read.
TEST(Options, APlanTextReadsBackToItsPlan) {
  Plan typed;
  std::vector<std::string> args = {"nuv-survey", "--seeds=3:9", "--jobs", "2",
                                   "--rule",     "sync",        "--C",    "0:1:1",
                                   "1",          "1:2:0.5",     "2"};
  std::vector<char *> argv;
  for (auto &a : args) argv.push_back(a.data());
  std::string error;
  ASSERT_EQ(read_plan(int(argv.size()), argv.data(), &typed, &error), PLAN_OK) << error;
  EXPECT_EQ(typed.typed, "--seeds=3:9 --rule sync --C 0:1:1 -- 1 1:2:0.5 2");
  Plan back;
  bool read_failed;
  ASSERT_TRUE(read_plan_text(typed.typed, Plan(), &back, &read_failed, &error)) << error;
  EXPECT_EQ(run_count(back), run_count(typed));
  EXPECT_EQ(back.first_seed, 3u);
  EXPECT_EQ(back.network.net.rule, RULE_SYNC);
  for (size_t c = 0; c < typed.axes.size(); c++)
    EXPECT_EQ(back.axes[c].values, typed.axes[c].values);
  EXPECT_FALSE(read_plan_text("--jobs 2 -- 1 1 1", Plan(), &back, &read_failed, &error));
  EXPECT_FALSE(read_failed);
  EXPECT_EQ(error, "holds '--jobs', which no shard's plan holds: it has only --seeds, --methods, "
                   "the network's options and the coefficients");
  EXPECT_FALSE(read_plan_text("--rule sink -- 1 1 1", Plan(), &back, &read_failed, &error));
  EXPECT_TRUE(read_failed);
  EXPECT_EQ(error, "the shards' plan: --rule 'sink' is not inplace, sync, euler, tcnn, potts or "
                   "softassign; did you mean "
                   "sync?");
}

// Every setting's get reads the field its set writes: a value read from one record and set into
// another (nuv's, whose values differ from each method's somewhere) reads back the same, for
// every method's record. A get that reads another field than its set writes reads nuv's value
// back, which some method's differs from.
TEST(Options, EachSettingReadsBackWhatItWrites) {
  int rows = 0, differing = 0;
  for (int m = METHOD_NUV; m <= METHOD_OROPT; m++) {
    Network from = nuv_network();
    from.n = 12, from.target = 12;
    apply_method(Method(m), &from);
    for (const Option &o : every_option()) {
      if (!o.set) continue;
      ASSERT_NE(o.get, nullptr) << o.name << " has no get";
      rows++;
      const OptionValue v = o.get(from);
      Network to = nuv_network();
      to.n = 12;
      const OptionValue before = o.get(to);
      o.set(&to, v);
      const OptionValue back = o.get(to);
      if (std::string(o.name) == "--method") continue; // the preset writes every field
      EXPECT_EQ(back.word, v.word) << o.name << " under method " << m;
      EXPECT_EQ(back.whole, v.whole) << o.name << " under method " << m;
      EXPECT_EQ(memcmp(&back.number, &v.number, sizeof v.number), 0)
          << o.name << " under method " << m;
      differing += before.word != v.word || before.whole != v.whole || before.number != v.number;
    }
  }
  EXPECT_GT(rows, 200);
  EXPECT_GT(differing, 40); // the methods' values are not nuv's, so the reading back means it
}
