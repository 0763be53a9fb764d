#include "cli/vertices_first_text.h"

#include <new>

void VerticesFirstText::take(const char* bytes, std::size_t count) {
    if (out_of_memory_ || count == 0) return;
    const Piece piece{bytes, taken_, count};
    taken_ += count;
    try {
        planner_.feed(bytes, count);
        const std::uint64_t settled = planner_.settled();
        write_settled(settled, planner_.take_moves(), piece);
        hold_rest(settled, piece);
    } catch (const std::bad_alloc&) {
        // A model can make a group of up to some 1.2 GB; a 32-bit process may not find the room.
        out_of_memory_ = true;
        held_ = HeldText();
    }
}

bool VerticesFirstText::end() {
    const bool whole = !out_of_memory_;
    if (whole) write_settled(taken_, planner_.finish(), Piece{nullptr, taken_, 0});
    planner_ = VertexMovePlanner();
    held_.clear();
    held_from_ = taken_ = 0;
    out_of_memory_ = false;
    return whole;
}

void VerticesFirstText::write_settled(std::uint64_t settled, const std::vector<VertexMove>& moves,
                                      const Piece& piece) {
    std::uint64_t at = held_from_;
    for (const VertexMove& m : moves) {
        write_range(at, m.uvs_line, piece);
        write_range(m.verts_begin, m.verts_end, piece);
        write_range(m.uvs_line, m.verts_begin, piece);
        at = m.verts_end;
    }
    write_range(at, settled, piece);
}

// The bytes before the piece are in held_, from held_from_ on.
void VerticesFirstText::write_range(std::uint64_t from, std::uint64_t to, const Piece& piece) {
    if (from >= to) return;
    if (from < piece.at) {
        std::uint64_t stop = to < piece.at ? to : piece.at;
        held_.read(static_cast<std::size_t>(from - held_from_), static_cast<std::size_t>(stop - held_from_), write_);
        from = stop;
    }
    if (from < to) write_(piece.bytes + (from - piece.at), static_cast<std::size_t>(to - from));
}

void VerticesFirstText::hold_rest(std::uint64_t settled, const Piece& piece) {
    if (settled >= piece.at) {
        // Passing text leaves a cut line at most; a held group grows from here.
        held_.clear();
        held_.append(piece.bytes + (settled - piece.at), static_cast<std::size_t>(piece.at + piece.count - settled));
    } else {
        held_.drop_front(static_cast<std::size_t>(settled - held_from_));
        held_.append(piece.bytes, piece.count);
    }
    held_from_ = settled;
    if (held_.size() > most_held_) most_held_ = held_.size();
}
