// A Windows program's command line as its words: WinMain is handed one line, which the
// program splits itself.
#pragma once

#include <string>
#include <vector>

// The arguments of a command line (without the program's name), split as the C runtime
// and CommandLineToArgvW split it: blanks separate arguments outside quotes; a quote
// starts or ends a quoted part; 2n backslashes before a quote stand for n and leave the
// quote's meaning, 2n + 1 stand for n and a literal quote; "" inside quotes is a literal
// quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(const char* commandLine);
