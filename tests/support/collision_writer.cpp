#include "support/collision_writer.h"

#include <cmath>
#include <cstring>

#include "support/chunk_writer.h"
#include "support/model_layout.h"

namespace colw {

namespace {

struct Out {
    std::vector<std::uint8_t> b;
    void u8(std::uint8_t v) { b.push_back(v); }
    void u16(std::uint16_t v) { u8(v & 0xFF), u8(v >> 8); }
    void u32(std::uint32_t v) {
        for (int k = 0; k < 4; ++k) u8(static_cast<std::uint8_t>(v >> (8 * k)));
    }
    void f32(float f) {
        std::uint32_t v;
        std::memcpy(&v, &f, 4);
        u32(v);
    }
    void three(const std::array<float, 3>& v) {
        for (float f : v) f32(f);
    }
    void surface(std::uint8_t material) { u32(material); }
    void pad_to(std::size_t n) { b.resize(n, 0); }
};

void bounds(const Record& r, std::array<float, 3>& lo, std::array<float, 3>& hi) {
    lo = {-1, -1, -1};
    hi = {1, 1, 1};
    for (const auto& v : r.mesh.vertices)
        for (int k = 0; k < 3; ++k) lo[k] = std::fmin(lo[k], v[k]), hi[k] = std::fmax(hi[k], v[k]);
}

void head(Out& o, const Record& r) {
    static const char* const fourcc[] = {"COLL", "COLL", "COL2", "COL3", "COL4"};
    for (int k = 0; k < 4; ++k) o.u8(static_cast<std::uint8_t>(fourcc[r.version][k]));
    o.u32(0);  // size, set at the end
    for (std::size_t k = 0; k < 22; ++k) o.u8(k < r.name.size() ? static_cast<std::uint8_t>(r.name[k]) : 0);
    o.u16(r.id);
}

std::vector<std::uint8_t> version_1(const Record& r) {
    Out o;
    head(o, r);
    std::array<float, 3> lo, hi;
    bounds(r, lo, hi);
    o.f32(2);
    o.three({0, 0, 0});
    o.three(lo);
    o.three(hi);
    o.u32(static_cast<std::uint32_t>(r.spheres.size()));
    for (const Sphere& s : r.spheres) o.f32(s.radius), o.three(s.centre), o.surface(s.material);
    o.u32(0);  // lines
    o.u32(static_cast<std::uint32_t>(r.boxes.size()));
    for (const Box& b : r.boxes) o.three(b.min), o.three(b.max), o.surface(b.material);
    o.u32(static_cast<std::uint32_t>(r.mesh.vertices.size()));
    for (const auto& v : r.mesh.vertices) o.three(v);
    o.u32(static_cast<std::uint32_t>(r.mesh.faces.size()));
    for (const Face& f : r.mesh.faces) o.u32(f.a), o.u32(f.b), o.u32(f.c), o.surface(f.material);
    return o.b;
}

std::int16_t packed(float f) { return static_cast<std::int16_t>(std::lround(f * 128)); }

std::vector<std::uint8_t> later_version(const Record& r) {
    Out o;
    head(o, r);
    std::array<float, 3> lo, hi;
    bounds(r, lo, hi);
    o.three(lo);
    o.three(hi);
    o.three({0, 0, 0});
    o.f32(2);
    o.u16(static_cast<std::uint16_t>(r.spheres.size()));
    o.u16(static_cast<std::uint16_t>(r.boxes.size()));
    o.u16(static_cast<std::uint16_t>(r.mesh.faces.size()));
    o.u8(0), o.u8(0);
    const bool any = !r.spheres.empty() || !r.boxes.empty() || !r.mesh.faces.empty() || !r.shadow.faces.empty();
    std::uint32_t flags = any ? 2 : 0;
    if (r.face_groups && !r.mesh.faces.empty()) flags |= 8;
    if (r.version >= 3 && !r.shadow.faces.empty()) flags |= 16;
    o.u32(flags);
    const std::size_t header = r.version == 2 ? 108 : r.version == 3 ? 120 : 124;
    o.pad_to(header);
    // Offsets count from the size field: byte 4 of the record.
    auto offset = [&] { return static_cast<std::uint32_t>(o.b.size() - 4); };
    std::uint32_t at[6] = {}, shadow_vertices = 0, shadow_faces = 0;
    auto vertices = [&](const Mesh& m) {
        for (const auto& v : m.vertices)
            for (float f : v) o.u16(static_cast<std::uint16_t>(packed(f)));
        if (m.vertices.size() % 2) o.u16(0);
    };
    auto faces = [&](const Mesh& m) {
        for (const Face& f : m.faces)
            o.u16(static_cast<std::uint16_t>(f.a)), o.u16(static_cast<std::uint16_t>(f.b)),
                o.u16(static_cast<std::uint16_t>(f.c)), o.u8(f.material), o.u8(0);
    };
    if (!r.spheres.empty()) at[0] = offset();
    for (const Sphere& s : r.spheres) o.three(s.centre), o.f32(s.radius), o.surface(s.material);
    if (!r.boxes.empty()) at[1] = offset();
    for (const Box& b : r.boxes) o.three(b.min), o.three(b.max), o.surface(b.material);
    if (!r.mesh.vertices.empty()) at[3] = offset();
    vertices(r.mesh);
    if (flags & 8) {
        o.three(lo), o.three(hi);
        o.u16(0), o.u16(static_cast<std::uint16_t>(r.mesh.faces.size() - 1));
        o.u32(1);
    }
    if (!r.mesh.faces.empty()) at[4] = offset();
    faces(r.mesh);
    if (r.version >= 3 && !r.shadow.faces.empty()) {
        shadow_vertices = offset();
        vertices(r.shadow);
        shadow_faces = offset();
        faces(r.shadow);
    }
    for (int k = 0; k < 6; ++k) put_u32(o.b, 84 + 4 * k, at[k]);
    if (r.version >= 3) {
        put_u32(o.b, 108, r.version >= 3 ? static_cast<std::uint32_t>(r.shadow.faces.size()) : 0);
        put_u32(o.b, 112, shadow_vertices);
        put_u32(o.b, 116, shadow_faces);
    }
    return o.b;
}

}  // namespace

void put_u32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) bytes.at(at + k) = static_cast<std::uint8_t>(value >> (8 * k));
}
void put_u16(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value) {
    bytes.at(at) = static_cast<std::uint8_t>(value);
    bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

std::vector<std::uint8_t> record(const Record& r) {
    std::vector<std::uint8_t> b = r.version == 1 ? version_1(r) : later_version(r);
    put_u32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

std::vector<std::uint8_t> file(const std::vector<Record>& records) {
    std::vector<std::uint8_t> out;
    for (const Record& r : records) {
        const std::vector<std::uint8_t> b = record(r);
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

Record sample(int version, const std::string& name) {
    Record r;
    r.version = version;
    r.name = name;
    r.spheres.push_back({{0, 0, 1}, 0.5f, 1});
    r.boxes.push_back({{-1, -1, 0}, {1, 1, 0.5f}, 4});
    r.mesh.vertices = {{-2, -2, 0}, {2, -2, 0}, {2, 2, 0}, {-2, 2, 0}, {0, 0, 3.5f}};
    r.mesh.faces = {{0, 2, 1, 1}, {0, 3, 2, 9}, {0, 1, 4, 22}};
    r.face_groups = version >= 2;
    if (version >= 3) {
        r.shadow.vertices = {{-1, -1, 0.5f}, {1, -1, 0.5f}, {0, 1, 0.5f}};
        r.shadow.faces = {{0, 1, 2, 0}};
    }
    return r;
}

}  // namespace colw

namespace colw {

std::vector<std::uint8_t> model_with_collision(const std::vector<std::uint8_t>& record) {
    std::vector<chunks::Node> nodes = model_nodes(single_geometry_model(quad_geometry()));
    // The clump's extension is its last child.
    nodes.front().children.back().children.push_back(chunks::leaf(0x253F2FA, chunks::stamp_3_6_0_3, record));
    return model_bytes(nodes);
}

}  // namespace colw
