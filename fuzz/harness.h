// Runs one dialogue on bytes from the fuzzer, as a whole program run would:
// the bytes are what the person types, the output is thrown away.
#pragma once

#include "console.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

inline void run_dialogue(int (*run)(con::console&), std::string_view typed) {
    std::string shown;
    con::console c;
    con::open_memory(c, typed, shown);
    run(c);
    con::close(c);
}

// The programs that work with files get one from the fuzzer too: the input
// starts with the file's length (two bytes, little-endian), then the file's
// bytes, then what is typed.
struct split_input {
    std::string_view file;
    std::string_view typed;
};

inline split_input split(const std::uint8_t* data, std::size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    if (all.size() < 2) return {{}, all};
    std::size_t length = static_cast<unsigned char>(all[0]) |
                         (static_cast<std::size_t>(static_cast<unsigned char>(all[1])) << 8);
    all.remove_prefix(2);
    if (length > all.size()) length = all.size();
    return {all.substr(0, length), all.substr(length)};
}

// Moves the process into a fresh scratch directory, once.
void enter_scratch_directory();
// Empties the scratch directory between runs.
void clear_scratch_directory();
// Writes a file in the scratch directory.
void write_file(const std::string& name, std::string_view bytes);

} // namespace fuzz
