#include "cp1251.h"
#include "studentdb.h"

#include <cstdio>
#include <string>

namespace studentdb {

student find_student(con::console& c) {
    student none{};
    std::FILE* f = open_students_file();
    if (f == nullptr) {
        con::write(c, "\xAD\n");
        return none;
    }
    con::write(c, "Введите имя студента:\n"_cp);
    con::discard(c);
    std::string line;
    if (!con::read_text(c, line)) {
        std::fclose(f);
        return none;
    }
    char str[text_size];
    set_text(str, line);
    std::string_view wanted = text_of(str);
    // A read error, like the end of the file or an incomplete last record,
    // ends the search without a match.
    student temp;
    while (std::fread(&temp, sizeof temp, 1, f) == 1) {
        if (text_of(temp.name) == wanted) {
            std::fclose(f);
            return temp;
        }
    }
    std::fclose(f);
    return none;
}

} // namespace studentdb
