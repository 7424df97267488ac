// Reading the searched file as sentences and collecting those that contain
// the searched string.
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
// yet taken as sentences.
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
    bool at_end = false;        // end of file, or a read error, was met
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

// Finds the searched string in the text. Where its first byte is rare in the
// text, memchr passes over the bytes far faster than memmem scans them; once
// false candidates cost more than the bytes passed, memmem takes over for
// good, so the search stays linear.
struct string_finder {
    std::string_view str;
    std::ptrdiff_t credit = 4096;
    bool use_memmem = false;
};

// The first occurrence of finder.str in [from, end), or null.
const char* find_next(string_finder& finder, const char* from, const char* end);

// Takes every complete sentence of data[0, n), which must end with a full
// stop, and adds those that contain the string to the list. Returns the head.
sentence_node* collect_sentences(const char* data, std::size_t n, string_finder& finder,
                                 sentence_index& index, sentence_node* head);

// Reads the rest of the file as sentences, adding those that contain str to
// the list; text after the last full stop is dropped. Returns the head.
// When memory runs out the search stops there and sets file.out_of_memory;
// the list, the index and the file are then whole, to be freed and closed.
sentence_node* search_file(text_file& file, std::string_view str, sentence_index& index, sentence_node* head);

} // namespace linefind
