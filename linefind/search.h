// Reading the searched file as sentences and handing those that contain
// the searched string to the sentence list.
//
// The file is read in binary on every system and taken as a text the way
// the Windows text-mode read takes it: a CR LF pair is one line break, and
// the character 0x1A ends the text.
//
// How the text is written is decided from the file alone. A byte order mark
// FF FE or FE FF makes it UTF-16 (little or big end first) on every console.
// Where the console knows characters, a mark EF BB BF makes it UTF-8, and so
// does the rule of the search's UTF-8 tally (its valid multi-byte sequences
// far outnumber its stray bytes); any other text is Windows-1251. Where the
// console passes bytes only, every text but UTF-16 is searched as the bytes
// it holds. A mark is no part of the first sentence.
#pragma once

#include "sentences.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace linefind {

// True when str occurs in sentence, byte for byte, letter case significant.
bool contains(std::string_view sentence, std::string_view str);

inline constexpr std::size_t block_size = std::size_t{1024} * 1024;

// The searched string as the console gave it.
struct typed_string {
    std::string_view text;
    // text is UTF-8, from a console that knows characters; otherwise it is
    // the bytes of a console that passes bytes only, searched as they stand
    // (Windows-1251, converted for a UTF-16 text).
    bool utf8 = false;
};

// The searched file, open for reading, and the bytes read from it that are
// not yet taken as sentences.
//
// A regular file can be read again at any offset, so the buffer is a window
// of fixed size: a sentence that outgrows it is dropped from it as it is
// read, and read back from the file only when it turns out to match. Other
// files (pipes, FIFOs, devices), and UTF-16 texts, which are converted as
// they are read, are not read again; for them the buffer grows to keep the
// whole sentence being read.
class text_file {
public:
    text_file();
    ~text_file();
    text_file(const text_file&) = delete;
    text_file& operator=(const text_file&) = delete;
    text_file(text_file&&) = delete;
    text_file& operator=(text_file&&) = delete;

    // Opens name for reading and reads its first block. False, with nothing
    // left open, when it cannot be opened or cannot be read (a directory,
    // say), and also when there is no memory for the buffer:
    // out_of_memory() then tells that apart from a file that is not there.
    bool open(const std::string& name, std::size_t block = block_size);
    // Whether memory ran out in open or in the search, which then stopped.
    [[nodiscard]] bool out_of_memory() const;
    [[nodiscard]] bool is_open() const;

    struct reader;

private:
    std::unique_ptr<reader> reader_;
    friend void search(text_file& file, typed_string str, sentence_list& list);
};

// Reads the rest of the file as sentences and adds those that contain str
// to the list; text after the last full stop is dropped. The string is
// searched in the form of the text; a character that the text's encoding
// cannot hold occurs in no sentence. list.utf8() tells that the sentences
// are UTF-8 (a UTF-8 text, or a UTF-16 one converted). When memory runs out
// the search stops there and file.out_of_memory() is set; the list is then
// not the whole answer.
void search(text_file& file, typed_string str, sentence_list& list);

// Finds the searched string in the text. Where its first and last bytes
// rarely stand at its distance apart in the text, a pass that looks only at
// those two bytes (blk::find_byte_pair) goes over the text far faster than a
// linear search: the rare word over 10,000,000 sentences takes 0.04 s of CPU
// against 0.10 s with glibc's memmem alone, the frequent one 0.21 s against
// 0.26 s (/usr/bin/time, 5 runs). Once false
// candidates cost more than the bytes passed, the linear search takes over
// for good, so the search stays linear.
struct string_finder {
    std::string_view str;
    std::ptrdiff_t credit = 4096;
    bool linear_only = false;
};

// The first occurrence of finder.str in [from, end), or null.
const char* find_next(string_finder& finder, const char* from, const char* end);

} // namespace linefind
