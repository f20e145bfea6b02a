#!/usr/bin/env python3
"""Draws the KOVA icon: a small expression heat map whose red cells form one bicluster.

Writes frontend/icons/kova16.png, kova32.png and kova.ico (16 x 16 and 32 x 32, each in 256
colours and in 32-bit colour). Standard library only; run it again after changing the picture.
"""
import struct
import zlib
from pathlib import Path

GRID = 4
BICLUSTER_ROWS = {0, 2, 3}
BICLUSTER_COLUMNS = {0, 2, 3}
BORDER = (32, 40, 72)
LINE = (240, 240, 240)
BLUES = [(70, 110, 180), (110, 150, 210), (150, 185, 230), (90, 130, 200)]
REDS = [(200, 40, 40), (230, 80, 50)]


def cell_colour(row, column):
    if row in BICLUSTER_ROWS and column in BICLUSTER_COLUMNS:
        return REDS[(row + column) % 2]
    return BLUES[(row * 3 + column) % len(BLUES)]


def draw(size):
    """Rows of (r, g, b) pixels, top row first."""
    border = 1 if size <= 16 else 2
    inner = size - 2 * border
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            ix, iy = x - border, y - border
            if not (0 <= ix < inner and 0 <= iy < inner):
                row.append(BORDER)
                continue
            column, line = ix * GRID // inner, iy * GRID // inner
            # Thin lines between cells in the larger image only.
            on_line = size > 16 and ((ix > 0 and (ix * GRID) % inner < GRID) or (iy > 0 and (iy * GRID) % inner < GRID))
            row.append(LINE if on_line else cell_colour(line, column))
        pixels.append(row)
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b"".join(b"\0" + b"".join(bytes((*p, 255)) for p in row) for row in pixels)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def bmp(pixels, bits):
    """An icon image: BITMAPINFOHEADER, palette (8 bits), colour rows bottom-up, AND mask (opaque)."""
    size = len(pixels)
    palette = []
    if bits == 8:
        for row in pixels:
            for p in row:
                if p not in palette:
                    palette.append(p)
        palette += [(0, 0, 0)] * (256 - len(palette))
    rows = []
    for row in reversed(pixels):
        if bits == 8:
            data = bytes(palette.index(p) for p in row)
        else:
            data = b"".join(bytes((b, g, r, 255)) for r, g, b in row)
        rows.append(data + b"\0" * (-len(data) % 4))
    mask_row = (size + 31) // 32 * 4
    mask = b"\0" * (mask_row * size)
    image = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, bits, 0, len(image) + len(mask), 0, 0,
                         256 if bits == 8 else 0, 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + image + mask


def ico(images):
    """images: list of (size, bits, bmp bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b""
    for size, bits, body in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(body), offset + len(data))
        data += body
    return out + data


def main():
    folder = Path(__file__).resolve().parent.parent / "frontend" / "icons"
    folder.mkdir(parents=True, exist_ok=True)
    images = []
    for size in (16, 32):
        pixels = draw(size)
        (folder / f"kova{size}.png").write_bytes(png(pixels))
        images += [(size, 8, bmp(pixels, 8)), (size, 32, bmp(pixels, 32))]
    (folder / "kova.ico").write_bytes(ico(images))


if __name__ == "__main__":
    main()
