// A file that replaces another only once it is whole: written under a temporary name beside
// its destination (so that the rename stays on one file system), closed, then renamed over
// it. A reader never sees half a file, and a failed write leaves the old one alone. The
// platform's own (screenshots, the face-facts cache); the system keeps its own
// (surfaces/replacing_file.*), since neither includes the other.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace vantor::platform {

// Writes `path` through `write`, which returns false when it failed; the file gets the
// permissions given. False, with the temporary file removed and `path` untouched, when it
// cannot be created, written, closed or renamed.
bool WriteReplacing(const std::string& path, mode_t permissions,
                    const std::function<bool(std::FILE*)>& write);

// A cache file: the bytes, readable by the user alone, in place of the file at path, its
// folder made first when missing. False when it could not be written.
bool ReplaceCacheFile(const std::string& path, std::string_view bytes);

}  // namespace vantor::platform
