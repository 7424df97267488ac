// What the unit tests share: a dialogue run over typed text in memory, and
// a fresh working directory with the files a test puts there.
#pragma once

#include "console.h"
#include "temp_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace test_support {

// A console over typed text; what the dialogue writes gathers in out.
struct session {
    con::console c;
    std::string out;
    explicit session(std::string_view typed, con::charset chars = con::charset::bytes) {
        con::open_memory(c, typed, out, chars);
    }
    // Everything written so far.
    std::string output() {
        con::flush(c);
        return out;
    }
    // What is typed and not yet read: the rest of the current line and the
    // lines after it.
    std::string rest() const { return con::unread(c); }
};

// Runs a whole dialogue over typed text and returns what it wrote; the run
// must end with status 0.
inline std::string dialogue(int (*run)(con::console&), std::string_view typed) {
    session s(typed);
    EXPECT_EQ(run(s.c), 0);
    return s.output();
}

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Runs each test in a working directory of its own, made empty before and
// removed after, since the programs name their files relative to it.
class scratch_dir : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = std::filesystem::current_path();
        dir_ = make_temp_dir("consoleprograms-test");
        ASSERT_FALSE(dir_.empty());
        std::filesystem::current_path(dir_);
    }
    void TearDown() override {
        std::filesystem::current_path(saved_);
        std::error_code ignored;
        // A test may have taken the directory's write permission away.
        std::filesystem::permissions(dir_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(dir_, ignored);
    }
    // Names of everything in the working directory, sorted.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(dir_))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::filesystem::path dir_;

private:
    std::filesystem::path saved_;
};

} // namespace test_support
