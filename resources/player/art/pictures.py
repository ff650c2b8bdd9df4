"""Drawing code for the player's larger pictures.  Each function returns a
Canvas whose top-left pixel is the picture's key colour.  Colours whose blue
component equals the key's are avoided: on 24- and 32-bit screens the
transparent drawing would drop them with the key."""

from imaging import (AQUA, BLACK, BLUE, GREY, LIME, MAROON, NAVY, SILVER, TEAL, WHITE,
                     YELLOW, Canvas, text_width)
import motifs
from release import version


def database():
    """The disc properties button: a card file with index cards and a
    caption."""
    c = Canvas(58, 42, SILVER)
    drawer_top = 20
    # Three index cards standing in the drawer, back to front, each with a
    # coloured tab at its own place.
    for k, (tab_x, tab_colour) in enumerate([(12, YELLOW), (24, AQUA), (36, LIME)]):
        top = 6 + 4 * k
        c.rect(10, top, 38, drawer_top - top, WHITE)
        c.frame(10, top, 38, drawer_top - top + 1, BLACK)
        c.rect(tab_x, top - 4, 10, 5, tab_colour)
        c.frame(tab_x, top - 4, 10, 5, BLACK)
        c.hline(tab_x + 1, tab_x + 8, top, tab_colour)
    c.hline(13, 40, 17, BLUE)
    # The drawer: a box with a label plate and a pull.
    c.rect(6, drawer_top, 46, 13, BLUE)
    c.frame(6, drawer_top, 46, 13, BLACK)
    c.hline(7, 50, drawer_top + 1, AQUA)
    c.vline(7, drawer_top + 1, drawer_top + 11, AQUA)
    c.hline(8, 50, drawer_top + 11, NAVY)
    c.vline(50, drawer_top + 2, drawer_top + 11, NAVY)
    c.rect(21, drawer_top + 3, 16, 5, WHITE)
    c.frame(21, drawer_top + 3, 16, 5, BLACK)
    c.hline(24, 33, drawer_top + 5, BLACK)
    c.rect(25, drawer_top + 9, 8, 2, BLACK)
    caption = "Disc Info"
    c.text((58 - text_width(caption)) // 2, 35, caption, BLACK)
    return c


def cd_logo():
    """The emblem on the TrackList page: a disc with lettering."""
    c = Canvas(98, 35, SILVER)
    motifs.compact_disc(c, 17.5, 17.5, 16.5, body=WHITE, rim=BLACK, hole=SILVER)
    x = 39
    width = motifs.shadowed_text(c, x, 2, "CD", "bold", BLUE, GREY, scale=2)
    c.text(x + width + 5, 4, "AUDIO", BLACK)
    c.text(x + width + 5, 13, "DISC", BLACK)
    c.hline(x, 96, 24, BLACK)
    c.text(x + (96 - x - text_width("Corvane")) // 2, 26, "Corvane", MAROON)
    return c


def about_logo():
    """The About box: the product's name beside a disc on a dark panel."""
    w, h = 342, 145
    c = Canvas(w, h, TEAL)
    # Panel: black at the top fading to blue at the bottom, with a raised
    # white and black edge.
    top, bottom = 4, h - 6
    for y in range(top, bottom):
        level = (y - top) / (bottom - top)
        c.dither(4, y, w - 8, 1, BLACK, BLUE, level * 0.9)
    c.bevel(3, top - 1, w - 6, bottom - top + 2, WHITE, BLACK)
    motifs.compact_disc(c, 76, 72, 58, body=SILVER, rim=WHITE, hub=WHITE, hole=BLACK)
    x = 150
    motifs.shadowed_text(c, x, 14, "Corvane", "bold", YELLOW, MAROON, scale=3, depth=2)
    motifs.shadowed_text(c, x + 2, 56, "CD Player", "bold", WHITE, BLACK, scale=2, depth=2)
    c.hline(x, w - 14, 86, YELLOW)
    c.text(x + 2, 92, "Version " + version(), WHITE)
    c.text(x + 2, 104, "Audio compact discs for Windows", SILVER)
    return c
