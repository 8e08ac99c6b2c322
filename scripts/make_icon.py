#!/usr/bin/env python3
"""Draws the program icon and writes src/resources/tarvo.ico, or with --png the same picture
as the Linux desktop's hicolor icons (packaging/linux/icons/hicolor/SIZE/apps/tarvolin.png).

The picture: a rounded console window (blue title bar, dark body) with a green ">" prompt
and a cursor, and an orange arrow leaving its lower right corner: arguments typed, file
started. Eleven images: 48, 32, 16 px at 16 colours (the standard VGA palette); 48, 32, 24,
16 px at 256 colours; and the same four sizes at 32 bits with alpha. Every image is a BMP
entry with its AND mask. The PNG icons are the full-colour rendering at 16 to 256 px,
8-bit RGBA. Standard library only; the output is the same on every run.

Usage: python3 scripts/make_icon.py [output.ico] | --png [hicolor-folder]
"""

import math
import os
import struct
import sys
import zlib

PNG_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    levels = [0, 51, 102, 153, 204, 255]
    cube = [(r, g, b) for r in levels for g in levels for b in levels]
    greys = [(v, v, v) for v in (8 + 10 * i for i in range(24))]
    return VGA + cube + greys


# --- shapes as signed distance functions in unit coordinates (0..1, y down) ----------------

def sd_round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r
    return f


def sd_segment(ax, ay, bx, by, half_width):
    def f(x, y):
        px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - t * dx, py - t * dy) - half_width
    return f


def sd_polygon(points):
    n = len(points)

    def f(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            dx, dy = bx - ax, by - ay
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
            best = min(best, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / (by - ay):
                inside = not inside
        return -best if inside else best
    return f


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def grow(shape, d):
    return lambda x, y: shape(x, y) - d


# --- the picture: layers from back to front, each (shape, colour, VGA colour, min size) ----

def layers():
    body = sd_round_rect(0.04, 0.10, 0.90, 0.84, 0.12)
    title_band = lambda x, y: y - 0.29  # noqa: E731  everything above y = 0.29
    chevron = union(sd_segment(0.17, 0.42, 0.35, 0.555, 0.055),
                    sd_segment(0.35, 0.555, 0.17, 0.69, 0.055))
    cursor = sd_round_rect(0.40, 0.64, 0.54, 0.71, 0.01)
    arrow = sd_polygon([(0.58, 0.72), (0.74, 0.72), (0.74, 0.60), (0.97, 0.80),
                        (0.74, 0.99), (0.74, 0.88), (0.58, 0.88)])
    dots = union(*(sd_round_rect(cx - 0.035, 0.165, cx + 0.035, 0.235, 0.035)
                   for cx in (0.66, 0.74, 0.82)))
    return [
        (grow(body, 0.03), (58, 70, 86), (128, 128, 128), 0),      # frame edge
        (body, (26, 34, 46), (0, 0, 0), 0),                        # console body
        (intersect(body, title_band), (47, 111, 208), (0, 0, 128), 0),  # title bar
        (dots, (207, 224, 255), (255, 255, 255), 32),              # window buttons
        (chevron, (76, 217, 100), (0, 255, 0), 0),                 # prompt
        (cursor, (221, 230, 238), (192, 192, 192), 0),             # cursor
        (grow(arrow, 0.035), (40, 24, 8), (0, 0, 0), 0),           # arrow outline
        (arrow, (255, 167, 38), (255, 255, 0), 0),                 # arrow
    ]


def render(size, vga, samples):
    """Rows of (r, g, b, a), top row first. A low-colour image takes, per pixel, the layer
    that covers most of it (crisp pixels); a full-colour one blends coverage."""
    stack = [l for l in layers() if size >= l[3]]
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            counts = [0] * (len(stack) + 1)
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    hit = -1
                    for i in range(len(stack) - 1, -1, -1):
                        if stack[i][0](x, y) <= 0:
                            hit = i
                            break
                    counts[hit + 1] += 1
                    if hit >= 0:
                        colour = stack[hit][2] if vga else stack[hit][1]
                        for k in range(3):
                            acc[k] += colour[k]
            total = samples * samples
            covered = total - counts[0]
            if vga:
                best = max(range(len(counts)), key=lambda i: (counts[i], i))
                if best == 0 or covered * 2 < total:
                    row.append((0, 0, 0, 0))
                else:
                    row.append(stack[best - 1][2] + (255,))
            elif covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / covered) for c in acc) + (round(255 * covered / total),))
        rows.append(row)
    return rows


def nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((palette[i][k] - rgb[k]) ** 2 for k in range(3)))


def padded(row_bytes):
    return row_bytes + b"\0" * (-len(row_bytes) % 4)


def and_mask(rows):
    out = b""
    for row in reversed(rows):
        bits = bytearray((len(row) + 7) // 8)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += padded(bytes(bits))
    return out


def bmp_entry(rows, bpp):
    size = len(rows)
    if bpp == 32:
        palette = []
        xor = b"".join(padded(bytes(v for (r, g, b, a) in row for v in (b, g, r, a)))
                       for row in reversed(rows))
    else:
        palette = VGA if bpp == 4 else palette256()
        cache = {}
        lines = []
        for row in reversed(rows):
            idx = []
            for (r, g, b, a) in row:
                key = (r, g, b) if a >= 128 else None
                if key not in cache:
                    cache[key] = 0 if key is None else nearest(palette, key)
                idx.append(cache[key])
            if bpp == 4:
                idx += [0] * (len(idx) % 2)
                data = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, len(idx), 2))
            else:
                data = bytes(idx)
            lines.append(padded(data))
        xor = b"".join(lines)
    mask = and_mask(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    return header + colours + xor + mask


def output_path(usage, default_name):
    """The file to write: the one argument, or src/resources/<default_name>. Prints the usage
    and returns None for -h/--help; an option is never taken for the output path."""
    if sys.argv[1:] in (["-h"], ["--help"]):
        print(usage.strip())
        return None
    if len(sys.argv) > 2 or (len(sys.argv) == 2 and sys.argv[1].startswith("-")):
        sys.exit(usage.strip().splitlines()[-1])
    if len(sys.argv) > 1:
        return sys.argv[1]
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.join(here, "..", "src", "resources", default_name)


def png(rows):
    """An 8-bit RGBA PNG of the rows, with nothing in it that changes from run to run."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_pngs(folder):
    for size in PNG_SIZES:
        # Fewer samples per pixel at the large sizes: the edges are as smooth, and the pure
        # Python rendering stays within seconds.
        rows = render(size, vga=False, samples=6 if size <= 64 else 3)
        target = os.path.join(folder, "%dx%d" % (size, size), "apps")
        os.makedirs(target, exist_ok=True)
        with open(os.path.join(target, "tarvolin.png"), "wb") as f:
            f.write(png(rows))


def main():
    if sys.argv[1:2] == ["--png"]:
        if len(sys.argv) > 3:
            sys.exit(__doc__.strip().splitlines()[-1])
        here = os.path.dirname(os.path.abspath(__file__))
        default = os.path.join(here, "..", "packaging", "linux", "icons", "hicolor")
        write_pngs(sys.argv[2] if len(sys.argv) == 3 else default)
        return
    out = output_path(__doc__, "tarvo.ico")
    if out is None:
        return
    plan = [(48, 4), (32, 4), (16, 4),
            (48, 8), (32, 8), (24, 8), (16, 8),
            (48, 32), (32, 32), (24, 32), (16, 32)]
    smooth = {}
    images = []
    for size, bpp in plan:
        if bpp == 4:
            rows = render(size, vga=True, samples=5)
        else:
            if size not in smooth:
                smooth[size] = render(size, vga=False, samples=6)
            rows = smooth[size]
        images.append((size, bpp, bmp_entry(rows, bpp)))

    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, bpp, data in images:
        entries += struct.pack("<BBBBHHII", size, size, 16 if bpp == 4 else 0, 0, 1, bpp,
                               len(data), offset)
        offset += len(data)
    with open(out, "wb") as f:
        f.write(directory + entries + b"".join(data for _, _, data in images))


if __name__ == "__main__":
    main()
