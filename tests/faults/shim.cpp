// A preloaded library that makes one system call fail, or the process die,
// at a chosen moment, so that tests can watch a program meet faults that a
// healthy machine never shows: a full disk, an unreadable file, a crash in
// the middle of a save.
//
// FAULT=OP:N[:ARG] in the environment chooses the fault; calls on the
// standard streams (descriptors 0 to 2) are never touched.
//   write:N[:ERRNO]   the N-th write to a file fails (default ENOSPC)
//   short:N           the N-th write writes only half its bytes, every later
//                     one fails with ENOSPC (a disk that fills up)
//   kill:N            the N-th write writes half its bytes, then SIGKILL
//   fsync:N[:ERRNO]   the N-th fsync fails (default EIO)
//   close:N           the N-th close of a file reports EIO (it is closed)
//   rename:N[:ERRNO]  the N-th rename fails (default EXDEV)
//   killrename:N:0|1  SIGKILL just before (0) or just after (1) the N-th rename
//   create:N[:ERRNO]  the N-th open that creates a file fails (default ENOSPC)
//   open:TEXT[:ERRNO] every open of a name containing TEXT fails (EACCES)
//   read:N[:ERRNO]    the N-th read from a file fails (default EIO)
//   vanish:TEXT       a file whose name contains TEXT is removed as soon as
//                     it has been opened
//   fread:N           the N-th fread from a file reads half of what it asks
//                     for, then meets a read error (a disk failing part way)
//   fsetxattr:N[:ERRNO] the N-th fsetxattr fails (default EPERM)
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace {

struct plan {
    std::string op;
    std::string text; // the second field as written
    long n = 0;       // the second field as a number
    int error = 0;    // the third field, when given
    long seen = 0;    // calls of op counted so far
    bool disk_full = false;
};

plan& the_plan() {
    static plan p = [] {
        plan made;
        const char* wanted = std::getenv("FAULT");
        if (wanted == nullptr) return made;
        std::string s = wanted;
        auto first = s.find(':');
        made.op = s.substr(0, first);
        if (first == std::string::npos) return made;
        auto second = s.find(':', first + 1);
        made.text = s.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
        made.n = std::strtol(made.text.c_str(), nullptr, 10);
        if (second != std::string::npos)
            made.error = static_cast<int>(std::strtol(s.c_str() + second + 1, nullptr, 10));
        return made;
    }();
    return p;
}

// True when this call is the chosen one of op.
bool chosen(const char* op) {
    plan& p = the_plan();
    if (p.op != op) return false;
    return ++p.seen == p.n;
}

int error_or(int fallback) { return the_plan().error != 0 ? the_plan().error : fallback; }

template <class F> F real(const char* name) { return reinterpret_cast<F>(dlsym(RTLD_NEXT, name)); }

bool name_matches(const char* path) {
    plan& p = the_plan();
    return path != nullptr && !p.text.empty() && std::strstr(path, p.text.c_str()) != nullptr;
}

// The checks shared by every open function; -1 with errno set when the open
// must fail.
int before_open(const char* path, int flags) {
    plan& p = the_plan();
    if (p.op == "open" && name_matches(path)) {
        errno = error_or(EACCES);
        return -1;
    }
    if ((flags & O_CREAT) != 0 && chosen("create")) {
        errno = error_or(ENOSPC);
        return -1;
    }
    return 0;
}

void after_open(const char* path, int fd) {
    if (fd >= 0 && the_plan().op == "vanish" && name_matches(path)) ::unlink(path);
}

} // namespace

// The C library's own declarations name their parameters with reserved names.
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name)
extern "C" {

int open(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (before_open(path, flags) < 0) return -1;
    int fd = real<int (*)(const char*, int, ...)>("open")(path, flags, mode);
    after_open(path, fd);
    return fd;
}

int open64(const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (before_open(path, flags) < 0) return -1;
    int fd = real<int (*)(const char*, int, ...)>("open64")(path, flags, mode);
    after_open(path, fd);
    return fd;
}

int openat(int dir, const char* path, int flags, ...) {
    mode_t mode = 0;
    if ((flags & (O_CREAT | O_TMPFILE)) != 0) {
        va_list args;
        va_start(args, flags);
        mode = static_cast<mode_t>(va_arg(args, int));
        va_end(args);
    }
    if (before_open(path, flags) < 0) return -1;
    int fd = real<int (*)(int, const char*, int, ...)>("openat")(dir, path, flags, mode);
    after_open(path, fd);
    return fd;
}

ssize_t write(int fd, const void* data, size_t size) {
    static auto next = real<ssize_t (*)(int, const void*, size_t)>("write");
    if (fd <= 2) return next(fd, data, size);
    plan& p = the_plan();
    if (p.disk_full) {
        errno = ENOSPC;
        return -1;
    }
    if (!chosen(p.op == "short" || p.op == "kill" ? p.op.c_str() : "write")) return next(fd, data, size);
    if (p.op == "write") {
        errno = error_or(ENOSPC);
        return -1;
    }
    ssize_t done = next(fd, data, size > 1 ? size / 2 : size);
    if (p.op == "kill") ::raise(SIGKILL);
    p.disk_full = true;
    return done;
}

ssize_t read(int fd, void* data, size_t size) {
    static auto next = real<ssize_t (*)(int, void*, size_t)>("read");
    if (fd > 2 && chosen("read")) {
        errno = error_or(EIO);
        return -1;
    }
    return next(fd, data, size);
}

// The C library's fread reads through its own internal read, which a
// preloaded read does not replace: the fault comes from the descriptor
// itself, swapped for one of a directory, which every read refuses.
size_t fread(void* data, size_t size, size_t count, FILE* stream) {
    static auto next = real<size_t (*)(void*, size_t, size_t, FILE*)>("fread");
    if (::fileno(stream) <= 2 || !chosen("fread")) return next(data, size, count, stream);
    size_t got = next(data, size, count / 2, stream);
    int directory = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directory >= 0) {
        ::dup2(directory, ::fileno(stream));
        ::close(directory);
    }
    return got + next(static_cast<char*>(data) + got * size, size, count - got, stream);
}

int fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    static auto next = real<int (*)(int, const char*, const void*, size_t, int)>("fsetxattr");
    if (chosen("fsetxattr")) {
        errno = error_or(EPERM);
        return -1;
    }
    return next(fd, name, value, size, flags);
}

int fsync(int fd) {
    static auto next = real<int (*)(int)>("fsync");
    if (fd > 2 && chosen("fsync")) {
        errno = error_or(EIO);
        return -1;
    }
    return next(fd);
}

int close(int fd) {
    static auto next = real<int (*)(int)>("close");
    if (fd > 2 && chosen("close")) {
        next(fd);
        errno = EIO;
        return -1;
    }
    return next(fd);
}

int rename(const char* from, const char* to) {
    static auto next = real<int (*)(const char*, const char*)>("rename");
    plan& p = the_plan();
    if (p.op == "killrename") {
        if (++p.seen != p.n) return next(from, to);
        if (p.error == 0) ::raise(SIGKILL);
        int result = next(from, to);
        ::raise(SIGKILL);
        return result;
    }
    if (chosen("rename")) {
        errno = error_or(EXDEV);
        return -1;
    }
    return next(from, to);
}

} // extern "C"
// NOLINTEND(readability-inconsistent-declaration-parameter-name)
