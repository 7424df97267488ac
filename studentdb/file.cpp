#include "cp1251.h"
#include "student.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace studentdb {

namespace {

constexpr const char* file_name = "students.dat";

// Fills the array from f until the end of the data: end of file or a read
// error. Returns the number of records read. Without memory for more records
// the run ends: the collection would hold only part of the file, and a save
// would then drop the rest.
std::int32_t read_records(con::console& c, std::FILE* f, student*& a) {
    std::int32_t count = 0;
    std::size_t room = capacity_for(0);
    for (;;) {
        if (room == 0) {
            student* bigger = make_room(a, count);
            if (bigger == nullptr) {
                con::write(c, no_memory);
                con::out_of_memory(c);
                return 0;
            }
            a = bigger;
            room = capacity_for(count + 1) - static_cast<std::size_t>(count);
            room = std::min(room, static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - count));
        }
        // A short read means end of file or an error; either ends the data,
        // and a record only partly read is not counted.
        std::size_t got = std::fread(a + count, sizeof(student), room, f);
        count += static_cast<std::int32_t>(got);
        if (got < room) return count;
        room = 0;
    }
}

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

// Writes the records with zeros after each text, in batches so that a large
// collection takes few system calls.
bool write_records(int fd, const student* a, std::int32_t num_d) {
    constexpr std::int32_t batch = 1024;
    student buffer[batch];
    std::int32_t done = 0;
    while (done < num_d) {
        std::int32_t n = std::min(batch, num_d - done);
        for (std::int32_t i = 0; i < n; ++i) {
            const student& from = a[done + i];
            student& to = buffer[i];
            std::string_view name = text_of(from.name);
            std::string_view street = text_of(from.street);
            std::memset(&to, 0, sizeof to);
            std::memcpy(to.name, name.data(), name.size());
            std::memcpy(to.street, street.data(), street.size());
            to.house = from.house;
            to.flat = from.flat;
        }
        if (!write_all(fd, reinterpret_cast<const char*>(buffer),
                       static_cast<std::size_t>(n) * sizeof(student)))
            return false;
        done += n;
    }
    return true;
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

student* load_students(con::console& c, std::int32_t* num_d) {
    std::FILE* f = open_students_file();
    if (f == nullptr) {
        con::write(c, "\nФайла не существует!\n"_cp);
        con::wait_key(c);
        return nullptr;
    }
    student* a = make_room(nullptr, 0);
    if (a == nullptr) {
        con::write(c, no_memory);
        std::fclose(f);
        return nullptr;
    }
    std::int32_t count = read_records(c, f, a);
    std::fclose(f);
    if (count == 0) {
        std::free(a);
        return nullptr;
    }
    // Give back what the last enlargement took beyond the records' needs.
    if (auto* fitted = static_cast<student*>(std::realloc(a, capacity_for(count) * sizeof(student))))
        a = fitted;
    *num_d = count;
    return a;
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

void save_students(con::console& c, const student* a, std::int32_t num_d) {
    if (write_students_file(a, num_d)) return;
    con::write(c, "\nEror!\n");
    con::wait_key(c);
}

} // namespace studentdb
