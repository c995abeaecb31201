// The demo's command line: words apart by blanks, as Windows hands WinMain its command line.
#include <cstdio>
#include <string>

#include "demo/demo.h"

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
    std::string line = commandLine != nullptr ? commandLine : "";
    for (size_t start = line.find_first_not_of(" \t"); start != std::string::npos;) {
        const size_t end = line.find_first_of(" \t", start);
        const std::string word = line.substr(start, end - start);
        if (word == "-window" || word == "/window") {
            command.windowed = true;
        } else if (word == "--help") {
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
        if (command.exitStatus >= 0) break;
        start = line.find_first_not_of(" \t", end);
    }
    return command;
}
