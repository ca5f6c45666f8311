# nuv-trace --csv read as an analyst reads it: by pandas.read_csv and csv.DictReader, the
# header first, a row per cycle, and for a network other than nuv's its description in a last
# column. Exits 77, saying why, without pandas (Debian's python3-pandas).
import csv
import io
import subprocess
import sys

try:
    import pandas
except ImportError as e:
    print(f"skipped: pandas cannot be imported ({e}); install python3-pandas")
    sys.exit(77)

trace = sys.argv[1]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def csv_of(*args):
    return subprocess.run([trace, "--csv", *args], capture_output=True, text=True, check=True).stdout


HEAD = ["cycle", "sweeps", "E", "EA", "EB", "ED", "L", "on", "change", "outcome", "tour", "length",
        "ratio", "rank"]
FAMILY = HEAD[:6] + ["EC"] + HEAD[6:] + ["motion", "network"]

# nuv's network: the fourteen columns and fifty rows.
text = csv_of("1", "1", "1", "5")
frame = pandas.read_csv(io.StringIO(text))
check(list(frame.columns) == HEAD, f"nuv's columns {list(frame.columns)}")
check(len(frame) == 50 and list(frame["cycle"]) == list(range(50)), "nuv's 50 cycles")

# Another network, its description holding commas and a semicolon: one field, in every row.
for args, cycles, starts in ((["--cities", "random:12:1", "--rule", "sync", "--u0", "0.4"], 50,
                              "random:12:1, 12 cities, rule sync, u0 0.4, 50 sweeps; ratios are "
                              "to the optimal tour, length "),
                             (["--cities", "random:6:2", "--sweeps", "7", "--C", "0.5"], 7,
                              "random:6:2, 6 cities, rule inplace, C 0.5, sweeps 7; ratios are to "
                              "the optimal tour, length ")):
    text = csv_of(*args, "1", "1", "1", "5")
    frame = pandas.read_csv(io.StringIO(text))
    check(list(frame.columns) == FAMILY, f"{args}: columns {list(frame.columns)}")
    check(len(frame) == cycles, f"{args}: {len(frame)} rows")
    check(list(frame["cycle"]) == list(range(cycles)), f"{args}: cycles")
    check(frame["network"].nunique() == 1 and frame["network"][0].startswith(starts),
          f"{args}: network {frame['network'][0]!r}")
    check(frame["E"].dtype.kind == "f", f"{args}: E is not read as numbers")
    rows = list(csv.DictReader(io.StringIO(text)))
    check(len(rows) == cycles and list(rows[0]) == FAMILY, f"{args}: DictReader")
    check(all(r["network"] == frame["network"][0] for r in rows), f"{args}: DictReader's network")

for f in failures:
    print("FAILED:", f)
print(f"{len(failures)} failures")
sys.exit(1 if failures else 0)
