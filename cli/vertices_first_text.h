#pragma once
// The engine's OBJ text with each group's vertices first (cli/vertex_move_planner.h),
// written while the text is made.
//
// Text passes straight on, except a group's from its "# uvs at" line on: that
// is held until the group's shape is known, at the next group line or the end
// of the text, and then written in the new order. So at most one group's text
// is held at a time, bounded by what one block can write (see the README).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "cli/held_text.h"
#include "cli/vertex_move_planner.h"

class VerticesFirstText {
public:
    using Write = std::function<void(const char* bytes, std::size_t count)>;
    // Room for this much held text is taken at first; more, a block at a time, when a group needs it.
    static constexpr std::size_t first_buffer = HeldText::block_size;

    explicit VerticesFirstText(Write write) : write_(std::move(write)) {}

    // The next piece of the text, split anywhere.
    void take(const char* bytes, std::size_t count);
    // The text is complete: writes what is held and gets ready for another
    // text. false when text could not be held for want of memory: from there
    // on nothing was written.
    bool end();

    // The most text held at once, for the figures.
    std::size_t most_held() const { return most_held_; }

private:
    struct Piece {
        const char* bytes;
        std::uint64_t at;  // offset of its first byte in the text
        std::size_t count;
    };
    // Writes the text from held_from_ to settled, the moves applied.
    void write_settled(std::uint64_t settled, const std::vector<VertexMove>& moves, const Piece& piece);
    void write_range(std::uint64_t from, std::uint64_t to, const Piece& piece);
    // Keeps what the piece leaves unsettled.
    void hold_rest(std::uint64_t settled, const Piece& piece);

    Write write_;
    VertexMovePlanner planner_;
    HeldText held_;                 // the text from held_from_ up to the current piece
    std::uint64_t held_from_ = 0;
    std::uint64_t taken_ = 0;       // bytes taken so far
    bool out_of_memory_ = false;
    std::size_t most_held_ = 0;
};
