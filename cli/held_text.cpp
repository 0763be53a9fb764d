#include "cli/held_text.h"

#include <algorithm>
#include <cstring>

void HeldText::append(const char* bytes, std::size_t count) {
    while (count > 0) {
        const std::size_t end = front_ + size_;
        if (end / block_size == blocks_.size()) blocks_.push_back(std::make_unique<char[]>(block_size));
        std::size_t in_block = end % block_size, n = std::min(count, block_size - in_block);
        std::memcpy(blocks_[end / block_size].get() + in_block, bytes, n);
        bytes += n;
        count -= n;
        size_ += n;
    }
}

void HeldText::drop_front(std::size_t count) {
    front_ += count;
    size_ -= count;
    // Emptied blocks go to the end, for more text.
    const std::size_t emptied = front_ / block_size;
    std::rotate(blocks_.begin(), blocks_.begin() + static_cast<std::ptrdiff_t>(emptied), blocks_.end());
    front_ %= block_size;
}
