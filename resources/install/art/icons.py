"""Drawing code for the installer's icons: each function returns the
32 x 32 and the 16 x 16 image (CLEAR where the desktop shows through)."""

from imaging import (AQUA, BLACK, BLUE, CLEAR, GREEN, GREY, LIME, NAVY, RED, SILVER,
                     WHITE, Canvas, pixmap)
import motifs


def _box(c, x, y, w, h, depth):
    """A closed carton seen from the front right: blue front, light top,
    dark side, black edges."""
    c.polygon([(x, y + depth), (x + depth, y), (x + w + depth, y), (x + w, y + depth)], AQUA)
    c.polygon([(x + w, y + depth), (x + w + depth, y), (x + w + depth, y + h), (x + w, y + h + depth)], NAVY)
    c.rect(x, y + depth, w, h, BLUE)
    c.outline({AQUA, NAVY, BLUE}, BLACK)
    c.line(x, y + depth, x + w, y + depth, BLACK)
    c.line(x + w, y + depth, x + w, y + h + depth - 1, BLACK)
    c.line(x + w, y + depth, x + w + depth, y, BLACK)


def setup():
    """The installer: the player's disc rising out of its carton."""
    big = Canvas(32, 32, CLEAR)
    motifs.compact_disc(big, 15, 10, 10.5)
    box = Canvas(32, 32, CLEAR)
    _box(box, 2, 12, 21, 14, 5)
    big.blit(box, 0, 0)
    big.text(7, 21, "CD", WHITE)
    small = Canvas(16, 16, CLEAR)
    motifs.small_disc(small, 3, 0, 10)
    box = Canvas(16, 16, CLEAR)
    _box(box, 1, 7, 10, 6, 2)
    small.blit(box, 0, 0)
    return [big, small]


def _stop_sign(c, cx, cy, r, arm, width):
    c.ellipse(cx, cy, r, r, BLACK)
    c.ellipse(cx, cy, r - 1, r - 1, RED)
    for i in range(-arm, arm + 1):
        for w in range(width):
            off = w - width // 2
            c.set(int(cx - 0.5) + i + off, int(cy - 0.5) + i, WHITE)
            c.set(int(cx - 0.5) + i + off, int(cy - 0.5) - i, WHITE)


_ERROR_16 = [
    ".....kkkkkk.....",
    "...kkrrrrrrkk...",
    "..krrrrrrrrrrk..",
    ".krrwrrrrrrwrrk.",
    ".krwwwrrrrwwwrk.",
    "krrrwwwrrwwwrrrk",
    "krrrrwwwwwwrrrrk",
    "krrrrrwwwwrrrrrk",
    "krrrrrwwwwrrrrrk",
    "krrrrwwwwwwrrrrk",
    "krrrwwwrrwwwrrrk",
    ".krwwwrrrrwwwrk.",
    ".krrwrrrrrrwrrk.",
    "..krrrrrrrrrrk..",
    "...kkrrrrrrkk...",
    ".....kkkkkk.....",
]


def error():
    """Errors: a white cross on a red disc."""
    big = Canvas(32, 32, CLEAR)
    _stop_sign(big, 16, 16, 15, 7, 4)
    return [big, pixmap(_ERROR_16, {".": CLEAR, "k": BLACK, "r": RED, "w": WHITE})]


def _arrow_down(c, x, y, shaft, length, head):
    """A green arrow pointing down: shaft pixels wide, its tip at y + length."""
    c.rect(x - shaft // 2, y, shaft, length - head, GREEN)
    for i in range(head + 1):
        c.hline(x - head + i, x + head - i - (1 - shaft % 2), y + length - head + i, GREEN)
    c.outline({GREEN}, BLACK)


def _drive(c, x, y, w, h):
    """A hard disk unit: a grey case with a green light and a slot."""
    c.rect(x, y, w, h, SILVER)
    c.frame(x, y, w, h, BLACK)
    c.hline(x + 1, x + w - 2, y + 1, WHITE)
    c.vline(x + 1, y + 1, y + h - 2, WHITE)
    c.hline(x + 1, x + w - 2, y + h - 2, GREY)
    c.hline(x + 3, x + w - 8, y + h // 2, GREY if h > 6 else BLACK)
    c.rect(x + w - 5, y + h // 2 - 1 + (h <= 6), 2, 1 if h <= 6 else 2, LIME)


def progress():
    """Copying: an arrow from the disc down to the hard disk."""
    big = Canvas(32, 32, CLEAR)
    motifs.compact_disc(big, 11, 10, 9.5)
    _drive(big, 3, 22, 26, 9)
    arrow = Canvas(32, 32, CLEAR)
    _arrow_down(arrow, 24, 3, 4, 17, 5)
    big.blit(arrow, 0, 0)
    small = Canvas(16, 16, CLEAR)
    motifs.small_disc(small, 0, 0, 10)
    _drive(small, 1, 11, 14, 5)
    arrow = Canvas(16, 16, CLEAR)
    _arrow_down(arrow, 12, 1, 2, 9, 3)
    small.blit(arrow, 0, 0)
    return [big, small]
