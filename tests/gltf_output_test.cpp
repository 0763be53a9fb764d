// The glTF output end to end: the generated glTF test models and the corpus
// through the real program as .glb and .gltf, each file read back (its JSON
// and its binary chunk) and checked against the model and the OBJ output of
// the same model: every accessor in its view with its count, type and bounds,
// and every vertex placed by the node hierarchy where the OBJ file puts it.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "export/gltf_mesh.h"
#include "support/character_layout.h"
#include "support/gltf_reader.h"
#include "support/gltf_test_models.h"
#include "support/model_builder.h"
#include "support/run_program.h"

#ifdef VORLUND_OBJ_PROGRAM

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// Every mesh's vertices placed by the nodes above it, in node order, turned
// back from glTF's y-up into the model's z-up; with the counts of what the
// mesh nodes draw.
struct Placed {
    std::vector<std::array<double, 3>> points;
    std::size_t mesh_nodes = 0, triangles = 0;
};

void place(const Gltf& g, int node, const Matrix& parent, Placed& out) {
    const json& n = g.doc["nodes"][node];
    const Matrix world = times(parent, node_matrix(n));
    if (n.contains("mesh")) {
        ++out.mesh_nodes;
        const json& primitives = g.doc["meshes"][n["mesh"].get<int>()]["primitives"];
        const std::vector<double> p = numbers(g, primitives[0]["attributes"]["POSITION"]);
        for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
            double w[3];
            for (int r = 0; r < 3; ++r) w[r] = world[r] * p[i] + world[4 + r] * p[i + 1] + world[8 + r] * p[i + 2] + world[12 + r];
            out.points.push_back({w[0], -w[2], w[1]});
        }
        for (const json& primitive : primitives)
            if (primitive.contains("indices")) out.triangles += g.doc["accessors"][primitive["indices"].get<int>()]["count"].get<std::size_t>() / 3;
    }
    for (const json& child : n.value("children", json::array())) place(g, child, world, out);
}

Matrix node_world(const Gltf& g, int node) {
    std::map<int, int> parent;
    for (std::size_t i = 0; i < g.doc["nodes"].size(); ++i)
        for (const json& child : g.doc["nodes"][i].value("children", json::array())) parent[child] = static_cast<int>(i);
    Matrix world = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int at = node;; at = parent.at(at)) {
        world = times(node_matrix(g.doc["nodes"][at]), world);
        if (!parent.count(at)) return world;
    }
}

// The vertices of every skinned mesh node as a viewer draws them: each point
// by the joints' world matrices times their inverse bind matrices, weighted;
// turned back into the model's z-up.
std::vector<std::array<double, 3>> skinned_points(const Gltf& g) {
    std::vector<std::array<double, 3>> points;
    for (const json& n : g.doc["nodes"]) {
        if (!n.contains("skin")) continue;
        const json& skin = g.doc["skins"][n["skin"].get<int>()];
        const std::vector<double> ibm = numbers(g, skin["inverseBindMatrices"]);
        std::vector<Matrix> joints;
        for (std::size_t j = 0; j < skin["joints"].size(); ++j) {
            Matrix inverse;
            std::copy(ibm.begin() + 16 * j, ibm.begin() + 16 * (j + 1), inverse.begin());
            joints.push_back(times(node_world(g, skin["joints"][j]), inverse));
        }
        const json& attributes = g.doc["meshes"][n["mesh"].get<int>()]["primitives"][0]["attributes"];
        const std::vector<double> p = numbers(g, attributes["POSITION"]), joint = numbers(g, attributes["JOINTS_0"]),
                                  weight = numbers(g, attributes["WEIGHTS_0"]);
        for (std::size_t v = 0; 3 * v + 2 < p.size(); ++v) {
            double w[3] = {0, 0, 0};
            for (std::size_t k = 0; k < 4; ++k) {
                const Matrix& m = joints.at(static_cast<std::size_t>(joint[4 * v + k]));
                for (int r = 0; r < 3; ++r)
                    w[r] += weight[4 * v + k] *
                            (m[r] * p[3 * v] + m[4 + r] * p[3 * v + 1] + m[8 + r] * p[3 * v + 2] + m[12 + r]);
            }
            points.push_back({w[0], -w[2], w[1]});
        }
    }
    return points;
}

std::vector<std::array<double, 3>> obj_points(const std::string& obj) {
    std::vector<std::array<double, 3>> points;
    std::istringstream in(obj);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("v ", 0) != 0) continue;
        std::istringstream v(line.substr(2));
        std::array<double, 3> p{};
        v >> p[0] >> p[1] >> p[2];
        points.push_back(p);
    }
    return points;
}

// The OBJ file's vertices, then for each face whose three vertices (as a set)
// an earlier face of the same object and material has, its three vertices
// again: glTF gives such a face copies of its own.
std::vector<std::array<double, 3>> obj_points_with_face_copies(const std::string& obj) {
    std::vector<std::array<double, 3>> points = obj_points(obj), copies;
    std::set<std::pair<std::string, std::array<long, 3>>> faces;
    std::string object, material;
    std::istringstream in(obj);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("o ", 0) == 0) object = line, material.clear();
        if (line.rfind("usemtl ", 0) == 0) material = line;
        if (line.rfind("f ", 0) != 0) continue;
        std::istringstream f(line.substr(2));
        std::array<long, 3> corners{};
        std::string corner;
        for (long& c : corners) {
            f >> corner;
            c = std::stol(corner);  // the position's number, before any '/'
        }
        std::array<long, 3> set = corners;
        std::sort(set.begin(), set.end());
        if (!faces.insert({object + '\n' + material, set}).second)
            for (long c : corners) copies.push_back(points.at(static_cast<std::size_t>(c - 1)));
    }
    points.insert(points.end(), copies.begin(), copies.end());
    return points;
}

void expect_same_points(std::vector<std::array<double, 3>> a, std::vector<std::array<double, 3>> b) {
    ASSERT_EQ(a.size(), b.size());
    auto rounded = [](std::vector<std::array<double, 3>>& v) {
        for (auto& p : v)
            for (double& x : p) x = std::round(x * 1e4) / 1e4 + 0.0;
        std::sort(v.begin(), v.end());
    };
    rounded(a);
    rounded(b);
    for (std::size_t i = 0; i < a.size(); ++i)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(a[i][k], b[i][k], 2e-4) << i;
}

// Every accessor fits its view and the buffer, every index is below its
// primitive's vertex count, POSITION's bounds are its numbers' bounds, and
// NORMAL and the weights are what glTF wants.
void check_accessors(const Gltf& g) {
    for (const json& mesh : g.doc["meshes"]) {
        for (const json& primitive : mesh["primitives"]) {
            const json& attributes = primitive["attributes"];
            const int position = attributes["POSITION"];
            const std::size_t vertices = g.doc["accessors"][position]["count"];
            const std::vector<double> p = numbers(g, position);
            for (int k = 0; k < 3; ++k) {
                double low = p[k], high = p[k];
                for (std::size_t i = k; i < p.size(); i += 3) low = std::min(low, p[i]), high = std::max(high, p[i]);
                EXPECT_EQ(g.doc["accessors"][position]["min"][k].get<double>(), low);
                EXPECT_EQ(g.doc["accessors"][position]["max"][k].get<double>(), high);
            }
            for (auto& [name, accessor] : attributes.items()) {
                EXPECT_EQ(g.doc["accessors"][accessor.get<int>()]["count"], vertices) << name;
                numbers(g, accessor);
            }
            if (attributes.contains("NORMAL")) {
                const std::vector<double> n = numbers(g, attributes["NORMAL"]);
                for (std::size_t i = 0; i + 2 < n.size(); i += 3)
                    EXPECT_NEAR(n[i] * n[i] + n[i + 1] * n[i + 1] + n[i + 2] * n[i + 2], 1.0, 1e-5);
            }
            if (!primitive.contains("indices")) continue;
            const json& indices = g.doc["accessors"][primitive["indices"].get<int>()];
            EXPECT_EQ(indices["componentType"], vertices < 65536 ? 5123 : 5125);
            EXPECT_EQ(indices["count"].get<std::size_t>() % 3, 0u);
            for (double i : numbers(g, primitive["indices"])) EXPECT_LT(i, vertices);
        }
    }
}

class GltfOutput : public ::testing::Test {
protected:
    TempFolder folder;
    ProgramRun cli(const std::vector<std::string>& args) {
        return run_program(VORLUND_OBJ_PROGRAM, args, RunSettings{folder.path.string(), false});
    }
    // Converts file into OBJ, glb and glTF; checks both glTF files alike and
    // against the OBJ file. Gives the glb's document.
    Gltf convert_and_check(const std::string& file) {
        ProgramRun run = cli({"-b", "structure", "-f", "obj,glb,gltf", file});
        EXPECT_EQ(run.exit_status, 0) << run.err;
        EXPECT_NE(run.err.find(file + ".obj, " + (folder.path / file).string() + ".glb, "), std::string::npos) << run.err;
        Gltf glb = read_glb(folder.path / (file + ".glb")), gltf = read_gltf(folder.path / (file + ".gltf"));
        const std::vector<std::array<double, 3>> obj = obj_points_with_face_copies(read_file(folder.path / (file + ".obj")));
        for (const Gltf* g : {&glb, &gltf}) {
            check_accessors(*g);
            Placed placed;
            place(*g, g->doc["scenes"][0]["nodes"][0], Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, placed);
            expect_same_points(placed.points, obj);
            EXPECT_EQ(g->doc["meshes"].size(), glb.doc["meshes"].size());
            EXPECT_EQ(g->doc["materials"], glb.doc["materials"]);
        }
        return glb;
    }
};

TEST_F(GltfOutput, GeneratedModelsCarryWhatTheModelHolds) {
    const struct {
        const char* name;
        std::size_t meshes, mesh_nodes, materials, images;
        bool second_uv_set, colors;
        std::vector<std::string> alpha_modes;  // a material each: "" for opaque
    } cases[] = {
        {"hierarchy", 3, 4, 4, 3, false, true, {"", "", "MASK", "BLEND"}},
        {"two-uv-sets", 1, 1, 1, 0, true, true, {""}},
        {"clumps", 3, 3, 3, 0, false, true, {"", "", ""}},
        {"unused-geometry", 2, 2, 2, 0, false, false, {"", ""}},
        // The sheared frame and the one below it move their own copies of the quad.
        {"sheared-frames", 3, 4, 1, 0, false, false, {""}},
        {"double-sided", 1, 1, 1, 0, false, false, {""}},
        {"binmesh-materials", 1, 1, 3, 0, false, false, {"", "", ""}},
    };
    std::map<std::string, GltfTestModel> models;
    for (GltfTestModel& m : gltf_test_models()) models[m.name] = m;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GltfTestModel& m = models.at(c.name);
        folder.write(m.name + ".dff", build_model(m.model));
        if (!m.textures.empty()) folder.write(m.name + ".txd", build_dictionary(m.textures));
        Gltf g = convert_and_check(m.name + ".dff");
        EXPECT_EQ(g.doc["meshes"].size(), c.meshes);
        EXPECT_EQ(g.doc.value("images", json::array()).size(), c.images);
        ASSERT_EQ(g.doc["materials"].size(), c.materials);
        for (std::size_t i = 0; i < c.materials; ++i)
            EXPECT_EQ(g.doc["materials"][i].value("alphaMode", ""), c.alpha_modes[i]) << i;
        const json& attributes = g.doc["meshes"][0]["primitives"][0]["attributes"];
        EXPECT_EQ(attributes.contains("TEXCOORD_1"), c.second_uv_set);
        EXPECT_EQ(attributes.contains("COLOR_0"), c.colors);
        EXPECT_EQ(attributes.contains("_NIGHT_COLOR"), c.second_uv_set) << "the model with two UV sets has night colours";
        Placed placed;
        place(g, g.doc["scenes"][0]["nodes"][0], Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, placed);
        EXPECT_EQ(placed.mesh_nodes, c.mesh_nodes);
        for (const json& image : g.doc.value("images", json::array())) {
            const json& view = g.doc["bufferViews"][image["bufferView"].get<int>()];
            EXPECT_EQ(g.bin.substr(view["byteOffset"].get<std::size_t>(), 4), "\x89PNG");
        }
    }
    // The hierarchy's materials as the MTL names them, colours made linear, samplers from the textures.
    Gltf g = read_glb(folder.path / "hierarchy.dff.glb");
    EXPECT_EQ(g.doc["materials"][0]["name"], "paint");
    EXPECT_EQ(g.doc["materials"][1]["name"], "material_0_1");
    EXPECT_NEAR(g.doc["materials"][1]["pbrMetallicRoughness"]["baseColorFactor"][1].get<double>(), 0.127438, 1e-5);
    EXPECT_EQ(g.doc["samplers"][0], (json{{"minFilter", 9987}, {"magFilter", 9729}, {"wrapS", 33648}, {"wrapT", 33648}}));
    EXPECT_EQ(g.doc["samplers"][1], (json{{"minFilter", 9728}, {"magFilter", 9728}, {"wrapS", 33071}, {"wrapT", 33071}}));
    // The red corner's linear colour, and its alpha as stored.
    const std::vector<double> colors = numbers(g, g.doc["meshes"][0]["primitives"][0]["attributes"]["COLOR_0"]);
    EXPECT_EQ(colors[0], 1.0);
    EXPECT_EQ(colors[12], std::round(0.502886 * 65535) / 65535) << "sRGB 188";
    EXPECT_NEAR(colors[11], 128 / 255.0, 1e-9);
}

// What glTF cannot say as the file does: frames no node may hold as a matrix
// (a mirror, a shear) place every vertex exactly where the OBJ output does;
// the two sides of a face keep their own vertices; the triangles take the
// materials of the draw lists, in glTF as in OBJ.
TEST_F(GltfOutput, ShearMirrorBothSidesAndDrawListMaterials) {
    std::map<std::string, GltfTestModel> models;
    for (GltfTestModel& m : gltf_test_models()) models[m.name] = m;
    const struct {
        const char* name;
        std::vector<std::size_t> triangles_per_primitive;
        std::size_t stored, vertices;  // a mesh's vertices as the file stores them; with the copies
        std::size_t obj_materials;     // names the OBJ file's usemtl lines take
    } cases[] = {
        {"sheared-frames", {2}, 4, 4, 1},
        {"double-sided", {4}, 4, 10, 1},
        {"binmesh-materials", {1, 1, 2}, 6, 6, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        folder.write(std::string(c.name) + ".dff", build_model(models.at(c.name).model));
        const std::string file = std::string(c.name) + ".dff";
        const Gltf g = convert_and_check(file);
        const std::string obj = read_file(folder.path / (file + ".obj"));
        Placed placed;
        place(g, g.doc["scenes"][0]["nodes"][0], Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, placed);
        // Node order is the OBJ's atomic order here: vertex by vertex, to 1e-5.
        std::vector<std::array<double, 3>> expected = obj_points(obj), got;
        for (std::size_t m = 0; m < placed.points.size(); m += c.vertices)  // the copies come after the stored vertices
            got.insert(got.end(), placed.points.begin() + static_cast<std::ptrdiff_t>(m),
                       placed.points.begin() + static_cast<std::ptrdiff_t>(m + c.stored));
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t v = 0; v < got.size(); ++v)
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(got[v][k], expected[v][k], 1e-5) << v << " " << k;
        for (const json& node : g.doc["nodes"]) EXPECT_FALSE(node.contains("matrix")) << node;

        const json& primitives = g.doc["meshes"][0]["primitives"];
        ASSERT_EQ(primitives.size(), c.triangles_per_primitive.size());
        std::set<std::string> obj_materials;
        std::istringstream lines(obj);
        for (std::string line; std::getline(lines, line);)
            if (line.rfind("usemtl ", 0) == 0) obj_materials.insert(line);
        EXPECT_EQ(obj_materials.size(), c.obj_materials);
        for (std::size_t p = 0; p < primitives.size(); ++p) {
            EXPECT_EQ(g.doc["accessors"][primitives[p]["attributes"]["POSITION"].get<int>()]["count"], c.vertices);
            const std::vector<double> indices = numbers(g, primitives[p]["indices"]);
            ASSERT_EQ(indices.size(), 3 * c.triangles_per_primitive[p]);
            // No two triangles of a primitive on the same three vertices.
            std::set<std::array<double, 3>> faces;
            for (std::size_t i = 0; i < indices.size(); i += 3) {
                std::array<double, 3> face = {indices[i], indices[i + 1], indices[i + 2]};
                std::sort(face.begin(), face.end());
                EXPECT_TRUE(faces.insert(face).second) << "triangle " << i / 3;
            }
        }
    }
    // The second side's copies stand where the first side's vertices stand, with the same attributes.
    const Gltf g = read_glb(folder.path / "double-sided.dff.glb");
    const json& attributes = g.doc["meshes"][0]["primitives"][0]["attributes"];
    for (const char* name : {"POSITION", "NORMAL", "TEXCOORD_0"}) {
        const std::vector<double> values = numbers(g, attributes[name]);
        const std::size_t width = values.size() / 10;
        const std::size_t copied[6] = {2, 1, 0, 3, 2, 0};
        for (std::size_t k = 0; k < 6; ++k)
            for (std::size_t i = 0; i < width; ++i) EXPECT_EQ(values[(4 + k) * width + i], values[copied[k] * width + i]) << name;
    }
}

// Every layout of character the structure reader knows: drawn by its skin, it
// stands where the OBJ output stands it, its mesh node at the scene's top.
TEST_F(GltfOutput, CharactersAreDrawnByTheirSkinWhereTheObjStandsThem) {
    const struct {
        const char* name;
        CharacterLayout layout;
    } cases[] = {
        {"pelvis-space", {SkinSpace::pelvis, false, true}},
        {"root-bone-space", {SkinSpace::root_bone, false, true}},
        {"clump-space", {SkinSpace::clump, false, true}},
        {"older-skin", {SkinSpace::clump, true, true}},
        {"no-pelvis", {SkinSpace::root_bone, false, false}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Character character = character_model(c.layout);
        const std::string file = std::string(c.name) + ".dff";
        folder.write(file, build_model(character.model));
        ProgramRun run = cli({"-b", "structure", "-f", "obj,glb", file});
        ASSERT_EQ(run.exit_status, 0) << run.err;
        Gltf g = read_glb(folder.path / (file + ".glb"));
        check_accessors(g);
        ASSERT_EQ(g.doc["skins"].size(), 1u);
        const json& skin = g.doc["skins"][0];
        EXPECT_EQ(skin["joints"].size(), 5u);
        EXPECT_EQ(g.doc["accessors"][skin["inverseBindMatrices"].get<int>()]["type"], "MAT4");
        // The joints are the bone frames' nodes, in bone order, named as the OBJ names parts.
        std::vector<std::string> joint_names;
        for (const json& j : skin["joints"]) joint_names.push_back(g.doc["nodes"][j.get<int>()]["name"]);
        EXPECT_EQ(joint_names, (std::vector<std::string>{"Root", c.layout.pelvis_named ? "_Pelvis" : "SRLittleBone0", "Spine", "Head", "L_Foot"}));
        const json& scene = g.doc["scenes"][0]["nodes"];
        ASSERT_EQ(scene.size(), 2u);
        const json& mesh_node = g.doc["nodes"][scene[1].get<int>()];
        EXPECT_EQ(mesh_node["skin"], 0);
        for (const char* part : {"matrix", "translation", "rotation", "scale"}) EXPECT_FALSE(mesh_node.contains(part)) << part;
        const std::vector<std::array<double, 3>> drawn = skinned_points(g);
        const std::vector<std::array<double, 3>> obj = obj_points(read_file(folder.path / (file + ".obj")));
        ASSERT_EQ(drawn.size(), obj.size());
        for (std::size_t v = 0; v < obj.size(); ++v)
            for (int k = 0; k < 3; ++k) EXPECT_NEAR(drawn[v][k], obj[v][k], 1e-5) << v;
        if (c.layout.pelvis_named) {
            EXPECT_GT(drawn[Character::head][2], drawn[Character::foot][2] + 1.5);
        }
    }
}

TEST(GltfWeights, FourSlotsAsGltfWantsThem) {
    const struct {
        const char* what;
        std::array<std::uint8_t, 4> bones;
        std::array<float, 4> stored;
        std::array<std::uint8_t, 4> joints;
        std::array<float, 4> weights;
    } cases[] = {
        {"as stored", {2, 1, 0, 0}, {0.25f, 0.75f, 0, 0}, {2, 1, 0, 0}, {0.25f, 0.75f, 0, 0}},
        {"unused slots on joint 0", {3, 4, 4, 4}, {1, 0, 0, 0}, {3, 0, 0, 0}, {1, 0, 0, 0}},
        {"a bone named twice taken once", {2, 2, 1, 0}, {0.25f, 0.25f, 0.5f, 0}, {2, 0, 1, 0}, {0.5f, 0, 0.5f, 0}},
        {"made to add up to 1", {1, 2, 0, 0}, {0.5f, 1.5f, 0, 0}, {1, 2, 0, 0}, {0.25f, 0.75f, 0, 0}},
        {"below 0 is none", {1, 2, 0, 0}, {-0.5f, 1, 0, 0}, {0, 2, 0, 0}, {0, 1, 0, 0}},
        {"no weight: the first slot's bone", {3, 1, 0, 0}, {0, 0, 0, 0}, {3, 0, 0, 0}, {1, 0, 0, 0}},
        {"a bone past the skin's weighs nothing", {9, 1, 0, 0}, {0.5f, 0.5f, 0, 0}, {0, 1, 0, 0}, {0, 1, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::uint8_t weight_bytes[16];
        std::memcpy(weight_bytes, c.stored.data(), 16);
        Skin skin;
        skin.bone_count = 5;
        skin.bone_indices = {c.bones.data(), 1};
        skin.weights = {weight_bytes, 1};
        std::array<std::uint8_t, 4> joints;
        std::array<float, 4> weights;
        gltf_vertex_weights(skin, 0, joints.data(), weights.data());
        EXPECT_EQ(joints, c.joints);
        for (int k = 0; k < 4; ++k) EXPECT_FLOAT_EQ(weights[k], c.weights[k]) << k;
        EXPECT_EQ(double(weights[0]) + weights[1] + weights[2] + weights[3], 1.0);
    }
}

TEST_F(GltfOutput, DoubtsOfABrokenModelGoToTheRootNode) {
    for (GltfTestModel& m : gltf_test_models())
        if (m.name == "broken-chains") folder.write("broken.dff", build_model(m.model));
    ProgramRun run = cli({"-b", "structure", "-f", "glb", "broken.dff"});
    EXPECT_EQ(run.exit_status, 1) << run.err;
    EXPECT_NE(run.err.find("structure found doubtful output (frame 1: its chain of parents breaks at frame 1"),
              std::string::npos) << run.err;
    EXPECT_NE(run.err.find("kept in " + (folder.path / "broken.dff.glb").string()), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(folder.path / "broken.dff.obj"));
    Gltf g = read_glb(folder.path / "broken.dff.glb");
    check_accessors(g);
    const json& root = g.doc["nodes"][g.doc["scenes"][0]["nodes"][0].get<int>()];
    const std::vector<std::string> doubts = root["extras"]["doubts"];
    ASSERT_EQ(doubts.size(), 5u);
    EXPECT_EQ(doubts[2], "frame 3: its chain of parents breaks at frame 9: placed without the rest of the chain");
    EXPECT_EQ(doubts[3], "geometry_1: triangle 2 (0, 1, 9) has a vertex index at or past the vertex count 4, left out");
    EXPECT_EQ(doubts[4], "atomic 4 (atomic_4): its frame 7 is out of range: placed in its own space");
    // Every frame hangs from the root: none is lost, none is its own ancestor.
    EXPECT_EQ(root["children"].size(), 5u);
    Placed placed;
    place(g, g.doc["scenes"][0]["nodes"][0], Matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, placed);
    EXPECT_EQ(placed.triangles, 2u + 2u + 2u + 2u + 2u);
}

TEST_F(GltfOutput, PublicCorpusMatchesTheObjOutput) {
    const fs::path corpus = VORLUND_CORPUS_DIR;
    if (!fs::exists(corpus / "cube.dff")) GTEST_SKIP() << "no public corpus at " << corpus;
    for (const char* name : {"cube.dff", "donut.dff", "monkey.dff", "large-input.dff", "object.dff", "torus.dff"}) {
        SCOPED_TRACE(name);
        // A copy: the engine locks the model it reads, and other tests read the corpus at the same time.
        fs::copy_file(corpus / name, folder.path / name);
        convert_and_check(name);
    }
}

TEST_F(GltfOutput, FormatRulesOfTheCommandLine) {
    folder.write("quad.dff", build_model(single_geometry_model(quad_geometry())));
    const struct {
        std::vector<std::string> args;
        int status;
        const char* told;
        std::vector<const char*> files;  // written beside the model
    } cases[] = {
        {{"-f", "glb", "-b", "go1", "quad.dff"}, 2, "cannot be used with a search strategy", {}},
        {{"-f", "obj,stl", "quad.dff"}, 2, "unknown format 'stl'", {}},
        {{"--inspect", "-f", "glb", "quad.dff"}, 2, "option '--format' cannot be used with '--inspect'", {}},
        {{"-f", "glb", "quad.dff"}, 0, "structure converted it clean into ", {"quad.dff.glb"}},
        {{"--format=gltf", "-b", "structure", "quad.dff"}, 0, ".gltf, ", {"quad.dff.gltf", "quad.dff.bin"}},
        // Only a search strategy converts the crate: its OBJ file, and no glTF.
        {{"-f", "glb", "crate.dff"}, 0, "crate.dff.obj; no glTF was made (only structure writes glTF)", {"crate.dff.obj"}},
    };
    fs::copy_file(fs::path(VORLUND_SOURCE_DIR) / "samples" / "crate.dff", folder.path / "crate.dff");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        for (const char* f : {"quad.dff.obj", "quad.dff.mtl", "quad.dff.glb", "quad.dff.gltf", "quad.dff.bin", "crate.dff.obj"})
            fs::remove(folder.path / f);
        ProgramRun run = cli(c.args);
        EXPECT_EQ(run.exit_status, c.status) << run.err;
        EXPECT_NE(run.err.find(c.told), std::string::npos) << run.err;
        std::vector<std::string> files;
        for (const auto& e : fs::directory_iterator(folder.path))
            if (e.path().extension() != ".dff") files.push_back(e.path().filename().string());
        std::sort(files.begin(), files.end());
        std::vector<std::string> expected(c.files.begin(), c.files.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(files, expected);
    }
}

}  // namespace

#endif
