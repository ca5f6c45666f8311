"""A run of nuv.Network is nuv-trace's run bit for bit: every column of nuv-trace --csv, over
members of the family covering every rule, start, bias, global term, kind of distances, noise,
cooling, method and kind of cities (random of several sizes, TSPLIB's EUC_2D, ATT, GEO and
matrices, x y files); the states as nuv-trace --tables prints them; every=k and end_only keep
what they say; a heuristic's end is nuv-trace's."""
import math
import struct

import numpy
import pytest

import nuv
from conftest import data, option_words, tool, trace_rows, TRACE

HT10 = data("literature", "ht10.txt")

# (keywords, seed): each a member of the family with its coefficients (or a method's).
MEMBERS = [
    (dict(A=1, B=1, D=1), 5),
    (dict(A=1, B=1, D=1), 1),
    (dict(A=1, B=1, D=2), "-1"),
    (dict(A=0.5, B=1.5, D=0.75), 4294967295),
    (dict(A=1, B=1, D=1, rule="inplace"), 7),
    (dict(A=1, B=1, D=1, rule="sync"), 5),
    (dict(A=1, B=1, D=1, rule="sync", cities="random:12:1", u0=0.4), 3),
    (dict(A=1, B=1, D=1, rule="euler", sweeps=300), 5),
    (dict(A=1, B=1, D=1, rule="euler", dt=0.05, tau=2, sweeps=200), 9),
    (dict(A=1, B=1, D=1, rule="euler", dt_decay=0.001, sweeps=150, cities="random:6:2"), 2),
    (dict(A=500, B=500, D=500, rule="euler", start="centred", u0=0.02, C=200, n=15, bias=0,
          distances="raw", dt=0.00001, sweeps=120, cities=HT10), 1),
    (dict(A=1, B=1, D=1, rule="tcnn", sweeps=400), 5),
    (dict(A=1, B=1, D=1, rule="tcnn", u0=0.008, bias=1, distances="raw", sweeps=300,
          cities=HT10), 2),
    (dict(A=1, B=1, D=1, rule="tcnn", noise=0.002, noise_decay=0.001, sweeps=250,
          cities="random:7:3"), 3),
    (dict(A=1, B=1, D=1, rule="tcnn", k=0.8, alpha=0.02, z0=0.1, beta=0.01, i0=0.5, sweeps=200),
     8),
    (dict(A=1, B=1, D=1, rule="tcnn", z0=0, sweeps=100, start="centred"), 4),
    (dict(A=0, B=1, D=1, rule="potts", bias=0, distances="unit", sweeps=120), 5),
    (dict(A=0, B=1, D=1, rule="potts", t0=0.2, cooling=0.95, sweeps=80, cities="random:10:4"),
     6),
    (dict(A=0, B=1, D=1, rule="potts", t0="critical", cooling=1, sweeps=30, cities=HT10,
          distances="raw"), 1),
    (dict(A=0, B=0, D=1, rule="softassign", bias=0, sweeps=100, distances="unit"), 5),
    (dict(A=0, B=0, D=1, rule="softassign", t0=0.2, cooling=0.95, gamma=0.5, sinkhorn=20,
          bias=0, distances="raw", sweeps=90, cities=HT10), 2),
    (dict(A=0, B=0, D=1, rule="softassign", gamma=0, sinkhorn=3, sweeps=60,
          cities="random:5:9"), 7),
    (dict(A=1, B=1, D=1, C=0.5), 5),
    (dict(A=1, B=1, D=1, C=1.5, n=10), 6),
    (dict(A=1, B=1, D=1, C=-0.25, n=8.5, cities="random:8:8"), 2),
    (dict(A=1, B=1, D=1, bias=2), 5),
    (dict(A=1, B=1, D=1, bias=-0.5), 3),
    (dict(A=1, B=1, D=1, bias="A+B", u0=0.3), 4),
    (dict(A=1, B=1, D=1, u0=0.05, sweeps=80), 9),
    (dict(A=1, B=1, D=1, start="centred"), 5),
    (dict(A=1, B=1, D=1, distances="raw"), 5),
    (dict(A=1, B=1, D=1, distances="unit"), 5),
    (dict(A=1, B=1, D=1, distances="scaled", cities="random:4:1"), 1),
    (dict(A=1, B=1, D=1, cities="random:4:2"), 2),
    (dict(A=1, B=1, D=2, cities="random:9:5"), 3),
    (dict(A=1, B=1, D=1, cities="random:10:1"), 4),
    (dict(A=1, B=1, D=1, cities="random:11:1"), 5),
    (dict(A=1, B=1, D=1, cities="random:17:3"), 6),
    (dict(A=1, B=1, D=1, cities="random:25:2", sweeps=20), 7),
    (dict(A=2, B=2, D=1, cities="random:100:1", sweeps=6), 8),
    (dict(A=1, B=1, D=1, cities=data("tsplib", "burma14.tsp")), 5),
    (dict(A=1, B=1, D=1, cities=data("tsplib", "ulysses16.tsp"), distances="unit"), 5),
    (dict(A=1, B=1, D=1, cities=data("tsplib", "gr17.tsp"), rule="sync"), 2),
    (dict(A=1, B=1, D=1, cities="att48", sweeps=20), 3),
    (dict(A=1, B=1, D=1, cities="eil51", sweeps=15), 4),
    (dict(A=1, B=1, D=1, cities="berlin52.tsp", distances="raw", sweeps=10), 5),
    (dict(A=1, B=1, D=1, cities=HT10, distances="raw"), 6),
    (dict(method="nuv", A=1, B=1, D=1), 5),
    (dict(method="hopfield-tank", cities=HT10, sweeps=150), 1),
    (dict(method="tcnn", cities=HT10, sweeps=400), 2),
    (dict(method="noisy", cities=HT10, sweeps=300), 3),
    (dict(method="potts", cities=HT10), 4),
    (dict(method="softassign", cities="burma14", sweeps=100), 5),
    (dict(method="feasible", cities="random:20:1"), 6),
    (dict(method="feasible", cities=HT10, A=3, B=3, D=2), 7),
    (dict(method="tcnn", cities="random:6:1", sweeps=300, beta=0.01, noise=0.01), 8),
    (dict(method="potts", A=0.5, B=1, D=1, cooling=0.9, sweeps=70), 9),
    (dict(A=1, B=1, D=1, sweeps=3, cities="random:99:7"), 2),
    (dict(A=1, B=1, D=1, sweeps=1), 5),
    (dict(A=1, B=1, D=1, sweeps=2, cities="random:5:5"), 5),
]


def bits(x):
    """A double's bits, NaN included."""
    return struct.pack("<d", x)


def same(a, b):
    """Whether two doubles are one value bit for bit."""
    return bits(float(a)) == bits(float(b))


def network_of(keywords):
    return nuv.Network(**keywords)


def member_id(member):
    keywords, seed = member
    return " ".join(f"{k}={v}" for k, v in keywords.items()).replace(data(), "") + f" seed {seed}"


@pytest.mark.parametrize("member", MEMBERS, ids=[member_id(m) for m in MEMBERS])
def test_run_equals_trace_csv(member):
    keywords, seed = member
    words, coefficients = option_words(keywords)
    rows = trace_rows(*words, *coefficients, str(seed))
    run = network_of(keywords).run(seed)
    assert run.stopped is None
    assert len(rows) == len(run.cycle) == len(run.E) == run.states.shape[0]
    family = "EC" in rows[0]
    for c, row in enumerate(rows):
        where = f"cycle {c}"
        assert int(row["cycle"]) == run.cycle[c] == c, where
        assert int(row["sweeps"]) == run.sweeps[c], where
        for column, values in (("E", run.E), ("EA", run.EA), ("EB", run.EB), ("ED", run.ED),
                               ("L", run.L)) + ((("EC", run.EC),) if family else ()):
            assert same(float(row[column]), values[c]), f"{where} {column}"
        assert int(row["on"]) == run.on[c], where
        if c == 0:
            assert row["change"] == "" and math.isnan(run.change[0])
        else:
            assert same(float(row["change"]), run.change[c]), f"{where} change"
        assert row["outcome"] == run.outcomes[c], where
        if row["outcome"] == "tour":
            assert row["tour"] == "-".join(map(str, run.tours[c])), where
            assert same(float(row["length"]), run.lengths[c]), f"{where} length"
            assert same(float(row["ratio"]), run.ratios[c]), f"{where} ratio"
            assert (int(row["rank"]) if row["rank"] else 0) == run.ranks[c], f"{where} rank"
        else:
            assert row["tour"] == row["length"] == row["ratio"] == row["rank"] == ""
            assert run.tours[c] is None and math.isnan(run.ratios[c]) and run.ranks[c] == 0
        if family:
            assert row["motion"] == (run.motions[c] or ""), where
    last = rows[-1]
    assert run.outcome == last["outcome"]
    if family:
        assert (run.motion or "") == last["motion"]
    if last["outcome"] == "tour":
        assert "-".join(map(str, run.tour)) == last["tour"]
        assert same(float(last["length"]), run.length) and same(float(last["ratio"]), run.ratio)
        assert (run.rank or 0) == (int(last["rank"]) if last["rank"] else 0)
    else:
        assert run.tour is None and run.length is None and run.ratio is None


def table_lines(state, cycle):
    """A state as nuv's table prints it (nuv-trace --tables)."""
    n = state.shape[0]
    lines = [f"    ###   Sequence     Cycle : {cycle:4d}   ###",
             "City" + "".join(f"{j + 1:6d} " for j in range(n))]
    for i in range(n):
        lines.append(f"{i + 1:4d}" + "".join(f"{v:7.2f}" for v in state[i]) + "  ")
    return lines


@pytest.mark.parametrize("keywords,seed", [
    (dict(A=1, B=1, D=1), 5), (dict(A=1, B=1, D=1, cities="random:12:3", rule="sync"), 2),
    (dict(A=0, B=1, D=1, rule="potts", sweeps=40, cities="random:6:6"), 3)])
def test_states_are_the_tables(keywords, seed):
    words, coefficients = option_words(keywords)
    status, out, err = tool(TRACE, "--tables", *words, *coefficients, str(seed))
    assert status == 0, err
    run = network_of(keywords).run(seed)
    want = [line.rstrip() for line in out.splitlines() if "###" in line or
            not line.lstrip().startswith(("Energy", "E ", "energy")) and line.strip()]
    got = []
    for c, state in zip(run.state_cycles, run.states):
        got += [line.rstrip() for line in table_lines(state, c)]
    text = [line for line in want if line.startswith(("    ###", "City")) or
            line[:4].strip().isdigit()]
    assert got == text


def test_every_and_end_only_keep_what_they_say():
    net = nuv.Network(A=1, B=1, D=1, rule="euler", sweeps=100, cities="random:6:1")
    whole = net.run(3)
    assert whole.states.shape == (100, 6, 6) and whole.inputs.shape == (100, 6, 6)
    assert list(whole.state_cycles) == list(range(100))
    some = net.run(3, every=7)
    assert list(some.state_cycles) == list(range(0, 100, 7)) + [99]
    assert numpy.array_equal(some.states, whole.states[some.state_cycles])
    assert numpy.array_equal(some.inputs, whole.inputs[some.state_cycles])
    end = net.run(3, end_only=True)
    assert list(end.state_cycles) == [99] and numpy.array_equal(end.states[0], whole.states[-1])
    for run in (some, end):  # the measures are every cycle's whatever is kept
        assert numpy.array_equal(run.E, whole.E) and run.tour == whole.tour
    with pytest.raises(ValueError):
        net.run(3, every=0)


def test_inputs_only_where_the_rule_keeps_them():
    for rule, kept in (("inplace", False), ("sync", False), ("euler", True), ("tcnn", True),
                       ("potts", False), ("softassign", False)):
        run = nuv.Network(A=1, B=1, D=1, rule=rule, sweeps=5).run(1)
        assert (run.inputs is not None) == kept, rule


def test_inputs_give_the_states():
    """Under euler each output is the activation of its input: v = (tanh(u / U0) + 1) / 2."""
    run = nuv.Network(A=1, B=1, D=1, rule="euler", sweeps=50, u0=0.5).run(2)
    assert numpy.allclose(run.states, (numpy.tanh(run.inputs / 0.5) + 1) / 2, rtol=0, atol=1e-12)


@pytest.mark.parametrize("keywords", [
    dict(rule="euler", dt=100, cities="random:10:2", A=1, B=0.5, D=0, sweeps=1000),
    dict(A=1e308, B=1e308, D=1, sweeps=5)])
def test_a_run_that_leaves_the_model_stops_as_the_tracer_says(keywords):
    words, coefficients = option_words(keywords)
    status, out, err = tool(TRACE, "--csv", *words, *coefficients, "1")
    assert status == 1
    run = nuv.Network(**keywords).run(1)
    assert run.stopped == len(out.splitlines()) - 1 == len(run.E)
    assert err == "nuv-trace: " + run.stop_reason + "\n"
    assert run.outcome is None and run.tour is None


@pytest.mark.parametrize("method,cities,seed", [("nearest", None, 5), ("2-opt", "eil51", 5),
                                                ("or-opt", "random:9:2", 3),
                                                ("2-opt", HT10, 7)])
def test_a_heuristics_end_is_the_tracers(method, cities, seed):
    args = ["--method", method] + (["--cities", cities] if cities else []) + [str(seed)]
    status, out, err = tool(TRACE, *args)
    assert status == 0, err
    lines = out.splitlines()
    run = nuv.Network(method=method, cities=cities).run(seed)
    assert lines[1] == f"seed {seed}: tour " + "-".join(map(str, run.tour))
    assert run.states.shape[0] == 0 and run.outcome == "tour"
    decimals = 0 if float(run.length).is_integer() and "." not in lines[2].split(",")[0] else 6
    assert lines[2].startswith(f"length {run.length:.{decimals}f}, ratio {run.ratio:.6f}")
    if run.rank is not None:
        assert f"rank {run.rank} of" in lines[2]
    assert len(MEMBERS) >= 50


def test_a_coefficient_given_with_a_method_overrides_it_alone():
    """The tools take a method's three coefficients or three given; a keyword overrides one."""
    alone = nuv.Network(method="feasible", cities=HT10, D=2)
    assert (alone.A, alone.B, alone.D) == (3, 3, 2)
    whole = nuv.Network(method="feasible", cities=HT10, A=3, B=3, D=2)
    assert numpy.array_equal(alone.run(7).states, whole.run(7).states)
