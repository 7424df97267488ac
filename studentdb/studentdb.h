// The student menu: sorts, search of the file, addition and listing.
#pragma once

#include "console.h"
#include "student.h"

#include <cstdint>

namespace studentdb {

// Stable orders by the first byte of name or street, compared as a signed
// 8-bit value (so Windows-1251 letters come before ASCII).
void sort_by_name(student* a, std::int32_t num_d);
void sort_by_street(student* a, std::int32_t num_d);

// Asks for a name and returns the first record of students.dat holding it
// (never the array: only saved records are found). A record with an empty
// name means none was found.
student find_student(con::console& c);

// Adds students typed by the person until the continue question is not
// answered with д. Returns the array, which may have moved.
student* add_students(con::console& c, student* a, std::int32_t* num_d);

// The listing: a header and one row per record, or "Студентов нет!".
void print_students(con::console& c, const student* a, std::int32_t num_d);

// The whole dialogue; returns the exit status.
int run(con::console& c);

} // namespace studentdb
