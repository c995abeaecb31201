#include "mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

namespace vantor::platform {

MappedFile::MappedFile(const std::string& path, size_t shortest, size_t longest, bool populate) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) return;
    struct stat status {};
    if (fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        size_t(status.st_size) >= shortest && size_t(status.st_size) <= longest) {
        void* mapped = mmap(nullptr, size_t(status.st_size), PROT_READ,
                            MAP_PRIVATE | (populate ? MAP_POPULATE : 0), descriptor, 0);
        if (mapped != MAP_FAILED) {
            bytes_ = static_cast<const char*>(mapped);
            length_ = size_t(status.st_size);
        }
    }
    close(descriptor);
}

MappedFile::~MappedFile() {
    if (bytes_) munmap(const_cast<char*>(bytes_), length_);
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)), length_(std::exchange(other.length_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
    if (this != &other) {
        if (bytes_) munmap(const_cast<char*>(bytes_), length_);
        bytes_ = std::exchange(other.bytes_, nullptr);
        length_ = std::exchange(other.length_, 0);
    }
    return *this;
}

}  // namespace vantor::platform
