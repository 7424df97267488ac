#include "lines.h"

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace stringsort {

bool sizes_allowed(int n, int m) { return n == 0 || (n > 0 && m > 0); }

bool add_entry(char**& lines, std::int32_t**& sums, int& count, int& capacity, int n) {
    if (count >= n) return false;
    if (count == capacity) {
        // Doubling keeps the copying linear in the lines typed, and the
        // tables never take more entries than the n lines asked for: a large
        // n costs nothing until its lines are typed.
        std::size_t wanted = capacity < 16 ? 16 : 2 * static_cast<std::size_t>(capacity);
        if (wanted > static_cast<std::size_t>(n)) wanted = static_cast<std::size_t>(n);
        auto* grown_lines = static_cast<char**>(std::realloc(lines, wanted * sizeof(char*)));
        if (grown_lines == nullptr) return false;
        lines = grown_lines;
        auto* grown_sums = static_cast<std::int32_t**>(std::realloc(sums, wanted * sizeof(std::int32_t*)));
        if (grown_sums == nullptr) return false; // the larger lines table is harmless
        sums = grown_sums;
        capacity = static_cast<int>(wanted);
    }
    auto* cell = static_cast<std::int32_t*>(std::malloc(sizeof(std::int32_t)));
    if (cell == nullptr) return false;
    *cell = 0;
    lines[count] = nullptr;
    sums[count] = cell;
    ++count;
    return true;
}

void release_tables(char** lines, std::int32_t** sums, int n) {
    for (int i = 0; i < n; ++i) {
        std::free(lines[i]);
        std::free(sums[i]);
    }
    std::free(lines);
    std::free(sums);
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
