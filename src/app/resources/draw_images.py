#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the editor's pictures: the pad at rest and pressed, the program picture, the icons.

Standard library only. Run it from anywhere; it rewrites the PNG files beside itself and the
larger icons for the desktop's icon theme in data/icons/ (data/icons/padsmith.svg is the same
icon drawn by hand: change both together).
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ICONS = os.path.join(HERE, "..", "..", "..", "data", "icons")
SUPER = 4  # samples per pixel edge, for smooth edges


def write_png(path, width, height, pixels):
    """pixels: list of rows of (r, g, b, a) tuples, 0 to 255."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def render(width, height, shade):
    """shade(x, y) -> (r, g, b, a) with floats 0..1, sampled SUPER x SUPER times per pixel."""
    rows = []
    n = SUPER * SUPER
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    r, g, b, a = shade(px + (sx + 0.5) / SUPER, py + (sy + 0.5) / SUPER)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / n
            if a > 0:
                col = tuple(int(round(min(1.0, c / acc[3]) * 255)) for c in acc[:3])
            else:
                col = (0, 0, 0)
            row.append(col + (int(round(a * 255)),))
        rows.append(row)
    return rows


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def pad(pressed, scale=1):
    """A round drum pad seen from above: rim, rubber face, a soft highlight."""
    cx, cy, outer = 20.0, 20.0, 19.0

    def shade(x, y):
        x, y = x / scale, y / scale
        d = math.hypot(x - cx, y - cy)
        if d > outer:
            return (0, 0, 0, 0)
        if d > outer - 3:  # metal rim
            t = (y - (cy - outer)) / (2 * outer)
            c = mix((0.85, 0.85, 0.9), (0.35, 0.35, 0.4), t)
            return c + (1.0,)
        face_top = (0.32, 0.32, 0.36) if not pressed else (0.16, 0.16, 0.2)
        face_bottom = (0.12, 0.12, 0.14) if not pressed else (0.26, 0.26, 0.3)
        t = (y - (cy - outer)) / (2 * outer)
        c = mix(face_top, face_bottom, t)
        # highlight towards the upper left, stronger at rest
        hx, hy = (cx - 6, cy - 7) if not pressed else (cx - 3, cy - 2)
        h = max(0.0, 1.0 - math.hypot(x - hx, y - hy) / 12.0)
        c = mix(c, (0.7, 0.7, 0.78), h * (0.45 if not pressed else 0.2))
        if outer - 4.5 < d <= outer - 3:  # shadow under the rim
            c = mix(c, (0, 0, 0), 0.5)
        return c + (1.0,)

    return render(40 * scale, 40 * scale, shade)


def picture(width, height):
    """The program picture: a drum head with a stick, lettering left to the code."""
    cx, cy, r = width * 0.5, height * 0.56, min(width, height) * 0.36

    def shade(x, y):
        # dark blue backdrop with a vertical gradient
        base = mix((0.05, 0.05, 0.2), (0.0, 0.0, 0.0), y / height)
        d = math.hypot((x - cx) / 1.0, (y - cy) / 0.55)
        if d <= r:
            head = mix((0.95, 0.93, 0.85), (0.7, 0.68, 0.6), (y - cy + r * 0.55) / (r * 1.1))
            if d > r - 2.5:
                head = (0.8, 0.1, 0.1)
            return head + (1.0,)
        # shell below the head
        if abs(x - cx) <= r and cy <= y <= cy + r * 0.55 + 18:
            t = abs(x - cx) / r
            shell = mix((0.85, 0.12, 0.12), (0.35, 0.02, 0.02), t * t)
            if int(y - cy) % 9 in (0, 1):
                shell = mix(shell, (0.9, 0.9, 0.9), 0.6)
            return shell + (1.0,)
        # stick from upper right towards the head
        x0, y0, x1, y1 = width * 0.92, height * 0.08, cx + r * 0.25, cy - r * 0.2
        vx, vy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * vx + (y - y0) * vy) / (vx * vx + vy * vy)))
        dist = math.hypot(x - (x0 + t * vx), y - (y0 + t * vy))
        if dist < 2.2 + t * 0.8:
            return mix((0.9, 0.75, 0.45), (0.6, 0.45, 0.2), t) + (1.0,)
        return base + (1.0,)

    return render(width, height, shade)


def icon(size):
    """Program icon: a red pad on black with a white spark."""
    c = size / 2.0

    def shade(x, y):
        d = math.hypot(x - c, y - c)
        if d > c - 0.5:
            return (0, 0, 0, 0)
        if d > c * 0.82:
            return (0.1, 0.1, 0.1, 1.0)
        t = d / (c * 0.82)
        col = mix((1.0, 0.35, 0.2), (0.6, 0.0, 0.05), t)
        return col + (1.0,)

    return render(size, size, shade)


def zone_icon(scale=1):
    """The zone list's row image: a small waveform."""
    def shade(x, y):
        x, y = x / scale, y / scale
        mid = 8 + 5.5 * math.sin(x * 1.3) * math.exp(-x / 11.0)
        if abs(y - mid) < 1.1 and 1 <= x <= 15:
            return (1.0, 1.0, 1.0, 1.0)
        return (0, 0, 0, 0)

    return render(16 * scale, 16 * scale, shade)


def main():
    outputs = {
        "pad.png": (40, 40, pad(False)),
        "pad-pressed.png": (40, 40, pad(True)),
        "picture.png": (168, 133, picture(168, 133)),
        "padsmith-32.png": (32, 32, icon(32)),
        "padsmith-16.png": (16, 16, icon(16)),
        "zone.png": (16, 16, zone_icon()),
        # Twice as many pixels, for screens at 200 %.
        "pad@2x.png": (80, 80, pad(False, 2)),
        "pad-pressed@2x.png": (80, 80, pad(True, 2)),
        "picture@2x.png": (336, 266, picture(336, 266)),
        "padsmith-64.png": (64, 64, icon(64)),
        "zone@2x.png": (32, 32, zone_icon(2)),
    }
    for name, (w, h, px) in outputs.items():
        write_png(os.path.join(HERE, name), w, h, px)
    for size in (48, 64, 128, 256):
        write_png(os.path.join(ICONS, "padsmith-%d.png" % size), size, size, icon(size))


if __name__ == "__main__":
    main()
