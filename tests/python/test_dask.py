"""Measuring and repairing over a dask.bag on two worker processes gives the local answers."""

import os

import dask.bag
import numpy as np
import pytest
from distributed import Client, LocalCluster

import lyncntr
import lyncntr.dask


def test_bag_on_two_processes_equals_local_run():
    rng = np.random.default_rng(5)
    outlines = [rng.uniform(0, 50, (12, 2)) for _ in range(40)]
    local = lyncntr.measure(outlines)
    local_repairs = lyncntr.regularize_all(outlines)
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        bag = dask.bag.from_sequence(outlines, npartitions=4)
        rows, repairs = client.compute([lyncntr.dask.measure_bag(bag), lyncntr.dask.regularize_bag(bag)], sync=True)
        assert len(set(client.run(os.getpid).values())) == 2
    assert len(rows) == len(outlines)
    for name in local:
        np.testing.assert_array_equal([r[name] for r in rows], np.asarray(local[name]))
    for a, b in zip(repairs, local_repairs):
        np.testing.assert_array_equal(a.points, b.points)
