"""Drawing motifs shared by the pictures and icons, so that the disc, the
transport symbols and the lettering look the same everywhere."""

import math

from imaging import (BAYER, BLACK, FUCHSIA, GREY, AQUA, SILVER, WHITE, YELLOW,
                     TRANSPARENT)


def compact_disc(canvas, cx, cy, r, body=SILVER, rim=GREY, hub=WHITE,
                 hole=TRANSPARENT, sheen=(FUCHSIA, YELLOW, AQUA), angle=-40):
    """A disc seen from above: an outlined rim, the data area in body with
    two opposite rainbow reflections at angle degrees, a light clear hub
    ring and the centre hole."""
    a0 = math.radians(angle)
    rim_px = max(1.0, r * 0.06)
    hole_px = max(1.0, r * 0.15)

    def shade(x, y, dx, dy, d):
        p = d * r                                 # distance in pixels
        if p > r - rim_px:
            return rim
        if p < hole_px:
            return hole
        if p < hole_px + 1.0:
            return rim
        if d < 0.36:
            return hub
        if d < 0.36 + 1.0 / r and r > 10:
            return rim
        a = math.atan2(dy, dx)
        glint = math.cos(2 * (a - a0))           # two opposite reflections
        level = (glint - 0.55) / 0.45             # 0 at the edge of a reflection
        if level > BAYER[y % 4][x % 4]:
            band = min(len(sheen) - 1, int((d - 0.40) / 0.60 * len(sheen)))
            return sheen[max(0, band)]
        if glint < -0.85 and BAYER[y % 4][x % 4] < 0.25:
            return WHITE
        return body

    canvas.disc_map(cx, cy, r, shade)


def right_triangle(canvas, x, y, h, c, outline=None):
    """A right-pointing triangle h pixels high with its left edge at x."""
    half = (h - 1) / 2
    for row in range(h):
        length = int(round((half - abs(row - half)) * 1.45)) + 1
        canvas.hline(x, x + length - 1, y + row, c)
    if outline is not None:
        shade_top_left(canvas, x, y, int(half * 1.45) + 2, h, {c}, outline)


def shade_top_left(canvas, x, y, w, h, shape, c):
    """Recolours the pixels of the shape in the box whose left or upper
    neighbour lies outside it: an outline on the top and left."""
    inside = lambda px, py: (x <= px < x + w and y <= py < y + h
                             and canvas.get(px, py) in shape)
    edge = [(px, py) for py in range(y, y + h) for px in range(x, x + w)
            if inside(px, py) and (not inside(px - 1, py) or not inside(px, py - 1))]
    for px, py in edge:
        canvas.set(px, py, c)


def shadowed_text(canvas, x, y, text, face, c, shadow, scale=1, depth=1, highlight=None):
    """Text with a drop shadow depth pixels down and right, and optionally a
    highlight one pixel up and left."""
    for d in range(depth, 0, -1):
        canvas.text(x + d, y + d, text, shadow, face, scale)
    if highlight is not None:
        canvas.text(x - 1, y - 1, text, highlight, face, scale)
    return canvas.text(x, y, text, c, face, scale)


def sheet(canvas, x, y, w, h, paper=WHITE, edge=BLACK, fold=4):
    """A sheet of paper with its top-right corner folded over."""
    canvas.rect(x, y, w, h, paper)
    canvas.frame(x, y, w, h, edge)
    for i in range(fold):
        canvas.hline(x + w - fold + i, x + w - 1, y + i, TRANSPARENT)
    canvas.line(x + w - fold - 1, y, x + w - 1, y + fold, edge)
    canvas.vline(x + w - fold - 1, y, y + fold, edge)
    canvas.hline(x + w - fold - 1, x + w - 1, y + fold, edge)
    for i in range(1, fold):
        canvas.hline(x + w - fold, x + w - fold - 1 + i, y + i, SILVER)


def pencil(canvas, x, y, length, body=YELLOW):
    """A pencil lying from its point at (x, y) up and to the right."""
    for i in range(length):
        px, py = x + i, y - i
        if i < 2:
            canvas.set(px, py, BLACK)
        elif i < 4:
            for j in (-1, 0, 1):
                canvas.set(px + j, py + j, WHITE if j else BLACK)
        elif i < length - 3:
            canvas.set(px - 1, py - 1, BLACK)
            canvas.set(px, py, body)
            canvas.set(px + 1, py + 1, body)
            canvas.set(px + 1, py, body)
            canvas.set(px, py + 1, body)
            canvas.set(px + 2, py + 2, BLACK)
            canvas.set(px - 1, py, BLACK)
            canvas.set(px + 2, py + 1, BLACK)
        else:
            for j in (-1, 0, 1, 2):
                canvas.set(px + j, py + j, FUCHSIA if i < length - 1 else BLACK)


def small_disc(canvas, x, y, size=16, body=SILVER, rim=GREY, hole=TRANSPARENT):
    """A disc for 16 x 16 icons (size 16, or a little smaller), drawn pixel
    by pixel where the general disc gets too busy: a rim, one rainbow streak
    across the top right and the bottom left, a white hub and the hole."""
    r = size / 2
    for py in range(size):
        for px in range(size):
            dx, dy = px + 0.5 - r, py + 0.5 - r
            d = math.hypot(dx, dy)
            if d > r:
                continue
            inner = d <= r - 1.0 and all(
                math.hypot(dx + ox, dy + oy) <= r for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if not inner:
                c = rim
            elif d < 1.3:
                c = hole
            elif d < 2.3:
                c = rim if size >= 14 else WHITE
            elif d < 3.3:
                c = WHITE
            elif abs(dx + dy) <= 1.0 and dx * dy < 0:
                c = (FUCHSIA, YELLOW, AQUA)[min(2, int((d - 3.3) / (r - 4.3) * 3))]
            else:
                c = body
            canvas.set(x + px, y + py, c)


_NOTE = ["....########",
         "....########",
         "....##....##",
         "....#.....#.",
         "....#.....#.",
         "....#.....#.",
         "....#.....#.",
         "....#.....#.",
         "....#.....#.",
         ".####..####.",
         "#####.#####.",
         "#####.#####.",
         ".###...###.."]


def big_note(canvas, x, y, c):
    """A pair of beamed quavers, 12 x 13 pixels, top-left at (x, y)."""
    for row, line in enumerate(_NOTE):
        for col, ch in enumerate(line):
            if ch == "#":
                canvas.set(x + col, y + row, c)
