#include "cp1251.h"
#include "scratch.h"
#include "studentdb.h"

namespace studentdb_test {
namespace {

using con::operator""_cp;

constexpr std::string_view menu = "\n0 - выход\n1 - отсортировать в алфавитном порядке по фамилии\n"
                                  "2 - отсортировать в алфавитном порядке по месту жительства\n"
                                  "3 - поиск информации о студенте\n4 - добавить студента\n"
                                  "5 - сохранить информацию\n6 - вывод на экран\n"_cp;
constexpr std::string_view no_file = "\nФайла не существует!\n"_cp;
constexpr std::string_view retry = "Повторите ввод!\n"_cp;
constexpr std::string_view not_found = "Такого студента не найдено!"_cp;
constexpr std::string_view header = "             Студент               Улица  Дом  Квартира"_cp;
constexpr std::string_view add_prompts = "Введите имя студента: \nВведите адрес: \nДом: \nКомната: "_cp;
constexpr std::string_view more = "Продолжить ввод? Да-д\n"_cp;

std::string cat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (auto p : parts) out += p;
    return out;
}

class dialogue_test : public scratch_dir {
protected:
    void SetUp() override {
        scratch_dir::SetUp();
        ::setenv("LC_ALL", "C", 1);
    }
    static std::string dialogue(std::string_view input) {
        std::string out;
        con::console c;
        con::open_memory(c, input, out);
        EXPECT_EQ(studentdb::run(c), 0);
        con::flush(c);
        return out;
    }
};

TEST_F(dialogue_test, MenuChoiceIsReadAgainUntilInRange) {
    EXPECT_EQ(dialogue("7\n-1\nabc 6\n6\n0\n"),
              cat({no_file, menu, retry, retry, retry, "Студентов нет!"_cp, menu}));
}

TEST_F(dialogue_test, EndOfInputAtMenuEndsWithoutSaving) {
    EXPECT_EQ(dialogue("4\nAnn\nElm\n1\n2\n"), cat({no_file, menu, add_prompts, more}));
    EXPECT_TRUE(entries().empty());
}

TEST_F(dialogue_test, AddedStudentIsFoundOnlyAfterSave) {
    write_bytes(record_bytes("Old", "Street", 1, 1));
    std::string out = dialogue("4\nНовиков\nЛесная\n3\n44\nн\n3\nНовиков\n5\n3\nНовиков\n0\n"_cp);
    std::string row = "\n             Новиков              Лесная    3        44"_cp.data();
    EXPECT_EQ(out, cat({menu, add_prompts, more, menu, "Введите имя студента:\n"_cp, not_found, menu, menu,
                        "Введите имя студента:\n"_cp, header, row, menu}));
    EXPECT_EQ(read_bytes(), record_bytes("Old", "Street", 1, 1) +
                                record_bytes("Новиков"_cp.data(), "Лесная"_cp.data(), 3, 44));
}

TEST_F(dialogue_test, SearchWithoutFileShowsSoftHyphenLine) {
    EXPECT_EQ(dialogue("3\nAnn\n0\n"), cat({no_file, menu, "\xAD\n", not_found, menu, retry}));
}

TEST_F(dialogue_test, SearchShowsFirstOfSameNamesAndIgnoresEmptyName) {
    write_bytes(record_bytes("", "Empty", 9, 9) + record_bytes("Ann", "First", 1, 2) +
                record_bytes("Ann", "Second", 3, 4) + "part");
    std::string out = dialogue("3\nAnn\n3\n\n3\nann\n0\n");
    std::string ask = "Введите имя студента:\n"_cp.data();
    EXPECT_EQ(out, cat({menu, ask, header, "\n                 Ann               First    1         2", menu,
                        ask, not_found, menu, ask, not_found, menu}));
}

TEST_F(dialogue_test, LongTypedTextsKeepNineteenCharacters) {
    std::string name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string street(40, 'S');
    dialogue("4\n" + name + "\n" + street + "\n1\n2\nn\n5\n0\n");
    EXPECT_EQ(read_bytes(), record_bytes(name.substr(0, 19), street.substr(0, 19), 1, 2));
    // The searched name is cut the same way, so it still matches.
    std::string out = dialogue("3\n" + name + "\n0\n");
    EXPECT_NE(out.find("\n ABCDEFGHIJKLMNOPQRS SSSSSSSSSSSSSSSSSSS    1         2"), std::string::npos);
}

TEST_F(dialogue_test, NumbersAreAskedAgainWithoutPrompt) {
    std::string out = dialogue("4\nAnn\nElm\nx12\n-0012\n+7 rest\nn\n5\n0\n");
    std::string bad = "Введено неверное значение! Повторите ввод:\n"_cp.data();
    EXPECT_EQ(out, cat({no_file, menu, "Введите имя студента: \nВведите адрес: \nДом: "_cp, bad,
                        "\nКомната: "_cp, more, menu, menu}));
    EXPECT_EQ(read_bytes(), record_bytes("Ann", "Elm", -12, 7));
}

TEST_F(dialogue_test, OnlySmallCyrillicDeContinuesAddition) {
    struct answer {
        std::string typed;
        std::size_t records;
    } answers[] = {{"\xE4", 2}, {"\xE4 and more", 2}, {"\xC4", 1}, {"y", 1}, {"", 1}, {"\xD0\xB4", 1}};
    for (const auto& a : answers) {
        std::filesystem::remove("students.dat");
        std::string second = a.records == 2 ? "C\nD\n3\n4\nn\n" : "";
        dialogue("4\nA\nB\n1\n2\n" + a.typed + "\n" + second + "5\n0\n");
        EXPECT_EQ(read_bytes().size(), 48 * a.records) << a.typed;
    }
}

TEST_F(dialogue_test, EndOfInputAnywhereLeavesFileAsItWas) {
    std::string old = record_bytes("Old", "St", 1, 1);
    std::string script =
        "6\n4\n\xC8\xE2\xE0\xED\xEE\xE2\nSt\nx\n5\n7\n\xE4\nB\nC\n-1\n-2\nn\n1\n2\n3\nOld\n3\n\n6\n";
    for (std::size_t len = 0; len <= script.size(); ++len) {
        write_bytes(old);
        dialogue(script.substr(0, len));
        ASSERT_EQ(read_bytes(), old) << "input cut after " << len << " bytes";
        ASSERT_EQ(entries(), std::vector<std::string>{"students.dat"});
    }
}

TEST_F(dialogue_test, ChoiceZeroAfterAdditionsDoesNotSave) {
    dialogue("4\nA\nB\n1\n1\nn\n0\n");
    EXPECT_TRUE(entries().empty());
}

} // namespace
} // namespace studentdb_test
