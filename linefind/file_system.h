// What the searched file needs of the system, one file per system
// (file_posix.cpp, file_windows.cpp). The file is read as it is, in binary,
// on every system: the search itself applies the rules of a text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace linefind {

struct opened_file {
    int fd = -1; // -1 when the file cannot be opened
    // The bytes read can be read again at their offsets (read_file_at): a
    // regular file, not a pipe or a device.
    bool rereadable = false;
    std::uint64_t size = 0; // a regular file's size when opened
};

// Opens the file name, as the person typed it, for reading.
opened_file open_file(const std::string& name);
// Reads up to size bytes: how many, 0 at the end of the file, -1 on an
// error.
std::ptrdiff_t read_file(int fd, char* to, std::size_t size);
// Reads up to size bytes at offset, leaving the position read_file reads
// from where it was: how many, 0 at the end of the file, -1 on an error.
std::ptrdiff_t read_file_at(int fd, char* to, std::size_t size, std::uint64_t offset);
void close_file(int fd);

} // namespace linefind
