#!/usr/bin/env python3
"""The peer of the font sheet tool's whole job: renders characters 1 to 255 of one
TrueType face into a 4096 x 20 strip of 16-pixel cells and saves it as Font.bmp in the
current directory, the way a Pillow user would write it.

Each character is drawn white on black at 32 pixels per em into an image as wide as its
advance and as tall as the face's ascent plus descent with 2 rows above and below, scaled
to 24 x 20 by nearest neighbour, cropped to its cell's 16 x 19 and pasted at x = 16 * code.

Usage: pillow_sheet.py FONT_FILE
"""
import sys

from PIL import Image, ImageDraw, ImageFont


def main():
    font = ImageFont.truetype(sys.argv[1], 32)
    ascent, descent = font.getmetrics()
    sheet = Image.new("RGB", (4096, 20))
    for code in range(1, 256):
        character = bytes([code]).decode("cp1252", errors="replace")
        width = max(1, round(font.getlength(character)))
        glyph = Image.new("RGB", (width, ascent + descent + 4))
        ImageDraw.Draw(glyph).text((0, 2), character, font=font, fill="white")
        cell = glyph.resize((24, 20), Image.NEAREST).crop((0, 0, 16, 19))
        sheet.paste(cell, (16 * code, 0))
    sheet.save("Font.bmp")


if __name__ == "__main__":
    main()
