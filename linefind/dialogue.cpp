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
// (file.out_of_memory()).
bool ask_file(con::console& c, text_file& file) {
    for (;;) {
        con::write(c, "Введите имя файла:\n"_cp);
        std::string name;
        // The name is opened as typed: on a UTF-8 console, in its UTF-8 form.
        if (input_line(c, name, con::text_form::as_typed) == 0) return false;
        if (file.open(name)) return true;
        if (file.out_of_memory()) return false;
        con::write(c, "Ошибка, такого файла не существует!"_cp);
        con::write(c, "\nПовторить ввод? Да-д\n"_cp);
        con::discard(c);
        if (con::read_char(c) != letter_de) return false;
    }
}

// The string step, the search and its report. Where the console knows
// characters the string is taken as UTF-8 text, to be searched in whatever
// form the file holds; where it passes bytes only, as its bytes. False when
// input ended first or memory ran out (file.out_of_memory()): a report of
// what was found so far would look complete.
bool search_and_report(con::console& c, text_file& file) {
    con::write(c, "Введите искомую строку:\n"_cp);
    typed_string str;
    str.utf8 = !con::bytes_only(c);
    std::string text;
    if (input_line(c, text, str.utf8 ? con::text_form::utf8 : con::text_form::converted) == 0) return false;
    str.text = text;
    sentence_list list;
    search(file, str, list);
    if (file.out_of_memory()) return false;
    if (list.head() == nullptr) {
        con::write(c, "Строк с таким элементом не найдено!\n"_cp);
    } else {
        con::write(c, "Строка                                               Количество таких строк\n"_cp);
        print_sentences(c, list);
    }
    return true;
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
        if (!ask_file(c, file) || !search_and_report(c, file))
            return file.out_of_memory() ? con::out_of_memory(c) : 0;
        con::write(c, "Продолжить поиск? y/n\n"_cp);
        con::discard(c);
        if (con::read_char(c) != 'y') return 0;
    }
}

} // namespace linefind
