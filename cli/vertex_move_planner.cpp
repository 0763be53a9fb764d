#include "cli/vertex_move_planner.h"

#include <cstring>

#include "cli/line_skip.h"

namespace {

enum class Kind { group, uvs_comment, verts_comment, vertex, uv, face, blank, other };

template <std::size_t N>
bool starts_with(const char* head, std::size_t used, const char (&prefix)[N]) {
    return used >= N - 1 && std::memcmp(head, prefix, N - 1) == 0;
}

// length counts the line end; head holds the line's first bytes (at least one).
// Called for every line of hundreds of megabytes: the first byte decides most.
Kind kind_of(const char* head, std::size_t used, std::uint64_t length) {
    const bool second_is_blank = used >= 2 && head[1] == ' ';
    switch (head[0]) {
    case 'v':
        if (second_is_blank) return Kind::vertex;
        return used >= 3 && head[1] == 't' && head[2] == ' ' ? Kind::uv : Kind::other;
    case 'f': return second_is_blank ? Kind::face : Kind::other;
    case 'g': return second_is_blank ? Kind::group : Kind::other;
    case '#':
        if (starts_with(head, used, "# uvs at 0x")) return Kind::uvs_comment;
        return starts_with(head, used, "# verts at 0x") ? Kind::verts_comment : Kind::other;
    case '\n': return length == 1 ? Kind::blank : Kind::other;
    case '\r': return length == 2 && used == 2 && head[1] == '\n' ? Kind::blank : Kind::other;
    default: return Kind::other;
    }
}

// Lines that belong to one section only: seen anywhere else, the group's shape is not ours.
bool is_section_line(Kind k) {
    return k == Kind::vertex || k == Kind::uv || k == Kind::face || k == Kind::uvs_comment ||
           k == Kind::verts_comment;
}

}  // namespace

void VertexMovePlanner::feed(const char* bytes, std::size_t count) {
    const char* end = bytes + count;
    while (bytes < end) {
        // The bulk of the text, the vt, f and v lines, changes nothing: skipped.
        if (head_used_ == 0 && stage_ != Stage::lead && stage_ != Stage::tail) {
            const WantedLines wanted = stage_ == Stage::middle  ? WantedLines::marks
                                       : stage_ == Stage::verts ? WantedLines::not_vertices
                                                                : WantedLines::groups;
            const char* from = bytes;
            bytes = skip_unwanted_lines(bytes, end, wanted);
            offset_ += static_cast<std::size_t>(bytes - from);
            line_start_ = offset_;
        }
        const void* found = std::memchr(bytes, '\n', static_cast<std::size_t>(end - bytes));
        const char* stop = found ? static_cast<const char*>(found) + 1 : end;
        std::size_t piece = static_cast<std::size_t>(stop - bytes);
        offset_ += piece;
        if (found && head_used_ == 0) {
            // The whole line lies in this piece (nearly every line): no copy.
            end_line(bytes, piece < sizeof head_ ? piece : sizeof head_, offset_);
        } else {
            std::size_t take = sizeof head_ - head_used_;
            if (take > piece) take = piece;
            std::memcpy(head_ + head_used_, bytes, take);
            head_used_ += take;
            if (found) end_line(head_, head_used_, offset_);
        }
        bytes = stop;
        if (found) {
            line_start_ = offset_;
            head_used_ = 0;
        }
    }
}

std::uint64_t VertexMovePlanner::settled() const {
    bool holding = stage_ == Stage::middle || stage_ == Stage::verts || stage_ == Stage::tail;
    return holding ? group_.uvs_line : line_start_;
}

std::vector<VertexMove> VertexMovePlanner::take_moves() {
    std::vector<VertexMove> moves;
    moves.swap(moves_);
    return moves;
}

void VertexMovePlanner::end_line(const char* head, std::size_t used, std::uint64_t next_line) {
    Kind kind = kind_of(head, used, next_line - line_start_);
    if (kind == Kind::group) {
        end_group();
        group_ = VertexMove{};
        stage_ = Stage::lead;
        return;
    }
    switch (stage_) {
    case Stage::before_groups:
    case Stage::unrecognised:
        break;
    case Stage::lead:
        if (kind == Kind::uvs_comment) {
            group_.uvs_line = line_start_;
            stage_ = Stage::middle;
        } else if (is_section_line(kind)) {
            stage_ = Stage::unrecognised;
        }
        break;
    case Stage::middle:
        if (kind == Kind::verts_comment) {
            group_.verts_begin = line_start_;
            stage_ = Stage::verts;
        } else if (kind == Kind::vertex || kind == Kind::uvs_comment) {
            stage_ = Stage::unrecognised;
        }
        break;
    case Stage::verts:
        if (kind == Kind::vertex) break;
        // The blank line after the v lines goes with them; anything else stays.
        group_.verts_end = kind == Kind::blank ? next_line : line_start_;
        stage_ = Stage::tail;
        if (kind != Kind::blank && is_section_line(kind)) stage_ = Stage::unrecognised;
        break;
    case Stage::tail:
        if (is_section_line(kind)) stage_ = Stage::unrecognised;
        break;
    }
}

// The group ends where the current line starts.
void VertexMovePlanner::end_group() {
    if (stage_ == Stage::verts) {
        group_.verts_end = line_start_;
        stage_ = Stage::tail;
    }
    if (stage_ == Stage::tail) moves_.push_back(group_);
    stage_ = Stage::before_groups;
}

std::vector<VertexMove> VertexMovePlanner::finish() {
    // A last line without its line end cannot move: it would run into the next one.
    bool cut_line = offset_ > line_start_;
    if (cut_line) {
        end_line(head_, head_used_, offset_);
        line_start_ = offset_;
        head_used_ = 0;
    }
    std::size_t before = moves_.size();
    end_group();
    if (cut_line && moves_.size() > before && moves_.back().verts_end == offset_) moves_.pop_back();
    return take_moves();
}
