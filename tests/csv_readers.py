#!/usr/bin/env python3
# The survey's CSV as analysis reads it: pandas.read_csv and csv.DictReader take its first line
# as the header and give every row the same columns, the network's description whole in the
# last one for any network but nuv's (commas and quotes in a cities file's name included), and
# none for nuv's. Skipped (77) without pandas.
#   usage: csv_readers.py NUV_SURVEY
import csv
import io
import os
import subprocess
import sys
import tempfile

try:
    import pandas
except ImportError as why:
    print("skipped: pandas cannot be imported (Debian: python3-pandas):", why)
    sys.exit(77)

survey = os.path.abspath(sys.argv[1])
NUV = "Acoef,Bcoef,Dcoef,seed,valid,tour,length,ratio,energy,rank,outcome,settled".split(",")
FAMILY = "Acoef,Bcoef,Dcoef,C,seed,valid,tour,length,ratio,energy,rank,outcome,settled".split(",")
TOURS = "Acoef,Bcoef,Dcoef,C,outcome,tour,rank,ratio,runs,percent".split(",")
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def output(args, cwd=None):
    done = subprocess.run([survey] + args, capture_output=True, text=True, cwd=cwd)
    check(done.returncode == 0, f"{args}: status {done.returncode} {done.stderr}")
    return done.stdout


def read(text, columns, rows, network, what):
    """Both readers give the columns, the rows and, in every row, the network's text."""
    frame = pandas.read_csv(io.StringIO(text), dtype=str, keep_default_na=False)
    check(list(frame.columns) == columns, f"{what}: pandas columns {list(frame.columns)}")
    check(len(frame) == rows, f"{what}: pandas rows {len(frame)}, not {rows}")
    dicts = list(csv.DictReader(io.StringIO(text)))
    check(len(dicts) == rows, f"{what}: DictReader rows {len(dicts)}, not {rows}")
    for row in dicts[:1] + [r for r in dicts if list(r) != columns or None in r][:1]:
        check(list(row) == columns and None not in row, f"{what}: DictReader row {row}")
    if network is not None and "network" in frame.columns:
        check(set(frame["network"]) == {network}, f"{what}: pandas network {set(frame['network'])}")
        check({r.get("network") for r in dicts} == {network}, f"{what}: DictReader network")


member = ["--seeds", "1:7", "--cities", "random:8:3", "--rule", "sync", "--C", "0.5"]
text = "random:8:3, 8 cities, rule sync, C 0.5, 50 sweeps"
read(output(["--csv"] + member + ["1", "1", "1:2:1"]), FAMILY + ["motion", "network"], 14, text,
     "a family member's --csv")
tours = output(["--tours", "--csv"] + member + ["1", "1", "1"])
read(tours, TOURS + ["network"], len(tours.splitlines()) - 1, text, "its --tours --csv")
read(output(["--csv", "--seeds", "1:5", "1", "1", "1"]), NUV, 5, None, "nuv's --csv")

with tempfile.TemporaryDirectory() as folder:
    # A cities file whose name holds a comma and a quote: the field is quoted as RFC 4180 says.
    name = 'a,"b".txt'
    with open(os.path.join(folder, name), "w") as f:
        f.write("0 0\n1 0\n1 1\n0 1\n0.5 2\n")
    plan = ["--seeds", "1:6", "--cities", name, "--u0", "0.3", "1", "1", "1"]
    whole = output(["--csv"] + plan, cwd=folder)
    read(whole, NUV + ["motion", "network"], 6, name + ", 5 cities, rule inplace, u0 0.3, 50 sweeps",
         "a named file's --csv")
    # Shards of it merged give the same readable CSV.
    for k in range(2):
        output(["--shard", f"{k}/2", "-o", f"s{k}.csv"] + plan, cwd=folder)
    merged = output(["--merge", "--csv", "s0.csv", "s1.csv"], cwd=folder)
    check(merged == whole, "the merged --csv is not the whole survey's")

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
