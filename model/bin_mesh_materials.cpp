// Which material draws each triangle record: the BinMesh's lists are what the
// game draws, and some exporters leave material 0 in every record.
#include <algorithm>
#include <array>

#include "model/reading.h"

namespace {

using Corners = std::array<std::uint32_t, 3>;

Corners as_set(const Triangle& t) {
    Corners c = {t.a, t.b, t.c};
    std::sort(c.begin(), c.end());
    return c;
}

// The corners turned so that the smallest comes first: equal for two
// triangles with the same winding, whichever corner each starts from.
Corners turned(const Triangle& t) {
    if (t.b < t.a && t.b < t.c) return {t.b, t.c, t.a};
    if (t.c < t.a && t.c < t.b) return {t.c, t.a, t.b};
    return {t.a, t.b, t.c};
}

struct Listed {
    Corners set, winding;
    std::uint32_t material;
    bool taken = false;
};

// The first index or material out of range, as a finding; true when all are in range.
bool in_range(Reading& r, const Chunk& chunk, const std::vector<Triangle>& listed, const Geometry& g) {
    const auto vertices = static_cast<std::uint32_t>(g.vertex_count);
    // A geometry with no material list draws material 0 all the same.
    const std::size_t materials = std::max<std::size_t>(g.materials.size(), 1);
    for (const Triangle& t : listed) {
        if (t.a >= vertices || t.b >= vertices || t.c >= vertices) {
            r.doubt(chunk.offset, "BinMesh names vertex " + std::to_string(std::max({t.a, t.b, t.c})) + " of " +
                                      std::to_string(vertices) + ": the records' materials kept");
            return false;
        }
        if (t.material >= materials) {
            r.doubt(chunk.offset, "BinMesh names material " + std::to_string(t.material) + " of " +
                                      std::to_string(g.materials.size()) + ": the records' materials kept");
            return false;
        }
    }
    return true;
}

// The list entry for a record: an untaken one of the same winding first (the
// two sides of a double-sided face may differ), then any untaken one, then
// any; null when no list holds these corners.
Listed* match(std::vector<Listed>& listed, const Triangle& record) {
    const Corners set = as_set(record), winding = turned(record);
    auto [first, last] = std::equal_range(listed.begin(), listed.end(), Listed{set, {}, 0},
                                          [](const Listed& x, const Listed& y) { return x.set < y.set; });
    if (first == last) return nullptr;
    for (auto at = first; at != last; ++at)
        if (!at->taken && at->winding == winding) return &*at;
    for (auto at = first; at != last; ++at)
        if (!at->taken) return &*at;
    return &*first;
}

}  // namespace

void take_bin_mesh_materials(Reading& r, const Chunk& chunk, Geometry& g) {
    std::vector<Triangle> triangles;
    if (read_bin_mesh(r, chunk, triangles) != BinMeshRead::whole) {
        r.doubt(chunk.offset, "damaged BinMesh: the records' materials kept");
        return;
    }
    if (!in_range(r, chunk, triangles, g)) return;
    std::vector<Listed> listed;
    listed.reserve(triangles.size());
    for (const Triangle& t : triangles) listed.push_back({as_set(t), turned(t), t.material});
    std::stable_sort(listed.begin(), listed.end(), [](const Listed& x, const Listed& y) { return x.set < y.set; });
    for (Triangle& record : g.triangles) {
        Listed* found = match(listed, record);
        if (!found) continue;
        found->taken = true;
        if (found->material != record.material) {
            record.material = found->material;
            ++g.bin_mesh_materials;
        }
    }
}
