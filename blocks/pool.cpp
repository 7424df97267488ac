#include "blocks.h"

#include <cstring>
#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace blk {

struct pool::block_header {
    block_header* older;
};

namespace {

std::size_t round_up(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

} // namespace

pool::pool(std::size_t item_size, std::size_t item_align)
    : item_size_(round_up(item_size < sizeof(void*) ? sizeof(void*) : item_size, item_align)),
      first_item_(round_up(sizeof(block_header), item_align)),
      per_block_((block_size - first_item_) / item_size_), next_in_block_(per_block_) {}

pool::~pool() { release_blocks(); }

void* pool::take() {
    void* item = given_back_;
    if (item != nullptr) {
        ASAN_UNPOISON_MEMORY_REGION(item, item_size_);
        std::memcpy(&given_back_, item, sizeof given_back_);
    } else {
        if (next_in_block_ == per_block_) {
            void* memory = take_block();
            if (memory == nullptr) return nullptr;
            auto* b = static_cast<block_header*>(memory);
            b->older = blocks_;
            blocks_ = b;
            next_in_block_ = 0;
        }
        item = reinterpret_cast<char*>(blocks_) + first_item_ + next_in_block_ * item_size_;
        ++next_in_block_;
    }
    ++live_;
    return item;
}

void pool::give_back(void* item) {
    std::memcpy(item, &given_back_, sizeof given_back_);
    given_back_ = item;
    give_back_untouched(item);
}

void pool::give_back_untouched(void* item) {
    ASAN_POISON_MEMORY_REGION(item, item_size_);
    if (--live_ == 0) release_blocks();
}

void pool::release_blocks() {
    while (blocks_ != nullptr) {
        block_header* older = blocks_->older;
        ASAN_UNPOISON_MEMORY_REGION(blocks_, block_size);
        give_block(blocks_);
        blocks_ = older;
    }
    next_in_block_ = per_block_;
    given_back_ = nullptr;
    live_ = 0;
}

} // namespace blk
