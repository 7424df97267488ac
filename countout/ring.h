// The ring of soldiers: the record, the reads that fill it, its listing and
// its release.
#pragma once

#include "console.h"

#include <cstdint>

namespace countout {

// A name takes at most 9 characters of a typed line, and a character may
// be a UTF-8 sequence of up to 4 bytes.
inline constexpr int name_chars = 10;

// One soldier. Soldiers are numbered from the ring's head along next
// (head = 1); the number is not stored.
struct soldier {
    char name[name_chars * 4]; // as typed, zero-terminated, at most 8 visible characters
    soldier* prev;             // left-hand neighbour, the next lower number
    soldier* next;             // right-hand neighbour, the next higher number
};

// Soldiers are cut from blocks of 2 MB rather than taken from the heap one by
// one: a ring of a million then lies densely in ring order, and no allocator
// call is made per soldier. new_soldier gives a fresh record (null when
// memory runs out), free_soldier gives one back.
soldier* new_soldier();
void free_soldier(soldier* s);

// Reads a whole number of at least 1 into a variable holding value; an answer
// that converts nothing leaves value as it was. Asks again after the error
// text while the variable holds less than 1. Returns the accepted value, or 0
// when input ends.
std::int32_t read_positive(con::console& c, std::int32_t value);

// The same for a number from 1 to most.
std::int32_t read_up_to(con::console& c, std::int32_t value, std::int32_t most);

// Fills s.name from a fresh typed line: at most 9 characters are taken and
// the last one taken gives way to the terminating zero (under a UTF-8 locale
// a character is a whole UTF-8 sequence, never cut). An empty line is
// asked for again. False when input ends.
bool read_name(con::console& c, soldier& s);

// Asks for count names (count >= 1) and returns the head of a new ring of
// that many soldiers. Returns null, with nothing left allocated, when input
// ends or memory runs out.
soldier* build_ring(con::console& c, std::int32_t count);

// Lists the ring from its head, one "\n<number>\t<name>" per soldier.
void print_ring(con::console& c, const soldier* head);

// The left-hand neighbour for 'l', the right-hand one for 'r'.
soldier* step_dir(soldier* s, char direction);

// Frees every soldier of the ring that holds s.
void free_ring(soldier* s);

} // namespace countout
