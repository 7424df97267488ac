#include "colinsert.h"

#include <algorithm>
#include <string_view>

namespace colinsert {

namespace {

constexpr std::string_view error_text = "Eror, vvedenno nedopyctimoe znachenie\n";
constexpr std::string_view no_memory = "net svobodnoy pamjati";

// The element prompts name the element: "mas[i][j] = ".
std::string_view element_prompt(char (&text)[64], std::string_view name, int i, int j = -1) {
    char* end = std::copy(name.begin(), name.end(), text);
    end = con::format_int(end, i);
    if (j >= 0) end = con::format_int(std::copy_n("][", 2, end), j);
    end = std::copy_n("] = ", 4, end);
    return {text, static_cast<std::size_t>(end - text)};
}

bool read_elements(con::console& c, int** mas, int n) {
    con::write(c, "Vvod elementov mas:\n");
    char prompt[64];
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j)
            if (!con::ask_int(c, {.prompt = element_prompt(prompt, "mas[", i, j), .error = error_text},
                              mas[i][j]))
                return false;
    return true;
}

bool read_column(con::console& c, int* stolbec, int n) {
    con::write(c, "\nVvod elementov stolbca\n");
    char prompt[64];
    for (int j = 0; j < n; ++j)
        if (!con::ask_int(c, {.prompt = element_prompt(prompt, "stolbec [", j), .error = error_text},
                          stolbec[j]))
            return false;
    return true;
}

// Only 0..n name a slot of the enlarged rows, so anything else is refused
// like a value that is not a number. With no rows there is nothing to
// address and any position is taken.
bool read_position(con::console& c, int n, int& k) {
    con::write(c, "Vvedite k=");
    con::int_question position{.error = error_text};
    if (n > 0) {
        position.min = 0;
        position.max = n;
    }
    return con::ask_int(c, position, k);
}

void print_rows(con::console& c, int** mas, int n, int cols) {
    for (int i = 0; i < n; ++i) {
        con::put_char(c, '\n');
        for (int j = 0; j < cols; ++j) con::put_int(c, mas[i][j], 3);
    }
}

// The memory of one pass: the matrix of rows x rows values and the column.
// run_pass alone releases it, once, however the pass ends.
struct pass_memory {
    int** mas = nullptr;
    int* stolbec = nullptr;
    int rows = 0;
};

// Says that memory ran out; false, so that the pass ends.
bool no_memory_left(con::console& c) {
    con::write(c, no_memory);
    return false;
}

// Reads the matrix and the column, inserts the column where the person says
// and prints the result. False when input ends or memory runs out; what it
// allocated is left in m either way.
bool insert_column_dialogue(con::console& c, pass_memory& m, int n) {
    const int rows = m.rows;
    if (rows > 0) {
        m.mas = alloc_rows(rows);
        if (m.mas == nullptr) return no_memory_left(c);
    }
    if (!read_elements(c, m.mas, rows)) return false;
    con::write(c, "Vvedennaya matrica:");
    print_rows(c, m.mas, rows, rows);

    if (rows > 0) {
        m.stolbec = alloc_column(rows);
        if (m.stolbec == nullptr) return no_memory_left(c);
    }
    if (!read_column(c, m.stolbec, rows)) return false;
    con::write(c, "Vash stolbec:\n");
    for (int j = 0; j < rows; ++j) {
        con::put_int(c, m.stolbec[j]);
        con::put_char(c, '\n');
    }

    if (!enlarge_rows(m.mas, rows, static_cast<std::size_t>(rows) + 1)) return no_memory_left(c);
    int k = 0;
    if (!read_position(c, n, k)) return false;
    if (rows > 0) insert_column(m.mas, rows, m.stolbec, k);
    con::write(c, "Rezultat:\n");
    print_rows(c, m.mas, rows, rows + 1);
    return true;
}

enum class pass_end { repeat, stop };

// One pass from the size prompt to the repeat question.
pass_end run_pass(con::console& c) {
    int n = 0;
    if (!con::ask_int(c, {.prompt = "Vvedite razmer mas = ", .error = error_text, .width = 3}, n))
        return pass_end::stop;
    pass_memory m{.rows = n > 0 ? n : 0};
    bool done = insert_column_dialogue(c, m, n);
    free_pass(m.stolbec, m.mas, m.rows);
    if (!done) return pass_end::stop;

    con::write(c, "\nReturn?\n Y/N?\n");
    con::discard(c);
    return con::read_char(c) == 'Y' ? pass_end::repeat : pass_end::stop;
}

} // namespace

int run(con::console& c) {
    while (run_pass(c) == pass_end::repeat) {}
    return 0;
}

} // namespace colinsert
