#include "blocks.h"

#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace blk {

const char* find_byte_pair(const char* from, const char* limit, char first, std::size_t gap, char last) {
    const char* p = from;
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi8(first);
    const __m128i lasts = _mm_set1_epi8(last);
    for (; limit - p >= 16; p += 16) {
        __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i there = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + gap));
        auto both = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(here, firsts), _mm_cmpeq_epi8(there, lasts))));
        if (both != 0) return p + std::countr_zero(both);
    }
#endif
    for (;; ++p) {
        p = static_cast<const char*>(std::memchr(p, first, static_cast<std::size_t>(limit - p)));
        if (p == nullptr || p[gap] == last) return p;
    }
}

} // namespace blk
