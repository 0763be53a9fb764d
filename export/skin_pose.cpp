#include "export/skin_pose.h"

#include <cctype>
#include <string>

namespace {

constexpr std::int32_t pelvis_node_id = 1;

bool named_pelvis(const std::string& name) {
    std::size_t first = 0, last = name.size();
    while (first < last && name[first] == ' ') ++first;
    while (last > first && name[last - 1] == ' ') --last;
    static const char pelvis[] = "pelvis";
    if (last - first != sizeof pelvis - 1) return false;
    for (std::size_t i = 0; i < last - first; ++i)
        if (std::tolower(static_cast<unsigned char>(name[first + i])) != pelvis[i]) return false;
    return true;
}

}  // namespace

int pelvis_bone(const Clump& clump) {
    const std::vector<SkeletonNode>& nodes = clump.skeleton.nodes;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const std::int32_t f = nodes[i].frame;
        if (nodes[i].id == pelvis_node_id && f >= 0 && static_cast<std::size_t>(f) < clump.frames.size() &&
            named_pelvis(clump.frames[static_cast<std::size_t>(f)].name))
            return static_cast<int>(i);
    }
    return -1;
}

Placement placement_of(const Matrix3x4& m) {
    Placement p;
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 3; ++k) p.axes[row][k] = m[3 * row + k];
    for (int k = 0; k < 3; ++k) p.position[k] = m[9 + k];
    return p;
}

Placement pelvis_to_upright() {
    Placement g;
    const double axes[3][3] = {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}};
    for (int a = 0; a < 3; ++a)
        for (int k = 0; k < 3; ++k) g.axes[a][k] = axes[a][k];
    return g;
}

Placement upright_placement(const Skin& skin, int pelvis) {
    return then(placement_of(skin.inverse_bind[static_cast<std::size_t>(pelvis)]), pelvis_to_upright());
}

std::vector<Placement> bone_frames(const Clump& clump) {
    std::vector<Placement> frames;
    for (const SkeletonNode& node : clump.skeleton.nodes)
        frames.push_back(place_frame(clump.frames, node.frame).placement);
    return frames;
}

std::vector<Placement> frame_pose(const Clump& clump, const Skin& skin) {
    std::vector<Placement> bones = bone_frames(clump), poses;
    for (std::uint32_t b = 0; b < skin.bone_count; ++b)
        poses.push_back(then(placement_of(skin.inverse_bind[b]), bones[b]));
    return poses;
}

void skin_vertex(const std::vector<Placement>& poses, const Skin& skin, std::uint32_t vertex,
                 const double in[3], double out[3], bool point) {
    for (int k = 0; k < 3; ++k) out[k] = 0;
    for (std::uint32_t slot = 0; slot < 4; ++slot) {
        const double w = read_f32(skin.weights.data + 16 * std::size_t(vertex) + 4 * slot);
        if (w == 0) continue;
        double moved[3];
        place_point(poses[skin.bone_indices.data[4 * std::size_t(vertex) + slot]], in, moved, point);
        for (int k = 0; k < 3; ++k) out[k] += w * moved[k];
    }
}
