"""The module against OpenCV and Shapely on traced masks; its errors, forms, batches and the GIL."""

import os
import pickle
import threading
import time

import cv2
import dask.bag
import numpy as np
import pytest
from distributed import Client, LocalCluster
from hypothesis import HealthCheck, assume, given, settings, strategies as st
from shapely.geometry import LineString, Point, Polygon
from shapely.ops import polygonize, unary_union

import lyncntr.dask
from lyncntr import BadParams, Contour, EmptyContour, FileError, Region, RegionSet

SQUARE, BOWTIE = [(0, 0), (4, 0), (4, 4), (0, 4)], [(0, 0), (2, 2), (2, 0), (0, 2)]
FAR = np.array([1e6, -2e6])  # far from the origin: cancellation in the moment sums
STAR = np.int32([(100 + r * np.cos(a), 100 + r * np.sin(a)) for a, r in zip(np.arange(14) * np.pi / 7, [85, 35] * 7)])
# Drawn on 200 x 200 masks; OpenCV traces outlines clockwise (y up), holes counter-clockwise; C is not star-shaped.
MASKS = {
    "ellipse": lambda m: cv2.ellipse(m, (100, 90), (70, 35), 30, 0, 360, 255, -1),
    "star": lambda m: cv2.fillPoly(m, [STAR], 255),
    "ring": lambda m: (cv2.circle(m, (100, 100), 80, 255, -1), cv2.rectangle(m, (60, 70), (130, 120), 0, -1)),
    "letter_c": lambda m: (cv2.circle(m, (100, 100), 70, 255, -1), cv2.circle(m, (120, 100), 45, 0, -1)),
}

def traced(name, approx=cv2.CHAIN_APPROX_NONE):
    """(outer, holes): OpenCV int32 (N, 1, 2) arrays of the largest component and its holes."""
    m = np.zeros((200, 200), np.uint8)
    MASKS[name](m)
    contours, hierarchy = cv2.findContours(m, cv2.RETR_CCOMP, approx)
    outer = max((i for i, h in enumerate(hierarchy[0]) if h[3] < 0), key=lambda i: len(contours[i]))
    return contours[outer], [contours[i] for i, h in enumerate(hierarchy[0]) if h[3] == outer]

@pytest.mark.parametrize("name", sorted(MASKS))
@pytest.mark.parametrize("reverse", [False, True], ids=["as_traced", "reversed"])
def test_measures_and_queries_match_opencv(name, reverse):
    outer, holes = traced(name)
    ms = [cv2.moments(c) for c in [outer] + holes]
    area, m10, m01 = (ms[0][k] - sum(m[k] for m in ms[1:]) for k in ("m00", "m10", "m01"))
    inertia = np.array([[ms[0]["mu20"], ms[0]["mu11"]], [ms[0]["mu11"], ms[0]["mu02"]]])
    outline = outer[::-1] if reverse else outer
    region = Region(outline, holes=holes)
    far = Region(outline.reshape(-1, 2) + FAR, holes=[h.reshape(-1, 2) + FAR for h in holes])
    assert region.area() == pytest.approx(area, rel=1e-12) and far.area() == pytest.approx(area, rel=1e-9)
    np.testing.assert_allclose(region.centroid(), (m10 / area, m01 / area), rtol=1e-12)
    # Moments are taken about a local origin: a 1e6 px offset costs only its own rounding.
    np.testing.assert_allclose(far.centroid(), (m10 / area, m01 / area) + FAR, rtol=0, atol=1e-8)
    for r in (region, far):
        np.testing.assert_allclose(r.inertia(holes=False), inertia, atol=1e-9 * np.abs(inertia).max())
    pts = np.random.default_rng(7).uniform(0, 200, (4000, 2))
    d_outer = np.array([cv2.pointPolygonTest(outer, tuple(p), True) for p in pts])
    d_holes = np.array([[cv2.pointPolygonTest(h, tuple(p), True) for p in pts] for h in holes]).reshape(-1, len(pts))
    off = (np.abs(d_outer) > 1e-3) & np.all(np.abs(d_holes) > 1e-3, axis=0)  # no point on a boundary
    np.testing.assert_array_equal(region.contains(pts[off], holes=False), d_outer[off] > 0)
    np.testing.assert_array_equal(region.contains(pts[off]), (d_outer > 0)[off] & ~np.any(d_holes > 0, axis=0)[off])
    # OpenCV measures in single precision and pads its smallest circle slightly.
    np.testing.assert_allclose(Region(outline).distance(pts), np.abs(d_outer), rtol=0, atol=1e-4)
    (centre, radius), (cv_centre, cv_radius) = Contour(outline).min_enclosing_circle, cv2.minEnclosingCircle(outer)
    assert radius == pytest.approx(cv_radius, abs=1e-3 * cv_radius)
    np.testing.assert_allclose(centre, cv_centre, atol=1e-2)

@pytest.mark.parametrize("threads", [1, 2])
def test_batch_measure_matches_opencv(threads):
    outlines = [traced(n, cv2.CHAIN_APPROX_SIMPLE)[0] for n in sorted(MASKS)] * 30
    table, ms = lyncntr.measure(outlines, threads=threads), [cv2.moments(c) for c in outlines]
    got = [np.column_stack([table[k] for k in ks.split()]) for ks in ("area cx cy", "ixx ixy iyy", "x y width height")]
    np.testing.assert_allclose(got[0], [(m["m00"], m["m10"] / m["m00"], m["m01"] / m["m00"]) for m in ms], rtol=1e-12)
    np.testing.assert_allclose(got[1], [(m["mu20"], m["mu11"], m["mu02"]) for m in ms], rtol=1e-9, atol=1e-6)
    # OpenCV counts pixels, not extent, and sums lengths in single precision.
    np.testing.assert_array_equal(got[2], [np.array(cv2.boundingRect(c)) - [0, 0, 1, 1] for c in outlines])
    np.testing.assert_allclose(table["length"], [cv2.arcLength(c, True) for c in outlines], rtol=1e-6)

@settings(max_examples=150, deadline=None, database=None, suppress_health_check=[HealthCheck.too_slow])
@given(st.lists(st.tuples(st.integers(0, 30), st.integers(0, 30)), min_size=4, max_size=10, unique=True))
def test_regularize_matches_outer_boundary_of_faces(ring):
    try:
        repaired = Region(ring).regularize()
    except BadParams:  # the outline encloses nothing (all points on a line)
        assume(False)
    # All the ring encloses: the faces of its noded linework, holes filled. (make_valid's even-odd
    # rule drops faces wound twice, as in [(1, 0), (0, 1), (1, 1), (0, 0), (0, 2)].)
    faces = unary_union(list(polygonize(unary_union(LineString(ring + ring[:1])))))
    oracle = unary_union([Polygon(p.exterior) for p in getattr(faces, "geoms", [faces])])
    assume(oracle.area > 0)
    assert repaired.area(holes=False) == pytest.approx(oracle.area, rel=1e-9) and not repaired.is_self_intersecting
    probes = [p for p in np.random.default_rng(1).uniform(-1, 31, (300, 2)) if oracle.boundary.distance(Point(p)) > 1e-6]
    np.testing.assert_array_equal(repaired.contains(np.array(probes)), [oracle.contains(Point(p)) for p in probes])

# (call given a directory holding a malformed bad.json, error, exact message or ~part or None, what it catches)
ERRORS = [
    (lambda d: Contour([(0, 0)]).centroid(), EmptyContour, "", "fewer than 2 points"),
    (lambda d: Region([(0, 0), (1, 0)]).area(), EmptyContour, "", "region of 2 points"),
    (lambda d: RegionSet().centroid(), lyncntr.EmptyRegionSet, "", "empty set"),
    (lambda d: Region(BOWTIE + [(np.nan, 1)]).regularize(), BadParams, "invalid contour", "NaN"),
    (lambda d: Region(BOWTIE + [(np.inf, 1)]).regularize(), BadParams, "invalid contour", "inf"),
    (lambda d: Region(SQUARE, holes=[[(3, 3), (5, 3), (5, 5)]]), BadParams, "holes cannot intersect region", "hole"),
    (lambda d: Region([1, 2, 3]), BadParams, "points must be an array of shape (N, 2) or (N, 1, 2)", "array shape"),
    (lambda d: Region(SQUARE, repair="fix"), BadParams, 'repair must be None, "regularize" or "outer_hull"', "repair"),
    (lambda d: lyncntr._from_archive(b"\x01"), lyncntr.ArchiveError, None, "truncated archive"),
    (lambda d: lyncntr.measure([SQUARE] * 100 + [[(0, 0), (1, 1)]] + [SQUARE] * 100), EmptyContour, None, "batch"),
    (lambda d: lyncntr.read(str(d / "bad.json")), FileError, "~bad.json:1:", "bad file named with its place"),
    (lambda d: lyncntr.read(str(d / "missing.wkt")), FileError, "~missing", "missing file"),
    (lambda d: lyncntr.read(str(d / "bad.json"), format="svg"), ValueError, "~unknown format", "unknown format"),
]

@pytest.mark.parametrize("call,cls,message,what", ERRORS, ids=[e[3] for e in ERRORS])
def test_errors_carry_class_and_message(tmp_path, call, cls, message, what):
    (tmp_path / "bad.json").write_text('{"shapes": [}')
    with pytest.raises(cls) as info:
        call(tmp_path)
    assert cls in (FileError, ValueError) or (isinstance(info.value, lyncntr.Error) and info.value.error_number > 0)
    assert message is None or (message[1:] in str(info.value) if message[:1] == "~" else str(info.value) == message)
    assert what != "batch" or info.value.index == 100  # the failing item named by its index

def test_point_forms_are_equivalent():
    for f in [np.array(SQUARE, float), np.array(SQUARE, np.int32).reshape(-1, 1, 2), SQUARE,
              np.array(SQUARE, np.float32)[::-1][::-1], np.asfortranarray(np.array(SQUARE, np.int64))]:
        np.testing.assert_array_equal(Region(f).points, np.array(SQUARE, float))
    assert Region(SQUARE).contains((1, 1)) is True and Region(SQUARE).contains(np.empty((0, 2))).shape == (0,)

@pytest.mark.parametrize("form", ["pickle", "json", "geojson", "wkt", "archive"])
def test_shapes_round_trip(tmp_path, form):
    region = Region(SQUARE, holes=[[(1, 1), (2, 1), (2, 2), (1, 2)]], label=7)
    shapes, path = [region, Contour(BOWTIE, closed=False, label=3), RegionSet([region, BOWTIE])], str(tmp_path / form)
    if form != "pickle":  # the tool's forms, on the closed shapes of the example
        shapes = [s for s in lyncntr.read("examples/data/shapes.json") if isinstance(s, (Region, RegionSet))]
        lyncntr.write(path, shapes, format=form)
    back = pickle.loads(pickle.dumps(shapes)) if form == "pickle" else lyncntr.read(path, format=form)
    assert [type(s) for s in back] == [type(s) for s in shapes]
    areas = [[s.area() for s in x if isinstance(s, (Region, RegionSet))] for x in (back, shapes)]
    assert areas[0] == pytest.approx(areas[1], rel=1e-12)
    if form == "pickle":  # keeps holes, labels, openness and points
        assert (back[0].label, len(back[0].holes), back[1].label, back[1].closed, len(back[2])) == (7, 1, 3, False, 2)
        np.testing.assert_array_equal(back[1].points, np.array(BOWTIE, float))

def test_batches_on_threads_and_dask_workers_equal_one_by_one():
    outlines = list(np.random.default_rng(5).uniform(0, 50, (40, 12, 2))) + [BOWTIE, SQUARE, np.array(BOWTIE) * 3 + 1] * 20
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None) as cluster, \
            Client(cluster) as client:
        bag = dask.bag.from_sequence(outlines, npartitions=4)
        rows, repairs = client.compute([lyncntr.dask.measure_bag(bag), lyncntr.dask.regularize_bag(bag)], sync=True)
        assert len(set(client.run(os.getpid).values())) == 2
    assert len(rows) == len(repairs) == len(outlines)
    for name, column in lyncntr.measure(outlines).items():
        np.testing.assert_array_equal([r[name] for r in rows], np.asarray(column))
    for a, b, o in zip(repairs, lyncntr.regularize_all(outlines, threads=2), outlines):
        np.testing.assert_array_equal(a.points, b.points)
        np.testing.assert_array_equal(b.points, Region(o).regularize().points)

def test_queries_release_the_gil_while_another_thread_runs_python():
    circle = Region(100 * np.c_[np.cos(t := np.linspace(0, 2 * np.pi, 2001)[:-1]), np.sin(t)])
    points, now = np.random.default_rng(3).uniform(-100, 100, (1000, 2)), time.perf_counter
    margin, window, ticks = 10 * 0.005, [], []  # ten switch intervals
    while len(points) < 1 << 22:  # a call long enough to tell, however fast the machine
        start = now()
        if circle.contains(points) is not None and now() - start > 8 * margin:
            break
        points = np.concatenate([points, points])
    worker = threading.Thread(target=lambda: window.extend([now(), circle.contains(points), now()]))
    worker.start()
    while worker.is_alive():
        ticks.append(now())
    # With the GIL held for the call this thread could not run between the worker's entering the
    # call (at most a few switch intervals after it started) and its return.
    assert any(window[0] + margin < x < window[2] - margin for x in ticks)
