#!/usr/bin/env python3
"""Turns a 24-bit BMP (as `make run` captures the player) into a PNG."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "assets"))
from formats import png_bytes  # noqa: E402


def read_bmp(path):
    data = open(path, "rb").read()
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{path}: a 24-bit BMP is expected, not {bits} bits")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x])
                     for x in range(width)])
    return rows[::-1] if height > 0 else rows


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit("usage: bmp2png.py IN.bmp OUT.png")
    with open(sys.argv[2], "wb") as out:
        out.write(png_bytes(read_bmp(sys.argv[1])))
