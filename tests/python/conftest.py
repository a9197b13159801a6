"""Masks drawn and traced with OpenCV, shared by the tests."""

import cv2
import numpy as np
import pytest

# name -> drawing on a 200 x 200 mask. Outer contours traced by OpenCV run clockwise in numeric
# (y up) terms; the holes of RETR_CCOMP run counter-clockwise.
def _ellipse(m):
    cv2.ellipse(m, (100, 90), (70, 35), 30, 0, 360, 255, -1)


def _star(m):
    t = np.linspace(0, 2 * np.pi, 15)[:-1]
    r = np.where(np.arange(14) % 2, 35, 85)
    cv2.fillPoly(m, [np.stack([100 + r * np.cos(t), 100 + r * np.sin(t)], 1).astype(np.int32)], 255)


def _ring(m):
    cv2.circle(m, (100, 100), 80, 255, -1)
    cv2.rectangle(m, (60, 70), (130, 120), 0, -1)


def _letter_c(m):  # not star-shaped, no hole
    cv2.circle(m, (100, 100), 70, 255, -1)
    cv2.circle(m, (120, 100), 45, 0, -1)


MASKS = {"ellipse": _ellipse, "star": _star, "ring": _ring, "letter_c": _letter_c}


def traced(name, approx=cv2.CHAIN_APPROX_NONE):
    """(outer, holes): OpenCV int32 (N, 1, 2) arrays of the largest component and its holes."""
    m = np.zeros((200, 200), np.uint8)
    MASKS[name](m)
    contours, hierarchy = cv2.findContours(m, cv2.RETR_CCOMP, approx)
    outer = max((i for i, h in enumerate(hierarchy[0]) if h[3] < 0), key=lambda i: len(contours[i]))
    holes = [contours[i] for i, h in enumerate(hierarchy[0]) if h[3] == outer]
    return contours[outer], holes


@pytest.fixture(params=sorted(MASKS))
def mask_name(request):
    return request.param
