// The sheet's files: the image in the format its name asks for, and the descriptor beside
// it that bitmap-font readers load with it.
#pragma once

#include <string>

#include "tool/command_line.h"
#include "win32.h"

// Writes the render target, the drawn sheet, to path: BMP as the interactive tool writes
// it; PNG as RGBA, white, each pixel's alpha its coverage (its grey level scaled to the
// full range). The file is replaced whole or left untouched. False when it was not written.
bool WriteSheetFile(const std::string& path, SheetFormat format);

// What a descriptor says of one sheet beyond the record itself.
struct DescriptorSheet {
    std::string imageName;  // the image's file name, relative to the descriptor
    SheetFormat format;
    int32_t ascent;  // of the record's font, and its cell height: where the baseline falls
    int32_t height;
};

// The descriptor's path for an image: its stem with .fnt.
std::string DescriptorPath(const std::string& imagePath);
// Writes the bitmap-font descriptor of the record's sheet; false when it was not written.
bool WriteDescriptor(const std::string& path, DescriptorForm form, const LOGFONTA& record,
                     const DescriptorSheet& sheet);
