// OBJ and MTL text of hand-built models, checked line by line and through a real OBJ reader.

#include <gtest/gtest.h>
#include <tiny_obj_loader.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "export/obj_writer.h"

namespace {

// Owns the bytes that a hand-built Model's views point into.
struct Arrays {
    std::list<std::vector<std::uint8_t>> blocks;

    ByteView floats(const std::vector<float>& values, std::uint32_t per_vertex) {
        auto& b = blocks.emplace_back(values.size() * 4);
        std::memcpy(b.data(), values.data(), b.size());
        return {b.data(), static_cast<std::uint32_t>(values.size() / per_vertex)};
    }
    ByteView bytes(const std::vector<std::uint8_t>& values) {
        auto& b = blocks.emplace_back(values);
        return {b.data(), static_cast<std::uint32_t>(values.size() / 4)};
    }
};

Frame frame(std::vector<float> r, std::vector<float> u, std::vector<float> a, std::vector<float> p,
            int parent, std::string name = "") {
    Frame f{};
    for (int k = 0; k < 3; ++k) {
        f.right[k] = r[k];
        f.up[k] = u[k];
        f.at[k] = a[k];
        f.position[k] = p[k];
    }
    f.parent = parent;
    f.name = std::move(name);
    return f;
}

Frame identity_frame(std::string name = "") {
    return frame({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}, -1, std::move(name));
}

// A triangle (corners 0, 1, 2) with whatever arrays are asked for.
Geometry triangle(Arrays& arrays, bool uvs, bool normals, bool colors = false) {
    Geometry g;
    g.complete = true;
    g.vertex_count = 3;
    g.positions = arrays.floats({0, 0, 0, 1, 0, 0, 0, 1, 0}, 3);
    if (uvs) g.uvs = arrays.floats({0, 0, 1, 0.25f, 0, 1}, 2);
    if (normals) g.normals = arrays.floats({0, 0, 2, 0, 0, 0, 3, 0, 0}, 3);
    if (colors) g.colors = arrays.bytes({255, 0, 51, 255, 0, 0, 0, 255, 255, 255, 255, 255});
    g.triangles = {{0, 1, 2, 0}};
    return g;
}

Clump one_atomic(Geometry g, Frame f = identity_frame()) {
    Clump c;
    c.frames = {f};
    c.geometries = {std::move(g)};
    c.atomics = {{0, 0, 0}};
    return c;
}

ObjText write(const Model& model, bool local = false) {
    ObjWriteOptions options;
    options.local = local;
    options.model_path = "/models/house.dff";
    options.mtl_file_name = "house.dff.mtl";
    options.program_name_version = "vorlund-obj test";
    return write_obj(model, options);
}

std::vector<std::string> lines_starting(const std::string& text, const std::string& start) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (line.rfind(start, 0) == 0) lines.push_back(line);
    return lines;
}

struct Parsed {
    tinyobj::ObjReader reader;
    bool ok = false;
};

void parse(const ObjText& text, Parsed& parsed) {
    parsed.ok = parsed.reader.ParseFromString(text.obj, text.mtl);
    ASSERT_TRUE(parsed.ok) << parsed.reader.Error() << "\n" << text.obj;
    ASSERT_EQ(parsed.reader.Warning(), "") << text.obj << text.mtl;
}

// p' = x*right + y*up + z*at + position, frame by frame, in double.
void place(const Frame& f, double p[3], bool moved) {
    double q[3];
    for (int k = 0; k < 3; ++k)
        q[k] = p[0] * f.right[k] + p[1] * f.up[k] + p[2] * f.at[k] + (moved ? f.position[k] : 0);
    std::memcpy(p, q, sizeof q);
}

TEST(ObjWriter, PlacesThroughAThreeLevelChainOrLeavesLocalSpace) {
    Arrays arrays;
    Geometry g = triangle(arrays, false, true);
    g.normals = arrays.floats({0, 0, 2, 0, 0, 0, 3, 0, 0}, 3);
    const std::vector<Frame> frames = {
        frame({0, 1, 0}, {-1, 0, 0}, {0, 0, 1}, {10, 0, 0}, -1, "root"),     // a quarter turn
        frame({2, 0, 0}, {0, 2, 0}, {0, 0, 2}, {0, 5, 0}, 0, "middle"),       // doubles
        frame({1, 0, 0}, {0, 0, 1}, {0, -1, 0}, {0.5f, 0.25f, 3}, 1, "leaf"),  // turns about x
    };
    for (bool local : {false, true}) {
        SCOPED_TRACE(local ? "local" : "world");
        Model model;
        Clump c = one_atomic(g);
        c.frames = frames;
        c.atomics = {{0, 2, 0}};
        model.clumps = {c};
        ObjText text = write(model, local);
        EXPECT_FALSE(text.doubtful);
        Parsed parsed;
        parse(text, parsed);
        const auto& attrib = parsed.reader.GetAttrib();
        ASSERT_EQ(attrib.vertices.size(), 9u);
        ASSERT_EQ(attrib.normals.size(), 9u);
        const float stored[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
        const float normals[9] = {0, 0, 2, 0, 0, 0, 3, 0, 0};
        for (int v = 0; v < 3; ++v) {
            double p[3] = {stored[3 * v], stored[3 * v + 1], stored[3 * v + 2]};
            double n[3] = {normals[3 * v], normals[3 * v + 1], normals[3 * v + 2]};
            for (int f = 2; f >= 0 && !local; f = frames[f].parent) {
                place(frames[f], p, true);
                place(frames[f], n, false);
            }
            double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            for (int k = 0; k < 3; ++k) {
                EXPECT_FLOAT_EQ(attrib.vertices[3 * v + k], static_cast<float>(p[k])) << v << k;
                EXPECT_FLOAT_EQ(attrib.normals[3 * v + k], length ? static_cast<float>(n[k] / length) : 0.0f) << v << k;
            }
        }
    }
}

TEST(ObjWriter, KeepsCornerOrderFlipsVAndScalesColours) {
    Arrays arrays;
    Geometry g = triangle(arrays, true, true, true);
    g.triangles = {{2, 0, 1, 0}};
    Model model;
    model.clumps = {one_atomic(g)};
    ObjText text = write(model);
    EXPECT_EQ(lines_starting(text.obj, "f "), std::vector<std::string>{"f 3/3/3 1/1/1 2/2/2"});
    EXPECT_EQ(lines_starting(text.obj, "vt "), (std::vector<std::string>{"vt 0 1", "vt 1 0.75", "vt 0 0"}));
    EXPECT_EQ(lines_starting(text.obj, "vn ")[1], "vn 0 0 0");  // a zero normal stays zero
    EXPECT_EQ(lines_starting(text.obj, "v ")[0], "v 0 0 0 1 0 0.2");
    Parsed parsed;
    parse(text, parsed);
    const auto& colors = parsed.reader.GetAttrib().colors;
    EXPECT_EQ(colors, (std::vector<tinyobj::real_t>{1, 0, 0.2f, 0, 0, 0, 1, 1, 1}));
    EXPECT_EQ(parsed.reader.GetAttrib().normals[0 * 3 + 2], 1.0f);
    EXPECT_EQ(parsed.reader.GetAttrib().normals[2 * 3 + 0], 1.0f);
}

TEST(ObjWriter, FaceCornersNameOnlyWhatTheGeometryHas) {
    const struct {
        bool uvs, normals;
        const char* face;
    } cases[] = {{true, true, "f 1/1/1 2/2/2 3/3/3"}, {false, true, "f 1//1 2//2 3//3"},
                 {true, false, "f 1/1 2/2 3/3"}, {false, false, "f 1 2 3"}};
    for (const auto& c : cases) {
        Arrays arrays;
        Model model;
        model.clumps = {one_atomic(triangle(arrays, c.uvs, c.normals))};
        ObjText text = write(model);
        EXPECT_EQ(lines_starting(text.obj, "f "), std::vector<std::string>{c.face});
        EXPECT_EQ(lines_starting(text.obj, "vt ").size(), c.uvs ? 3u : 0u);
        EXPECT_EQ(lines_starting(text.obj, "vn ").size(), c.normals ? 3u : 0u);
    }
}

TEST(ObjWriter, NamesObjectsAndMaterialsUniquelyWithRunsOfUsemtl) {
    Arrays arrays;
    Geometry g = triangle(arrays, true, true);
    g.materials.resize(4);
    g.materials[0].texture = g.materials[1].texture = "tyre";
    g.materials[1].mask = "tyre_a";
    g.materials[2].color[3] = 128;
    g.materials[3].texture = "default";
    // Runs 0 0 1 1 0, then an index with no material twice.
    g.triangles = {{0, 1, 2, 0}, {0, 1, 2, 0}, {0, 1, 2, 1}, {0, 1, 2, 1}, {0, 1, 2, 0}, {0, 1, 2, 9}, {0, 1, 2, 9}};
    Clump c = one_atomic(g);
    c.frames = {identity_frame("wheel"), identity_frame("wheel"), identity_frame(""), identity_frame("front door")};
    c.atomics = {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 3, 0}};
    Model model;
    model.clumps = {c};
    ObjText text = write(model);
    EXPECT_FALSE(text.doubtful);
    EXPECT_EQ(lines_starting(text.obj, "o "),
              (std::vector<std::string>{"o wheel", "o wheel_2", "o atomic_2", "o front_door"}));
    EXPECT_EQ(lines_starting(text.obj, "usemtl ").size(), 4u * 4u);
    EXPECT_EQ(lines_starting(text.mtl, "newmtl "),
              (std::vector<std::string>{"newmtl tyre", "newmtl tyre_2", "newmtl material_0_2",
                                        "newmtl default_2", "newmtl default"}));
    EXPECT_EQ(text.texture_names, (std::vector<std::string>{"tyre", "default"}));
    EXPECT_EQ(text.mask_names, std::vector<std::string>{"tyre_a"});

    Parsed parsed;
    parse(text, parsed);
    const auto& materials = parsed.reader.GetMaterials();
    ASSERT_EQ(materials.size(), 5u);
    EXPECT_EQ(materials[0].diffuse_texname, "tyre.png");
    EXPECT_EQ(materials[1].alpha_texname, "tyre_a.png");
    EXPECT_NEAR(materials[2].dissolve, 128 / 255.0, 1e-6);
    EXPECT_EQ(materials[0].dissolve, 1.0f);
    const auto& shapes = parsed.reader.GetShapes();
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[3].mesh.material_ids, (std::vector<int>{0, 0, 1, 1, 0, 4, 4}));
}

TEST(ObjWriter, TellsDoubtfulPartsAndKeepsTheRest) {
    const struct {
        const char* name;
        void (*spoil)(Arrays&, Clump&);
        std::size_t faces, vertices;
        const char* comment;  // part of the comment that tells it
    } cases[] = {
        {"clean", [](Arrays&, Clump&) {}, 2, 6, nullptr},
        {"nan position", [](Arrays& a, Clump& c) { c.geometries[0].positions = a.floats({0, 0, 0, 1, std::numeric_limits<float>::quiet_NaN(), 0, 0, 1, 0}, 3); }, 2, 6, "vertex 1: a position"},
        {"bad index", [](Arrays&, Clump& c) { c.geometries[0].triangles.push_back({0, 3, 1, 0}); }, 2, 6, "triangle 1 (0, 3, 1)"},
        {"frame out of range", [](Arrays&, Clump& c) { c.atomics[1].frame = 7; }, 2, 6, "its frame 7 is out of range"},
        {"parent cycle", [](Arrays&, Clump& c) { c.frames[0].parent = 1; c.frames[1].parent = 0; }, 2, 6, "frame 0 is its own ancestor"},
        {"incomplete", [](Arrays&, Clump& c) { c.geometries[1].complete = false; }, 1, 3, "geometry 1 was not read whole"},
        {"native", [](Arrays&, Clump& c) { c.geometries[1].native = true; }, 1, 3, "geometry 1 is in a console's native layout"},
        // Geometry 1, then used by no atomic, stands in its own space.
        {"geometry out of range", [](Arrays&, Clump& c) { c.atomics[1].geometry = 2; }, 2, 6, "its geometry 2 is out of range"},
    };
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        Arrays arrays;
        Clump c = one_atomic(triangle(arrays, true, true));
        c.geometries.push_back(triangle(arrays, true, true));
        c.frames.push_back(frame({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 5}, 0));
        c.atomics.push_back({0, 1, 1});
        t.spoil(arrays, c);
        Model model;
        model.clumps = {c};
        ObjText text = write(model);
        EXPECT_EQ(text.doubtful, t.comment != nullptr);
        if (t.comment) {
            EXPECT_NE(text.obj.find(t.comment), std::string::npos) << text.obj;
        }
        EXPECT_EQ(lines_starting(text.obj, "f ").size(), t.faces);
        EXPECT_EQ(lines_starting(text.obj, "v ").size(), t.vertices);
        EXPECT_EQ(text.obj.find("nan"), std::string::npos);
        EXPECT_EQ(text.obj.find("inf"), std::string::npos);
        Parsed parsed;
        parse(text, parsed);
    }
}

TEST(ObjWriter, NonFiniteNumbersBecomeZero) {
    const float inf = std::numeric_limits<float>::infinity();
    Arrays arrays;
    Geometry g = triangle(arrays, true, true);
    g.positions = arrays.floats({inf, 0, 0, 1, 0, 0, 0, 1, 0}, 3);
    g.uvs = arrays.floats({0, -inf, 1, 0.25f, 0, 1}, 2);
    g.normals = arrays.floats({0, 0, 1, 0, 0, std::nanf(""), 1, 0, 0}, 3);
    Model model;
    // A finite position that a huge frame carries past the float range.
    model.clumps = {one_atomic(g, frame({3e38f, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 0}, -1))};
    ObjText text = write(model);
    EXPECT_TRUE(text.doubtful);
    EXPECT_EQ(lines_starting(text.obj, "v "), (std::vector<std::string>{"v 0 0 0", "v 3e+38 0 0", "v 0 1 0"}));
    EXPECT_EQ(lines_starting(text.obj, "vt ")[0], "vt 0 0");
    EXPECT_EQ(lines_starting(text.obj, "vn ")[1], "vn 0 0 0");
    EXPECT_EQ(lines_starting(text.obj, "# atomic_0: vertex ").size(), 3u);
}

TEST(ObjWriter, WritesUnusedGeometriesAndEveryClumpWithIndicesAcrossTheFile) {
    Arrays arrays;
    Clump first = one_atomic(triangle(arrays, false, false), frame({1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 9}, -1, "body"));
    Geometry unused = triangle(arrays, false, false);
    unused.materials.resize(1);
    first.geometries.push_back(unused);
    Clump second = one_atomic(triangle(arrays, false, false), identity_frame("body"));
    Model model;
    model.version = 0x36003;
    model.clumps = {first, second};
    model.findings = {{0x40, "an unknown chunk, skipped", false}};
    ObjText text = write(model);
    EXPECT_FALSE(text.doubtful);
    EXPECT_EQ(text.geometries_written, 3u);
    EXPECT_EQ(lines_starting(text.obj, "o "), (std::vector<std::string>{"o body", "o geometry_1", "o body_2"}));
    EXPECT_EQ(lines_starting(text.obj, "f "), (std::vector<std::string>{"f 1 2 3", "f 4 5 6", "f 7 8 9"}));
    // The unused geometry stands in its own space, not moved by the clump's frame.
    EXPECT_EQ(lines_starting(text.obj, "v ")[3], "v 0 0 0");
    EXPECT_EQ(lines_starting(text.obj, "v ")[0], "v 0 0 9");
    EXPECT_EQ(lines_starting(text.obj, "# note at 0x40: an unknown chunk"), std::vector<std::string>{"# note at 0x40: an unknown chunk, skipped"});
    EXPECT_EQ(lines_starting(text.obj, "mtllib "), std::vector<std::string>{"mtllib house.dff.mtl"});
    EXPECT_NE(text.obj.find("# format version 3.6.0.3\n# 2 frames, 2 atomics, 3 geometries, 1 material\n"), std::string::npos);
    EXPECT_EQ(lines_starting(text.mtl, "newmtl "), (std::vector<std::string>{"newmtl default", "newmtl material_1_0"}));
}

TEST(ObjWriter, HandsTextToTheSinkInPiecesAndStopsAtTheLimit) {
    Arrays arrays;
    std::vector<float> positions;
    Geometry g;
    g.complete = true;
    g.vertex_count = 30000;
    for (int i = 0; i < g.vertex_count; ++i) positions.insert(positions.end(), {float(i), 0.5f, -float(i)});
    g.positions = arrays.floats(positions, 3);
    for (std::uint32_t i = 0; i + 2 < 30000; ++i) g.triangles.push_back({i, i + 1, i + 2, 0});
    Clump c = one_atomic(g);
    c.atomics.push_back({0, 0, 0});
    Model model;
    model.clumps = {c};
    const std::string whole = write(model).obj;

    ObjWriteOptions options;
    options.model_path = "/models/house.dff";
    options.mtl_file_name = "house.dff.mtl";
    options.program_name_version = "vorlund-obj test";
    std::string gathered;
    int pieces = 0;
    options.obj_sink = [&](std::string_view piece) { gathered += piece, ++pieces; };
    ObjText streamed = write_obj(model, options);
    EXPECT_EQ(streamed.obj, "");
    EXPECT_EQ(gathered, whole);
    EXPECT_GT(pieces, 1);

    options.max_obj_bytes = 1000;
    gathered.clear();
    ObjText limited = write_obj(model, options);
    EXPECT_TRUE(limited.doubtful);
    EXPECT_EQ(lines_starting(gathered, "o ").size(), 1u);
}

}  // namespace
