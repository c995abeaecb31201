#include "tool/batch.h"

const char* HelpText() {
    return R"(Usage: fontsheet [OPTION]...
Write font sheets: characters 1 to 255 of a font, each scaled into its 16-pixel cell of
a 4096 x 20 image, for programs that draw text from a bitmap.

With no option, fontsheet takes the screen at 640 x 480, lists every font with its index
and a sample line, and writes the selected font's sheet as Font.bmp on Enter (Up and
Down move the selection, Escape ends without writing). The options below do the same
without a display.

  -h, --help               show this help and exit
      --version            show the version and licence and exit
      --list               list the font records, one line each, tab-separated: index,
                           face name, character set name, character set number, height,
                           width, weight, italic (0 or 1); control bytes and
                           backslashes in face names are written as \xHH
      --font=INDEX|NAME    write the sheet of one font record: the index --list shows,
                           or a face name as --list prints it (any case; the first
                           record of the face unless --charset picks one)
      --charset=SET        with --font NAME: the record of this character set, a name
                           or number as --list prints them
  -o, --output=PATH        with --font: the sheet's file (default Font.bmp); the
                           extension chooses the format, .bmp or .png. With --all: the
                           folder for the sheets, made if missing
      --all                write a sheet for every record, named
                           NNN-<face>-<charset>.<ext>, into the folder -o names
      --format=FORMAT      with --all: bmp (the default) or png
      --descriptor[=FORM]  also write the bitmap-font descriptor <stem>.fnt beside
                           each sheet, in the format's text form (the default) or xml

A .bmp sheet is a 24-bit bitmap, white glyphs on black, byte for byte the file the
interactive tool writes for the same record. A .png sheet is RGBA: white, with each
pixel's coverage in its alpha.

Examples:
  fontsheet --list
  fontsheet --font 3
  fontsheet --font "DejaVu Sans Mono" --charset RUSSIAN -o mono.png --descriptor
  fontsheet --all -o sheets --format png --descriptor=xml

Exit status: 0 when everything asked for was done, 1 when a font was not found or a file
could not be written, 2 for a mistake on the command line.
)";
}

std::string VersionText() {
    return "fontsheet (Vantor) " VANTOR_VERSION
           "\nCopyright (c) 2026 The Vantor developers\n"
           "Licence: MIT, the terms in the file LICENSE: free to use, change and pass on,\n"
           "without warranty.\n";
}
