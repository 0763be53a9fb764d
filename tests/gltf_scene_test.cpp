// glTF scenes of placed models: a node per instance whose matrix is the
// placement, a mesh per model shared by its instances, materials once per
// dictionary, texture and sidedness, image keys by dictionary folder, and a
// bound on the instance nodes that stops a hostile scene.

#include <gtest/gtest.h>

#include <array>
#include <map>

#include "export/gltf_scene.h"
#include "model/structure_reader.h"
#include "support/placement_builder.h"

namespace {

using nlohmann::json;

Instance placed(double x, double y, double z, std::array<float, 4> q, std::array<float, 3> s = {1, 1, 1}) {
    Instance instance;
    instance.position[0] = x;
    instance.position[1] = y;
    instance.position[2] = z;
    for (int k = 0; k < 4; ++k) instance.rotation[k] = q[k];
    for (int k = 0; k < 3; ++k) instance.scale[k] = s[k];
    return instance;
}

TEST(GltfScene, TheInstanceNodePlacesTheModelPointAsThePlacementDoes) {
    const struct {
        const char* what;
        Instance instance;
        bool apply_scale;
        std::array<double, 3> point;  // where the model point (1, 2, 3) lands
    } cases[] = {
        {"none", placed(0, 0, 0, {0, 0, 0, 1}), false, {1, 2, 3}},
        {"moved", placed(10, -20, 0.5, {0, 0, 0, 1}), false, {11, -18, 3.5}},
        // The stored quaternion is the inverse: (0, 0, s, c) turns X to -Y.
        {"quarter about z", placed(100, 200, 30, {0, 0, 0.7071068f, 0.7071068f}), false, {102, 199, 33}},
        {"quarter about x", placed(0, 0, 0, {0.7071068f, 0, 0, 0.7071068f}), false, {1, 3, -2}},
        {"quarter about y", placed(0, 0, 0, {0, 0.7071068f, 0, 0.7071068f}), false, {-3, 2, 1}},
        {"scale ignored", placed(0, 0, 0, {0, 0, 0, 1}, {2, 3, 4}), false, {1, 2, 3}},
        {"scale applied", placed(0, 0, 0, {0, 0, 0.7071068f, 0.7071068f}, {2, 3, 4}), true, {6, -2, 12}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InstanceTransform t;
        ASSERT_TRUE(instance_transform(c.instance, c.apply_scale, t));
        // The node as a viewer reads it: its translation, rotation and scale, nothing left over.
        const Placement node = placement_of_node(instance_node(t));
        const double p[3] = {1, 2, 3};
        double placed_by_record[3], w[3];
        place_instance_point(t, p, placed_by_record);
        place_point(node, p, w, true);
        for (int r = 0; r < 3; ++r) {
            EXPECT_NEAR(w[r], c.point[r], 1e-4) << r;
            EXPECT_NEAR(w[r], placed_by_record[r], 1e-4) << r;
        }
    }
}

TEST(GltfScene, WhatNoFloatHoldsIsWrittenAsZeroNotAsNull) {
    InstanceTransform t;
    t.position[0] = 1e300;
    t.position[1] = 0.1;
    const NodeTransform node = instance_node(t);
    EXPECT_EQ(node.translation[0], 0);
    EXPECT_EQ(json(node.translation[1]).dump(), "0.1");  // a float's shortest text, not its exact value
}

class GltfSceneOf : public ::testing::Test {
protected:
    std::vector<std::uint8_t> tower_bytes = build_model(map_object_layout("tower", "brick"));
    Model tower = read_model(tower_bytes.data(), std::uint32_t(tower_bytes.size()));

    static SceneInstance at(std::size_t model, std::size_t group, double x) {
        SceneInstance i;
        i.model = model;
        i.group = group;
        EXPECT_TRUE(instance_transform(placed(x, 0, 0, {0, 0, 0, 1}), false, i.transform));
        return i;
    }
    static GltfSceneOptions options() {
        GltfSceneOptions o;
        o.program_name_version = "test";
        o.groups = {"a.ipl", "b.ipl"};
        o.texture_folder = [](const std::string& dictionary) { return "textures/" + dictionary + "/"; };
        return o;
    }
};

TEST_F(GltfSceneOf, MeshesOnceMaterialsByDictionaryAndSidesNodesByPlacementFile) {
    const std::vector<SceneModel> models = {{"tower", &tower, "town", false},
                                            {"shed", &tower, "Town", false},   // the dictionary's case makes no second material
                                            {"hut", &tower, "other", false},   // another dictionary's texture does
                                            {"fence", &tower, "town", true},   // and so do both sides
                                            {"gone", nullptr, "town", false}};  // not converted: passed over
    const std::vector<SceneInstance> instances = {at(0, 1, 0), at(0, 1, 5), at(1, 0, 0), at(2, 0, 0),
                                                  at(3, 1, 0), at(4, 1, 0), at(0, 1, 0)};
    GltfScene scene = plan_gltf_scene(models, instances, options());
    EXPECT_FALSE(scene.doubtful) << scene.first_doubt;
    EXPECT_EQ(scene.instances_written, 6u);
    const json& d = scene.document.json();

    // Placement files in the order their first instance comes, each instance under its own.
    const json& root = d["nodes"][0];
    EXPECT_EQ(root["name"], "map");
    ASSERT_EQ(root["children"].size(), 2u);
    const struct {
        const char* group;
        std::vector<std::string> instances;
    } groups[] = {{"b.ipl", {"tower_1", "tower_2", "fence_1", "tower_3"}}, {"a.ipl", {"shed_1", "hut_1"}}};
    std::map<std::string, int> mesh_of;
    for (std::size_t g = 0; g < 2; ++g) {
        const json& group = d["nodes"][root["children"][g].get<int>()];
        EXPECT_EQ(group["name"], groups[g].group);
        EXPECT_FALSE(group.contains("mesh"));
        std::vector<std::string> names;
        for (int child : group["children"]) {
            names.push_back(d["nodes"][child]["name"]);
            mesh_of[names.back()] = d["nodes"][child]["mesh"];
        }
        EXPECT_EQ(names, groups[g].instances);
    }
    // One mesh a model placed, of the near level only; the instances at the origin need no matrix.
    ASSERT_EQ(d["meshes"].size(), 4u);
    EXPECT_EQ(mesh_of["tower_1"], mesh_of["tower_3"]);
    EXPECT_NE(mesh_of["tower_1"], mesh_of["shed_1"]);
    for (const json& mesh : d["meshes"]) EXPECT_EQ(mesh["primitives"].size(), 1u);
    const json& first = d["nodes"][d["nodes"][root["children"][0].get<int>()]["children"][0].get<int>()];
    for (const char* part : {"matrix", "translation", "rotation", "scale"}) EXPECT_FALSE(first.contains(part)) << part;
    const json& moved = d["nodes"][d["nodes"][root["children"][0].get<int>()]["children"][1].get<int>()];
    EXPECT_EQ(moved["translation"], json({5, 0, 0}));
    for (const char* part : {"matrix", "rotation", "scale"}) EXPECT_FALSE(moved.contains(part)) << part;

    struct Expect {
        std::string name, image_key;
        bool double_sided;
    };
    const std::vector<Expect> materials = {{"brick", "textures/town/brick.png", false},
                                           {"brick_2", "textures/other/brick.png", false},
                                           {"brick_3", "textures/town/brick.png", true}};
    ASSERT_EQ(scene.materials.size(), materials.size());
    for (std::size_t i = 0; i < materials.size(); ++i) {
        SCOPED_TRACE(materials[i].name);
        EXPECT_EQ(scene.materials[i].name, materials[i].name);
        EXPECT_EQ(scene.materials[i].image_key, materials[i].image_key);
        EXPECT_EQ(scene.materials[i].double_sided, materials[i].double_sided);
    }
    ASSERT_EQ(scene.textures.size(), 2u);
    EXPECT_EQ(scene.textures[1].dictionary, "other");

    // Finished: an image a key, shared by the materials that name it.
    std::vector<std::string> asked;
    GltfDocument document = finish_gltf_scene(std::move(scene), [&](const std::string& key, GltfImage& image) {
        asked.push_back(key);
        image.uri = key;
        image.png = {0x89, 'P', 'N', 'G'};
        return true;
    });
    EXPECT_EQ(asked, (std::vector<std::string>{"textures/town/brick.png", "textures/other/brick.png"}));
    const json& m = document.json()["materials"];
    ASSERT_EQ(m.size(), 3u);
    EXPECT_FALSE(m[0].contains("doubleSided"));
    EXPECT_EQ(m[2]["doubleSided"], true);
    EXPECT_EQ(m[0]["pbrMetallicRoughness"]["baseColorTexture"], m[2]["pbrMetallicRoughness"]["baseColorTexture"]);
    EXPECT_EQ(document.json()["images"][1]["uri"], "textures/other/brick.png");
}

TEST_F(GltfSceneOf, AHostileSceneStopsAtTheInstanceBound) {
    const std::vector<SceneModel> models = {{"tower", &tower, "town", false}};
    std::vector<SceneInstance> many(100000);
    GltfSceneOptions o = options();
    o.max_instances = 1000;
    GltfScene scene = plan_gltf_scene(models, many, o);
    EXPECT_TRUE(scene.stopped);
    EXPECT_TRUE(scene.doubtful);
    EXPECT_EQ(scene.instances_written, 1000u);
    EXPECT_EQ(scene.document.json()["nodes"].size(), 1002u);  // the root, one group, the instances
    EXPECT_EQ(scene.document.json()["meshes"].size(), 1u);
    EXPECT_EQ(scene.first_doubt, "the scene reached 1000 instance nodes: 99000 more instances are left out");
    EXPECT_EQ(scene.document.json()["nodes"][0]["extras"]["doubts"][0], scene.first_doubt);
}

TEST(GltfUri, APathKeepsItsFoldersAndEncodesTheRest) {
    const struct {
        const char* path;
        const char* uri;
    } cases[] = {
        {"map.bin", "map.bin"},
        {"textures/town/brick.png", "textures/town/brick.png"},
        {"textures\\town\\brick.png", "textures/town/brick.png"},
        {"textures/old town/br%ck.png", "textures/old%20town/br%25ck.png"},
        {"../textures/vehicle/\xC3\xA9.png", "../textures/vehicle/%C3%A9.png"},
    };
    for (const auto& c : cases) EXPECT_EQ(uri_of_file_name(c.path), c.uri) << c.path;
}

}  // namespace
