#!/usr/bin/env python3
"""Draws the default skin "Slate Blue": every picture of skins/default, its settings
text skin.ini, the archive order members.txt, and the program's 1-bit menu glyph
picture skin/res/menuglyphs.bmp.

    python3 skins/generate_default.py        (from the repository root; Python 3 only)

The outputs are committed; the build packs what is in skins/default, so run this again
after changing it and commit the result.

Pictures are strips of equal frames. Magenta (255, 0, 255) is the key colour: such
pixels are transparent and are cut out of window outlines. Edges that meet magenta are
smoothed against the colour that shows through there (the face colour, or the title
bar), never against magenta itself.
"""
import math
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "skins", "default")

KEY = (255, 0, 255)
WHITE = (255, 255, 255)
FACE = (241, 245, 249)          # window face
INK = (15, 23, 42)              # text
SLATE300 = (203, 213, 225)
SLATE200 = (226, 232, 240)
SLATE400 = (148, 163, 184)
SLATE500 = (100, 116, 139)
SLATE600 = (71, 85, 105)
SLATE700 = (51, 65, 85)
ACCENT = (37, 99, 235)          # blue
ACCENT_DARK = (29, 78, 216)
ACCENT_DEEP = (30, 64, 175)
ACCENT_LIGHT = (59, 130, 246)
ACCENT_PALE = (219, 234, 254)
ACCENT_MIST = (239, 246, 255)
ACCENT_SOFT = (147, 197, 253)
ROSE = (225, 29, 72)
ROSE_DARK = (190, 18, 60)

TITLE_H = 30
TITLE_ACTIVE = ((43, 108, 238), (29, 78, 216))      # top and bottom of the gradient
TITLE_INACTIVE = ((176, 188, 204), (148, 163, 184))
OUTLINE_ACTIVE = (30, 58, 138)
OUTLINE_INACTIVE = (120, 134, 156)


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def title_colour(row, colours, height=TITLE_H):
    return mix(colours[0], colours[1], row / (height - 1))


class Canvas:
    def __init__(self, w, h, fill=KEY):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def get(self, x, y):
        return self.px[y][x]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def blend(self, x, y, c, a, under=None):
        if not (0 <= x < self.w and 0 <= y < self.h) or a <= 0:
            return
        base = self.px[y][x]
        if base == KEY:
            if a >= 0.999:
                self.px[y][x] = c
                return
            if under is None:
                # Mostly outside the shape: stay transparent rather than turn pink.
                if a >= 0.5:
                    self.px[y][x] = c
                return
            base = under(x, y) if callable(under) else under
        self.px[y][x] = mix(base, c, min(a, 1.0))

    def rect(self, x0, y0, x1, y1, c):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = c

    def shape(self, box, inside, c, under=None, ss=4):
        """Fills the pixels of box (x0, y0, x1, y1) by their coverage of inside(x, y)."""
        x0, y0, x1, y1 = box
        for y in range(max(0, int(math.floor(y0))), min(self.h, int(math.ceil(y1)))):
            for x in range(max(0, int(math.floor(x0))), min(self.w, int(math.ceil(x1)))):
                n = 0
                for sy in range(ss):
                    for sx in range(ss):
                        if inside(x + (sx + 0.5) / ss, y + (sy + 0.5) / ss):
                            n += 1
                if n:
                    self.blend(x, y, c, n / (ss * ss), under)

    def paste(self, other, ox, oy):
        for y in range(other.h):
            for x in range(other.w):
                self.put(ox + x, oy + y, other.px[y][x])

    def transposed(self):
        t = Canvas(self.h, self.w)
        for y in range(self.h):
            for x in range(self.w):
                t.px[x][y] = self.px[y][x]
        return t

    def mirrored(self):
        m = Canvas(self.w, self.h)
        for y in range(self.h):
            m.px[y] = list(reversed(self.px[y]))
        return m

    def save(self, name):
        stride = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            row = bytearray()
            for r, g, b in self.px[y]:
                row += bytes((b, g, r))
            row += b"\0" * (stride - len(row))
            data += row
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(header + info + data)


def strip(frames, vertical=False):
    """Frames side by side (or stacked) in one canvas."""
    w, h = frames[0].w, frames[0].h
    c = Canvas(w if vertical else w * len(frames), h * len(frames) if vertical else h)
    for i, f in enumerate(frames):
        c.paste(f, 0 if vertical else i * w, i * h if vertical else 0)
    return c


# Shape tests --------------------------------------------------------------------------

def in_round_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if x < x0 or x > x1 or y < y0 or y > y1:
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def in_ring(outer, inner):
    return lambda x, y: outer(x, y) and not inner(x, y)


def in_circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_segment(ax, ay, bx, by, w):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= (w / 2) ** 2
    return inside


def in_polyline(points, w):
    segs = [in_segment(*points[i], *points[i + 1], w) for i in range(len(points) - 1)]
    return lambda x, y: any(s(x, y) for s in segs)


def any_of(*tests):
    return lambda x, y: any(t(x, y) for t in tests)


def framed_box(w, h, r, fill, border, under, border_width=1.0):
    """A rounded box with a border, smoothed against `under`."""
    c = Canvas(w, h)
    c.shape((0, 0, w, h), in_round_rect(0, 0, w, h, r), border, under)
    c.shape((0, 0, w, h), in_round_rect(border_width, border_width, w - border_width,
                                        h - border_width, max(r - border_width, 0)), fill)
    return c


def chevron(c, cx, cy, size, direction, colour, under, width=1.6):
    s = size / 2
    pts = {
        "down": [(cx - s, cy - s / 2), (cx, cy + s / 2), (cx + s, cy - s / 2)],
        "up": [(cx - s, cy + s / 2), (cx, cy - s / 2), (cx + s, cy + s / 2)],
        "left": [(cx + s / 2, cy - s), (cx - s / 2, cy), (cx + s / 2, cy + s)],
        "right": [(cx - s / 2, cy - s), (cx + s / 2, cy), (cx - s / 2, cy + s)],
    }[direction]
    c.shape((0, 0, c.w, c.h), in_polyline(pts, width), colour, under)


# Window frame ------------------------------------------------------------------------

def corner_cut(x, y, r):
    """True for pixels outside a rounded corner of radius r at the top-left."""
    if x >= r or y >= r:
        return False
    return (r - x - 0.5) ** 2 + (r - y - 0.5) ** 2 > r * r


def title_frame(colours, width=64):
    c = Canvas(width, TITLE_H)
    for y in range(TITLE_H):
        c.rect(0, y, width, y + 1, title_colour(y, colours))
    # A hairline of light along the top and a darker seam above the client area.
    c.rect(0, 0, width, 1, mix(title_colour(0, colours), WHITE, 0.25))
    c.rect(0, TITLE_H - 1, width, TITLE_H, mix(title_colour(TITLE_H - 1, colours), INK, 0.25))
    # Rounded top corners continue those of the side borders (radius 7, 4 of it there).
    for y in range(8):
        for x in range(4):
            if corner_cut(x + 4, y, 7):
                c.put(x, y, KEY)
                c.put(width - 1 - x, y, KEY)
    return c


def side_frame(colours, outline, height=40):
    """The left border: title-coloured beside the caption, then a thin outline."""
    c = Canvas(4, height)
    for y in range(height):
        if y < TITLE_H:
            col = title_colour(y, colours)
            c.rect(0, y, 4, y + 1, col)
            c.put(0, y, mix(col, outline, 0.6))
        else:
            c.rect(0, y, 4, y + 1, FACE)
            c.put(0, y, outline)
            c.put(1, y, mix(outline, FACE, 0.7))
    c.rect(0, 0, 4, 1, mix(title_colour(0, colours), WHITE, 0.25))
    for y in range(8):
        for x in range(4):
            if corner_cut(x, y, 7):
                c.put(x, y, KEY)
    # Bottom corner of radius 3 and the bottom outline.
    for y in range(height - 4, height):
        for x in range(4):
            if corner_cut(x, height - 1 - y, 3):
                c.put(x, y, KEY)
    c.rect(1, height - 1, 4, height, outline)
    c.put(1, height - 2, mix(outline, FACE, 0.5))
    c.put(2, height - 2, mix(outline, FACE, 0.7))
    return c


def bottom_frame(outline):
    c = Canvas(16, 4, FACE)
    c.rect(0, 3, 16, 4, outline)
    c.rect(0, 2, 16, 3, mix(outline, FACE, 0.7))
    return c


def draw_frame():
    top = strip([title_frame(TITLE_ACTIVE), title_frame(TITLE_INACTIVE)], vertical=True)
    top.save("top.bmp")
    left = strip([side_frame(TITLE_ACTIVE, OUTLINE_ACTIVE), side_frame(TITLE_INACTIVE, OUTLINE_INACTIVE)])
    left.save("left.bmp")
    strip([side_frame(TITLE_ACTIVE, OUTLINE_ACTIVE).mirrored(),
           side_frame(TITLE_INACTIVE, OUTLINE_INACTIVE).mirrored()]).save("right.bmp")
    strip([bottom_frame(OUTLINE_ACTIVE), bottom_frame(OUTLINE_INACTIVE)], vertical=True).save("bottom.bmp")


def caption_chip():
    """Behind the caption text: a soft pill, stretched to the text height."""
    frames = []
    for colours, a in ((TITLE_ACTIVE, 0.16), (TITLE_INACTIVE, 0.22)):
        h = 18
        c = Canvas(22, h)
        mid = title_colour(TITLE_H // 2, colours)
        fill = mix(mid, WHITE, a)
        c.shape((0, 0, 22, h), in_round_rect(0, 0, 22, h, 9), fill, mid)
        frames.append(c)
    strip(frames, vertical=True).save("menutitlebg.bmp")


# Caption buttons ---------------------------------------------------------------------

BTN_W, BTN_H = 28, 22


def caption_button(glyph, close=False, frames=4, width=BTN_W):
    """Frames: normal, pressed, hot, inactive window. The glyph is drawn by glyph(c, ink, under)."""
    mid = title_colour(4 + BTN_H // 2, TITLE_ACTIVE)
    states = [
        (None, WHITE, mid),
        (ROSE_DARK if close else ACCENT_DEEP, WHITE, None),
        (ROSE if close else ACCENT_LIGHT, WHITE, None),
        (None, (226, 232, 240), title_colour(4 + BTN_H // 2, TITLE_INACTIVE)),
    ][:frames]
    out = []
    for back, ink, under in states:
        c = Canvas(width, BTN_H)
        if back:
            c.shape((0, 0, width, BTN_H), in_round_rect(0.5, 0.5, width - 0.5, BTN_H - 0.5, 5), back, mid)
            under = back
        glyph(c, ink, under)
        out.append(c)
    return strip(out)


def g_minimise(c, ink, under):
    c.shape((0, 0, c.w, c.h), in_segment(9.5, 11.5, 18.5, 11.5, 1.6), ink, under)


def g_maximise(c, ink, under):
    box = in_round_rect(9, 6, 19, 16, 1.5)
    c.shape((0, 0, c.w, c.h), in_ring(box, in_round_rect(10.5, 7.5, 17.5, 14.5, 0.5)), ink, under)


def g_restore(c, ink, under):
    back = in_ring(in_round_rect(11, 5, 20, 14, 1.5), in_round_rect(12.4, 6.4, 18.6, 12.6, 0.5))
    front_outer = in_round_rect(8, 8, 17, 17, 1.5)
    front = in_ring(front_outer, in_round_rect(9.4, 9.4, 15.6, 15.6, 0.5))
    c.shape((0, 0, c.w, c.h), lambda x, y: (back(x, y) and not front_outer(x, y)) or front(x, y), ink, under)


def g_close(c, ink, under):
    c.shape((0, 0, c.w, c.h), any_of(in_segment(9.5, 6.5, 18.5, 15.5, 1.6),
                                      in_segment(18.5, 6.5, 9.5, 15.5, 1.6)), ink, under)


def g_help(c, ink, under):
    cx, cy, r = c.w / 2, 9, 3.6

    def arc(x, y):
        d = math.hypot(x - cx, y - cy)
        ang = math.degrees(math.atan2(y - cy, x - cx))
        return abs(d - r) <= 0.85 and not (40 < ang < 160)
    stem = in_segment(cx, 12.6, cx, 14.2, 1.7)
    c.shape((0, 0, c.w, c.h), any_of(arc, stem, in_circle(cx, 17, 1.1)), ink, under)


def g_rollup(c, ink, under):
    chevron(c, 14, 11, 9, "up", ink, under)


def g_rolldown(c, ink, under):
    chevron(c, 14, 11, 9, "down", ink, under)


def draw_caption_buttons():
    caption_button(g_close, close=True).save("close1.bmp")
    caption_button(g_maximise).save("max1.bmp")
    caption_button(g_restore).save("maxover.bmp")
    caption_button(g_minimise).save("min1.bmp")
    caption_button(g_rollup).save("rollup1a.bmp")
    caption_button(g_rolldown).save("rollup3a.bmp")
    # Help has normal, pressed and hot only: its frame count is read from its shape
    # (three frames, as the strip is at most 3.8 times as wide as high).
    caption_button(g_help, frames=3, width=26).save("help.bmp")


def draw_mdi_buttons():
    """Buttons of a maximised MDI child in the menu bar: minimise, restore, close x 4 states."""
    frames = []
    for glyph, close in ((g_minimise, False), (g_restore, False), (g_close, True)):
        for back, ink in ((None, SLATE700), (ROSE_DARK if close else SLATE300, WHITE if close else INK),
                          (ROSE if close else SLATE200, WHITE if close else INK), (None, SLATE400)):
            c = Canvas(BTN_W, BTN_H)
            under = FACE
            if back:
                c.shape((0, 0, BTN_W, BTN_H), in_round_rect(0.5, 0.5, BTN_W - 0.5, BTN_H - 0.5, 5), back, FACE)
                under = back
            glyph(c, ink, under)
            frames.append(c)
    strip(frames).save("buttons-mdi.bmp")


# Controls ----------------------------------------------------------------------------

BUTTON_STATES = [  # normal, pressed, disabled, hot/focused, default
    (WHITE, SLATE300), (ACCENT_PALE, ACCENT), (FACE, SLATE200), (ACCENT_MIST, ACCENT_LIGHT), (ACCENT, ACCENT_DARK)]


def draw_push_buttons():
    frames = []
    for fill, border in BUTTON_STATES:
        c = framed_box(24, 24, 5, fill, border, FACE)
        if fill == WHITE:  # a touch of depth: the lower half a shade darker
            for y in range(12, 23):
                for x in range(1, 23):
                    if c.get(x, y) == WHITE:
                        c.put(x, y, mix(WHITE, (248, 250, 252), (y - 12) / 10))
        frames.append(c)
    strip(frames).save("buttons.bmp")


def draw_check_boxes():
    frames = []
    for fill, border, tick in ((WHITE, SLATE400, None), (ACCENT, ACCENT, WHITE),
                               (FACE, SLATE300, None), (ACCENT_SOFT, ACCENT_SOFT, WHITE)):
        c = framed_box(13, 13, 3, fill, border, FACE)
        if tick:
            c.shape((0, 0, 13, 13), in_polyline([(3.2, 6.8), (5.6, 9.2), (10, 4.2)], 1.7), tick, fill)
        frames.append(c)
    strip(frames).save("check.bmp")


def draw_radio_buttons():
    """Unchecked, checked, disabled, disabled checked, hot. Track-bar thumbs use the same knobs."""
    frames = []
    for ring, fill, dot in ((SLATE400, WHITE, None), (ACCENT, ACCENT, WHITE), (SLATE300, FACE, None),
                            (ACCENT_SOFT, ACCENT_SOFT, WHITE), (ACCENT_LIGHT, ACCENT_MIST, None)):
        c = Canvas(13, 13)
        c.shape((0, 0, 13, 13), in_circle(6.5, 6.5, 6.4), ring, FACE)
        c.shape((0, 0, 13, 13), in_circle(6.5, 6.5, 5.2), fill, ring)
        if dot:
            c.shape((0, 0, 13, 13), in_circle(6.5, 6.5, 2.4), dot, fill)
        frames.append(c)
    strip(frames).save("radio.bmp")


def draw_progress():
    frames = []
    for fill in (SLATE200, ACCENT):
        c = Canvas(16, 12)
        c.shape((0, 0, 16, 12), in_round_rect(0, 1, 16, 11, 5), fill, FACE)
        if fill == ACCENT:
            c.rect(4, 2, 12, 4, mix(ACCENT, WHITE, 0.25))
        frames.append(c)
    strip(frames).save("pbars.bmp")
    chunk = Canvas(8, 10)
    chunk.shape((0, 0, 6, 10), in_round_rect(0, 0, 6, 10, 1.5), ACCENT, FACE)
    chunk.save("minover.bmp")


def draw_status():
    frames = []
    for kind in ("lowered", "raised", "none"):
        c = Canvas(16, 16, FACE)
        c.rect(0, 0, 16, 1, SLATE300)
        if kind == "lowered":
            c.rect(15, 3, 16, 13, SLATE300)
        elif kind == "raised":
            c.rect(0, 1, 16, 2, WHITE)
            c.rect(15, 3, 16, 13, SLATE300)
        frames.append(c)
    strip(frames).save("status.bmp")


def draw_edit_frames():
    # The frame of combo boxes: normal, pressed, disabled, hot or focused.
    frames = [framed_box(16, 16, 3, WHITE if b != SLATE200 else FACE, b, FACE)
              for b in (SLATE300, ACCENT, SLATE200, ACCENT_LIGHT)]
    strip(frames).save("sunkedge.bmp")
    # Its drop-down button: the right end of that frame with a separator.
    buttons = []
    for border, fill in ((SLATE300, WHITE), (ACCENT, ACCENT_PALE), (SLATE200, FACE), (ACCENT_LIGHT, ACCENT_MIST)):
        c = Canvas(20, 21)
        c.shape((0, 0, 20, 21), in_round_rect(-6, 0, 20, 21, 3), border, FACE)
        c.shape((0, 0, 20, 21), in_round_rect(-6, 1, 19, 20, 2), fill)
        c.rect(0, 4, 1, 17, SLATE200 if border == SLATE300 else border)
        buttons.append(c)
    strip(buttons).save("combo.bmp")
    # Arrow glyphs by state, and the size grip as the fifth frame.
    glyphs = []
    for ink, under in ((SLATE600, WHITE), (ACCENT_DEEP, ACCENT_PALE), (SLATE300, FACE), (ACCENT, ACCENT_MIST)):
        c = Canvas(12, 12)
        chevron(c, 6, 6.5, 7, "down", ink, under)
        glyphs.append(c)
    grip = Canvas(12, 12)
    for x, y in ((9, 3), (6, 6), (9, 6), (3, 9), (6, 9), (9, 9)):
        grip.shape((0, 0, 12, 12), in_circle(x + 0.5, y + 0.5, 1.0), SLATE400, FACE)
    glyphs.append(grip)
    strip(glyphs).save("combo-arrows.bmp")


def draw_group_and_toolbar():
    frames = []
    for border in (SLATE300, SLATE200):
        c = Canvas(16, 16)
        c.shape((0, 0, 16, 16), in_ring(in_round_rect(0, 0, 16, 16, 4), in_round_rect(1, 1, 15, 15, 3)), border, FACE)
        frames.append(c)
    strip(frames).save("dialog.bmp")
    tools = []
    for back in (None, SLATE300, None, SLATE200, ACCENT_PALE):  # flat, pressed, disabled, hot, down
        c = Canvas(22, 22)
        if back:
            c.shape((0, 0, 22, 22), in_round_rect(0, 0, 22, 22, 4), back, FACE)
        tools.append(c)
    strip(tools).save("toolbarsnew.bmp")


def draw_header():
    frames = []
    for fill in (FACE, SLATE300, FACE, SLATE200, ACCENT_PALE):
        c = Canvas(20, 20, fill)
        c.rect(0, 19, 20, 20, SLATE300)
        c.rect(19, 4, 20, 16, SLATE300)
        frames.append(c)
    strip(frames).save("header.bmp")


def draw_tabs():
    frames = []
    for fill, border, mark in ((SLATE200, SLATE300, None), (WHITE, SLATE300, ACCENT), (FACE, SLATE200, None),
                               (ACCENT_MIST, SLATE300, None), (WHITE, SLATE300, ACCENT_LIGHT)):
        c = Canvas(24, 24)
        c.shape((0, 0, 24, 24), in_round_rect(0, 0, 24, 30, 5), border, FACE)
        c.shape((0, 0, 24, 24), in_round_rect(1, 1, 23, 30, 4), fill)
        if mark:
            c.shape((0, 0, 24, 24), in_round_rect(1, 1, 23, 4, 1.5), mark, fill)
        frames.append(c)
    strip(frames).save("tabs.bmp")
    sheet = Canvas(16, 16, WHITE)
    sheet.rect(0, 0, 16, 1, SLATE300)
    sheet.rect(0, 15, 16, 16, SLATE300)
    sheet.rect(0, 0, 1, 16, SLATE300)
    sheet.rect(15, 0, 16, 16, SLATE300)
    sheet.save("mac-tab-borders.bmp")


def draw_menus():
    bar = []
    for line in (SLATE300, SLATE200):
        c = Canvas(16, 20, FACE)
        c.rect(0, 19, 16, 20, line)
        bar.append(c)
    strip(bar, vertical=True).save("menu.bmp")
    back = Canvas(32, 32, WHITE)
    back.rect(0, 0, 32, 1, SLATE300)
    back.rect(0, 31, 32, 32, SLATE300)
    back.rect(0, 0, 1, 32, SLATE300)
    back.rect(31, 0, 32, 32, SLATE300)
    back.save("menubg.bmp")
    items = []
    for kind in ("normal", "separator", "disabled", "selected", "pressed"):
        c = Canvas(24, 20)
        if kind == "selected":
            # The selected item's text is the highlight text colour (white): it needs
            # the strong blue under it.
            c.shape((0, 0, 24, 20), in_round_rect(1, 1, 23, 19, 4), ACCENT, WHITE)
        elif kind == "pressed":
            c.shape((0, 0, 24, 20), in_round_rect(1, 1, 23, 19, 4), SLATE200, WHITE)
        elif kind == "separator":
            c.rect(4, 15, 20, 16, SLATE200)
        items.append(c)
    strip(items).save("menuitembg.bmp")


def draw_scroll_bars():
    # 23 arrow frames: left, right, up and down, each normal, pressed, hot, disabled;
    # then plain squares for the corner and the rest of the strip.
    frames = []
    for direction in ("left", "right", "up", "down"):
        for back, ink in ((None, SLATE500), (SLATE300, INK), (SLATE200, SLATE700), (None, SLATE300)):
            c = Canvas(16, 16)
            under = FACE
            if back:
                c.shape((0, 0, 16, 16), in_round_rect(1, 1, 15, 15, 3), back, FACE)
                under = back
            chevron(c, 8, 8, 7, direction, ink, under)
            frames.append(c)
    while len(frames) < 23:
        frames.append(Canvas(16, 16, FACE))
    strip(frames).save("arrows.bmp")
    tracks = []
    for channel in (SLATE200, SLATE300, SLATE200, FACE):  # normal, pressed, hot, disabled
        c = Canvas(16, 16, FACE)
        c.shape((0, 0, 16, 16), in_round_rect(-4, 5, 20, 11, 3), channel, FACE)
        tracks.append(c)
    strip(tracks).save("hscroll.bmp")
    strip([t.transposed() for t in tracks]).save("vscroll.bmp")
    thumbs = []
    for fill in (SLATE400, SLATE600, SLATE500):  # normal, pressed, hot
        c = Canvas(24, 16)
        c.shape((0, 0, 24, 16), in_round_rect(0, 4, 24, 12, 4), fill, FACE)
        thumbs.append(c)
    strip(thumbs).save("hscroll2.bmp")
    strip([t.transposed() for t in thumbs]).save("vscroll2.bmp")


def draw_up_down():
    faces = []
    for _half in range(2):
        for fill, border in ((WHITE, SLATE300), (ACCENT_PALE, ACCENT), (FACE, SLATE200), (ACCENT_MIST, ACCENT_LIGHT)):
            faces.append(framed_box(16, 12, 2.5, fill, border, FACE))
    strip(faces).save("toolbarback.bmp")
    inks = ((SLATE600, WHITE), (ACCENT_DEEP, ACCENT_PALE), (SLATE300, FACE), (ACCENT, ACCENT_MIST))
    for name, first, second, w, h in (("closeover.bmp", "up", "down", 9, 7), ("closeover1.bmp", "left", "right", 7, 9)):
        glyphs = []
        for direction in (first, second):
            for ink, under in inks:
                c = Canvas(w, h)
                chevron(c, w / 2, h / 2, 6, direction, ink, under, width=1.5)
                glyphs.append(c)
        strip(glyphs).save(name)


def write_menu_glyphs():
    """64 x 16, 1 bit per pixel: restore, maximise, minimise, close; black on white."""
    c = Canvas(64, 16, WHITE)
    for i, glyph in enumerate((g_restore, g_maximise, g_minimise, g_close)):
        g = Canvas(BTN_W, BTN_H, WHITE)
        glyph(g, INK, WHITE)
        for y in range(16):
            for x in range(16):
                p = g.get(x + 6, y + 3)
                c.put(16 * i + x, y, INK if sum(p) < 3 * 170 else WHITE)
    stride = 8
    rows = bytearray()
    for y in range(15, -1, -1):
        bits = bytearray(stride)
        for x in range(64):
            if c.get(x, y) == WHITE:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows += bits
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    off = 14 + 40 + len(palette)
    data = struct.pack("<2sIHHI", b"BM", off + len(rows), 0, 0, off)
    data += struct.pack("<IiiHHIIiiII", 40, 64, 16, 1, 1, 0, len(rows), 2835, 2835, 2, 2)
    with open(os.path.join(ROOT, "skin", "res", "menuglyphs.bmp"), "wb") as f:
        f.write(data + palette + rows)


MEMBERS = [
    "menuitembg.bmp", "arrows.bmp", "hscroll.bmp", "vscroll.bmp", "hscroll2.bmp", "vscroll2.bmp",
    "buttons-mdi.bmp", "toolbarback.bmp", "toolbarsnew.bmp", "menutitlebg.bmp", "min1.bmp",
    "close1.bmp", "rollup3a.bmp", "rollup1a.bmp", "help.bmp", "max1.bmp", "minover.bmp",
    "maxover.bmp", "closeover1.bmp", "closeover.bmp", "skin.ini", "tabs.bmp", "mac-tab-borders.bmp",
    "top.bmp", "bottom.bmp", "left.bmp", "right.bmp", "menu.bmp", "dialog.bmp", "buttons.bmp",
    "check.bmp", "radio.bmp", "pbars.bmp", "status.bmp", "combo.bmp", "sunkedge.bmp",
    "combo-arrows.bmp", "header.bmp", "menubg.bmp",
]


def main():
    os.makedirs(OUT, exist_ok=True)
    os.makedirs(os.path.join(ROOT, "skin", "res"), exist_ok=True)
    draw_frame()
    caption_chip()
    draw_caption_buttons()
    draw_mdi_buttons()
    draw_push_buttons()
    draw_check_boxes()
    draw_radio_buttons()
    draw_progress()
    draw_status()
    draw_edit_frames()
    draw_group_and_toolbar()
    draw_header()
    draw_tabs()
    draw_menus()
    draw_scroll_bars()
    draw_up_down()
    write_menu_glyphs()
    with open(os.path.join(OUT, "members.txt"), "w", newline="\r\n") as f:
        f.write("# Archive order of the default skin's members (the settings text is the 21st).\n")
        for m in MEMBERS:
            f.write(m + "\n")
    missing = [m for m in MEMBERS if not os.path.exists(os.path.join(OUT, m))]
    if missing:
        raise SystemExit("not drawn: " + ", ".join(missing))


if __name__ == "__main__":
    main()
