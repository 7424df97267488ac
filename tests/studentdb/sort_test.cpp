#include "cp1251.h"
#include "scratch.h"
#include "studentdb.h"

#include <random>

namespace studentdb_test {
namespace {

using con::operator""_cp;
using studentdb::sort_by_name;
using studentdb::sort_by_street;
using studentdb::text_of;

// A plain exchange sort by the key's first byte, compared as a signed
// value; it only swaps neighbours that are out of order, so records with
// equal first bytes keep their order, which is what the program's sorts
// must give too.
void bubble_by(std::vector<student>& a, bool by_name) {
    std::size_t n = a.size();
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = n - 1; j > i; --j) {
            auto key = [by_name](const student& s) {
                return static_cast<signed char>(by_name ? s.name[0] : s.street[0]);
            };
            if (key(a[j - 1]) > key(a[j])) std::swap(a[j - 1], a[j]);
        }
    }
}

std::vector<std::string> names(const std::vector<student>& a) {
    std::vector<std::string> out;
    out.reserve(a.size());
    for (const auto& s : a) out.emplace_back(text_of(s.name));
    return out;
}

std::vector<student> random_records(std::mt19937& gen, std::size_t n) {
    // First bytes from both halves of the signed range, the zero of an
    // empty text included, so that the sign of the comparison matters.
    const char firsts[] = {'\x80', '\xA8', '\xB8', '\xC0', '\xDF', '\xE0',
                           '\xFF', '\0',   '1',    'A',    'a',    '\x7F'};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof firsts - 1);
    std::vector<student> a;
    for (std::size_t i = 0; i < n; ++i) {
        student s{};
        s.name[0] = firsts[pick(gen)];
        s.street[0] = firsts[pick(gen)];
        if (s.name[0] != '\0') s.name[1] = 'x';
        s.house = static_cast<std::int32_t>(i); // tells equal keys apart
        s.flat = static_cast<std::int32_t>(gen());
        a.push_back(s);
    }
    return a;
}

TEST(sorts, MatchExchangeSortOnRandomRecords) {
    std::mt19937 gen(12345);
    for (std::size_t n : {0u, 1u, 2u, 3u, 17u, 200u, 1000u}) {
        for (bool by_name : {true, false}) {
            std::vector<student> a = random_records(gen, n);
            std::vector<student> expected = a;
            bubble_by(expected, by_name);
            (by_name ? sort_by_name : sort_by_street)(a.data(), static_cast<std::int32_t>(n));
            ASSERT_EQ(a.size(), expected.size());
            if (n > 0) {
                EXPECT_EQ(std::memcmp(a.data(), expected.data(), n * sizeof(student)), 0)
                    << "n=" << n << " by_name=" << by_name;
            }
        }
    }
}

TEST(sorts, CyrillicBeforeLatinByFirstLetterOnly) {
    std::vector<student> a = {make_student("Петров"_cp, "x"), make_student("Иванов"_cp, "x"),
                              make_student("Smith", "x"), make_student("Ангелов"_cp, "x")};
    sort_by_name(a.data(), 4);
    EXPECT_EQ(names(a), (std::vector<std::string>{std::string("Ангелов"_cp), std::string("Иванов"_cp),
                                                  std::string("Петров"_cp), "Smith"}));
}

TEST(sorts, EqualFirstLettersKeepTheirOrder) {
    std::vector<student> a = {make_student("Ильин"_cp, "x"), make_student("Иванов"_cp, "x")};
    sort_by_name(a.data(), 2);
    EXPECT_EQ(names(a), (std::vector<std::string>{std::string("Ильин"_cp), std::string("Иванов"_cp)}));
}

TEST(sorts, SignedOrderOfLetterGroups) {
    std::vector<student> a = {make_student("a", "1"),    make_student("", "2"),     make_student("а"_cp, "3"),
                              make_student("Я"_cp, "4"), make_student("Ё"_cp, "5"), make_student("ё"_cp, "6"),
                              make_student("A", "7"),    make_student("9", "8")};
    sort_by_name(a.data(), 8);
    EXPECT_EQ(names(a),
              (std::vector<std::string>{std::string("Ё"_cp), std::string("ё"_cp), std::string("Я"_cp),
                                        std::string("а"_cp), "", "9", "A", "a"}));
}

TEST(sorts, StreetSortMovesWholeRecords) {
    std::vector<student> a = {make_student("one", "Zeta", 1, 10), make_student("two", "Альфа"_cp, 2, 20)};
    sort_by_street(a.data(), 2);
    EXPECT_EQ(text_of(a[0].name), "two");
    EXPECT_EQ(a[0].house, 2);
    EXPECT_EQ(a[0].flat, 20);
    EXPECT_EQ(text_of(a[1].street), "Zeta");
}

} // namespace
} // namespace studentdb_test
