#include "support/required_programs.h"

#include <unistd.h>

#include <cstdlib>
#include <sstream>

namespace vantor::testing {
namespace {

// As the shell looks for a command: an executable file in one of the PATH's folders.
bool OnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

}  // namespace

std::string MissingPrograms(std::initializer_list<const char*> programs) {
    std::string missing;
    for (const char* program : programs)
        if (!OnPath(program)) missing += (missing.empty() ? "" : ", ") + std::string(program);
    if (missing.empty()) return "";
    return "not on the PATH: " + missing + " (make test installs every program the tests start)";
}

}  // namespace vantor::testing
