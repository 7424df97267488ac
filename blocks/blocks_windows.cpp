// Blocks and writes on Windows: plain aligned memory (large pages there need
// a privilege that ordinary users lack) and the C runtime's writes.
#include "blocks.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <io.h>
#include <malloc.h>

namespace blk {

void* take_block() { return ::_aligned_malloc(block_size, block_size); }

void give_block(void* block) { ::_aligned_free(block); }

void advise_huge_pages(void* /*memory*/, std::size_t /*size*/) {}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        int done = ::_write(fd, data, static_cast<unsigned>(std::min<std::size_t>(size, INT_MAX)));
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
