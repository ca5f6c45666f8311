"""nuv.survey and nuv.summary: nuv-survey from Python.

survey() turns its arguments into the words of a nuv-survey command line, which the survey's own
reader reads (its defaults, limits and refusals); its runs are made by the survey's batch lanes
and worker processes, and each run's end is written straight into NumPy columns, of which it
makes a pandas frame with the columns of `nuv-survey --csv`. summary() adds a frame's runs up by
the survey's tally into the rows nuv-survey prints without --csv. Start at survey().
"""

import numbers
import os

import numpy as np

from . import _core

# The ranges' keywords and the survey's names for them (its columns and refusals).
_AXES = {"A": "Acoef", "B": "Bcoef", "D": "Dcoef", "C": "C"}


def _text(value, what):
    """A Python value as the text a command line would give the survey: a str as it is, an
    int's digits, a float's shortest round-trip text (repr). A bool is no number of the tools."""
    if isinstance(value, str):
        return value
    if isinstance(value, (bool, np.bool_)):
        raise TypeError(f"{what}: a number or a word, not a bool")
    if isinstance(value, numbers.Integral):
        return str(int(value))
    if isinstance(value, numbers.Real):
        return repr(float(value))
    raise TypeError(f"{what}: a number or a word, not {type(value).__name__}")


def _seeds_text(seeds):
    """--seeds' text for seeds: a range of step 1 (range(1, 1001) is 1:1000), or 'FIRST:LAST'."""
    if isinstance(seeds, str):
        return seeds
    if isinstance(seeds, range):
        if seeds.step != 1:
            raise ValueError(f"seeds: a range of step 1, not {seeds!r}")
        if len(seeds) == 0:
            raise ValueError(f"seeds: {seeds!r} is empty")
        return f"{seeds.start}:{seeds.stop - 1}"
    raise TypeError(f"seeds: a range of step 1 or 'FIRST:LAST', not {type(seeds).__name__}")


def _axis_words(ranges):
    """Each range keyword (A, B, D, C) as the word that holds its value, and the lists: a number,
    a range 'FROM:TO:STEP' or a list of numbers (its first value in the word, all in lists)."""
    words, lists = {}, {}
    for key, value in ranges.items():
        if isinstance(value, (list, tuple, np.ndarray)):
            texts = [_text(v, key) for v in value]
            if not texts:
                raise ValueError(f"{_AXES[key]}: an empty list")
            words[key], lists[_AXES[key]] = texts[0], texts
        else:
            words[key] = _text(value, key)
    return words, lists


def _option_words(options):
    """Network keywords as the survey's options: {'noise_decay': 0.001} is --noise-decay 0.001;
    an unknown keyword is a TypeError naming the nearest, as Network's."""
    words = []
    for key, value in options.items():
        if value is None:
            continue
        if key not in _core.KEYWORDS:
            raise TypeError(f"survey() got an unexpected keyword argument '{key}'")
        words += ["--" + key.replace("_", "-"), _text(value, key)]
    return words


def _progress(progress):
    """The callback that draws the survey's progress with tqdm, and the function that ends its
    bar; none when progress is False or tqdm is absent. With progress None (the default) the
    bar shows only once the survey has run a second."""
    if progress is False:
        return None, lambda: None
    try:
        from tqdm import tqdm
    except ImportError:
        return None, lambda: None
    bar = None

    def update(done, total):
        nonlocal bar
        if bar is None:
            bar = tqdm(total=total, unit="runs", unit_scale=True, delay=0 if progress else 1.0,
                       leave=bool(progress), desc="nuv.survey")
        bar.update(done - bar.n)

    def close():
        if bar is not None:
            bar.close()

    return update, close


def survey(net_or_methods, seeds=range(1, 10001), jobs=None, progress=None, **ranges):
    """Runs a survey as nuv-survey runs it; a pandas.DataFrame of its runs, a row a run.

    net_or_methods: a nuv.Network; or a list of method names ('tcnn', '2-opt', ...) compared as
    `nuv-survey --methods` compares them, each with its own settings and the network keywords
    given here on top (cities=, sweeps=, ..., as Network takes them); or a list of Networks of
    distinct methods on the same cities, each with its own record.
    seeds: a range of step 1 (range(1, 10001) is --seeds 1:10000) or 'FIRST:LAST'.
    jobs: the worker processes (--jobs), by default one per processor; 1 runs in this process.
    progress: a tqdm bar on standard error when tqdm is there: None shows it once the survey has
    run a second, True at once, False never.
    A=, B=, D=, C=: the values the survey ranges over, each a number, a range 'FROM:TO:STEP'
    (ends included) or a list of numbers (in its order); by default the network's (or with
    methods each method's). With methods only single values.

    The columns are those of `nuv-survey --csv` for the same plan (method first when methods are
    compared; C when given; motion and network for any network but nuv's): Acoef, Bcoef, Dcoef
    (float), seed (int), valid (bool), tour (categorical text in position order, NaN when no
    tour), length, ratio (to the optimum, NaN when no tour), energy (float, in full: the CSV
    writes them to 6 decimals), rank (Int64, <NA> when none), outcome (categorical), settled
    (bool). The runs are in the survey's order (coefficients with Acoef outermost, then seeds).
    frame.attrs holds the optimum line, its length and whether it is optimal, the cities, N, the
    plan's words and the network's description.

    The GIL is released while the runs compute; the runs' ends go straight into the columns,
    so that a survey holds little more than its frame. Ctrl-C (SIGINT) ends the workers at once
    (runs in this process: once the batch under way ends) and raises KeyboardInterrupt; TERM
    and HUP likewise end the workers, then come to the process's own action. A bad value is a
    ValueError with nuv-survey's message; one survey or run of the model at a time per process.
    """
    for key in ranges:
        if key not in _AXES and not isinstance(net_or_methods, (list, tuple, str)):
            raise TypeError(f"survey() got an unexpected keyword argument '{key}': a Network's "
                            "options are its own; A, B, D and C range")
    axes = {k: v for k, v in ranges.items() if k in _AXES and v is not None}
    options = {k: v for k, v in ranges.items() if k not in _AXES}
    axis_word, lists = _axis_words(axes)
    words = ["--seeds", _seeds_text(seeds)]
    if jobs is not None:
        words += ["--jobs", _text(jobs, "jobs")]
    networks = []
    if isinstance(net_or_methods, str):
        net_or_methods = [net_or_methods]
    if isinstance(net_or_methods, _core.Network):
        net = net_or_methods
        given = list(net.words)
        for k in range(0, len(given) - 1, 2):  # the cities are given as the network's Cities
            if given[k] != "--cities":
                words += given[k:k + 2]
        cities = net.cities
        coefficients = [axis_word.get(k, c) for k, c in zip("ABD", net.coefficients)]
    elif isinstance(net_or_methods, (list, tuple)) and net_or_methods and all(
            isinstance(n, _core.Network) for n in net_or_methods):
        networks = list(net_or_methods)
        methods = [n.method for n in networks]
        for m in methods:
            if methods.count(m) > 1:
                raise ValueError(f"two networks of method {m}: compare each method once")
        words += ["--methods", ",".join(methods)]
        cities = networks[0].cities
        coefficients = [axis_word[k] for k in "ABD" if k in axis_word]
    elif isinstance(net_or_methods, (list, tuple)) and net_or_methods and all(
            isinstance(n, str) for n in net_or_methods):
        cities = options.pop("cities", None)
        if isinstance(cities, os.PathLike):
            cities = os.fspath(cities)
        words += ["--methods", ",".join(net_or_methods)] + _option_words(options)
        coefficients = [axis_word[k] for k in "ABD" if k in axis_word]
    else:
        raise TypeError("survey() takes a nuv.Network, a list of method names or a list of "
                        f"Networks, not {type(net_or_methods).__name__}")
    if "C" in axis_word:
        words += ["--C", axis_word["C"]]
    words += ["--"] + coefficients
    update, close = _progress(progress)
    try:
        columns = _core._survey(words, lists, cities, networks, update)
    finally:
        close()
    return _frame(columns)


def _frame(k):
    """The frame of the survey's columns k, its data the columns' own (no copy)."""
    import pandas as pd
    data = {}
    if k["methods"]:
        data["method"] = pd.Categorical.from_codes(k["method"], categories=k["methods"])
    data["Acoef"], data["Bcoef"], data["Dcoef"] = k["Acoef"], k["Bcoef"], k["Dcoef"]
    if k["with_c"]:
        data["C"] = k["C"]
    data["seed"], data["valid"] = k["seed"], k["valid"]
    data["tour"] = pd.Categorical.from_codes(k["tour"], categories=pd.Index(k["tours"], dtype=object))
    data["length"], data["ratio"], data["energy"] = k["length"], k["ratio"], k["energy"]
    data["rank"] = pd.arrays.IntegerArray(k["rank"], k["rank_missing"])
    data["outcome"] = pd.Categorical.from_codes(k["outcome"], categories=k["outcomes"])
    data["settled"] = k["settled"]
    if k["with_motion"]:
        data["motion"] = pd.Categorical.from_codes(k["motion"], categories=k["motions"])
        described = list(dict.fromkeys(k["descriptions"]))  # two heuristics' may be one text
        code = np.array([described.index(d) for d in k["descriptions"]], dtype=np.int8)
        codes = code[k["method"]] if k["methods"] else np.zeros(len(k["seed"]), dtype=np.int8)
        data["network"] = pd.Categorical.from_codes(codes, categories=described)
    frame = pd.DataFrame(data, copy=False)
    frame.attrs.update({"optimum": k["optimum_line"], "optimum_length": k["optimum_length"],
                        "optimum_exact": k["optimum_exact"], "cities": k["cities"], "n": k["n"],
                        "plan": k["plan"], "description": k["description"]})
    return frame


def summary(frame, exact=None):
    """The summary rows of a survey's frame, as nuv-survey prints them without --csv: a row for
    each coefficient set (each method when compared), in the order of their first runs.

    Each set's runs are added up in the frame's order by the survey's own tally (a frame in the
    survey's order gives the tool's figures to the last bit): runs; valid, optimal (named best
    when the optimum is only the best known: exact=False, or the frame's attrs say so) and
    settled, each a count with its percent; for valid and optimal the share as the tool prints it
    ('76.6 ±2.7') and its 95 % Wilson interval (low %, high %); mean, the mean ratio of the valid
    tours; best tour, the first run's of the lowest ratio (canonical: city 1 first); ratio, its
    ratio. It needs the columns valid, settled, ratio and tour, and the coefficients' or method.
    """
    import pandas as pd
    if exact is None:
        exact = frame.attrs.get("optimum_exact", True)
    keys = ["method"] if "method" in frame else [k for k in ("Acoef", "Bcoef", "Dcoef", "C")
                                                  if k in frame]
    if not keys:
        raise ValueError("summary: the frame has neither the coefficients nor the method")
    for column in ("valid", "settled", "ratio", "tour"):
        if column not in frame:
            raise ValueError(f"summary: the frame has no column {column}")
    group = frame.groupby(keys, sort=False, observed=True).ngroup().to_numpy(dtype=np.int64)
    groups = int(group.max()) + 1 if len(group) else 0
    tour = frame["tour"]
    if isinstance(tour.dtype, pd.CategoricalDtype):
        codes, tours = tour.cat.codes.to_numpy(dtype=np.int64), list(tour.cat.categories)
    else:
        codes, uniques = pd.factorize(tour)
        tours = [str(t) for t in uniques]
    t = _core._tallies(group, groups, frame["valid"].to_numpy(dtype=bool),
                       frame["settled"].to_numpy(dtype=bool),
                       frame["ratio"].to_numpy(dtype=float, na_value=np.nan), codes, tours)
    first = np.unique(group, return_index=True)[1]
    rows = frame[keys].iloc[first].reset_index(drop=True)
    if "method" in rows:
        rows["method"] = rows["method"].astype(str)
    best = "optimal" if exact else "best"
    low, high = t["low"].reshape(-1, 2), t["high"].reshape(-1, 2)
    rows["runs"] = t["runs"]
    for k, name in enumerate(("valid", best)):
        count = t["valid" if k == 0 else "optimal"]
        rows[name] = count
        rows[name + " %"] = t["valid_percent" if k == 0 else "optimal_percent"]
        rows[name + " share"] = t["valid_text" if k == 0 else "optimal_text"]
        rows[name + " low %"], rows[name + " high %"] = low[:, k], high[:, k]
    rows["mean"], rows["best tour"], rows["ratio"] = t["mean"], t["best_tour"], t["best_ratio"]
    rows["settled"], rows["settled %"] = t["settled"], t["settled_percent"]
    rows.attrs.update({k: v for k, v in frame.attrs.items()})
    return rows
