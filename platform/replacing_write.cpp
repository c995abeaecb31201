#include "replacing_write.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace vantor::platform {

bool WriteReplacing(const std::string& path, mode_t permissions,
                    const std::function<bool(std::FILE*)>& write) {
    std::string temporary = path + ".XXXXXX";
    const int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return false;
    fchmod(descriptor, permissions);
    std::FILE* file = fdopen(descriptor, "wb");
    if (!file) {
        close(descriptor);
        unlink(temporary.c_str());
        return false;
    }
    bool written = write(file);
    // The close flushes what is buffered, so its failure is a failed write too.
    written = std::fclose(file) == 0 && written;
    if (written && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
    unlink(temporary.c_str());
    return false;
}

}  // namespace vantor::platform
