#include "lines.h"
#include "sort.h"
#include "stringsort.h"

namespace stringsort {

namespace {

// Prompts until a number is read. False when input ended first.
bool read_size(con::console& c, const char* prompt, int& value) {
    for (;;) {
        con::write(c, prompt);
        std::int32_t read = 0;
        int got = con::read_int(c, read);
        if (got == con::end_of_input) return false;
        if (got != 0) {
            value = read;
            return true;
        }
        con::write(c, "Eror, vvedeno nevernoe znachenie\n");
        con::discard(c);
    }
}

// Everything after the sizes: the lines, the sort and the two listings. The
// tables grow as the lines are typed; count says how many entries they hold.
// Returns when done, when input ends or when memory runs out.
void sort_dialogue(con::console& c, char**& lines, std::int32_t**& sums, int& count, int n, int m) {
    con::discard(c); // the rest of the line on which m was typed
    int capacity = 0;
    for (int i = 0; i < n; ++i) {
        if (!add_entry(lines, sums, count, capacity, n)) return;
        if (!read_line(c, lines, i, m)) return;
    }
    print_lines(c, lines, n);
    // No discard here: what is left of a cut last line answers the question.
    con::write(c, "\nVvedite algoritm sortirovki. a - v alfavitnom porjadke, b - po vozrastaniju sum.\n");
    int choice = con::read_char(c);
    if (choice == con::end_of_input) return;
    if (choice == 'a') {
        sort_alpha(lines, n);
    } else {
        for (int i = 0; i < n; ++i) sum_line(lines, sums, i);
        sort_by_sums(lines, sums, n);
    }
    print_lines(c, lines, n);
}

} // namespace

int run(con::console& c) {
    int n = 0;
    int m = 0;
    if (!read_size(c, "Vvedite kolovo strok n = ", n)) return 0;
    if (!read_size(c, "Vvedite razmer strok m = ", m)) return 0;
    if (!sizes_allowed(n, m)) return 0;
    char** lines = nullptr;
    std::int32_t** sums = nullptr;
    int count = 0;
    sort_dialogue(c, lines, sums, count, n, m);
    release_tables(lines, sums, count);
    return 0;
}

} // namespace stringsort
