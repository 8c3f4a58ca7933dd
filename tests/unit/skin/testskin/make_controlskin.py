#!/usr/bin/env python3
"""Draws the pictures of the skinned-control tests' skin: push buttons, check and radio
glyphs and status-bar panels in flat colours, with sizes unlike the program's skin, so
that a test can tell each frame by one pixel.

    python3 tests/unit/skin/testskin/make_controlskin.py

Writes the pictures beside this script; controls-c.ini and members-c.txt are kept by
hand. Magenta (255, 0, 255) is the key colour.
"""
from make_testskin import KEY, flat, save, side_by_side


# Push buttons: five frames of 16 x 12 (rest, pressed, disabled, hot or focused,
# default), an edge of 3 pixels in another shade and magenta corners.
def button(body, edge):
    f = flat(16, 12, edge)
    for y in range(3, 9):
        for x in range(3, 13):
            f[y][x] = body
    f[0][0] = f[0][15] = f[11][0] = f[11][15] = KEY
    return f


BUTTONS = [((10, 200, 10), (0, 90, 0)), ((200, 10, 10), (90, 0, 0)),
           ((120, 120, 120), (60, 60, 60)), ((10, 10, 200), (0, 0, 90)),
           ((200, 200, 10), (90, 90, 0))]
save("cbuttons.bmp", side_by_side(*(button(b, e) for b, e in BUTTONS)))

# Check glyphs: four frames of 11 x 11 (unchecked, checked, disabled, disabled checked)
# with a magenta corner.
def glyph(w, c):
    f = flat(w, w, c)
    f[0][0] = KEY
    return f


CHECKS = [(0, 150, 150), (150, 0, 150), (150, 150, 0), (0, 0, 0)]
save("ccheck.bmp", side_by_side(*(glyph(11, c) for c in CHECKS)))
# Radio glyphs: five frames of 9 x 9.
RADIOS = [(30, 60, 90), (90, 60, 30), (60, 90, 30), (30, 90, 60), (90, 30, 60)]
save("cradio.bmp", side_by_side(*(glyph(9, c) for c in RADIOS)))

# Status-bar panels: three frames of 8 x 8 (lowered, raised, flat), edges of 2 pixels.
def panel(body, edge):
    f = flat(8, 8, edge)
    for y in range(2, 6):
        for x in range(2, 6):
            f[y][x] = body
    return f


save("cstatus.bmp", side_by_side(panel((250, 250, 210), (40, 80, 120)),
                                 panel((210, 250, 250), (120, 80, 40)),
                                 panel((250, 210, 250), (80, 120, 40))))

# Tabs: five frames of 12 x 10 (normal, focused, and three the tab controls do not use),
# each with its outer edge (the top 3 rows) in one colour, its left 3 columns below that
# in another and the rest in a third, so that a test can tell how a tab was turned; the
# top-left pixel is magenta. The sheet border is 16 x 16 with each edge in its own colour.
def tab(edge, side, body):
    f = flat(12, 10, body)
    for y in range(10):
        for x in range(12):
            if y < 3:
                f[y][x] = edge
            elif x < 3:
                f[y][x] = side
    f[0][0] = KEY
    return f


TABS = [((200, 40, 40), (40, 40, 200), (240, 200, 80)),
        ((40, 160, 40), (160, 40, 160), (230, 160, 60)),
        ((90, 90, 90), (90, 90, 90), (90, 90, 90)),
        ((110, 110, 110), (110, 110, 110), (110, 110, 110)),
        ((130, 130, 130), (130, 130, 130), (130, 130, 130))]
save("ctabs.bmp", side_by_side(*(tab(*c) for c in TABS)))


def sheet_border():
    f = flat(16, 16, (128, 128, 128))
    for y in range(16):
        for x in range(16):
            if y < 5:
                f[y][x] = (0, 200, 200)
            elif y >= 12:
                f[y][x] = (0, 100, 0)
            elif x < 4:
                f[y][x] = (200, 100, 0)
            elif x >= 12:
                f[y][x] = (100, 0, 200)
    return f


save("ctabborder.bmp", sheet_border())
