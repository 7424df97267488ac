// The searched file on Windows: opened by its name as typed (UTF-8 from a
// console, else in the system's code page) through the wide-character
// interface, so that any name opens, and read in binary, as on every other
// system.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "file_system.h"

#include <algorithm>
#include <climits>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace linefind {

namespace {

// The name in UTF-16: read as UTF-8 when it is valid UTF-8, else in the
// system's code page, as a narrow-character open would read it.
std::wstring wide_name(const std::string& name) {
    auto size = static_cast<int>(std::min<std::size_t>(name.size(), INT_MAX));
    UINT code_page = CP_UTF8;
    int count = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, name.data(), size, nullptr, 0);
    if (count <= 0) {
        code_page = CP_ACP;
        count = ::MultiByteToWideChar(code_page, 0, name.data(), size, nullptr, 0);
    }
    if (count <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    ::MultiByteToWideChar(code_page, 0, name.data(), size, wide.data(), count);
    return wide;
}

// No Windows file name holds a double quote, so a name wrapped in one pair
// of them is a path pasted as Explorer copies it, often with a blank typed
// after it: the quotes go, and the blanks outside them.
std::string unquoted(const std::string& name) {
    std::size_t first = name.find_first_not_of(" \t");
    std::size_t last = name.find_last_not_of(" \t");
    if (first == std::string::npos || last - first < 1 || name[first] != '"' || name[last] != '"')
        return name;
    return name.substr(first + 1, last - first - 1);
}

} // namespace

opened_file open_file(const std::string& name) {
    std::wstring wide = wide_name(unquoted(name));
    if (wide.empty()) return {};
    int fd = ::_wopen(wide.c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
    if (fd < 0) return {};
    // A file on a disk can be read again; a pipe or a device cannot.
    bool on_disk = ::GetFileType(reinterpret_cast<HANDLE>(::_get_osfhandle(fd))) == FILE_TYPE_DISK;
    __int64 size = on_disk ? ::_filelengthi64(fd) : 0;
    return {fd, on_disk, size > 0 ? static_cast<std::uint64_t>(size) : 0};
}

std::ptrdiff_t read_file(int fd, char* to, std::size_t size) {
    return ::_read(fd, to, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

std::ptrdiff_t read_file_at(int fd, char* to, std::size_t size, std::uint64_t offset) {
    // Windows has no read at an offset that leaves the file position alone:
    // the position is moved there and back.
    __int64 position = ::_telli64(fd);
    if (position < 0 || offset > static_cast<std::uint64_t>(INT64_MAX) ||
        ::_lseeki64(fd, static_cast<__int64>(offset), SEEK_SET) < 0)
        return -1;
    std::ptrdiff_t got = read_file(fd, to, size);
    if (::_lseeki64(fd, position, SEEK_SET) < 0) return -1;
    return got;
}

void close_file(int fd) { ::_close(fd); }

} // namespace linefind
