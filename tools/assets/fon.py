"""A writer for Windows bitmap font files (.FON) and the glyph source it reads.

A .FON file is a 16-bit (NE) library module with no code: a FONTDIR resource
that lists the fonts, and one FONT resource per size holding a raster font in
the version 3 FNT format.

Glyph source format (text):
    # comment                    (any line starting with # that is not pixels)
    face <face name>
    ascent <pixels from the top of the cell to the base line>
    default <character>          glyph for characters the font lacks
    glyph <character>            followed by the rows of that glyph:
    ..##..                       '#' a lit pixel, '.' an unlit one; every
    ...                          glyph has the same number of rows
The characters are written as themselves; "space" names the blank.
"""

import struct

FNT_HEADER_SIZE = 148          # version 3 header
FNT_CHAR_ENTRY_SIZE = 6        # version 3: 16-bit width, 32-bit offset
FONT_RESOURCE_ID = 1
ALIGN_SHIFT = 4                # resources start on 16-byte boundaries
DPI = 96


class GlyphFont:
    def __init__(self):
        self.face = None
        self.ascent = None
        self.default = None
        self.glyphs = {}       # character code -> rows of 0/1

    @property
    def height(self):
        return len(next(iter(self.glyphs.values())))


def _char_code(token):
    if token == "space":
        return 0x20
    if len(token) != 1:
        raise ValueError("a glyph is named by one character or 'space': %r" % token)
    return ord(token)


def parse_glyphs(text):
    font = GlyphFont()
    current = None
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if not line:
            current = None
            continue
        if set(line) <= set(".#"):
            if current is None:
                raise ValueError("line %d: pixels outside a glyph" % number)
            current.append([1 if c == "#" else 0 for c in line])
            continue
        if line.startswith("#"):
            continue
        word, _, rest = line.partition(" ")
        if word == "face":
            font.face = rest.strip()
        elif word == "ascent":
            font.ascent = int(rest)
        elif word == "default":
            font.default = _char_code(rest.strip())
        elif word == "glyph":
            code = _char_code(rest.strip())
            if code in font.glyphs:
                raise ValueError("line %d: glyph %r given twice" % (number, rest))
            current = font.glyphs[code] = []
        else:
            raise ValueError("line %d: cannot read %r" % (number, raw))
    if not font.face or font.ascent is None or font.default is None or not font.glyphs:
        raise ValueError("the glyph source needs face, ascent, default and glyphs")
    heights = {len(rows) for rows in font.glyphs.values()}
    if len(heights) != 1:
        raise ValueError("every glyph must have the same number of rows: %s" % sorted(heights))
    for code, rows in font.glyphs.items():
        if len({len(r) for r in rows}) != 1:
            raise ValueError("glyph %r has rows of different widths" % chr(code))
    if font.default not in font.glyphs:
        raise ValueError("the default glyph is not drawn")
    return font


def _glyph_bits(rows):
    """FNT glyph bits: the glyph in columns of 8 pixels, each column all
    rows top to bottom, the leftmost pixel in the highest bit."""
    width = len(rows[0])
    out = bytearray()
    for col in range(0, width, 8):
        for row in rows:
            byte = 0
            for x in range(col, min(col + 8, width)):
                if row[x]:
                    byte |= 0x80 >> (x - col)
            out.append(byte)
    return bytes(out)


def fnt_bytes(font, copyright_text=""):
    """The FONT resource: a version 3 raster font of the characters from the
    blank to the highest glyph; characters without a glyph of their own show
    the default glyph."""
    first = 0x20
    last = max(font.glyphs)
    height = font.height
    codes = list(range(first, last + 1))
    # One extra entry past the last character: the absolute space.
    table_size = (len(codes) + 1) * FNT_CHAR_ENTRY_SIZE
    bits_offset = FNT_HEADER_SIZE + table_size

    bitmaps = bytearray()
    entries = []
    widths = []
    for code in codes + [0x20]:
        rows = font.glyphs.get(code, font.glyphs[font.default])
        width = len(rows[0])
        entries.append(struct.pack("<HI", width, bits_offset + len(bitmaps)))
        bitmaps += _glyph_bits(rows)
        widths.append(width)
    if len(bitmaps) % 2:
        bitmaps.append(0)
    face_offset = bits_offset + len(bitmaps)
    face = font.face.encode("ascii") + b"\0"
    size = face_offset + len(face)
    width_bytes = len(bitmaps) // height
    width_bytes += width_bytes % 2
    proportional = len(set(widths)) > 1
    digit_width = len(font.glyphs.get(ord("0"), font.glyphs[font.default])[0])

    header = struct.pack(
        "<HI60sHHHHHHHBBBHBHHBHHBBBBHIIIIBIHHHI16s",
        0x0300,                                  # dfVersion
        size,                                    # dfSize
        copyright_text.encode("ascii")[:59],     # dfCopyright
        0,                                       # dfType: raster
        round(height * 72 / DPI),                # dfPoints
        DPI, DPI,                                # dfVertRes, dfHorizRes
        font.ascent,                             # dfAscent
        0, 0,                                    # internal, external leading
        0, 0, 0,                                 # italic, underline, strike-out
        400,                                     # dfWeight: normal
        0,                                       # dfCharSet: ANSI
        0 if proportional else widths[0],        # dfPixWidth
        height,                                  # dfPixHeight
        0x30 | (1 if proportional else 0),       # modern family; bit 0: variable pitch
        digit_width,                             # dfAvgWidth
        max(widths),                             # dfMaxWidth
        first, last,                             # dfFirstChar, dfLastChar
        font.default - first,                    # dfDefaultChar
        0x20 - first,                            # dfBreakChar
        width_bytes,                             # dfWidthBytes
        0,                                       # dfDevice: none
        face_offset,                             # dfFace
        0,                                       # dfBitsPointer
        bits_offset,                             # dfBitsOffset
        0,                                       # dfReserved
        0x10 | (2 if proportional else 1),       # dfFlags: one colour, pitch
        0, 0, 0,                                 # A, B, C space
        0,                                       # dfColorPointer
        b"")                                     # dfReserved1
    assert len(header) == FNT_HEADER_SIZE
    return header + b"".join(entries) + bytes(bitmaps) + face


def _fontdir_entry(fnt, face):
    # The font's header up to and including dfFace, a reserved zero,
    # then the device name (none) and the face name.
    return struct.pack("<H", FONT_RESOURCE_ID) + fnt[:0x6D] + b"\0\0\0\0" + b"\0" + face + b"\0"


def _pad(data, boundary):
    return data + b"\0" * (-len(data) % boundary)


# The DOS stub: prints a line and ends when the module is started from DOS.
_DOS_STUB = bytes([0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21,
                   0xB8, 0x01, 0x4C, 0xCD, 0x21]) + b"This is a Windows font file.\r\n$"


def fon_bytes(font, module_name, copyright_text=""):
    fnt = fnt_bytes(font, copyright_text)
    face = font.face.encode("ascii")
    points = round(font.height * 72 / DPI)
    description = b"FONTRES 100,%d,%d : %s %d" % (DPI, DPI, face, points)

    mz = bytearray(_pad(struct.pack("<2s29H", b"MZ", 0x90, 3, 0, 4, 0, 0xFFFF, 0, 0xB8,
                                    0, 0, 0, 0x40, 0, *([0] * 16)), 0x40))
    mz += _DOS_STUB
    mz = bytearray(_pad(bytes(mz), 16))
    ne_offset = len(mz)
    struct.pack_into("<I", mz, 0x3C, ne_offset)

    # Tables that follow the 64-byte NE header, offsets relative to it.
    resource_table_offset = 0x40
    fontdir_name = b"\x07FONTDIR"
    type_info = 8
    name_info = 12
    resource_table_len = 2 + (type_info + name_info) * 2 + 2 + len(fontdir_name) + 1
    resident_offset = resource_table_offset + resource_table_len
    resident = bytes([len(module_name)]) + module_name + b"\0\0" + b"\0"
    module_ref_offset = resident_offset + len(resident)
    entry_table = b"\0\0"
    nonresident_abs = ne_offset + module_ref_offset + len(entry_table)
    nonresident = bytes([len(description)]) + description + b"\0\0" + b"\0"

    fontdir = struct.pack("<H", 1) + _fontdir_entry(fnt, face)
    fontdir_abs = (nonresident_abs + len(nonresident) + 15) & ~15
    font_abs = (fontdir_abs + len(fontdir) + 15) & ~15

    def units(n):
        return (n + 15) >> ALIGN_SHIFT

    ne = struct.pack(
        "<2sBBHHIHHHHIIHHHHHHHHIHHHBBHHHH",
        b"NE", 5, 10,                         # magic, linker version
        module_ref_offset, len(entry_table),  # entry table (empty)
        0,                                    # CRC
        0x8300,                               # library module, no code
        0, 0, 0,                              # auto data segment, heap, stack
        0, 0,                                 # CS:IP, SS:SP
        0, 0,                                 # segments, module references
        len(nonresident),                     # non-resident names size
        resource_table_offset,                # segment table (empty)
        resource_table_offset,                # resource table
        resident_offset,                      # resident names
        module_ref_offset,                    # module references (empty)
        module_ref_offset,                    # imported names (empty)
        nonresident_abs,                      # non-resident names, from the file start
        0,                                    # movable entries
        ALIGN_SHIFT,                          # alignment shift
        0,                                    # resource segments
        2, 0,                                 # target: Windows; other flags
        0, 0, 0,                              # fast-load area, swap area
        0x030A)                               # expected Windows version 3.10
    assert len(ne) == 0x40

    fontdir_name_offset = resource_table_len - len(fontdir_name) - 1
    resources = (struct.pack("<H", ALIGN_SHIFT)
                 + struct.pack("<HHI", 0x8007, 1, 0)      # FONTDIR, named
                 + struct.pack("<HHHHHH", fontdir_abs >> ALIGN_SHIFT, units(len(fontdir)),
                               0x0050, fontdir_name_offset, 0, 0)
                 + struct.pack("<HHI", 0x8008, 1, 0)      # FONT, numbered
                 + struct.pack("<HHHHHH", font_abs >> ALIGN_SHIFT, units(len(fnt)),
                               0x1030, 0x8000 | FONT_RESOURCE_ID, 0, 0)
                 + struct.pack("<H", 0)
                 + fontdir_name + b"\0")
    assert len(resources) == resource_table_len

    out = bytes(mz) + ne + resources + resident + entry_table + nonresident
    out = _pad(out, 16)
    assert len(out) == fontdir_abs
    out = _pad(out + fontdir, 16)
    assert len(out) == font_abs
    return _pad(out + fnt, 16)
