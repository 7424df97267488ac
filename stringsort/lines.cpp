#include "lines.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace stringsort {

bool sizes_allowed(int n, int m) { return n == 0 || (n > 0 && m > 0); }

bool add_entry(tables& t) {
    if (t.count >= t.most) return false;
    if (t.count == t.capacity) {
        // Doubling keeps the copying linear in the lines typed.
        const auto most = static_cast<std::size_t>(t.most);
        const std::size_t wanted = std::min(t.capacity < 16 ? 16 : 2 * static_cast<std::size_t>(t.capacity), most);
        auto* grown_lines = static_cast<char**>(std::realloc(t.lines, wanted * sizeof(char*)));
        if (grown_lines == nullptr) return false;
        t.lines = grown_lines;
        auto* grown_sums = static_cast<std::int32_t**>(std::realloc(t.sums, wanted * sizeof(std::int32_t*)));
        if (grown_sums == nullptr) return false; // the larger lines table is harmless
        t.sums = grown_sums;
        t.capacity = static_cast<int>(wanted);
    }
    auto* cell = static_cast<std::int32_t*>(std::malloc(sizeof(std::int32_t)));
    if (cell == nullptr) return false;
    *cell = 0;
    t.lines[t.count] = nullptr;
    t.sums[t.count] = cell;
    ++t.count;
    return true;
}

void release_tables(tables& t) {
    for (int i = 0; i < t.count; ++i) {
        std::free(t.lines[i]);
        std::free(t.sums[i]);
    }
    std::free(t.lines);
    std::free(t.sums);
    t = tables{};
}

bool read_line(con::console& c, char** lines, int i, int m) {
    con::write(c, "Vvedite ");
    con::put_int(c, i + 1);
    con::write(c, " stroky:\n");
    con::discard(c);
    // The buffer grows with the characters taken, never past what m of
    // them can take, so a large m costs only what is typed.
    char* line = nullptr;
    std::size_t room = 0;
    std::size_t pos = 0;
    std::size_t last = 0; // where the last character taken starts
    int budget = m;
    for (;;) {
        --budget;
        if (budget < 0) break;
        std::string_view ch = con::read_typed_char(c);
        if (ch.empty()) {
            std::free(line);
            return false;
        }
        if (room - pos < ch.size()) {
            room = room == 0 ? 32 : 2 * room;
            auto* grown = static_cast<char*>(std::realloc(line, room));
            if (grown == nullptr) {
                std::free(line);
                return false;
            }
            line = grown;
        }
        last = pos;
        ch.copy(line + pos, ch.size());
        pos += ch.size();
        if (ch == "\n") break;
    }
    if (pos == 0) { // no room at all (m below 1): the line stays empty
        line = static_cast<char*>(std::malloc(1));
        if (line == nullptr) return false;
        room = 1;
    }
    // The zero replaces the last character taken: the line break of a short
    // line, or the m-th character of a long one.
    pos = last;
    line[pos++] = '\0';
    if (pos < room) {
        auto* fitted = static_cast<char*>(std::realloc(line, pos));
        if (fitted != nullptr) line = fitted;
    }
    std::free(lines[i]);
    lines[i] = line;
    return true;
}

void print_lines(con::console& c, char** lines, int n) {
    for (int i = 0; i < n; ++i) {
        con::write(c, "\n stroka: ");
        con::write(c, std::string_view(lines[i], std::strlen(lines[i])));
    }
}

} // namespace stringsort
