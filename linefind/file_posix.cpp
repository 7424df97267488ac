// The searched file on POSIX systems: read again at any offset when it is a
// regular file.
#include "file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace linefind {

opened_file open_file(const std::string& name) {
    int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    bool regular = fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    return {fd, regular, regular ? static_cast<std::uint64_t>(st.st_size) : 0};
}

std::ptrdiff_t read_file(int fd, char* to, std::size_t size) {
    for (;;) {
        ssize_t got = ::read(fd, to, size);
        if (got >= 0 || errno != EINTR) return got;
    }
}

std::ptrdiff_t read_file_at(int fd, char* to, std::size_t size, std::uint64_t offset) {
    for (;;) {
        ssize_t got = ::pread(fd, to, size, static_cast<off_t>(offset));
        if (got >= 0 || errno != EINTR) return got;
    }
}

void close_file(int fd) { ::close(fd); }

} // namespace linefind
