// OBJ scenes of placed models: one object per instance at the place the
// placement record gives, only the atomics a map draws, materials shared per
// dictionary and texture, and a size bound that stops a hostile scene.

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <sstream>

#include "export/obj_scene.h"
#include "model/structure_reader.h"
#include "support/placement_builder.h"

namespace {

struct ObjObjectRead {
    std::vector<std::array<double, 3>> v, vn;
};

std::map<std::string, ObjObjectRead> objects_of(const std::string& obj) {
    std::map<std::string, ObjObjectRead> out;
    std::istringstream in(obj);
    std::string line, current;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string tag;
        words >> tag;
        std::array<double, 3> xyz{};
        if (tag == "o") words >> current;
        else if (tag == "v" && words >> xyz[0] >> xyz[1] >> xyz[2]) out[current].v.push_back(xyz);
        else if (tag == "vn" && words >> xyz[0] >> xyz[1] >> xyz[2]) out[current].vn.push_back(xyz);
    }
    return out;
}

Instance quarter_turn_about_z(double x, double y, double z, float sx) {
    Instance instance;
    instance.position[0] = x;
    instance.position[1] = y;
    instance.position[2] = z;
    instance.rotation[2] = instance.rotation[3] = 0.7071068f;
    instance.scale[0] = sx;
    return instance;
}

TEST(ObjScene, InstancesPlacedWithTheNearLevelOnlyAndSharedMaterials) {
    std::vector<std::uint8_t> tower = build_model(map_object_layout("tower", "brick"));
    std::vector<std::uint8_t> shed = build_model(map_object_layout("tower", "brick"));
    Model tower_model = read_model(tower.data(), std::uint32_t(tower.size()));
    Model shed_model = read_model(shed.data(), std::uint32_t(shed.size()));
    std::vector<SceneModel> models = {{"tower", &tower_model, "town", false},
                                      {"shed", &shed_model, "Town", false},
                                      {"hut", &tower_model, "other", false}};
    std::vector<SceneInstance> instances(4);
    instances[0].model = 0;
    ASSERT_TRUE(instance_transform(quarter_turn_about_z(100, 200, 30, 2), false, instances[0].transform));
    instances[1].model = 0;
    ASSERT_TRUE(instance_transform(quarter_turn_about_z(-5, 0, 0, 2), true, instances[1].transform));
    instances[2].model = 1;
    instances[3].model = 2;

    ObjSceneOptions options;
    options.header = {"test scene"};
    options.mtl_file_name = "map.mtl";
    options.texture_folder = [](const std::string& dictionary) { return dictionary + "/"; };
    ObjSceneText text = write_obj_scene(models, instances, options);
    EXPECT_FALSE(text.doubtful) << text.first_doubt;
    EXPECT_EQ(text.instances_written, 4u);

    auto objects = objects_of(text.obj);
    ASSERT_EQ(objects.size(), 4u);
    // Model point (1, 2, 3): turned by R(q*) to (2, -1, 3); scaled along the model's X first by --scale.
    struct Expect {
        const char* name;
        std::array<double, 3> first_vertex, second_vertex_normal;
    } expect[] = {
        {"tower_1", {102, 199, 33}, {0, 0, 1}},
        {"tower_2", {-3, -2, 3}, {0, 0, 1}},
        {"shed_1", {1, 2, 3}, {0, 0, 1}},
        {"hut_1", {1, 2, 3}, {0, 0, 1}},
    };
    for (const Expect& e : expect) {
        SCOPED_TRACE(e.name);
        const ObjObjectRead& o = objects[e.name];
        ASSERT_EQ(o.v.size(), 3u);  // the near level only
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(o.v[0][k], e.first_vertex[k], 1e-4);
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(o.vn[1][k], e.second_vertex_normal[k], 1e-6);
    }
    // The model's X normal turned to world -Y, whatever the scale.
    EXPECT_NEAR(objects["tower_2"].vn[0][1], -1, 1e-6);

    // The dictionary's case does not make a second material; another dictionary's texture does.
    EXPECT_EQ(text.mtl.find("newmtl brick\n") != std::string::npos, true) << text.mtl;
    EXPECT_NE(text.mtl.find("map_Kd town/brick.png"), std::string::npos) << text.mtl;
    EXPECT_NE(text.mtl.find("newmtl brick_2\nKd 1 1 1\nmap_Kd other/brick.png"), std::string::npos) << text.mtl;
    EXPECT_EQ(text.mtl.find("brick_3"), std::string::npos) << text.mtl;
    ASSERT_EQ(text.textures.size(), 2u);
    EXPECT_EQ(text.textures[1].dictionary, "other");
}

TEST(ObjScene, ModelsThatDoNotConvertCleanAreDoubtfulAndAHostileSceneStops) {
    ModelLayout damaged = map_object_layout("tower", "");
    damaged.clumps[0].atomics = {{2, 1}, {3, 2}, {1, 7}};  // far level, damaged copy, and no such geometry
    std::vector<std::uint8_t> bytes = build_model(damaged);
    Model model = read_model(bytes.data(), std::uint32_t(bytes.size()));
    SceneParts parts = scene_parts(model);
    EXPECT_TRUE(parts.parts.empty());
    EXPECT_EQ(parts.doubt, "atomic 2 (tower_L0): its geometry is out of range");

    std::vector<std::uint8_t> good = build_model(map_object_layout("tower", "brick"));
    Model tower = read_model(good.data(), std::uint32_t(good.size()));
    EXPECT_EQ(scene_parts(tower).doubt, "");
    std::vector<SceneModel> models = {{"tower", &tower, "town", false}};
    std::vector<SceneInstance> many(100000);
    ObjSceneOptions options;
    options.mtl_file_name = "map.mtl";
    options.max_obj_bytes = 10000;
    std::size_t handed = 0;
    options.obj_sink = [&](std::string_view piece) { handed += piece.size(); };
    ObjSceneText text = write_obj_scene(models, many, options);
    EXPECT_TRUE(text.stopped);
    EXPECT_TRUE(text.doubtful);
    EXPECT_LT(handed, 11000u);
    EXPECT_EQ(text.first_doubt, "the OBJ text passed 10000 bytes: " + std::to_string(100000 - text.instances_written) +
                                    " more instances are left out");
}

}  // namespace
