// Writes the benchmark's text file: N sentences of two to five words in
// Windows-1251, ended by a full stop and a space or a line break. One word
// in about ten thousand is the rare word "сокол", so a search for it finds a
// thousand or so sentences, while "вода" is about one word in forty.
//
//   gen N FILE
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::uint64_t state = 0x9E3779B97F4A7C15u;

std::uint32_t next_random() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<std::uint32_t>(state >> 11);
}

// Russian words in Windows-1251 (written as their UTF-8 forms converted below).
const char* const words_utf8[] = {
    "дом",  "лес",   "река",  "гора",  "поле",  "вода",  "снег",  "дождь", "ветер",  "небо",
    "море", "город", "улица", "окно",  "дверь", "стол",  "книга", "лист",  "мама",   "папа",
    "кот",  "пёс",   "сад",   "мост",  "день",  "ночь",  "свет",  "тень",  "огонь",  "камень",
    "мыла", "раму",  "читал", "пишет", "видит", "знает", "стоит", "идёт",  "дорога", "солнце",
};

std::string to_cp1251(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        unsigned cp = ((b & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        if (cp == 0x451)
            out += static_cast<char>(0xB8); // ё
        else
            out += static_cast<char>(0xC0 + (cp - 0x410));
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen N FILE\n");
        return 2;
    }
    long n = std::atol(argv[1]);
    std::FILE* out = std::fopen(argv[2], "wb");
    if (out == nullptr) {
        std::perror(argv[2]);
        return 1;
    }
    std::vector<std::string> words;
    for (const char* w : words_utf8) words.push_back(to_cp1251(w));
    std::string rare = to_cp1251("сокол");
    std::string sentence;
    for (long s = 0; s < n; ++s) {
        sentence.clear();
        std::uint32_t count = 2 + next_random() % 4;
        for (std::uint32_t k = 0; k < count; ++k) {
            if (k > 0) sentence += ' ';
            std::uint32_t r = next_random();
            sentence += r % 10000 == 0 ? rare : words[(r >> 14) % words.size()];
        }
        sentence += next_random() % 4 == 0 ? ".\n" : ". ";
        std::fwrite(sentence.data(), 1, sentence.size(), out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
