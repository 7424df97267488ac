#include "colinsert.h"

#include <string_view>

namespace colinsert {

namespace {

constexpr std::string_view size_prompt = "Vvedite razmer mas = ";
constexpr std::string_view error_text = "Eror, vvedenno nedopyctimoe znachenie\n";
constexpr std::string_view no_memory = "net svobodnoy pamjati";

enum class got { value, retry, end };

// One integer read of the validated prompt: on a failed conversion the
// error is shown and the rest of the line dropped, so the caller asks again.
got read_value(con::console& c, int& value, int width = 0) {
    int result = con::read_int(c, value, width);
    if (result == 1) return got::value;
    if (result == con::end_of_input) return got::end;
    con::write(c, error_text);
    con::discard(c);
    return got::retry;
}

bool read_size(con::console& c, int& n) {
    for (;;) {
        con::write(c, size_prompt);
        got g = read_value(c, n, 3);
        if (g != got::retry) return g == got::value;
    }
}

bool read_elements(con::console& c, int** mas, int n) {
    con::write(c, "Vvod elementov mas:\n");
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            got g = got::retry;
            while (g == got::retry) {
                con::write(c, "mas[");
                con::put_int(c, i);
                con::write(c, "][");
                con::put_int(c, j);
                con::write(c, "] = ");
                g = read_value(c, mas[i][j]);
            }
            if (g == got::end) return false;
        }
    }
    return true;
}

bool read_column(con::console& c, int* stolbec, int n) {
    con::write(c, "\nVvod elementov stolbca\n");
    for (int j = 0; j < n; ++j) {
        got g = got::retry;
        while (g == got::retry) {
            con::write(c, "stolbec [");
            con::put_int(c, j);
            con::write(c, "] = ");
            g = read_value(c, stolbec[j]);
        }
        if (g == got::end) return false;
    }
    return true;
}

// Only 0..n name a slot of the enlarged rows, so anything else is refused
// like a value that is not a number. With no rows there is nothing to
// address and any position is taken.
bool read_position(con::console& c, int n, int& k) {
    con::write(c, "Vvedite k=");
    for (;;) {
        got g = read_value(c, k);
        if (g == got::end) return false;
        if (g == got::value) {
            if (n <= 0 || (k >= 0 && k <= n)) return true;
            con::write(c, error_text);
            con::discard(c);
        }
    }
}

void print_rows(con::console& c, int** mas, int n, int cols) {
    for (int i = 0; i < n; ++i) {
        con::put_char(c, '\n');
        for (int j = 0; j < cols; ++j) con::put_int(c, mas[i][j], 3);
    }
}

enum class pass_end { repeat, stop };

// One pass from the size prompt to the repeat question. Whatever way it
// ends, everything it allocated has been released.
pass_end run_pass(con::console& c) {
    int n = 0;
    if (!read_size(c, n)) return pass_end::stop;

    int** mas = nullptr;
    int* stolbec = nullptr;
    int rows = n > 0 ? n : 0;
    if (rows > 0) {
        mas = alloc_matrix(rows);
        if (mas == nullptr) {
            con::write(c, no_memory);
            return pass_end::stop;
        }
    }
    if (!read_elements(c, mas, rows)) {
        free_pass(stolbec, mas, rows);
        return pass_end::stop;
    }
    con::write(c, "Vvedennaya matrica:");
    print_rows(c, mas, rows, rows);

    if (rows > 0) {
        stolbec = alloc_column(rows);
        if (stolbec == nullptr) {
            free_pass(stolbec, mas, rows);
            con::write(c, no_memory);
            return pass_end::stop;
        }
    }
    if (!read_column(c, stolbec, rows)) {
        free_pass(stolbec, mas, rows);
        return pass_end::stop;
    }
    con::write(c, "Vash stolbec:\n");
    for (int j = 0; j < rows; ++j) {
        con::put_int(c, stolbec[j]);
        con::put_char(c, '\n');
    }

    if (!enlarge_rows(mas, rows, static_cast<std::size_t>(rows) + 1)) {
        free_pass(stolbec, mas, rows);
        con::write(c, no_memory);
        return pass_end::stop;
    }
    int k = 0;
    if (!read_position(c, n, k)) {
        free_pass(stolbec, mas, rows);
        return pass_end::stop;
    }
    if (rows > 0) insert_column(mas, rows, stolbec, k);

    con::write(c, "Rezultat:\n");
    print_rows(c, mas, rows, rows + 1);
    free_pass(stolbec, mas, rows);

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
