#include "lines.h"
#include "sort.h"
#include "stringsort.h"

#include <cstdint>
#include <string_view>

namespace stringsort {

namespace {

constexpr std::string_view bad_value = "Eror, vvedeno nevernoe znachenie\n";

// Everything after the sizes: the lines, the sort and the two listings.
// Returns the exit status when done, when input ends or when memory runs
// out.
int sort_dialogue(con::console& c, tables& t, int m) {
    con::discard(c); // the rest of the line on which m was typed
    const int n = t.most;
    for (int i = 0; i < n; ++i) {
        if (!add_entry(t)) return con::out_of_memory(c);
        if (!read_line(c, t, i, m)) return con::ended(c) ? 0 : con::out_of_memory(c);
    }
    print_lines(c, t.lines, n);
    // No discard here: what is left of a cut last line answers the question.
    con::write(c, "\nVvedite algoritm sortirovki. a - v alfavitnom porjadke, b - po vozrastaniju sum.\n");
    const int choice = con::read_char(c);
    if (choice == con::end_of_input) return 0;
    if (choice == 'a') {
        sort_alpha(t.lines, n);
    } else {
        for (int i = 0; i < n; ++i) sum_line(t.lines, t.sums, i);
        sort_by_sums(t.lines, t.sums, n);
    }
    print_lines(c, t.lines, n);
    return 0;
}

} // namespace

int run(con::console& c) {
    std::int32_t n = 0;
    std::int32_t m = 0;
    if (!con::ask_int(c, {.prompt = "Vvedite kolovo strok n = ", .error = bad_value}, n)) return 0;
    if (!con::ask_int(c, {.prompt = "Vvedite razmer strok m = ", .error = bad_value}, m)) return 0;
    if (!sizes_allowed(n, m)) return 0;
    tables t{.most = n};
    const int status = sort_dialogue(c, t, m);
    release_tables(t);
    return status;
}

} // namespace stringsort
