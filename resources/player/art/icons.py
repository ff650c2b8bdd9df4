"""Drawing code for the player's icons: each function returns the 32 x 32
and the 16 x 16 image (CLEAR where the desktop shows through)."""

from imaging import (BLACK, BLUE, CLEAR, FUCHSIA, GREEN, GREY, NAVY, OLIVE, SILVER, WHITE,
                     YELLOW, Canvas, pixmap)
import motifs


def player():
    """The program: a disc with a pair of quavers in front of it."""
    big = Canvas(32, 32, CLEAR)
    motifs.compact_disc(big, 14.5, 14.5, 14.5)
    note = Canvas(32, 32, CLEAR)
    motifs.big_note(note, 18, 17, BLACK)
    note.outline({BLACK}, WHITE)
    big.blit(note, 0, 0)
    small = Canvas(16, 16, CLEAR)
    motifs.small_disc(small, 0, 0)
    return [big, small]


def cd_title():
    """The CD Title page: a disc behind a label with a title and an artist."""
    big = Canvas(32, 32, CLEAR)
    motifs.compact_disc(big, 19, 13, 12.5)
    big.rect(2, 16, 22, 14, WHITE)
    big.frame(2, 16, 22, 14, BLACK)
    big.text(5, 18, "Aa", BLUE)
    big.hline(5, 20, 27, GREY)
    big.hline(5, 14, 25, GREY)
    small = Canvas(16, 16, CLEAR)
    motifs.small_disc(small, 4, 0, 12)
    small.rect(0, 8, 12, 8, WHITE)
    small.frame(0, 8, 12, 8, BLACK)
    small.hline(2, 8, 10, BLUE)
    small.hline(2, 9, 12, GREY)
    return [big, small]


_LEGEND = {".": CLEAR, "k": BLACK, "#": BLACK, "w": WHITE, "s": SILVER, "g": GREY, "n": NAVY,
           "G": GREEN, "b": BLUE}

_PLAYLIST_16 = [
    "....########....",
    "....#wwwwww##...",
    "....#wwwwww#s#..",
    "k...#wwwwww####.",
    "kk..#wwwwwwwww#.",
    "kGk.#wgggggggw#.",
    "kGGk#wwwwwwwww#.",
    "kGGGkwnnnnnnww#.",
    "kGGk#wwwwwwwww#.",
    "kGk.#wgggggggw#.",
    "kk..#wwwwwwwww#.",
    "k...#wgggggwww#.",
    "....#wwwwwwwww#.",
    "....#wggggggww#.",
    "....#wwwwwwwww#.",
    "....###########.",
]


def playlist():
    """The Playlist page: a list of tracks with the one to play marked."""
    big = Canvas(32, 32, CLEAR)
    motifs.sheet(big, 6, 1, 24, 30, fold=6)
    for i in range(6):
        ly = 8 + i * 4
        big.rect(9, ly - 1, 2, 2, BLACK)
        big.hline(13, 26 - (i % 2) * 4, ly, NAVY if i == 2 else GREY)
    triangle = Canvas(32, 32, CLEAR)
    motifs.right_triangle(triangle, 1, 12, 11, GREEN)
    triangle.outline({GREEN}, BLACK)
    big.blit(triangle, 0, 0)
    return [big, pixmap(_PLAYLIST_16, _LEGEND)]


def _pencil(c, tip_x, tip_y, length):
    """A pencil pointing down and to the left, its point at (tip_x, tip_y):
    along its axis x - y grows, across it x + y stays within three pixels."""
    axis = tip_x + tip_y - 2                   # x + y of the pencil's middle line
    start = tip_x - tip_y                      # x - y at the point
    for y in range(c.height):
        for x in range(c.width):
            along, across = x - y - start, x + y - axis
            if along < 0 or along > length or abs(across) > 2:
                continue
            if along <= 1:
                colour = BLACK if abs(across) <= along else None
            elif along <= 3:
                colour = BLACK if abs(across) == 2 else SILVER
            elif abs(across) == 2 or along == length:
                colour = BLACK
            elif along >= length - 2:
                colour = FUCHSIA
            elif along == length - 3:
                colour = SILVER
            else:
                colour = OLIVE if across == 1 else YELLOW
            if colour is not None:
                c.set(x, y, colour)


def tracklist():
    """The TrackList page: a list of track titles and a pencil."""
    big = Canvas(32, 32, CLEAR)
    motifs.sheet(big, 2, 1, 22, 28, fold=6)
    for i in range(6):
        ly = 8 + i * 3
        big.hline(5, 19 - (i % 3) * 3, ly, GREY if i % 2 else BLUE)
    _pencil(big, 13, 31, 19)
    small = Canvas(16, 16, CLEAR)
    motifs.sheet(small, 0, 0, 11, 15, fold=3)
    for i in range(5):
        small.hline(2, 8 - (i % 2) * 2, 3 + i * 2, GREY if i % 2 else BLUE)
    _pencil(small, 6, 15, 11)
    return [big, small]
