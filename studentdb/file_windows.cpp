// students.dat on Windows: only a regular file is read, and a save writes a
// new file beside the old one, flushes it to the disk and puts it in the old
// one's place in one step, so that either the whole new content or the old
// file is there. The new file takes over the old one's attributes, access
// list and creation time, as if the old file had been rewritten.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "file_system.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <process.h>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <windows.h>

namespace studentdb {

namespace {

constexpr const wchar_t* file_name = L"students.dat";

// Whether a save may replace a file with these attributes: not a directory,
// and not a file marked read-only, whose owner asked for it to stay as it is.
bool replaceable(DWORD attributes) {
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

// Sets path to what get(buffer, size) writes, a path as the system calls
// give it: its length, 0 for a failure, or the room needed when too small.
template <class Get> bool get_path(std::wstring& path, Get get) {
    std::wstring got(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = get(got.data(), static_cast<DWORD>(got.size()));
        if (length == 0) return false;
        if (length < got.size()) {
            got.resize(length);
            path = std::move(got);
            return true;
        }
        got.resize(length);
    }
}

// The file a save replaces: students.dat, or, where that is a symbolic link,
// the file at the end of its links, which must exist. False where there is
// nothing a save may replace: a directory, a read-only file, or a link that
// leads nowhere.
bool save_target(std::wstring& path) {
    path = file_name;
    DWORD attributes = ::GetFileAttributesW(file_name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
    if (!replaceable(attributes)) return false;
    // A full path: ReplaceFileW needs to know the directory the file is in,
    // and some implementations do not find it in a bare name.
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return get_path(
            path, [](wchar_t* to, DWORD size) { return ::GetFullPathNameW(file_name, size, to, nullptr); });
    HANDLE file = ::CreateFileW(file_name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool got = get_path(path, [&](wchar_t* to, DWORD size) {
        return ::GetFinalPathNameByHandleW(file, to, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    ::CloseHandle(file);
    if (!got) return false;
    attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && replaceable(attributes);
}

// Creates a new file beside target, in the same directory so that the move
// stays within one volume, that no one else is using.
int create_temporary(const std::wstring& target, std::wstring& path) {
    for (int k = 0; k < 100; ++k) {
        path = target + L"." + std::to_wstring(::_getpid()) + L"." + std::to_wstring(k) + L".tmp";
        int fd = ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY | _O_NOINHERIT,
                          _S_IREAD | _S_IWRITE);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Puts the new file in the place of target. ReplaceFileW gives it the
// replaced file's attributes (hidden, for example), access list and
// creation time; where there is no file to replace, the new one is moved
// to the name.
bool put_in_place(const std::wstring& temporary, const std::wstring& target) {
    // A file open in a program that does not share it cannot be replaced.
    // Found out first, since some implementations of ReplaceFileW leave a
    // file of their own behind when they meet it.
    HANDLE old = ::CreateFileW(target.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (old != INVALID_HANDLE_VALUE) {
        BY_HANDLE_FILE_INFORMATION info{};
        bool known = ::GetFileInformationByHandle(old, &info) != 0;
        ::CloseHandle(old);
        // Where ReplaceFileW merges no attributes, the new file takes
        // beforehand those that say how the file is shown and indexed.
        constexpr DWORD kept =
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        if (known && (info.dwFileAttributes & kept) != 0)
            (void)::SetFileAttributesW(temporary.c_str(), info.dwFileAttributes & kept);
        if (::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                           REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
            return true;
    }
    // ERROR_UNABLE_TO_MOVE_REPLACEMENT: the old file is gone already, and
    // the new one still has its own name. Any other failure leaves the old
    // file as it was.
    DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_UNABLE_TO_MOVE_REPLACEMENT) return false;
    // With write-through the move is on the disk when the call returns.
    return ::MoveFileExW(temporary.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

} // namespace

std::FILE* open_students_file(bool& absent) {
    absent = false;
    // Opened by CreateFileW, whose error tells a missing file from one that
    // is there but cannot be read (held by a program that does not share
    // it, or closed to this user); the sharing is that of _wfopen.
    HANDLE file = ::CreateFileW(file_name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = ::GetLastError();
        absent = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return nullptr;
    }
    int fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        ::CloseHandle(file);
        return nullptr;
    }
    std::FILE* f = nullptr;
    struct _stat64 st {};
    if (::_fstat64(fd, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG) f = ::_fdopen(fd, "rb");
    if (f == nullptr) ::_close(fd);
    return f;
}

bool write_students_file(const student* a, std::int32_t num_d) {
    std::wstring target;
    if (!save_target(target)) return false;
    std::wstring temporary;
    int fd = create_temporary(target, temporary);
    if (fd < 0) return false;
    // _commit flushes the file's data to the disk before the replace.
    bool ok = write_records(fd, a, num_d) && ::_commit(fd) == 0;
    ok = ::_close(fd) == 0 && ok && put_in_place(temporary, target);
    if (!ok) ::_wunlink(temporary.c_str());
    return ok;
}

} // namespace studentdb
