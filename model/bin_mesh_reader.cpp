// The BinMesh plug-in: the triangles regrouped by material, as lists or strips.
#include "model/reading.h"

namespace {

void add_list(const std::uint8_t* indices, std::uint32_t count, std::uint32_t material,
              std::vector<Triangle>& triangles) {
    for (std::uint32_t i = 0; i + 3 <= count; i += 3)
        triangles.push_back({read_u32(indices + 4 * i), read_u32(indices + 4 * i + 4),
                             read_u32(indices + 4 * i + 8), material});
}

// Every window of three is a triangle, every second one turned by swapping its
// first two corners; windows with a repeated index join strips and are skipped.
void add_strip(const std::uint8_t* indices, std::uint32_t count, std::uint32_t material,
               std::vector<Triangle>& triangles) {
    for (std::uint32_t i = 0; i + 3 <= count; ++i) {
        std::uint32_t a = read_u32(indices + 4 * i), b = read_u32(indices + 4 * i + 4),
                      c = read_u32(indices + 4 * i + 8);
        if (a == b || b == c || a == c) continue;
        if (i % 2) triangles.push_back({b, a, c, material});
        else triangles.push_back({a, b, c, material});
    }
}

}  // namespace

BinMeshRead read_bin_mesh(Reading& r, const Chunk& chunk, std::vector<Triangle>& triangles) {
    const std::uint8_t* p = r.bytes + chunk.body();
    if (chunk.size < 12) {
        r.doubt(chunk.offset, "BinMesh without its header");
        return BinMeshRead::damaged;
    }
    std::uint32_t kind = read_u32(p), meshes = read_u32(p + 4);
    if (kind > 1) {
        r.doubt(chunk.offset, "BinMesh of unknown kind " + std::to_string(kind));
        return BinMeshRead::damaged;
    }
    BinMeshRead result = BinMeshRead::whole;
    std::uint64_t at = 12;
    for (std::uint32_t m = 0; m < meshes; ++m) {
        if (chunk.size - at < 8) {
            r.doubt(chunk.offset, "BinMesh cut short in mesh " + std::to_string(m));
            return BinMeshRead::damaged;
        }
        std::uint32_t count = read_u32(p + at), material = read_u32(p + at + 4);
        at += 8;
        if (4 * std::uint64_t(count) > chunk.size - at) {
            r.doubt(chunk.offset, "BinMesh mesh " + std::to_string(m) + " promises " +
                                      std::to_string(count) + " indices past its end");
            return BinMeshRead::damaged;
        }
        if (kind == 0 && count % 3) {
            r.doubt(chunk.offset, "BinMesh list of " + std::to_string(count) + " indices is not whole triangles");
            result = BinMeshRead::odd_list;
        }
        if (kind == 0) add_list(p + at, count, material, triangles);
        else add_strip(p + at, count, material, triangles);
        at += 4 * std::uint64_t(count);
    }
    return result;
}
