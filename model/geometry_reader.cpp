// A geometry's Struct: counts, prelit colours, UV sets, triangle records and
// the morph targets, then its material list and plug-ins.
#include "model/reading.h"

namespace {

constexpr std::uint32_t flag_prelit = 0x08, flag_textured = 0x04, flag_textured2 = 0x80;
constexpr std::uint32_t flag_native = 0x01000000;

int uv_sets_of(std::uint32_t flags) {
    int stated = static_cast<int>((flags >> 16) & 0xFF);
    if (stated) return stated;
    return (flags & flag_textured2) ? 2 : (flags & flag_textured) ? 1 : 0;
}

// The Struct's arrays, laid out one after the other; every size was checked
// against the body before a view is taken.
struct Cursor {
    const std::uint8_t* body;
    std::uint32_t size;
    std::uint64_t at;
    std::uint64_t left() const { return at <= size ? size - at : 0; }
    ByteView view(std::uint32_t count, std::uint64_t bytes) {
        ByteView v{body + at, count};
        at += bytes;
        return v;
    }
};

void read_triangles(Cursor& cursor, std::uint32_t count, std::vector<Triangle>& triangles) {
    triangles.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = cursor.body + cursor.at + 8 * std::uint64_t(i);
        triangles[i] = {read_u16(p + 2), read_u16(p), read_u16(p + 6), read_u16(p + 4)};
    }
    cursor.at += 8 * std::uint64_t(count);
}

// Only the first morph target is the mesh; later ones are skipped by their size.
// Trusts each target's own has-positions and has-normals over the flags.
bool read_morph_targets(Reading& r, Cursor& cursor, std::uint32_t targets, std::uint32_t offset,
                        Geometry& g) {
    std::uint64_t part = 12 * std::uint64_t(static_cast<std::uint32_t>(g.vertex_count));
    for (std::uint32_t t = 0; t < targets; ++t) {
        if (cursor.left() < 24) {
            r.doubt(offset, "morph target " + std::to_string(t) + " cut short");
            return false;
        }
        bool has_positions = read_u32(cursor.body + cursor.at + 16) != 0;
        bool has_normals = read_u32(cursor.body + cursor.at + 20) != 0;
        cursor.at += 24;
        if (cursor.left() < part * (has_positions + has_normals)) {
            r.doubt(offset, "morph target " + std::to_string(t) + " cut short");
            return false;
        }
        ByteView positions, normals;
        if (has_positions) positions = cursor.view(g.vertex_count, part);
        if (has_normals) normals = cursor.view(g.vertex_count, part);
        if (t == 0) {
            g.positions = positions;
            g.normals = normals;
        }
    }
    return true;
}

// The arrays of a geometry that is not native; false when any is missing.
bool read_arrays(Reading& r, const Chunk& data, std::uint32_t triangles, std::uint32_t targets,
                 Geometry& g) {
    Cursor cursor{r.bytes + data.body(), data.size, r.version < 0x34000 ? 28u : 16u};
    std::uint64_t vertices = static_cast<std::uint32_t>(g.vertex_count);
    std::uint64_t needed = cursor.at + ((g.flags & flag_prelit) ? 4 * vertices : 0) +
                           8 * vertices * static_cast<std::uint64_t>(g.uv_set_count) +
                           8 * std::uint64_t(triangles);
    if (needed > data.size) {
        r.doubt(data.offset, "geometry counts (" + std::to_string(vertices) + " vertices, " +
                                 std::to_string(triangles) + " triangles) need more than its " +
                                 std::to_string(data.size) + " bytes");
        return false;
    }
    if (g.flags & flag_prelit) g.colors = cursor.view(g.vertex_count, 4 * vertices);
    if (g.uv_set_count > 0) g.uvs = cursor.view(g.vertex_count, 8 * vertices);
    if (g.uv_set_count > 1) g.uvs2 = cursor.view(g.vertex_count, 8 * vertices);
    cursor.at += 8 * vertices * static_cast<std::uint64_t>(g.uv_set_count > 2 ? g.uv_set_count - 2 : 0);
    read_triangles(cursor, triangles, g.triangles);
    if (!read_morph_targets(r, cursor, targets, data.offset, g)) return false;
    if (vertices && !g.positions.data) {
        r.doubt(data.offset, "geometry with " + std::to_string(vertices) + " vertices and no positions");
        return false;
    }
    return true;
}

// A flag (any non-zero value: present; real files hold junk there), then RGBA
// a vertex. Short ones are left out: the day colours stand in.
void read_night_colors(Reading& r, const Chunk& c, Geometry& g) {
    if (c.size < 4) {
        r.doubt(c.offset, "night colours without their flag: day colours kept");
        return;
    }
    if (read_u32(r.bytes + c.body()) == 0) return;
    const std::uint64_t needed = 4 * std::uint64_t(static_cast<std::uint32_t>(g.vertex_count));
    if (c.size - 4 < needed) {
        r.doubt(c.offset, "night colours of " + std::to_string(c.size - 4) + " bytes for " +
                              std::to_string(g.vertex_count) + " vertices: day colours kept");
        return;
    }
    g.night_colors = {r.bytes + c.body() + 4, static_cast<std::uint32_t>(g.vertex_count)};
}

void read_plugins(Reading& r, const Chunk& extension, bool want_bin_mesh, bool want_materials,
                  Geometry& g, bool& complete) {
    for (const Chunk& c : read_children(r, extension)) {
        if (c.id == chunk_id::skin && !g.skinned) {
            g.skinned = true;
            r.note(c.offset, "skinned geometry: its mesh is stored in the bind pose");
            read_skin(r, c, g);
        } else if (c.id == chunk_id::night_colors && !g.night_colors.data) {
            read_night_colors(r, c, g);
        } else if (c.id == chunk_id::bin_mesh && want_bin_mesh) {
            complete = read_bin_mesh(r, c, g.triangles) != BinMeshRead::damaged && complete;
            want_bin_mesh = false;
        } else if (c.id == chunk_id::bin_mesh && want_materials) {
            take_bin_mesh_materials(r, c, g);
            want_materials = false;
        }
    }
}

}  // namespace

void read_geometry(Reading& r, const Chunk& chunk, Geometry& g) {
    g.offset = chunk.offset;
    std::vector<Chunk> children = read_children(r, chunk);
    const Chunk* data = first_of(children, chunk_id::struct_data);
    std::uint32_t fixed = r.version < 0x34000 ? 28 : 16;
    if (!data || data->size < fixed) {
        r.doubt(chunk.offset, "geometry without its counts");
        return;
    }
    const std::uint8_t* p = r.bytes + data->body();
    g.flags = read_u32(p);
    std::int32_t triangles = static_cast<std::int32_t>(read_u32(p + 4));
    g.vertex_count = static_cast<std::int32_t>(read_u32(p + 8));
    std::int32_t targets = static_cast<std::int32_t>(read_u32(p + 12));
    g.native = (g.flags & flag_native) != 0;
    g.uv_set_count = uv_sets_of(g.flags);

    bool complete = false;
    if (g.native) {
        r.doubt(chunk.offset, "native (console) geometry, not readable");
    } else if (triangles < 0 || g.vertex_count < 0 || targets < 0) {
        r.doubt(data->offset, "geometry with a negative count");
    } else {
        complete = read_arrays(r, *data, static_cast<std::uint32_t>(triangles),
                               static_cast<std::uint32_t>(targets), g);
    }
    if (const Chunk* list = first_of(children, chunk_id::material_list))
        read_material_list(r, *list, g.materials);
    // With no triangle records the triangles come from the BinMesh plug-in.
    bool want_bin_mesh = complete && triangles == 0;
    // With records, the BinMesh still says which material draws each of them.
    bool want_materials = complete && triangles > 0;
    if (const Chunk* extension = first_of(children, chunk_id::extension))
        read_plugins(r, *extension, want_bin_mesh, want_materials, g, complete);
    g.complete = complete;
}
