#include "cp1251.h"
#include "linefind.h"
#include "search.h"
#include "sentences.h"

namespace linefind {

using con::operator""_cp;

namespace {

constexpr int letter_de = 0xE4; // small Cyrillic д in Windows-1251

// The file name step: asks until a file opens. False when the person
// declines another try, input ends, or memory runs out
// (file.out_of_memory).
bool ask_file(con::console& c, text_file& file) {
    for (;;) {
        con::write(c, "Введите имя файла:\n"_cp);
        std::string name;
        // The name is opened as typed: on a UTF-8 console, in its UTF-8 form.
        if (input_line(c, name, con::text_form::as_typed) == 0) return false;
        if (open_text_file(file, name)) return true;
        if (file.out_of_memory) return false;
        con::write(c, "Ошибка, такого файла не существует!"_cp);
        con::write(c, "\nПовторить ввод? Да-д\n"_cp);
        con::discard(c);
        if (con::read_char(c) != letter_de) return false;
    }
}

// The searched string, asked for after the file name. On a UTF-8 console
// it is kept as typed as well, for a file written in UTF-8. False when input
// ended first.
bool ask_string(con::console& c, std::string& cp1251_str, std::string& utf8_str) {
    con::write(c, "Введите искомую строку:\n"_cp);
    if (!con::utf8_console(c)) return input_line(c, cp1251_str) != 0;
    if (input_line(c, utf8_str, con::text_form::as_typed) == 0) return false;
    cp1251_str = con::utf8_to_cp1251(utf8_str);
    return true;
}

void report(con::console& c, sentence_list& list) {
    if (list.head == nullptr) {
        con::write(c, "Строк с таким элементом не найдено!\n"_cp);
        return;
    }
    con::write(c, "Строка                                               Количество таких строк\n"_cp);
    print_sentences(c, list);
}

} // namespace

std::size_t input_line(con::console& c, std::string& line, con::text_form form) {
    for (;;) {
        con::discard(c);
        // Only a line break completes the line: a last line cut off by the
        // end of input is no answer.
        if (!con::read_text(c, line, form, con::line_end::required)) return 0;
        if (!line.empty()) return line.size();
        con::write(c, "Введите информацию в строку!\n"_cp);
    }
}

int run(con::console& c) {
    con::use_cp1251(c);
    for (;;) {
        text_file file;
        if (!ask_file(c, file)) return file.out_of_memory ? con::out_of_memory(c) : 0;
        std::string cp1251_str;
        std::string utf8_str;
        if (!ask_string(c, cp1251_str, utf8_str)) {
            close_text_file(file);
            return 0;
        }
        sentence_list list;
        if (con::utf8_console(c)) {
            search_either_encoding(file, cp1251_str, utf8_str, list);
        } else {
            search_file(file, cp1251_str, list);
        }
        if (file.out_of_memory) {
            // A report of what was found so far would look complete.
            free_sentences(list);
            close_text_file(file);
            return con::out_of_memory(c);
        }
        report(c, list);
        free_sentences(list);
        con::write(c, "Продолжить поиск? y/n\n"_cp);
        con::discard(c);
        int answer = con::read_char(c);
        close_text_file(file);
        if (answer != 'y') return 0;
    }
}

} // namespace linefind
