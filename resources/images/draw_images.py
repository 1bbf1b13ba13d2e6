#!/usr/bin/env python3
"""Draws the installer's two pictures (the header logo and the window icon).

The motif is our own: three reeds rising out of a marsh, standing on the pin row
of a chip, on a teal tile. Run it from this folder to regenerate the PNG files;
only the standard library is needed.
"""
import math
import struct
import zlib

SUPERSAMPLE = 4


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1
    return inside


def capsule(ax, ay, bx, by, r):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= r * r
    return inside


def ellipse(cx, cy, rx, ry, angle=0.0):
    ca, sa = math.cos(angle), math.sin(angle)

    def inside(x, y):
        u = (x - cx) * ca + (y - cy) * sa
        v = -(x - cx) * sa + (y - cy) * ca
        return (u / rx) ** 2 + (v / ry) ** 2 <= 1.0
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def scene(size):
    """Shapes in a 100-unit square, back to front, each with a colour function."""
    def tile_colour(x, y):
        t = y / 100.0
        return (int(18 + 20 * t), int(128 - 50 * t), int(140 - 10 * t), 255)

    white = lambda x, y: (246, 250, 244, 255)
    gold = lambda x, y: (242, 190, 70, 255)
    water = lambda x, y: (120, 200, 210, 200)
    pin = lambda x, y: (210, 222, 226, 255)
    body = lambda x, y: (30, 52, 70, 255)

    shapes = [(rounded_rect(2, 2, 98, 98, 18), tile_colour)]
    # the chip the reeds stand on, with its pins
    shapes.append((rounded_rect(16, 70, 84, 84, 3), body))
    for i in range(7):
        px = 20 + i * 10
        shapes.append((rect(px - 2, 84, px + 2, 92), pin))
    # marsh water line
    shapes.append((capsule(14, 66, 86, 66, 2.2), water))
    # three reeds, the middle one tallest, with gold seed heads
    shapes.append((capsule(34, 66, 30, 34, 2.6), white))
    shapes.append((capsule(50, 66, 50, 20, 2.8), white))
    shapes.append((capsule(66, 66, 71, 38, 2.6), white))
    shapes.append((ellipse(30.5, 32, 4.2, 9, -0.12), gold))
    shapes.append((ellipse(50, 18, 4.6, 10), gold))
    shapes.append((ellipse(71.5, 36, 4.2, 8.5, 0.16), gold))
    # a leaf leaning out of the middle reed
    shapes.append((ellipse(58, 50, 10, 2.6, -0.7), white))
    return shapes


def render(size):
    shapes = scene(size)
    rows = []
    scale = 100.0 / size
    n = SUPERSAMPLE
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) * scale
                    y = (py + (sy + 0.5) / n) * scale
                    r = g = b = a = 0.0
                    for inside, colour in shapes:
                        if inside(x, y):
                            cr, cg, cb, ca = colour(x, y)
                            fa = ca / 255.0
                            r = cr * fa + r * (1 - fa)
                            g = cg * fa + g * (1 - fa)
                            b = cb * fa + b * (1 - fa)
                            a = fa + a * (1 - fa)
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
            samples = float(n * n)
            alpha = acc[3] / samples
            if alpha > 0:
                # colours were accumulated premultiplied; store them straight
                row += bytes(int(min(255, round(c / samples / alpha))) for c in acc[:3])
            else:
                row += b"\0\0\0"
            row.append(int(round(alpha * 255)))
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    raw = b"".join(b"\0" + r for r in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


if __name__ == "__main__":
    # The logo also at twice its size, for screens that draw two pixels per point.
    for name, size in (("installer-logo.png", 50), ("installer-logo@2x.png", 100), ("window-icon.png", 128)):
        with open(name, "wb") as out:
            out.write(png(size, render(size)))
