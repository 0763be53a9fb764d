#include "cli/obj_reorder.h"

#include <cstring>

namespace {

enum class Kind { group, uvs_comment, verts_comment, vertex, uv, face, blank, other };

bool starts_with(const char* head, std::size_t used, const char* prefix) {
    std::size_t n = std::strlen(prefix);
    return used >= n && std::memcmp(head, prefix, n) == 0;
}

// length counts the line end; head holds the line's first bytes.
Kind kind_of(const char* head, std::size_t used, std::uint64_t length) {
    if ((length == 1 && used == 1 && head[0] == '\n') ||
        (length == 2 && used == 2 && head[0] == '\r' && head[1] == '\n'))
        return Kind::blank;
    if (starts_with(head, used, "g ")) return Kind::group;
    if (starts_with(head, used, "v ")) return Kind::vertex;
    if (starts_with(head, used, "vt ")) return Kind::uv;
    if (starts_with(head, used, "f ")) return Kind::face;
    if (starts_with(head, used, "# uvs at 0x")) return Kind::uvs_comment;
    if (starts_with(head, used, "# verts at 0x")) return Kind::verts_comment;
    return Kind::other;
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
        const void* found = std::memchr(bytes, '\n', static_cast<std::size_t>(end - bytes));
        const char* stop = found ? static_cast<const char*>(found) + 1 : end;
        std::size_t piece = static_cast<std::size_t>(stop - bytes);
        std::size_t take = sizeof head_ - head_used_;
        if (take > piece) take = piece;
        std::memcpy(head_ + head_used_, bytes, take);
        head_used_ += take;
        offset_ += piece;
        bytes = stop;
        if (found) {
            end_line(offset_);
            line_start_ = offset_;
            head_used_ = 0;
        }
    }
}

void VertexMovePlanner::end_line(std::uint64_t next_line) {
    Kind kind = kind_of(head_, head_used_, next_line - line_start_);
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
        end_line(offset_);
        line_start_ = offset_;
        head_used_ = 0;
    }
    std::size_t before = moves_.size();
    end_group();
    if (cut_line && moves_.size() > before && moves_.back().verts_end == offset_) moves_.pop_back();
    std::vector<VertexMove> moves;
    moves.swap(moves_);
    return moves;
}

std::vector<VertexMove> plan_vertex_moves(std::string_view text) {
    VertexMovePlanner planner;
    planner.feed(text.data(), text.size());
    return planner.finish();
}

std::string apply_vertex_moves(std::string_view text, const std::vector<VertexMove>& moves) {
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    for (const VertexMove& m : moves) {
        auto uvs = static_cast<std::size_t>(m.uvs_line), begin = static_cast<std::size_t>(m.verts_begin),
             end = static_cast<std::size_t>(m.verts_end);
        out.append(text.substr(at, uvs - at));
        out.append(text.substr(begin, end - begin));
        out.append(text.substr(uvs, begin - uvs));
        at = end;
    }
    out.append(text.substr(at));
    return out;
}

std::string put_vertices_first(std::string_view text) {
    return apply_vertex_moves(text, plan_vertex_moves(text));
}
