// The skin plug-in: per vertex four bone slots with their weights, per bone an
// inverse bind matrix. Two layouts, told apart by the used-bone count.
#include <cmath>

#include "model/reading.h"

namespace {

constexpr std::uint32_t head = 4, matrix_bytes = 64, marker = 0xDEADDEADu, trailer = 12;

// The bytes the layout needs up to the end of the matrices.
std::uint64_t layout_size(std::uint64_t vertices, std::uint64_t bones, std::uint64_t used, bool markers) {
    return head + used + 20 * vertices + bones * (matrix_bytes + (markers ? 4 : 0));
}

// The newer layout ends in a bone limit and mesh and run counts, and when there
// are meshes B + 2 x (meshes + runs) bytes more; files without the end occur too.
bool newer_end_fits(const Reading& r, const Chunk& c, std::uint64_t matrices_end, std::uint64_t bones) {
    if (c.size == matrices_end) return true;
    if (c.size < matrices_end + trailer) return false;
    const std::uint8_t* t = r.bytes + c.body() + matrices_end;
    const std::uint64_t meshes = read_u32(t + 4), runs = read_u32(t + 8);
    const std::uint64_t rest = meshes ? bones + 2 * (meshes + runs) : 0;
    return c.size == matrices_end + trailer + rest;
}

bool markers_in_place(const Reading& r, const Chunk& c, std::uint64_t first, std::uint32_t bones) {
    for (std::uint32_t b = 0; b < bones; ++b)
        if (read_u32(r.bytes + c.body() + first + 68 * std::uint64_t(b)) != marker) return false;
    return true;
}

// A weighted slot naming a bone the skin does not have, or a weight that is no
// finite number: the skin cannot place the vertex.
bool slots_sound(Reading& r, const Skin& skin, std::uint32_t vertices) {
    for (std::uint32_t v = 0; v < vertices; ++v) {
        for (std::uint32_t k = 0; k < 4; ++k) {
            const std::uint32_t bone = skin.bone_indices.data[4 * std::size_t(v) + k];
            const float w = read_f32(skin.weights.data + 16 * std::size_t(v) + 4 * k);
            if (!std::isfinite(w)) {
                r.doubt(skin.offset, "skin: vertex " + std::to_string(v) + " has a weight that is not a finite "
                                     "number: written as stored");
                return false;
            }
            if (w != 0 && bone >= skin.bone_count) {
                r.doubt(skin.offset, "skin: vertex " + std::to_string(v) + " names bone " + std::to_string(bone) +
                                         " of " + std::to_string(skin.bone_count) + ": written as stored");
                return false;
            }
        }
    }
    return true;
}

}  // namespace

void read_skin(Reading& r, const Chunk& c, Geometry& g) {
    Skin& skin = g.skin;
    skin.offset = c.offset;
    if (c.size < head) {
        r.doubt(c.offset, "skin of " + std::to_string(c.size) + " bytes, without its counts: written as stored");
        return;
    }
    const std::uint8_t* p = r.bytes + c.body();
    skin.bone_count = p[0];
    skin.used_bone_count = p[1];
    skin.max_weights = p[2];
    // A skin without bones poses nothing: the mesh stands as stored.
    if (skin.bone_count == 0) return;
    const std::uint32_t vertices = g.vertex_count > 0 ? static_cast<std::uint32_t>(g.vertex_count) : 0;
    const std::uint64_t newer = layout_size(vertices, skin.bone_count, skin.used_bone_count, false);
    const std::uint64_t older = layout_size(vertices, skin.bone_count, 0, true);
    if (skin.used_bone_count == 0 && c.size == older &&
        markers_in_place(r, c, head + 20 * std::uint64_t(vertices), skin.bone_count)) {
        skin.markers = true;
    } else if (c.size < newer || !newer_end_fits(r, c, newer, skin.bone_count)) {
        r.doubt(c.offset, "skin of " + std::to_string(skin.bone_count) + " bones and " +
                              std::to_string(vertices) + " vertices in " + std::to_string(c.size) +
                              " bytes matches neither layout: written as stored");
        return;
    }
    std::uint64_t at = head;
    skin.used_bones = {p + at, skin.used_bone_count};
    at += skin.used_bone_count;
    skin.bone_indices = {p + at, vertices};
    at += 4 * std::uint64_t(vertices);
    skin.weights = {p + at, vertices};
    at += 16 * std::uint64_t(vertices);
    skin.inverse_bind.resize(skin.bone_count);
    for (Matrix3x4& m : skin.inverse_bind) {
        if (skin.markers) at += 4;
        // Four rows of four floats; the fourth of each row is not part of the matrix.
        for (int row = 0; row < 4; ++row)
            for (int k = 0; k < 3; ++k) m[3 * row + k] = read_f32(p + at + 16 * row + 4 * k);
        at += matrix_bytes;
    }
    for (const Matrix3x4& m : skin.inverse_bind)
        for (float f : m)
            if (!std::isfinite(f)) {
                r.doubt(c.offset, "skin: an inverse bind matrix holds a number that is not finite: written as stored");
                return;
            }
    skin.usable = slots_sound(r, skin, vertices);
}
