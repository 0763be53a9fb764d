// --map through the real program: a small town of a text placement file and
// a binary stream file, its item definitions and models in a folder, written
// as one scene whose every instance's first vertex lands where the placement
// arithmetic puts it, as OBJ and as glTF (read back: JSON and binary buffer).
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "support/cli_fixture.h"
#include "support/dictionary_builder.h"
#include "support/gltf_reader.h"
#include "support/placement_builder.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;

namespace {

// The first vertex of every object of an OBJ file, by object name.
std::map<std::string, std::array<double, 3>> first_vertices(const std::string& obj) {
    std::map<std::string, std::array<double, 3>> out;
    std::string current;
    for (const std::string& line : lines_of_text(obj)) {
        std::istringstream words(line);
        std::string tag;
        words >> tag;
        std::array<double, 3> v{};
        if (tag == "o") words >> current;
        else if (tag == "v" && !out.count(current) && words >> v[0] >> v[1] >> v[2]) out[current] = v;
    }
    return out;
}

bool has_line(const std::string& text, const std::string& line) {
    for (const std::string& l : lines_of_text(text))
        if (l == line) return true;
    return false;
}

TextureLayout pixel(const std::string& name) {
    TextureLayout t;
    t.name = name, t.raster_format = 0x600, t.format = 22;
    t.levels = {{10, 20, 30, 255}};
    return t;
}

class CliMap : public CliFolder {
protected:
    void SetUp() override {
        fs::create_directories(folder.path / "models");
        folder.write("models/tower.dff", build_model(map_object_layout("tower", "brick")));
        folder.write("models/SHED.DFF", build_model(map_object_layout("shed", "wood")));
        folder.write("models/lodtower.dff", build_model(map_object_layout("lodtower", "brick")));
        folder.write("models/town.txd", build_dictionary({pixel("brick")}));
        folder.write("models/common.txd", build_dictionary({pixel("wood")}));
        write_text("town.ide",
                   "objs\n"
                   "1, tower, town, 100, 0\n"
                   "2, shed, town, 100, 2097152\n"
                   "3, lodtower, town, 1000, 0\n"
                   "end\n"
                   "txdp\n"
                   "town, common\n"
                   "end\n");
        write_text("town.ipl",
                   "inst\n"
                   "3, lodtower, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"
                   "1, tower, 0, 100, 200, 30, 0, 0, 0.7071068, 0.7071068, 0\n"
                   "2, shed, 5, 0, 0, 0, 0, 0, 0, 1, -1\n"
                   "end\n");
        folder.write("town_stream0.ipl",
                     [] {
                         std::string b = binary_placement({{{10, 0, 0}, {0, 0, 0, 1}, 2, 512, -1},
                                                           {{-5, 0, 0}, {0, 0, 1, 0}, 2, 0, -1}});
                         return std::vector<std::uint8_t>(b.begin(), b.end());
                     }());
    }
    void write_text(const std::string& name, const std::string& text) {
        folder.write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
};

TEST_F(CliMap, WritesOneSceneOfTheTownWithItsTextures) {
    ProgramRun run = cli({"--map", "town.ipl", "--map", "town_stream0.ipl", "--ide", "town.ide", "-o", "out", "models"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + (fs::path("out") / "map.obj").string() +
                                      ": 3 instances of 2 models placed from 2 placement files; left out: 1 LOD, "
                                      "1 interior"))
        << run.err;
    // The model point (1, 2, 3): a quarter turn stored about Z sends it to (2, -1, 3), a half turn to (-1, -2, 3).
    std::map<std::string, std::array<double, 3>> want = {
        {"tower_1", {102, 199, 33}}, {"shed_1", {11, 2, 3}}, {"shed_2", {-6, -2, 3}}};
    auto got = first_vertices(read_file(folder.path / "out" / "map.obj"));
    ASSERT_EQ(got.size(), want.size());
    for (const auto& [name, v] : want)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[name][k], v[k], 1e-4) << name;
    std::string mtl = read_file(folder.path / "out" / "map.mtl");
    EXPECT_TRUE(has_line(mtl, "map_Kd textures/town/brick.png")) << mtl;
    EXPECT_TRUE(has_line(mtl, "map_Kd textures/town/wood.png")) << mtl;  // from the parent dictionary
    EXPECT_TRUE(fs::is_regular_file(folder.path / "out/textures/town/brick.png"));
    EXPECT_TRUE(fs::is_regular_file(folder.path / "out/textures/town/wood.png"));

    // Kept on request, the stand-in and the interior are there too.
    run = cli({"--map", "town.ipl", "--ide", "town.ide", "--lod", "--interiors", "--no-textures", "-o", "all", "models"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(first_vertices(read_file(folder.path / "all" / "map.obj")).size(), 3u);
}

// The node's matrix, or the identity.
Matrix matrix_of(const nlohmann::json& node) {
    Matrix m = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    if (node.contains("matrix"))
        for (int i = 0; i < 16; ++i) m[i] = node["matrix"][i];
    return m;
}

TEST_F(CliMap, WritesTheTownAsGltfWithEachModelsMeshOnceAndANodeAnInstance) {
    const struct {
        const char* formats;
        std::vector<std::string> written, not_written;
        bool embedded;
    } cases[] = {
        {"glb", {"map.glb"}, {"map.obj", "map.mtl", "map.gltf", "map.bin"}, true},
        {"gltf", {"map.gltf", "map.bin"}, {"map.obj", "map.glb"}, false},
        {"obj,glb", {"map.obj", "map.mtl", "map.glb"}, {"map.gltf"}, true},
    };
    // Instance node, its group, its mesh's model and where the model point (1, 2, 3) lands (z up).
    const struct {
        const char* node;
        const char* group;
        const char* mesh;
        std::array<double, 3> first_vertex;
    } instances[] = {
        {"tower_1", "town.ipl", "tower", {102, 199, 33}},
        {"shed_1", "town_stream0.ipl", "shed", {11, 2, 3}},
        {"shed_2", "town_stream0.ipl", "shed", {-6, -2, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.formats);
        const fs::path out = folder.path / c.formats;
        ProgramRun run = cli({"--map", "town.ipl", "--map", "town_stream0.ipl", "--ide", "town.ide", "-f", c.formats,
                              "-o", c.formats, "models"});
        EXPECT_EQ(run.exit_status, 0) << run.err;
        std::string files;
        for (const std::string& f : c.written)  // the line names the scene's files, not the MTL file
            if (f != "map.mtl") files += (files.empty() ? "" : ", ") + (fs::path(c.formats) / f).string();
        EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + files +
                                          ": 3 instances of 2 models placed from 2 placement files; left out: 1 LOD, "
                                          "1 interior"))
            << run.err;
        for (const std::string& f : c.written) EXPECT_TRUE(fs::is_regular_file(out / f)) << f;
        for (const std::string& f : c.not_written) EXPECT_FALSE(fs::exists(out / f)) << f;
        EXPECT_TRUE(fs::is_regular_file(out / "textures/town/brick.png"));
        const Gltf g = c.embedded ? read_glb(out / "map.glb") : read_gltf(out / "map.gltf");
        const nlohmann::json& nodes = g.doc["nodes"];

        // The root turns z up into y up; under it a node a placement file, named after it.
        const nlohmann::json& root = nodes[g.doc["scenes"][0]["nodes"][0].get<int>()];
        EXPECT_EQ(root["name"], "map");
        EXPECT_EQ(root["matrix"], nlohmann::json({1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1}));
        std::map<std::string, std::vector<std::string>> groups;  // group -> its instance nodes
        std::map<std::string, int> node_index;
        for (int group : root["children"])
            for (int child : nodes[group]["children"]) {
                groups[nodes[group]["name"]].push_back(nodes[child]["name"]);
                node_index[nodes[child]["name"]] = child;
            }
        EXPECT_EQ(groups.size(), 2u);
        EXPECT_EQ(node_index.size(), 3u);
        // Each model's mesh once, whatever the count of its instances; the near level only.
        ASSERT_EQ(g.doc["meshes"].size(), 2u);
        for (const nlohmann::json& mesh : g.doc["meshes"]) {
            ASSERT_EQ(mesh["primitives"].size(), 1u) << mesh;
            EXPECT_EQ(g.doc["accessors"][mesh["primitives"][0]["attributes"]["POSITION"].get<int>()]["count"], 3);
        }
        for (const auto& i : instances) {
            SCOPED_TRACE(i.node);
            ASSERT_TRUE(node_index.count(i.node));
            const std::vector<std::string>& members = groups[i.group];
            EXPECT_NE(std::find(members.begin(), members.end(), i.node), members.end());
            const nlohmann::json& node = nodes[node_index[i.node]];
            const nlohmann::json& mesh = g.doc["meshes"][node["mesh"].get<int>()];
            EXPECT_EQ(mesh["name"], i.mesh);
            const std::vector<double> p = numbers(g, mesh["primitives"][0]["attributes"]["POSITION"]);
            ASSERT_GE(p.size(), 3u);
            const Matrix world = times(matrix_of(root), matrix_of(node));
            double w[3];
            for (int r = 0; r < 3; ++r) w[r] = world[r] * p[0] + world[4 + r] * p[1] + world[8 + r] * p[2] + world[12 + r];
            // Back from y up: (x, y, z) = (x', -z', y').
            const double z_up[3] = {w[0], -w[2], w[1]};
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(z_up[k], i.first_vertex[k], 1e-4) << k;
        }
        // The shed's definition turns backface culling off (0x200000); the tower's does not.
        std::map<std::string, bool> double_sided;
        for (const nlohmann::json& m : g.doc["materials"]) double_sided[m["name"]] = m.value("doubleSided", false);
        EXPECT_EQ(double_sided, (std::map<std::string, bool>{{"brick", false}, {"wood", true}}));
        // The images are the scene's PNG files: inside the glb, named by their folder otherwise.
        ASSERT_EQ(g.doc["images"].size(), 2u);
        for (const nlohmann::json& image : g.doc["images"]) {
            if (c.embedded) {
                EXPECT_TRUE(image.contains("bufferView")) << image;
            } else {
                const std::string uri = image["uri"];
                EXPECT_EQ(uri, "textures/town/" + image["name"].get<std::string>() + ".png");
                EXPECT_TRUE(fs::is_regular_file(out / uri)) << uri;
            }
        }
    }
}

TEST_F(CliMap, UnresolvedAndBadRecordsAreToldAndMakeTheRunNotClean) {
    write_text("bad.ipl",
               "inst\n"
               "1, tower, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"
               "77, ghost, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"
               "77, ghost, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"
               "1, tower, 0, 0, 0, 0, 0, 0, 0, 0, -1\n"
               "4, gone, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"
               "end\n");
    write_text("more.ide", "objs\n4, gone, town, 100, 0\nend\n");
    ProgramRun run = cli({"--map", "bad.ipl", "--ide", "town.ide", "--ide", "more.ide", "-o", "out", "models"});
    EXPECT_EQ(run.exit_status, 1) << run.err;
    EXPECT_TRUE(has_line(run.err, "vorlund-obj: bad.ipl line 5: the rotation has length 0; left out")) << run.err;
    EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + (fs::path("out") / "map.obj").string() +
                                      ": 1 instances of 1 models placed from 1 placement files; left out: 1 bad "
                                      "records; 3 unresolved (id 77 (ghost) x2, model gone x1)"))
        << run.err;

    run = cli({"--inspect", "--map", "bad.ipl", "--ide", "town.ide", "models"});
    EXPECT_EQ(run.exit_status, 1);
    std::vector<std::string> lines = lines_of_text(run.out);
    ASSERT_GE(lines.size(), 4u) << run.out;
    EXPECT_EQ(lines[0], "bad.ipl line 2: id 1 tower at (0, 0, 0) rotation (0, 0, 0, 1): placed from " +
                            (folder.path / "models" / "tower.dff").string());
    EXPECT_EQ(lines[1], "bad.ipl line 3: id 77 ghost at (0, 0, 0) rotation (0, 0, 0, 1): left out (unresolved)");
}

TEST_F(CliMap, UsageErrors) {
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"--map", "town.ipl", "models"}, "option '--map' needs '-o DIR': the scene is written there"},
        {{"--lod", "models"}, "option '--lod' needs '--map'"},
        {{"--map", "town.ipl", "--hour", "24", "-o", "out", "models"}, "option '--hour' needs an hour from 0 to 23, not '24'"},
        {{"--map", "town.ipl", "-b", "go2", "-o", "out", "models"}, "option '--button' cannot be used with '--map'"},
        {{"--inspect", "--map", "town.ipl", "-f", "glb", "models"}, "option '--format' cannot be used with '--inspect'"},
        {{"--map", "town.ipl", "-f", "fbx", "-o", "out", "models"},
         "unknown format 'fbx' in '--format fbx' (obj, glb or gltf, comma-separated)"},
    };
    for (const auto& c : cases) {
        ProgramRun run = cli(c.args);
        EXPECT_EQ(run.exit_status, 2) << c.error;
        EXPECT_TRUE(has_line(run.err, std::string("vorlund-obj: ") + c.error)) << run.err;
    }
}

}  // namespace

#endif
