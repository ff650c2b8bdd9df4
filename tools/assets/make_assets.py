#!/usr/bin/env python3
"""Builds the pictures, icons, cursor and LED font of the player and the
installer from their readable sources.

    make_assets.py                 write every bitmap, icon and cursor into
                                   resources/player and resources/install
    make_assets.py --check         fail when a written file differs from what
                                   its source gives (nothing is written)
    make_assets.py --fon FILE      write the LED font digital.fon to FILE
    make_assets.py --preview DIR   write enlarged PNG views of everything

Sources live beside the resources in art/: text pixel maps (*.txt, read by
imaging.load_pixmap) and drawing code (*.py, a function per picture).  The
LED font's glyphs are in resources/player/art/digital-font.txt.
"""

import argparse
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # keep the source folders free of caches

import fon  # noqa: E402
import formats  # noqa: E402
import imaging  # noqa: E402

PLAYER = os.path.join(ROOT, "resources", "player")
INSTALL = os.path.join(ROOT, "resources", "install")
FONT_SOURCE = os.path.join(PLAYER, "art", "digital-font.txt")

SILVER = imaging.SILVER
TEAL = imaging.TEAL

# (folder, output file, source, size, key colour of the top-left pixel).
# A source is "name.txt" (a pixel map in art/) or "module:function" (drawing
# code in art/module.py; the function returns a Canvas).
BITMAPS = [
    (PLAYER, "play.bmp", "play.txt", (12, 13), SILVER),
    (PLAYER, "pause.bmp", "pause.txt", (16, 13), SILVER),
    (PLAYER, "pause_stopped.bmp", "pause_stopped.txt", (16, 13), SILVER),
    (PLAYER, "stop.bmp", "stop.txt", (13, 13), SILVER),
    (PLAYER, "reverse_skip.bmp", "reverse_skip.txt", (19, 13), SILVER),
    (PLAYER, "forward_skip.bmp", "forward_skip.txt", (20, 13), SILVER),
    (PLAYER, "eject.bmp", "eject.txt", (16, 15), SILVER),
    (PLAYER, "minimize.bmp", "minimize.txt", (25, 13), SILVER),
    (PLAYER, "database.bmp", "pictures:database", (58, 42), SILVER),
    (PLAYER, "cd_logo.bmp", "pictures:cd_logo", (98, 35), SILVER),
    (PLAYER, "aboutlogo.bmp", "pictures:about_logo", (342, 145), TEAL),
    (INSTALL, "banner.bmp", "pictures:banner", (340, 77), SILVER),
]

# (folder, output file, source): the function returns the icon's images,
# 32 x 32 first, then 16 x 16.
ICONS = [
    (PLAYER, "player.ico", "icons:player"),
    (PLAYER, "cdtitle.ico", "icons:cd_title"),
    (PLAYER, "playlist.ico", "icons:playlist"),
    (PLAYER, "tracklist.ico", "icons:tracklist"),
    (INSTALL, "setup.ico", "icons:setup"),
    (INSTALL, "error.ico", "icons:error"),
    (INSTALL, "progress.ico", "icons:progress"),
]

# (folder, output file, pixel map, hot spot)
CURSORS = [
    (PLAYER, "hand.cur", "hand.txt", (0, 0)),
]

_modules = {}


def _module(folder, name):
    path = os.path.join(folder, "art", name + ".py")
    if path not in _modules:
        loader = importlib.util.spec_from_file_location("art_%s_%s" % (os.path.basename(folder), name), path)
        module = importlib.util.module_from_spec(loader)
        loader.loader.exec_module(module)
        _modules[path] = module
    return _modules[path]


def load(folder, source):
    if source.endswith(".txt"):
        return imaging.load_pixmap(os.path.join(folder, "art", source))
    module, _, function = source.partition(":")
    return getattr(_module(folder, module), function)()


def _blue(index):
    return formats.PALETTE[index][2]


def build_bitmap(folder, name, source, size, key):
    canvas = load(folder, source)
    where = "%s (%s)" % (name, source)
    if (canvas.width, canvas.height) != size:
        raise SystemExit("%s: %d x %d, must be %d x %d" % (where, canvas.width, canvas.height, *size))
    if canvas.get(0, 0) != key:
        raise SystemExit("%s: the top-left pixel must be the key colour" % where)
    for y, row in enumerate(canvas.px):
        for x, c in enumerate(row):
            if c == imaging.TRANSPARENT:
                raise SystemExit("%s: pixel (%d, %d) has no colour" % (where, x, y))
            # On 24- and 32-bit screens the transparent drawing compares only
            # the blue byte of a pixel with the key's: a picture colour with
            # the key's blue would vanish.
            if c != key and _blue(c) == _blue(key):
                raise SystemExit("%s: pixel (%d, %d) shares the key colour's blue" % (where, x, y))
    return canvas, formats.bmp_bytes(canvas.rows())


def build_icon(folder, name, source):
    images = load(folder, source)
    sizes = [(c.width, c.height) for c in images]
    if sizes != [(32, 32), (16, 16)]:
        raise SystemExit("%s: images %s, must be 32 x 32 and 16 x 16" % (name, sizes))
    return images, formats.ico_bytes([c.rows() for c in images])


def build_cursor(folder, name, source, hotspot):
    canvas = load(folder, source)
    if (canvas.width, canvas.height) != (32, 32):
        raise SystemExit("%s: a cursor is 32 x 32" % name)
    mono = {imaging.TRANSPARENT: formats.CUR_CLEAR, imaging.BLACK: formats.CUR_BLACK,
            imaging.WHITE: formats.CUR_WHITE}
    try:
        rows = [[mono[c] for c in row] for row in canvas.px]
    except KeyError:
        raise SystemExit("%s: a monochrome cursor has only black, white and clear" % name)
    return canvas, formats.cur_bytes(rows, hotspot)


def build_font():
    with open(FONT_SOURCE) as f:
        glyphs = fon.parse_glyphs(f.read())
    return glyphs, fon.fon_bytes(glyphs, b"DIGITAL", "Corvane Digital LED font")


def all_outputs():
    """Yields (path, canvases for the preview, file bytes)."""
    for folder, name, source, size, key in BITMAPS:
        canvas, data = build_bitmap(folder, name, source, size, key)
        yield os.path.join(folder, name), [canvas], data
    for folder, name, source in ICONS:
        images, data = build_icon(folder, name, source)
        yield os.path.join(folder, name), images, data
    for folder, name, source, hotspot in CURSORS:
        canvas, data = build_cursor(folder, name, source, hotspot)
        yield os.path.join(folder, name), [canvas], data


def write_preview(directory, path, canvases, scale):
    """An enlarged PNG of the images side by side on a checked background,
    so that transparent pixels show."""
    gap = 4
    width = sum(c.width for c in canvases) + gap * (len(canvases) + 1)
    height = max(c.height for c in canvases) + 2 * gap
    pixels = [[(160, 160, 200) if (x // 4 + y // 4) % 2 else (200, 200, 230)
               for x in range(width)] for y in range(height)]
    x0 = gap
    for canvas in canvases:
        for y, row in enumerate(canvas.px):
            for x, c in enumerate(row):
                if c != imaging.TRANSPARENT:
                    pixels[gap + y][x0 + x] = formats.PALETTE[c]
        x0 += canvas.width + gap
    name = os.path.basename(path).replace(".", "_") + ".png"
    with open(os.path.join(directory, name), "wb") as f:
        f.write(formats.png_bytes(pixels, scale))


def write_led_preview(directory, glyphs):
    """The two LED displays as the player paints them at 96 dots per inch:
    54 x 33 and 132 x 33 pixels with a three-pixel sunken bevel."""
    def display(text, w, h):
        grey, white, lime = (128, 128, 128), (255, 255, 255), (0, 255, 0)
        img = [[(0, 0, 0)] * w for _ in range(h)]
        for i in range(3):
            for x in range(w - i):
                img[i][x] = grey
            for y in range(h - i):
                img[y][i] = grey
            for x in range(i + 1, w):
                img[h - 1 - i][x] = white
            for y in range(i + 1, h):
                img[y][w - 1 - i] = white
        cells = [glyphs.glyphs.get(ord(c), glyphs.glyphs[glyphs.default]) for c in text]
        x = 3 + (w - 6 - sum(len(g[0]) for g in cells)) // 2
        y = 3 + (h - 6 - glyphs.height) // 2
        for g in cells:
            for r, row in enumerate(g):
                for c, bit in enumerate(row):
                    if bit:
                        img[y + r][x + c] = lime
            x += len(g[0])
        return img
    panels = [display("07", 54, 33), display("00:03:05.4", 132, 33)]
    width = sum(len(p[0]) for p in panels) + 8 * 3
    out = [[(192, 192, 192)] * width for _ in range(33 + 8)]
    x0 = 8
    for p in panels:
        for y, row in enumerate(p):
            out[4 + y][x0:x0 + len(row)] = row
        x0 += len(p[0]) + 8
    with open(os.path.join(directory, "digital_fon.png"), "wb") as f:
        f.write(formats.png_bytes(out, 4))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--fon", metavar="FILE")
    parser.add_argument("--preview", metavar="DIR")
    args = parser.parse_args()

    if args.fon:
        _, data = build_font()
        os.makedirs(os.path.dirname(os.path.abspath(args.fon)), exist_ok=True)
        with open(args.fon, "wb") as f:
            f.write(data)
        return 0

    stale = []
    for path, canvases, data in all_outputs():
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            big = max(c.width for c in canvases) > 100
            write_preview(args.preview, path, canvases, 3 if big else 8)
        elif args.check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(path)
            except OSError:
                stale.append(path)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if args.preview:
        write_led_preview(args.preview, build_font()[0])
    if stale:
        print("out of date (run tools/assets/make_assets.py):", file=sys.stderr)
        for path in stale:
            print("  " + os.path.relpath(path, ROOT), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
