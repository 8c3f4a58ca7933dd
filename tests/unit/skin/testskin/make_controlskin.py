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
