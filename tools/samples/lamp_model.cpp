#include "samples/lamp_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "support/model_layout.h"

namespace {

using Vec3 = std::array<float, 3>;

// One part being built: the arrays of a GeometryLayout, with a shade per
// vertex for the parts that are prelit.
struct Part {
    GeometryLayout g;
    float shade_low = 0, shade_high = 0, shade_z0 = 0, shade_z1 = 1;  // colours by height, when prelit

    std::uint16_t vertex(const Vec3& p, const Vec3& n, float u, float v) {
        auto index = static_cast<std::uint16_t>(g.positions.size() / 3);
        g.positions.insert(g.positions.end(), p.begin(), p.end());
        g.normals.insert(g.normals.end(), n.begin(), n.end());
        g.uvs.push_back(u), g.uvs.push_back(v);
        float t = std::clamp((p[2] - shade_z0) / (shade_z1 - shade_z0), 0.0f, 1.0f);
        auto c = static_cast<std::uint8_t>(std::lround(shade_low + t * (shade_high - shade_low)));
        g.colors.insert(g.colors.end(), {c, c, static_cast<std::uint8_t>(c * 0.95f), 255});
        return index;
    }
};

Vec3 sub(const Vec3& a, const Vec3& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }

Vec3 unit_normal(const Vec3& a, const Vec3& b, const Vec3& c) {
    Vec3 u = sub(b, a), v = sub(c, a);
    Vec3 n{u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    float len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    return {n[0] / len, n[1] / len, n[2] / len};
}

float distance(const Vec3& a, const Vec3& b) {
    Vec3 d = sub(a, b);
    return std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
}

// A flat quad, corners counter-clockwise seen from outside, starting at the
// lower left: the image stands upright on it and repeats once every tile metres.
void quad(Part& p, const std::array<Vec3, 4>& c, std::uint16_t material, float tile) {
    const Vec3 n = unit_normal(c[0], c[1], c[2]);
    const float u = distance(c[0], c[1]) / tile, v = distance(c[1], c[2]) / tile;
    const std::uint16_t i0 = p.vertex(c[0], n, 0, v), i1 = p.vertex(c[1], n, u, v), i2 = p.vertex(c[2], n, u, 0),
                        i3 = p.vertex(c[3], n, 0, 0);
    p.g.triangles.push_back({i0, i1, i2, material});
    p.g.triangles.push_back({i0, i2, i3, material});
}

void triangle(Part& p, const std::array<Vec3, 3>& c, std::uint16_t material) {
    const Vec3 n = unit_normal(c[0], c[1], c[2]);
    const std::uint16_t i0 = p.vertex(c[0], n, 0, 1), i1 = p.vertex(c[1], n, 1, 1), i2 = p.vertex(c[2], n, 0.5f, 0);
    p.g.triangles.push_back({i0, i1, i2, material});
}

// The four sides of the box lo..hi, and its top and bottom when asked for.
void box(Part& p, const Vec3& lo, const Vec3& hi, std::uint16_t material, float tile, bool caps = true) {
    const float x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
    quad(p, {{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}, material, tile);  // front, -y
    quad(p, {{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}}, material, tile);  // right, +x
    quad(p, {{{x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}}}, material, tile);  // back, +y
    quad(p, {{{x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}}}, material, tile);  // left, -x
    if (!caps) return;
    quad(p, {{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}}, material, tile);  // top
    quad(p, {{{x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, {x0, y0, z0}}}, material, tile);  // bottom
}

// An upright prism of the given sides around the z axis, with a flat top.
void prism(Part& p, int sides, float radius, float z0, float z1, std::uint16_t material, float tile) {
    const float pi = 3.14159265f;
    auto corner = [&](int i, float z) {
        float a = 2 * pi * (i + 0.5f) / sides;
        return Vec3{radius * std::cos(a), radius * std::sin(a), z};
    };
    for (int i = 0; i < sides; ++i)
        quad(p, {{corner(i, z0), corner(i + 1, z0), corner(i + 1, z1), corner(i, z1)}}, material, tile);
    for (int i = 1; i + 1 < sides; ++i) triangle(p, {{corner(0, z1), corner(i, z1), corner(i + 1, z1)}}, material);
}

// A four-sided roof: the square of half-width w at z0 up to the apex at z1, and its underside.
void roof(Part& p, float w, float z0, float z1, std::uint16_t material) {
    const Vec3 apex{0, 0, z1};
    const Vec3 c[4] = {{-w, -w, z0}, {w, -w, z0}, {w, w, z0}, {-w, w, z0}};
    for (int i = 0; i < 4; ++i) triangle(p, {{c[i], c[(i + 1) % 4], apex}}, material);
    quad(p, {{c[3], c[2], c[1], c[0]}}, material, 2 * w);
}

enum : std::uint16_t { stone = 0, metal = 0, glass = 1 };

const MaterialLayout stone_material{{225, 220, 210, 255}, "stone", ""};
const MaterialLayout metal_material{{190, 195, 205, 255}, "metal", ""};
const MaterialLayout glass_material{{255, 240, 190, 255}, "glass", "glass_mask"};

constexpr std::uint32_t lit = 0x20, modulated = 0x40;

Part part(std::vector<MaterialLayout> materials, bool prelit) {
    Part p;
    p.g.flags = geometry_positions | geometry_textured | geometry_normals | lit | modulated | uv_sets_flag(1) |
                (prelit ? geometry_prelit : 0);
    p.g.materials = std::move(materials);
    return p;
}

GeometryLayout base() {
    Part p = part({stone_material}, true);
    p.shade_low = 120, p.shade_high = 250, p.shade_z0 = 0, p.shade_z1 = 0.55f;
    box(p, {-0.35f, -0.35f, 0.0f}, {0.35f, 0.35f, 0.4f}, stone, 0.5f);
    box(p, {-0.22f, -0.22f, 0.4f}, {0.22f, 0.22f, 0.55f}, stone, 0.5f, false);
    quad(p, {{{-0.22f, -0.22f, 0.55f}, {0.22f, -0.22f, 0.55f}, {0.22f, 0.22f, 0.55f}, {-0.22f, 0.22f, 0.55f}}},
         stone, 0.5f);
    return p.g;
}

// The post stands on its frame's origin, 2.9 m tall, a collar at its foot.
GeometryLayout post() {
    Part p = part({metal_material}, true);
    p.shade_low = 170, p.shade_high = 255, p.shade_z0 = 0, p.shade_z1 = 1.5f;
    prism(p, 8, 0.11f, 0.0f, 0.25f, metal, 0.25f);
    prism(p, 8, 0.065f, 0.25f, 2.9f, metal, 0.4f);
    return p.g;
}

// The arm runs along its frame's y axis; its frame turns that to point away from the post.
GeometryLayout arm() {
    Part p = part({metal_material}, false);
    box(p, {-0.035f, -0.05f, -0.035f}, {0.035f, 0.85f, 0.035f}, metal, 0.3f);
    return p.g;
}

// The lantern hangs below its frame's origin: a hook, a roof, four glass sides
// and a floor plate.
GeometryLayout head() {
    Part p = part({metal_material, glass_material}, false);
    box(p, {-0.02f, -0.02f, -0.1f}, {0.02f, 0.02f, 0.0f}, metal, 0.1f);
    roof(p, 0.2f, -0.25f, -0.1f, metal);
    box(p, {-0.14f, -0.14f, -0.6f}, {0.14f, 0.14f, -0.25f}, glass, 0.35f, false);
    box(p, {-0.16f, -0.16f, -0.65f}, {0.16f, 0.16f, -0.6f}, metal, 0.3f);
    return p.g;
}

// A frame turned about z by a quarter turn (sign +1 or -1) and moved to position.
FrameLayout quarter_turn(int sign, Vec3 position, std::int32_t parent, std::string name) {
    const float s = static_cast<float>(sign);
    return {{0, s, 0, -s, 0, 0, 0, 0, 1, position[0], position[1], position[2]}, parent, std::move(name), {}};
}

FrameLayout moved(Vec3 position, std::int32_t parent, std::string name) {
    return {{1, 0, 0, 0, 1, 0, 0, 0, 1, position[0], position[1], position[2]}, parent, std::move(name), {}};
}

}  // namespace

// The arm's frame turns a quarter to the right, the head's a quarter back: the
// head stands square again in the world, but only where the whole chain is
// composed does it hang at the arm's end (0.8, 0, 3.4) rather than beside the post.
std::vector<std::uint8_t> lamp_model() {
    ClumpLayout c;
    c.frames = {moved({0, 0, 0}, -1, "lamp"),
                moved({0, 0, 0}, 0, "base"),
                moved({0, 0, 0.55f}, 1, "post"),
                quarter_turn(-1, {0, 0, 2.85f}, 2, "arm"),
                quarter_turn(+1, {0, 0.8f, 0}, 3, "head")};
    c.geometries = {base(), post(), arm(), head()};
    c.atomics = {{1, 0}, {2, 1}, {3, 2}, {4, 3}};
    ModelLayout m;
    m.clumps = {std::move(c)};
    return build_model(m);
}
