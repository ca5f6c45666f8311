"""Cities given as arrays are the cities of the files they stand for: an N x 2 array of
coordinates an `x y` file, an N x N matrix a TSPLIB matrix file (or the distances of a TSPLIB
file), with the same runs bit for bit, and checked as a file is; read_cities, optimum,
tour_length and rank as the tools give them."""
import os

import numpy
import pytest

import nuv
from conftest import data, trace_rows

HT10 = data("literature", "ht10.txt")


def same_runs(a, b, seeds=(1, 2, 3)):
    for seed in seeds:
        x, y = a.run(seed), b.run(seed)
        assert numpy.array_equal(x.states, y.states) and numpy.array_equal(x.E, y.E)
        assert numpy.array_equal(x.L, y.L) and x.tour == y.tour and x.ratio == y.ratio
        assert x.rank == y.rank


def test_coordinates_as_an_array_are_the_x_y_file():
    cities = nuv.read_cities(HT10)
    assert cities.coordinates.shape == (10, 2)
    file_net = nuv.Network(A=1, B=1, D=1, cities=HT10)
    array_net = nuv.Network(A=1, B=1, D=1, cities=cities.coordinates)
    same_runs(file_net, array_net)
    assert numpy.array_equal(nuv.read_cities(cities.coordinates).distances, cities.distances)
