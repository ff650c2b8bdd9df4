"""Drawing code for the player's icons: each function returns the 32 x 32
and the 16 x 16 image (CLEAR where the desktop shows through)."""

from imaging import (BLACK, BLUE, CLEAR, GREEN, GREY, NAVY, WHITE, Canvas)
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


def playlist():
    """The Playlist page: a list of tracks with the one to play marked."""
    big = Canvas(32, 32, CLEAR)
    motifs.sheet(big, 4, 1, 24, 30, fold=6)
    for i in range(6):
        ly = 8 + i * 4
        big.rect(7, ly - 1, 2, 2, BLACK)
        big.hline(11, 24 - (i % 2) * 4, ly, NAVY if i == 2 else GREY)
    motifs.right_triangle(big, 1, 16, 7, GREEN)
    big.outline({GREEN}, BLACK)
    small = Canvas(16, 16, CLEAR)
    motifs.sheet(small, 3, 0, 12, 16, fold=3)
    for i in range(4):
        ly = 4 + i * 3
        small.hline(6, 12 - (i % 2) * 2, ly, NAVY if i == 1 else GREY)
    motifs.right_triangle(small, 0, 5, 5, GREEN)
    return [big, small]


def tracklist():
    """The TrackList page: a list of track titles and a pencil."""
    big = Canvas(32, 32, CLEAR)
    motifs.sheet(big, 2, 1, 22, 28, fold=6)
    for i in range(6):
        ly = 8 + i * 3
        big.hline(5, 19 - (i % 3) * 3, ly, GREY if i % 2 else BLUE)
    motifs.pencil(big, 14, 29, 16)
    small = Canvas(16, 16, CLEAR)
    motifs.sheet(small, 1, 0, 11, 15, fold=3)
    for i in range(4):
        small.hline(3, 9 - (i % 2) * 2, 4 + i * 2, GREY if i % 2 else BLUE)
    motifs.pencil(small, 7, 15, 8)
    return [big, small]
