"""The module against OpenCV and Shapely on outlines traced from drawn masks."""

import cv2
import numpy as np
import pytest
from hypothesis import HealthCheck, assume, given, settings
from hypothesis import strategies as st
from shapely.geometry import LineString, Point, Polygon
from shapely.ops import polygonize, unary_union

import lyncntr
from conftest import traced

# Outlines whose inertia the library gets wrong while they run clockwise (as OpenCV traces them);
# strict, so that the fix shows up here and the entry goes.
FAR = np.array([1e6, -2e6])  # far from the origin: cancellation in the moment sums


def moments_of(outer, holes):
    """Area, centre and central moments of the outer outline minus its holes, by cv2.moments."""
    ms = [cv2.moments(c) for c in [outer] + holes]
    sign = [1.0] + [-1.0] * len(holes)
    m00 = sum(s * m["m00"] for s, m in zip(sign, ms))
    c = np.array([sum(s * m["m10"] for s, m in zip(sign, ms)), sum(s * m["m01"] for s, m in zip(sign, ms))]) / m00
    mu = ms[0]
    return m00, c, np.array([[mu["mu20"], mu["mu11"]], [mu["mu11"], mu["mu02"]]])


@pytest.mark.parametrize("reverse", [False, True], ids=["as_traced", "reversed"])
def test_moments_match_opencv(mask_name, reverse):
    outer, holes = traced(mask_name)
    area, centre, inertia = moments_of(outer, holes)
    outline = outer[::-1] if reverse else outer
    region = lyncntr.Region(outline, holes=holes)
    assert region.area() == pytest.approx(area, rel=1e-12)
    np.testing.assert_allclose(region.centroid(), centre, rtol=1e-12)
    # The same figure far away: translation changes nothing but the centre.
    far = lyncntr.Region(outline.reshape(-1, 2) + FAR, holes=[h.reshape(-1, 2) + FAR for h in holes])
    assert far.area() == pytest.approx(area, rel=1e-9)
    # Moments are taken about a local origin: a 1e6 px offset costs only its own rounding.
    np.testing.assert_allclose(far.centroid(), centre + FAR, rtol=0, atol=1e-8)
    scale = np.abs(inertia).max()
    np.testing.assert_allclose(region.inertia(holes=False), inertia, atol=1e-9 * scale)
    np.testing.assert_allclose(far.inertia(holes=False), inertia, atol=1e-9 * scale)


def test_batch_measure_matches_opencv_and_single_objects():
    outlines = [traced(n, cv2.CHAIN_APPROX_SIMPLE)[0] for n in ("ellipse", "letter_c", "ring")] * 40
    for threads in (1, 2):
        table = lyncntr.measure(outlines, threads=threads)
        for i, c in enumerate(outlines):
            m = cv2.moments(c)
            assert table["area"][i] == pytest.approx(m["m00"], rel=1e-12)
            assert (table["cx"][i], table["cy"][i]) == pytest.approx((m["m10"] / m["m00"], m["m01"] / m["m00"]), rel=1e-12)
            assert (table["ixx"][i], table["ixy"][i], table["iyy"][i]) == pytest.approx((m["mu20"], m["mu11"], m["mu02"]), rel=1e-9, abs=1e-6)
            assert (table["x"][i], table["y"][i], table["width"][i], table["height"][i]) == pytest.approx(
                np.array(cv2.boundingRect(c)) - [0, 0, 1, 1])  # OpenCV counts pixels, not extent
            assert table["length"][i] == pytest.approx(cv2.arcLength(c, True), rel=1e-6)  # OpenCV sums in float


def test_contains_and_distance_match_point_polygon_test(mask_name):
    outer, holes = traced(mask_name)
    region = lyncntr.Region(outer, holes=holes)
    pts = np.random.default_rng(7).uniform(0, 200, (4000, 2))
    d_outer = np.array([cv2.pointPolygonTest(outer, tuple(p), True) for p in pts])
    d_holes = [np.array([cv2.pointPolygonTest(h, tuple(p), True) for p in pts]) for h in holes]
    off = (np.abs(d_outer) > 1e-3) & np.all([np.abs(d) > 1e-3 for d in d_holes] or [True], axis=0)
    in_holes = np.any([d > 0 for d in d_holes], axis=0) if holes else np.zeros(len(pts), bool)
    np.testing.assert_array_equal(region.contains(pts[off], holes=False), d_outer[off] > 0)
    np.testing.assert_array_equal(region.contains(pts[off]), (d_outer > 0)[off] & ~in_holes[off])
    # OpenCV measures in single precision.
    np.testing.assert_allclose(lyncntr.Region(outer).distance(pts), np.abs(d_outer), rtol=0, atol=1e-4)


def outer_boundary_oracle(ring):
    """Everything the closed ring encloses, holes filled: the union of the faces of its noded
    linework, exteriors only. make_valid's outer rings would not do: its even-odd rule drops the
    faces wound twice, and where the faces around one meet only at corners, as in
    [(1, 0), (0, 1), (1, 1), (0, 0), (0, 2)], no exterior ring brings it back."""
    faces = unary_union(list(polygonize(unary_union(LineString(ring + ring[:1])))))
    return unary_union([Polygon(p.exterior) for p in getattr(faces, "geoms", [faces])])


@settings(max_examples=150, deadline=None, database=None, suppress_health_check=[HealthCheck.too_slow])
@given(st.lists(st.tuples(st.integers(0, 30), st.integers(0, 30)), min_size=4, max_size=10, unique=True))
def test_regularize_matches_outer_boundary_of_faces(ring):
    try:
        repaired = lyncntr.Region(ring).regularize()
    except lyncntr.BadParams:  # the outline encloses nothing (all points on a line)
        assume(False)
    oracle = outer_boundary_oracle(ring)
    assume(oracle.area > 0)
    assert repaired.area(holes=False) == pytest.approx(oracle.area, rel=1e-9)
    assert not repaired.is_self_intersecting
    probes = np.random.default_rng(1).uniform(-1, 31, (300, 2))
    off = np.array([oracle.boundary.distance(Point(p)) > 1e-6 for p in probes])
    inside = np.array([oracle.contains(Point(p)) for p in probes[off]])
    np.testing.assert_array_equal(repaired.contains(probes[off]), inside)


@pytest.mark.skipif(not hasattr(lyncntr.Contour, "min_enclosing_circle"), reason="the library has no smallest circle yet")
def test_min_enclosing_circle_matches_opencv(mask_name):
    outer, _ = traced(mask_name)
    (centre, radius), (cv_centre, cv_radius) = lyncntr.Contour(outer).min_enclosing_circle, cv2.minEnclosingCircle(outer)
    # OpenCV works in single precision and pads its radius slightly.
    assert radius == pytest.approx(cv_radius, abs=1e-3 * cv_radius)
    np.testing.assert_allclose(centre, cv_centre, atol=1e-2)
