#include "scratch.h"
#include "student.h"

namespace studentdb_test {
namespace {

using studentdb::make_room;
using studentdb::set_text;
using studentdb::text_of;

TEST(text_field, LongTextKeepsFirstNineteenAndZeroFillsTheRest) {
    char field[20];
    std::memset(field, 'x', sizeof field);
    set_text(field, "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(text_of(field), "abcdefghijklmnopqrs");
    EXPECT_EQ(field[19], '\0');
    set_text(field, "ab");
    EXPECT_EQ(text_of(field), "ab");
    for (std::size_t i = 2; i < 20; ++i) EXPECT_EQ(field[i], '\0') << i;
}

TEST(text_field, TextEndsAtTypedZeroByte) {
    char field[20];
    set_text(field, std::string_view("ab\0cd", 5));
    EXPECT_EQ(text_of(field), "ab");
    EXPECT_EQ(field[3], '\0');
    set_text(field, "");
    EXPECT_EQ(text_of(field), "");
}

TEST(text_field, FieldWithoutTerminatorIsReadAsTwentyBytes) {
    student s{};
    std::memset(s.name, 'N', 20);
    std::memset(s.street, 'S', 20);
    EXPECT_EQ(text_of(s.name), std::string(20, 'N'));
}

TEST(record_array, GrowingKeepsRecordsAndStartsZeroFilled) {
    student* a = make_room(nullptr, 0);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(text_of(a[0].name), "");
    EXPECT_EQ(a[0].house, 0);
    for (std::int32_t i = 0; i < 300; ++i) {
        student* bigger = make_room(a, i);
        ASSERT_NE(bigger, nullptr);
        a = bigger;
        a[i] = make_student(std::to_string(i), "s", i, i);
    }
    for (std::int32_t i = 0; i < 300; ++i) EXPECT_EQ(a[i].house, i);
    std::free(a);
}

} // namespace
} // namespace studentdb_test
