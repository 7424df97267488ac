#include "cp1251.h"
#include "linefind.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace linefind {
namespace {

using con::operator""_cp;

// Not constexpr: clang 14 crashes evaluating these strings as constants.
std::string cp_text(std::string_view cp1251) { return std::string(cp1251); }

const std::string ask_name(cp_text("Введите имя файла:\n"_cp));
const std::string ask_string(cp_text("Введите искомую строку:\n"_cp));
const std::string empty_line(cp_text("Введите информацию в строку!\n"_cp));
const std::string no_file(cp_text("Ошибка, такого файла не существует!"_cp) +
                          cp_text("\nПовторить ввод? Да-д\n"_cp));
const std::string not_found(cp_text("Строк с таким элементом не найдено!\n"_cp));
const std::string header(cp_text("Строка"_cp) + std::string(47, ' ') +
                         cp_text("Количество таких строк\n"_cp));
const std::string go_on(cp_text("Продолжить поиск? y/n\n"_cp));

std::string row(const std::string& text, int count) {
    std::string out = text.size() < 25 ? std::string(25 - text.size(), ' ') + text : text;
    std::string number = std::to_string(count);
    return out + std::string(50 - number.size(), ' ') + number + "\n";
}

class Dialogue : public test_support::scratch_dir {
protected:
    // Makes the file name, given in UTF-8 as typed on a UTF-8 console, and
    // returns its path to type.
    std::string make_file(const std::string& name, const std::string& bytes) {
        test_support::write_file(dir_ / std::u8string(name.begin(), name.end()), bytes);
        return dir_.string() + "/" + name;
    }
    static std::string talk(const std::string& typed, con::charset chars = con::charset::bytes) {
        test_support::session s(typed, chars);
        EXPECT_EQ(run(s.c), 0);
        return s.output();
    }
};

TEST_F(Dialogue, SearchReportAndAnotherSearch) {
    std::string a = make_file("a.txt", "Mama myla ramu. Papa spit. Mama myla ramu. Tail mama");
    std::string b = make_file("b.txt", "Nothing here.");
    std::string out = talk(a + "\nmyla\ny\n" + b + "\nmyla\nn\n");
    EXPECT_EQ(out, ask_name + ask_string + header + row("Mama myla ramu.", 2) + go_on + ask_name +
                       ask_string + not_found + go_on);
}

TEST_F(Dialogue, EmptyLinesAreAskedAgainWithoutThePrompt) {
    std::string a = make_file("a.txt", "ab.");
    std::string out = talk("\n\n" + a + "\n\nab\nq\n");
    EXPECT_EQ(out,
              ask_name + empty_line + empty_line + ask_string + empty_line + header + row("ab.", 1) + go_on);
}

TEST_F(Dialogue, RetryQuestionTakesOnlySmallDe) {
    std::string a = make_file("a.txt", "ab.");
    std::string missing = dir_.string() + "/missing";
    // The rest of the answer line is dropped before the name is read again.
    EXPECT_EQ(talk(missing +
                   "\n\xE4"
                   "extra\n" +
                   a + "\nab\nn\n"),
              ask_name + no_file + ask_name + ask_string + header + row("ab.", 1) + go_on);
    for (const char* answer : {"\xC4\n", "d\n", "y\n", "\n"}) {
        std::string typed = missing + "\n";
        typed.append(answer).append(a).append("\n");
        EXPECT_EQ(talk(typed), ask_name + no_file) << answer;
    }
}

TEST_F(Dialogue, OnlySmallYContinues) {
    std::string a = make_file("a.txt", "ab.");
    std::string once = ask_name + ask_string + header + row("ab.", 1) + go_on;
    EXPECT_EQ(talk(a + "\nab\nY\n" + a + "\n"), once);
    EXPECT_EQ(talk(a + "\nab\nyes\n" + a + "\nab\nn\n"), once + once);
}

TEST_F(Dialogue, DirectoryIsLikeAMissingFile) {
    EXPECT_EQ(talk(dir_.string() + "\nn\n"), ask_name + no_file);
}

TEST_F(Dialogue, EndOfInputAtEveryReadEndsQuietly) {
    std::string a = make_file("a.txt", "ab.");
    EXPECT_EQ(talk(""), ask_name);
    EXPECT_EQ(talk("\n"), ask_name + empty_line);
    EXPECT_EQ(talk(dir_.string() + "/missing\n"), ask_name + no_file);
    EXPECT_EQ(talk(a + "\n"), ask_name + ask_string);
    EXPECT_EQ(talk(a + "\nab\n"), ask_name + ask_string + header + row("ab.", 1) + go_on);
    // A last line without its line break is no answer: the file is not
    // opened, the string not searched.
    EXPECT_EQ(talk(dir_.string() + "/missing"), ask_name);
    EXPECT_EQ(talk(a + "\nab"), ask_name + ask_string);
}

TEST_F(Dialogue, LongTypedLinesAndSentencesAreKeptWhole) {
    std::string sentence = "This sentence is much longer than twenty-nine characters.";
    std::string name = "a-file-name-longer-than-twenty-nine-characters.txt";
    std::string path = make_file(name, sentence + " Short one.");
    std::string out = talk(path + "\nlonger than twenty-nine characters\nn\n");
    EXPECT_EQ(out, ask_name + ask_string + header + row(sentence, 1) + go_on);
}

TEST_F(Dialogue, Utf8ConsoleConvertsTextsButNotTheFile) {
    std::string path = make_file("имя.txt", cp_text("Мама мыла раму. Мама мыла раму."_cp));
    std::string out = talk(path + "\nмыла\nд\n", con::charset::utf8);
    std::string expected = ask_name + ask_string + header + row(cp_text("Мама мыла раму."_cp), 2) + go_on;
    EXPECT_EQ(out, con::cp1251_to_utf8(expected));
}

TEST_F(Dialogue, Utf8ConsoleOpensANameOutsideTheCodePage) {
    std::string path = make_file("日本.txt", "Found it. Not here.");
    std::string out = talk(path + "\nit\nn\n", con::charset::utf8);
    EXPECT_EQ(out, con::cp1251_to_utf8(ask_name + ask_string + header + row("Found it.", 1) + go_on));
}

} // namespace
} // namespace linefind
