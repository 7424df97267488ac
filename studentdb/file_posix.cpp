// students.dat on POSIX systems: only a regular file is read, and a save
// writes a new file beside the old one, syncs it and renames it over the
// old one, so that either the whole new content or the old file is there.
// A file the user may not write is not saved at all, and where a new file
// could not be what the old one was (one of several hard links, a directory
// closed to new files, an owner the process cannot give it, an access list,
// an extended attribute the process cannot copy) the old file is rewritten
// in place instead.
#include "file_system.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#if defined(__linux__)
#include <sys/xattr.h>
#endif

namespace studentdb {

namespace {

constexpr const char* file_name = "students.dat";

// The directory part of a path, with its trailing slash; empty for a name
// in the working directory.
std::string directory_of(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

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
        if (!S_ISLNK(st.st_mode)) return false;
        std::error_code error;
        std::string to = std::filesystem::read_symlink(path, error).string();
        if (error || to.empty()) return false;
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

// What became of giving the temporary file the old file's identity.
enum class identity { given, refused, failed };

// Gives the new file the old one's owner, group and permissions. Refused
// where the system does not let this process do so (an ordinary user
// cannot give a file away): the replace would then change who owns the
// file or who may read it.
identity give_identity(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) != 0) return identity::failed;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return errno == EPERM || errno == EINVAL ? identity::refused : identity::failed;
    // After the change of owner, since that clears the set-user-ID and
    // set-group-ID bits.
    if (::fchmod(fd, old.st_mode & 07777) != 0) return errno == EPERM ? identity::refused : identity::failed;
    return identity::given;
}

#if defined(__linux__)
// True where the file carries an access list beyond its mode bits: a new
// file would not have it, and the users it names would lose their access.
bool has_access_list(const std::string& path) {
    return ::getxattr(path.c_str(), "system.posix_acl_access", nullptr, 0) > 0;
}

// Calls get (a listxattr or getxattr) into text, growing it while the
// attribute grows meanwhile; false with errno set where get failed.
template <class Get> bool read_attribute(std::string& text, Get get) {
    for (;;) {
        ssize_t size = get(nullptr, 0);
        if (size < 0) return false;
        text.resize(static_cast<std::size_t>(size));
        ssize_t got = size == 0 ? 0 : get(text.data(), text.size());
        if (got >= 0) {
            text.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) return false;
    }
}

// Gives the new file every extended attribute of the old one: the user's
// own, and security labels and capabilities where the system has them.
// After the records are written, since a write takes capabilities off a
// file. False where one cannot be read or set: the replace would lose it.
// The access list is not among them: a file with one is rewritten in place.
bool copy_attributes(int fd, const std::string& target) {
    std::string names;
    if (!read_attribute(names,
                        [&](char* to, std::size_t size) { return ::listxattr(target.c_str(), to, size); }))
        return errno == ENOTSUP; // a file system without them
    for (std::size_t at = 0; at < names.size(); at = names.find('\0', at) + 1) {
        const char* name = names.c_str() + at;
        std::string value;
        if (!read_attribute(value, [&](char* to, std::size_t size) {
                return ::getxattr(target.c_str(), name, to, size);
            })) {
            if (errno == ENODATA) continue; // removed meanwhile
            return false;
        }
        // A label the new file has already been given needs no permission
        // to change it.
        std::string now;
        if (read_attribute(now,
                           [&](char* to, std::size_t size) { return ::fgetxattr(fd, name, to, size); }) &&
            now == value)
            continue;
        if (::fsetxattr(fd, name, value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}
#else
// Without extended attributes a new file has nothing of the old one to lose.
bool has_access_list(const std::string&) { return false; }
bool copy_attributes(int, const std::string&) { return true; }
#endif

// Closes fd after its writes, which succeeded where ok: close may report a
// write error that the file system deferred.
bool close_after(int fd, bool ok) { return ::close(fd) == 0 && ok; }

// Rewrites the file at target in place: the records over the old bytes, the
// file cut to their length, and the data synced. The file stays the same
// file, with its links, owner and permissions.
bool write_in_place(const std::string& target, const student* a, std::int32_t num_d) {
    // O_NONBLOCK: should a FIFO take the file's place, the open does not
    // wait for a reader, and the check below refuses it.
    int fd = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    auto size = static_cast<off_t>(num_d) * static_cast<off_t>(sizeof(student));
    return close_after(fd, ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && write_records(fd, a, num_d) &&
                               ::ftruncate(fd, size) == 0 && ::fsync(fd) == 0);
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

std::FILE* open_students_file(bool& absent) {
    absent = false;
    // A device is not even opened: opening some devices does something.
    struct stat st {};
    if (::stat(file_name, &st) != 0) {
        absent = errno == ENOENT;
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) return nullptr;
    // O_NONBLOCK: should a FIFO take the file's place after the check, the
    // open does not wait for a writer, and the check below refuses it.
    int fd = ::open(file_name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        absent = errno == ENOENT;
        return nullptr;
    }
    std::FILE* f = nullptr;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) f = ::fdopen(fd, "rb");
    if (f == nullptr) ::close(fd);
    return f;
}

bool write_students_file(const student* a, std::int32_t num_d) {
    std::string target;
    if (!save_target(target)) return false;
    struct stat old {};
    bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        // A file the user may not write is not replaced either: its mode, an
        // access list or a read-only file system says it is to stay as it is.
        if (!S_ISREG(old.st_mode) || ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return false;
        // A new file would take this name only: the other links would keep
        // the old records. Nor would it carry the old one's access list.
        if (old.st_nlink > 1 || has_access_list(target)) return write_in_place(target, a, num_d);
    } else if (errno != ENOENT) {
        return false;
    }
    std::string temporary;
    int fd = create_temporary(target, temporary);
    if (fd < 0) {
        // A directory closed to new files may still hold a file the user
        // may write.
        bool closed = errno == EACCES || errno == EPERM || errno == EROFS;
        return exists && closed && write_in_place(target, a, num_d);
    }
    // The new file cannot be what the old one was: dropped, and the old one
    // rewritten in place where that is allowed.
    auto in_place_instead = [&](bool allowed) {
        ::close(fd);
        ::unlink(temporary.c_str());
        return allowed && write_in_place(target, a, num_d);
    };
    if (exists) {
        identity given = give_identity(fd, old);
        if (given != identity::given) return in_place_instead(given == identity::refused);
    }
    bool ok = write_records(fd, a, num_d);
    if (ok && exists && !copy_attributes(fd, target)) return in_place_instead(true);
    if (!close_after(fd, ok && ::fsync(fd) == 0) || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    sync_directory(directory_of(target));
    return true;
}

} // namespace studentdb
