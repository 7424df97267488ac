#include "console.h"
#include "cp1251.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace con;

namespace {

using memory_console = test_support::session;

int read_value(console& c, int width = 0) {
    std::int32_t value = -777;
    EXPECT_EQ(read_int(c, value, width), got::value);
    return value;
}

} // namespace

TEST(ReadInt, TakesTheFirstNumberAndDiscardDropsTheRestOfTheLine) {
    memory_console m("3 40\n7\n");
    EXPECT_EQ(read_value(m.c), 3);
    discard(m.c);
    EXPECT_EQ(read_value(m.c), 7);
}

TEST(ReadInt, SeveralNumbersOnOneLineAreReadWithoutANewLine) {
    memory_console m("3 40\n");
    EXPECT_EQ(read_value(m.c), 3);
    EXPECT_EQ(read_value(m.c), 40);
    EXPECT_EQ(read_char(m.c), '\n');
}

TEST(ReadInt, SignFollowedByANonDigitIsConsumedAndFails) {
    memory_console m("-x\n+\n");
    std::int32_t value = 5;
    EXPECT_EQ(read_int(m.c, value), got::retry);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(read_char(m.c), 'x'); // only the sign was taken
    EXPECT_EQ(read_char(m.c), '\n');
    EXPECT_EQ(read_int(m.c, value), got::retry); // "+" then the line break
    EXPECT_EQ(read_char(m.c), '\n');
}

TEST(ReadInt, NonDigitStaysUnread) {
    memory_console m("abc\n");
    std::int32_t value = 5;
    EXPECT_EQ(read_int(m.c, value), got::retry);
    EXPECT_EQ(value, 5);
    EXPECT_EQ(read_char(m.c), 'a');
}

TEST(ReadInt, WidthLimitsTheCharactersTaken) {
    memory_console m("1234\n-123\n");
    EXPECT_EQ(read_value(m.c, 3), 123);
    EXPECT_EQ(read_value(m.c), 4);
    EXPECT_EQ(read_value(m.c, 3), -12); // the sign counts towards the width
    EXPECT_EQ(read_value(m.c), 3);
}

TEST(ReadInt, WidthOneTakenBySignFails) {
    memory_console m("-5\n");
    std::int32_t value = 9;
    EXPECT_EQ(read_int(m.c, value, 1), got::retry);
    EXPECT_EQ(read_value(m.c), 5);
}

TEST(ReadInt, SkipsWhiteSpaceAcrossLines) {
    memory_console m("\n  \t\r\n\v\f  +17\n");
    EXPECT_EQ(read_value(m.c), 17);
}

TEST(ReadInt, OutOfRangeWrapsModulo2To32) {
    memory_console m("123456789012 2147483648 -2147483648 4294967296 -4294967297\n");
    EXPECT_EQ(read_value(m.c), static_cast<std::int32_t>(123456789012LL % 4294967296LL)); // -1097262572
    EXPECT_EQ(read_value(m.c), INT32_MIN);
    EXPECT_EQ(read_value(m.c), INT32_MIN);
    EXPECT_EQ(read_value(m.c), 0);
    EXPECT_EQ(read_value(m.c), -1);
}

TEST(ReadInt, CrlfLineEndsAreWhiteSpace) {
    memory_console m("12\r\n34\r\n");
    EXPECT_EQ(read_value(m.c), 12);
    EXPECT_EQ(read_value(m.c), 34);
    EXPECT_EQ(read_char(m.c), '\r');
    EXPECT_EQ(read_char(m.c), '\n');
}

TEST(ReadInt, LastLineWithoutLineBreak) {
    memory_console m("5\n42");
    EXPECT_EQ(read_value(m.c), 5);
    EXPECT_EQ(read_value(m.c), 42);
    EXPECT_FALSE(ended(m.c));
    std::int32_t value = 0;
    EXPECT_EQ(read_int(m.c, value), got::end);
    EXPECT_TRUE(ended(m.c));
}

TEST(ReadInt, EndOfInputBeforeAnyCharacter) {
    memory_console m("  \n \n");
    std::int32_t value = 3;
    EXPECT_EQ(read_int(m.c, value), got::end);
    EXPECT_EQ(value, 3);
    EXPECT_TRUE(ended(m.c));
}

TEST(ReadInt, ALoneSignAtTheEndIsAFailedNumberThenTheEnd) {
    memory_console m("-");
    std::int32_t value = 3;
    EXPECT_EQ(read_int(m.c, value), got::retry);
    EXPECT_FALSE(ended(m.c));
    EXPECT_EQ(read_int(m.c, value), got::end);
    EXPECT_EQ(value, 3);
}

TEST(Discard, NeverWaitsOnAUsedUpLine) {
    memory_console m("1\n2\n");
    EXPECT_EQ(read_value(m.c), 1);
    EXPECT_EQ(read_char(m.c), '\n'); // line used up
    discard(m.c);                    // must not take "2\n"
    EXPECT_EQ(read_value(m.c), 2);
    discard(m.c);
    discard(m.c);
    EXPECT_FALSE(ended(m.c));
}

TEST(Discard, BeforeAnyInputDoesNothing) {
    memory_console m("x\n");
    discard(m.c);
    EXPECT_EQ(read_char(m.c), 'x');
}

TEST(ReadChar, ReturnsEveryByteAndThenEndOfInput) {
    std::string input("a\xE4\0\n", 4);
    input += "b";
    memory_console m(input);
    EXPECT_EQ(read_char(m.c), 'a');
    EXPECT_EQ(read_char(m.c), 0xE4);
    EXPECT_EQ(read_char(m.c), 0);
    EXPECT_EQ(read_char(m.c), '\n');
    EXPECT_EQ(read_char(m.c), 'b');
    EXPECT_EQ(read_char(m.c), end_of_input);
    EXPECT_EQ(read_char(m.c), end_of_input);
}

TEST(ReadText, TakesTheRestOfTheCurrentLine) {
    memory_console m("12 ab\r\nnext\nlast");
    EXPECT_EQ(read_value(m.c), 12);
    std::string text;
    ASSERT_TRUE(read_text(m.c, text));
    EXPECT_EQ(text, " ab\r");
    ASSERT_TRUE(read_text(m.c, text));
    EXPECT_EQ(text, "next");
    ASSERT_TRUE(read_text(m.c, text));
    EXPECT_EQ(text, "last");
    EXPECT_FALSE(read_text(m.c, text));
}

TEST(ReadText, ALastLineWithoutItsBreakIsNoLineWhereOneIsRequired) {
    memory_console m("name\nlast");
    std::string text;
    ASSERT_TRUE(read_text(m.c, text, text_form::converted, line_end::required));
    EXPECT_EQ(text, "name");
    EXPECT_FALSE(read_text(m.c, text, text_form::converted, line_end::required));
    EXPECT_TRUE(ended(m.c));
}

TEST(ReadTypedChar, AUtf8SequenceIsOneCharacterOnlyUnderAUtf8Locale) {
    const std::string typed = "\xD0\xB4\xE6\x97\xA5\xD0x\n";
    memory_console utf8(typed, charset::utf8);
    for (std::string_view expected : {"\xD0\xB4", "\xE6\x97\xA5", "\xD0", "x", "\n"})
        EXPECT_EQ(read_typed_char(utf8.c), expected);
    EXPECT_EQ(read_typed_char(utf8.c), "");
    memory_console bytes(typed);
    for (char ch : typed) EXPECT_EQ(read_typed_char(bytes.c), std::string(1, ch));
}

TEST(Output, NothingIsWrittenAfterEndOfInput) {
    memory_console m("");
    write(m.c, "before");
    EXPECT_EQ(read_char(m.c), end_of_input);
    write(m.c, "after");
    put_int(m.c, 7, 3);
    EXPECT_EQ(m.output(), "before");
}

TEST(Output, PutIntMatchesPrintf) {
    memory_console m("");
    // Around every eighth digit, where the digits are made in another word.
    const std::int64_t values[] = {0,           7,          -7,        123,       -45,
                                   99999999,    -100000000, 100000001, INT32_MIN, 10000000000000000,
                                   -9999999999, INT64_MAX,  INT64_MIN};
    std::string expected;
    for (std::int64_t v : values) {
        for (int width : {0, 3, 5, 9, 12, 25}) {
            put_int(m.c, v, width);
            char text[32];
            std::snprintf(text, sizeof text, "%*lld", width, static_cast<long long>(v));
            expected += text;
        }
    }
    EXPECT_EQ(m.output(), expected);
}

TEST(WaitKey, ReturnsAtOnceWithoutATerminal) {
    memory_console m("abc\n");
    wait_key(m.c);
    EXPECT_EQ(read_char(m.c), 'a');
}

TEST(Cp1251, ConvertsBothWays) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        if (b != 0x98) all += static_cast<char>(b);
    EXPECT_EQ(utf8_to_cp1251(cp1251_to_utf8(all)), all);
    EXPECT_EQ(cp1251_to_utf8("\xE4"), "д");
    EXPECT_EQ(cp1251_to_utf8("\xA8\xB8\xB9"), "Ёё№");
    EXPECT_EQ(utf8_to_cp1251("Да-д"), "\xC4\xE0-\xE4");
}

TEST(Cp1251, InvalidOrMissingCharactersBecomeQuestionMarks) {
    EXPECT_EQ(utf8_to_cp1251("a\xFF"
                             "b"),
              "a?b");
    EXPECT_EQ(utf8_to_cp1251("\xD0"), "?");      // cut short
    EXPECT_EQ(utf8_to_cp1251("\xC0\xAF"), "??"); // overlong
    EXPECT_EQ(utf8_to_cp1251("日本"), "??");     // not in the code page
    EXPECT_EQ(utf8_to_cp1251("\xF0\x9F\x98\x80x"), "?x");
    // One '?' for every maximal invalid subpart: a lead byte whose next
    // byte lies outside its range stands alone.
    EXPECT_EQ(utf8_to_cp1251("\xE0\x80"), "??");
    EXPECT_EQ(utf8_to_cp1251("\xED\xA0\x80"), "???"); // a surrogate
    EXPECT_EQ(utf8_to_cp1251("\xF4\x90\x80\x80"), "????");
    EXPECT_EQ(utf8_to_cp1251("\xF0\x90\x80"), "?"); // one cut-short sequence
    EXPECT_EQ(utf8_to_cp1251("\xE1\x80\xD0\xB4"), "?\xE4");
}

TEST(Cp1251, LiteralsAreConvertedAtCompileTime) {
    constexpr std::string_view text = "Ошибка!\n"_cp;
    static_assert(text.size() == 8);
    EXPECT_EQ(text, "\xCE\xF8\xE8\xE1\xEA\xE0!\n");
    // The terminator lies past the view's end, out of reach of operator[].
    EXPECT_EQ(text.data()[text.size()], '\0'); // NOLINT(readability-simplify-subscript-expr)
}

TEST(Cp1251, ConsoleConvertsOutputAndTypedLinesWhenSwitchedOn) {
    memory_console m("\xD0\xB4\xD0\xB0 x\n", charset::utf8);
    use_cp1251(m.c);
    write(m.c, "\xC4\xE0\n");
    EXPECT_EQ(read_char(m.c), 0xE4);
    std::string rest;
    ASSERT_TRUE(read_text(m.c, rest));
    EXPECT_EQ(rest, "\xE0 x");
    EXPECT_EQ(m.output(), "Да\n");
}

TEST(Cp1251, ALineCanBeTakenAsTyped) {
    memory_console m("\xE6\x97\xA5\xD0\xB4.txt\n\xD0\xB4\n", charset::utf8);
    use_cp1251(m.c);
    std::string name;
    ASSERT_TRUE(read_text(m.c, name, text_form::as_typed));
    EXPECT_EQ(name, "\xE6\x97\xA5\xD0\xB4.txt"); // a letter the code page lacks survives
    ASSERT_TRUE(read_text(m.c, name));
    EXPECT_EQ(name, "\xE4");
}

// The UTF-8 form of a line, whatever form it came in, and UTF-8 text
// written in the console's character set.
TEST(Cp1251, ALineCanBeTakenAsUtf8AndUtf8TextWritten) {
    for (charset chars : {charset::bytes, charset::utf8}) {
        bool utf8 = chars == charset::utf8;
        memory_console m(utf8 ? "\xE6\x97\xA5\xD0\xB4\n" : "?\xE4\n", chars);
        use_cp1251(m.c);
        EXPECT_EQ(bytes_only(m.c), !utf8);
        std::string text;
        ASSERT_TRUE(read_text(m.c, text, text_form::utf8));
        EXPECT_EQ(text, utf8 ? "\xE6\x97\xA5\xD0\xB4" : "?\xD0\xB4");
        write_utf8(m.c, "\xE6\x97\xA5\xD0\xB4");
        EXPECT_EQ(m.output(), utf8 ? "\xE6\x97\xA5\xD0\xB4" : "?\xE4");
    }
}

TEST(ByteOrderMark, DroppedAtTheStartOfUtf8InputOnly) {
    const std::string bom = "\xEF\xBB\xBF";
    memory_console utf8(bom + "12\n" + bom + "3\n", charset::utf8);
    EXPECT_EQ(read_value(utf8.c), 12);
    discard(utf8.c);
    // Further on it is an ordinary character, no number.
    std::int32_t value = 0;
    EXPECT_EQ(read_int(utf8.c, value), got::retry);
    EXPECT_EQ(read_typed_char(utf8.c), bom);
    // Under a single-byte character set the bytes are the answer's.
    memory_console bytes(bom + "12\n");
    EXPECT_EQ(read_int(bytes.c, value), got::retry);
    EXPECT_EQ(read_char(bytes.c), 0xEF);
}

TEST(ByteOrderMark, InputOfAByteOrderMarkAloneEndsAsEmptyInput) {
    memory_console alone("\xEF\xBB\xBF", charset::utf8);
    std::string text;
    EXPECT_FALSE(read_text(alone.c, text));
    EXPECT_TRUE(ended(alone.c));
    // With its line break it is an empty line, converted for a
    // Windows-1251 program like any other.
    memory_console line("\xEF\xBB\xBF\n\xD0\xB4\n", charset::utf8);
    use_cp1251(line.c);
    ASSERT_TRUE(read_text(line.c, text));
    EXPECT_EQ(text, "");
    EXPECT_EQ(read_char(line.c), 0xE4);
}

namespace {

// The answers of a run of integer reads as ask_int takes them (a failed
// number drops the rest of its line), each with what is left unread after
// it. With ahead, every read first tries read_int_ahead and falls back to
// read_int where that says no, as maxcut reads its elements.
std::vector<std::string> int_answers(const std::string& typed, bool ahead) {
    memory_console m(typed);
    std::vector<std::string> answers;
    for (;;) {
        std::int32_t value = 0;
        got g = got::value;
        if (!ahead || !read_int_ahead(m.c, value)) g = read_int(m.c, value);
        if (g == got::end) break;
        if (g == got::retry) discard(m.c);
        answers.push_back((g == got::value ? std::to_string(value) : "retry") + " | " + m.rest());
    }
    return answers;
}

} // namespace

TEST(ReadIntAhead, GivesWhatReadIntGivesOnRandomAndHostileLines) {
    // Every blank, both signs, digits, a character that is none of them,
    // and numbers that overflow; the input may be cut anywhere.
    const std::string pieces[] = {" ",           "\t",          "\n", "\r",   "\v", "\f", "+",
                                  "-",           "0",           "7",  "x",    "-5", "+0", "2147483648",
                                  "-2147483649", "99999999999", "12", "\n\n", "--", "+-3"};
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        std::string typed;
        for (auto count = next() % 24; count > 0; --count) typed += pieces[next() % std::size(pieces)];
        ASSERT_EQ(int_answers(typed, true), int_answers(typed, false)) << "typed: " << typed;
    }
}

TEST(ReadIntAhead, NeverWaitsForALineNotYetWhole) {
    // The last line, without its line break, is not typed ahead: the read
    // says no, having taken the blanks only, and read_int reads the number.
    memory_console m("1 \n  23");
    std::int32_t value = 0;
    ASSERT_TRUE(read_int_ahead(m.c, value));
    EXPECT_EQ(value, 1);
    EXPECT_FALSE(read_int_ahead(m.c, value));
    EXPECT_EQ(m.rest(), "  23");
    EXPECT_EQ(read_int(m.c, value), got::value);
    EXPECT_EQ(value, 23);
}
