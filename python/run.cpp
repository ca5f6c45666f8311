// Network.run(seed): one run of a network, cycle by cycle, as nuv-trace runs and measures it
// (trace_network, trace/trace.h), into NumPy arrays: the states kept, the inputs where the rule
// keeps them, and every cycle's measures, the values nuv-trace --csv prints, bit for bit. A
// heuristic's run has no cycles, only its end. Start at run_network.
#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "args.h"
#include "bindings.h"
#include "heuristics.h"
#include "rows.h"
#include "text.h"
#include "trace.h"

namespace {

// What a run leaves for Python: the arrays and the end.
struct PyRun {
  py::object network; // the nuv.Network run
  uint32_t seed = 0;  // the seed used
  py::object states, inputs, state_cycles;
  py::object cycle, sweeps, e, ea, eb, ed, ec, l, on, change, lengths, ratios, ranks;
  py::list outcomes, motions, tours;
  py::object tour, length, ratio, rank, outcome, motion, end_energy;
  py::object stopped, stop_reason;
  double optimum_length = 0;
  std::string optimum_kind;
};

// One cycle's measures (a Cycle's but its tour), kept while the run goes on without the GIL;
// the tour in a list apart, from tour_at (-1: none).
struct Measures {
  int cycle, sweeps;
  EnergyTerms terms;
  double e, l;
  int on;
  double change;
  Outcome outcome;
  bool moved;
  Motion motion;
  double length, ratio;
  int rank;
};
struct Kept {
  Measures y;
  long tour_at;
};

// A cycle's measures but its tour.
Measures measures_of(const Cycle &y) {
  return {y.cycle,   y.sweeps, y.terms,  y.e,      y.l,     y.on,  y.change,
          y.outcome, y.moved,  y.motion, y.length, y.ratio, y.rank};
}

// A float array of n values from the cycles' measures.
template <typename F>
py::array_t<double> column(const std::vector<Kept> &k, F value) {
  py::array_t<double> a(py::ssize_t(k.size()));
  double *p = a.mutable_data();
  for (size_t c = 0; c < k.size(); c++) p[c] = value(k[c].y);
  return a;
}

// An integer array likewise.
template <typename F>
py::array_t<long> whole_column(const std::vector<Kept> &k, F value) {
  py::array_t<long> a(py::ssize_t(k.size()));
  long *p = a.mutable_data();
  for (size_t c = 0; c < k.size(); c++) p[c] = value(k[c].y);
  return a;
}

// A tour as the tools print it: the cities' numbers from 1 in position order.
py::list tour_list(const int *city, int n) {
  py::list l;
  for (int j = 0; j < n; j++) l.append(city[j] + 1);
  return l;
}

// The seed a Python value gives, read as nuv-trace reads its seed (-1 is 4294967295).
uint32_t seed_of(py::handle value) {
  const std::string text = option_text(value, "seed");
  uint32_t seed;
  if (!read_nuv_seed(text, &seed))
    refuse("seed " + quoted(text) + " is not a number (see nuv-trace --help)");
  return seed;
}

// A heuristic's run: its end alone, as nuv-trace prints it.
PyRun run_heuristic(const PyNetwork &p, uint32_t seed) {
  PyRun r;
  RunResult run;
  Optimum optimum;
  {
    ModelLock lock;
    set_up_model(p);
    run = heuristic_run(p.options.net, seed);
    optimum = find_optimum();
    r.optimum_kind = optimum_kind(optimum);
  }
  const int n = p.cities.n;
  r.states = py::array_t<double>({py::ssize_t(0), py::ssize_t(n), py::ssize_t(n)});
  r.inputs = py::none();
  r.state_cycles = py::array_t<long>(0);
  py::array_t<double> none(0);
  r.cycle = r.sweeps = r.on = py::array_t<long>(0);
  r.ranks = py::array_t<long>(0);
  r.e = r.ea = r.eb = r.ed = r.ec = r.l = r.change = r.lengths = r.ratios = none;
  r.tour = tour_list(run.tour.city, n);
  r.length = py::float_(run.length);
  r.ratio = py::float_(run.length / optimum.length);
  r.rank = run.rank ? py::object(py::int_(run.rank)) : py::none();
  r.outcome = py::str(outcome_name(run.outcome));
  r.motion = py::str(motion_name(run.motion));
  r.end_energy = py::float_(run.energy);
  r.optimum_length = optimum.length;
  return r;
}

// The run of the network p for seed: every cycle measured, the states of the cycles kept
// (c % every == 0 and the last; only the last when end_only) copied into the array as they are
// reached, with the GIL released. KeyboardInterrupt (Ctrl-C) ends it.
PyRun run_network(const PyNetwork &p, uint32_t seed, long every, bool end_only) {
  const int n = p.cities.n, sweeps = p.options.net.sweeps;
  const auto kept = [&](int c) { return c == sweeps - 1 || (!end_only && c % every == 0); };
  long slots = 0;
  for (int c = 0; c < sweeps; c++) slots += kept(c);
  const Rule rule = p.options.net.rule;
  const bool has_inputs = rule == RULE_EULER || rule == RULE_TCNN;
  const py::ssize_t size = py::ssize_t(n) * n;
  py::array_t<double> states({py::ssize_t(slots), py::ssize_t(n), py::ssize_t(n)});
  py::array_t<double> inputs({py::ssize_t(has_inputs ? slots : 0), py::ssize_t(n), py::ssize_t(n)});
  double *state_at = states.mutable_data(), *input_at = inputs.mutable_data();
  std::vector<long> state_cycles;
  std::vector<Kept> cycles;
  std::vector<int> tours;
  PyRun r;
  int stopped;
  std::string stop;
  {
    ModelLock lock;
    set_up_model(p);
    cycles.reserve(size_t(sweeps));
    auto checked = std::chrono::steady_clock::now();
    stopped = trace_network(p.options.net, seed, [&](const Cycle &y) {
      Kept k{measures_of(y), -1};
      if (y.outcome == OUTCOME_TOUR) {
        k.tour_at = long(tours.size());
        tours.insert(tours.end(), y.tour.city, y.tour.city + n);
      }
      cycles.push_back(k);
      if (kept(y.cycle)) {
        for (int i = 0; i < n; i++) {
          memcpy(state_at + i * n, unitout[i], sizeof(double) * size_t(n));
          if (has_inputs) memcpy(input_at + i * n, unitin[i], sizeof(double) * size_t(n));
        }
        state_at += size, input_at += has_inputs ? size : 0;
        state_cycles.push_back(y.cycle);
      }
      const auto now = std::chrono::steady_clock::now();
      if (now - checked >= std::chrono::milliseconds(50)) { // Ctrl-C, 20 times a second at most
        py::gil_scoped_acquire held; // safe: a thread waits for the lock without the GIL
        if (PyErr_CheckSignals() != 0) throw py::error_already_set(); // with the GIL
        checked = now;
      }
    });
    if (stopped >= 0) stop = stop_text(stopped);
    const Optimum optimum = find_optimum();
    r.optimum_length = optimum.length, r.optimum_kind = optimum_kind(optimum);
  }
  const py::ssize_t filled = py::ssize_t(state_cycles.size());
  const py::slice first(0, filled, 1);
  r.states = filled == slots ? py::object(states) : states[first];
  r.inputs = !has_inputs ? py::none() : filled == slots ? py::object(inputs) : inputs[first];
  r.state_cycles = py::array_t<long>(filled, state_cycles.data());
  r.cycle = whole_column(cycles, [](const Measures &y) { return long(y.cycle); });
  r.sweeps = whole_column(cycles, [](const Measures &y) { return long(y.sweeps); });
  r.e = column(cycles, [](const Measures &y) { return y.e; });
  r.ea = column(cycles, [](const Measures &y) { return y.terms.row; });
  r.eb = column(cycles, [](const Measures &y) { return y.terms.column; });
  r.ed = column(cycles, [](const Measures &y) { return y.terms.tour; });
  r.ec = column(cycles, [](const Measures &y) { return y.terms.global; });
  r.l = column(cycles, [](const Measures &y) { return y.l; });
  r.on = whole_column(cycles, [](const Measures &y) { return long(y.on); });
  r.change = column(cycles, [](const Measures &y) { return y.cycle > 0 ? y.change : NAN; });
  const auto tour = [](const Measures &y) { return y.outcome == OUTCOME_TOUR; };
  r.lengths = column(cycles, [&](const Measures &y) { return tour(y) ? y.length : NAN; });
  r.ratios = column(cycles, [&](const Measures &y) { return tour(y) ? y.ratio : NAN; });
  r.ranks = whole_column(cycles, [&](const Measures &y) { return tour(y) ? long(y.rank) : 0L; });
  for (const Kept &k : cycles) {
    r.outcomes.append(outcome_name(k.y.outcome));
    r.motions.append(k.y.moved ? py::object(py::str(motion_name(k.y.motion))) : py::none());
    r.tours.append(k.tour_at >= 0 ? py::object(tour_list(&tours[size_t(k.tour_at)], n))
                                  : py::none());
  }
  r.stopped = stopped >= 0 ? py::object(py::int_(stopped)) : py::none();
  r.stop_reason = stopped >= 0 ? py::object(py::str(stop)) : py::none();
  r.tour = r.length = r.ratio = r.rank = r.outcome = r.motion = r.end_energy = py::none();
  if (stopped < 0 && !cycles.empty()) { // the end: the last cycle's measures
    const Kept &last = cycles.back();
    r.outcome = py::str(outcome_name(last.y.outcome));
    r.motion = last.y.moved ? py::object(py::str(motion_name(last.y.motion))) : py::none();
    r.end_energy = py::float_(last.y.e);
    if (tour(last.y)) {
      r.tour = r.tours[cycles.size() - 1];
      r.length = py::float_(last.y.length), r.ratio = py::float_(last.y.ratio);
      r.rank = last.y.rank ? py::object(py::int_(last.y.rank)) : py::none();
    }
  }
  return r;
}

const char RUN_DOC[] = R"(One run of the network for seed, cycle by cycle, as nuv-trace runs it.

seed is read as nuv-trace reads it (-1 is 4294967295). Cycle 0 is the start and
cycle c >= 1 the state after c + 1 sweeps, as nuv-trace numbers them: a run has
`sweeps` cycles. The Run holds every cycle's measures (E, EA, EB, ED, EC, L, on,
change, outcomes, tours, lengths, ratios, ranks, motions: nuv-trace --csv's
values bit for bit) and the states of the cycles kept (states, state_cycles),
cycles x N x N float64: 8 N^2 bytes a cycle, so 1,000 sweeps at 100 cities hold
80 MB (tcnn's 5,000 sweeps 400 MB). inputs (u under euler, y under tcnn) are
kept likewise where the rule keeps them, doubling that, else None. every=k keeps
only the cycles c with c % k == 0 and the last; end_only=True only the last
(the measures are every cycle's whatever is kept). The GIL is
released while the sweeps run; Ctrl-C ends the run with KeyboardInterrupt.
A run whose state stops being finite ends there: stopped is its cycle and
stop_reason nuv-trace's message, and the end (tour, outcome, ...) is None.
A heuristic's run has no cycles: only its end.)";

} // namespace

void bind_run(py::module_ &m) {
  py::class_<PyRun>(m, "Run", "One run of a network: nuv.Network.run(seed).")
      .def_readonly("network", &PyRun::network, "the nuv.Network run")
      .def_readonly("seed", &PyRun::seed, "the seed used")
      .def_readonly("states", &PyRun::states,
                    "the states of the cycles kept, cycles x N x N float64 (rows cities, columns "
                    "positions)")
      .def_readonly("inputs", &PyRun::inputs,
                    "the units' inputs at the cycles kept under euler (u) and tcnn (y), else None")
      .def_readonly("state_cycles", &PyRun::state_cycles, "the cycle of each state kept")
      .def_readonly("cycle", &PyRun::cycle, "every cycle's number, 0 the start")
      .def_readonly("sweeps", &PyRun::sweeps, "the sweeps each cycle's state follows")
      .def_readonly("E", &PyRun::e, "each cycle's energy")
      .def_readonly("energy", &PyRun::e, "each cycle's energy (E)")
      .def_readonly("EA", &PyRun::ea, "each cycle's row term")
      .def_readonly("EB", &PyRun::eb, "each cycle's column term")
      .def_readonly("ED", &PyRun::ed, "each cycle's tour-length term")
      .def_readonly("EC", &PyRun::ec, "each cycle's global term (0 without C)")
      .def_readonly("L", &PyRun::l, "each cycle's L, which the in-place rule never raises")
      .def_readonly("on", &PyRun::on, "each cycle's units on (above 0.5)")
      .def_readonly("change", &PyRun::change,
                    "each cycle's largest change of a unit since the cycle before (NaN at 0)")
      .def_readonly("outcomes", &PyRun::outcomes,
                    "each cycle's outcome: tour, missing, doubled or mixed")
      .def_readonly("tours", &PyRun::tours, "each cycle's tour (cities from 1), or None")
      .def_readonly("lengths", &PyRun::lengths, "each cycle's tour length, NaN without a tour")
      .def_readonly("ratios", &PyRun::ratios, "each cycle's ratio to the optimum, or NaN")
      .def_readonly("ranks", &PyRun::ranks, "each cycle's rank, 0 without one")
      .def_readonly("motions", &PyRun::motions,
                    "each cycle's motion (settled, cycling, moving), None before cycle 2")
      .def_readonly("tour", &PyRun::tour, "the end's tour (cities from 1), or None")
      .def_readonly("length", &PyRun::length, "the end's tour length, or None")
      .def_readonly("ratio", &PyRun::ratio, "the end's ratio to the optimum, or None")
      .def_readonly("rank", &PyRun::rank, "the end's rank (up to 10 cities), or None")
      .def_readonly("outcome", &PyRun::outcome, "the end's outcome")
      .def_readonly("motion", &PyRun::motion, "the end's motion")
      .def_readonly("end_energy", &PyRun::end_energy, "the end's energy")
      .def_readonly("stopped", &PyRun::stopped,
                    "the first cycle whose state is not finite, or None")
      .def_readonly("stop_reason", &PyRun::stop_reason, "why it stopped, as nuv-trace says it")
      .def_readonly("optimum_length", &PyRun::optimum_length, "the length ratios are to")
      .def_readonly("optimum_kind", &PyRun::optimum_kind, "optimal or best known")
      .def("__repr__", [](const PyRun &r) {
        return "<nuv.Run seed " + std::to_string(r.seed) + ": " +
               (r.outcome.is_none() ? std::string("stopped")
                                    : py::str(r.outcome).cast<std::string>()) +
               ">";
      });

  py::class_<PyNetwork> network = py::reinterpret_borrow<py::class_<PyNetwork>>(m.attr("Network"));
  network.def(
      "run",
      [](py::object self, py::object seed, long every, bool end_only) {
        if (every < 1) refuse("every must be a whole number from 1");
        const PyNetwork &p = self.cast<const PyNetwork &>();
        const uint32_t used = seed_of(seed);
        PyRun r = is_heuristic(p.options.net.method) ? run_heuristic(p, used)
                                                     : run_network(p, used, every, end_only);
        r.network = self, r.seed = used;
        return r;
      },
      py::arg("seed"), py::arg("every") = 1, py::arg("end_only") = false, RUN_DOC);
}
