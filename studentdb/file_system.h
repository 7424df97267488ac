// What students.dat needs of the system, one file per system
// (file_posix.cpp, file_windows.cpp), and what the shared file code
// (file.cpp) offers them.
#pragma once

#include "student.h"

#include <cstddef>
#include <cstdint>

namespace studentdb {

// Writes the records to fd as the file holds them, with zeros after each
// text; false when a write failed.
bool write_records(int fd, const student* a, std::int32_t num_d);

} // namespace studentdb
