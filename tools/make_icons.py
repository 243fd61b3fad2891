#!/usr/bin/env python3
"""Draws the program's icon images as palette PNGs in resources/.

32x32 in 2 colours, 32x32 and 16x16 in 16 colours: a blue tile with a white
"Z" and, in the coloured ones, an amber bar standing for a row of codes.
The desktop's set (resources/icons/hicolor, 16 to 256 pixels, transparent
around the tile) is made from the 16 and 32 pixel pictures by whole-number
scaling with nearest-neighbour sampling, so it stays crisp pixel art; 24 is
the 16 pixel picture centred. The Windows programs' icon, resources/zolm.ico,
holds the 16, 24, 32, 48 and 64 pixel images of that set as 32-bit bitmaps
and the 256 pixel one as a PNG, as Windows expects. The web page's icons,
resources/web/icon-192.png and icon-512.png, are the 32 pixel picture scaled;
icon-maskable-512.png holds it inside a phone's safe zone.
Run it again after changing the drawing; the PNGs are checked in.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")


APP_ID = "org.zolm.converter"


def png(path, pixels, palette, bit_depth, transparent=None):
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    per_byte = 8 // bit_depth
    for row in pixels:
        raw.append(0)  # no filter
        for i in range(0, width, per_byte):
            byte = 0
            for j in range(per_byte):
                value = row[i + j] if i + j < width else 0
                byte = (byte << bit_depth) | value
            raw.append(byte)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, bit_depth, 3, 0, 0, 0)
    plte = b"".join(bytes(c) for c in palette)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", header))
        f.write(chunk(b"PLTE", plte))
        if transparent is not None:
            f.write(chunk(b"tRNS", bytes(0 if i == transparent else 255 for i in range(len(palette)))))
        f.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(chunk(b"IEND", b""))


def draw(size, colours):
    """Returns rows of palette indexes: 0 background, 1 tile, 2 letter, 3 bar."""
    px = [[0] * size for _ in range(size)]
    s = size / 32.0
    edge = max(1, round(2 * s))
    for y in range(edge, size - edge):
        for x in range(edge, size - edge):
            px[y][x] = 1
    stroke = max(2, round(4 * s))
    top, bottom = round(6 * s), round(22 * s)
    left, right = round(7 * s), size - round(7 * s)
    for y in range(top, top + stroke):
        for x in range(left, right):
            px[y][x] = 2
    for y in range(bottom - stroke, bottom):
        for x in range(left, right):
            px[y][x] = 2
    for y in range(top + stroke, bottom - stroke):
        t = (y - top - stroke) / max(1, (bottom - stroke) - (top + stroke) - 1)
        cx = round(right - stroke - t * (right - left - stroke))
        for x in range(cx, min(right, cx + stroke)):
            px[y][x] = 2
    if colours > 2:
        bar_top = round(25 * s)
        for y in range(bar_top, bar_top + max(1, round(3 * s))):
            for x in range(left, right):
                if (x - left) % max(2, round(5 * s)) != max(2, round(5 * s)) - 1:
                    px[y][x] = 3
    return px


def main():
    palette16 = [(0, 0, 0), (31, 78, 160), (255, 255, 255), (255, 176, 32)]
    palette16 += [(0, 0, 0)] * (16 - len(palette16))
    png(os.path.join(OUT, "zolm-32.png"), draw(32, 16), palette16, 4)
    png(os.path.join(OUT, "zolm-16.png"), draw(16, 16), palette16, 4)
    mono = [[1 if v == 1 else 0 for v in row] for row in draw(32, 2)]  # letter shows through
    png(os.path.join(OUT, "zolm-32-mono.png"), mono, [(255, 255, 255), (0, 0, 0)], 1)

    small, large = draw(16, 16), draw(32, 16)
    sizes = {16: small, 24: centred(small, 24), 32: large, 48: scaled(small, 3),
             64: scaled(large, 2), 128: scaled(large, 4), 256: scaled(large, 8)}
    for size, pixels in sizes.items():
        folder = os.path.join(OUT, "icons", "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        png(os.path.join(folder, APP_ID + ".png"), pixels, palette16, 4, transparent=0)

    entries = []
    for size in (16, 24, 32, 48, 64, 256):
        if size == 256:
            path = os.path.join(OUT, "icons", "hicolor", "256x256", "apps", APP_ID + ".png")
            with open(path, "rb") as f:
                entries.append((size, f.read()))
        else:
            entries.append((size, dib(sizes[size], palette16)))
    ico(os.path.join(OUT, "zolm.ico"), entries)

    # The web page's installable icons: the 32 pixel picture scaled whole.
    folder = os.path.join(OUT, "web")
    os.makedirs(folder, exist_ok=True)
    for size in (192, 512):
        png(os.path.join(folder, f"icon-{size}.png"), scaled(large, size // 32), palette16, 4,
            transparent=0)
    # The maskable one, which a phone cuts to its own shape: the tile's blue
    # to the edges, the picture 9 times over (288 pixels) in the middle, so
    # that it lies whole in the safe circle of 40% of the width around the
    # centre (its corners 204 pixels out, the circle 204.8).
    tile = [[1 if v == 0 else v for v in row] for row in scaled(large, 9)]
    png(os.path.join(folder, "icon-maskable-512.png"), [[1] * 512 for _ in range(112)] +
        [[1] * 112 + row + [1] * 112 for row in tile] + [[1] * 512 for _ in range(112)],
        palette16, 4)


def dib(pixels, palette):
    """An icon image as a 32-bit bitmap: rows bottom up, index 0 transparent."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    body = bytearray()
    for row in reversed(pixels):
        for v in row:
            r, g, b = palette[v]
            body += bytes((b, g, r, 0 if v == 0 else 255))
    mask_row = ((size + 31) // 32) * 4
    return header + bytes(body) + bytes(mask_row * size)


def ico(path, entries):
    """An .ico file of (size, image bytes) entries."""
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(data for _, data in entries))


def scaled(pixels, factor):
    """Each pixel as a factor-by-factor block: nearest-neighbour, no blur."""
    return [[v for v in row for _ in range(factor)] for row in pixels for _ in range(factor)]


def centred(pixels, size):
    border = (size - len(pixels)) // 2
    out = [[0] * size for _ in range(size)]
    for y, row in enumerate(pixels):
        out[y + border][border:border + len(row)] = row
    return out


if __name__ == "__main__":
    main()
