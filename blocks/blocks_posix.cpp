// Blocks and writes on POSIX systems: huge pages by advice where the system
// has them (Linux), plain aligned memory elsewhere.
#include "blocks.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace blk {

void* take_block() {
    void* block = std::aligned_alloc(block_size, block_size);
    if (block != nullptr) advise_huge_pages(block, block_size);
    return block;
}

void give_block(void* block) { std::free(block); }

void advise_huge_pages([[maybe_unused]] void* memory, [[maybe_unused]] std::size_t size) {
#ifdef MADV_HUGEPAGE
    auto from = reinterpret_cast<std::uintptr_t>(memory);
    std::uintptr_t first = (from + block_size - 1) / block_size * block_size;
    std::uintptr_t last = (from + size) / block_size * block_size;
    if (first < last && first >= from)
        (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) {
            if (done == 0) errno = EIO;
            return false;
        }
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

} // namespace blk
