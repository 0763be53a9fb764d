// The structure reader against models laid out from tables: every layout the
// version decides, frames, clumps, UV sets, BinMesh triangles, material
// repeats, and damage of every kind; then the public corpus.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "model/structure_reader.h"
#include "support/model_builder.h"
#include "support/model_layout.h"

namespace {

// The Model's views point into the bytes: they must outlive it.
Model read(const std::vector<std::uint8_t>& bytes) {
    return read_model(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
}
Model read(std::vector<std::uint8_t>&& bytes) = delete;

std::vector<Finding> doubtful(const Model& m) {
    std::vector<Finding> out;
    for (const Finding& f : m.findings)
        if (f.doubtful) out.push_back(f);
    return out;
}

std::string texts(const Model& m) {
    std::string out;
    for (const Finding& f : m.findings) out += std::to_string(f.offset) + ": " + f.text + "\n";
    return out;
}

float f(const ByteView& v, std::size_t i) { return read_f32(v.data + 4 * i); }

// A quad with every per-vertex array: prelit colours, two UV sets, positions, normals.
GeometryLayout full_quad() {
    GeometryLayout g = quad_geometry();
    g.flags = geometry_positions | geometry_normals | geometry_prelit | geometry_textured2 | uv_sets_flag(2);
    g.colors = {1, 2, 3, 4};
    g.uvs = {0.25f, 0.75f, 1, 0, 1, 1, 0, 1, 9, 9, 9, 9, 9, 9, 9, 9};
    g.materials = {{{10, 20, 30, 40}, "brick", "brickmask"}};
    return g;
}

void expect_full_quad(const Geometry& g) {
    EXPECT_TRUE(g.complete);
    EXPECT_EQ(g.vertex_count, 4);
    EXPECT_EQ(g.uv_set_count, 2);
    ASSERT_EQ(g.colors.count, 4u);
    EXPECT_EQ(g.colors.data[2], 3);
    ASSERT_TRUE(g.uvs.data);
    EXPECT_EQ(f(g.uvs, 0), 0.25f);  // the first set, not the second
    EXPECT_EQ(f(g.uvs, 1), 0.75f);
    ASSERT_TRUE(g.positions.data && g.normals.data);
    EXPECT_EQ(f(g.positions, 6), 1.0f);  // vertex 2 is (1, 1, 0)
    EXPECT_EQ(f(g.positions, 7), 1.0f);
    EXPECT_EQ(f(g.normals, 11), 1.0f);
    ASSERT_EQ(g.triangles.size(), 2u);
    EXPECT_EQ(g.triangles[1].a, 0u);
    EXPECT_EQ(g.triangles[1].b, 2u);
    EXPECT_EQ(g.triangles[1].c, 3u);
    ASSERT_EQ(g.materials.size(), 1u);
    EXPECT_EQ(g.materials[0].color[1], 20);
    EXPECT_EQ(g.materials[0].texture, "brick");
    EXPECT_EQ(g.materials[0].mask, "brickmask");
}

const std::filesystem::path corpus = VORLUND_CORPUS_DIR;

}  // namespace

// Lighting floats before 3.4, material floats from 3.0.4, atomic-held geometry
// before 3.0.4, old unpacked stamps and a clump Struct without lights.
TEST(StructureReader, LayoutFollowsTheVersion) {
    struct Case {
        std::uint32_t stamp, version;
        bool lights_and_cameras;
    } cases[] = {
        {0x1803FFFF, 0x36003, true},  {0x0C02FFFF, 0x33002, true},
        {stamp_for(0x34003), 0x34003, true}, {stamp_for(0x37002), 0x37002, false},
        {0x310, 0x31000, false},      {0x302, 0x30200, false},  // old stamps; 3.0.2 holds geometry in the atomic
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ModelLayout layout = single_geometry_model(full_quad(), c.stamp);
        layout.clumps[0].lights_and_cameras = c.lights_and_cameras;
        std::vector<std::uint8_t> bytes = build_model(layout);
        Model m = read(bytes);
        EXPECT_TRUE(doubtful(m).empty()) << texts(m);
        EXPECT_EQ(m.version, c.version);
        ASSERT_EQ(m.clumps.size(), 1u);
        ASSERT_EQ(m.clumps[0].geometries.size(), 1u);
        ASSERT_EQ(m.clumps[0].atomics.size(), 1u);
        EXPECT_EQ(m.clumps[0].atomics[0].geometry, 0);
        expect_full_quad(m.clumps[0].geometries[0]);
    }
}

TEST(StructureReader, UvSetCountAndItsFallback) {
    struct Case {
        std::uint32_t flags;
        int sets;
    } cases[] = {{0, 0},
                 {geometry_textured, 1},
                 {geometry_textured2, 2},
                 {geometry_textured | geometry_textured2, 2},
                 {uv_sets_flag(1) | geometry_textured2, 1},
                 {uv_sets_flag(3), 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flags);
        GeometryLayout g = quad_geometry();
        g.flags = geometry_positions | c.flags;
        g.normals.clear();
        g.uvs.assign(8 * c.sets, 7.0f);
        if (c.sets) g.uvs[0] = 0.5f;
        std::vector<std::uint8_t> bytes = build_model(single_geometry_model(g));
        Model m = read(bytes);
        ASSERT_TRUE(doubtful(m).empty()) << texts(m);
        const Geometry& got = m.clumps[0].geometries[0];
        EXPECT_EQ(got.uv_set_count, c.sets);
        EXPECT_EQ(got.uvs.data != nullptr, c.sets > 0);
        if (c.sets) {
            EXPECT_EQ(f(got.uvs, 0), 0.5f);
        }
        EXPECT_FALSE(got.normals.data);
        ASSERT_TRUE(got.positions.data);  // found behind every set
        EXPECT_EQ(f(got.positions, 3), 1.0f);
        EXPECT_TRUE(got.complete);
    }
}

TEST(StructureReader, FramesClumpsAtomicsAndWhatSurroundsThem) {
    ClumpLayout first;
    first.frames = {{{1, 0, 0, 0, 1, 0, 0, 0, 1, 5, 6, 7}, -1, "root", {}},
                    {{0, 1, 0, -1, 0, 0, 0, 0, 1, 0, 0, 2}, 0, "wheel", {}},  // 5 bytes: what follows is unaligned
                    {{}, 1, std::string("hub\0\0\0\0\0", 8), {}},
                    {{}, 1, "bad\x01name", {}},
                    {{}, 0, "", {}}};
    first.geometries = {quad_geometry(), full_quad()};
    first.atomics = {{1, 1}, {2, 0}, {3, 1}};
    ClumpLayout second;
    second.geometries = {quad_geometry()};
    second.atomics = {{0, 0}};
    ModelLayout layout;
    layout.clumps = {first, second};
    layout.uv_dictionary = true;
    layout.trailing = {chunks::leaf(0xFE1E, layout.stamp, {0xFF, 0xD8, 0xFF, 0xE0}),
                     chunks::container(0x03, layout.stamp, {})};
    layout.pad_to = 2048;
    std::vector<std::uint8_t> bytes = build_model(layout);
    ASSERT_EQ(bytes.size() % 2048, 0u);

    Model m = read(bytes);
    EXPECT_TRUE(doubtful(m).empty()) << texts(m);
    ASSERT_EQ(m.clumps.size(), 2u);
    const Clump& c = m.clumps[0];
    ASSERT_EQ(c.frames.size(), 5u);
    const char* names[] = {"root", "wheel", "hub", "bad_name", ""};
    const int parents[] = {-1, 0, 1, 1, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(c.frames[i].name, names[i]);
        EXPECT_EQ(c.frames[i].parent, parents[i]);
    }
    EXPECT_EQ(c.frames[0].position[2], 7.0f);
    EXPECT_EQ(c.frames[1].up[0], -1.0f);
    ASSERT_EQ(c.atomics.size(), 3u);
    EXPECT_EQ(c.atomics[1].frame, 2);
    EXPECT_EQ(c.atomics[1].geometry, 0);
    EXPECT_EQ(c.atomics[2].geometry, 1);
    ASSERT_EQ(c.geometries.size(), 2u);
    expect_full_quad(c.geometries[1]);
    EXPECT_EQ(m.clumps[1].geometries.size(), 1u);
    EXPECT_EQ(m.clumps[1].atomics.size(), 1u);
}

// BinMesh triangles when the records are none: lists, strips with their turned
// windows and the joints between strips, material per mesh.
TEST(StructureReader, TrianglesFromTheBinMesh) {
    using T = std::vector<std::array<std::uint32_t, 4>>;
    struct Case {
        BinMeshLayout bin;
        T expected;
    } cases[] = {
        {{0, {{0, {0, 1, 2, 0, 2, 3}}, {1, {3, 2, 1}}}}, {{0, 1, 2, 0}, {0, 2, 3, 0}, {3, 2, 1, 1}}},
        {{1, {{2, {0, 1, 2, 3}}}}, {{0, 1, 2, 2}, {2, 1, 3, 2}}},
        {{1, {{0, {0, 1, 2, 2, 3, 3, 1, 0}}}}, {{0, 1, 2, 0}, {1, 3, 0, 0}}},
        {{1, {{0, {0, 1}}, {1, {1, 2, 3}}}}, {{1, 2, 3, 1}}},
    };
    for (const Case& c : cases) {
        GeometryLayout g = quad_geometry();
        g.triangles.clear();
        g.bin_mesh = c.bin;
        std::vector<std::uint8_t> bytes = build_model(single_geometry_model(g));
        Model m = read(bytes);
        EXPECT_TRUE(doubtful(m).empty()) << texts(m);
        const Geometry& got = m.clumps[0].geometries[0];
        EXPECT_TRUE(got.complete);
        T triangles;
        for (const Triangle& t : got.triangles) triangles.push_back({t.a, t.b, t.c, t.material});
        EXPECT_EQ(triangles, c.expected);
    }
}

// Records that say one material while the BinMesh (what the game draws) splits
// their triangles over three: each record takes its list's material, matched
// by its corners in any order, its own corners and place kept. A damaged
// BinMesh leaves the records as they are and is named.
TEST(StructureReader, TriangleMaterialsFromTheBinMesh) {
    using M = std::vector<std::uint32_t>;
    // Two quads side by side: 0 1 2 along the bottom, 3 4 5 along the top.
    const std::vector<TriangleLayout> grid = {{0, 1, 4, 0}, {0, 4, 3, 0}, {1, 2, 5, 0}, {1, 5, 4, 0}};
    const std::vector<TriangleLayout> two_sides = {{0, 1, 4, 0}, {1, 0, 4, 0}};
    struct Case {
        const char* what;
        std::vector<TriangleLayout> records;
        BinMeshLayout bin;
        M materials;           // each record's, in the records' order
        std::uint32_t changed;  // records whose material the lists changed
        bool damaged;
    } cases[] = {
        {"lists, corners turned and reversed", grid, {0, {{1, {1, 0, 4}}, {2, {4, 3, 0, 1, 2, 5}}, {0, {1, 5, 4}}}},
         {1, 2, 2, 0}, 3, false},
        {"strips, a turned window and a joint; a triangle no list holds keeps its own",
         grid, {1, {{2, {3, 0, 4, 1}}, {1, {1, 1, 2, 5}}}}, {2, 2, 1, 0}, 3, false},
        {"the two sides of a face, each by its winding", two_sides, {0, {{1, {1, 0, 4}}, {2, {4, 0, 1}}}}, {2, 1}, 2,
         false},
        {"lists that agree with the records", grid, {0, {{0, {0, 1, 4, 0, 4, 3, 1, 2, 5, 1, 5, 4}}}}, {0, 0, 0, 0}, 0,
         false},
        {"a vertex past the vertex count", grid, {0, {{1, {0, 1, 4}}, {2, {0, 4, 6}}}}, {0, 0, 0, 0}, 0, true},
        {"a material past the material list", grid, {0, {{1, {0, 1, 4}}, {3, {0, 4, 3}}}}, {0, 0, 0, 0}, 0, true},
        {"a list that is not whole triangles", grid, {0, {{1, {0, 1, 4, 0}}}}, {0, 0, 0, 0}, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GeometryLayout g;
        g.positions = {0, 0, 0, 1, 0, 0, 2, 0, 0, 0, 1, 0, 1, 1, 0, 2, 1, 0};
        g.triangles = c.records;
        g.materials = {{{255, 0, 0, 255}, "", ""}, {{0, 255, 0, 255}, "", ""}, {{0, 0, 255, 255}, "", ""}};
        g.bin_mesh = c.bin;
        std::vector<chunks::Node> nodes = model_nodes(single_geometry_model(g));
        std::vector<std::uint8_t> bytes = model_bytes(nodes);
        Model m = read(bytes);
        const Geometry& got = m.clumps[0].geometries[0];
        EXPECT_TRUE(got.complete);
        ASSERT_EQ(got.triangles.size(), c.records.size());
        M materials;
        for (std::size_t t = 0; t < got.triangles.size(); ++t) {
            materials.push_back(got.triangles[t].material);
            EXPECT_EQ(got.triangles[t].a, c.records[t].a);
            EXPECT_EQ(got.triangles[t].b, c.records[t].b);
            EXPECT_EQ(got.triangles[t].c, c.records[t].c);
        }
        EXPECT_EQ(materials, c.materials);
        EXPECT_EQ(got.bin_mesh_materials, c.changed);
        const std::vector<Finding> found = doubtful(m);
        ASSERT_EQ(found.empty(), !c.damaged) << texts(m);
        if (c.damaged) {
            EXPECT_EQ(found[0].offset, chunks::offset_of(nodes, {0, 2, 1, 2, 0}));
            EXPECT_NE(found.back().text.find("the records' materials kept"), std::string::npos) << texts(m);
        }
    }
}

TEST(StructureReader, NativeSkinnedAndRepeatedMaterials) {
    GeometryLayout native = quad_geometry();
    native.flags |= geometry_native;
    GeometryLayout skinned = quad_geometry();
    skinned.skin = true;
    skinned.materials = {{{1, 1, 1, 255}, "a", ""}, {{2, 2, 2, 255}, "b", "m"}};
    skinned.material_list = {-1, 0, -1, 1, 0};
    ClumpLayout c;
    c.geometries = {native, skinned};
    c.atomics = {{0, 0}, {0, 1}};
    ModelLayout layout;
    layout.clumps = {c};
    std::vector<std::uint8_t> bytes = build_model(layout);
    Model m = read(bytes);

    const Geometry& n = m.clumps[0].geometries[0];
    EXPECT_TRUE(n.native);
    EXPECT_FALSE(n.complete);
    EXPECT_FALSE(n.positions.data || n.uvs.data);
    EXPECT_TRUE(n.triangles.empty());
    ASSERT_EQ(doubtful(m).size(), 1u) << texts(m);
    EXPECT_NE(doubtful(m)[0].text.find("native"), std::string::npos);

    const Geometry& s = m.clumps[0].geometries[1];
    EXPECT_TRUE(s.skinned);
    EXPECT_TRUE(s.complete);
    std::vector<std::string> textures;
    for (const Material& mat : s.materials) textures.push_back(mat.texture + mat.mask);
    EXPECT_EQ(textures, (std::vector<std::string>{"a", "a", "bm", "a", "a"}));
    EXPECT_EQ(s.materials[3].color[0], 1);
}

// Each kind of damage: a doubtful finding at the damaged chunk, what came
// before it kept, nothing read outside the bytes (the asan preset checks that).
TEST(StructureReader, DamageIsFoundAndWhatCameBeforeIsKept) {
    // Paths: clump 0 > [2] GeometryList > [1] Geometry > [0] Struct, [1] MaterialList, [2] Extension.
    using Nodes = std::vector<chunks::Node>;
    const std::vector<std::size_t> geometry = {0, 2, 1}, geometry_data = {0, 2, 1, 0},
                                   bin_mesh = {0, 2, 1, 2, 0}, list = {0, 2, 1, 1};
    struct Case {
        const char* what;
        void (*layout)(GeometryLayout&);
        void (*tree)(Nodes&);
        std::vector<std::size_t> finding_at;
        bool complete, materials_kept;
    } cases[] = {
        // Cut at the parent's end, a geometry that was whole still reads whole.
        {"geometry past its parent",
         nullptr, [](Nodes& n) { chunks::node_at(n, {0, 2, 1}).stated_size = 5000; }, geometry, true, true},
        {"material list past its parent",
         nullptr, [](Nodes& n) { chunks::node_at(n, {0, 2, 1, 1}).stated_size = 5000; }, list, true, true},
        {"more vertices than bytes", [](GeometryLayout& g) { g.vertex_count = 0x10000000; }, nullptr, geometry_data,
         false, true},
        {"more triangles than bytes", [](GeometryLayout& g) { g.triangle_count = 0xFFFFFFF0; }, nullptr,
         geometry_data, false, true},
        {"negative vertex count", [](GeometryLayout& g) { g.vertex_count = 0x80000000; }, nullptr, geometry_data,
         false, true},
        {"one vertex more than the morph target holds", [](GeometryLayout& g) { g.vertex_count = 5; }, nullptr,
         geometry_data, false, true},
        {"BinMesh indices past its end",
         [](GeometryLayout& g) {
             g.triangles.clear();
             g.bin_mesh = BinMeshLayout{0, {{0, {0, 1, 2}}}};
         },
         [](Nodes& n) { chunks::node_at(n, {0, 2, 1, 2, 0}).body[12] = 200; },  // mesh 0: 200 indices
         bin_mesh, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GeometryLayout g = quad_geometry();
        if (c.layout) c.layout(g);
        Nodes nodes = model_nodes(single_geometry_model(g));
        if (c.tree) c.tree(nodes);
        std::vector<std::uint8_t> bytes = model_bytes(nodes);
        Model m = read(bytes);
        std::vector<Finding> found = doubtful(m);
        ASSERT_FALSE(found.empty());
        EXPECT_EQ(found[0].offset, chunks::offset_of(nodes, c.finding_at)) << texts(m);
        ASSERT_EQ(m.clumps.size(), 1u);
        EXPECT_EQ(m.clumps[0].frames.size(), 1u);
        EXPECT_EQ(m.clumps[0].atomics.size(), 1u);
        ASSERT_EQ(m.clumps[0].geometries.size(), 1u);
        EXPECT_EQ(m.clumps[0].geometries[0].complete, c.complete);
        EXPECT_EQ(m.clumps[0].geometries[0].materials.size(), c.materials_kept ? 1u : 0u);
    }
}

TEST(StructureReader, CountsBeyondTheBytesAndNoModelAtAll) {
    std::vector<chunks::Node> nodes = model_nodes(single_geometry_model(quad_geometry()));
    chunks::node_at(nodes, {0, 1, 0}).body[3] = 0x40;  // frame count 0x40000001
    chunks::node_at(nodes, {0, 2, 1, 1, 0}).body[3] = 0x7F;  // material count
    std::vector<std::uint8_t> bytes = model_bytes(nodes);
    Model m = read(bytes);
    ASSERT_EQ(doubtful(m).size(), 2u) << texts(m);
    EXPECT_EQ(doubtful(m)[0].offset, chunks::offset_of(nodes, {0, 1, 0}));
    EXPECT_TRUE(m.clumps[0].frames.empty());
    EXPECT_TRUE(m.clumps[0].geometries[0].complete);  // its arrays are whole; the writer handles no materials

    const std::string text = "this is no model, only text";
    std::vector<std::vector<std::uint8_t>> not_models = {
        {}, std::vector<std::uint8_t>(4096, 0), {text.begin(), text.end()},
        model_bytes({chunks::container(0x2B, chunks::stamp_3_6_0_3, {})}, 2048)};
    for (const auto& bytes : not_models) {
        Model none = read(bytes);
        EXPECT_TRUE(none.clumps.empty());
        ASSERT_EQ(none.findings.size(), 1u);
        EXPECT_TRUE(none.findings[0].doubtful);
        EXPECT_NE(none.findings[0].text.find("no clump"), std::string::npos);
    }
    EXPECT_EQ(read_model(nullptr, 100).findings.size(), 1u);
}

// Nesting is bounded: extensions inside extensions far deeper than any file.
TEST(StructureReader, DeepNestingAndTruncationAtEveryLength) {
    ModelLayout layout = single_geometry_model(full_quad());
    std::vector<chunks::Node> nodes = model_nodes(layout);
    nodes[0].children.back().children.push_back(chunks::nested_extensions(1000, layout.stamp));
    std::vector<std::uint8_t> nested = model_bytes(nodes);
    EXPECT_TRUE(doubtful(read(nested)).empty());

    std::vector<std::uint8_t> whole = build_model(layout);
    for (std::size_t n = 0; n < whole.size(); ++n) {
        // A copy of exactly n bytes, so that any read past them is caught.
        std::vector<std::uint8_t> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(n));
        Model m = read(cut);
        ASSERT_FALSE(doubtful(m).empty()) << n;
        if (n >= 12) {
            EXPECT_EQ(m.clumps.size(), 1u) << n;
        }
    }
}

TEST(StructureReader, Corpus) {
    if (!std::filesystem::is_directory(corpus)) GTEST_SKIP() << "no corpus at " << corpus;
    struct Case {
        const char* name;
        int vertices;
        std::size_t triangles;
        bool normals;
        std::uint32_t version;
    } cases[] = {{"cube.dff", 24, 12, true, 0x36003},          {"donut.dff", 36864, 12288, true, 0x36003},
                 {"monkey.dff", 2875, 968, true, 0x36003},     {"large-input.dff", 4225, 8192, false, 0x36003},
                 {"object.dff", 32, 20, true, 0x36003},        {"torus.dff", 125, 192, true, 0x34003}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = read_file(corpus / c.name);
        Model m = read_model(reinterpret_cast<const std::uint8_t*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()));
        EXPECT_TRUE(doubtful(m).empty()) << texts(m);
        EXPECT_EQ(m.version, c.version);
        ASSERT_EQ(m.clumps.size(), 1u);
        ASSERT_EQ(m.clumps[0].geometries.size(), 1u);
        const Geometry& g = m.clumps[0].geometries[0];
        EXPECT_TRUE(g.complete);
        EXPECT_EQ(g.vertex_count, c.vertices);
        EXPECT_EQ(g.triangles.size(), c.triangles);
        EXPECT_EQ(g.uv_set_count, 1);
        EXPECT_EQ(g.normals.data != nullptr, c.normals);
        EXPECT_EQ(g.positions.count, static_cast<std::uint32_t>(c.vertices));
        for (const Triangle& t : g.triangles)
            ASSERT_TRUE(t.a < g.positions.count && t.b < g.positions.count && t.c < g.positions.count);
    }
}

// A UV animation dictionary before the clump: its animations by name; when it
// runs past the file, the whole clump after it is still found and read.
TEST(StructureReader, DictionaryBeforeTheClump) {
    ModelLayout layout = single_geometry_model(quad_geometry());
    layout.uv_dictionary = true;
    layout.uv_animations = {"water", "sign\x01"};
    std::vector<chunks::Node> nodes = model_nodes(layout);
    std::vector<std::uint8_t> bytes = model_bytes(nodes);
    Model m = read(bytes);
    EXPECT_TRUE(doubtful(m).empty()) << texts(m);
    ASSERT_EQ(m.uv_animations.size(), 2u);
    EXPECT_EQ(m.uv_animations[0].name, "water");
    EXPECT_EQ(m.uv_animations[1].name, "");  // not printable: no name
    EXPECT_EQ(m.uv_animations[1].offset, chunks::offset_of(nodes, {0, 2}));

    nodes[0].stated_size = 1u << 30;
    std::vector<std::uint8_t> damaged = model_bytes(nodes);
    Model d = read(damaged);
    ASSERT_EQ(doubtful(d).size(), 1u) << texts(d);
    EXPECT_EQ(doubtful(d)[0].offset, 0u);
    ASSERT_EQ(d.clumps.size(), 1u);
    EXPECT_EQ(d.clumps[0].offset, chunks::offset_of(nodes, {1}));
    EXPECT_TRUE(d.clumps[0].geometries.at(0).complete);
}
