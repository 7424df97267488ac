#include "linefind.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace linefind {
namespace {

using con::operator""_cp;

const std::string ask_name(std::string("Введите имя файла:\n"_cp));
const std::string ask_string(std::string("Введите искомую строку:\n"_cp));
const std::string empty_line(std::string("Введите информацию в строку!\n"_cp));
const std::string no_file(std::string("Ошибка, такого файла не существует!"_cp) +
                          std::string("\nПовторить ввод? Да-д\n"_cp));
const std::string not_found(std::string("Строк с таким элементом не найдено!\n"_cp));
const std::string header(std::string("Строка"_cp) + std::string(47, ' ') +
                         std::string("Количество таких строк\n"_cp));
const std::string go_on(std::string("Продолжить поиск? y/n\n"_cp));

std::string row(const std::string& text, int count) {
    std::string out = text.size() < 25 ? std::string(25 - text.size(), ' ') + text : text;
    std::string number = std::to_string(count);
    return out + std::string(50 - number.size(), ' ') + number + "\n";
}

class Dialogue : public ::testing::Test {
protected:
    std::string dir;
    void SetUp() override {
        char name[] = "/tmp/linefind_dialogue.XXXXXX";
        ASSERT_NE(::mkdtemp(name), nullptr);
        dir = name;
        ::setenv("LC_ALL", "C", 1);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string make_file(const std::string& name, const std::string& bytes) {
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
        return dir + "/" + name;
    }
    static std::string talk(const std::string& typed) {
        std::string out;
        con::console c;
        con::open_memory(c, typed, out);
        EXPECT_EQ(run(c), 0);
        con::flush(c);
        return out;
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
    std::string missing = dir + "/missing";
    // The rest of the answer line is dropped before the name is read again.
    EXPECT_EQ(talk(missing +
                   "\n\xE4"
                   "extra\n" +
                   a + "\nab\nn\n"),
              ask_name + no_file + ask_name + ask_string + header + row("ab.", 1) + go_on);
    for (const char* answer : {"\xC4\n", "d\n", "y\n", "\n"})
        EXPECT_EQ(talk(missing + "\n" + answer + a + "\n"), ask_name + no_file) << answer;
}

TEST_F(Dialogue, OnlySmallYContinues) {
    std::string a = make_file("a.txt", "ab.");
    std::string once = ask_name + ask_string + header + row("ab.", 1) + go_on;
    EXPECT_EQ(talk(a + "\nab\nY\n" + a + "\n"), once);
    EXPECT_EQ(talk(a + "\nab\nyes\n" + a + "\nab\nn\n"), once + once);
}

TEST_F(Dialogue, DirectoryIsLikeAMissingFile) { EXPECT_EQ(talk(dir + "\nn\n"), ask_name + no_file); }

TEST_F(Dialogue, EndOfInputAtEveryReadEndsQuietly) {
    std::string a = make_file("a.txt", "ab.");
    EXPECT_EQ(talk(""), ask_name);
    EXPECT_EQ(talk("\n"), ask_name + empty_line);
    EXPECT_EQ(talk(dir + "/missing\n"), ask_name + no_file);
    EXPECT_EQ(talk(a + "\n"), ask_name + ask_string);
    EXPECT_EQ(talk(a + "\nab\n"), ask_name + ask_string + header + row("ab.", 1) + go_on);
    // A last line without its line break is still a typed line.
    EXPECT_EQ(talk(a + "\nab"), ask_name + ask_string + header + row("ab.", 1) + go_on);
}

TEST_F(Dialogue, LongTypedLinesAndSentencesAreKeptWhole) {
    std::string sentence = "This sentence is much longer than twenty-nine characters.";
    std::string name = "a-file-name-longer-than-twenty-nine-characters.txt";
    std::string path = make_file(name, sentence + " Short one.");
    std::string out = talk(path + "\nlonger than twenty-nine characters\nn\n");
    EXPECT_EQ(out, ask_name + ask_string + header + row(sentence, 1) + go_on);
}

TEST_F(Dialogue, Utf8ConsoleConvertsTextsButNotTheFile) {
    ::setenv("LC_ALL", "C.UTF-8", 1);
    if (!con::locale_is_utf8()) GTEST_SKIP() << "no UTF-8 locale here";
    std::string path = make_file("имя.txt", std::string("Мама мыла раму. Мама мыла раму."_cp));
    std::string out = talk(path + "\nмыла\nд\n");
    std::string expected = ask_name + ask_string + header + row(std::string("Мама мыла раму."_cp), 2) + go_on;
    EXPECT_EQ(out, con::cp1251_to_utf8(expected));
}

TEST_F(Dialogue, Utf8ConsoleOpensANameOutsideTheCodePage) {
    ::setenv("LC_ALL", "C.UTF-8", 1);
    if (!con::locale_is_utf8()) GTEST_SKIP() << "no UTF-8 locale here";
    std::string path = make_file("日本.txt", "Found it. Not here.");
    std::string out = talk(path + "\nit\nn\n");
    EXPECT_EQ(out, con::cp1251_to_utf8(ask_name + ask_string + header + row("Found it.", 1) + go_on));
}

} // namespace
} // namespace linefind
