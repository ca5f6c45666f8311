"""nuv.survey and nuv.summary against nuv-survey itself: the frame's rows are the tool's --csv
rows for the same plan (coefficients compared by their bits, the fixed columns by the text the
tool writes of the frame's doubles), summary() is the tool's summary; a refusal is the tool's
message; Ctrl-C ends a survey with KeyboardInterrupt and leaves no process behind.

Run by CTest with the build's module on PYTHONPATH and NUV_SURVEY naming the build's
nuv-survey (python/CMakeLists.txt)."""

import csv
import functools
import io
import os
import signal
import struct
import subprocess
import sys
import textwrap
import time

import numpy as np
import pandas as pd
import pytest

import nuv

SURVEY = os.environ.get("NUV_SURVEY", "")


def tool(*words):
    """nuv-survey's standard output for its words."""
    if not SURVEY or not os.access(SURVEY, os.X_OK):
        pytest.skip(f"the tool {SURVEY!r} is not built")
    done = subprocess.run([SURVEY, *words], capture_output=True, text=True, check=True)
    return done.stdout


def refusal(*words):
    """nuv-survey's refusal of its words, without its name: what the ValueError must say."""
    tool("--version")
    done = subprocess.run([SURVEY, *words], capture_output=True, text=True)
    assert done.returncode == 2, done
    return done.stderr.strip().removeprefix("nuv-survey: ")


def bits(x):
    return struct.pack("<d", x)


def fixed(x):
    """A double as the survey's CSV writes it: exact, to 6 decimals."""
    return "" if np.isnan(x) else f"{x:.6f}"


def assert_rows_equal(frame, words):
    """Every row of the frame is the tool's --csv row of the same run: the same columns in the
    same order, the coefficients' doubles bit for bit, the doubles of length, ratio and energy
    written as the tool writes them, and every other field as its text."""
    reader = csv.reader(io.StringIO(tool("--csv", *words)))
    head = next(reader)
    rows = list(reader)
    assert list(frame.columns) == head
    assert len(frame) == len(rows)
    for got, want in zip(frame.itertuples(index=False), rows):
        for name, value, text in zip(head, got, want):
            if name in ("Acoef", "Bcoef", "Dcoef", "C"):
                assert bits(value) == bits(float(text)), (name, value, text)
            elif name in ("length", "ratio", "energy"):
                assert fixed(value) == text, (name, value, text)
            elif name in ("valid", "settled"):
                assert str(int(value)) == text, (name, value, text)
            elif name in ("tour", "rank"):
                assert ("" if pd.isna(value) else str(value)) == text, (name, value, text)
            else:
                assert str(value) == text, (name, value, text)


# Plans the frame is compared with the tool on: ranges of A and D over a few hundred seeds; a
# rule with C ranging; the methods of the family with heuristics among them.
PLANS = [
    (lambda: nuv.survey(nuv.Network(A=1, B=1, D=1), seeds=range(1, 301), jobs=2,
                        A="0.5:1.5:0.5", D="1:2:0.5"),
     ["--seeds", "1:300", "--jobs", "2", "0.5:1.5:0.5", "1", "1:2:0.5"]),
    (lambda: nuv.survey(nuv.Network(cities="random:7:2", rule="euler", sweeps=200, A=1, B=1, D=1),
                        seeds=range(1, 101), C="0:10:10"),
     ["--seeds", "1:100", "--cities", "random:7:2", "--rule", "euler", "--sweeps", "200",
      "--C", "0:10:10", "1", "1", "1"]),
    (lambda: nuv.survey(["nuv", "tcnn", "softassign", "nearest", "2-opt"], cities="random:10:1",
                        seeds=range(1, 65), jobs=2),
     ["--seeds", "1:64", "--jobs", "2", "--cities", "random:10:1", "--methods",
      "nuv,tcnn,softassign,nearest,2-opt"]),
    (lambda: nuv.survey(nuv.Network(rule="sync", A=1, B=1, D=1), seeds=range(5, 205), jobs=1),
     ["--seeds", "5:204", "--jobs", "1", "--rule", "sync", "1", "1", "1"]),
]


@functools.lru_cache(maxsize=None)
def frame_of(plan):
    """Plan's frame, made once for the tests that read it."""
    return PLANS[plan][0]()


@pytest.mark.parametrize("plan", range(len(PLANS)))
def test_frame_is_the_tools_csv(plan):
    assert_rows_equal(frame_of(plan), PLANS[plan][1])


def test_frame_columns_and_types():
    frame = nuv.survey(nuv.Network(A=1, B=1, D=2), seeds=range(1, 101), progress=False)
    assert frame.dtypes["seed"] == np.int64 and frame.dtypes["valid"] == bool
    assert isinstance(frame.dtypes["tour"], pd.CategoricalDtype)
    assert str(frame.dtypes["rank"]) == "Int64"
    # Invalid runs have no tour, length, ratio or rank; valid ones have all four.
    valid = frame["valid"]
    assert frame.loc[~valid, ["tour", "length", "ratio", "rank"]].isna().all().all()
    assert frame.loc[valid, ["tour", "length", "ratio", "rank"]].notna().all().all()
    # nuv's cities: the optimum 19.416408 (README), every ratio a length over it.
    assert frame.attrs["optimum_length"] == pytest.approx(19.416408, abs=1e-6)
    assert (frame.loc[valid, "ratio"] == frame.loc[valid, "length"] / frame.attrs["optimum_length"]).all()


def test_a_list_is_the_surveys_of_its_values():
    """A list of values is the surveys of each value, in the list's order."""
    net = nuv.Network(A=1, B=1, D=1)
    listed = nuv.survey(net, seeds=range(1, 51), D=[2, 0.5])
    apart = pd.concat([nuv.survey(net, seeds=range(1, 51), D=d) for d in (2, 0.5)],
                      ignore_index=True)
    # (pandas joins categoricals of different categories as objects)
    pd.testing.assert_frame_equal(listed.astype({"tour": object}), apart.astype({"tour": object}))


def test_networks_compared_are_the_methods_compared():
    """Networks of distinct methods on one set of cities are --methods' own records."""
    names = ["tcnn", "potts", "or-opt"]
    by_name = nuv.survey(names, cities="random:9:4", seeds=range(1, 41))
    nets = [nuv.Network(method=m, cities="random:9:4") for m in names]
    by_network = nuv.survey(nets, seeds=range(1, 41))
    columns = [c for c in by_name.columns if c != "network"]
    pd.testing.assert_frame_equal(by_name[columns], by_network[columns])


def test_cities_as_an_array_are_the_cities_named():
    """A survey on cities given as an array of their coordinates is the survey on the cities
    named, but for the description's name."""
    xy = np.asarray(nuv.read_cities("random:7:2").coordinates)
    by_array = nuv.survey(nuv.Network(cities=xy, A=1, B=1, D=1), seeds=range(1, 101))
    by_name = nuv.survey(nuv.Network(cities="random:7:2", A=1, B=1, D=1), seeds=range(1, 101))
    assert by_array["network"].iloc[0] == "array, 7 cities, rule inplace, 50 sweeps"
    columns = [c for c in by_name.columns if c != "network"]
    pd.testing.assert_frame_equal(by_array[columns].astype({"tour": object}),
                                  by_name[columns].astype({"tour": object}))


def summary_rows(text):
    """The tool's summary rows after its header, each split on blanks."""
    lines = text.splitlines()
    at = next(k for k, line in enumerate(lines) if line.split()[:1] in (["Acoef"], ["method"]))
    return lines[at], [line.split() for line in lines[at + 1:]]


@pytest.mark.parametrize("plan", range(len(PLANS)))
def test_summary_is_the_tools(plan):
    head, rows = summary_rows(tool(*PLANS[plan][1]))
    table = nuv.summary(frame_of(plan))
    best = "optimal" if "optimal %" in head else "best"
    assert len(table) == len(rows)
    for (_, got), want in zip(table.iterrows(), rows):
        keys = 1 if "method" in table else 4 if "C" in table else 3
        if keys == 1:
            assert got["method"] == want[0]
        else:
            for k, name in enumerate(["Acoef", "Bcoef", "Dcoef", "C"][:keys]):
                assert bits(got[name]) == bits(float(want[k]))
        rest = want[keys:]
        assert got["runs"] == int(rest[0])
        assert got["valid share"] == " ".join(rest[1:3])
        assert got[best + " share"] == " ".join(rest[3:5])
        assert (f"{got['mean']:.4f}" if got["valid"] else "-") == rest[5]
        assert (got["best tour"] if got["valid"] else "-") == rest[6]
        assert (f"{got['ratio']:.4f}" if got["valid"] else "-") == rest[7]
        assert got["valid %"] == 100.0 * got["valid"] / got["runs"]
        # (the interval's ends are the tool's sums: a low end of 3.5e-16 for no valid run)
        assert got["valid low %"] - 1e-9 <= got["valid %"] <= got["valid high %"] + 1e-9


def test_summary_of_a_frame_read_from_the_tools_csv():
    """summary() of the tool's own CSV read by pandas: the same counts and best tours."""
    words = ["--seeds", "1:200", "1", "1", "0.5:2:0.5"]
    read = pd.read_csv(io.StringIO(tool("--csv", *words)))
    table = nuv.summary(read)
    _, rows = summary_rows(tool(*words))
    assert list(table["runs"]) == [int(r[3]) for r in rows]
    assert list(table["valid share"]) == [" ".join(r[4:6]) for r in rows]
    assert list(table["best tour"]) == [r[9] for r in rows]


@pytest.mark.parametrize("call, words", [
    (lambda: nuv.survey(nuv.Network(A=1, B=1, D=1), A="2:1:0.5"), ["2:1:0.5", "1", "1"]),
    (lambda: nuv.survey(nuv.Network(A=1, B=1, D=1), seeds="5:3"), ["--seeds", "5:3", "1", "1", "1"]),
    (lambda: nuv.survey(["tcnn", "2-otp"]), ["--methods", "tcnn,2-otp"]),
    (lambda: nuv.survey(["tcnn", "2-opt"], A="1:2:1", B=1, D=1),
     ["--methods", "tcnn,2-opt", "1:2:1", "1", "1"]),
    (lambda: nuv.survey(nuv.Network(A=1, B=1, D=1), jobs=0), ["--jobs", "0", "1", "1", "1"]),
])
def test_refusals_are_the_tools(call, words):
    with pytest.raises(ValueError) as refused:
        call()
    assert str(refused.value) == refusal(*words)


def test_refusals_of_the_module():
    net = nuv.Network(A=1, B=1, D=1)
    with pytest.raises(ValueError, match="step 1"):
        nuv.survey(net, seeds=range(1, 10, 2))
    with pytest.raises(ValueError, match="listed twice"):
        nuv.survey(net, D=[1, 2, 1])
    with pytest.raises(TypeError):
        nuv.survey(net, sweeps=10)  # a Network's options are its own
    with pytest.raises(ValueError, match="each method once"):
        nuv.survey([nuv.Network(method="tcnn"), nuv.Network(method="tcnn", beta=0.01)])


def test_progress_bar_on_standard_error(capsys):
    pytest.importorskip("tqdm")
    nuv.survey(nuv.Network(A=1, B=1, D=1), seeds=range(1, 2001), progress=True)
    assert "2.00k/2.00k" in capsys.readouterr().err
    nuv.survey(nuv.Network(A=1, B=1, D=1), seeds=range(1, 2001), progress=False)
    assert capsys.readouterr().err == ""


def children(pid):
    """The pids of pid's children, from /proc."""
    found = []
    for task in os.listdir(f"/proc/{pid}/task"):
        with open(f"/proc/{pid}/task/{task}/children") as f:
            found += [int(p) for p in f.read().split()]
    return found


def alive(pid):
    """Whether pid is a process that has not ended (a zombie has)."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] != "Z"
    except FileNotFoundError:
        return False


# A Python process that starts a survey of hours (20 cities under the chaotic rule), says so, and
# when it is interrupted prints its children and a small survey made after, to show the survey
# can be run again.
LONG = textwrap.dedent("""
    import os, sys, nuv
    net = nuv.Network(method="tcnn", cities="random:20:1")
    small = nuv.Network(A=1, B=1, D=1)
    print("start", flush=True)
    try:
        nuv.survey(net, seeds=range(1, 100001), jobs=int(sys.argv[1]), progress=False)
        print("finished", flush=True)
    except KeyboardInterrupt:
        kids = []
        for t in os.listdir("/proc/self/task"):
            kids += open(f"/proc/self/task/{t}/children").read().split()
        print("KeyboardInterrupt children", len(kids), flush=True)
        print("again", nuv.survey(small, seeds=range(1, 101), jobs=2)["valid"].sum(), flush=True)
""")


def start_long(jobs):
    child = subprocess.Popen([sys.executable, "-c", LONG, str(jobs)], stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "start\n"
    return child


def wait_for_workers(child, count):
    """The child's workers once count of them run (within a minute)."""
    for _ in range(600):
        kids = children(child.pid)
        if len(kids) >= count:
            return kids
        time.sleep(0.1)
    raise AssertionError("the workers did not start")


def test_ctrl_c_ends_the_workers_and_raises_keyboard_interrupt():
    child = start_long(2)
    workers = wait_for_workers(child, 2)
    time.sleep(0.5)
    child.send_signal(signal.SIGINT)
    out, err = child.communicate(timeout=60)
    assert child.returncode == 0, err
    assert "KeyboardInterrupt children 0" in out  # the workers ended and reaped
    # The survey runs again after it: nuv-survey's count of valid runs over these seeds.
    valid = sum(1 for row in csv.DictReader(io.StringIO(tool("--csv", "--seeds", "1:100", "1", "1", "1")))
                if row["valid"] == "1")
    assert f"again {valid}" in out
    assert not any(alive(p) for p in workers)


def test_ctrl_c_in_this_process_stops_after_the_batch():
    child = start_long(1)
    time.sleep(3)  # the first batch under way
    child.send_signal(signal.SIGINT)
    out, err = child.communicate(timeout=120)
    assert child.returncode == 0, err
    assert "KeyboardInterrupt children 0" in out


def test_term_ends_the_process_and_its_workers():
    child = start_long(2)
    workers = wait_for_workers(child, 2)
    child.send_signal(signal.SIGTERM)
    child.communicate(timeout=60)
    assert child.returncode == -signal.SIGTERM
    for _ in range(50):
        if not any(alive(p) for p in workers):
            break
        time.sleep(0.1)
    assert not any(alive(p) for p in workers)
