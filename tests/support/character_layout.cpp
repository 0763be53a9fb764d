#include "support/character_layout.h"

#include <algorithm>
#include <string>

using chunks::Body;
using chunks::Node;

namespace {

constexpr std::uint32_t id_skin = 0x116, id_bone = 0x11E, id_night = 0x0253F2F9;

// Row-vector affine matrices, as the frames store them: right, up, at, position.
using Affine = std::array<double, 12>;

Point apply(const Affine& m, const Point& p, bool moved = true) {
    Point out;
    for (int k = 0; k < 3; ++k)
        out[k] = p[0] * m[k] + p[1] * m[3 + k] + p[2] * m[6 + k] + (moved ? m[9 + k] : 0.0);
    return out;
}

// first, then second.
Affine then(const Affine& first, const Affine& second) {
    Affine out;
    for (int row = 0; row < 4; ++row) {
        Point r = apply(second, {first[3 * row], first[3 * row + 1], first[3 * row + 2]}, row == 3);
        for (int k = 0; k < 3; ++k) out[3 * row + k] = r[k];
    }
    return out;
}

// The frames are rotations with a position: the inverse is the transpose.
Affine inverse(const Affine& m) {
    Affine out{};
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 3; ++k) out[3 * row + k] = m[3 * k + row];
    Point t = apply(out, {m[9], m[10], m[11]}, false);
    for (int k = 0; k < 3; ++k) out[9 + k] = -t[k];
    return out;
}

const Affine identity = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0};

struct BoneFrame {
    const char* name;
    std::int32_t parent, node_id;
    Affine matrix;  // relative to the parent
};

// Frame order is not skeleton order, and node ids are not frame numbers.
const BoneFrame bone_frames[] = {
    {"character", -1, -1, identity},
    // x to z, y to x, z to y: the skeleton on its back, as real root bones hold it.
    {"Root", 0, 0, {0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 0.1}},
    {" Pelvis", 1, 1, {0, 1, 0, 0, 0, 1, 1, 0, 0, 0.02, 1.0, 0}},
    {"L Foot", 2, 42, {1, 0, 0, 0, 1, 0, 0, 0, 1, -0.9, 0.1, 0.1}},
    {"Spine", 2, 2, {0.96, 0.28, 0, -0.28, 0.96, 0, 0, 0, 1, 0.1, 0, 0}},
    {"Head", 4, 5, {1, 0, 0, 0, 1, 0, 0, 0, 1, 0.5, 0, 0}},
};
constexpr std::size_t root_frame = 1, pelvis_frame = 2;
// Skeleton order: skin bone i is the frame with node id skeleton_ids[i].
const std::vector<std::int32_t> skeleton_ids = {0, 1, 2, 5, 42};
const std::size_t frame_of_bone[] = {1, 2, 4, 5, 3};

struct Vertex {
    Point pelvis_space, normal;  // where it lies in the pelvis bone's space
    std::uint8_t bones[2];
    float weights[2];
};

// Spine along the pelvis's +x, toes along +y: head at +0.76, feet near -0.95.
const Vertex vertices[] = {
    {{0.76, 0, 0}, {1, 0, 0}, {3, 0}, {1, 0}},
    {{0.35, 0.12, 0.05}, {0, 1, 0}, {2, 1}, {0.5f, 0.5f}},
    {{0, 0, 0.12}, {0, 0, 1}, {1, 0}, {1, 0}},
    {{-0.95, 0.1, 0.1}, {0, 0, 1}, {4, 0}, {1, 0}},
    {{-0.95, 0.1, -0.1}, {0, 0, -1}, {4, 0}, {1, 0}},
    {{-0.97, 0.3, 0.1}, {0, 1, 0}, {4, 0}, {1, 0}},
};

Affine composed(std::size_t frame) {
    Affine m = identity;
    for (std::int32_t at = static_cast<std::int32_t>(frame); at != -1; at = bone_frames[at].parent)
        m = then(m, bone_frames[at].matrix);
    return m;
}

Point turned_upright(const Point& p) { return {-p[2], p[1], p[0]}; }

Node skin_plugin(const CharacterLayout& layout, const Affine& storage) {
    std::vector<SkinSlots> slots;
    for (const Vertex& v : vertices) slots.push_back({{v.bones[0], v.bones[1], 0, 0}, {v.weights[0], v.weights[1], 0, 0}});
    std::vector<Affine> inverse_binds;
    for (std::size_t b = 0; b < skeleton_ids.size(); ++b)
        inverse_binds.push_back(then(storage, inverse(composed(frame_of_bone[b]))));
    return skin_chunk(slots, inverse_binds, layout.older_skin);
}

}  // namespace

const std::vector<std::size_t> skin_path = {0, 2, 1, 2, 0}, bone_list_path = {0, 1, 1 + root_frame, 1},
                               frame_struct_path = {0, 1, 0};

Node skin_chunk(const std::vector<SkinSlots>& vertices, const std::vector<std::array<double, 12>>& inverse_binds,
                bool older) {
    const auto bones = static_cast<std::uint32_t>(inverse_binds.size());
    std::uint8_t most = 0;
    for (const SkinSlots& v : vertices)
        for (std::uint8_t k = 0; k < 4; ++k)
            if (v.weights[k] != 0) most = std::max<std::uint8_t>(most, k + 1);
    Body body;
    body.bytes = {static_cast<std::uint8_t>(bones), static_cast<std::uint8_t>(older ? 0 : bones), most, 0};
    if (!older)
        for (std::uint32_t b = 0; b < bones; ++b) body.bytes.push_back(static_cast<std::uint8_t>(b));
    for (const SkinSlots& v : vertices) body.bytes.insert(body.bytes.end(), v.bones, v.bones + 4);
    for (const SkinSlots& v : vertices) body.f32(v.weights[0]).f32(v.weights[1]).f32(v.weights[2]).f32(v.weights[3]);
    for (const std::array<double, 12>& ibm : inverse_binds) {
        if (older) body.u32(0xDEADDEAD);
        // The fourth float of each row holds junk in real files.
        for (int row = 0; row < 4; ++row)
            body.f32(static_cast<float>(ibm[3 * row])).f32(static_cast<float>(ibm[3 * row + 1]))
                .f32(static_cast<float>(ibm[3 * row + 2])).f32(row == 3 ? 1.128f : -0.99f);
    }
    if (!older) body.u32(4).u32(0).u32(0);  // bone limit, no meshes, no runs
    return chunks::leaf(id_skin, chunks::stamp_3_6_0_3, body.bytes);
}

Node bone_plugin(std::int32_t node_id, const std::vector<std::int32_t>& list) {
    Body body;
    body.u32(0x100).u32(static_cast<std::uint32_t>(node_id)).u32(static_cast<std::uint32_t>(list.size()));
    if (!list.empty()) body.u32(0).u32(36);
    for (std::size_t i = 0; i < list.size(); ++i)
        body.u32(static_cast<std::uint32_t>(list[i])).u32(static_cast<std::uint32_t>(i)).u32(i == 0 ? 2 : 0);
    return chunks::leaf(id_bone, chunks::stamp_3_6_0_3, body.bytes);
}

Node night_colors_plugin(const std::vector<std::uint8_t>& rgba, std::uint32_t flag) {
    Body body;
    body.u32(flag).bytes.insert(body.bytes.end(), rgba.begin(), rgba.end());
    return chunks::leaf(id_night, chunks::stamp_3_6_0_3, body.bytes);
}

Character character_model(const CharacterLayout& layout) {
    const Affine storage = layout.space == SkinSpace::clump       ? identity
                           : layout.space == SkinSpace::root_bone ? composed(root_frame)
                                                                  : composed(pelvis_frame);
    // A stored point goes into the pelvis's space by this; the inverse stores it.
    const Affine to_pelvis = then(storage, inverse(composed(pelvis_frame)));
    const Affine from_pelvis = inverse(to_pelvis);

    Character c;
    ClumpLayout clump;
    clump.frames.clear();
    for (std::size_t f = 0; f < std::size(bone_frames); ++f) {
        const BoneFrame& b = bone_frames[f];
        FrameLayout frame;
        for (int k = 0; k < 12; ++k) frame.matrix[k] = static_cast<float>(b.matrix[k]);
        frame.parent = b.parent;
        frame.name = f == pelvis_frame && !layout.pelvis_named ? "SRLittleBone0" : b.name;
        if (b.node_id >= 0) frame.plugins.push_back(bone_plugin(b.node_id, f == root_frame ? skeleton_ids : std::vector<std::int32_t>{}));
        clump.frames.push_back(frame);
    }
    GeometryLayout g;
    g.flags = geometry_positions | geometry_normals;
    for (const Vertex& v : vertices) {
        Point p = apply(from_pelvis, v.pelvis_space), n = apply(from_pelvis, v.normal, false);
        for (int k = 0; k < 3; ++k) {
            g.positions.push_back(static_cast<float>(p[k]));
            g.normals.push_back(static_cast<float>(n[k]));
        }
        c.stored.push_back({g.positions.end()[-3], g.positions.end()[-2], g.positions.end()[-1]});
        c.upright.push_back(turned_upright(v.pelvis_space));
        c.upright_normals.push_back(turned_upright(v.normal));
        c.frame_pose.push_back(apply(composed(pelvis_frame), v.pelvis_space));
    }
    g.triangles = {{0, 1, 2, 0}, {2, 3, 4, 0}, {3, 5, 4, 0}};
    g.materials = {MaterialLayout{}};
    g.plugins.push_back(skin_plugin(layout, storage));
    clump.geometries.push_back(g);
    clump.atomics.push_back({0, 0});
    c.model.clumps.push_back(clump);
    return c;
}
