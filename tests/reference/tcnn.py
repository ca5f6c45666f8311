#!/usr/bin/env python3
"""A separate account of the transiently chaotic network, for checking nuv-trace bit for bit.

Written from the rule's description alone, on four cities of a file, as they are (distances
raw): the inputs y and outputs v start from N x N draws of the C library's rand() / 2147483647
(uniform: y = 2r - 1; centred: y = u00 + 0.1 U0 (2r - 1), u00 = -U0 ln(N - 1) / 2), and
v = (tanh(y / U0) + 1) / 2. Each step takes every unit's input from the outputs at the step's
start, then, unit by unit in row-major order, y = (k y + alpha input) - z (v - i0), with noise
a != 0 adds a (2r - 1) for the next draw r, and sets v from y; then z *= 1 - beta, then
a *= 1 - noise_decay. Python's floats are doubles and its math.tanh, math.log and math.sqrt are
the C library's, so each value is the one the description defines, to the last bit: the
energy's terms and L of every cycle are compared with the tracer's CSV.

    usage: tcnn.py NUV_TRACE    (exit status 0 when every compared value agrees)
"""
import ctypes
import math
import os
import subprocess
import sys
import tempfile

CITIES = [(0.1, 0.2), (0.9, 0.3), (0.7, 0.8), (0.2, 0.6)]
N = len(CITIES)
libc = ctypes.CDLL(None)
libc.rand.restype = ctypes.c_int


def draw():
    return libc.rand() / 2147483647.0


def distances():
    d = [[0.0] * N for _ in range(N)]
    for a in range(N):
        for b in range(N):
            dx = CITIES[a][0] - CITIES[b][0]
            dy = CITIES[a][1] - CITIES[b][1]
            d[a][b] = math.sqrt(dx * dx + dy * dy)
    return d


def output(y, u0):
    return (math.tanh(y / u0) + 1) * 0.5


def start(s, seed):
    """The inputs and outputs a run starts from."""
    libc.srand(ctypes.c_uint(seed))
    y = [[0.0] * N for _ in range(N)]
    for city in range(N):
        for pos in range(N):
            r = draw()
            if s["centred"]:
                middle = -0.5 * s["u0"] * math.log(N - 1.0)
                y[city][pos] = middle + 0.1 * s["u0"] * (2 * r - 1)
            else:
                y[city][pos] = 2.0 * r - 1.0
    return y, [[output(y[c][p], s["u0"]) for p in range(N)] for c in range(N)]


def bias(s):
    return s["a"] + s["b"] if s["bias"] is None else s["bias"]


def unit_input(v, d, s, city, pos):
    """Row, column and tour-length terms of the state as it stands, then the bias."""
    before, after = (pos - 1) % N, (pos + 1) % N
    in_row = 0.0
    for other in range(N):
        in_row += v[city][other]
    in_column = 0.0
    for other in range(N):
        in_column += v[other][pos]
    near = 0.0
    for other in range(N):
        near += (v[other][after] + v[other][before]) * d[city][other]
    u = -s["a"] * (in_row - v[city][pos])
    u = u + -s["b"] * (in_column - v[city][pos])
    u = u + -s["d"] * near
    if s["bias"] is None:  # A + B, added one after the other
        return (u + s["a"]) + s["b"]
    return u + s["bias"]


def step(y, v, d, s, z, a):
    """One step; returns the outputs after it."""
    inputs = [[unit_input(v, d, s, c, p) for p in range(N)] for c in range(N)]
    out = [[0.0] * N for _ in range(N)]
    for city in range(N):
        for pos in range(N):
            y[city][pos] = (s["k"] * y[city][pos] + s["alpha"] * inputs[city][pos]) - z * (
                v[city][pos] - s["i0"])
            if a != 0:
                y[city][pos] = y[city][pos] + a * (2.0 * draw() - 1.0)
            out[city][pos] = output(y[city][pos], s["u0"])
    return out


def measures(v, d, s):
    """E, its row, column and tour terms, and L: E - bias * sum v + sum of G(v)."""
    rows = columns = tour = 0.0
    for city in range(N):
        for pos in range(N):
            for other in range(N):
                if other != pos:
                    rows += v[city][pos] * v[city][other]
    for pos in range(N):
        for city in range(N):
            for other in range(N):
                if other != city:
                    columns += v[city][pos] * v[other][pos]
    for city in range(N):
        for pos in range(N):
            before, after = (pos - 1) % N, (pos + 1) % N
            for other in range(N):
                tour += d[city][other] * v[city][pos] * (v[other][after] + v[other][before])
    terms = [(s["a"] * 0.5) * rows, (s["b"] * 0.5) * columns, (s["d"] * 0.5) * tour]
    e = terms[0] + terms[1] + terms[2]
    total = g = 0.0
    for city in range(N):
        for pos in range(N):
            x = v[city][pos]
            total += x
            g += s["u0"] / 2 * (xlnx(2 * x) / 2 + xlnx(2 - 2 * x) / 2)
    return {"E": e, "EA": terms[0], "EB": terms[1], "ED": terms[2], "EC": 0.0,
            "L": e - bias(s) * total + g}


def xlnx(x):
    return x * math.log(x) if x > 0.0 else 0.0


def run(s, seed):
    """Each cycle's measures: cycle 0 the start, cycle c after c + 1 steps."""
    d = distances()
    y, v = start(s, seed)
    z, a = s["z0"], s["noise"]
    cycles = [measures(v, d, s)]
    for t in range(s["sweeps"]):
        v = step(y, v, d, s, z, a)
        z = z * (1.0 - s["beta"])
        a = a * (1.0 - s["noise_decay"])
        if t >= 1:
            cycles.append(measures(v, d, s))
    return cycles


DEFAULTS = {"k": 0.9, "alpha": 0.015, "z0": 0.08, "beta": 0.001, "i0": 0.65, "noise": 0.0,
            "noise_decay": 0.0, "u0": 0.5, "bias": None, "centred": False, "sweeps": 5000}

# Each case: the options beyond --rule tcnn and the cities, the coefficients, the seeds.
CASES = [
    ("--sweeps 3", (1, 1, 1), [1, 3]),
    ("--sweeps 3 --u0 0.5 --bias 1 --z0 0.3 --beta 0.2", (1, 1, 1), [1, 5, 4294967295]),
    ("--sweeps 4 --k 0.8 --alpha 0.3 --i0 0.5 --noise 0.4 --noise-decay 0.25",
     (0.5, 1.5, 2), [7, 0]),
    ("--sweeps 3 --start centred --u0 0.02 --bias 0.5 --noise 0.2 --z0 0.1", (1, 1, 1), [2, 9]),
    ("--sweeps 3 --start centred --alpha 0.5 --noise 0", (1, 2, 0.5), [11]),
    ("--sweeps 40 --u0 0.008 --bias 1 --noise 0.05 --noise-decay 0.01 --beta 0.05",
     (1, 1, 1), [4]),
]


def settings(options, coef):
    s = dict(DEFAULTS)
    words = options.split()
    for name, value in zip(words[::2], words[1::2]):
        key = name[2:].replace("-", "_")
        if key == "start":
            s["centred"] = value == "centred"
        elif key == "sweeps":
            s["sweeps"] = int(value)
        else:
            s[key] = float(value)
    s["a"], s["b"], s["d"] = (float(c) for c in coef)
    return s


def main():
    trace = sys.argv[1]
    differ = compared = 0
    with tempfile.TemporaryDirectory() as folder:
        cities = os.path.join(folder, "four.txt")
        with open(cities, "w") as f:
            f.writelines(f"{x} {y}\n" for x, y in CITIES)
        for options, coef, seeds in CASES:
            s = settings(options, coef)
            for seed in seeds:
                command = [trace, "--csv", "--rule", "tcnn", "--cities", cities, "--distances",
                           "raw", *options.split(), *(str(c) for c in coef), str(seed)]
                rows = subprocess.run(command, check=True, capture_output=True,
                                      text=True).stdout.splitlines()
                head = rows[0].split(",")
                expected = run(s, seed)
                if len(rows) != 1 + len(expected):
                    print(f"{options} seed {seed}: {len(rows) - 1} cycles, not {len(expected)}")
                    differ += 1
                for c, values in enumerate(expected[:len(rows) - 1]):
                    row = dict(zip(head, rows[1 + c].split(",")))
                    for name, value in values.items():
                        compared += 1
                        if float(row[name]) != value:
                            differ += 1
                            print(f"{options} {coef} seed {seed} cycle {c} {name}: trace "
                                  f"{row[name]}, expected {value.hex()} ({value!r})")
    print(f"{compared} values compared: {differ} differ")
    return 1 if differ or not compared else 0


if __name__ == "__main__":
    sys.exit(main())
