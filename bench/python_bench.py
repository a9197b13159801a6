#!/usr/bin/env python3
"""Same-run ratios of the Python module against OpenCV and Shapely (best of several runs each).

    PYTHONPATH=build/release/python /usr/bin/python3 bench/python_bench.py

Rows: lyncntr.measure on 10^4 outlines of 50 vertices (OpenCV int32 (N, 1, 2) arrays) against a
Python loop over cv2.contourArea + cv2.moments; Region.contains on 10^5 points against Shapely's
vectorised prepared-geometry test. A ratio below 1 means lyncntr is faster.
"""

import os
import time

import cv2
import numpy as np
import shapely.vectorized
from shapely.geometry import Polygon

import lyncntr

REPEATS = 5


def best(f):
    times = []
    for _ in range(REPEATS):
        start = time.perf_counter()
        f()
        times.append(time.perf_counter() - start)
    return min(times)


def outline(rng, n, radius):
    t = np.sort(rng.uniform(0, 2 * np.pi, n))
    r = radius * rng.uniform(0.6, 1.0, n)
    return np.stack([1000 + r * np.cos(t), 1000 + r * np.sin(t)], 1)


def main():
    rng = np.random.default_rng(11)
    contours = [np.round(outline(rng, 50, 200)).astype(np.int32).reshape(-1, 1, 2) for _ in range(10_000)]

    def opencv_loop():
        for c in contours:
            cv2.contourArea(c)
            cv2.moments(c)

    rows = [("measure 10^4 x 50 vertices, all cores", best(lambda: lyncntr.measure(contours)), best(opencv_loop), "cv2 loop"),
            ("measure 10^4 x 50 vertices, 1 thread", best(lambda: lyncntr.measure(contours, threads=1)), best(opencv_loop),
             "cv2 loop")]
    points = rng.uniform(700, 1300, (100_000, 2))
    for n in (50, 1000):
        ring = outline(rng, n, 300)
        region, polygon = lyncntr.Region(ring), Polygon(ring)
        ours = region.contains(points)
        theirs = shapely.vectorized.contains(polygon, points[:, 0], points[:, 1])
        assert (ours == theirs).mean() > 0.999
        rows.append((f"contains 10^5 points, {n} vertices", best(lambda: region.contains(points)),
                     best(lambda: shapely.vectorized.contains(polygon, points[:, 0], points[:, 1])), "shapely.vectorized"))
    print(f"cores: {os.cpu_count()}, best of {REPEATS}")
    print(f"| case | lyncntr (ms) | peer (ms) | peer | ratio |\n|---|---|---|---|---|")
    for name, ours, theirs, peer in rows:
        print(f"| {name} | {ours * 1e3:.1f} | {theirs * 1e3:.1f} | {peer} | {ours / theirs:.2f} |")


if __name__ == "__main__":
    main()
