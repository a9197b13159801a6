"""lyncntr over a dask.bag: each partition is measured or repaired in one call, on all the
worker's cores. Items are arrays of outer points or Regions; results travel back pickled
through the library's archive.

    from dask.distributed import Client
    client = Client("tcp://scheduler:8786")   # or LocalCluster()
    rows = measure_bag(dask.bag.from_sequence(outlines, npartitions=8)).compute()
"""

import lyncntr


def _measure_partition(items):
    columns = lyncntr._measure(list(items))
    names = list(columns)
    return [dict(zip(names, values)) for values in zip(*(columns[n].tolist() for n in names))]


def measure_bag(bag):
    """A bag of dicts, one per item, with the columns of lyncntr.measure."""
    return bag.map_partitions(_measure_partition)


def _regularize_partition(items, outer_hull):
    return lyncntr.regularize_all(list(items), outer_hull=outer_hull)


def regularize_bag(bag, outer_hull=False):
    """A bag of the repaired Regions (lyncntr.regularize_all per partition)."""
    return bag.map_partitions(_regularize_partition, outer_hull)
