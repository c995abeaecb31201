// The command line Windows hands WinMain: the arguments after the program's name, each
// quoted as the Windows rules for quotes need, so that splitting it gives them back.
#pragma once

#include <string>

namespace vantor::platform {

std::string WindowsCommandLine(int argc, char** argv);

}  // namespace vantor::platform
