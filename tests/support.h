// What the unit tests share: a dialogue run over typed text in memory.
#pragma once

#include "console.h"

#include <gtest/gtest.h>
#include <string>
#include <string_view>

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

} // namespace test_support
