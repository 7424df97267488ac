// Reading the searched file as sentences and handing those that contain
// the searched string to the sentence list.
//
// The file is read in binary on every system and taken as a text the way
// the Windows text-mode read takes it: a CR LF pair is one line break, and
// the byte 0x1A ends the text.
#pragma once

#include "sentences.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace linefind {

// True when str occurs in sentence, byte for byte, letter case significant.
bool contains(std::string_view sentence, std::string_view str);

// The searched file, read in large blocks. data holds the bytes read and not
// yet taken as sentences, as they are in the file.
//
// A regular file can be read again at any offset, so the buffer is a window
// of fixed size: a sentence that outgrows it is dropped from it as it is
// read, and read back from the file only when it turns out to match. Other
// files (pipes, FIFOs, devices) cannot be read again; for them the buffer
// grows to keep the whole sentence being read.
struct text_file {
    int fd = -1;
    char* data = nullptr;
    std::size_t size = 0;
    std::size_t capacity = 0;
    bool at_end = false;        // end of the text (the file, a read error or the byte 0x1A) was met
    bool rereadable = false;    // a regular file
    std::uint64_t offset = 0;   // the file offset of data[0]
    bool out_of_memory = false; // see open_text_file and search_file
};

inline constexpr std::size_t block_size = std::size_t{1024} * 1024;

// Opens name for reading and reads its first block. False, with nothing left
// open, when it cannot be opened or cannot be read (a directory, say), and
// also when there is no memory for the buffer: file.out_of_memory then tells
// that apart from a file that is not there.
bool open_text_file(text_file& file, const std::string& name, std::size_t block = block_size);
void close_text_file(text_file& file);

// Finds the searched string in the text. Where its first and last bytes
// rarely stand at its distance apart in the text, a pass that looks only at
// those two bytes goes over the text far faster than memmem scans it; once
// false candidates cost more than the bytes passed, memmem takes over for
// good, so the search stays linear.
struct string_finder {
    std::string_view str;
    std::ptrdiff_t credit = 4096;
    bool use_memmem = false;
};

// The first occurrence of finder.str in [from, end), or null.
const char* find_next(string_finder& finder, const char* from, const char* end);

// Reads the rest of the file as Windows-1251 sentences (every byte a
// character) and adds those that contain str to the list; text after the
// last full stop is dropped. When memory runs out the search stops there and
// sets file.out_of_memory; the list and the file are then whole, to be freed
// and closed.
void search_file(text_file& file, std::string_view str, sentence_list& list);

// The search of a UTF-8 console. A file that is valid UTF-8 throughout, after
// an optional byte order mark (EF BB BF, no part of the first sentence), is
// searched as UTF-8 for utf8_str, and list.utf8 is set; any other file as
// Windows-1251 for cp1251_str. A regular file is checked first, in a read of
// its own; a pipe is searched both ways at once, as long as it may still be
// UTF-8, and decided at its end. Memory runs out as in search_file.
void search_either_encoding(text_file& file, std::string_view cp1251_str, std::string_view utf8_str,
                            sentence_list& list);

} // namespace linefind
