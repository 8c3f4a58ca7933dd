#!/usr/bin/env python3
"""Draws the scroll-bar pictures of the scroll-bar tests' skin in flat colours, one per
frame, so that a test can tell from one pixel which frame of which picture a bar shows.

    python3 tests/unit/skin/testskin/make_scrollskin.py

Writes the pictures beside this script; scroll-s.ini and members-s.txt are kept by hand.
Magenta (255, 0, 255) is the key colour.
"""
from make_testskin import KEY, flat, save, side_by_side


def arrow_colour(k):
    """Frame k (from 1) of the 23-frame arrow strip."""
    return (10 * k, 200, 255 - 10 * k)


# Arrows: 23 frames of 10 x 10, each one colour with a magenta corner.
def arrow(k):
    f = flat(10, 10, arrow_colour(k))
    f[0][0] = KEY
    return f


save("sarrows.bmp", side_by_side(*(arrow(k) for k in range(1, 24))))


# Tracks: four frames of 12 x 12 with fixed ends of 3 pixels along the bar.
def track(body, edge, vertical):
    f = flat(12, 12, body)
    for i in range(12):
        for j in range(3):
            if vertical:
                f[j][i] = f[11 - j][i] = edge
            else:
                f[i][j] = f[i][11 - j] = edge
    return f


TRACKS = [((40, 40, 160), (20, 20, 80)), ((40, 160, 40), (20, 80, 20)),
          ((160, 40, 40), (80, 20, 20)), ((160, 160, 40), (80, 80, 20))]
save("shtrack.bmp", side_by_side(*(track(b, e, False) for b, e in TRACKS)))
save("svtrack.bmp", side_by_side(*(track(b, e, True) for b, e in TRACKS)))


# Thumbs: three frames (normal, pressed, hot) of 14 long and 12 thick, fixed ends of 4
# pixels in a darker shade, magenta corners.
def thumb(body, edge, vertical):
    w, h = (12, 14) if vertical else (14, 12)
    f = flat(w, h, body)
    for y in range(h):
        for x in range(w):
            along = y if vertical else x
            if along < 4 or along >= 10:
                f[y][x] = edge
    f[0][0] = f[0][w - 1] = f[h - 1][0] = f[h - 1][w - 1] = KEY
    return f


THUMBS = [((230, 120, 0), (110, 60, 0)), ((120, 230, 0), (60, 110, 0)),
          ((0, 120, 230), (0, 60, 110))]
save("shthumb.bmp", side_by_side(*(thumb(b, e, False) for b, e in THUMBS)))
save("svthumb.bmp", side_by_side(*(thumb(b, e, True) for b, e in THUMBS)))

# Header items: five frames of 10 x 10, edges of 2 pixels.
HEADERS = [(250, 230, 200), (200, 230, 250), (230, 250, 200), (250, 200, 230), (220, 220, 220)]


def header(body):
    f = flat(10, 10, (60, 60, 60))
    for y in range(2, 8):
        for x in range(2, 8):
            f[y][x] = body
    return f


save("sheader.bmp", side_by_side(*(header(b) for b in HEADERS)))
