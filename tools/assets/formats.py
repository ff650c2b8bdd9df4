"""Writers for the Windows image formats the programs load, and PNG previews.

Every writer takes images as rows of palette indices into PALETTE, the
sixteen colours every Windows display shows without dithering.  Only the
Python standard library is used.
"""

import struct
import zlib

# The standard 16-colour palette, in the order of the classic VGA display
# driver: the dark colours, silver and grey, then the bright colours.
PALETTE = [
    (0, 0, 0),        # 0 black
    (128, 0, 0),      # 1 maroon
    (0, 128, 0),      # 2 green
    (128, 128, 0),    # 3 olive
    (0, 0, 128),      # 4 navy
    (128, 0, 128),    # 5 purple
    (0, 128, 128),    # 6 teal
    (192, 192, 192),  # 7 silver
    (128, 128, 128),  # 8 grey
    (255, 0, 0),      # 9 red
    (0, 255, 0),      # 10 lime
    (255, 255, 0),    # 11 yellow
    (0, 0, 255),      # 12 blue
    (255, 0, 255),    # 13 fuchsia
    (0, 255, 255),    # 14 aqua
    (255, 255, 255),  # 15 white
]

# Icons and cursors use this index for "no pixel": the mask shows the
# background through.
TRANSPARENT = -1


def _palette_bytes():
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)


def _rows4(rows):
    """Packs rows of indices at 4 bits per pixel, bottom row first, each
    row padded to 4 bytes as DIBs require."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, len(row), 2):
            hi = max(row[x], 0)
            lo = max(row[x + 1], 0) if x + 1 < len(row) else 0
            line.append((hi << 4) | lo)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def _rows1(rows, bit):
    """Packs rows at 1 bit per pixel (bit(value) gives the bit), bottom row
    first, each row padded to 4 bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray((len(row) + 7) // 8)
        for x, v in enumerate(row):
            if bit(v):
                line[x // 8] |= 0x80 >> (x % 8)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def _info_header(width, height, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0,
                       0, 0, colours, 0)


def bmp_bytes(rows):
    """A 16-colour BMP file of the image."""
    h = len(rows)
    w = len(rows[0])
    bits = _rows4(rows)
    head = _info_header(w, h, 4, 16) + _palette_bytes()
    offset = 14 + len(head)
    return struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset) + head + bits


def _icon_image(rows):
    h = len(rows)
    w = len(rows[0])
    xor = _rows4(rows)
    mask = _rows1(rows, lambda v: v == TRANSPARENT)
    return _info_header(w, 2 * h, 4, 16) + _palette_bytes() + xor + mask


def ico_bytes(images):
    """An icon file holding the images (each rows of indices, TRANSPARENT
    where the background shows), largest first, all at 16 colours."""
    data = [_icon_image(rows) for rows in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for rows, blob in zip(images, data):
        out += struct.pack("<BBBBHHII", len(rows[0]) % 256, len(rows) % 256, 16, 0,
                           1, 4, len(blob), offset)
        offset += len(blob)
    return out + b"".join(data)


# Monochrome cursor pixels.
CUR_CLEAR, CUR_BLACK, CUR_WHITE = 0, 1, 2


def cur_bytes(rows, hotspot):
    """A monochrome cursor file: rows of CUR_CLEAR, CUR_BLACK, CUR_WHITE."""
    h = len(rows)
    w = len(rows[0])
    head = _info_header(w, 2 * h, 1, 2) + struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    xor = _rows1(rows, lambda v: v == CUR_WHITE)
    mask = _rows1(rows, lambda v: v == CUR_CLEAR)
    blob = head + xor + mask
    return (struct.pack("<HHH", 0, 2, 1)
            + struct.pack("<BBBBHHII", w % 256, h % 256, 2, 0, hotspot[0], hotspot[1],
                          len(blob), 22)
            + blob)


def png_bytes(pixels, scale=1):
    """A PNG of rows of (r, g, b) triples, each pixel enlarged scale times."""
    h = len(pixels) * scale
    w = len(pixels[0]) * scale
    raw = bytearray()
    for row in pixels:
        line = bytearray(b"\0")
        for rgb in row:
            line += bytes(rgb) * scale
        raw += bytes(line) * scale

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))
