"""The module's own behaviour: input forms, errors, pickling, batches and the GIL."""

import pickle
import threading
import time

import numpy as np
import pytest

import lyncntr

SQUARE = [(0, 0), (4, 0), (4, 4), (0, 4)]
BOWTIE = [(0, 0), (2, 2), (2, 0), (0, 2)]


def test_point_forms_are_equivalent():
    forms = [np.array(SQUARE, float), np.array(SQUARE, np.int32).reshape(-1, 1, 2), SQUARE,
             np.array(SQUARE, np.float32)[::-1][::-1], np.asfortranarray(np.array(SQUARE, np.int64))]
    for f in forms:
        np.testing.assert_array_equal(lyncntr.Region(f).points, np.array(SQUARE, float))
    assert lyncntr.Region(SQUARE).contains((1, 1)) is True
    assert lyncntr.Region(SQUARE).contains(np.empty((0, 2))).shape == (0,)


# (call, error class, message, what it catches)
ERRORS = [
    (lambda: lyncntr.Contour([(0, 0)]).centroid(), lyncntr.EmptyContour, "", "fewer than 2 points"),
    (lambda: lyncntr.Region([(0, 0), (1, 0)]).area(), lyncntr.EmptyContour, "", "region of 2 points"),
    (lambda: lyncntr.RegionSet().centroid(), lyncntr.EmptyRegionSet, "", "empty set"),
    (lambda: lyncntr.Region(BOWTIE + [(np.nan, 1)]).regularize(), lyncntr.BadParams, "invalid contour",
     "NaN vertex in a crossing outline"),
    (lambda: lyncntr.Region(SQUARE, holes=[[(3, 3), (5, 3), (5, 5)]]), lyncntr.BadParams,
     "holes cannot intersect region", "hole crossing the outline"),
    (lambda: lyncntr.Region(BOWTIE + [(np.inf, 1)]).regularize(), lyncntr.BadParams, "invalid contour",
     "coordinate not finite"),
    (lambda: lyncntr.Region([1, 2, 3]), lyncntr.BadParams, "points must be an array of shape (N, 2) or (N, 1, 2)",
     "wrong array shape"),
    (lambda: lyncntr.Region(SQUARE, repair="fix"), lyncntr.BadParams,
     'repair must be None, "regularize" or "outer_hull"', "unknown repair"),
    (lambda: lyncntr._from_archive(b"\x01"), lyncntr.ArchiveError, None, "truncated archive"),
]


@pytest.mark.parametrize("call,cls,message,_", ERRORS, ids=[e[3] for e in ERRORS])
def test_errors_carry_class_and_message(call, cls, message, _):
    with pytest.raises(cls) as info:
        call()
    assert isinstance(info.value, lyncntr.Error) and info.value.error_number > 0
    if message is not None:
        assert str(info.value) == message


def test_pickle_round_trip_keeps_holes_label_and_kind():
    region = lyncntr.Region(SQUARE, holes=[[(1, 1), (2, 1), (2, 2), (1, 2)]], label=7)
    shapes = [region, lyncntr.Contour(BOWTIE, closed=False, label=3), lyncntr.RegionSet([region, BOWTIE])]
    back = pickle.loads(pickle.dumps(shapes))
    assert [type(s) for s in back] == [type(s) for s in shapes]
    assert back[0].label == 7 and back[0].area() == 15.0 and len(back[0].holes) == 1
    assert back[1].label == 3 and not back[1].closed
    np.testing.assert_array_equal(back[1].points, np.array(BOWTIE, float))
    assert back[2].area() == shapes[2].area() and len(back[2]) == 2


def test_batch_failure_names_the_item():
    with pytest.raises(lyncntr.EmptyContour) as info:
        lyncntr.measure([SQUARE] * 100 + [[(0, 0), (1, 1)]] + [SQUARE] * 100)
    assert info.value.index == 100


def test_regularize_all_equals_one_by_one():
    items = [BOWTIE, SQUARE, np.array(BOWTIE) * 3 + 1] * 50
    together = lyncntr.regularize_all(items, threads=2)
    for item, r in zip(items, together):
        np.testing.assert_array_equal(r.points, lyncntr.Region(item).regularize().points)


def test_queries_release_the_gil_while_another_thread_runs_python():
    t = np.linspace(0, 2 * np.pi, 2001)[:-1]
    circle = lyncntr.Region(np.c_[np.cos(t), np.sin(t)] * 100)
    points = np.random.default_rng(3).uniform(-100, 100, (1000, 2))
    margin = 10 * 0.005  # ten switch intervals
    while len(points) < 1 << 22:  # a call long enough to tell, however fast the machine
        start = time.perf_counter()
        circle.contains(points)
        if time.perf_counter() - start > 8 * margin:
            break
        points = np.concatenate([points, points])
    window = {}

    def query():
        window["start"] = time.perf_counter()
        circle.contains(points)
        window["end"] = time.perf_counter()

    worker = threading.Thread(target=query)
    ticks = []
    worker.start()
    while worker.is_alive():
        ticks.append(time.perf_counter())
    worker.join()
    # With the GIL held for the call this thread could not run between the worker's entering the
    # call (at most a few switch intervals after `start`) and its return.
    assert any(window["start"] + margin < x < window["end"] - margin for x in ticks)


@pytest.mark.parametrize("form", ["json", "geojson", "wkt", "archive"])
def test_files_round_trip_through_the_tools_forms(tmp_path, form):
    shapes = lyncntr.read("examples/data/shapes.json")
    closed = [s for s in shapes if isinstance(s, (lyncntr.Region, lyncntr.RegionSet))]
    path = tmp_path / f"shapes.{form}"
    lyncntr.write(str(path), closed, format=form)
    again = lyncntr.read(str(path))
    assert [type(s) for s in again] == [type(s) for s in closed]
    for before, after in zip(closed, again):
        assert after.area() == pytest.approx(before.area(), rel=1e-12)


def test_file_errors_name_the_file_and_position(tmp_path):
    bad = tmp_path / "bad.json"
    bad.write_text('{"shapes": [}')
    with pytest.raises(lyncntr.FileError, match=r"bad\.json:1:"):
        lyncntr.read(str(bad))
    with pytest.raises(lyncntr.FileError, match="missing"):
        lyncntr.read(str(tmp_path / "missing.wkt"))
    with pytest.raises(ValueError, match="unknown format"):
        lyncntr.read(str(bad), format="svg")
