// Test helpers: students.dat bytes and records, and the file's load and save with what they write.
#pragma once

#include "student.h"
#include "support.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>
#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace studentdb_test {

namespace fs = std::filesystem;
using studentdb::student;

using test_support::scratch_dir;

inline std::string read_bytes(const char* path = "students.dat") { return test_support::read_file(path); }

inline void write_bytes(const std::string& bytes, const char* path = "students.dat") {
    test_support::write_file(path, bytes);
}

inline void put_le32(std::string& out, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i) out += static_cast<char>((u >> (8 * i)) & 0xFFu);
}

// The 48 file bytes of a record, built field by field.
inline std::string record_bytes(std::string name, std::string street, std::int32_t house, std::int32_t flat) {
    name.resize(20, '\0');
    street.resize(20, '\0');
    std::string out = name + street;
    put_le32(out, house);
    put_le32(out, flat);
    return out;
}

inline student make_student(std::string_view name, std::string_view street, std::int32_t house = 0,
                            std::int32_t flat = 0) {
    student s{};
    studentdb::set_text(s.name, name);
    studentdb::set_text(s.street, street);
    s.house = house;
    s.flat = flat;
    return s;
}

// The records of students.dat as loaded, with what the load wrote.
struct loaded {
    student* a = nullptr;
    std::int32_t n = 0;
    studentdb::file_seen seen = studentdb::file_seen::absent;
    std::string out;
    loaded() = default;
    loaded(const loaded&) = delete;
    loaded& operator=(const loaded&) = delete;
    ~loaded() { std::free(a); }
};

inline void load(loaded& l) {
    con::console c;
    con::open_memory(c, "", l.out);
    l.a = studentdb::load_students(c, &l.n, &l.seen);
    con::flush(c);
}

// Saves the records, as after a load that saw seen; returns what the save
// wrote.
inline std::string save(const student* a, std::int32_t n,
                        studentdb::file_seen seen = studentdb::file_seen::whole) {
    std::string out;
    con::console c;
    con::open_memory(c, "", out);
    studentdb::save_students(c, a, n, seen);
    con::flush(c);
    return out;
}

// The number in the names of the save's temporary files.
inline int process_id() {
#ifdef _WIN32
    return ::_getpid();
#else
    return static_cast<int>(::getpid());
#endif
}

} // namespace studentdb_test
