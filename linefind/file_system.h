// What the searched file needs of the system, one file per system
// (file_posix.cpp, file_windows.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace linefind {

// Opens the file name, as the person typed it, for reading: a descriptor,
// or -1 when it cannot be opened. rereadable tells whether the bytes read
// can be read again at their offsets (read_file_at).
int open_file(const std::string& name, bool& rereadable);
// Reads up to size bytes: how many, 0 at the end of the file, -1 on an
// error.
std::ptrdiff_t read_file(int fd, char* to, std::size_t size);
// Reads size bytes at offset; false on a read error or when the file has
// become shorter.
bool read_file_at(int fd, char* to, std::size_t size, std::uint64_t offset);
void close_file(int fd);

} // namespace linefind
