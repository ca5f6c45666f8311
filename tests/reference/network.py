#!/usr/bin/env python3
"""A second, separate account of the network, for checking nuv-trace bit for bit.

Written from the network's description alone: nine cities, distances scaled to add up to 10,
a start of 81 draws of the C library's rand() / 2147483647, 50 in-place sweeps in row-major
order, the energy's three terms. Python's floats are doubles and its math.tanh and math.sqrt
are the C library's, so every value is the one the description defines, to the last bit.

    usage: network.py NUV_TRACE    (exit status 0 when every compared value agrees)
"""
import ctypes
import math
import subprocess
import sys

CITIES = [(3.0, 4.0), (2.0, 7.0), (4.0, 7.0), (5.0, 5.0), (5.0, 3.0),
          (4.0, 1.0), (2.0, 1.0), (1.0, 3.0), (1.0, 5.0)]
N = len(CITIES)
libc = ctypes.CDLL(None)


def distances():
    """Euclidean distances times 0.1, then each times 10.0 over their row-major total."""
    d = [[0.0] * N for _ in range(N)]
    total = 0.0
    for a in range(N):
        for b in range(N):
            dx = CITIES[a][0] - CITIES[b][0]
            dy = CITIES[a][1] - CITIES[b][1]
            d[a][b] = math.sqrt(dx * dx + dy * dy) * 0.1
            total += d[a][b]
    return [[d[a][b] * 10.0 / total for b in range(N)] for a in range(N)]


def start(seed):
    libc.srand(ctypes.c_uint(seed))
    return [[libc.rand() / 2147483647.0 for _ in range(N)] for _ in range(N)]


def sweep(v, d, a, b, dc):
    """Every unit once, city by city and position by position, each new output in place."""
    for city in range(N):
        for pos in range(N):
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
            u = -a * (in_row - v[city][pos])
            u = u + -b * (in_column - v[city][pos])
            u = u + -dc * near
            u = u + a
            u = u + b
            v[city][pos] = (math.tanh(u / 0.5) + 1) * 0.5


def energy(v, d, a, b, dc):
    """The row, column and tour-length terms, each half its coefficient times its sum."""
    rows = 0.0
    for city in range(N):
        for pos in range(N):
            for other in range(N):
                if other != pos:
                    rows += v[city][pos] * v[city][other]
    columns = 0.0
    for pos in range(N):
        for city in range(N):
            for other in range(N):
                if other != city:
                    columns += v[city][pos] * v[other][pos]
    tour = 0.0
    for city in range(N):
        for pos in range(N):
            before, after = (pos - 1) % N, (pos + 1) % N
            for other in range(N):
                tour += d[city][other] * v[city][pos] * (v[other][after] + v[other][before])
    terms = [(a * 0.5) * rows, (b * 0.5) * columns, (dc * 0.5) * tour]
    return terms[0] + terms[1] + terms[2], terms


def run(a, b, dc, seed):
    """Each cycle's energy and terms: cycle 0 the start, cycle c after c + 1 sweeps."""
    d = distances()
    v = start(seed)
    cycles = [energy(v, d, a, b, dc)]
    sweep(v, d, a, b, dc)
    for _ in range(1, 50):
        sweep(v, d, a, b, dc)
        cycles.append(energy(v, d, a, b, dc))
    return cycles


def main():
    trace = sys.argv[1]
    runs = [("1", "1", "1", 5), ("1", "1", "2", 77), ("0.5", "1.5", "3", 2024),
            ("-1", "2", "0.25", 4294967295), ("1.125", "0.875", "1.5", 1)]
    differ = 0
    for a, b, dc, seed in runs:
        rows = subprocess.run([trace, "--csv", a, b, dc, str(seed)], check=True,
                              capture_output=True, text=True).stdout.splitlines()
        head = rows[0].split(",")
        expected = run(float(a), float(b), float(dc), seed)
        for c, (e, terms) in enumerate(expected):
            row = dict(zip(head, rows[1 + c].split(",")))
            for name, value in zip(["E", "EA", "EB", "ED"], [e] + terms):
                if float(row[name]) != value:
                    differ += 1
                    print(f"{a} {b} {dc} {seed} cycle {c} {name}: trace {row[name]}, "
                          f"expected {value.hex()} ({value!r})")
    print(f"{len(runs)} runs, 50 cycles each: {differ} values differ")
    return 1 if differ else 0


if __name__ == "__main__":
    sys.exit(main())
