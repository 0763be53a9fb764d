// Collision files: records of every version written by the test writer, read
// and converted to OBJ (read back by a real OBJ reader) and glb (read back
// whole); the public fixtures against their counts; damaged records.
#include <gtest/gtest.h>

#include <tiny_obj_loader.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "export/collision_geometry.h"
#include "export/collision_gltf.h"
#include "export/collision_obj.h"
#include "game/collision_file.h"
#include "support/collision_writer.h"
#include "support/gltf_reader.h"
#include "support/model_builder.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::string_view view(const std::vector<std::uint8_t>& b) {
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

constexpr std::size_t box_triangles = 12, sphere_triangles = 2 * sphere_slices * (sphere_stacks - 1);

struct ObjShape {
    std::size_t triangles = 0;
    std::vector<std::string> materials;  // each once, in first use
    std::vector<float> first_corner;     // the first triangle's first corner
};

// The OBJ and MTL read by tinyobjloader, per object.
std::map<std::string, ObjShape> read_obj_back(const CollisionObjText& text, const fs::path& folder) {
    std::ofstream(folder / "c.obj") << text.obj;
    std::ofstream(folder / "c.mtl") << text.mtl;
    tinyobj::ObjReader reader;
    tinyobj::ObjReaderConfig config;
    config.triangulate = false;
    EXPECT_TRUE(reader.ParseFromFile((folder / "c.obj").string(), config)) << reader.Error();
    std::map<std::string, ObjShape> out;
    const auto& attrib = reader.GetAttrib();
    for (const auto& shape : reader.GetShapes()) {
        ObjShape& s = out[shape.name];
        s.triangles = shape.mesh.num_face_vertices.size();
        for (int id : shape.mesh.material_ids) {
            const std::string& name = reader.GetMaterials().at(static_cast<std::size_t>(id)).name;
            if (std::find(s.materials.begin(), s.materials.end(), name) == s.materials.end()) s.materials.push_back(name);
        }
        if (!shape.mesh.indices.empty()) {
            const int v = shape.mesh.indices[0].vertex_index;
            s.first_corner.assign(attrib.vertices.begin() + 3 * v, attrib.vertices.begin() + 3 * v + 3);
        }
    }
    return out;
}

// Each node's name with its triangle count, extras and first child's name.
struct GlbNode {
    std::size_t triangles = 0;
    json extras;
    std::string child;
};

std::map<std::string, GlbNode> read_glb_back(const CollisionGltfFile& file, const fs::path& folder) {
    std::string why;
    GltfDocument copy = file.document;
    EXPECT_TRUE(copy.write_glb((folder / "c.glb").string(), why)) << why;
    const Gltf g = read_glb(folder / "c.glb");
    std::map<std::string, GlbNode> out;
    for (const json& n : g.doc["nodes"]) {
        GlbNode& node = out[n["name"].get<std::string>()];
        node.extras = n.value("extras", json());
        if (n.contains("children")) node.child = g.doc["nodes"][n["children"][0].get<int>()]["name"];
        if (!n.contains("mesh")) continue;
        for (const json& p : g.doc["meshes"][n["mesh"].get<int>()]["primitives"]) {
            node.triangles += g.doc["accessors"][p["indices"].get<int>()]["count"].get<std::size_t>() / 3;
            EXPECT_EQ(numbers(g, p["indices"]).size() % 3, 0u);
        }
    }
    return out;
}

struct Case {
    const char* what;
    std::vector<colw::Record> records;
    bool embedded = false;  // the one record inside a model's clump
    // Expected objects: name, triangles, materials in first use.
    std::vector<std::tuple<std::string, std::size_t, std::vector<std::string>>> objects;
};

std::vector<Case> cases() {
    using S = std::vector<std::string>;
    const std::size_t sample = 3 + box_triangles + sphere_triangles;
    colw::Record empty3{3, "nothing", 0, {}, {}, {}, {}, false};
    colw::Record spaced = colw::sample(2, "padded   ");
    colw::Record v4 = colw::sample(4, "four");
    v4.id = 0x3244;  // an editor's signature: never decides anything
    colw::Record boxes{1, "crates", 0, {}, {{{0, 0, 0}, {1, 2, 3}, 20}, {{5, 5, 5}, {6, 6, 6}, 20}}, {}, {}, false};
    return {
        {"version 1: older games' surfaces", {colw::sample(1, "one")}, false,
         {{"one", sample, S{"col_1_tarmac", "col_9_garage_door", "col_22_wood", "col_4_dry_mud"}}}},
        {"version 2 with face groups, trailing spaces cut", {spaced}, false,
         {{"padded", sample, S{"col_1_tarmac_1", "col_9_grass_1", "col_22_vegetation_4", "col_4_pavement_1"}}}},
        {"version 3 with its shadow mesh", {colw::sample(3, "three")}, false,
         {{"three", sample, S{"col_1_tarmac_1", "col_9_grass_1", "col_22_vegetation_4", "col_4_pavement_1"}},
          {"three.shadow", 1, S{"col_0_default"}}}},
        {"version 4, a signature in the id", {v4}, false,
         {{"four", sample, S{"col_1_tarmac_1", "col_9_grass_1", "col_22_vegetation_4", "col_4_pavement_1"}},
          {"four.shadow", 1, S{"col_0_default"}}}},
        {"repeated names and an empty model, versions mixed",
         {colw::sample(1, "twin"), empty3, boxes, colw::sample(2, "twin"), colw::sample(2, "TWIN")}, false,
         {{"twin", sample, {}}, {"nothing", 0, {}}, {"crates", 2 * box_triangles, S{"col_20_crates"}},
          {"twin_2", sample, {}}, {"TWIN", sample, {}}}},
        {"embedded in a model", {colw::sample(3, "car_col")}, true,
         {{"car_col", sample, {}}, {"car_col.shadow", 1, S{"col_0_default"}}}},
    };
}

}  // namespace

TEST(CollisionFile, EveryVersionReadsBackFromObjAndGlb) {
    for (const Case& c : cases()) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        std::vector<CollisionModel> models;
        const std::vector<std::uint8_t> bytes = colw::file(c.records);
        if (c.embedded) {
            const std::vector<std::uint8_t> model = colw::model_with_collision(bytes);
            std::string_view payload;
            ASSERT_TRUE(find_embedded_collision(view(model), payload));
            CollisionModel m;
            ASSERT_EQ(read_collision_record(payload, m), "");
            models.push_back(m);
        } else {
            CollisionFile file = read_collision_file(view(bytes));
            ASSERT_EQ(file.refused, "");
            ASSERT_TRUE(file.skipped.empty()) << file.skipped[0].reason;
            models = file.models;
        }
        const auto obj = read_obj_back(write_collision_obj(models, false, {"test"}, "c.mtl"), folder.path);
        auto glb_file = collision_gltf(models, false, "root", "test");
        const auto glb = read_glb_back(*glb_file, folder.path);
        std::size_t objects_with_triangles = 0;
        for (const auto& [name, triangles, materials] : c.objects) {
            SCOPED_TRACE(name);
            const bool shadow = name.find(".shadow") != std::string::npos;
            if (triangles) {
                ++objects_with_triangles;
                ASSERT_TRUE(obj.count(name));
                EXPECT_EQ(obj.at(name).triangles, triangles);
                if (!materials.empty()) { EXPECT_EQ(obj.at(name).materials, materials); }
            }
            ASSERT_TRUE(glb.count(name));
            EXPECT_EQ(glb.at(name).triangles, triangles);
            EXPECT_EQ(glb.at(name).extras["collision"], true);
            if (!shadow && !materials.empty()) {
                EXPECT_EQ(glb.at(name).extras["surfaces"].size(), materials.size() + (glb.at(name).child.empty() ? 0 : 1));
            }
            if (!shadow && obj.count(name + ".shadow")) { EXPECT_EQ(glb.at(name).child, name + ".shadow"); }
        }
        EXPECT_EQ(obj.size(), objects_with_triangles);
    }
}

// Stored faces keep their corners and winding, compressed vertices decode
// exactly, and generated shapes turn like the stored faces of closed shapes.
TEST(CollisionFile, DecodesExactlyAndKeepsTheStoredWinding) {
    colw::Record r = colw::sample(3, "exact");
    r.mesh.vertices[0] = {-256, 255.9921875f, 0.0078125f};  // the ends of the int16 / 128 range
    const std::vector<std::uint8_t> bytes = colw::record(r);
    const CollisionFile file = read_collision_file(view(bytes));
    ASSERT_EQ(file.models.size(), 1u);
    const CollisionModel& m = file.models[0];
    EXPECT_EQ(m.face_groups, 1u);
    ASSERT_EQ(m.mesh.vertex_count(), 5u);
    EXPECT_EQ(std::vector<float>(m.mesh.vertices.begin(), m.mesh.vertices.begin() + 3),
              (std::vector<float>{-256, 255.9921875f, 0.0078125f}));
    EXPECT_EQ(m.mesh.faces[0].b, 2u);
    EXPECT_EQ(m.spheres[0].radius, 0.5f);
    EXPECT_EQ(m.boxes[0].max[2], 0.5f);
    const CollisionObjText text = write_collision_obj(file.models, false, {}, "c.mtl");
    EXPECT_NE(text.obj.find("v -256 255.99219 0.0078125\n"), std::string::npos) << text.obj.substr(0, 300);
    EXPECT_NE(text.obj.find("f 1 3 2\n"), std::string::npos);
    // Every generated triangle of the box and sphere: (c - a) x (b - a) points away from the shape's centre.
    const CollisionParts parts = collision_parts(m, SurfaceTable::third);
    const auto& p = parts.solid.positions;
    for (std::size_t t = 3; t < parts.solid.geometry.triangles.size(); ++t) {
        const Triangle& tr = parts.solid.geometry.triangles[t];
        const float centre[3] = {0, 0, t < 3 + box_triangles ? 0.25f : 1.0f};
        double u[3], w[3], mid[3];
        for (int k = 0; k < 3; ++k) {
            u[k] = p[3 * tr.c + k] - p[3 * tr.a + k];
            w[k] = p[3 * tr.b + k] - p[3 * tr.a + k];
            mid[k] = (p[3 * tr.a + k] + p[3 * tr.b + k] + p[3 * tr.c + k]) / 3.0 - centre[k];
        }
        const double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        EXPECT_GT(n[0] * mid[0] + n[1] * mid[1] + n[2] * mid[2], 0) << "triangle " << t;
    }
}

TEST(CollisionFile, DamagedRecordsAreSkippedWithTheirReason) {
    const std::vector<std::uint8_t> good = colw::record(colw::sample(3, "good"));
    const std::vector<std::uint8_t> v1 = colw::record(colw::sample(1, "old"));
    struct Damage {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;  // of the middle record, itself at 0
        std::size_t models;   // read of the file: good, the damaged one, old
        std::string reason;   // of the first skipped record, or the file's refusal
    };
    const std::vector<Damage> table = {
        {"faces past the record", [](auto& b) { colw::put_u32(b, colw::face_offset_at, 4000); }, 2,
         "3 faces at byte 4004 run past the record's"},
        {"offset 0 with a count", [](auto& b) { colw::put_u32(b, colw::sphere_offset_at, 0); }, 2, "1 spheres but no offset"},
        {"box count past the record", [](auto& b) { colw::put_u16(b, 74, 999); }, 2, "999 boxes"},
        {"shadow vertices past the record", [](auto& b) { colw::put_u32(b, colw::shadow_vertex_offset_at, 1u << 30); },
         2, "shadow vertices"},
        {"a record too short for its header", [](auto& b) { b.resize(60); colw::put_u32(b, 4, 52); }, 2,
         "shorter than its header"},
        {"a record too short for its name", [](auto& b) { b.resize(20); colw::put_u32(b, 4, 12); }, 2, "hold no name"},
        {"flags without data: read, with a warning", [](auto& b) { colw::put_u32(b, 80, 0); }, 3, ""},
        {"a size past the end ends the file", [](auto& b) { colw::put_u32(b, 4, 1u << 20); }, 1, "runs past the end"},
        {"no collision file at all", [](auto& b) { b.assign({'R', 'I', 'F', 'F', 0, 0, 0, 0}); }, 0,
         "starts with no collision record"},
    };
    for (const Damage& d : table) {
        SCOPED_TRACE(d.what);
        std::vector<std::uint8_t> middle = colw::record(colw::sample(3, "broken"));
        d.damage(middle);
        std::vector<std::uint8_t> bytes;
        if (std::string(d.what) != "no collision file at all") bytes = good;
        bytes.insert(bytes.end(), middle.begin(), middle.end());
        bytes.insert(bytes.end(), v1.begin(), v1.end());
        const CollisionFile file = read_collision_file(view(bytes));
        EXPECT_EQ(file.models.size(), d.models);
        const std::string reason = !file.refused.empty() ? file.refused
                                   : file.skipped.empty() ? std::string() : file.skipped[0].reason;
        if (d.reason.empty()) {
            EXPECT_EQ(reason, "");
        } else {
            EXPECT_NE(reason.find(d.reason), std::string::npos) << reason;
        }
        if (!file.skipped.empty()) { EXPECT_EQ(file.skipped[0].offset, good.size()); }
        if (d.models == 3) { EXPECT_EQ(file.warnings.size(), 1u); }
    }
    // Face naming a vertex past a version-1 record's, and junk after the last record.
    colw::Record bad = colw::sample(1, "bad");
    bad.mesh.faces[1].c = 5;
    std::vector<std::uint8_t> bytes = colw::file({bad, colw::sample(1, "next")});
    bytes.insert(bytes.end(), {0, 0, 0, 0, 'x', 'y'});
    const CollisionFile file = read_collision_file(view(bytes));
    ASSERT_EQ(file.skipped.size(), 1u);
    EXPECT_EQ(file.skipped[0].name, "bad");
    EXPECT_EQ(file.skipped[0].reason, "face 1 names a vertex past the record's 5");
    ASSERT_EQ(file.models.size(), 1u);
    EXPECT_EQ(file.warnings.size(), 1u);
    // A bare version-1 body, as some models embed it, and a model with none.
    CollisionModel m;
    EXPECT_EQ(read_collision_record(view(v1).substr(32), m), "");
    EXPECT_EQ(m.mesh.faces.size(), 3u);
    std::string_view payload;
    EXPECT_FALSE(find_embedded_collision(view(colw::model_with_collision({})).substr(0, 40), payload));
}

TEST(CollisionFile, CorpusFixturesMatchTheirCounts) {
    const fs::path folder = fs::path(VORLUND_CORPUS_DIR) / "collision";
    if (!fs::exists(folder)) GTEST_SKIP() << "no corpus";
    struct Expected {
        const char* file;
        std::size_t models, skipped, faces, vertices, shadow_faces;  // the last two of the first model
    };
    const Expected table[] = {
        {"example-col3.col", 1, 0, 1, 3, 1},  {"bad-offset-middle.col", 2, 1, 1, 3, 1},
        {"cube-1.col", 1, 0, 12, 24, 0},      {"cube-3.col", 1, 0, 12, 24, 0},
        {"donut-1.col", 1, 0, 12288, 36864, 0}, {"donut-3.col", 1, 0, 12288, 36864, 0},
        {"monkey-1.col", 1, 0, 968, 2875, 0}, {"monkey-3.col", 1, 0, 968, 2875, 0},
        {"mixed-multiple-2.col", 2, 0, 12, 24, 0}, {"col3-multiple-3.col", 3, 0, 12, 24, 0},
        {"col3-chunk.col", 1, 0, 8192, 4225, 0},
    };
    for (const Expected& e : table) {
        SCOPED_TRACE(e.file);
        const std::string bytes = read_file(folder / e.file);
        const CollisionFile file = read_collision_file(bytes);
        ASSERT_EQ(file.models.size(), e.models);
        EXPECT_EQ(file.skipped.size(), e.skipped);
        EXPECT_EQ(file.models[0].mesh.faces.size(), e.faces);
        EXPECT_EQ(file.models[0].mesh.vertex_count(), e.vertices);
        EXPECT_EQ(file.models[0].shadow.faces.size(), e.shadow_faces);
        std::size_t faces = 0, f_lines = 0;
        for (const CollisionModel& m : file.models)
            faces += m.mesh.faces.size() + m.shadow.faces.size() + box_triangles * m.boxes.size() +
                     sphere_triangles * m.spheres.size();
        const CollisionObjText text = write_collision_obj(file.models, false, {}, "c.mtl");
        for (std::size_t at = 0; (at = text.obj.find("\nf ", at)) != std::string::npos; ++at) ++f_lines;
        EXPECT_EQ(f_lines, faces);
    }
}

#ifdef VORLUND_OBJ_PROGRAM

#include "support/archive_writer.h"
#include "support/city_layout.h"
#include "support/cli_fixture.h"
#include "support/model_layout.h"

class CliCollision : public CliFolder {};

// A collision file named, found in a folder or in an archive converts as a
// model does; --inspect lists its models; --collision writes a model's own.
TEST_F(CliCollision, CollisionFilesConvertLikeModelsAndModelsBringTheirCollision) {
    const std::vector<std::uint8_t> mixed = colw::file({colw::sample(1, "a"), colw::sample(3, "b")});
    std::vector<std::uint8_t> damaged = colw::file({colw::sample(2, "c"), colw::sample(2, "d")});
    colw::put_u32(damaged, damaged.size() / 2 + colw::face_offset_at, 9999);
    std::filesystem::create_directories(folder.path / "in/sub");
    folder.write("in/city.col", mixed);
    folder.write("in/sub/damaged.COL", damaged);
    folder.write("car.dff", colw::model_with_collision(colw::record(colw::sample(3, "car_col"))));
    ArchiveLayout layout;
    layout.entries = {{"ROAD.COL", mixed}};
    folder.write("game.img", build_version2(layout));
    folder.write("not.col", std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 1, 2, 3, 4});
    struct Run {
        std::vector<std::string> args;
        int status;
        std::vector<std::string> files;  // written, relative to the folder
        std::string line;                // a line of stderr or stdout
    };
    const std::vector<Run> runs = {
        {{"city.col"}, 0, {"city.col.obj", "city.col.mtl"}, "1 model: 1 clean, 0 doubtful, 0 failed"},
        {{"-f", "glb", "-o", "out", "--recursive", "in"}, 1, {"out/city.col.glb", "out/sub/damaged.COL.glb"},
         "model 'd' at byte " + std::to_string(damaged.size() / 2) + " skipped: 3 faces at byte 10003 run past"},
        {{"-j", "2", "-q", "-f", "gltf", "-o", "arch", "game.img"}, 0, {"arch/ROAD.COL.gltf", "arch/ROAD.COL.bin"}, ""},
        {{"--collision", "-f", "obj,glb", "car.dff"}, 0, {"car.dff.col.obj", "car.dff.col.mtl", "car.dff.glb"},
         "car.dff.col.obj"},
        {{"not.col"}, 1, {}, "not a collision file: it starts with no collision record"},
        {{"--inspect", "city.col"}, 0, {},
         "  b: id 0, version 3, 1 spheres, 1 boxes, 3 faces, 5 vertices, 1 shadow faces, 1 face groups, flags 0x1A"},
    };
    for (const Run& r : runs) {
        SCOPED_TRACE(r.args.back());
        std::filesystem::copy_file(folder.path / "in/city.col", folder.path / "city.col",
                                   std::filesystem::copy_options::overwrite_existing);
        const ProgramRun run = cli(r.args);
        EXPECT_EQ(run.exit_status, r.status) << run.err;
        for (const std::string& f : r.files) EXPECT_TRUE(std::filesystem::exists(folder.path / f)) << f << "\n" << run.err;
        if (!r.line.empty()) { EXPECT_NE((run.err + run.out).find(r.line), std::string::npos) << run.err << run.out; }
    }
    // The object names and the collision node, as written.
    const std::string obj = read_file(folder.path / "city.col.obj");
    EXPECT_NE(obj.find("\no a\n"), std::string::npos);
    EXPECT_NE(obj.find("\no b.shadow\n"), std::string::npos);
    const Gltf glb = read_glb(folder.path / "car.dff.glb");
    const json& root = glb.doc["nodes"][glb.doc["scenes"][0]["nodes"][0].get<int>()];
    bool found = false;
    for (const json& child : root["children"]) {
        const json& n = glb.doc["nodes"][child.get<int>()];
        if (n["name"] != "collision") continue;
        found = true;
        EXPECT_EQ(n["extras"]["collision"], true);
        EXPECT_EQ(glb.doc["nodes"][n["children"][0].get<int>()]["name"], "car_col");
    }
    EXPECT_TRUE(found);
}

// A map's instances take the collision model of their model's name, placed
// as they are; a game's COLFILE lines name where models find theirs.
TEST_F(CliCollision, MapsAndGamesFindCollisionByName) {
    const City city = make_city_layout(6, 40, 3);
    std::filesystem::create_directories(folder.path / "city/models");
    std::filesystem::create_directories(folder.path / "city/col");
    std::vector<std::string> args = {"--collision", "-f", "obj,glb", "-o", "out", "--ide", "city/city.ide"};
    for (const CityFile& f : city.placements) args.insert(args.end(), {"--map", folder.write("city/" + f.name, f.bytes).string()});
    for (const CityFile& f : city.models) folder.write("city/models/" + f.name, f.bytes);
    for (const CityFile& f : city.dictionaries) folder.write("city/models/" + f.name, f.bytes);
    folder.write("city/city.ide", std::vector<std::uint8_t>(city.items.begin(), city.items.end()));
    // Every model but the first has a collision model of its name, in upper case.
    std::vector<colw::Record> records;
    for (std::size_t i = 1; i < city.models.size(); ++i) {
        std::string name = city.models[i].name.substr(0, city.models[i].name.rfind('.'));
        for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        records.push_back(colw::sample(3, name));
    }
    folder.write("city/col/city.col", colw::file(records));
    args.insert(args.end(), {"city/models", "city/col"});
    const ProgramRun run = cli(args);
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_NE(run.err.find(" without collision"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("; collision: 0 instances"), std::string::npos) << run.err;
    const std::string obj = read_file(folder.path / "out/map.col.obj");
    // Named after the instance's model, as the visible scene's objects are.
    const std::string second = city.models[1].name.substr(0, city.models[1].name.rfind('.'));
    EXPECT_NE(obj.find("\no " + second), std::string::npos) << obj.substr(0, 200);
    EXPECT_EQ(obj.find("\no " + city.models[0].name.substr(0, city.models[0].name.rfind('.')) + "\n"), std::string::npos);
    const Gltf glb = read_glb(folder.path / "out/map.glb");
    std::size_t collision_nodes = 0;
    for (const json& n : glb.doc["nodes"]) collision_nodes += n.value("extras", json::object()).value("collision", false);
    EXPECT_GT(collision_nodes, 1u);

    // A game: its COLFILE line names the file that holds the loose model's
    // collision. A version-1 record's surfaces are the older games' unless the
    // folder is the third game's (surfinfo.dat, or a "VER2" archive, whose
    // collision entries convert with the same table).
    struct GameCase {
        std::string folder, third_file;  // third_file: what makes it the third game
        const char* surface;             // surface 9 as named, and the other table's
        const char* not_surface;
    };
    const std::vector<GameCase> games = {
        {"Game", "", "col_9_garage_door", "col_9_grass_1"},
        {"Game3", "data/surfinfo.dat", "col_9_grass_1", "col_9_garage_door"},
        {"GameV2", "models/gta3.img", "col_9_grass_1", "col_9_garage_door"},
    };
    ArchiveLayout with_collision;
    with_collision.entries = {{"ROAD.COL", colw::file({colw::sample(1, "road")})}};
    const std::vector<std::uint8_t> version2 = build_version2(with_collision);
    for (const GameCase& g : games) {
        SCOPED_TRACE(g.folder);
        std::filesystem::create_directories(folder.path / g.folder / "data");
        std::filesystem::create_directories(folder.path / g.folder / "models");
        const std::string gta = "COLFILE 0 DATA\\BOXES.COL\r\nMODELFILE MODELS\\box.dff\r\n";
        folder.write(g.folder + "/data/gta.dat", std::vector<std::uint8_t>(gta.begin(), gta.end()));
        folder.write(g.folder + "/data/boxes.col", colw::file({colw::sample(2, "other"), colw::sample(1, "BOX")}));
        folder.write(g.folder + "/models/box.dff", build_model(single_geometry_model(quad_geometry())));
        if (!g.third_file.empty()) folder.write(g.folder + "/" + g.third_file, version2);
        const std::string out = g.folder + "-out";
        // -j 2: GameV2's two files go to workers, which read the game themselves.
        const ProgramRun game = cli({"--collision", "--game", g.folder, "-o", out, "-j", "2"});
        EXPECT_NE(game.err.find("box.dff.col.obj"), std::string::npos) << game.err;
        std::string written;  // every collision OBJ of the run
        for (const auto& e : std::filesystem::recursive_directory_iterator(folder.path / out))
            if (e.path().extension() == ".obj" && e.path().stem().extension() != ".dff") written += read_file(e.path());
        EXPECT_NE(written.find(g.surface), std::string::npos) << written.substr(0, 400);
        EXPECT_EQ(written.find(g.not_surface), std::string::npos);
        if (g.folder == "GameV2") { EXPECT_NE(written.find("\no road\n"), std::string::npos); }
    }
    // Without --game, the same record named by path is the older games'.
    const ProgramRun loose = cli({"-o", "loose-out", "Game3/data/boxes.col"});
    EXPECT_NE(read_file(folder.path / "loose-out/boxes.col.obj").find("col_9_garage_door"), std::string::npos) << loose.err;
}

#endif
