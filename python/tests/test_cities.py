"""Cities given as arrays are the cities of the files they stand for: an N x 2 array of
coordinates an `x y` file, an N x N matrix a TSPLIB FULL_MATRIX file (and a TSPLIB file's own
distances its file, whatever its format), with the same runs bit for bit as the tool's on the
file, and refused as the file is; read_cities, optimum, tour_length and rank checked against
sums and enumerations written here."""
import itertools
import math
import re

import numpy
import pytest

import nuv
from conftest import data, trace_refusal, trace_rows

HT10 = data("literature", "ht10.txt")


def same_runs(a, b, seeds=(1, 2, 3)):
    """Whether two networks' runs are one bit for bit: states, energy, L and the end."""
    for seed in seeds:
        x, y = a.run(seed), b.run(seed)
        assert numpy.array_equal(x.states, y.states) and numpy.array_equal(x.E, y.E)
        assert numpy.array_equal(x.L, y.L) and x.tour == y.tour and x.ratio == y.ratio
        assert x.rank == y.rank and x.outcome == y.outcome


def run_is_the_tools(run, *words):
    """Whether a run's energies, L and end are nuv-trace's for words (its options and seed)."""
    rows = trace_rows(*words)
    assert [float(r["E"]) for r in rows] == list(run.E)
    assert [float(r["L"]) for r in rows] == list(run.L)
    assert rows[-1]["outcome"] == run.outcome
    if run.tour:
        assert rows[-1]["tour"] == "-".join(map(str, run.tour))
        assert float(rows[-1]["ratio"]) == run.ratio


def matrix_file(path, d):
    """A TSPLIB FULL_MATRIX file of d, its numbers printed to read back to the same bits."""
    rows = "\n".join(" ".join(repr(float(x)) for x in row) for row in d)
    path.write_text(f"NAME : m\nTYPE : TSP\nDIMENSION : {len(d)}\nEDGE_WEIGHT_TYPE : EXPLICIT\n"
                    f"EDGE_WEIGHT_FORMAT : FULL_MATRIX\nEDGE_WEIGHT_SECTION\n{rows}\nEOF\n")
    return str(path)


def xy_file(path, xy):
    path.write_text("".join(f"{x!r} {y!r}\n" for x, y in xy))
    return str(path)


def symmetric(n, seed):
    rng = numpy.random.default_rng(seed)
    d = rng.uniform(0.1, 3.0, (n, n))
    d = (d + d.T) / 2
    numpy.fill_diagonal(d, 0.0)
    return d


def test_coordinates_as_an_array_are_the_x_y_file(tmp_path):
    file_xy = numpy.loadtxt(HT10)  # read here, apart from the tools' reader
    cities = nuv.read_cities(HT10)
    assert numpy.array_equal(cities.coordinates, file_xy) and cities.n == 10
    file_net = nuv.Network(A=1, B=1, D=1, cities=HT10)
    array_net = nuv.Network(A=1, B=1, D=1, cities=file_xy)
    same_runs(file_net, array_net)
    xy = numpy.random.default_rng(7).uniform(-5, 5, (13, 2))
    net = nuv.Network(A=1, B=1, D=1.5, rule="sync", cities=xy)
    run_is_the_tools(net.run(4), "--rule", "sync", "--cities", xy_file(tmp_path / "c.txt", xy),
                     "1", "1", "1.5", "4")


def test_plain_distances_are_euclidean():
    xy = numpy.loadtxt(HT10)
    d = nuv.read_cities(xy).distances
    for i, j in itertools.product(range(10), repeat=2):
        dx, dy = xy[i, 0] - xy[j, 0], xy[i, 1] - xy[j, 1]
        assert d[i, j] == math.sqrt(dx * dx + dy * dy)


@pytest.mark.parametrize("n,seed", [(4, 1), (9, 2), (12, 3), (30, 4)])
def test_a_matrix_as_an_array_is_the_matrix_file(tmp_path, n, seed):
    d = symmetric(n, seed)
    path = matrix_file(tmp_path / "m.tsp", d)
    for keywords, words in ((dict(A=1, B=1, D=1), []),
                            (dict(A=1, B=1, D=2, rule="euler", sweeps=60), ["--rule", "euler",
                                                                            "--sweeps", "60"]),
                            (dict(A=0, B=1, D=1, rule="potts", distances="unit", sweeps=50),
                             ["--rule", "potts", "--distances", "unit", "--sweeps", "50"])):
        array_net = nuv.Network(cities=d, **keywords)
        same_runs(nuv.Network(cities=path, **keywords), array_net)
        coefficients = [str(keywords[k]) for k in "ABD"]
        run_is_the_tools(array_net.run(2), *words, "--cities", path, *coefficients, "2")
    assert numpy.array_equal(nuv.read_cities(d).distances, d)
    assert nuv.read_cities(d).coordinates is None


@pytest.mark.parametrize("name", ["gr17", "ulysses16", "burma14", "eil51", "att48"])
def test_a_tsplib_files_distances_are_its_file(name):
    """Each format (LOWER_DIAG_ROW, GEO, EUC_2D, ATT): its distances as a matrix run as the file,
    the ratios to the same optimum's length."""
    cities = nuv.read_cities(name)
    keywords = dict(A=1, B=1, D=1, sweeps=12)
    file_net = nuv.Network(cities=name, **keywords)
    array_net = nuv.Network(cities=cities.distances, **keywords)
    same_runs(file_net, array_net, seeds=(1, 2))
    assert nuv.optimum(cities.distances).length == nuv.optimum(name).length


def test_euc_2d_distances_are_tsplibs_rounding():
    cities = nuv.read_cities("eil51")
    xy = cities.coordinates
    for i, j in itertools.product(range(51), repeat=2):
        assert cities.distances[i, j] == int(math.sqrt((xy[i, 0] - xy[j, 0]) ** 2 +
                                                       (xy[i, 1] - xy[j, 1]) ** 2) + 0.5)


def test_a_cities_object_is_its_source():
    cities = nuv.read_cities("eil51")
    same_runs(nuv.Network(A=1, B=1, D=1, sweeps=10, cities=cities),
              nuv.Network(A=1, B=1, D=1, sweeps=10, cities="eil51"), seeds=(4,))
    assert cities.name == "eil51" and len(cities) == 51 and cities.source == "eil51"


def location_free(message):
    """A refusal's reason without where: "'FILE':LINE: " or "cities array, row R: "."""
    return re.sub(r"^('[^']*'(:\d+)?|cities array(, row \d+)?): ", "", message)


def refused_array(a):
    with pytest.raises(ValueError) as refusal:
        nuv.read_cities(a)
    with pytest.raises(ValueError) as also:
        nuv.Network(A=1, B=1, D=1, cities=a)
    assert str(refusal.value) == str(also.value)
    return str(refusal.value)


@pytest.mark.parametrize("case", ["nan", "inf", "below", "diagonal", "asymmetric", "overflow"])
def test_a_matrix_is_refused_as_its_file_is(tmp_path, case):
    d = symmetric(6, 5)
    if case == "nan":
        d[2, 3] = d[3, 2] = float("nan")
    if case == "inf":
        d[1, 4] = d[4, 1] = float("inf")
    if case == "below":
        d[0, 5] = d[5, 0] = -1.5
    if case == "diagonal":
        d[3, 3] = 2.0
    if case == "asymmetric":
        d[1, 2] = 7.0
    if case == "overflow":
        d[:] = 1e308
        numpy.fill_diagonal(d, 0.0)
    path = tmp_path / "m.tsp"
    rows = "\n".join(" ".join("%.17g" % x for x in row) for row in d)
    path.write_text("NAME : m\nTYPE : TSP\nDIMENSION : 6\nEDGE_WEIGHT_TYPE : EXPLICIT\n"
                    f"EDGE_WEIGHT_FORMAT : FULL_MATRIX\nEDGE_WEIGHT_SECTION\n{rows}\nEOF\n")
    tool = trace_refusal("--cities", str(path), "1", "1", "1", "1")
    message = refused_array(d)
    assert message.startswith("cities array") and location_free(message) == location_free(tool)
    line = re.match(r"^'[^']*':(\d+): ", tool)
    if line:  # the row named is the file's line of the matrix's row
        assert f"row {int(line.group(1)) - 6}: " in message


@pytest.mark.parametrize("case", ["nan", "one point", "overflow"])
def test_coordinates_are_refused_as_their_file_is(tmp_path, case):
    xy = numpy.random.default_rng(3).uniform(0, 1, (8, 2))
    if case == "nan":
        xy[4, 1] = float("nan")
    if case == "one point":
        xy[:] = 0.25
    if case == "overflow":
        xy[0] = (-1e308, 0)
        xy[1] = (1e308, 0)
    path = tmp_path / "c.txt"
    path.write_text("".join("%.17g %.17g\n" % (x, y) for x, y in xy))
    tool = trace_refusal("--cities", str(path), "1", "1", "1", "1")
    message = refused_array(xy)
    assert location_free(message) == location_free(tool)
    if case == "nan":
        assert message.startswith("cities array, row 5: ")


@pytest.mark.parametrize("shape", [(5,), (4, 3), (3, 2), (3, 3), (nuv.MAXCITY + 1, 2), (2, 5, 5),
                                   (0, 2)])
def test_an_array_of_no_cities_is_refused(shape):
    message = refused_array(numpy.zeros(shape))
    assert message.startswith("cities array")
    if shape in ((3, 2), (3, 3), (nuv.MAXCITY + 1, 2)):
        assert message.endswith(f"{shape[0]} cities: a network has 4 to {nuv.MAXCITY}")
        assert location_free(message) == location_free(trace_refusal(
            "--cities", f"random:{shape[0]}:1", "1", "1", "1", "1"))


def brute_lengths(d):
    """Every distinct closed tour's length (city 0 first, one of each mirror pair), summed from
    position 1 round as the tools sum it."""
    n = len(d)
    out = []
    for rest in itertools.permutations(range(1, n)):
        if rest[0] > rest[-1]:
            continue
        tour = (0,) + rest
        length = 0.0
        for j in range(n):
            length += d[tour[j]][tour[(j + 1) % n]]
        out.append((length, tour))
    return out


@pytest.mark.parametrize("source", ["random:7:1", "random:8:2", None])
def test_optimum_tour_length_and_rank_are_the_enumerations(source):
    cities = nuv.read_cities(source)
    d = cities.distances
    every = brute_lengths(d)
    best = min(length for length, _ in every)
    o = nuv.optimum(source)
    assert o.kind == "optimal" and abs(o.length - best) <= 1e-9 * best
    assert nuv.tour_length(source, o.tour) == o.length
    for length, tour in every[:: max(1, len(every) // 40)]:
        listed = [c + 1 for c in tour]
        assert nuv.tour_length(source, listed) == length
        shorter = sum(1 for other, _ in every if other < length * (1 - 1e-9))
        assert nuv.rank(source, listed) == nuv.rank(source, length) == shorter + 1


def test_nuvs_optimum_is_the_tools():
    o = nuv.optimum(None)
    assert o.tour == [1, 4, 3, 2, 9, 8, 7, 6, 5] and "%.6f" % o.length == "19.416408"


def test_the_optimums_kinds():
    assert nuv.optimum("eil51").kind == "optimal" and nuv.optimum("eil51").length == 426
    assert nuv.optimum("gr17").kind == "optimal"  # Held and Karp
    best = nuv.optimum("random:40:1")
    assert best.kind == "best known"
    rows = trace_rows("--cities", "random:40:1", "--sweeps", "1", "1", "1", "1", "1")
    assert f"best known tour, length {best.length:.6f}" in rows[0]["network"]
    published = nuv.optimum(nuv.read_cities("eil51").distances)  # no tour file: TSPLIB's 426
    assert published.length == 426 and published.kind in ("published", "optimal")
    assert (published.kind == "optimal") == (nuv.tour_length("eil51", published.tour) == 426)


def test_ranks_end_at_ten_cities_and_a_tour_is_checked():
    assert nuv.rank("random:10:1", list(range(1, 11))) >= 1
    assert nuv.rank("random:11:1", list(range(1, 12))) is None
    for tour in ([1, 2, 3], [1, 2, 3, 4, 5, 6, 7, 8, 8], [0, 1, 2, 3, 4, 5, 6, 7, 8],
                 list(range(1, 11))):
        with pytest.raises(ValueError, match="each of 1 ... 9 once"):
            nuv.tour_length(None, tour)
