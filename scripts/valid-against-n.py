#!/usr/bin/python3
"""The collapse of the 1985 network against the methods that avoid it, as a picture: each
method's share of valid runs against the number of cities, from the CSV files that
`nuv-survey --methods ... --csv` (or a shard's -o FILE) wrote, one file per instance.

Start at main. The share of a method on an instance is its valid runs over its runs, as the
survey's summary counts them; the error bar is the Wilson 95 % interval the summary prints.

usage: /usr/bin/python3 scripts/valid-against-n.py OUT.svg SURVEY.csv...
"""
import math
import re
import sys

import matplotlib

matplotlib.use("svg")
import matplotlib.pyplot as plt
import pandas as pd

# The network methods drawn, in the survey's order; the heuristics are always valid.
NETWORKS = ["nuv", "hopfield-tank", "tcnn", "noisy", "potts", "softassign", "feasible"]


def wilson(valid, runs):
    """The Wilson score interval (95 %) of valid in runs: (low, high)."""
    z = 1.959963984540054
    p = valid / runs
    centre = (p + z * z / (2 * runs)) / (1 + z * z / runs)
    half = z * math.sqrt(p * (1 - p) / runs + z * z / (4 * runs * runs)) / (1 + z * z / runs)
    return max(0.0, centre - half), min(1.0, centre + half)


def shares(path):
    """The instance's name, its number of cities, and each method's (runs, valid) in one file."""
    frame = pd.read_csv(path, comment="#")
    network = frame["network"].iloc[0]  # "NAME, N cities, rule ..."
    match = re.match(r"([^,]+), (\d+) cities", network)
    if not match:
        sys.exit(f"{path}: no instance in the network column ({network!r})")
    counts = frame.groupby("method")["valid"].agg(["count", "sum"])
    return match.group(1), int(match.group(2)), counts


def main(out, paths):
    instances = sorted((shares(p) for p in paths), key=lambda s: s[1])
    figure, axes = plt.subplots(figsize=(7.2, 4.2))
    for method, marker in zip(NETWORKS, "osD^v<>"):
        xs, ys, lows, highs = [], [], [], []
        for _, n, counts in instances:
            if method not in counts.index:
                continue
            runs, valid = counts.loc[method, "count"], counts.loc[method, "sum"]
            low, high = wilson(valid, runs)
            xs.append(n)
            ys.append(100 * valid / runs)
            lows.append(100 * max(0.0, valid / runs - low))  # 0 valid: low is 3.5e-16
            highs.append(100 * max(0.0, high - valid / runs))
        axes.errorbar(xs, ys, yerr=[lows, highs], marker=marker, markersize=4, capsize=2,
                      label=method)
    axes.set_xscale("log")
    ticks = [n for _, n, _ in instances]
    axes.set_xticks(ticks)
    axes.set_xticklabels([f"{name}\n{n}" for name, n, _ in instances], fontsize=7)
    axes.minorticks_off()
    axes.set_ylim(-3, 103)
    axes.set_xlabel("instance and its cities (log scale)")
    axes.set_ylabel("runs ending on a valid tour (%)")
    axes.set_title("Valid share against N: the heuristics are always valid", fontsize=10)
    axes.legend(fontsize=7, loc="center left", bbox_to_anchor=(1.0, 0.5))
    figure.tight_layout()
    figure.savefig(out, metadata={"Date": None})


if __name__ == "__main__":
    if len(sys.argv) < 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    main(sys.argv[1], sys.argv[2:])
