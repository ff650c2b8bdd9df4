"""Drawing code for the installer's banner, drawn across the top of the
Setup, Install and Remove dialogs.  The dialogs are narrower than the banner
(the Install and Remove dialogs by about 55 pixels), and the banner is
centred, so everything that must be seen stays inside the middle 280
pixels."""

from imaging import (AQUA, BLACK, BLUE, MAROON, SILVER, WHITE, YELLOW, Canvas)
import motifs
from release import version


def banner():
    w, h = 340, 77
    c = Canvas(w, h, SILVER)
    # A band from black at the top to blue at the bottom, edge to edge;
    # the silver rows above and below let the dialog's face show.
    top, bottom = 2, h - 3
    for y in range(top, bottom):
        c.dither(0, y, w, 1, BLACK, BLUE, (y - top) / (bottom - top) * 0.9)
    c.hline(0, w - 1, top, WHITE)
    c.hline(0, w - 1, bottom - 1, BLACK)
    motifs.compact_disc(c, 64, 38, 31, body=WHITE, rim=BLACK, hub=WHITE, hole=BLACK)
    x = 104
    motifs.shadowed_text(c, x, 10, "Corvane", "bold", YELLOW, MAROON, scale=2, depth=2)
    motifs.shadowed_text(c, x, 36, "CD Player " + version(), "bold", WHITE, BLACK, scale=2, depth=2)
    c.text(x + 1, 62, "Setup", AQUA)
    return c
