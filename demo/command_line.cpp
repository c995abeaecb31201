// The demo's command line: its words, split by the Windows rules for quotes as the tool's are.
#include <cstdio>
#include <string>

#include "demo/demo.h"
#include "launch/command_line_words.h"
#include "launch/parent_console.h"

namespace {

constexpr char kUsage[] = "Usage: vantor_demo [-window]\n";

constexpr char kHelp[] =
    "Shows what the Vantor framework draws: balls drawn with colour-keyed blits moving over a\n"
    "backdrop, a square blended half and half into it, the frame trail, and a checkerboard in\n"
    "an 8-bit palette mode. It takes the screen at 640 x 480, or shows itself in a window.\n"
    "\n"
    "Options:\n"
    "  -window     show the demo in a window of 640 x 480 instead of taking the screen\n"
    "  --help      print this help and exit\n"
    "  --version   print the version and exit\n"
    "\n"
    "Keys: 1 sprites, 2 blends, 3 checkerboard (full screen: in an 8-bit palette mode),\n"
    "T trail on and off, Escape quits.\n";

}  // namespace

DemoCommand ParseDemoCommandLine(const char* commandLine) {
    DemoCommand command;
    for (const std::string& word : SplitCommandLine(commandLine)) {
        if (word == "-window" || word == "/window") {
            command.windowed = true;
            continue;
        }
        // Only a program that prints has its output go to the console it was started from.
        UseParentConsole();
        if (word == "--help") {
            std::fputs(kUsage, stdout);
            std::fputs(kHelp, stdout);
            command.exitStatus = 0;
        } else if (word == "--version") {
            std::printf("vantor_demo %s\n", VANTOR_VERSION);
            command.exitStatus = 0;
        } else {
            std::fprintf(stderr,
                         "vantor_demo: unknown argument '%s'\n%sTry 'vantor_demo --help'.\n",
                         word.c_str(), kUsage);
            command.exitStatus = 2;
        }
        return command;
    }
    return command;
}
