"""A small canvas of palette indices for drawing the pictures, and the
reader of the text pixel maps.

Colours are indices into formats.PALETTE, named below; TRANSPARENT marks
pixels of icons where the desktop shows through.
"""

import math
import os

import fon
from formats import PALETTE, TRANSPARENT

COLOURS = {
    "black": 0, "maroon": 1, "green": 2, "olive": 3, "navy": 4, "purple": 5,
    "teal": 6, "silver": 7, "grey": 8, "red": 9, "lime": 10, "yellow": 11,
    "blue": 12, "fuchsia": 13, "aqua": 14, "white": 15, "clear": TRANSPARENT,
}
globals().update({name.upper(): index for name, index in COLOURS.items()})

FONT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fonts")
_fonts = {}


def font(name):
    """The pixel font tools/assets/fonts/<name>.txt (same format as the LED
    font's glyph source)."""
    if name not in _fonts:
        with open(os.path.join(FONT_DIR, name + ".txt")) as f:
            _fonts[name] = fon.parse_glyphs(f.read())
    return _fonts[name]


class Canvas:
    def __init__(self, width, height, fill=TRANSPARENT):
        self.width = width
        self.height = height
        self.px = [[fill] * width for _ in range(height)]

    def rows(self):
        return [list(r) for r in self.px]

    def get(self, x, y):
        return self.px[y][x]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height and c is not None:
            self.px[y][x] = c

    def fill(self, c):
        self.rect(0, 0, self.width, self.height, c)

    def rect(self, x, y, w, h, c):
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.set(xx, yy, c)

    def frame(self, x, y, w, h, c):
        self.hline(x, x + w - 1, y, c)
        self.hline(x, x + w - 1, y + h - 1, c)
        self.vline(x, y, y + h - 1, c)
        self.vline(x + w - 1, y, y + h - 1, c)

    def bevel(self, x, y, w, h, light, dark):
        """A one-pixel raised edge: light on the top and left, dark on the
        bottom and right."""
        self.hline(x, x + w - 1, y, light)
        self.vline(x, y, y + h - 1, light)
        self.hline(x, x + w - 1, y + h - 1, dark)
        self.vline(x + w - 1, y, y + h - 1, dark)

    def hline(self, x0, x1, y, c):
        for x in range(min(x0, x1), max(x0, x1) + 1):
            self.set(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(min(y0, y1), max(y0, y1) + 1):
            self.set(x, y, c)

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, points, c):
        """Fills the pixels whose centres lie inside the polygon."""
        ys = [p[1] for p in points]
        for y in range(max(0, math.floor(min(ys))), min(self.height, math.ceil(max(ys)) + 1)):
            cy = y + 0.5
            xs = []
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay <= cy < by) or (by <= cy < ay):
                    xs.append(ax + (cy - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for a, b in zip(xs[0::2], xs[1::2]):
                for x in range(math.ceil(a - 0.5), math.floor(b - 0.5) + 1):
                    self.set(x, y, c)

    def ellipse(self, cx, cy, rx, ry, c):
        """Fills the pixels whose centres lie inside the ellipse (centre and
        radii in pixel units; the pixel (x, y) has its centre at x+0.5)."""
        for y in range(math.floor(cy - ry), math.ceil(cy + ry) + 1):
            for x in range(math.floor(cx - rx), math.ceil(cx + rx) + 1):
                dx = (x + 0.5 - cx) / rx
                dy = (y + 0.5 - cy) / ry
                if dx * dx + dy * dy <= 1.0:
                    self.set(x, y, c)

    def disc_map(self, cx, cy, r, shade):
        """Calls shade(x, y, dx, dy, d) for every pixel of a circle, with the
        offset from the centre and the distance d as a fraction of r; sets
        the pixel to the colour it returns (None leaves it)."""
        for y in range(math.floor(cy - r), math.ceil(cy + r) + 1):
            for x in range(math.floor(cx - r), math.ceil(cx + r) + 1):
                dx = x + 0.5 - cx
                dy = y + 0.5 - cy
                d = math.hypot(dx, dy) / r
                if d <= 1.0:
                    self.set(x, y, shade(x, y, dx, dy, d))

    def dither(self, x, y, w, h, c1, c2, level):
        """Fills with c2 over c1 in an ordered (4 x 4 Bayer) pattern: level
        0.0 is all c1, 1.0 all c2."""
        for yy in range(y, y + h):
            for xx in range(x, x + w):
                self.set(xx, yy, c2 if level > BAYER[yy % 4][xx % 4] else c1)

    def blit(self, other, x, y, skip=TRANSPARENT):
        for yy, row in enumerate(other.px):
            for xx, c in enumerate(row):
                if c != skip:
                    self.set(x + xx, y + yy, c)

    def map(self, fn):
        for y in range(self.height):
            for x in range(self.width):
                self.px[y][x] = fn(x, y, self.px[y][x])

    def replace(self, old, new):
        self.map(lambda x, y, c: new if c == old else c)

    def outline(self, shape_colours, c, ring=1):
        """Draws c on every pixel not in shape_colours that touches (also
        diagonally, within ring pixels) a pixel in shape_colours."""
        inside = [[self.px[y][x] in shape_colours for x in range(self.width)]
                  for y in range(self.height)]
        for y in range(self.height):
            for x in range(self.width):
                if inside[y][x]:
                    continue
                near = any(inside[yy][xx]
                           for yy in range(max(0, y - ring), min(self.height, y + ring + 1))
                           for xx in range(max(0, x - ring), min(self.width, x + ring + 1)))
                if near:
                    self.px[y][x] = c

    def text(self, x, y, string, c, face="small", scale=1, spacing=1):
        """Draws string with its top-left at (x, y); returns the width."""
        f = font(face)
        start = x
        for ch in string:
            rows = f.glyphs.get(ord(ch), f.glyphs[f.default])
            for gy, row in enumerate(rows):
                for gx, bit in enumerate(row):
                    if bit:
                        self.rect(x + gx * scale, y + gy * scale, scale, scale, c)
            x += (len(rows[0]) + spacing) * scale
        return x - start - spacing * scale

    def to_rgb(self, background=(255, 0, 255)):
        return [[PALETTE[c] if c != TRANSPARENT else background for c in row]
                for row in self.px]


BAYER = [[(v + 0.5) / 16 for v in row] for row in
         [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]]


def text_width(string, face="small", scale=1, spacing=1):
    f = font(face)
    widths = [len(f.glyphs.get(ord(ch), f.glyphs[f.default])[0]) for ch in string]
    return (sum(widths) + spacing * (len(widths) - 1)) * scale if widths else 0


def pixmap(rows, legend):
    """A Canvas from rows of characters, each mapped by legend (a dict of
    character to colour index)."""
    canvas = Canvas(len(rows[0]), len(rows))
    if len({len(r) for r in rows}) != 1:
        raise ValueError("the rows must all have the same length")
    canvas.px = [[legend[ch] for ch in row] for row in rows]
    return canvas


def load_pixmap(path):
    """Reads a text pixel map: "legend <char> <colour name>" lines, then the
    rows of pixels, one character per pixel.  Lines starting with # are
    comments.  Returns a Canvas."""
    legend = {}
    rows = []
    with open(path) as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("legend "):
                parts = line.split()
                if len(parts) != 3 or len(parts[1]) != 1 or parts[2] not in COLOURS:
                    raise ValueError("%s:%d: bad legend %r" % (path, number, line))
                legend[parts[1]] = COLOURS[parts[2]]
            elif line.startswith("#") or not line.strip():
                continue
            else:
                try:
                    rows.append([legend[ch] for ch in line])
                except KeyError as e:
                    raise ValueError("%s:%d: %s is not in the legend" % (path, number, e))
    if not rows or len({len(r) for r in rows}) != 1:
        raise ValueError("%s: the rows must all have the same length" % path)
    canvas = Canvas(len(rows[0]), len(rows))
    canvas.px = rows
    return canvas
