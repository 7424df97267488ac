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
    auto* from = static_cast<char*>(memory);
    std::size_t misaligned = reinterpret_cast<std::uintptr_t>(from) % block_size;
    std::size_t before = misaligned == 0 ? 0 : block_size - misaligned;
    if (size < before + block_size) return;
    std::size_t whole = (size - before) / block_size * block_size;
    (void)::madvise(from + before, whole, MADV_HUGEPAGE);
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
