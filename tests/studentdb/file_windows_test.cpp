// The save on Windows, where a file can refuse to be replaced: marked
// read-only, or open in a program that does not share it (at the save, or
// at the load, which then could not read it). The old file stays byte for
// byte, and no temporary file is left behind. A file replaced keeps its attributes.
#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "cp1251.h"
#include "scratch.h"

#include <windows.h>

namespace studentdb_test {
namespace {

using con::operator""_cp;

using save_test = scratch_dir;

TEST_F(save_test, ReadOnlyFileFailsAndStays) {
    std::string old = record_bytes("Old", "Street", 1, 2);
    write_bytes(old);
    ASSERT_TRUE(::SetFileAttributesW(L"students.dat", FILE_ATTRIBUTE_READONLY));
    student s = make_student("a", "b");
    EXPECT_EQ(save(&s, 1), "\nEror!\n");
    ::SetFileAttributesW(L"students.dat", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(read_bytes(), old);
    EXPECT_EQ(entries(), std::vector<std::string>{"students.dat"});
}

TEST_F(save_test, FileOpenWithoutSharingFailsAndStays) {
    std::string old = record_bytes("Old", "Street", 1, 2);
    write_bytes(old);
    HANDLE held = ::CreateFileW(L"students.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    student s = make_student("a", "b");
    EXPECT_EQ(save(&s, 1), "\nEror!\n");
    ::CloseHandle(held);
    EXPECT_EQ(read_bytes(), old);
    EXPECT_EQ(entries(), std::vector<std::string>{"students.dat"});
}

// Held without sharing at the start, the file cannot be read; once it is
// free again a save would replace records the user has never seen.
TEST_F(save_test, FileHeldAtTheLoadIsNeverReplaced) {
    std::string old = record_bytes("Old", "Street", 1, 2) + record_bytes("Older", "Road", 3, 4);
    write_bytes(old);
    HANDLE held = ::CreateFileW(L"students.dat", GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    loaded l;
    load(l);
    ::CloseHandle(held);
    EXPECT_EQ(l.out, "\nФайла не существует!\n"_cp);
    EXPECT_EQ(l.n, 0);
    student s = make_student("a", "b");
    EXPECT_EQ(save(&s, 1, l.seen), "\nEror!\n");
    EXPECT_EQ(read_bytes(), old);
    EXPECT_EQ(entries(), std::vector<std::string>{"students.dat"});
}

TEST_F(save_test, HiddenFileStaysHidden) {
    write_bytes(record_bytes("Old", "Street", 1, 2));
    ASSERT_TRUE(::SetFileAttributesW(L"students.dat", FILE_ATTRIBUTE_HIDDEN));
    student s = make_student("a", "b", 3, 4);
    EXPECT_EQ(save(&s, 1), "");
    DWORD attributes = ::GetFileAttributesW(L"students.dat");
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_HIDDEN, 0u);
    ::SetFileAttributesW(L"students.dat", FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(read_bytes(), record_bytes("a", "b", 3, 4));
    EXPECT_EQ(entries(), std::vector<std::string>{"students.dat"});
}

} // namespace
} // namespace studentdb_test
