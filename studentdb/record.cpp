#include "student.h"

#include <cstdlib>
#include <cstring>
#include <limits>

namespace studentdb {

std::string_view text_of(const char (&field)[text_size]) {
    const void* end = std::memchr(field, '\0', text_size);
    std::size_t len =
        end == nullptr ? text_size : static_cast<std::size_t>(static_cast<const char*>(end) - field);
    return {field, len};
}

void set_text(char (&field)[text_size], std::string_view typed) {
    std::size_t len = 0;
    while (len < typed.size() && len < text_size - 1 && typed[len] != '\0') ++len;
    std::memcpy(field, typed.data(), len);
    std::memset(field + len, 0, text_size - len);
}

std::size_t capacity_for(std::int32_t n) {
    if (n <= 1) return 1;
    return std::bit_ceil(static_cast<std::size_t>(n));
}

student* make_room(student* a, std::int32_t n) {
    if (a == nullptr) return static_cast<student*>(std::calloc(1, sizeof(student)));
    if (n == std::numeric_limits<std::int32_t>::max()) return nullptr;
    std::size_t wanted = capacity_for(n + 1);
    if (wanted <= capacity_for(n)) return a;
    return static_cast<student*>(std::realloc(a, wanted * sizeof(student)));
}

} // namespace studentdb
