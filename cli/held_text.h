#pragma once
// Text held in blocks of a fixed size. Growing never moves what is held, so
// holding n bytes takes n bytes rounded up to a block, not the old and the
// new copy of a buffer that doubles. Blocks stay for the next text.

#include <cstddef>
#include <memory>
#include <vector>

class HeldText {
public:
    static constexpr std::size_t block_size = 1 << 20;

    std::size_t size() const { return size_; }
    void append(const char* bytes, std::size_t count);
    // Forgets the first count bytes.
    void drop_front(std::size_t count);
    void clear() { front_ = size_ = 0; }

    // Hands the bytes [from, to) to write in pieces that lie in one block each.
    template <class Write>
    void read(std::size_t from, std::size_t to, Write&& write) const {
        for (std::size_t at = front_ + from, stop = front_ + to; at < stop;) {
            std::size_t in_block = at % block_size, n = block_size - in_block;
            if (n > stop - at) n = stop - at;
            write(blocks_[at / block_size].get() + in_block, n);
            at += n;
        }
    }

private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t front_ = 0;  // where the held bytes begin in the first block
    std::size_t size_ = 0;
};
