#pragma once
// The parts of writing a map scene (see map_run.h): its OBJ and MTL files,
// and its glTF files, from one plan of its models and instances. Each part
// adds its failures to lines and returns false when a file asked for is not
// written.

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "control/map_run.h"
#include "export/gltf_scene.h"
#include "export/obj_scene.h"
#include "export/scene_model.h"
#include "game/collision_file.h"

// Each model once, each instance that places one.
struct MapScenePlan {
    std::vector<SceneModel> models;
    std::vector<SceneInstance> instances;
    std::uint64_t max_obj_bytes = 0;  // the OBJ text's bound
    std::size_t models_placed = 0;
};

// The folder of a dictionary's textures as the scene's files name it, ending '/'.
std::string texture_folder_text(const MapRequest& request, const std::string& dictionary);

// The OBJ file, through a .part file renamed when whole; text gets the MTL
// text and the textures its materials name.
bool write_map_obj(const MapScenePlan& plan, const MapRequest& request, ObjSceneText& text,
                   std::vector<std::string>& lines);
// The MTL file, naming each PNG where placed_textures says it went.
bool write_map_mtl(const MapRequest& request, const ObjSceneText& text,
                   const std::map<std::string, std::string>& placed_textures, std::vector<std::string>& lines);

// The glTF plan; the textures it names that the OBJ text did not join text's.
GltfScene plan_map_gltf(const MapScenePlan& plan, const MapRequest& request, ObjSceneText& text);
// The .glb and/or .gltf files asked for, each added to files (joined by ", ")
// and its doubt to lines.
bool write_map_gltf(GltfScene scene, const MapRequest& request,
                    const std::map<std::string, std::string>& placed_textures, std::vector<std::string>& lines,
                    std::string& files);

// --collision: each instance whose model has a collision model of its name.
struct MapCollision {
    std::vector<std::pair<const CollisionModel*, const SceneInstance*>> placed;
    std::size_t without = 0;
    std::string obj_file;                    // the collision OBJ file, once written
    std::shared_ptr<const void> gltf_bytes;  // held until the glTF files are written
};
MapCollision collect_map_collision(const MapScenePlan& plan);
// The scene's collision as its own OBJ and MTL files beside the scene's.
bool write_map_collision_obj(const MapScenePlan& plan, const MapRequest& request, MapCollision& collision,
                             std::vector<std::string>& lines);
// A "collision" node beside the placement files' nodes, under the z-up root.
void add_map_collision_gltf(const MapScenePlan& plan, bool third_game, MapCollision& collision, GltfScene& scene);
