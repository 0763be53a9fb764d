// --map through the real program: a small town of a text placement file and
// a binary stream file, its item definitions and models in a folder or in an
// archive of either version, or a whole game folder, written as scenes whose
// every instance's first vertex lands where the placement arithmetic puts it,
// as OBJ and as glTF (read back: JSON and binary buffer).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "game/text_lines.h"
#include "support/archive_writer.h"
#include "support/city_layout.h"
#include "support/cli_fixture.h"
#include "support/dictionary_builder.h"
#include "support/gltf_reader.h"
#include "support/gltf_test_models.h"
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

// Whether one line of text holds every piece.
bool mentions_line_with(const std::string& text, const std::vector<std::string>& pieces) {
    for (const std::string& l : lines_of_text(text)) {
        bool all = true;
        for (const std::string& p : pieces) all = all && l.find(p) != std::string::npos;
        if (all) return true;
    }
    return false;
}

TextureLayout pixel(const std::string& name) {
    TextureLayout t;
    t.name = name, t.raster_format = 0x600, t.format = 22;
    t.levels = {{10, 20, 30, 255}};
    return t;
}

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(const std::string& text) { return Bytes(text.begin(), text.end()); }

const char town_items[] =
    "objs\n"
    "1, tower, town, 100, 0\n"
    "2, shed, town, 100, 2097152\n"
    "3, lodtower, town, 1000, 0\n"
    "end\n"
    "txdp\n"
    "town, common\n"
    "end\n";
const char town_placements[] =
    "inst\n"
    "3, lodtower, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"
    "1, tower, 0, 100, 200, 30, 0, 0, 0.7071068, 0.7071068, 0\n"
    "2, shed, 5, 0, 0, 0, 0, 0, 0, 1, -1\n"
    "end\n";

std::string town_stream() {
    return binary_placement({{{10, 0, 0}, {0, 0, 0, 1}, 2, 512, -1}, {{-5, 0, 0}, {0, 0, 1, 0}, 2, 0, -1}});
}

// The town's models and dictionaries, named as a folder or an archive may spell them.
std::vector<ArchiveEntryLayout> town_entries() {
    return {{"tower.dff", build_model(map_object_layout("tower", "brick"))},
            {"SHED.DFF", build_model(map_object_layout("shed", "wood"))},
            {"LodTower.dff", build_model(map_object_layout("lodtower", "brick"))},
            {"TOWN.TXD", build_dictionary({pixel("brick")})},
            {"common.txd", build_dictionary({pixel("wood")})}};
}

// Where the town's instances that place (the stand-in and the interior left
// out) put the model point (1, 2, 3): a quarter turn stored about Z sends it
// to (2, -1, 3), a half turn to (-1, -2, 3).
const std::map<std::string, std::array<double, 3>> town_points = {
    {"tower_1", {102, 199, 33}}, {"shed_1", {11, 2, 3}}, {"shed_2", {-6, -2, 3}}};

void expect_points(const std::string& obj, const std::map<std::string, std::array<double, 3>>& want,
                   const std::string& what) {
    auto got = first_vertices(obj);
    ASSERT_EQ(got.size(), want.size()) << what;
    for (const auto& [name, v] : want)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[name][k], v[k], 1e-4) << what << " " << name;
}

class CliMap : public CliFolder {
protected:
    void SetUp() override {
        fs::create_directories(folder.path / "models");
        for (const ArchiveEntryLayout& e : town_entries()) folder.write("models/" + e.name, e.bytes);
        write_text("town.ide", town_items);
        write_text("town.ipl", town_placements);
        write_text("town_stream0.ipl", town_stream());
    }
    void write_text(const std::string& name, const std::string& text) { folder.write(name, bytes_of(text)); }
    // Everything under a folder of the scratch folder, relative to it, sorted.
    std::vector<std::string> entries_under(const std::string& name) const {
        std::vector<std::string> names;
        std::error_code error;
        for (auto& e : fs::recursive_directory_iterator(folder.path / name, error))
            names.push_back(e.path().lexically_relative(folder.path / name).generic_string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // The layout as packed/NAME.img (version 2) or packed/NAME.dir + .img (version 1); the name to give.
    std::string write_archive(const std::string& name, int version, const ArchiveLayout& layout) {
        fs::create_directories(folder.path / "packed");
        if (version == 2) return folder.write("packed/" + name + ".img", build_version2(layout)).string();
        Version1Files files = build_version1(layout);
        folder.write("packed/" + name + ".img", files.data);
        return folder.write("packed/" + name + ".dir", files.directory).string();
    }
};

TEST_F(CliMap, WritesOneSceneOfTheTownWithItsTextures) {
    // The same town from its folder, packed into an archive of either version,
    // and from a folder of models and a folder of dictionaries named apart.
    fs::create_directories(folder.path / "apart/txd");
    fs::create_directories(folder.path / "apart/dff");
    for (const ArchiveEntryLayout& e : town_entries())
        folder.write((same_name(fs::path(e.name).extension().string(), ".txd") ? "apart/txd/" : "apart/dff/") + e.name,
                     e.bytes);
    const struct {
        const char* out;
        int archive_version;  // 0: the models folder; -1: the folders apart
    } sources[] = {{"out", 0}, {"out2", 2}, {"out1", 1}, {"out3", -1}};
    for (const auto& source : sources) {
        ArchiveLayout layout;
        layout.entries = town_entries();
        const std::string models = source.archive_version > 0 ? write_archive(source.out, source.archive_version, layout)
                                   : source.archive_version ? "apart/dff" : "models";
        std::vector<std::string> args = {"--map", "town.ipl", "--map", "town_stream0.ipl", "--ide", "town.ide", "-o",
                                         source.out, models};
        if (source.archive_version < 0) args.push_back("apart/txd");
        ProgramRun run = cli(args);
        EXPECT_EQ(run.err.find("no models"), std::string::npos) << run.err;
        EXPECT_EQ(run.exit_status, 0) << run.err;
        EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + (fs::path(source.out) / "map.obj").string() +
                                          ": 3 instances of 2 models placed from 2 placement files; left out: 1 LOD, "
                                          "1 interior"))
            << run.err;
        expect_points(read_file(folder.path / source.out / "map.obj"), town_points, models);
        std::string mtl = read_file(folder.path / source.out / "map.mtl");
        EXPECT_TRUE(has_line(mtl, "map_Kd textures/town/brick.png")) << mtl;
        // From the parent dictionary, into that dictionary's folder as for archives: written once for all its children.
        EXPECT_TRUE(has_line(mtl, "map_Kd textures/common/wood.png")) << mtl;
        EXPECT_TRUE(fs::is_regular_file(folder.path / source.out / "textures/town/brick.png")) << models;
        EXPECT_TRUE(fs::is_regular_file(folder.path / source.out / "textures/common/wood.png")) << models;
        EXPECT_FALSE(fs::exists(folder.path / source.out / "textures/town/wood.png")) << models;
    }

    // Kept on request, the stand-in and the interior are there too.
    ProgramRun run = cli({"--map", "town.ipl", "--ide", "town.ide", "--lod", "--interiors", "--no-textures", "-o", "all", "models"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(first_vertices(read_file(folder.path / "all" / "map.obj")).size(), 3u);
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
        const Matrix z_up_to_y_up = {1, 0, 0, 0, 0, 0, -1, 0, 0, 1, 0, 0, 0, 0, 0, 1};
        const Matrix turn = node_matrix(root);
        for (int i = 0; i < 16; ++i) EXPECT_NEAR(turn[i], z_up_to_y_up[i], 1e-15) << i;
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
            const Matrix world = times(node_matrix(root), node_matrix(node));
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
                // Each where its PNG went: wood comes from the shed's parent dictionary.
                const std::string uri = image["uri"];
                const std::string name = image["name"];
                EXPECT_EQ(uri, (name == "wood" ? "textures/common/" : "textures/town/") + name + ".png");
                EXPECT_TRUE(fs::is_regular_file(out / uri)) << uri;
            }
        }
    }
}

TEST_F(CliMap, ALampPostPlacedTwiceCarriesItsEffectsOnEachInstanceAndItsUvAnimationsOnce) {
    // The lamp post's 16 effects (every type, the short light, the head's
    // light on both arms; not the two of the wrong size), 4 of them lights;
    // plain names the lamp post's water texture without moving it.
    const GltfTestModel lamp = lamp_post();
    folder.write("models/lamp-post.dff", build_model(lamp.model));
    folder.write("models/lamp-post.txd", build_dictionary(lamp.textures));
    folder.write("models/plain.dff", build_model(map_object_layout("plain", "water")));
    write_text("lamps.ide", "objs\n1200, lamp-post, lamp-post, 100, 0\n1201, plain, lamp-post, 100, 0\nend\n");
    write_text("lamps.ipl",
               "inst\n"
               "1200, lamp-post, 0, 10, 0, 0, 0, 0, 0, 1, -1\n"
               "1201, plain, 0, 0, 0, 0, 0, 0, 0, 1, -1\n"
               "1200, lamp-post, 0, -10, 5, 0, 0, 0, 0.7071068, 0.7071068, -1\n"
               "end\n");
    const struct {
        std::vector<std::string> options;
        const char* file;
        std::size_t effects, lights;  // each lamp post's
    } cases[] = {
        {{"-f", "glb"}, "glb/map.glb", 16, 4},
        {{"-f", "gltf"}, "gltf/map.gltf", 16, 4},
        {{"-f", "glb", "--effects", "none"}, "none/map.glb", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> args = {"--map", "lamps.ipl", "--ide", "lamps.ide", "-o",
                                          fs::path(c.file).parent_path().string(), "models"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ProgramRun run = cli(args);
        EXPECT_EQ(run.exit_status, 0) << run.err;
        const fs::path file = folder.path / c.file;
        const Gltf g = file.extension() == ".glb" ? read_glb(file) : read_gltf(file);
        const nlohmann::json& nodes = g.doc["nodes"];
        EXPECT_EQ(g.doc.contains("extensions"), c.lights > 0) << "the lights' list";
        // Each instance its own effect nodes: as many on the second lamp post as on the first, none on plain.
        std::map<std::string, std::array<std::size_t, 2>> fx_of;  // instance -> effect nodes, light nodes
        int plain_mesh = -1;
        for (const nlohmann::json& n : nodes) {
            const std::string name = n.value("name", "");
            if (name == "plain_1") plain_mesh = n["mesh"];
            if (name != "lamp-post_1" && name != "lamp-post_2" && name != "plain_1") continue;
            std::array<std::size_t, 2>& fx = fx_of[name];
            for (int child : n.value("children", nlohmann::json::array()))
                if (nodes[child].value("name", "").rfind("fx_", 0) == 0) {
                    ++fx[0];
                    fx[1] += nodes[child].contains("extensions");
                }
        }
        EXPECT_EQ(fx_of, (std::map<std::string, std::array<std::size_t, 2>>{
                             {"lamp-post_1", {c.effects, c.lights}},
                             {"lamp-post_2", {c.effects, c.lights}},
                             {"plain_1", {0, 0}}}));

        // The UV animations once for both lamp posts, moving the lamp post's
        // own materials: flow the water, scroll the sign (glass has no image).
        const nlohmann::json& materials = g.doc["materials"];
        std::map<std::string, std::set<std::string>> moved;  // animation -> the images of the materials it moves
        std::set<int> moved_materials;
        for (const nlohmann::json& a : g.doc["animations"]) {
            ASSERT_EQ(a["channels"].size(), 3u) << a;
            for (const nlohmann::json& channel : a["channels"]) {
                const std::string pointer = channel["target"]["extensions"]["KHR_animation_pointer"]["pointer"];
                const int m = std::stoi(pointer.substr(std::string("/materials/").size()));
                ASSERT_LT(m, static_cast<int>(materials.size()));
                const nlohmann::json& texture = materials[m]["pbrMetallicRoughness"]["baseColorTexture"];
                EXPECT_TRUE(texture["extensions"].contains("KHR_texture_transform")) << pointer;
                moved[a["name"]].insert(g.doc["images"][g.doc["textures"][texture["index"].get<int>()]["source"].get<int>()]["name"].get<std::string>());
                moved_materials.insert(m);
            }
        }
        EXPECT_EQ(moved, (std::map<std::string, std::set<std::string>>{{"flow", {"water"}}, {"scroll", {"sign"}}}));
        // Plain's water, the same texture of the same dictionary, stays still: a material of its own.
        ASSERT_GE(plain_mesh, 0);
        for (const nlohmann::json& p : g.doc["meshes"][plain_mesh]["primitives"]) {
            const int m = p["material"];
            EXPECT_FALSE(moved_materials.count(m));
            EXPECT_FALSE(materials[m]["pbrMetallicRoughness"]["baseColorTexture"].contains("extensions")) << materials[m];
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

// Where the scene must put each placed instance's first vertex, computed here
// from the placement lines: R(q*) p + t with q normalised, the stand-ins that
// lod fields name left out, MODEL_N counting each model's instances in order.
std::map<std::string, std::array<double, 3>> city_points(const City& city) {
    std::map<std::string, std::array<double, 3>> out;
    std::map<std::string, int> count;
    for (const CityFile& file : city.placements) {
        struct Line {
            int id;
            std::string model;
            double t[3], q[4];
        };
        std::vector<Line> lines;
        std::set<int> stand_ins;
        for (std::string text : lines_of_text(std::string(file.bytes.begin(), file.bytes.end()))) {
            if (text.empty() || text[0] == '#' || text == "inst" || text == "end") continue;
            for (char& c : text)
                if (c == ',') c = ' ';
            std::istringstream fields(text);
            Line l;
            int interior, lod;
            fields >> l.id >> l.model >> interior >> l.t[0] >> l.t[1] >> l.t[2] >> l.q[0] >> l.q[1] >> l.q[2] >> l.q[3] >> lod;
            if (lod >= 0) stand_ins.insert(lod);
            lines.push_back(l);
        }
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (stand_ins.count(int(i))) continue;
            const Line& l = lines[i];
            double n = std::sqrt(l.q[0] * l.q[0] + l.q[1] * l.q[1] + l.q[2] * l.q[2] + l.q[3] * l.q[3]);
            double x = l.q[0] / n, y = l.q[1] / n, z = l.q[2] / n, w = l.q[3] / n;
            const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y)},
                                    {2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x)},
                                    {2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y)}};
            const std::array<float, 3>& p = city.first_vertices[std::size_t(l.id - 1000)];
            std::array<double, 3> v;
            for (int k = 0; k < 3; ++k) v[k] = r[k][0] * p[0] + r[k][1] * p[1] + r[k][2] * p[2] + l.t[k];
            out[l.model + "_" + std::to_string(++count[l.model])] = v;
        }
    }
    return out;
}

TEST_F(CliMap, AGeneratedCityInAnArchivePlacesEveryInstanceWhereItsLinesSay) {
    const City city = make_city_layout(40, 400, 11);
    std::vector<std::string> args;
    fs::create_directories(folder.path / "city");
    for (const CityFile& f : city.placements) args.insert(args.end(), {"--map", folder.write("city/" + f.name, f.bytes).string()});
    write_text("city/city.ide", city.items);
    const std::map<std::string, std::array<double, 3>> want = city_points(city);
    ASSERT_GT(want.size(), 300u);
    for (int version : {2, 1}) {
        ArchiveLayout layout;
        for (const std::vector<CityFile>* files : {&city.models, &city.dictionaries})
            for (const CityFile& f : *files) layout.entries.push_back({f.name, f.bytes});
        const std::string out = "city-out" + std::to_string(version);
        std::vector<std::string> run_args = args;
        run_args.insert(run_args.end(), {"--ide", "city/city.ide", "-o", out, write_archive("city", version, layout)});
        ProgramRun run = cli(run_args);
        EXPECT_EQ(run.exit_status, 0) << run.err;
        EXPECT_TRUE(mentions_line_with(run.err, {std::to_string(want.size()) + " instances of ", " placed from 20 placement files"}))
            << run.err;
        const auto got = first_vertices(read_file(folder.path / out / "map.obj"));
        ASSERT_EQ(got.size(), want.size()) << version;
        for (const auto& [name, v] : want) {
            ASSERT_TRUE(got.count(name)) << name;
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(got.at(name)[k], v[k], 2e-3) << version << " " << name;
        }
        EXPECT_TRUE(fs::is_regular_file(folder.path / out / "textures/city0/facade0.png") ||
                    fs::is_regular_file(folder.path / out / "textures/city0/facade1.png"));
    }
}

TEST_F(CliMap, BadArchiveEntriesAreToldEachAndTheRestPlaced) {
    // shed's entry of each kind of damage; the tower places in every case.
    const struct {
        const char* what;
        std::int64_t start_sectors, length_sectors;
        bool whole_copy_after;  // a whole entry of the same name follows the damaged one
        const char* told;       // on shed's line; empty when it places
    } cases[] = {
        {"starts past the end", 900, -1, false, "it starts at byte 1843200, past the end of the archive"},
        {"length 0", -1, 0, false, "its length is 0"},
        {"runs past the end", -1, 900, false, "it runs past the end of the archive"},
        {"a whole one of its name after it", 900, -1, true, ""},
    };
    for (const auto& c : cases) {
        ArchiveLayout layout;
        layout.entries = town_entries();
        layout.entries[1].start_sectors = c.start_sectors;
        layout.entries[1].length_sectors = c.length_sectors;
        if (c.whole_copy_after) layout.entries.push_back({"shed.dff", build_model(map_object_layout("shed", "wood"))});
        const std::string archive = write_archive("bad", 2, layout);
        ProgramRun run = cli({"--map", "town.ipl", "--map", "town_stream0.ipl", "--ide", "town.ide", "-o", "out", archive});
        std::map<std::string, std::array<double, 3>> want = town_points;
        if (*c.told) {
            EXPECT_EQ(run.exit_status, 1) << c.what << "\n" << run.err;
            EXPECT_TRUE(mentions_line_with(run.err, {"vorlund-obj: model shed (first placed at town_stream0.ipl record ",
                                                     archive + "/SHED.DFF: " + c.told,
                                                     "; its 2 instances left out"}))
                << c.what << "\n" << run.err;
            EXPECT_TRUE(mentions_line_with(run.err, {"1 instances of 1 models placed", "2 of models not converted clean"}))
                << c.what << "\n" << run.err;
            want.erase("shed_1"), want.erase("shed_2");
        } else {
            EXPECT_EQ(run.exit_status, 0) << c.what << "\n" << run.err;
        }
        expect_points(read_file(folder.path / "out" / "map.obj"), want, c.what);
    }
}

TEST_F(CliMap, ModelsNoArchiveHoldsAreNamedUnresolved) {
    ArchiveLayout layout;
    layout.entries = town_entries();
    layout.entries.erase(layout.entries.begin());  // tower
    const std::string archive = write_archive("short", 1, layout);
    ProgramRun run = cli({"--map", "town.ipl", "--map", "town_stream0.ipl", "--ide", "town.ide", "-o", "out", archive});
    EXPECT_EQ(run.exit_status, 1) << run.err;
    EXPECT_TRUE(mentions_line_with(run.err, {"2 instances of 1 models placed", "; 1 unresolved (model tower x1)"}))
        << run.err;
    run = cli({"--inspect", "--map", "town.ipl", "--map", "town_stream0.ipl", "--ide", "town.ide", archive});
    EXPECT_TRUE(has_line(run.out, "town.ipl line 3: id 1 tower at (100, 200, 30) rotation (0, 0, 0.7071068, "
                                  "0.7071068): left out (no model file)"))
        << run.out;
    EXPECT_TRUE(mentions_line_with(run.out, {"town_stream0.ipl record 0: id 2 shed", "placed from " + archive + "/SHED.DFF"}))
        << run.out;
}

// A game folder: data/gta.dat names the item definitions, a second archive,
// a zone file and two placement files; the main archive holds a binary
// stream file of one of them.
class CliMapGame : public CliMap {
protected:
    void SetUp() override {
        CliMap::SetUp();
        fs::create_directories(folder.path / "Game/data/maps/Town");
        fs::create_directories(folder.path / "Game/models");
        write_text("Game/data/gta.dat",
                   "# the game's files\r\n"
                   "IDE DATA\\TOWN.IDE\r\n"
                   "IMG MODELS\\EXTRA.IMG\r\n"
                   "IPL DATA\\MAP.ZON\r\n"
                   "IPL DATA\\MAPS\\Town\\TownN2.IPL\r\n"
                   "IPL data\\maps\\harbour.ipl\r\n");
        write_text("Game/data/town.ide", town_items);
        write_text("Game/data/map.zon", "zone\nend\n");
        write_text("Game/data/maps/Town/TownN2.IPL", town_placements);
        write_text("Game/data/maps/harbour.ipl", "inst\n1, tower, 0, 0, 0, 0, 0, 0, 0, 1, -1\nend\n");
        std::vector<ArchiveEntryLayout> town = town_entries();
        ArchiveLayout main, extra;
        main.entries = {town[0], town[2], town[3], {"TOWNN2_STREAM0.IPL", bytes_of(town_stream())}};
        extra.entries = {town[1], town[4]};
        folder.write("Game/models/gta3.img", build_version2(main));
        Version1Files v1 = build_version1(extra);
        folder.write("Game/models/extra.dir", v1.directory);
        folder.write("Game/models/extra.img", v1.data);
    }
};

TEST_F(CliMapGame, WritesOneSceneForEachPlacementFileWhereTheGameKeepsIt) {
    ProgramRun run = cli({"--map", "all", "--game", at("Game"), "-o", "out"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    const fs::path town = fs::path("out") / "maps" / "town" / "townn2.obj", harbour = fs::path("out") / "maps" / "harbour.obj";
    EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + town.string() +
                                      ": 3 instances of 2 models placed from 2 placement files; left out: 1 LOD, "
                                      "1 interior"))
        << run.err;
    EXPECT_TRUE(has_line(run.err, "vorlund-obj: " + harbour.string() +
                                      ": 1 instances of 1 models placed from 1 placement files"))
        << run.err;
    expect_points(read_file(folder.path / town), town_points, "town");
    expect_points(read_file(folder.path / harbour), {{"tower_1", {1, 2, 3}}}, "harbour");
    EXPECT_TRUE(has_line(read_file(folder.path / town), "# placement file " + at("Game/models/gta3.img") +
                                                            "/TOWNN2_STREAM0.IPL"));
    // One textures folder for every scene, as for the game's models.
    const std::string mtl = read_file(folder.path / "out/maps/town/townn2.mtl");
    EXPECT_TRUE(has_line(mtl, "map_Kd ../../textures/town/brick.png")) << mtl;
    EXPECT_TRUE(has_line(mtl, "map_Kd ../../textures/common/wood.png")) << mtl;
    EXPECT_TRUE(has_line(read_file(folder.path / "out/maps/harbour.mtl"), "map_Kd ../textures/town/brick.png"));
    for (const char* png : {"out/textures/town/brick.png", "out/textures/common/wood.png"})
        EXPECT_TRUE(fs::is_regular_file(folder.path / png)) << png;
    // The zone file places nothing and gets no scene.
    EXPECT_EQ(entries_under("out"), (std::vector<std::string>{
                                        "maps", "maps/harbour.mtl", "maps/harbour.obj", "maps/town", "maps/town/townn2.mtl",
                                        "maps/town/townn2.obj", "textures", "textures/common", "textures/common/wood.png",
                                        "textures/town", "textures/town/brick.png"}));

    // As glTF, each scene where its OBJ file would be, naming the PNG files where they went.
    run = cli({"--map", "all", "--game", at("Game"), "-f", "gltf", "-o", "gltf-out"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    const nlohmann::json scene = nlohmann::json::parse(read_file(folder.path / "gltf-out/maps/town/townn2.gltf"));
    std::vector<std::string> uris;
    for (const nlohmann::json& image : scene["images"]) uris.push_back(image["uri"]);
    std::sort(uris.begin(), uris.end());
    EXPECT_EQ(uris, (std::vector<std::string>{"../../textures/common/wood.png", "../../textures/town/brick.png"}));
    EXPECT_TRUE(fs::is_regular_file(folder.path / "gltf-out/maps/harbour.gltf"));
    EXPECT_FALSE(fs::exists(folder.path / "gltf-out/maps/harbour.obj"));

    // --inspect lists each scene's instances under its text file's name.
    run = cli({"--inspect", "--map", "all", "--game", at("Game")});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_TRUE(has_line(run.out, "== " + at("Game/data/maps/Town/TownN2.IPL"))) << run.out;
    EXPECT_TRUE(has_line(run.out, "== " + at("Game/data/maps/harbour.ipl"))) << run.out;
    EXPECT_TRUE(mentions_line_with(run.out, {"TOWNN2_STREAM0.IPL record 1: id 2 shed at (-5, 0, 0)",
                                             "placed from " + at("Game/models/extra.img") + "/SHED.DFF"}))
        << run.out;
}

TEST_F(CliMapGame, NamedPlacementFilesChooseAmongTheGames) {
    const struct {
        std::vector<std::string> maps;
        int exit_status;
        std::vector<std::string> scenes;  // under out/maps
        const char* told;
    } cases[] = {
        {{"TOWNN2.ipl"}, 0, {"town/townn2.obj"}, nullptr},
        {{"DATA/MAPS/HARBOUR.IPL"}, 0, {"harbour.obj"}, nullptr},
        {{"data\\maps\\town\\townn2.ipl", "harbour.ipl"}, 0, {"harbour.obj", "town/townn2.obj"}, nullptr},
        {{"harbour.ipl", "nowhere.ipl"}, 1, {"harbour.obj"},
         "vorlund-obj: nowhere.ipl: no placement file of the game's data files is named so"},
    };
    for (const auto& c : cases) {
        fs::remove_all(folder.path / "out");
        std::vector<std::string> args = {"--game", at("Game"), "-o", "out"};
        for (const std::string& m : c.maps) args.insert(args.end(), {"--map", m});
        ProgramRun run = cli(args);
        EXPECT_EQ(run.exit_status, c.exit_status) << c.maps[0] << "\n" << run.err;
        std::vector<std::string> scenes;
        for (const std::string& e : entries_under("out/maps"))
            if (e.size() > 4 && e.compare(e.size() - 4, 4, ".obj") == 0) scenes.push_back(e);
        EXPECT_EQ(scenes, c.scenes) << c.maps[0];
        if (c.told) {
            EXPECT_TRUE(has_line(run.err, c.told)) << run.err;
        }
    }
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
        {{"--map", "all", "--game", "."}, "option '--game' needs '--output-dir': nothing is written into the game's folder"},
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
