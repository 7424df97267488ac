// The searched file on Windows: opened by its name as typed (UTF-8 from a
// console, else in the system's code page) through the wide-character
// interface, so that any name opens, and read as text, every CR LF as one
// line break.
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

} // namespace

int open_file(const std::string& name, bool& rereadable) {
    // Read as text, the bytes taken are not those at the file's offsets:
    // like a pipe, the file is read once.
    rereadable = false;
    std::wstring wide = wide_name(name);
    if (wide.empty()) return -1;
    return ::_wopen(wide.c_str(), _O_RDONLY | _O_TEXT | _O_NOINHERIT);
}

std::ptrdiff_t read_file(int fd, char* to, std::size_t size) {
    return ::_read(fd, to, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
}

bool read_file_at(int /*fd*/, char* /*to*/, std::size_t /*size*/, std::uint64_t /*offset*/) {
    return false; // never asked: no file is rereadable
}

void close_file(int fd) { ::_close(fd); }

} // namespace linefind
