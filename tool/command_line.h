// The tool's command line: its words (launch/command_line_words.h) read as options.
// With no arguments the tool is the interactive one; any argument asks for the command line.
#pragma once

#include <string>
#include <vector>

enum class ToolAction { Interactive, Help, Version, List, OneSheet, AllSheets };
enum class SheetFormat { Bmp, Png };
enum class DescriptorForm { None, Text, Xml };

struct ToolCommand {
    ToolAction action = ToolAction::Interactive;
    std::string font;     // --font: an index or a face name
    std::string charset;  // --charset: a name or number; empty when not given
    std::string output;   // -o: the sheet's file (--font) or folder (--all)
    SheetFormat format = SheetFormat::Bmp;
    DescriptorForm descriptor = DescriptorForm::None;
    std::string usageError;  // what is wrong with the command; empty when it is sound
};

ToolCommand ParseCommand(const std::vector<std::string>& arguments);

// The format a file name asks for by its extension; false for any other extension.
bool FormatOfFileName(const std::string& name, SheetFormat* format);
