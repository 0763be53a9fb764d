#include <filesystem>
#include <fstream>
#include <utility>

#include "control/collision_catalog.h"
#include "control/gltf_output.h"
#include "control/map_scene_parts.h"
#include "export/collision_gltf.h"
#include "export/collision_obj.h"

namespace fs = std::filesystem;

MapCollision collect_map_collision(const MapScenePlan& plan) {
    MapCollision collision;
    for (const SceneInstance& i : plan.instances) {
        if (const CollisionModel* c = collision_by_name(plan.models[i.model].name)) collision.placed.push_back({c, &i});
        else ++collision.without;
    }
    return collision;
}

bool write_map_collision_obj(const MapScenePlan& plan, const MapRequest& request, MapCollision& collision,
                             std::vector<std::string>& lines) {
    const std::string obj_path = request.obj_path.string();
    const std::string obj_file = gltf_file_name_for(obj_path, ".col.obj");
    const std::string mtl_file = gltf_file_name_for(obj_path, ".col.mtl");
    CollisionObjWriter writer({request.program_name_version + ", the map scene's collision"},
                              fs::path(mtl_file).filename().string());
    for (const auto& [c, i] : collision.placed) {
        Placement points, normals;
        instance_placements(i->transform, points, normals);
        writer.add(*c, request.third_game, &points, plan.models[i->model].name);
    }
    const CollisionObjText text = writer.finish();
    for (const auto& [path, body] : {std::pair{obj_file, &text.obj}, std::pair{mtl_file, &text.mtl}}) {
        std::ofstream out(path, std::ios::binary);
        out << *body;
        out.close();
        if (!out) {
            lines.push_back(path + " cannot be written");
            return false;
        }
    }
    collision.obj_file = obj_file;
    return true;
}

void add_map_collision_gltf(const MapScenePlan& plan, bool third_game, MapCollision& collision, GltfScene& scene) {
    // Under the z-up root beside the placement files' nodes: hidden or removed in one step.
    const int root = scene.document.json()["scenes"][0]["nodes"][0].get<int>();
    const int group = scene.document.add("nodes", {{"name", "collision"}, {"extras", {{"collision", true}}}});
    scene.document.attach(root, group);
    CollisionGltfBuilder builder(scene.document, scene.materials);
    for (const auto& [c, i] : collision.placed)
        builder.add_placed(*c, third_game, group, plan.models[i->model].name, instance_node(i->transform));
    collision.gltf_bytes = builder.vertex_bytes();
}
