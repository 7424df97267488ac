#include "search.h"

#include "cp1251.h"

#include "rows.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace linefind {
namespace {

using linefind_test::Rows;
using linefind_test::walk;

// The search done the slow, obvious way: the text ends at the byte 0x1A and
// every CR LF is one LF; then character by character, a sentence ends at
// each full stop, leading spaces dropped, the string compared at every
// position.
Rows reference(const std::string& bytes, const std::string& str) {
    Rows rows;
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i)
        if (bytes[i] != '\r' || i + 1 == bytes.size() || bytes[i + 1] != '\n') text += bytes[i];
    std::string sentence;
    for (char ch : text) {
        sentence += ch;
        if (ch != '.') continue;
        sentence.erase(0, sentence.find_first_not_of(' '));
        bool found = false;
        for (std::size_t i = 0; !found && i + str.size() <= sentence.size(); ++i)
            found = sentence.compare(i, str.size(), str) == 0;
        if (found) {
            auto row = rows.begin();
            while (row != rows.end() && row->first != sentence) ++row;
            if (row == rows.end())
                rows.emplace_back(sentence, 1);
            else
                ++row->second;
        }
        sentence.clear();
    }
    return rows;
}

class SearchFile : public test_support::scratch_dir {
protected:
    std::string make_file(const std::string& bytes) {
        std::string path = dir_.string() + "/text.txt";
        test_support::write_file(path, bytes);
        return path;
    }
    // Searches a file read in blocks of the given size; through a FIFO,
    // which cannot be read twice, when piped (on POSIX systems). With
    // text_console, as where the console knows characters: str is then
    // UTF-8, and utf8 tells whether the rows are UTF-8.
    Rows search(const std::string& bytes, const std::string& str, std::size_t block, bool piped = false,
                bool text_console = false, bool* utf8 = nullptr) {
#ifdef _WIN32
        piped = false;
#endif
        std::string path = piped ? dir_.string() + "/fifo" : make_file(bytes);
        std::thread writer;
#ifndef _WIN32
        if (piped) {
            EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
            writer = std::thread([&] { std::ofstream(path, std::ios::binary) << bytes; });
        }
#endif
        Rows rows;
        {
            text_file file;
            EXPECT_TRUE(file.open(path, block));
            sentence_list list;
            linefind::search(file, typed_string{str, text_console}, list);
            EXPECT_FALSE(file.out_of_memory());
            if (utf8 != nullptr) *utf8 = list.utf8();
            rows = walk(list);
        }
        if (piped) {
            writer.join();
            std::filesystem::remove(path);
        }
        return rows;
    }
};

TEST(Contains, FindsTheStringAnywhereCaseSensitive) {
    EXPECT_TRUE(contains("xab.", "ab"));
    EXPECT_TRUE(contains("aab.", "ab"));
    EXPECT_FALSE(contains("ba.", "ab"));
    EXPECT_TRUE(contains("aaab.", "aab"));
    EXPECT_FALSE(contains("Ab.", "ab"));
    EXPECT_TRUE(contains("end.", "d."));
    EXPECT_FALSE(contains("ab", "abc"));
    EXPECT_TRUE(contains(std::string_view("a\0b.", 4), std::string_view("\0b", 2)));
    EXPECT_TRUE(contains("\xFF\xFF.", "\xFF."));
}

TEST(Contains, StaysFastOnAHostileSentence) {
    // A comparison of the whole string at every position would take about
    // 10^10 steps here.
    std::string sentence(2'000'000, 'a');
    std::string str(100'000, 'a');
    str += 'b';
    EXPECT_FALSE(contains(sentence, str));
    sentence += "b.";
    EXPECT_TRUE(contains(sentence, str));
}

TEST(FindNext, AgreesWithAPlainSearchWhileSkippingAndAfterSwitching) {
    unsigned seed = 99;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 200; ++round) {
        // Rounds with a rare first byte keep looking at two bytes; the others switch.
        char first = round % 2 == 0 ? 'z' : 'a';
        std::string text;
        std::size_t n = next() % 3000;
        for (std::size_t i = 0; i < n; ++i) text += next() % 50 == 0 ? first : "ab"[next() % 2];
        std::string str(1, first);
        for (std::size_t i = next() % 3; i > 0; --i) str += "ab"[next() % 2];
        string_finder finder{str};
        const char* end = text.data() + text.size();
        const char* from = text.data();
        for (;;) {
            std::size_t at = std::string_view(from, static_cast<std::size_t>(end - from)).find(str);
            const char* expected = at == std::string_view::npos ? nullptr : from + at;
            const char* found = find_next(finder, from, end);
            ASSERT_EQ(found, expected) << "round " << round;
            if (found == nullptr) break;
            from = found + 1;
        }
    }
}

TEST(FindNext, GivesUpSkippingOnAHostileText) {
    // Every position has the first and the last byte of the string, and
    // each compare runs through half of it.
    std::string text(2'000'000, 'a');
    std::string half(50'000, 'a');
    std::string str = half + 'b' + half;
    string_finder finder{str};
    EXPECT_EQ(find_next(finder, text.data(), text.data() + text.size()), nullptr);
    EXPECT_TRUE(finder.linear_only);
    text += 'b' + half;
    const char* hit = find_next(finder, text.data(), text.data() + text.size());
    EXPECT_EQ(hit, text.data() + text.size() - str.size());
}

TEST(FindNext, KeepsSkippingWhereTheFirstByteIsRare) {
    std::string text(1'000'000, 'x');
    text += "needle";
    string_finder finder{std::string_view("needle")};
    EXPECT_EQ(find_next(finder, text.data(), text.data() + text.size()), text.data() + 1'000'000);
    EXPECT_FALSE(finder.linear_only);
}

TEST_F(SearchFile, RepeatedHitsLineBreakAndTailAfterTheLastFullStop) {
    std::string text = "xab. aab. ba.\naaab. xab. Tail ab";
    EXPECT_EQ(search(text, "ab", block_size), (Rows{{"xab.", 2}, {"aab.", 1}, {"\naaab.", 1}}));
    EXPECT_EQ(search(text, "aab", block_size), (Rows{{"aab.", 1}, {"\naaab.", 1}}));
    EXPECT_EQ(search(text, "Ab", block_size), Rows{});
}

TEST_F(SearchFile, LeadingSpacesAreNotPartOfTheSentence) {
    std::string text = "  a b.a b.   \n a b. \t a b.";
    EXPECT_EQ(search(text, "a b", block_size), (Rows{{"a b.", 2}, {"\n a b.", 1}, {"\t a b.", 1}}));
    // A hit that starts in the removed spaces does not count, a later one does.
    EXPECT_EQ(search("   x x.  x.", " x", block_size), (Rows{{"x x.", 1}}));
    EXPECT_EQ(search("   .", " .", block_size), Rows{});
    EXPECT_EQ(search("   .", ".", block_size), (Rows{{".", 1}}));
}

TEST_F(SearchFile, StringWithAFullStopInsideMatchesNothing) {
    EXPECT_EQ(search("ab. cd.", "b. c", block_size), Rows{});
    EXPECT_EQ(search("ab. cd.", "b.", block_size), (Rows{{"ab.", 1}}));
}

TEST_F(SearchFile, NoFullStopOrOnlyTailGivesNothing) {
    EXPECT_EQ(search("no full stop here", "here", block_size), Rows{});
    EXPECT_EQ(search("", "a", block_size), Rows{});
    EXPECT_EQ(search("one. two", "two", block_size), Rows{});
}

TEST_F(SearchFile, ByteFFAndZeroAreOrdinaryCharacters) {
    std::string text = std::string("\xFF\xFF.\xFF\xFF.a\0b.a\0c.", 14);
    EXPECT_EQ(search(text, "\xFF", block_size), (Rows{{"\xFF\xFF.", 2}}));
    EXPECT_EQ(search(text, std::string("\0", 1), block_size),
              (Rows{{std::string("a\0b.", 4), 1}, {std::string("a\0c.", 4), 1}}));
}

TEST_F(SearchFile, SentencesLongerThanTheBufferAreFoundWhole) {
    // Spaces longer than the buffer before a sentence, the string at the
    // start, the end or nowhere in a long sentence, and a long sentence
    // met twice.
    std::string big(100'000, 'w');
    std::string spaces(1000, ' ');
    std::string text =
        "a. " + big + " key." + spaces + "key " + big + "." + big + ". b key." + spaces + "key " + big + ".";
    Rows expected{{big + " key.", 1}, {"key " + big + ".", 2}, {"b key.", 1}};
    EXPECT_EQ(search(text, "key", 64), expected);
    EXPECT_EQ(search(text, "key", 64, true), expected);
}

TEST_F(SearchFile, AgreesWithTheObviousSearchAtEveryBlockSize) {
    // Small alphabet, so sentences repeat, hits cross block edges and
    // strings with spaces and full stops occur. In odd rounds full stops
    // are rare, so sentences outgrow the small buffers and hits cross the
    // places where a buffer lets go of a sentence's beginning.
    const std::string_view alphabet("ab .\na\xFF\r");
    const std::string_view no_stop("ab \na\xFF\r");
    unsigned seed = 7;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 80; ++round) {
        bool long_sentences = round % 2 == 1;
        auto pick = [&] {
            if (!long_sentences) return alphabet[next() % alphabet.size()];
            return next() % 30 == 0 ? '.' : no_stop[next() % no_stop.size()];
        };
        std::string text;
        std::size_t n = 1 + next() % 400;
        for (std::size_t i = 0; i < n; ++i) text += pick();
        std::string str;
        std::size_t m = 1 + next() % (long_sentences ? 4 : 3);
        for (std::size_t i = 0; i < m; ++i) str += pick();
        Rows expected = reference(text, str);
        for (std::size_t block : {2u, 3u, 7u, 64u, 4096u})
            for (bool piped : {false, true})
                ASSERT_EQ(search(text, str, block, piped), expected)
                    << "round " << round << " block " << block << " piped " << piped << " str \"" << str
                    << "\"";
    }
}

TEST_F(SearchFile, CrLfIsOneLineBreakAndByte1AEndsTheText) {
    // A CR LF read across the edge of a block, inside a sentence and
    // between sentences; a CR alone stays.
    for (std::size_t block : {std::size_t{2}, std::size_t{3}, std::size_t{7}, block_size})
        for (bool piped : {false, true}) {
            EXPECT_EQ(search("Mama\r\nmyla ramu. Papa. Mama\nmyla ramu.\r\n", "myla", block, piped),
                      (Rows{{"Mama\nmyla ramu.", 2}}));
            EXPECT_EQ(search("a\rb. a\r\r\nb.", "\r", block, piped), (Rows{{"a\rb.", 1}, {"a\r\nb.", 1}}));
            EXPECT_EQ(search("one x. two x.\x1A three x.", "x", block, piped),
                      (Rows{{"one x.", 1}, {"two x.", 1}}));
        }
    // A string ending in a CR seen in the bytes of a long sentence whose CR
    // LF is then one line break.
    std::string big(5000, 'w');
    EXPECT_EQ(search(big + "a\r\n" + big + ".", "a\r", 64), Rows{});
}

// Where the console knows characters the string comes as UTF-8, and each
// text is searched in its own encoding.
TEST_F(SearchFile, EncodingIsDecidedFromTheTextAlone) {
    const std::string mir = "мир";
    const std::string mir_cp1251 = con::utf8_to_cp1251(mir);
    const std::string bom = "\xEF\xBB\xBF";
    // A Windows-1251 text whose first non-ASCII byte comes after pages of
    // ASCII, in a block of its own.
    const std::string late_cp1251 = std::string(20000, 'a') + ". " + mir_cp1251 + " x? y.";
    // Valid sequences a hundred times as many as the stray bytes (one a
    // Windows-1251 letter pasted in), and a last character cut short.
    std::string many;
    for (int i = 0; i < 50; ++i) many += "Да " + mir + ". ";
    const std::string mostly_utf8 = many + "x\xE4 " + mir + ". " + mir + "\xD0";
    const std::string marked = bom + "Hello " + mir + ". Bye. " + mir + ".";
    for (std::size_t block : {std::size_t{2}, std::size_t{7}, std::size_t{4096}, block_size})
        for (bool piped : {false, true}) {
            SCOPED_TRACE(testing::Message() << "block " << block << " piped " << piped);
            bool utf8 = false;
            // The mark is no part of the first sentence.
            EXPECT_EQ(search(marked, mir, block, piped, true, &utf8),
                      (Rows{{"Hello " + mir + ".", 1}, {mir + ".", 1}}));
            EXPECT_TRUE(utf8);
            EXPECT_EQ(search(bom + "a. \xFF.", "a", block, piped, true, &utf8), (Rows{{"a.", 1}}));
            EXPECT_TRUE(utf8);
            EXPECT_EQ(search(late_cp1251, mir, block, piped, true, &utf8),
                      (Rows{{mir_cp1251 + " x? y.", 1}}));
            EXPECT_FALSE(utf8);
            // A character that Windows-1251 lacks is no question mark there.
            EXPECT_EQ(search(late_cp1251, "日", block, piped, true, &utf8), Rows{});
            EXPECT_EQ(search(late_cp1251, "x?", block, piped, true, &utf8),
                      (Rows{{mir_cp1251 + " x? y.", 1}}));
            EXPECT_EQ(search(mostly_utf8, mir, block, piped, true, &utf8),
                      (Rows{{"Да " + mir + ".", 50}, {"x\xE4 " + mir + ".", 1}}));
            EXPECT_TRUE(utf8);
            // A few characters are enough, and a cut one at the end does not count.
            EXPECT_EQ(search("a. " + mir + ". b.\xD0", "b", block, piped, true, &utf8), (Rows{{"b.", 1}}));
            EXPECT_TRUE(utf8);
            EXPECT_EQ(search("a. b.\xD0", "b", block, piped, true, &utf8), (Rows{{"b.", 1}}));
            EXPECT_FALSE(utf8);
            // Where the console passes bytes only, a UTF-8 text is bytes, mark and all.
            EXPECT_EQ(search(bom + "a. b.", "a", block, piped, false, &utf8), (Rows{{bom + "a.", 1}}));
            EXPECT_FALSE(utf8);
        }
}

// The decision counted over the whole text at once: valid sequences of two
// to four bytes against stray bytes, a sequence cut by the end not counted.
bool reference_utf8(const std::string& text) {
    std::size_t sequences = 0;
    std::size_t stray = 0;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t len = con::utf8_sequence(std::string_view(text).substr(i));
        if (len == 0) {
            // A cut sequence at the very end: completed with continuation
            // bytes it would be valid.
            bool cut = false;
            for (const char* tail : {"\x80", "\x80\x80", "\x80\x80\x80", "\xA0\x80\x80", "\x90\x80\x80"})
                cut = cut || con::utf8_sequence(text.substr(i) + tail) > text.size() - i;
            if (cut) break;
            ++stray;
            len = 1;
        }
        sequences += len > 1 ? 1 : 0;
        i += len;
    }
    return sequences > 0 && sequences >= 100 * stray;
}

TEST_F(SearchFile, EncodingDecisionIsTheSameHoweverTheTextIsRead) {
    // Valid sequences of every length, stray bytes and cut sequences, in
    // texts near the margin, read in pieces that cut them anywhere.
    const std::string pieces[] = {"ж", "日", "\xF0\x9F\x98\x80", "a", ". ", "\xE4", "\xE6\x97", "\xBF"};
    unsigned seed = 11;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 40; ++round) {
        std::string text;
        std::size_t n = 100 + next() % 400;
        for (std::size_t i = 0; i < n; ++i) {
            std::size_t k = next() % 1000;
            text += k < 990 ? pieces[k % 5] : pieces[5 + k % 3];
        }
        if (round % 3 == 0) text += "\xF0\x9F\x98";
        bool expected = reference_utf8(text);
        for (std::size_t block : {std::size_t{2}, std::size_t{3}, std::size_t{5}, block_size})
            for (bool piped : {false, true}) {
                bool utf8 = !expected;
                search(text, "a", block, piped, true, &utf8);
                ASSERT_EQ(utf8, expected) << "round " << round << " block " << block << " piped " << piped;
            }
    }
    // A regular file's text is told in pieces of 64 KiB: a character across
    // two of them counts once, so with one stray byte the hundred
    // sequences are just enough.
    std::string text = std::string(65535, 'a') + "ж. ";
    for (int i = 0; i < 99; ++i) text += "ж";
    text += "\xE4.";
    ASSERT_TRUE(reference_utf8(text));
    bool utf8 = false;
    search(text, "a", block_size, false, true, &utf8);
    EXPECT_TRUE(utf8);
}

// Russian text as Windows-1251 writes it: capitals, ё and Ё, quotation
// marks, dashes and the numero sign, whose bytes now and then pair into
// valid UTF-8 (СЁ is D1 A8, О» is CE BB).
std::string russian_cp1251(std::size_t least) {
    const std::string sentences[] = {
        "«ВСЁ ЕЩЁ ВПЕРЕДИ», — сказал он, и ЁЖИК ушёл в лес. ",
        "Ёлка стояла в углу; её зелёные ветки пахли смолой — как в детстве. ",
        "ВНИМАНИЕ! Поезд № 7 отправляется с пути «СЕВЕР». ",
        "Она прочла «ВОЙНУ И МИР» ещё зимой, а весной — «ОБЛОМОВА». ",
        "Чёрный кот, ПОЧЁТНЫЙ ЖИТЕЛЬ ДВОРА, спал на тёплой крыше.\r\n",
        "Мёд, лёд и ЁРШ — «слова с буквой Ё»: их пишут через «ё». ",
    };
    std::string text;
    for (std::size_t i = 0; text.size() < least; ++i) text += con::utf8_to_cp1251(sentences[i % 6]);
    return text;
}

TEST_F(SearchFile, Windows1251RussianTextIsNeverTakenForUtf8) {
    std::string text = russian_cp1251(400'000);
    for (bool piped : {false, true}) {
        bool utf8 = true;
        Rows rows = search(text, "ВСЁ ЕЩЁ", block_size, piped, true, &utf8);
        EXPECT_FALSE(utf8);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].first, con::utf8_to_cp1251("«ВСЁ ЕЩЁ ВПЕРЕДИ», — сказал он, и ЁЖИК ушёл в лес."));
        // The same text in UTF-8, cut in its last character, is UTF-8.
        std::string utf8_text = con::cp1251_to_utf8(text.substr(0, 100'000));
        search(utf8_text.substr(0, utf8_text.size() - 1), "ЁЖИК", block_size, piped, true, &utf8);
        EXPECT_TRUE(utf8);
    }
}

// A UTF-16 text, either byte order, is read as UTF-8 on every console: CR
// LF is one line break, U+001A ends the text, a surrogate pair is one
// character and half of one is U+FFFD.
TEST_F(SearchFile, Utf16TextIsSearchedAsUtf8) {
    auto utf16 = [](std::u16string_view text, bool big_endian) {
        std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t unit : text) {
            auto high = static_cast<char>(unit >> 8);
            auto low = static_cast<char>(unit & 0xFF);
            bytes += big_endian ? high : low;
            bytes += big_endian ? low : high;
        }
        return bytes;
    };
    const std::u16string text = u"Мама\r\nмыла раму. К\U0001F600 мыла. \xD800мыла.\x1A Тут мыла.";
    const Rows expected{{"Мама\nмыла раму.", 1}, {"К\U0001F600 мыла.", 1}, {"\xEF\xBF\xBDмыла.", 1}};
    for (std::size_t block : {std::size_t{2}, std::size_t{7}, block_size})
        for (bool piped : {false, true})
            for (bool big_endian : {false, true}) {
                SCOPED_TRACE(testing::Message()
                             << "block " << block << " piped " << piped << " be " << big_endian);
                bool utf8 = false;
                EXPECT_EQ(search(utf16(text, big_endian), "мыла", block, piped, true, &utf8), expected);
                EXPECT_TRUE(utf8);
                // From a console of bytes, the string is Windows-1251.
                EXPECT_EQ(
                    search(utf16(text, big_endian), con::utf8_to_cp1251("мыла"), block, piped, false, &utf8),
                    expected);
                EXPECT_EQ(search(utf16(text, big_endian), "\x98", block, piped, false, &utf8), Rows{});
            }
}

TEST_F(SearchFile, DirectoryOrMissingFileDoesNotOpen) {
    text_file file;
    EXPECT_FALSE(file.open(dir_.string()));
    EXPECT_FALSE(file.is_open());
    EXPECT_FALSE(file.open(dir_.string() + "/missing.txt"));
    EXPECT_FALSE(file.open(make_file("a.") + std::string("\0x", 2)));
    EXPECT_TRUE(file.open(make_file("a.")));
}

} // namespace
} // namespace linefind
