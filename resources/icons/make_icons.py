#!/usr/bin/env python3
"""Draws Jotbook's toolbar pictures and renders the application icon.

Every toolbar picture is a 16 x 16 grid of characters; each character names a colour of PALETTE
('.' is transparent). Each is written as NAME.png and, for screens at twice the density, as
NAME@2x.png (32 x 32), enlarged with the Scale2x rule: edges stay sharp and diagonals are
smoothed instead of turning into steps. The application icon is drawn in jotbook.svg; its PNG
sizes for the icon theme are rendered from it with rsvg-convert (Debian: librsvg2-bin).
Run the script from anywhere: the files are written next to it.
"""

import os
import struct
import subprocess
import zlib

# The sizes of the application icon in the hicolor theme.
APP_ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)

# RGBA colours. Dark outlines with light fills keep the pictures readable on light and
# dark toolbars alike.
PALETTE = {
    '.': (0, 0, 0, 0),
    'k': (32, 32, 40, 255),       # outline
    'w': (255, 255, 255, 255),    # paper
    'e': (226, 230, 236, 255),    # paper in shadow
    'g': (200, 204, 210, 255),    # light metal / grey
    'G': (128, 132, 140, 255),    # mid grey, printed lines
    's': (168, 176, 188, 255),    # steel
    'y': (255, 214, 92, 255),     # folder front, pen body
    'Y': (214, 160, 40, 255),     # folder back, pen shade
    'h': (255, 240, 170, 255),    # pen highlight
    'n': (176, 116, 56, 255),     # clipboard board
    'N': (110, 70, 30, 255),      # magnifier handle
    'b': (56, 104, 200, 255),     # blue
    'B': (28, 60, 140, 255),      # dark blue
    'l': (150, 190, 240, 255),    # light blue: glass, ruled lines
    'r': (210, 48, 48, 255),      # red
    'R': (232, 96, 96, 255),      # pen cap
    'v': (60, 170, 70, 255),      # printer lamp
    'S': (0, 0, 0, 70),           # soft shadow
    'H': (255, 255, 255, 120),    # halo behind the plain alignment lines
    # pressed alignment buttons
    'p': (150, 176, 222, 255),    # sunken bluish face
    'D': (60, 74, 104, 255),      # inset border, dark side
    'M': (104, 122, 160, 255),    # inset border, second dark line
    'L': (236, 242, 252, 255),    # inset border, light side
    'T': (16, 30, 70, 255),       # text lines on the sunken face
}

ICONS = {
    'NewBtn': [
        "................",
        "...kkkkkkkk.....",
        "...kwwwwwwkk....",
        "...kwwwwwwkgk...",
        "...kwwwwwwkwgk..",
        "...kwwwwwwkkkkk.",
        "...kwwwwwwwwwek.",
        "...kwwwwwwwwwek.",
        "...kwwwwwwwwwek.",
        "...kwwwwwwwwwek.",
        "...kwwwwwwwwwek.",
        "...kwwwwwwwwwek.",
        "...kwwwwwwwwwek.",
        "...keeeeeeeeeek.",
        "...kkkkkkkkkkkk.",
        "................",
    ],
    'OpenBtn': [
        "................",
        "................",
        ".kkkk...........",
        "kYYYYk..........",
        "kYYYYYkkkkkkk...",
        "kYYwwwwwwwwYYk..",
        "kYYwwwwwwwwYYk..",
        "kYYkkkkkkkkkkkkk",
        "kYYkyyyyyyyyyyyk",
        "kYYkyyyyyyyyyyk.",
        "kYkyyyyyyyyyyyk.",
        "kYkyyyyyyyyyyk..",
        "kkyyyyyyyyyyyk..",
        "kkkkkkkkkkkkk...",
        "................",
        "................",
    ],
    'SaveBtn': [
        "................",
        ".kkkkkkkkkkkkk..",
        ".kbkwwwwwwwkbkk.",
        ".kbkwwwwwwwkbbk.",
        ".kbkwGGGGGwkbbk.",
        ".kbkwwwwwwwkbbk.",
        ".kbkwGGGGGwkbbk.",
        ".kbkwwwwwwwkbbk.",
        ".kbbkkkkkkkbbbk.",
        ".kbbbbbbbbbbbbk.",
        ".kbbkkkkkkkkbbk.",
        ".kbbkgkkgggkbbk.",
        ".kbbkgkkgggkbbk.",
        ".kbbkgggggggkbk.",
        ".kkkkkkkkkkkkkk.",
        "................",
    ],
    'PrintBtn': [
        "................",
        "....kkkkkkkk....",
        "....kwwwwwwk....",
        "....kwGGGGwk....",
        "....kwwwwwwk....",
        "..kkkkkkkkkkkk..",
        ".kwwwwwwwwwwwwk.",
        ".kggggggggggvgk.",
        ".kggggggggggggk.",
        ".kGGGGGGGGGGGGk.",
        ".kGkkkkkkkkkkGk.",
        ".kkkwwwwwwwwkkk.",
        "...kwGGGGGGwk...",
        "...kwwwwwwwwk...",
        "...kkkkkkkkkk...",
        "................",
    ],
    'CutBtn': [
        "................",
        "....k......k....",
        "....kk....kk....",
        "....ksk..ksk....",
        ".....kskksk.....",
        "......kssk......",
        "......ksGk......",
        ".....kskksk.....",
        "....ksk..ksk....",
        "..kkkk....kkkk..",
        ".krrrrk..krrrrk.",
        ".kr..rk..kr..rk.",
        ".kr..rk..kr..rk.",
        ".krrrrk..krrrrk.",
        "..kkkk....kkkk..",
        "................",
    ],
    'CopyBtn': [
        "................",
        ".kkkkkkkk.......",
        ".kwwwwwwk.......",
        ".kwGGGGwk.......",
        ".kwwwwwwk.......",
        ".kwGGGkkkkkkkkk.",
        ".kwwwwkwwwwwwwk.",
        ".kwGGGkwGGGGGwk.",
        ".kwwwwkwwwwwwwk.",
        ".kwGGGkwGGGGGwk.",
        ".kwwwwkwwwwwwwk.",
        ".kkkkkkwGGGGGwk.",
        "......kwwwwwwwk.",
        "......kwGGGGwwk.",
        "......kwwwwwwwk.",
        "......kkkkkkkkk.",
    ],
    'PasteBtn': [
        "......kkkk......",
        ".kkkkkgwwgkkkk..",
        "knnnnkggggknnnk.",
        "knnnnnkkkknnnnk.",
        "knnnnnnnnnnnnnk.",
        "knnnnnnnnnnnnnk.",
        "knnnnnkkkkkkkkkk",
        "knnnnnkwwwwwwwwk",
        "knnnnnkwGGGGGGwk",
        "knnnnnkwwwwwwwwk",
        "knnnnnkwGGGGGGwk",
        "knnnnnkwwwwwwwwk",
        "knnnnnkwGGGGwwwk",
        "knnnnnkwwwwwwwwk",
        ".kkkkkkwwwwwwwwk",
        "......kkkkkkkkkk",
    ],
    'UndoBtn': [
        "................",
        "................",
        "....k...........",
        "...kbk..........",
        "..kbbkkkkkkk....",
        ".kbbbbbbbbbbkk..",
        "kbbbbbbbbbbbbbk.",
        ".kbbbbkkkkkkbbbk",
        "..kbbk......kbbk",
        "...kbk......kbbk",
        "....k.......kbbk",
        "...........kbbk.",
        ".........kkbbk..",
        ".........kbbk...",
        ".........kkk....",
        "................",
    ],
    'FindBtn': [
        "................",
        "...kkkkk........",
        "..kwwlllk.......",
        ".kwllllllk......",
        ".kwllllllk......",
        ".klllllllk......",
        ".klllllllk......",
        ".kllllllGk......",
        "..kllllGkk......",
        "...kkkkkNNk.....",
        "........kNNNk...",
        ".........kNNNk..",
        "..........kNNNk.",
        "...........kNNNk",
        "............kkk.",
        "................",
    ],
    'CopyAllBtn': [
        "................",
        "..kkkkkkkk......",
        "..kwwwwwwk......",
        "..kwkkkkkkkk....",
        "..kwkwwwwwwk....",
        "..kwkwkkkkkkkkk.",
        "..kwkwkwwwwwwwk.",
        "..kwkwkwbbbbbwk.",
        "..kkkwkwwwwwwwk.",
        "....kwkwbbbbbwk.",
        "....kkkwwwwwwwk.",
        "......kwbbbbbwk.",
        "......kwwwwwwwk.",
        "......kwbbbwwwk.",
        "......kwwwwwwwk.",
        "......kkkkkkkkk.",
    ],
}

# Text lines of the alignment pictures: (first column, last column) per line, rows 3, 5 ... 13.
ALIGN_LINES = {
    'Left':   [(2, 13), (2, 9), (2, 13), (2, 9), (2, 13), (2, 9)],
    'Center': [(2, 13), (4, 11), (2, 13), (4, 11), (2, 13), (4, 11)],
    'Right':  [(2, 13), (6, 13), (2, 13), (6, 13), (2, 13), (6, 13)],
}


def alignment_plain(lines):
    """Dark lines on a faint light backing, so they also show on a dark toolbar."""
    grid = [['.'] * 16 for _ in range(16)]
    for r in range(2, 15):
        for c in range(1, 15):
            grid[r][c] = 'H'
    for i, (a, b) in enumerate(lines):
        for c in range(a, b + 1):
            grid[3 + 2 * i][c] = 'k'
    return [''.join(row) for row in grid]


def alignment_pressed(lines):
    """The same lines on a sunken bluish square: dark inset edge top-left, light bottom-right."""
    grid = [['p'] * 16 for _ in range(16)]
    for i in range(16):
        grid[0][i] = grid[i][0] = 'D'
        grid[15][i] = grid[i][15] = 'L'
    for i in range(1, 15):
        grid[1][i] = grid[i][1] = 'M'
    grid[15][0] = grid[0][15] = 'M'
    for i, (a, b) in enumerate(lines):
        for c in range(a, b + 1):
            grid[3 + 2 * i][c] = 'T'
    return [''.join(row) for row in grid]


for name, lines in ALIGN_LINES.items():
    ICONS[name + 'Btn'] = alignment_plain(lines)
    ICONS[name + 'Btn2'] = alignment_pressed(lines)

def scale2x(grid):
    """The grid at twice the size by Scale2x: a corner takes a neighbour's colour where two
    neighbours of that corner agree and the others do not."""
    size = len(grid)

    def at(r, c):
        return grid[r][c] if 0 <= r < size and 0 <= c < size else '.'

    out = [[None] * (2 * size) for _ in range(2 * size)]
    for r in range(size):
        for c in range(size):
            p, a, b, d, e = at(r, c), at(r - 1, c), at(r, c + 1), at(r + 1, c), at(r, c - 1)
            out[2 * r][2 * c] = a if e == a and e != d and a != b else p
            out[2 * r][2 * c + 1] = b if a == b and a != e and b != d else p
            out[2 * r + 1][2 * c] = e if d == e and d != b and e != a else p
            out[2 * r + 1][2 * c + 1] = d if b == d and b != a and d != e else p
    return [''.join(row) for row in out]


def to_rgba(grid):
    size = len(grid)
    for row in grid:
        if len(row) != size:
            raise ValueError('row of %d characters in a %d-pixel picture: %r' % (len(row), size, row))
    return [[PALETTE[ch] for ch in row] for row in grid]


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b''.join(b'\x00' + b''.join(struct.pack('4B', *p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, 'wb') as f:
        f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
                + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, grid in ICONS.items():
        if len(grid) != 16:
            raise ValueError('%s has %d rows' % (name, len(grid)))
        write_png(os.path.join(here, name + '.png'), to_rgba(grid))
        write_png(os.path.join(here, name + '@2x.png'), to_rgba(scale2x(grid)))
    svg = os.path.join(here, 'jotbook.svg')
    for size in APP_ICON_SIZES:
        subprocess.run(['rsvg-convert', '-w', str(size), '-h', str(size), '-o',
                        os.path.join(here, 'jotbook-%d.png' % size), svg], check=True)


if __name__ == '__main__':
    main()
