#pragma once
// Where each group's vertex lines go to stand ahead of the UV and face lines
// that use them.
//
// The engine writes a group as: its "g" line and counts, "# uvs at" and the vt
// lines, "# FIs at" and the f lines, then "# verts at" and the v lines. Readers
// that take the file in one pass drop every face whose vertices come later.
// The move takes the "# verts at" section (its v lines and the blank line
// after them) to just before "# uvs at"; every other byte stays as it was, line
// ends included. A group of any other shape is left alone.

#include <cstddef>
#include <cstdint>
#include <vector>

// One group's move: the bytes [verts_begin, verts_end) go before uvs_line.
struct VertexMove {
    std::uint64_t uvs_line = 0, verts_begin = 0, verts_end = 0;
};

// Finds the moves in a text fed piece by piece, split anywhere. Holds the
// state of the current line and group only, plus the moves not yet taken.
class VertexMovePlanner {
public:
    void feed(const char* bytes, std::size_t count);
    // The text before this offset stands as it will be written: no move found
    // later starts before it. A group is unsettled from its "# uvs at" line
    // until its shape is known (at the next group or the end).
    std::uint64_t settled() const;
    // The moves found since the last take, in file order; all lie before settled().
    std::vector<VertexMove> take_moves();
    // After the last piece: the moves not yet taken, in file order, none
    // overlapping; all the text is settled then.
    std::vector<VertexMove> finish();

private:
    enum class Stage { before_groups, lead, middle, verts, tail, unrecognised };
    // head holds the line's first used bytes (at most 16).
    void end_line(const char* head, std::size_t used, std::uint64_t next_line);
    void end_group();

    std::uint64_t offset_ = 0;      // bytes fed so far
    std::uint64_t line_start_ = 0;  // offset of the current line
    char head_[16] = {};            // its first bytes, enough to tell its kind
    std::size_t head_used_ = 0;
    Stage stage_ = Stage::before_groups;
    VertexMove group_;
    std::vector<VertexMove> moves_;
};
