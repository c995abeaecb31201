// Finds and loads the window presenter's module when a display is named; it stays loaded
// for the rest of the process, since the presenters it makes live as long. The module is
// looked for, in turn:
//   - next to the program: the build tree, and a program carried about with its module;
//   - where the install puts it, relative to the program's folder: an installed program;
//   - by the dynamic linker's search: a program built on an installed Vantor carries the
//     module's folder in its run path (the CMake package and pkg-config file give it), and
//     one built with Vantor as a subproject the folder the module was built in.
#include "sdl_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace vantor::platform {
namespace {

using MakeFunction = decltype(&VantorMakeSdlPresenter);

// A display answers only when a window system is named; without one there is nothing
// to load.
bool DisplayNamed() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (x11 && *x11) || (wayland && *wayland);
}

std::string ProgramDirectory() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return {};
    std::string program(path, static_cast<size_t>(length));
    return program.substr(0, program.rfind('/') + 1);
}

void* OpenModule() {
    std::vector<std::string> places;
    if (const std::string programDirectory = ProgramDirectory(); !programDirectory.empty()) {
        places.push_back(programDirectory + kSdlPresenterModule);
        places.push_back(programDirectory + VANTOR_SDL_PRESENTER_FROM_PROGRAM + "/" +
                         kSdlPresenterModule);
    }
    places.push_back(kSdlPresenterModule);
    std::string errors;
    for (const std::string& place : places) {
        if (void* module = dlopen(place.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
        errors += errors.empty() ? "" : "; ";
        errors += dlerror();
    }
    std::fprintf(stderr, "sdl: cannot load the window module: %s\n", errors.c_str());
    return nullptr;
}

// Loaded once; a module that cannot be loaded is reported once.
MakeFunction LoadEntry() {
    static MakeFunction entry = []() -> MakeFunction {
        void* module = OpenModule();
        if (!module) return nullptr;
        auto found = reinterpret_cast<MakeFunction>(dlsym(module, kSdlPresenterEntry));
        if (!found) std::fprintf(stderr, "sdl: the window module has no entry: %s\n", dlerror());
        return found;
    }();
    return entry;
}

}  // namespace

std::unique_ptr<Presenter> MakeSdlPresenter(bool inWindow) {
    if (!DisplayNamed()) return nullptr;
    MakeFunction make = LoadEntry();
    return std::unique_ptr<Presenter>(make ? make(inWindow) : nullptr);
}

}  // namespace vantor::platform

// Read by the leak checker of sanitized builds only. The session-bus library SDL starts
// keeps one buffer for the life of the process and never frees it; that is not ours to
// report.
extern "C" __attribute__((used)) const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
