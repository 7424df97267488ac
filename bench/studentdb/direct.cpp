// The two sorts as the dialogue describes them, for timing against studentdb
// on the same students.dat: a bubble sort on the first byte of the name, then
// one on the first byte of the street, exchanging one whole record at a time,
// each followed by the listing; then the listing once more and the save.
// Reads and writes students.dat in the working directory.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct student {
    char name[20];
    char street[20];
    std::int32_t house;
    std::int32_t flat;
};
static_assert(sizeof(student) == 48);

void sort_by_name(student* a, int n) {
    for (int i = 0; i < n; ++i)
        for (int j = n - 1; j > i; --j)
            if (static_cast<signed char>(a[j - 1].name[0]) > static_cast<signed char>(a[j].name[0])) {
                student k = a[j - 1];
                a[j - 1] = a[j];
                a[j] = k;
            }
}

void sort_by_street(student* a, int n) {
    for (int i = 0; i < n; ++i)
        for (int j = n - 1; j > i; --j)
            if (static_cast<signed char>(a[j - 1].street[0]) > static_cast<signed char>(a[j].street[0])) {
                student k = a[j - 1];
                a[j - 1] = a[j];
                a[j] = k;
            }
}

void print_students(const student* a, int n) {
    std::printf("Студенты:\n             Студент               Улица  Дом  Квартира");
    for (int i = 0; i < n; ++i)
        std::printf("\n%20s%20s%5d%10d", a[i].name, a[i].street, a[i].house, a[i].flat);
}

} // namespace

int main() {
    std::FILE* f = std::fopen("students.dat", "rb");
    if (f == nullptr) return 1;
    int n = 0;
    student* a = nullptr;
    student record;
    while (std::fread(&record, sizeof record, 1, f) == 1) {
        a = static_cast<student*>(std::realloc(a, sizeof(student) * static_cast<std::size_t>(n + 1)));
        a[n++] = record;
    }
    std::fclose(f);
    sort_by_name(a, n);
    print_students(a, n);
    sort_by_street(a, n);
    print_students(a, n);
    print_students(a, n);
    f = std::fopen("students.dat", "wb");
    if (f == nullptr) return 1;
    for (int i = 0; i < n; ++i) std::fwrite(&a[i], sizeof(student), 1, f);
    std::fclose(f);
    std::free(a);
    return 0;
}
