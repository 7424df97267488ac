// What the transcript cases cannot show: a file name outside Windows-1251
// typed on a UTF-8 console (a case directory holds only names that every
// system's file system takes).
#include "linefind.h"
#include "support.h"

#include <gtest/gtest.h>

#include <string>

namespace linefind {
namespace {

class Dialogue : public test_support::scratch_dir {};

TEST_F(Dialogue, Utf8ConsoleOpensANameOutsideTheCodePage) {
    const std::string name = "日本.txt";
    test_support::write_file(dir_ / std::u8string(name.begin(), name.end()), "Found it. Not here.");
    test_support::session s(dir_.string() + "/" + name + "\nit\nn\n", con::charset::utf8);
    EXPECT_EQ(run(s.c), 0);
    std::string row = std::string(16, ' ') + "Found it." + std::string(49, ' ') + "1\n";
    // A UTF-8 console shows the texts in UTF-8, as they stand here.
    std::string expected = "Введите имя файла:\nВведите искомую строку:\nСтрока" + std::string(47, ' ') +
                           "Количество таких строк\n" + row + "Продолжить поиск? y/n\n";
    EXPECT_EQ(s.output(), expected);
}

} // namespace
} // namespace linefind
