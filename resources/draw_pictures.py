#!/usr/bin/env python3
"""Draws the program's pictures: XPM files into pictures/, the application icon into icons/.

The eight 32 x 32 button pictures and the chip icon use the 16 standard colours and a
transparent ground; the 128 x 47 logotype is black on white with a grey shadow. Each is drawn
a second time at twice the size, NAME@2x.xpm, for screens at twice the scale. The application
icon is the same chip drawn again, with smooth edges, at each size a desktop asks for: PNG at 48,
64, 128 and 256 pixels and SVG. The same drawing always gives the same bytes.

Run it again after changing a drawing: python3 resources/draw_pictures.py [FOLDER]
(FOLDER, default the folder of this script, receives pictures/ and icons/).
"""
import math
import os
import struct
import sys
import zlib

PALETTE = {
    ".": None,  # transparent
    "k": (0x00, 0x00, 0x00), "m": (0x80, 0x00, 0x00), "g": (0x00, 0x80, 0x00),
    "o": (0x80, 0x80, 0x00), "n": (0x00, 0x00, 0x80), "p": (0x80, 0x00, 0x80),
    "t": (0x00, 0x80, 0x80), "s": (0xC0, 0xC0, 0xC0), "d": (0x80, 0x80, 0x80),
    "r": (0xFF, 0x00, 0x00), "l": (0x00, 0xFF, 0x00), "y": (0xFF, 0xFF, 0x00),
    "b": (0x00, 0x00, 0xFF), "f": (0xFF, 0x00, 0xFF), "a": (0x00, 0xFF, 0xFF),
    "w": (0xFF, 0xFF, 0xFF),
}


class Canvas:
    """A picture drawn on a grid of cells, each cell `scale` x `scale` pixels.

    Drawings give their coordinates in cells, so that one drawing makes the picture at 32 x 32
    pixels and again at 64 x 64 for a screen at twice the scale: there every shape is sampled
    again at its own pixels, so that slanted and round edges come out finer instead of doubled,
    and a line keeps the width of one cell.
    """

    def __init__(self, width, height, ground=".", scale=1):
        self.width, self.height, self.scale = width, height, scale
        self.cells = [[ground] * (width * scale) for _ in range(height * scale)]

    def pixel(self, x, y, c):
        if 0 <= x < self.width * self.scale and 0 <= y < self.height * self.scale:
            self.cells[y][x] = c

    def pixels(self, c, covers):
        """Paints every pixel whose centre, in cells, the test `covers`."""
        s = self.scale
        for y in range(self.height * s):
            for x in range(self.width * s):
                if covers((x + 0.5) / s, (y + 0.5) / s):
                    self.pixel(x, y, c)

    def dot(self, x, y, c):
        self.fill(x, y, x, y, c)

    def fill(self, x0, y0, x1, y1, c):
        """Fills the rectangle with corner cells (x0, y0) and (x1, y1), both included."""
        s = self.scale
        for y in range(y0 * s, (y1 + 1) * s):
            for x in range(x0 * s, (x1 + 1) * s):
                self.pixel(x, y, c)

    def box(self, x0, y0, x1, y1, inside, edge):
        self.fill(x0, y0, x1, y1, edge)
        self.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, inside)

    def line(self, x0, y0, x1, y1, c):
        """A line one cell wide from the centre of cell (x0, y0) to that of (x1, y1)."""
        if self.scale == 1:
            steps = max(abs(x1 - x0), abs(y1 - y0), 1)
            for i in range(steps + 1):
                self.dot(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), c)
            return
        self.pixels(c, lambda x, y: near_segment(x, y, x0 + 0.5, y0 + 0.5, x1 + 0.5, y1 + 0.5))

    def polygon(self, points, c):
        """Fills the polygon, sampling each pixel at its centre."""
        self.pixels(c, lambda x, y: inside_polygon(points, x, y))

    def outline(self, points, c):
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            self.line(x0, y0, x1, y1, c)

    def disc(self, cx, cy, r, c):
        self.pixels(c, lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r)

    def xpm(self, name):
        used = sorted({c for row in self.cells for c in row})
        lines = ["/* XPM */", "static const char* const %s[] = {" % name,
                 '"%d %d %d 1",' % (self.width * self.scale, self.height * self.scale,
                                    len(used))]
        for c in used:
            colour = PALETTE[c]
            value = "None" if colour is None else "#%02X%02X%02X" % colour
            lines.append('"%s c %s",' % (c, value))
        lines += ['"%s",' % "".join(row) for row in self.cells]
        lines[-1] = lines[-1].rstrip(",")
        lines.append("};")
        return "\n".join(lines) + "\n"


def near_segment(x, y, x0, y0, x1, y1):
    """Whether (x, y) lies in the stroke one cell wide along the segment, with square ends: half
    a cell either side of it, and half a cell beyond each end, as the line's cells at 1x reach."""
    dx, dy = x1 - x0, y1 - y0
    length = math.hypot(dx, dy)
    if length == 0:
        return abs(x - x0) <= 0.5 and abs(y - y0) <= 0.5
    along = ((x - x0) * dx + (y - y0) * dy) / length
    across = ((x - x0) * dy - (y - y0) * dx) / length
    # A slanted line at 1x covers about one cell measured along x or y, not across itself.
    half = 0.5 * max(abs(dx), abs(dy)) / length
    return -0.5 <= along <= length + 0.5 and abs(across) <= half


def inside_polygon(points, x, y):
    inside = False
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def open_folder(scale=1):
    c = Canvas(32, 32, scale=scale)
    c.polygon([(2, 8), (9, 8), (11, 10), (24, 10), (24, 27), (2, 27)], "o")  # back
    c.polygon([(3, 9), (9, 9), (11, 11), (23, 11), (23, 26), (3, 26)], "y")
    c.box(9, 3, 22, 20, "w", "k")  # the sheet
    for y in (6, 9, 12, 15):
        c.line(11, y, 20, y, "d")
    front = [(2, 27), (7, 15), (30, 15), (25, 27)]
    c.polygon(front, "y")
    c.outline(front, "o")
    c.outline([(2, 8), (9, 8), (11, 10), (24, 10), (24, 15)], "o")
    c.line(2, 8, 2, 27, "o")
    return c


def diskette(scale=1):
    c = Canvas(32, 32, scale=scale)
    c.polygon([(3, 3), (26, 3), (29, 6), (29, 29), (3, 29)], "n")
    c.outline([(3, 3), (26, 3), (29, 6), (29, 29), (3, 29)], "k")
    c.box(9, 3, 23, 12, "s", "k")  # shutter
    c.fill(18, 5, 21, 10, "n")
    c.box(6, 16, 26, 29, "w", "k")  # label
    for y in (19, 22, 25):
        c.line(8, y, 24, y, "d")
    c.fill(4, 26, 5, 27, "k")  # write-protect hole
    return c


def open_book(scale=1):
    c = Canvas(32, 32, scale=scale)
    c.polygon([(1, 9), (15, 11), (16, 28), (1, 26)], "m")  # covers
    c.polygon([(16, 11), (30, 9), (30, 26), (16, 28)], "m")
    left = [(2, 7), (9, 6), (15, 8), (15, 26), (9, 24), (2, 25)]
    right = [(16, 8), (22, 6), (29, 7), (29, 25), (22, 24), (16, 26)]
    c.polygon(left, "w")
    c.polygon(right, "w")
    c.outline(left, "k")
    c.outline(right, "k")
    for i in range(5):
        y = 11 + 3 * i
        c.line(4, y, 13, y + 1, "d")
        c.line(18, y + 1, 27, y, "d")
    c.line(15, 8, 15, 27, "k")
    c.line(16, 8, 16, 27, "d")
    return c


def writing_pad(scale=1):
    c = Canvas(32, 32, scale=scale)
    c.box(4, 5, 24, 30, "w", "k")
    c.fill(5, 4, 23, 6, "d")  # binding
    for x in range(6, 24, 3):
        c.fill(x, 2, x, 6, "k")
    c.line(8, 7, 8, 29, "r")  # margin
    for y in range(10, 29, 3):
        c.line(5, y, 23, y, "a")
    pen = [(27, 4), (30, 7), (15, 24), (12, 21)]
    c.polygon(pen, "y")
    c.outline(pen, "k")
    c.polygon([(12, 21), (15, 24), (10, 26)], "s")  # the tip
    c.line(10, 26, 12, 24, "k")
    c.line(27, 4, 30, 7, "r")
    return c


def blank_sheets(scale=1):
    c = Canvas(32, 32, scale=scale)
    for i in range(4):
        x, y = 11 - 3 * i, 2 + 3 * i
        c.box(x, y, x + 17, y + 20, "w", "k")
        c.line(x + 1, y + 20, x + 17, y + 20, "d")
    return c


def eraser(scale=1):
    c = Canvas(32, 32, scale=scale)
    top = [(8, 12), (20, 4), (29, 9), (17, 17)]
    sleeve_front = [(3, 16), (12, 21), (17, 17), (8, 12)]
    front = [(12, 21), (12, 26), (29, 14), (29, 9), (17, 17)]
    c.polygon(top, "r")
    c.polygon([(3, 16), (12, 21), (12, 26), (3, 21)], "m")  # left end, in shade
    c.polygon(front, "m")
    c.polygon([(8, 12), (13, 9), (22, 14), (17, 17)], "w")  # paper sleeve on top
    c.polygon(sleeve_front, "w")
    c.outline(top, "k")
    c.outline([(3, 16), (12, 21), (12, 26), (3, 21)], "k")
    c.outline(front, "k")
    c.line(13, 9, 22, 14, "k")
    c.line(22, 14, 22, 21, "k")
    for x, y in ((5, 28), (9, 29), (14, 29), (18, 28)):
        c.fill(x, y, x + 1, y, "d")
    return c


def equals_sign(scale=1):
    c = Canvas(32, 32, scale=scale)
    for y in (8, 18):
        c.box(4, y, 27, y + 6, "g", "k")
        c.line(5, y + 1, 26, y + 1, "l")
    return c


def magnifying_glass(scale=1):
    c = Canvas(32, 32, scale=scale)
    handle = [(18, 21), (21, 18), (30, 27), (27, 30)]
    c.polygon(handle, "m")
    c.outline(handle, "k")
    c.disc(12.5, 12.5, 10.5, "k")
    c.disc(12.5, 12.5, 9, "s")
    c.disc(12.5, 12.5, 7.5, "a")
    c.disc(10, 10, 2.5, "w")  # glint
    return c


def chip(scale=1):
    c = Canvas(32, 32, scale=scale)
    for i in range(4):
        y = 6 + 6 * i
        c.box(3, y, 9, y + 2, "s", "d")  # pins
        c.box(22, y, 28, y + 2, "s", "d")
    c.box(8, 2, 23, 29, "d", "k")
    c.fill(9, 3, 22, 28, "k")
    c.disc(15.5, 1.5, 3.6, "d")  # the notch at pin 1's end
    c.disc(15.5, 1.5, 2.6, ".")
    c.fill(8, 0, 23, 1, ".")
    c.disc(12, 8, 1.5, "w")  # pin 1 mark
    return c


# The logotype: heavy letters as shapes, sampled several times per pixel for smooth edges.
def ring(cx, cy, rx, ry, inner_rx, inner_ry):
    def test(x, y):
        outer = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1
        inner = ((x - cx) / inner_rx) ** 2 + ((y - cy) / inner_ry) ** 2 <= 1
        return outer and not inner
    return test


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def poly(points):
    return lambda x, y: inside_polygon(points, x, y)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def logo_shapes():
    top, xtop, base = 8, 17, 36  # cap height, x-height, baseline
    shapes = []
    x = 6  # K
    shapes += [rect(x, top, x + 6, base),
               poly([(x + 6, xtop + 5), (x + 15, top), (x + 23, top), (x + 8, base - 7)]),
               poly([(x + 9, xtop + 1), (x + 23, base), (x + 15, base), (x + 6, base - 10)])]
    x = 31  # o
    shapes.append(ring(x + 9.5, 26.5, 9.5, 9.8, 3.3, 4.6))
    x = 51  # r
    shapes += [rect(x, xtop, x + 6, base),
               poly([(x + 6, xtop + 4), (x + 10, xtop), (x + 15, xtop), (x + 15, xtop + 6),
                     (x + 11, xtop + 6), (x + 6, xtop + 10)])]
    x = 67  # v
    shapes.append(poly([(x, xtop), (x + 7, xtop), (x + 10.5, base - 7), (x + 14, xtop),
                        (x + 21, xtop), (x + 14, base), (x + 7, base)]))
    x = 89  # e
    shapes += [minus(ring(x + 9.5, 26.5, 9.5, 9.8, 3.3, 4.6), rect(x + 10, 27.5, x + 20, 31)),
               rect(x + 2, 24.5, x + 17, 27.5)]
    x = 111  # l
    shapes.append(rect(x, top, x + 6, base))
    return shapes


def coverage(shapes, width, height, scale=1, samples=4):
    """How much of each pixel the shapes, laid out at 1x, cover at `scale`."""
    grid = [[0.0] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    px, py = x + (sx + 0.5) / samples, y + (sy + 0.5) / samples
                    hits += any(shape(px / scale, py / scale) for shape in shapes)
            grid[y][x] = hits / (samples * samples)
    return grid


def blur(grid, radius):
    height, width = len(grid), len(grid[0])
    out = [[0.0] * width for _ in range(height)]
    for y in range(height):
        for x in range(width):
            total, count = 0.0, 0
            for dy in range(-radius, radius + 1):
                for dx in range(-radius, radius + 1):
                    if 0 <= y + dy < height and 0 <= x + dx < width:
                        total += grid[y + dy][x + dx]
                    count += 1
            out[y][x] = total / count
    return out


def logo_xpm(name, scale=1):
    width, height = 128 * scale, 47 * scale
    letters = coverage(logo_shapes(), width, height, scale)
    offset = 3 * scale
    shifted = [[letters[y - offset][x - offset] if y >= offset and x >= offset else 0.0
                for x in range(width)] for y in range(height)]
    shadow = blur(blur(shifted, scale), scale)
    levels = 16
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            ground = 1.0 - 0.45 * shadow[y][x]  # soft grey under the letters
            value = ground * (1.0 - letters[y][x])
            row.append(min(levels - 1, int(value * (levels - 1) + 0.5)))
        rows.append(row)
    symbols = "0123456789ABCDEF"
    used = sorted({v for row in rows for v in row})
    lines = ["/* XPM */", "static const char* const %s[] = {" % name,
             '"%d %d %d 1",' % (width, height, len(used))]
    for v in used:
        grey = round(v * 255 / (levels - 1))
        lines.append('"%s c #%02X%02X%02X",' % (symbols[v], grey, grey, grey))
    lines += ['"%s",' % "".join(symbols[v] for v in row) for row in rows]
    lines[-1] = lines[-1].rstrip(",")
    lines.append("};")
    return "\n".join(lines) + "\n"


# The application icon. Its shapes are placed on whole pixels at every size, so that straight
# edges stay sharp; only the round ones are smoothed, from 8 x 8 samples per pixel.
ICON_SIZES = (48, 64, 128, 256)
ICON_SAMPLES = 8


def number(value):
    return ("%.2f" % value).rstrip("0").rstrip(".")


# Each shape says whether it holds a point, and whether it covers pixel (x, y), the unit square
# from (x, y) to (x + 1, y + 1): 1 wholly, 0 not at all, None in part.
class Rect:
    def __init__(self, x0, y0, x1, y1):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1

    def inside(self, x, y):
        return self.x0 <= x < self.x1 and self.y0 <= y < self.y1

    def cover(self, x, y):
        if x >= self.x0 and x + 1 <= self.x1 and y >= self.y0 and y + 1 <= self.y1:
            return 1
        if x + 1 <= self.x0 or x >= self.x1 or y + 1 <= self.y0 or y >= self.y1:
            return 0
        return None

    def svg(self):
        return '<rect x="%s" y="%s" width="%s" height="%s"' % tuple(map(number, (
            self.x0, self.y0, self.x1 - self.x0, self.y1 - self.y0)))


class Disc:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def inside(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 < self.r * self.r

    def cover(self, x, y):
        far_x = max(abs(self.cx - x), abs(self.cx - x - 1))
        far_y = max(abs(self.cy - y), abs(self.cy - y - 1))
        if far_x ** 2 + far_y ** 2 <= self.r ** 2:
            return 1
        near_x, near_y = min(max(self.cx, x), x + 1), min(max(self.cy, y), y + 1)
        if (near_x - self.cx) ** 2 + (near_y - self.cy) ** 2 >= self.r ** 2:
            return 0
        return None

    def svg(self):
        return '<circle cx="%s" cy="%s" r="%s"' % tuple(map(number, (self.cx, self.cy, self.r)))


class NotchedRect(Rect):
    """A rectangle with a round notch cut into its top edge."""

    def __init__(self, x0, y0, x1, y1, notch):
        super().__init__(x0, y0, x1, y1)
        self.notch = notch

    def inside(self, x, y):
        return super().inside(x, y) and not self.notch.inside(x, y)

    def cover(self, x, y):
        body, notch = super().cover(x, y), self.notch.cover(x, y)
        if body == 0 or notch == 1:
            return 0
        return 1 if body == 1 and notch == 0 else None

    def svg(self):
        n = self.notch
        half = math.sqrt(n.r * n.r - (self.y0 - n.cy) ** 2)  # where the notch meets the edge
        return '<path d="M%s %sH%sA%s %s 0 0 0 %s %sH%sV%sH%sZ"' % tuple(map(number, (
            self.x0, self.y0, n.cx - half, n.r, n.r, n.cx + half, self.y0, self.x1, self.y1,
            self.x0)))


def chip_icon(size):
    """The chip of chip.xpm as (shape, colour) layers, bottom first, for a size x size icon.

    The drawing is laid out on the 32 x 32 grid of the small picture and scaled to the size;
    outlines are about a 48th of the icon wide, and never thinner than a pixel. The body has
    a grey outline of its own, so that it stands out on a dark panel too.
    """
    def at(v):
        return round(v * size / 32)

    line = max(1, round(size / 48))
    outline = PALETTE["d"]
    layers = []
    pitch, height = at(6), at(3)
    for i in range(4):
        top = pitch * (i + 1)
        for x0, x1 in ((at(3), at(10)), (at(22), at(29))):
            layers.append((Rect(x0, top, x1, top + height), outline))
            layers.append((Rect(x0 + line, top + line, x1 - line, top + height - line),
                           PALETTE["s"]))
    x0, y0, x1, y1 = at(8), at(2), at(24), at(30)
    centre, notch = (x0 + x1) / 2, at(5) / 2
    layers.append((NotchedRect(x0, y0, x1, y1, Disc(centre, y0, notch)), outline))
    layers.append((NotchedRect(x0 + line, y0 + line, x1 - line, y1 - line,
                               Disc(centre, y0, notch + line)), PALETTE["k"]))
    layers.append((Disc(at(12), at(8), 1.5 * size / 32), PALETTE["w"]))  # pin 1
    return layers


def paint(layers, size):
    """RGBA rows: each pixel the mean of its samples, each sample the colour of the top layer."""
    step = 1 / ICON_SAMPLES
    offsets = [(i + 0.5) * step for i in range(ICON_SAMPLES)]
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            covers = [shape.cover(x, y) for shape, _ in layers]
            top = max((i for i, c in enumerate(covers) if c == 1), default=-1)
            if all(c is not None for c in covers[top + 1:]):  # no edge crosses the pixel
                row += bytes(layers[top][1]) + b"\xff" if top >= 0 else bytes(4)
                continue
            live = [i for i in range(max(top, 0), len(layers)) if covers[i] != 0]
            total, hits = [0, 0, 0], 0
            for oy in offsets:
                for ox in offsets:
                    hit = next((i for i in reversed(live)
                                if layers[i][0].inside(x + ox, y + oy)), None)
                    if hit is not None:
                        hits += 1
                        total = [t + c for t, c in zip(total, layers[hit][1])]
            if hits == 0:
                row += bytes(4)
            else:
                alpha = round(255 * hits / ICON_SAMPLES ** 2)
                row += bytes(round(t / hits) for t in total) + bytes([alpha])
        rows.append(bytes(row))
    return rows


def png(rows, size):
    """An 8-bit RGBA PNG, with nothing in it but the picture (no time, no text)."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    pixels = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def svg(layers, size):
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" '
             'viewBox="0 0 %d %d">' % (size, size, size, size)]
    for shape, colour in layers:
        lines.append('  %s fill="#%02X%02X%02X"/>' % ((shape.svg(),) + tuple(colour)))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    pictures, icons = os.path.join(root, "pictures"), os.path.join(root, "icons")
    os.makedirs(pictures, exist_ok=True)
    os.makedirs(icons, exist_ok=True)
    drawings = {"open": open_folder, "save": diskette, "read": open_book,
                "write": writing_pad, "blank": blank_sheets, "erase": eraser,
                "verify": equals_sign, "buffer": magnifying_glass, "chip": chip}
    # Each picture at 1x, and as NAME@2x.xpm at twice the size for screens at twice the scale.
    for name, draw in drawings.items():
        write(os.path.join(pictures, name + ".xpm"), draw().xpm(name).encode())
        write(os.path.join(pictures, name + "@2x.xpm"), draw(2).xpm(name + "_2x").encode())
    write(os.path.join(pictures, "logo.xpm"), logo_xpm("logo").encode())
    write(os.path.join(pictures, "logo@2x.xpm"), logo_xpm("logo_2x", 2).encode())
    for size in ICON_SIZES:
        write(os.path.join(icons, "korvel-%d.png" % size), png(paint(chip_icon(size), size), size))
    write(os.path.join(icons, "korvel.svg"), svg(chip_icon(256), 256).encode())


if __name__ == "__main__":
    main()
