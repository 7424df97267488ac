// students.dat on POSIX systems: only a regular file is read, and a save
// writes a new file beside the old one, syncs it and renames it over the
// old one, so that either the whole new content or the old file is there.
#include "file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace studentdb {

namespace {

constexpr const char* file_name = "students.dat";

// The directory part of a path, with its trailing slash; empty for a name
// in the working directory.
std::string directory_of(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

// The text of the symbolic link at path, or false.
bool read_link(const std::string& path, std::string& text) {
    for (std::size_t size = 256;; size *= 2) {
        text.resize(size);
        ssize_t got = ::readlink(path.c_str(), text.data(), size);
        if (got < 0) return false;
        if (static_cast<std::size_t>(got) < size) {
            text.resize(static_cast<std::size_t>(got));
            return true;
        }
    }
}

// The file a save replaces: students.dat, or, where that is a symbolic link,
// the end of its chain of links, which may not exist yet (the save then
// creates it). False where there is nothing a save may replace: a
// directory, a FIFO, a device, a loop of links, a link that cannot be read.
bool save_target(std::string& path) {
    constexpr int most_links = 40; // as many as the kernel follows in one name
    path = file_name;
    for (int links = 0; links <= most_links; ++links) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT;
        if (S_ISREG(st.st_mode)) return true;
        std::string to;
        if (!S_ISLNK(st.st_mode) || !read_link(path, to) || to.empty()) return false;
        // A relative link is read from the directory that holds it.
        if (to[0] != '/') to.insert(0, directory_of(path));
        path = std::move(to);
    }
    return false;
}

// Creates a new file beside target, in the same directory so that the
// rename cannot cross file systems, that no one else is using.
int create_temporary(const std::string& target, std::string& path) {
    for (int k = 0; k < 100; ++k) {
        path = target + "." + std::to_string(::getpid()) + "." + std::to_string(k) + ".tmp";
        // Mode 0666 lets the umask decide, as for a file created by fopen.
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Makes the rename itself durable. Some file systems cannot sync a
// directory; the new file is in place either way, so errors are ignored.
void sync_directory(const std::string& directory) {
    int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

} // namespace

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

std::FILE* open_students_file() {
    // A device is not even opened: opening some devices does something.
    struct stat st {};
    if (::stat(file_name, &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    // O_NONBLOCK: should a FIFO take the file's place after the check, the
    // open does not wait for a writer, and the check below refuses it.
    int fd = ::open(file_name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    std::FILE* f = nullptr;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) f = ::fdopen(fd, "rb");
    if (f == nullptr) ::close(fd);
    return f;
}

bool write_students_file(const student* a, std::int32_t num_d) {
    std::string target;
    if (!save_target(target)) return false;
    std::string temporary;
    int fd = create_temporary(target, temporary);
    if (fd < 0) return false;
    // The new file takes the old one's permissions, so that a save never
    // opens a private file to others. Where modes cannot be set the umask's
    // choice stands.
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) (void)::fchmod(fd, old.st_mode & 07777);
    bool ok = write_records(fd, a, num_d) && ::fsync(fd) == 0;
    // close may report a write error that the file system deferred.
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    sync_directory(directory_of(target));
    return true;
}

} // namespace studentdb
