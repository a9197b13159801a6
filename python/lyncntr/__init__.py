"""Plane contours, regions and region sets for machine vision.

Coordinates are float64 in the caller's units (pixels for OpenCV outlines). Angles are radians,
counter-clockwise from the x axis with y pointing up; in image coordinates (y down) the same
numbers turn clockwise on screen. Areas are unsigned whatever the orientation of a boundary.

Each object may be used from any thread, one call at a time (calls on one object are
serialised by a lock); calls that loop over points or shapes release the GIL.
"""

from ._lyncntr import (
    ArchiveError,
    BadParams,
    BadPointer,
    Contour,
    EmptyContour,
    EmptyRegionSet,
    Error,
    FileError,
    Region,
    RegionCannotBeSetOpen,
    RegionSet,
    _load_archive,
    _measure,
    read,
    regularize_all,
    write,
)

__all__ = [
    "ArchiveError", "BadParams", "BadPointer", "Contour", "EmptyContour", "EmptyRegionSet",
    "Error", "FileError", "Region", "RegionCannotBeSetOpen", "RegionSet", "measure", "read",
    "regularize_all", "write",
]


def _from_archive(data):
    """Rebuilds a pickled shape from the library's archive bytes."""
    return _load_archive(data)


def measure(items, threads=0):
    """Measures every outline (an array of outer points or a Region) on all cores.

    Columns, one row per item: vertices, length, area (holes taken out), cx, cy (centre of mass),
    ixx, ixy, iyy (central second moments of the outer boundary, not divided by the area), and
    x, y, width, height (bounding rectangle). A pandas DataFrame when pandas is importable, else
    a dict of NumPy arrays. A failing item raises the library's error with its position as
    ``index``.
    """
    columns = _measure(items, threads)
    try:
        import pandas
    except ImportError:
        return columns
    return pandas.DataFrame(columns)
