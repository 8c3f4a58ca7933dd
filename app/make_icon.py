#!/usr/bin/env python3
"""Draws the program's icon: a blue shield with a white padlock, 48 x 48 pixels,
32 bits per pixel with an alpha channel, written as a Windows .ico file."""
import math
import struct
import sys

SIZE = 48
SAMPLES = 4  # per axis, for smooth edges


def shield(x, y, margin=0.0):
    left, right, top, bend, tip = 7 + margin, 41 - margin, 3.5 + margin, 24.0, 45.5 - margin
    if y < top or x < left or x > right:
        return False
    r = 4.0 - min(margin, 3.0)
    # rounded top corners
    for cx in (left + r, right - r):
        if y < top + r and abs(x - cx) > 0 and ((x < left + r and cx == left + r) or
                                                (x > right - r and cx == right - r)):
            if (x - cx) ** 2 + (y - (top + r)) ** 2 > r * r:
                return False
    if y <= bend:
        return True
    half = (right - left) / 2
    t = (y - bend) / (tip - bend)
    if t >= 1:
        return False
    return abs(x - 24) <= half * math.sqrt(1 - t * t)


def lock(x, y):
    """0 outside, 1 white lock, 2 keyhole."""
    if 15.5 <= x <= 32.5 and 21 <= y <= 35.5:
        if (x - 24) ** 2 + (y - 26.5) ** 2 <= 2.3 ** 2 or (23 <= x <= 25 and 26.5 <= y <= 31.5):
            return 2
        return 1
    d = math.hypot(x - 24, y - 21)
    if y <= 21 and 3.6 <= d <= 6.2:
        return 1
    return 0


def colour(x, y):
    if not shield(x, y):
        return None
    if lock(x, y) == 1:
        return (255, 255, 255)
    if not shield(x, y, 1.8):
        return (200, 222, 255)  # the rim
    t = y / SIZE
    top, bottom = (40, 128, 230), (10, 52, 140)
    if lock(x, y) == 2:
        return (8, 36, 100)
    return tuple(int(top[i] + (bottom[i] - top[i]) * t) for i in range(3))


def pixels():
    rows = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = colour(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                a = round(255 * hits / SAMPLES ** 2)
                row.append(tuple(round(v / hits) for v in acc) + (a,))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def ico(rows):
    xor = b"".join(struct.pack("BBBB", b, g, r, a)
                   for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((SIZE + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    image = header + xor + bytes(mask)
    return (struct.pack("<HHH", 0, 1, 1) +
            struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16) + image)


if __name__ == "__main__":
    with open(sys.argv[1], "wb") as f:
        f.write(ico(pixels()))
