#!/usr/bin/env python3
"""Draws the pictures of the value-control tests' skins: combo box frames, buttons and
arrow glyphs, up-down faces and glyphs, progress bars and track-bar thumbs in flat
colours, one colour per frame, so that a test can tell each frame by one pixel.

    python3 tests/unit/skin/testskin/make_valueskin.py

Writes the pictures beside this script; controls-v.ini, members-v.txt and the value
sections of controls-c.ini are kept by hand. Magenta (255, 0, 255) is the key colour.
"""
from make_testskin import KEY, flat, save, side_by_side

# Combo box buttons: four frames of 12 x 16 (rest, pressed, disabled, hot or focused),
# each with a dark band on its left side, so that the mirrored picture of right-to-left
# boxes shows the band on the right.
COMBO = [(230, 120, 20), (20, 120, 230), (140, 140, 100), (230, 20, 120)]
COMBO_BAND = (40, 20, 0)


def combo(body):
    f = flat(12, 16, body)
    for row in f:
        row[0:2] = [COMBO_BAND] * 2
    return f


save("vcombo.bmp", side_by_side(*(combo(c) for c in COMBO)))

# The box frame: four frames of 12 x 12 with an edge of 3 pixels per frame colour
# around one shared centre.
SUNK = [(0, 60, 120), (120, 0, 60), (60, 60, 60), (0, 120, 60)]
SUNK_CENTRE = (250, 240, 230)


def sunk(edge):
    f = flat(12, 12, edge)
    for y in range(3, 9):
        for x in range(3, 9):
            f[y][x] = SUNK_CENTRE
    return f


save("vsunk.bmp", side_by_side(*(sunk(c) for c in SUNK)))

# Arrow glyphs: five frames of 7 x 4 (the fifth is the size grip), magenta around a
# narrowing arrow.
ARROWS = [(255, 255, 255), (255, 255, 0), (0, 0, 0), (0, 255, 255), (90, 90, 90)]


def arrow(c):
    f = flat(7, 4, KEY)
    for y in range(4):
        for x in range(y, 7 - y):
            f[y][x] = c
    return f


save("varrows.bmp", side_by_side(*(arrow(c) for c in ARROWS)))

# Up-down faces: eight frames of 10 x 10 (four states of the up or left half, then four
# of the down or right half), and glyphs of 4 x 3 with a magenta corner.
UPDOWN = [(200, 0, 0), (0, 200, 0), (0, 0, 200), (200, 200, 0),
          (200, 0, 200), (0, 200, 200), (100, 50, 0), (0, 50, 100)]
GLYPH = [(255, 128, 0), (128, 255, 0), (0, 128, 255), (255, 0, 128),
         (128, 0, 255), (0, 255, 128), (255, 255, 128), (128, 255, 255)]


def glyph(c):
    f = flat(4, 3, c)
    f[0][0] = KEY
    return f


save("vupdown.bmp", side_by_side(*(flat(10, 10, c) for c in UPDOWN)))
save("vglyph.bmp", side_by_side(*(glyph(c) for c in GLYPH)))

# Progress bar: two frames of 12 x 8 (empty bar, filled part), each with ends of 3
# pixels in a darker shade.
def bar(body, end):
    f = flat(12, 8, body)
    for row in f:
        row[0:3] = [end] * 3
        row[9:12] = [end] * 3
    return f


save("vprogress.bmp", side_by_side(bar((220, 230, 240), (20, 30, 40)),
                                   bar((40, 180, 90), (10, 60, 30))))

# Track-bar thumbs: five frames each; the control shows frame 2. Horizontal bars get
# 8 x 14 thumbs, vertical ones 14 x 8, both with magenta corners.
THUMB_H = [(1, 1, 1), (250, 100, 0), (2, 2, 2), (3, 3, 3), (4, 4, 4)]
THUMB_V = [(1, 1, 1), (0, 100, 250), (2, 2, 2), (3, 3, 3), (4, 4, 4)]


def thumb(w, h, c):
    f = flat(w, h, c)
    f[0][0] = f[0][w - 1] = KEY
    return f


save("vthumbh.bmp", side_by_side(*(thumb(8, 14, c) for c in THUMB_H)))
save("vthumbv.bmp", side_by_side(*(thumb(14, 8, c) for c in THUMB_V)))

# The block look of the control skin: one bar frame of 10 x 8 with ends of 2 pixels,
# and a chunk of 5 x 6 whose last column is magenta (the gap between blocks).
cbar = flat(10, 8, (235, 225, 200))
for row in cbar:
    row[0:2] = [(90, 60, 30)] * 2
    row[8:10] = [(90, 60, 30)] * 2
save("cprogress.bmp", cbar)
chunk = flat(5, 6, (160, 40, 200))
for row in chunk:
    row[4] = KEY
save("cchunk.bmp", chunk)
