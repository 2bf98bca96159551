#!/usr/bin/env python3
"""Draws the workbench's own icons (toolbar fallbacks and the application icon) as PNG files
into vorn/app/icons/. Shapes are polygons in a 0..1 square, filled in order with 4x4
supersampling; run it again after changing a shape."""
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(__file__), "..", "vorn", "app", "icons")


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def inside(poly, x, y):
    hit = False
    j = len(poly) - 1
    for i in range(len(poly)):
        xi, yi = poly[i]
        xj, yj = poly[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def render(size, shapes):
    ss = 4
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(ss):
                for sx in range(ss):
                    x = (px + (sx + 0.5) / ss) / size
                    y = (py + (sy + 0.5) / ss) / size
                    colour = None
                    for poly, rgba in shapes:
                        if inside(poly, x, y):
                            colour = rgba
                    if colour:
                        a = colour[3] / 255.0
                        for k in range(3):
                            acc[k] += colour[k] * a
                        acc[3] += a
            n = ss * ss
            alpha = acc[3] / n
            rgb = [int(acc[k] / acc[3]) if acc[3] else 0 for k in range(3)]
            row.append(rgb + [int(round(alpha * 255))])
        pixels.append(row)
    return pixels


def write_png(path, pixels):
    h, w = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


INK = (60, 60, 70, 255)
PAPER = (250, 250, 245, 255)
BLUE = (70, 120, 200, 255)
GREY = (150, 150, 160, 255)

ICONS = {
    # Scissors: two blades crossing, two handles.
    "edit-cut": [
        ([(0.30, 0.05), (0.40, 0.05), (0.62, 0.62), (0.54, 0.66)], INK),
        ([(0.60, 0.05), (0.70, 0.05), (0.46, 0.66), (0.38, 0.62)], INK),
        ([(0.18, 0.62), (0.44, 0.62), (0.44, 0.95), (0.18, 0.95)], BLUE),
        ([(0.56, 0.62), (0.82, 0.62), (0.82, 0.95), (0.56, 0.95)], BLUE),
        (rect(0.25, 0.70, 0.37, 0.87), PAPER),
        (rect(0.63, 0.70, 0.75, 0.87), PAPER),
    ],
    # Two overlapping sheets.
    "edit-copy": [
        (rect(0.08, 0.05, 0.62, 0.68), INK),
        (rect(0.13, 0.10, 0.57, 0.63), PAPER),
        (rect(0.38, 0.32, 0.92, 0.95), INK),
        (rect(0.43, 0.37, 0.87, 0.90), PAPER),
        (rect(0.50, 0.48, 0.80, 0.53), GREY),
        (rect(0.50, 0.62, 0.80, 0.67), GREY),
    ],
    # A clipboard with a sheet on it.
    "edit-paste": [
        (rect(0.12, 0.12, 0.80, 0.95), (150, 100, 60, 255)),
        (rect(0.32, 0.05, 0.60, 0.20), INK),
        (rect(0.40, 0.38, 0.92, 0.92), INK),
        (rect(0.45, 0.43, 0.87, 0.87), PAPER),
        (rect(0.52, 0.55, 0.80, 0.60), GREY),
        (rect(0.52, 0.70, 0.80, 0.75), GREY),
    ],
    # A printer: body, paper in, paper out.
    "document-print": [
        (rect(0.25, 0.05, 0.75, 0.40), INK),
        (rect(0.30, 0.10, 0.70, 0.40), PAPER),
        (rect(0.05, 0.35, 0.95, 0.75), GREY),
        (rect(0.75, 0.45, 0.85, 0.52), (80, 200, 90, 255)),
        (rect(0.22, 0.62, 0.78, 0.95), INK),
        (rect(0.27, 0.62, 0.73, 0.90), PAPER),
    ],
    # The application: a cube unfolded into its cross-shaped net.
    "vorn": [
        (rect(0.36, 0.04, 0.64, 0.96), (40, 70, 140, 255)),
        (rect(0.08, 0.30, 0.92, 0.58), (40, 70, 140, 255)),
        (rect(0.39, 0.07, 0.61, 0.27), (120, 170, 235, 255)),
        (rect(0.39, 0.33, 0.61, 0.55), (240, 180, 60, 255)),
        (rect(0.39, 0.61, 0.61, 0.93), (120, 170, 235, 255)),
        (rect(0.11, 0.33, 0.33, 0.55), (120, 170, 235, 255)),
        (rect(0.67, 0.33, 0.89, 0.55), (120, 170, 235, 255)),
        (rect(0.39, 0.59, 0.61, 0.61), (40, 70, 140, 255)),
    ],
}

if __name__ == "__main__":
    os.makedirs(OUT, exist_ok=True)
    for name, shapes in ICONS.items():
        for size in ([24] if name != "vorn" else [48, 128]):
            suffix = "" if name != "vorn" else "-%d" % size
            write_png(os.path.join(OUT, name + suffix + ".png"), render(size, shapes))
