// Finds and loads the window presenter's module when a display is named. The module is
// looked for next to the program first, then where the build put it; it stays loaded
// for the rest of the process, since the presenters it makes live as long.
#include "sdl_module.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
    std::string besideProgram = ProgramDirectory() + kSdlPresenterModule;
    if (void* module = dlopen(besideProgram.c_str(), RTLD_NOW | RTLD_LOCAL)) return module;
    std::string firstError = dlerror();
#ifdef VANTOR_SDL_PRESENTER_BUILT
    if (void* module = dlopen(VANTOR_SDL_PRESENTER_BUILT, RTLD_NOW | RTLD_LOCAL)) return module;
#endif
    std::fprintf(stderr, "sdl: cannot load the window module: %s\n", firstError.c_str());
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
