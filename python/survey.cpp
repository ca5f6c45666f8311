// The survey in Python: nuv.survey's plan read by the survey's own reader from the words a
// command line of nuv-survey would hold, its runs made by run_survey (the batch lanes and the
// worker processes), and each run's end written straight into NumPy columns, one element a run,
// that python/nuv/survey.py makes a pandas frame of; and the tallies of nuv.summary, by the
// survey's Tally. Start at survey_columns.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "../survey/plan.h"
#include "../survey/rows.h"
#include "../survey/runs.h"
#include "activation.h"
#include "bindings.h"
#include "network.h"
#include "result.h"
#include "state.h"
#include "text.h"
#include "tour.h"

namespace {

// The columns of a survey's frame, one element a run in the survey's order, allocated whole
// before any run (nothing grows while the runs come) and written through their pointers with the
// GIL released. A tour is a code into `tours`, its texts in the order first found (-1: no tour);
// rank_missing marks a run with no rank (not a tour, or tours not ranked).
struct FrameColumns {
  py::array_t<int8_t> method;
  py::array_t<double> a, b, d, c, length, ratio, energy;
  py::array_t<int64_t> seed, rank;
  py::array_t<bool> valid, settled, rank_missing;
  py::array_t<int32_t> tour;
  py::array_t<int8_t> outcome, motion;
  std::unordered_map<std::string, int32_t> tour_code;
  std::vector<std::string> tours;
};

// The raw columns as the sink writes them.
struct Pointers {
  int8_t *method;
  double *a, *b, *d, *c, *length, *ratio, *energy;
  int64_t *seed, *rank;
  bool *valid, *settled, *rank_missing;
  int32_t *tour;
  int8_t *outcome, *motion;
};

// Columns for runs runs (GIL held), and pointers into them.
Pointers allocate(FrameColumns *k, uint64_t runs) {
  const py::ssize_t n = py::ssize_t(runs);
  k->method = py::array_t<int8_t>(n), k->a = py::array_t<double>(n);
  k->b = py::array_t<double>(n), k->d = py::array_t<double>(n), k->c = py::array_t<double>(n);
  k->length = py::array_t<double>(n), k->ratio = py::array_t<double>(n);
  k->energy = py::array_t<double>(n), k->seed = py::array_t<int64_t>(n);
  k->rank = py::array_t<int64_t>(n), k->valid = py::array_t<bool>(n);
  k->settled = py::array_t<bool>(n), k->rank_missing = py::array_t<bool>(n);
  k->tour = py::array_t<int32_t>(n), k->outcome = py::array_t<int8_t>(n);
  k->motion = py::array_t<int8_t>(n);
  return {k->method.mutable_data(),
          k->a.mutable_data(),
          k->b.mutable_data(),
          k->d.mutable_data(),
          k->c.mutable_data(),
          k->length.mutable_data(),
          k->ratio.mutable_data(),
          k->energy.mutable_data(),
          k->seed.mutable_data(),
          k->rank.mutable_data(),
          k->valid.mutable_data(),
          k->settled.mutable_data(),
          k->rank_missing.mutable_data(),
          k->tour.mutable_data(),
          k->outcome.mutable_data(),
          k->motion.mutable_data()};
}

double seconds_now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// What the sink needs as the runs come in order, and what it leaves: the grid point under way,
// the progress callback and when it was last called, and why the survey stopped.
struct Gather {
  const Plan &plan;
  const Optimum &optimum;
  FrameColumns *columns;
  Pointers at;
  uint64_t current = UINT64_MAX, total = 0;
  Network point{};
  int8_t method = 0;
  PyObject *progress =
      nullptr; // progress(done, total), or None: the caller's, alive for the survey
  double last = 0;
  std::string error;         // a run that is not finite
  bool python_error = false; // the progress callback raised; the error is Python's, restored

  Gather(const Plan &plan, const Optimum &optimum, FrameColumns *columns, Pointers at)
      : plan(plan), optimum(optimum), columns(columns), at(at) {}
};

// The run's coefficients and seed as the survey names them in its refusal: "A=1 B=1 D=1.5 seed 7",
// after its method with --methods.
std::string run_name(const Gather &g, uint32_t seed) {
  const bool c = g.plan.network.given.count("--C") > 0;
  return (g.plan.methods.empty() ? "" : "method " + method_name(g.point.method) + ", ") +
         "A=" + shortest(g.point.a) + " B=" + shortest(g.point.b) + " D=" + shortest(g.point.d) +
         (c ? " C=" + shortest(g.point.c) : "") + " seed " + std::to_string(seed);
}

// Run r into the columns; false, with g->error, for a run whose state or energy is not finite
// (the survey refuses it before its row, as nuv-survey does).
bool add_run(Gather *g, uint64_t r, const RunResult &run) {
  const uint64_t set = run_set(g->plan, r);
  const uint32_t seed = run_seed(g->plan, r);
  if (set != g->current) {
    g->current = set, g->point = grid_point(g->plan, set);
    g->method = int8_t(g->plan.methods.empty() ? 0 : set);
  }
  if (!std::isfinite(run.energy)) {
    g->error = "the run of " + run_name(*g, seed) +
               " ended in a state or energy that is not finite (a step too long for the rule, "
               "or coefficients too large?)";
    return false;
  }
  const Pointers &p = g->at;
  const bool valid = run.valid();
  p.method[r] = g->method;
  p.a[r] = g->point.a, p.b[r] = g->point.b, p.d[r] = g->point.d, p.c[r] = g->point.c;
  p.seed[r] = seed;
  p.valid[r] = valid;
  p.length[r] = valid ? run.length : NAN;
  p.ratio[r] = valid ? run.length / g->optimum.length : NAN; // as the CSV row divides
  p.energy[r] = run.energy;
  p.rank_missing[r] = !(valid && run.rank > 0);
  p.rank[r] = valid && run.rank > 0 ? run.rank : 0;
  p.outcome[r] = int8_t(run.outcome), p.motion[r] = int8_t(run.motion);
  p.settled[r] = run.settled;
  p.tour[r] = -1;
  if (valid) {
    auto found = g->columns->tour_code.try_emplace(tour_text(run.tour).s, 0);
    if (found.second) {
      found.first->second = int32_t(g->columns->tours.size());
      g->columns->tours.push_back(found.first->first);
    }
    p.tour[r] = found.first->second;
  }
  return true;
}

// The progress callback, at most ten times a second and once at the end; false when it raised
// (its error kept as Python's, to be raised when the survey has stopped).
bool report_progress(Gather *g, uint64_t done) {
  if (g->progress == Py_None) return true;
  const double now = seconds_now();
  if (done < g->total && now - g->last < 0.1) return true;
  g->last = now;
  py::gil_scoped_acquire gil;
  try {
    py::handle(g->progress)(done, g->total);
  } catch (py::error_already_set &e) {
    e.restore();
    g->python_error = true;
    return false;
  }
  return true;
}

// Each axis's values given as a list, in the order given, in place of the value its word held;
// each value checked as the survey checks a coefficient by reading the words with it.
void apply_lists(const std::vector<std::string> &words,
                 const std::map<std::string, std::vector<std::string>> &lists, Plan *plan) {
  for (const auto &[name, texts] : lists) {
    Axis *axis = nullptr;
    for (Axis &a : plan->axes)
      if (a.name == name) axis = &a;
    if (!axis) refuse("no setting " + name + " to range over");
    // The word that holds the axis's first value: a coefficient after "--", else --C's value.
    size_t at = 0;
    const size_t dashes = size_t(std::find(words.begin(), words.end(), "--") - words.begin());
    static const char *const COEF[3] = {"Acoef", "Bcoef", "Dcoef"};
    for (int k = 0; k < 3; k++)
      if (name == COEF[k]) at = dashes + 1 + size_t(k);
    for (size_t w = 0; !at && w + 1 < dashes; w++)
      if (words[w] == axis->typed_as) at = w + 1;
    std::vector<double> values;
    for (const std::string &text : texts) {
      std::vector<std::string> one = words;
      one.at(at) = text;
      one.insert(one.begin(), "nuv-survey");
      std::vector<char *> argv;
      for (std::string &w : one) argv.push_back(&w[0]);
      Plan read;
      std::string error;
      if (read_plan(int(argv.size()), argv.data(), &read, &error) != PLAN_OK) refuse(error);
      for (const Axis &a : read.axes)
        if (a.name == name) {
          if (a.values.size() != 1)
            refuse(axis->typed_as + " " + quoted(text) + ": a list holds numbers, not ranges");
          for (double v : values)
            if (v == a.values[0]) refuse(axis->typed_as + " " + quoted(text) + " is listed twice");
          values.push_back(a.values[0]);
        }
    }
    if (values.empty()) refuse(axis->typed_as + ": an empty list");
    axis->values = values, axis->text = "[list]";
  }
  __extension__ typedef unsigned __int128 wide;
  wide runs = wide(seed_count(*plan)) * std::max<size_t>(plan->methods.size(), 1);
  for (const Axis &a : plan->axes) runs *= a.values.size();
  if (runs > (wide(1) << 62)) refuse("the plan has more runs than a survey can count (2^62)");
  plan->end_run = uint64_t(runs);
}

// The plan of words (nuv-survey's arguments, without --cities: the model holds the cities, c),
// read and set up as nuv-survey reads and sets up its command line, with lists' values and, for
// networks compared, each one's record in place of its method's. Model lock held.
void make_plan(const std::vector<std::string> &words,
               const std::map<std::string, std::vector<std::string>> &lists, const Cities &c,
               const std::vector<NetworkOptions> &records, Plan *plan) {
  std::vector<std::string> line = words;
  line.insert(line.begin(), "nuv-survey");
  std::vector<char *> argv;
  for (std::string &w : line) argv.push_back(&w[0]);
  std::string error;
  if (read_plan(int(argv.size()), argv.data(), plan, &error) != PLAN_OK)
    refuse(error + " (see nuv-survey --help)");
  apply_lists(words, lists, plan);
  install_cities(c);
  if (!c.source.empty()) plan->network.given["--cities"] = c.source;
  plan->network.name = c.name;
  if (!set_up_plan(plan, &error)) refuse(error);
  plan->network.name = c.name;
  for (size_t k = 0; k < records.size() && k < plan->method_net.size(); k++)
    plan->method_net[k] = records[k].net;
  if (is_normalised(plan->network.net.rule) && !(plan->network.net.t0 > 0))
    plan->network.critical = critical_over_grid(*plan);
  plan->progress = false; // the module draws its own
}

// The columns' descriptions: the network's, or each method's (each network's when compared).
std::vector<std::string> descriptions(const Plan &plan,
                                      const std::vector<NetworkOptions> &records) {
  const std::string prefix = "network: ";
  if (plan.methods.empty())
    return {is_nuv_network(plan.network) ? "" : network_text(plan.network).substr(prefix.size())};
  std::vector<std::string> d;
  for (size_t k = 0; k < plan.methods.size(); k++)
    d.push_back(k < records.size() ? network_text(records[k]).substr(prefix.size())
                                   : method_text(plan, k));
  return d;
}

// The names of an enum's values, by a function of each.
template <class Name>
py::list names(int count, Name name) {
  py::list l;
  for (int k = 0; k < count; k++) l.append(name(k));
  return l;
}

// The survey of words: its columns and what the frame says of itself, as a dict. Cities c are
// the model's for it; records replace the methods' records when networks are compared. A
// stopping signal ends the workers at once and comes to the caller's own action once they are
// gone (Python's: KeyboardInterrupt for INT).
py::dict survey_columns(const std::vector<std::string> &words,
                        const std::map<std::string, std::vector<std::string>> &lists,
                        py::object cities, const std::vector<py::object> &networks,
                        py::object progress) {
  if (PyErr_CheckSignals() != 0) throw py::error_already_set(); // a Ctrl-C before the survey
  const Cities c = cities_from(cities);
  std::vector<NetworkOptions> records;
  for (const py::object &n : networks) {
    const PyNetwork &net = n.cast<const PyNetwork &>();
    const Cities &first = networks[0].cast<const PyNetwork &>().cities;
    if (net.cities.n != first.n || net.cities.distance != first.distance)
      refuse("the networks compared run on different cities: " + first.name + " and " +
             net.cities.name);
    records.push_back(net.options);
  }
  auto columns = std::make_unique<FrameColumns>();
  Plan plan;
  Optimum optimum{};
  std::vector<std::string> described;
  std::string error, why;
  bool done = false;
  int sig = 0;
  {
    ModelLock lock; // the GIL released, the model this survey's until the runs are in
    make_plan(words, lists, c, records, &plan);
    described = descriptions(plan, records);
    choose_activation();
    optimum = find_optimum();
    Pointers at;
    {
      py::gil_scoped_acquire gil; // NumPy's memory, before any worker is forked
      at = allocate(columns.get(), plan.end_run);
    }
    Gather gather(plan, optimum, columns.get(), at);
    gather.total = plan.end_run, gather.progress = progress.ptr();
    catch_signals(STOP_CALLER);
    Workers workers = start_workers(plan, &why);
    if (!why.empty())
      why += "; running " + (workers.pid.empty() ? std::string("in this process")
                                                 : "with " + std::to_string(workers.pid.size()));
    const RunSink sink = [&gather](uint64_t first, const RunResult *run, uint64_t count) {
      for (uint64_t k = 0; k < count; k++)
        if (!add_run(&gather, first + k, run[k])) return false;
      return report_progress(&gather, first + count);
    };
    done = run_survey(plan, &workers, sink, &error);
    sig = survey_signal();
    error = error.empty() ? gather.error : error;
    if (gather.python_error) error = "\1";
  }
  if (!done && error == "\1") throw py::error_already_set();
  if (!done && error.empty() && sig != 0) {
    // The workers are gone: the signal goes to the caller's own action (Python's handler, or
    // the default), and a stop that raised nothing there is a KeyboardInterrupt.
    raise(sig);
    if (PyErr_CheckSignals() != 0) throw py::error_already_set();
    PyErr_SetString(PyExc_KeyboardInterrupt,
                    ("the survey was stopped by signal " + std::to_string(sig)).c_str());
    throw py::error_already_set();
  }
  if (!done) throw std::runtime_error(error);
  if (!why.empty())
    if (PyErr_WarnEx(PyExc_RuntimeWarning, why.c_str(), 1) != 0) throw py::error_already_set();

  py::dict out;
  const FrameColumns &k = *columns;
  out["method"] = k.method, out["Acoef"] = k.a, out["Bcoef"] = k.b, out["Dcoef"] = k.d;
  out["C"] = k.c, out["seed"] = k.seed, out["valid"] = k.valid, out["tour"] = k.tour;
  out["length"] = k.length, out["ratio"] = k.ratio, out["energy"] = k.energy;
  out["rank"] = k.rank, out["rank_missing"] = k.rank_missing, out["outcome"] = k.outcome;
  out["settled"] = k.settled, out["motion"] = k.motion;
  out["tours"] = k.tours;
  py::list methods;
  for (Method m : plan.methods) methods.append(method_name(m));
  out["methods"] = methods;
  out["with_c"] = plan.network.given.count("--C") > 0;
  out["with_motion"] = !plan.methods.empty() || !is_nuv_network(plan.network);
  out["descriptions"] = described;
  out["outcomes"] = names(4, [](int o) { return outcome_name(Outcome(o)); });
  out["motions"] = names(3, [](int m) { return motion_name(Motion(m)); });
  out["optimum_line"] = optimum_text(optimum);
  out["optimum_length"] = optimum.length;
  out["optimum_exact"] = optimum.exact;
  out["cities"] = plan.network.name;
  out["n"] = plan.network.net.n;
  out["plan"] = plan.typed;
  out["description"] = plan.methods.empty() ? network_text(plan.network) : methods_line(plan);
  return out;
}

// A tour's text as the frame holds it ("1-4-3-2-9-8-7-6-5") read into *tour, its cities counted
// into *n; false when it is not N distinct cities 1 ... N in MINCITY ... MAXCITY.
bool read_tour(const std::string &text, Tour *tour, int *n) {
  bool seen[MAXCITY + 1] = {};
  int count = 0;
  for (size_t at = 0; at <= text.size();) {
    size_t end = text.find('-', at);
    if (end == std::string::npos) end = text.size();
    if (end == at || end - at > 4 || count == MAXCITY) return false;
    int city = 0;
    for (size_t k = at; k < end; k++) {
      if (text[k] < '0' || text[k] > '9') return false;
      city = city * 10 + (text[k] - '0');
    }
    if (city < 1 || city > MAXCITY || seen[city]) return false;
    seen[city] = true, tour->city[count++] = city - 1;
    at = end + 1;
  }
  for (int city = 1; city <= count; city++)
    if (!seen[city]) return false;
  *n = count;
  return count >= MINCITY;
}

// The summary's tallies of a frame's runs: group[r] the row's group (0 ... groups - 1), its runs
// added in the frame's order by the survey's Tally, each valid run's ratio its length to the
// optimum's (so that the optimum's length is 1 here) and its tour tours[tour[r]]. A dict of the
// groups' columns; ValueError for a valid run without a tour or ratio.
py::dict tallies(py::array_t<int64_t, py::array::c_style | py::array::forcecast> group,
                 int64_t groups, py::array_t<bool, py::array::c_style | py::array::forcecast> valid,
                 py::array_t<bool, py::array::c_style | py::array::forcecast> settled,
                 py::array_t<double, py::array::c_style | py::array::forcecast> ratio,
                 py::array_t<int64_t, py::array::c_style | py::array::forcecast> tour,
                 const std::vector<std::string> &tours) {
  const py::ssize_t rows = group.size();
  if (valid.size() != rows || settled.size() != rows || ratio.size() != rows || tour.size() != rows)
    refuse("the columns differ in length");
  if (groups < 0) refuse("a negative number of groups");
  std::vector<Tally> tally(static_cast<size_t>(groups));
  const int64_t *gr = group.data(), *tr = tour.data();
  const bool *va = valid.data(), *se = settled.data();
  const double *ra = ratio.data();
  Optimum unit{};
  unit.length = 1.0; // each ratio is to the optimum already
  std::string bad;
  int n = 0;
  py::dict out;
  std::vector<std::string> best(tally.size());
  {
    ModelLock lock; // canonical_tour and tour_text read the model's number of cities
    const int model_n = network.n;
    RunResult run{};
    for (py::ssize_t r = 0; r < rows && bad.empty(); r++) {
      const std::string row = "row " + std::to_string(r) + ": ";
      if (gr[r] < 0 || gr[r] >= groups) {
        bad = row + "no group";
        break;
      }
      run.settled = se[r], run.outcome = va[r] ? OUTCOME_TOUR : OUTCOME_MISSING;
      if (va[r]) {
        int count = 0;
        if (tr[r] < 0 || size_t(tr[r]) >= tours.size() ||
            !read_tour(tours[size_t(tr[r])], &run.tour, &count))
          bad = row + "a valid run without a tour of cities 1 ... N";
        else if (n != 0 && count != n)
          bad = row + "a tour of " + std::to_string(count) + " cities, another of " +
                std::to_string(n);
        else if (!std::isfinite(ra[r]))
          bad = row + "a valid run without a finite ratio";
        if (!bad.empty()) break;
        n = count, network.n = n;
        run.length = ra[r];
      }
      tally[size_t(gr[r])].add(run, unit);
    }
    for (size_t k = 0; k < tally.size() && bad.empty(); k++)
      best[k] = tally[k].valid ? tour_text(tally[k].best).s : "";
    network.n = model_n;
  }
  if (!bad.empty()) refuse(bad);
  const py::ssize_t count = py::ssize_t(tally.size());
  py::array_t<int64_t> runs(count), valids(count), optimal(count), settle(count);
  py::array_t<double> mean(count), best_ratio(count), low(count * 2), high(count * 2);
  py::array_t<double> valid_percent(count), optimal_percent(count), settled_percent(count);
  py::list valid_text, optimal_text, best_tour;
  for (size_t k = 0; k < tally.size(); k++) {
    const Tally &t = tally[k];
    runs.mutable_data()[k] = int64_t(t.runs), valids.mutable_data()[k] = int64_t(t.valid);
    optimal.mutable_data()[k] = int64_t(t.optimal), settle.mutable_data()[k] = int64_t(t.settled);
    valid_percent.mutable_data()[k] = t.valid_percent();
    optimal_percent.mutable_data()[k] = t.optimal_percent();
    settled_percent.mutable_data()[k] = t.settled_percent();
    mean.mutable_data()[k] = t.valid ? t.mean_ratio() : NAN;
    best_ratio.mutable_data()[k] = t.valid ? t.best_ratio : NAN;
    wilson_interval(t.valid, t.runs, &low.mutable_data()[2 * k], &high.mutable_data()[2 * k]);
    wilson_interval(t.optimal, t.runs, &low.mutable_data()[2 * k + 1],
                    &high.mutable_data()[2 * k + 1]);
    valid_text.append(share_text(t.valid, t.runs));
    optimal_text.append(share_text(t.optimal, t.runs));
    best_tour.append(t.valid ? py::object(py::str(best[k])) : py::object(py::none()));
  }
  out["runs"] = runs, out["valid"] = valids, out["optimal"] = optimal, out["settled"] = settle;
  out["mean"] = mean, out["best_ratio"] = best_ratio, out["low"] = low, out["high"] = high;
  out["valid_text"] = valid_text, out["optimal_text"] = optimal_text;
  out["best_tour"] = best_tour, out["valid_percent"] = valid_percent;
  out["optimal_percent"] = optimal_percent, out["settled_percent"] = settled_percent;
  return out;
}

} // namespace

void bind_survey(py::module_ &m) {
  m.def("_survey", &survey_columns, py::arg("words"), py::arg("lists"), py::arg("cities"),
        py::arg("networks"), py::arg("progress"));
  m.def("_tallies", &tallies);
}
