// Test helpers: a fresh working directory per test, students.dat bytes and
// records.
#pragma once

#include "student.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

namespace studentdb_test {

namespace fs = std::filesystem;
using studentdb::student;

// Runs each test in its own empty working directory, since the program
// names its file relative to it.
class scratch_dir : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "studentdb.XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
    }
    void TearDown() override {
        fs::current_path(saved_);
        std::error_code ignored;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir_, ignored);
    }
    // Names of everything in the working directory.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    fs::path dir_;

private:
    fs::path saved_;
};

inline std::string read_bytes(const char* path = "students.dat") {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_bytes(const std::string& bytes, const char* path = "students.dat") {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
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

} // namespace studentdb_test
