#include "support/placement_builder.h"

#include <cstring>

namespace {

void put_u32(std::string& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out[at + i] = char(v >> (8 * i) & 0xFF);
}

void put_f32(std::string& out, std::size_t at, float f) {
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    put_u32(out, at, u);
}

}  // namespace

ModelLayout map_object_layout(const std::string& name, const std::string& texture) {
    ClumpLayout clump;
    clump.frames = {FrameLayout{}};
    const char* suffixes[] = {"_L0", "_L1", "_dam"};
    for (int i = 0; i < 3; ++i) {
        clump.frames.push_back({{0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 100}, 0, name + suffixes[i]});
        GeometryLayout g;
        g.flags = geometry_positions | geometry_normals | geometry_textured;
        g.positions = {1, 2, 3 + float(i) * 10, 0, 0, 0, 1, 0, 0};
        g.normals = {1, 0, 0, 0, 0, 1, 0, 0, 1};
        g.uvs = {0, 0, 1, 0, 0, 1};
        g.triangles = {{0, 1, 2, 0}};
        g.materials = {{{255, 255, 255, 255}, texture, ""}};
        clump.geometries.push_back(g);
        clump.atomics.push_back({i + 1, i});
    }
    ModelLayout m;
    m.clumps = {clump};
    return m;
}

std::string binary_placement(const std::vector<BinaryInstance>& records, std::int64_t count_override) {
    std::string out(76 + 40 * records.size(), '\0');
    std::memcpy(out.data(), "bnry", 4);
    put_u32(out, 4, std::uint32_t(count_override >= 0 ? count_override : std::int64_t(records.size())));
    put_u32(out, 28, 76);
    put_u32(out, 60, std::uint32_t(out.size()));  // no parked cars: their section starts at the end
    for (std::size_t i = 0; i < records.size(); ++i) {
        const BinaryInstance& r = records[i];
        std::size_t at = 76 + 40 * i;
        for (int k = 0; k < 3; ++k) put_f32(out, at + 4 * k, r.position[k]);
        for (int k = 0; k < 4; ++k) put_f32(out, at + 12 + 4 * k, r.rotation[k]);
        put_u32(out, at + 28, std::uint32_t(r.id));
        put_u32(out, at + 32, std::uint32_t(r.interior));
        put_u32(out, at + 36, std::uint32_t(r.lod));
    }
    return out;
}
