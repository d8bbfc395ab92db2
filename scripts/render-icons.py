#!/usr/bin/env python3
"""Renders the scalable icon into the PNG sizes of the hicolor theme.

The icon is plain rectangles (one with round corners), so this draws them
itself instead of needing an SVG library: each rectangle covers a pixel by
the overlap of the two intervals, round corners are sampled 16 x 16.
Usage: render-icons.py ICON.svg OUTPUT_FOLDER SIZE...
"""
import struct
import sys
import xml.etree.ElementTree as ET
import zlib


def read_rects(svg_path):
    root = ET.parse(svg_path).getroot()
    box = float(root.get("viewBox").split()[2])
    rects = []
    for e in root.iter("{http://www.w3.org/2000/svg}rect"):
        x, y, w, h = (float(e.get(k)) for k in ("x", "y", "width", "height"))
        fill = e.get("fill").lstrip("#")
        rgb = tuple(int(fill[i:i + 2], 16) / 255 for i in (0, 2, 4))
        rects.append((x, y, x + w, y + h, float(e.get("rx", 0)), rgb))
    return box, rects


def overlap(a0, a1, b0, b1):
    return max(0.0, min(a1, b1) - max(a0, b0))


def inside_rounded(x, y, r):
    x0, y0, x1, y1, rx, _ = r
    cx = min(max(x, x0 + rx), x1 - rx)
    cy = min(max(y, y0 + rx), y1 - rx)
    return (x - cx) ** 2 + (y - cy) ** 2 <= rx * rx


def coverage(px, py, scale, r):
    x0, y0, x1, y1, rx, _ = r
    a = px / scale, (px + 1) / scale
    b = py / scale, (py + 1) / scale
    area = overlap(*a, x0, x1) * overlap(*b, y0, y1) * scale * scale
    near_corner = rx and (a[0] < x0 + rx or a[1] > x1 - rx) and (b[0] < y0 + rx or b[1] > y1 - rx)
    if area == 0 or not near_corner:
        return area
    n = 16
    hits = sum(inside_rounded((px + (i + .5) / n) / scale, (py + (j + .5) / n) / scale, r)
               for i in range(n) for j in range(n))
    return hits / (n * n)


def render(box, rects, size):
    scale = size / box
    canvas = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]  # premultiplied RGBA
    for r in rects:
        for py in range(max(0, int(r[1] * scale)), min(size, int(r[3] * scale) + 1)):
            for px in range(max(0, int(r[0] * scale)), min(size, int(r[2] * scale) + 1)):
                c = coverage(px, py, scale, r)
                if c:
                    d = canvas[py][px]
                    canvas[py][px] = tuple(c * s + (1 - c) * v for s, v in zip((*r[5], 1.0), d))
    return canvas


def png_bytes(canvas):
    def straight(p):
        a = p[3]
        rgb = (v / a if a else 0 for v in p[:3])
        return bytes(round(min(1.0, v) * 255) for v in (*rgb, a))

    raw = b"".join(b"\0" + b"".join(straight(p) for p in row) for row in canvas)
    size = len(canvas)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main(svg_path, folder, *sizes):
    box, rects = read_rects(svg_path)
    for size in map(int, sizes):
        with open(f"{folder}/{size}.png", "wb") as out:
            out.write(png_bytes(render(box, rects, size)))


if __name__ == "__main__":
    main(*sys.argv[1:])
