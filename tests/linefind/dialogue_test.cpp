// What the transcript cases cannot show: a file name outside Windows-1251
// typed on a UTF-8 console (a case directory holds only names that every
// system's file system takes).
#include "cp1251.h"
#include "linefind.h"
#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace linefind {
namespace {

using con::operator""_cp;

class Dialogue : public test_support::scratch_dir {};

TEST_F(Dialogue, Utf8ConsoleOpensANameOutsideTheCodePage) {
    const std::string name = "日本.txt";
    test_support::write_file(dir_ / std::u8string(name.begin(), name.end()), "Found it. Not here.");
    test_support::session s(dir_.string() + "/" + name + "\nit\nn\n", con::charset::utf8);
    EXPECT_EQ(run(s.c), 0);
    std::string row = std::string(16, ' ') + "Found it." + std::string(49, ' ') + "1\n";
    std::string expected = std::string("Введите имя файла:\n"_cp) +
                           std::string("Введите искомую строку:\n"_cp) + std::string("Строка"_cp) +
                           std::string(47, ' ') + std::string("Количество таких строк\n"_cp) + row +
                           std::string("Продолжить поиск? y/n\n"_cp);
    EXPECT_EQ(s.output(), con::cp1251_to_utf8(expected));
}

} // namespace
} // namespace linefind
