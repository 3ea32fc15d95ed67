#!/usr/bin/env python3
"""Build bitmap135.bmp, the image strip behind the library's shared image list.

Ten 16x16 images side by side (160x16, 24 bits per pixel). Pure red
(RGB FF0000) is the transparent colour: the image list is loaded with red
as its mask colour, so no drawn pixel may be pure red.

The pictures are kept here as text, one character per pixel, and the palette
below maps characters to colours. Edit the art, run the script, commit both:

    python3 make_bitmap135.py                  # writes bitmap135.bmp beside it
    python3 make_bitmap135.py --preview x.png  # also an enlarged PNG to look at

Standard library only.
"""

import argparse
import os
import struct
import zlib

SIZE = 16
TRANSPARENT = (0xFF, 0x00, 0x00)

PALETTE = {
    '.': TRANSPARENT,
    'k': (0x00, 0x00, 0x00),  # outline
    'D': (0x80, 0x80, 0x80),  # dark grey
    'g': (0xC0, 0xC0, 0xC0),  # light grey (cases, bezels)
    'w': (0xFF, 0xFF, 0xFF),  # white highlight
    'G': (0x00, 0xE0, 0x00),  # power LED
    'T': (0x00, 0x80, 0x80),  # screen
    'c': (0x40, 0xC0, 0xC0),  # screen glare
    'B': (0x20, 0x40, 0xE0),  # blue screen, cable
    'b': (0x00, 0x00, 0x80),  # navy outline
    'L': (0x30, 0x80, 0xF0),  # ocean
    'e': (0x00, 0x90, 0x30),  # land, links
    'y': (0xF0, 0xC8, 0x40),  # folder face, connector pins
    'h': (0xFF, 0xF0, 0xA0),  # folder highlight
    'o': (0xA0, 0x78, 0x10),  # folder shadow
    'C': (0xA8, 0xD8, 0xFF),  # tag face
    'n': (0x40, 0x70, 0xC0),  # tag print and shadow
}

# The greyed server slot is the server picture drawn with washed-out greys,
# so the two always match in shape.
GREYED = dict(PALETTE)
GREYED.update({
    'k': (0x80, 0x80, 0x80),
    'D': (0xB0, 0xB0, 0xB0),
    'g': (0xD8, 0xD8, 0xD8),
    'w': (0xF4, 0xF4, 0xF4),
    'G': (0xB0, 0xB0, 0xB0),
})

# 0: an OPC server: a rack of three units with running lights.
SERVER = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwgk.",
    ".kwGgkkkkkkkggk.",
    ".kgggggggggggDk.",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwgk.",
    ".kwGgkkkkkkkggk.",
    ".kgggggggggggDk.",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwgk.",
    ".kwGgkkkkkkkggk.",
    ".kgggggggggggDk.",
    ".kkkkkkkkkkkkkk.",
    "..kk........kk..",
    "................",
]

# 1: an address-space branch: a folder.
FOLDER = [
    "................",
    "................",
    "..kkkkk.........",
    ".khhhhhk........",
    ".khyyyyhkkkkkkkk",
    ".khhhhhhhhhhhhyk",
    ".khyyyyyyyyyyyok",
    ".khyyyyyyyyyyyok",
    ".khyyyyyyyyyyyok",
    ".khyyyyyyyyyyyok",
    ".khyyyyyyyyyyyok",
    ".khyyyyyyyyyyyok",
    ".khyyyyyyyyyyyok",
    ".koooooooooooook",
    ".kkkkkkkkkkkkkkk",
    "................",
]

# 2: an address-space leaf: a tag with an eyelet and a printed label.
TAG = [
    "................",
    "................",
    "................",
    ".....kkkkkkkkkkk",
    "....kCCCCCCCCCCk",
    "...kCCCCCCCCCCCk",
    "..kCCkkCCnnnnnCk",
    ".kCCkwwkCCCCCCCk",
    ".kCCkwwkCCCCCCCk",
    "..kCCkkCCnnnnCCk",
    "...kCCCCCCCCCCCk",
    "....kCCCCCCCCCnk",
    ".....kkkkkkkkkkk",
    "................",
    "................",
    "................",
]

# 3: "My Computer": a monitor standing on a desktop case.
MY_COMPUTER = [
    "..kkkkkkkkkkkk..",
    "..kggggggggggk..",
    "..kgkkkkkkkkgk..",
    "..kgkccTTTTkgk..",
    "..kgkcTTTTTkgk..",
    "..kgkTTTTTTkgk..",
    "..kgkTTTTTTkgk..",
    "..kgkkkkkkkkgk..",
    "..kggggggggggk..",
    "..kkkkkkkkkkkk..",
    ".....kkkkkk.....",
    ".kkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwgk.",
    ".kgDDDDgggggGgk.",
    ".kgggggggggggDk.",
    ".kkkkkkkkkkkkkk.",
]

# 4: "Network Neighbourhood": a group of computers.
NEIGHBOURHOOD = [
    "......kkkkkkkkkk",
    "......kggggggggk",
    "......kgkkkkkkgk",
    "......kgkccTTkgk",
    "......kgkcTTTkgk",
    "kkkkkkkkkkTTTkgk",
    "kggggggggkkkkkgk",
    "kgkkkkkkgkgggggk",
    "kgkccTTkgkkkkkkk",
    "kgkcTTTkgkggk...",
    "kgkTTTTkgkkkkkk.",
    "kgkkkkkkgk......",
    "kggggggggk......",
    "kkkkkkkkkk......",
    "...kggk.........",
    ".kkkkkkkk.......",
]

# 5: a network: a cable with its plug.
NETWORK = [
    "................",
    "...kkkkkkkkkk...",
    "...kyDyDyDyDk...",
    "...kyDyDyDyDk...",
    "...kggggggggk...",
    "...kwgggggggk...",
    "...kwgggggggk...",
    "....kggggggk....",
    ".....kbbbbk.....",
    "......kBBk......",
    "......kBBk......",
    "......kBBk......",
    "......kBBkkkkkkk",
    "......kBBBBBBBBB",
    ".......kBBBBBBBB",
    "........kkkkkkkk",
]

# 6: a computer: a monitor on its stand.
COMPUTER = [
    "................",
    "..kkkkkkkkkkkk..",
    "..kggggggggggk..",
    "..kgkkkkkkkkgk..",
    "..kgkwBBBBBkgk..",
    "..kgkBBBBBBkgk..",
    "..kgkBBBBBBkgk..",
    "..kgkBBBBBBkgk..",
    "..kgkkkkkkkkgk..",
    "..kggggggggggk..",
    "..kkkkkkkkkkkk..",
    "......kggk......",
    "......kggk......",
    "....kkkkkkkk....",
    "....kggggggk....",
    "....kkkkkkkk....",
]

# 7: a domain or workgroup: three linked computers.
DOMAIN = [
    ".....kkkkk......",
    ".....kcTTk......",
    ".....kTTTk......",
    ".....kkkkk......",
    "......kkk.......",
    ".......e........",
    ".......e........",
    "..eeeeeeeeeeee..",
    "..e..........e..",
    "..e..........e..",
    "kkkkk......kkkkk",
    "kcTTk......kcTTk",
    "kTTTk......kTTTk",
    "kkkkk......kkkkk",
    ".kkk........kkk.",
    "................",
]

# 8: the entire network: a globe.
GLOBE = [
    ".....bbbbbb.....",
    "...bbLLeeLLbb...",
    "..bLLeeeeLLLLb..",
    ".bLeeeeeLLLeeLb.",
    ".bLLeeeLLLLeeeb.",
    "bLLLeeeLLLLLeLLb",
    "bLLLLeeeLLLLLLLb",
    "bLLLLLeeLLLeeLLb",
    "bLLLLLeLLLeeeeLb",
    "bLLLLLLLLLeeeeLb",
    "bLLLLLLLLLLeeLLb",
    ".bLLLLLLLLLeLLb.",
    ".bLLLLLLLLLLLLb.",
    "..bLLLLLLLLLLb..",
    "...bbLLLLLLbb...",
    ".....bbbbbb.....",
]

# In image-list order; the index is the image number the dialogs use.
IMAGES = [
    (SERVER, PALETTE),         # 0 OPC server
    (FOLDER, PALETTE),         # 1 address-space branch
    (TAG, PALETTE),            # 2 address-space leaf
    (MY_COMPUTER, PALETTE),    # 3 My Computer
    (NEIGHBOURHOOD, PALETTE),  # 4 Network Neighbourhood
    (NETWORK, PALETTE),        # 5 network
    (COMPUTER, PALETTE),       # 6 computer
    (DOMAIN, PALETTE),         # 7 domain or workgroup
    (GLOBE, PALETTE),          # 8 entire network
    (SERVER, GREYED),          # 9 server slot without a server
]


def check(images):
    assert len(images) == 10
    for number, (art, palette) in enumerate(images):
        assert len(art) == SIZE, "image %d: %d rows" % (number, len(art))
        for y, row in enumerate(art):
            assert len(row) == SIZE, "image %d row %d: %d pixels" % (number, y, len(row))
            for ch in row:
                assert ch in palette, "image %d row %d: no colour for %r" % (number, y, ch)
    for palette in (PALETTE, GREYED):
        for ch, rgb in palette.items():
            assert ch == '.' or rgb != TRANSPARENT, "%r would be transparent" % ch


def pixels(images):
    """Rows of (r, g, b) tuples, top row first, the images side by side."""
    rows = []
    for y in range(SIZE):
        row = []
        for art, palette in images:
            row.extend(palette[ch] for ch in art[y])
        rows.append(row)
    return rows


def bmp_bytes(rows):
    """24-bit bottom-up BMP with BITMAPINFOHEADER, as the resource compiler takes it."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b'\0' * (stride - len(line))
        body += line
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    return header + info + bytes(body)


def png_bytes(rows, scale):
    """Enlarged RGB PNG, transparent pixels shown as a grey checkerboard."""
    height, width = len(rows) * scale, len(rows[0]) * scale
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(width):
            rgb = rows[y // scale][x // scale]
            if rgb == TRANSPARENT:
                rgb = (0xE8, 0xE8, 0xE8) if ((x // 4) + (y // 4)) % 2 else (0xF8, 0xF8, 0xF8)
            raw += bytes(rgb)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    ihdr = struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
            chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('-o', '--output', default=os.path.join(here, 'bitmap135.bmp'))
    parser.add_argument('--preview', help='also write an enlarged PNG here')
    parser.add_argument('--scale', type=int, default=4)
    args = parser.parse_args()

    check(IMAGES)
    rows = pixels(IMAGES)
    with open(args.output, 'wb') as f:
        f.write(bmp_bytes(rows))
    if args.preview:
        with open(args.preview, 'wb') as f:
            f.write(png_bytes(rows, args.scale))


if __name__ == '__main__':
    main()
