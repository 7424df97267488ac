#include "cp1251.h"
#include "scratch.h"
#include "student.h"

namespace studentdb_test {
namespace {

using con::operator""_cp;
using studentdb::text_of;

using load_test = scratch_dir;

TEST_F(load_test, MissingFileSaysSoAndGivesEmptyCollection) {
    loaded l;
    load(l);
    EXPECT_EQ(l.a, nullptr);
    EXPECT_EQ(l.n, 0);
    EXPECT_EQ(l.out, "\nФайла не существует!\n"_cp);
    // No file to lose: the save creates it.
    student s = make_student("a", "b", 1, 2);
    EXPECT_EQ(save(&s, 1, l.seen), "");
    EXPECT_EQ(read_bytes(), record_bytes("a", "b", 1, 2));
}

TEST_F(load_test, FilesShorterThanOneRecordAreSilentlyEmpty) {
    for (std::size_t size : {0u, 1u, 47u}) {
        write_bytes(std::string(size, 'x'));
        loaded l;
        load(l);
        EXPECT_EQ(l.a, nullptr) << size;
        EXPECT_EQ(l.n, 0) << size;
        EXPECT_EQ(l.out, "") << size;
    }
}

TEST_F(load_test, IncompleteTailIsDroppedAndNextSaveWritesWholeRecords) {
    std::string file = record_bytes("Иванов"_cp.data(), "Мира"_cp.data(), 12, -3) +
                       record_bytes("Smith", "Baker Street", -2147483647 - 1, 2147483647) + "tail";
    ASSERT_EQ(file.size(), 100u);
    write_bytes(file);
    loaded l;
    load(l);
    ASSERT_EQ(l.n, 2);
    EXPECT_EQ(l.out, "");
    EXPECT_EQ(text_of(l.a[0].name), "Иванов"_cp);
    EXPECT_EQ(text_of(l.a[0].street), "Мира"_cp);
    EXPECT_EQ(l.a[0].house, 12);
    EXPECT_EQ(l.a[0].flat, -3);
    EXPECT_EQ(text_of(l.a[1].name), "Smith");
    EXPECT_EQ(l.a[1].house, -2147483647 - 1);
    EXPECT_EQ(l.a[1].flat, 2147483647);
    EXPECT_EQ(save(l.a, l.n, l.seen), "");
    EXPECT_EQ(read_bytes(), file.substr(0, 96));
}

TEST_F(load_test, ManyRecordsKeepFileOrder) {
    std::string file;
    for (int i = 0; i < 1000; ++i) file += record_bytes("n" + std::to_string(i), "s", i, -i);
    file += std::string(47, 'z');
    write_bytes(file);
    loaded l;
    load(l);
    ASSERT_EQ(l.n, 1000);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(text_of(l.a[i].name), "n" + std::to_string(i));
        ASSERT_EQ(l.a[i].house, i);
        ASSERT_EQ(l.a[i].flat, -i);
    }
}

using save_test = scratch_dir;

TEST_F(save_test, WritesRecordsWithZerosAfterEachText) {
    // Bytes after a terminating zero, as an old file may hold them, are
    // not carried over; a text filling its whole field is kept.
    std::string old = record_bytes("Ann", "Elm", 1, 2);
    old[4] = 'G';
    old[25] = 'H';
    std::string full(20, 'W');
    write_bytes(old + record_bytes(full, "Oak", -5, -6));
    loaded l;
    load(l);
    ASSERT_EQ(l.n, 2);
    EXPECT_EQ(save(l.a, l.n), "");
    EXPECT_EQ(read_bytes(), record_bytes("Ann", "Elm", 1, 2) + record_bytes(full, "Oak", -5, -6));
}

TEST_F(save_test, NineteenCharacterNameEndsAtByteNineteen) {
    student s = make_student(std::string(19, 'N'), "Street", 3, 4);
    EXPECT_EQ(save(&s, 1), "");
    std::string bytes = read_bytes();
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(bytes[18], 'N');
    EXPECT_EQ(bytes[19], '\0');
    EXPECT_EQ(bytes.substr(20, 6), "Street");
}

TEST_F(save_test, EmptyCollectionLeavesEmptyFile) {
    write_bytes(record_bytes("old", "old", 1, 1));
    EXPECT_EQ(save(nullptr, 0), "");
    EXPECT_TRUE(fs::exists("students.dat"));
    EXPECT_EQ(read_bytes(), "");
    EXPECT_EQ(entries(), std::vector<std::string>{"students.dat"});
}

TEST_F(save_test, LargeCollectionRoundTrips) {
    std::vector<student> all;
    all.reserve(5000);
    for (int i = 0; i < 5000; ++i) all.push_back(make_student("name" + std::to_string(i), "st", i, ~i));
    EXPECT_EQ(save(all.data(), 5000), "");
    EXPECT_EQ(fs::file_size("students.dat"), 5000u * 48u);
    loaded l;
    load(l);
    ASSERT_EQ(l.n, 5000);
    EXPECT_EQ(std::memcmp(l.a, all.data(), 5000 * sizeof(student)), 0);
}

TEST_F(save_test, ObjectAtTemporaryNameIsLeftAlone) {
    std::string taken = "students.dat." + std::to_string(process_id()) + ".0.tmp";
    write_bytes("someone else's", taken.c_str());
    student s = make_student("a", "b", 1, 2);
    EXPECT_EQ(save(&s, 1), "");
    EXPECT_EQ(read_bytes(), record_bytes("a", "b", 1, 2));
    EXPECT_EQ(read_bytes(taken.c_str()), "someone else's");
}

TEST_F(save_test, DirectoryInTheWayFailsAndStays) {
    fs::create_directory("students.dat");
    write_bytes("kept", "students.dat/inside");
    student s = make_student("a", "b");
    EXPECT_EQ(save(&s, 1), "\nEror!\n");
    EXPECT_TRUE(fs::is_directory("students.dat"));
    EXPECT_EQ(read_bytes("students.dat/inside"), "kept");
    EXPECT_EQ(entries(), std::vector<std::string>{"students.dat"});
}

} // namespace
} // namespace studentdb_test
