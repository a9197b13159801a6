#!/usr/bin/env python3
"""Masks to measured regions: draw two masks, trace them with OpenCV (holes included), build
lyncntr regions straight from OpenCV's arrays, measure them, repair a self-crossing outline, and
write a picture of it all.

    PYTHON=/usr/bin/python3; $PYTHON examples/python/masks.py [out.png]
"""

import sys

import cv2
import numpy as np

import lyncntr


def draw_masks():
    plate = np.zeros((240, 320), np.uint8)
    cv2.rectangle(plate, (20, 20), (150, 140), 255, -1)
    cv2.circle(plate, (85, 80), 30, 0, -1)  # a hole
    cv2.ellipse(plate, (240, 170), (60, 35), -20, 0, 360, 255, -1)
    return plate


def regions_from(mask):
    # RETR_CCOMP: outer outlines at the top level, their holes one level down.
    contours, hierarchy = cv2.findContours(mask, cv2.RETR_CCOMP, cv2.CHAIN_APPROX_SIMPLE)
    links = hierarchy[0]
    return [lyncntr.Region(c, holes=[contours[j] for j in range(len(contours)) if links[j][3] == i], label=i)
            for i, c in enumerate(contours) if links[i][3] < 0]


def main(out="masks.png"):
    mask = draw_masks()
    regions = regions_from(mask)
    table = lyncntr.measure(regions)
    print(table)
    # A hand-drawn outline that crosses itself, and its repair.
    scribble = lyncntr.Region([(180, 30), (300, 110), (300, 30), (180, 110), (240, 60)])
    fixed = scribble.regularize()
    print(f"scribble crosses itself: {scribble.is_self_intersecting}; "
          f"repaired area {fixed.area():.1f}, crosses itself: {fixed.is_self_intersecting}")

    picture = cv2.cvtColor(mask // 3, cv2.COLOR_GRAY2BGR)
    for r in regions:
        cv2.polylines(picture, [np.round(r.points).astype(np.int32)], True, (255, 160, 0), 1)
        for h in r.holes:
            cv2.polylines(picture, [np.round(h.points).astype(np.int32)], True, (0, 160, 255), 1)
        cx, cy = r.centroid()
        cv2.drawMarker(picture, (int(round(cx)), int(round(cy))), (0, 255, 0), cv2.MARKER_CROSS, 8)
        (ex, ey), (r1, r2), angle, _ = r.fit_ellipse()
        cv2.ellipse(picture, (int(ex), int(ey)), (int(r1), int(r2)), np.degrees(angle), 0, 360, (0, 255, 0), 1)
    cv2.polylines(picture, [np.round(scribble.points).astype(np.int32)], True, (128, 128, 128), 1)
    cv2.polylines(picture, [np.round(fixed.points).astype(np.int32)], True, (0, 0, 255), 2)
    cv2.imwrite(out, picture)
    print("wrote", out)


if __name__ == "__main__":
    main(*sys.argv[1:])
