#!/usr/bin/env python3
"""Draws the program icon and writes resources/iplatency.ico.

The picture is a blue rounded square carrying a white pulse line, drawn from
geometry below rather than kept as artwork, so it can be changed and rebuilt
without an image editor.  The .ico holds 48, 32 and 16 pixel images, each at
32 bits per pixel (alpha) and at 8 bits per pixel (own palette, AND-mask
transparency).  All images are stored as BMP, not PNG, so that every Windows
version can read them.

Only the Python standard library is used, and the output is the same bytes on
every run.

Usage: python3 scripts/make-icon.py [output.ico]
"""

import os
import struct
import sys

SIZES = (48, 32, 16)
SUPERSAMPLE = 8  # samples per pixel along each axis

# Vertical gradient of the tile, top to bottom.
TOP = (0x3D, 0x8B, 0xF2)
BOTTOM = (0x16, 0x4C, 0xB8)
LINE = (0xFF, 0xFF, 0xFF)
EDGE = (0x0E, 0x35, 0x8A)

# Pulse line in tile units (0..1 across the tile, y downwards).  The flat
# parts sit on BASELINE so they can be snapped to the pixel grid.
BASELINE = 0.56
PULSE = (
    (0.12, BASELINE),
    (0.30, BASELINE),
    (0.44, 0.20),
    (0.60, 0.82),
    (0.72, BASELINE),
    (0.88, BASELINE),
)

# Per-size tuning, in pixels: margin around the tile, corner radius, width of
# the outline ring, width of the pulse line.  Small sizes get a thicker line
# relative to the tile so it survives at 16 px.
TUNING = {
    48: dict(margin=2.0, radius=9.0, ring=1.0, width=4.0),
    32: dict(margin=1.0, radius=6.0, ring=1.0, width=3.0),
    16: dict(margin=0.0, radius=3.0, ring=0.0, width=2.0),
}


def lerp(a, b, t):
    return a + (b - a) * t


def inside_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    dx, dy = x - cx, y - cy
    return dx * dx + dy * dy <= r * r


def dist2_to_segment(px, py, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    t = (wx * vx + wy * vy) / (vx * vx + vy * vy)
    t = min(max(t, 0.0), 1.0)
    dx, dy = wx - vx * t, wy - vy * t
    return dx * dx + dy * dy


def pulse_points(size, tune):
    """The pulse polyline in pixel coordinates for one image size."""
    m = tune["margin"]
    span = size - 2 * m
    w = tune["width"]
    # Keep the flat parts crisp: an even width is centred on a pixel border,
    # an odd width on a pixel centre.
    base = m + BASELINE * span
    if int(w) % 2 == 0:
        base = float(round(base))
    else:
        base = float(int(base)) + 0.5
    pts = []
    for ux, uy in PULSE:
        x = m + ux * span
        y = base if uy == BASELINE else m + uy * span
        pts.append((x, y))
    return pts


def render(size):
    """Returns size*size (r, g, b, a) tuples, top row first."""
    tune = TUNING[size]
    m, r, ring, width = tune["margin"], tune["radius"], tune["ring"], tune["width"]
    x0, y0, x1, y1 = m, m, size - m, size - m
    pts = pulse_points(size, tune)
    segs = list(zip(pts, pts[1:]))
    half2 = (width / 2.0) ** 2
    n = SUPERSAMPLE
    total = n * n
    pixels = []
    for py in range(size):
        for px in range(size):
            sr = sg = sb = 0.0
            covered = 0
            for j in range(n):
                y = py + (j + 0.5) / n
                for i in range(n):
                    x = px + (i + 0.5) / n
                    if not inside_rounded_rect(x, y, x0, y0, x1, y1, r):
                        continue
                    covered += 1
                    if any(dist2_to_segment(x, y, a[0], a[1], b[0], b[1]) <= half2
                           for a, b in segs):
                        c = LINE
                    elif ring > 0 and not inside_rounded_rect(
                            x, y, x0 + ring, y0 + ring, x1 - ring, y1 - ring,
                            max(r - ring, 0.0)):
                        c = EDGE
                    else:
                        t = (y - y0) / (y1 - y0)
                        c = (lerp(TOP[0], BOTTOM[0], t),
                             lerp(TOP[1], BOTTOM[1], t),
                             lerp(TOP[2], BOTTOM[2], t))
                    sr += c[0]
                    sg += c[1]
                    sb += c[2]
            if covered == 0:
                pixels.append((0, 0, 0, 0))
                continue
            pixels.append((int(sr / covered + 0.5), int(sg / covered + 0.5),
                           int(sb / covered + 0.5),
                           int(255.0 * covered / total + 0.5)))
    return pixels


def and_mask(size, transparent):
    """1 bpp mask, bottom row first, rows padded to 32 bits; 1 = transparent."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in range(size - 1, -1, -1):
        line = bytearray(stride)
        for col in range(size):
            if transparent[row * size + col]:
                line[col >> 3] |= 0x80 >> (col & 7)
        out += line
    return bytes(out)


def bitmap_header(size, bpp, image_bytes):
    # Icon BMPs give twice the height: colour bitmap plus AND mask.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, 0, 0)


def bmp32(size, pixels):
    xor = bytearray()
    for row in range(size - 1, -1, -1):
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            xor += bytes((b, g, r, a))
    mask = and_mask(size, [p[3] == 0 for p in pixels])
    return bitmap_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def median_cut(counts, boxes_wanted):
    """Reduces a {colour: count} map to at most boxes_wanted colours."""
    boxes = [sorted(counts.items())]
    while len(boxes) < boxes_wanted:
        best = None
        for idx, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                spread = max(vals) - min(vals)
                weight = sum(n for _, n in box)
                score = (spread * weight, spread, -idx, -ch)
                if best is None or score > best[0]:
                    best = (score, idx, ch)
        if best is None or best[0][1] == 0:
            break
        _, idx, ch = best
        box = sorted(boxes[idx], key=lambda e: (e[0][ch], e[0]))
        half = sum(n for _, n in box) / 2.0
        acc = 0
        cut = 1
        for k, (_, n) in enumerate(box[:-1]):
            acc += n
            cut = k + 1
            if acc >= half:
                break
        boxes[idx:idx + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        weight = sum(n for _, n in box)
        palette.append(tuple(int(sum(c[ch] * n for c, n in box) / weight + 0.5)
                             for ch in range(3)))
    return palette


def nearest(palette, colour):
    best, best_d = 0, None
    for idx, p in enumerate(palette):
        d = sum((p[ch] - colour[ch]) ** 2 for ch in range(3))
        if best_d is None or d < best_d:
            best, best_d = idx, d
    return best


def bmp8(size, pixels):
    # Without alpha a pixel is either drawn or not; half-covered edge pixels
    # go with whichever side holds the majority.
    opaque = [p[3] >= 128 for p in pixels]
    counts = {}
    for p, keep in zip(pixels, opaque):
        if keep:
            counts[p[:3]] = counts.get(p[:3], 0) + 1
    # Index 0 stays black: transparent pixels must carry a black colour so
    # the screen shows through unchanged where the AND mask is set.
    if len(counts) <= 255:
        colours = sorted(counts)
    else:
        colours = sorted(set(median_cut(counts, 255)))
    palette = [(0, 0, 0)] + [c for c in colours if c != (0, 0, 0)]
    lookup = {}
    xor = bytearray()
    stride = (size + 3) & ~3
    for row in range(size - 1, -1, -1):
        line = bytearray(stride)
        for col in range(size):
            p = pixels[row * size + col]
            if opaque[row * size + col]:
                key = p[:3]
                if key not in lookup:
                    lookup[key] = nearest(palette, key)
                line[col] = lookup[key]
        xor += line
    table = bytearray()
    for r, g, b in palette + [(0, 0, 0)] * (256 - len(palette)):
        table += bytes((b, g, r, 0))
    mask = and_mask(size, [not k for k in opaque])
    return (bitmap_header(size, 8, len(xor) + len(mask)) + bytes(table)
            + bytes(xor) + mask)


def build_ico():
    images = []  # (size, bpp, data)
    for size in SIZES:
        pixels = render(size)
        images.append((size, 32, bmp32(size, pixels)))
        images.append((size, 8, bmp8(size, pixels)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        # Colour count 0: 8 bpp already means a full 256-entry palette.
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bpp,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = (sys.argv[1] if len(sys.argv) > 1
              else os.path.join(here, "..", "resources", "iplatency.ico"))
    data = build_ico()
    with open(target, "wb") as f:
        f.write(data)
    print(f"{os.path.normpath(target)}: {len(data)} bytes")


if __name__ == "__main__":
    main()
