// nuv-survey: runs a network of the family (nuv's by default) over many seeds and coefficient
// sets, decodes the final states and rates their tours against the optimum; or runs one shard of
// such a survey into a file; or merges shards into what the whole survey prints. main reads as
// the survey's steps; the runs and workers are in runs.cpp, the rows in rows.cpp, the pictures
// in pictures.cpp, the shards in shards.cpp.
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "activation.h"
#include "args.h"
#include "file.h"
#include "optimum.h"
#include "pictures.h"
#include "plan.h"
#include "rows.h"
#include "runs.h"
#include "shards.h"
#include "stream.h"

// "20,000": a count with its thousands marked.
static std::string grouped(uint64_t count) {
  std::string digits = std::to_string(count);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

// The run's coefficients and seed as the survey's options give them: "A=1 B=1 D=1.5 seed 7",
// after its method with --methods ("method tcnn, A=1 ...").
static std::string run_name(const Network &point, uint32_t seed, Columns columns) {
  return (columns.methods ? "method " + method_name(point.method) + ", " : "") +
         "A=" + shortest(point.a) + " B=" + shortest(point.b) + " D=" + shortest(point.d) +
         (columns.c ? " C=" + shortest(point.c) : "") + " seed " + std::to_string(seed);
}

// What the rows need as the runs come in order, and what they leave: the coefficient set under
// way with its tally and outcomes, the runs done, each finished set's tally for the picture, and
// why the output stopped.
struct Output {
  FILE *rows; // standard output, or a shard's memory until it is written whole
  const Plan &plan;
  const Optimum &optimum;
  const Columns columns;
  Network point{}; // the grid point under way
  uint64_t current = UINT64_MAX, done = 0;
  bool set_open = false; // the coefficient set under way has runs and no row yet
  Tally tally;
  Outcomes outcomes;
  RatioCounts ratios; // with --methods and --svg, the set's valid runs by ratio
  std::vector<Tally> tallies;
  std::vector<RatioCounts> method_ratios;
  std::string error;

  Output(FILE *rows, const Plan &plan, const Optimum &optimum, Columns columns)
      : rows(rows), plan(plan), optimum(optimum), columns(columns) {}
};

// A set's summary row: a method's with --methods.
static void print_set_row(const Output &out) {
  if (out.plan.methods.empty())
    print_summary_row(out.rows, out.point, out.tally, out.columns);
  else
    print_method_row(out.rows, out.point.method, out.tally);
}

// A set's rows once its last seed has run: the outcome rows, or the summary row unless CSV;
// the picture keeps its tally (and with --methods its ratios).
static void end_set(Output *out) {
  if (out->plan.tours)
    print_outcome_rows(out->rows, out->point, out->outcomes, out->optimum, out->plan.csv,
                       out->columns);
  else if (!out->plan.csv)
    print_set_row(*out);
  if (!out->plan.svg.empty()) out->tallies.push_back(out->tally);
  if (!out->plan.svg.empty() && !out->plan.methods.empty())
    out->method_ratios.push_back(out->ratios);
}

// Run r: a CSV row (unless --tours), added to its set's tally and outcomes, and the set ended at
// its last seed. False, with out->error, for a run whose state or energy is not finite.
static bool add_run(Output *out, uint64_t r, const RunResult &run) {
  const Plan &plan = out->plan;
  const uint64_t set = run_set(plan, r);
  const uint32_t seed = run_seed(plan, r);
  if (set != out->current) {
    out->current = set, out->point = grid_point(plan, set);
    out->tally = Tally(), out->outcomes = Outcomes(), out->ratios.clear();
  }
  if (!std::isfinite(run.energy)) {
    out->error = "the run of " + run_name(out->point, seed, out->columns) +
                 " ended in a state or energy that is not finite (a step too long for the rule, "
                 "or coefficients too large?)";
    return false;
  }
  if (plan.csv && !plan.tours)
    print_csv_row(out->rows, out->point, seed, run, out->optimum, out->columns);
  out->tally.add(run, out->optimum);
  if (plan.tours) out->outcomes.add(run);
  if (!plan.svg.empty() && !plan.methods.empty()) add_ratio(&out->ratios, run, out->optimum);
  out->done++, out->set_open = seed != plan.last_seed;
  if (!out->set_open) end_set(out);
  return true;
}

// A block of runs in order; false, with out->error, at a run that is not finite or output that
// fails (a shard's rows are in memory until the end).
static bool add_block(Output *out, uint64_t first, const RunResult *run, uint64_t count) {
  for (uint64_t k = 0; k < count; k++)
    if (!add_run(out, first + k, run[k])) return false;
  return out->plan.shards || stdout_ok(&out->error);
}

// A survey stopped by INT or TERM (HUP, or a shard, end as the signal would): the summary's
// rows of the runs finished stand, with the coefficient set under way's and a line saying it is
// partial; CSV and --tours rows stand as printed. Standard error says how to run a survey that
// can be stopped. The status is 128 + the signal.
static int interrupted(const Output &out) {
  const Plan &plan = out.plan;
  const int sig = survey_signal();
  const uint64_t total = plan.end_run - plan.first_run;
  const std::string runs = grouped(out.done) + " of " + grouped(total) + " runs";
  if (!plan.csv && !plan.tours) {
    if (out.set_open) print_set_row(out);
    printf("partial: %s, interrupted\n", runs.c_str());
  }
  std::string error;
  if (!stdout_ok(&error)) return report(128 + sig, error);
  const char *stand = plan.tours ? " (the rows printed are of whole coefficient sets)"
                      : plan.csv ? " (the rows printed stand, a row a run)"
                                 : "";
  report(0, "interrupted after " + runs + stand +
                "; a survey run in shards can be stopped and taken up again: --shard K/M -o FILE "
                "for each K, then --merge FILES");
  return 128 + sig;
}

// A merge's plan, read from its shards' heads and checked: its cities are the shards', and the
// shards hold every run of it once, each row the plan's. *plan becomes the shards' plan with the
// merge's views; *optimum is its cities'. False with *error, the reason to refuse.
static bool read_merge(Plan *plan, std::vector<Shard> *shards, Optimum *optimum,
                       std::string *error) {
  Plan merged;
  if (!check_shards(plan->files, plan->plan_text, shards, error)) return false;
  const Shard &first = (*shards)[0];
  const std::string source = first.whole_csv ? "--plan" : "the plan in " + quoted(first.file);
  bool read_failed;
  if (!read_plan_text(first.plan, *plan, &merged, &read_failed, error)) {
    if (!read_failed) *error = source + " " + *error;
    return false;
  }
  if (!check_cities_file(merged, error) || !set_up_plan(&merged, error)) {
    *error = "the cities of " + source + ": " + *error;
    return false;
  }
  if (!check_instance(merged, *shards, error) || !check_tiling(merged, shards, error)) return false;
  *optimum = find_optimum();
  if (!read_shards(merged, *shards, *optimum, nullptr, error)) return false;
  merged.merge = true, merged.files = plan->files;
  *plan = merged;
  return true;
}

// The head of the output: what network it is unless nuv's, or what methods (not in CSV), then
// the rows' header.
static void print_head(FILE *rows, const Plan &plan, const Optimum &optimum, const Columns &columns,
                       const std::string &network) {
  if (!plan.shards && columns.motion && !plan.csv) printf("%s\n", network.c_str());
  if (plan.tours)
    print_outcomes_head(rows, optimum, plan.csv, columns);
  else if (plan.csv)
    print_csv_head(rows, columns);
  else if (!plan.methods.empty())
    print_method_head(rows, optimum);
  else
    print_summary_head(rows, optimum, columns);
}

// A shard's file, whole, from the rows kept in memory (*rows and *size are the memory stream's,
// set when it closes): to -o's file, or standard output.
static bool write_shard(const Plan &plan, FILE *memory, char **rows, size_t *size,
                        std::string *error) {
  fclose(memory);
  const std::string text = shard_file(plan, std::string(*rows, *size));
  free(*rows);
  if (plan.output.empty()) return fputs(text.c_str(), stdout), true;
  return write_whole(plan.output, text, error);
}

// What a command line that asks for no survey gets: the help, the version, or the refusal. The
// status to end with.
static int answer(PlanResult read, const std::string &refusal) {
  std::string error;
  if (read == PLAN_BAD) return report(2, refusal + " (see nuv-survey --help)");
  if (read == PLAN_HELP) {
    fputs(USAGE, stdout);
    fputs(options_usage(TOOL_SURVEY).c_str(), stdout);
  } else {
    choose_activation();
    printf("nuv-survey " NUV_VERSION "\nactivation: %s (C library build %s)\n", activation_text(),
           *library_build_id() ? library_build_id() : "unknown");
  }
  return stdout_ok(&error) ? 0 : report(1, error);
}

// The workers, as many as can start (none for a merge), and a word on standard error when fewer
// than asked. From here a TERM, INT or HUP ends the workers with the survey.
static Workers start_survey_workers(const Plan &plan) {
  std::string why;
  Workers workers;
  if (!plan.merge)
    catch_signals(plan.shards > 0 ? STOP_SHARD : STOP_TOOL), workers = start_workers(plan, &why);
  if (!why.empty())
    report(0, why + "; running " +
                  (workers.pid.empty() ? "in this process"
                                       : "with " + std::to_string(workers.pid.size())));
  return workers;
}

int main(int argc, char **argv) {
  start_output("nuv-survey");

  // 1. The plan: anything that cannot be read is refused before any run.
  Plan plan;
  std::string error;
  const PlanResult read = read_plan(argc, argv, &plan, &error);
  if (read != PLAN_OK) return answer(read, error);

  // 2. The network. A merge reads its plan from its shards, and checks that they hold every run
  // of it once before anything is printed.
  std::vector<Shard> shards;
  Optimum merged_optimum{};
  if (plan.merge ? !read_merge(&plan, &shards, &merged_optimum, &error)
                 : !set_up_plan(&plan, &error))
    return report(2, error);
  if (is_normalised(plan.network.net.rule) && !(plan.network.net.t0 > 0))
    plan.network.critical = critical_over_grid(plan);

  // 3. The files it will write can be written, or nothing runs.
  if (!plan.svg.empty() && !check_writable(plan.svg, &error)) return report(1, error);
  if (!plan.output.empty() && !check_writable(plan.output, &error)) return report(1, error);

  // 4. The activation the batch will use, then the workers.
  choose_activation();
  Workers workers = start_survey_workers(plan);

  // 5. The optimum, and the head of the output. A shard's rows go to memory, as CSV, to be
  // written whole.
  const Optimum optimum = plan.merge ? merged_optimum : find_optimum();
  const Columns columns = columns_of(plan);
  const std::string description =
      plan.methods.empty() ? network_text(plan.network) : methods_line(plan);
  char *shard_rows = nullptr;
  size_t shard_size = 0;
  FILE *rows = stdout;
  if (plan.shards) plan.csv = true, rows = open_memstream(&shard_rows, &shard_size);
  print_head(rows, plan, optimum, columns, description);

  // 6. The runs, block by block in order, into the rows (add_block). Output that fails, or a run
  // whose state or energy is not finite, stops the survey at once.
  Output out{rows, plan, optimum, columns};
  const RunSink sink = [&out](uint64_t first, const RunResult *run, uint64_t count) {
    return add_block(&out, first, run, count);
  };
  if (plan.merge) {
    if (!read_shards(plan, shards, optimum, &sink, &error))
      return error.empty() ? report(1, out.error) : report(2, error);
  } else if (!run_survey(plan, &workers, sink, &error)) {
    if (error.empty() && out.error.empty() && survey_signal() != 0) return interrupted(out);
    return report(1, error.empty() ? out.error : error);
  }

  // 7. A shard's file, whole.
  if (plan.shards && !write_shard(plan, rows, &shard_rows, &shard_size, &error))
    return report(1, error);

  // 8. The picture, whole; and everything written, or a failure.
  const std::string made_by = "nuv-survey " NUV_VERSION ": " + command_line(argc, argv) +
                              (columns.motion ? "; " + description : "");
  const std::string picture =
      plan.svg.empty()       ? ""
      : plan.methods.empty() ? survey_svg(plan, out.tallies, optimum, made_by)
                             : methods_svg(plan, out.tallies, out.method_ratios, optimum, made_by);
  if (!plan.svg.empty() && !write_whole(plan.svg, picture, &error)) return report(1, error);
  return stdout_ok(&error) ? 0 : report(1, error);
}
