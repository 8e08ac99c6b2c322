#!/usr/bin/env python3
"""Draws the link pointer and writes src/resources/link.cur.

The picture: a hand pointing up with its index finger, black outline and white fill, the
other three fingers folded with their knuckles showing and the thumb to the left. One
32 x 32 image at 16 colours (the standard VGA palette) with its AND mask; the hot spot is
the tip of the index finger. Standard library only; the output is the same on every run.

Usage: python3 scripts/make_cursor.py [output.cur]
"""

import struct
import sys

sys.dont_write_bytecode = True  # importing the icon script leaves no cache beside it
from make_icon import bmp_entry, output_path  # noqa: E402

HOT_SPOT = (13, 4)

# One character a pixel, top row first: "#" black, "-" white, "." transparent.
HAND = [
    "................................",
    "................................",
    "................................",
    "................................",
    "............###.................",
    "...........#---#................",
    "..........#-----#...............",
    "..........#-----#...............",
    "..........#-----#...............",
    "..........#-----#...............",
    "..........#-----#...............",
    "..........#-----#...............",
    "..........#-----####............",
    "..........#-----#---####........",
    "..........#-----#---#---###.....",
    "..........#-----#---#---#--#....",
    ".....###..#-----#---#---#--#....",
    "....#---#.#-----#---#---#--#....",
    "....#----##-----#---#---#--#....",
    ".....#---#-----------------#....",
    ".....#---------------------#....",
    "......#--------------------#....",
    "......#--------------------#....",
    ".......#-------------------#....",
    "........#-----------------#.....",
    "........#-----------------#.....",
    "........#-----------------#.....",
    "........###################.....",
    "................................",
    "................................",
    "................................",
    "................................",
]

COLOURS = {"#": (0, 0, 0, 255), "-": (255, 255, 255, 255), ".": (0, 0, 0, 0)}


def rows():
    if len(HAND) != 32 or any(len(line) != 32 for line in HAND):
        raise ValueError("the hand must be 32 x 32 pixels")
    x, y = HOT_SPOT
    # The hot spot is the finger tip: a black pixel with nothing above it.
    if HAND[y][x] != "#" or any(HAND[row][x] != "." for row in range(y)):
        raise ValueError("the hot spot is not the tip of the finger")
    return [[COLOURS[c] for c in line] for line in HAND]


def main():
    out = output_path(__doc__, "link.cur")
    if out is None:
        return
    image = bmp_entry(rows(), 4)
    # A cursor's directory entry holds the hot spot where an icon's holds planes and depth.
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, HOT_SPOT[0], HOT_SPOT[1], len(image),
                        len(directory) + 16)
    with open(out, "wb") as f:
        f.write(directory + entry + image)


if __name__ == "__main__":
    main()
