// Writes the bundled sample models into a folder: small models laid out as the
// game stores them, as far as the converter reads them, each made for one of
// the search strategies.
//
//   crate.dff    two boxes, one UV set              go1 converts it clean
//   house.dff    walls and roof, two UV sets        go3 converts it clean (go1, go2 not)
//   lantern.dff  post and cap with vertex colours   only go4 converts it clean
//   lamp.dff     a street lamp of four parts placed by frames, for the
//   lamp.txd     structure conversion, and its textures (samples/lamp_*)
//   lamp_ps2.txd the lamp's textures as a PS2 dictionary holds them
//   character.dff a figure bound to a skeleton of ten bones, stood up by its
//                skin (samples/character_*)
//   character_walk.ifp its animations (ANP3): a walk, its root moving forward
//                and its thighs swinging, and a turn of its left arm
//
// Usage: make_samples FOLDER
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "samples/character_model.h"
#include "support/animation_layout.h"
#include "samples/lamp_model.h"
#include "samples/lamp_textures.h"
#include "support/model_builder.h"

namespace {

using Vec3 = std::array<float, 3>;
using Vec2 = std::array<float, 2>;

struct Mesh {
    std::vector<Vec3> positions, normals;
    std::vector<Vec2> uvs, lightmap_uvs;
    std::vector<std::array<std::uint8_t, 4>> colours;
    std::vector<std::array<std::uint16_t, 3>> triangles;
};

// One quad, corners counter-clockwise seen from outside. Its first corner has
// u = 1: a geometry record whose first texture coordinate is zero in its upper
// bytes is taken for something else by go1 and go3.
void add_quad(Mesh& m, const std::array<Vec3, 4>& corners, const Vec3& normal, const Vec2& lightmap_origin,
              std::array<std::uint8_t, 4> colour) {
    static const Vec2 corner_uvs[4] = {{1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}, {0.0f, 0.0f}};
    auto base = static_cast<std::uint16_t>(m.positions.size());
    for (int i = 0; i < 4; ++i) {
        m.positions.push_back(corners[i]);
        m.normals.push_back(normal);
        m.uvs.push_back(corner_uvs[i]);
        m.lightmap_uvs.push_back(
            {lightmap_origin[0] + 0.25f * corner_uvs[i][0], lightmap_origin[1] + 0.25f * corner_uvs[i][1]});
        m.colours.push_back(colour);
    }
    // Each triangle starts at its second corner, so that no face record reads
    // 0, 1, 0 as 16-bit numbers, which go1 and go3 would take for a record start.
    m.triangles.push_back({static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2), base});
    m.triangles.push_back({static_cast<std::uint16_t>(base + 2), static_cast<std::uint16_t>(base + 3), base});
}

void add_triangle(Mesh& m, const std::array<Vec3, 3>& corners, const Vec3& normal, const Vec2& lightmap_origin,
                  std::array<std::uint8_t, 4> colour) {
    static const Vec2 corner_uvs[3] = {{1.0f, 0.0f}, {0.5f, 1.0f}, {0.0f, 0.0f}};
    auto base = static_cast<std::uint16_t>(m.positions.size());
    for (int i = 0; i < 3; ++i) {
        m.positions.push_back(corners[i]);
        m.normals.push_back(normal);
        m.uvs.push_back(corner_uvs[i]);
        m.lightmap_uvs.push_back(
            {lightmap_origin[0] + 0.25f * corner_uvs[i][0], lightmap_origin[1] + 0.25f * corner_uvs[i][1]});
        m.colours.push_back(colour);
    }
    m.triangles.push_back({static_cast<std::uint16_t>(base + 1), static_cast<std::uint16_t>(base + 2), base});
}

// An axis-aligned box from lo to hi, all six sides, lit from above in its colours.
Mesh box(const Vec3& lo, const Vec3& hi, bool with_bottom = true) {
    Mesh m;
    const float x0 = lo[0], y0 = lo[1], z0 = lo[2], x1 = hi[0], y1 = hi[1], z1 = hi[2];
    const std::array<std::uint8_t, 4> side{200, 180, 150, 255}, top{255, 240, 210, 255}, bottom{90, 80, 70, 255};
    add_quad(m, {{{x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}}}, {1, 0, 0}, {0.00f, 0.00f}, side);
    add_quad(m, {{{x0, y0, z1}, {x0, y1, z1}, {x0, y1, z0}, {x0, y0, z0}}}, {-1, 0, 0}, {0.25f, 0.00f}, side);
    add_quad(m, {{{x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}}}, {0, 1, 0}, {0.50f, 0.00f}, top);
    add_quad(m, {{{x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, {x0, y1, z1}}}, {0, 0, 1}, {0.75f, 0.00f}, side);
    add_quad(m, {{{x1, y0, z0}, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}}}, {0, 0, -1}, {0.00f, 0.25f}, side);
    if (with_bottom)
        add_quad(m, {{{x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}}}, {0, -1, 0}, {0.25f, 0.25f},
                 bottom);
    return m;
}

// A gable roof over the box x0..x1, z0..z1 from eave height y0 to the ridge at y1.
Mesh roof(float x0, float x1, float z0, float z1, float y0, float y1) {
    Mesh m;
    const float xm = 0.5f * (x0 + x1), half = 0.5f * (x1 - x0), rise = y1 - y0;
    const float len = std::sqrt(half * half + rise * rise);
    const float nx = rise / len, ny = half / len;
    const std::array<std::uint8_t, 4> tiles{160, 70, 50, 255};
    add_quad(m, {{{x1, y0, z0}, {xm, y1, z0}, {xm, y1, z1}, {x1, y0, z1}}}, {nx, ny, 0}, {0.50f, 0.25f}, tiles);
    add_quad(m, {{{x0, y0, z1}, {xm, y1, z1}, {xm, y1, z0}, {x0, y0, z0}}}, {-nx, ny, 0}, {0.75f, 0.25f}, tiles);
    add_triangle(m, {{{x0, y0, z1}, {x1, y0, z1}, {xm, y1, z1}}}, {0, 0, 1}, {0.00f, 0.50f}, tiles);
    add_triangle(m, {{{x1, y0, z0}, {x0, y0, z0}, {xm, y1, z0}}}, {0, 0, -1}, {0.25f, 0.50f}, tiles);
    return m;
}

// A four-sided pyramid cap standing on y0 over the square x0..x1, z0..z1.
Mesh cap(float x0, float x1, float z0, float z1, float y0, float y1) {
    Mesh m;
    const float xm = 0.5f * (x0 + x1), zm = 0.5f * (z0 + z1), half = 0.5f * (x1 - x0), rise = y1 - y0;
    const float len = std::sqrt(half * half + rise * rise);
    const float s = rise / len, u = half / len;
    const Vec3 apex{xm, y1, zm};
    const std::array<std::uint8_t, 4> glow{255, 220, 120, 255};
    add_triangle(m, {{{x1, y0, z0}, apex, {x1, y0, z1}}}, {s, u, 0}, {0.00f, 0.00f}, glow);
    add_triangle(m, {{{x0, y0, z1}, apex, {x0, y0, z0}}}, {-s, u, 0}, {0.25f, 0.00f}, glow);
    add_triangle(m, {{{x1, y0, z1}, apex, {x0, y0, z1}}}, {0, u, s}, {0.50f, 0.00f}, glow);
    add_triangle(m, {{{x0, y0, z0}, apex, {x1, y0, z0}}}, {0, u, -s}, {0.75f, 0.00f}, glow);
    add_quad(m, {{{x1, y0, z1}, {x1, y0, z0}, {x0, y0, z0}, {x0, y0, z1}}}, {0, -1, 0}, {0.00f, 0.25f}, glow);
    return m;
}

enum : std::uint32_t {
    chunk_struct = 0x01,
    chunk_string = 0x02,
    chunk_extension = 0x03,
    chunk_texture = 0x06,
    chunk_material = 0x07,
    chunk_geometry = 0x0F,
    chunk_clump = 0x10,
    chunk_paint_effect = 0xFA01,
};

void string_chunk(ModelBuilder& m, const std::string& s) {
    std::size_t c = m.begin_chunk(chunk_string);
    m.text(s);
    m.fill(4 - s.size() % 4);  // terminated, padded to four bytes
    m.end_chunk(c);
}

// A material with a texture of the given name.
void material(ModelBuilder& m, const std::string& texture) {
    std::size_t mat = m.begin_chunk(chunk_material);
    std::size_t s = m.begin_chunk(chunk_struct);
    m.u32(0);                         // flags
    m.raw({0xFF, 0xFF, 0xFF, 0xFF});  // colour
    m.u32(0);                         // unused
    m.u32(1);                         // textured
    m.f32(1.0f), m.f32(1.0f), m.f32(1.0f);  // ambient, specular, diffuse
    m.end_chunk(s);
    std::size_t tex = m.begin_chunk(chunk_texture);
    std::size_t ts = m.begin_chunk(chunk_struct);
    m.u32(0x1106);  // filtering and addressing
    m.end_chunk(ts);
    string_chunk(m, texture);
    string_chunk(m, "");
    m.end_chunk(tex);
    std::size_t ext = m.begin_chunk(chunk_extension);
    m.end_chunk(ext);
    m.end_chunk(mat);
}

// The paint effect record that precedes a painted geometry: its "paint name"
// entry, then two pairs of ones 16 bytes apart, the second 40 bytes before the
// geometry's triangle count. This is what go4 looks for.
void paint_effect(ModelBuilder& m) {
    std::size_t pe = m.begin_chunk(chunk_paint_effect);
    m.text("paint name");
    m.fill(2);
    m.u32(1), m.u32(1), m.u32(2), m.u32(3);
    m.u32(1), m.u32(1), m.u32(0);
    m.end_chunk(pe);
}

struct Layout {
    bool lightmap = false;  // a second UV set after the first (go3's record layout)
    bool colours = false;   // vertex colours before the UVs (go4's record layout)
};

// A geometry record: counts, one morph target, the optional colours, the UV
// sets, the triangles (second corner, third corner, material 0, first corner),
// the morph target's bounding sphere and flags, positions and normals.
void geometry(ModelBuilder& m, const Mesh& mesh, const Layout& layout, const std::string& texture,
              bool paint) {
    if (paint) paint_effect(m);
    std::size_t g = m.begin_chunk(chunk_geometry);
    std::size_t s = m.begin_chunk(chunk_struct);
    std::uint32_t flags = 0x02 | 0x04 | 0x10 | 0x20 | (layout.colours ? 0x08 : 0) | (layout.lightmap ? 0x80 : 0);
    m.u32(flags | (layout.lightmap ? 2u : 1u) << 16);
    std::uint32_t vc = static_cast<std::uint32_t>(mesh.positions.size());
    m.u32(static_cast<std::uint32_t>(mesh.triangles.size()));
    m.u32(vc);
    m.u32(1);  // morph targets
    if (layout.colours)
        for (const auto& c : mesh.colours) m.raw({c[0], c[1], c[2], c[3]});
    for (const auto& uv : mesh.uvs) m.f32(uv[0]), m.f32(uv[1]);
    if (layout.lightmap)
        for (const auto& uv : mesh.lightmap_uvs) m.f32(uv[0]), m.f32(uv[1]);
    for (const auto& t : mesh.triangles) m.u16(t[0]), m.u16(t[1]), m.u16(0), m.u16(t[2]);
    Vec3 lo = mesh.positions[0], hi = lo;
    for (const auto& p : mesh.positions)
        for (int i = 0; i < 3; ++i) lo[i] = std::min(lo[i], p[i]), hi[i] = std::max(hi[i], p[i]);
    float radius = 0;
    for (int i = 0; i < 3; ++i) radius = std::max(radius, 0.5f * (hi[i] - lo[i]));
    m.f32(0.5f * (lo[0] + hi[0])), m.f32(0.5f * (lo[1] + hi[1])), m.f32(0.5f * (lo[2] + hi[2]));
    m.f32(radius * 1.7320508f);
    m.u32(1), m.u32(1);  // has positions, has normals: go1's and go3's sign of such records
    for (const auto& p : mesh.positions) m.f32(p[0]), m.f32(p[1]), m.f32(p[2]);
    for (const auto& n : mesh.normals) m.f32(n[0]), m.f32(n[1]), m.f32(n[2]);
    m.end_chunk(s);
    material(m, texture);
    m.end_chunk(g);
}

struct SubMesh {
    Mesh mesh;
    std::string texture;
};

// A clump: its struct, a frame list of one frame, the geometries with their
// materials. The first byte of the file is the clump's type, 16.
ModelBuilder model(const std::vector<SubMesh>& parts, const Layout& layout, bool paint) {
    ModelBuilder m;
    std::size_t clump = m.begin_chunk(chunk_clump);
    std::size_t s = m.begin_chunk(chunk_struct);
    m.u32(static_cast<std::uint32_t>(parts.size())), m.u32(0), m.u32(0);
    m.end_chunk(s);
    // Frame list: one frame with the identity rotation at the origin, no parent.
    std::size_t frames = m.begin_chunk(chunk_struct);
    m.u32(1);
    for (float v : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f}) m.f32(v);
    m.raw({0xFF, 0xFF, 0xFF, 0xFF});
    m.u32(0);
    m.end_chunk(frames);
    // Geometry list: count, then the records.
    std::size_t list = m.begin_chunk(chunk_struct);
    m.u32(static_cast<std::uint32_t>(parts.size()));
    m.end_chunk(list);
    for (const SubMesh& part : parts) geometry(m, part.mesh, layout, part.texture, paint);
    // Atomics: frame 0, geometry i, rendered and tested for collisions.
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::size_t a = m.begin_chunk(chunk_struct);
        m.u32(0), m.u32(static_cast<std::uint32_t>(i)), m.u32(5), m.u32(0);
        m.end_chunk(a);
    }
    m.end_chunk(clump);
    return m;
}

// The character's walk at its pelvis height, the thighs (41, 51) out of step.
std::vector<std::uint8_t> character_walk() {
    WalkBones bones;
    bones.legs = {41, 51};
    bones.turn_id = 22;
    bones.root_height = 1.0f;
    const std::string file = anp3_file(walk_rows(bones, false));
    return {file.begin(), file.end()};
}

bool write(const std::string& folder, const std::string& name, const std::vector<std::uint8_t>& bytes) {
    std::string path = folder + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f && std::fclose(f) != 0) ok = false;
    if (!ok) std::fprintf(stderr, "make_samples: cannot write %s\n", path.c_str());
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];

    ModelBuilder crate = model({{box({-0.5f, 0.0f, -0.5f}, {0.5f, 1.0f, 0.5f}), "crate_wood"},
                                {box({-0.6f, 1.0f, -0.6f}, {0.6f, 1.1f, 0.6f}), "crate_lid"}},
                               Layout{}, false);
    ModelBuilder house = model({{box({-2.0f, 0.0f, -1.5f}, {2.0f, 2.5f, 1.5f}, false), "house_wall"},
                                {roof(-2.2f, 2.2f, -1.7f, 1.7f, 2.5f, 4.0f), "house_roof"}},
                               Layout{true, false}, false);
    ModelBuilder lantern = model({{box({-0.1f, 0.0f, -0.1f}, {0.1f, 2.0f, 0.1f}), "lantern_post"},
                                  {cap(-0.3f, 0.3f, -0.3f, 0.3f, 2.0f, 2.4f), "lantern_cap"}},
                                 Layout{false, true}, true);

    bool ok = write(folder, "crate.dff", crate.bytes) && write(folder, "house.dff", house.bytes) &&
              write(folder, "lantern.dff", lantern.bytes) && write(folder, "lamp.dff", lamp_model()) &&
              write(folder, "lamp.txd", lamp_dictionary()) && write(folder, "lamp_ps2.txd", lamp_console_dictionary()) &&
              write(folder, "character.dff", character_model()) &&
              write(folder, "character_walk.ifp", character_walk());
    return ok ? 0 : 1;
}
