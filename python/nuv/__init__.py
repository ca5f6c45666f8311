"""nuv in Python: the family of Hopfield-Tank networks for the travelling salesman problem, its
methods and its measures, from the same C++ as the tools nuv-trace and nuv-survey.

    import nuv
    net = nuv.Network(cities="eil51", method="tcnn")   # the tools' options as keywords
    run = net.run(5)                                    # nuv-trace's run, as NumPy arrays
    run.states, run.E, run.L, run.tour, run.ratio

Network(**keywords) takes every network option of the tools (nuv.KEYWORDS), with their
defaults, limits and refusals (ValueError with nuv-trace's message). read_cities, optimum,
tour_length and rank measure cities and tours as the tools do. Start at Network.
"""
import numpy  # noqa: F401  (imported here, never first inside a run that Ctrl-C may end)

from ._core import (KEYWORDS, MAXCITY, MINCITY, Cities, Network, Optimum, Run, optimum, rank,
                    read_cities, tour_length, version)

from .survey import summary, survey

__version__ = version
__all__ = ["Network", "Run", "Cities", "Optimum", "KEYWORDS", "MINCITY", "MAXCITY", "read_cities",
           "optimum", "tour_length", "rank", "survey", "summary"]

# The columns of nuv-trace --csv, in its order, and where a Run holds each.
TRACE_COLUMNS = ["cycle", "sweeps", "E", "EA", "EB", "ED", "EC", "L", "on", "change", "outcome",
                 "tour", "length", "ratio", "rank", "motion"]
_RUN_FIELDS = {"outcome": "outcomes", "tour": "tours", "length": "lengths", "ratio": "ratios",
               "rank": "ranks", "motion": "motions"}


def _frame(run):
    """The run's cycles as a pandas.DataFrame with nuv-trace --csv's columns (a tour as its text
    "1-4-3-...", absent values as NaN or None). Needs pandas."""
    import pandas
    columns = {}
    for name in TRACE_COLUMNS:
        values = getattr(run, _RUN_FIELDS.get(name, name))
        if name == "tour":
            values = ["-".join(map(str, t)) if t else None for t in values]
        columns[name] = values
    return pandas.DataFrame(columns)


def _replace(network, **changes):
    """The same network with some keywords changed: Network(**{**network.keywords, **changes})."""
    return Network(**{**network.keywords, **changes})


Run.frame = _frame
Network.replace = _replace
