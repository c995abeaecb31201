// The tool run from its command line: help, version, the font list and sheets written to
// files, all without a display.
#pragma once

#include <string>
#include <vector>

#include "tool/command_line.h"

// Runs the command the arguments give and returns the program's exit status: 0 when it
// did all it was asked, 1 when something outside the command failed (a font not found,
// a file not written), 2 for a mistake in the command itself.
int RunCommandLine(const std::vector<std::string>& arguments);

// --help and --version.
const char* HelpText();
std::string VersionText();
