#include "support/model_layout.h"

#include "model/chunk.h"

using chunks::Body;
using chunks::Node;

namespace {

constexpr std::uint32_t id_struct = 0x01, id_string = 0x02, id_extension = 0x03, id_texture = 0x06,
                        id_material = 0x07, id_material_list = 0x08, id_frame_list = 0x0E,
                        id_geometry = 0x0F, id_clump = 0x10, id_atomic = 0x14,
                        id_geometry_list = 0x1A, id_animation = 0x1B, id_uv_dictionary = 0x2B, id_skin = 0x116,
                        id_bin_mesh = 0x50E, id_native_data = 0x510, id_frame_name = 0x0253F2FE;

Node data(std::uint32_t stamp, const Body& body) { return chunks::leaf(id_struct, stamp, body.bytes); }

// NUL-terminated, padded to 4 bytes.
Node string_node(const std::string& text, std::uint32_t stamp) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.resize((text.size() / 4 + 1) * 4, 0);
    return chunks::leaf(id_string, stamp, bytes);
}

Node extension(std::uint32_t stamp, std::vector<Node> plugins = {}) {
    return chunks::container(id_extension, stamp, std::move(plugins));
}

Node material_node(const MaterialLayout& m, std::uint32_t stamp) {
    Body body;
    body.u32(0).bytes.insert(body.bytes.end(), m.color.begin(), m.color.end());
    body.u32(0).u32(m.texture.empty() ? 0 : 1);
    if (unpack_version(stamp) >= 0x30400) body.f32(1).f32(1).f32(1);
    Node node = chunks::container(id_material, stamp, {data(stamp, body)});
    if (!m.texture.empty())
        node.children.push_back(chunks::container(
            id_texture, stamp,
            {data(stamp, Body().u32(m.sampling)), string_node(m.texture, stamp), string_node(m.mask, stamp),
             extension(stamp)}));
    node.children.push_back(extension(stamp, m.plugins));
    return node;
}

Node material_list_node(const GeometryLayout& g, std::uint32_t stamp) {
    std::vector<std::int32_t> entries = g.material_list;
    if (entries.empty()) entries.assign(g.materials.size(), -1);
    Body body;
    body.u32(static_cast<std::uint32_t>(entries.size()));
    for (std::int32_t e : entries) body.u32(static_cast<std::uint32_t>(e));
    Node node = chunks::container(id_material_list, stamp, {data(stamp, body)});
    for (const MaterialLayout& m : g.materials) node.children.push_back(material_node(m, stamp));
    return node;
}

Node bin_mesh_node(const BinMeshLayout& b, std::uint32_t stamp) {
    std::uint32_t total = 0;
    for (const auto& mesh : b.meshes) total += static_cast<std::uint32_t>(mesh.indices.size());
    Body body;
    body.u32(b.kind).u32(static_cast<std::uint32_t>(b.meshes.size())).u32(total);
    for (const auto& mesh : b.meshes) {
        body.u32(static_cast<std::uint32_t>(mesh.indices.size())).u32(mesh.material);
        for (std::uint32_t i : mesh.indices) body.u32(i);
    }
    return chunks::leaf(id_bin_mesh, stamp, body.bytes);
}

int uv_sets(std::uint32_t flags) {
    if ((flags >> 16) & 0xFF) return static_cast<int>((flags >> 16) & 0xFF);
    return (flags & geometry_textured2) ? 2 : (flags & geometry_textured) ? 1 : 0;
}

float at_or(const std::vector<float>& v, std::size_t i, float fallback) {
    return i < v.size() ? v[i] : fallback;
}

void vertex_arrays(const GeometryLayout& g, std::uint32_t vertices, Body& body) {
    if (g.flags & geometry_prelit)
        for (std::size_t i = 0; i < 4 * std::size_t(vertices); ++i)
            body.bytes.push_back(i < g.colors.size() ? g.colors[i] : 255);
    for (std::size_t i = 0; i < 2 * std::size_t(vertices) * uv_sets(g.flags); ++i) body.f32(at_or(g.uvs, i, 0));
    for (const TriangleLayout& t : g.triangles) body.u16(t.b).u16(t.a).u16(t.material).u16(t.c);
    for (int target = 0; target <= g.extra_morph_targets; ++target) {
        body.f32(0).f32(0).f32(0).f32(1);
        body.u32(g.positions.empty() ? 0 : 1).u32(g.normals.empty() ? 0 : 1);
        if (!g.positions.empty())
            for (std::size_t i = 0; i < 3 * std::size_t(vertices); ++i) body.f32(at_or(g.positions, i, 0));
        if (!g.normals.empty())
            for (std::size_t i = 0; i < 3 * std::size_t(vertices); ++i) body.f32(at_or(g.normals, i, 0));
    }
}

}  // namespace

std::uint32_t stamp_for(std::uint32_t version) {
    // The packed form: bits 14..23 hold the version's middle digits, 16..21 its last.
    std::uint32_t middle = (version - 0x30000) & 0x3FF00;
    return (middle << 14) | ((version & 0x3F) << 16) | 0xFFFF;
}

Node geometry_node(const GeometryLayout& g, std::uint32_t stamp) {
    std::uint32_t vertices = static_cast<std::uint32_t>((g.positions.empty() ? g.normals : g.positions).size() / 3);
    Body body;
    body.u32(g.flags)
        .u32(g.triangle_count.value_or(static_cast<std::uint32_t>(g.triangles.size())))
        .u32(g.vertex_count.value_or(vertices))
        .u32(static_cast<std::uint32_t>(1 + g.extra_morph_targets));
    if (unpack_version(stamp) < 0x34000) body.f32(1).f32(1).f32(1);
    bool native = (g.flags & geometry_native) != 0;
    if (!native) vertex_arrays(g, vertices, body);

    std::vector<Node> plugins;
    if (g.bin_mesh) plugins.push_back(bin_mesh_node(*g.bin_mesh, stamp));
    if (g.skin) plugins.push_back(chunks::leaf(id_skin, stamp, Body().u32(0).u32(0).bytes));
    if (native) plugins.push_back(chunks::leaf(id_native_data, stamp, Body().u32(4).u32(0x00325350).bytes));
    plugins.insert(plugins.end(), g.plugins.begin(), g.plugins.end());
    return chunks::container(id_geometry, stamp,
                             {data(stamp, body), material_list_node(g, stamp), extension(stamp, plugins)});
}

Node clump_node(const ClumpLayout& c, std::uint32_t stamp) {
    Body counts;
    counts.u32(static_cast<std::uint32_t>(c.atomics.size()));
    if (c.lights_and_cameras) counts.u32(0).u32(0);
    Node clump = chunks::container(id_clump, stamp, {data(stamp, counts)});

    Body frames;
    frames.u32(static_cast<std::uint32_t>(c.frames.size()));
    for (const FrameLayout& f : c.frames) {
        for (float v : f.matrix) frames.f32(v);
        frames.u32(static_cast<std::uint32_t>(f.parent)).u32(0);
    }
    Node frame_list = chunks::container(id_frame_list, stamp, {data(stamp, frames)});
    for (const FrameLayout& f : c.frames) {
        std::vector<Node> plugins;
        if (!f.name.empty()) plugins.push_back(chunks::leaf(id_frame_name, stamp, Body().raw(f.name).bytes));
        plugins.insert(plugins.end(), f.plugins.begin(), f.plugins.end());
        frame_list.children.push_back(extension(stamp, plugins));
    }
    clump.children.push_back(frame_list);

    // Files before 3.0.4 have no geometry list: each atomic holds its geometry.
    bool held = unpack_version(stamp) < 0x30400;
    if (!held) {
        Node list = chunks::container(id_geometry_list, stamp,
                                      {data(stamp, Body().u32(static_cast<std::uint32_t>(c.geometries.size())))});
        for (const GeometryLayout& g : c.geometries) list.children.push_back(geometry_node(g, stamp));
        clump.children.push_back(list);
    }
    for (const AtomicLayout& a : c.atomics) {
        Node atomic = chunks::container(
            id_atomic, stamp,
            {data(stamp, Body().u32(static_cast<std::uint32_t>(a.frame)).u32(static_cast<std::uint32_t>(a.geometry)).u32(5).u32(0))});
        if (held && a.geometry >= 0 && static_cast<std::size_t>(a.geometry) < c.geometries.size())
            atomic.children.push_back(geometry_node(c.geometries[static_cast<std::size_t>(a.geometry)], stamp));
        atomic.children.push_back(extension(stamp));
        clump.children.push_back(atomic);
    }
    clump.children.push_back(extension(stamp));
    return clump;
}

std::vector<Node> model_nodes(const ModelLayout& m) {
    std::vector<Node> nodes;
    if (m.uv_dictionary) {
        Node dictionary = chunks::container(
            id_uv_dictionary, m.stamp,
            {data(m.stamp, Body().u32(static_cast<std::uint32_t>(m.uv_animations.size() + m.uv_animation_chunks.size())))});
        for (const std::string& name : m.uv_animations) {
            // Version, type, one key frame, flags, duration, an unused word, the
            // name in 32 bytes, eight channel numbers, then the key frame.
            Body body;
            body.u32(0x100).u32(0x1C1).u32(1).u32(0).f32(1).u32(0).raw(name);
            body.bytes.resize(body.bytes.size() + 32 - name.size(), 0);
            for (int i = 0; i < 8; ++i) body.u32(0);
            body.f32(0).f32(1).f32(0).f32(0).f32(1).f32(0).f32(0).u32(0xFFFFFFFF);
            dictionary.children.push_back(chunks::leaf(id_animation, m.stamp, body.bytes));
        }
        dictionary.children.insert(dictionary.children.end(), m.uv_animation_chunks.begin(), m.uv_animation_chunks.end());
        nodes.push_back(dictionary);
    }
    for (const ClumpLayout& c : m.clumps) nodes.push_back(clump_node(c, m.stamp));
    nodes.insert(nodes.end(), m.trailing.begin(), m.trailing.end());
    return nodes;
}

std::vector<std::uint8_t> model_bytes(const std::vector<Node>& nodes, std::uint32_t pad_to) {
    std::vector<std::uint8_t> bytes = chunks::write(nodes);
    if (pad_to && bytes.size() % pad_to) bytes.resize((bytes.size() / pad_to + 1) * pad_to, 0);
    return bytes;
}

std::vector<std::uint8_t> build_model(const ModelLayout& m) { return model_bytes(model_nodes(m), m.pad_to); }

ModelLayout single_geometry_model(GeometryLayout g, std::uint32_t stamp) {
    ModelLayout m;
    m.stamp = stamp;
    ClumpLayout c;
    c.geometries.push_back(std::move(g));
    c.atomics.push_back({0, 0});
    m.clumps.push_back(std::move(c));
    return m;
}

GeometryLayout quad_geometry() {
    GeometryLayout g;
    g.flags = geometry_positions | geometry_normals | geometry_textured | uv_sets_flag(1);
    g.positions = {0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    g.normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    g.uvs = {0, 0, 1, 0, 1, 1, 0, 1};
    g.triangles = {{0, 1, 2, 0}, {0, 2, 3, 0}};
    g.materials = {MaterialLayout{}};
    return g;
}

// A box from low to high in material m, four corners a face so that each face is flat.
void add_box(GeometryLayout& g, std::array<double, 3> low, std::array<double, 3> high, std::uint16_t m) {
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            const auto first = static_cast<std::uint16_t>(g.positions.size() / 3);
            for (int corner = 0; corner < 4; ++corner) {
                std::array<double, 3> p;
                p[axis] = side ? high[axis] : low[axis];
                p[u] = (corner == 1 || corner == 2) ? high[u] : low[u];
                p[v] = corner >= 2 ? high[v] : low[v];
                for (double c : p) g.positions.push_back(static_cast<float>(c));
            }
            // Facing out on either side.
            if (side) g.triangles.insert(g.triangles.end(), {{first, std::uint16_t(first + 1), std::uint16_t(first + 2), m},
                                                               {first, std::uint16_t(first + 2), std::uint16_t(first + 3), m}});
            else g.triangles.insert(g.triangles.end(), {{first, std::uint16_t(first + 2), std::uint16_t(first + 1), m},
                                                          {first, std::uint16_t(first + 3), std::uint16_t(first + 2), m}});
        }
}
