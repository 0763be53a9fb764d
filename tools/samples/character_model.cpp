#include "samples/character_model.h"

#include <array>
#include <cstddef>
#include <string>

#include "support/character_layout.h"
#include "support/model_layout.h"

namespace {

using Vec3 = std::array<double, 3>;

// Where a bone sits in the standing figure (x right, y forward, z up, the
// pelvis at the origin), and which bone it hangs from.
struct Bone {
    const char* name;
    int parent;  // index into bones, -1 for the pelvis (it hangs from Root)
    std::int32_t node_id;
    Vec3 at;
};

const Bone bones[] = {
    {" Pelvis", -1, 1, {0, 0, 0}},         {"Spine", 0, 2, {0, 0, 0.15}},
    {"Head", 1, 5, {0, 0, 0.55}},          {"L UpperArm", 1, 22, {-0.24, 0, 0.5}},
    {"R UpperArm", 1, 32, {0.24, 0, 0.5}}, {"L Thigh", 0, 41, {-0.1, 0, -0.05}},
    {"L Calf", 5, 42, {-0.1, 0, -0.5}},    {"R Thigh", 0, 51, {0.1, 0, -0.05}},
    {"R Calf", 7, 52, {0.1, 0, -0.5}},
};

// Standing (x, y, z) in the pelvis's axes: spine along +x, toes along +y,
// so the figure's left (-x) is the pelvis's +z.
Vec3 pelvis_space(const Vec3& p) { return {p[2], p[1], -p[0]}; }

enum Material : std::uint16_t { skin, shirt, trousers, shoes };

struct Figure {
    GeometryLayout g;
    std::vector<SkinSlots> slots;

    void vertex(const Vec3& p, const Vec3& n, std::uint8_t bone) {
        const Vec3 q = pelvis_space(p), m = pelvis_space(n);
        for (int k = 0; k < 3; ++k) {
            g.positions.push_back(static_cast<float>(q[k]));
            g.normals.push_back(static_cast<float>(m[k]));
        }
        slots.push_back({{bone, 0, 0, 0}, {1, 0, 0, 0}});
    }

    // A box from low to high corner, each face two triangles turned outwards,
    // moved wholly by one skin bone (1 + index into bones).
    void box(const Vec3& low, const Vec3& high, Material material, std::uint8_t bone) {
        for (int axis = 0; axis < 3; ++axis)
            for (int side = 0; side < 2; ++side) {
                const int u = (axis + 1) % 3, v = (axis + 2) % 3;
                Vec3 n{0, 0, 0};
                n[axis] = side ? 1 : -1;
                const auto first = static_cast<std::uint16_t>(g.positions.size() / 3);
                const int corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
                for (const auto& c : corners) {
                    Vec3 p;
                    p[axis] = side ? high[axis] : low[axis];
                    p[u] = c[0] ? high[u] : low[u];
                    p[v] = c[1] ? high[v] : low[v];
                    vertex(p, n, bone);
                }
                // Counter-clockwise seen from outside: reversed on the low side.
                const std::uint16_t a = first, b = first + (side ? 1 : 3), c = first + 2, d = first + (side ? 3 : 1);
                g.triangles.push_back({a, b, c, material});
                g.triangles.push_back({a, c, d, material});
            }
    }
};

// The skin bones: Root first, then the bones above in order.
constexpr std::uint8_t bone_of(std::size_t index) { return static_cast<std::uint8_t>(index + 1); }

}  // namespace

std::vector<std::uint8_t> character_model() {
    ClumpLayout clump;
    clump.frames[0].name = "character";
    // x to z, y to x, z to y: the skeleton on its back, as real root bones hold it.
    FrameLayout root;
    root.matrix = {0, 0, 1, 1, 0, 0, 0, 1, 0, 0, 0, 1.0f};
    root.parent = 0;
    root.name = "Root";
    std::vector<std::int32_t> skeleton = {0};
    for (const Bone& b : bones) skeleton.push_back(b.node_id);
    root.plugins.push_back(bone_plugin(0, skeleton));
    clump.frames.push_back(root);
    // Every bone keeps the pelvis's axes: its frame is where it sits, from its parent.
    for (const Bone& b : bones) {
        FrameLayout f;
        const Vec3 from = b.parent < 0 ? Vec3{0, 0, 0} : bones[b.parent].at;
        const Vec3 at = pelvis_space(b.at), parent_at = pelvis_space(from);
        for (int k = 0; k < 3; ++k) f.matrix[9 + k] = static_cast<float>(at[k] - parent_at[k]);
        f.parent = b.parent < 0 ? 1 : 2 + b.parent;
        f.name = b.name;
        f.plugins.push_back(bone_plugin(b.node_id));
        clump.frames.push_back(f);
    }

    Figure fig;
    fig.box({-0.12, -0.1, 0.6}, {0.12, 0.12, 0.86}, skin, bone_of(2));       // head
    fig.box({-0.2, -0.11, 0.05}, {0.2, 0.11, 0.55}, shirt, bone_of(1));      // chest
    fig.box({-0.18, -0.1, -0.1}, {0.18, 0.1, 0.05}, trousers, bone_of(0));   // hips
    for (int side = 0; side < 2; ++side) {
        const double x = side ? 1 : -1;
        const std::size_t arm = side ? 4 : 3, thigh = side ? 7 : 5, calf = side ? 8 : 6;
        auto span = [x](double a, double b) { return std::array<double, 2>{x < 0 ? -b : a, x < 0 ? -a : b}; };
        const auto arm_x = span(0.2, 0.3), leg_x = span(0.02, 0.17);
        fig.box({arm_x[0], -0.06, 0.0}, {arm_x[1], 0.06, 0.52}, shirt, bone_of(arm));
        fig.box({leg_x[0], -0.08, -0.5}, {leg_x[1], 0.08, -0.08}, trousers, bone_of(thigh));
        fig.box({leg_x[0], -0.07, -0.9}, {leg_x[1], 0.07, -0.5}, trousers, bone_of(calf));
        fig.box({leg_x[0], -0.08, -0.97}, {leg_x[1], 0.2, -0.9}, shoes, bone_of(calf));
    }
    fig.g.flags = geometry_positions | geometry_normals;
    fig.g.materials = {MaterialLayout{{224, 172, 138, 255}}, MaterialLayout{{52, 96, 170, 255}},
                       MaterialLayout{{58, 58, 66, 255}}, MaterialLayout{{96, 60, 36, 255}}};
    // The points are stored in the pelvis's space, and every bone keeps the
    // pelvis's axes: a bone's inverse bind matrix only takes away where it sits.
    std::vector<std::array<double, 12>> inverse_binds = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}};
    for (const Bone& b : bones) {
        const Vec3 at = pelvis_space(b.at);
        inverse_binds.push_back({1, 0, 0, 0, 1, 0, 0, 0, 1, -at[0], -at[1], -at[2]});
    }
    fig.g.plugins.push_back(skin_chunk(fig.slots, inverse_binds, false));
    clump.geometries.push_back(fig.g);
    clump.atomics.push_back({0, 0});
    ModelLayout model;
    model.clumps.push_back(clump);
    return build_model(model);
}
