"""Every refusal of nuv-trace's network options, coefficients and seed is a ValueError of
nuv.Network (or of its run, for the seed) with the very message the tool prints after
'nuv-trace: ', taken from running the tool; and nothing is refused that the tool takes."""
import os
import re
import shlex

import pytest

import nuv
from conftest import SOURCE, data, option_words, trace_refusal

# Keywords nuv-trace refuses (each with the coefficients 1 1 1 unless given), as texts and as
# Python values.
REFUSED = [
    dict(u0="0"), dict(u0=0), dict(u0=-1), dict(u0="x"), dict(u0="inf"), dict(u0=float("nan")),
    dict(u0=""), dict(u0="1e999"), dict(u0=" 1"),
    dict(rule="inplac"), dict(rule="Euler"), dict(rule=""), dict(rule="fast"),
    dict(start="centered"), dict(start="random"), dict(distances="scale"), dict(distances="0"),
    dict(method="hopfield"), dict(method="2opt"), dict(method="tsp"),
    dict(bias="A-B"), dict(bias="a+b"), dict(bias="nan"),
    dict(C="abc"), dict(C="1:2:0.5"), dict(C=float("inf")), dict(n="x"),
    dict(dt=0), dict(dt="-0.01"), dict(tau=0), dict(tau="1e-400"),
    dict(rule="euler", dt_decay=1), dict(rule="euler", dt_decay=-0.1), dict(dt_decay=0.1),
    dict(t0="critical", rule="inplace"), dict(rule="potts", t0=0), dict(rule="potts", t0=-1),
    dict(rule="potts", t0="hot"), dict(rule="potts", cooling=0), dict(rule="potts", cooling=1.5),
    dict(rule="softassign", cooling="x"), dict(rule="potts", gamma=0.5),
    dict(rule="softassign", gamma="g"), dict(rule="softassign", sinkhorn=0),
    dict(rule="softassign", sinkhorn=1001), dict(rule="softassign", sinkhorn=2.5),
    dict(sweeps=0), dict(sweeps=100001), dict(sweeps=-1), dict(sweeps="1e3"), dict(sweeps=10.0),
    dict(k=0.9), dict(rule="tcnn", k="k"), dict(rule="tcnn", alpha="inf"),
    dict(rule="tcnn", z0="z"), dict(rule="tcnn", beta=1), dict(rule="tcnn", beta=-0.5),
    dict(rule="tcnn", i0="i"), dict(rule="tcnn", noise="n"), dict(rule="tcnn", noise_decay=1),
    dict(noise=0.1), dict(noise_decay=0.1), dict(rule="sync", beta=0.1),
    dict(cities=""), dict(cities="random:3:1"), dict(cities=f"random:{nuv.MAXCITY + 1}:1"),
    dict(cities="random:x"), dict(cities="random:10:-1"), dict(cities="random:10:4294967296"),
    dict(cities="no-such-instance"), dict(cities="/no/such/file.tsp"),
    dict(cities=data("tsplib")),
    dict(cities=data("tsplib", "README.md")),
    dict(A="x"), dict(B="1,5"), dict(D="nan"), dict(A=float("inf")), dict(D=""),
    dict(method="tcnn", A="a", B=1, D=1), dict(method="2-opt", cities="random:3:3"),
]




def family_test_refusals():
    """The bad network values tests/family_test.cpp holds both tools refuse, as keywords in the
    order typed ("--rule euler --dt-decay 1" is rule="euler", dt_decay="1")."""
    path = os.path.join(SOURCE, "tests", "family_test.cpp")
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        text = f.read()
    block = re.search(r"BadNetworkValuesAreRefusedBeforeAnyRun.*?for \(const char \*bad :(.*?)\}\) \{",
                      text, re.S).group(1)
    found = []
    for line in re.findall(r'"((?:[^"\\]|\\.)*)"', block):
        words = shlex.split(line)
        found.append({w[2:].replace("-", "_"): v for w, v in zip(words[::2], words[1::2])})
    return found


REFUSED += family_test_refusals()


def keywords_of(refused):
    """The refused keywords with the coefficients 1 1 1 where they are not given (None leaves one
    out, as a command line without it)."""
    keywords = dict(A=1, B=1, D=1)
    if "method" in refused:
        keywords = {}
    keywords.update(refused)
    return {k: v for k, v in keywords.items() if v is not None}


def tool_words(keywords):
    """The tool's words for keywords, with a Python value's text as Network reads it."""
    text = {k: (v if isinstance(v, str) else repr(float(v)) if isinstance(v, float) else str(v))
            for k, v in keywords.items()}
    words, coefficients = option_words(text)
    return words + coefficients


def test_a_file_of_too_many_cities_is_the_tools_refusal(tmp_path):
    path = tmp_path / "many.txt"
    path.write_text("".join(f"{k} {k * k % 17}\n" for k in range(nuv.MAXCITY + 1)))
    message = trace_refusal("--cities", str(path), "1", "1", "1", "1")
    with pytest.raises(ValueError) as refusal:
        nuv.Network(A=1, B=1, D=1, cities=str(path))
    assert str(refusal.value) == message and str(nuv.MAXCITY) in message


@pytest.mark.parametrize("refused", REFUSED, ids=[repr(r) for r in REFUSED])
def test_a_refusal_is_the_tools_message(refused):
    keywords = keywords_of(refused)
    message = trace_refusal(*tool_words(keywords), "1")
    with pytest.raises(ValueError) as refusal:
        nuv.Network(**keywords)
    assert str(refusal.value) == message


def test_a_missing_coefficient_is_the_tools_message():
    """Without a method the three coefficients are needed, the first missing named."""
    for given, words in ((dict(), []), (dict(A=1), ["1"]), (dict(A=1, B=1), ["1", "1"])):
        with pytest.raises(ValueError) as refusal:
            nuv.Network(**given)
        assert str(refusal.value) == trace_refusal(*words)
    with pytest.raises(ValueError, match="missing Bcoef"):
        nuv.Network(A=1, D=1)


@pytest.mark.parametrize("seed", ["abc", "", "1x", " 5", "0x"])
def test_a_seed_refused_is_the_tools_message(seed):
    message = trace_refusal("1", "1", "1", seed)
    with pytest.raises(ValueError) as refusal:
        nuv.Network(A=1, B=1, D=1).run(seed)
    assert str(refusal.value) == message


def test_seeds_read_as_the_tool_reads_them():
    net = nuv.Network(A=1, B=1, D=1)
    assert net.run(-1).seed == net.run(4294967295).seed == 4294967295
    assert net.run("5.9").seed == net.run(5).seed == 5
    assert net.run(2 ** 32 + 7).seed == 7


def test_an_unknown_keyword_is_a_type_error_naming_the_nearest():
    with pytest.raises(TypeError, match="did you mean sweeps"):
        nuv.Network(A=1, B=1, D=1, sweep=5)
    with pytest.raises(TypeError):
        nuv.Network(A=1, B=1, D=1, u0=True)
    with pytest.raises(TypeError):
        nuv.Network(A=1, B=1, D=1, u0=[1])


def test_the_keywords_are_the_tables_network_options():
    status_text = trace_refusal("--help-me")
    assert "unknown option" in status_text
    assert set(nuv.KEYWORDS) >= {"cities", "method", "rule", "C", "n", "bias", "u0", "start",
                                 "dt", "tau", "dt_decay", "t0", "cooling", "gamma", "sinkhorn",
                                 "sweeps", "k", "alpha", "z0", "beta", "i0", "noise",
                                 "noise_decay", "distances", "A", "B", "D"}
