#include "windows_command_line.h"

#include <cstring>

namespace vantor::platform {
namespace {

// Backslashes are literal unless a quote follows them: then each is doubled, and the
// quote itself gets one more to stand for a literal quote.
void AppendQuoted(std::string& line, const char* argument) {
    if (*argument != '\0' && std::strpbrk(argument, " \t\n\v\"") == nullptr) {
        line += argument;
        return;
    }
    line += '"';
    size_t backslashes = 0;
    for (const char* c = argument; *c != '\0'; ++c) {
        if (*c == '\\') {
            ++backslashes;
            continue;
        }
        if (*c == '"') backslashes = 2 * backslashes + 1;
        line.append(backslashes, '\\');
        line += *c;
        backslashes = 0;
    }
    line.append(2 * backslashes, '\\');  // before the closing quote
    line += '"';
}

}  // namespace

std::string WindowsCommandLine(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        AppendQuoted(line, argv[i]);
    }
    return line;
}

}  // namespace vantor::platform
