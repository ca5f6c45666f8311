"""A Network's record is the tools': its defaults (those that depend on other settings too),
its description as nuv-trace says it first, its keywords making it again, and the table's
every network option a keyword."""
import numpy
import pytest

import nuv
from conftest import data, option_words, tool, TRACE

HT10 = data("literature", "ht10.txt")


def test_the_defaults_are_nuvs_network():
    s = nuv.Network(A=1, B=1, D=1).settings
    assert s == {"method": "nuv", "rule": "inplace", "C": 0.0, "n": 9.0, "bias": "A+B", "u0": 0.5,
                 "start": "uniform", "dt": 0.01, "tau": 1.0, "dt_decay": 0.0, "t0": "critical",
                 "cooling": 0.98, "gamma": 0.5, "sinkhorn": 20, "sweeps": 50, "k": 0.9,
                 "alpha": 0.015, "z0": 0.08, "beta": 0.001, "i0": 0.65, "noise": 0.0,
                 "noise_decay": 0.0, "distances": "scaled", "A": 1.0, "B": 1.0, "D": 1.0}


@pytest.mark.parametrize("keywords,sweeps,n", [
    (dict(rule="euler"), 1000, 9), (dict(rule="tcnn"), 5000, 9), (dict(rule="potts"), 350, 9),
    (dict(rule="softassign", cities="eil51"), 350, 51), (dict(method="hopfield-tank"), 1000, 14),
    (dict(method="feasible", cities=HT10), 50, 10), (dict(method="tcnn", rule="sync"), 5000, 9),
    (dict(rule="euler", sweeps=7, n=3.5), 7, 3.5)])
def test_defaults_that_depend_on_other_settings(keywords, sweeps, n):
    keywords = {"A": 1, "B": 1, "D": 1, **keywords}
    net = nuv.Network(**keywords)
    assert net.sweeps == sweeps and net.n == n
    assert len(net.run(1, end_only=True).E) == sweeps if sweeps < 2000 else True


@pytest.mark.parametrize("keywords", [
    dict(A=1, B=1, D=1, cities="random:12:7", rule="sync", C=0.5),
    dict(method="tcnn", cities="eil51", sweeps=20),
    dict(method="potts", cities=HT10, distances="raw", cooling=0.9),
    dict(A=0, B=0, D=1, rule="softassign", t0=0.3, gamma=0.25, cities="burma14"),
    dict(method="2-opt", cities="berlin52")])
def test_the_description_is_the_tools(keywords):
    words, coefficients = option_words(keywords)
    status, out, err = tool(TRACE, *words, *coefficients, "1")
    assert status == 0, err
    net = nuv.Network(**keywords)
    assert out.splitlines()[0].split("; ratios")[0] == net.description
    again = nuv.Network(**net.keywords)
    assert again.description == net.description and again.settings == net.settings
    pairs = dict(zip(words[::2], words[1::2]))
    assert dict(zip(again.words[::2], again.words[1::2])) == pairs
    assert dict(zip(net.words[::2], net.words[1::2])) == pairs


def test_replace_changes_only_what_it_names():
    net = nuv.Network(method="tcnn", cities=HT10, sweeps=100)
    other = net.replace(beta=0.01)
    assert other.beta == 0.01 and other.sweeps == 100 and other.rule == "tcnn"
    assert numpy.array_equal(net.replace().run(3).states, net.run(3).states)


def test_the_keywords_are_the_tables_network_options():
    status, out, err = tool(TRACE, "--help")
    network = out.split("The network (nuv's by default):")[1]
    options = [w.split()[0] for w in network.splitlines() if w.startswith("  --")]
    named = {o[2:].replace("-", "_") for line in network.splitlines()
             for o in line.replace(",", " ").split() if o.startswith("--")}
    assert set(nuv.KEYWORDS) == named | {"A", "B", "D"} and len(options) >= 20
