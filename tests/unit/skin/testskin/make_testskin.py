#!/usr/bin/env python3
"""Draws the small test skin of the frame tests: flat colours, so that a test can tell
every piece of the frame by one pixel, and frame sizes unlike the program's skin.

    python3 tests/unit/skin/testskin/make_testskin.py

Writes the pictures beside this script; the settings texts and member lists are kept
by hand. Magenta (255, 0, 255) is the key colour.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
KEY = (255, 0, 255)


def save(name, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        data += line + b"\0" * (stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(header + info + data)


def flat(w, h, c):
    return [[c] * w for _ in range(h)]


def side_by_side(*frames):
    return [sum((f[y] for f in frames), []) for y in range(len(frames[0]))]


def stacked(*frames):
    return [row for f in frames for row in f]


# Left border: frames 6 wide side by side, 40 high; the three top-left pixels are cut
# out (the window's rounded corner), the rest is one colour per frame.
def left_frame(c):
    f = flat(6, 40, c)
    f[0][0] = f[0][1] = f[1][0] = KEY
    return f


save("left.bmp", side_by_side(left_frame((200, 30, 30)), left_frame((120, 60, 60))))
# Right border: one frame 5 wide.
save("right.bmp", flat(5, 40, (30, 160, 30)))
# Title: two frames 22 high stacked (active, inactive), with a darker fixed end at
# each side (3 pixels, the margins).
def title_frame(body, end):
    f = flat(40, 22, body)
    for row in f:
        row[0:3] = [end] * 3
        row[37:40] = [end] * 3
    return f


save("top.bmp", stacked(title_frame((30, 30, 200), (10, 10, 90)),
                        title_frame((90, 90, 130), (40, 40, 60))))
# Bottom border: two frames 7 high stacked.
save("bottom.bmp", stacked(flat(20, 7, (200, 200, 30)), flat(20, 7, (130, 130, 60))))
# Caption background: two frames 10 high stacked, ends 3 pixels.
def pill(c):
    f = flat(12, 10, c)
    for row in f:
        row[0] = row[11] = KEY
    return f


save("textback.bmp", stacked(pill((0, 110, 110)), pill((70, 70, 70))))
# Close and minimise buttons: four frames of 18 x 16 (normal, pressed, hot, inactive).
save("close.bmp", side_by_side(flat(18, 16, (250, 120, 0)), flat(18, 16, (150, 60, 0)),
                               flat(18, 16, (255, 190, 90)), flat(18, 16, (160, 140, 120))))
save("min.bmp", side_by_side(flat(18, 16, (0, 200, 250)), flat(18, 16, (0, 100, 150)),
                             flat(18, 16, (120, 230, 255)), flat(18, 16, (120, 150, 160))))
# A member that is present but not a picture at all.
with open(os.path.join(HERE, "empty.bmp"), "wb") as f:
    pass
# Menu background: 40 x 40, a 3-pixel border of one colour around a body of another.
def menu_background():
    f = flat(40, 40, (240, 230, 200))
    for y in range(40):
        for x in range(40):
            if x < 3 or y < 3 or x >= 37 or y >= 37:
                f[y][x] = (90, 40, 120)
    return f


save("menubg.bmp", menu_background())
# Menu item: five frames of 20 x 12 (normal, separator, disabled, selected, pressed),
# 2-pixel ends; the corners are magenta (transparent). The separator frame's bottom
# rows are a line of its own colour with darker ends.
def item_frame(body, end):
    f = flat(20, 12, body)
    for row in f:
        row[0:2] = [end] * 2
        row[18:20] = [end] * 2
    f[0][0] = f[0][19] = f[11][0] = f[11][19] = KEY
    return f


separator = flat(20, 12, KEY)
for y in range(8, 12):
    separator[y] = [(0, 90, 0)] * 2 + [(0, 160, 0)] * 16 + [(0, 90, 0)] * 2
save("menuitem.bmp", side_by_side(item_frame((250, 250, 250), (200, 200, 200)), separator,
                                  item_frame((210, 210, 210), (180, 180, 180)),
                                  item_frame((255, 140, 20), (160, 80, 0)),
                                  item_frame((120, 60, 10), (60, 30, 0))))
# Menu bar: two frames of 30 x 18 stacked (active, inactive), with 2-pixel darker ends.
def bar_frame(body, end):
    f = flat(30, 18, body)
    for row in f:
        row[0:2] = [end] * 2
        row[28:30] = [end] * 2
    return f


save("menubar.bmp", stacked(bar_frame((170, 210, 240), (40, 80, 120)),
                            bar_frame((190, 150, 200), (100, 70, 110))))
# A maximised MDI child's minimise, restore and close buttons: one strip of three
# buttons of four frames each (normal, pressed, hot, inactive), 12 x 10, the top-left
# corner of each frame magenta.
def mdi_frame(c):
    f = flat(12, 10, c)
    f[0][0] = KEY
    return f


save("mdi.bmp", side_by_side(*[mdi_frame(c) for c in (
    (40, 200, 90), (20, 100, 45), (120, 240, 160), (90, 120, 100),
    (200, 60, 160), (100, 30, 80), (240, 140, 210), (130, 100, 120),
    (230, 30, 30), (115, 15, 15), (250, 130, 130), (140, 90, 90))]))
