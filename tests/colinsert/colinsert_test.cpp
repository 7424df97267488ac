#include "colinsert.h"

#include "support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// A request the system cannot meet must come back as a null pointer here,
// as it does without the sanitizer, instead of stopping the test.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }
#endif

namespace {

using Matrix = std::vector<std::vector<int>>;

// The insertion entry by entry: every column from the right end down to
// k+1 takes its left neighbour's values, then column k takes the column.
Matrix shift_by_columns(Matrix m, const std::vector<int>& col, int k) {
    int n = static_cast<int>(m.size());
    for (auto& row : m) row.push_back(-777); // the enlarged row's unset slot
    for (int j = n; j > k; --j)
        for (int i = 0; i < n; ++i) m[i][j] = m[i][j - 1];
    for (int i = 0; i < n; ++i) m[i][k] = col[i];
    return m;
}

Matrix read_back(int** mas, int n, int cols) {
    Matrix m(n);
    for (int i = 0; i < n; ++i) m[i].assign(mas[i], mas[i] + cols);
    return m;
}

TEST(InsertColumn, MatchesColumnByColumnShiftForEveryPosition) {
    std::mt19937 rng(12345);
    std::uniform_int_distribution<int> value(-1000, 1000);
    for (int n = 1; n <= 9; ++n) {
        for (int k = 0; k <= n; ++k) {
            Matrix m(n, std::vector<int>(n));
            std::vector<int> col(n);
            int** mas = colinsert::alloc_rows(n);
            int* stolbec = colinsert::alloc_column(n);
            ASSERT_NE(mas, nullptr);
            ASSERT_NE(stolbec, nullptr);
            for (int i = 0; i < n; ++i) {
                for (int j = 0; j < n; ++j) mas[i][j] = m[i][j] = value(rng);
                stolbec[i] = col[i] = value(rng);
            }
            ASSERT_TRUE(colinsert::enlarge_rows(mas, n, static_cast<std::size_t>(n) + 1));
            colinsert::insert_column(mas, n, stolbec, k);
            EXPECT_EQ(read_back(mas, n, n + 1), shift_by_columns(m, col, k)) << "n=" << n << " k=" << k;
            colinsert::free_pass(stolbec, mas, n);
        }
    }
}

TEST(Allocation, BlocksStartZeroFilled) {
    const int n = 37;
    int** mas = colinsert::alloc_rows(n);
    int* stolbec = colinsert::alloc_column(n);
    ASSERT_NE(mas, nullptr);
    ASSERT_NE(stolbec, nullptr);
    for (int i = 0; i < n; ++i) {
        EXPECT_EQ(stolbec[i], 0);
        for (int j = 0; j < n; ++j) EXPECT_EQ(mas[i][j], 0) << i << "," << j;
    }
    colinsert::free_pass(stolbec, mas, n);
}

TEST(Allocation, EnlargingKeepsTheValues) {
    const int n = 5;
    int** mas = colinsert::alloc_rows(n);
    ASSERT_NE(mas, nullptr);
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) mas[i][j] = i * 100 + j;
    ASSERT_TRUE(colinsert::enlarge_rows(mas, n, 4000)); // large enough to move the rows
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) EXPECT_EQ(mas[i][j], i * 100 + j);
    colinsert::free_pass(nullptr, mas, n);
}

TEST(Allocation, ImpossibleRowSizeIsRefusedAndTheMatrixStaysReleasable) {
    const int n = 3;
    int** mas = colinsert::alloc_rows(n);
    ASSERT_NE(mas, nullptr);
    mas[2][2] = 42;
    // Bytes that overflow the allocation size, then bytes no system has.
    EXPECT_FALSE(colinsert::enlarge_rows(mas, n, SIZE_MAX / 2));
    EXPECT_FALSE(colinsert::enlarge_rows(mas, n, std::size_t{1} << 60));
    EXPECT_EQ(mas[2][2], 42);
    colinsert::free_pass(nullptr, mas, n); // the leak check sees every row released
}

std::string dialogue(std::string_view input) { return test_support::dialogue(colinsert::run, input); }

const std::string full_input = "2\n1 2\n3\n4\n5 6\n9\n-1\n1\nY\n1\n7\n8\n0\nN\n";

TEST(Dialogue, PositionOutsideTheRowsIsAskedAgainWithoutPrompt) {
    std::string out = dialogue(full_input);
    const std::string error = "Eror, vvedenno nedopyctimoe znachenie\n";
    std::size_t at = out.find("Vvedite k=");
    ASSERT_NE(at, std::string::npos);
    // 9 and -1 are both refused, then 1 is taken.
    const std::string expected = "Vvedite k=" + error + error + "Rezultat:\n\n  1  5  2\n  3  6  4" +
                                 "\nReturn?\n Y/N?\nVvedite razmer mas = ";
    EXPECT_EQ(out.substr(at, expected.size()), expected);
    EXPECT_NE(out.find("Rezultat:\n\n  8  7\nReturn?\n Y/N?\n"), std::string::npos) << out;
}

TEST(Dialogue, EmptyMatrixTakesAnyPosition) {
    EXPECT_EQ(dialogue("-5\n12345\nn\n"),
              "Vvedite razmer mas = Vvod elementov mas:\nVvedennaya matrica:\nVvod elementov stolbca\n"
              "Vash stolbec:\nVvedite k=Rezultat:\n\nReturn?\n Y/N?\n");
}

} // namespace
