#include "launch/command_line_words.h"

std::vector<std::string> SplitCommandLine(const char* commandLine) {
    std::vector<std::string> arguments;
    const char* c = commandLine != nullptr ? commandLine : "";
    for (;;) {
        while (*c == ' ' || *c == '\t') ++c;
        if (*c == '\0') return arguments;
        std::string argument;
        bool quoted = false;
        while (*c != '\0' && (quoted || (*c != ' ' && *c != '\t'))) {
            size_t backslashes = 0;
            for (; *c == '\\'; ++c) ++backslashes;
            if (*c != '"') {
                argument.append(backslashes, '\\');
                if (backslashes == 0) argument += *c++;
                continue;  // after backslashes, the character that ended them is read anew
            }
            argument.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                argument += '"';
            } else if (quoted && c[1] == '"') {
                argument += '"';
                ++c;
            } else {
                quoted = !quoted;
            }
            ++c;
        }
        arguments.push_back(std::move(argument));
    }
}
