// The tool's command line: split by the Windows rules for quotes, then read as options.
// With no arguments the tool is the interactive one; any argument asks for the command line.
#pragma once

#include <string>
#include <vector>

// The arguments of a command line (without the program's name), split as the C runtime
// and CommandLineToArgvW split it: blanks separate arguments outside quotes; a quote
// starts or ends a quoted part; 2n backslashes before a quote stand for n and leave the
// quote's meaning, 2n + 1 stand for n and a literal quote; "" inside quotes is a literal
// quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const char* commandLine);

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
