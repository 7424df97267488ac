// What the programs share beyond the console: memory in large blocks
// (backed by huge pages where the system offers them), a pool that cuts
// items of one size from such blocks, a loop that writes a whole buffer, and
// a search for two bytes at a given distance.
// The system's part is in blocks_posix.cpp and blocks_windows.cpp; a system
// without huge pages gets plain allocations.
#pragma once

#include <cstddef>

namespace blk {

// 2 MB: the size of a huge page, and of every block a pool takes.
inline constexpr std::size_t block_size = std::size_t{2} * 1024 * 1024;

// A block of block_size bytes aligned to its size, advised for a huge page;
// not zero-filled. Null when memory runs out. Give it back with give_block.
void* take_block();
void give_block(void* block);

// Advises the system to back the whole huge pages inside [memory, memory +
// size) with huge pages: a large array then costs a few dozen page faults
// instead of one per 4 KB, and reads at random places in it miss the address
// translation cache less often. Nothing happens where there are none.
void advise_huge_pages(void* memory, std::size_t size);

// Writes all of data to the file descriptor fd, again after a write that
// was interrupted or took only part. False, with errno set, when a write
// failed.
bool write_all(int fd, const char* data, std::size_t size);

// The first p of [from, limit) with p[0] == first and p[gap] == last, or
// null; the gap bytes after limit must be readable too. Sixteen places at a
// time where the processor compares sixteen bytes at once (SSE2): linefind's
// rare word over 10,000,000 sentences then takes 0.04 s of CPU against 0.12 s
// with memchr for the first byte, its frequent word 0.20 s against 0.25 s.
const char* find_byte_pair(const char* from, const char* limit, char first, std::size_t gap, char last);

// Items of one size cut from blocks one after another: millions of small
// records then lie densely in a few blocks, and no allocator call is made
// per item. Once every item taken is back, the blocks go back to the
// system. Under the address sanitizer an item that is back is poisoned, so
// that a use after that is still caught.
class pool {
public:
    // item_size at most block_size / 2, item_align a power of two.
    pool(std::size_t item_size, std::size_t item_align);
    ~pool();
    pool(const pool&) = delete;
    pool& operator=(const pool&) = delete;

    // An item, not zero-filled: one given back first, else fresh room.
    // Null when memory runs out.
    void* take();
    // Gives item back; a later take hands it out again. Writes a link into
    // the item.
    void give_back(void* item);
    // Gives item back without touching it: its room is not handed out again
    // until every item is back. For items that are only taken while a
    // structure is built and only given back while it is torn down, in an
    // order scattered over memory, where a write into each would wait for it.
    void give_back_untouched(void* item);
    // Every item back at once, for a structure freed whole.
    void give_back_all() { release_blocks(); }

private:
    struct block_header;
    void release_blocks();

    std::size_t item_size_;
    std::size_t first_item_; // where the items of a block start
    std::size_t per_block_;
    block_header* blocks_ = nullptr; // the newest block, linked to the older ones
    std::size_t next_in_block_ = 0;  // items of the newest block handed out
    void* given_back_ = nullptr;     // items for take, linked through their first bytes
    std::size_t live_ = 0;           // items taken and not yet back
};

} // namespace blk
