// The student record, the record array and the file students.dat.
#pragma once

#include "console.h"
#include "cp1251.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <type_traits>

namespace studentdb {

using con::operator""_cp;

// One layout for memory and disk: students.dat holds these 48 bytes as they
// are, so a file moves between systems unchanged.
struct student {
    char name[20];   // Windows-1251, zero-terminated
    char street[20]; // Windows-1251, zero-terminated
    std::int32_t house;
    std::int32_t flat;
};

inline constexpr std::size_t record_size = 48;
inline constexpr std::size_t text_size = 20;

static_assert(sizeof(student) == record_size);
static_assert(offsetof(student, name) == 0);
static_assert(offsetof(student, street) == 20);
static_assert(offsetof(student, house) == 40);
static_assert(offsetof(student, flat) == 44);
static_assert(std::is_trivially_copyable_v<student>);
static_assert(std::endian::native == std::endian::little, "the file stores little-endian numbers");

// The text of a field: up to its terminating zero, or all 20 bytes when a
// file gave it none.
std::string_view text_of(const char (&field)[text_size]);
// Stores typed text in a field: at most 19 characters (it ends at a zero
// byte, if it holds one); the rest of the field is zero-filled.
void set_text(char (&field)[text_size], std::string_view typed);

// The array is held as the plain pointer and count of the dialogue; its
// allocation grows geometrically so that adding a million records does not
// copy the array a million times. For a count n the allocation always holds
// at least capacity_for(n) records, so the capacity never needs storing.
std::size_t capacity_for(std::int32_t n);
// Shown when the array cannot be had or enlarged.
inline constexpr std::string_view no_memory = "Ошибка!\n"_cp;
// Makes room for record number n (0-based) of an array that holds n
// records: allocates the first record zero-filled, or enlarges when the
// allocation is full. Returns the array, or nullptr when memory ran out (the
// old array is then untouched).
student* make_room(student* a, std::int32_t n);

// An array with room for count records (count >= 1), not zero-filled, to
// be freed with free; null when memory ran out. A large one is put in pages
// of 2 MB where the system offers them: filling a million records then
// takes a few dozen page faults instead of one per 4 KB.
student* alloc_records(std::size_t count);

// Opens students.dat for reading when it is a regular file, or a link to
// one. Null when it is missing or unreadable, and for a directory, a FIFO or
// a device, which hold no records; the open never waits. absent tells, with
// null, that there is no such file at all.
std::FILE* open_students_file(bool& absent);

// What the load saw of students.dat. A save replaces or rewrites the file
// only where the load found no such file or read it whole: records the load
// could not read, which the user has never seen, would otherwise be lost.
enum class file_seen {
    absent, // no such file
    whole,  // read to its end
    unread, // there but not read whole: not readable, a read error, no memory
};

// Loads every complete record of students.dat. Returns the array, or
// nullptr for the empty collection; *num_d is written only with a non-null
// array, *seen always.
student* load_students(con::console& c, std::int32_t* num_d, file_seen* seen);
// Replaces students.dat with the records of the array; when students.dat is
// a symbolic link, the file it leads to is replaced and the link stays.
// Either the whole new content is in place or, after "\nEror!", the old
// file is as it was. seen is what the load saw: a file it could not read
// whole is never written, and the save fails as a failed open does.
void save_students(con::console& c, const student* a, std::int32_t num_d, file_seen seen);
// The save without its message: true when students.dat was replaced.
bool write_students_file(const student* a, std::int32_t num_d);

} // namespace studentdb
