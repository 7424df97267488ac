#include "cp1251.h"
#include "studentdb.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace studentdb {

namespace {

constexpr unsigned char yes_letter = 0xE4; // д in Windows-1251

void write_header(con::console& c) {
    con::write(c, "             Студент               Улица  Дом  Квартира"_cp);
}

// The widest row: a line break, two texts in 20 columns, a number in 5
// and one in 10, each number up to 11 characters.
constexpr std::size_t widest_row = 1 + 2 * text_size + 11 + 11;

// One row as "\n%20s%20s%5d%10d" prints it, written at out; returns its end.
char* format_row(char* out, const student& s) {
    *out++ = '\n';
    std::memset(out, ' ', 2 * text_size);
    std::string_view name = text_of(s.name);
    std::string_view street = text_of(s.street);
    std::memcpy(out + text_size - name.size(), name.data(), name.size());
    std::memcpy(out + 2 * text_size - street.size(), street.data(), street.size());
    out = con::format_int(out + 2 * text_size, s.house, 5);
    return con::format_int(out, s.flat, 10);
}

void write_row(con::console& c, const student& s) {
    con::commit_output(c, format_row(con::reserve_output(c, widest_row), s));
}

// Reads one typed line into a text field; false at the end of input.
bool read_text(con::console& c, std::string_view prompt, char (&field)[text_size]) {
    con::write(c, prompt);
    con::discard(c);
    std::string line;
    if (!con::read_text(c, line)) return false;
    set_text(field, line);
    return true;
}

// Reads a number, asking again while the typed text is not one; false at
// the end of input.
bool read_number(con::console& c, std::string_view prompt, std::int32_t& value) {
    con::write(c, prompt);
    return con::ask_int(c, {.error = "Введено неверное значение! Повторите ввод:\n"_cp}, value);
}

bool read_student(con::console& c, student& s) {
    return read_text(c, "Введите имя студента: "_cp, s.name) &&
           read_text(c, "\nВведите адрес: "_cp, s.street) && read_number(c, "\nДом: "_cp, s.house) &&
           read_number(c, "\nКомната: "_cp, s.flat);
}

// Shows the menu and reads a choice from 0 to 6; false at the end of input.
bool read_choice(con::console& c, std::int32_t& x) {
    con::write(c, "\n0 - выход\n1 - отсортировать в алфавитном порядке по фамилии\n"
                  "2 - отсортировать в алфавитном порядке по месту жительства\n"
                  "3 - поиск информации о студенте\n4 - добавить студента\n5 - сохранить информацию\n"
                  "6 - вывод на экран\n"_cp);
    return con::ask_int(c, {.error = "Повторите ввод!\n"_cp, .min = 0, .max = 6}, x);
}

void report_search(con::console& c, const student& stud) {
    if (text_of(stud.name).empty()) {
        con::write(c, "Такого студента не найдено!"_cp);
        return;
    }
    write_header(c);
    write_row(c, stud);
}

} // namespace

student* add_students(con::console& c, student* a, std::int32_t* num_d) {
    // The empty collection holds no array, and a count of 0.
    std::int32_t i = a == nullptr ? 0 : *num_d;
    for (;;) {
        student* bigger = make_room(a, i);
        if (bigger == nullptr) {
            con::write(c, no_memory);
            break;
        }
        a = bigger;
        if (!read_student(c, a[i])) break;
        ++i;
        con::write(c, "Продолжить ввод? Да-д\n"_cp);
        con::discard(c);
        if (con::read_char(c) != yes_letter) break;
    }
    // Input ended before the first record was complete: the collection
    // stays empty, and the empty collection holds no array.
    if (i == 0) {
        std::free(a);
        a = nullptr;
    }
    *num_d = i;
    return a;
}

void print_students(con::console& c, const student* a, std::int32_t num_d) {
    if (num_d == 0) {
        con::write(c, "Студентов нет!"_cp);
        return;
    }
    con::write(c, "Студенты:\n"_cp);
    write_header(c);
    con::output_run out(c);
    for (std::int32_t i = 0; i < num_d; ++i) {
        out.room(widest_row);
        out.at = format_row(out.at, a[i]);
    }
    out.done();
}

// The sorts.

namespace {

// The key's rank when its byte is compared as a signed 8-bit value:
// 0x80..0xFF (negative) first, then 0x00..0x7F.
inline unsigned rank(char key) { return static_cast<unsigned char>(key) ^ 0x80u; }

// A stable order by one key byte: the same result as exchanging
// neighbours whose keys are out of order, in linear time.
void sort_by_first_byte(student* a, std::int32_t num_d, std::size_t key_offset) {
    if (num_d <= 1) return;
    auto n = static_cast<std::size_t>(num_d);
    auto key = [key_offset](const student& s) { return reinterpret_cast<const char*>(&s)[key_offset]; };
    student* sorted = alloc_records(n);
    if (sorted == nullptr) {
        // Without room for a copy the standard stable sort still gives the
        // same order, merging in place.
        std::stable_sort(a, a + n,
                         [&](const student& l, const student& r) { return rank(key(l)) < rank(key(r)); });
        return;
    }
    std::size_t start[257] = {};
    for (std::size_t i = 0; i < n; ++i) ++start[rank(key(a[i])) + 1];
    for (std::size_t r = 1; r < 257; ++r) start[r] += start[r - 1];
    for (std::size_t i = 0; i < n; ++i) sorted[start[rank(key(a[i]))]++] = a[i];
    std::memcpy(a, sorted, n * sizeof(student));
    std::free(sorted);
}

} // namespace

void sort_by_name(student* a, std::int32_t num_d) { sort_by_first_byte(a, num_d, offsetof(student, name)); }

void sort_by_street(student* a, std::int32_t num_d) {
    sort_by_first_byte(a, num_d, offsetof(student, street));
}

// The search of the file.

student find_student(con::console& c) {
    student none{};
    bool absent = false;
    auto close = [](std::FILE* f) { std::fclose(f); };
    std::unique_ptr<std::FILE, decltype(close)> f(open_students_file(absent), close);
    if (f == nullptr) {
        con::write(c, "\xAD\n");
        return none;
    }
    char str[text_size];
    if (!read_text(c, "Введите имя студента:\n"_cp, str)) return none;
    std::string_view wanted = text_of(str);
    // A read error, like the end of the file or an incomplete last record,
    // ends the search without a match.
    student temp;
    while (std::fread(&temp, sizeof temp, 1, f.get()) == 1)
        if (text_of(temp.name) == wanted) return temp;
    return none;
}

int run(con::console& c) {
    con::use_cp1251(c);
    std::int32_t num_d = 0;
    file_seen seen = file_seen::absent;
    student* a = load_students(c, &num_d, &seen);
    std::int32_t x = 0;
    while (read_choice(c, x) && x != 0) {
        switch (x) {
        case 3: {
            student stud = find_student(c);
            if (!con::ended(c)) report_search(c, stud);
            break;
        }
        case 4:
            a = add_students(c, a, &num_d);
            break;
        case 5:
            save_students(c, a, num_d, seen);
            break;
        default:
            // 1 and 2 sort the array before the listing, 6 lists it as it is.
            if (x == 1) sort_by_name(a, num_d);
            if (x == 2) sort_by_street(a, num_d);
            print_students(c, a, num_d);
            break;
        }
        if (con::ended(c)) break;
    }
    std::free(a);
    return 0;
}

} // namespace studentdb
